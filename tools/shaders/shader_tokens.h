// A small assembler of Direct3D 9 shader-model-2 token streams: just the instructions the built-in
// shaders use. Each program starts with its version token and ends with the end token.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

enum ShaderRegister : uint32_t {
    kRegTemp = 0,
    kRegInput = 1,
    kRegConst = 2,
    kRegTexture = 3,  // t# in a pixel shader
    kRegRasterOut = 4,
    kRegAttributeOut = 5,
    kRegTexCoordOut = 6,
    kRegColourOut = 8,
    kRegSampler = 10,
};

enum ShaderOpcode : uint32_t {
    kOpMov = 1,
    kOpAdd = 2,
    kOpMad = 4,
    kOpMul = 5,
    kOpDp4 = 9,
    kOpLrp = 18,
    kOpFrc = 19,
    kOpDcl = 31,
    kOpTexld = 66,
    kOpDef = 81,
};

constexpr uint32_t kMaskAll = 0xF;
constexpr uint32_t kMaskX = 0x1, kMaskY = 0x2, kMaskZ = 0x4, kMaskW = 0x8, kMaskRgb = 0x7;
constexpr uint32_t kSwizzleXyzw = 0xE4, kSwizzleYyyy = 0x55, kSwizzleWwww = 0xFF;
constexpr uint32_t kSwizzleXxxx = 0x00, kSwizzleZzzz = 0xAA;
constexpr uint32_t kSourceNegate = 1u << 24;
// Result modifier of a destination token: the value is clamped to 0..1.
constexpr uint32_t kSaturate = 1u << 20;

// Register parameter tokens.
uint32_t Destination(ShaderRegister type, uint32_t index, uint32_t mask = kMaskAll);
uint32_t Source(ShaderRegister type, uint32_t index, uint32_t swizzle = kSwizzleXyzw, uint32_t modifier = 0);

struct ShaderProgram {
    std::vector<uint32_t> tokens;

    static ShaderProgram Pixel();   // ps_2_0
    static ShaderProgram Vertex();  // vs_2_0
    // An instruction with its parameter tokens; the length field counts them.
    ShaderProgram& Op(ShaderOpcode opcode, std::initializer_list<uint32_t> parameters);
    // Declarations: a pixel-shader input or texture coordinate, a 2D sampler, a vertex input by usage.
    ShaderProgram& DeclarePixelInput(ShaderRegister type, uint32_t index);
    ShaderProgram& DeclareSampler2D(uint32_t index);
    ShaderProgram& DeclareSamplerVolume(uint32_t index);
    ShaderProgram& DeclareVertexInput(uint32_t usage, uint32_t index);
    // def: a constant register the program sets itself.
    ShaderProgram& Define(uint32_t index, float x, float y, float z, float w);
    // Appends the end token; returns the stream as bytes.
    std::vector<uint8_t> End();
};
