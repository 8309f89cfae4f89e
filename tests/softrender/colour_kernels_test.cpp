#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "engine/softrender/colour_kernels.h"
#include "tests/softrender/reference_renderer.h"
#include "tests/softrender/soft_test_support.h"

namespace {

using softtest::GuardedSurface;
using Points = std::set<std::pair<int, int>>;

class ColourKernels : public testing::Test {
  protected:
    void SetUp() override {
        softtest::EnsureTables();
        Use({0, 0, 400, 300, 0, 0, 0xFFFFFF});
    }
    void Use(ref::State s) {
        state = s;
        softtest::SetState(s);
    }
    // Pixels that differ from the fill value 0.
    static Points Changed(const GuardedSurface& s) {
        Points out;
        for (int y = 0; y < s.img.height; ++y)
            for (int x = 0; x < s.img.width; ++x)
                if (s.Get(x, y) != 0) out.insert({x, y});
        return out;
    }
    ref::State state{};
};

// One colour operation on a 1x1 surface, by the kernel and by the reference.
struct OpCase {
    int kind;
    int mode, param;
    uint32_t bright, colour, dest, expected;
};

TEST_F(ColourKernels, OperationVectorsPinKernelAndReference) {
    const OpCase cases[] = {
        {1, 1, 128, 0xFFFFFF, 0x00FFFFFF, 0x00000000, 0x007F7F7F},
        {1, 1, 128, 0xFFFFFF, 0x00000000, 0x00FFFFFF, 0x007F7F7F},
        {0, 1, 128, 0xFFFFFF, 0xF800, 0x0000, 15u << 11},
        {0, 1, 128, 0xFFFFFF, 0x0000, 0xF800, 16u << 11},
        {0, 1, 128, 0xFFFFFF, 0xFFFF, 0x0000, 0x7BEF},
        {0, 1, 128, 0xFFFFFF, 0x0000, 0xFFFF, 0x8410},
        {1, 1, 255, 0xFFFFFF, 0xAB123456, 0x00000000, 0xAB123456},
        {1, 0, 77, 0xFFFFFF, 0xAB123456, 0x00FFFFFF, 0xAB123456},
        {0, 4, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xF7DE},
        {1, 4, 0, 0xFFFFFF, 0x00FFFFFF, 0x55FFFFFF, 0x55FEFEFE},
        {1, 2, 255, 0xFFFFFF, 0x00020202, 0x00FFFFFF, 0x01FFFFFF},
        {1, 2, 255, 0xFFFFFF, 0x00010101, 0x00FFFFFF, 0x00FFFFFF},
        {1, 2, 255, 0xFFFFFF, 0x00808080, 0x00808080, 0x01FFFFFF},
        {1, 2, 255, 0xFFFFFF, 0x00000001, 0x00010101, 0x00010102},
        {1, 3, 255, 0xFFFFFF, 0x00000000, 0x00000200, 0x00010300},
        {1, 3, 255, 0xFFFFFF, 0x00010101, 0x00808080, 0x0081817F},
        {0, 3, 255, 0xFFFFFF, 0x0000, 0xFFFF, 0xFFDF},
        {0, 2, 255, 0xFFFFFF, 0x0010, 0x0010, 0x003F},
        {1, 10, 255, 0xFFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00000000},
        {1, 10, 255, 0xFFFFFF, 0x00000000, 0x66000000, 0x66FEFEFE},
        {0, 10, 255, 0xFFFFFF, 0xFFFF, 0x1234, 0x0000},
        {0, 10, 255, 0xFFFFFF, 0x0000, 0x1234, 0xFFFF},
        {1, 11, 255, 0xFFFFFF, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
        {0, 11, 255, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xF7DE},
        {1, 10, 0, 0xFFFFFF, 0x00FFFFFF, 0x00123456, 0x00123456},
        // The tint (c * b) >> 8: 255 at full bright still loses one.
        {1, 0, 0, 0x00FF8080, 0xFFFFFFFF, 0, 0xFFFE7F7F},
        {1, 0, 0, 0x0080FF40, 0xAAFFFFFF, 0, 0xAA7FFE3F},
        {0, 0, 0, 0x0080FF40, 0xFFFF, 0, (15u << 11) | (62u << 5) | 7u},
        {1, 0, 0, 0x00808080, 0x00FFFFFF, 0, 0x007F7F7F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.mode << " p " << c.param
                                        << std::hex << " colour " << c.colour << " dest " << c.dest);
        Use({0, 0, 1, 1, c.mode, c.param, c.bright});
        GuardedSurface s(c.kind, 1, 1);
        s.Set(0, 0, c.dest);
        SoftFillRect(&s.img, nullptr, c.colour);
        EXPECT_EQ(s.Get(0, 0), c.expected);
        int32_t mode;
        uint32_t r = c.dest;
        if (ref::EffectiveMode(c.mode, c.param, &mode))
            r = ref::ColourOp(c.kind, mode, c.param, ref::Tint(c.kind, c.colour, c.bright), c.dest);
        EXPECT_EQ(r, c.expected) << "reference";
    }
}

TEST_F(ColourKernels, ModesThatDrawNothing) {
    for (int mode : {5, 6, 7, 8, 9, 12, -1, 1000}) {
        for (int p : {0, 1, 128, 255}) {
            Use({0, 0, 8, 8, mode, p, 0xFFFFFF});
            GuardedSurface s(1, 8, 8);
            const auto before = s.block;
            SoftFillRect(&s.img, nullptr, 0x123456);
            SoftDrawLine(&s.img, 0, 0, 7, 5, 0x123456);
            SoftDrawCircle(&s.img, 4, 4, 3, 0x123456, 1);
            EXPECT_EQ(s.block, before) << mode << " " << p;
        }
    }
    for (int mode : {1, 2, 3}) {
        Use({0, 0, 8, 8, mode, 0, 0xFFFFFF});
        GuardedSurface s(0, 8, 8);
        const auto before = s.block;
        SoftFillRect(&s.img, nullptr, 0xFFFF);
        SoftDrawCircle(&s.img, 4, 4, 2, 0xFFFF, 0);
        EXPECT_EQ(s.block, before) << mode;
    }
}

TEST_F(ColourKernels, MultiplyIgnoresTheParameter) {
    std::vector<uint8_t> first;
    for (int p : {0, 1, 128, 255}) {
        Use({0, 0, 8, 8, 4, p, 0xFFFFFF});
        GuardedSurface s(1, 8, 8);
        SoftDrawCircle(&s.img, 3, 3, 3, 0x80C0E0, 1);
        if (first.empty()) first = s.block;
        EXPECT_EQ(s.block, first) << p;
    }
}

TEST_F(ColourKernels, FillRectangles) {
    GuardedSurface s(1, 20, 20, 8, 0);
    const int32_t reversed[4] = {10, 10, 2, 2};
    SoftFillRect(&s.img, reversed, 0xFF00FF00);
    Points expected;
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x) expected.insert({x, y});
    EXPECT_EQ(Changed(s), expected);

    Use({3, 4, 6, 7, 0, 0, 0xFFFFFF});
    GuardedSurface t(0, 10, 10, 0, 0);
    SoftFillRect(&t.img, nullptr, 0x1234);
    expected.clear();
    for (int y = 4; y < 7; ++y)
        for (int x = 3; x < 6; ++x) expected.insert({x, y});
    EXPECT_EQ(Changed(t), expected);
    const int32_t empty[4] = {5, 5, 5, 9};
    GuardedSurface u(0, 10, 10, 0, 0);
    SoftFillRect(&u.img, empty, 0x1234);
    EXPECT_TRUE(Changed(u).empty());
}

struct LineCase {
    int x1, y1, x2, y2;
    std::vector<std::pair<int, int>> pixels;
};

// Each pixel along the major axis takes the minor pixel nearest the line, halves to the greater
// coordinate (0,0 -> 4,2 goes up at the first half, 4,2 -> 0,0 keeps its row there).
TEST_F(ColourKernels, LinePixelLists) {
    const LineCase cases[] = {
        {5, 5, 5, 5, {}},
        {5, 5, 6, 5, {{5, 5}}},
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}}},
        {4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 1}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        {-10, 5, 5, -10, {{0, 0}}},
        {1, 0, 2, 5, {{1, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
    };
    for (const auto& c : cases) {
        GuardedSurface s(1, 400, 300, 0, 0);
        SoftDrawLine(&s.img, c.x1, c.y1, c.x2, c.y2, 0xFFFFFFFF);
        EXPECT_EQ(Changed(s), Points(c.pixels.begin(), c.pixels.end()))
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

TEST_F(ColourKernels, LinesClippedAtTheRectangleEdges) {
    auto xs = [](const Points& p) {
        std::vector<int> out;
        for (auto [x, y] : p) out.push_back(x);
        return out;
    };
    auto range = [](int from, int to) {
        std::vector<int> out;
        for (int x = from; x <= to; ++x) out.push_back(x);
        return out;
    };
    GuardedSurface a(1, 400, 300, 0, 0);
    SoftDrawLine(&a.img, 390, 10, 410, 10, 1);
    EXPECT_EQ(xs(Changed(a)), range(390, 399));
    GuardedSurface b(1, 400, 300, 0, 0);
    SoftDrawLine(&b.img, 10, 10, -10, 10, 1);
    EXPECT_EQ(xs(Changed(b)), range(0, 10));
    GuardedSurface c(1, 400, 300, 0, 0);
    SoftDrawLine(&c.img, -10, 0, 10, 0, 1);
    EXPECT_EQ(xs(Changed(c)), range(0, 9));
    // Cut at the clip's bottom row 10, the end lies on row 10: the last pixels, which would round onto
    // it, are left out.
    Use({0, 0, 400, 10, 0, 0, 0xFFFFFF});
    GuardedSurface e(1, 400, 300, 0, 0);
    SoftDrawLine(&e.img, 0, 8, 40, 12, 1);
    const Points cut = Changed(e);
    EXPECT_EQ(xs(cut), range(0, 14));
    for (auto [x, y] : cut) EXPECT_LT(y, 10) << x;
    Use({10, 0, 10, 300, 0, 0, 0xFFFFFF});
    GuardedSurface d(1, 400, 300, 0, 0);
    SoftDrawLine(&d.img, 0, 0, 399, 299, 1);
    EXPECT_TRUE(Changed(d).empty());
}

TEST_F(ColourKernels, ChainedBoxOutlineAddsEachCornerOnce) {
    Use({0, 0, 16, 16, 2, 255, 0xFFFFFF});
    GuardedSurface s(1, 16, 16, 0, 0);
    const SoftLineRecord box[4] = {
        {2, 2, 10, 2, 1, 0}, {10, 2, 10, 8, 1, 0}, {10, 8, 2, 8, 1, 0}, {2, 8, 2, 2, 1, 0}};
    SoftDrawLines(&s.img, box, 4);
    for (auto [x, y] : Changed(s)) EXPECT_EQ(s.Get(x, y), 1u) << x << "," << y;
    EXPECT_EQ(Changed(s).size(), 2u * 8 + 2u * 6);
    GuardedSurface t(1, 16, 16, 0, 0);
    SoftDrawLines(&t.img, box, 0);
    SoftDrawLines(&t.img, box, -1);
    EXPECT_TRUE(Changed(t).empty());
}

// Visits counted by adding 1 to blue for every visit: each pixel is visited once, also the centre of
// radius 0 and the diagonal pixels where two octants meet (radius 3).
TEST_F(ColourKernels, CircleVisitsAndCoverage) {
    Use({0, 0, 20, 20, 2, 255, 0xFFFFFF});
    const struct {
        int radius, outlinePixels, fillPixels;
    } cases[] = {{0, 1, 1}, {1, 4, 5}, {2, 12, 21}, {3, 16, 37}, {5, 28, 97}};
    for (const auto& c : cases) {
        for (int fill : {0, 1}) {
            GuardedSurface s(1, 20, 20, 0, 0);
            SoftDrawCircle(&s.img, 10, 10, c.radius, 1, fill);
            const Points changed = Changed(s);
            int visits = 0;
            for (auto [x, y] : changed) visits += static_cast<int>(s.Get(x, y));
            if (fill) {
                EXPECT_EQ(changed.size(), size_t(c.fillPixels)) << c.radius;
                EXPECT_EQ(visits, c.fillPixels) << c.radius;
            } else {
                EXPECT_EQ(changed.size(), size_t(c.outlinePixels)) << c.radius;
                EXPECT_EQ(visits, c.outlinePixels) << c.radius;
            }
        }
    }
    GuardedSurface r2(1, 20, 20, 0, 0);
    SoftDrawCircle(&r2.img, 10, 10, 2, 1, 0);
    const Points ring2 = {{8, 10}, {12, 10}, {10, 8}, {10, 12}, {8, 9},  {12, 9},
                          {8, 11}, {12, 11}, {9, 8},  {11, 8},  {9, 12}, {11, 12}};
    EXPECT_EQ(Changed(r2), ring2);
}

TEST_F(ColourKernels, CircleFillFlagsAndClip) {
    Use({0, 0, 20, 20, 0, 0, 0xFFFFFF});
    GuardedSurface one(1, 20, 20, 0, 0), two(1, 20, 20, 0, 0), minus(1, 20, 20, 0, 0);
    SoftDrawCircle(&one.img, 9, 9, 6, 7, 1);
    SoftDrawCircle(&two.img, 9, 9, 6, 7, 2);
    SoftDrawCircle(&minus.img, 9, 9, 6, 7, -1);
    EXPECT_EQ(one.block, two.block);
    EXPECT_EQ(one.block, minus.block);
    // Right and bottom edges of the clip are exclusive.
    Use({0, 0, 13, 13, 0, 0, 0xFFFFFF});
    GuardedSurface e(1, 20, 20, 0, 0);
    SoftDrawCircle(&e.img, 10, 10, 2, 7, 0);
    const Points changed = Changed(e);
    EXPECT_TRUE(changed.count({12, 10}));
    EXPECT_TRUE(changed.count({10, 12}));
    GuardedSurface f(1, 20, 20, 0, 0);
    SoftDrawCircle(&f.img, 11, 11, 2, 7, 0);
    EXPECT_FALSE(Changed(f).count({13, 11}));
    // Wholly outside, and a negative radius.
    GuardedSurface g(1, 20, 20, 0, 0);
    SoftDrawCircle(&g.img, 40, 40, 5, 7, 1);
    SoftDrawCircle(&g.img, 5, 5, -1, 7, 1);
    EXPECT_TRUE(Changed(g).empty());
}

// Circles far larger than the clip are walked only where they meet it; the pixels are those of the
// whole walk. Radii up to 3000 against the reference walk, with the outline through the surface.
TEST_F(ColourKernels, LargeCirclesThroughTheClipMatchTheReference) {
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int iter = 0; iter < 150; ++iter) {
        GuardedSurface s(pick(0, 1), 24, 24, 2);
        s.Randomise(rng);
        ref::State st{};
        st.clip[0] = pick(-2, 6), st.clip[1] = pick(-2, 6), st.clip[2] = pick(18, 26),
        st.clip[3] = pick(18, 26);
        st.bright = 0x00FFFFFF;
        Use(st);
        const int r = pick(50, 3000), fill = pick(0, 1);
        const double angle = pick(0, 359) * 3.14159265358979 / 180.0;
        const int distance = r + pick(-30, 30);
        const int cx = 12 + int(distance * std::cos(angle)), cy = 12 + int(distance * std::sin(angle));
        const uint32_t colour = rng();
        ref::Canvas cv = s.Canvas();
        SoftDrawCircle(&s.img, cx, cy, r, colour, fill);
        ref::ApplyPoints(cv, st, colour, ref::CirclePoints(cv, st, cx, cy, r, fill != 0));
        ASSERT_EQ(s.block, cv.bytes) << "iteration " << iter << " r " << r << " centre " << cx << "," << cy;
    }
}

// The largest radius: the disc covers a clip near its centre and the outline misses it; near the edge of
// the circle its outline is one straight row or column of the clip and the disc fills up to it. Visits
// are counted by adding 1 to blue, so a pixel visited twice shows.
TEST_F(ColourKernels, CirclesOfTheLargestRadiusAreWalkedWhereTheyMeetTheClip) {
    constexpr int kMax = 0x7FFFFFFF;
    Use({0, 0, 20, 20, 2, 255, 0xFFFFFF});
    const struct {
        const char* what;
        int cx, cy, radius, fill;
        bool (*covered)(int x, int y);
    } cases[] = {
        {"disc over the clip", 10, 10, kMax, 1, [](int, int) { return true; }},
        {"outline around the clip", 10, 10, kMax, 0, [](int, int) { return false; }},
        {"bottom of the outline on row 15", 10, 15 - kMax, kMax, 0, [](int, int y) { return y == 15; }},
        {"bottom of the disc on row 15", 10, 15 - kMax, kMax, 1, [](int, int y) { return y <= 15; }},
        {"right of the outline on column 4", 4 - kMax, 10, kMax, 0, [](int x, int) { return x == 4; }},
        {"left of the disc on column 4", kMax, 10, kMax - 4, 1, [](int x, int) { return x >= 4; }},
        {"top of the outline below the clip", 10, kMax, kMax - 20, 0, [](int, int) { return false; }},
    };
    for (const auto& c : cases) {
        GuardedSurface s(1, 20, 20, 0, 0);
        SoftDrawCircle(&s.img, c.cx, c.cy, c.radius, 1, c.fill);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(s.Get(x, y), c.covered(x, y) ? 1u : 0u) << c.what << " " << x << "," << y;
    }
}

TEST_F(ColourKernels, RefusedDestinations) {
    for (int variant = 0; variant < 3; ++variant) {
        std::vector<uint8_t> block(4 * 8 * 8, 0);
        MEMIMG img{};
        const int kind = variant == 2 ? 2 : 1;
        InitMemImg(&img, 8, 8, -1, 0, kind, variant == 0, variant == 1, 0, block.data());
        Use({0, 0, 8, 8, 0, 0, 0xFFFFFF});
        SoftFillRect(&img, nullptr, 0xFFFFFFFF);
        SoftDrawLine(&img, 0, 0, 7, 7, 0xFFFFFFFF);
        SoftDrawCircle(&img, 4, 4, 2, 0xFFFFFFFF, 1);
        EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0; })) << variant;
        ReleaseMemImg(&img);
    }
}

