// The draw entries with the library started on the device (and, where the picture must not depend on
// it, with hardware drawing off): subtractive blending emulated where the device has no blend operation,
// the even thick line as one triangle strip, the alpha of a graphic fill, and the free quad drawn upright
// from clockwise corners.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/handles/graphic_read_back.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/entries/started_graphics.h"

namespace entries_test {
namespace {

class DeviceEntries : public StartedGraphics {
  protected:
    static void StartTrace() {
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
    }
    // The DrawPrimitiveUP calls of the trace so far, without the method's name.
    static std::vector<std::string> Draws() {
        std::vector<std::string> draws;
        const std::string prefix = "IDirect3DDevice9::DrawPrimitiveUP";
        for (const std::string& line : D3D9TakeTrace())
            if (line.rfind(prefix, 0) == 0) draws.push_back(line.substr(prefix.size()));
        return draws;
    }
    static ::testing::AssertionResult Near(const Picture& p, int x, int y, int r, int g, int b) {
        const int want[3] = {r, g, b};
        for (int c = 0; c < 3; ++c)
            if (std::abs(p.At(x, y, c) - want[c]) > 1)
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << p.At(x, y, 0)
                                                     << "/" << p.At(x, y, 1) << "/" << p.At(x, y, 2);
        return ::testing::AssertionSuccess();
    }
};

// Without the device's blend operation, subtraction is a white mode-3 box, a mode-5 draw of the graphic
// and the white box again; with it, one draw. Either way (40, 40, 40) comes off (100, 150, 200).
TEST_F(DeviceEntries, SubtractIsEmulatedWithoutTheBlendOperation) {
    const struct {
        bool blendOp;
        std::vector<std::string> draws;
    } cases[] = {
        {false, {"(4, 2, ptr, 20)", "(4, 2, ptr, 28)", "(4, 2, ptr, 20)"}},
        {true, {"(4, 2, ptr, 28)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blendOp ? "with the blend operation" : "without the blend operation");
        D3D9CapabilityProfile profile;
        profile.blend_op = c.blendOp;
        D3D9SetCapabilityProfile(profile);
        Start(true, 32);
        const int grey = MakeDrawTarget(16, 16, 0);
        ASSERT_EQ(FillGraphicRect(grey, 40, 40, 40, 255, 0), 0);
        const int target = MakeSelectedTarget(64, 64, 100, 150, 200);
        SetBlend(3, 255);
        StartTrace();
        ASSERT_EQ(DrawImageAt(10, 10, grey, 0), 0);
        const Picture picture = Read(target, 64, 64);
        EXPECT_EQ(Draws(), c.draws);
        EXPECT_TRUE(Near(picture, 10, 10, 60, 110, 160));
        EXPECT_TRUE(Near(picture, 25, 25, 60, 110, 160));
        EXPECT_TRUE(Near(picture, 9, 10, 100, 150, 200));
        EXPECT_TRUE(Near(picture, 26, 25, 100, 150, 200));
        Stop();
    }
}

// An even thickness takes the quad: on the device one strip of four 28-byte vertices.
TEST_F(DeviceEntries, EvenThickLineIsOneStripAndDrawsInBothModes) {
    for (bool direct3D : {true, false}) {
        SCOPED_TRACE(direct3D ? "Direct3D" : "software");
        Start(direct3D, 32);
        const int target = MakeSelectedTarget(40, 40, 0, 0, 0);
        StartTrace();
        ASSERT_EQ(DrawThickLine(10, 5, 10, 30, 4, PackColor(255, 255, 255)), 0);
        const Picture picture = Read(target, 40, 40);
        if (direct3D) {
            EXPECT_EQ(Draws(), std::vector<std::string>{"(5, 2, ptr, 28)"});
        }
        for (int x : {9, 10, 11}) EXPECT_TRUE(Near(picture, x, 15, 255, 255, 255)) << x;
        for (int x : {6, 14}) EXPECT_TRUE(Near(picture, x, 15, 0, 0, 0)) << x;
        Stop();
    }
}

TEST_F(DeviceEntries, GraphicFillClampsAlpha) {
    Start(true, 32);
    const int graphic = MakeDrawTarget(8, 8, 1);
    for (int alpha : {300, 128}) {
        ASSERT_EQ(FillGraphicRect(graphic, 10, 20, 30, alpha, 0), 0);
        SoftImage image{};
        ASSERT_EQ(ReadGraphicToImage(graphic, &image, nullptr), 0);
        int r, g, b, a;
        GetImagePixelRgba(&image, 3, 5, &r, &g, &b, &a);
        EXPECT_EQ(a, std::min(alpha, 255));
        EXPECT_EQ(r * 65536 + g * 256 + b, 10 * 65536 + 20 * 256 + 30);
        ReleaseSoftImage(&image);
    }
}

// The first draw of a graphic after the start, with no draw before it, samples the graphic's texture:
// the start prepared the stages for drawing without one.
TEST_F(DeviceEntries, FirstGraphicDrawAfterTheStartShowsTheTexture) {
    Start(true, 32);
    const int orange = MakeSelectedTarget(8, 8, 255, 128, 64);
    const int target = MakeSelectedTarget(32, 32, 0, 0, 0);
    ASSERT_EQ(DrawImageAt(4, 4, orange, 0), 0);
    const Picture picture = Read(target, 32, 32);
    EXPECT_TRUE(Near(picture, 4, 4, 255, 128, 64));
    EXPECT_TRUE(Near(picture, 11, 11, 255, 128, 64));
    EXPECT_TRUE(Near(picture, 12, 12, 0, 0, 0));
}

// Corners top left, top right, bottom right, bottom left, clockwise on the screen: the graphic upright,
// its top-left quarter at the first corner and its top-right quarter at the second.
TEST_F(DeviceEntries, QuadWithClockwiseCornersIsUprightInBothModes) {
    for (bool direct3D : {true, false}) {
        SCOPED_TRACE(direct3D ? "Direct3D" : "software");
        Start(direct3D, 32);
        const int quarters = MakeSelectedTarget(8, 8, 0, 0, 255);
        DrawBoxShape(0, 0, 4, 4, PackColor(255, 0, 0), 1);
        DrawBoxShape(4, 0, 8, 4, PackColor(0, 255, 0), 1);
        DrawBoxShape(4, 4, 8, 8, PackColor(255, 255, 255), 1);
        const int target = MakeSelectedTarget(64, 64, 0, 0, 0);
        ASSERT_EQ(DrawImageQuadF(40, 40, 56, 40, 56, 56, 40, 56, quarters, 0), 0);
        const Picture picture = Read(target, 64, 64);
        EXPECT_TRUE(Near(picture, 41, 41, 255, 0, 0));
        EXPECT_TRUE(Near(picture, 54, 41, 0, 255, 0));
        EXPECT_TRUE(Near(picture, 41, 54, 0, 0, 255));
        EXPECT_TRUE(Near(picture, 54, 54, 255, 255, 255));
        Stop();
    }
}

}  // namespace
}  // namespace entries_test
