// What the host reports about a window (the user resized, moved, minimised or restored it) and changes
// of the display, applied to the window records with the messages Windows would send.
#pragma once

#include "platform/user/user32.h"

void OnHostResize(HWND window, int width, int height);
void OnHostMove(HWND window, int client_x, int client_y);
void OnHostMinimize(HWND window, bool minimized);
// After a display mode change: pop-up windows covering the screen become full screen and back.
void RefreshFullScreenWindows();
