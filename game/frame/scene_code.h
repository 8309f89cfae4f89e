// What the main loop does next.
#pragma once

enum SceneCode : int {
    kSceneStay = 0,
    kSceneTitle = 1,
    kSceneRestartArea = 2,
    kSceneNextArea = 3,
    kSceneQuit = 4,
    kSceneOpeningDemo = 5,
    kSceneAreaSelect = 6,
};
