#include "platform/user/window_store.h"

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) || !windowClass->lpszClassName ||
        IS_INTRESOURCE(windowClass->lpszClassName) || !*windowClass->lpszClassName ||
        !windowClass->lpfnWndProc)
        return 0;
    UserLock lock(UserMutex());
    std::string key = UpperAscii(windowClass->lpszClassName);
    auto& classes = ClassRecords();
    if (classes.count(key)) return 0;
    static ATOM next_atom = 0xC000;
    WindowClassRecord record;
    record.name = windowClass->lpszClassName;
    record.atom = next_atom++;
    record.style = windowClass->style;
    record.procedure = windowClass->lpfnWndProc;
    record.instance = windowClass->hInstance;
    record.icon = windowClass->hIcon;
    record.cursor = windowClass->hCursor;
    record.background = windowClass->hbrBackground;
    classes[key] = record;
    return record.atom;
}

// Fails while a window of the class exists, as on Windows.
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    UserLock lock(UserMutex());
    WindowClassRecord* record = FindClassRecord(className);
    if (!record) return FALSE;
    for (HWND window : AllWindows())
        if (UpperAscii(FindWindowRecord(window)->class_name) == UpperAscii(record->name)) return FALSE;
    ClassRecords().erase(UpperAscii(record->name));
    return TRUE;
}
