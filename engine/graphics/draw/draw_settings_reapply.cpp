#include "engine/graphics/draw/draw_settings_reapply.h"

#include <cstring>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/transforms.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

float FloatOf(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t Cached(D3DRENDERSTATETYPE state) {
    return renderStateCache.render[state];
}

// Runs body with the cache in force mode, so that every setter reaches the device.
template <class Body>
int Forced(Body body) {
    if (!HasD3DDevice()) return -1;
    renderStateCache.force = 1;
    MarkStatesChanged();
    body();
    renderStateCache.force = 0;
    return 0;
}

void ReapplyStageAndSamplers() {
    const RenderStateCache& c = renderStateCache;
    const StageSetupInputs s = c.stageSetup;
    SetStageBlendInputs(s.blendMode, s.alphaTest, s.alphaBlend);
    SetStageSwitches(s.colourModulation, s.blendingOn);
    SetTextureFilter(c.filterMode);
    for (int sampler = 0; sampler < 8; ++sampler) {
        SetTextureAddressU(sampler, int(c.sampler[sampler][D3DSAMP_ADDRESSU]));
        SetTextureAddressV(sampler, int(c.sampler[sampler][D3DSAMP_ADDRESSV]));
        SetTextureAddressW(sampler, int(c.sampler[sampler][D3DSAMP_ADDRESSW]));
    }
    const Matrix4 textureTransform = c.textureTransform;
    SetTextureTransform(c.textureTransformOn, &textureTransform);
}

void ReapplyFogAndDepth() {
    SetFogEnable(int(Cached(D3DRS_FOGENABLE)));
    SetFogMode(int(Cached(D3DRS_FOGVERTEXMODE)));
    SetFogColour(Cached(D3DRS_FOGCOLOR));
    SetFogStartEnd(FloatOf(Cached(D3DRS_FOGSTART)), FloatOf(Cached(D3DRS_FOGEND)));
    SetFogDensity(FloatOf(Cached(D3DRS_FOGDENSITY)));
    SetZEnable(int(Cached(D3DRS_ZENABLE)));
    SetZWriteEnable(int(Cached(D3DRS_ZWRITEENABLE)));
    SetZFunction(int(Cached(D3DRS_ZFUNC)));
    SetDepthBias(FloatOf(Cached(D3DRS_DEPTHBIAS)));
    SetFillMode(int(Cached(D3DRS_FILLMODE)));
}

void ReapplyTransformsAndLighting() {
    const TransformState t = transformState;
    SetWorldMatrix(&t.world.m[0][0]);
    SetSecondMatrix(&t.second.m[0][0]);
    SetViewMatrix(&t.view.m[0][0]);
    SetProjectionMatrix(&t.projection.m[0][0]);
    const D3DMATERIAL9 material = renderStateCache.material;
    SetCachedMaterial(&material);
    for (D3DRENDERSTATETYPE state :
         {D3DRS_SPECULARENABLE, D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE})
        SetCachedRenderState(state, Cached(state));
    SetAmbientColour(Cached(D3DRS_AMBIENT));
    SetLightingEnable(int(Cached(D3DRS_LIGHTING)));
    RefreshStageSetup();
}

void ReapplyTargetArea() {
    int width = 0, height = 0;
    GetDrawTargetSize(GetDrawTargetHandle(), &width, &height);
    const D3DVIEWPORT9 viewport{0, 0, DWORD(width), DWORD(height), 0.0f, 1.0f};
    SetCachedViewport(&viewport);
    const IntRect& area = drawTargetState.area;
    const RECT scissor{area.left, area.top, area.right, area.bottom};
    SetCachedScissorRect(&scissor);
    for (int stage = 0; stage < kCachedStageCount; ++stage)
        SetTextureCoordIndex(stage, int(renderStateCache.stage[stage][D3DTSS_TEXCOORDINDEX]));
}

}  // namespace

int ReapplyDrawSettings() {
    return Forced([] {
        SetCachedRenderState(D3DRS_DITHERENABLE, 0);
        ReapplyStageAndSamplers();
        ReapplyFogAndDepth();
        ReapplyTransformsAndLighting();
        ReapplyTargetArea();
    });
}

int ResetDrawAreaForced() {
    return Forced([] { ApplyDrawAreaToDevice(); });
}
