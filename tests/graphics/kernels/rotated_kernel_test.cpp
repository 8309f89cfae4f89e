// The rotated draw on the stand-in device: unturned draws land as the point draw does, quarter turns
// rotate the picture exactly, the mirror flips it, and a scale of 0 draws nothing.
#include "engine/graphics/kernels/rotated_kernel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/kernels/image_kernels.h"
#include "tests/graphics/kernels/kernel_fixture.h"

namespace graphics_test {
namespace {

class RotatedKernelTest : public KernelFixture {
  protected:
    std::vector<uint32_t> Rotated(const GraphicEntry* g, int x, int y, double angle, int turn = 0) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        EXPECT_EQ(D3DDrawImageRotated(0, g, x, y, float(x), float(y), 1.0, angle, nullptr, turn, 1), 0);
        FlushVertexBatch(0);
        return ReadTarget();
    }
    std::vector<uint32_t> AtPoint(const GraphicEntry* g, int x, int y) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        D3DDrawImageAt(nullptr, x, y, float(x), float(y), g, 0, 1);
        FlushVertexBatch(0);
        return ReadTarget();
    }
};

struct SizeCase {
    int w, h, at;  // the point draw the unturned draw about (100, 100) equals
};

TEST_F(RotatedKernelTest, UnturnedDrawsLandAsThePointDraw) {
    MakeTarget(200, 200);
    for (const SizeCase c :
         {SizeCase{32, 32, 84}, SizeCase{31, 31, 85}, SizeCase{31, 32, 85}, SizeCase{32, 31, 85}}) {
        const GraphicEntry* g = MakeGraphic(c.w, c.h, PatternPixels(c.w, c.h), 64);
        const auto point = AtPoint(g, c.at, c.at);
        EXPECT_EQ(Rotated(g, 100, 100, 0.0), point) << c.w << "x" << c.h;
    }
}

// Quarter turns clockwise, and the mirror, against the picture turned by index arithmetic.
TEST_F(RotatedKernelTest, QuarterTurnsAndTheMirrorMoveEveryPixel) {
    MakeTarget(64, 64);
    constexpr int kW = 20, kH = 12;
    const auto pixels = PatternPixels(kW, kH);
    const GraphicEntry* g = MakeGraphic(kW, kH, pixels, 16);  // two tiles across
    struct Case {
        double angle;
        int turn;
    };
    const double pi = 3.14159265358979323846;
    for (const Case c : {Case{pi / 2, 0}, Case{pi, 0}, Case{3 * pi / 2, 0}, Case{0.0, 1}}) {
        const auto got = Rotated(g, 32, 32, c.angle, c.turn);
        const int quarter = int(std::lround(c.angle / (pi / 2)));
        const int ow = quarter % 2 ? kH : kW, oh = quarter % 2 ? kW : kH;
        const int left = 32 - ow / 2, top = 32 - oh / 2;
        int wrong = 0, lit = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const int ox = x - left, oy = y - top;
                uint32_t want = 0;
                if (ox >= 0 && ox < ow && oy >= 0 && oy < oh) {
                    int sx = ox, sy = oy;
                    if (quarter == 1) sx = oy, sy = kH - 1 - ox;
                    if (quarter == 2) sx = kW - 1 - ox, sy = kH - 1 - oy;
                    if (quarter == 3) sx = kW - 1 - oy, sy = ox;
                    if (c.turn) sx = kW - 1 - ox;
                    want = pixels[size_t(sy * kW + sx)] & 0xFFFFFF;
                }
                wrong += got[size_t(y * 64 + x)] != want;
                lit += got[size_t(y * 64 + x)] != 0;
            }
        EXPECT_EQ(wrong, 0) << "angle " << c.angle << " turn " << c.turn;
        EXPECT_EQ(lit, kW * kH);
    }
}

