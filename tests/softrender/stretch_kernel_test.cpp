#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "tests/softrender/image_test_support.h"
#include "tests/softrender/reference_image.h"

namespace {

using softtest::GuardedSurface;
using softtest::Source;
using V = std::vector<uint32_t>;

class StretchKernel : public testing::Test {
  protected:
    void SetUp() override { softtest::EnsureTables(); }
    void TearDown() override { SetCpuSimdFlag(0); }

    // A kind 1 source w x h whose pixel (i, j) holds 0x00JJ00II.
    static void Numbered(Source& s, int w, int h) {
        ASSERT_EQ(InitMemImg(&s.whole, w, h, -1, 0xFFFFFFFF, 1, 0, 0, 1, nullptr), 0);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) s.Put(i, j, uint32_t(j) << 16 | uint32_t(i));
        s.used = &s.whole;
    }
    // The source columns shown by a stretch of a w-wide source into `side` columns (copy mode).
    static V Columns(int w, int side, int clipLeft = 0, bool mirrored = false) {
        softtest::SetState({clipLeft, 0, 64, 1, 0, 255, 0xFFFFFF});
        Source s;
        Numbered(s, w, 1);
        GuardedSurface d(1, 64, 1, 0, 0xEE);
        const int32_t rect[4] = {mirrored ? side : 0, 0, mirrored ? 0 : side, 1};
        SoftDrawImageStretched(&d.img, s.used, rect, 0, nullptr);
        V out;
        for (int x = clipLeft; x < side; ++x) out.push_back(d.Get(x, 0) & 0xFFFF);
        return out;
    }
};

