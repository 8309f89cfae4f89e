#include "engine/core/frame/main_window.h"

#include <cstdio>
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/timer_precision.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_procedure.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/helpers/random.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/input/char_input.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics_services.h"
#include "platform/gdi/gdi32.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

constexpr char kDefaultWindowText[] = "Tavik";
constexpr char kFallbackClassName[] = "Q480615V";
constexpr double kMegabyte = 1048576.0;

unsigned finestTimerPeriod = 0;
int windowModuleStarted = 0;  // loading threads' state and file handles started by CreateMainWindow

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

void FindLayeredWindowCall() {
    HMODULE user32 = LoadLibraryA("user32");
    if (!user32) return;
    Run().updateLayeredWindow = reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow"));
    FreeLibrary(user32);
}

void LogMemory() {
    typedef BOOL(WINAPI * MemoryStatusEx)(LPMEMORYSTATUSEX);
    Settings().memoryTotalMb = Settings().memoryFreeMb = 0.0;
    HMODULE kernel = GetSystemInformation().osVersionCode > 261 ? LoadLibraryA("Kernel32.dll") : nullptr;
    auto statusEx =
        kernel ? reinterpret_cast<MemoryStatusEx>(GetProcAddress(kernel, "GlobalMemoryStatusEx")) : nullptr;
    if (statusEx) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        if (statusEx(&status)) {
            Settings().memoryTotalMb = double(status.ullTotalPhys) / kMegabyte;
            Settings().memoryFreeMb = double(status.ullAvailPhys) / kMegabyte;
        }
    }
    if (kernel) FreeLibrary(kernel);
    if (Settings().memoryTotalMb == 0.0) {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof(status);
        GlobalMemoryStatus(&status);
        Settings().memoryTotalMb = double(status.dwTotalPhys) / kMegabyte;
        Settings().memoryFreeMb = double(status.dwAvailPhys) / kMegabyte;
    }
    LogPrintf("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", Settings().memoryTotalMb, Settings().memoryFreeMb);
    char line[64];
    std::snprintf(line, sizeof(line), "%.2fMB\n", Settings().memoryFreeMb);
    OutputDebugStringA(line);
}

void ReadDesktop() {
    Run().desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    Run().desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    HDC dc = GetDC(nullptr);
    Run().desktopBits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
}

void LogicalSize(int* width, int* height) {
    GetLogicalScreenSize(width, height);
    if (GetHalfSizeEmulation()) *width = 640, *height = 480;
}

// -1 when another copy runs and that is not allowed.
int CheckDoubleStart() {
    LogText("ソフトの二重起動検査... ");
    if (!FindWindowA(Settings().className, nullptr)) {
        LogText("二重起動はされていませんでした\n");
        return 0;
    }
    if (Settings().allowDoubleStart) {
        LogText("二重起動されていますが続行します\n");
        return 0;
    }
    LogText("二重起動されています、ソフトを終了します\n");
    Run().quit = 1;
    libraryFlags.endRequested = 1;
    return -1;
}

void RegisterWindowClass() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);  // 48 bytes with 32-bit pointers
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = Run().instance;
    windowClass.hIcon =
        Settings().icon ? Settings().icon
                        : LoadIconA(Run().instance, Settings().iconId ? MAKEINTRESOURCEA(Settings().iconId)
                                                                      : IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = Settings().className;
    LogText("ウインドウクラスを登録します... ");
    if (!RegisterClassExA(&windowClass)) {
        Run().quit = 1;
        libraryFlags.endRequested = 1;
    } else {
        LogText("登録に成功しました\n");
    }
}

HWND CreateFullScreenWindow() {
    LogText("フルスクリーンモード用のウインドウを作成します\n");
    Run().cursorVisibleSetting = 0;
    int width, height;
    LogicalSize(&width, &height);
    return CreateWindowExA(CurrentWindowExStyle(), Settings().className, Settings().windowText,
                           CurrentWindowStyle(), 0, 0, width, height, nullptr, nullptr, Run().instance,
                           nullptr);
}

