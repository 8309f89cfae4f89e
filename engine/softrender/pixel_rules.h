// The rule table of the software kernels: which formula a pixel gets for a walker, destination depth,
// source kind, blend mode, parameter case and variant bits. Kernels classify a call into a RuleKey
// once, and the generated dispatch tables hold one instantiation per distinct PixelRule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/softrender/pixel_math.h"

namespace softrender {

// How the pixels of a call are visited. Colour: rectangle, line and circle kernels (one colour).
enum class Walker : uint8_t { Colour, RowBlit, RunBlit, Stretch, FlatSpan, TexSpan };

// DirectAlpha: a source with the alpha flag whose pixel takes its alpha factor; DirectOpaque: such a
// pixel drawn without it (alpha 255 under the transparent flag, or an opaque run).
enum class SourceKind : uint8_t { Colour, Palette, Direct, DirectAlpha, DirectOpaque };

// The blend parameter as the rules see it.
enum class ParamCase : uint8_t { Zero, Half, Full, Other };

constexpr ParamCase ClassifyParam(int32_t p) {
    if (p == 0) return ParamCase::Zero;
    if (p == 128) return ParamCase::Half;
    if (p == 255) return ParamCase::Full;
    return ParamCase::Other;
}

enum VariantBit : uint8_t {
    kVariantBlendImage = 1,
    kVariantTint = 2,
    kVariantTransparent = 4,
    kVariantSimd = 8,
};

// Blend mode numbers; any other number (compared unsigned) draws nothing.
enum BlendModeNumber : uint32_t {
    kModeCopy = 0,
    kModeAlpha = 1,
    kModeAdd = 2,
    kModeSub = 3,
    kModeMul = 4,
    kModeInvAlpha = 10,
    kModeMulAlpha = 11,
    kModeCount = 12,
};

struct RuleKey {
    Walker walker;
    Depth depth;
    SourceKind source;
    uint32_t mode;
    ParamCase param;
    uint8_t variants;
};

// What a channel moves to.
enum class Target : uint8_t {
    Source,      // the (tinted) source channel
    Complement,  // (2^bits - 1) - source
    Product,     // (source * d [* factors]) >> (bits [+ 8 per factor])
    // The product, except that a 6-bit green keeps five fraction bits through the mix:
    // G32 = (s * d) >> 1, new = d + floor((G32 - 32 d) * factors / 2^(8n + 5)).
    ProductFineGreen,
};

// How the destination pixel is combined with the target.
enum class Combine : uint8_t {
    Nothing,     // the call draws nothing
    StoreWhole,  // the whole source pixel value is stored (all 32 bits of a 32-bit pixel)
    Store,       // the target channels are stored (byte 3 of a 32-bit pixel kept)
    FloorMix,    // d + floor((T - d) * factors / 256^n)
    DiffMix,     // d + trunc((T - d) * p / 255) through DiffScaleTable
    Lerp6,       // Lerp6Table plane of p >> 2
    HalfBlend,   // whole-word half blend
    Word,        // a whole-word add or subtract of the scaled source
};

enum class WordOp : uint8_t {
    None,
    MaskedAdd,
    MaskedAddCoarse,
    MaskedSub,
    PackedAddSat,
    PackedSubSat,
    PairAdd,
    PairSub
};

// How the source colour is tinted by the draw bright.
enum class TintRule : uint8_t {
    None,
    Shift8,  // (c * b) >> 8, once per call on the colour
    Table,   // ScaleTable[b][c]
};

// How the source of a word operation is scaled before it is combined; t is the tinted channel and
// F, n the product and number of the rule's factors.
enum class SourceScale : uint8_t {
    None,           // the whole unscaled source colour
    ParamTable,     // ScaleTable[p][(t * F) >> 8n]; F holds no p
    Product,        // (t * F) >> 8n; F holds p
    AlphaThenTint,  // ScaleTable[p][tint((c * a) >> 8)]: the alpha before the tint
};

enum FactorBit : uint8_t { kFactorW = 1, kFactorA = 2, kFactorP = 4 };

// Which transparent test a leaf makes: none, the whole 32-bit transparent value, or only its low 8
// (index) or 16 (565 pixel) bits.
enum class Transparency : uint8_t { None, Whole, Low };

// How a source alpha enters: not at all, for every pixel, with the 0 (skip) and 255 (no factor)
// shortcuts, or with the 255 shortcut alone (an alpha of 0 takes the factor 0).
enum class AlphaUse : uint8_t { None, Always, Shortcut, OpaqueShortcut };

struct PixelRule {
    Combine combine = Combine::Nothing;
    Target target = Target::Source;
    WordOp word = WordOp::None;
    TintRule tint = TintRule::None;
    SourceScale scale = SourceScale::None;
    uint8_t factors = 0;  // FactorBit set: the weights of the mix, or of the product in multiply mode
    Transparency transparent = Transparency::None;
    AlphaUse alpha = AlphaUse::None;

