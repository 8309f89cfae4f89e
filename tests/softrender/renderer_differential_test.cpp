// The textured spans against the blit where their rules agree, and every kernel of the software
// renderer against the reference renderer on random draws (fixed seeds, bounded counts).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "engine/core/frame/cpu_simd_flag.h"
#include "engine/softrender/colour_kernels.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/pixel_rules.h"
#include "engine/softrender/triangle_kernels.h"
#include "tests/softrender/reference_spans.h"
#include "tests/softrender/soft_test_support.h"

namespace {

using namespace softrender;
using softtest::GuardedSurface;

// Where a textured span's rule differs from the blit row loop's: the row loop's own forms (half blend,
// 6-bit lerp, plain add and subtract, the untinted copy that ignores source alpha, the copy's low-bit
// transparent compare), and the spans' own statements (subtract of a palette source at parameter 0;
// multiply, multiply-alpha and 32-bit inverted alpha weighting an alpha of 0 instead of skipping it).
bool ListedDifference(const RuleKey& k) {
    const bool wide = k.depth == Depth::Xrgb8888;
    const bool blend = k.variants & kVariantBlendImage, tint = k.variants & kVariantTint;
    const bool flag = k.variants & kVariantTransparent;
    const bool alpha = k.source == SourceKind::DirectAlpha;
    const bool plain = !blend && !tint && !alpha;
    const uint32_t mode = k.mode == kModeAlpha && k.param == ParamCase::Full ? kModeCopy : k.mode;
    if (mode == kModeAlpha && k.param != ParamCase::Zero && plain && (k.param == ParamCase::Half || !wide))
        return true;
    if ((mode == kModeAdd || mode == kModeSub) && k.param == ParamCase::Full && plain) return true;
    if (mode == kModeSub && k.param == ParamCase::Zero && k.source == SourceKind::Palette) return true;
    if (mode == kModeCopy && alpha && !blend && !tint && !flag) return true;
    if (mode == kModeCopy && !blend && !alpha && flag) return true;
    return alpha && flag && (mode == kModeMul || mode == kModeMulAlpha || (mode == kModeInvAlpha && wide));
}

RuleKey KeyFor(Walker w, size_t i) {
    return ImageKeyAt(w, i);
}

bool SameRules(size_t i) {
    RuleKey blit = KeyFor(Walker::RowBlit, i), span = KeyFor(Walker::TexSpan, i);
    if (!(PickPixelRule(blit) == PickPixelRule(span))) return false;
    if (blit.source != SourceKind::DirectAlpha) return true;
    blit.source = span.source = SourceKind::DirectOpaque;
    return PickPixelRule(blit) == PickPixelRule(span);
}

bool DrawnMode(uint32_t mode) {
    return mode <= kModeMul || mode == kModeInvAlpha || mode == kModeMulAlpha;
}

TEST(SpanDialect, DiffersFromTheBlitOnlyInTheListedForms) {
    size_t differing = 0;
    for (size_t i = 0; i < kImageKeyCount; ++i) {
        const RuleKey k = KeyFor(Walker::TexSpan, i);
        if (!DrawnMode(k.mode)) continue;
        EXPECT_EQ(!SameRules(i), ListedDifference(k))
            << "depth " << int(k.depth) << " source " << int(k.source) << " mode " << k.mode << " param "
            << int(k.param) << " variants " << int(k.variants);
        differing += !SameRules(i);
    }
    EXPECT_GT(differing, 0u);
}

int ParamOf(ParamCase c, std::mt19937& rng) {
    const int others[] = {1, 3, 77, 200, 254};
    switch (c) {
        case ParamCase::Zero:
            return 0;
        case ParamCase::Half:
            return 128;
        case ParamCase::Full:
            return 255;
        default:
            return others[rng() % 5];
    }
}

// A random source of `kind`: 0 palette, 1 direct, 2 direct with alpha. Some pixels equal the
// transparent value, and alpha sources get alphas of 0 and 255 as well.
struct RandomSource {
    MEMIMG img{};
    RandomSource(std::mt19937& rng, int kind, int sourceKind, int w, int h) {
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        InitMemImg(&img, w, h, -1, 0, kind, sourceKind == 0, sourceKind == 2, 0, nullptr);
        MemImgBase* b = img.base;
        for (int i = 0; i < b->pitch * h; ++i) img.pixels[i] = uint8_t(rng());
        if (sourceKind == 0) {
            for (int i = 0; i < 1024; ++i) b->palette[i] = uint8_t(rng());
            b->paletteCount = 256;
        }
        uint32_t tv = sourceKind == 0 ? rng() & 0xFF : (kind == 0 ? rng() & 0xFFFF : rng());
        b->transparentColor = pick(0, 7) == 0 ? tv | 0x10000000 : tv;
        for (int n = pick(0, 4); n > 0; --n) {
            uint32_t v = tv;
            if (sourceKind == 2)
                v = (rng() & (kind == 1 ? 0x00FFFFFF : 0xFFFF)) | (pick(0, 1) ? 0xFFu : 0u)
                                                                      << (kind == 1 ? 24 : 16);
            std::memcpy(img.pixels + pick(0, h - 1) * b->pitch + pick(0, w - 1) * b->pixelBytes, &v,
                        b->pixelBytes);
        }
    }
    ~RandomSource() { ReleaseMemImg(&img); }
};

// A blend image at least as large as the source, with a random weight table.
struct RandomBlend {
    MEMIMG img{};
    RandomBlend(std::mt19937& rng, int w, int h) {
        InitMemImg(&img, w + int(rng() % 2), h + int(rng() % 2), -1, 0, 2, 0, 0, 0, nullptr);
        for (int i = 0; i < img.base->pitch * img.height; ++i) img.pixels[i] = uint8_t(rng());
        BuildBlendImageWeightTable(int(rng() % 256), int(rng() % 256));
    }
    ~RandomBlend() { ReleaseMemImg(&img); }
};

// Every key where the two dialects agree: the source drawn 1:1 by the blit's row loop and by the
// rotated-image kernel, unturned and unscaled, gives the same surface.
TEST(SpanDialect, EqualsTheBlitWhereTheRulesAgree) {
    softtest::EnsureTables();
    std::mt19937 rng(515);
    size_t compared = 0;
    for (size_t i = 0; i < kImageKeyCount; ++i) {
        const RuleKey k = KeyFor(Walker::TexSpan, i);
        if (!DrawnMode(k.mode) || !SameRules(i)) continue;
        const int kind = int(k.depth), w = 5, h = 4;
        RandomSource s(rng, kind, int(k.source) - int(SourceKind::Palette), w, h);
        std::unique_ptr<RandomBlend> blend;
        if (k.variants & kVariantBlendImage) blend = std::make_unique<RandomBlend>(rng, w, h);
        const uint32_t bright = k.variants & kVariantTint ? rng() & 0xFFFFFF : 0xFFFFFF;
        const int flag = k.variants & kVariantTransparent ? 1 : 0;
        softtest::SetState(
            {0, 0, 9, 8, int(k.mode), ParamOf(k.param, rng), bright | uint32_t(rng() & 0xFF000000)});
        SetCpuSimdFlag((k.variants & kVariantSimd) != 0);
        GuardedSurface blit(kind, 9, 8), span(kind, 9, 8);
        blit.Randomise(rng);
        span.block = blit.block;
        const MEMIMG* b = blend ? &blend->img : nullptr;
        SoftDrawImage(&blit.img, &s.img, 2, 3, flag, b);
        // 5 x 4, one side odd: the centre shows the middle column and the row before the middle.
        SoftDrawImageRotated(&span.img, &s.img, 2 + (w >> 1), 3 + (h >> 1) - 1, 0.0f, 1.0f, flag, 0, b);
        SetCpuSimdFlag(0);
        ASSERT_EQ(span.block, blit.block)
            << "depth " << kind << " source " << int(k.source) << " mode " << k.mode << " param "
            << int(k.param) << " variants " << int(k.variants);
        ++compared;
    }
    EXPECT_GT(compared, 1000u);
}

// ---- random draws against the reference ----

struct Scene {
    std::mt19937 rng;
    explicit Scene(uint32_t seed) : rng(seed) {}
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    ref::State RandomState(int w, int h) {
        ref::State st{};
        st.clip[0] = Pick(-3, w);
        st.clip[1] = Pick(-3, h);
        st.clip[2] = Pick(st.clip[0], w + 3);
        st.clip[3] = Pick(st.clip[1], h + 3);
        if (Pick(0, 1) == 0) st.clip[0] = st.clip[1] = 0, st.clip[2] = w, st.clip[3] = h;
        const int modes[] = {0, 0, 1, 1, 1, 2, 2, 3, 3, 4, 4, 10, 10, 11, 11, 7, -1};
        st.mode = modes[Pick(0, 16)];
        const int params[] = {0, 1, 3, 100, 128, 252, 254, 255, 255};
        st.param = Pick(0, 2) ? params[Pick(0, 8)] : Pick(0, 255);
        st.bright = Pick(0, 1) ? 0xFFFFFFFF : uint32_t(rng());
        return st;
    }
    ref::Vertex RandomVertex(int w, int h, int sw, int sh) {
        return {Pick(-6, w + 6), Pick(-6, h + 6), Pick(-3, sw + 3), Pick(-3, sh + 3)};
    }
};

// One random textured or flat draw of the triangle, quad or rotation kernel on `d` and on `cv`.
struct SpanDraw {
    int shape;  // 0 flat triangle, 1 textured triangle, 2 image quad, 3 rotation, 4 mirrored rotation
    std::unique_ptr<RandomSource> source = nullptr;
    std::unique_ptr<RandomBlend> blend = nullptr;
    int flag = 0;

