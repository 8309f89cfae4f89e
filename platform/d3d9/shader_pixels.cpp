#include "platform/d3d9/shader_pixels.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/d3d9_types.h"

namespace d3d9 {

namespace {

int ChannelOf(const Color& c, int component) {
    const int channels[4] = {c.r, c.g, c.b, c.a};
    return channels[component];
}

// One component of a vertex's input.
double VertexValue(const ScreenVertex& v, const PixelInput& in, int c) {
    switch (in.source) {
        case PixelInput::kDiffuse:
            return ChannelOf(v.diffuse, c);
        case PixelInput::kSpecular:
            return ChannelOf(v.specular, c);
        case PixelInput::kCoordinates: {
            const float* components[4] = {v.u, v.v, v.r, v.q};
            return components[c][in.set];
        }
        default:
            return 0;
    }
}

bool IsColor(const PixelInput& in) {
    return in.source == PixelInput::kDiffuse || in.source == PixelInput::kSpecular;
}

// A colour channel from its 8-bit value rounded from a sum of weights: saturated and read as v / 255.
float ColorUnit(double weighted, double total) {
    return float(std::clamp(std::floor(weighted / total + 0.5), 0.0, 255.0) / 255.0);
}

// The colour the program wrote for each lane of a quad, on 8-bit channels (saturated, rounded).
void ShadedColors(PixelShaderDraw& d, int quad, LaneInt channels[4]) {
    for (int c = 0; c < 4; ++c)
        channels[c] = d.color_slot == kNoSlot
                          ? LaneInt{}
                          : __builtin_convertvector(
                                Saturate(d.machine.Slot(d.color_slot, quad).c[c]) * 255.0f + 0.5f, LaneInt);
}

Color LaneColor(const LaneInt channels[4], int lane) {
    return {channels[0][lane], channels[1][lane], channels[2][lane], channels[3][lane]};
}

// A lane's colour written through the pixel pipeline: a float or 16-bit-channel target takes the
// program's output unclamped, as the stages' float path gives it.
void WriteShadedPixel(PixelShaderDraw& d, const PixelPipeline& p, int quad, int lane, int x, int y, int depth,
                      const LaneInt channels[4]) {
    if (IsPackedFormat(p.target->format) || d.color_slot == kNoSlot) {
        WritePixel(p, x, y, depth, LaneColor(channels, lane));
        return;
    }
    const LaneVector& out = d.machine.Slot(d.color_slot, quad);
    WritePixelFloat(p, x, y, depth, ColorF{out.c[0][lane], out.c[1][lane], out.c[2][lane], out.c[3][lane]});
}

// The depth the program wrote for a lane of a quad (0..65535), or -1.
int ShadedDepth(PixelShaderDraw& d, int quad, int lane) {
    return d.depth_slot == kNoSlot ? -1 : RoundedSteps(d.machine.Slot(d.depth_slot, quad).c[0][lane], 65535);
}

// Whether a sampler reads the surface the draw writes: its quads must then be written before the next
// ones are shaded.
bool SamplesTarget(const PixelShaderDraw& d, const SurfaceStore* target) {
    for (const ShaderSampler& s : d.samplers)
        for (int l = 0; l < s.level_count && l < kMaxTextureLevels; ++l)
            if (s.stores[l] == target || (target && s.levels[l].bits == target->bits.data())) return true;
    return false;
}

// A value over the triangle as a function of the pixel: c0 + cx x + cy y (pixel units).
struct Plane {
    double c0 = 0, cx = 0, cy = 0;
    double At(int px, int py) const { return c0 + cx * px + cy * py; }
    // The values at the quad's four pixels from (px, py).
    void AtQuad(int px, int py, double* out) const {
        const double base = At(px, py);
        out[0] = base, out[1] = base + cx, out[2] = base + cy, out[3] = base + cx + cy;
    }
};

Plane PlaneOf(const TriangleEdges& t, const double* a) {
    Plane p;
    const double area = double(t.area);
    for (int k = 0; k < 3; ++k) {
        const int i = (k + 1) % 3;
        p.cx -= a[k] * double(t.ey[k]) * (1 << kSubpixelBits);
        p.cy += a[k] * double(t.ex[k]) * (1 << kSubpixelBits);
        p.c0 += a[k] * (double(t.ey[k]) * double(t.X[i]) - double(t.ex[k]) * double(t.Y[i]));
    }
    p.c0 /= area, p.cx /= area, p.cy /= area;
    return p;
}

// One component of an input that varies over a triangle.
struct Interpolant {
    enum Kind : uint8_t { kColor, kAffine, kPerspective } kind;
    LaneFloat* target;
    int64_t color[3];  // kColor: the vertices' 8-bit values
    Plane plane;       // kAffine: the value; kPerspective: the value times rhw
};

class TriangleShader {
  public:
    // `whole_box`: every pixel of the box is covered (a rectangle that shares the triangle's planes).
    TriangleShader(PixelShaderDraw& d, const RasterSetup& r, const TriangleEdges& t, bool whole_box = false)
        : d_(d), p_(*r.pipeline), t_(t), m_(d.machine), whole_box_(whole_box) {
        const double rhw[3] = {t.v[0]->rhw, t.v[1]->rhw, t.v[2]->rhw};
        perspective_ = !(rhw[0] == rhw[1] && rhw[1] == rhw[2]);
        rhw_ = PlaneOf(t, rhw);
        for (int i = 0; i < d.input_count; ++i)
            for (int c = 0; c < 4; ++c)
                if (d.inputs[i].mask >> c & 1) Add(d.inputs[i], c);
        const ShaderProgram& program = m_.program();
        if (program.face_slot != kNoSlot)
            for (int c = 0; c < 4; ++c) m_.Fill(program.face_slot, c, Broadcast(t.front ? 1.0f : -1.0f));
        block_ = SamplesTarget(d, p_.target) ? 1 : m_.BlockQuads();
        weighs_ = !whole_box_ || p_.depth;
        plain_ = IsPackedFormat(p_.target->format) && !p_.alpha_test && !p_.depth && !p_.blend.enabled &&
                 p_.write_mask == 0xF;
        for (int i = 0; i < count_; ++i) weighs_ = weighs_ || items_[i].kind == Interpolant::kColor;
        for (int k = 0; k < 3; ++k) {
            z_[k] = DepthFixed(t.v[k]->z);
            step_x_[k] = -t.ey[k] << kSubpixelBits;
            step_y_[k] = t.ex[k] << kSubpixelBits;
        }
    }

