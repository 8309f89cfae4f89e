#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "engine/softrender/pixel_rules.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/triangle_kernels.h"
#include "tests/softrender/image_test_support.h"

namespace {

using softtest::GuardedSurface;
using softtest::Source;
using Points = std::set<std::pair<int, int>>;

constexpr uint32_t kBlankPixel = 0xEEEEEEEE;

class TriangleKernel : public testing::Test {
  protected:
    void SetUp() override { softtest::EnsureTables(); }

    // A kind 1 source whose pixel (i, j) holds 0x01JJ00II.
    static void Numbered(Source& s, int w, int h) {
        ASSERT_EQ(InitMemImg(&s.whole, w, h, -1, 0xFFFFFFFF, 1, 0, 0, 0, nullptr), 0);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) s.Put(i, j, 0x01000000u | uint32_t(j) << 16 | uint32_t(i));
        s.used = &s.whole;
    }
    static GuardedSurface* Blank(int w, int h) {
        auto* d = new GuardedSurface(1, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) d->Set(x, y, kBlankPixel);
        return d;
    }
    static Points Drawn(const GuardedSurface& d) {
        Points p;
        for (int y = 0; y < d.img.height; ++y)
            for (int x = 0; x < d.img.width; ++x)
                if (d.Get(x, y) != kBlankPixel) p.insert({x, y});
        return p;
    }
    // The pixels a flat triangle covers on a w x h surface.
    static Points Flat(std::vector<TriangleVertex> v, int w = 16, int h = 16) {
        softtest::SetState({0, 0, w, h, 0, 255, 0xFFFFFF});
        std::unique_ptr<GuardedSurface> d(Blank(w, h));
        SoftDrawTriangle(&d->img, nullptr, v.data(), 0, nullptr, 0x00123456);
        return Drawn(*d);
    }
    static Points Rows(std::vector<std::pair<int, std::pair<int, int>>> rows) {
        Points p;
        for (auto [y, span] : rows)
            for (int x = span.first; x <= span.second; ++x) p.insert({x, y});
        return p;
    }
};

TEST_F(TriangleKernel, FlatTrianglesCoverTheRowsBetweenTheirEdges) {
    EXPECT_EQ(Flat({{0, 0, 0, 0}, {4, 0, 0, 0}, {0, 4, 0, 0}}),
              Rows({{0, {0, 4}}, {1, {0, 3}}, {2, {0, 2}}, {3, {0, 1}}}));
    // The lower right segment starts one 14.18 unit right of the middle corner.
    EXPECT_EQ(Flat({{0, 0, 0, 0}, {2, 2, 0, 0}, {3, 6, 0, 0}}),
              Rows({{0, {0, 0}}, {1, {1, 1}}, {2, {1, 2}}, {3, {2, 2}}, {4, {2, 2}}, {5, {3, 3}}}));
    // Other orders and windings cover the same pixels; collinear and equal corners nothing.
    const Points p = Flat({{1, 2, 0, 0}, {9, 4, 0, 0}, {3, 11, 0, 0}});
    EXPECT_EQ(Flat({{9, 4, 0, 0}, {3, 11, 0, 0}, {1, 2, 0, 0}}), p);
    EXPECT_EQ(Flat({{3, 11, 0, 0}, {9, 4, 0, 0}, {1, 2, 0, 0}}), p);
    EXPECT_TRUE(Flat({{0, 0, 0, 0}, {2, 2, 0, 0}, {5, 5, 0, 0}}).empty());
    EXPECT_TRUE(Flat({{3, 3, 0, 0}, {3, 3, 0, 0}, {3, 3, 0, 0}}).empty());
}

