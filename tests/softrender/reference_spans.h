// Reference for the triangle, image-quad and rotated-image kernels, written from their
// geometry: each triangle row's span ends computed directly from the edge's start and slope, each
// pixel's texel position from the reference point and the gradients, each rotated pixel's texel
// position exactly from its centre. 14.18 positions become whole pixels by rounding down. The pixels
// themselves go through the image reference's span pipeline. Shares no code with the kernels.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/softrender/mem_img.h"
#include "tests/softrender/reference_image.h"

namespace ref {

constexpr long long kOne = 262144;  // 1.0 in 14.18

inline long long Px(long long v) {
    return FloorDiv(v, kOne);
}

struct Vertex {
    int x, y, u, v;
};

// A visited pixel of a triangle and its texel position in 14.18.
struct TrianglePixel {
    long x, y;
    long long u, v;
};

// The pixels of a triangle within the bounds, in walk order (rows down, each left to right).
inline std::vector<TrianglePixel> TrianglePixels(const Canvas& cv, const State& st, const Vertex* in) {
    struct Fixed {
        long long X, Y, U, V;
    } f[3];
    for (int i = 0; i < 3; ++i)
        f[i] = {in[i].x * kOne + kOne / 2, in[i].y * kOne + kOne / 2, in[i].u * kOne, in[i].v * kOne};
    auto sorted = [&](auto key) {
        int o[3] = {0, 1, 2};
        for (int i = 0; i < 2; ++i)
            for (int j = i + 1; j < 3; ++j)
                if (key(f[o[i]]) > key(f[o[j]])) std::swap(o[i], o[j]);
        return std::vector<int>(o, o + 3);
    };
    const auto byX = sorted([](const Fixed& v) { return v.X; });
    const auto byY = sorted([](const Fixed& v) { return v.Y; });
    const Fixed &P = f[byX[0]], &Q = f[byX[1]], &R = f[byX[2]];
    const long long qx = Px(Q.X - P.X), qy = Px(Q.Y - P.Y), qu = Px(Q.U - P.U), qv = Px(Q.V - P.V);
    const long long rx = Px(R.X - P.X), ry = Px(R.Y - P.Y), ru = Px(R.U - P.U), rv = Px(R.V - P.V);
    const long long area = qy * rx - ry * qx;
    std::vector<TrianglePixel> out;
    if (area == 0) return out;
    auto gradient = [&](long long n) { return (long long)std::trunc(double(n) * 262144.0 / double(area)); };
    const long long Ux = gradient(qy * ru - ry * qu), Uy = gradient(qu * rx - qx * ru);
    const long long Vx = gradient(qy * rv - ry * qv), Vy = gradient(qv * rx - rv * qx);
    const long long xr = Px(P.X), yr = Px(P.Y);

    const Fixed &T = f[byY[0]], &M = f[byY[1]], &B = f[byY[2]];
    const long long H = Px(B.Y - T.Y), H1 = Px(M.Y - T.Y), H2 = H - H1;
    // X of each side at step k (0 .. H - 1) of the walk.
    struct Side {
        long long x0, slope0, rows0, x1, slope1;
        long long At(long long k) const { return k < rows0 ? x0 + k * slope0 : x1 + (k - rows0) * slope1; }
    };
    auto straight = [](long long from, long long to, long long rows) {
        return Side{from, (to - from) / rows, rows, 0, 0};
    };
    Side left, right;
    if (T.Y == M.Y) {
        const bool tLeft = T.X <= M.X;
        left = straight(tLeft ? T.X : M.X, B.X, H);
        right = straight(tLeft ? M.X : T.X, B.X, H);
    } else if (M.Y == B.Y) {
        const bool mLeft = M.X <= B.X;
        left = straight(T.X, mLeft ? M.X : B.X, H1);
        right = straight(T.X, mLeft ? B.X : M.X, H1);
    } else if (double(M.X - T.X) / double(H1) < double(B.X - T.X) / double(H)) {
        left = {T.X, (M.X - T.X) / H1, H1, M.X, (B.X - M.X) / H2};
        right = straight(T.X, B.X, H);
    } else {
        left = straight(T.X, B.X, H);
        right = {T.X, (M.X - T.X) / H1, H1, M.X + 1, (B.X - (M.X + 1)) / H2};
    }
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    for (long long k = 0; k < H; ++k) {
        const long long y = Px(T.Y) + k;
        if (y < t || y >= b) continue;
        for (long long x = std::max<long long>(Px(left.At(k)), l); x <= Px(right.At(k)) && x < r; ++x)
            out.push_back(
                {long(x), long(y), P.U + (y - yr) * Uy + (x - xr) * Ux, P.V + (y - yr) * Vy + (x - xr) * Vx});
    }
    return out;
}

// The flat colour after the draw bright, each channel through trunc(c * b / 255); byte 3 kept.
inline uint32_t TintBy255(int kind, uint32_t colour, uint32_t bright) {
    const int b[3] = {int((bright >> 16) & 255), int((bright >> 8) & 255), int(bright & 255)};
    Chan c = Unpack(kind, colour);
    for (int i = 0; i < 3; ++i) c.v[i] = c.v[i] * b[i] / 255;
    return Pack(kind, c, colour);
}

// A textured draw: the source, the blend image and its weights, the transparent flag.
struct Texture {
    const MEMIMG* source;
    const MEMIMG* blend;
    const uint8_t* weights;
    int transparentFlag;
};

// Draws one pixel whose texel position is (u, v) when it lies inside the source.
inline void SpanPixel(Canvas& cv, const Leaf& L, const Texture& tex, long x, long y, long long u,
                      long long v) {
    const MEMIMG* s = tex.source;
    if (u < 0 || v < 0 || u >= s->width * kOne || v >= s->height * kOne) return;
    const SourcePixel px = FetchPixel(L, s, tex.blend, tex.weights, long(u / kOne), long(v / kOne));
    if (!Skipped(L, px)) cv.Set(x, y, NewPixel(L, px, cv.Get(x, y)));
}

inline Leaf SpanLeaf(const Canvas& cv, const State& st, const Texture& tex) {
    return MakeLeaf(cv.kind, Walk::Span, st, tex.source, tex.transparentFlag, tex.blend != nullptr, false);
}

// Refusals shared by the three kernels.
inline bool SpanDrawable(const Canvas& cv, const MEMIMG* source, const MEMIMG* blend) {
    if (source == nullptr) return true;
    if (source->base->kind != cv.kind) return false;
    return blend == nullptr || (blend->width >= source->width && blend->height >= source->height);
}

// source null: a flat triangle of `colour`.
inline void DrawTriangle(Canvas& cv, const State& st, const Texture& tex, const Vertex* v, uint32_t colour) {
    if (!SpanDrawable(cv, tex.source, tex.blend)) return;
    const auto pixels = TrianglePixels(cv, st, v);
    if (tex.source == nullptr) {
        int32_t mode;
        if (!EffectiveMode(st.mode, st.param & 255, &mode)) return;
        const uint32_t q = TintBy255(cv.kind, cv.kind == 0 ? colour & 0xFFFF : colour, st.bright);
        for (const auto& p : pixels)
            cv.Set(p.x, p.y, ColourOp(cv.kind, mode, st.param & 255, q, cv.Get(p.x, p.y)));
        return;
    }
    const Leaf L = SpanLeaf(cv, st, tex);
    if (!Draws(L)) return;
    for (const auto& p : pixels) SpanPixel(cv, L, tex, p.x, p.y, p.u, p.v);
}

// The quad's corners: top left, top right, bottom left, bottom right of the source.
inline void DrawImageQuad(Canvas& cv, const State& st, const Texture& tex, const std::pair<int, int>* c) {
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    if (l >= r || t >= b) return;
    long minX = c[0].first, maxX = minX, minY = c[0].second, maxY = minY;
    for (int i = 1; i < 4; ++i) {
        minX = std::min<long>(minX, c[i].first), maxX = std::max<long>(maxX, c[i].first);
        minY = std::min<long>(minY, c[i].second), maxY = std::max<long>(maxY, c[i].second);
    }
    // The widened box, right and bottom raised to left and top, clamped into the clip rectangle.
    long box[4] = {minX - 2, minY - 2, std::max(maxX + 4, minX - 2), std::max(maxY + 4, minY - 2)};
    box[0] = std::clamp(box[0], l, r), box[2] = std::clamp(box[2], l, r);
    box[1] = std::clamp(box[1], t, b), box[3] = std::clamp(box[3], t, b);
    if (box[0] == box[2] || box[1] == box[3]) return;
    const int w = tex.source->width, h = tex.source->height;
    const Vertex v[4] = {{c[0].first, c[0].second, 0, 0},
                         {c[1].first, c[1].second, w, 0},
                         {c[2].first, c[2].second, 0, h},
                         {c[3].first, c[3].second, w, h}};
    DrawTriangle(cv, st, tex, v, 0);
    DrawTriangle(cv, st, tex, v + 1, 0);
}

inline void DrawImageRotated(Canvas& cv, const State& st, const Texture& tex, int x, int y, float angle,
                             float scale, int mirror) {
    const MEMIMG* src = tex.source;
    if (!SpanDrawable(cv, src, tex.blend) || src->height > 4096 || (tex.blend && tex.blend->height > 4096))
        return;
    const float sinA = float(std::sin((long double)angle)), cosA = float(std::cos((long double)angle));
    const long long s = (long long)(sinA * 262144.0f);
    const long long c = (long long)(cosA * 262144.0f);
    const int w = src->width, h = src->height;
    const float hw = float(w) * scale * 0.5f, hh = float(h) * scale * 0.5f;
    const float ac = hw * float(c), as = hw * float(s), bc = hh * float(c), bs = hh * float(s);
    auto tr = [](float v) { return (long long)std::trunc(v); };
    const long long cx = x * kOne, cy = y * kOne;
    // TL, BL, BR, TR.
    const long long X[4] = {cx + tr(-ac + bs), cx + tr(-ac - bs), cx + tr(ac - bs), cx + tr(ac + bs)};
    const long long Y[4] = {cy + tr(-bc - as), cy + tr(bc - as), cy + tr(bc + as), cy + tr(-bc + as)};
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 1; i < 4; ++i) {
        if (X[i] < X[minX]) minX = i;
        if (X[i] > X[maxX]) maxX = i;
        if (Y[i] < Y[minY]) minY = i;
        if (Y[i] > Y[maxY]) maxY = i;
    }
    if (minY == maxY) return;
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    if (l >= r || t >= b) return;
    const long left = std::clamp<long>(Px(X[minX]) - 2, l, r), top = std::clamp<long>(Px(Y[minY]) - 2, t, b);
    const long right = std::clamp<long>(Px(X[maxX]) + 4, left, r);
    const long bottom = std::clamp<long>(Px(Y[maxY]) + 4, top, b);
    if (left == right || top == bottom) return;
    const Leaf L = SpanLeaf(cv, st, tex);
    if (!Draws(L)) return;
    // Sampled at pixel centres; scaled or all-even sources have their middle on the centre pixel's corner,
    // unscaled ones with an odd side a texel centre (an even side's is half a texel before its middle) on the
    // centre pixel's centre.
    const bool corner = scale != 1.0f || (w % 2 == 0 && h % 2 == 0);
    const long long q = corner ? 1 : 0, half = 1 << 17;
    const long long cu = w * half - (!corner && w % 2 == 0 ? half : 0);
    const long long cvv = h * half - (!corner && h % 2 == 0 ? half : 0);
    // Positions in texels, exact: the pixel centre's offset from the centre turned back by the angle's
    // sine and cosine and divided by the scale.
    using Exact = long double;
    const Exact sine = std::sin(Exact(angle)), cosine = std::cos(Exact(angle));
    auto position = [&](long dx, long dy, Exact sinOrCos, Exact other, long long middle) {
        return ((dx + Exact(q) / 2) * sinOrCos + (dy + Exact(q) / 2) * other) / Exact(scale) +
               Exact(middle) / kOne;
    };
    // A position shows the texel it lies in once rounded to the nearest 1/256 texel, halves up; the last
    // texel where that reaches the far edge. Mirrored, u is reflected about the source point on the centre
    // and a position on a boundary belongs to the side before it: the source covers (0, w], not [0, w).
    const Exact snapHalf = Exact(1) / 512;
    auto texel = [&](Exact p, int size, bool reflected) -> long {
        if (reflected ? (p <= 0 || p > size) : (p < 0 || p >= size)) return -1;
        const Exact t = reflected ? std::ceil(p + snapHalf) - 1 : std::floor(p + snapHalf);
        return std::min<long>(long(t), size - 1);
    };
    for (long py = top; py < bottom; ++py)
        for (long px = left; px < right; ++px) {
            Exact pu = position(px - x, py - y, cosine, sine, cu);
            const Exact pv = position(py - y, px - x, cosine, -sine, cvv);
            if (mirror != 0) pu = Exact(2 * cu) / kOne - pu;
            const long tx = texel(pu, w, mirror != 0), ty = texel(pv, h, false);
            if (tx < 0 || ty < 0) continue;
            SpanPixel(cv, L, tex, px, py, tx * kOne, ty * kOne);
        }
}

}  // namespace ref