    // The quads over the pixels the triangle covers, row pair by row pair.
    void Run() {
        const IntRect& box = t_.box;
        for (int y = box.top & ~1; y < box.bottom; y += 2) {
            int64_t left = box.right, right = box.left;
            for (int row = std::max(y, box.top); row < std::min(y + 2, box.bottom); ++row)
                RowSpan(row, &left, &right);
            for (int64_t x = left & ~int64_t(1); x < right; x += 2) Quad(int(x), y);
        }
        Flush();
    }

  private:
    // Widens [left, right) by the pixels of row y inside all three edges (and the box).
    void RowSpan(int y, int64_t* left, int64_t* right) const {
        int64_t first = t_.box.left, end = t_.box.right;
        for (int k = 0; k < 3 && !whole_box_; ++k) {
            // Pixel x is inside edge k when at + step * x >= 0.
            const int64_t at = t_.Edge(k, 0, int64_t(y) << kSubpixelBits) + t_.bias[k], step = step_x_[k];
            if (step > 0)
                first = std::max(first, -FloorDiv(at, step));
            else if (step < 0)
                end = std::min(end, FloorDiv(at, -__int128(step)) + 1);
            else if (at < 0)
                return;
        }
        if (first >= end) return;
        *left = std::min(*left, first);
        *right = std::max(*right, end);
    }

