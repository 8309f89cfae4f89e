// The update region (kept as one rectangle) and painting.
#include <algorithm>
#include <cstring>

#include "platform/user/user32.h"
#include "platform/user/window_store.h"

namespace {

RECT Union(const RECT& a, const RECT& b) {
    if (a.right <= a.left || a.bottom <= a.top) return b;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

void InvalidateOne(WindowRecord* record, const RECT* rect, bool erase) {
    RECT whole{0, 0, ClientWidth(*record), ClientHeight(*record)};
    RECT area = rect ? *rect : whole;
    record->invalid_rect = record->invalid ? Union(record->invalid_rect, area) : area;
    record->invalid = true;
    record->erase = record->erase || erase;
}

}  // namespace

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    UserLock lock(UserMutex());
    if (!window) {
        for (HWND handle : AllWindows()) InvalidateOne(FindWindowRecord(handle), nullptr, erase != FALSE);
        return TRUE;
    }
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    InvalidateOne(record, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND window, const RECT*) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    record->invalid = false;
    record->erase = false;
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (!paint) return nullptr;
    std::memset(paint, 0, sizeof(*paint));
    bool erase;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return nullptr;
        paint->rcPaint = record->invalid ? record->invalid_rect : RECT{0, 0, 0, 0};
        erase = record->erase;
        record->invalid = false;
        record->erase = false;
    }
    HDC dc = GetDC(window);
    paint->hdc = dc;
    paint->fErase = erase && !SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}
