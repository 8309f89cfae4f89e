#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/core/frame/cpu_simd_flag.h"
#include "engine/softrender/image_kernels.h"
#include "tests/softrender/image_test_support.h"
#include "tests/softrender/reference_image.h"
#include "tests/softrender/soft_test_support.h"

namespace {

using softtest::GuardedSurface;
using softtest::Source;

void Draw(GuardedSurface& d, const Source& s, int x, int y, int flag, const MEMIMG* blend = nullptr) {
    SoftDrawImage(&d.img, s.used, x, y, flag, blend);
}

class ImageKernel : public testing::Test {
  protected:
    void SetUp() override { softtest::EnsureTables(); }
    // A 1-pixel direct source of `kind` holding v.
    static void One(Source& s, int kind, uint32_t v, int alpha = 0, uint32_t transparent = 0xFFFFFFFF) {
        ASSERT_EQ(InitMemImg(&s.whole, 1, 1, -1, transparent, kind, 0, alpha, 1, nullptr), 0);
        s.Put(0, 0, v);
        s.used = &s.whole;
    }
    uint32_t Blit(int kind, uint32_t dest, uint32_t src, int mode, int p, int alpha = 0, int flag = 0,
                  uint32_t bright = 0xFFFFFF) {
        softtest::SetState({0, 0, 1, 1, mode, p, bright});
        GuardedSurface d(kind, 1, 1);
        d.Set(0, 0, dest);
        Source s;
        One(s, kind, src, alpha);
        Draw(d, s, 0, 0, flag);
        return d.Get(0, 0);
    }
};

TEST_F(ImageKernel, CopyAndAlphaVectors) {
    // Half blend in the row loop drops each low bit and clears byte 3.
    EXPECT_EQ(Blit(1, 0x55010101, 0x00010101, 1, 128), 0x00000000u);
    EXPECT_EQ(Blit(0, 0x0000, 0xFFFF, 1, 128), 0x7BEFu);
    for (int p : {1, 2, 3}) EXPECT_EQ(Blit(0, 0x1234, 0xFFFF, 1, p), 0x1234u) << p;
    for (int p : {252, 253, 254}) EXPECT_EQ(Blit(0, 0x1234, 0xABCD, 1, p), 0xABCDu) << p;
    EXPECT_EQ(Blit(0, 0x0000, 0xF800, 1, 100), 12u << 11);          // 6-bit lerp, row 25
    EXPECT_EQ(Blit(1, 0x00FF0000, 0x00000000, 1, 1), 0x00FE0000u);  // floor(-255 / 256)
    EXPECT_EQ(Blit(1, 0x77000000, 0x12345678, 1, 255), 0x12345678u);
    EXPECT_EQ(Blit(1, 0x77000000, 0x12345678, 1, 0), 0x77000000u);
    // An alpha source copied untinted without the transparent flag: whole, alpha byte included.
    EXPECT_EQ(Blit(1, 0x00000000, 0x00FFFFFF, 0, 0, 1), 0x00FFFFFFu);
    // The same with a tint weighs by the alpha: alpha 0 leaves the destination.
    EXPECT_EQ(Blit(1, 0x11223344, 0x00FFFFFF, 0, 0, 1, 0, 0xFFFFFE), 0x11223344u);
    // Three factors without overflow: W 255, a 255, p 254 over 0 gives 251.
    BuildBlendImageWeightTable(0, 255);
    softtest::SetState({0, 0, 1, 1, 1, 254, 0xFFFFFF});
    GuardedSurface d(1, 1, 1, 0, 0);
    Source s;
    One(s, 1, 0xFFFFFFFF, 1);
    GuardedSurface blend(1, 1, 1, 0, 0xFF);
    MEMIMG b8{};
    std::vector<uint8_t> bytes(16, 0xFF);
    ASSERT_EQ(InitMemImg(&b8, 1, 1, -1, 0, 2, 0, 0, 0, bytes.data()), 0);
    SoftDrawImage(&d.img, s.used, 0, 0, 0, &b8);
    EXPECT_EQ(d.Get(0, 0), 0x00FBFBFBu);
    ReleaseMemImg(&b8);
}

TEST_F(ImageKernel, MultiplyVectors) {
    EXPECT_EQ(Blit(1, 0xAAFFFFFF, 0x00FFFFFF, 4, 77), 0xAAFEFEFEu);
    EXPECT_EQ(Blit(1, 0x00FF80FF, 0x00C88000, 4, 0), 0x00C74000u);
    EXPECT_EQ(Blit(0, 0xFFFF, 0xFFFF, 4, 128), 0xF7DEu);
    EXPECT_EQ(Blit(1, 0x00FFFFFF, 0xFFFFFFFF, 4, 1, 1, 0), 0x00FDFDFDu);  // alpha 255 as a factor
    EXPECT_EQ(Blit(1, 0x00FFFFFF, 0xFFFFFFFF, 4, 1, 1, 1), 0x00FEFEFEu);  // not with the transparent flag
    EXPECT_EQ(Blit(1, 0x00FFFFFF, 0x00FFFFFF, 4, 1, 1, 0), 0x00000000u);  // alpha 0 without the flag
    EXPECT_EQ(Blit(1, 0x00FFFFFF, 0x00FFFFFF, 4, 1, 1, 1), 0x00FFFFFFu);  // skipped with it
    EXPECT_EQ(Blit(1, 0x00FFFFFF, 0x00FFFFFF, 4, 1, 0, 0, 0x808080), 0x007F7F7Fu);  // tinted to 128 first
}

TEST_F(ImageKernel, Refusals) {
    softtest::SetState({0, 0, 4, 4, 0, 0, 0xFFFFFF});
    GuardedSurface d(1, 4, 4);
    const auto before = d.block;
    Source k0, k2;
    One(k0, 0, 0x1234);
    One(k2, 2, 0x12);
    Draw(d, k0, 0, 0, 0);
    SoftDrawImage(&d.img, &k2.whole, 0, 0, 0, nullptr);
    for (int mode : {5, 9, 12, -1}) {
        softtest::SetState({0, 0, 4, 4, mode, 100, 0xFFFFFF});
        Source s;
        One(s, 1, 0x123456);
        Draw(d, s, 1, 1, 0);
    }
    // A blend image smaller than the source.
    softtest::SetState({0, 0, 4, 4, 0, 0, 0xFFFFFF});
    Source big;
    ASSERT_EQ(InitMemImg(&big.whole, 3, 3, -1, 0, 1, 0, 0, 0, nullptr), 0);
    big.used = &big.whole;
    std::memset(big.whole.pixels, 0x7F, big.whole.base->pitch * 3);
    MEMIMG small{};
    ASSERT_EQ(InitMemImg(&small, 2, 3, -1, 0, 2, 0, 0, 0, nullptr), 0);
    Draw(d, big, 0, 0, 0, &small);
    ReleaseMemImg(&small);
    EXPECT_EQ(d.block, before);
}

// The fast path's parameter-only blend differs from the row loop's half blend, which shows which path ran.
TEST_F(ImageKernel, PathChoice) {
    auto run = [&](bool view, int flag, bool changeTransparent, int clipRight) {
        softtest::SetState({0, 0, clipRight, 4, 1, 128, 0xFFFFFF});
        Source s;
        EXPECT_EQ(InitMemImg(&s.whole, 4, 2, -1, 0xFFFFFFFF, 1, 0, 0, 1, nullptr), 0);
        for (int i = 0; i < 8; ++i) s.Put(i % 4, i / 4, 0x00010101);
        BuildMemImgRunTable(s.whole.base);
        s.whole.base->runTableValid = 1;
        if (changeTransparent) s.whole.base->transparentColor = 5;
        s.used = &s.whole;
        if (view) {
            CreateMemImgView(&s.view, &s.whole, 0, 0, 4, 1);
            s.used = &s.view;
        }
        GuardedSurface d(1, 4, 4, 0, 0);
        d.Set(0, 0, 0x00010101);
        Draw(d, s, 0, 0, flag);
        return d.Get(0, 0);
    };
    EXPECT_EQ(run(false, 1, false, 4), 0x00010101u);  // fast path: weighted blend keeps 1
    EXPECT_EQ(run(false, 2, false, 4), 0u);           // flag 2: row loop, half blend
    EXPECT_EQ(run(true, 1, false, 4), 0u);            // a view: row loop
    EXPECT_EQ(run(false, 1, true, 4), 0u);            // stale run table: row loop
    EXPECT_EQ(run(false, 1, false, 3), 0u);           // clipped: row loop
}

// Random surfaces, sources, states and variants against the reference, guard bytes included.
TEST_F(ImageKernel, MatchesTheReferenceOnRandomDraws) {
    std::mt19937 rng(99);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int iter = 0; iter < 12000; ++iter) {
        const int kind = pick(0, 1);
        const int sourceKind = pick(0, 2);  // palette, direct, alpha
        const int sw = pick(1, 10), sh = pick(1, 10);
        Source s;
        const int extra = pick(0, 1) ? 0 : pick(1, 3);
        const int bw = sw + extra, bh = sh + pick(0, extra);
        ASSERT_EQ(InitMemImg(&s.whole, bw, bh, -1, 0, kind, sourceKind == 0, sourceKind == 2, 1, nullptr), 0);
        MemImgBase* sb = s.whole.base;
        for (int i = 0; i < sb->pitch * bh; ++i) s.whole.pixels[i] = uint8_t(rng());
        if (sourceKind == 0) {
            for (int i = 0; i < 1024; ++i) sb->palette[i] = uint8_t(rng());
            sb->paletteCount = pick(1, 256);
        }
        // Some pixels equal to the transparent value, and alphas of 0 and 255.
        uint32_t tv = sourceKind == 0 ? rng() & 0xFF : (kind == 0 ? rng() & 0xFFFF : rng());
        sb->transparentColor = tv;
        // Now and then a value with bits above the index or 565 width: only some leaves ignore them.
        if (pick(0, 7) == 0) sb->transparentColor = tv | 0x10000000;
        for (int i = pick(0, 6); i > 0; --i) {
            const int px = pick(0, bw - 1), py = pick(0, bh - 1);
            uint32_t v = tv;
            if (sourceKind == 2)
                v = (rng() & (kind == 1 ? 0x00FFFFFF : 0xFFFF)) | (pick(0, 1) ? 0xFFu : 0u)
                                                                      << (kind == 1 ? 24 : 16);
            s.Put(px, py, v);
        }
        s.used = &s.whole;
        if (extra && pick(0, 1)) {
            CreateMemImgView(&s.view, &s.whole, pick(0, bw - sw), pick(0, bh - sh), sw, sh);
            s.used = &s.view;
        }
        const bool runTable = pick(0, 1);
        if (runTable) {
            BuildMemImgRunTable(sb);
            sb->runTableValid = 1;
        }
        MEMIMG blend{};
        const bool useBlend = pick(0, 2) == 0;
        if (useBlend) {
            ASSERT_EQ(InitMemImg(&blend, s.used->width + pick(0, 2), s.used->height + pick(0, 2), -1, 0, 2, 0,
                                 0, 0, nullptr),
                      0);
            for (int i = 0; i < blend.base->pitch * blend.height; ++i) blend.pixels[i] = uint8_t(rng());
            BuildBlendImageWeightTable(pick(0, 255), pick(0, 255));
        }
        const int dw = pick(1, 14), dh = pick(1, 14);
        GuardedSurface d(kind, dw, dh, pick(0, 4));
        d.Randomise(rng);
        ref::State st{};
        st.clip[0] = pick(-3, dw);
        st.clip[1] = pick(-3, dh);
        st.clip[2] = pick(st.clip[0], dw + 3);
        st.clip[3] = pick(st.clip[1], dh + 3);
        const int modes[] = {0, 0, 1, 1, 1, 2, 2, 3, 3, 4, 4, 10, 10, 11, 11, 7, -1};
        st.mode = modes[pick(0, 16)];
        const bool simd = pick(0, 1);
        SetCpuSimdFlag(simd);
        const int params[] = {0, 1, 3, 100, 128, 252, 254, 255, 255, 255, 255};
        st.param = pick(0, 2) ? params[pick(0, 10)] : pick(0, 255);
        st.bright = pick(0, 1) ? 0xFFFFFFFF : rng();
        softtest::SetState(st);
        const int flag = pick(0, 3) == 0 ? 2 : pick(0, 1);
        int x = pick(-s.used->width, dw), y = pick(-s.used->height, dh);
        if (pick(0, 2) == 0 && s.used->width <= dw &&
            s.used->height <= dh) {  // wholly inside: the fast path's case
            st.clip[0] = st.clip[1] = 0;
            st.clip[2] = dw;
            st.clip[3] = dh;
            softtest::SetState(st);
            x = pick(0, dw - s.used->width);
            y = pick(0, dh - s.used->height);
        }
        ref::Canvas cv = d.Canvas();
        long l, t, r, b;
        ref::Bounds(cv, st, &l, &t, &r, &b);
        const bool whole = s.used == &s.whole;
        const bool fast = flag == 1 && runTable && whole && x >= l && y >= t && x + s.used->width <= r &&
                          y + s.used->height <= b;
        ref::DrawImage(cv, st,
                       {s.used, x, y, flag, useBlend ? &blend : nullptr, BlendImageWeightTable, fast, simd});
        SoftDrawImage(&d.img, s.used, x, y, flag, useBlend ? &blend : nullptr);
        ReleaseMemImg(&blend);
        ASSERT_EQ(d.block, cv.bytes) << "iteration " << iter << " kind " << kind << " source " << sourceKind
                                     << " mode " << st.mode << " p " << st.param << " flag " << flag
                                     << " fast " << fast << " blend " << useBlend << " simd " << simd
                                     << std::hex << " bright " << st.bright;
    }
}

}  // namespace
