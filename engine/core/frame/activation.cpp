#include "engine/core/frame/activation.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/input/input.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics_services.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/movie_services.h"

namespace {

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

void PauseOutputs(int pause) {
    if (pause) {
        PauseAllMovies();
    } else {
        ResumeAllMovies();
    }
    PauseAllSounds(pause);
    PauseSoftSoundPlayers(pause);
}

void DrawSavedImageBack() {
    HWND window = GetTargetWindowHandle();
    HDC dc = window ? GetDC(window) : nullptr;
    if (!dc) return;
    ReleaseDC(window, dc);
    RestoreScreenFromSavedImage();
}

int Deactivate() {
    if (Settings().windowMode) {
        if (!Settings().runAlways) PauseOutputs(1);
        OnInputActivationChange();
    } else {
        ReleaseGraphicsDevice();
        if (GetSystemInformation().osVersionCode >= 264 || !HasD3DDevice()) {
            ChangeDisplaySettingsA(nullptr, 0);
            ShowWindow(Settings().mainWindow, SW_MINIMIZE);
        }
        if (GetDirectDrawObject()) {
            if (Run().compositionOff) SetDesktopCompositionEnabled(1);
            if (!HasRestoreCallback() && !Settings().useUserWindow) {
                LogText("復元関数が登録されていないため終了します\n");
                if (!Run().closeRequested) {
                    Run().closeRequested = 1;
                    PostMessageA(Settings().mainWindow, WM_CLOSE, 0, 0);
                }
                return -1;
            }
            PauseOutputs(1);
            Run().graphicsRestartNeeded = 1;
        } else {
            if (!Settings().runAlways) PauseOutputs(1);
            OnInputActivationChange();
        }
    }
    ClipCursor(nullptr);
    Run().cursorClipped = 0;
    DrawSavedImageBack();
    return 0;
}

void Activate() {
    if (Settings().windowMode) {
        if (HasD3DDevice()) {
            EndSceneIfBegun();
            if (IsDeviceLost()) RestartGraphicsKeepMode();
        }
        if (!Settings().runAlways) PauseOutputs(0);
    } else if (libraryFlags.initialised) {
        RestartGraphicsKeepMode();
        Run().graphicsRestartNeeded = 0;
        PauseOutputs(0);
    } else if (!Settings().runAlways) {
        PauseOutputs(0);
    }
    OnInputActivationChange();
}

}  // namespace

int HandleActivationChange(int activeArgument, int fromActivateApp) {
    const int active = (activeArgument & 0xFFFF) != 0 && (fromActivateApp || (activeArgument >> 16) == 0);
    if (Run().beingCreated) {
        Run().active = active;
        return 0;
    }
    if (active == Run().active) return 0;
    Run().active = active;
    if (active) {
        Activate();
    } else if (Deactivate() != 0) {
        return -1;
    }
    ApplyJoypadVibration();
    if (!fromActivateApp && Settings().activationCallback)
        Settings().activationCallback(active, Settings().activationParameter);
    return 0;
}

void DrainActivationRing() {
    ActivationRing& ring = Run().activation;
    while (ring.count > 0 && !Run().closeRequested) {
        const int active = ring.active[ring.readIndex], fromApp = ring.fromActivateApp[ring.readIndex];
        ring.readIndex = (ring.readIndex + 1) % kActivationRingSize;
        --ring.count;
        HandleActivationChange(active, fromApp);
    }
}