HWND CreateWindowModeWindow() {
    LogText("ウインドウモード起動用のウインドウを作成します\n");
    Run().cursorVisibleSetting = 1;
    int screenWidth, screenHeight, width, height;
    LogicalSize(&screenWidth, &screenHeight);
    double rateX = Settings().sizeRateX <= 0.0 ? 1.0 : Settings().sizeRateX;
    double rateY = Settings().sizeRateY <= 0.0 ? 1.0 : Settings().sizeRateY;
    if (Settings().useClientSize && !Settings().sizeRateOnly) {
        Settings().sizeRateX = rateX = double(Settings().clientWidth) / screenWidth;
        Settings().sizeRateY = rateY = double(Settings().clientHeight) / screenHeight;
    }
    if (Settings().useClientSize && Settings().sizeRateOnly) {
        width = Settings().clientWidth;
        height = Settings().clientHeight;
    } else {
        width = int(screenWidth * rateX);
        height = int(screenHeight * rateY);
    }
    const DWORD style = CurrentWindowStyle(), exStyle = CurrentWindowExStyle();
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, style, Settings().menu != nullptr, exStyle);
    Run().captionHeight = -rect.top;
    const int outerWidth = rect.right - rect.left, outerHeight = rect.bottom - rect.top;
    int x = (Run().desktopWidth - outerWidth) / 2, y = (Run().desktopHeight - outerHeight) / 2;
    if (Settings().usePosition) x = Settings().positionX, y = Settings().positionY;
    Run().menuAttached = Settings().menu != nullptr;
    return CreateWindowExA(exStyle, Settings().className, Settings().windowText, style, x, y, outerWidth,
                           outerHeight, nullptr, Settings().menu, Run().instance, nullptr);
}

void ShowCreatedWindow(HWND window) {
    LogText("ウインドウの作成に成功しました\n");
    if (Settings().startHidden) {
        ShowWindow(window, SW_HIDE);
    } else if (Settings().startMinimised) {
        ShowWindow(window, SW_MINIMIZE);
        UpdateWindow(window);
    } else {
        LogText("ウインドウを表示します\n");
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
}

// The window itself; -1 when it could not be made.
int OpenWindow() {
    if (Settings().menu) CollectMenuItems(Settings().menu);
    if (Settings().useUserWindow) {
        Settings().mainWindow = Settings().userWindow;
        Settings().userWindowProc =
            reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Settings().userWindow, GWLP_WNDPROC));
    } else {
        Run().beingCreated = 1;
        RegisterWindowClass();
        if (!Settings().windowText[0]) std::strcpy(Settings().windowText, kDefaultWindowText);
        HWND window = Settings().windowMode ? CreateWindowModeWindow() : CreateFullScreenWindow();
        if (!window) {
            Run().quit = 1;
            libraryFlags.endRequested = 1;
            LogText("ウインドウの作成に失敗しました\n");
            Run().beingCreated = 0;
            return -1;
        }
        Settings().mainWindow = window;
        ShowCreatedWindow(window);
    }
    HWND window = Settings().mainWindow;
    Run().closeRequested = 0;
    Run().destroyed = 0;
    Run().active = 1;
    if (!Settings().windowMode) {
        LogText("カーソルを不可視にしました\n");
        SetCursor(nullptr);
    }
    LogText("ＩＭＥを無効にしました\n");
    if (!Settings().startMinimised && !Settings().imeWanted && systemFunctions.WINNLSEnableIME)
        systemFunctions.WINNLSEnableIME(window, FALSE);
    if (Settings().windowMode) RefreshClientRect();
    RefreshWindowRect();
    UpdateCursorVisibility(Settings().windowMode ? 1 : 0);
    Run().ending = 0;
    if (!Settings().useUserWindow && !Settings().startHidden && !Settings().startMinimised) {
        BringWindowToTop(window);
        UpdateWindowSize();
    }
    Run().beingCreated = 0;
    return 0;
}

