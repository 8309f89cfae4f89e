// Where a device context draws: a window's picture (through the host) or the DIB section selected into
// a memory device context. Used under GdiMutex().
#pragma once

#include <cstdint>

#include "platform/gdi/dib_source.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/host/host.h"

struct DcTarget {
    HWND window = nullptr;
    HostPicture picture;
    BitmapObject* bitmap = nullptr;
    int width = 0;
    int height = 0;
    int mask_shift[3] = {};
    int mask_width[3] = {};
    bool changed = false;
};

// False when the device context has nothing to draw into (the screen, a memory device context without
// a DIB section of 16, 24 or 32 bits, a window without a picture).
bool AcquireDcTarget(HDC dc, DcTarget* target);
// Shows a window's picture when something was drawn.
void ReleaseDcTarget(DcTarget* target);
// x and y must lie inside the target. pixel is 0xXXRRGGBB.
void WriteDcPixel(DcTarget* target, int x, int y, uint32_t pixel);
