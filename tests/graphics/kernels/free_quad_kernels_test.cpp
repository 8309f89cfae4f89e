// Free quads on the stand-in device: parallelograms join the batch, other quads are drawn as grids,
// mirrored quads draw mirrored, tile seams leave neither gaps nor overlaps, and every pixel of a
// parallelogram shows the texel its pre-image lies in.
#include "engine/graphics/kernels/free_quad_kernels.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/kernels/image_kernels.h"
#include "tests/graphics/kernels/kernel_fixture.h"

namespace graphics_test {
namespace {

class FreeQuadTest : public KernelFixture {
  protected:
    // Corners in kernel order (top-left, top-right, bottom-left, bottom-right).
    int Dispatch(const GraphicEntry* g, const float (&c)[8]) {
        return D3DDrawImageQuadDispatch(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], g, nullptr, 0, 0);
    }
};

TEST_F(FreeQuadTest, ParallelogramsJoinTheBatchOtherQuadsDrawAGrid) {
    MakeTarget(64, 64);
    const GraphicEntry* one = MakeGraphic(20, 10, PatternPixels(20, 10), 32);
    const GraphicEntry* two = MakeGraphic(20, 10, PatternPixels(20, 10), 16);
    struct Case {
        const GraphicEntry* g;
        float c[8];
        int quads, grids;
    };
    const Case cases[] = {
        {one, {10, 5, 40, 15, 5, 25, 35, 35}, 1, 0},     // a parallelogram
        {two, {10, 5, 40, 15, 5, 25, 35, 35}, 2, 0},     // the same over two tiles
        {one, {10, 5, 40, 5, 0, 30, 50, 30}, 0, 1},      // a trapezoid
        {two, {10, 5, 40, 5, 0, 30, 50, 30}, 0, 2},      // the same over two tiles
        {one, {10, 5, 40, 5, 10, 25, 40.9f, 25}, 1, 0},  // opposite edges 0.9 pixel apart: a parallelogram
        {one, {10, 5, 40, 5, 10, 25, 41.0f, 25}, 0, 1},  // 1.0 apart: a grid
    };
    for (const Case& c : cases) {
        StartTrace();
        EXPECT_EQ(Dispatch(c.g, c.c), 0);
        EXPECT_EQ(vertexBatch.vertexCount, c.quads ? 6 : 0);
        FlushVertexBatch(0);
        const auto trace = TakeTrace();
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 2,"), c.quads) << c.c[6];
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawIndexedPrimitiveUP(5, 0, 64, 122,"), c.grids)
            << c.c[6];
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawIndexedPrimitiveUP"), c.grids) << c.c[6];
    }
}

TEST_F(FreeQuadTest, GridIndexLists) {
    MakeTarget(8, 8);
    std::vector<Vertex2DTex> v(size_t(600 * 3), Vertex2DTex{0, 0, 0, 1, 0xFFFFFFFF, 0, 0});
    struct Case {
        int columns, rows, result, calls;
    };
    // 2 x 200 + 2 indices per row pair: two pairs fit in 1000 indices with their joins, the third starts
    // anew.
    for (const Case c : {Case{8, 8, 0, 1}, Case{1, 8, -1, 0}, Case{8, 1, -1, 0}, Case{200, 3, 0, 1},
                         Case{499, 3, 0, 2}, Case{500, 3, -1, 0}}) {
        StartTrace();
        EXPECT_EQ(DrawVertexGrid(c.columns, v.data(), c.rows), c.result) << c.columns << "x" << c.rows;
        EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DDevice9::DrawIndexedPrimitiveUP"), c.calls)
            << c.columns << "x" << c.rows;
    }
}

TEST_F(FreeQuadTest, AMirroredQuadDrawsMirrored) {
    MakeTarget(32, 32);
    const auto pixels = PatternPixels(8, 8);
    const GraphicEntry* g = MakeGraphic(8, 8, pixels, 8);
    // This path has no half-pixel offset: corners on pixel edges put pixel centres on texel centres.
    EXPECT_EQ(Dispatch(g, {19.5f, 3.5f, 11.5f, 3.5f, 19.5f, 11.5f, 11.5f, 11.5f}), 0);
    // Both triangles keep an unmirrored winding: vertices 1 and 2 (and 4 and 5) exchanged.
    const auto* v = reinterpret_cast<const Vertex2DTex*>(vertexBatch.buffers[1]);
    EXPECT_EQ(v[1].x, 19.5f);
    EXPECT_EQ(v[1].y, 11.5f);
    EXPECT_EQ(v[2].x, 11.5f);
    EXPECT_EQ(v[2].y, 3.5f);
    EXPECT_EQ(v[4].x, v[2].x);
    EXPECT_EQ(v[5].x, v[1].x);
    FlushVertexBatch(0);
    const auto got = ReadTarget();
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = x >= 12 && x < 20 && y >= 4 && y < 12;
            wrong +=
                got[size_t(y * 32 + x)] != (inside ? pixels[size_t((y - 4) * 8 + 19 - x)] & 0xFFFFFF : 0u);
        }
    EXPECT_EQ(wrong, 0);
}

// A uniform graphic of two tiles drawn additively onto a trapezoid: no pixel is covered twice (at the
// tile seam or inside a grid), and none well inside is left out.
TEST_F(FreeQuadTest, AnAdditiveTrapezoidCoversEachPixelOnce) {
    MakeTarget(64, 48);
    const GraphicEntry* g = MakeGraphic(24, 16, std::vector<uint32_t>(24 * 16, 0xFF202020u), 16);
    SetDrawState(2, 255, 0xFFFFFF);
    EXPECT_EQ(Dispatch(g, {14.3f, 3.6f, 47.2f, 5.1f, 4.4f, 41.7f, 58.9f, 38.2f}), 0);
    FlushVertexBatch(0);
    const auto got = ReadTarget();
    int lit = 0;
    for (uint32_t p : got) {
        EXPECT_TRUE(p == 0 || p == 0x202020u) << std::hex << p;
        lit += p != 0;
    }
    // Rows 8 to 34 well inside the edges are covered from x = 16 to 46.
    for (int y = 8; y < 35; ++y)
        for (int x = 16; x < 47; ++x) EXPECT_EQ(got[size_t(y * 64 + x)], 0x202020u) << x << "," << y;
    EXPECT_GT(lit, 27 * 31);
}

// Every pixel of a turned parallelogram whose pre-image lies at least 0.01 texel from a texel edge shows
// that texel.
TEST_F(FreeQuadTest, ParallelogramPixelsShowTheTexelOfTheirPreimage) {
    MakeTarget(64, 64);
    constexpr int kW = 16, kH = 12;
    const auto pixels = PatternPixels(kW, kH);
    const GraphicEntry* g = MakeGraphic(kW, kH, pixels, 16);
    const float c[8] = {20.3f, 6.2f, 50.1f, 17.9f, 9.6f, 33.4f, 39.4f, 45.1f};
    EXPECT_EQ(Dispatch(g, c), 0);
    EXPECT_EQ(vertexBatch.vertexCount, 6);
    FlushVertexBatch(0);
    const auto got = ReadTarget();
    const double ex = c[2] - c[0], ey = c[3] - c[1], fx = c[4] - c[0], fy = c[5] - c[1];
    const double det = ex * fy - ey * fx;
    int checked = 0, wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double px = x - c[0], py = y - c[1];
            const double s = (px * fy - py * fx) / det, t = (ex * py - ey * px) / det;
            const double gx = s * kW, gy = t * kH;
            if (gx < 0 || gx >= kW || gy < 0 || gy >= kH) continue;
            if (gx - std::floor(gx) < 0.01 || std::ceil(gx) - gx < 0.01) continue;
            if (gy - std::floor(gy) < 0.01 || std::ceil(gy) - gy < 0.01) continue;
            ++checked;
            wrong += got[size_t(y * 64 + x)] != (pixels[size_t(int(gy) * kW + int(gx))] & 0xFFFFFF);
        }
    EXPECT_GT(checked, 300);
    EXPECT_EQ(wrong, 0);
}

