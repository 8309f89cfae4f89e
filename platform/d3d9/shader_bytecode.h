// The token encoding of Direct3D 9 shader programs (shader models 2.0 to 3.0): the version token,
// instruction tokens (opcode, controls, length, predication), parameter tokens (register type and number,
// write mask, swizzle, modifiers, relative addressing), declarations, comments and the end token; and the
// table of what each opcode takes and in which models it exists.
#pragma once

#include <cstdint>

namespace d3d9 {

namespace shader {

constexpr uint32_t kEndToken = 0x0000FFFF;
constexpr uint32_t kCommentOpcode = 0xFFFE;
constexpr uint32_t kPixelVersionPrefix = 0xFFFF0000;
constexpr uint32_t kVertexVersionPrefix = 0xFFFE0000;

// Versions as major << 8 | minor; 2.x is 2.1.
constexpr uint32_t kVersion20 = 0x200, kVersion2x = 0x201, kVersion30 = 0x300;

enum Opcode : uint16_t {
    kNop = 0,
    kMov = 1,
    kAdd = 2,
    kSub = 3,
    kMad = 4,
    kMul = 5,
    kRcp = 6,
    kRsq = 7,
    kDp3 = 8,
    kDp4 = 9,
    kMin = 10,
    kMax = 11,
    kSlt = 12,
    kSge = 13,
    kExp = 14,
    kLog = 15,
    kLit = 16,
    kDst = 17,
    kLrp = 18,
    kFrc = 19,
    kM4x4 = 20,
    kM4x3 = 21,
    kM3x4 = 22,
    kM3x3 = 23,
    kM3x2 = 24,
    kCall = 25,
    kCallNz = 26,
    kLoop = 27,
    kRet = 28,
    kEndLoop = 29,
    kLabel = 30,
    kDcl = 31,
    kPow = 32,
    kCrs = 33,
    kSgn = 34,
    kAbs = 35,
    kNrm = 36,
    kSinCos = 37,
    kRep = 38,
    kEndRep = 39,
    kIf = 40,
    kIfC = 41,
    kElse = 42,
    kEndIf = 43,
    kBreak = 44,
    kBreakC = 45,
    kMova = 46,
    kDefB = 47,
    kDefI = 48,
    kTexKill = 65,
    kTex = 66,  // texld, texldp, texldb
    kExpP = 78,
    kLogP = 79,
    kDef = 81,
    kCmp = 88,
    kDp2Add = 90,
    kDsx = 91,
    kDsy = 92,
    kTexLdd = 93,
    kSetP = 94,
    kTexLdl = 95,
    kBreakP = 96,
};

enum RegisterType : uint8_t {
    kTemp = 0,
    kInput = 1,
    kConst = 2,
    kAddress = 3,  // a0 in vertex shaders, t# (texture coordinates) in pixel shaders
    kRasterOut = 4,
    kAttributeOut = 5,
    kTexCoordOut = 6,  // o# in vs_3_0
    kConstInt = 7,
    kColorOut = 8,
    kDepthOut = 9,
    kSampler = 10,
    kConst2 = 11,
    kConst3 = 12,
    kConst4 = 13,
    kConstBool = 14,
    kLoopRegister = 15,
    kTempFloat16 = 16,
    kMisc = 17,  // vPos (0) and vFace (1)
    kLabelRegister = 18,
    kPredicate = 19,
};

enum SourceModifier : uint8_t {
    kModNone = 0,
    kModNegate = 1,
    kModAbs = 11,
    kModAbsNegate = 12,
    kModNot = 13,
};

// Comparisons of ifc, breakc and setp (instruction controls).
enum Comparison : uint8_t { kCmpGt = 1, kCmpEq = 2, kCmpGe = 3, kCmpLt = 4, kCmpNe = 5, kCmpLe = 6 };

// Controls of texld.
constexpr uint8_t kTexProject = 1, kTexBias = 2;

// Result modifiers of a destination.
constexpr uint8_t kResultSaturate = 1, kResultPartialPrecision = 2, kResultCentroid = 4;

// Sampler types of a sampler declaration.
enum SamplerType : uint8_t { kSamplerUnknown = 0, kSampler2D = 2, kSamplerCube = 3, kSamplerVolume = 4 };

constexpr uint8_t kSwizzleIdentity = 0xE4;

// ---- instruction tokens ----

constexpr bool IsParameterToken(uint32_t t) {
    return (t & 0x80000000u) != 0;
}
constexpr uint16_t OpcodeOf(uint32_t t) {
    return uint16_t(t & 0xFFFF);
}
constexpr uint8_t ControlsOf(uint32_t t) {
    return uint8_t((t >> 16) & 0xFF);
}
constexpr uint32_t LengthOf(uint32_t t) {
    return (t >> 24) & 0xF;
}
constexpr bool IsPredicated(uint32_t t) {
    return (t & (1u << 28)) != 0;
}
constexpr uint32_t CommentLengthOf(uint32_t t) {
    return (t >> 16) & 0x7FFF;
}

// ---- parameter tokens ----

constexpr uint8_t RegisterTypeOf(uint32_t t) {
    return uint8_t(((t >> 28) & 7) | ((t >> 8) & 0x18));
}
constexpr uint32_t RegisterNumberOf(uint32_t t) {
    return t & 0x7FF;
}
constexpr bool IsRelative(uint32_t t) {
    return (t & (1u << 13)) != 0;
}
constexpr uint8_t WriteMaskOf(uint32_t t) {
    return uint8_t((t >> 16) & 0xF);
}
constexpr uint8_t ResultModifiersOf(uint32_t t) {
    return uint8_t((t >> 20) & 0xF);
}
constexpr uint8_t ShiftOf(uint32_t t) {
    return uint8_t((t >> 24) & 0xF);
}
constexpr uint8_t SwizzleOf(uint32_t t) {
    return uint8_t((t >> 16) & 0xFF);
}
constexpr uint8_t SourceModifierOf(uint32_t t) {
    return uint8_t((t >> 24) & 0xF);
}
constexpr int SwizzleComponent(uint8_t swizzle, int component) {
    return (swizzle >> (2 * component)) & 3;
}
// A swizzle that repeats one component (.x, .y, .z or .w).
constexpr bool IsReplicate(uint8_t swizzle) {
    return swizzle == 0x00 || swizzle == 0x55 || swizzle == 0xAA || swizzle == 0xFF;
}

// ---- declaration tokens ----

constexpr uint8_t DeclarationUsageOf(uint32_t t) {
    return uint8_t(t & 0x1F);
}
constexpr uint8_t DeclarationUsageIndexOf(uint32_t t) {
    return uint8_t((t >> 16) & 0xF);
}
constexpr uint8_t SamplerTypeOf(uint32_t t) {
    return uint8_t((t >> 27) & 0xF);
}

// ---- the opcode table ----

// Which models have an opcode: the lowest pixel and vertex version (0: none).
struct OpcodeInfo {
    uint16_t opcode;
    bool has_destination;
    uint8_t sources;     // in 3.0; sincos takes 3 in 2.0 (see SourceCount)
    uint8_t slots;       // instruction slots it counts for
    uint16_t pixel_min;  // lowest pixel shader version, 0: none
    uint16_t vertex_min;
    bool texture;  // counts as a texture instruction in ps_2_0
};

// The entry of an opcode of shader models 2 and 3 (not dcl, def, defi, defb, comments); null for others.
const OpcodeInfo* FindOpcode(uint16_t opcode);
int SourceCount(const OpcodeInfo& info, uint32_t version);

}  // namespace shader

}  // namespace d3d9