// A 31 x 31 graphic scaled by 3 and turned by quarter turns has its edges on whole coordinates, where
// the float sine and cosine leave them a hair to either side: the nudge keeps each edge off the pixel
// centres, so the picture covers exactly 93 x 93 pixels at every quarter turn.
TEST_F(RotatedKernelTest, NearRightAnglesCoverTheScaledSizeExactly) {
    MakeTarget(200, 200);
    const GraphicEntry* g = MakeGraphic(31, 31, PatternPixels(31, 31), 32);
    const double pi = 3.14159265358979323846;
    for (double angle : {pi / 2, pi, 3 * pi / 2, 2 * pi}) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        EXPECT_EQ(D3DDrawImageRotated(0, g, 100, 100, 100, 100, 3.0, angle, nullptr, 0, 1), 0);
        FlushVertexBatch(0);
        const auto got = ReadTarget();
        EXPECT_EQ(std::count_if(got.begin(), got.end(), [](uint32_t p) { return p != 0; }), 93 * 93) << angle;
    }
}

TEST_F(RotatedKernelTest, ScaleZeroAndNoDeviceDrawNothing) {
    MakeTarget(16, 16);
    const GraphicEntry* g = MakeGraphic(4, 4, PatternPixels(4, 4), 4);
    EXPECT_EQ(D3DDrawImageRotated(0, g, 8, 8, 8, 8, 0.0, 1.0, nullptr, 0, 1), -1);
    EXPECT_EQ(vertexBatch.vertexCount, 0);
    DropDevice();
    EXPECT_EQ(D3DDrawImageRotated(0, g, 8, 8, 8, 8, 1.0, 1.0, nullptr, 0, 1), -1);
}

struct CentreCase {
    int w, h;
    float xf;
    double scale;
    int oneToOne, drawMode;
    RotationCentre want;
};

TEST(RotationCentreTest, TheSixRules) {
    const CentreCase cases[] = {
        {32, 32, 100.0f, 1.0, 0, 1, {16, 16, 99.5f, 99.5f}},        // not one to one, bilinear
        {32, 32, 100.25f, 1.0, 1, 0, {16, 16, 100.25f, 100.0f}},    // fractional position
        {31, 31, 100.0f, 2.0, 1, 0, {15.5f, 15.5f, 99.5f, 99.5f}},  // scaled
        {32, 32, 100.0f, 1.0, 1, 0, {16, 16, 99.5f, 99.5f}},        // even sides
        {31, 31, 100.0f, 1.0, 1, 0, {15.5f, 15.5f, 100, 100}},      // odd sides
        {31, 32, 100.0f, 1.0, 1, 0, {15.5f, 15.5f, 100, 100}},      // one odd, one even
        {32, 31, 100.0f, 1.0, 1, 0, {15.5f, 15.5f, 100, 100}},
    };
    for (const CentreCase& c : cases) {
        const RotationCentre r =
            ChooseRotationCentre(c.w, c.h, 100, 100, c.xf, 100.0f, c.scale, c.oneToOne, c.drawMode);
        EXPECT_EQ(r.cx, c.want.cx) << c.w << "x" << c.h << " at " << c.xf;
        EXPECT_EQ(r.cy, c.want.cy) << c.w << "x" << c.h << " at " << c.xf;
        EXPECT_EQ(r.px, c.want.px) << c.w << "x" << c.h << " at " << c.xf;
        EXPECT_EQ(r.py, c.want.py) << c.w << "x" << c.h << " at " << c.xf;
    }
}

TEST(RotationCentreTest, NearRightAngleWindows) {
    const double deg = 3.14159265358979323846 / 180;
    struct Case {
        double degrees;
        int want;
    };
    for (const Case c :
         {Case{3.9, 1}, Case{4.1, 0}, Case{86.1, 1}, Case{93.9, 1}, Case{135, 0}, Case{356.5, 1},
          Case{363.9, 1}, Case{365, 1}, Case{-3.9, 1}, Case{-5, 1}, Case{45, 0}})
        EXPECT_EQ(NearRightAngle(c.degrees * deg), c.want) << c.degrees;
}

}  // namespace
}  // namespace graphics_test
