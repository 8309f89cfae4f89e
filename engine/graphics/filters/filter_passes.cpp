#include "engine/graphics/filters/filter_passes.h"

#include <algorithm>

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/stage_setup.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/filters/filter_shader_constants.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/target/render_target_slots.h"

namespace {

constexpr uint32_t kPreTransformedFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;
constexpr uint32_t kUntransformedFormat =
    D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;
// What every filter pass adds to the caller's draw flags: the shaders and stages stay as the pass sets
// them; the samplers keep clamped addressing, which the Gaussian's edge rows rely on; no specular colour
// is added to a plain copy.
constexpr uint32_t kFilterPassFlags = kDrawKeepShaders | kDrawSkipStageInputs;

// The constant set the filter shaders' constants are kept in, above the library's own set 0.
constexpr int kFilterConstantSet = 1;

uintptr_t filterSourceTextures[2];

// Stage i samples texture i with coordinate set i; the stage operations are the shader's (fixed:
// stage 0 passes its texture through, stage 1 is off).
StageSetupBlock FilterStageBlock(bool fixedCopy) {
    StageSetupBlock block{};
    block.textureFactor = 0xFFFFFFFF;
    block.srcBlend = block.destBlend = block.blendOp = -1;
    block.stageCount = 2;
    for (int i = 0; i < 2; ++i) {
        StageRecord& stage = block.stages[i];
        stage = {filterSourceTextures[i], i, -1, -1, -1, -1, -1, -1, -1};
        if (!fixedCopy) continue;
        const int16_t operation = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        stage.alphaArg1 = stage.colourArg1 = D3DTA_TEXTURE;
        stage.alphaOp = stage.colourOp = operation;
    }
    return block;
}

// A strip of the quad to (pixel edges) with the texture rectangles of the two coordinate sets.
void DrawQuad(const RECT& to, const float first[4], const float second[4]) {
    const float l = float(to.left) - 0.5f, t = float(to.top) - 0.5f;
    const float r = float(to.right) - 0.5f, b = float(to.bottom) - 0.5f;
    const Vertex2DTex2 strip[4] = {
        {l, t, 0, 1, 0xFFFFFFFF, 0, first[0], first[1], second[0], second[1]},
        {r, t, 0, 1, 0xFFFFFFFF, 0, first[2], first[1], second[2], second[1]},
        {l, b, 0, 1, 0xFFFFFFFF, 0, first[0], first[3], second[0], second[3]},
        {r, b, 0, 1, 0xFFFFFFFF, 0, first[2], first[3], second[2], second[3]},
    };
    BeginSceneIfNeeded();
    DeviceDrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(Vertex2DTex2));
}

// The input's rectangle of width x height texels in texture coordinates.
void TextureRect(const FilterPassInput& input, int width, int height, float out[4]) {
    const float w = float(std::max(input.textureWidth, 1)), h = float(std::max(input.textureHeight, 1));
    out[0] = float(input.x) / w;
    out[1] = float(input.y) / h;
    out[2] = float(input.x + width) / w;
    out[3] = float(input.y + height) / h;
}

}  // namespace

void ApplyStageOverrideNow(const StageSetupBlock* block) {
    FlushVertexBatch(0);
    D3DDrawSetup(block, block != nullptr ? block->stageCount : 0, 0);
    RefreshStageSetup();
    renderStateCache.stageSetup.textureChanged = 1;
    MarkStatesChanged();
}

void SetFilterSourceTextures(uintptr_t stage0, uintptr_t stage1) {
    filterSourceTextures[0] = stage0;
    filterSourceTextures[1] = stage1;
}

void SetupFilterPass(uint32_t drawFlags, int constantSetFlag, int cullFlag, int vertexShaderIndex) {
    PrepareDrawStates(filterSourceTextures[0],
                      drawFlags | kFilterPassFlags | (cullFlag ? 0u : uint32_t(kDrawCulling)));
    SetZEnable(0);
    SelectShaderConstantSets(&shaderConstantCache, constantSetFlag ? 3 : 9);
    SetSecondBlendState(renderStateCache.stageSetup.secondMode, renderStateCache.stageSetup.secondParam);
    const StageSetupBlock block = FilterStageBlock(renderStateCache.pixelShader == nullptr);
    ApplyStageOverrideNow(&block);
    // The library's vertex shaders serve the 3D models; the filters draw with the fixed format.
    (void)vertexShaderIndex;
    SetCachedVertexShader(nullptr);
    ApplyVertexFormat(cullFlag ? kPreTransformedFormat : kUntransformedFormat);
}

