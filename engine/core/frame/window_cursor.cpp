#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"

int UpdateCursorVisibility(int setting) {
    LibraryRunState& run = libraryState.run;
    if (setting != -1) run.cursorVisibleSetting = setting;
    int shown = run.cursorVisibleSetting == 1 || IsMenuShown();
    if (setting != -1 && shown == run.cursorShown) return 0;
    if (shown) {
        while (ShowCursor(TRUE) < 0) {
        }
    } else {
        while (ShowCursor(FALSE) >= 0) {
        }
    }
    HWND window = GetTargetWindowHandle();
    if (window) PostMessageA(window, WM_SETCURSOR, WPARAM(window), 0);
    run.cursorShown = shown;
    return 0;
}

int GetMousePointInClient(int* x, int* y) {
    POINT point;
    GetCursorPos(&point);
    const LibrarySettings& settings = libraryState.settings;
    if (settings.windowMode) {
        double rateX = settings.sizeRateX <= 0.0 ? 1.0 : settings.sizeRateX;
        double rateY = settings.sizeRateY <= 0.0 ? 1.0 : settings.sizeRateY;
        point.x = LONG((point.x - libraryState.run.clientRect.left) / rateX);
        point.y = LONG((point.y - libraryState.run.clientRect.top - GetToolbarHeight()) / rateY);
    }
    if (x) *x = point.x;
    if (y) *y = point.y;
    return 0;
}

int LogMouseClick(int button) {
    LibraryRunState& run = libraryState.run;
    if (run.clickCount >= kMouseClickLimit) return -1;
    MouseClickRecord& click = run.clicks[run.clickCount++];
    click.button = button;
    GetMousePointInClient(&click.x, &click.y);
    return 0;
}
