// The vertex batch: the Direct3D kernels append vertices here and the batch is drawn with one
// user-pointer primitive call when its kind, space or primitive type changes, when it would overflow,
// before any cached device state changes, and at the flip.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

// Vertex layouts by buffer (space x 3 + kind).
struct Vertex2D {  // 0x44
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
struct Vertex2DTex {  // 0x144
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
struct Vertex2DTex2 {  // 0x2c4: the blend graphic's coordinates first, then the graphic's
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u1, v1, u2, v2;
};
struct Vertex3D {  // 0x42
    float x, y, z;
    D3DCOLOR diffuse;
};
struct Vertex3DTex {  // 0x142
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

struct VertexBufferFormat {
    uint32_t fvf;
    int32_t stride;
    int32_t capacity;  // vertices; each buffer holds at most 64 KB
};

inline constexpr int kVertexBatchBufferCount = 6;
inline constexpr VertexBufferFormat kVertexBufferFormats[kVertexBatchBufferCount] = {
    {0x44, 20, 3225}, {0x144, 28, 2340}, {0x2c4, 40, 1638}, {0x42, 16, 4096}, {0x142, 24, 2730}, {0, 0, 0},
};

struct VertexBatch {
    uint8_t* buffers[kVertexBatchBufferCount];
    int32_t space;          // 0 screen-space (pre-transformed), 1 3D
    int32_t vertexCount;    // vertices waiting
    int32_t kind;           // 0 colour, 1 colour and one texture pair, 2 two colours and two pairs
    int32_t primitiveType;  // D3DPRIMITIVETYPE 1 to 6
    uint8_t* writePointer;  // next free vertex of the current buffer
};

// The vertex format and declaration last given to the device, to skip repeats.
struct DeviceVertexFormat {
    uint32_t fvf;
    IDirect3DVertexDeclaration9* declaration;
};

extern VertexBatch vertexBatch;
extern DeviceVertexFormat deviceVertexFormat;

inline int VertexBatchBufferIndex(int space, int kind) {
    return space * 3 + kind;
}

// 0, or -1 without a device. A non-zero `post` runs the flush on the main thread from a loader thread
// and answers with its result.
int FlushVertexBatch(int post);
// The main-thread side of a posted flush.
struct MainThreadCall;
int FlushVertexBatchCompanion(MainThreadCall* call);

// Room for `count` vertices of (space, kind, primitive type): a batch of another shape, or one that
// would reach its buffer's capacity, is flushed first and restarted empty in that shape. The vertices
// are counted as written; null when the shape has no buffer or `count` can never fit.
void* ReserveBatchVertices(int space, int kind, int primitiveType, int count);

// Sets the device's vertex format when it differs from the last one given, forgetting the declaration.
void ApplyVertexFormat(uint32_t fvf);

// An empty screen-space triangle-list batch of kind 0, with rhw 1 and z 0 in every screen-space vertex
// and the specular colour 0xFFFFFFFF in every two-colour vertex; the device format forgotten.
void ResetVertexBatch();
