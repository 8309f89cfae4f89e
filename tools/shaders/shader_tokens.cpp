#include "tools/shaders/shader_tokens.h"

#include <cstring>

namespace {

constexpr uint32_t kParameterBit = 0x80000000u;
constexpr uint32_t kEndToken = 0x0000FFFF;

uint32_t RegisterBits(ShaderRegister type, uint32_t index) {
    return kParameterBit | ((type & 7u) << 28) | (((type >> 3) & 3u) << 11) | (index & 0x7FFu);
}

}  // namespace

uint32_t Destination(ShaderRegister type, uint32_t index, uint32_t mask) {
    return RegisterBits(type, index) | (mask << 16);
}

uint32_t Source(ShaderRegister type, uint32_t index, uint32_t swizzle, uint32_t modifier) {
    return RegisterBits(type, index) | (swizzle << 16) | modifier;
}

ShaderProgram ShaderProgram::Pixel() {
    return ShaderProgram{{0xFFFF0200u}};
}

ShaderProgram ShaderProgram::Vertex() {
    return ShaderProgram{{0xFFFE0200u}};
}

ShaderProgram& ShaderProgram::Op(ShaderOpcode opcode, std::initializer_list<uint32_t> parameters) {
    tokens.push_back(uint32_t(opcode) | (uint32_t(parameters.size()) << 24));
    tokens.insert(tokens.end(), parameters);
    return *this;
}

ShaderProgram& ShaderProgram::DeclarePixelInput(ShaderRegister type, uint32_t index) {
    return Op(kOpDcl, {kParameterBit, Destination(type, index)});
}

ShaderProgram& ShaderProgram::DeclareSampler2D(uint32_t index) {
    constexpr uint32_t kTexture2D = 2u << 27;
    return Op(kOpDcl, {kParameterBit | kTexture2D, Destination(kRegSampler, index)});
}

ShaderProgram& ShaderProgram::DeclareSamplerVolume(uint32_t index) {
    constexpr uint32_t kTextureVolume = 4u << 27;
    return Op(kOpDcl, {kParameterBit | kTextureVolume, Destination(kRegSampler, index)});
}

ShaderProgram& ShaderProgram::Define(uint32_t index, float x, float y, float z, float w) {
    uint32_t bits[4];
    const float values[4] = {x, y, z, w};
    std::memcpy(bits, values, sizeof bits);
    return Op(kOpDef, {Destination(kRegConst, index), bits[0], bits[1], bits[2], bits[3]});
}

ShaderProgram& ShaderProgram::DeclareVertexInput(uint32_t usage, uint32_t index) {
    return Op(kOpDcl, {kParameterBit | usage, Destination(kRegInput, index)});
}

std::vector<uint8_t> ShaderProgram::End() {
    tokens.push_back(kEndToken);
    std::vector<uint8_t> bytes(tokens.size() * 4);
    std::memcpy(bytes.data(), tokens.data(), bytes.size());
    return bytes;
}
