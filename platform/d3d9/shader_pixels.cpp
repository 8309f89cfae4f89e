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

// The colour the program wrote for a lane, on 8-bit channels.
Color ShadedColor(PixelShaderDraw& d, int lane) {
    if (d.color_slot == kNoSlot) return {};
    const LaneVector& o = d.machine.Slot(d.color_slot);
    return {RoundedSteps(o.c[0][lane], 255), RoundedSteps(o.c[1][lane], 255), RoundedSteps(o.c[2][lane], 255),
            RoundedSteps(o.c[3][lane], 255)};
}

// The depth the program wrote for a lane (0..65535), or -1.
int ShadedDepth(PixelShaderDraw& d, int lane) {
    return d.depth_slot == kNoSlot ? -1 : RoundedSteps(d.machine.Slot(d.depth_slot).c[0][lane], 65535);
}

// A value over the triangle as a function of the pixel: c0 + cx x + cy y (pixel units).
struct Plane {
    double c0 = 0, cx = 0, cy = 0;
    double At(int px, int py) const { return c0 + cx * px + cy * py; }
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
    TriangleShader(PixelShaderDraw& d, const RasterSetup& r, const TriangleEdges& t)
        : d_(d), p_(*r.pipeline), t_(t), m_(d.machine) {
        const double rhw[3] = {t.v[0]->rhw, t.v[1]->rhw, t.v[2]->rhw};
        perspective_ = !(rhw[0] == rhw[1] && rhw[1] == rhw[2]);
        rhw_ = PlaneOf(t, rhw);
        for (int i = 0; i < d.input_count; ++i)
            for (int c = 0; c < 4; ++c)
                if (d.inputs[i].mask >> c & 1) Add(d.inputs[i], c);
        const ShaderProgram& program = m_.program();
        if (program.face_slot != kNoSlot)
            for (LaneFloat& c : m_.Slot(program.face_slot).c) c = Broadcast(t.front ? 1.0f : -1.0f);
        for (int k = 0; k < 3; ++k) z_[k] = DepthFixed(t.v[k]->z);
    }

    void Run() {
        const IntRect& box = t_.box;
        for (int y = box.top & ~1; y < box.bottom; y += 2)
            for (int x = box.left & ~1; x < box.right; x += 2) Quad(x, y);
    }

  private:
    void Add(const PixelInput& in, int c) {
        double a[3];
        for (int k = 0; k < 3; ++k) a[k] = VertexValue(*t_.v[k], in, c);
        LaneFloat* target = &m_.Slot(in.slot).c[c];
        if (a[0] == a[1] && a[1] == a[2]) {
            *target = Broadcast(IsColor(in) ? ColorUnit(a[0], 1) : float(a[0]));
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

    void Quad(int x, int y) {
        int px[kShaderLanes], py[kShaderLanes];
        int64_t w[3][kShaderLanes];
        LaneMask covered = 0;
        for (int l = 0; l < kShaderLanes; ++l) {
            px[l] = x + (l & 1), py[l] = y + (l >> 1);
            bool inside =
                px[l] >= t_.box.left && px[l] < t_.box.right && py[l] >= t_.box.top && py[l] < t_.box.bottom;
            for (int k = 0; k < 3; ++k) {
                w[k][l] = t_.Edge(k, int64_t(px[l]) << kSubpixelBits, int64_t(py[l]) << kSubpixelBits);
                inside = inside && w[k][l] + t_.bias[k] >= 0;
            }
            covered |= LaneMask(inside) << l;
        }
        if (!covered) return;
        for (int i = 0; i < count_; ++i) Interpolate(items_[i], px, py, w);
        const ShaderProgram& program = m_.program();
        if (program.position_slot != kNoSlot) {
            LaneVector& pos = m_.Slot(program.position_slot);
            for (int l = 0; l < kShaderLanes; ++l) pos.c[0][l] = float(px[l]), pos.c[1][l] = float(py[l]);
        }
        const LaneMask alive = m_.Run(kAllLanes) & covered;
        for (int l = 0; l < kShaderLanes; ++l)
            if (alive >> l & 1) Output(px[l], py[l], l, w);
    }

    void Interpolate(const Interpolant& item, const int* px, const int* py,
                     const int64_t (*w)[kShaderLanes]) {
        LaneFloat& out = *item.target;
        for (int l = 0; l < kShaderLanes; ++l) {
            switch (item.kind) {
                case Interpolant::kColor: {
                    const int64_t n =
                        w[0][l] * item.color[0] + w[1][l] * item.color[1] + w[2][l] * item.color[2];
                    out[l] = ColorUnit(double(n), double(t_.area));
                    break;
                }
                case Interpolant::kAffine:
                    out[l] = float(item.plane.At(px[l], py[l]));
                    break;
                case Interpolant::kPerspective: {
                    const double q = rhw_.At(px[l], py[l]);
                    out[l] = q != 0 ? float(item.plane.At(px[l], py[l]) / q) : 0.0f;
                    break;
                }
            }
        }
    }

    void Output(int x, int y, int lane, const int64_t (*w)[kShaderLanes]) {
        int depth = ShadedDepth(d_, lane);
        if (depth < 0 && p_.depth) {
            __int128 n = 0;
            for (int k = 0; k < 3; ++k) n += __int128(w[k][lane]) * z_[k];
            depth = int(FloorDiv(n + 128 * __int128(t_.area), 256 * __int128(t_.area)));
        }
        WritePixel(p_, x, y, std::max(depth, 0), ShadedColor(d_, lane));
    }

    PixelShaderDraw& d_;
    const PixelPipeline& p_;
    const TriangleEdges& t_;
    ShaderMachine& m_;
    bool perspective_ = false;
    Plane rhw_;
    int64_t z_[3] = {};
    Interpolant items_[64];
    int count_ = 0;
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
            for (LaneFloat& c : d->machine.Slot(s.slot).c) c = Broadcast(0);
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
    int depth = ShadedDepth(d, 0);
    if (depth < 0 && p.depth) {
        const __int128 sum = wa + wb;
        depth = int(
            FloorDiv(__int128(wa) * DepthFixed(a.z) + __int128(wb) * DepthFixed(b.z) + 128 * sum, 256 * sum));
    }
    WritePixel(p, px, py, std::max(depth, 0), ShadedColor(d, 0));
}

}  // namespace d3d9
