#include "engine/graphics/device/vertex_declarations.h"

#include "engine/graphics/device/device_wrappers.h"

VertexDeclarations vertexDeclarations;

namespace {

constexpr D3DVERTEXELEMENT9 kEnd = D3DDECL_END();

constexpr D3DVERTEXELEMENT9 Element(WORD offset, D3DDECLTYPE type, D3DDECLUSAGE usage, BYTE index = 0) {
    return D3DVERTEXELEMENT9{0, offset, BYTE(type), BYTE(D3DDECLMETHOD_DEFAULT), BYTE(usage), index};
}

// Base layouts by group and kind, each ended by kEnd. Kind 0: position, normal, two colours; kind 1 adds
// tangent and binormal; kind 2 has no normal. The skinned group carries blend weights and indices after
// the position.
const D3DVERTEXELEMENT9 kBase[kDeclarationGroupCount][kDeclarationKindCount][9] = {
    {
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL),
         Element(24, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(28, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL),
         Element(24, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT),
         Element(36, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_BINORMAL),
         Element(48, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(52, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(16, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
    },
    {
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT),
         Element(28, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES),
         Element(32, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL),
         Element(44, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(48, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT),
         Element(28, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES),
         Element(32, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL),
         Element(44, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT),
         Element(56, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_BINORMAL),
         Element(68, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(72, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
        {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
         Element(12, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT),
         Element(28, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES),
         Element(32, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0),
         Element(36, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1), kEnd},
    },
};

// The screen vertex (transformed position, colour, one texture coordinate) and the world vertex.
const D3DVERTEXELEMENT9 kFixed[kFixedDeclarationCount][4] = {
    {Element(0, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT),
     Element(16, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR),
     Element(20, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD), kEnd},
    {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION),
     Element(12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR),
     Element(16, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD), kEnd},
};

int TypeBytes(BYTE type) {
    static constexpr int kBytes[] = {4, 8, 12, 16, 4, 4};
    return type < 6 ? kBytes[type] : 0;
}

void Create(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9*& declaration) {
    if (FAILED(DeviceCreateVertexDeclaration(elements, &declaration))) declaration = nullptr;
}

}  // namespace

int BuildDeclarationElements(int group, int kind, int extra, D3DVERTEXELEMENT9* elements) {
    if (group < 0 || group >= kDeclarationGroupCount || kind < 0 || kind >= kDeclarationKindCount ||
        extra < 0 || extra > kDeclarationExtraMax)
        return 0;
    int count = 0;
    int end = 0;
    for (const D3DVERTEXELEMENT9* base = kBase[group][kind]; base->Stream != 0xFF; ++base) {
        elements[count++] = *base;
        end = base->Offset + TypeBytes(base->Type);
    }
    for (int i = 0; i < extra; ++i)
        elements[count++] = Element(WORD(end + 16 * i), D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_TEXCOORD, BYTE(i));
    elements[count++] = kEnd;
    return count;
}

int CreateVertexDeclarations() {
    ReleaseVertexDeclarations();
    if (!HasD3DDevice()) return 0;
    D3DVERTEXELEMENT9 elements[kDeclarationElementMax];
    for (int group = 0; group < kDeclarationGroupCount; ++group)
        for (int kind = 0; kind < kDeclarationKindCount; ++kind)
            for (int extra = 0; extra <= kDeclarationExtraMax; ++extra) {
                BuildDeclarationElements(group, kind, extra, elements);
                Create(elements, vertexDeclarations.table[group][kind][extra]);
            }
    for (int i = 0; i < kFixedDeclarationCount; ++i) Create(kFixed[i], vertexDeclarations.fixed[i]);
    return 0;
}

int ReleaseVertexDeclarations() {
    if (HasD3DDevice()) DeviceSetVertexDeclaration(nullptr);
    for (auto& group : vertexDeclarations.table)
        for (auto& kind : group)
            for (IDirect3DVertexDeclaration9*& declaration : kind) ReleaseAndClear(declaration);
    for (IDirect3DVertexDeclaration9*& declaration : vertexDeclarations.fixed) ReleaseAndClear(declaration);
    return 0;
}
