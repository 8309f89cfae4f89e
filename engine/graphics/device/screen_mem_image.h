// The screen's software image: what the software renderer draws into and the software present copies
// into the window.
#pragma once

#include "engine/softrender/mem_img.h"

// The screen image and the two further records kept with it (views over the whole screen image).
struct ScreenMemImages {
    MEMIMG screen;
    MEMIMG views[2];
};

extern ScreenMemImages screenMemImages;

// Creates the screen image of the logical screen size (RGB565 when the colour bits are 16, else
// XRGB8888), filled black, and makes it the current software draw target. Ends the process when it
// cannot be made. 0.
int CreateScreenMemImage();
// Releases the screen image and its views; the software draw target leaves them. 0.
int ReleaseScreenMemImages();
// Null while none exists.
MEMIMG* GetScreenMemImage();
