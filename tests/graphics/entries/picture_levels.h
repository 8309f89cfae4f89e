// A graphic's (or with -1 the draw screen's) top-left width x height pixels read through the back-buffer
// lock as red, green and blue levels in the target's own steps, row by row; empty when the lock fails.
#pragma once

#include <cstring>
#include <vector>

#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/image/soft_image.h"

inline std::vector<int> ReadPictureLevels(int graphic, int width, int height) {
    std::vector<int> levels;
    const RECT whole{0, 0, width, height};
    SoftImage image{};
    if (LockBackBuffer(&whole, &image, graphic, 1, 0) != 0 || image.pixels == nullptr) return levels;
    const ColorFormat& f = image.format;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t value = 0;
            std::memcpy(&value,
                        static_cast<const uint8_t*>(image.pixels) + y * image.pitch + x * f.pixelBytes,
                        f.pixelBytes);
            for (uint32_t mask : {f.redMask, f.greenMask, f.blueMask})
                levels.push_back(int((value & mask) >> __builtin_ctz(mask)));
        }
    ReleaseBackBufferLock();
    return levels;
}
