// Per-pixel operations of the image walkers: source fetch, transparent test, source alpha, tint and
// blend-image weight, then the combination the rule names. One template per (rule, depth, source kind).
#pragma once

#include <cstdint>

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

// `R` is the rule of a pixel that takes its alpha factor (or of every pixel of a source without
// alpha); `O` the rule of an alpha source's pixel drawn without it.
template <PixelRule R, PixelRule O, Depth D, SourceKind S>
class ImageOp {
  public:
    explicit ImageOp(const ImageArgs& args) : a_(args) {}

    // Row loop: every test the rule asks for.
    void operator()(uint8_t* dst, const uint8_t* src, const uint8_t* blend) const {
        const FetchedPixel f = Fetch(src);
        if constexpr (R.transparent == Transparency::Whole) {
            if (f.key == a_.transparent) return;
        } else if constexpr (R.transparent == Transparency::Low) {
            if (f.key == (a_.transparent & LowMask())) return;
        }
        if constexpr (R.alpha == AlphaUse::Shortcut) {
            if (f.alpha == 0) return;
            if (f.alpha == 255) return Draw<O>(dst, f, blend);
        }
        Draw<R>(dst, f, blend);
    }

    // Run-table fast path: an opaque run, and a translucent run.
    void Opaque(uint8_t* dst, const uint8_t* src, const uint8_t* blend) const {
        Draw<O>(dst, Fetch(src), blend);
    }
    void Translucent(uint8_t* dst, const uint8_t* src, const uint8_t* blend) const {
        Draw<R>(dst, Fetch(src), blend);
    }

  private:
    static constexpr uint32_t LowMask() {
        if constexpr (S == SourceKind::Palette) {
            return 0xFF;
        } else {
            return D == Depth::Rgb565 ? 0xFFFF : 0xFFFFFFFF;
        }
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

    template <PixelRule Rule>
    void Draw(uint8_t* dst, const FetchedPixel& f, const uint8_t* blend) const {
        Rgb s = SplitPixel<D>(f.value);
        if constexpr (Rule.tint == TintRule::Table) {
            s = {ScaleStep(a_.tint[0], s.r), ScaleStep(a_.tint[1], s.g), ScaleStep(a_.tint[2], s.b)};
        }
        int64_t weight = 1;
        if constexpr ((Rule.factors & kFactorW) != 0) weight *= a_.weights[*blend];
        if constexpr ((Rule.factors & kFactorA) != 0) weight *= f.alpha;
        if constexpr ((Rule.factors & kFactorP) != 0) weight *= a_.param;
        StorePixel<D>(dst, CombinePixel<Rule, D>(LoadPixel<D>(dst), f.value, s, weight, a_.rows));
    }

    const ImageArgs& a_;
};

}  // namespace softrender