    void Run(Scene& sc, GuardedSurface& d, ref::Canvas& cv, const ref::State& st) {
        const int w = d.img.width, h = d.img.height;
        const int kind = sc.Pick(0, 15) == 0 ? 1 - d.kind : d.kind;  // now and then a refused kind
        const int sw = sc.Pick(1, 7), sh = sc.Pick(1, 7);
        if (shape != 0) {
            source = std::make_unique<RandomSource>(sc.rng, kind, sc.Pick(0, 2), sw, sh);
            if (sc.Pick(0, 2) == 0) blend = std::make_unique<RandomBlend>(sc.rng, sw, sh);
            flag = sc.Pick(0, 2) == 0 ? 2 : sc.Pick(0, 1);
        }
        const MEMIMG* src = source ? &source->img : nullptr;
        const MEMIMG* b = blend ? &blend->img : nullptr;
        const ref::Texture tex{src, b, BlendImageWeightTable, flag};
        if (shape <= 1) {
            ref::Vertex v[3];
            for (auto& x : v) x = sc.RandomVertex(w, h, sw, sh);
            if (sc.Pick(0, 4) == 0) v[1].y = v[0].y;  // a flat top or bottom
            const uint32_t colour = d.kind == 0 ? sc.rng() & 0xFFFF : uint32_t(sc.rng());
            const TriangleVertex kv[3] = {{v[0].x, v[0].y, v[0].u, v[0].v},
                                          {v[1].x, v[1].y, v[1].u, v[1].v},
                                          {v[2].x, v[2].y, v[2].u, v[2].v}};
            SoftDrawTriangle(&d.img, src, kv, flag, b, colour);
            ref::DrawTriangle(cv, st, tex, v, colour);
        } else if (shape == 2) {
            std::pair<int, int> c[4];
            QuadCorner q[4];
            for (int i = 0; i < 4; ++i) {
                c[i] = {sc.Pick(-8, w + 8), sc.Pick(-8, h + 8)};
                q[i] = {c[i].first, c[i].second};
            }
            SoftDrawImageQuad(&d.img, src, q, flag, b);
            ref::DrawImageQuad(cv, st, tex, c);
        } else {
            const int x = sc.Pick(-4, w + 4), y = sc.Pick(-4, h + 4);
            const float angle = sc.Pick(0, 3) == 0
                                    ? float(sc.Pick(0, 3)) * 1.5707964f
                                    : std::uniform_real_distribution<float>(-7.0f, 7.0f)(sc.rng);
            const float scales[] = {1.0f, 2.0f, 0.5f, 0.0f, -1.0f, 1.37f};
            const float scale = sc.Pick(0, 1) ? scales[sc.Pick(0, 5)]
                                              : std::uniform_real_distribution<float>(-3.0f, 3.0f)(sc.rng);
            const int mirror = shape == 4 ? sc.Pick(1, 3) : 0;
            SoftDrawImageRotated(&d.img, src, x, y, angle, scale, flag, mirror, b);
            ref::DrawImageRotated(cv, st, tex, x, y, angle, scale, mirror);
        }
    }
};

TEST(RendererDifferential, SpanKernelsMatchTheReference) {
    softtest::EnsureTables();
    Scene sc(8105);
    int changed[5] = {};
    for (int iter = 0; iter < 40000; ++iter) {
        const int kind = sc.Pick(0, 1), w = sc.Pick(1, 16), h = sc.Pick(1, 16);
        GuardedSurface d(kind, w, h, sc.Pick(0, 4));
        d.Randomise(sc.rng);
        const ref::State st = sc.RandomState(w, h);
        softtest::SetState(st);
        SpanDraw draw{sc.Pick(0, 4)};
        ref::Canvas cv = d.Canvas();
        const std::vector<uint8_t> before = d.block;
        draw.Run(sc, d, cv, st);
        changed[draw.shape] += d.block != before;
        ASSERT_EQ(d.block, cv.bytes) << "iteration " << iter << " shape " << draw.shape << " kind " << kind
                                     << " mode " << st.mode << " p " << st.param << " flag " << draw.flag
                                     << std::hex << " bright " << st.bright;
    }
    // Most draws reach the surface.
    for (int n : changed) EXPECT_GT(n, 1200);
}

// Sequences of draws by every kernel on one surface: colour (rectangle, line, circle), blit, stretch,
// flat and textured triangle, image quad and rotation, each state change carried to the reference.
TEST(RendererDifferential, EveryKernelInSequence) {
    softtest::EnsureTables();
    Scene sc(20250);
    for (int iter = 0; iter < 300; ++iter) {
        const int kind = sc.Pick(0, 1), w = sc.Pick(4, 20), h = sc.Pick(4, 20);
        GuardedSurface d(kind, w, h, sc.Pick(0, 4));
        d.Randomise(sc.rng);
        ref::Canvas cv = d.Canvas();
        for (int step = 0; step < 12; ++step) {
            const ref::State st = sc.RandomState(w, h);
            softtest::SetState(st);
            const bool simd = sc.Pick(0, 1);
            SetCpuSimdFlag(simd);
            const int kernel = sc.Pick(0, 9);
            const uint32_t colour = kind == 0 ? sc.rng() & 0xFFFF : uint32_t(sc.rng());
            auto far = [&](int size) { return sc.Pick(-4, size + 4); };
            if (kernel == 0) {
                const int32_t rect[4] = {far(w), far(h), far(w), far(h)};
                SoftFillRect(&d.img, rect, colour);
                ref::ApplyPoints(cv, st, colour, ref::FillPoints(cv, st, rect));
            } else if (kernel == 1) {
                const int x1 = far(w), y1 = far(h), x2 = far(w), y2 = far(h);
                SoftDrawLine(&d.img, x1, y1, x2, y2, colour);
                ref::ApplyPoints(cv, st, colour, ref::LinePoints(cv, st, x1, y1, x2, y2));
            } else if (kernel == 2) {
                const int cx = far(w), cy = far(h), r = sc.Pick(0, 10), fill = sc.Pick(0, 1);
                SoftDrawCircle(&d.img, cx, cy, r, colour, fill);
                ref::ApplyPoints(cv, st, colour, ref::CirclePoints(cv, st, cx, cy, r, fill != 0));
            } else if (kernel <= 4) {
                const int sw = sc.Pick(1, 8), sh = sc.Pick(1, 8);
                RandomSource s(sc.rng, kind, sc.Pick(0, 2), sw, sh);
                std::unique_ptr<RandomBlend> blend;
                if (sc.Pick(0, 2) == 0) blend = std::make_unique<RandomBlend>(sc.rng, sw, sh);
                const MEMIMG* b = blend ? &blend->img : nullptr;
                const int flag = sc.Pick(0, 1);
                if (kernel == 3) {
                    const int x = sc.Pick(-sw, w), y = sc.Pick(-sh, h);
                    SoftDrawImage(&d.img, &s.img, x, y, flag, b);
                    ref::DrawImage(cv, st, {&s.img, x, y, flag, b, BlendImageWeightTable, false, simd});
                } else {
                    const int32_t rect[4] = {far(w), far(h), far(w), far(h)};
                    SoftDrawImageStretched(&d.img, &s.img, rect, flag, b);
                    ref::DrawImageStretched(cv, st,
                                            {&s.img,
                                             {rect[0], rect[1], rect[2], rect[3]},
                                             flag,
                                             b,
                                             BlendImageWeightTable,
                                             false,
                                             simd});
                }
            } else {
                SpanDraw draw{kernel - 5};
                draw.Run(sc, d, cv, st);
            }
            SetCpuSimdFlag(0);
            ASSERT_EQ(d.block, cv.bytes) << "iteration " << iter << " step " << step << " kernel " << kernel
                                         << " kind " << kind << " mode " << st.mode << " p " << st.param;
        }
    }
}

}  // namespace
