#include "engine/graphics/device/front_screen_timer.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"

int StartFrontScreenTimer(int on) {
    if (on)
        SetTimer(libraryState.settings.mainWindow, kFrontScreenTimerId, kFrontScreenTimerPeriod,
                 FrontScreenTimerProc);
    return 0;
}

// The timer stops by itself once another draw screen is selected or the window is layered.
void CALLBACK FrontScreenTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = libraryState.settings.mainWindow;
    KillTimer(window, kFrontScreenTimerId);
    if (GetDrawTargetHandle() != kDrawTargetFrontScreen || libraryState.settings.layered) return;
    if (GetWindowActiveFlag()) FlipFrameEntry();
    SetTimer(window, kFrontScreenTimerId, kFrontScreenTimerPeriod, FrontScreenTimerProc);
}
