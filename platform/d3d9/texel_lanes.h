// The R5G6B5 write of 8-bit channels on SSE2 lanes, for the fast path's rows of consecutive texels: the
// quantisation of pixel_format.h, (v * max + 127) / 255, with the division by 255 as
// (x + 1 + (x >> 8)) >> 8, exact for the sums it meets (below 2^14).
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace d3d9 {

#if defined(__SSE2__)

// Div255 of sums below 65535 on 16-bit lanes: (x + 1 + (x >> 8)) >> 8.
inline __m128i Div255Lanes(__m128i x) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
}

// The 8-bit reading of n-bit fields (Expand5, Expand6): (v * 255 + max / 2) / max, the division a high
// product (by 33826 over 2^20 for 31, by 16645 over 2^20 for 63).
inline __m128i ExpandLanes(__m128i v, int max) {
    const __m128i x =
        _mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(255)), _mm_set1_epi16(int16_t(max / 2)));
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(int16_t(max == 31 ? 33826 : 16645))), 4);
}

inline __m128i QuantizeLanes(__m128i v, int max) {
    return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(int16_t(max))), _mm_set1_epi16(127)));
}

// Eight A8R8G8B8 texels (two vectors of four) as R5G6B5 pixels, and their alphas on 16-bit lanes.
inline __m128i Texels565(__m128i low, __m128i high, __m128i* alpha) {
    const __m128i byte = _mm_set1_epi32(255);
    auto channel = [&](int shift) {
        return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(low, shift), byte),
                               _mm_and_si128(_mm_srli_epi32(high, shift), byte));
    };
    *alpha = _mm_packs_epi32(_mm_srli_epi32(low, 24), _mm_srli_epi32(high, 24));
    const __m128i r = QuantizeLanes(channel(16), 31), g = QuantizeLanes(channel(8), 63),
                  b = QuantizeLanes(channel(0), 31);
    return _mm_or_si128(_mm_slli_epi16(r, 11), _mm_or_si128(_mm_slli_epi16(g, 5), b));
}

// Consecutive A8R8G8B8 texels written to an R5G6B5 row where their alpha lies in [alphaLo, alphaHi];
// returns how many pixels were handled: all of a row of at least 8, whose last step overlaps the one
// before it (a pixel written again gets the same value), else none.
inline int WriteTexels565(const uint8_t* texels, int n, int alphaLo, int alphaHi, uint8_t* dst) {
    if (n < 8) return 0;
    const __m128i below = _mm_set1_epi16(int16_t(alphaLo - 1)), above = _mm_set1_epi16(int16_t(alphaHi + 1));
    auto step = [&](int at) {
        __m128i alpha;
        const __m128i out =
            Texels565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at * 4)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at * 4 + 16)), &alpha);
        const __m128i pass = _mm_and_si128(_mm_cmpgt_epi16(alpha, below), _mm_cmplt_epi16(alpha, above));
        __m128i* to = reinterpret_cast<__m128i*>(dst + at * 2);
        const __m128i d = _mm_loadu_si128(to);
        _mm_storeu_si128(to, _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, d)));
    };
    for (int i = 0; i + 8 < n; i += 8) step(i);
    step(n - 8);
    return n;
}

// What the alphas of a group of texels let a blend skip: alphas all 0 leave every pixel as the blend
// reads it, and alphas all 255 under a full alpha scale make the blend a store. `any` is the group's
// texels or-ed together, `all` and-ed together.
enum class TexelAlphas { kMixed, kClear, kOpaque };

inline TexelAlphas AlphasOf(__m128i any, __m128i all) {
    const __m128i set = _mm_set1_epi32(int32_t(0xFF000000u));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, set), _mm_setzero_si128())) == 0xFFFF)
        return TexelAlphas::kClear;
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, set), set)) == 0xFFFF)
        return TexelAlphas::kOpaque;
    return TexelAlphas::kMixed;
}

