// The library's built-in shader programs, hand-assembled, and their packing into the four data blocks
// the library unpacks at graphics start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NamedShader {
    std::string name;
    std::vector<uint8_t> code;
};

// The 69 pixel shaders of the by-name archive: ps_nonetex_type0-3, the 64 ps_blend shaders, ps_mask_blend.
std::vector<NamedShader> BuiltinPixelShaders();
// The fixed entries of the code tables: the vertex shader and the textured pixel shader.
std::vector<uint8_t> BuiltinVertexShader();
std::vector<uint8_t> BuiltinTexturedPixelShader();

// The LZ-packed blocks: archive 1 (the named shaders), code table 2, archive 2, code table 3.
struct BuiltinShaderBlocks {
    std::vector<uint8_t> blocks[4];
};
BuiltinShaderBlocks BuildBuiltinShaderBlocks();
// The C++ source that holds the blocks as program data.
std::string BuiltinShaderDataSource(const BuiltinShaderBlocks& blocks);
