#include "engine/graphics/draw/stage_setup.h"

#include <cstdio>
#include <cstring>

#include "engine/core/memory/handle_manager.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/image/default_tga_images.h"

StageSetupState stageSetupState;

namespace {

constexpr int16_t kDiffuse = D3DTA_DIFFUSE, kTexture = D3DTA_TEXTURE, kFactor = D3DTA_TFACTOR;

// What a setup writes: the blend and alpha states (-1 leaves one alone; a factor only when
// factorSet), the stage records, and in programmable-shader mode the pixel shader.
struct SetupPlan {
    int32_t alphaTest = 0, alphaRef = -1, alphaFunc = -1, alphaBlend = 0;
    uint32_t factor = 0xFFFFFFFF;
    bool factorSet = true;
    int32_t srcBlend = -1, destBlend = -1, blendOp = -1;
    int stageCount = 0;
    StageRecord stages[kMaxStageRecords]{};
    IDirect3DPixelShader9* pixelShader = nullptr;
    bool usesShader = false;
    // The border blend's own terms for the library pixel shader, written to the factor register in place
    // of the factor's floats.
    bool shaderTermsSet = false;
    float shaderTerms[4]{};
    int batchKind = -1;
};

constexpr StageRecord kClosing{0, -1, -1, -1, -1, D3DTOP_DISABLE, -1, -1, D3DTOP_DISABLE};

bool ProgrammableMode() {
    return GetProgrammableShaderFlag() != 0 && userShaderBinding.pixelShader == 0;
}

uintptr_t TextureOfGraphic(uintptr_t handle) {
    const GraphicEntry* entry = LookupGraphic(int(handle), 0);
    return entry ? GraphicFirstTexture(entry) : 0;
}

// The 8 x 8 white texture, made on first use from the built-in image and again after it was deleted.
uintptr_t WhiteTexture() {
    int& handle = stageSetupState.whiteTexture;
    if (handle < 0) {
        handle = LoadGraphFromMemory(kDefaultWhiteTga.data(), int(kDefaultWhiteTga.size()));
        if (handle < 0) return 0;
        SetHandleLostFlag(handle, &handle);
    }
    return TextureOfGraphic(uintptr_t(handle));
}

void SetBatchKind(int kind) {
    if (kind < 0 || vertexBatch.kind == kind) return;
    FlushVertexBatch(0);
    vertexBatch.kind = kind;
    vertexBatch.writePointer = vertexBatch.buffers[VertexBatchBufferIndex(vertexBatch.space, kind)];
}

void CopyEntry(SetupPlan& plan, const StageConfigEntry& entry) {
    const int count = int(entry.stages[0].texture);
    for (int i = 0; i < kMaxStageRecords; ++i) plan.stages[i] = entry.stages[i];
    plan.stages[0].texture = 0;
    plan.stageCount = count;
}

void UntexturedRecords(SetupPlan& plan, int mode, int kind) {
    StageRecord first{0, 0, 0, kDiffuse, kDiffuse, D3DTOP_SELECTARG2, kDiffuse, kDiffuse, D3DTOP_SELECTARG2};
    StageRecord second{0, 0, 0, 0, 0, D3DTOP_DISABLE, 0, 0, D3DTOP_DISABLE};
    for (auto& s : plan.stages) s = kClosing;
    if (mode == 3) {
        plan.stages[0] = {0, 0, 0, -1, kDiffuse, D3DTOP_SELECTARG2, kDiffuse, -1, D3DTOP_SELECTARG1};
        plan.stageCount = 1;
        return;
    }
    if (kind == 1) first.colourArg2 = kFactor, first.colourOp = D3DTOP_BLENDDIFFUSEALPHA;
    if (kind == 2) first.colourArg1 = kDiffuse | D3DTA_COMPLEMENT, first.colourOp = D3DTOP_SELECTARG1;
    if (kind == 3) {
        first.colourArg2 = kTexture, first.colourOp = D3DTOP_MODULATE4X;
        first.texture = WhiteTexture();
    }
    plan.stages[0] = first;
    plan.stages[1] = second;
    plan.stageCount = 1;
}

void SourceAlphaPair(SetupPlan& plan) {
    plan.srcBlend = D3DBLEND_SRCALPHA;
    plan.destBlend = D3DBLEND_INVSRCALPHA;
}

// The border blend: border b and range r, each 0..255.
void BorderBlend(SetupPlan& plan, const StageSetupInputs& in, bool m, bool programmable) {
    const int border = in.blendValues[0] & 0xFF, range = in.blendValues[1] & 0xFF;
    float constants[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    if (!m) SourceAlphaPair(plan);
    if (range < 2) {
        plan.alphaTest = 1;
        plan.alphaRef = border;
        plan.alphaFunc = D3DCMP_GREATEREQUAL;
        if ((in.alphaTest || in.alphaBlend) && border == 0) plan.alphaRef = 1;
        plan.alphaBlend = 0;
        plan.factor = 0x00FFFFFF;
    } else {
        plan.alphaTest = 0;
        plan.alphaBlend = 1;
        const int scale = range <= 64 ? 4 : range <= 128 ? 2 : 1;
        const int top = 256 * scale;
        const int t = 256 * (scale + 1) - (border * 256 * (scale + 1)) / 255;
        int alpha;
        if (t >= top) {
            alpha = (t - top) * (scale == 4 ? 64 : scale == 2 ? 128 : 255) / 256;
            plan.stages[0].alphaOp = D3DTOP_ADD;
            constants[3] = float(alpha) / 255.0f;
        } else {
            alpha = 255 - (t * 255) / top;
            plan.stages[0].alphaOp = D3DTOP_SUBTRACT;
            constants[3] = -float(alpha) / 255.0f;
        }
        plan.stages[1].alphaOp = int16_t(scale == 4   ? D3DTOP_MODULATE4X
                                         : scale == 2 ? D3DTOP_MODULATE2X
                                                      : D3DTOP_MODULATE);
        plan.factor = (uint32_t(alpha) << 24) | 0x00FFFFFF;
        constants[2] = float(scale);
    }
    if (programmable) {
        plan.shaderTermsSet = true;
        std::memcpy(plan.shaderTerms, constants, sizeof constants);
    }
}

void FullSetup(SetupPlan& plan, bool programmable) {
    const StageSetupInputs& in = renderStateCache.stageSetup;
    const int mode = in.blendMode >= 0 && in.blendMode < kBlendModeCount ? in.blendMode : 0;
    BlendStateRow row = BlendStateTable[mode];
    if (mode == 3 && deviceCapabilityFlags.nativeSubtractive)
        row = {D3DBLEND_ONE, D3DBLEND_SRCALPHA, 0, D3DBLENDOP_REVSUBTRACT};
    plan.srcBlend = row.srcBlend, plan.destBlend = row.destBlend, plan.blendOp = row.blendOp;
    const bool m = mode != 0 && mode != 6;
    const uintptr_t texture = in.texture, blendTexture = in.blendTexture;
    const bool withBlend = blendTexture != 0 && in.blendKind >= 0 && in.blendKind <= 2;

    if (texture == 0) {
        if (programmable) {
            plan.usesShader = true;
            plan.pixelShader = GetNoTexturePixelShader(row.stageKind);
            plan.stageCount = 0;
        } else {
            UntexturedRecords(plan, mode, row.stageKind);
        }
        plan.alphaTest = 0;
        plan.factorSet = !programmable && row.stageKind == 1;
        plan.alphaBlend = m;
        plan.batchKind = 0;
        return;
    }

    int alphaState = in.alphaBlend ? 1 : in.alphaTest ? 2 : 0;
    if (!in.alphaBlend && !in.alphaTest && renderStateCache.render[D3DRS_ZENABLE] && !withBlend)
        alphaState = 2;

    if (!withBlend) {
        CopyEntry(plan, StageConfigTable[StageConfigIndex(alphaState, in.blendingOn, in.colourModulation, 0,
                                                          row.stageKind)]);
        plan.stages[0].texture = texture;
        if (programmable) {
            plan.usesShader = true;
            plan.pixelShader = GetBlendPixelShader(
                BlendPixelShaderEntry(0, row.stageKind, in.ignoreColour, alphaState == 0));
            plan.stageCount = 1;
        }
        if (in.alphaTest) {
            plan.alphaTest = 1, plan.alphaRef = 16, plan.alphaFunc = D3DCMP_GREATER;
        } else if (m || in.alphaBlend) {
            plan.alphaTest = 1, plan.alphaRef = 0, plan.alphaFunc = D3DCMP_GREATER;
            if (in.alphaBlend && !m) SourceAlphaPair(plan);
        } else {
            plan.alphaTest = 0;
        }
        plan.alphaBlend = in.alphaBlend || m;
        plan.batchKind = 1;
        return;
    }

    const int kind = in.blendKind;
    const int cls = BlendModeClass(mode);
    CopyEntry(
        plan,
        StageConfigTable[StageConfigIndex(alphaState, in.blendingOn, in.colourModulation, kind + 1, cls)]);
    if (programmable) {
        plan.usesShader = true;
        plan.pixelShader =
            GetBlendPixelShader(BlendPixelShaderEntry(kind + 1, cls, in.ignoreColour, alphaState == 0));
        plan.stageCount = 2;
        plan.stages[0].texture = texture;
        plan.stages[1].texture = blendTexture;
    } else if (kind == 0) {
        plan.stages[0].texture = blendTexture, plan.stages[1].texture = texture;
    } else if (kind == 1) {
        plan.stages[0].texture = blendTexture;
        plan.stages[in.alphaBlend ? 2 : 1].texture = texture;
    } else {
        plan.stages[0].texture = texture, plan.stages[1].texture = blendTexture;
    }
    plan.batchKind = 2;
    if (kind == 1) {
        BorderBlend(plan, in, m, programmable);
        return;
    }
    const bool test = in.alphaTest || in.alphaBlend || m;
    plan.alphaTest = test;
    if (test) plan.alphaRef = 0, plan.alphaFunc = D3DCMP_GREATER;
    if ((test || in.alphaBlend) && !m) SourceAlphaPair(plan);
    plan.alphaBlend = test;
    if (kind == 0 && !(!programmable && row.stageKind == 1))
        plan.factor = uint32_t(in.blendValues[0] & 0xFF) << 24;
}

void OverrideSetup(SetupPlan& plan, const StageSetupBlock& block, bool isHandle, bool programmable) {
    plan.alphaTest = block.alphaTestEnable, plan.alphaRef = block.alphaRef, plan.alphaFunc = block.alphaFunc;
    plan.alphaBlend = block.alphaBlendEnable, plan.factor = block.textureFactor;
    plan.srcBlend = block.srcBlend, plan.destBlend = block.destBlend, plan.blendOp = block.blendOp;
    int count = block.stageCount < 0                  ? 0
                : block.stageCount > kMaxStageRecords ? kMaxStageRecords
                                                      : block.stageCount;
    for (int i = 0; i < count; ++i) {
        if (i >= 2 && (programmable || block.stages[i - 1].alphaOp == D3DTOP_DISABLE)) {
            count = i;
            break;
        }
        plan.stages[i] = block.stages[i];
        if (isHandle) plan.stages[i].texture = TextureOfGraphic(block.stages[i].texture);
    }
    plan.stageCount = count;
}

void WriteBlendStates(const SetupPlan& plan, bool programmable) {
    if (plan.alphaFunc >= 0) SetCachedRenderState(D3DRS_ALPHAFUNC, uint32_t(plan.alphaFunc));
    if (plan.alphaRef >= 0) SetCachedRenderState(D3DRS_ALPHAREF, uint32_t(plan.alphaRef));
    SetCachedRenderState(D3DRS_ALPHATESTENABLE, uint32_t(plan.alphaTest));
    SetCachedRenderState(D3DRS_ALPHABLENDENABLE, uint32_t(plan.alphaBlend));
    if (plan.factorSet) {
        if (!programmable) SetCachedRenderState(D3DRS_TEXTUREFACTOR, plan.factor);
        float floats[4] = {float(plan.factor & 0xFF) / 255.0f, float((plan.factor >> 8) & 0xFF) / 255.0f,
                           float((plan.factor >> 16) & 0xFF) / 255.0f, float(plan.factor >> 24) / 255.0f};
        if (plan.shaderTermsSet) std::memcpy(floats, plan.shaderTerms, sizeof floats);
        const float* held = reinterpret_cast<const float*>(
            shaderConstantCache.sets[0][kBankPixelFloat].values + shader_registers::kPixelFactor * 16);
        if (std::memcmp(held, floats, sizeof floats) != 0)
            SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, shader_registers::kPixelFactor,
                               floats, 1, 1);
    }
    if (plan.srcBlend >= 0) SetCachedRenderState(D3DRS_SRCBLEND, uint32_t(plan.srcBlend));
    if (plan.destBlend >= 0) SetCachedRenderState(D3DRS_DESTBLEND, uint32_t(plan.destBlend));
    if (plan.blendOp >= 0) SetCachedRenderState(D3DRS_BLENDOP, uint32_t(plan.blendOp));
}

void WriteStage(int stage, const StageRecord& r) {
    auto write = [&](D3DTEXTURESTAGESTATETYPE type, int value) {
        if (value >= 0) SetCachedStageState(stage, type, uint32_t(value));
    };
    write(D3DTSS_TEXCOORDINDEX, r.texCoordIndex);
    if (deviceCapabilityFlags.tempRegister && r.resultToTemp >= 0)
        SetCachedStageState(stage, D3DTSS_RESULTARG, r.resultToTemp ? D3DTA_TEMP : D3DTA_CURRENT);
    write(D3DTSS_ALPHAOP, r.alphaOp);
    write(D3DTSS_ALPHAARG1, r.alphaArg1);
    write(D3DTSS_ALPHAARG2, r.alphaArg2);
    write(D3DTSS_COLOROP, r.colourOp);
    write(D3DTSS_COLORARG1, r.colourArg1);
    write(D3DTSS_COLORARG2, r.colourArg2);
}

// Only the textures: where each goes for the blend kind in use. The library pixel shaders read the
// graphic from stage 0 and the blend texture from stage 1 whatever the kind.
void RebindTextures(bool programmable) {
    const StageSetupInputs& in = renderStateCache.stageSetup;
    if (in.blendTexture == 0) {
        SetCachedTexture(0, in.texture);
    } else if (programmable || in.blendKind == 2) {
        SetCachedTexture(0, in.texture), SetCachedTexture(1, in.blendTexture);
    } else if (in.blendKind == 0) {
        SetCachedTexture(0, in.blendTexture), SetCachedTexture(1, in.texture);
    } else if (in.blendKind == 1) {
        SetCachedTexture(0, in.blendTexture);
        SetCachedTexture(in.alphaBlend ? 2 : 1, in.texture);
    }
}

}  // namespace