// Each column shows the source column under its centre; a centre on a source edge (4 into 10) shows the
// column with the greater index, also mirrored.
TEST_F(StretchKernel, ColumnSequences) {
    EXPECT_EQ(Columns(4, 8), (V{0, 0, 1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(Columns(8, 4), (V{1, 3, 5, 7}));
    EXPECT_EQ(Columns(3, 5), (V{0, 0, 1, 2, 2}));
    EXPECT_EQ(Columns(5, 3), (V{0, 2, 4}));
    EXPECT_EQ(Columns(3, 2), (V{0, 2}));
    EXPECT_EQ(Columns(4, 10), (V{0, 0, 1, 1, 1, 2, 2, 3, 3, 3}));
    EXPECT_EQ(Columns(4, 10, 0, true), (V{3, 3, 3, 2, 2, 1, 1, 1, 0, 0}));
    EXPECT_EQ(Columns(4, 4, 0, true), (V{3, 2, 1, 0}));
}

TEST_F(StretchKernel, ClippingKeepsTheSourceColumns) {
    EXPECT_EQ(Columns(8, 4, 1), (V{3, 5, 7}));
    for (int w : {1, 3, 4, 5, 8, 13}) {
        for (int side : {1, 2, 3, 7, 10, 31}) {
            for (bool mirrored : {false, true}) {
                const V whole = Columns(w, side, 0, mirrored);
                for (int clip = 1; clip < side; ++clip) {
                    EXPECT_EQ(Columns(w, side, clip, mirrored), V(whole.begin() + clip, whole.end()))
                        << w << " " << side << " " << clip << " " << mirrored;
                }
            }
        }
    }
}

TEST_F(StretchKernel, EmptyRefusedAndOutsideRectangles) {
    softtest::SetState({2, 2, 6, 6, 0, 255, 0xFFFFFF});
    Source s;
    Numbered(s, 3, 3);
    GuardedSurface d(1, 8, 8);
    const auto before = d.block;
    const int32_t rects[][4] = {
        {1, 1, 1, 5},
        {1, 1, 5, 1},
        {6, 0, 9, 8},
        {-5, -5, 2, 2},
        {0, 0, 65536, 4},
        {0, 0, 4, 70000},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MAX, 0, INT_MIN, 4},
    };
    for (const auto& r : rects) SoftDrawImageStretched(&d.img, s.used, r, 0, nullptr);
    // Modes that draw nothing, and modes 1 to 3 at parameter 0.
    const int32_t rect[4] = {0, 0, 8, 8};
    for (int mode : {5, 9, 12, -1}) {
        softtest::SetState({0, 0, 8, 8, mode, 100, 0xFFFFFF});
        SoftDrawImageStretched(&d.img, s.used, rect, 0, nullptr);
    }
    for (int mode : {1, 2, 3}) {
        softtest::SetState({0, 0, 8, 8, mode, 0, 0xFFFFFF});
        SoftDrawImageStretched(&d.img, s.used, rect, 0, nullptr);
    }
    // Another kind, kind 2, and a blend image smaller than the source.
    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    MEMIMG k0{}, k2{}, small{};
    ASSERT_EQ(InitMemImg(&k0, 2, 2, -1, 0, 0, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&k2, 2, 2, -1, 0, 2, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&small, 2, 3, -1, 0, 2, 0, 0, 0, nullptr), 0);
    SoftDrawImageStretched(&d.img, &k0, rect, 0, nullptr);
    SoftDrawImageStretched(&d.img, &k2, rect, 0, nullptr);
    SoftDrawImageStretched(&d.img, s.used, rect, 0, &small);
    ReleaseMemImg(&k0);
    ReleaseMemImg(&k2);
    ReleaseMemImg(&small);
    EXPECT_EQ(d.block, before);
}

TEST_F(StretchKernel, SourcesBeyondTheStepRangeAreRefused) {
    softtest::SetState({0, 0, 4, 1, 0, 255, 0xFFFFFF});
    Source s;
    ASSERT_EQ(InitMemImg(&s.whole, 65537, 1, -1, 0xFFFFFFFF, 1, 0, 0, 0, nullptr), 0);
    s.used = &s.whole;
    GuardedSurface d(1, 4, 1);
    const auto before = d.block;
    const int32_t rect[4] = {0, 0, 1, 1};
    SoftDrawImageStretched(&d.img, s.used, rect, 0, nullptr);
    EXPECT_EQ(d.block, before);
    // 65536 is the widest source the walk covers: one destination pixel shows the middle column.
    Source edge;
    ASSERT_EQ(InitMemImg(&edge.whole, 65536, 1, -1, 0xFFFFFFFF, 1, 0, 0, 0, nullptr), 0);
    edge.used = &edge.whole;
    edge.Put(32768, 0, 0x00ABCDEF);
    SoftDrawImageStretched(&d.img, edge.used, rect, 0, nullptr);
    EXPECT_EQ(d.Get(0, 0), 0x00ABCDEFu);
}

TEST_F(StretchKernel, SameSizeIsTheBlitAndReversedCornersMirror) {
    std::mt19937 rng(3);
    Source s;
    ASSERT_EQ(InitMemImg(&s.whole, 5, 4, -1, 0x00010203, 1, 0, 0, 1, nullptr), 0);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 5; ++i) s.Put(i, j, i == j ? 0x00010203 : rng());
    BuildMemImgRunTable(s.whole.base);
    s.whole.base->runTableValid = 1;
    s.used = &s.whole;
    // Mode 1 at 128: the blit's row loop has the half blend, which the stretch does not.
    softtest::SetState({0, 0, 8, 8, 1, 128, 0xFFFFFF});
    for (int flag : {0, 1, 2}) {
        GuardedSurface a(1, 8, 8), b(1, 8, 8);
        const int32_t rect[4] = {2, 3, 7, 7};
        SoftDrawImageStretched(&a.img, s.used, rect, flag, nullptr);
        SoftDrawImage(&b.img, s.used, 2, 3, flag, nullptr);
        EXPECT_EQ(a.block, b.block) << flag;
    }

    softtest::SetState({0, 0, 8, 8, 0, 255, 0xFFFFFF});
    for (int mirror = 1; mirror < 4; ++mirror) {
        GuardedSurface m(1, 8, 8);
        const int32_t r[4] = {mirror & 1 ? 7 : 2, mirror & 2 ? 7 : 3, mirror & 1 ? 2 : 7, mirror & 2 ? 3 : 7};
        SoftDrawImageStretched(&m.img, s.used, r, 0, nullptr);
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 5; ++i) {
                const int si = mirror & 1 ? 4 - i : i, sj = mirror & 2 ? 3 - j : j;
                uint32_t v;
                std::memcpy(&v, s.whole.pixels + sj * s.whole.base->pitch + si * 4, 4);
                EXPECT_EQ(m.Get(2 + i, 3 + j), v) << mirror << " " << i << " " << j;
            }
        }
    }
}