// Negative positions round down: a triangle moved up or left covers the moved pixels, with no row
// drawn twice and no phantom column.
TEST_F(TriangleKernel, NegativePositionsRoundDown) {
    EXPECT_EQ(Flat({{0, -1, 0, 0}, {4, -1, 0, 0}, {0, 3, 0, 0}}),
              Rows({{0, {0, 3}}, {1, {0, 2}}, {2, {0, 1}}}));
    EXPECT_TRUE(Flat({{-1, 0, 0, 0}, {-1, 4, 0, 0}, {-3, 2, 0, 0}}).empty());
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int iter = 0; iter < 300; ++iter) {
        std::vector<TriangleVertex> t(3);
        for (auto& v : t) v = {pick(0, 12), pick(0, 12), 0, 0};
        int dx = pick(0, 8), dy = pick(0, 8);
        if (iter == 0) {  // (5, -2), (0, 2), (6, 6): the middle corner on the left below row 0
            t = {{5, 0, 0, 0}, {0, 4, 0, 0}, {6, 8, 0, 0}};
            dx = 0, dy = 2;
        }
        // Additive drawing shows a pixel visited twice.
        auto draw = [&](int ox, int oy) {
            softtest::SetState({0, 0, 40, 40, 2, 255, 0xFFFFFF});
            GuardedSurface d(1, 40, 40, 0, 0);
            std::vector<TriangleVertex> moved = t;
            for (auto& v : moved) v.x += ox, v.y += oy;
            SoftDrawTriangle(&d.img, nullptr, moved.data(), 0, nullptr, 0x00000001);
            std::vector<uint32_t> px;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x) px.push_back(d.Get(x, y));
            return px;
        };
        const auto far = draw(20, 20), near = draw(-dx, -dy);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const int fx = x + 20 + dx, fy = y + 20 + dy;
                const uint32_t want = fx < 40 && fy < 40 ? far[fy * 40 + fx] : near[y * 40 + x];
                ASSERT_EQ(near[y * 40 + x], want) << iter << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(TriangleKernel, QuadTexelsAndSharedDiagonal) {
    Source s;
    Numbered(s, 4, 3);
    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    std::unique_ptr<GuardedSurface> d(Blank(8, 8));
    const QuadCorner corners[4] = {{1, 1}, {5, 1}, {1, 4}, {5, 4}};
    SoftDrawImageQuad(&d->img, s.used, corners, 0, nullptr);
    Points want;
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 4; ++x) {
            want.insert({x, y});
            EXPECT_EQ(d->Get(x, y), 0x01000000u | uint32_t(y - 1) << 16 | uint32_t(x - 1)) << x << "," << y;
        }
    EXPECT_EQ(Drawn(*d), want);
    // Add mode: the two pixels on the shared diagonal are drawn by both triangles.
    softtest::SetState({0, 0, 8, 8, 2, 255, 0xFFFFFF});
    GuardedSurface sum(1, 8, 8, 0, 0);
    Source one;
    ASSERT_EQ(InitMemImg(&one.whole, 4, 3, -1, 0xFFFFFFFF, 1, 0, 0, 0, nullptr), 0);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) one.Put(i, j, 0x00000002);
    SoftDrawImageQuad(&sum.img, &one.whole, corners, 0, nullptr);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool twice = (x == 2 && y == 3) || (x == 4 && y == 2);
            const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            EXPECT_EQ(sum.Get(x, y), twice ? 4u : (inside ? 2u : 0u)) << x << "," << y;
        }
}

TEST_F(TriangleKernel, MirroredQuad) {
    Source s;
    Numbered(s, 4, 3);
    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    std::unique_ptr<GuardedSurface> d(Blank(8, 8));
    const QuadCorner mirrored[4] = {{5, 1}, {1, 1}, {5, 4}, {1, 4}};
    SoftDrawImageQuad(&d->img, s.used, mirrored, 0, nullptr);
    Points want;
    for (int y = 1; y <= 3; ++y)
        for (int x = 2; x <= 5; ++x) {
            want.insert({x, y});
            EXPECT_EQ(d->Get(x, y), 0x01000000u | uint32_t(y - 1) << 16 | uint32_t(5 - x)) << x << "," << y;
        }
    EXPECT_EQ(Drawn(*d), want);
}

