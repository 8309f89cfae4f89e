// The shader constant cache: every constant register value kept per owner ("set"), so that switching
// between the built-in pipeline and a user's shader uploads only the registers whose owner changes.
#pragma once

#include <cstdint>

enum ShaderConstantBank : int {
    kBankVertexFloat = 0,
    kBankVertexInt = 1,
    kBankVertexBool = 2,
    kBankPixelFloat = 3,
    kBankPixelInt = 4,
    kBankPixelBool = 5,
};

inline constexpr int kShaderConstantSetCount = 4;
inline constexpr int kShaderConstantBankCount = 6;
inline constexpr int kShaderConstantMaxRegisters = 256;
inline constexpr uint8_t kNoConstantOwner = 255;

struct ShaderConstantSetBank {
    uint16_t ranges[kShaderConstantMaxRegisters][2];  // sorted, disjoint [first, end)
    int32_t rangeCount;
    int32_t registerCount;
    int32_t registerWidth;  // bytes
    uint8_t values[kShaderConstantMaxRegisters * 16];
};

struct ShaderConstantCache {
    ShaderConstantSetBank sets[kShaderConstantSetCount][kShaderConstantBankCount];
    uint8_t owner[kShaderConstantBankCount][kShaderConstantMaxRegisters];
    uint8_t held[kShaderConstantBankCount][kShaderConstantSetCount][kShaderConstantMaxRegisters];
    uint32_t activeMask;
    int32_t active[kShaderConstantSetCount];
};

extern ShaderConstantCache shaderConstantCache;

inline constexpr int kShaderConstantRegisterCounts[kShaderConstantBankCount] = {256, 16, 16, 224, 16, 16};
inline constexpr int kShaderConstantRegisterWidths[kShaderConstantBankCount] = {16, 16, 4, 16, 16, 4};

int ResetShaderConstantCache(ShaderConstantCache* cache);
int SelectShaderConstantSets(ShaderConstantCache* cache, uint32_t mask);
// -1 (nothing changed) for a bank or set out of range, or registers outside the bank.
int SetShaderConstants(ShaderConstantCache* cache, int bank, int set, int first, const void* values,
                       int count, int trackUsage);
int ClearShaderConstants(ShaderConstantCache* cache, int bank, int set, int first, int count);
// Uploads registers [first, first + count) of a bank from their owners' values (zero where none owns
// them) in one device call.
int UploadOwnedShaderConstants(const ShaderConstantCache* cache, int bank, int first, int count);

// Register assignment of the library's own constants.
namespace shader_registers {
inline constexpr int kVertexConstants = 0;  // set 0 vertex float: (0, 1, 0, 0)
inline constexpr int kAmbient = 1;          // sets 0 and 3 vertex float
inline constexpr int kProjection = 2;       // set 0 vertex float, 2..5
inline constexpr int kView = 6;             // set 0 vertex float, 6..9
inline constexpr int kFog = 10;             // set 0 vertex float: (start, end, density, 0)
inline constexpr int kLightBase0 = 14;      // set 0 vertex float: light i at 14 + 7i
inline constexpr int kLightBase3 = 32;      // set 3 vertex float: light i at 32 + 7i
inline constexpr int kLightStride = 7;      // position +0, direction +1, diffuse +4
inline constexpr int kWorld = 94;           // set 0 vertex float, 94..97
inline constexpr int kMaterial3 = 2;        // set 3 vertex float: diffuse, ambient, specular, emissive, power
inline constexpr int kPixelConstants = 0;   // set 0 pixel float: (0, 0.5, 1, 2)
inline constexpr int kPixelFactor = 5;      // pixel float: texture factor or border-blend values
inline constexpr int kFogColour = 8;        // set 3 pixel float
inline constexpr int kLightDiffusePixel = 11;  // set 3 pixel float: light i at 11 + 3i
inline constexpr int kLightEnableBool = 4;     // set 2 vertex bool: light i (< 4) at 4 + 3i
inline constexpr int kFogModeInt = 4;          // set 2 vertex int
}  // namespace shader_registers