TEST_F(StretchKernel, PixelOperationsThatDifferFromTheBlit) {
    struct Row {
        int kind, mode, param, alpha, flag;
        bool simd;
        uint32_t dest, src, want;
    };
    const Row rows[] = {
        // No half blend: (s + d) >> 1 per colour byte, the fourth byte kept.
        {1, 1, 128, 0, 0, false, 0x55010101, 0x00030303, 0x55020202},
        // No 6-bit lerp: red 31 over 0 at 100 gives trunc(31 * 100 / 255) = 12.
        {0, 1, 100, 0, 0, false, 0x0000, 0xF800, 0x6000},
        // Add has no plain leaf: 1 onto 128 gives 129 and byte 3 0, with the flag set or clear.
        {1, 2, 255, 0, 0, false, 0x00808080, 0x00010101, 0x00818181},
        {1, 2, 255, 0, 0, true, 0x00808080, 0x00010101, 0x00818181},
        // Subtract keeps it: packed with the flag, masked without.
        {1, 3, 255, 0, 0, true, 0x10101010, 0x01020304, 0x0F0E0D0C},
        {1, 3, 255, 0, 0, false, 0x10101010, 0x01020304, 0x000F0F0C},
        // 565 subtract takes every pixel alone.
        {0, 3, 255, 0, 0, false, 0x0000, 0x0000, 0x0800},
        // The untinted copy of an alpha source without the transparent flag weighs by its alpha.
        {1, 0, 255, 1, 0, false, 0x11223344, 0x00FFFFFF, 0x11223344},
        {1, 0, 255, 1, 0, false, 0x00000000, 0xFF804020, 0x007F3F1F},
    };
    for (const Row& r : rows) {
        softtest::SetState({0, 0, 4, 1, r.mode, r.param, 0xFFFFFF});
        SetCpuSimdFlag(r.simd);
        Source s;
        ASSERT_EQ(InitMemImg(&s.whole, 1, 1, -1, 0xFFFFFFFF, r.kind, 0, r.alpha, 0, nullptr), 0);
        s.Put(0, 0, r.src);
        GuardedSurface d(r.kind, 4, 1);
        for (int x = 0; x < 4; ++x) d.Set(x, 0, r.dest);
        const int32_t rect[4] = {0, 0, 2, 1};
        SoftDrawImageStretched(&d.img, &s.whole, rect, r.flag, nullptr);
        EXPECT_EQ(d.Get(0, 0), r.want)
            << r.kind << " mode " << r.mode << " p " << r.param << " simd " << r.simd;
        EXPECT_EQ(d.Get(1, 0), r.want);
        EXPECT_EQ(d.Get(2, 0), r.dest);
    }
}

