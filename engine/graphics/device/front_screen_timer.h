// While the front screen is the draw screen, a 32 ms timer flips it so that what is drawn shows.
#pragma once

#include "platform/user/user32.h"

constexpr UINT_PTR kFrontScreenTimerId = 32767;
constexpr UINT kFrontScreenTimerPeriod = 32;

// on non-zero: starts the timer (the draw target just became the front screen).
int StartFrontScreenTimer(int on);
void CALLBACK FrontScreenTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
