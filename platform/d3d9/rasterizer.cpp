#include "platform/d3d9/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/d3d9/polygon_clip.h"
#include "platform/d3d9/shader_pixels.h"

namespace d3d9 {

namespace {

constexpr double kGuardBand = 1 << 20;  // pixels; larger coordinates are clipped away first
constexpr int64_t kOne = 1 << kSubpixelBits;

int64_t PixelCeil(int64_t fixed) {
    return -((-fixed) >> kSubpixelBits);
}  // smallest px with px*256 >= fixed
int64_t PixelFloor(int64_t fixed) {
    return fixed >> kSubpixelBits;
}

bool InsideGuardBand(const ScreenVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::abs(v.x) <= kGuardBand &&
           std::abs(v.y) <= kGuardBand;
}

ScreenVertex Lerp(const ScreenVertex& a, const ScreenVertex& b, double t) {
    ScreenVertex o;
    auto mix = [t](double p, double q) { return p + (q - p) * t; };
    auto mixc = [&](Color p, Color q) {
        return Color{int(std::lround(mix(p.r, q.r))), int(std::lround(mix(p.g, q.g))),
                     int(std::lround(mix(p.b, q.b))), int(std::lround(mix(p.a, q.a)))};
    };
    o.x = mix(a.x, b.x);
    o.y = mix(a.y, b.y);
    o.z = mix(a.z, b.z);
    o.rhw = mix(a.rhw, b.rhw);
    o.diffuse = mixc(a.diffuse, b.diffuse);
    o.specular = mixc(a.specular, b.specular);
    for (int i = 0; i < kStageCount; ++i) {
        o.u[i] = float(mix(a.u[i], b.u[i]));
        o.v[i] = float(mix(a.v[i], b.v[i]));
        o.r[i] = float(mix(a.r[i], b.r[i]));
        o.q[i] = float(mix(a.q[i], b.q[i]));
    }
    return o;
}

// Rounded quotient of an exact interpolation numerator.
int RoundedColor(__int128 n, int64_t area) {
    return int(FloorDiv(2 * n + area, 2 * __int128(area)));
}

struct TriangleAttributes {
    bool gouraud = false;
    bool perspective = false;
    int64_t u[kStageCount][3] = {}, v[kStageCount][3] = {};
    int64_t z[3] = {};
};

}  // namespace

int DepthFixed(double z) {
    if (!(z == z)) z = 0;
    return int(std::lround(std::clamp(z, 0.0, 1.0) * 65535.0 * 256.0));
}

int64_t FloorDiv(__int128 n, __int128 d) {
    if (d < 0) n = -n, d = -d;
    __int128 q = n / d;
    if ((n % d) != 0 && n < 0) --q;
    return int64_t(q);
}

bool SetupTriangleEdges(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b,
                        const ScreenVertex& c, TriangleEdges* t) {
    const PixelPipeline& p = *r.pipeline;
    const ScreenVertex** v = t->v;
    int64_t *X = t->X, *Y = t->Y;
    v[0] = &a, v[1] = &b, v[2] = &c;
    for (int i = 0; i < 3; ++i)
        X[i] = SnapCoordinate(v[i]->x - r.sample_x), Y[i] = SnapCoordinate(v[i]->y - r.sample_y);
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) return false;
    if ((r.cull == D3DCULL_CW && area > 0) || (r.cull == D3DCULL_CCW && area < 0)) return false;
    t->front = area > 0;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }
    t->area = area;
    // Edge k lies opposite vertex k, from vertex k+1 to vertex k+2; its function is vertex k's weight.
    for (int k = 0; k < 3; ++k) {
        int i = (k + 1) % 3, j = (k + 2) % 3;
        t->ex[k] = X[j] - X[i];
        t->ey[k] = Y[j] - Y[i];
        bool top = t->ey[k] == 0 && t->ex[k] > 0, left = t->ey[k] < 0;
        t->bias[k] = (top || left) ? 0 : -1;
    }
    t->box = {int(std::max<int64_t>(p.clip.left, PixelCeil(std::min({X[0], X[1], X[2]})))),
              int(std::max<int64_t>(p.clip.top, PixelCeil(std::min({Y[0], Y[1], Y[2]})))),
              int(std::min<int64_t>(p.clip.right, PixelFloor(std::max({X[0], X[1], X[2]})) + 1)),
              int(std::min<int64_t>(p.clip.bottom, PixelFloor(std::max({Y[0], Y[1], Y[2]})) + 1))};
    return !t->box.Empty();
}