// The quad entries split the quad as the image quad does, the float form truncating its corners.
TEST_F(TriangleKernel, QuadEntries) {
    Source s;
    Numbered(s, 5, 4);
    softtest::SetState({0, 0, 16, 16, 1, 150, 0xFFFFFF});
    std::unique_ptr<GuardedSurface> viaEntry(Blank(16, 16)), direct(Blank(16, 16));
    g_softDrawSurfaces = {&viaEntry->img, nullptr};
    EXPECT_EQ(SoftTargetDrawImageQuad(2, 1, 12, 3, 1, 9, 14, 13, &s.whole, 0), 0);
    EXPECT_EQ(SoftTargetDrawImageQuadF(3.99f, 2.5f, 8.2f, 1.0f, 2.7f, 8.9f, 9.0f, 9.99f, &s.whole, 1), 0);
    g_softDrawSurfaces = {};
    const QuadCorner a[4] = {{2, 1}, {12, 3}, {1, 9}, {14, 13}}, b[4] = {{3, 2}, {8, 1}, {2, 8}, {9, 9}};
    SoftDrawImageQuad(&direct->img, s.used, a, 0, nullptr);
    SoftDrawImageQuad(&direct->img, s.used, b, 1, nullptr);
    EXPECT_EQ(viaEntry->block, direct->block);
    EXPECT_FALSE(Drawn(*direct).empty());
}

