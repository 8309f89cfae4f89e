// What a window does with a message its procedure leaves to the system.
#include "platform/user/user32.h"
#include "platform/user/window_store.h"

namespace {

LRESULT EraseBackground(HWND window, HDC dc) {
    HBRUSH brush;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || !record->background) return 0;
        brush = record->background;
    }
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    return 1;
}

}  // namespace

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return EraseBackground(window, reinterpret_cast<HDC>(wParam));
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_NCACTIVATE:
            return TRUE;
        case WM_SETCURSOR:
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(window, WM_CLOSE, 0, 0);
            if ((wParam & 0xFFF0) == SC_MINIMIZE) return ShowWindow(window, SW_MINIMIZE), 0;
            if ((wParam & 0xFFF0) == SC_RESTORE) return ShowWindow(window, SW_RESTORE), 0;
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SETTEXT:
            return SetWindowTextA(window, reinterpret_cast<LPCSTR>(lParam));
        default:
            return 0;
    }
}
