// Per-pixel operations of the image walkers: source fetch, transparent test, source alpha, tint and
// blend-image weight, then the combination the rule names. One template per (rule, depth, source kind).
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/softrender/pixel_lanes.h"
#include "engine/softrender/pixel_math.h"
#include "engine/softrender/pixel_ops.h"
#include "engine/softrender/pixel_rules.h"

namespace softrender {

// Prepared values of an image-walker call.
struct ImageArgs {
    const uint8_t* palette = nullptr;  // the source's full 256-entry palette (palette sources)
    uint32_t transparent = 0;
    const int32_t* tint[3] = {};  // ScaleTable rows of the draw bright's R, G and B
    int32_t param = 0;
    BlendRows rows;
    const uint8_t* weights = nullptr;  // BlendImageWeightTable
};

struct FetchedPixel {
    uint32_t key;    // what the transparent test compares: the index, or the raw pixel
    uint32_t value;  // the colour as a destination pixel value
    uint32_t alpha;
};

// A pair rule draws a pixel handled alone with the single-pixel form of its word operation.
constexpr PixelRule SinglePixelRule(PixelRule r) {
    if (r.word == WordOp::PairAdd) r.word = WordOp::MaskedAddCoarse;
    if (r.word == WordOp::PairSub) r.word = WordOp::MaskedSub;
    return r;
}

// The image pipeline complements the source before the tint: the combination then takes the
// prepared channels as its target.
constexpr PixelRule PreparedTargetRule(PixelRule r) {
    if (r.target == Target::Complement) r.target = Target::Source;
    return r;
}

// `R` is the rule of a pixel that takes its alpha factor (or of every pixel of a source without
// alpha); `O` the rule of an alpha source's pixel drawn without it.
template <PixelRule R, PixelRule O, Depth D, SourceKind S>
class ImageOp {
  public:
    // The walker hands over two neighbouring pixels at a time (the 565 pair form of add and subtract).
    static constexpr bool kPairs = R.word == WordOp::PairAdd || R.word == WordOp::PairSub;

    // Bytes of a destination and of a source pixel.
    static constexpr int kDstBytes = DepthTraits<D>::kBytes;
    static constexpr int kSrcBytes = S == SourceKind::Palette ? 1 : S == SourceKind::Direct ? kDstBytes : 4;

    // The arguments are copied: the walkers' stores through byte pointers then cannot reach them,
    // and the compiler keeps them in registers.
    explicit ImageOp(const ImageArgs& args) : a_(args) {}

    // Row loop and stretch: every test the rule asks for.
    void operator()(uint8_t* dst, const uint8_t* src, const uint8_t* blend) const {
        StorePixel<D>(dst, Pixel(LoadPixel<D>(dst), src, blend));
    }

    // A row of n pixels of the row loop. Pairs start at the row's first drawn pixel; an odd last
    // pixel goes alone.
    void Row(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int32_t n) const {
        if constexpr (CopiesSource(R)) {
            std::memcpy(dst, src, static_cast<size_t>(n) * kDstBytes);
            return;
        }
        int32_t x = 0;
        if constexpr (kPairs) {
            for (; x + 1 < n; x += 2) Pair(dst + x * kDstBytes, src + x * kSrcBytes);
        }
        if constexpr (PickLaneRow() != LaneRow::None) {
            if (blend == nullptr) x = LaneRowPrefix(dst, src, n);
        }
        if (blend != nullptr) {
            for (; x < n; ++x) (*this)(dst + x * kDstBytes, src + x * kSrcBytes, blend + x);
        } else {
            for (; x < n; ++x) (*this)(dst + x * kDstBytes, src + x * kSrcBytes, nullptr);
        }
    }

    // The rows of a copy by colour key or by the source's alpha (opaque pixels copied), on lanes: they
    // give the run table's pixels and skip and copy whole steps faster than it goes run by run.
    static constexpr bool RowsBeatRuns() {
        return PickLaneRow() == LaneRow::KeyCopy || PickLaneRow() == LaneRow::AlphaMixOrCopy;
    }

