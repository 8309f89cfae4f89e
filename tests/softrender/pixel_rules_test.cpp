#include <gtest/gtest.h>

#include "engine/softrender/pixel_rules.h"

namespace {

using namespace softrender;

constexpr ParamCase kParams[] = {ParamCase::Zero, ParamCase::Half, ParamCase::Full, ParamCase::Other};

TEST(PixelRules, ClassifyParam) {
    EXPECT_EQ(ClassifyParam(0), ParamCase::Zero);
    EXPECT_EQ(ClassifyParam(128), ParamCase::Half);
    EXPECT_EQ(ClassifyParam(255), ParamCase::Full);
    EXPECT_EQ(ClassifyParam(1), ParamCase::Other);
    EXPECT_EQ(ClassifyParam(254), ParamCase::Other);
}

// The colour operations, row by row as the rectangle fill documents them: the formula per mode and
// kind, and the parameter shortcuts.
struct ColourRow {
    uint32_t mode;
    Depth depth;
    Combine combine;
    Target target;
    WordOp word;
    uint8_t factors;
};

TEST(PixelRules, ColourWalkerMatchesTheColourOperationTable) {
    const Depth k1 = Depth::Xrgb8888, k0 = Depth::Rgb565;
    const ColourRow rows[] = {
        {0, k1, Combine::StoreWhole, Target::Source, WordOp::None, 0},
        {0, k0, Combine::StoreWhole, Target::Source, WordOp::None, 0},
        {1, k1, Combine::FloorMix, Target::Source, WordOp::None, kFactorP},
        {1, k0, Combine::DiffMix, Target::Source, WordOp::None, 0},
        {2, k1, Combine::Word, Target::Source, WordOp::MaskedAdd, 0},
        {2, k0, Combine::Word, Target::Source, WordOp::MaskedAdd, 0},
        {3, k1, Combine::Word, Target::Source, WordOp::MaskedSub, 0},
        {3, k0, Combine::Word, Target::Source, WordOp::MaskedSub, 0},
        {4, k1, Combine::Store, Target::Product, WordOp::None, 0},
        {4, k0, Combine::Store, Target::Product, WordOp::None, 0},
        {10, k1, Combine::FloorMix, Target::Complement, WordOp::None, kFactorP},
        {10, k0, Combine::DiffMix, Target::Complement, WordOp::None, 0},
        {11, k1, Combine::FloorMix, Target::Product, WordOp::None, kFactorP},
        {11, k0, Combine::DiffMix, Target::Product, WordOp::None, 0},
    };
    for (const auto& row : rows) {
        const PixelRule r =
            PickPixelRule({Walker::Colour, row.depth, SourceKind::Colour, row.mode, ParamCase::Other, 0});
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " kind " << int(row.depth));
        EXPECT_EQ(r.combine, row.combine);
        EXPECT_EQ(r.target, row.target);
        EXPECT_EQ(r.word, row.word);
        EXPECT_EQ(r.factors, row.factors);
        EXPECT_EQ(r.tint, TintRule::Shift8);
        EXPECT_EQ(r.scale, row.combine == Combine::Word ? SourceScale::ParamTable : SourceScale::None);
    }
}

TEST(PixelRules, ColourWalkerParameterShortcuts) {
    for (Depth depth : {Depth::Rgb565, Depth::Xrgb8888}) {
        for (uint32_t mode = 0; mode < 20; ++mode) {
            for (ParamCase p : kParams) {
                const PixelRule r = PickPixelRule({Walker::Colour, depth, SourceKind::Colour, mode, p, 0});
                const bool drawsNothing = (mode >= 5 && mode <= 9) || mode > 11 ||
                                          ((mode == 1 || mode == 2 || mode == 3) && p == ParamCase::Zero);
                EXPECT_EQ(r.combine == Combine::Nothing, drawsNothing) << mode << " " << int(p);
                // Only the alpha mode depends on the parameter's value beyond zero: 255 is the copy.
                if (mode == 1 && p == ParamCase::Full) {
                    EXPECT_EQ(r, PickPixelRule({Walker::Colour, depth, SourceKind::Colour, 0, p, 0}));
                } else if (!drawsNothing) {
                    EXPECT_EQ(r, PickPixelRule(
                                     {Walker::Colour, depth, SourceKind::Colour, mode, ParamCase::Other, 0}));
                }
            }
        }
    }
    EXPECT_EQ(
        PickPixelRule({Walker::Colour, Depth::Xrgb8888, SourceKind::Colour, 0xFFFFFFFFu, ParamCase::Other, 0})
            .combine,
        Combine::Nothing);
}

