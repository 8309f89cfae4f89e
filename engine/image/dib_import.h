// Bitmaps held in memory (a BITMAPINFO and its bits) turned into SoftImages.
#pragma once

#include "platform/gdi/gdi32.h"

struct SoftImage;

// A top-down 16-, 24- or 32-bit bitmap (BI_RGB for 16 and 24 bits, or BI_BITFIELDS) keeps its pixel
// format; every other bitmap is drawn into a 24-bit DIB section. 1 when the image owns newly allocated
// pixels, `copy` when its pixels are the caller's bits, -1 on failure.
int ConvertDibToSoftImage(const BITMAPINFO* info, const void* bits, SoftImage* image, int copy);

// Any bitmap GDI reads (1/4/8-bit palette, RLE4, RLE8, 16 and 32 bits with or without bit fields, 24 bits,
// either row order) drawn into a top-down 24-bit DIB section and copied into a new 24-bit image. The
// caller guarantees that bits holds the whole bitmap (RLE data: biSizeImage bytes). 0, or -1 when the
// section can't be made, GDI can't read the bitmap, or the copy can't be allocated.
int ConvertDibThroughGdi(const BITMAPINFO* info, const void* bits, SoftImage* image);
