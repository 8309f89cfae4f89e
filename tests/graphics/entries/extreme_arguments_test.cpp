// The draw entries with a caller's extreme values, through the device and in software: coordinates that
// are NaN, infinite or beyond what a float draw takes are refused with -1 and draw nothing; int
// coordinates at the ends of the range draw what lies inside the target, with no arithmetic overflow.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "tests/graphics/entries/started_graphics.h"

namespace entries_test {
namespace {

constexpr int kWidth = 64, kHeight = 48;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct Vertex {
    float x, y, u, v;
    uint8_t colour[4];
};

struct Row {
    const char* what;
    std::function<int(int graphic)> draw;
    int result;
    bool (*lit)(int x, int y);  // null: the picture is not looked at (the paths differ at such lengths)
};

bool Nothing(int, int) {
    return false;
}
bool Everything(int, int) {
    return true;
}

const Row kRows[] = {
    {"stretched, NaN corner", [](int g) { return DrawImageStretchedF(kNaN, 0, 10, 10, g, 0); }, -1, Nothing},
    {"stretched, infinite corner", [](int g) { return DrawImageStretchedF(0, 0, kInfinity, 10, g, 0); }, -1,
     Nothing},
    {"stretched, corner at 1e30", [](int g) { return DrawImageStretchedF(0, -1e30f, 10, 10, g, 0); }, -1,
     Nothing},
    {"part stretched, NaN corner",
     [](int g) { return DrawImagePartStretchedF(0, 0, kNaN, 10, 0, 0, 4, 4, g, 0); }, 0, Nothing},
    {"quad, NaN corner", [](int g) { return DrawImageQuad(0, 0, 10, 0, 10, kNaN, 0, 10, g, 0, 0); }, -1,
     Nothing},
    {"rotated, NaN scale", [](int g) { return DrawImageRotated(20, 20, double(kNaN), 0, g, 0, 0); }, -1,
     Nothing},
    {"rotated, infinite angle", [](int g) { return DrawImageRotated(20, 20, 1, double(kInfinity), g, 0, 0); },
     -1, Nothing},
    {"vertex list, NaN position",
     [](int g) {
         const Vertex vertices[3] = {{0, 0, 0, 0, {255, 255, 255, 255}},
                                     {kNaN, 0, 1, 0, {255, 255, 255, 255}},
                                     {0, 40, 0, 1, {255, 255, 255, 255}}};
         return DrawVertexArray2D(vertices, 3, 4, g, 0, 0);
     },
     -1, Nothing},
    {"part at INT_MIN, as a string there",
     [](int g) { return DrawImagePart(INT_MIN, 0, 4, 0, 4, 8, g, 0, 0); }, 0, Nothing},
    {"turned part near INT_MAX", [](int g) { return DrawImagePart(INT_MAX - 2, 0, 0, 0, 8, 8, g, 0, 1); }, 0,
     Nothing},
    {"graphic near INT_MAX", [](int g) { return DrawImageAt(INT_MAX - 3, 0, g, 0); }, 0, Nothing},
    {"turned graphic near INT_MAX", [](int g) { return DrawImageTurned(0, INT_MAX - 3, g, 0); }, 0, Nothing},
    {"thick line across the int range",
     [](int) { return DrawLineShape(INT_MIN, 10, INT_MAX, 10, 0xFFFFFF, 4); }, -1, Nothing},
    {"vertical line of thickness INT_MAX",
     [](int) { return DrawLineShape(5, 0, 5, kHeight, 0xFFFFFF, INT_MAX); }, 0, Everything},
    {"thin line across the int range", [](int) { return DrawLineShape(INT_MIN, 7, INT_MAX, 7, 0xFFFFFF, 1); },
     0, nullptr},
    {"outline box to INT_MIN",
     [](int) { return DrawBoxShape(INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0xFFFFFF, 0); }, 0, nullptr},
    {"filled box over the int range",
     [](int) { return DrawBoxShape(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0xFFFFFF, 1); }, 0, Everything},
    {"disc of the largest radius",
     [](int) { return DrawCircleShape(INT_MAX - 100, 20, INT_MAX, 0xFFFFFF, 1); }, 0, Everything},
};

class ExtremeArgumentsTest : public StartedGraphics, public ::testing::WithParamInterface<bool> {};

TEST_P(ExtremeArgumentsTest, RefusedOrDrawnWithinTheTarget) {
    Start(GetParam(), 32);
    const int graphic = MakeSelectedTarget(8, 8, 255, 255, 255);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        const int target = MakeSelectedTarget(kWidth, kHeight, 0, 0, 0);
        EXPECT_EQ(row.draw(graphic), row.result);
        if (row.lit != nullptr) {
            const Picture picture = Read(target, kWidth, kHeight);
            ASSERT_EQ(picture.levels.size(), size_t(kWidth) * kHeight * 3);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(picture.At(x, y, 0) != 0, row.lit(x, y)) << x << "," << y;
        }
        FreeGraphic(target, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, ExtremeArgumentsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "direct3D" : "software";
                         });

}  // namespace
}  // namespace entries_test
