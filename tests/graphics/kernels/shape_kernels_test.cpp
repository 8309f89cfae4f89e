// Boxes, lines, vertex lists and circles on the stand-in device, against the software kernels' pixels.
#include "engine/graphics/kernels/shape_kernels.h"

#include <gtest/gtest.h>

#include "engine/graphics/kernels/circle_kernel.h"
#include "engine/softrender/colour_kernels.h"
#include "tests/graphics/kernels/kernel_fixture.h"

namespace graphics_test {
namespace {

class ShapeKernelsTest : public KernelFixture {
  protected:
    std::vector<uint32_t> DeviceDraw(uint32_t background, const std::function<void()>& draw) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | background, 1.0f, 0);
        draw();
        FlushVertexBatch(0);
        return ReadTarget();
    }
};

TEST_F(ShapeKernelsTest, FilledBoxes) {
    MakeTarget(32, 32);
    const auto normal = DeviceDraw(0, [] { EXPECT_EQ(D3DFillBox(10, 10, 20, 20, 0xFFFFFF), 0); });
    const auto reversed = DeviceDraw(0, [] { EXPECT_EQ(D3DFillBox(20, 20, 10, 10, 0xFFFFFF), 0); });
    EXPECT_EQ(normal, reversed);
    EXPECT_EQ(std::count(normal.begin(), normal.end(), 0xFFFFFFu), 100);
    EXPECT_EQ(normal[size_t(10 * 32 + 10)], 0xFFFFFFu);
    StartTrace();
    EXPECT_EQ(D3DFillBox(10, 10, 10, 20, 0xFFFFFF), 0);
    EXPECT_EQ(vertexBatch.vertexCount, 0);
    EXPECT_TRUE(TakeTrace().empty());
    // Cut to the draw area: half outside, the inside half filled.
    const auto half = DeviceDraw(0, [] { D3DFillBox(-5, -5, 5, 5, 0xFFFFFF); });
    EXPECT_EQ(std::count(half.begin(), half.end(), 0xFFFFFFu), 25);
}

// Additive outlines show how often each pixel is covered: a box of 8 x 6 lights its 24 border pixels
// once; a box without width or height draws nothing.
TEST_F(ShapeKernelsTest, OutlineBoxCoversEachBorderPixelOnce) {
    MakeTarget(32, 32);
    SetDrawState(2, 255, 0xFFFFFF);
    const auto got = DeviceDraw(0, [] { EXPECT_EQ(D3DOutlineBox(12, 4, 4, 10, 0x404040), 0); });
    int border = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = x >= 4 && x < 12 && y >= 4 && y < 10;
            const bool edge = inside && (x == 4 || x == 11 || y == 4 || y == 9);
            EXPECT_EQ(got[size_t(y * 32 + x)], edge ? 0x404040u : 0u) << x << "," << y;
            border += edge;
        }
    EXPECT_EQ(border, 24);
    const auto flat = DeviceDraw(0, [] { EXPECT_EQ(D3DOutlineBox(4, 4, 4, 10, 0x404040), 0); });
    EXPECT_EQ(std::count(flat.begin(), flat.end(), 0u), 32 * 32);
}

struct LineCase {
    int x1, y1, x2, y2;
};