    // Run-table fast path: a run of n opaque pixels, and of n translucent ones.
    void OpaqueRun(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int32_t n) const {
        Run<O>(dst, src, blend, n);
    }
    void TranslucentRun(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int32_t n) const {
        // Translucent pixels (alpha 1 to 254) of an alpha source mix alike on the lanes.
        constexpr LaneRow kLaneRow = PickLaneRow();
        int32_t x = 0;
        if constexpr (kLaneRow == LaneRow::AlphaMix || kLaneRow == LaneRow::AlphaMixOrCopy) {
            if (blend == nullptr) x = LaneRowPrefix(dst, src, n);
        }
        if (x < n) Run<R>(dst + x * kDstBytes, src + x * kSrcBytes, blend, n - x);
    }

  private:
    // The rows the lane forms draw: a mix toward the untinted source by the parameter (32 bits) or the
    // source's alpha, and the 6-bit lerp on 565.
    enum class LaneRow { None, ParamMix, AlphaMix, AlphaMixOrCopy, Lerp6, KeyedLerp6, KeyCopy };

    static constexpr LaneRow PickLaneRow() {
        const bool plain =
            R.target == Target::Source && R.tint == TintRule::None && R.scale == SourceScale::None;
        if (!kPixelLanes || !plain) return LaneRow::None;
        if (R.combine == Combine::StoreWhole && R.transparent == Transparency::Low &&
            R.alpha == AlphaUse::None && S == SourceKind::Direct)
            return LaneRow::KeyCopy;
        if (D == Depth::Rgb565 && R.combine == Combine::Lerp6 && S == SourceKind::Direct) {
            if (R.transparent == Transparency::None) return LaneRow::Lerp6;
            return R.transparent == Transparency::Low ? LaneRow::KeyedLerp6 : LaneRow::None;
        }
        if (R.combine == Combine::FloorMix && R.transparent == Transparency::None) {
            if (R.factors == kFactorP && S == SourceKind::Direct && D == Depth::Xrgb8888)
                return LaneRow::ParamMix;
            if (R.factors != kFactorA || S != SourceKind::DirectAlpha) return LaneRow::None;
            if (R.alpha == AlphaUse::Always) return LaneRow::AlphaMix;
            return StoresColour(O) ? LaneRow::AlphaMixOrCopy : LaneRow::None;
        }
        return LaneRow::None;
    }

    // The first pixels of a row through the lane forms; returns how many were drawn.
    int32_t LaneRowPrefix(uint8_t* dst, const uint8_t* src, int32_t n) const {
        constexpr LaneRow kLaneRow = PickLaneRow();
        if constexpr (kLaneRow == LaneRow::ParamMix) {
            return FloorMixRow8888(dst, src, n, static_cast<uint32_t>(a_.param));
        } else if constexpr (kLaneRow == LaneRow::AlphaMix || kLaneRow == LaneRow::AlphaMixOrCopy) {
            constexpr bool copies = kLaneRow == LaneRow::AlphaMixOrCopy;
            if constexpr (D == Depth::Xrgb8888) {
                return AlphaMixRow8888<copies>(dst, src, n);
            } else {
                return AlphaMixRow565<copies>(dst, src, n);
            }
        } else if constexpr (kLaneRow == LaneRow::KeyCopy) {
            return KeyCopyRow<kDstBytes>(dst, src, n, a_.transparent & LowMask());
        } else if constexpr (kLaneRow == LaneRow::Lerp6) {
            return Lerp6Row565<false>(dst, src, n, a_.param >> 2, 0);
        } else {
            return Lerp6Row565<true>(dst, src, n, a_.param >> 2, static_cast<uint16_t>(a_.transparent));
        }
    }

