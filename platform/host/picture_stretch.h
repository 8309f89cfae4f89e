// Nearest-pixel stretch of a 32-bit picture into part of a window's picture: what HostPresent does with
// every frame, so the common cases are cheap (an unscaled row is one straight copy, a row that repeats the
// one above is one memcpy of it, and the source column of each target column is worked out once a call).
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

struct StretchSource {
    const uint8_t* bytes = nullptr;  // 0xXXRRGGBB rows
    int width = 0;
    int height = 0;
    int64_t pitch_bytes = 0;
};

struct StretchTarget {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;  // rows of width pixels each
};

// Target pixel (x, y) of dest takes source pixel ((x - left) * width / dest width, likewise y), ORed with
// alpha_or; only the part of dest inside the target is written. False for an empty dest.
bool StretchPicture(const StretchSource& source, const RECT& dest, const StretchTarget& target,
                    uint32_t alpha_or);
