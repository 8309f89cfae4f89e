// Reference for the 1:1 image blit, pixel by pixel from the documented pipeline: fetch, transparent
// test, source alpha, tint by trunc(c * b / 255), blend-image weight, then the mode's formula with
// plain division. Shares no code with the kernels.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/softrender/mem_img.h"
#include "tests/softrender/reference_renderer.h"

namespace ref {

struct ImageSource {
    const MEMIMG* img;
    uint32_t Raw(long x, long y) const {
        const MemImgBase* b = img->base;
        uint32_t v = 0;
        std::memcpy(&v, img->pixels + y * b->pitch + x * b->pixelBytes, b->pixelBytes);
        return v;
    }
};

struct BlitCall {
    const MEMIMG* source;
    int x, y, transparentFlag;
    const MEMIMG* blend;
    const uint8_t* weights;  // the weight table's 256 entries
    bool fastPath;           // the run-table path is expected to be taken
};

inline long Div256n(long long v, int n) {
    return FloorDiv(v, 1LL << (8 * n));
}

// Mixes d toward s by a weight product of n factors.
inline int MixFloor(int d, int s, long long product, int n) {
    return d + int(Div256n((long long)(s - d) * product, n));
}

inline void DrawImage(Canvas& cv, const State& st, const BlitCall& call) {
    const MemImgBase* sb = call.source->base;
    const int kind = cv.kind;
    uint32_t m = uint32_t(st.mode);
    const int p = st.param;
    if (m == 1 && p == 255) m = 0;
    if (!(m == 0 || m == 1 || m == 4)) return;  // the modes this reference covers
    if (m == 1 && p == 0) return;
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    const bool palette = sb->hasPalette == 1, alphaSrc = !palette && sb->hasAlpha == 1;
    const bool tint = (st.bright & 0xFFFFFF) != 0xFFFFFF;
    const int bright[3] = {int((st.bright >> 16) & 255), int((st.bright >> 8) & 255), int(st.bright & 255)};
    const bool trans = call.transparentFlag != 0 || call.fastPath;
    ImageSource src{call.source};
    for (long j = 0; j < call.source->height; ++j) {
        for (long i = 0; i < call.source->width; ++i) {
            const long dx = call.x + i, dy = call.y + j;
            if (dx < l || dx >= r || dy < t || dy >= b) continue;
            const uint32_t raw = src.Raw(i, j);
            uint32_t colour;
            if (palette) {
                std::memcpy(&colour, sb->palette + raw * (kind == 1 ? 4 : 2), kind == 1 ? 4 : 2);
                if (kind == 0) colour &= 0xFFFF;
            } else {
                colour = kind == 0 ? raw & 0xFFFF : raw;
            }
            const int a = alphaSrc ? int(kind == 1 ? raw >> 24 : (raw >> 16) & 255) : 255;
            if (trans && !alphaSrc && raw == sb->transparentColor) continue;
            if (trans && alphaSrc && a == 0) continue;
            const bool aFactor = alphaSrc && (!trans || a != 255);
            Chan s = Unpack(kind, colour);
            if (tint)
                for (int c = 0; c < 3; ++c) s.v[c] = s.v[c] * bright[c] / 255;
            const bool weighted = call.blend != nullptr;
            const int W = weighted ? call.weights[call.blend->pixels[j * call.blend->base->pitch + i]] : 255;
            const uint32_t d = cv.Get(dx, dy);
            const Chan dc = Unpack(kind, d);
            Chan out = dc;
            uint32_t result;
            if (m == 4) {
                for (int c = 0; c < 3; ++c) {
                    unsigned long long prod = (unsigned long long)s.v[c] * dc.v[c];
                    int shift = Width(kind, c);
                    if (weighted) prod *= W, shift += 8;
                    if (aFactor) prod *= a, shift += 8;
                    out.v[c] = int(prod >> shift);
                }
                result = Pack(kind, out, d);
            } else if (m == 0 && !weighted &&
                       (!aFactor || (!tint && !call.transparentFlag && !call.fastPath))) {
                result = tint ? Pack(kind, s, d) : colour;  // a copy; an untinted one stores the whole colour
            } else if (m == 0) {
                long long P = 1;
                int n = 0;
                if (weighted) P *= W, ++n;
                if (aFactor) P *= a, ++n;
                for (int c = 0; c < 3; ++c) out.v[c] = MixFloor(dc.v[c], s.v[c], P, n);
                result = Pack(kind, out, d);
            } else if (!weighted && !aFactor) {
                // The parameter alone.
                const bool plain = !tint && !alphaSrc;
                if (!call.fastPath && plain && p == 128) {
                    Chan sc = Unpack(kind, colour);
                    for (int c = 0; c < 3; ++c) out.v[c] = (sc.v[c] >> 1) + (dc.v[c] >> 1);
                    result = Pack(kind, out, 0);
                } else if (!call.fastPath && plain && kind == 0) {
                    const int w6 = p >> 2;
                    for (int c = 0; c < 3; ++c) out.v[c] = (w6 * s.v[c] + (63 - w6) * dc.v[c]) / 63;
                    result = Pack(kind, out, d);
                } else {
                    for (int c = 0; c < 3; ++c)
                        out.v[c] = kind == 1 ? MixFloor(dc.v[c], s.v[c], p, 1)
                                             : dc.v[c] + (s.v[c] - dc.v[c]) * p / 255;
                    result = Pack(kind, out, d);
                }
            } else {
                long long P = p;
                int n = 1;
                if (weighted) P *= W, ++n;
                if (aFactor) P *= a, ++n;
                for (int c = 0; c < 3; ++c) out.v[c] = MixFloor(dc.v[c], s.v[c], P, n);
                result = Pack(kind, out, d);
            }
            cv.Set(dx, dy, result);
        }
    }
}

}  // namespace ref
