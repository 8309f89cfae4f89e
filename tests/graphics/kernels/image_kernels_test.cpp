// The point and stretched image draws on the stand-in device: exact pictures, mirroring, cutting at the
// draw area without seams or texel shifts, batching, and agreement with the software kernels.
#include "engine/graphics/kernels/image_kernels.h"

#include <gtest/gtest.h>

#include "engine/softrender/image_kernels.h"
#include "platform/d3d9/draw.h"
#include "tests/graphics/kernels/kernel_fixture.h"

namespace graphics_test {
namespace {

class ImageKernelsTest : public KernelFixture {
  protected:
    // The w x h crop of a picture of width `pitch` at (x, y).
    static std::vector<uint32_t> Crop(const std::vector<uint32_t>& p, int pitch, int x, int y, int w, int h) {
        std::vector<uint32_t> out;
        for (int row = y; row < y + h; ++row)
            for (int col = x; col < x + w; ++col) out.push_back(p[size_t(row * pitch + col)] & 0xFFFFFF);
        return out;
    }
};

TEST_F(ImageKernelsTest, PointDrawReadsBackAsTheGraphic) {
    MakeTarget(400, 300);
    const auto pixels = PatternPixels(400, 300);
    const GraphicEntry* g = MakeGraphic(400, 300, pixels, 512);
    EXPECT_EQ(D3DDrawImageAt(nullptr, 0, 0, 0.0f, 0.0f, g, 0, 1), 0);
    FlushVertexBatch(0);
    EXPECT_EQ(ReadTarget(), Crop(pixels, 400, 0, 0, 400, 300));
}

TEST_F(ImageKernelsTest, StretchDoublesEveryPixelAndReversedCornersMirror) {
    MakeTarget(800, 600);
    const auto pixels = PatternPixels(400, 300);
    const GraphicEntry* g = MakeGraphic(400, 300, pixels, 512);
    struct Case {
        int x1, x2;
        bool mirrored;
    };
    for (const Case c : {Case{0, 800, false}, Case{800, 0, true}}) {
        EXPECT_EQ(
            D3DDrawImageStretched(c.x1, 0, c.x2, 600, float(c.x1), 0, float(c.x2), 600, g, nullptr, 0, 1), 0);
        FlushVertexBatch(0);
        const auto got = ReadTarget();
        int wrong = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const int sx = c.mirrored ? 399 - x / 2 : x / 2;
                wrong += got[size_t(y * 800 + x)] != (pixels[size_t(y / 2 * 400 + sx)] & 0xFFFFFF);
            }
        EXPECT_EQ(wrong, 0) << "mirrored " << c.mirrored;
    }
    EXPECT_EQ(D3DDrawImageStretched(5, 0, 5, 600, 5, 0, 5, 600, g, nullptr, 0, 1), -1);
}

// Cut draws show, pixel for pixel, what the whole draw shows there: across the area's edges and across
// the seam of a graphic held in a 2048 and a 1024 texture.
TEST_F(ImageKernelsTest, CutDrawsEqualTheCropOfTheWholeDraw) {
    MakeTarget(1100, 60);
    const auto pixels = PatternPixels(3000, 50);
    const GraphicEntry* g = MakeGraphic(3000, 50, pixels, 2048);
    ASSERT_EQ(g->drawTileCount, 2);
    EXPECT_EQ(g->drawTiles[1].tile->textureWidth, 1024);
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{-1000, 0}, Case{-2047, 5}, Case{-1900, -7}, Case{50, 30}}) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        EXPECT_EQ(D3DDrawImageAt(nullptr, c.x, c.y, float(c.x), float(c.y), g, 0, 1), 0);
        FlushVertexBatch(0);
        const auto got = ReadTarget();
        int wrong = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 1100; ++x) {
                const int gx = x - c.x, gy = y - c.y;
                const bool inside = gx >= 0 && gx < 3000 && gy >= 0 && gy < 50;
                wrong +=
                    got[size_t(y * 1100 + x)] != (inside ? pixels[size_t(gy * 3000 + gx)] & 0xFFFFFF : 0u);
            }
        EXPECT_EQ(wrong, 0) << c.x << "," << c.y;
    }
}

TEST_F(ImageKernelsTest, CutStretchEqualsTheCropOfTheWholeStretch) {
    MakeTarget(64, 64);
    const GraphicEntry* g = MakeGraphic(16, 16, PatternPixels(16, 16), 16);
    // The whole stretch at (8, 8) to (56, 56); then the same moved so that it crosses the left and top edges.
    D3DDrawImageStretched(8, 8, 56, 56, 8, 8, 56, 56, g, nullptr, 0, 1);
    FlushVertexBatch(0);
    const auto whole = ReadTarget();
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    D3DDrawImageStretched(-13, -21, 35, 27, -13, -21, 35, 27, g, nullptr, 0, 1);
    FlushVertexBatch(0);
    const auto cut = ReadTarget();
    EXPECT_EQ(Crop(cut, 64, 0, 0, 35, 27), Crop(whole, 64, 21, 29, 35, 27));
}

TEST_F(ImageKernelsTest, OutsideDrawsAppendNothing) {
    MakeTarget(32, 32);
    const GraphicEntry* g = MakeGraphic(8, 8, PatternPixels(8, 8), 8);
    for (int x : {-8, 32}) {
        EXPECT_EQ(D3DDrawImageAt(nullptr, x, 0, float(x), 0, g, 0, 1), 0);
        EXPECT_EQ(vertexBatch.vertexCount, 0);
    }
    DropDevice();
    EXPECT_EQ(D3DDrawImageAt(nullptr, 0, 0, 0, 0, g, 0, 1), -1);
}

