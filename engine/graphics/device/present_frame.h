// Presenting a finished frame: through the swap chain in Direct3D mode, through the layered window, or
// by copying the screen's software image into the window.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

struct MEMIMG;

// The present-source switch with its rectangle (nothing in this system sets it), and the source and
// destination rectangles handed to the last window-mode present.
struct PresentRects {
    int32_t sourceSwitch;
    RECT source;
    RECT lastSource;
    RECT lastDestination;
};

extern PresentRects presentRects;

// rect: null, or the window rectangle to present into. 0, or -1 when a present or copy fails or the
// mapped rectangle is empty (nothing is presented then).
int PresentFrame(const RECT* rect);

// The software path of PresentFrame for a screen image. 0 (also when the image is not valid), -1 for an
// empty mapped rectangle.
int PresentSoftwareImage(const MEMIMG* image, const RECT* rect);

// rect mapped through the last source and destination sizes; false when a size is 0 or the result is
// empty.
bool MapPresentRect(const RECT& rect, RECT* mapped);

// Tests: every rectangle and the switch back to 0.
void ResetPresentRectsForTests();
