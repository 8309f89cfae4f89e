// The per-draw stage setup: the blend mode and texture state become device blend states,
// texture-stage operations or a library pixel shader.
#pragma once

#include <array>
#include <cstdint>

#include "engine/image/color_format.h"

// Direct3D blend codes by blend mode: destination, source, stage kind, operation (-1 leaves the device
// state alone).
struct BlendStateRow {
    int32_t destBlend;
    int32_t srcBlend;
    int32_t stageKind;
    int32_t blendOp;
};
inline constexpr int kBlendModeCount = 17;
extern const BlendStateRow BlendStateTable[kBlendModeCount];

// One texture stage: -1 in any field after the texture leaves the device state alone.
struct StageRecord {
    uintptr_t texture;  // a texture, or a graphic handle when the block says so
    int32_t texCoordIndex;
    int32_t resultToTemp;
    int16_t alphaArg1, alphaArg2, alphaOp;
    int16_t colourArg1, colourArg2, colourOp;
};

inline constexpr int kMaxStageRecords = 8;

struct StageSetupBlock {
    int32_t alphaTestEnable;
    int32_t alphaRef;
    int32_t alphaFunc;
    int32_t alphaBlendEnable;
    uint32_t textureFactor;  // 0xAARRGGBB
    int32_t srcBlend;
    int32_t destBlend;
    int32_t blendOp;
    int32_t stageCount;
    StageRecord stages[kMaxStageRecords];
};

// Eight records; the first record's texture word holds the entry's stage count, the record behind the
// last counted one is the closing record.
struct StageConfigEntry {
    StageRecord stages[kMaxStageRecords];
};
inline constexpr int kStageConfigEntryCount = 192;
using StageConfigTableArray = std::array<StageConfigEntry, kStageConfigEntryCount>;
extern const StageConfigTableArray StageConfigTable;

// alphaState: 0 neither blending nor test, 1 alpha blending, 2 alpha test. blendTextureMode: 0 none,
// else the blend kind + 1. stageClass: without a blend texture the row's stage kind, with one the
// blend-mode class (3 for modes 12 and 13, 2 for mode 10, else 0).
inline int StageConfigIndex(int alphaState, int blendingOn, int colourModulation, int blendTextureMode,
                            int stageClass) {
    return alphaState + 3 * (blendingOn + 2 * (colourModulation + 2 * (blendTextureMode + 4 * stageClass)));
}
int BlendModeClass(int blendMode);

// The library pixel shaders: the no-texture shader of a stage kind, and the blend shader of (blend
// texture mode, type, ignore colour, ignore alpha), by file name and by table entry.
void NoTexturePixelShaderName(char out[32], int type);
void BlendPixelShaderName(char out[48], int blendTextureMode, int type, int ignoreColour, int ignoreAlpha);
inline int BlendPixelShaderEntry(int blendTextureMode, int type, int ignoreColour, int ignoreAlpha) {
    return blendTextureMode * 16 + type * 4 + ignoreColour * 2 + ignoreAlpha;
}

// 0; -1 without a device, or when nothing changed since the last setup. The override (or the one set
// by SetStageOverride) supplies the stages directly; with textureIsHandle its texture words are graphic
// handles.
int D3DDrawSetup(const StageSetupBlock* override, int stageCount, int textureIsHandle);
// A block of stage records used by every setup until cleared with null (the block is copied).
int SetStageOverride(const StageSetupBlock* block, int textureIsHandle);
// The colour format of the graphic format index that matches the kind; null when unknown.
const ColorFormat* GetColorFormatForKind(int alphaChannel, int alphaTest, int bits32, int drawable);

// The stage count of the last full setup, and the white texture's graphic (-1 until made).
struct StageSetupState {
    int32_t lastStageCount;
    int32_t whiteTexture;
    int32_t overrideSet;
    int32_t overrideIsHandle;
    StageSetupBlock override;
};
extern StageSetupState stageSetupState;
void ResetStageSetupState();