int BlendModeClass(int blendMode) {
    return blendMode == 12 || blendMode == 13 ? 3 : blendMode == 10 ? 2 : 0;
}

void NoTexturePixelShaderName(char out[32], int type) {
    std::snprintf(out, 32, "ps_nonetex_type%d.pso", type);
}

void BlendPixelShaderName(char out[48], int blendTextureMode, int type, int ignoreColour, int ignoreAlpha) {
    std::snprintf(out, 48, "ps_blend%d_type%d_igcolor%d_igtalpha%d.pso", blendTextureMode, type, ignoreColour,
                  ignoreAlpha);
}

void ResetStageSetupState() {
    std::memset(&stageSetupState, 0, sizeof stageSetupState);
    stageSetupState.whiteTexture = -1;
}

namespace {
const bool setupPreset = (ResetStageSetupState(), true);
}

int SetStageOverride(const StageSetupBlock* block, int textureIsHandle) {
    (void)setupPreset;
    stageSetupState.overrideSet = block != nullptr;
    stageSetupState.overrideIsHandle = textureIsHandle;
    if (block) stageSetupState.override = *block;
    return 0;
}

int D3DDrawSetup(const StageSetupBlock* override, int stageCount, int textureIsHandle) {
    (void)stageCount;
    if (!HasD3DDevice()) return -1;
    StageSetupInputs& in = renderStateCache.stageSetup;
    const bool programmable = ProgrammableMode();
    if (!override && stageSetupState.overrideSet) {
        override = &stageSetupState.override;
        textureIsHandle = stageSetupState.overrideIsHandle;
    }
    SetupPlan plan;
    if (override) {
        OverrideSetup(plan, *override, textureIsHandle != 0, programmable);
    } else {
        // A draw's preparation unbinds the library shader; with nothing else changed the setup binds it
        // again, or the draw would run the stages a fixed-function setup left behind.
        const bool shaderMissing = programmable && renderStateCache.pixelShader == nullptr;
        if (!renderStateCache.force && !in.dirty && !shaderMissing) {
            if (!in.textureChanged) return -1;
            RebindTextures(programmable);
            in.textureChanged = 0;
            return 0;
        }
        FullSetup(plan, programmable);
        if (!plan.usesShader) {
            if (plan.stageCount != stageSetupState.lastStageCount) {
                const int saved = renderStateCache.force;
                renderStateCache.force = 1;
                renderStateCache.filterSamplerCount = plan.stageCount > 4 ? plan.stageCount : 4;
                SetTextureFilter(renderStateCache.filterMode);
                SetMaxAnisotropy(int(renderStateCache.sampler[0][D3DSAMP_MAXANISOTROPY]));
                renderStateCache.force = saved;
            }
            stageSetupState.lastStageCount = plan.stageCount;
            if (plan.stageCount < kMaxStageRecords) ++plan.stageCount;
        }
    }
    if (in.secondMode != -1) {
        plan.alphaTest = 1;
        plan.alphaFunc = in.secondMode;
        plan.alphaRef = in.secondParam;
    }
    SetBatchKind(plan.batchKind);
    WriteBlendStates(plan, programmable);
    if (plan.usesShader) {
        // Without a vertex shader the coordinates a stage names are the shader's: stage s reads set s.
        for (int s = 0; s < plan.stageCount; ++s) {
            SetCachedTexture(s, plan.stages[s].texture);
            SetCachedStageState(s, D3DTSS_TEXCOORDINDEX, uint32_t(s));
        }
        SetCachedPixelShader(plan.pixelShader);
    } else {
        for (int s = 0; s < plan.stageCount; ++s) {
            SetCachedTexture(s, plan.stages[s].texture);
            WriteStage(s, plan.stages[s]);
        }
    }
    in.dirty = 0;
    in.textureChanged = 0;
    renderStateCache.pixelShaderChoiceChanged = 0;
    return 0;
}

const ColorFormat* GetColorFormatForKind(int alphaChannel, int alphaTest, int bits32, int drawable) {
    const int d = bits32 ? 1 : 0;
    int index;
    if (drawable)
        index = alphaChannel && bits32 ? 13 : 11 + d;
    else if (alphaChannel)
        index = 2 + d;
    else if (alphaTest)
        index = 4 + d;
    else
        index = d;
    return GetColorFormatByIndex(index);
}
