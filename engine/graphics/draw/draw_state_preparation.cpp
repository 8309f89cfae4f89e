#include "engine/graphics/draw/draw_state_preparation.h"

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/stage_setup.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/scene3d/lights.h"

DrawStateLatch drawStateLatch;

namespace {

uint32_t CachedRender(D3DRENDERSTATETYPE state) {
    return renderStateCache.render[state];
}

void UnbindShaders() {
    RenderStateCache& c = renderStateCache;
    if (c.vertexShader) {
        SetCachedVertexShader(nullptr);
        deviceVertexFormat = {};
    }
    if (userShaderBinding.pixelShader == 0 && c.pixelShader) SetCachedPixelShader(nullptr);
}

void PrepareLighting(uint32_t flags) {
    const DrawSettings& s = drawSettings;
    if ((flags & kDrawLit) && !s.noLighting) {
        if (s.lightTableRefresh)
            RefreshLightTable();
        else if (!CachedRender(D3DRS_LIGHTING))
            SetLightingEnable(1);
        if (s.materialChanged) {
            drawSettings.materialChanged = 0;
            SetCachedMaterial(&s.material);
        }
        SetDiffuseMaterialSource(s.diffuseFromMaterial ? D3DMCS_MATERIAL : D3DMCS_COLOR1);
        SetSpecularMaterialSource(s.specularFromMaterial ? D3DMCS_MATERIAL : D3DMCS_COLOR2);
    } else if (CachedRender(D3DRS_LIGHTING)) {
        SetLightingEnable(0);
    }
}

void PrepareDepth(uint32_t flags) {
    const bool in3D = (flags & kDrawDepth3D) != 0;
    const DepthSettings& d = in3D ? drawSettings.depth3D : drawSettings.depth2D;
    if (d.zEnable == 0) {
        if (CachedRender(D3DRS_ZENABLE)) SetZEnable(0);
        if (!in3D && CachedRender(D3DRS_ZWRITEENABLE)) SetZWriteEnable(0);
        return;
    }
    SetZEnable(d.zEnable);
    SetZWriteEnable(d.zWrite);
    SetZFunction(d.zFunction);
    SetDepthBias(d.depthBias);
}

void PrepareStageInputs(uintptr_t texture, uint32_t flags) {
    const DrawSettings& s = drawSettings;
    int alphaTest = 0, alphaBlend = 0;
    if (texture && (flags & kDrawTransparent) && (flags & (kDrawAlphaChannel | kDrawAlphaTest))) {
        if (s.blendMode != 0 && s.blendMode != 8) {
            alphaBlend = 1;
        } else if (!(flags & kDrawOneToOne) && s.drawMode == 1) {
            alphaBlend = 1;
        } else {
            alphaTest = (flags & kDrawAlphaTest) ? 1 : 0;
            alphaBlend = (flags & kDrawAlphaChannel) ? 1 : 0;
        }
    }
    const int colourModulation = (flags & kDrawColourModulation) || (s.bright & 0xFFFFFF) != 0xFFFFFF;
    const int blendingOn = (flags & kDrawBlendingOn) || s.blendMode != 0 || s.blendGraphicOn;
    SetStageSwitches(colourModulation, blendingOn);
    SetStageTexture(texture);
    SetStageIgnoreColour(s.stageInput);
    SetStageBlendInputs(s.blendMode, alphaTest, alphaBlend);
    SetStagePassThrough((flags & kDrawPassThrough) ? 1 : 0);
    SetSecondBlendState(s.secondBlendMode, s.secondBlendParam);
    const StageSetupInputs& in = renderStateCache.stageSetup;
    const bool shaderMissing = GetProgrammableShaderFlag() && renderStateCache.pixelShader == nullptr &&
                               userShaderBinding.pixelShader == 0;
    if (in.dirty || in.textureChanged || shaderMissing) D3DDrawSetup(nullptr, 1, 0);
}

void PrepareAddressing(uint32_t flags) {
    if (flags & kDrawAddressing) {
        for (int s = 0; s < 8; ++s) SetTextureAddressU(s, drawSettings.addressU[s]);
        for (int s = 0; s < 8; ++s) SetTextureAddressV(s, drawSettings.addressV[s]);
        return;
    }
    for (int s = 0; s < 4; ++s) {
        SetTextureAddressU(s, D3DTADDRESS_CLAMP);
        SetTextureAddressV(s, D3DTADDRESS_CLAMP);
    }
}

}  // namespace