TEST_F(ShapeKernelsTest, LinesLightTheSoftwareKernelsPixels) {
    MakeTarget(24, 24);
    // Axis-parallel lines and slopes with steps at halves, drawn both ways (the minor pixel is the
    // nearest, halves to the greater coordinate, in both).
    const LineCase cases[] = {{0, 0, 0, 10}, {0, 10, 0, 0}, {0, 0, 10, 0}, {10, 3, 0, 3}, {5, 5, 5, 5},
                              {0, 0, 4, 2},  {4, 2, 0, 0},  {1, 0, 2, 5},  {2, 5, 1, 0},  {0, 9, 13, 2},
                              {13, 2, 0, 9}, {3, 1, 8, 20}, {8, 20, 3, 1}, {2, 2, 9, 9}};
    for (const LineCase& c : cases) {
        const auto device =
            DeviceDraw(0, [&] { EXPECT_EQ(D3DDrawLine(c.x1, c.y1, c.x2, c.y2, 0xFFFFFF), 0); });
        const auto software = SoftwareTarget(
            0, 0, 255, 0xFFFFFF, [&](MEMIMG* t) { SoftDrawLine(t, c.x1, c.y1, c.x2, c.y2, 0xFFFFFF); });
        EXPECT_EQ(device, software) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

TEST_F(ShapeKernelsTest, VertexListsRefuseWhatMakesNoPrimitive) {
    MakeTarget(8, 8);
    const Vertex2DTex v[3] = {
        {0, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {8, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {0, 8, 0, 1, 0xFFFFFFFF, 0, 0}};
    struct Case {
        int type, count, result, primitives;
    };
    for (const Case c : {Case{5, 1, 0, 0}, Case{4, 2, 0, 0}, Case{6, 2, 0, 0}, Case{0, 3, -1, 0},
                         Case{7, 3, -1, 0}, Case{4, 3, 0, 1}, Case{1, 3, 0, 3}}) {
        StartTrace();
        EXPECT_EQ(D3DDrawVertices(0, 0, nullptr, v, c.count, c.type, 0), c.result)
            << c.type << " " << c.count;
        EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DDevice9::DrawPrimitiveUP"), c.primitives > 0 ? 1 : 0);
    }
    EXPECT_EQ(PrimitiveCount(3, 5), 4);
    EXPECT_EQ(PrimitiveCount(2, 5), 2);
}

// Filled and outlined circles of every radius up to 40, partly outside the area, light exactly the
// software walk's pixels; drawn additively, each pixel as often as the software draws it.
TEST_F(ShapeKernelsTest, CirclesMatchTheSoftwareWalk) {
    MakeTarget(64, 48);
    SetDrawState(2, 255, 0xFFFFFF);
    for (int fill = 0; fill < 2; ++fill)
        for (int r = 0; r <= 40; ++r) {
            const int cx = 20 + r % 7, cy = 10 + r % 5;
            const auto device =
                DeviceDraw(0, [&] { EXPECT_EQ(G_D3D_DrawCircle(cx, cy, r, 0x282828, fill), 0); });
            const auto software = SoftwareTarget(
                0, 2, 255, 0xFFFFFF, [&](MEMIMG* t) { SoftDrawCircle(t, cx, cy, r, 0x282828, fill); });
            EXPECT_EQ(device, software) << "r " << r << " fill " << fill;
        }
}

TEST_F(ShapeKernelsTest, CircleRowsColourAndCalls) {
    MakeTarget(220, 220);
    // The top row of a radius-10 disc spans cx - 3 to cx + 3, as its outline does.
    const auto disc = DeviceDraw(0, [] { G_D3D_DrawCircle(50, 50, 10, 0xFFFFFF, 1); });
    for (int x = 40; x < 61; ++x) EXPECT_EQ(disc[size_t(40 * 220 + x)] != 0, x >= 47 && x <= 53) << x;
    // A colour tinted by the bright: (200, 100, 50) x (128, 255, 255) / 255.
    SetDrawState(0, 0, 0x80FFFF);
    const auto tinted = DeviceDraw(0, [] { G_D3D_DrawCircle(50, 50, 3, 0xC86432, 1); });
    EXPECT_EQ(tinted[size_t(50 * 220 + 50)], 0x646432u);
    // A disc of radius 100 has 201 rows: 21 calls of at most 10 lines.
    StartTrace();
    G_D3D_DrawCircle(110, 110, 100, 0xFFFFFF, 1);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP(2,"), 21);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP(2, 10,"), 20);
    DropDevice();
    EXPECT_EQ(G_D3D_DrawCircle(5, 5, 3, 0xFFFFFF, 1), -1);
}

}  // namespace
}  // namespace graphics_test