// Random sources, rectangles, states and variants against the reference, guard bytes included.
TEST_F(StretchKernel, MatchesTheReferenceOnRandomDraws) {
    std::mt19937 rng(1234);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int iter = 0; iter < 6000; ++iter) {
        const int kind = pick(0, 1);
        const int sourceKind = pick(0, 2);  // palette, direct, alpha
        const int sw = pick(1, 7), sh = pick(1, 7);
        Source s;
        ASSERT_EQ(InitMemImg(&s.whole, sw, sh, -1, 0, kind, sourceKind == 0, sourceKind == 2, 1, nullptr), 0);
        MemImgBase* sb = s.whole.base;
        for (int i = 0; i < sb->pitch * sh; ++i) s.whole.pixels[i] = uint8_t(rng());
        if (sourceKind == 0)
            for (int i = 0; i < 1024; ++i) sb->palette[i] = uint8_t(rng());
        const uint32_t tv = sourceKind == 0 ? rng() & 0xFF : (kind == 0 ? rng() & 0xFFFF : rng());
        sb->transparentColor = pick(0, 7) ? tv : tv | 0x10000000;
        for (int i = pick(0, 4); i > 0; --i) {
            uint32_t v = tv;
            if (sourceKind == 2)
                v = (rng() & (kind == 1 ? 0x00FFFFFF : 0xFFFF)) | (pick(0, 1) ? 0xFFu : 0u)
                                                                      << (kind == 1 ? 24 : 16);
            s.Put(pick(0, sw - 1), pick(0, sh - 1), v);
        }
        s.used = &s.whole;
        const bool runTable = pick(0, 1);
        if (runTable) {
            BuildMemImgRunTable(sb);
            sb->runTableValid = 1;
        }
        MEMIMG blend{};
        const bool useBlend = pick(0, 2) == 0;
        if (useBlend) {
            ASSERT_EQ(InitMemImg(&blend, sw + pick(0, 2), sh + pick(0, 2), -1, 0, 2, 0, 0, 0, nullptr), 0);
            for (int i = 0; i < blend.base->pitch * blend.height; ++i) blend.pixels[i] = uint8_t(rng());
            BuildBlendImageWeightTable(pick(0, 255), pick(0, 255));
        }
        const int dw = pick(1, 16), dh = pick(1, 16);
        GuardedSurface d(kind, dw, dh, pick(0, 4));
        d.Randomise(rng);
        ref::State st{};
        st.clip[0] = pick(-3, dw);
        st.clip[1] = pick(-3, dh);
        st.clip[2] = pick(st.clip[0], dw + 3);
        st.clip[3] = pick(st.clip[1], dh + 3);
        const int modes[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 10, 11, 6};
        st.mode = modes[pick(0, 12)];
        const int params[] = {0, 1, 100, 128, 254, 255, 255, 255};
        st.param = pick(0, 2) ? params[pick(0, 7)] : pick(0, 255);
        st.bright = pick(0, 1) ? 0xFFFFFFFF : rng();
        const bool simd = pick(0, 1);
        SetCpuSimdFlag(simd);
        const int flag = pick(0, 3) == 0 ? 2 : pick(0, 1);
        int32_t rect[4];
        for (int i = 0; i < 4; ++i) rect[i] = pick(-4, (i % 2 ? dh : dw) + 4);
        if (pick(0, 4) == 0) {  // the same size, straight or mirrored
            rect[2] = rect[0] + sw;
            rect[3] = rect[1] + sh;
            if (pick(0, 1)) std::swap(rect[0], rect[2]);
        }
        softtest::SetState(st);
        ref::Canvas cv = d.Canvas();
        long l, t, r, b;
        ref::Bounds(cv, st, &l, &t, &r, &b);
        const bool fast =
            flag == 1 && runTable && rect[0] >= l && rect[1] >= t && rect[0] + sw <= r && rect[1] + sh <= b;
        ref::DrawImageStretched(cv, st,
                                {s.used,
                                 {rect[0], rect[1], rect[2], rect[3]},
                                 flag,
                                 useBlend ? &blend : nullptr,
                                 BlendImageWeightTable,
                                 fast,
                                 simd});
        SoftDrawImageStretched(&d.img, s.used, rect, flag, useBlend ? &blend : nullptr);
        ReleaseMemImg(&blend);
        ASSERT_EQ(d.block, cv.bytes) << "iteration " << iter << " kind " << kind << " source " << sourceKind
                                     << " mode " << st.mode << " p " << st.param << " flag " << flag
                                     << " rect " << rect[0] << "," << rect[1] << "," << rect[2] << ","
                                     << rect[3];
    }
}

}  // namespace
