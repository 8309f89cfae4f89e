#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"

namespace {

struct Surface {
    MEMIMG img{};
    ~Surface() { ReleaseMemImg(&img); }
};

TEST(MemImg, InitRefusesARecordThatHoldsASurface) {
    Surface s;
    ASSERT_EQ(InitMemImg(&s.img, 8, 8, -1, 0, 1, 0, 0, 0, nullptr), 0);
    const MEMIMG before = s.img;
    const MemImgBase baseBefore = *s.img.base;
    EXPECT_EQ(InitMemImg(&s.img, 4, 4, -1, 0, 0, 0, 0, 0, nullptr), -1);
    EXPECT_EQ(std::memcmp(&before, &s.img, sizeof before), 0);
    EXPECT_EQ(std::memcmp(&baseBefore, s.img.base, sizeof baseBefore), 0);
}

struct PitchCase {
    int kind, hasPalette, hasAlpha, width, pitch, pitchLog2, pixelBytes;
};

TEST(MemImg, DefaultPitches) {
    const PitchCase cases[] = {
        {0, 0, 0, 512, 1024, 10, 2}, {0, 0, 0, 640, 1280, -1, 2}, {0, 0, 0, 4, 16, -1, 2},
        {1, 0, 0, 3, 16, 4, 4},      {1, 0, 0, 5, 32, 5, 4},      {0, 0, 1, 4, 16, 4, 4},
        {1, 1, 0, 17, 32, 5, 1},     {2, 0, 0, 1, 16, -1, 1},     {3, 0, 0, 8, 16, 4, 2},
        {1, 0, 0, 0, 0, -1, 4},
    };
    for (const auto& c : cases) {
        Surface s;
        ASSERT_EQ(InitMemImg(&s.img, c.width, 2, -1, 0, c.kind, c.hasPalette, c.hasAlpha, 0, nullptr), 0);
        EXPECT_EQ(s.img.base->pitch, c.pitch) << c.kind << " " << c.width;
        EXPECT_EQ(s.img.base->pitchLog2, c.pitchLog2) << c.kind << " " << c.width;
        EXPECT_EQ(s.img.base->pixelBytes, c.pixelBytes) << c.kind << " " << c.width;
    }
    Surface given;
    ASSERT_EQ(InitMemImg(&given.img, 3, 2, 64, 0, 1, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(given.img.base->pitch, 64);
    EXPECT_EQ(given.img.base->pitchLog2, 6);
}

TEST(MemImg, CreateUsesTheDefaultKind) {
    SetMemImgDefaultKind(1);
    Surface s;
    ASSERT_EQ(CreateMemImg(&s.img, 7, 3, -1), 0);
    EXPECT_EQ(s.img.base->kind, 1);
    EXPECT_EQ(s.img.base->pitch, (4 * 7 + 15) / 16 * 16);
    EXPECT_EQ(s.img.base->refCount, 1);
    EXPECT_EQ(IsMemImgValid(&s.img), 1);
    SetMemImgDefaultKind(0);
}

TEST(MemImg, FlagsAreNormalised) {
    Surface palette, single, alpha;
    ASSERT_EQ(InitMemImg(&palette.img, 4, 4, -1, 0, 1, 1, 1, 0, nullptr), 0);
    EXPECT_EQ(palette.img.base->hasPalette, 1);
    EXPECT_EQ(palette.img.base->hasAlpha, 0);
    EXPECT_NE(palette.img.base->palette, nullptr);
    EXPECT_EQ(palette.img.base->paletteCopy, palette.img.base->palette + 1024);
    ASSERT_EQ(InitMemImg(&single.img, 4, 4, -1, 0, 3, 1, 1, 1, nullptr), 0);
    EXPECT_EQ(single.img.base->hasPalette, 0);
    EXPECT_EQ(single.img.base->hasAlpha, 0);
    EXPECT_NE(single.img.base->runTable, nullptr);  // kind 3 keeps a run table, kind 2 has none
    ASSERT_EQ(InitMemImg(&alpha.img, 4, 4, -1, 0, 0, 0, 1, 1, nullptr), 0);
    EXPECT_EQ(alpha.img.base->pixelBytes, 4);
    EXPECT_NE(alpha.img.premultipliedPixels, nullptr);
    EXPECT_EQ(GetMemImgColorFormat(4, 0, 0), nullptr);
    EXPECT_EQ(GetMemImgColorFormat(-1, 0, 0), nullptr);
}

// Sizes that are negative, or whose bytes do not fit, are refused before anything is allocated.
TEST(MemImg, BadSizesAreRefused) {
    const struct {
        int width, height, pitch, kind;
    } cases[] = {
        {-1, 4, -1, 1}, {4, -1, -1, 1},          {100000, 100000, -1, 1}, {INT_MAX, 1, -1, 1},
        {8, 2, 16, 1},  {INT_MAX / 4, 1, -1, 1}, {4, 4, -2, 1},           {4, 4, -1, 4},
        {4, 4, -1, -1}, {1, INT_MAX, -1, 2},
    };
    for (const auto& c : cases) {
        MEMIMG img{};
        EXPECT_EQ(InitMemImg(&img, c.width, c.height, c.pitch, 0, c.kind, 0, 0, 1, nullptr), -1)
            << c.width << "x" << c.height << " pitch " << c.pitch;
        EXPECT_EQ(IsMemImgValid(&img), 0);
        if (img.base) {  // a record left without magic keeps its base for the next initialisation
            EXPECT_EQ(InitMemImg(&img, 2, 2, -1, 0, 1, 0, 0, 1, nullptr), 0);
            ReleaseMemImg(&img);
        }
    }
}

TEST(MemImg, ViewsShareTheBase) {
    MEMIMG source{}, view{}, viewOfView{};
    ASSERT_EQ(InitMemImg(&source, 4, 4, -1, 0, 0, 0, 1, 1, nullptr), 0);
    const int pitch = source.base->pitch;
    CreateMemImgView(&view, &source, 1, 1, 2, 2);
    ASSERT_EQ(IsMemImgValid(&view), 1);
    EXPECT_EQ(view.pixels, source.pixels + pitch + 4);
    EXPECT_EQ(view.premultipliedPixels, source.premultipliedPixels + pitch + 4);
    EXPECT_EQ(source.base->refCount, 2);
    CreateMemImgView(&viewOfView, &view, 1, 0, 1, 2);
    EXPECT_EQ(viewOfView.pixels, source.pixels + pitch + 8);
    EXPECT_EQ(source.base->refCount, 3);

    MEMIMG outside{};
    for (auto r : {std::array{3, 0, 2, 1}, std::array{-1, 0, 1, 1}, std::array{0, 0, 1, -1},
                   std::array{INT_MAX, 0, 10, 1}, std::array{0, 2, 1, INT_MAX}}) {
        CreateMemImgView(&outside, &source, r[0], r[1], r[2], r[3]);
        EXPECT_EQ(outside.magic, 0u);
        EXPECT_EQ(outside.base, nullptr);
    }
    EXPECT_EQ(source.base->refCount, 3);

    // The source first, the views after: the last release frees the base (checked by AddressSanitizer).
    MemImgBase* base = source.base;
    ReleaseMemImg(&source);
    EXPECT_EQ(IsMemImgValid(&source), 0);
    EXPECT_EQ(base->refCount, 2);
    view.pixels[0] = 7;
    ReleaseMemImg(&view);
    EXPECT_EQ(base->refCount, 1);
    ReleaseMemImg(&viewOfView);
    EXPECT_EQ(IsMemImgValid(&viewOfView), 0);
    ReleaseMemImg(&viewOfView);  // a released record is left alone
}

TEST(MemImg, CallerPixelsAreNotFreed) {
    std::vector<uint8_t> block(64 * 4, 0);
    MEMIMG img{};
    ASSERT_EQ(InitMemImg(&img, 4, 4, 64, 0, 1, 0, 0, 0, block.data()), 0);
    EXPECT_EQ(img.pixels, block.data());
    EXPECT_EQ(img.base->pixelsOwnedByCaller, 1);
    ReleaseMemImg(&img);
    block[0] = 1;  // still ours
}

TEST(MemImg, FillRect) {
    Surface s;
    ASSERT_EQ(InitMemImg(&s.img, 6, 4, -1, 0, 0, 0, 0, 0, nullptr), 0);
    FillMemImgRect(&s.img, nullptr, 0xABCD1234);
    auto at = [&](int x, int y) {
        uint16_t v;
        std::memcpy(&v, s.img.pixels + y * s.img.base->pitch + x * 2, 2);
        return v;
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(at(x, y), 0x1234);
    const int32_t reaching[4] = {4, -3, 100, 2};
    FillMemImgRect(&s.img, reaching, 0x5555);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(at(x, y), (x >= 4 && y < 2) ? 0x5555 : 0x1234) << x << "," << y;
    const int32_t empty[4] = {3, 3, 1, 1};
    FillMemImgRect(&s.img, empty, 0);
    EXPECT_EQ(at(2, 2), 0x1234);

    Surface alpha;
    ASSERT_EQ(InitMemImg(&alpha.img, 2, 1, -1, 0, 0, 0, 1, 0, nullptr), 0);
    FillMemImgRect(&alpha.img, nullptr, 0x80FF1234);
    uint32_t v;
    std::memcpy(&v, alpha.img.pixels + 4, 4);
    EXPECT_EQ(v, 0x80FF1234u);
}

// Run tables of single rows, and what makes a table stop standing for its pixels.
class RunTable : public testing::Test {
  protected:
    void Make(int kind, int width, int hasAlpha, int hasPalette, uint32_t transparent) {
        ASSERT_EQ(InitMemImg(&s.img, width, 1, -1, transparent, kind, hasPalette, hasAlpha, 1, nullptr), 0);
        std::memset(s.img.pixels, 0, s.img.base->pitch);
    }
    void Put(int x, uint32_t v) {
        std::memcpy(s.img.pixels + x * s.img.base->pixelBytes, &v, s.img.base->pixelBytes);
    }
    std::vector<uint8_t> Build() {
        BuildMemImgRunTable(s.img.base);
        std::vector<uint8_t> out;
        for (const uint8_t* p = s.img.base->runTable;; ++p) {
            out.push_back(*p);
            if (*p == kMemImgRunEnd) break;
        }
        return out;
    }
    Surface s;
};

TEST_F(RunTable, OpaqueRowSplitsAt64) {
    Make(1, 100, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(Build(), (std::vector<uint8_t>{0x7F, 0x63, 0xC0}));
}

TEST_F(RunTable, TransparentRuns) {
    Make(0, 6, 0, 0, 0xF81F);
    for (int x = 0; x < 6; ++x) Put(x, (x == 3 || x == 4) ? 0x1234 : 0xF81F);
    EXPECT_EQ(Build(), (std::vector<uint8_t>{0x02, 0x41, 0x00, 0xC0}));
}

TEST_F(RunTable, AlphaRuns) {
    Make(1, 4, 1, 0, 0);
    const uint32_t alphas[] = {0, 0, 128, 255};
    for (int x = 0; x < 4; ++x) Put(x, alphas[x] << 24 | 0x123456);
    EXPECT_EQ(Build(), (std::vector<uint8_t>{0x01, 0x80, 0x40, 0xC0}));
}

TEST_F(RunTable, PaletteAndByte3Compare) {
    Make(1, 4, 0, 1, 7);
    Put(1, 7);
    EXPECT_EQ(Build(), (std::vector<uint8_t>{0x40, 0x00, 0x41, 0xC0}));
    Surface direct;
    ASSERT_EQ(InitMemImg(&direct.img, 2, 1, -1, 0x00123456, 1, 0, 0, 1, nullptr), 0);
    const uint32_t px[2] = {0x00123456, 0xFF123456};  // byte 3 takes part in the compare
    std::memcpy(direct.img.pixels, px, 8);
    BuildMemImgRunTable(direct.img.base);
    EXPECT_EQ(direct.img.base->runTable[0], 0x00);
    EXPECT_EQ(direct.img.base->runTable[1], 0x40);
}

TEST_F(RunTable, StaleWhenTheTransparentColourChanges) {
    Make(1, 4, 0, 0, 5);
    Build();
    s.img.base->runTableValid = 1;
    EXPECT_TRUE(MemImgRunTableUsable(s.img.base));
    s.img.base->transparentColor = 6;
    EXPECT_FALSE(MemImgRunTableUsable(s.img.base));
    s.img.base->transparentColor = 5;
    FillMemImgRect(&s.img, nullptr, 1);
    EXPECT_FALSE(MemImgRunTableUsable(s.img.base));
}

TEST(MemImgPremultiplied, Kinds) {
    Surface k1, k0;
    ASSERT_EQ(InitMemImg(&k1.img, 1, 1, -1, 0, 1, 0, 1, 1, nullptr), 0);
    const uint32_t p1 = 0x80000000u | 50u << 16 | 100u << 8 | 200u;
    std::memcpy(k1.img.pixels, &p1, 4);
    BuildMemImgPremultiplied(k1.img.base);
    uint32_t out;
    std::memcpy(&out, k1.img.premultipliedPixels, 4);
    EXPECT_EQ(out, 0x80000000u | 25u << 16 | 50u << 8 | 100u);

    ASSERT_EQ(InitMemImg(&k0.img, 1, 1, -1, 0, 0, 0, 1, 1, nullptr), 0);
    const uint32_t p0 = 0xAB000000u | 128u << 16 | 31u << 11 | 63u << 5 | 30u;
    std::memcpy(k0.img.pixels, &p0, 4);
    BuildMemImgPremultiplied(k0.img.base);
    std::memcpy(&out, k0.img.premultipliedPixels, 4);
    EXPECT_EQ(out, 128u << 16 | 15u << 11 | 31u << 5 | 15u);
}

}  // namespace