void CloseMainWindow() {
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_SENDCHANGE);
    if (libraryFlags.noWindow) {
        Run().quit = 1;
        libraryFlags.endRequested = 1;
        return;
    }
    HWND window = Settings().mainWindow;
    if (systemFunctions.WINNLSEnableIME) systemFunctions.WINNLSEnableIME(window, TRUE);
    while (ShowCursor(TRUE) < 0) {
    }
    PostMessageA(window, WM_SETCURSOR, WPARAM(window), 0);
    if (Settings().windowRegion) {
        DeleteObject(Settings().windowRegion);
        Settings().windowRegion = nullptr;
    }
    if (Settings().menu) {
        SetMenu(window, nullptr);
        DestroyMenu(Settings().menu);
        Settings().menu = nullptr;
        Run().menuItemCount = Run().selectedMenuIdCount = 0;
    }
    if (Run().toolbarPresent && Settings().windowMode) {
        DeleteAllToolbarButtons();
        Run().toolbarPresent = 0;
        UpdateWindowSize();
    }
    if (!Settings().useUserWindow) {
        if (!Run().closeRequested) {
            Run().closeRequested = 1;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        while (PumpMessagesCore() == 0 && !Run().destroyed) {
        }
        UnregisterClassA(Settings().className, Run().instance);
    } else {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Settings().userWindowProc));
        Run().quit = 1;
        libraryFlags.endRequested = 1;
    }
    DeleteAllStringInputs();
    Run().savedImageKept = 0;
    FreeDroppedFileList();
}

}  // namespace

int CreateMainWindow() {
    ResetLibraryRunState();
    Run().instance = GetModuleHandleA(nullptr);
    Run().windowThreadId = GetCurrentThreadId();
    InitAsyncLoad(Run().windowThreadId);
    InitFileHandleType();
    windowModuleStarted = 1;
    FindLayeredWindowCall();
    if (!Settings().className[0])
        std::strcpy(Settings().className,
                    Settings().windowText[0] ? Settings().windowText : kFallbackClassName);
    LogMemory();
    ReadDesktop();
    finestTimerPeriod = StartTimers();
    SeedRandom(uint32_t(GetMillisecondCount()));
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_SENDCHANGE);
    if (GetCharacterSet() == CHARSET_DEFAULT) SetCharacterSetFromCodePage(int(GetOEMCP()));
    if (!libraryFlags.noWindow) {
        if (CheckDoubleStart() != 0) return -1;
        if (OpenWindow() != 0) return -1;
    }
    if (StartAsyncLoadThreads(GetSystemInformation().processorCount) != 0) {
        LogText("非同期読み込み処理を行うスレッドの立ち上げに失敗しました\n");
        Run().quit = 1;
        libraryFlags.endRequested = 1;
        return -1;
    }
    return 0;
}

int BringWindowToForeground(HWND window, int topmost) {
    DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(foregroundThread, windowThread, TRUE);
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(uintptr_t(timeout)), 0);
    AttachThreadInput(foregroundThread, windowThread, FALSE);
    if (topmost)
        SetWindowPos(Settings().mainWindow, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    return 0;
}

int OnWindowMoved(LPARAM lParam) {
    if (Settings().useUserWindow) return 0;
    RECT client;
    GetClientRect(Settings().mainWindow, &client);
    const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
    Run().clientRect = RECT{x, y, x + client.right, y + client.bottom};
    // Switching mask drawing off and back makes the moved front screen the render target again; the
    // switch is left as it was.
    if (GetDrawTargetHandle() == -4) {
        const int masked = GetMaskDrawingEnabled();
        SetMaskDrawingEnabled(0);
        SetMaskDrawingEnabled(masked);
    }
    return 0;
}

// A window that failed to start still has its loading state, file handles and timers ended.
int EndMainWindow() {
    if (!Settings().mainWindow && !libraryFlags.noWindow && !windowModuleStarted) return 0;
    if (Settings().mainWindow || libraryFlags.noWindow) CloseMainWindow();
    if (!windowModuleStarted) return 0;
    windowModuleStarted = 0;
    StopAsyncLoadThreads();
    EndFileHandleType();
    EndAsyncLoad();
    EndTimers(finestTimerPeriod);
    finestTimerPeriod = 0;
    DeleteLayeredWindowBitmap();
    return 0;
}

unsigned GetFinestTimerPeriod() {
    return finestTimerPeriod;
}