    void Add(const PixelInput& in, int c) {
        double a[3];
        for (int k = 0; k < 3; ++k) a[k] = VertexValue(*t_.v[k], in, c);
        LaneFloat* target = &m_.Slot(in.slot).c[c];
        if (a[0] == a[1] && a[1] == a[2]) {
            m_.Fill(in.slot, c, Broadcast(IsColor(in) ? ColorUnit(a[0], 1) : float(a[0])));
            return;
        }
        Interpolant& item = items_[count_++];
        item.target = target;
        if (IsColor(in)) {
            item.kind = Interpolant::kColor;
            for (int k = 0; k < 3; ++k) item.color[k] = int64_t(a[k]);
            return;
        }
        item.kind = perspective_ ? Interpolant::kPerspective : Interpolant::kAffine;
        if (perspective_)
            for (int k = 0; k < 3; ++k) a[k] *= t_.v[k]->rhw;
        item.plane = PlaneOf(t_, a);
    }

    // Readies the quad at (x, y) as the next of the block, shading the block when it is full.
    void Quad(int x, int y) {
        // Vertex k's weight at the quad's pixels, and which of them the triangle covers.
        Pending& quad = pending_[count_pending_];
        int64_t(&w)[3][kShaderLanes] = quad.w;
        LaneMask covered = 0;
        for (int k = 0; k < 3 && weighs_; ++k) {
            const int64_t base = t_.Edge(k, int64_t(x) << kSubpixelBits, int64_t(y) << kSubpixelBits);
            for (int l = 0; l < kShaderLanes; ++l)
                w[k][l] = base + (l & 1) * step_x_[k] + (l >> 1) * step_y_[k];
        }
        for (int l = 0; l < kShaderLanes; ++l) {
            const int px = x + (l & 1), py = y + (l >> 1);
            const bool in_box =
                px >= t_.box.left && px < t_.box.right && py >= t_.box.top && py < t_.box.bottom;
            const bool inside =
                in_box && (whole_box_ || (w[0][l] + t_.bias[0] >= 0 && w[1][l] + t_.bias[1] >= 0 &&
                                          w[2][l] + t_.bias[2] >= 0));
            covered |= LaneMask(inside) << l;
        }
        if (!covered) return;
        const int index = count_pending_;
        double q[kShaderLanes];
        if (perspective_) rhw_.AtQuad(x, y, q);
        for (int i = 0; i < count_; ++i) Interpolate(items_[i], index, x, y, w, q);
        const ShaderProgram& program = m_.program();
        if (program.position_slot != kNoSlot) {
            LaneVector& pos = m_.Slot(program.position_slot, index);
            pos.c[0] = Broadcast(float(x)) + LaneFloat{0, 1, 0, 1};
            pos.c[1] = Broadcast(float(y)) + LaneFloat{0, 0, 1, 1};
        }
        quad.x = x, quad.y = y, quad.covered = covered;
        if (++count_pending_ == block_) Flush();
    }

    // Shades the pending quads and writes their covered pixels in order.
    void Flush() {
        const int n = count_pending_;
        if (n == 0) return;
        count_pending_ = 0;
        LaneMask alive[kShaderBlockQuads];
        if (m_.BlockQuads() > 1) {
            m_.RunBlock(n);
            for (int i = 0; i < n; ++i) alive[i] = pending_[i].covered;
        } else {
            alive[0] = m_.Run(kAllLanes) & pending_[0].covered;
        }
        if (plain_ &&
            DispatchColorFormat(p_.target->format, [&](auto f) { WritePlain<decltype(f)::value>(n, alive); }))
            return;
        for (int i = 0; i < n; ++i) {
            const Pending& quad = pending_[i];
            if (!alive[i]) continue;
            LaneInt colors[4];
            ShadedColors(d_, i, colors);
            for (int l = 0; l < kShaderLanes; ++l)
                if (alive[i] >> l & 1)
                    WriteShadedPixel(d_, p_, i, l, quad.x + (l & 1), quad.y + (l >> 1), Depth(i, l, quad.w),
                                     colors);
        }
    }

    // The quads' colours stored as they are (no test, blend or mask), as WritePixel stores them then.
    template <D3DFORMAT F>
    void WritePlain(int n, const LaneMask* alive) {
        for (int i = 0; i < n; ++i) {
            if (!alive[i]) continue;
            LaneInt colors[4];
            ShadedColors(d_, i, colors);
            for (int l = 0; l < kShaderLanes; ++l)
                if (alive[i] >> l & 1)
                    Encode<F>(p_.target->At(pending_[i].x + (l & 1), pending_[i].y + (l >> 1)),
                              LaneColor(colors, l));
        }
    }

