#include "platform/d3d9/vertex_processing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/polygon_clip.h"
#include "platform/d3d9/shader_vertices.h"

namespace d3d9 {

namespace {

float ReadFloat(const uint8_t* p, int offset) {
    float f;
    std::memcpy(&f, p + offset, 4);
    return f;
}

Color ReadColor(const uint8_t* p, int offset) {
    uint32_t v;
    std::memcpy(&v, p + offset, 4);
    return ColorFromArgb(v);
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, double out[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += double(a.m[i][k]) * double(b.m[k][j]);
            out[i][j] = s;
        }
}

void Multiply(const double a[4][4], const D3DMATRIX& b, double out[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[i][k] * double(b.m[k][j]);
            out[i][j] = s;
        }
}

void CopyCoordinates(const ProcessedVertex& p, ScreenVertex* s) {
    std::copy(std::begin(p.u), std::end(p.u), s->u);
    std::copy(std::begin(p.v), std::end(p.v), s->v);
    std::copy(std::begin(p.r), std::end(p.r), s->r);
    std::copy(std::begin(p.q), std::end(p.q), s->q);
}

double Unit(int v) {
    return v / 255.0;
}
int Channel(double v) {
    return int(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

}  // namespace

VertexLayout LayoutFromFvf(DWORD fvf) {
    VertexLayout l;
    int offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ:
            offset = 12;
            break;
        case D3DFVF_XYZRHW:
            offset = 16, l.pretransformed = true;
            break;
        default:
            return l;
    }
    if (fvf & D3DFVF_NORMAL) l.normal = offset, offset += 12;
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) l.diffuse = offset, offset += 4;
    if (fvf & D3DFVF_SPECULAR) l.specular = offset, offset += 4;
    l.tex_count = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (l.tex_count > kStageCount) return l;
    for (int i = 0; i < l.tex_count; ++i) {
        // Two-component coordinates (the format bits above 16 select other sizes, which the library never
        // uses).
        if ((fvf >> (16 + 2 * i)) & 3) return l;
        l.tex[i] = offset;
        offset += 8;
    }
    l.size = offset;
    l.valid = true;
    return l;
}

VertexLayout LayoutFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements) {
    VertexLayout l;
    bool position = false;
    for (const auto& e : elements) {
        if (e.Stream == 0xFF) break;
        if (e.Stream != 0) return l;
        int end = e.Offset;
        switch (e.Usage) {
            case D3DDECLUSAGE_POSITIONT:
            case D3DDECLUSAGE_POSITION:
                if (e.Type != (e.Usage == D3DDECLUSAGE_POSITIONT ? D3DDECLTYPE_FLOAT4 : D3DDECLTYPE_FLOAT3))
                    return l;
                l.pretransformed = e.Usage == D3DDECLUSAGE_POSITIONT;
                l.position = e.Offset;
                position = true;
                end += l.pretransformed ? 16 : 12;
                break;
            case D3DDECLUSAGE_NORMAL:
                if (e.Type != D3DDECLTYPE_FLOAT3) return l;
                l.normal = e.Offset, end += 12;
                break;
            case D3DDECLUSAGE_COLOR:
                if (e.Type != D3DDECLTYPE_D3DCOLOR || e.UsageIndex > 1) return l;
                (e.UsageIndex == 0 ? l.diffuse : l.specular) = e.Offset;
                end += 4;
                break;
            case D3DDECLUSAGE_TEXCOORD:
                if (e.UsageIndex >= kStageCount ||
                    (e.Type != D3DDECLTYPE_FLOAT2 && e.Type != D3DDECLTYPE_FLOAT4))
                    return l;
                l.tex[e.UsageIndex] = e.Offset;
                l.tex_count = std::max(l.tex_count, int(e.UsageIndex) + 1);
                end += 8;
                break;
            default:
                break;  // read by shaders only
        }
        l.size = std::max(l.size, end);
    }
    l.valid = position;
    return l;
}

