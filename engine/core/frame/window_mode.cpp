#include "engine/core/frame/window_mode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics_services.h"
#include "platform/user/user32.h"

namespace {

struct StylePair {
    DWORD style;
    DWORD exStyle;
};

constexpr StylePair kWindowModeStyles[11] = {
    {0x80CA0000, 0x300}, {0x80080000, 0x300}, {0x80080000, 0x0},   {0x80CA0000, 0x80},
    {0x80080000, 0x80},  {0x80C80000, 0x100}, {0x80CA0000, 0x300}, {0x80CB0000, 0x300},
    {0x81CB0000, 0x300}, {0x80CA0000, 0x100}, {0x81CB0000, 0x100},
};

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

bool OwnWindow() {
    return Settings().mainWindow != nullptr && !Settings().useUserWindow;
}

double Rate(double rate) {
    return rate <= 0.0 ? 1.0 : rate;
}

// The logical screen size, 640 x 480 in full screen under the half-size emulation.
void ScreenSizeForWindow(int* width, int* height) {
    GetLogicalScreenSize(width, height);
    if (Settings().windowMode == 0 && GetHalfSizeEmulation()) *width = 640, *height = 480;
}

// Outer rectangle of a client size with the current styles.
RECT OuterRect(int clientWidth, int clientHeight) {
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, CurrentWindowStyle(), Settings().menu != nullptr && Run().menuAttached,
                       CurrentWindowExStyle());
    return rect;
}

void ApplyFullScreenStyles() {
    LogText("ウインドウスタイルをフルスクリーンモード用に変更します... ");
    int width, height;
    ScreenSizeForWindow(&width, &height);
    HWND window = Settings().mainWindow;
    SetWindowLongA(window, GWL_EXSTYLE, LONG(CurrentWindowExStyle()));
    SetWindowLongA(window, GWL_STYLE, LONG(CurrentWindowStyle()));
    Run().clientRect = RECT{0, 0, width, height};
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, width, height, SWP_NOREDRAW);
    UpdateCursorVisibility(0);
}

void ApplyWindowModeStyles() {
    LogText("ウインドウスタイルをウインドウモード用に変更します... ");
    HWND window = Settings().mainWindow;
    SetWindowLongA(window, GWL_EXSTYLE, LONG(CurrentWindowExStyle()));
    SetWindowLongA(window, GWL_STYLE, LONG(CurrentWindowStyle()));
    int width, height;
    if (Settings().useClientSize) {
        width = Settings().clientWidth;
        height = Settings().clientHeight;
    } else if (!Settings().sizeRateOnly) {
        ScreenSizeForWindow(&width, &height);
        width = int(width * Rate(Settings().sizeRateX));
        height = int(height * Rate(Settings().sizeRateY)) + GetToolbarHeight();
    } else {
        RECT client;
        GetClientRect(window, &client);
        width = client.right - client.left;
        height = client.bottom - client.top;
    }
    RECT outer = OuterRect(width, height);
    int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    int x = (Run().desktopWidth - outerWidth) / 2, y = (Run().desktopHeight - outerHeight) / 2;
    if (Settings().usePosition) x = Settings().positionX, y = Settings().positionY;
    SetWindowPos(window, HWND_NOTOPMOST, x, y, outerWidth, outerHeight, 0);
    SetWindowPos(window, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER);
    RefreshClientRect();
    if (Run().clientRect.left < 0 || Run().clientRect.top < 0) {
        x -= std::min(0, int(Run().clientRect.left));
        y -= std::min(0, int(Run().clientRect.top));
        SetWindowPos(window, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER);
        RefreshClientRect();
    }
    UpdateCursorVisibility(1);
}

}  // namespace

DWORD WindowStyleOfMode(int styleMode, int windowMode) {
    if (!windowMode) return WS_POPUP;
    return kWindowModeStyles[std::clamp(styleMode, 0, 10)].style;
}

DWORD WindowExStyleOfMode(int styleMode, int windowMode) {
    if (!windowMode) return WS_EX_TOPMOST;
    return kWindowModeStyles[std::clamp(styleMode, 0, 10)].exStyle;
}

DWORD CurrentWindowStyle() {
    DWORD style = WindowStyleOfMode(Settings().styleMode, Settings().windowMode);
    if (!Settings().windowMode) return style;
    if (Settings().altEnterSwitchesMode) style |= WS_MAXIMIZEBOX;
    if (Run().stylesApplied) style |= WS_VISIBLE;
    if (Settings().sizable) style |= WS_THICKFRAME;
    return style;
}

DWORD CurrentWindowExStyle() {
    DWORD exStyle = WindowExStyleOfMode(Settings().styleMode, Settings().windowMode);
    if (Settings().windowMode && Settings().layered) exStyle |= WS_EX_LAYERED;
    return exStyle;
}