    constexpr bool operator==(const PixelRule&) const = default;
};

// Colour walker: one prepared colour combined with each pixel (rectangle fill, lines, circles).
constexpr PixelRule ColourRule(Depth depth, uint32_t mode, ParamCase param) {
    const bool wide = depth == Depth::Xrgb8888;
    // Kind 1 blends by a shift of 8, kind 0 through DiffScaleTable.
    const Combine blend = wide ? Combine::FloorMix : Combine::DiffMix;
    const uint8_t blendFactors = wide ? kFactorP : 0;
    PixelRule r;
    r.tint = TintRule::Shift8;
    switch (mode) {
        case kModeCopy:
            r.combine = Combine::StoreWhole;
            break;
        case kModeAlpha:
            if (param == ParamCase::Zero) return PixelRule{};
            if (param == ParamCase::Full) return ColourRule(depth, kModeCopy, param);
            r.combine = blend;
            r.factors = blendFactors;
            break;
        case kModeAdd:
        case kModeSub:
            if (param == ParamCase::Zero) return PixelRule{};
            r.combine = Combine::Word;
            r.word = mode == kModeAdd ? WordOp::MaskedAdd : WordOp::MaskedSub;
            r.scale = SourceScale::ParamTable;
            break;
        case kModeMul:
            r.combine = Combine::Store;
            r.target = Target::Product;
            break;
        case kModeInvAlpha:
        case kModeMulAlpha:
            r.combine = blend;
            r.factors = blendFactors;
            r.target = mode == kModeInvAlpha ? Target::Complement : Target::Product;
            break;
        default:
            return PixelRule{};
    }
    return r;
}

// The add and subtract leaves of the image walkers. `r` holds the pipeline's choices already.
constexpr PixelRule ImageWordRule(const RuleKey& key, PixelRule r, uint8_t factors) {
    const bool wide = key.depth == Depth::Xrgb8888;
    const bool add = key.mode == kModeAdd;
    const bool stretch = key.walker == Walker::Stretch;
    const bool simd = key.variants & kVariantSimd;
    const bool plainSource = key.source == SourceKind::Palette || key.source == SourceKind::Direct;
    r.combine = Combine::Word;
    // The plain leaf: the unscaled colour at full parameter; the row loop's (and the stretch's subtract).
    const bool plainWalker = key.walker == Walker::RowBlit || key.walker == Walker::Stretch;
    const bool plain = key.param == ParamCase::Full &&
                       (key.variants & (kVariantBlendImage | kVariantTint)) == 0 && plainSource &&
                       plainWalker && !(stretch && add);
    if (plain) {
        if (r.transparent == Transparency::Whole) r.transparent = Transparency::Low;
        if (wide) {
            r.word = add ? (simd ? WordOp::PackedAddSat : WordOp::MaskedAddCoarse)
                         : (simd ? WordOp::PackedSubSat : WordOp::MaskedSub);
        } else {
            r.word = add ? WordOp::PairAdd : (stretch ? WordOp::MaskedSub : WordOp::PairSub);
        }
        return r;
    }
    r.word = add ? WordOp::MaskedAdd : WordOp::MaskedSub;
    r.factors = factors;
    if (factors == 0) {
        r.scale = SourceScale::ParamTable;
    } else if (wide) {
        r.scale = SourceScale::Product;
        r.factors = factors | kFactorP;
    } else {
        r.scale = factors == kFactorA ? SourceScale::AlphaThenTint : SourceScale::ParamTable;
    }
    return r;
}

// Image walkers: the 1:1 blit's row loop and run-table fast path, the stretch, and the textured spans
// of triangles and rotations. The fast path has the transparent flag on and the run kinds in place of
// the per-pixel tests.
constexpr PixelRule ImageRule(const RuleKey& key) {
    const bool wide = key.depth == Depth::Xrgb8888;
    const bool fast = key.walker == Walker::RunBlit;
    const bool rowLoop = key.walker == Walker::RowBlit;
    const bool weightImage = key.variants & kVariantBlendImage;
    const bool tint = key.variants & kVariantTint;
    const bool transparent = (key.variants & kVariantTransparent) || fast;
    const bool alphaKind = key.source == SourceKind::DirectAlpha || key.source == SourceKind::DirectOpaque;
    const bool alphaFactor = key.source == SourceKind::DirectAlpha;
    PixelRule r;
    r.tint = tint ? TintRule::Table : TintRule::None;
    if (alphaFactor) r.alpha = transparent ? AlphaUse::Shortcut : AlphaUse::Always;
    if (!alphaKind && transparent && !fast) r.transparent = Transparency::Whole;
    const uint8_t factors = (weightImage ? kFactorW : 0) | (alphaFactor ? kFactorA : 0);
    // The blit's copy-like leaves compare only the index or pixel bits; textured spans compare the
    // whole transparent value everywhere.
    auto lowCompare = [&r, &key] {
        if (r.transparent == Transparency::Whole && key.walker != Walker::TexSpan)
            r.transparent = Transparency::Low;
    };
    // Textured spans skip alpha-0 pixels only in the modes that draw toward the source (and in
    // inverted alpha on 565): multiply and multiply-alpha weight them by 0 instead.
    const bool spanKeepsAlphaZero =
        key.walker == Walker::TexSpan &&
        (key.mode == kModeMul || key.mode == kModeMulAlpha || (key.mode == kModeInvAlpha && wide));
    if (r.alpha == AlphaUse::Shortcut && spanKeepsAlphaZero) r.alpha = AlphaUse::OpaqueShortcut;
    uint32_t mode = key.mode;
    if (mode == kModeAlpha && key.param == ParamCase::Full) mode = kModeCopy;
    switch (mode) {
        case kModeCopy:
            r.factors = factors;
            if (factors == 0) {
                r.combine = tint ? Combine::Store : Combine::StoreWhole;
                lowCompare();
            } else if (factors == kFactorA && !tint && !transparent && (rowLoop || fast)) {
                // The untinted copy of an alpha source without the transparent flag ignores its alpha.
                r.combine = Combine::StoreWhole;
                r.factors = 0;
                r.alpha = AlphaUse::None;
            } else {
                r.combine = Combine::FloorMix;
            }
            break;
        case kModeAlpha:
            if (key.param == ParamCase::Zero) return PixelRule{};
            r.combine = Combine::FloorMix;
            r.factors = factors | kFactorP;
            if (factors != 0) break;
            // The parameter alone: the row loop has the half blend and the 6-bit lerp for plain colours.
            if (rowLoop && !tint && !alphaKind && (key.param == ParamCase::Half || !wide)) {
                r.combine = key.param == ParamCase::Half ? Combine::HalfBlend : Combine::Lerp6;
                r.factors = 0;
                lowCompare();
            } else if (!wide) {
                r.combine = Combine::DiffMix;
                r.factors = 0;
            }
            break;
        case kModeAdd:
        case kModeSub:
            // Textured spans subtract a palette source even at parameter 0.
            if (key.param == ParamCase::Zero &&
                !(key.walker == Walker::TexSpan && mode == kModeSub && key.source == SourceKind::Palette)) {
                return PixelRule{};
            }
            return ImageWordRule(key, r, factors);
        case kModeMul:
            r.combine = Combine::Store;
            r.target = Target::Product;
            r.factors = factors;
            break;
        case kModeInvAlpha:
        case kModeMulAlpha:
            r.target = mode == kModeInvAlpha ? Target::Complement : Target::Product;
            r.combine = Combine::FloorMix;
            r.factors = factors | kFactorP;
            if (!wide && factors == 0) {
                // The parameter alone on 565 divides by 255 through DiffScaleTable.
                r.combine = Combine::DiffMix;
                r.factors = 0;
            } else if (!wide && mode == kModeMulAlpha && factors == kFactorA && !tint) {
                r.target = Target::ProductFineGreen;
            }
            break;
        default:
            return PixelRule{};
    }
    return r;
}

// The one table: every kernel asks it for the formula of its call.
constexpr PixelRule PickPixelRule(const RuleKey& key) {
    switch (key.walker) {
        case Walker::Colour:
            return ColourRule(key.depth, key.mode, key.param);
        case Walker::FlatSpan: {
            // Flat triangle spans: the colour operations, the colour tinted through ScaleTable.
            PixelRule r = ColourRule(key.depth, key.mode, key.param);
            if (r.combine != Combine::Nothing) r.tint = TintRule::Table;
            return r;
        }
        case Walker::RowBlit:
        case Walker::RunBlit:
        case Walker::Stretch:
        case Walker::TexSpan:
            if (key.source == SourceKind::Colour) return PixelRule{};
            return ImageRule(key);
        default:
            return PixelRule{};
    }
}

// ---- key spaces of the generated dispatch tables ----

inline constexpr size_t kColourKeyCount = 2 * kModeCount * 4;

constexpr size_t ColourKeyIndex(Depth depth, uint32_t mode, ParamCase param) {
    return (static_cast<size_t>(depth) * kModeCount + mode) * 4 + static_cast<size_t>(param);
}
constexpr RuleKey ColourKeyAt(size_t i, Walker walker = Walker::Colour) {
    return RuleKey{walker,
                   static_cast<Depth>(i / (4 * kModeCount)),
                   SourceKind::Colour,
                   static_cast<uint32_t>(i / 4 % kModeCount),
                   static_cast<ParamCase>(i % 4),
                   0};
}

// Image walkers: (depth, source kind Palette/Direct/DirectAlpha, mode, parameter case, blend image,
// tint, transparent flag, SIMD flag).
inline constexpr size_t kImageVariantCount = 16;
inline constexpr size_t kImageKeyCount = 2 * 3 * kModeCount * 4 * kImageVariantCount;

constexpr size_t ImageKeyIndex(Depth depth, SourceKind source, uint32_t mode, ParamCase param,
                               uint8_t variants) {
    const size_t s = static_cast<size_t>(source) - static_cast<size_t>(SourceKind::Palette);
    return (((static_cast<size_t>(depth) * 3 + s) * kModeCount + mode) * 4 + static_cast<size_t>(param)) *
               kImageVariantCount +
           (variants % kImageVariantCount);
}
constexpr RuleKey ImageKeyAt(Walker walker, size_t i) {
    constexpr size_t v = kImageVariantCount;
    return RuleKey{
        walker,
        static_cast<Depth>(i / (v * 4 * kModeCount * 3)),
        static_cast<SourceKind>(static_cast<size_t>(SourceKind::Palette) + i / (v * 4 * kModeCount) % 3),
        static_cast<uint32_t>(i / (v * 4) % kModeCount),
        static_cast<ParamCase>(i / v % 4),
        static_cast<uint8_t>(i % v)};
}

}  // namespace softrender
