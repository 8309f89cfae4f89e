// The main window's settings as the game sets them: window or full-screen mode, size rate and title.
#pragma once

#include "platform/kernel/win_types.h"

// 1 window mode, 0 full screen; 0 on success, -1 on failure.
int ChangeWindowMode(int windowMode);
int SetWindowSizeRate(double rateX, double rateY);
int SetMainWindowText(const char* text);
HWND GetMainWindowHandle();
