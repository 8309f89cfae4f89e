// The mixes of pixel_math.h on SSE2 lanes, and the row loops that use them: several pixels a step for
// the rules the compiler does not vectorise well (its 32-bit multiplies and table steps). Each lane form
// gives the scalar formula's result for every input. A row function handles the pixels it can in whole
// steps and returns how many; the caller draws the rest one by one.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace softrender {

#if defined(__SSE2__)
inline constexpr bool kPixelLanes = true;

// FloorMix of one 8-bit factor on 16-bit lanes: d + floor((t - d) * w / 256) taken as
// floor((t * w + d * (256 - w)) / 256), whose terms never leave 0..65280.
inline __m128i FloorMixLanes(__m128i t, __m128i d, __m128i w) {
    const __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(256), w);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(t, w), _mm_mullo_epi16(d, inverse)), 8);
}

// Lerp6 of a weight a (0..63) on 16-bit lanes of fields up to 63: (a * s + (63 - a) * d) / 63, the
// division by 63 a high product by 8323 over 2^19 (exact below 63 * 64).
inline __m128i Lerp6Lanes(__m128i s, __m128i d, __m128i a) {
    const __m128i sum =
        _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(63), a)));
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(8323)), 3);
}

// Four 32-bit pixels mixed toward four sources with per-channel weights `wLow` (pixels 0 and 1) and
// `wHigh` (pixels 2 and 3) on the 16-bit lanes of their bytes.
inline __m128i FloorMix8888x4(__m128i t, __m128i d, __m128i wLow, __m128i wHigh) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = FloorMixLanes(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(d, zero), wLow);
    const __m128i high = FloorMixLanes(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(d, zero), wHigh);
    return _mm_packus_epi16(low, high);
}

// 32-bit pixels mixed toward the source by one weight (0..255) on bytes 0-2; byte 3 keeps the
// destination's.
inline int32_t FloorMixRow8888(uint8_t* dst, const uint8_t* src, int32_t n, uint32_t weight) {
    const __m128i w = _mm_set_epi16(0, weight, weight, weight, 0, weight, weight, weight);
    int32_t x = 0;
    for (; x + 4 <= n; x += 4, dst += 16, src += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), FloorMix8888x4(t, d, w, w));
    }
    return x;
}

// Which of four 32-bit pixels have byte 3 equal to `value`'s lanes: bits 3, 7, 11 and 15.
inline int HighBytesEqual(__m128i pixels, __m128i value) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(pixels, value)) & 0x8888;
}

// 32-bit pixels mixed toward an alpha source by its own alpha (byte 3) on bytes 0-2; byte 3 keeps the
// destination's. With `opaqueCopies`, a pixel of alpha 255 is the source pixel whole. A sprite's long
// runs of clear pixels (the mix leaves the destination) are skipped four at a time, and its opaque runs
// copied four at a time when they copy.
template <bool opaqueCopies>
int32_t AlphaMixRow8888(uint8_t* dst, const uint8_t* src, int32_t n) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
    int32_t x = 0;
    for (; x + 4 <= n; x += 4, dst += 16, src += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        if (HighBytesEqual(t, zero) == 0x8888) continue;
        if (opaqueCopies && HighBytesEqual(t, ones) == 0x8888) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), t);
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst));
        const __m128i alpha = _mm_srli_epi32(t, 24);
        const __m128i spread =
            _mm_or_si128(alpha, _mm_or_si128(_mm_slli_epi32(alpha, 8), _mm_slli_epi32(alpha, 16)));
        __m128i out = FloorMix8888x4(t, d, _mm_unpacklo_epi8(spread, zero), _mm_unpackhi_epi8(spread, zero));
        if constexpr (opaqueCopies) {
            const __m128i opaque = _mm_cmpeq_epi32(alpha, _mm_set1_epi32(255));
            out = _mm_or_si128(_mm_and_si128(opaque, t), _mm_andnot_si128(opaque, out));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
    return x;
}

// The 565 fields of eight pixels mixed toward the source's by the weights on their lanes.
inline __m128i FloorMix565x8(__m128i s, __m128i d, __m128i w) {
    const __m128i five = _mm_set1_epi16(31), six = _mm_set1_epi16(63);
    const __m128i r = FloorMixLanes(_mm_srli_epi16(s, 11), _mm_srli_epi16(d, 11), w);
    const __m128i g =
        FloorMixLanes(_mm_and_si128(_mm_srli_epi16(s, 5), six), _mm_and_si128(_mm_srli_epi16(d, 5), six), w);
    const __m128i b = FloorMixLanes(_mm_and_si128(s, five), _mm_and_si128(d, five), w);
    return _mm_or_si128(_mm_slli_epi16(r, 11), _mm_or_si128(_mm_slli_epi16(g, 5), b));
}

