#include "engine/core/frame/window_procedure.h"

#include "engine/core/frame/activation.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/main_window.h"
#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_sizing.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/input/char_input.h"
#include "engine/core/input/input.h"
#include "engine/core/input/network.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics_services.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/movie_services.h"
#include "platform/gdi/gdi32.h"
#include "platform/user/shell32.h"

namespace {

constexpr int kThrottledFlipMilliseconds = 65;

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

void PostCloseOnce() {
    if (Run().closeRequested) return;
    Run().closeRequested = 1;
    PostMessageA(Settings().mainWindow, WM_CLOSE, 0, 0);
}

void OnDestroy() {
    LogText("ウインドウが破棄されようとしています\n");
    Run().destroyed = 1;
    if (!Settings().noQuitMessageOnDestroy) PostQuitMessage(0);
    Run().quit = 1;
    libraryFlags.endRequested = 1;
    LogText("ソフトを終了する準備が整いました\n");
}

void OnSize(WPARAM wParam) {
    static int updating = 0;
    RefreshWindowRect();
    Run().minimised = wParam == SIZE_MINIMIZED;
    if (wParam == SIZE_MAXIMIZED && Settings().windowMode && Settings().altEnterSwitchesMode &&
        !Run().modeChangeRunning && !Run().beingCreated) {
        Run().modeSwitchRequested = 1;
    } else if (wParam != SIZE_MINIMIZED && !updating) {
        updating = 1;
        UpdateWindowSize();
        updating = 0;
    }
    if (Run().toolbarPresent && Run().toolbar) SendMessageA(Run().toolbar, WM_SIZE, wParam, 0);
}

void OnClose() {
    LogText("ウインドウを閉じようとしています\n");
    if (!(Settings().userHandlesClose && !Run().ending)) DestroyWindow(Settings().mainWindow);
    if (Run().ending == 0) Run().ending = 4;
}

void OnActivate(UINT message, WPARAM wParam) {
    const int fromApp = message == WM_ACTIVATEAPP;
    if (fromApp && wParam != 0) return;
    if (Run().quit || Run().closeRequested) return;
    while (GetAsyncLoadPendingCount() > 0) {
        ProcessMainThreadRequests();
        Sleep(GetSystemInformation().processorCount == 1 ? 2 : 0);
    }
    ActivationRing& ring = Run().activation;
    if (Run().inPump && !Run().beingCreated && ring.count < kActivationRingSize) {
        ring.active[ring.writeIndex] = int(wParam);
        ring.fromActivateApp[ring.writeIndex] = fromApp;
        ring.writeIndex = (ring.writeIndex + 1) % kActivationRingSize;
        ++ring.count;
    } else {
        HandleActivationChange(int(wParam), fromApp);
    }
}

void OnSetCursorMenu(LPARAM lParam) {
    if (Settings().windowMode || !HasD3DDevice() || !Settings().menu) return;
    const int hit = LOWORD(lParam);
    if ((hit == HTMENU || hit == HTCAPTION) && Run().fullScreenMenuCounter < 5) {
        SetDialogBoxModeSafe(1);
        DrawMenuBar(Settings().mainWindow);
        ++Run().fullScreenMenuCounter;
        UpdateCursorVisibility(-1);
    } else if (hit != 0 && Run().fullScreenMenuCounter > 0) {
        SetDialogBoxModeSafe(0);
        Run().fullScreenMenuCounter = 0;
    }
}

void OnMouse(UINT message) {
    if (message == WM_LBUTTONDOWN) LogMouseClick(1);
    if (message == WM_RBUTTONDOWN) LogMouseClick(2);
    if (message == WM_MBUTTONDOWN) LogMouseClick(4);
    if (Run().cursorShown) return;
    SetCursor(nullptr);
    while (ShowCursor(FALSE) >= 0) {
    }
}

void OnDisplayChange(WPARAM wParam, LPARAM lParam) {
    if (!Settings().windowMode || Run().modeChangeRunning) return;
    const int bits = int(wParam), width = LOWORD(lParam), height = HIWORD(lParam);
    int screenWidth, screenHeight, screenBits;
    GetScreenSize(&screenWidth, &screenHeight, &screenBits);
    if (bits != screenBits || width != screenWidth || height != screenHeight) {
        if (!HasRestoreCallback() || bits == 24 || bits == 8 || width < screenWidth ||
            height < screenHeight) {
            LogText("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
            LogText("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
            PostCloseOnce();
            return;
        }
        if (CheckMovieTypeInit() == 0) ResumeAllMovies();
    }
    Run().displayChanged = 1;
}

void OnCommand(WPARAM wParam) {
    const int id = LOWORD(wParam);
    if (Run().toolbarPresent && id >= kFirstToolbarId) {
        const int button = FindToolbarButton(id);
        if (button != -1) {
            if (Run().toolbarButtons[button].kind == kToolbarPushButton)
                Run().toolbarButtons[button].clicked = 1;
            return;
        }
    }
    if (!Settings().menu) return;
    if (Settings().menuIdCallback) Settings().menuIdCallback(id);
    char name[kMenuItemNameSize];
    if (Settings().menuNameCallback && GetMenuItemNameById(id, name) == 0)
        Settings().menuNameCallback(name, id);
    if (Run().selectedMenuIdCount >= kSelectedMenuIdLimit) return;
    for (int i = 0; i < Run().selectedMenuIdCount; ++i)
        if (Run().selectedMenuIds[i] == id) return;
    Run().selectedMenuIds[Run().selectedMenuIdCount++] = id;
}

// A throttled flip at most every 65 ms; the first partial paint only marks it pending.
void FlipForPaint(const PAINTSTRUCT& paint) {
    RECT client;
    GetClientRect(Settings().mainWindow, &client);
    const int vsync = IsWaitVerticalSync();
    SetWaitVerticalSync(0);
    const RECT& area = paint.rcPaint;
    if (area.left == client.left && area.top == client.top && area.right == client.right &&
        area.bottom == client.bottom) {
        FlipFrameEntry();
    } else if (!Run().flipPending) {
        Run().flipPending = 1;
    } else {
        const int now = GetMillisecondCount();
        if (MillisecondsBetween(Run().lastThrottledFlip, now) >= kThrottledFlipMilliseconds) {
            FlipFrameEntry();
            Run().lastThrottledFlip = now;
        }
    }
    SetWaitVerticalSync(vsync);
}

void OnPaint(HWND window) {
    Run().painted = 1;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (Settings().windowMode) {
        Run().inPaint = 1;
        if (!Run().active && Run().savedImageKept && !Settings().runAlways && !Run().minimised)
            RestoreScreenFromSavedImage();
        if (!libraryFlags.initialised && !Settings().windowRegion) {
            RECT client;
            GetClientRect(window, &client);
            if (Settings().backgroundColourSet) {
                HBRUSH brush = CreateSolidBrush(
                    RGB(Settings().backgroundRed, Settings().backgroundGreen, Settings().backgroundBlue));
                FillRect(dc, &client, brush);
                DeleteObject(brush);
            } else {
                FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            }
        } else if (libraryFlags.initialised && GetDrawTargetHandle() == -2) {
            FlipForPaint(paint);
        }
        Run().inPaint = 0;
    }
    EndPaint(window, &paint);
}

void SetPrivateFlag(UINT message, WPARAM wParam) {
    if (message == kPrivateFlagAMessage) {
        wParam == 1 ? PrivateMessageFlagAOn() : PrivateMessageFlagAOff();
    } else {
        wParam == 1 ? PrivateMessageFlagBOn() : PrivateMessageFlagBOff();
    }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool userWindow = Settings().useUserWindow != 0;
    LRESULT userResult = 0;
    if (userWindow && Settings().userWindowProc)
        userResult = CallWindowProcA(Settings().userWindowProc, window, message, wParam, lParam);
    if (Settings().messageHook) {
        int handled = 0;
        LRESULT result = Settings().messageHook(window, message, wParam, lParam, &handled);
        if (handled) return result;
    }
    switch (message) {
        case WM_CREATE:
            if (Settings().windowRegion) SetWindowRgn(window, Settings().windowRegion, FALSE);
            break;
        case WM_DESTROY:
            if (!userWindow) OnDestroy();
            break;
        case WM_MOVE:
            RefreshWindowRect();
            if (Settings().windowMode && !Run().modeChangeRunning) OnWindowMoved(lParam);
            break;
        case WM_SIZE:
            OnSize(wParam);
            break;
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_CLOSE:
            if (userWindow) break;
            OnClose();
            return 0;
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
            OnActivate(message, wParam);
            break;
        case WM_SETCURSOR:
            OnSetCursorMenu(lParam);
            OnMouse(message);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            OnMouse(message);
            break;
        case WM_MOUSEWHEEL:
            Run().wheelVertical += short(HIWORD(wParam));
            break;
        case WM_MOUSEHWHEEL:
            Run().wheelHorizontal += short(HIWORD(wParam));
            break;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(wParam, lParam);
            break;
        case WM_NCHITTEST:
            if (!Settings().windowMode && HasD3DDevice() && short(HIWORD(lParam)) < 8) return HTMENU;
            break;
        case WM_KEYDOWN:
            if (CharCodeBufferHasRoom() && EditKeyCodeOf(int(wParam)))
                PutCharCode(EditKeyCodeOf(int(wParam)));
            break;
        case WM_CHAR:
            if (CharMessageCode(int(wParam)) >= 0) PutCharCode(CharMessageCode(int(wParam)));
            break;
        case WM_SYSCHAR:
            if (wParam == 13 && Settings().altEnterSwitchesMode) {
                Run().modeSwitchRequested = 1;
                return 0;
            }
            break;
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_ENDCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_SETCONTEXT:
        case WM_IME_NOTIFY:
            return HandleImeMessage(window, message, wParam, lParam);
        case WM_COMMAND:
            OnCommand(wParam);
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_KEYMENU && Settings().systemKeyLock) return 0;
            if ((wParam & 0xFFF0) == SC_MONITORPOWER || (wParam & 0xFFF0) == SC_SCREENSAVE) return 1;
            break;
        case WM_SIZING:
            RefreshWindowRect();
            if (Settings().windowMode && !userWindow)
                SizeWindowRect(int(wParam), reinterpret_cast<RECT*>(lParam), CurrentWindowFrame());
            break;
        case WM_MOVING:
            RefreshWindowRect();
            if (!Settings().windowMode) *reinterpret_cast<RECT*>(lParam) = Run().windowRect;
            break;
        case WM_DROPFILES:
            AddDroppedFiles(reinterpret_cast<HDROP>(wParam));
            break;
        case kMciNotifyMessage:
            ReplayOrCloseMidiMci();
            break;
        case kPrivateFlagAMessage:
        case kPrivateFlagBMessage:
            SetPrivateFlag(message, wParam);
            break;
        case kSocketMessage:
            return HandleSocketMessage(window, message, wParam, lParam);
        default:
            break;
    }
    return userWindow ? userResult : DefWindowProcA(window, message, wParam, lParam);
}
