#include "platform/d3d9/shader_vertices.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3d9 {

namespace {

// Declaration types past D3DDECLTYPE_UBYTE4.
enum : BYTE {
    kShort2 = 6,
    kShort4,
    kUbyte4N,
    kShort2N,
    kShort4N,
    kUshort2N,
    kUshort4N,
    kUdec3,
    kDec3N,
    kFloat16x2,
    kFloat16x4,
};

// Bytes of an element type; 0 for an unknown one.
int TypeSize(BYTE type) {
    static constexpr int kSizes[] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

float HalfToFloat(uint16_t h) {
    const int exponent = (h >> 10) & 31, mantissa = h & 1023;
    float v = exponent == 0    ? std::ldexp(float(mantissa), -24)
              : exponent == 31 ? (mantissa ? NAN : INFINITY)
                               : std::ldexp(float(mantissa | 1024), exponent - 25);
    return (h & 0x8000) ? -v : v;
}

template <typename T>
T Load(const uint8_t* p, int i) {
    T v;
    std::memcpy(&v, p + i * int(sizeof(T)), sizeof(T));
    return v;
}

// An element as four floats, missing components (0, 0, 0, 1).
void ReadElement(const uint8_t* p, BYTE type, float out[4]) {
    out[0] = out[1] = out[2] = 0, out[3] = 1;
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
        case D3DDECLTYPE_FLOAT2:
        case D3DDECLTYPE_FLOAT3:
        case D3DDECLTYPE_FLOAT4:
            for (int i = 0; i <= type; ++i) out[i] = Load<float>(p, i);
            break;
        case D3DDECLTYPE_D3DCOLOR:  // bytes B, G, R, A
            for (int i = 0; i < 4; ++i) out[i] = p[i == 3 ? 3 : 2 - i] / 255.0f;
            break;
        case D3DDECLTYPE_UBYTE4:
        case kUbyte4N:
            for (int i = 0; i < 4; ++i) out[i] = type == kUbyte4N ? p[i] / 255.0f : float(p[i]);
            break;
        case kShort2:
        case kShort4:
        case kShort2N:
        case kShort4N:
            for (int i = 0; i < (type == kShort2 || type == kShort2N ? 2 : 4); ++i) {
                const float v = Load<int16_t>(p, i);
                out[i] = type >= kShort2N ? v / 32767.0f : v;
            }
            break;
        case kUshort2N:
        case kUshort4N:
            for (int i = 0; i < (type == kUshort2N ? 2 : 4); ++i) out[i] = Load<uint16_t>(p, i) / 65535.0f;
            break;
        case kUdec3:
        case kDec3N: {
            const uint32_t v = Load<uint32_t>(p, 0);
            for (int i = 0; i < 3; ++i) {
                const int bits = int(v >> (10 * i) & 1023);
                out[i] = type == kUdec3 ? float(bits) : float(bits >= 512 ? bits - 1024 : bits) / 511.0f;
            }
            break;
        }
        case kFloat16x2:
        case kFloat16x4:
            for (int i = 0; i < (type == kFloat16x2 ? 2 : 4); ++i) out[i] = HalfToFloat(Load<uint16_t>(p, i));
            break;
        default:
            break;
    }
}

D3DVERTEXELEMENT9 Element(int offset, BYTE type, BYTE usage, BYTE index) {
    return {0, WORD(offset), type, 0, usage, index};
}

}  // namespace

std::vector<D3DVERTEXELEMENT9> ElementsFromFvf(DWORD fvf) {
    std::vector<D3DVERTEXELEMENT9> e;
    int offset = 0;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW) {
        e.push_back(Element(0, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0));
        offset = 16;
    } else if (position >= D3DFVF_XYZ && position <= 0x00E) {  // XYZ and XYZB1..XYZB5
        e.push_back(Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0));
        offset = 12;
        const int weights = int(position - D3DFVF_XYZ) / 2;
        if (weights > 0) e.push_back(Element(offset, BYTE(weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0));
        offset += 4 * weights;
    }
    const std::pair<DWORD, D3DVERTEXELEMENT9> optional[] = {
        {D3DFVF_NORMAL, Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0)},
        {D3DFVF_PSIZE, Element(0, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0)},
        {D3DFVF_DIFFUSE, Element(0, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0)},
        {D3DFVF_SPECULAR, Element(0, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1)}};
    for (auto [bit, element] : optional) {
        if (!(fvf & bit)) continue;
        element.Offset = WORD(offset);
        e.push_back(element);
        offset += TypeSize(element.Type);
    }
    const int sets = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    for (int i = 0; i < std::min(sets, kStageCount); ++i) {
        static constexpr BYTE kSizes[] = {D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                                          D3DDECLTYPE_FLOAT1};
        const BYTE type = kSizes[(fvf >> (16 + 2 * i)) & 3];
        e.push_back(Element(offset, type, D3DDECLUSAGE_TEXCOORD, BYTE(i)));
        offset += TypeSize(type);
    }
    e.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
    return e;
}