// Consecutive A8R8G8B8 texels blended onto an R5G6B5 row by their alpha times alphaScale / 255 (alpha
// blending: Div255(s * a + d * (255 - a)) on each channel read at 8 bits), where that alpha lies in
// [alphaLo, alphaHi]; returns how many pixels were handled (a multiple of 8).
inline int BlendTexels565(const uint8_t* texels, int n, int alphaScale, int alphaLo, int alphaHi,
                          uint8_t* dst) {
    const __m128i below = _mm_set1_epi16(int16_t(alphaLo - 1)), above = _mm_set1_epi16(int16_t(alphaHi + 1));
    const __m128i byte = _mm_set1_epi32(255), full = _mm_set1_epi16(255);
    const __m128i five = _mm_set1_epi16(31), six = _mm_set1_epi16(63);
    // Alpha 0 blends each channel back to itself; alpha 255 (passed only when alphaHi is 255) stores.
    const bool stores = alphaScale == 255 && alphaHi == 255;
    auto step = [&](int at) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at * 4));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at * 4 + 16));
        const TexelAlphas alphas = AlphasOf(_mm_or_si128(low, high), _mm_and_si128(low, high));
        if (alphas == TexelAlphas::kClear || (alphas == TexelAlphas::kOpaque && alphaScale == 255)) {
            __m128i unused;
            if (alphas == TexelAlphas::kOpaque && stores)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + at * 2), Texels565(low, high, &unused));
            return;
        }
        auto channel = [&](int shift) {
            return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(low, shift), byte),
                                   _mm_and_si128(_mm_srli_epi32(high, shift), byte));
        };
        const __m128i a = Div255Lanes(_mm_mullo_epi16(channel(24), _mm_set1_epi16(int16_t(alphaScale))));
        const __m128i keep = _mm_sub_epi16(full, a);
        __m128i* to = reinterpret_cast<__m128i*>(dst + at * 2);
        const __m128i d = _mm_loadu_si128(to);
        auto blend = [&](__m128i s, __m128i t) {
            return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(t, keep)));
        };
        const __m128i r = blend(channel(16), ExpandLanes(_mm_srli_epi16(d, 11), 31));
        const __m128i g = blend(channel(8), ExpandLanes(_mm_and_si128(_mm_srli_epi16(d, 5), six), 63));
        const __m128i b = blend(channel(0), ExpandLanes(_mm_and_si128(d, five), 31));
        const __m128i out =
            _mm_or_si128(_mm_slli_epi16(QuantizeLanes(r, 31), 11),
                         _mm_or_si128(_mm_slli_epi16(QuantizeLanes(g, 63), 5), QuantizeLanes(b, 31)));
        const __m128i pass = _mm_and_si128(_mm_cmpgt_epi16(a, below), _mm_cmplt_epi16(a, above));
        _mm_storeu_si128(to, _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, d)));
    };
    // Blending twice is not blending once: no step overlaps another.
    int i = 0;
    for (; i + 8 <= n; i += 8) step(i);
    return i;
}

// Four texels stored as X8R8G8B8 pixels at `to` where their alpha (255 when `opaque`) lies in the range
// (below, above).
inline void StoreTexels8888(__m128i t, bool opaque, __m128i below, __m128i above, uint8_t* to) {
    const __m128i set = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i alpha = opaque ? _mm_set1_epi32(255) : _mm_srli_epi32(t, 24);
    const __m128i pass = _mm_and_si128(_mm_cmpgt_epi32(alpha, below), _mm_cmplt_epi32(alpha, above));
    __m128i* at = reinterpret_cast<__m128i*>(to);
    const __m128i d = _mm_loadu_si128(at);
    _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(pass, _mm_or_si128(t, set)), _mm_andnot_si128(pass, d)));
}

// Consecutive A8R8G8B8 (or, with `opaque`, X8R8G8B8: alpha 255) texels written to an X8R8G8B8 row,
// where their alpha lies in [alphaLo, alphaHi]; handles all of a row of at least 4 as WriteTexels565
// does, else none.
inline int WriteTexels8888(const uint8_t* texels, int n, bool opaque, int alphaLo, int alphaHi,
                           uint8_t* dst) {
    if (n < 4) return 0;
    const __m128i below = _mm_set1_epi32(alphaLo - 1), above = _mm_set1_epi32(alphaHi + 1);
    auto step = [&](int at) {
        StoreTexels8888(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at * 4)), opaque, below,
                        above, dst + at * 4);
    };
    for (int i = 0; i + 4 < n; i += 4) step(i);
    step(n - 4);
    return n;
}

// As WriteTexels8888 with each texel on two pixels in a row (a quad stretched to twice the width);
// returns how many pixels were handled (a multiple of 8).
inline int WriteDoubledTexels8888(const uint8_t* texels, int n, bool opaque, int alphaLo, int alphaHi,
                                  uint8_t* dst) {
    const __m128i below = _mm_set1_epi32(alphaLo - 1), above = _mm_set1_epi32(alphaHi + 1);
    int i = 0;
    for (; i + 8 <= n; i += 8, texels += 16, dst += 32) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels));
        StoreTexels8888(_mm_unpacklo_epi32(t, t), opaque, below, above, dst);
        StoreTexels8888(_mm_unpackhi_epi32(t, t), opaque, below, above, dst + 16);
    }
    return i;
}

