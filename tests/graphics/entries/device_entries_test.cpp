// The draw entries with the library started on the device (and, where the picture must not depend on
// it, with hardware drawing off): subtractive blending emulated where the device has no blend operation,
// the even thick line as one triangle strip, the alpha of a graphic fill, and the free quad drawn upright
// from clockwise corners.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_loading.h"
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

namespace {

// A caller's vertex of DrawVertexArray2D: position, texture coordinates, colour as B, G, R, A.
struct CallerVertex {
    float x, y, u, v;
    uint8_t b, g, r, a;
};

// Two triangles over (x1, y1) - (x2, y2) with the texture's whole range, in one colour (0xRRGGBB).
std::vector<CallerVertex> CallerQuad(float x1, float y1, float x2, float y2, uint32_t colour) {
    const uint8_t r = uint8_t(colour >> 16), g = uint8_t(colour >> 8), b = uint8_t(colour);
    const CallerVertex tl{x1, y1, 0, 0, b, g, r, 255}, tr{x2, y1, 1, 0, b, g, r, 255},
        bl{x1, y2, 0, 1, b, g, r, 255}, br{x2, y2, 1, 1, b, g, r, 255};
    return {tl, tr, bl, br, bl, tr};
}

// The same quad in the device's own 28-byte layout, for DrawFilterRect.
std::vector<Vertex2DTex> DeviceQuad(float x1, float y1, float x2, float y2, uint32_t colour) {
    std::vector<Vertex2DTex> quad;
    for (const CallerVertex& c : CallerQuad(x1, y1, x2, y2, colour))
        quad.push_back(Vertex2DTex{c.x, c.y, 0.0f, 1.0f, 0xFF000000u | colour, c.u, c.v});
    return quad;
}

}  // namespace

// An untextured vertex list is drawn by the device in its colours, tinted by the draw bright.
TEST_F(DeviceEntries, VertexListsAreDrawnInTheirColoursTimesTheBright) {
    const struct {
        const char* name;
        bool filterRect;
        int brightRed;
        int red;
    } cases[] = {{"DrawVertexArray2D", false, 255, 255},
                 {"DrawVertexArray2D, bright", false, 128, 128},
                 {"DrawFilterRect", true, 255, 255},
                 {"DrawFilterRect, bright", true, 128, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(true, 32);
        const int target = MakeSelectedTarget(32, 32, 0, 0, 0);
        SetBright(c.brightRed, 255, 255);
        const int result = c.filterRect ? DrawFilterRect(DeviceQuad(8, 8, 24, 24, 0xFF0000).data(), 6,
                                                         D3DPT_TRIANGLELIST, -5, 0)
                                        : DrawVertexArray2D(CallerQuad(8, 8, 24, 24, 0xFF0000).data(), 6,
                                                            D3DPT_TRIANGLELIST, -5, 0, 0);
        ASSERT_EQ(result, 0);
        const Picture picture = Read(target, 32, 32);
        EXPECT_TRUE(Near(picture, 8, 8, c.red, 0, 0));
        EXPECT_TRUE(Near(picture, 23, 23, c.red, 0, 0));
        EXPECT_TRUE(Near(picture, 7, 8, 0, 0, 0));
        EXPECT_TRUE(Near(picture, 24, 23, 0, 0, 0));
        Stop();
    }
}

// A graphic held in a larger texture: with the map flag the list's 0..1 spans the graphic, without it
// the whole texture.
TEST_F(DeviceEntries, VertexListMapsIntoTheGraphicsTile) {
    Start(true, 32);
    SoftImage halves{};
    ASSERT_EQ(CreateSoftImageXrgb8(20, 20, &halves), 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            SetImagePixelRgba(&halves, x, y, x < 10 ? 255 : 0, 0, x < 10 ? 0 : 255, 255);
    const int graphic = CreateGraphicFromSoftImages(&halves, nullptr, 0);
    ReleaseSoftImage(&halves);
    ASSERT_GE(graphic, 0);
    int textureWidth = 0, textureHeight = 0;
    ASSERT_EQ(GetGraphicTextureSize(graphic, &textureWidth, &textureHeight), 0);
    ASSERT_EQ(textureWidth, 32);
    for (int map : {1, 0}) {
        SCOPED_TRACE(map ? "mapped" : "not mapped");
        const int target = MakeSelectedTarget(40, 40, 0, 0, 0);
        ASSERT_EQ(DrawVertexArray2D(CallerQuad(0, 0, 40, 40, 0xFFFFFF).data(), 6, D3DPT_TRIANGLELIST, graphic,
                                    0, map),
                  0);
        const Picture picture = Read(target, 40, 40);
        EXPECT_TRUE(Near(picture, 5, 20, 255, 0, 0));
        // Graphic x 7 when mapped (red), texel 12 when not (blue).
        EXPECT_TRUE(map ? Near(picture, 15, 20, 255, 0, 0) : Near(picture, 15, 20, 0, 0, 255));
        EXPECT_TRUE(map ? Near(picture, 25, 20, 0, 0, 255) : Near(picture, 22, 20, 0, 0, 255));
    }
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
