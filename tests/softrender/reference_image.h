// Reference for the image kernels (1:1 and stretched), pixel by pixel through the whole pipeline:
// fetch, transparent test, source alpha, tint by trunc(c * b / 255), blend-image weight, then the
// mode's formula with plain division and per-channel readings of the word operations. Shares no code
// with the kernels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/softrender/mem_img.h"
#include "tests/softrender/reference_renderer.h"

namespace ref {

// Rows, Runs: the 1:1 blit's row loop and run-table path; Span: the triangle and rotation kernels.
enum class Walk { Rows, Runs, Stretch, Span };

struct BlitCall {
    const MEMIMG* source;
    int x, y, transparentFlag;
    const MEMIMG* blend;
    const uint8_t* weights;  // the weight table's 256 entries
    bool fastPath;           // the run-table path is expected to be taken
    bool simd = false;       // the processor's packed-integer flag
};

struct StretchCall {
    const MEMIMG* source;
    int32_t rect[4];
    int transparentFlag;
    const MEMIMG* blend;
    const uint8_t* weights;
    bool fastPath;  // for a same-size draw handed to the 1:1 kernel
    bool simd = false;
};

// What decides a pixel's formula, fixed per call.
struct Leaf {
    int kind;
    Walk walk;
    uint32_t mode;  // 1 at parameter 255 counts as 0
    int p;
    bool palette, alphaSrc, tint, trans, weighted, simd;
    int bright[3];
    uint32_t tv;
};

struct SourcePixel {
    uint32_t raw;     // index, or the raw source pixel
    uint32_t colour;  // the colour in the destination's format (a 32-bit palette entry with its 4th byte)
    int a;            // source alpha (alpha sources)
    int W;            // blend-image weight
};

inline Leaf MakeLeaf(int kind, Walk walk, const State& st, const MEMIMG* source, int flag, bool blend,
                     bool simd) {
    const MemImgBase* sb = source->base;
    Leaf L{};
    L.kind = kind;
    L.walk = walk;
    L.mode = uint32_t(st.mode);
    L.p = st.param;
    if (L.mode == 1 && L.p == 255) L.mode = 0;
    L.palette = sb->hasPalette == 1;
    L.alphaSrc = !L.palette && sb->hasAlpha == 1;
    L.tint = (st.bright & 0xFFFFFF) != 0xFFFFFF;
    L.trans = flag != 0 || walk == Walk::Runs;
    L.weighted = blend;
    L.simd = simd;
    L.bright[0] = int((st.bright >> 16) & 255);
    L.bright[1] = int((st.bright >> 8) & 255);
    L.bright[2] = int(st.bright & 255);
    L.tv = sb->transparentColor;
    return L;
}

inline bool Draws(const Leaf& L) {
    if (!(L.mode <= 4 || L.mode == 10 || L.mode == 11)) return false;
    // Spans subtract a palette source at parameter 0 too (its scaled colour is 0).
    if (L.walk == Walk::Span && L.mode == 3 && L.palette) return true;
    return !((L.mode == 1 || L.mode == 2 || L.mode == 3) && L.p == 0);
}

// Add or subtract at full parameter with the unscaled colour.
inline bool PlainWordLeaf(const Leaf& L) {
    return (L.mode == 2 || L.mode == 3) && (L.walk == Walk::Rows || L.walk == Walk::Stretch) && L.p == 255 &&
           !L.weighted && !L.tint && !L.alphaSrc && !(L.walk == Walk::Stretch && L.mode == 2);
}

// The copy, half-blend, 6-bit lerp and plain add/subtract leaves compare the low 8 (index) or 16
// (565 pixel) bits of the transparent value; the others, and every span, all of it.
inline bool ComparesLowBits(const Leaf& L) {
    const bool copy = L.mode == 0 && !L.weighted && L.walk != Walk::Span;
    const bool paramOnly =
        L.mode == 1 && L.walk == Walk::Rows && !L.weighted && !L.tint && (L.p == 128 || L.kind == 0);
    return copy || paramOnly || PlainWordLeaf(L);
}

inline bool Skipped(const Leaf& L, const SourcePixel& px) {
    if (!L.trans) return false;
    if (L.alphaSrc) {
        // Spans of multiply and multiply-alpha (and of inverted alpha on 32 bits) weight an alpha of 0
        // by 0 instead of skipping it.
        const bool weighsZero = L.mode == 4 || L.mode == 11 || (L.mode == 10 && L.kind == 1);
        return px.a == 0 && !(L.walk == Walk::Span && weighsZero);
    }
    uint32_t tv = L.tv;
    if (L.walk != Walk::Runs && ComparesLowBits(L))
        tv &= L.palette ? 0xFF : (L.kind == 0 ? 0xFFFF : 0xFFFFFFFF);
    return px.raw == tv;
}

inline int TintOf(const Leaf& L, int c, int v) {
    return L.tint ? v * L.bright[c] / 255 : v;
}

inline long Div256n(long long v, int n) {
    return FloorDiv(v, 1LL << (8 * n));
}

// Mixes d toward s by a weight product of n factors.
inline int MixFloor(int d, int s, long long product, int n) {
    return d + int(Div256n((long long)(s - d) * product, n));
}

inline uint32_t PackedSat(uint32_t d, uint32_t s, bool add) {
    uint32_t out = 0;
    for (int i = 0; i < 32; i += 8) {
        const int x = int((d >> i) & 255), y = int((s >> i) & 255);
        out |= uint32_t(add ? std::min(x + y, 255) : std::max(x - y, 0)) << i;
    }
    return out;
}

// The scaled source of an add or subtract leaf, channel by channel.
inline uint32_t ScaledSource(const Leaf& L, const SourcePixel& px, bool aFactor) {
    const Chan c = Unpack(L.kind, px.colour);
    Chan s;
    for (int i = 0; i < 3; ++i) {
        const long long t = TintOf(L, i, c.v[i]);
        long long v;
        if (!L.weighted && !aFactor) {
            v = t * L.p / 255;
        } else if (L.kind == 1) {
            v = t * L.p * (L.weighted ? px.W : 1) * (aFactor ? px.a : 1) >> (8 * (1 + L.weighted + aFactor));
        } else if (!L.weighted) {
            v = TintOf(L, i, c.v[i] * px.a >> 8) * L.p / 255;  // the alpha before the tint
        } else {
            v = (t * px.W * (aFactor ? px.a : 1) >> (8 * (1 + aFactor))) * L.p / 255;
        }
        s.v[i] = int(v);
    }
    return Pack(L.kind, s, 0);
}

// Modes 10 and 11 on one channel.
inline int InverseOrMultiplyAlpha(const Leaf& L, int c, int s, int d, const SourcePixel& px, bool aFactor) {
    const int w = Width(L.kind, c), max = (1 << w) - 1;
    const int T = L.mode == 10 ? TintOf(L, c, max - s) : (TintOf(L, c, s) * d) >> w;
    if (L.kind == 0 && !L.weighted && !aFactor) return d + (T - d) * L.p / 255;
    if (L.kind == 0 && L.mode == 11 && aFactor && !L.weighted && !L.tint && c == 1) {
        const long long g32 = (s * d) >> 1;  // green with five fraction bits
        return d + int(FloorDiv((g32 - 32LL * d) * px.a * L.p, 1LL << 21));
    }
    long long F = L.p;
    int n = 1;
    if (L.weighted) F *= px.W, ++n;
    if (aFactor) F *= px.a, ++n;
    return MixFloor(d, T, F, n);
}

// The new destination pixel for one drawn source pixel (every leaf but the 565 pair form).
inline uint32_t NewPixel(const Leaf& L, const SourcePixel& px, uint32_t d) {
    const int kind = L.kind;
    const bool aFactor = L.alphaSrc && (!L.trans || px.a != 255);
    const Chan s0 = Unpack(kind, px.colour), dc = Unpack(kind, d);
    Chan s = s0;
    for (int c = 0; c < 3; ++c) s.v[c] = TintOf(L, c, s0.v[c]);
    Chan out = dc;
    const int p = L.p;
    switch (L.mode) {
        case 0: {
            const bool ignoresAlpha = !L.tint && !L.trans && (L.walk == Walk::Rows || L.walk == Walk::Runs);
            if (!L.weighted && (!aFactor || ignoresAlpha)) return L.tint ? Pack(kind, s, d) : px.colour;
            long long P = 1;
            int n = 0;
            if (L.weighted) P *= px.W, ++n;
            if (aFactor) P *= px.a, ++n;
            for (int c = 0; c < 3; ++c) out.v[c] = MixFloor(dc.v[c], s.v[c], P, n);
            return Pack(kind, out, d);
        }
        case 1: {
            if (L.weighted || aFactor) {
                long long P = p;
                int n = 1;
                if (L.weighted) P *= px.W, ++n;
                if (aFactor) P *= px.a, ++n;
                for (int c = 0; c < 3; ++c) out.v[c] = MixFloor(dc.v[c], s.v[c], P, n);
                return Pack(kind, out, d);
            }
            const bool plain = L.walk == Walk::Rows && !L.tint && !L.alphaSrc;
            if (plain && p == 128) {
                for (int c = 0; c < 3; ++c) out.v[c] = (s0.v[c] >> 1) + (dc.v[c] >> 1);
                return Pack(kind, out, 0);
            }
            for (int c = 0; c < 3; ++c) {
                if (plain && kind == 0)
                    out.v[c] = ((p >> 2) * s.v[c] + (63 - (p >> 2)) * dc.v[c]) / 63;
                else if (kind == 1)
                    out.v[c] = MixFloor(dc.v[c], s.v[c], p, 1);
                else
                    out.v[c] = dc.v[c] + (s.v[c] - dc.v[c]) * p / 255;
            }
            return Pack(kind, out, d);
        }
        case 2:
        case 3: {
            const bool add = L.mode == 2;
            if (PlainWordLeaf(L)) {
                if (kind == 1 && L.simd) return PackedSat(d, px.colour, add);
                return add ? AddWord(kind, d, px.colour, true) : SubWord(kind, d, px.colour);
            }
            const uint32_t scaled = ScaledSource(L, px, aFactor);
            return add ? AddWord(kind, d, scaled) : SubWord(kind, d, scaled);
        }
        case 4:
            for (int c = 0; c < 3; ++c) {
                unsigned long long prod = (unsigned long long)s.v[c] * dc.v[c];
                int shift = Width(kind, c);
                if (L.weighted) prod *= px.W, shift += 8;
                if (aFactor) prod *= px.a, shift += 8;
                out.v[c] = int(prod >> shift);
            }
            return Pack(kind, out, d);
        default:
            for (int c = 0; c < 3; ++c)
                out.v[c] = InverseOrMultiplyAlpha(L, c, s0.v[c], dc.v[c], px, aFactor);
            return Pack(kind, out, d);
    }
}

// Two neighbouring 565 pixels added (or subtracted) as one word: the left pixel as the coarse add (or
// the masked subtract); the right one's blue works on its upper four bits, with the left red's carry
// (or borrow) in its low bit.
inline std::pair<uint32_t, uint32_t> PairWord(bool add, uint32_t d0, uint32_t d1, uint32_t s0, uint32_t s1) {
    const Chan a = Unpack(0, d0), b = Unpack(0, s0), D = Unpack(0, d1), S = Unpack(0, s1);
    Chan out;
    if (add) {
        const int leftRedCarry = (a.v[0] & 0x1E) + (b.v[0] & 0x1E) > 31;
        const int blue = (D.v[2] & 0x1E) + (S.v[2] & 0x1E);
        int carry = blue > 31;
        out.v[2] = carry ? 31 : blue | leftRedCarry;
        const int green = (D.v[1] & 0x3E) + (S.v[1] & 0x3E);
        out.v[1] = green > 63 ? 62 | carry : green | carry;
        carry = green > 63;
        const int red = (D.v[0] & 0x1E) + (S.v[0] & 0x1E);
        out.v[0] = red > 31 ? 31 : red | carry;
        return {AddWord(0, d0, s0, true), Pack(0, out, 0)};
    }
    // The left pixel's borrows: blue exact, green and red on their guard bits.
    int borrow = a.v[2] < b.v[2];
    borrow = (a.v[1] | 1) - (b.v[1] & 0x3E) - borrow < 0;
    const int leftRedBorrow = (a.v[0] | 1) - (b.v[0] & 0x1E) - borrow < 0;
    const int blue = (D.v[2] | 1) - (S.v[2] & 0x1E) - leftRedBorrow;
    borrow = blue < 0;
    out.v[2] = blue < 0 ? 0 : blue;
    const int green = (D.v[1] | 1) - (S.v[1] & 0x3E) - borrow;
    borrow = green < 0;
    out.v[1] = green < 0 ? 0 : green & 0x3E;
    const int red = (D.v[0] | 1) - (S.v[0] & 0x1E) - borrow;
    out.v[0] = red < 0 ? 0 : red;
    return {SubWord(0, d0, s0), Pack(0, out, 0)};
}

inline SourcePixel FetchPixel(const Leaf& L, const MEMIMG* source, const MEMIMG* blend,
                              const uint8_t* weights, long i, long j) {
    const MemImgBase* sb = source->base;
    SourcePixel px{};
    std::memcpy(&px.raw, source->pixels + j * sb->pitch + i * sb->pixelBytes, sb->pixelBytes);
    if (L.palette) {
        std::memcpy(&px.colour, sb->palette + px.raw * (L.kind == 1 ? 4 : 2), L.kind == 1 ? 4 : 2);
    } else {
        px.colour = L.kind == 0 ? px.raw & 0xFFFF : px.raw;
    }
    px.a = L.alphaSrc ? int(L.kind == 1 ? px.raw >> 24 : (px.raw >> 16) & 255) : 255;
    px.W = blend ? weights[blend->pixels[j * blend->base->pitch + i]] : 255;
    return px;
}

inline void DrawImage(Canvas& cv, const State& st, const BlitCall& call) {
    const Leaf L = MakeLeaf(cv.kind, call.fastPath ? Walk::Runs : Walk::Rows, st, call.source,
                            call.transparentFlag, call.blend != nullptr, call.simd);
    if (!Draws(L)) return;
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    l = std::max<long>(l, call.x), t = std::max<long>(t, call.y);
    r = std::min<long>(r, long(call.x) + call.source->width),
    b = std::min<long>(b, long(call.y) + call.source->height);
    const bool pairs = L.kind == 0 && L.walk == Walk::Rows && PlainWordLeaf(L);
    for (long dy = t; dy < b; ++dy) {
        for (long dx = l; dx < r; ++dx) {
            auto fetch = [&](long x) {
                return FetchPixel(L, call.source, call.blend, call.weights, x - call.x, dy - call.y);
            };
            const SourcePixel px = fetch(dx);
            if (pairs && dx + 1 < r) {
                // Pairs from the row's first drawn pixel; both drawn: one word, else the drawn one alone.
                const SourcePixel next = fetch(dx + 1);
                const bool skip0 = Skipped(L, px), skip1 = Skipped(L, next);
                if (!skip0 && !skip1) {
                    const auto [n0, n1] =
                        PairWord(L.mode == 2, cv.Get(dx, dy), cv.Get(dx + 1, dy), px.colour, next.colour);
                    cv.Set(dx, dy, n0);
                    cv.Set(dx + 1, dy, n1);
                } else if (!skip0) {
                    cv.Set(dx, dy, NewPixel(L, px, cv.Get(dx, dy)));
                } else if (!skip1) {
                    cv.Set(dx + 1, dy, NewPixel(L, next, cv.Get(dx + 1, dy)));
                }
                ++dx;
                continue;
            }
            if (!Skipped(L, px)) cv.Set(dx, dy, NewPixel(L, px, cv.Get(dx, dy)));
        }
    }
}

// The source column (or row) under the centre of destination offset k from the rectangle's unclipped
// start; a centre on an edge takes the source pixel with the greater index.
inline long StretchSample(long k, long side, long size, bool mirrored) {
    const long long step = ((long long)side << 16) / size;
    const long long centre = (2 * (long long)k + 1) * 32768;
    return mirrored ? size - 1 - long((centre - 1) / step) : long(centre / step);
}

inline void DrawImageStretched(Canvas& cv, const State& st, const StretchCall& call) {
    long x1 = call.rect[0], y1 = call.rect[1], x2 = call.rect[2], y2 = call.rect[3];
    const bool mirrorX = x1 > x2, mirrorY = y1 > y2;
    if (mirrorX) std::swap(x1, x2);
    if (mirrorY) std::swap(y1, y2);
    const long w = x2 - x1, h = y2 - y1;
    const MEMIMG* src = call.source;
    if (w == 0 || h == 0) return;
    if (w == src->width && h == src->height && !mirrorX && !mirrorY) {
        DrawImage(cv, st,
                  {src, int(x1), int(y1), call.transparentFlag, call.blend, call.weights, call.fastPath,
                   call.simd});
        return;
    }
    if (w >= 65536 || h >= 65536) return;
    const Leaf L =
        MakeLeaf(cv.kind, Walk::Stretch, st, src, call.transparentFlag, call.blend != nullptr, call.simd);
    if (!Draws(L)) return;
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    for (long y = std::max(t, y1); y < std::min(b, y2); ++y) {
        const long j = StretchSample(y - y1, h, src->height, mirrorY);
        for (long x = std::max(l, x1); x < std::min(r, x2); ++x) {
            const long i = StretchSample(x - x1, w, src->width, mirrorX);
            const SourcePixel px = FetchPixel(L, src, call.blend, call.weights, i, j);
            if (!Skipped(L, px)) cv.Set(x, y, NewPixel(L, px, cv.Get(x, y)));
        }
    }
}

}  // namespace ref