// Consecutive A8R8G8B8 texels alpha-blended onto an X8R8G8B8 row as BlendTexels565 does; returns how
// many pixels were handled (a multiple of 4).
inline int BlendTexels8888(const uint8_t* texels, int n, int alphaScale, int alphaLo, int alphaHi,
                           uint8_t* dst) {
    const __m128i below = _mm_set1_epi16(int16_t(alphaLo - 1)), above = _mm_set1_epi16(int16_t(alphaHi + 1));
    const __m128i full = _mm_set1_epi16(255), scale = _mm_set1_epi16(int16_t(alphaScale));
    const __m128i zero = _mm_setzero_si128(), set = _mm_set1_epi32(int32_t(0xFF000000u));
    // Two pixels on the 16-bit lanes of their channels, and the pass mask of their alphas.
    auto pair = [&](__m128i t, __m128i d, __m128i* pass) {
        const __m128i a =
            Div255Lanes(_mm_mullo_epi16(_mm_shufflehi_epi16(_mm_shufflelo_epi16(t, 0xFF), 0xFF), scale));
        *pass = _mm_and_si128(_mm_cmpgt_epi16(a, below), _mm_cmplt_epi16(a, above));
        return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(t, a), _mm_mullo_epi16(d, _mm_sub_epi16(full, a))));
    };
    // Alpha 0, where it passes, gives each pixel back with its X byte set; alpha 255 as in BlendTexels565.
    const bool stores = alphaScale == 255 && alphaHi == 255, clears = alphaLo == 0;
    int i = 0;
    for (; i + 4 <= n; i += 4, texels += 16, dst += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        const TexelAlphas alphas = AlphasOf(t, t);
        if (alphas == TexelAlphas::kClear || (alphas == TexelAlphas::kOpaque && alphaScale == 255)) {
            if (alphas == TexelAlphas::kClear ? clears : stores)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                                 _mm_or_si128(alphas == TexelAlphas::kClear ? d : t, set));
            continue;
        }
        __m128i passLow, passHigh;
        const __m128i low = pair(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(d, zero), &passLow);
        const __m128i high = pair(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(d, zero), &passHigh);
        const __m128i out = _mm_or_si128(_mm_packus_epi16(low, high), set);
        const __m128i pass = _mm_packs_epi16(passLow, passHigh);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, d)));
    }
    return i;
}

// An X8R8G8B8 row alpha-blended with one colour (BlendTexels8888's rule for a row of texels of that
// colour whose alpha passes): the colour's products are made once. Returns how many pixels were handled
// (a multiple of 4).
inline int BlendColor8888(uint32_t argb, int n, uint8_t* dst) {
    const __m128i zero = _mm_setzero_si128(), set = _mm_set1_epi32(int32_t(0xFF000000u));
    const int a = int(argb >> 24);
    const __m128i products =
        _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(int32_t(argb)), zero), _mm_set1_epi16(int16_t(a)));
    const __m128i keep = _mm_set1_epi16(int16_t(255 - a));
    auto blend = [&](__m128i d) { return Div255Lanes(_mm_add_epi16(products, _mm_mullo_epi16(d, keep))); };
    int i = 0;
    for (; i + 4 <= n; i += 4, dst += 16) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        const __m128i out =
            _mm_packus_epi16(blend(_mm_unpacklo_epi8(d, zero)), blend(_mm_unpackhi_epi8(d, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(out, set));
    }
    return i;
}

#else

inline int WriteTexels8888(const uint8_t*, int, bool, int, int, uint8_t*) {
    return 0;
}
inline int WriteDoubledTexels8888(const uint8_t*, int, bool, int, int, uint8_t*) {
    return 0;
}
inline int BlendTexels8888(const uint8_t*, int, int, int, int, uint8_t*) {
    return 0;
}
inline int BlendColor8888(uint32_t, int, uint8_t*) {
    return 0;
}
inline int BlendTexels565(const uint8_t*, int, int, int, int, uint8_t*) {
    return 0;
}

inline int WriteTexels565(const uint8_t*, int, int, int, uint8_t*) {
    return 0;
}

#endif

}  // namespace d3d9