VertexProcessor::VertexProcessor(const DeviceState& state, const VertexLayout& layout,
                                 VertexShaderDraw* shader)
    : state_(state), layout_(layout), shader_(shader) {
    Multiply(state.world, state.view, world_view_);
    Multiply(world_view_, state.projection, world_view_projection_);
    lighting_ = !layout.pretransformed && state.render[D3DRS_LIGHTING];
    for (int s = 0; s < kStageCount; ++s) {
        if ((state.stage[size_t(s)][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) == D3DTTFF_DISABLE) continue;
        transformed_stage_[transformed_count_] = s;
        transformed_set_[transformed_count_++] = int(state.stage[size_t(s)][D3DTSS_TEXCOORDINDEX] & 7);
    }
}

void VertexProcessor::ReadAttributes(const uint8_t* p, Color* diffuse, Color* specular, float* u,
                                     float* v) const {
    *diffuse = layout_.diffuse >= 0 ? ReadColor(p, layout_.diffuse) : Color{255, 255, 255, 255};
    *specular = layout_.specular >= 0 ? ReadColor(p, layout_.specular) : Color{0, 0, 0, 0};
    for (int i = 0; i < layout_.tex_count; ++i) {
        u[i] = ReadFloat(p, layout_.tex[i]);
        v[i] = ReadFloat(p, layout_.tex[i] + 4);
    }
    for (int k = 0; k < transformed_count_; ++k) {
        const int set = transformed_set_[k];
        const D3DMATRIX& m = state_.texture_transform[size_t(transformed_stage_[k])];
        const float tu = u[set], tv = v[set];
        u[set] = float(double(tu) * m._11 + double(tv) * m._21 + m._31);
        v[set] = float(double(tu) * m._12 + double(tv) * m._22 + m._32);
    }
}

void VertexProcessor::ProcessToScreen(const uint8_t* p, ScreenVertex* out) const {
    out->x = ReadFloat(p, layout_.position);
    out->y = ReadFloat(p, layout_.position + 4);
    out->z = ReadFloat(p, layout_.position + 8);
    out->rhw = ReadFloat(p, layout_.position + 12);
    ReadAttributes(p, &out->diffuse, &out->specular, out->u, out->v);
}

ProcessedVertex VertexProcessor::Process(const uint8_t* p) const {
    if (shader_) return ShadeVertex(*shader_, p);
    ProcessedVertex o;
    Color diffuse, specular;
    ReadAttributes(p, &diffuse, &specular, o.u, o.v);
    double in[3] = {ReadFloat(p, layout_.position), ReadFloat(p, layout_.position + 4),
                    ReadFloat(p, layout_.position + 8)};
    if (layout_.pretransformed) {
        o.x = in[0], o.y = in[1], o.z = in[2];
        o.w = ReadFloat(p, layout_.position + 12);  // rhw, kept as is
    } else {
        double out[4];
        for (int j = 0; j < 4; ++j)
            out[j] = in[0] * world_view_projection_[0][j] + in[1] * world_view_projection_[1][j] +
                     in[2] * world_view_projection_[2][j] + world_view_projection_[3][j];
        o.x = out[0], o.y = out[1], o.z = out[2], o.w = out[3];
        if (lighting_) {
            double position[3], normal[3] = {0, 0, 0};
            for (int j = 0; j < 3; ++j)
                position[j] = in[0] * world_view_[0][j] + in[1] * world_view_[1][j] +
                              in[2] * world_view_[2][j] + world_view_[3][j];
            if (layout_.normal >= 0) {
                double n[3] = {ReadFloat(p, layout_.normal), ReadFloat(p, layout_.normal + 4),
                               ReadFloat(p, layout_.normal + 8)};
                for (int j = 0; j < 3; ++j)
                    normal[j] =
                        n[0] * world_view_[0][j] + n[1] * world_view_[1][j] + n[2] * world_view_[2][j];
                double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
                if (state_.render[D3DRS_NORMALIZENORMALS] && len > 0)
                    for (double& c : normal) c /= len;
            }
            Color lit_specular;
            diffuse = Light(position, normal, diffuse, specular, &lit_specular);
            specular = lit_specular;
        }
    }
    o.diffuse = diffuse;
    o.specular = specular;
    return o;
}

Color VertexProcessor::Light(const double position[3], const double normal[3], Color vertex_diffuse,
                             Color vertex_specular, Color* out_specular) const {
    const auto& r = state_.render;
    const D3DMATERIAL9& m = state_.material;
    auto source = [&](DWORD state, const D3DCOLORVALUE& material) {
        D3DCOLORVALUE c = material;
        DWORD src = r[state];
        if (r[D3DRS_COLORVERTEX] && src == D3DMCS_COLOR1 && layout_.diffuse >= 0)
            c = {float(Unit(vertex_diffuse.r)), float(Unit(vertex_diffuse.g)), float(Unit(vertex_diffuse.b)),
                 float(Unit(vertex_diffuse.a))};
        if (r[D3DRS_COLORVERTEX] && src == D3DMCS_COLOR2 && layout_.specular >= 0)
            c = {float(Unit(vertex_specular.r)), float(Unit(vertex_specular.g)),
                 float(Unit(vertex_specular.b)), float(Unit(vertex_specular.a))};
        return c;
    };
    D3DCOLORVALUE diffuse = source(D3DRS_DIFFUSEMATERIALSOURCE, m.Diffuse);
    D3DCOLORVALUE ambient = source(D3DRS_AMBIENTMATERIALSOURCE, m.Ambient);
    D3DCOLORVALUE emissive = source(D3DRS_EMISSIVEMATERIALSOURCE, m.Emissive);
    Color global = ColorFromArgb(r[D3DRS_AMBIENT]);
    double sum[3] = {emissive.r + Unit(global.r) * ambient.r, emissive.g + Unit(global.g) * ambient.g,
                     emissive.b + Unit(global.b) * ambient.b};
    for (const auto& [index, enabled] : state_.light_enabled) {
        auto found = state_.lights.find(index);
        if (!enabled || found == state_.lights.end()) continue;
        const D3DLIGHT9& light = found->second;
        double to_light[3], attenuation = 1.0;
        if (light.Type == D3DLIGHT_DIRECTIONAL) {
            double d[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
            for (int j = 0; j < 3; ++j)
                to_light[j] =
                    -(d[0] * state_.view.m[0][j] + d[1] * state_.view.m[1][j] + d[2] * state_.view.m[2][j]);
        } else {
            double lp[3];
            for (int j = 0; j < 3; ++j)
                lp[j] = light.Position.x * state_.view.m[0][j] + light.Position.y * state_.view.m[1][j] +
                        light.Position.z * state_.view.m[2][j] + state_.view.m[3][j];
            for (int j = 0; j < 3; ++j) to_light[j] = lp[j] - position[j];
            double dist =
                std::sqrt(to_light[0] * to_light[0] + to_light[1] * to_light[1] + to_light[2] * to_light[2]);
            if (dist > light.Range) continue;
            double a = light.Attenuation0 + light.Attenuation1 * dist + light.Attenuation2 * dist * dist;
            attenuation = a > 0 ? 1.0 / a : 1.0;
        }
        double len =
            std::sqrt(to_light[0] * to_light[0] + to_light[1] * to_light[1] + to_light[2] * to_light[2]);
        double lambert = 0;
        if (len > 0)
            lambert = std::max(
                0.0, (normal[0] * to_light[0] + normal[1] * to_light[1] + normal[2] * to_light[2]) / len);
        sum[0] += attenuation * (light.Ambient.r * ambient.r + light.Diffuse.r * diffuse.r * lambert);
        sum[1] += attenuation * (light.Ambient.g * ambient.g + light.Diffuse.g * diffuse.g * lambert);
        sum[2] += attenuation * (light.Ambient.b * ambient.b + light.Diffuse.b * diffuse.b * lambert);
    }
    *out_specular = {0, 0, 0, 0};
    return {Channel(sum[0]), Channel(sum[1]), Channel(sum[2]), Channel(diffuse.a)};
}

ScreenVertex VertexProcessor::PretransformedToScreen(const ProcessedVertex& p) {
    ScreenVertex s;
    s.x = p.x, s.y = p.y, s.z = p.z, s.rhw = p.w;
    s.diffuse = p.diffuse, s.specular = p.specular;
    CopyCoordinates(p, &s);
    return s;
}

std::vector<ScreenVertex> VertexProcessor::ToScreen(std::vector<ProcessedVertex> poly) const {
    std::vector<ScreenVertex> out;
    if (layout_.pretransformed) {
        for (const auto& p : poly) out.push_back(PretransformedToScreen(p));
        return out;
    }
    auto lerp = [](const ProcessedVertex& a, const ProcessedVertex& b, double t) {
        ProcessedVertex o;
        auto mix = [t](double p, double q) { return p + (q - p) * t; };
        auto mixc = [&](Color p, Color q) {
            return Color{int(std::lround(mix(p.r, q.r))), int(std::lround(mix(p.g, q.g))),
                         int(std::lround(mix(p.b, q.b))), int(std::lround(mix(p.a, q.a)))};
        };
        o.x = mix(a.x, b.x), o.y = mix(a.y, b.y), o.z = mix(a.z, b.z), o.w = mix(a.w, b.w);
        o.diffuse = mixc(a.diffuse, b.diffuse);
        o.specular = mixc(a.specular, b.specular);
        for (int i = 0; i < kStageCount; ++i) {
            o.u[i] = float(mix(a.u[i], b.u[i])), o.v[i] = float(mix(a.v[i], b.v[i]));
            o.r[i] = float(mix(a.r[i], b.r[i])), o.q[i] = float(mix(a.q[i], b.q[i]));
        }
        return o;
    };
    ClipPolygon(
        poly, [](const ProcessedVertex& v) { return v.z; }, lerp);
    ClipPolygon(
        poly, [](const ProcessedVertex& v) { return v.w - v.z; }, lerp);
    ClipPolygon(
        poly, [](const ProcessedVertex& v) { return v.w - 1e-6; }, lerp);
    const D3DVIEWPORT9& vp = state_.viewport;
    for (const auto& p : poly) {
        ScreenVertex s;
        double rhw = 1.0 / p.w;
        s.x = vp.X + (1.0 + p.x * rhw) * vp.Width * 0.5;
        s.y = vp.Y + (1.0 - p.y * rhw) * vp.Height * 0.5;
        s.z = vp.MinZ + p.z * rhw * (vp.MaxZ - vp.MinZ);
        s.rhw = rhw;
        s.diffuse = p.diffuse, s.specular = p.specular;
        CopyCoordinates(p, &s);
        out.push_back(s);
    }
    return out;
}

}  // namespace d3d9