// A run of part draws of one sheet fills the batch up to the last quad below its capacity (389 quads, 778
// triangles) and is drawn in two calls; every quad takes the stand-in's axis-aligned fast path.
TEST_F(ImageKernelsTest, ARunOfPartDrawsBatchesIntoFewCalls) {
    MakeTarget(64, 64);
    const GraphicEntry* sheet = MakeGraphic(32, 32, PatternPixels(32, 32), 32);
    const GraphicEntry* parts[4] = {MakePart(sheet, 0, 0, 8, 8), MakePart(sheet, 8, 0, 8, 8),
                                    MakePart(sheet, 0, 8, 16, 8), MakePart(sheet, 20, 20, 12, 12)};
    StartTrace();
    const uint64_t fastBefore = d3d9::FastPathQuadCount();
    for (int i = 0; i < 500; ++i)
        D3DDrawImageAt(nullptr, i % 50, i % 40, float(i % 50), float(i % 40), parts[i % 4], 1, 1);
    FlushVertexBatch(0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP"), 2);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 778,"), 1);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 222,"), 1);
    EXPECT_EQ(d3d9::FastPathQuadCount() - fastBefore, 500u);
}

// A part drawn across the draw area's corner shows the matching crop of the sheet.
TEST_F(ImageKernelsTest, CutPartDrawsShowTheSheetsCrop) {
    MakeTarget(16, 16);
    const auto pixels = PatternPixels(32, 32);
    const GraphicEntry* sheet = MakeGraphic(32, 32, pixels, 32);
    const GraphicEntry* part = MakePart(sheet, 9, 5, 12, 10);
    EXPECT_EQ(D3DDrawImageAt(nullptr, -4, 9, -4, 9, part, 0, 1), 0);
    FlushVertexBatch(0);
    const auto got = ReadTarget();
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int px = x + 4, py = y - 9;
            const bool inside = px >= 0 && px < 12 && py >= 0 && py < 10;
            wrong +=
                got[size_t(y * 16 + x)] != (inside ? pixels[size_t((py + 5) * 32 + px + 9)] & 0xFFFFFF : 0u);
        }
    EXPECT_EQ(wrong, 0);
}

struct BlendCase {
    int mode, param;
    uint32_t bright;
};

class ImageOracleTest : public ImageKernelsTest, public ::testing::WithParamInterface<BlendCase> {};

// Tinted and blended draws agree with the software kernels' point and stretched draws within one step.
TEST_P(ImageOracleTest, DrawsMatchTheSoftwareKernels) {
    const BlendCase c = GetParam();
    constexpr uint32_t kBackground = 0x30A050;
    MakeTarget(40, 40, 0xFF000000u | kBackground);
    const auto pixels = PatternPixels(16, 16);
    const GraphicEntry* g = MakeGraphic(16, 16, pixels, 16);
    SetDrawState(c.mode, c.param, c.bright);
    D3DDrawImageAt(nullptr, 3, 4, 3, 4, g, 0, 1);
    D3DDrawImageStretched(20, 36, 36, 20, 20, 36, 36, 20, g, nullptr, 0, 1);
    FlushVertexBatch(0);
    const auto device = ReadTarget();
    MEMIMG source{};
    ASSERT_EQ(InitMemImg(&source, 16, 16, -1, 0, 1, 0, 0, 0, nullptr), 0);
    for (int y = 0; y < 16; ++y)
        std::memcpy(source.pixels + y * source.base->pitch, &pixels[size_t(y * 16)], 64);
    MarkMemImgDrawn(source.base);
    const auto software = SoftwareTarget(kBackground, c.mode, c.param, c.bright, [&](MEMIMG* t) {
        SoftDrawImage(t, &source, 3, 4, 0, nullptr);
        const int32_t rect[4] = {20, 36, 36, 20};
        SoftDrawImageStretched(t, &source, rect, 0, nullptr);
    });
    ReleaseMemImg(&source);
    EXPECT_LE(MaxChannelDifference(device, software), 1);
    EXPECT_NE(device[size_t(10 * 40 + 10)], kBackground);
    EXPECT_NE(device[size_t(30 * 40 + 30)], kBackground);
}

INSTANTIATE_TEST_SUITE_P(GameBlends, ImageOracleTest,
                         ::testing::Values(BlendCase{0, 255, 0xFF8000}, BlendCase{1, 128, 0xFF8000},
                                           BlendCase{2, 128, 0xFF8000}, BlendCase{1, 128, 0xFFFFFF},
                                           BlendCase{2, 128, 0xFFFFFF}));

// With a blend graphic the quads carry its coordinates (two-texture vertices): cross-fading a picture
// with itself leaves it unchanged only when the blend texels line up with the graphic's.
TEST_F(ImageKernelsTest, BlendGraphicCoordinatesLineUpWithTheGraphic) {
    MakeTarget(40, 30);
    const auto pixels = PatternPixels(20, 12);
    const GraphicEntry* g = MakeGraphic(20, 12, pixels, 16);
    const GraphicEntry* blend = MakeGraphic(20, 12, pixels, 16);
    drawSettings.blendGraphicOn = 1;
    const int weight[1] = {128};
    SetBlendTextureState(0, weight);
    StartTrace();
    EXPECT_EQ(D3DDrawImageAt(blend, 5, 7, 5, 7, g, 0, 1), 0);
    FlushVertexBatch(0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 2, ptr, 40)"), 2);  // one per tile
    const auto got = ReadTarget();
    int far = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const uint32_t a = got[size_t((y + 7) * 40 + x + 5)], b = pixels[size_t(y * 20 + x)] & 0xFFFFFF;
            for (int s : {0, 8, 16}) far += std::abs(int((a >> s) & 255) - int((b >> s) & 255)) > 1;
        }
    EXPECT_EQ(far, 0);
}

}  // namespace
}  // namespace graphics_test