// A clip rectangle reaching beyond the destination, and a 16-bit colour with high bits: nothing is
// written outside the surface.
TEST_F(ColourKernels, NeverWritesOutsideTheDestination) {
    Use({-50, -50, 500, 500, 0, 0, 0xFFFFFF});
    GuardedSurface s(0, 5, 4, 6);
    const auto before = s.block;
    const int32_t all[4] = {-100, -100, 100, 100};
    SoftFillRect(&s.img, all, 0xABCD1234);
    SoftDrawLine(&s.img, -20, -3, 30, 9, 0xABCD1234);
    SoftDrawCircle(&s.img, 2, 2, 40, 0xABCD1234, 0);
    SoftDrawCircle(&s.img, 2, 2, 40, 0xABCD1234, 1);
    for (size_t i = 0; i < s.block.size(); ++i) {
        const size_t off = i - softtest::kGuard;
        const bool inside =
            i >= softtest::kGuard && off / s.img.base->pitch < 4 && off % s.img.base->pitch < 10;
        if (inside) {
            EXPECT_EQ(s.block[i], (off % 2 == 0) ? 0x34 : 0x12) << i;
        } else {
            EXPECT_EQ(s.block[i], before[i]) << i;
        }
    }
}

TEST_F(ColourKernels, DrawingInvalidatesTheRunTable) {
    MEMIMG img{};
    ASSERT_EQ(InitMemImg(&img, 4, 4, -1, 0, 1, 0, 0, 1, nullptr), 0);
    img.base->runTableValid = 1;
    img.base->premultipliedValid = 1;
    Use({0, 0, 4, 4, 0, 0, 0xFFFFFF});
    SoftDrawLine(&img, 0, 0, 3, 0, 1);
    EXPECT_EQ(img.base->runTableValid, 0);
    EXPECT_EQ(img.base->premultipliedValid, 0);
    ReleaseMemImg(&img);
}

