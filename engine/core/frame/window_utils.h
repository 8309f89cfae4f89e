// Small operations around the main window: rectangles, getters, the cursor and mouse, the menu and the
// toolbar, clipboard text, dropped files, and waiting while the window is inactive.
#pragma once

#include "platform/kernel/kernel32.h"
#include "platform/kernel/win_types.h"
#include "platform/user/shell32.h"
#include "platform/user/user32.h"

// Window and client rectangles (screen coordinates) from the window as it stands.
void RefreshWindowRect();
void RefreshClientRect();

HWND GetTargetWindowHandle();  // the user-supplied window when set, else the main window
int GetWindowActiveFlag();
int GetRunAlwaysFlag();
int GetCloseRequestedFlag();
int GetDesktopScreenInfo(int* width, int* height, int* bits);
int SetDesktopCompositionEnabled(int enabled);
int FileTimeToDateTime(const FILETIME* fileTime, int dateTime[6]);

// Cursor and mouse.
int UpdateCursorVisibility(int setting);  // -1 keeps the setting
int GetMousePointInClient(int* x, int* y);
int LogMouseClick(int button);

// Menu.
int IsMenuShown();
int GetMenuItemText(HMENU menu, int position, char* name, int* id, HMENU* subMenu);
int CollectMenuItems(HMENU menu);
int GetMenuItemNameById(int id, char* name);
int UpdateMenuVisibility(int show);
int UpdateFullScreenMenu();

// Toolbar.
int FindToolbarButton(int id);  // index, or -1
int GetToolbarHeight();
int DeleteAllToolbarButtons();

// Clipboard text. buffer null: the text's size + 1. A buffer too small for the text, a closed clipboard or
// no text: -1.
int GetClipboardTextCopy(char* buffer, int bufferSize);
// 0, or -1 when the text can't be put on the clipboard.
int SetClipboardTextCopy(const char* text);

// Dropped files.
int AddDroppedFiles(HDROP drop);
int GetDroppedFileCount();
const char* GetDroppedFileName(int index);
int FreeDroppedFileList();

// While the window is inactive.
int RestoreScreenFromSavedImage();
int ShouldWaitWhileInactive();
int WaitWhileInactive();
