// The main window's modes and size: window or full-screen mode, the styles of each mode, the window
// size from the screen size and the size rates, and the window text.
#pragma once

#include "platform/kernel/win_types.h"

// 1 window mode, 0 full screen; 0 on success, -1 on failure.
int ChangeWindowMode(int windowMode);
int SetWindowModeFlagAndMenu(int windowMode);
int GetWindowModeFlag();
int ApplyWindowStyles();
int UpdateWindowSize();
// rateY of 0 or less takes rateX; rates of 0 or less mean 1.0.
int SetWindowSizeRate(double rateX, double rateY);
double GetWindowSizeRate(double* rateX, double* rateY);
int SetMainWindowText(const char* text);
HWND GetMainWindowHandle();

// The style and extended style of a style mode (0-10) in window mode (windowMode 1) or full screen,
// without the extras that settings add.
DWORD WindowStyleOfMode(int styleMode, int windowMode);
DWORD WindowExStyleOfMode(int styleMode, int windowMode);
// The style and extended style with the extras of the current settings.
DWORD CurrentWindowStyle();
DWORD CurrentWindowExStyle();
// 1 when a display mode of the logical screen size exists, or the screen is 320 x 240 with hardware
// drawing; a 320 x 240 screen then starts the half-size emulation at 640 x 480.
int PrepareFullScreenSize();
