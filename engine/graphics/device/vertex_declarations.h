// The vertex declarations of the programmable-shader draws: 2 groups (plain, skinned) x 3 layout kinds
// x 9, where declaration n is the kind's base layout followed by n FLOAT4 texture coordinates
// (TEXCOORD0..n-1), and two fixed declarations of the screen and world vertices.
#pragma once

#include "platform/d3d9/d3d9.h"

inline constexpr int kDeclarationGroupCount = 2;
inline constexpr int kDeclarationKindCount = 3;
inline constexpr int kDeclarationExtraMax = 8;
inline constexpr int kFixedDeclarationCount = 2;
// Base elements, extra texture coordinates and the end mark.
inline constexpr int kDeclarationElementMax = 8 + kDeclarationExtraMax + 1;

struct VertexDeclarations {
    IDirect3DVertexDeclaration9* table[kDeclarationGroupCount][kDeclarationKindCount]
                                      [kDeclarationExtraMax + 1];
    IDirect3DVertexDeclaration9* fixed[kFixedDeclarationCount];
};

extern VertexDeclarations vertexDeclarations;

// The elements of a table declaration, D3DDECL_END included; the element count, or 0 for indices out of
// range.
int BuildDeclarationElements(int group, int kind, int extra, D3DVERTEXELEMENT9* elements);
// Releases the old declarations and makes all of them; a failure leaves that entry null. 0.
int CreateVertexDeclarations();
// Unbinds and releases every declaration. 0.
int ReleaseVertexDeclarations();