TEST_F(TriangleKernel, FlatSpansTintThroughScaleTable) {
    struct Row {
        int kind, mode, param;
        uint32_t bright, colour, dest, want;
    };
    const Row rows[] = {
        {1, 0, 0, 0x808080, 0x00FFFFFF, 0, 0x00808080},
        {0, 0, 0, 0x808080, 0xFFFF, 0, 0x7BEF},
        {1, 1, 255, 0xFFFFFF, 0xAB123456, 0, 0xAB123456},
        {1, 1, 128, 0xFFFFFF, 0x00FFFFFF, 0, 0x007F7F7F},
        {1, 1, 128, 0xFFFFFF, 0x00000000, 0x00FFFFFF, 0x007F7F7F},
        {0, 1, 128, 0xFFFFFF, 0xFFFF, 0, 0x7BEF},
        {0, 1, 128, 0xFFFFFF, 0x0000, 0xFFFF, 0x8410},
        {1, 4, 0, 0xFFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FEFEFE},
        {0, 4, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xF7DE},
        {1, 10, 255, 0xFFFFFF, 0x00FFFFFF, 0x00123456, 0},
        {1, 10, 255, 0xFFFFFF, 0, 0, 0x00FEFEFE},
        {0, 10, 255, 0xFFFFFF, 0xFFFF, 0x1234, 0},
        {0, 10, 255, 0xFFFFFF, 0, 0x1234, 0xFFFF},
        {1, 11, 255, 0xFFFFFF, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
        {0, 11, 255, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xF7DE},
        {1, 2, 255, 0xFFFFFF, 0x00808080, 0x00808080, 0x01FFFFFF},
        {1, 2, 255, 0xFFFFFF, 0x00000001, 0x00010101, 0x00010102},
        {1, 3, 255, 0xFFFFFF, 0x00010101, 0x00808080, 0x0081817F},
        {0, 2, 255, 0xFFFFFF, 0x0010, 0x0010, 0x003F},
        {0, 3, 255, 0xFFFFFF, 0x0000, 0xFFFF, 0xFFDF},
        {1, 1, 0, 0xFFFFFF, 0x00FFFFFF, 0x00123456, 0x00123456},
        {1, 3, 0, 0xFFFFFF, 0x00FFFFFF, 0x00123456, 0x00123456},
    };
    for (const Row& r : rows) {
        softtest::SetState({0, 0, 4, 4, r.mode, r.param, r.bright});
        GuardedSurface d(r.kind, 4, 4);
        d.Set(0, 0, r.dest);
        const TriangleVertex v[3] = {{0, 0, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0}};
        SoftDrawTriangle(&d.img, nullptr, v, 0, nullptr, r.colour);
        EXPECT_EQ(d.Get(0, 0), r.want) << "kind " << r.kind << " mode " << r.mode << " p " << r.param;
    }
}

TEST_F(TriangleKernel, TexelsOutsideTheSourceAndRefusals) {
    Source s;
    Numbered(s, 4, 4);
    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    std::unique_ptr<GuardedSurface> d(Blank(8, 8));
    // Texel coordinates reaching to -2 and 6 on a 4-texel source: only the inside ones are drawn.
    const TriangleVertex v[3] = {{0, 0, -2, -2}, {8, 0, 6, -2}, {0, 8, -2, 6}};
    SoftDrawTriangle(&d->img, s.used, v, 0, nullptr, 0);
    for (auto [x, y] : Drawn(*d)) {
        const uint32_t p = d->Get(x, y);
        EXPECT_LT(p & 0xFF, 4u);
        EXPECT_LT((p >> 16) & 0xFF, 4u);
    }
    EXPECT_FALSE(Drawn(*d).empty());
    const auto before = d->block;
    for (int mode : {5, 9, 12, -1}) {
        softtest::SetState({0, 0, 8, 8, mode, 100, 0xFFFFFF});
        SoftDrawTriangle(&d->img, s.used, v, 0, nullptr, 0);
        SoftDrawTriangle(&d->img, nullptr, v, 0, nullptr, 0x123);
    }
    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    MEMIMG k0{}, small{};
    ASSERT_EQ(InitMemImg(&k0, 4, 4, -1, 0, 0, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&small, 3, 4, -1, 0, 2, 0, 0, 0, nullptr), 0);
    SoftDrawTriangle(&d->img, &k0, v, 0, nullptr, 0);
    SoftDrawTriangle(&d->img, s.used, v, 0, &small, 0);
    const TriangleVertex huge[3] = {{0, 0, 0, 0}, {1 << 24, 0, 0, 0}, {0, 8, 0, 0}};
    SoftDrawTriangle(&d->img, nullptr, huge, 0, nullptr, 0x123);
    ReleaseMemImg(&k0);
    ReleaseMemImg(&small);
    EXPECT_EQ(d->block, before);
}

// The textured spans' selection: parameter exits per mode, and one loop per combination of blend
// image, tint, source alpha (direct sources) and transparent flag.
TEST(SpanRules, TexturedVariantTable) {
    using namespace softrender;
    auto rule = [](SourceKind s, uint32_t mode, ParamCase p, uint8_t v) {
        return PickPixelRule({Walker::TexSpan, Depth::Xrgb8888, s, mode, p, v});
    };
    for (SourceKind s : {SourceKind::Palette, SourceKind::Direct, SourceKind::DirectAlpha}) {
        for (uint8_t v = 0; v < 8; ++v) {
            EXPECT_EQ(rule(s, 1, ParamCase::Full, v), rule(s, 0, ParamCase::Full, v));
            EXPECT_EQ(rule(s, 1, ParamCase::Zero, v).combine, Combine::Nothing);
            EXPECT_EQ(rule(s, 2, ParamCase::Zero, v).combine, Combine::Nothing);
            EXPECT_EQ(rule(s, 3, ParamCase::Zero, v).combine == Combine::Nothing, s != SourceKind::Palette);
            for (uint32_t mode : {0u, 4u, 10u, 11u})
                EXPECT_NE(rule(s, mode, ParamCase::Zero, v).combine, Combine::Nothing);
            for (uint32_t mode : {5u, 9u, 12u})
                EXPECT_EQ(rule(s, mode, ParamCase::Other, v).combine, Combine::Nothing);
        }
        // Each axis changes the loop: blend image (a weight factor), tint, transparent flag.
        for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 10u, 11u}) {
            std::set<std::vector<int>> loops;
            for (uint8_t v = 0; v < 8; ++v) {
                const PixelRule r = rule(s, mode, ParamCase::Other, v);
                loops.insert({int(r.combine), int(r.factors), int(r.tint), int(r.transparent), int(r.alpha),
                              int(r.scale), int(r.word), int(r.target)});
            }
            EXPECT_EQ(loops.size(), 8u) << int(s) << " " << mode;
        }
    }
    // Spans have no plain add or subtract leaf and no row-loop parameter forms.
    EXPECT_EQ(rule(SourceKind::Direct, 2, ParamCase::Full, kVariantSimd).word, WordOp::MaskedAdd);
    EXPECT_EQ(rule(SourceKind::Palette, 1, ParamCase::Half, 0).combine, Combine::FloorMix);
    // Flat spans: the colour operations with the tint through ScaleTable.
    for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 10u, 11u}) {
        const PixelRule flat =
            PickPixelRule({Walker::FlatSpan, Depth::Rgb565, SourceKind::Colour, mode, ParamCase::Other, 0});
        PixelRule colour =
            PickPixelRule({Walker::Colour, Depth::Rgb565, SourceKind::Colour, mode, ParamCase::Other, 0});
        colour.tint = TintRule::Table;
        EXPECT_EQ(flat, colour) << mode;
    }
}

}  // namespace
