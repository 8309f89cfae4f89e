// Per-pixel operations: templates over a PixelRule and a destination depth that combine a prepared
// source with one destination pixel. The walkers call these and hold no blend logic of their own.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/softrender/pixel_math.h"
#include "engine/softrender/pixel_rules.h"

namespace softrender {

// Table rows of the blend parameter, fixed once per call.
struct BlendRows {
    const int32_t* scaleRow = nullptr;    // ScaleTable[p]
    const int32_t* diffCentre = nullptr;  // &DiffScaleTable[p][255]
    const uint8_t* lerpPlane = nullptr;   // Lerp6Table[p >> 2]
};

constexpr int FactorCount(uint8_t factors) {
    return std::popcount(static_cast<unsigned>(factors));
}

template <PixelRule R, Depth D>
constexpr uint32_t ApplyWordOp(uint32_t d, uint32_t s) {
    constexpr bool wide = D == Depth::Xrgb8888;
    if constexpr (R.word == WordOp::MaskedAdd) {
        return wide ? MaskedAdd8888(d, s) : MaskedAdd565(d, s);
    } else if constexpr (R.word == WordOp::MaskedAddCoarse) {
        return wide ? MaskedAdd8888Coarse(d, s) : MaskedAdd565Coarse(d, s);
    } else if constexpr (R.word == WordOp::MaskedSub) {
        return wide ? MaskedSub8888(d, s) : MaskedSub565(d, s);
    } else if constexpr (R.word == WordOp::PackedAddSat) {
        return PackedAddSat(d, s);
    } else if constexpr (R.word == WordOp::PackedSubSat) {
        return PackedSubSat(d, s);
    } else if constexpr (R.word == WordOp::PairAdd) {
        return MaskedAdd565Pair(d, s);
    } else {
        static_assert(R.word == WordOp::PairSub);
        return MaskedSub565Pair(d, s);
    }
}

// The new destination pixel for destination `dst` and a prepared source: `src` is the whole source
// value (or the scaled source word of a word operation), `s` its channels, `weight` the product of
// the rule's factors.
template <PixelRule R, Depth D>
constexpr uint32_t CombinePixel(uint32_t dst, uint32_t src, Rgb s, int64_t weight, const BlendRows& rows) {
    constexpr int weightShift = 8 * FactorCount(R.factors);
    if constexpr (R.combine == Combine::StoreWhole) {
        return src;
    } else if constexpr (R.combine == Combine::Word) {
        return ApplyWordOp<R, D>(dst, src);
    } else if constexpr (R.combine == Combine::HalfBlend) {
        return D == Depth::Xrgb8888 ? HalfBlend8888(src, dst) : HalfBlend565(src, dst);
    } else {
        const Rgb d = SplitPixel<D>(dst);
        const Rgb t = PerChannel<D>(s, d, [weight](int32_t sc, int32_t dc, int bits) {
            if constexpr (R.target == Target::Complement) {
                return Complement(sc, bits);
            } else if constexpr (R.target == Target::ProductFineGreen) {
                const uint32_t product = static_cast<uint32_t>(sc) * static_cast<uint32_t>(dc);
                return ShiftedProduct(product, bits == 6 ? 1 : bits);
            } else if constexpr (R.target == Target::Product) {
                const uint64_t product = static_cast<uint64_t>(sc) * static_cast<uint32_t>(dc);
                if constexpr (R.combine == Combine::Store) {
                    return ShiftedProduct(static_cast<uint32_t>(product * static_cast<uint64_t>(weight)),
                                          bits + weightShift);
                } else {
                    return ShiftedProduct(static_cast<uint32_t>(product), bits);
                }
            } else {
                return sc;
            }
        });
        const Rgb out =
            PerChannel<D>(t, d, [weight, &rows](int32_t tc, int32_t dc, [[maybe_unused]] int bits) {
                if constexpr (R.combine == Combine::Store) {
                    return tc;
                } else if constexpr (R.combine == Combine::FloorMix) {
                    if constexpr (R.target == Target::ProductFineGreen) {
                        if (bits == 6) return FineFloorMix(dc, tc, weight, weightShift);
                    }
                    using Weight = std::conditional_t<(FactorCount(R.factors) <= 2), int32_t, int64_t>;
                    return FloorMix<Weight>(dc, tc, static_cast<Weight>(weight), weightShift);
                } else if constexpr (R.combine == Combine::DiffMix) {
                    return DiffScaleMix(dc, tc, rows.diffCentre);
                } else {
                    static_assert(R.combine == Combine::Lerp6);
                    return Lerp6Step(rows.lerpPlane, tc, dc);
                }
            });
        return PackPixel<D>(out, dst);
    }
}

// Prepared values of a colour-walker call.
struct ColourArgs {
    uint32_t colour = 0;  // tinted colour in the destination's pixel format
    int32_t param = 0;
    BlendRows rows;
};

// One colour combined with each pixel the walker hands over.
template <PixelRule R, Depth D>
class ColourOp {
  public:
    explicit ColourOp(const ColourArgs& args) : rows_(args.rows), weight_(args.param) {
        static_assert(R.combine != Combine::Nothing);
        src_ = args.colour;
        s_ = SplitPixel<D>(args.colour);
        if constexpr (R.scale == SourceScale::ParamTable) {
            const Rgb scaled{ScaleStep(rows_.scaleRow, s_.r), ScaleStep(rows_.scaleRow, s_.g),
                             ScaleStep(rows_.scaleRow, s_.b)};
            src_ = PackPixel<D>(scaled, 0);
        }
        if constexpr ((R.factors & kFactorP) == 0) weight_ = 1;
    }

    void operator()(uint8_t* px) const {
        StorePixel<D>(px, CombinePixel<R, D>(LoadPixel<D>(px), src_, s_, weight_, rows_));
    }

    // A run of n pixels from `row`; stores of one value fill the run directly.
    void Span(uint8_t* row, int n) const {
        if constexpr (R.combine == Combine::StoreWhole) {
            using Pixel = typename DepthTraits<D>::Pixel;
            const Pixel value = static_cast<Pixel>(src_);
            for (int i = 0; i < n; ++i) StoreAs<Pixel>(row + i * sizeof(Pixel), value);
        } else {
            for (int i = 0; i < n; ++i) (*this)(row + i * DepthTraits<D>::kBytes);
        }
    }

  private:
    BlendRows rows_;
    int64_t weight_;
    uint32_t src_ = 0;
    Rgb s_{};
};

}  // namespace softrender