void RasterizeTriangle(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b,
                       const ScreenVertex& c) {
    // The clip cannot place a vertex that is not finite (it would give pieces that are not finite
    // either): such a triangle draws nothing.
    auto finite = [](const ScreenVertex& v) { return std::isfinite(v.x) && std::isfinite(v.y); };
    if (!finite(a) || !finite(b) || !finite(c)) return;
    if (!InsideGuardBand(a) || !InsideGuardBand(b) || !InsideGuardBand(c)) {
        // Flat shading keeps the first vertex's colours for every piece.
        std::vector<ScreenVertex> poly{a, b, c};
        ClipPolygonToBox(poly, kGuardBand, Lerp);
        if (r.flat)
            for (auto& v : poly) v.diffuse = a.diffuse, v.specular = a.specular;
        // Pieces keep the winding of the original triangle, so culling applies to them as to it.
        for (size_t i = 1; i + 1 < poly.size(); ++i) RasterizeTriangle(r, poly[0], poly[i], poly[i + 1]);
        return;
    }
    TriangleEdges tri;
    if (!SetupTriangleEdges(r, a, b, c, &tri)) return;
    const PixelPipeline& p = *r.pipeline;
    if (p.shader) {
        ShadeTriangle(*p.shader, r, tri);
        return;
    }
    const ScreenVertex* const* v = tri.v;
    const int64_t area = tri.area;
    const int64_t *ex = tri.ex, *ey = tri.ey;
    const IntRect box = tri.box;
    auto edge = [&](int k, int64_t px, int64_t py) { return tri.Edge(k, px, py); };

    TriangleAttributes at;
    at.gouraud = !r.flat && !(v[0]->diffuse == v[1]->diffuse && v[1]->diffuse == v[2]->diffuse &&
                              v[0]->specular == v[1]->specular && v[1]->specular == v[2]->specular);
    at.perspective = !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
    for (int s = 0; s < p.stage_count; ++s) {
        const SurfaceStore* t = p.stages[s].sampler.texture;
        if (!t) continue;
        int set = p.stages[s].texcoord_index;
        for (int k = 0; k < 3; ++k) {
            at.u[s][k] = TexelFixed(v[k]->u[set], t->width);
            at.v[s][k] = TexelFixed(v[k]->v[set], t->height);
        }
    }
    for (int k = 0; k < 3; ++k) at.z[k] = DepthFixed(v[k]->z);

    Fragment f;
    Color flat_diffuse = a.diffuse, flat_specular = a.specular;
    f.diffuse = at.gouraud ? Color{} : (r.flat ? flat_diffuse : v[0]->diffuse);
    f.specular = at.gouraud ? Color{} : (r.flat ? flat_specular : v[0]->specular);
    for (int s = 0; s < p.stage_count; ++s) {
        if (!p.stages[s].sampler.texture) continue;
        // Texels per pixel along x and y decide between the magnification and minification filter.
        auto gradient = [&](const int64_t* q, bool along_x) {
            __int128 n = 0;
            for (int k = 0; k < 3; ++k) n += __int128(along_x ? -ey[k] : ex[k]) * q[k];
            return std::abs(double(n) * kOne / double(area) / 65536.0);
        };
        double rho = std::max({gradient(at.u[s], true), gradient(at.u[s], false), gradient(at.v[s], true),
                               gradient(at.v[s], false)});
        f.minify[s] = rho > 1.0;
    }

    for (int py = box.top; py < box.bottom; ++py) {
        int64_t fy = int64_t(py) << kSubpixelBits;
        for (int px = box.left; px < box.right; ++px) {
            int64_t fx = int64_t(px) << kSubpixelBits;
            int64_t w[3];
            bool inside = true;
            for (int k = 0; k < 3 && inside; ++k) {
                w[k] = edge(k, fx, fy);
                inside = w[k] + tri.bias[k] >= 0;
            }
            if (!inside) continue;
            f.x = px;
            f.y = py;
            auto interpolate = [&](auto value) {
                __int128 n = 0;
                for (int k = 0; k < 3; ++k) n += __int128(w[k]) * value(k);
                return n;
            };
            if (at.gouraud) {
                f.diffuse = {RoundedColor(interpolate([&](int k) { return v[k]->diffuse.r; }), area),
                             RoundedColor(interpolate([&](int k) { return v[k]->diffuse.g; }), area),
                             RoundedColor(interpolate([&](int k) { return v[k]->diffuse.b; }), area),
                             RoundedColor(interpolate([&](int k) { return v[k]->diffuse.a; }), area)};
                f.specular = {RoundedColor(interpolate([&](int k) { return v[k]->specular.r; }), area),
                              RoundedColor(interpolate([&](int k) { return v[k]->specular.g; }), area),
                              RoundedColor(interpolate([&](int k) { return v[k]->specular.b; }), area),
                              RoundedColor(interpolate([&](int k) { return v[k]->specular.a; }), area)};
            }
            for (int s = 0; s < p.stage_count; ++s) {
                if (!p.stages[s].sampler.texture) continue;
                if (!at.perspective) {
                    f.u[s] = FloorDiv(interpolate([&](int k) { return at.u[s][k]; }), area);
                    f.v[s] = FloorDiv(interpolate([&](int k) { return at.v[s][k]; }), area);
                } else {
                    double q = 0, nu = 0, nv = 0;
                    for (int k = 0; k < 3; ++k) {
                        double l = double(w[k]) / double(area) * v[k]->rhw;
                        q += l;
                        nu += l * double(at.u[s][k]);
                        nv += l * double(at.v[s][k]);
                    }
                    f.u[s] = q != 0 ? int64_t(std::floor(nu / q)) : 0;
                    f.v[s] = q != 0 ? int64_t(std::floor(nv / q)) : 0;
                }
            }
            if (p.depth)
                f.depth = int(FloorDiv(interpolate([&](int k) { return at.z[k]; }) + 128 * __int128(area),
                                       256 * __int128(area)));
            ShadeFragment(p, f);
        }
    }
}

