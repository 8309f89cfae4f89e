#include "engine/core/frame/window_utils.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "platform/gdi/gdi32.h"

namespace {

int compositionEnabled = 1;

}  // namespace

void RefreshWindowRect() {
    HWND window = GetTargetWindowHandle();
    if (window) GetWindowRect(window, &libraryState.run.windowRect);
}

void RefreshClientRect() {
    HWND window = GetTargetWindowHandle();
    if (!window) return;
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    libraryState.run.clientRect = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

HWND GetTargetWindowHandle() {
    const LibrarySettings& settings = libraryState.settings;
    return settings.useUserWindow ? settings.userWindow : settings.mainWindow;
}

int GetWindowActiveFlag() {
    return libraryState.run.active;
}
int GetRunAlwaysFlag() {
    return libraryState.settings.runAlways;
}
int GetCloseRequestedFlag() {
    return libraryState.run.closeRequested;
}

int GetDesktopScreenInfo(int* width, int* height, int* bits) {
    if (libraryFlags.initialised) {
        if (width) *width = libraryState.run.desktopWidth;
        if (height) *height = libraryState.run.desktopHeight;
        if (bits) *bits = libraryState.run.desktopBits;
        return 0;
    }
    if (width) *width = GetSystemMetrics(SM_CXSCREEN);
    if (height) *height = GetSystemMetrics(SM_CYSCREEN);
    if (bits) {
        HDC dc = GetDC(nullptr);
        *bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
        ReleaseDC(nullptr, dc);
    }
    return 0;
}

int SetDesktopCompositionEnabled(int enabled) {
    if (enabled == compositionEnabled) return 0;
    compositionEnabled = enabled;
    if (systemFunctions.DwmEnableComposition) systemFunctions.DwmEnableComposition(UINT(enabled));
    return 0;
}

int FileTimeToDateTime(const FILETIME* fileTime, int dateTime[6]) {
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(fileTime, &local);
    FileTimeToSystemTime(&local, &time);
    const int values[6] = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    for (int i = 0; i < 6; ++i) dateTime[i] = values[i];
    return 0;
}
