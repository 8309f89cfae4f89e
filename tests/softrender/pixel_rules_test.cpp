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