TEST(PixelRules, ColourKeySpaceRoundTrips) {
    for (size_t i = 0; i < kColourKeyCount; ++i) {
        const RuleKey k = ColourKeyAt(i);
        EXPECT_EQ(ColourKeyIndex(k.depth, k.mode, k.param), i);
    }
}

}  // namespace

namespace {

PixelRule Image(Walker w, Depth d, SourceKind s, uint32_t mode, ParamCase p, uint8_t v) {
    return PickPixelRule({w, d, s, mode, p, v});
}

// Copy and alpha leaves by blend image and alpha factor, as the copy and alpha-blend tables list them.
TEST(PixelRules, ImageCopyAndAlphaLeaves) {
    const Depth k1 = Depth::Xrgb8888, k0 = Depth::Rgb565;
    const SourceKind pal = SourceKind::Palette, alpha = SourceKind::DirectAlpha;
    const auto row = Walker::RowBlit, fast = Walker::RunBlit;
    // Mode 0: no factor copies whole; W alone or a alone mixes with one factor, both with two.
    EXPECT_EQ(Image(row, k1, pal, 0, ParamCase::Other, 0).combine, Combine::StoreWhole);
    EXPECT_EQ(Image(row, k1, pal, 0, ParamCase::Other, kVariantTint).combine, Combine::Store);
    EXPECT_EQ(Image(row, k0, pal, 0, ParamCase::Other, kVariantBlendImage).factors, kFactorW);
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, kVariantBlendImage).factors, kFactorW | kFactorA);
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, kVariantTransparent).factors, kFactorA);
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, kVariantTransparent).alpha, AlphaUse::Shortcut);
    // The untinted copy of an alpha source without the transparent flag ignores its alpha; tinted, it weighs.
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, 0).combine, Combine::StoreWhole);
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, kVariantTint).factors, kFactorA);
    EXPECT_EQ(Image(row, k1, alpha, 0, ParamCase::Other, kVariantTint).alpha, AlphaUse::Always);
    // Mode 1 at 255 is mode 0; at 0 nothing.
    for (uint8_t v = 0; v < 8; ++v) {
        EXPECT_EQ(Image(row, k0, alpha, 1, ParamCase::Full, v), Image(row, k0, alpha, 0, ParamCase::Full, v));
        EXPECT_EQ(Image(fast, k1, pal, 1, ParamCase::Zero, v).combine, Combine::Nothing);
    }
    // Mode 1 with factors: p is one more factor.
    EXPECT_EQ(Image(row, k1, alpha, 1, ParamCase::Other, kVariantBlendImage).factors,
              kFactorW | kFactorA | kFactorP);
    // The parameter alone: row loop half blend and 6-bit lerp, fast path mix and difference scale.
    EXPECT_EQ(Image(row, k1, pal, 1, ParamCase::Half, 0).combine, Combine::HalfBlend);
    EXPECT_EQ(Image(row, k1, pal, 1, ParamCase::Other, 0).combine, Combine::FloorMix);
    EXPECT_EQ(Image(row, k0, pal, 1, ParamCase::Half, kVariantTransparent).combine, Combine::HalfBlend);
    EXPECT_EQ(Image(row, k0, pal, 1, ParamCase::Half, kVariantTransparent).transparent, Transparency::Low);
    EXPECT_EQ(Image(row, k0, pal, 1, ParamCase::Other, 0).combine, Combine::Lerp6);
    EXPECT_EQ(Image(row, k0, pal, 1, ParamCase::Other, kVariantTint).combine, Combine::DiffMix);
    EXPECT_EQ(Image(row, k0, SourceKind::DirectOpaque, 1, ParamCase::Half, kVariantTransparent).combine,
              Combine::DiffMix);
    EXPECT_EQ(Image(row, k1, SourceKind::DirectOpaque, 1, ParamCase::Half, kVariantTransparent).combine,
              Combine::FloorMix);
    EXPECT_EQ(Image(fast, k1, pal, 1, ParamCase::Half, 0).combine, Combine::FloorMix);
    EXPECT_EQ(Image(fast, k0, pal, 1, ParamCase::Other, 0).combine, Combine::DiffMix);
    // Multiply: the product with W and a as further factors, p never.
    EXPECT_EQ(Image(row, k0, alpha, 4, ParamCase::Zero, kVariantBlendImage).factors, kFactorW | kFactorA);
    EXPECT_EQ(Image(row, k0, alpha, 4, ParamCase::Zero, 0).target, Target::Product);
    EXPECT_EQ(Image(row, k0, alpha, 4, ParamCase::Zero, 0), Image(row, k0, alpha, 4, ParamCase::Full, 0));
}

}  // namespace

