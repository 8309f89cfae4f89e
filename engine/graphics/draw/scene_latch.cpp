#include "engine/graphics/draw/scene_latch.h"

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_state_preparation.h"

int sceneLatch;

int BeginSceneIfNeeded() {
    if (!HasD3DDevice() || sceneLatch == 1) return 0;
    DeviceBeginScene();
    sceneLatch = 1;
    drawStateLatch = DrawStateLatch{};
    return 0;
}

int EndSceneIfBegun() {
    if (!HasD3DDevice() || sceneLatch == 0) return 0;
    DeviceEndScene();
    sceneLatch = 0;
    return 0;
}
