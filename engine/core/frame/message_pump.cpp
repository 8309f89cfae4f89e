#include "engine/core/frame/message_pump.h"

#include "engine/core/frame/activation.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/input/char_input.h"
#include "engine/core/input/input.h"
#include "engine/core/input/network.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/graphics_services.h"
#include "engine/sound/sound.h"
#include "platform/host/host.h"

namespace {

constexpr int kThrottledFlipMilliseconds = 64;
constexpr int kEndingCycleLimit = 10;

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

bool OnWindowThread() {
    return GetCurrentThreadId() == Run().windowThreadId;
}
bool Waiting() {
    return (!Run().active || Run().minimised) && !Settings().runAlways;
}

void ClipCursorToClient() {
    if (!Settings().cursorClip || !Run().active || Run().minimised || !Settings().windowMode ||
        Run().cursorClipped)
        return;
    POINT point;
    GetCursorPos(&point);
    const RECT& client = Run().clientRect;
    if (point.x > client.left && point.x <= client.right && point.y > client.top &&
        point.y <= client.bottom) {
        ClipCursor(&client);
        Run().cursorClipped = 1;
    }
}

void SwitchModeOnRequest() {
    if (!Run().modeSwitchRequested || !Settings().altEnterSwitchesMode || !OnWindowThread()) return;
    Run().modeSwitchRequested = 0;
    ChangeWindowMode(!Settings().windowMode);
    if (Settings().modeChangeCallback) Settings().modeChangeCallback(Settings().modeChangeParameter);
}

bool TakeMessage(MSG* message) {
    return PeekMessageA(message, nullptr, 0, 0, PM_REMOVE) ||
           PeekMessageA(message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE) ||
           PeekMessageA(message, Settings().mainWindow, 0, 0, PM_REMOVE);
}

void Dispatch(MSG* message) {
    if (TranslateAcceleratorA(Settings().mainWindow, Settings().accelerator, message)) return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

// One message each for the modeless dialog and the library's extra windows.
void ServeSideWindows() {
    MSG message;
    if (Settings().dialog && PeekMessageA(&message, Settings().dialog, 0, 0, PM_REMOVE) &&
        !IsDialogMessageA(Settings().dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    for (int i = 0; i < Run().extraWindowCount; ++i) {
        if (!PeekMessageA(&message, Run().extraWindows[i], 0, 0, PM_REMOVE)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void WaitCycleStart(bool* waitMarked) {
    if (!*waitMarked) {
        *waitMarked = true;
        Run().inactiveSince = GetMillisecondCount();
    }
    Sleep(1);
    const int now = GetMillisecondCount();
    if (Run().flipPending && MillisecondsBetween(Run().lastThrottledFlip, now) > kThrottledFlipMilliseconds) {
        if (!Run().savedImageKept) FlipFrameEntry();
        Run().lastThrottledFlip = now;
    }
}

// A pass spent waiting is a frame of the host's input too: only a later frame can give the focus back.
void WaitCycleHousekeeping() {
    PumpNetworkWindow(1);
    if (GetSystemInformation().processorCount == 1) {
        UpdateAllStreamSounds();
        UpdateAllSoftSoundPlayers();
    }
    ProcessMainThreadRequests();
    Sleep(24);
    if (OnWindowThread()) HostPumpTick();
}

enum class LoopEnd { kDone, kQuitMessage };

// The message loop: at most five messages a pass; held while the window waits inactive.
LoopEnd RunMessageLoop() {
    int batch = 0, cycles = 0;
    bool waitMarked = false;
    int passDone = 0;
    for (;;) {
        const bool mayLeave = Run().closeRequested || Run().activation.count > 0 || Settings().runAlways ||
                              (Run().active && !Run().minimised);
        if (mayLeave && (passDone || Run().quit)) break;
        if (Waiting()) WaitCycleStart(&waitMarked);
        passDone = 1;
        MSG message;
        while (TakeMessage(&message)) {
            if (Settings().dialog && IsDialogMessageA(Settings().dialog, &message)) {
                passDone = 0;
            } else {
                if (message.message == WM_ACTIVATEAPP && Settings().windowMode)
                    Run().active = message.wParam != 0;
                if (Run().quit) {
                    if (OnWindowThread() && !Settings().menuAlwaysShown) UpdateFullScreenMenu();
                    return LoopEnd::kQuitMessage;
                }
                if (message.message == WM_QUIT) {
                    Run().quit = 1;
                    libraryFlags.endRequested = 1;
                } else {
                    Dispatch(&message);
                    if (++batch >= kMessagesPerPass) {
                        batch = 0;
                        passDone = 1;
                        ServeSideWindows();
                        break;
                    }
                    passDone = 0;
                }
            }
            ServeSideWindows();
        }
        if (Waiting()) WaitCycleHousekeeping();
        if (Run().quit || !OnWindowThread()) break;
        ++cycles;
        if (Run().ending && cycles >= kEndingCycleLimit) break;
    }
    return LoopEnd::kDone;
}

void PerPumpWork() {
    if (GetSystemInformation().processorCount < 2) {
        UpdateAllStreamSounds();
        UpdateAllSoftSoundPlayers();
    }
    if (!Run().quit) ProcessMainThreadRequests();
    UpdateMusicPlayState();
    UpdateKeyboardState(0);
    UpdatePadVibrationTimers();
    PumpNetworkWindow(1);
    Run().stringInputGuard = 1;
    ProcessStringInput();
    Run().stringInputGuard = 0;
}

}  // namespace

int PumpMessagesCore() {
    if (Run().stringInputGuard) return 0;
    Run().inPump = 1;
    ClipCursorToClient();
    if (!libraryFlags.noWindow) {
        if (!Settings().mainWindow) {
            Run().inPump = 0;
            return Run().quit ? -1 : 0;
        }
        if (!Settings().useUserWindow) {
            SwitchModeOnRequest();
            if (RunMessageLoop() == LoopEnd::kDone && OnWindowThread() && !Settings().menuAlwaysShown)
                UpdateFullScreenMenu();
        }
        if (!Run().closeRequested) DrainActivationRing();
    }
    PerPumpWork();
    Run().inPump = 0;
    return Run().quit ? -1 : 0;
}
