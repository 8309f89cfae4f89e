// Sizing the main window by its frame (WM_SIZING): the client size keeps the screen's aspect (or stays
// within the size-rate limit), never falls below 128 pixels on the screen's smaller side, and becomes
// the new size rate.
#pragma once

#include "platform/kernel/win_types.h"

// Frame widths around the client area: outer rectangle minus client rectangle on each side.
struct WindowFrame {
    int left, top, right, bottom;
};

// edge: a WMSZ_ code; rect: the proposed outer rectangle, changed in place.
void SizeWindowRect(int edge, RECT* rect, const WindowFrame& frame);
// The frame of the main window with its current styles.
WindowFrame CurrentWindowFrame();
