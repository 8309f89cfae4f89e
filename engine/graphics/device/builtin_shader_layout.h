// The layout of the built-in shader data: four LZ-packed blocks held as program data (archive 1 of the
// named pixel shaders, code table 2, archive 2, code table 3) and the shape of the two code tables.
#pragma once

#include <cstddef>

struct ShaderDataBlock {
    const unsigned char* data;
    size_t size;
};

extern const ShaderDataBlock kBuiltinShaderBlocks[4];

// Code table 2: 64 x 4 16-bit sizes, the code of the non-empty entries after the size table: the
// precompiled RGBA-mix filter shaders.
constexpr int kShaderCodeTable2Entries = 64 * 4;
constexpr size_t kShaderCodeTable2Start = kShaderCodeTable2Entries * 2;
// Code table 3: 16384 16-bit sizes; its code starts at a fixed offset.
constexpr int kShaderCodeTable3Entries = 16384;
constexpr size_t kShaderCodeTable3Start = 445440;

// The fixed entries of table 3: the textured pixel shader and the vertex shader.
constexpr int kBuiltinPixelShaderEntry = 0;
constexpr int kBuiltinVertexShaderEntry = 1;
