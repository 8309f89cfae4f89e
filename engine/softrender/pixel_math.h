// Pixel arithmetic of the software kernels: channel splitting and packing, the mixes, table steps,
// tints and the masked word operations. Each formula is defined once here; the per-pixel operations
// combine them and the walkers never compute a pixel themselves.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace softrender {

// Destination depth; the values are the MemImgKind numbers of the two colour kinds.
enum class Depth : uint8_t { Rgb565 = 0, Xrgb8888 = 1 };

struct Rgb {
    int32_t r, g, b;
};

// ---- pixel access (memcpy: rows and views need not be aligned) ----

template <class T>
inline T LoadAs(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
inline void StoreAs(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

template <Depth D>
struct DepthTraits;

template <>
struct DepthTraits<Depth::Rgb565> {
    using Pixel = uint16_t;
    static constexpr int kBytes = 2;
    static constexpr Rgb kBits{5, 6, 5};
};

template <>
struct DepthTraits<Depth::Xrgb8888> {
    using Pixel = uint32_t;
    static constexpr int kBytes = 4;
    static constexpr Rgb kBits{8, 8, 8};
};

template <Depth D>
inline uint32_t LoadPixel(const uint8_t* p) {
    return LoadAs<typename DepthTraits<D>::Pixel>(p);
}
template <Depth D>
inline void StorePixel(uint8_t* p, uint32_t v) {
    StoreAs<typename DepthTraits<D>::Pixel>(p, static_cast<typename DepthTraits<D>::Pixel>(v));
}

// ---- 565 and 8888 packing ----

constexpr Rgb Split565(uint32_t p) {
    return {static_cast<int32_t>((p >> 11) & 31), static_cast<int32_t>((p >> 5) & 63),
            static_cast<int32_t>(p & 31)};
}
constexpr uint32_t Pack565(Rgb c) {
    return (static_cast<uint32_t>(c.r) << 11) | (static_cast<uint32_t>(c.g) << 5) |
           static_cast<uint32_t>(c.b);
}
constexpr Rgb Split8888(uint32_t p) {
    return {static_cast<int32_t>((p >> 16) & 255), static_cast<int32_t>((p >> 8) & 255),
            static_cast<int32_t>(p & 255)};
}
// Bytes 0-2 from the channels, byte 3 from `keep`.
constexpr uint32_t Pack8888(Rgb c, uint32_t keep) {
    return (keep & 0xFF000000u) | (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) |
           static_cast<uint32_t>(c.b);
}

template <Depth D>
constexpr Rgb SplitPixel(uint32_t p) {
    if constexpr (D == Depth::Rgb565) {
        return Split565(p);
    } else {
        return Split8888(p);
    }
}
// Repacks channels; a 32-bit pixel keeps byte 3 of `keep`.
template <Depth D>
constexpr uint32_t PackPixel(Rgb c, uint32_t keep) {
    if constexpr (D == Depth::Rgb565) {
        return Pack565(c);
    } else {
        return Pack8888(c, keep);
    }
}

// Applies f(x, y, bits) to each channel pair.
template <Depth D, class F>
constexpr Rgb PerChannel(Rgb x, Rgb y, F f) {
    constexpr Rgb bits = DepthTraits<D>::kBits;
    return {f(x.r, y.r, bits.r), f(x.g, y.g, bits.g), f(x.b, y.b, bits.b)};
}

// ---- channel formulas ----

// Tint of a colour channel applied once per call: (c * t) >> 8.
constexpr int32_t TintShift8(int32_t c, uint32_t t) {
    return static_cast<int32_t>((static_cast<uint32_t>(c) * t) >> 8);
}
// A ScaleTable step: trunc(v * row / 255) through the row.
constexpr int32_t ScaleStep(const int32_t* row, int32_t v) {
    return row[v];
}
// d moved toward t by trunc((t - d) * p / 255), through the centre of a DiffScaleTable row.
constexpr int32_t DiffScaleMix(int32_t d, int32_t t, const int32_t* centre) {
    return d + centre[t - d];
}
// d moved toward t by floor((t - d) * product / 2^shift), exact in the product's type P: 32 bits hold
// a product of up to two 8-bit factors (and loops of it vectorise), three need 64.
template <class P = int64_t>
constexpr int32_t FloorMix(int32_t d, int32_t t, std::type_identity_t<P> product, int shift) {
    return d + static_cast<int32_t>((static_cast<P>(t - d) * product) >> shift);
}
// d moved toward a target kept with five fraction bits (fine = target * 32): floor over 2^(shift + 5).
constexpr int32_t FineFloorMix(int32_t d, int32_t fine, int64_t product, int shift) {
    return d + static_cast<int32_t>((static_cast<int64_t>(fine - d * 32) * product) >> (shift + 5));
}
// A product of channel values and weights scaled down by a shift (multiply mode).
constexpr int32_t ShiftedProduct(uint32_t product, int shift) {
    return static_cast<int32_t>(product >> shift);
}
constexpr int32_t Complement(int32_t c, int bits) {
    return ((1 << bits) - 1) - c;
}
// The 6-bit blend of two fields through the Lerp6Table plane of one weight.
constexpr int32_t Lerp6Step(const uint8_t* plane, int32_t s, int32_t d) {
    return plane[s * 64 + d];
}

// Tint of a whole pixel value once per call: each channel (c * bright) >> 8; byte 3 of a 32-bit colour kept.
template <Depth D>
constexpr uint32_t TintColourShift8(uint32_t colour, uint32_t bright) {
    const Rgb t = Split8888(bright);
    const Rgb c =
        PerChannel<D>(SplitPixel<D>(colour), t, [](int32_t v, int32_t b, int) { return TintShift8(v, b); });
    return PackPixel<D>(c, colour);
}

// Tint of a whole pixel value once per call through the ScaleTable rows of the draw bright's R, G and
// B; byte 3 of a 32-bit colour kept.
template <Depth D>
constexpr uint32_t TintColourRows(uint32_t colour, const int32_t* const rows[3]) {
    const Rgb c = SplitPixel<D>(colour);
    return PackPixel<D>({ScaleStep(rows[0], c.r), ScaleStep(rows[1], c.g), ScaleStep(rows[2], c.b)}, colour);
}

// ---- whole-word operations ----

constexpr uint32_t HalfBlend8888(uint32_t s, uint32_t d) {
    return ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
}
constexpr uint32_t HalfBlend565(uint32_t s, uint32_t d) {
    return ((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF);
}

constexpr uint32_t MaskedAdd8888Coarse(uint32_t d, uint32_t s) {
    const uint32_t sum = (d & 0x00FEFEFF) + (s & 0x00FEFEFF);
    const uint32_t carries = sum & 0x01010100;
    return sum | (carries - (carries >> 8));
}
constexpr uint32_t MaskedAdd8888(uint32_t d, uint32_t s) {
    return MaskedAdd8888Coarse(d, s) | ((d | s) & 0x00010100);
}
constexpr uint32_t MaskedSub8888(uint32_t d, uint32_t s) {
    const uint32_t diff = (d | 0x01010100) - (s & 0xFEFEFEFF);
    const uint32_t guards = diff & 0x01010100;
    return diff & (guards - (guards >> 8));
}
constexpr uint32_t PackedAddSat(uint32_t d, uint32_t s) {
    uint32_t out = 0;
    for (int i = 0; i < 32; i += 8) {
        const uint32_t v = ((d >> i) & 255) + ((s >> i) & 255);
        out |= (v > 255 ? 255 : v) << i;
    }
    return out;
}
constexpr uint32_t PackedSubSat(uint32_t d, uint32_t s) {
    uint32_t out = 0;
    for (int i = 0; i < 32; i += 8) {
        const uint32_t x = (d >> i) & 255, y = (s >> i) & 255;
        out |= (x > y ? x - y : 0) << i;
    }
    return out;
}

constexpr uint32_t MaskedAdd565Coarse(uint32_t d, uint32_t s) {
    const uint32_t sum = (d & 0xF7DEF7DF) + (s & 0xF7DEF7DF);
    const uint32_t carries = sum & 0x08210820;
    return (sum | (carries - (carries >> 5))) & 0xFFFF;
}
constexpr uint32_t MaskedAdd565(uint32_t d, uint32_t s) {
    return MaskedAdd565Coarse(d, s) | ((d | s) & 0x0820);
}
constexpr uint32_t MaskedSub565(uint32_t d, uint32_t s) {
    const uint32_t diff = (d | 0x08210820) - (s & 0xF7DEF7DF);
    const uint32_t guards = diff & 0x08210820;
    return diff & (guards - (guards >> 5)) & 0xFFFF;
}
// Two neighbouring 565 pixels in one word, the left one in bits 0-15.
constexpr uint32_t MaskedAdd565Pair(uint32_t d, uint32_t s) {
    const uint64_t wide = static_cast<uint64_t>(d & 0xF7DEF7DF) + (s & 0xF7DEF7DF);
    const uint32_t sum = static_cast<uint32_t>(wide);
    const uint32_t carryOut = static_cast<uint32_t>(wide >> 32);
    const uint32_t carries = sum & 0x08210820;
    return sum | (carries - ((carries >> 5) | (carryOut << 27)));
}
constexpr uint32_t MaskedSub565Pair(uint32_t d, uint32_t s) {
    const uint32_t lhs = d | 0x08210820, rhs = s & 0xF7DEF7DF;
    const uint32_t diff = lhs - rhs;
    const uint32_t guards = diff & 0x08210820;
    return diff & ((guards - (guards >> 5)) | (lhs >= rhs ? 0xF8000000u : 0u));
}

}  // namespace softrender