namespace {

constexpr Depth kK1 = Depth::Xrgb8888, kK0 = Depth::Rgb565;

// The add and subtract leaves: the plain leaf of the row loop (full parameter, no blend image, no
// tint, no source alpha) splits on the SIMD flag on 32-bit and walks pairs on 565; every other leaf
// and the fast path use the masked words.
TEST(PixelRules, ImageAddSubtractLeafTable) {
    struct Row {
        Walker walker;
        Depth depth;
        SourceKind source;
        uint8_t variants;
        WordOp add, sub;
    };
    const auto row = Walker::RowBlit, fast = Walker::RunBlit;
    const SourceKind pal = SourceKind::Palette, dir = SourceKind::Direct, alpha = SourceKind::DirectAlpha;
    const Row rows[] = {
        {row, kK1, pal, kVariantSimd, WordOp::PackedAddSat, WordOp::PackedSubSat},
        {row, kK1, dir, kVariantSimd | kVariantTransparent, WordOp::PackedAddSat, WordOp::PackedSubSat},
        {row, kK1, dir, 0, WordOp::MaskedAddCoarse, WordOp::MaskedSub},
        {row, kK0, pal, kVariantTransparent, WordOp::PairAdd, WordOp::PairSub},
        {row, kK0, dir, kVariantSimd, WordOp::PairAdd, WordOp::PairSub},
        {row, kK1, alpha, kVariantSimd, WordOp::MaskedAdd, WordOp::MaskedSub},
        {row, kK1, dir, kVariantSimd | kVariantTint, WordOp::MaskedAdd, WordOp::MaskedSub},
        {row, kK0, pal, kVariantBlendImage, WordOp::MaskedAdd, WordOp::MaskedSub},
        {fast, kK1, dir, kVariantSimd, WordOp::MaskedAdd, WordOp::MaskedSub},
        {fast, kK0, pal, 0, WordOp::MaskedAdd, WordOp::MaskedSub},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "walker " << int(r.walker) << " kind " << int(r.depth)
                                        << " source " << int(r.source) << " variants " << int(r.variants));
        const PixelRule add = Image(r.walker, r.depth, r.source, 2, ParamCase::Full, r.variants);
        const PixelRule sub = Image(r.walker, r.depth, r.source, 3, ParamCase::Full, r.variants);
        EXPECT_EQ(add.word, r.add);
        EXPECT_EQ(sub.word, r.sub);
        const bool plain = r.add != WordOp::MaskedAdd;
        EXPECT_EQ(add.scale == SourceScale::None, plain);
        EXPECT_EQ(add.combine, Combine::Word);
        // The plain leaf compares the low bits of the transparent value.
        if (r.variants & kVariantTransparent) {
            EXPECT_EQ(add.transparent, Transparency::Low);
        }
    }
    // Below full parameter there is no plain leaf; at zero nothing is drawn.
    EXPECT_EQ(Image(row, kK1, pal, 2, ParamCase::Other, kVariantSimd).word, WordOp::MaskedAdd);
    EXPECT_EQ(Image(row, kK0, pal, 3, ParamCase::Half, 0).word, WordOp::MaskedSub);
    EXPECT_EQ(Image(row, kK0, pal, 3, ParamCase::Zero, 0).combine, Combine::Nothing);
    EXPECT_EQ(Image(fast, kK1, alpha, 2, ParamCase::Zero, 0).combine, Combine::Nothing);
    EXPECT_EQ(Image(row, kK1, dir, 2, ParamCase::Other, kVariantTransparent).transparent,
              Transparency::Whole);
}