namespace {

// A fragment of a line or point whose attributes come from one or two vertices with weights wa, wb.
void ShadeWeighted(const RasterSetup& r, int px, int py, const ScreenVertex& a, const ScreenVertex& b,
                   int64_t wa, int64_t wb) {
    const PixelPipeline& p = *r.pipeline;
    if (px < p.clip.left || px >= p.clip.right || py < p.clip.top || py >= p.clip.bottom) return;
    if (p.shader) {
        ShadePixel(*p.shader, r, px, py, a, b, wa, wb);
        return;
    }
    int64_t sum = wa + wb;
    Fragment f;
    f.x = px;
    f.y = py;
    auto color = [&](Color ca, Color cb) {
        if (r.flat || ca == cb) return r.flat ? ca : ca;
        auto ch = [&](int x, int y) { return RoundedColor(__int128(wa) * x + __int128(wb) * y, sum); };
        return Color{ch(ca.r, cb.r), ch(ca.g, cb.g), ch(ca.b, cb.b), ch(ca.a, cb.a)};
    };
    f.diffuse = color(a.diffuse, b.diffuse);
    f.specular = color(a.specular, b.specular);
    for (int s = 0; s < p.stage_count; ++s) {
        const SurfaceStore* t = p.stages[s].sampler.texture;
        if (!t) continue;
        int set = p.stages[s].texcoord_index;
        f.u[s] = FloorDiv(
            __int128(wa) * TexelFixed(a.u[set], t->width) + __int128(wb) * TexelFixed(b.u[set], t->width),
            sum);
        f.v[s] = FloorDiv(
            __int128(wa) * TexelFixed(a.v[set], t->height) + __int128(wb) * TexelFixed(b.v[set], t->height),
            sum);
    }
    if (p.depth)
        f.depth = int(
            FloorDiv(__int128(wa) * DepthFixed(a.z) + __int128(wb) * DepthFixed(b.z) + 128 * __int128(sum),
                     256 * __int128(sum)));
    ShadeFragment(p, f);
}

}  // namespace

