#include <gtest/gtest.h>

#include <random>

#include "engine/softrender/pixel_math.h"
#include "tests/softrender/reference_renderer.h"

namespace {

using namespace softrender;

struct WordCase {
    const char* name;
    uint32_t (*op)(uint32_t, uint32_t);
    uint32_t d, s, expected;
};

TEST(PixelMath, WordOperationVectors) {
    const WordCase cases[] = {
        {"add8888 coarse carry", MaskedAdd8888Coarse, 0x00808080, 0x00808080, 0x01FFFFFF},
        {"add8888 full carry", MaskedAdd8888, 0x00808080, 0x00808080, 0x01FFFFFF},
        {"packed add", PackedAddSat, 0x00808080, 0x00808080, 0x00FFFFFF},
        {"packed sub equal", PackedSubSat, 0x00808080, 0x00808080, 0x00000000},
        {"masked sub equal", MaskedSub8888, 0x00808080, 0x00808080, 0x00010100},
        {"packed sub", PackedSubSat, 0x00808080, 0x00010101, 0x007F7F7F},
        {"masked sub", MaskedSub8888, 0x00808080, 0x00010101, 0x0081817F},
        {"coarse add low bits", MaskedAdd8888Coarse, 0x00808080, 0x00010101, 0x00808081},
        {"add low bits", MaskedAdd8888, 0x00808080, 0x00010101, 0x00818181},
        {"weight 0 add", MaskedAdd8888, 0xAB808080, 0, 0x00808080},
        {"weight 0 sub", MaskedSub8888, 0xAB808080, 0, 0x00818180},
        {"packed add byte 3", PackedAddSat, 0xF0000000, 0x40000000, 0xFF000000},
        {"packed sub byte 3", PackedSubSat, 0x30000000, 0x40000000, 0},
        {"add565 green overflow", MaskedAdd565, 0x0500, 0x0500, 0x0FC0},
        {"add565 coarse green overflow", MaskedAdd565Coarse, 0x0500, 0x0500, 0x0FC0},
        {"sub565 zero", MaskedSub565, 0, 0, 0x0800},
        {"sub565 keeps no green low bit", MaskedSub565, 0xFFFF, 0, 0xFFDF},
        {"add565 small", MaskedAdd565, 0x0010, 0x0010, 0x003F},
        {"pair add red carry into right blue", MaskedAdd565Pair, 0x0000F800, 0x0000F800, 0x0001F800},
        {"pair sub black", MaskedSub565Pair, 0, 0, 0x08010800},
        {"subtract colour 0", MaskedSub8888, 0x00000200, 0, 0x00010300},
        {"add 0x020202 to white", MaskedAdd8888, 0x00FFFFFF, 0x00020202, 0x01FFFFFF},
        {"add 0x010101 to white", MaskedAdd8888, 0x00FFFFFF, 0x00010101, 0x00FFFFFF},
        {"sub 1 from 2 green", MaskedSub8888, 0x00000200, 0x00000100, 0x00010300},
    };
    for (const auto& c : cases) EXPECT_EQ(c.op(c.d, c.s), c.expected) << c.name;
}

// The masked words against their channel-by-channel readings in the reference, over random pixels.
TEST(PixelMath, MaskedWordsMatchChannelReadings) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t d = rng(), s = rng() & 0x00FFFFFF;
        const uint32_t d16 = d & 0xFFFF, s16 = s & 0xFFFF;
        ASSERT_EQ(MaskedAdd8888(d & 0x00FFFFFF, s), ref::AddWord(1, d, s)) << std::hex << d << " " << s;
        ASSERT_EQ(MaskedSub8888(d, s), ref::SubWord(1, d, s)) << std::hex << d << " " << s;
        ASSERT_EQ(MaskedAdd565(d16, s16), ref::AddWord(0, d16, s16)) << std::hex << d16 << " " << s16;
        ASSERT_EQ(MaskedSub565(d16, s16), ref::SubWord(0, d16, s16)) << std::hex << d16 << " " << s16;
    }
}

// A pair's left pixel is the coarse single-pixel result.
TEST(PixelMath, PairLeftPixelIsSinglePixel) {
    std::mt19937 rng(8);
    for (int i = 0; i < 100000; ++i) {
        const uint32_t d = rng(), s = rng();
        ASSERT_EQ(MaskedAdd565Pair(d, s) & 0xFFFF, MaskedAdd565Coarse(d & 0xFFFF, s & 0xFFFF));
        ASSERT_EQ(MaskedSub565Pair(d, s) & 0xFFFF, MaskedSub565(d & 0xFFFF, s & 0xFFFF));
    }
}

TEST(PixelMath, HalfBlends) {
    EXPECT_EQ(HalfBlend565(0xFFFF, 0x0000), 0x7BEFu);
    EXPECT_EQ(HalfBlend8888(0x00010101, 0xFF010101), 0u);
    EXPECT_EQ(HalfBlend8888(0x00FEFEFE, 0x00020202), 0x00808080u);
}

TEST(PixelMath, ChannelFormulas) {
    EXPECT_EQ(FloorMix(255, 0, 1, 8), 254);  // floor(-255 / 256) = -1
    EXPECT_EQ(FloorMix(0, 255, 255 * 255 * 254, 24), 251);
    EXPECT_EQ(FloorMix(0, 31, 128, 8), 15);
    EXPECT_EQ(TintShift8(255, 255), 254);
    EXPECT_EQ(TintShift8(31, 128), 15);
    EXPECT_EQ(Complement(0, 5), 31);
    EXPECT_EQ(Complement(10, 6), 53);
    EXPECT_EQ(TintColourShift8<Depth::Xrgb8888>(0xFFFFFFFF, 0x00FF8080), 0xFFFE7F7Fu);
    EXPECT_EQ(TintColourShift8<Depth::Rgb565>(0xFFFF, 0x0080FF40), Pack565({15, 62, 7}));
    EXPECT_EQ(Pack565(Split565(0xABCD)), 0xABCDu);
    EXPECT_EQ(Pack8888(Split8888(0x12345678), 0xAB000000), 0xAB345678u);
}

}  // namespace