    // A rule whose every pixel is the source colour unchanged.
    static constexpr bool StoresColour(PixelRule rule) {
        return rule.combine == Combine::StoreWhole && rule.transparent == Transparency::None &&
               rule.alpha == AlphaUse::None && rule.tint == TintRule::None;
    }
    // A rule whose every pixel is the source pixel's bytes unchanged: its rows are copied whole.
    static constexpr bool CopiesSource(PixelRule rule) {
        return StoresColour(rule) && S != SourceKind::Palette && kSrcBytes == kDstBytes;
    }

    // The new value of one destination pixel; its own value where the pixel is skipped, so that the
    // row loops store unconditionally and the compiler may vectorise them.
    uint32_t Pixel(uint32_t dst, const uint8_t* src, const uint8_t* blend) const {
        const FetchedPixel f = Fetch(src);
        if (Skipped(f)) return dst;
        if constexpr (R.alpha == AlphaUse::Shortcut || R.alpha == AlphaUse::OpaqueShortcut) {
            if (f.alpha == 255) return Value<O>(dst, f, blend);
        }
        return Value<SinglePixelRule(R)>(dst, f, blend);
    }

    // Two neighbouring pixels: one word operation when both are drawn, else the drawn one alone.
    void Pair(uint8_t* dst, const uint8_t* src) const requires kPairs {
        const FetchedPixel left = Fetch(src), right = Fetch(src + kSrcBytes);
        const bool skipLeft = Skipped(left), skipRight = Skipped(right);
        if (!skipLeft && !skipRight) {
            const uint32_t word = ApplyWordOp<R, D>(LoadAs<uint32_t>(dst), left.value | (right.value << 16));
            StoreAs<uint32_t>(dst, word);
        } else if (!skipLeft) {
            Draw<SinglePixelRule(R)>(dst, left, nullptr);
        } else if (!skipRight) {
            Draw<SinglePixelRule(R)>(dst + kDstBytes, right, nullptr);
        }
    }

    template <PixelRule Rule>
    void Run(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int32_t n) const {
        if constexpr (CopiesSource(Rule)) {
            CopyRun(dst, src, static_cast<size_t>(n) * kDstBytes);
            return;
        }
        // Runs are short (at most 64 pixels): a copy in place of a call.
        if (blend != nullptr) {
            for (int32_t i = 0; i < n; ++i)
                Draw<Rule>(dst + i * kDstBytes, Fetch(src + i * kSrcBytes), blend + i);
        } else {
            for (int32_t i = 0; i < n; ++i)
                Draw<Rule>(dst + i * kDstBytes, Fetch(src + i * kSrcBytes), nullptr);
        }
    }

    // A run's bytes (2 to 256) in a few wide moves: the last move of each size overlaps the one
    // before it rather than looping over the remainder, as runs of random lengths defeat the loops'
    // branch prediction.
    static void CopyRun(uint8_t* dst, const uint8_t* src, size_t bytes) {
        auto move = [dst, src]<class T>(size_t at, T*) { StoreAs<T>(dst + at, LoadAs<T>(src + at)); };
        struct Wide {
            uint64_t half[2];
        };
        if (bytes >= sizeof(Wide)) {
            for (size_t at = 0; at + sizeof(Wide) < bytes; at += sizeof(Wide)) move(at, (Wide*)nullptr);
            move(bytes - sizeof(Wide), (Wide*)nullptr);
        } else if (bytes >= 8) {
            move(0, (uint64_t*)nullptr);
            move(bytes - 8, (uint64_t*)nullptr);
        } else if (bytes >= 4) {
            move(0, (uint32_t*)nullptr);
            move(bytes - 4, (uint32_t*)nullptr);
        } else {
            move(0, (uint16_t*)nullptr);
        }
    }

    static constexpr uint32_t LowMask() {
        if constexpr (S == SourceKind::Palette) {
            return 0xFF;
        } else {
            return D == Depth::Rgb565 ? 0xFFFF : 0xFFFFFFFF;
        }
    }

