// Menus: a window keeps the menu handle it is given. Nothing in this system creates a menu, so a
// handle names no items.
#include "platform/user/user32.h"
#include "platform/user/window_store.h"

HMENU WINAPI GetMenu(HWND window) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    return record ? record->menu : nullptr;
}

BOOL WINAPI SetMenu(HWND window, HMENU menu) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || (record->style & WS_CHILD)) return FALSE;
    record->menu = menu;
    return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND window) {
    return IsWindow(window);
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    return menu ? TRUE : FALSE;
}

int WINAPI GetMenuItemCount(HMENU) {
    return -1;
}

BOOL WINAPI GetMenuItemInfoA(HMENU, UINT, BOOL, MENUITEMINFOA*) {
    return FALSE;
}

HMENU WINAPI GetSubMenu(HMENU, int) {
    return nullptr;
}
