#include "game/frame/main_loop.h"

#include <cstdio>
#include <cstring>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/helpers/random.h"
#include "engine/core/input/input.h"
#include "engine/graphics/graphics.h"
#include "game/frame/collision.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/records_file.h"
#include "game/frame/replay_file.h"
#include "game/frame/required_data.h"
#include "game/frame/scene_code.h"
#include "game/frame/settings_file.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/music_player.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

MapData areaMap;

namespace {

constexpr int kKeyEscape = 1;
constexpr int kKeyEnter = 28;
constexpr int kKeyF2 = 60;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr int kSeedRange = 1000;

int64_t lastFrameTime = 0;
int exitStatus = 0;

bool IsNewGameCode(int code) {
    return code == kSceneStay || code == kSceneTitle || code == kSceneOpeningDemo || code == kSceneAreaSelect;
}

bool IsTitleCode(int code) {
    return code == kSceneTitle || code == kSceneOpeningDemo || code == kSceneAreaSelect;
}

// Goes on while the pump reports nothing and Esc is up.
bool QuitCheck() {
    const int pump = PumpMessages();
    const int escape = GetKeyState1(kKeyEscape);
    return pump == 0 && escape == 0;
}

void Present() {
    SelectDrawTarget(kDrawTargetBackBuffer);
    DrawImageStretched(0, 0, kWindowWidth, kWindowHeight, drawTarget, 0);
    FlipFrameDefault();
    SelectDrawTarget(drawTarget);
}

// Waits until a frame's time has passed since the end of the previous wait, asleep for most of it. A
// clock that answers -1 (not running) ends the wait at once instead of holding the loop forever.
void Pace() {
    lastFrameTime = WaitForMicrosecondCount(lastFrameTime + kFrameMicroseconds);
}

void ChangeToSettingWindowMode() {
    SetScreenMode(kWindowWidth, kWindowHeight, 16, 60);
    // Only 0 asks for full screen; any other value read from a foreign file keeps the window.
    if (ChangeWindowMode(screenModeSetting == 0 ? 0 : 1) != 0) ChangeWindowMode(1);
}

void SetUpDrawTarget() {
    SetWindowSizeRate(1.0, -1.0);
    SetTransparentColour(0, 255, 0);
    if (drawTarget == 0) drawTarget = MakeDrawTarget(kLogicalWidth, kLogicalHeight, 0);
    SelectDrawTarget(drawTarget);
    SetClipRect(0, 0, kLogicalWidth, kLogicalHeight);
}

void StartUpAfterInit(LPSTR commandLine) {
    SetUpDrawTarget();
    pxtone_Ready(GetMainWindowHandle(), 1, MusicSampleRate(bgmQuality), 16, 0.1f, 1, nullptr);
    pxtone_Tune_SetVolume(static_cast<float>(kMusicVolume));
    currentTune[0] = '\0';
    LoadSoundEffects();
    LoadTextFont();
    ResetBestTimes();
    replayBuffer.hasData = 0;
    LoadRecords();
    SetGraphicCreateOption(0);
    SetScreenLogFontSize(10);
    ReloadBitmapFont();
    Character::LoadCommonGraphics();
    lastFrameTime = 0;
    frameCounter = 0;
    if (LoadReplay(commandLine)) {
        playbackFlag = 1;
        SetMainWindowText(commandLine);
        sceneCode = kSceneStay;
    }
}

void StartRecording() {
    recordFlag = 1;
    const int seed = GetRandomRange(kSeedRange);
    SeedRandom(static_cast<uint32_t>(seed));
    replaySeed = seed;
    StartReplayRecording(fullGameMode, static_cast<uint8_t>(areaNumber), seed);
}

// False when the program is to end from the title.
bool RunTitlePhase() {
    Character* title = CreateTitleScreenTask();
    if (title == nullptr) return false;
    if (playbackFlag) {
        // The replay's seed stands and nothing is recorded while it plays.
        runFrame = 0;
        SeedRandom(static_cast<uint32_t>(replaySeed));
        title->dead = 1;
        return true;
    }
    for (;;) {
        if (!QuitCheck()) return false;
        PollInput(false);
        title->Update();
        ClearDrawTarget(nullptr);
        title->Draw();
        Present();
        ++frameCounter;
        if (title->dead) break;
        Pace();
    }
    if (sceneCode == kSceneOpeningDemo) {
        recordFlag = 0;
    } else {
        StartRecording();
    }
    return true;
}

// A map file that is there but cannot be read ends the program as missing data does, with one line
// naming it.
bool LoadAreaMap(const char* path) {
    if (areaMap.Load(path)) return true;
    const std::string problem = MapFileProblem(path);
    if (problem.empty()) return false;
    std::fprintf(stderr, "korvalund: %s\n", problem.c_str());
    sceneCode = kSceneQuit;
    exitStatus = kDataFailureStatus;
    return false;
}

void SetUpArea() {
    ResetPlayerState(sceneCode);
    if (sceneCode != kSceneRestartArea && sceneCode != kSceneNextArea) runFrame = 0;
    if (sceneCode != kSceneOpeningDemo) sceneCode = kSceneStay;
    areaMap.Clear();
    if (sceneCode == kSceneOpeningDemo) {
        sceneCode = kSceneStay;
        LoadAreaMap("./data/map/op.dat");
    } else {
        char path[kMapPathLength];
        std::snprintf(path, sizeof(path), "./data/map/%d.dat", areaNumber);
        if (!LoadAreaMap(path)) return;
        if (areaMap.kind < kFirstScriptedMapKind) {
            CreatePlayerTask(&areaMap);
            CreateStageStartTask(&areaMap);
        }
    }
    areaMap.UpdateLayerScrolls();
}

void Respawn() {
    DeleteAllTasks();
    ResetPlayerState(kSceneRestartArea);
    playerStock -= 1;
    solidBoxCount = 0;
    frameCounter = 0;
    areaMap.lockFlags = 0;
    areaMap.SetCamera(areaMap.playerStartX - 180, areaMap.playerStartY - 140);
    if (areaMap.kind == kBossMapKind) respawnInBossMap = 1;
    for (int i = 0; i < areaMap.objectCount; ++i) areaMap.objects[i].spawned = 0;
    CreatePlayerTask(&areaMap);
    areaMap.UpdateLayerScrolls();
    StopAllSoundEffects();
    SetAllSoundEffectVolumes(255);
    ChangeBgm(areaMap.tunePath, 1);
}

void SaveScreenshot() {
    int now[6];
    GetLocalDateTime(now);
    char name[80];
    std::snprintf(name, sizeof(name), "%d_%d_%d_%d_%d_%d.bmp", now[0], now[1], now[2], now[3], now[4],
                  now[5]);
    SaveDrawScreen(0, 0, kLogicalWidth, kLogicalHeight, name, kSaveImageBmp, 80, 1, -1);
}

void ReadFrameInput() {
    if (!playbackFlag) {
        PollInput(recordFlag != 0);
        return;
    }
    inputPrev = inputNow;
    if (inputEnabled) {
        inputNow = replayBuffer.masks[runFrame];
    } else {
        inputNow = scriptedInput;
        scriptedInput = 0;
    }
}

void UpdateArea() {
    if (missFlag == 1 && playerStock >= 1) Respawn();
    ClearDrawLayers();
    areaMap.RegisterLayers();
    SweepDeadTasks();
    RunCollisionPass();
    areaMap.SpawnObjectsInView();
    UpdateAllTasks();
}

void HandlePauseKey() {
    if (!InputPressed(static_cast<uint32_t>(keyConfig.padStart))) return;
    if (!paused && playerHealth >= 1 && !areaIntro && !areaCleared && areaMap.kind < kFirstScriptedMapKind) {
        paused = 1;
        return;
    }
    if (GetKeyState1(kKeyEnter)) SaveScreenshot();
    paused = 0;
}

// False when a played replay has run out of masks.
bool RunAreaFrame() {
    ClearScreenLogPublic();
    if (playbackFlag && runFrame >= playbackLength) return false;
    ReadFrameInput();
    if (!playbackFlag && GetKeyState1(kKeyF2)) sceneCode = fullGameMode ? kSceneTitle : kSceneAreaSelect;
    if (!paused) UpdateArea();
    HandlePauseKey();
    if (!runTimerStopped) ++runTimer;
    ClearDrawTarget(nullptr);
    DrawAllLayers();
    quakeX = quakeY = 0;
    if (paused && !GetKeyState1(kKeyEnter)) DrawBitmapText(180, 142, "PAUSE", 5);
    Present();
    ++frameCounter;
    ++runFrame;
    Pace();
    return true;
}

// False when the phase loop ends.
bool EndArea() {
    const int code = sceneCode;
    inputEnabled = 1;
    scriptedInput = 0;
    paused = 0;
    runTimerStopped = 1;
    runTimer = 0;
    cameraFrozen = 0;
    rightEdgeOpen = 0;
    respawnInBossMap = 0;
    if (IsTitleCode(code)) {
        areaNumber = 1;
        fullGameMode = 1;
        for (int32_t& time : areaTimes) time = 0;
        finalEventFlag = 0;
    }
    StopAllSoundEffects();
    SetAllSoundEffectVolumes(255);
    if (IsTitleCode(code) || code == kSceneRestartArea) {
        StopBgm();
        DeleteAllTasks();
        if (IsTitleCode(code) && playbackFlag) sceneCode = kSceneQuit;
    } else if (code == kSceneNextArea) {
        DeleteAllTasks();
        ++areaNumber;
    }
    areaMap.Unload();
    return sceneCode == kSceneTitle || sceneCode == kSceneRestartArea || sceneCode == kSceneNextArea ||
           sceneCode == kSceneOpeningDemo || sceneCode == kSceneAreaSelect;
}

bool RunAreaPhase() {
    SetUpArea();
    while (QuitCheck() && sceneCode == kSceneStay) {
        if (!RunAreaFrame()) break;
    }
    return EndArea();
}

void ShutDown() {
    if (!playbackFlag) {
        SaveSettings();
        SaveRecords();
    }
    pxtone_Tune_Stop();
    pxtone_Tune_Release();
    currentTune[0] = '\0';
    DeleteAllTasks();
    FreeAllGraphics(0);
    RemoveTextFont();
    pxtone_Release();
    LibraryEnd();
}

}  // namespace