TEST_F(FreeQuadTest, WithABlendGraphicAnAxisAlignedQuadIsTheStretchedDraw) {
    MakeTarget(32, 32);
    const GraphicEntry* g = MakeGraphic(8, 8, PatternPixels(8, 8), 8);
    const GraphicEntry* blend = MakeGraphic(8, 8, PatternPixels(8, 8), 8);
    EXPECT_EQ(D3DDrawImageQuad(g, 4, 4, 20, 4, 4, 20, 20, 20, blend, 0, 0), 0);
    FlushVertexBatch(0);
    const auto quad = ReadTarget();
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    D3DDrawImageStretched(4, 4, 20, 20, 4, 4, 20, 20, g, blend, 0, 1);
    FlushVertexBatch(0);
    EXPECT_EQ(ReadTarget(), quad);
    // A turned quad: each tile drawn at once as a two-triangle strip.
    StartTrace();
    EXPECT_EQ(D3DDrawImageQuad(g, 10, 2, 22, 10, 2, 14, 14, 22, blend, 0, 0), 0);
    EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DDevice9::DrawPrimitiveUP(5, 2,"), 1);
    DropDevice();
    EXPECT_EQ(D3DDrawImageQuad(g, 10, 2, 22, 10, 2, 14, 14, 22, blend, 0, 0), -1);
}

}  // namespace
}  // namespace graphics_test