bool HasScreenPositions(const std::vector<D3DVERTEXELEMENT9>& elements) {
    for (const D3DVERTEXELEMENT9& e : elements)
        if (e.Stream != 0xFF && e.Usage == D3DDECLUSAGE_POSITIONT) return true;
    return false;
}

bool PrepareVertexShader(const ShaderProgram& program, const ShaderConstants& constants,
                         const std::vector<D3DVERTEXELEMENT9>& elements, VertexShaderDraw* d) {
    d->read_count = 0;
    d->size = 0;
    for (const ShaderSemantic& in : program.inputs) {
        VertexShaderDraw::Read read{in.slot, in.mask, -1, 0};
        for (const D3DVERTEXELEMENT9& e : elements) {
            if (e.Stream == 0xFF || e.Usage != in.usage || e.UsageIndex != in.index) continue;
            if (e.Stream != 0 || TypeSize(e.Type) == 0) return false;
            read.offset = e.Offset;
            read.type = e.Type;
            d->size = std::max(d->size, e.Offset + TypeSize(e.Type));
            break;
        }
        if (d->read_count < 16) d->reads[d->read_count++] = read;
    }
    d->position_slot = d->color_slots[0] = d->color_slots[1] = kNoSlot;
    std::fill(std::begin(d->texcoord_slots), std::end(d->texcoord_slots), kNoSlot);
    for (const ShaderSemantic& out : program.outputs) {
        if (out.usage == D3DDECLUSAGE_POSITION && out.index == 0) d->position_slot = out.slot;
        if (out.usage == D3DDECLUSAGE_COLOR && out.index < 2) d->color_slots[out.index] = out.slot;
        if (out.usage == D3DDECLUSAGE_TEXCOORD && out.index < kStageCount)
            d->texcoord_slots[out.index] = out.slot;
    }
    d->machine.Load(program, constants, d->samplers);
    return true;
}

ProcessedVertex ShadeVertex(VertexShaderDraw& d, const uint8_t* vertex) {
    ShaderMachine& m = d.machine;
    for (int i = 0; i < d.read_count; ++i) {
        const VertexShaderDraw::Read& r = d.reads[i];
        float v[4] = {0, 0, 0, 1};
        if (r.offset >= 0) ReadElement(vertex + r.offset, r.type, v);
        for (int c = 0; c < 4; ++c)
            if (r.mask >> c & 1) m.Slot(r.slot).c[c] = Broadcast(v[c]);
    }
    m.Run(kAllLanes);
    // Unwritten outputs read as a vertex without them does: a white diffuse colour, the rest 0.
    auto component = [&](uint16_t slot, int c, float otherwise) {
        return slot == kNoSlot ? otherwise : m.Slot(slot).c[c][0];
    };
    ProcessedVertex o;
    o.x = component(d.position_slot, 0, 0), o.y = component(d.position_slot, 1, 0);
    o.z = component(d.position_slot, 2, 0), o.w = component(d.position_slot, 3, 0);
    auto color = [&](int n, float otherwise) {
        const uint16_t s = d.color_slots[n];
        return Color{
            RoundedSteps(component(s, 0, otherwise), 255), RoundedSteps(component(s, 1, otherwise), 255),
            RoundedSteps(component(s, 2, otherwise), 255), RoundedSteps(component(s, 3, otherwise), 255)};
    };
    o.diffuse = color(0, 1);
    o.specular = color(1, 0);
    for (int n = 0; n < kStageCount; ++n) {
        const uint16_t s = d.texcoord_slots[n];
        o.u[n] = component(s, 0, 0), o.v[n] = component(s, 1, 0);
        o.r[n] = component(s, 2, 0), o.q[n] = component(s, 3, 1);
    }
    return o;
}

}  // namespace d3d9
