// Sutherland-Hodgman clipping of a convex polygon against planes given as signed distance functions.
#pragma once

#include <vector>

namespace d3d9 {

// Keeps the part of `poly` where distance(v) >= 0.
template <typename V, typename Distance, typename LerpFn>
void ClipPolygon(std::vector<V>& poly, Distance distance, LerpFn lerp) {
    if (poly.empty()) return;
    std::vector<V> out;
    out.reserve(poly.size() + 2);
    for (size_t i = 0; i < poly.size(); ++i) {
        const V& a = poly[i];
        const V& b = poly[(i + 1) % poly.size()];
        double da = distance(a), db = distance(b);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) out.push_back(lerp(a, b, da / (da - db)));
    }
    poly.swap(out);
}

// Keeps the part of a screen-space polygon inside [-limit, limit] on both axes.
template <typename V, typename LerpFn>
void ClipPolygonToBox(std::vector<V>& poly, double limit, LerpFn lerp) {
    ClipPolygon(
        poly, [&](const V& v) { return limit - v.x; }, lerp);
    ClipPolygon(
        poly, [&](const V& v) { return v.x + limit; }, lerp);
    ClipPolygon(
        poly, [&](const V& v) { return limit - v.y; }, lerp);
    ClipPolygon(
        poly, [&](const V& v) { return v.y + limit; }, lerp);
}

}  // namespace d3d9