void PrepareDrawStates(uintptr_t texture, uint32_t flags) {
    drawStateLatch.statesChanged = 0;
    if (!(flags & kDrawKeepShaders)) UnbindShaders();
    PrepareLighting(flags);
    SetSpecularEnable((flags & kDrawSpecular) && !drawSettings.noSpecular ? 1 : 0);
    PrepareDepth(flags);
    SetFillMode(drawSettings.fillMode);
    SetFogEnable((flags & kDrawFog) ? drawSettings.fogEnable : 0);
    if (!(flags & kDrawSkipStageInputs)) PrepareStageInputs(texture, flags);
    SetShadeMode((flags & kDrawGouraud) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    SetTextureFilter(drawSettings.drawMode);
    SetMaxAnisotropy(drawSettings.maxAnisotropy);
    SetCullMode((flags & kDrawCulling) ? drawSettings.cullMode : 0);
    if (renderStateCache.textureTransformPending) {
        SetTextureTransform(drawSettings.textureTransformOn, &drawSettings.textureTransform);
        renderStateCache.textureTransformPending = 0;
    }
    PrepareAddressing(flags);
    // The writes above are this preparation's own: they leave nothing for the next draw to prepare.
    drawStateLatch.statesChanged = 0;
    drawStateLatch.texture = texture;
    drawStateLatch.flags = flags;
}

void ApplyAllDeviceStates() {
    if (!HasD3DDevice()) return;
    RenderStateCache& c = renderStateCache;
    c.force = 1;
    MarkStatesChanged();
    const D3DVIEWPORT9 viewport = c.viewport;
    SetCachedViewport(&viewport);
    const RECT scissor = c.scissor;
    SetCachedScissorRect(&scissor);
    SetCachedTexture(0, c.texture[0]);
    for (int st = 0; st < kCachedStageCount; ++st)
        for (int type = 0; type < kStageStateCount; ++type)
            if (c.stageKnown[st][type])
                SetCachedStageState(st, D3DTEXTURESTAGESTATETYPE(type), c.stage[st][type]);
    for (int sm = 0; sm < kCachedSamplerCount; ++sm)
        for (int type = 0; type < kSamplerStateCount; ++type)
            if (c.samplerKnown[sm][type])
                SetCachedSamplerState(sm, D3DSAMPLERSTATETYPE(type), c.sampler[sm][type]);
    SetTextureFilter(c.filterMode);
    D3DDrawSetup(nullptr, 1, 0);
    SetCachedRenderState(D3DRS_ZENABLE, c.render[D3DRS_ZENABLE]);
    SetCachedRenderState(D3DRS_ZWRITEENABLE, c.render[D3DRS_ZWRITEENABLE]);
    SetCachedRenderState(D3DRS_ZFUNC, c.render[D3DRS_ZFUNC]);
    SetCachedRenderState(D3DRS_DEPTHBIAS, c.render[D3DRS_DEPTHBIAS]);
    SetCachedRenderState(D3DRS_FILLMODE, c.render[D3DRS_FILLMODE]);
    SetCullMode(c.cullMode);
    SetCachedRenderState(D3DRS_SHADEMODE, c.render[D3DRS_SHADEMODE]);
    const D3DMATERIAL9 material = c.material;
    SetCachedMaterial(&material);
    SetCachedRenderState(D3DRS_SPECULARENABLE, c.render[D3DRS_SPECULARENABLE]);
    SetCachedRenderState(D3DRS_DIFFUSEMATERIALSOURCE, c.render[D3DRS_DIFFUSEMATERIALSOURCE]);
    SetCachedRenderState(D3DRS_SPECULARMATERIALSOURCE, c.render[D3DRS_SPECULARMATERIALSOURCE]);
    if (HasD3DDevice())
        for (int bank = 0; bank < kShaderConstantBankCount; ++bank)
            UploadOwnedShaderConstants(&shaderConstantCache, bank, 0, kShaderConstantRegisterCounts[bank]);
    c.force = 0;
}
