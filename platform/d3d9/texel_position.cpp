#include "platform/d3d9/texel_position.h"

namespace d3d9 {
namespace {

double Snapped(double v) {
    return double(SnapCoordinate(v)) / double(1 << kSubpixelBits);
}

bool OnGrid(const ScreenVertex& v) {
    return Snapped(v.x) == v.x && Snapped(v.y) == v.y;
}

// value(a) + t (value(b) - value(a)) for every coordinate set, into `out`.
template <class Member>
void Along(const ScreenVertex& a, const ScreenVertex& b, double t, Member member, ScreenVertex& out) {
    for (int s = 0; s < kStageCount; ++s) {
        const double from = (a.*member)[s], to = (b.*member)[s];
        (out.*member)[s] = float(from + (to - from) * t);
    }
}

}  // namespace

void PlaceTexelsAtSnappedVertices(ScreenVertex& a, ScreenVertex& b, ScreenVertex& c) {
    if (OnGrid(a) && OnGrid(b) && OnGrid(c)) return;
    if (a.rhw != b.rhw || b.rhw != c.rhw) return;
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double area = bx * cy - by * cx;
    if (!(area != 0.0) || !std::isfinite(area)) return;
    const ScreenVertex given[3] = {a, b, c};
    for (ScreenVertex* v : {&a, &b, &c}) {
        if (OnGrid(*v)) continue;
        // The snapped place in the weights of b and c over the given triangle.
        const double px = Snapped(v->x) - a.x, py = Snapped(v->y) - a.y;
        const double wb = (px * cy - py * cx) / area, wc = (bx * py - by * px) / area;
        for (int s = 0; s < kStageCount; ++s) {
            const double u = given[0].u[s], vv = given[0].v[s];
            v->u[s] = float(u + (given[1].u[s] - u) * wb + (given[2].u[s] - u) * wc);
            v->v[s] = float(vv + (given[1].v[s] - vv) * wb + (given[2].v[s] - vv) * wc);
        }
    }
}

void PlaceTexelsAtSnappedCorners(ScreenVertex q[4]) {
    if (q[0].y != q[1].y || q[2].y != q[3].y || q[0].x != q[2].x || q[1].x != q[3].x) return;
    if (OnGrid(q[0]) && OnGrid(q[3])) return;
    for (int s = 0; s < kStageCount; ++s)
        if (q[0].u[s] != q[2].u[s] || q[1].u[s] != q[3].u[s] || q[0].v[s] != q[1].v[s] ||
            q[2].v[s] != q[3].v[s])
            return;
    const double width = q[1].x - q[0].x, height = q[2].y - q[0].y;
    if (!(width != 0.0) || !(height != 0.0) || !std::isfinite(width) || !std::isfinite(height)) return;
    const ScreenVertex given[4] = {q[0], q[1], q[2], q[3]};
    const double left = (Snapped(q[0].x) - q[0].x) / width, right = (Snapped(q[1].x) - q[0].x) / width;
    const double top = (Snapped(q[0].y) - q[0].y) / height, bottom = (Snapped(q[2].y) - q[0].y) / height;
    for (int k : {0, 2}) Along(given[0], given[1], left, &ScreenVertex::u, q[k]);
    for (int k : {1, 3}) Along(given[0], given[1], right, &ScreenVertex::u, q[k]);
    for (int k : {0, 1}) Along(given[0], given[2], top, &ScreenVertex::v, q[k]);
    for (int k : {2, 3}) Along(given[0], given[2], bottom, &ScreenVertex::v, q[k]);
}

}  // namespace d3d9
