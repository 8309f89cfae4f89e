#include "engine/graphics/loss/mask_pixels.h"

#include <cstring>

#include "engine/image/color_format.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

namespace {

uint8_t* PixelAt(const MEMIMG& image, int x, int y) {
    return image.pixels + y * image.base->pitch + x * image.base->pixelBytes;
}

bool SameFormat(const MEMIMG& a, const MEMIMG& b) {
    const ColorFormat &fa = *a.base->colorFormat, &fb = *b.base->colorFormat;
    return a.base->pixelBytes == b.base->pixelBytes && fa.redMask == fb.redMask &&
           fa.greenMask == fb.greenMask && fa.blueMask == fb.blueMask;
}

uint32_t Convert(uint32_t value, const ColorFormat& from, const ColorFormat& to) {
    int r, g, b, a;
    UnpackPixelRgba(&from, value, &r, &g, &b, &a);
    return MakePixelValue(&to, r, g, b, a);
}

}  // namespace

void WriteMaskAlpha(uint8_t* pixels, int pitch, int rows, const ColorFormat& format, const uint8_t* mask,
                    int maskPitch, int width, int height) {
    std::memset(pixels, 0, size_t(pitch) * size_t(rows));
    const uint32_t opaque = MakePixelValue(&format, 0, 0, 0, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (mask[y * maskPitch + x] != 0)
                WritePixelValue(pixels + y * pitch + x * format.pixelBytes, format.pixelBytes, opaque);
}

void CopyMaskedPixels(const MEMIMG& drawn, MEMIMG* screen, const uint8_t* mask, int maskPitch, int reverse,
                      const IntRect& rect) {
    const int fromBytes = drawn.base->pixelBytes, toBytes = screen->base->pixelBytes;
    if ((fromBytes != 2 && fromBytes != 4) || (toBytes != 2 && toBytes != 4)) return;
    const bool same = SameFormat(drawn, *screen);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if ((mask[y * maskPitch + x] != 0) != (reverse != 0)) continue;
            uint32_t value = ReadPixelValue(PixelAt(drawn, x, y), fromBytes);
            if (!same) value = Convert(value, *drawn.base->colorFormat, *screen->base->colorFormat);
            WritePixelValue(PixelAt(*screen, x, y), toBytes, value);
        }
    }
    MarkMemImgDrawn(screen->base);
}
