// A slow reference for the colour kernels, written pixel by pixel from the renderer's formulas: plain
// integer division where the kernels use tables, per-channel readings where the
// kernels use masked words, point lists where the kernels walk addresses. It shares no code with the
// kernels and works on its own copy of the destination bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace ref {

struct State {
    int32_t clip[4];  // left, top, right, bottom
    int32_t mode;
    int32_t param;
    uint32_t bright;
};

// A destination: raw bytes, where pixel (0, 0) starts, its pitch and colour kind (0: RGB565, 1: XRGB8888).
struct Canvas {
    std::vector<uint8_t> bytes;
    long origin;
    long pitch;
    int kind;
    int width, height;

    int PixelSize() const { return kind == 1 ? 4 : 2; }
    uint32_t Get(long x, long y) const {
        uint32_t v = 0;
        std::memcpy(&v, &bytes[origin + y * pitch + x * PixelSize()], PixelSize());
        return v;
    }
    void Set(long x, long y, uint32_t v) {
        std::memcpy(&bytes[origin + y * pitch + x * PixelSize()], &v, PixelSize());
    }
};

// Channels of a pixel as {r, g, b} with their widths.
struct Chan {
    int v[3];
};
inline Chan Unpack(int kind, uint32_t p) {
    if (kind == 1) return {{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)}};
    return {{int((p >> 11) & 0x1F), int((p >> 5) & 0x3F), int(p & 0x1F)}};
}
inline int Width(int kind, int c) {
    return kind == 1 ? 8 : (c == 1 ? 6 : 5);
}
inline uint32_t Pack(int kind, Chan c, uint32_t old) {
    if (kind == 1)
        return (old & 0xFF000000u) | uint32_t(c.v[0]) << 16 | uint32_t(c.v[1]) << 8 | uint32_t(c.v[2]);
    return uint32_t(c.v[0]) << 11 | uint32_t(c.v[1]) << 5 | uint32_t(c.v[2]);
}

inline long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return long(q);
}

// The colour after the draw bright: each channel times its bright byte, divided by 256 rounding down.
inline uint32_t Tint(int kind, uint32_t colour, uint32_t bright) {
    if ((bright & 0xFFFFFF) == 0xFFFFFF) return colour;
    const int b[3] = {int((bright >> 16) & 0xFF), int((bright >> 8) & 0xFF), int(bright & 0xFF)};
    Chan c = Unpack(kind, colour);
    for (int i = 0; i < 3; ++i) c.v[i] = c.v[i] * b[i] / 256;
    return Pack(kind, c, colour);
}

// Channel by channel reading of the saturating add of the colour kernels. The coarse form takes the low
// bit of green and red from the carry below alone.
inline uint32_t AddWord(int kind, uint32_t d, uint32_t s, bool coarse = false) {
    const Chan dc = Unpack(kind, d), sc = Unpack(kind, s);
    Chan out;
    const int maxB = kind == 1 ? 255 : 31;
    int carryB = dc.v[2] + sc.v[2] > maxB;
    out.v[2] = std::min(dc.v[2] + sc.v[2], maxB);
    // green and red add their upper bits; their low bit is an OR of both low bits and the carry below.
    int carry = carryB;
    uint32_t top = 0;
    for (int c = 1; c >= 0; --c) {
        const int w = Width(kind, c), max = (1 << w) - 1;
        const int hi = (dc.v[c] & ~1) + (sc.v[c] & ~1);
        const int low = carry | (coarse ? 0 : (dc.v[c] & 1) | (sc.v[c] & 1));
        const bool over = hi > max;
        if (kind == 1) {
            out.v[c] = over ? 255 : (hi | low);
        } else if (c == 1) {
            out.v[c] = over ? (62 | low) : (hi | low);
        } else {
            out.v[c] = over ? 31 : (hi | low);
        }
        carry = over;
        if (c == 0 && kind == 1) top = over ? 0x01000000u : 0;
    }
    return Pack(kind, out, 0) | top;
}

// Channel by channel reading of the saturating subtract of the colour kernels.
inline uint32_t SubWord(int kind, uint32_t d, uint32_t s) {
    const Chan dc = Unpack(kind, d), sc = Unpack(kind, s);
    Chan out;
    int borrow = dc.v[2] < sc.v[2];
    out.v[2] = borrow ? 0 : dc.v[2] - sc.v[2];
    for (int c = 1; c >= 0; --c) {
        const int v = (dc.v[c] | 1) - (sc.v[c] & ~1) - borrow;
        borrow = v < 0;
        out.v[c] = v < 0 ? 0 : v;
        if (kind == 0 && c == 1 && v >= 0) out.v[c] = v & 0x3E;
    }
    return Pack(kind, out, 0);
}