// How the source of a scaled add or subtract leaf is scaled, by blend image and alpha factor.
TEST(PixelRules, ImageAddSubtractSourceScale) {
    struct Row {
        Depth depth;
        bool weight, alphaFactor;
        SourceScale scale;
        uint8_t factors;
    };
    const Row rows[] = {
        {kK1, false, false, SourceScale::ParamTable, 0},
        {kK1, false, true, SourceScale::Product, kFactorA | kFactorP},
        {kK1, true, false, SourceScale::Product, kFactorW | kFactorP},
        {kK1, true, true, SourceScale::Product, kFactorW | kFactorA | kFactorP},
        {kK0, false, false, SourceScale::ParamTable, 0},
        {kK0, false, true, SourceScale::AlphaThenTint, kFactorA},
        {kK0, true, false, SourceScale::ParamTable, kFactorW},
        {kK0, true, true, SourceScale::ParamTable, kFactorW | kFactorA},
    };
    for (const Row& r : rows) {
        for (uint32_t mode : {2u, 3u}) {
            for (Walker w : {Walker::RowBlit, Walker::RunBlit, Walker::Stretch}) {
                const uint8_t v = (r.weight ? kVariantBlendImage : 0) | kVariantTint;
                const SourceKind s = r.alphaFactor ? SourceKind::DirectAlpha : SourceKind::Direct;
                const PixelRule rule = Image(w, r.depth, s, mode, ParamCase::Other, v);
                EXPECT_EQ(rule.scale, r.scale) << int(r.depth) << r.weight << r.alphaFactor;
                EXPECT_EQ(rule.factors, r.factors) << int(r.depth) << r.weight << r.alphaFactor;
                EXPECT_EQ(rule.tint, TintRule::Table);
            }
        }
    }
}

// Inverse alpha and multiply alpha: the parameter is always a factor; 565 by the parameter alone
// divides by 255; the 565 multiply alpha of an untinted alpha source keeps green's fraction bits.
TEST(PixelRules, ImageInverseAndMultiplyAlphaTable) {
    struct Row {
        Depth depth;
        SourceKind source;
        bool weight;
        Combine combine;
        uint8_t factors;
    };
    const SourceKind pal = SourceKind::Palette, dir = SourceKind::Direct, alpha = SourceKind::DirectAlpha;
    const Row rows[] = {
        {kK1, pal, false, Combine::FloorMix, kFactorP},
        {kK1, dir, true, Combine::FloorMix, kFactorW | kFactorP},
        {kK1, alpha, false, Combine::FloorMix, kFactorA | kFactorP},
        {kK1, alpha, true, Combine::FloorMix, kFactorW | kFactorA | kFactorP},
        {kK0, dir, false, Combine::DiffMix, 0},
        {kK0, pal, true, Combine::FloorMix, kFactorW | kFactorP},
        {kK0, alpha, false, Combine::FloorMix, kFactorA | kFactorP},
        {kK0, alpha, true, Combine::FloorMix, kFactorW | kFactorA | kFactorP},
    };
    for (const Row& r : rows) {
        for (uint32_t mode : {10u, 11u}) {
            for (ParamCase p : kParams) {
                for (uint8_t transparent : {uint8_t(0), uint8_t(kVariantTransparent)}) {
                    const uint8_t v = (r.weight ? kVariantBlendImage : 0) | transparent;
                    const PixelRule rule = Image(Walker::RowBlit, r.depth, r.source, mode, p, v);
                    SCOPED_TRACE(testing::Message() << int(r.depth) << " " << int(r.source) << " " << r.weight
                                                    << " " << mode << " " << int(p));
                    EXPECT_EQ(rule.combine, r.combine);
                    EXPECT_EQ(rule.factors, r.factors);
                    const bool fine = mode == 11 && r.depth == kK0 && r.source == alpha && !r.weight;
                    EXPECT_EQ(rule.target, fine ? Target::ProductFineGreen
                                                : (mode == 10 ? Target::Complement : Target::Product));
                    // The opaque pixels of an alpha source take the row without the alpha factor.
                    const PixelRule opaque =
                        Image(Walker::RowBlit, r.depth, SourceKind::DirectOpaque, mode, p, v);
                    EXPECT_EQ(opaque.factors & kFactorA, 0);
                }
            }
        }
    }
    // A tint keeps green's fraction bits out.
    EXPECT_EQ(Image(Walker::RowBlit, kK0, alpha, 11, ParamCase::Other, kVariantTint).target, Target::Product);
}