    // The transparent test, and an alpha of 0 under the transparent flag.
    bool Skipped(const FetchedPixel& f) const {
        if constexpr (R.transparent == Transparency::Whole) {
            if (f.key == a_.transparent) return true;
        } else if constexpr (R.transparent == Transparency::Low) {
            if (f.key == (a_.transparent & LowMask())) return true;
        }
        if constexpr (R.alpha == AlphaUse::Shortcut) {
            if (f.alpha == 0) return true;
        }
        return false;
    }

    FetchedPixel Fetch(const uint8_t* src) const {
        if constexpr (S == SourceKind::Palette) {
            const uint32_t index = src[0];
            return {index, LoadPixel<D>(a_.palette + index * DepthTraits<D>::kBytes), 0};
        } else if constexpr (S == SourceKind::Direct) {
            const uint32_t p = LoadPixel<D>(src);
            return {p, p, 0};
        } else {
            const uint32_t p = LoadAs<uint32_t>(src);
            if constexpr (D == Depth::Rgb565) {
                return {p, p & 0xFFFF, (p >> 16) & 255};
            } else {
                return {p, p, p >> 24};
            }
        }
    }

    Rgb Tinted(Rgb c) const {
        return {ScaleStep(a_.tint[0], c.r), ScaleStep(a_.tint[1], c.g), ScaleStep(a_.tint[2], c.b)};
    }

    // The scaled source word of an add or subtract leaf, byte 3 of a 32-bit word 0.
    template <PixelRule Rule>
    uint32_t ScaledSource(Rgb c, int64_t weight, uint32_t alpha) const {
        constexpr bool tint = Rule.tint == TintRule::Table;
        constexpr int shift = 8 * FactorCount(Rule.factors);
        const int32_t* paramRow = a_.rows.scaleRow;
        Rgb s;
        if constexpr (Rule.scale == SourceScale::AlphaThenTint) {
            s = {ShiftedProduct(c.r * alpha, 8), ShiftedProduct(c.g * alpha, 8),
                 ShiftedProduct(c.b * alpha, 8)};
            if constexpr (tint) s = Tinted(s);
            s = {ScaleStep(paramRow, s.r), ScaleStep(paramRow, s.g), ScaleStep(paramRow, s.b)};
        } else {
            const Rgb t = tint ? Tinted(c) : c;
            const uint32_t w = static_cast<uint32_t>(weight);
            s = {ShiftedProduct(t.r * w, shift), ShiftedProduct(t.g * w, shift),
                 ShiftedProduct(t.b * w, shift)};
            if constexpr (Rule.scale == SourceScale::ParamTable) {
                s = {ScaleStep(paramRow, s.r), ScaleStep(paramRow, s.g), ScaleStep(paramRow, s.b)};
            }
        }
        return PackPixel<D>(s, 0);
    }

    template <PixelRule Rule>
    uint32_t Value(uint32_t dst, const FetchedPixel& f, const uint8_t* blend) const {
        int64_t weight = 1;
        if constexpr ((Rule.factors & kFactorW) != 0) weight *= a_.weights[*blend];
        if constexpr ((Rule.factors & kFactorA) != 0) weight *= f.alpha;
        if constexpr ((Rule.factors & kFactorP) != 0) weight *= a_.param;
        Rgb s = SplitPixel<D>(f.value);
        uint32_t src = f.value;
        if constexpr (Rule.combine == Combine::Word) {
            if constexpr (Rule.scale != SourceScale::None) src = ScaledSource<Rule>(s, weight, f.alpha);
        } else {
            if constexpr (Rule.target == Target::Complement)
                s = PerChannel<D>(s, s, [](int32_t c, int32_t, int bits) { return Complement(c, bits); });
            if constexpr (Rule.tint == TintRule::Table) s = Tinted(s);
        }
        return CombinePixel<PreparedTargetRule(Rule), D>(dst, src, s, weight, a_.rows);
    }

    template <PixelRule Rule>
    void Draw(uint8_t* dst, const FetchedPixel& f, const uint8_t* blend) const {
        StorePixel<D>(dst, Value<Rule>(LoadPixel<D>(dst), f, blend));
    }

    const ImageArgs a_;
};

}  // namespace softrender