    void Interpolate(const Interpolant& item, int quad, int x, int y, const int64_t (*w)[kShaderLanes],
                     const double* q) {
        LaneFloat& out = item.target[quad * kQuadStride];
        double v[kShaderLanes];
        switch (item.kind) {
            case Interpolant::kColor:
                for (int l = 0; l < kShaderLanes; ++l)
                    out[l] = ColorUnit(
                        double(w[0][l] * item.color[0] + w[1][l] * item.color[1] + w[2][l] * item.color[2]),
                        double(t_.area));
                break;
            case Interpolant::kAffine:
                item.plane.AtQuad(x, y, v);
                for (int l = 0; l < kShaderLanes; ++l) out[l] = float(v[l]);
                break;
            case Interpolant::kPerspective:
                item.plane.AtQuad(x, y, v);
                for (int l = 0; l < kShaderLanes; ++l) out[l] = q[l] != 0 ? float(v[l] / q[l]) : 0.0f;
                break;
        }
    }

    // The depth the program wrote, else the triangle's depth at a lane's pixel, when a depth test uses it.
    int Depth(int quad, int lane, const int64_t (*w)[kShaderLanes]) {
        const int written = ShadedDepth(d_, quad, lane);
        if (written >= 0 || !p_.depth) return std::max(written, 0);
        __int128 n = 0;
        for (int k = 0; k < 3; ++k) n += __int128(w[k][lane]) * z_[k];
        return int(FloorDiv(n + 128 * __int128(t_.area), 256 * __int128(t_.area)));
    }