// The stretch differs from the row loop only where its own table says so.
TEST(PixelRules, StretchDiffersFromTheRowLoopOnlyWhereItsTableSays) {
    const SourceKind sources[] = {SourceKind::Palette, SourceKind::Direct, SourceKind::DirectAlpha,
                                  SourceKind::DirectOpaque};
    for (Depth depth : {kK0, kK1}) {
        for (SourceKind source : sources) {
            for (uint32_t mode = 0; mode < 14; ++mode) {
                for (ParamCase p : kParams) {
                    for (uint8_t v = 0; v < 16; ++v) {
                        const PixelRule row = Image(Walker::RowBlit, depth, source, mode, p, v);
                        const PixelRule stretch = Image(Walker::Stretch, depth, source, mode, p, v);
                        const bool plainColour =
                            source == SourceKind::Palette || source == SourceKind::Direct;
                        const bool noBlendNoTint = (v & (kVariantBlendImage | kVariantTint)) == 0;
                        const uint32_t m = mode == 1 && p == ParamCase::Full ? 0 : mode;
                        bool differs = false;
                        // The untinted copy of an alpha source without the transparent flag.
                        if (m == 0 && source == SourceKind::DirectAlpha && v == 0) differs = true;
                        if (m == 0 && source == SourceKind::DirectAlpha && v == kVariantSimd) differs = true;
                        // No half blend, no 6-bit lerp.
                        if (m == 1 && p != ParamCase::Zero && noBlendNoTint && plainColour &&
                            (p == ParamCase::Half || depth == kK0))
                            differs = true;
                        // Add has no plain leaf; 565 subtract takes its pixels alone.
                        if ((m == 2 || (m == 3 && depth == kK0)) && p == ParamCase::Full && noBlendNoTint &&
                            plainColour)
                            differs = true;
                        SCOPED_TRACE(testing::Message() << int(depth) << " " << int(source) << " " << mode
                                                        << " " << int(p) << " " << int(v));
                        EXPECT_EQ(!(row == stretch), differs);
                        if (m == 3 && depth == kK0 && differs) {
                            EXPECT_EQ(stretch.word, WordOp::MaskedSub);
                            EXPECT_EQ(stretch.transparent, row.transparent);
                        }
                        if (m == 2 && differs) {
                            EXPECT_EQ(stretch.word, WordOp::MaskedAdd);
                        }
                    }
                }
            }
        }
    }
}

TEST(PixelRules, ImageKeySpaceRoundTrips) {
    for (Walker w : {Walker::RowBlit, Walker::RunBlit, Walker::Stretch}) {
        for (size_t i = 0; i < kImageKeyCount; ++i) {
            const RuleKey k = ImageKeyAt(w, i);
            EXPECT_EQ(ImageKeyIndex(k.depth, k.source, k.mode, k.param, k.variants), i);
        }
    }
}

}  // namespace
