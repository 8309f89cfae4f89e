#include "engine/image/half_size.h"

#include <cstring>

#include "engine/image/color_format.h"
#include "engine/image/soft_image.h"

namespace {

struct Region {
    uint8_t* base;
    int pitch;
    int x;
    int y;
    int bytes;
    uint8_t* At(int px, int py) const {
        return base + static_cast<intptr_t>(y + py) * pitch + static_cast<intptr_t>(x + px) * bytes;
    }
};

// Truncated mean of `count` pixel values, channel by channel; no fill mask is added.
uint32_t AveragePixels(const ColorFormat* f, const uint32_t* values, int count, int shift) {
    const uint32_t masks[4] = {f->redMask, f->greenMask, f->blueMask, f->alphaMask};
    const int shifts[4] = {f->redShift, f->greenShift, f->blueShift, f->alphaShift};
    uint32_t result = 0;
    for (int c = 0; c < 4; ++c) {
        uint64_t sum = 0;
        for (int i = 0; i < count; ++i) sum += (values[i] & masks[c]) >> shifts[c];
        result |= (static_cast<uint32_t>(sum >> shift) << shifts[c]) & masks[c];
    }
    return result;
}

}  // namespace

int ShrinkImageByHalf(const ColorFormat* format, void* destPixels, int destPitch, const void* srcPixels,
                      int srcPitch, int destX, int destY, int srcX, int srcY, int width, int height) {
    if ((width != 1 && width % 2 != 0) || (height != 1 && height % 2 != 0)) return -1;
    int bytes = format->pixelBytes;
    Region src{static_cast<uint8_t*>(const_cast<void*>(srcPixels)), srcPitch, srcX, srcY, bytes};
    Region dst{static_cast<uint8_t*>(destPixels), destPitch, destX, destY, bytes};
    bool supportedDepth = format->bitDepth == 16 || format->bitDepth == 32;
    if (width == 1 && height == 1) {
        if (supportedDepth) std::memcpy(dst.At(0, 0), src.At(0, 0), format->bitDepth / 8);
        return 0;
    }
    if (!supportedDepth) return -1;
    int valueBytes = format->bitDepth / 8;
    // Pixels covered by one output pixel in each direction: 2, or 1 where the region is 1 wide or high.
    int spanX = width > 1 ? 2 : 1;
    int spanY = height > 1 ? 2 : 1;
    int shift = spanX * spanY == 4 ? 2 : 1;
    for (int y = 0; y < height / spanY; ++y) {
        for (int x = 0; x < width / spanX; ++x) {
            uint32_t values[4];
            int n = 0;
            for (int dy = 0; dy < spanY; ++dy)
                for (int dx = 0; dx < spanX; ++dx)
                    values[n++] = ReadPixelValue(src.At(x * spanX + dx, y * spanY + dy), valueBytes);
            WritePixelValue(dst.At(x, y), valueBytes, AveragePixels(format, values, n, shift));
        }
    }
    return 0;
}
