// The lane forms of the stand-in's fast path against the channel rules of pixel_format.h over every
// input they meet.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/pixel_format.h"
#include "platform/d3d9/texel_lanes.h"

namespace d3d9 {
namespace {

#if defined(__SSE2__)

uint16_t Lane0(__m128i v) {
    uint16_t out[8];
    std::memcpy(out, &v, 16);
    return out[0];
}
__m128i Splat(int v) {
    return _mm_set1_epi16(int16_t(v));
}

TEST(TexelLanes, Div255ForEverySumOfTwoProducts) {
    int mismatches = 0;
    for (int x = 0; x <= 255 * 255; ++x) mismatches += Lane0(Div255Lanes(Splat(x))) != Div255(x);
    EXPECT_EQ(mismatches, 0);
}

TEST(TexelLanes, QuantizeAndExpandForEveryChannel) {
    int mismatches = 0;
    for (int v = 0; v < 256; ++v) {
        mismatches += Lane0(QuantizeLanes(Splat(v), 31)) != Quantize(v, 31);
        mismatches += Lane0(QuantizeLanes(Splat(v), 63)) != Quantize(v, 63);
    }
    for (int v = 0; v < 32; ++v) mismatches += Lane0(ExpandLanes(Splat(v), 31)) != Expand5(v);
    for (int v = 0; v < 64; ++v) mismatches += Lane0(ExpandLanes(Splat(v), 63)) != Expand6(v);
    EXPECT_EQ(mismatches, 0);
}

#endif

}  // namespace
}  // namespace d3d9