// Whether the mode draws at all with parameter p, and which mode it draws as.
inline bool EffectiveMode(int32_t mode, int32_t p, int32_t* out) {
    const uint32_t m = uint32_t(mode);
    if ((m >= 5 && m <= 9) || m > 11) return false;
    if ((m == 1 || m == 2 || m == 3) && p == 0) return false;
    *out = (m == 1 && p == 255) ? 0 : int32_t(m);
    return true;
}

// New destination pixel for prepared (tinted) colour q over d.
inline uint32_t ColourOp(int kind, int32_t mode, int32_t p, uint32_t q, uint32_t d) {
    const Chan cc = Unpack(kind, q), dc = Unpack(kind, d);
    Chan out = dc;
    auto blendToward = [&](int c, int target) {
        if (kind == 1) return int(FloorDiv(dc.v[c] * 256LL + (target - dc.v[c]) * (long long)p, 256));
        return dc.v[c] + (target - dc.v[c]) * p / 255;  // C++ division truncates toward zero
    };
    switch (mode) {
        case 0:
            return q;
        case 1:
            for (int c = 0; c < 3; ++c) out.v[c] = blendToward(c, cc.v[c]);
            return Pack(kind, out, d);
        case 2:
        case 3: {
            Chan scaled;
            for (int c = 0; c < 3; ++c) scaled.v[c] = cc.v[c] * p / 255;
            const uint32_t s = Pack(kind, scaled, 0);
            return mode == 2 ? AddWord(kind, d, s) : SubWord(kind, d, s);
        }
        case 4:
            for (int c = 0; c < 3; ++c) out.v[c] = (dc.v[c] * cc.v[c]) >> Width(kind, c);
            return Pack(kind, out, d);
        case 10:
            for (int c = 0; c < 3; ++c) out.v[c] = blendToward(c, (1 << Width(kind, c)) - 1 - cc.v[c]);
            return Pack(kind, out, d);
        default:  // 11
            for (int c = 0; c < 3; ++c) out.v[c] = blendToward(c, (dc.v[c] * cc.v[c]) >> Width(kind, c));
            return Pack(kind, out, d);
    }
}

// The area a kernel may draw in: the clip rectangle within the canvas.
inline void Bounds(const Canvas& cv, const State& st, long* l, long* t, long* r, long* b) {
    *l = std::max(0, st.clip[0]);
    *t = std::max(0, st.clip[1]);
    *r = std::min(cv.width, st.clip[2]);
    *b = std::min(cv.height, st.clip[3]);
}

// Applies the colour operation to each listed point, in order, when the call draws at all.
inline void ApplyPoints(Canvas& cv, const State& st, uint32_t colour,
                        const std::vector<std::pair<long, long>>& pts) {
    if (cv.kind == 0) colour &= 0xFFFF;
    int32_t mode;
    if (!EffectiveMode(st.mode, st.param, &mode)) return;
    const uint32_t q = Tint(cv.kind, colour, st.bright);
    for (auto [x, y] : pts) cv.Set(x, y, ColourOp(cv.kind, mode, st.param, q, cv.Get(x, y)));
}

inline std::vector<std::pair<long, long>> FillPoints(const Canvas& cv, const State& st, const int32_t* rect) {
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    long x1 = 0, y1 = 0, x2 = cv.width, y2 = cv.height;
    if (rect) {
        x1 = std::min(rect[0], rect[2]), x2 = std::max(rect[0], rect[2]);
        y1 = std::min(rect[1], rect[3]), y2 = std::max(rect[1], rect[3]);
    }
    std::vector<std::pair<long, long>> pts;
    for (long y = y1; y < y2; ++y)
        for (long x = x1; x < x2; ++x)
            if (x >= l && x < r && y >= t && y < b) pts.push_back({x, y});
    return pts;
}

inline int Trunc(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return int(v);
}