    PixelShaderDraw& d_;
    const PixelPipeline& p_;
    const TriangleEdges& t_;
    ShaderMachine& m_;
    bool whole_box_;
    bool perspective_ = false;
    Plane rhw_;
    int64_t z_[3] = {};
    int64_t step_x_[3], step_y_[3];  // weights' change a pixel along x and y
    Interpolant items_[64];
    int count_ = 0;
    // The quads readied for the block: where they are, what they cover and the vertices' weights.
    struct Pending {
        int x, y;
        LaneMask covered;
        int64_t w[3][kShaderLanes];
    };
    Pending pending_[kShaderBlockQuads];
    int count_pending_ = 0;
    int block_ = 1;
    // The vertices' weights are needed: for coverage, depth or colours (a whole box of flat colour
    // without depth needs none).
    bool weighs_ = true;
    bool plain_ = false;  // the pixels go to the target unchanged
};

}  // namespace

void PreparePixelShader(const ShaderProgram& program, const ShaderConstants& constants,
                        const int coordinate_set[8], PixelShaderDraw* d) {
    d->machine.Load(program, constants, d->samplers);
    d->input_count = 0;
    for (const ShaderSemantic& s : program.inputs) {
        if (d->input_count == 16) break;
        PixelInput in{s.slot, s.mask, PixelInput::kZero, 0};
        if (s.usage == D3DDECLUSAGE_COLOR && s.index < 2)
            in.source = s.index == 0 ? PixelInput::kDiffuse : PixelInput::kSpecular;
        if (s.usage == D3DDECLUSAGE_TEXCOORD && s.index < 8)
            in.source = PixelInput::kCoordinates, in.set = uint8_t(coordinate_set[s.index] & 7);
        d->inputs[d->input_count++] = in;
        // Inputs no vertex gives stay 0.
        if (in.source == PixelInput::kZero)
            for (int c = 0; c < 4; ++c) d->machine.Fill(s.slot, c, Broadcast(0));
    }
    d->color_slot = d->depth_slot = kNoSlot;
    for (const ShaderSemantic& s : program.outputs) {
        if (s.usage == D3DDECLUSAGE_COLOR && s.index == 0) d->color_slot = s.slot;
        if (s.usage == 12 /* depth */) d->depth_slot = s.slot;
    }
}

void ShadeTriangle(PixelShaderDraw& draw, const RasterSetup& r, const TriangleEdges& t) {
    TriangleShader(draw, r, t).Run();
}

bool ShadeRectangle(PixelShaderDraw& d, const RasterSetup& r, const ScreenVertex* corners) {
    const ScreenVertex &tl = corners[0], &tr = corners[1], &bl = corners[2], &br = corners[3];
    auto near = [](const ScreenVertex& v) { return std::abs(v.x) <= 1e6 && std::abs(v.y) <= 1e6; };
    if (!(tl.y == tr.y && bl.y == br.y && tl.x == bl.x && tr.x == br.x && tl.x < tr.x && tl.y < bl.y) ||
        !near(tl) || !near(br) || !(tl.rhw == tr.rhw && tr.rhw == bl.rhw && bl.rhw == br.rhw))
        return false;
    // The far corner must lie on the planes of the other three (and, shaded flat, all four give one
    // colour, as the two triangles' first vertices would).
    auto affine = [&](double a, double b, double c, double e) { return e == b + c - a; };
    for (int i = 0; i < d.input_count; ++i)
        for (int c = 0; c < 4; ++c)
            if (!affine(VertexValue(tl, d.inputs[i], c), VertexValue(tr, d.inputs[i], c),
                        VertexValue(bl, d.inputs[i], c), VertexValue(br, d.inputs[i], c)))
                return false;
    auto same_colours = [&](const ScreenVertex& v) {
        return v.diffuse == tl.diffuse && v.specular == tl.specular;
    };
    if (!affine(tl.z, tr.z, bl.z, br.z) ||
        (r.flat && !(same_colours(tr) && same_colours(bl) && same_colours(br))))
        return false;
    TriangleEdges t;
    if (!SetupTriangleEdges(r, tl, tr, bl, &t)) return true;  // culled: so is the other half
    // The pixels whose centres lie in [x0, x1) x [y0, y1), as the two triangles' fill rule gives them.
    auto ceil = [](double v) { return int(-((-SnapCoordinate(v)) >> kSubpixelBits)); };
    t.box = Intersect(r.pipeline->clip, {ceil(tl.x), ceil(tl.y), ceil(br.x), ceil(br.y)});
    if (!t.box.Empty()) TriangleShader(d, r, t, true).Run();
    return true;
}

void ShadePixel(PixelShaderDraw& d, const RasterSetup& r, int px, int py, const ScreenVertex& a,
                const ScreenVertex& b, int64_t wa, int64_t wb) {
    ShaderMachine& m = d.machine;
    const double total = double(wa + wb);
    for (int i = 0; i < d.input_count; ++i) {
        const PixelInput& in = d.inputs[i];
        for (int c = 0; c < 4; ++c) {
            if (!(in.mask >> c & 1)) continue;
            const double weighted = double(wa) * VertexValue(a, in, c) + double(wb) * VertexValue(b, in, c);
            m.Slot(in.slot).c[c] =
                Broadcast(IsColor(in) ? ColorUnit(weighted, total) : float(weighted / total));
        }
    }
    const ShaderProgram& program = m.program();
    if (program.position_slot != kNoSlot) {
        LaneVector& pos = m.Slot(program.position_slot);
        pos.c[0] = Broadcast(float(px)), pos.c[1] = Broadcast(float(py));
    }
    if (program.face_slot != kNoSlot)
        for (LaneFloat& c : m.Slot(program.face_slot).c) c = Broadcast(1);
    if (!(m.Run(kAllLanes) & 1)) return;
    const PixelPipeline& p = *r.pipeline;
    int depth = ShadedDepth(d, 0, 0);
    if (depth < 0 && p.depth) {
        const __int128 sum = wa + wb;
        depth = int(
            FloorDiv(__int128(wa) * DepthFixed(a.z) + __int128(wb) * DepthFixed(b.z) + 128 * sum, 256 * sum));
    }
    LaneInt colors[4];
    ShadedColors(d, 0, colors);
    WriteShadedPixel(d, p, 0, 0, px, py, std::max(depth, 0), colors);
}

}  // namespace d3d9