int DrawFilterPass(int factor, GraphicFilterContext* context) {
    const FilterPassPlan& plan = context->plan;
    if (LookupGraphic(plan.outputGraphic, 0) == nullptr || plan.source.texture == 0) return -1;
    if (BindFilterTarget(plan.outputGraphic) < 0) return -1;
    const int f = std::max(factor, 1);
    const RECT to{plan.outputX, plan.outputY, plan.outputX + plan.width / f, plan.outputY + plan.height / f};
    float first[4], second[4];
    TextureRect(plan.source, plan.width, plan.height, first);
    TextureRect(plan.second, plan.width, plan.height, second);
    DrawQuad(to, first, second);
    return 0;
}

int DrawShaderPass(GraphicFilterContext* context, int shaderHandle, const FilterConstants& constants,
                   bool linear, int factor) {
    const auto* shader =
        static_cast<const UserShaderRecord*>(GetTypedHandleData(shaderHandle, kHandleTypeShader));
    if (shader == nullptr || shader->shader == nullptr) return -1;
    FlushVertexBatch(0);
    SetCachedPixelShader(static_cast<IDirect3DPixelShader9*>(shader->shader));
    SetFilterSourceTextures(context->plan.source.texture, context->plan.second.texture);
    SetupFilterPass(0, 1, 1, -1);
    SetTextureFilter(linear ? 1 : 0);
    SetShaderConstants(&shaderConstantCache, kBankPixelFloat, kFilterConstantSet, 0, constants.values,
                       constants.count, 1);
    const int result = DrawFilterPass(factor, context);
    FlushVertexBatch(0);
    SetCachedPixelShader(nullptr);
    ClearShaderConstants(&shaderConstantCache, kBankPixelFloat, kFilterConstantSet, 0, constants.count);
    return result;
}

int BindFilterTarget(int graphic) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (entry == nullptr || entry->block == nullptr || entry->block->textureCount < 1 ||
        entry->block->tiles[0].surface == nullptr)
        return -1;
    return SetRenderTargetSurface(entry->block->tiles[0].surface, 0);
}

int DrawGraphicRect(int graphic, const RECT& from, const RECT& to) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (entry == nullptr || from.right <= from.left || from.bottom <= from.top) return -1;
    const float scaleX = float(to.right - to.left) / float(from.right - from.left);
    const float scaleY = float(to.bottom - to.top) / float(from.bottom - from.top);
    SetCachedPixelShader(nullptr);
    for (int i = 0; i < entry->drawTileCount; ++i) {
        const GraphicDrawTile& tile = entry->drawTiles[i];
        const RECT overlap{std::max(from.left, LONG(tile.x)), std::max(from.top, LONG(tile.y)),
                           std::min(from.right, LONG(tile.x + tile.width)),
                           std::min(from.bottom, LONG(tile.y + tile.height))};
        if (overlap.left >= overlap.right || overlap.top >= overlap.bottom) continue;
        SetFilterSourceTextures(uintptr_t(tile.tile->texture), 0);
        SetupFilterPass(0, 1, 1, -1);
        SetTextureFilter(0);
        const FilterPassInput input{uintptr_t(tile.tile->texture),
                                    graphic,
                                    int(overlap.left) - tile.x + tile.textureX,
                                    int(overlap.top) - tile.y + tile.textureY,
                                    tile.tile->textureWidth,
                                    tile.tile->textureHeight};
        float first[4];
        TextureRect(input, int(overlap.right - overlap.left), int(overlap.bottom - overlap.top), first);
        const RECT placed{to.left + LONG(float(overlap.left - from.left) * scaleX),
                          to.top + LONG(float(overlap.top - from.top) * scaleY),
                          to.left + LONG(float(overlap.right - from.left) * scaleX),
                          to.top + LONG(float(overlap.bottom - from.top) * scaleY)};
        DrawQuad(placed, first, first);
    }
    return 0;
}
