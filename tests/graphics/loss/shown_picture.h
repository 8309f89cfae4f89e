// What a window shows after a present, read back from the host.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/host/host.h"

// The window's picture as 0xAARRGGBB.
inline std::vector<uint32_t> ShownPicture(HWND window) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(HostReadPicture(window, &pixels, &width, &height));
    return pixels;
}

inline bool AllPixelsAre(const std::vector<uint32_t>& pixels, uint32_t argb) {
    return !pixels.empty() &&
           std::all_of(pixels.begin(), pixels.end(), [argb](uint32_t p) { return p == argb; });
}