void RasterizeLine(const RasterSetup& r, const ScreenVertex& a, const ScreenVertex& b) {
    if (!InsideGuardBand(a) || !InsideGuardBand(b)) return;
    int64_t ax = SnapCoordinate(a.x), ay = SnapCoordinate(a.y), bx = SnapCoordinate(b.x),
            by = SnapCoordinate(b.y);
    int64_t dx = bx - ax, dy = by - ay;
    if (dx == 0 && dy == 0) return;
    bool x_major = std::abs(dx) >= std::abs(dy);
    // Along the major axis pixel m is drawn when the far edge of its centre's half, m + 1/2 in the
    // direction of travel, lies in (start, end]: whole-pixel ends leave out the end pixel, and an end
    // moved by less than half a pixel lights nothing more. On the minor axis each takes the pixel nearest
    // to the line at its centre, halves rounding down-right.
    int64_t major_a = x_major ? ax : ay, major_b = x_major ? bx : by;
    int64_t minor_a = x_major ? ay : ax, minor_b = x_major ? by : bx;
    int64_t d_major = major_b - major_a, d_minor = minor_b - minor_a;
    int step = d_major > 0 ? 1 : -1;
    const int64_t half = step * (kOne / 2);
    // The first m whose edge m + half passes the start.
    int64_t first = d_major > 0 ? PixelFloor(major_a - half) + 1 : PixelCeil(major_a - half) - 1;
    for (int64_t m = first;; m += step) {
        int64_t pos = m << kSubpixelBits;
        if (d_major > 0 ? pos + half > major_b : pos + half < major_b) break;
        int64_t t_num = pos - major_a;  // t = t_num / d_major
        // minor = minor_a + t * d_minor; pixel = floor(minor / 256 + 1/2)
        __int128 n = __int128(minor_a) * d_major + __int128(t_num) * d_minor;  // minor * d_major
        int64_t minor_px = FloorDiv(2 * n + __int128(d_major) * kOne, 2 * __int128(d_major) * kOne);
        // A centre up to half a pixel outside the line takes the nearer end's attributes.
        int64_t along = std::clamp<int64_t>(std::abs(t_num), 0, std::abs(d_major));
        if ((t_num > 0) != (d_major > 0)) along = 0;
        int64_t wa = std::abs(d_major) - along, wb = along;
        int px = int(x_major ? m : minor_px), py = int(x_major ? minor_px : m);
        ShadeWeighted(r, px, py, a, b, wa, wb);
        if (std::abs(m - first) > (int64_t(1) << 22)) break;
    }
}

void RasterizePoint(const RasterSetup& r, const ScreenVertex& a) {
    if (!InsideGuardBand(a)) return;
    // The 1x1 square around the point, by the fill rule: the pixel whose centre lies in [x - 1/2, x + 1/2).
    int64_t px = PixelCeil(SnapCoordinate(a.x) - kOne / 2), py = PixelCeil(SnapCoordinate(a.y) - kOne / 2);
    ShadeWeighted(r, int(px), int(py), a, a, 1, 0);
}

}  // namespace d3d9