// 565 pixels mixed toward an alpha source (the 565 colour in bits 0-15 of a 32-bit pixel, the alpha in
// bits 16-23) by its alpha. With `opaqueCopies`, a pixel of alpha 255 is the source colour. Eight clear
// pixels in a row are skipped, and eight opaque ones copied when they copy.
template <bool opaqueCopies>
int32_t AlphaMixRow565(uint8_t* dst, const uint8_t* src, int32_t n) {
    const __m128i byte = _mm_set1_epi32(255);
    int32_t x = 0;
    for (; x + 8 <= n; x += 8, dst += 16, src += 32) {
        const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        const __m128i alpha = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(s0, 16), byte),
                                              _mm_and_si128(_mm_srli_epi32(s1, 16), byte));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(alpha, _mm_setzero_si128())) == 0xFFFF) continue;
        // Sign-extended low halves pack back unchanged.
        const __m128i colour = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(s0, 16), 16),
                                               _mm_srai_epi32(_mm_slli_epi32(s1, 16), 16));
        if (opaqueCopies && _mm_movemask_epi8(_mm_cmpeq_epi16(alpha, _mm_set1_epi16(255))) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), colour);
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst));
        __m128i out = FloorMix565x8(colour, d, alpha);
        if constexpr (opaqueCopies) {
            const __m128i opaque = _mm_cmpeq_epi16(alpha, _mm_set1_epi16(255));
            out = _mm_or_si128(_mm_and_si128(opaque, colour), _mm_andnot_si128(opaque, out));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
    return x;
}

// Source pixels stored whole where they differ from the key: four 32-bit or eight 565 pixels a step,
// a step of key pixels skipped and a step without any copied.
template <int kBytes>
int32_t KeyCopyRow(uint8_t* dst, const uint8_t* src, int32_t n, uint32_t key) {
    static_assert(kBytes == 2 || kBytes == 4);
    constexpr int32_t kStep = 16 / kBytes;
    const __m128i keys =
        kBytes == 4 ? _mm_set1_epi32(static_cast<int32_t>(key)) : _mm_set1_epi16(static_cast<int16_t>(key));
    int32_t x = 0;
    for (; x + kStep <= n; x += kStep, dst += 16, src += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i skip = kBytes == 4 ? _mm_cmpeq_epi32(t, keys) : _mm_cmpeq_epi16(t, keys);
        const int skipped = _mm_movemask_epi8(skip);
        if (skipped == 0xFFFF) continue;
        __m128i out = t;
        if (skipped != 0) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst));
            out = _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, t));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
    return x;
}

// 565 pixels blended toward the source by the 6-bit weight a; with `keyed`, source pixels equal to
// `key` leave the destination as it is.
template <bool keyed>
int32_t Lerp6Row565(uint8_t* dst, const uint8_t* src, int32_t n, int32_t a, uint16_t key) {
    const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(a));
    const __m128i keys = _mm_set1_epi16(static_cast<int16_t>(key));
    const __m128i five = _mm_set1_epi16(31), six = _mm_set1_epi16(63);
    int32_t x = 0;
    for (; x + 8 <= n; x += 8, dst += 16, src += 16) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst));
        const __m128i r = Lerp6Lanes(_mm_srli_epi16(s, 11), _mm_srli_epi16(d, 11), weight);
        const __m128i g = Lerp6Lanes(_mm_and_si128(_mm_srli_epi16(s, 5), six),
                                     _mm_and_si128(_mm_srli_epi16(d, 5), six), weight);
        const __m128i b = Lerp6Lanes(_mm_and_si128(s, five), _mm_and_si128(d, five), weight);
        __m128i out = _mm_or_si128(_mm_slli_epi16(r, 11), _mm_or_si128(_mm_slli_epi16(g, 5), b));
        if constexpr (keyed) {
            const __m128i skip = _mm_cmpeq_epi16(s, keys);
            out = _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, out));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
    return x;
}
#else
inline constexpr bool kPixelLanes = false;

inline int32_t FloorMixRow8888(uint8_t*, const uint8_t*, int32_t, uint32_t) {
    return 0;
}
template <bool opaqueCopies>
int32_t AlphaMixRow8888(uint8_t*, const uint8_t*, int32_t) {
    return 0;
}
template <bool opaqueCopies>
int32_t AlphaMixRow565(uint8_t*, const uint8_t*, int32_t) {
    return 0;
}
template <int kBytes>
int32_t KeyCopyRow(uint8_t*, const uint8_t*, int32_t, uint32_t) {
    return 0;
}
template <bool keyed>
int32_t Lerp6Row565(uint8_t*, const uint8_t*, int32_t, int32_t, uint16_t) {
    return 0;
}
#endif

}  // namespace softrender
