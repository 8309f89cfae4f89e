#include <cstdio>
#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/graphics_services.h"

namespace {

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

void AttachMenu(int attach) {
    SetMenu(Settings().mainWindow, attach ? Settings().menu : nullptr);
    Run().menuAttached = attach;
}

}  // namespace

int IsMenuShown() {
    if (!Settings().mainWindow || !Settings().menu || Settings().menuHidden) return 0;
    return Settings().menuAlwaysShown || Settings().windowMode || Run().fullScreenMenuCounter > 0;
}

// Separators give -1; otherwise the item's text (up to 127 bytes), command id and sub-menu.
int GetMenuItemText(HMENU menu, int position, char* name, int* id, HMENU* subMenu) {
    char text[kMenuItemNameSize] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_TYPE | MIIM_ID | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = sizeof(text) - 1;
    if (!GetMenuItemInfoA(menu, UINT(position), TRUE, &info) || (info.fType & MFT_SEPARATOR)) return -1;
    text[sizeof(text) - 1] = 0;
    std::memcpy(name, text, sizeof(text));
    *id = int(info.wID);
    *subMenu = info.hSubMenu;
    return 0;
}

int CollectMenuItems(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MenuItemRecord item = {};
        int id = 0;
        HMENU subMenu = nullptr;
        if (GetMenuItemText(menu, position, item.name, &id, &subMenu) != 0) continue;
        if (Run().menuItemCount < kMenuItemLimit) {
            item.menu = menu;
            item.position = uint16_t(position);
            item.id = uint16_t(id);
            Run().menuItems[Run().menuItemCount++] = item;
        }
        if (subMenu) CollectMenuItems(subMenu);
    }
    return 0;
}

int GetMenuItemNameById(int id, char* name) {
    for (int i = 0; i < Run().menuItemCount; ++i) {
        if (Run().menuItems[i].id != id) continue;
        std::memcpy(name, Run().menuItems[i].name, kMenuItemNameSize);
        return 0;
    }
    return -1;
}

int UpdateMenuVisibility(int show) {
    int before = IsMenuShown();
    Settings().menuHidden = !show;
    int after = IsMenuShown();
    if (before == after || !Settings().mainWindow) return 0;
    AttachMenu(after);
    if (Settings().windowMode) ApplyWindowStyles();
    UpdateWindow(Settings().mainWindow);
    return 0;
}

int UpdateFullScreenMenu() {
    if (Settings().windowMode || !Settings().menu || !Settings().mainWindow) return 0;
    POINT point;
    GetCursorPos(&point);
    if (HasD3DDevice()) {
        if (!Run().menuAttached) AttachMenu(1);
        if (point.y < 60) UpdateCursorVisibility(-1);
        return 0;
    }
    Run().fullScreenMenuCounter = point.y < 60;
    SetDialogBoxModeFlag(GetDialogBoxModeFlag());
    UpdateCursorVisibility(-1);
    UpdateMenuVisibility(!Settings().menuHidden);
    return 0;
}