// Random surfaces, states and shapes, kernel against the reference, guard bytes included.
TEST_F(ColourKernels, MatchTheReferenceOnRandomDraws) {
    std::mt19937 rng(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int params[] = {0, 1, 2, 127, 128, 129, 254, 255};
    for (int iter = 0; iter < 4000; ++iter) {
        const int kind = pick(0, 1);
        const int w = pick(1, 24), h = pick(1, 24);
        GuardedSurface s(kind, w, h, pick(0, 5));
        s.Randomise(rng);
        ref::State st{};
        st.clip[0] = pick(-4, w);
        st.clip[1] = pick(-4, h);
        st.clip[2] = pick(st.clip[0], w + 4);
        st.clip[3] = pick(st.clip[1], h + 4);
        const int modes[] = {-1, 0, 1, 2, 3, 4, 5, 9, 10, 11, 12};
        st.mode = modes[pick(0, 10)];
        st.param = pick(0, 3) ? params[pick(0, 7)] : pick(0, 255);
        const int brightKind = pick(0, 2);
        st.bright = brightKind == 0 ? 0x00FFFFFF : (brightKind == 1 ? 0xFFFFFFFF : rng());
        Use(st);
        const uint32_t colour = pick(0, 3) ? rng() : (rng() & 0xFFFF);
        ref::Canvas cv = s.Canvas();
        auto far = [&](int size) { return pick(-2, 1) ? pick(-3, size + 3) : pick(-1000, 1000); };
        const int shape = pick(0, 3);
        if (shape == 0) {
            const int32_t rect[4] = {far(w), far(h), far(w), far(h)};
            const bool whole = pick(0, 5) == 0;
            SoftFillRect(&s.img, whole ? nullptr : rect, colour);
            ref::ApplyPoints(cv, st, colour, ref::FillPoints(cv, st, whole ? nullptr : rect));
        } else if (shape == 1) {
            const int x1 = far(w), y1 = far(h), x2 = far(w), y2 = far(h);
            SoftDrawLine(&s.img, x1, y1, x2, y2, colour);
            ref::ApplyPoints(cv, st, colour, ref::LinePoints(cv, st, x1, y1, x2, y2));
        } else if (shape == 2) {
            const int cx = far(w), cy = far(h), r = pick(0, 3) ? pick(0, 12) : pick(-2, 40);
            const int fill = pick(-1, 2);
            SoftDrawCircle(&s.img, cx, cy, r, colour, fill);
            ref::ApplyPoints(cv, st, colour, ref::CirclePoints(cv, st, cx, cy, r, fill != 0));
        } else {
            std::vector<SoftLineRecord> recs;
            int x = far(w), y = far(h);
            for (int i = pick(0, 4); i > 0; --i) {
                const int nx = far(w), ny = far(h);
                recs.push_back({x, y, nx, ny, static_cast<int32_t>(colour), pick(0, 255)});
                ref::ApplyPoints(cv, st, colour, ref::LinePoints(cv, st, x, y, nx, ny));
                x = nx, y = ny;
            }
            SoftDrawLines(&s.img, recs.data(), static_cast<int>(recs.size()));
        }
        ASSERT_EQ(s.block, cv.bytes) << "iteration " << iter << " shape " << shape << " kind " << kind
                                     << " mode " << st.mode << " p " << st.param;
    }
}

}  // namespace