// Points of a line: the clipped end points, then step i at major start + i and the minor pixel
// nearest start + i * minor delta / major delta.
inline std::vector<std::pair<long, long>> LinePoints(const Canvas& cv, const State& st, int x1, int y1,
                                                     int x2, int y2) {
    std::vector<std::pair<long, long>> pts;
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    if (r <= l || b <= t) return pts;
    if (std::max<long>(x1, x2) < l || std::min<long>(x1, x2) > r - 1 || std::max<long>(y1, y2) < t ||
        std::min<long>(y1, y2) > b - 1)
        return pts;
    const double m = y1 == y2 ? 0.0 : double((long long)x2 - x1) / double((long long)y2 - y1);
    const double k = x1 == x2 ? 0.0 : double((long long)y2 - y1) / double((long long)x2 - x1);
    const double cx = x1 - m * y1, cy = y1 - k * x1;
    long X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
    if (X1 < l) {
        X1 = l;
        Y1 = Trunc(cy + k * l);
    } else if (X1 >= r) {
        X1 = r - 1;
        Y1 = Trunc(cy + k * (r - 1));
    }
    if (X2 < l) {
        X2 = l - 1;
        Y2 = Trunc(cy + k * (l - 1));
    } else if (X2 >= r) {
        X2 = r;
        Y2 = Trunc(cy + k * r);
    }
    if (Y1 < t) {
        Y1 = t;
        X1 = Trunc(cx + m * t);
    } else if (Y1 >= b) {
        Y1 = b - 1;
        X1 = Trunc(cx + m * (b - 1));
    }
    if (Y2 < t) {
        Y2 = t - 1;
        X2 = Trunc(cx + m * (t - 1));
    } else if (Y2 >= b) {
        Y2 = b;
        X2 = Trunc(cx + m * b);
    }
    X1 = std::clamp(X1, l, r - 1);
    Y1 = std::clamp(Y1, t, b - 1);
    X2 = X2 < l ? l - 1 : (X2 >= r ? r : X2);
    Y2 = Y2 < t ? t - 1 : (Y2 >= b ? b : Y2);
    const long nx = std::labs(X2 - X1), ny = std::labs(Y2 - Y1);
    const long sx = X2 < X1 ? -1 : 1, sy = Y2 < Y1 ? -1 : 1;
    const long n = std::max(nx, ny);
    for (long i = 0; i < n; ++i) {
        // The pixel nearest the line at the centre, halves to the greater coordinate.
        if (nx >= ny)
            pts.push_back({X1 + sx * i, FloorDiv(2 * Y1 * nx + 2 * sy * i * ny + nx, 2 * nx)});
        else
            pts.push_back({FloorDiv(2 * X1 * ny + 2 * sx * i * nx + ny, 2 * ny), Y1 + sy * i});
    }
    // Pixels rounded onto a clipped end outside the clip are not drawn.
    std::erase_if(pts, [&](std::pair<long, long> p) {
        return p.first < l || p.first >= r || p.second < t || p.second >= b;
    });
    return pts;
}

// The outline pixels of the midpoint circle, unclipped, each once, in drawing order.
inline std::vector<std::pair<long, long>> CircleOutline(long cx, long cy, long radius) {
    std::vector<std::pair<long, long>> visits, pts;
    long x = 0, y = radius, d = 3 - 2 * radius;
    do {
        if (x == 0) {
            visits.insert(visits.end(), {{cx - y, cy}, {cx + y, cy}, {cx, cy + y}, {cx, cy - y}});
        } else {
            visits.insert(visits.end(), {{cx - y, cy + x},
                                         {cx + y, cy + x},
                                         {cx - y, cy - x},
                                         {cx + y, cy - x},
                                         {cx - x, cy + y},
                                         {cx + x, cy + y},
                                         {cx - x, cy - y},
                                         {cx + x, cy - y}});
        }
        if (d >= 0) {
            d += 4 * (x - y) + 10;
            --y;
        } else {
            d += 4 * x + 6;
        }
        ++x;
    } while (y >= x);
    std::set<std::pair<long, long>> seen;
    for (auto p : visits)
        if (seen.insert(p).second) pts.push_back(p);
    return pts;
}

inline std::vector<std::pair<long, long>> CirclePoints(const Canvas& cv, const State& st, long cx, long cy,
                                                       long radius, bool fill) {
    long l, t, r, b;
    Bounds(cv, st, &l, &t, &r, &b);
    std::vector<std::pair<long, long>> pts;
    if (radius < 0) return pts;
    auto inside = [&](long x, long y) { return x >= l && x < r && y >= t && y < b; };
    const auto outline = CircleOutline(cx, cy, radius);
    if (!fill) {
        for (auto p : outline)
            if (inside(p.first, p.second)) pts.push_back(p);
        return pts;
    }
    // A filled disc covers, on each row, the pixels from the leftmost to the rightmost outline point.
    std::map<long, std::pair<long, long>> rows;
    for (auto [x, y] : outline) {
        auto it = rows.find(y);
        if (it == rows.end())
            rows[y] = {x, x};
        else
            it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
    }
    for (auto [y, span] : rows)
        for (long x = span.first; x <= span.second; ++x)
            if (inside(x, y)) pts.push_back({x, y});
    return pts;
}

}  // namespace ref
