#include "engine/softrender/triangle_setup.h"

#include <cmath>
#include <utility>

namespace softrender {
namespace {

constexpr int64_t kCoordinateLimit = int64_t(1) << 24;
constexpr double kGradientLimit = 68719476736.0;  // 2^36: far beyond any texel step, and safe to sum

struct FixedVertex {
    int64_t x, y, u, v;
};

// The indices 0, 1, 2 ordered by `key` with the exchange sort: entries i < j swap when key[i] > key[j].
template <class Key>
void ExchangeSort(int order[3], Key key) {
    for (int i = 0; i < 2; ++i)
        for (int j = i + 1; j < 3; ++j)
            if (key(order[i]) > key(order[j])) std::swap(order[i], order[j]);
}

// A gradient numerator over the doubled area, in 14.18, truncated toward zero.
int64_t Gradient(int64_t numerator, int64_t area) {
    const double g = std::trunc(static_cast<double>(numerator) * 262144.0 / static_cast<double>(area));
    return static_cast<int64_t>(std::fmax(-kGradientLimit, std::fmin(kGradientLimit, g)));
}

TriangleEdge OneSegment(int64_t x, int64_t toX, int64_t rows) {
    return {{{x, (toX - x) / rows, rows}, {}}, 1};
}

TriangleEdge TwoSegments(int64_t x, int64_t midX, int64_t rows1, int64_t lowerX, int64_t toX, int64_t rows2) {
    return {{{x, (midX - x) / rows1, rows1}, {lowerX, (toX - lowerX) / rows2, rows2}}, 2};
}

}  // namespace

bool SetUpTriangle(const TriangleVertex* vertices, TriangleGeometry* g) {
    FixedVertex f[3];
    for (int i = 0; i < 3; ++i) {
        const TriangleVertex& v = vertices[i];
        for (int64_t c : {v.x, v.y, v.u, v.v})
            if (c <= -kCoordinateLimit || c >= kCoordinateLimit) return false;
        f[i] = {(int64_t(v.x) << kFixedShift) + (1 << 17), (int64_t(v.y) << kFixedShift) + (1 << 17),
                int64_t(v.u) << kFixedShift, int64_t(v.v) << kFixedShift};
    }
    int byX[3] = {0, 1, 2}, byY[3] = {0, 1, 2};
    ExchangeSort(byX, [&](int i) { return f[i].x; });
    ExchangeSort(byY, [&](int i) { return f[i].y; });

    const FixedVertex &p = f[byX[0]], &q = f[byX[1]], &r = f[byX[2]];
    const int64_t qx = FixedToPixel(q.x - p.x), qy = FixedToPixel(q.y - p.y), qu = FixedToPixel(q.u - p.u),
                  qv = FixedToPixel(q.v - p.v);
    const int64_t rx = FixedToPixel(r.x - p.x), ry = FixedToPixel(r.y - p.y), ru = FixedToPixel(r.u - p.u),
                  rv = FixedToPixel(r.v - p.v);
    const int64_t area = qy * rx - ry * qx;
    if (area == 0) return false;
    g->ux = Gradient(qy * ru - ry * qu, area);
    g->uy = Gradient(qu * rx - qx * ru, area);
    g->vx = Gradient(qy * rv - ry * qv, area);
    g->vy = Gradient(qv * rx - rv * qx, area);
    g->xr = FixedToPixel(p.x), g->yr = FixedToPixel(p.y), g->ur = p.u, g->vr = p.v;

    const FixedVertex &t = f[byY[0]], &m = f[byY[1]], &b = f[byY[2]];
    g->firstRow = FixedToPixel(t.y);
    g->middleRow = FixedToPixel(m.y);
    if (t.y == m.y) {
        const bool tLeft = t.x <= m.x;
        const FixedVertex &topLeft = tLeft ? t : m, &topRight = tLeft ? m : t;
        const int64_t rows = FixedToPixel(b.y - t.y);
        g->left = OneSegment(topLeft.x, b.x, rows);
        g->right = OneSegment(topRight.x, b.x, rows);
    } else if (m.y == b.y) {
        const bool mLeft = m.x <= b.x;
        const FixedVertex &bottomLeft = mLeft ? m : b, &bottomRight = mLeft ? b : m;
        const int64_t rows = FixedToPixel(m.y - t.y);
        g->left = OneSegment(t.x, bottomLeft.x, rows);
        g->right = OneSegment(t.x, bottomRight.x, rows);
    } else {
        const int64_t h1 = FixedToPixel(m.y - t.y), h2 = FixedToPixel(b.y - m.y), h = FixedToPixel(b.y - t.y);
        const double s1 = static_cast<double>(m.x - t.x) / static_cast<double>(h1);
        const double s2 = static_cast<double>(b.x - t.x) / static_cast<double>(h);
        if (s1 < s2) {
            g->left = TwoSegments(t.x, m.x, h1, m.x, b.x, h2);
            g->right = OneSegment(t.x, b.x, h);
        } else {
            // The lower right segment starts one 14.18 unit right of the middle corner.
            g->left = OneSegment(t.x, b.x, h);
            g->right = TwoSegments(t.x, m.x, h1, m.x + 1, b.x, h2);
        }
    }
    for (const TriangleEdge* e : {&g->left, &g->right})
        for (int i = 0; i < e->count; ++i)
            if (e->segments[i].rows <= 0) return false;
    return true;
}

}  // namespace softrender
