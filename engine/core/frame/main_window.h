// The library's main window: its creation at init (state reset, timers, double-start check, class and
// window), bringing it to the front, following its moves, and its end.
#pragma once

#include "platform/kernel/win_types.h"

// Creates the window for the current mode and starts the loading threads; 0, or -1 (quit is set).
int CreateMainWindow();
int EndMainWindow();
int BringWindowToForeground(HWND window, int topmost);
int OnWindowMoved(LPARAM lParam);
// The finest period of the multimedia timer (what init began with timeBeginPeriod), 0 before.
unsigned GetFinestTimerPeriod();