int PrepareFullScreenSize() {
    int width, height;
    GetLogicalScreenSize(&width, &height);
    bool quarter = width == 320 && height == 240;
    bool found = false;
    DisplayMode mode;
    for (int i = 0, count = GetDisplayModeCount(); i < count && !found; ++i)
        found = GetDisplayModeAt(i, &mode) == 0 && mode.width == width && mode.height == height;
    if (!found && !(quarter && IsHardwareDrawingEnabled())) return 0;
    if (quarter) {
        SetHalfSizeEmulation(1);
        SetScreenSize(640, 480);
    }
    return 1;
}

int ChangeWindowMode(int windowMode) {
    LogText("ChangeWindowMode実行 \n");
    if (windowMode == Settings().windowMode) return 0;
    if (windowMode == 0 && OwnWindow() && !PrepareFullScreenSize()) return -1;
    Run().stylesApplied = 1;
    Run().displayChanged = 0;
    SetWindowModeFlagAndMenu(windowMode);
    if (!OwnWindow()) return 0;
    Run().modeChangeRunning = 1;
    ApplyWindowStyles();
    int result = ChangeScreenModeCore(-1, -1, -1, 1, -1);
    Run().modeChangeRunning = 0;
    if (windowMode == 0) Run().fullScreenMenuCounter = 0;
    return result;
}

int SetWindowModeFlagAndMenu(int windowMode) {
    Settings().windowMode = windowMode;
    LogText(windowMode ? "ウインドウモードフラグが立てられました\n"
                       : "ウインドウモードフラグが倒されました\n");
    if (Settings().menu && Settings().mainWindow) {
        SetMenu(Settings().mainWindow, windowMode ? Settings().menu : nullptr);
        Run().menuAttached = windowMode;
    }
    return 0;
}

int GetWindowModeFlag() {
    return Settings().windowMode;
}

int ApplyWindowStyles() {
    if (!OwnWindow()) return 0;
    if (Settings().windowMode) {
        ApplyWindowModeStyles();
    } else {
        ApplyFullScreenStyles();
    }
    LogText("完了\n");
    SetActiveWindow(Settings().mainWindow);
    PostMessageA(Settings().mainWindow, WM_SETCURSOR, WPARAM(Settings().mainWindow), 0);
    return 0;
}

int UpdateWindowSize() {
    if (!OwnWindow()) return 0;
    HWND window = Settings().mainWindow;
    int targetWidth, targetHeight;
    ScreenSizeForWindow(&targetWidth, &targetHeight);
    targetWidth = int(targetWidth * Rate(Settings().sizeRateX));
    targetHeight = int(targetHeight * Rate(Settings().sizeRateY));
    int width = targetWidth, height = targetHeight;
    if (Settings().useClientSize) {
        width = std::min(Settings().clientWidth, targetWidth);
        height = std::min(Settings().clientHeight, targetHeight);
        if (Settings().sizable || Settings().sizeRateOnly) {
            if (libraryFlags.initialising) {
                Run().clearClientSizeAtInitEnd = 1;
            } else {
                Settings().useClientSize = 0;
            }
        }
    } else if (Settings().sizeRateOnly) {
        RECT client;
        GetClientRect(window, &client);
        width = std::min(int(client.right - client.left), targetWidth);
        height = std::min(int(client.bottom - client.top), targetHeight);
    }
    RECT outer = OuterRect(width, height + GetToolbarHeight());
    RECT current;
    GetWindowRect(window, &current);
    int x = current.left, y = current.top;
    if (Settings().usePosition) {
        x = Settings().positionX, y = Settings().positionY;
        if (!libraryFlags.initialising) Settings().usePosition = 0;
    }
    MoveWindow(window, x, y, outer.right - outer.left, outer.bottom - outer.top, TRUE);
    if (Settings().windowMode && !Run().stylesApplied) {
        Run().stylesApplied = 1;
        ApplyWindowStyles();
    }
    return 0;
}

int SetWindowSizeRate(double rateX, double rateY) {
    if (rateY <= 0.0) rateY = rateX;
    if (rateX == Settings().sizeRateX && rateY == Settings().sizeRateY) return 0;
    Settings().sizeRateX = Rate(rateX);
    Settings().sizeRateY = Rate(rateY);
    Settings().useClientSize = 0;
    if (Settings().windowMode) ApplyWindowStyles();
    return 0;
}

double GetWindowSizeRate(double* rateX, double* rateY) {
    Settings().sizeRateX = Rate(Settings().sizeRateX);
    Settings().sizeRateY = Rate(Settings().sizeRateY);
    double x = Settings().windowMode ? Settings().sizeRateX : 1.0;
    double y = Settings().windowMode ? Settings().sizeRateY : 1.0;
    if (rateX) *rateX = x;
    if (rateY) *rateY = y;
    return x;
}

int SetMainWindowText(const char* text) {
    std::snprintf(Settings().windowText, sizeof(Settings().windowText), "%s", text ? text : "");
    if (Settings().mainWindow) SetWindowTextA(Settings().mainWindow, Settings().windowText);
    return 0;
}

HWND GetMainWindowHandle() {
    return Settings().mainWindow;
}
