// Validation of a shader token stream against its shader model: the version, every instruction's
// opcode, length, registers (type, number, read or written, relative addressing), write masks,
// swizzles, source and result modifiers, declarations, flow-control structure and instruction slots.
// Nothing is read past the given size. A valid stream comes out as a list of parsed instructions,
// which the decoder (shader_program.h) turns into a program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3d9 {

// The highest pixel and vertex shader versions (major << 8 | minor) a device runs; ps_2_0 and ps_2_x come
// with 2.0, vs_2_0 with 2.0, ps_3_0 and vs_3_0 with 3.0.
struct ShaderModels {
    uint32_t pixel = 0;
    uint32_t vertex = 0;
};

struct ParsedParameter {
    uint32_t token = 0;
    uint32_t relative = 0;  // the relative-address token when the parameter has one
};

struct ParsedInstruction {
    uint16_t opcode = 0;
    uint8_t controls = 0;
    bool predicated = false;
    bool has_destination = false;
    uint8_t source_count = 0;
    ParsedParameter destination;
    ParsedParameter sources[4];
    ParsedParameter predicate;
    uint32_t declaration = 0;  // dcl: the usage or sampler-type token
    uint32_t values[4] = {};   // def, defi, defb: the constant's bits
};

struct ParsedShader {
    bool pixel = false;
    uint32_t version = 0;
    std::vector<ParsedInstruction> instructions;  // without comments and the end token
};

// The longest stream any accepted model allows, in tokens: the bound under which a stream handed over
// without its size is searched for its end.
constexpr size_t kMaxShaderTokens = size_t(1) << 19;

// The number of tokens up to and including the end token, walking instruction and comment lengths
// without reading past `max_tokens`; 0 when no end token is found within them.
size_t ShaderStreamLength(const uint32_t* tokens, size_t max_tokens);

// Validates exactly `count` tokens (the last must be the end token). On failure `error` says why.
bool ParseShaderTokens(const uint32_t* tokens, size_t count, const ShaderModels& models, ParsedShader* out,
                       std::string* error);

}  // namespace d3d9