void ResetPlayerState(int code) {
    playerX = playerY = playerPushX = playerPushY = 0.0;
    playerFlip = playerDucking = playerAirborne = standingOnBox = 0;
    playerStateShared = 0;
    cameraX = cameraY = 0;
    boostEnergy = 0;
    playerMaxSpeed = 7.5;
    playerHealth = 3;
    missFlag = areaIntro = areaCleared = 0;
    areaTimeRecorded = area4IntroShown = clearDroppedActors = 0;
    if (IsNewGameCode(code)) {
        playerStock = 2;
        elementCount = bombHeld = 0;
        currentCheckPoint = 0;
    } else if (code == kSceneNextArea) {
        currentCheckPoint = 0;
    }
}

void ApplyScreenMode(int modeOnly) {
    ChangeToSettingWindowMode();
    if (modeOnly == 1) return;
    SetUpDrawTarget();
}

int WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    SetFileLogEnabled(0);
    exitStatus = 0;
    SetMainWindowText("Korvalund");
    LoadSettings();
    ChangeToSettingWindowMode();
    if (LibraryInit() == -1) return -1;
    StartUpAfterInit(commandLine);
    for (;;) {
        ForgetAllTasks();
        if (sceneCode == kSceneStay || sceneCode == kSceneTitle || sceneCode == kSceneAreaSelect) {
            if (!RunTitlePhase()) break;
        }
        if (!RunAreaPhase()) break;
    }
    ShutDown();
    return exitStatus;
}
