// The lane forms against the scalar formulas over every input, and the lane rows against the scalar
// mix pixel by pixel (including the pixels a row leaves to its caller).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/softrender/pixel_lanes.h"
#include "engine/softrender/pixel_math.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/softrender/soft_test_support.h"

namespace {

using namespace softrender;

#if defined(__SSE2__)

std::vector<uint16_t> Lanes(__m128i v) {
    std::vector<uint16_t> out(8);
    std::memcpy(out.data(), &v, 16);
    return out;
}

TEST(PixelLanes, FloorMixLanesEqualsFloorMixForEveryInput) {
    int mismatches = 0;
    for (int w = 0; w < 256; ++w) {
        const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(w));
        for (int t = 0; t < 256; ++t) {
            const __m128i target = _mm_set1_epi16(static_cast<int16_t>(t));
            for (int d0 = 0; d0 < 256; d0 += 8) {
                const __m128i d = _mm_setr_epi16(d0, d0 + 1, d0 + 2, d0 + 3, d0 + 4, d0 + 5, d0 + 6, d0 + 7);
                const std::vector<uint16_t> got = Lanes(FloorMixLanes(target, d, weight));
                for (int i = 0; i < 8; ++i) mismatches += got[i] != FloorMix<int32_t>(d0 + i, t, w, 8);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PixelLanes, Lerp6LanesEqualsTheTableForEveryInput) {
    softtest::EnsureTables();
    int mismatches = 0;
    for (int a = 0; a < 64; ++a) {
        for (int s = 0; s < 64; ++s) {
            for (int d0 = 0; d0 < 64; d0 += 8) {
                const __m128i d = _mm_setr_epi16(d0, d0 + 1, d0 + 2, d0 + 3, d0 + 4, d0 + 5, d0 + 6, d0 + 7);
                const std::vector<uint16_t> got =
                    Lanes(Lerp6Lanes(_mm_set1_epi16(static_cast<int16_t>(s)), d, _mm_set1_epi16(a)));
                for (int i = 0; i < 8; ++i)
                    mismatches += got[i] != g_softBlendTables.Lerp6Table[a][s][d0 + i];
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Random pixels with the edge alphas 0 and 255 among them.
std::vector<uint32_t> RandomPixels(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> out(n);
    for (uint32_t& p : out) {
        p = rng();
        if (rng() % 4 == 0) p = (p & 0x00FFFFFF) | (rng() % 2 ? 0xFF000000u : 0u);
    }
    return out;
}

uint32_t Mix8888(uint32_t d, uint32_t t, int w) {
    const Rgb dc = Split8888(d), tc = Split8888(t);
    return Pack8888({FloorMix<int32_t>(dc.r, tc.r, w, 8), FloorMix<int32_t>(dc.g, tc.g, w, 8),
                     FloorMix<int32_t>(dc.b, tc.b, w, 8)},
                    d);
}
uint32_t Mix565(uint32_t d, uint32_t t, int w) {
    const Rgb dc = Split565(d), tc = Split565(t);
    return Pack565({FloorMix<int32_t>(dc.r, tc.r, w, 8), FloorMix<int32_t>(dc.g, tc.g, w, 8),
                    FloorMix<int32_t>(dc.b, tc.b, w, 8)});
}

// A sprite's row: runs of clear, opaque and translucent pixels, long enough to fill whole steps of
// the row loops (which skip the clear ones and copy the opaque ones) and short enough to share steps.
std::vector<uint32_t> SpritePixels(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> out(n);
    for (size_t i = 0; i < n;) {
        const uint32_t kind = rng() % 3;
        for (size_t end = std::min(n, i + 1 + rng() % 20); i < end; ++i) {
            const uint32_t colour = rng() & 0x00FFFFFF;
            out[i] = colour | (kind == 0 ? 0u : kind == 1 ? 0xFF000000u : (1 + rng() % 254) << 24);
        }
    }
    return out;
}

constexpr int32_t kRow = 37;  // not a multiple of a step: the row returns what it left

void RowsOf8888EqualTheScalarMix(const std::vector<uint32_t>& src, const std::vector<uint32_t>& start) {
    const int32_t length = static_cast<int32_t>(src.size());
    for (int variant = 0; variant < 3; ++variant) {
        std::vector<uint32_t> dst = start;
        auto* d = reinterpret_cast<uint8_t*>(dst.data());
        const auto* s = reinterpret_cast<const uint8_t*>(src.data());
        const int32_t done = variant == 0   ? FloorMixRow8888(d, s, length, 200)
                             : variant == 1 ? AlphaMixRow8888<false>(d, s, length)
                                            : AlphaMixRow8888<true>(d, s, length);
        EXPECT_EQ(done, length / 4 * 4);
        for (int32_t i = 0; i < length; ++i) {
            const int alpha = static_cast<int>(src[i] >> 24);
            uint32_t want = Mix8888(start[i], src[i], variant == 0 ? 200 : alpha);
            if (variant == 2 && alpha == 255) want = src[i];
            EXPECT_EQ(dst[i], i < done ? want : start[i]) << "variant " << variant << " pixel " << i;
        }
    }
}

void RowsOf565EqualTheScalarMixAndLerp(const std::vector<uint32_t>& src, const std::vector<uint32_t>& wide) {
    const int32_t length = static_cast<int32_t>(src.size());
    std::vector<uint16_t> start(length), plain(length);
    for (int32_t i = 0; i < length; ++i)
        start[i] = static_cast<uint16_t>(wide[i]), plain[i] = static_cast<uint16_t>(src[i]);
    const uint16_t key = plain[5];
    for (int variant = 0; variant < 4; ++variant) {
        std::vector<uint16_t> dst = start;
        auto* d = reinterpret_cast<uint8_t*>(dst.data());
        // The alpha rows read 32-bit pixels with the alpha in bits 16-23.
        std::vector<uint32_t> alphaSource(length);
        for (int32_t i = 0; i < length; ++i) alphaSource[i] = (src[i] >> 24) << 16 | plain[i];
        const auto* alphaBytes = reinterpret_cast<const uint8_t*>(alphaSource.data());
        const auto* plainBytes = reinterpret_cast<const uint8_t*>(plain.data());
        const int32_t done = variant == 0   ? AlphaMixRow565<false>(d, alphaBytes, length)
                             : variant == 1 ? AlphaMixRow565<true>(d, alphaBytes, length)
                             : variant == 2 ? Lerp6Row565<false>(d, plainBytes, length, 45, 0)
                                            : Lerp6Row565<true>(d, plainBytes, length, 45, key);
        EXPECT_EQ(done, length / 8 * 8);
        const uint8_t* plane = &g_softBlendTables.Lerp6Table[45][0][0];
        for (int32_t i = 0; i < length; ++i) {
            const int alpha = static_cast<int>(src[i] >> 24);
            uint32_t want;
            if (variant < 2) {
                want = variant == 1 && alpha == 255 ? plain[i] : Mix565(start[i], plain[i], alpha);
            } else if (variant == 3 && plain[i] == key) {
                want = start[i];
            } else {
                const Rgb dc = Split565(start[i]), sc = Split565(plain[i]);
                want = Pack565({Lerp6Step(plane, sc.r, dc.r), Lerp6Step(plane, sc.g, dc.g),
                                Lerp6Step(plane, sc.b, dc.b)});
            }
            EXPECT_EQ(dst[i], i < done ? want : start[i]) << "variant " << variant << " pixel " << i;
        }
    }
}

TEST(PixelLanes, RowsOf8888EqualTheScalarMix) {
    for (const std::vector<uint32_t>& src : {RandomPixels(kRow, 1), SpritePixels(kRow * 5, 5)}) {
        RowsOf8888EqualTheScalarMix(src, RandomPixels(src.size(), 2));
    }
}

TEST(PixelLanes, RowsOf565EqualTheScalarMixAndLerp) {
    softtest::EnsureTables();
    for (const std::vector<uint32_t>& src : {RandomPixels(kRow, 3), SpritePixels(kRow * 5, 6)}) {
        RowsOf565EqualTheScalarMixAndLerp(src, RandomPixels(src.size(), 4));
    }
}

// Key pixels leave the destination, every other pixel is stored whole, whatever the runs.
TEST(PixelLanes, KeyCopyRowsStoreAllButTheKey) {
    std::mt19937 rng(7);
    const uint32_t key = 0x00FF00FF;
    std::vector<uint32_t> wide(kRow * 5);
    for (size_t i = 0; i < wide.size();) {
        const bool keyed = rng() % 2 == 0;
        for (size_t end = std::min(wide.size(), i + 1 + rng() % 20); i < end; ++i)
            wide[i] = keyed ? key : rng() % 8 == 0 ? key ^ 0xFF000000u : rng();
    }
    const std::vector<uint32_t> start = RandomPixels(wide.size(), 8);
    const int32_t n = static_cast<int32_t>(wide.size());
    std::vector<uint32_t> dst = start;
    const int32_t done = KeyCopyRow<4>(reinterpret_cast<uint8_t*>(dst.data()),
                                       reinterpret_cast<const uint8_t*>(wide.data()), n, key);
    EXPECT_EQ(done, n / 4 * 4);
    for (int32_t i = 0; i < n; ++i)
        EXPECT_EQ(dst[i], i >= done || wide[i] == key ? start[i] : wide[i]) << "32-bit pixel " << i;
    std::vector<uint16_t> narrow(wide.size()), start16(wide.size());
    for (size_t i = 0; i < wide.size(); ++i)
        narrow[i] = static_cast<uint16_t>(wide[i]), start16[i] = static_cast<uint16_t>(start[i]);
    std::vector<uint16_t> dst16 = start16;
    const int32_t done16 = KeyCopyRow<2>(reinterpret_cast<uint8_t*>(dst16.data()),
                                         reinterpret_cast<const uint8_t*>(narrow.data()), n, key & 0xFFFF);
    EXPECT_EQ(done16, n / 8 * 8);
    for (int32_t i = 0; i < n; ++i)
        EXPECT_EQ(dst16[i], i >= done16 || narrow[i] == (key & 0xFFFF) ? start16[i] : narrow[i])
            << "565 pixel " << i;
}

#endif

}  // namespace
