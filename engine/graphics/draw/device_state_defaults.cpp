#include "engine/graphics/draw/device_state_defaults.h"

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/stage_setup.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics_services.h"

namespace {

void SamplerDefaults() {
    for (int s = 0; s < 8; ++s) {
        int& u = drawSettings.addressU[s];
        int& v = drawSettings.addressV[s];
        if (u == 0) u = D3DTADDRESS_CLAMP;
        if (v == 0) v = D3DTADDRESS_CLAMP;
        SetTextureAddressU(s, u);
        SetTextureAddressV(s, v);
        SetTextureAddressW(s, D3DTADDRESS_CLAMP);
    }
    SetTextureFilter(GetTextureFilterMode());
}

void FixedRenderStates() {
    SetCullMode(0);
    SetLightingEnable(1);
    SetShadeMode(D3DSHADE_FLAT);
    SetCachedRenderState(D3DRS_DITHERENABLE, 0);
    SetSpecularEnable(1);
    SetCachedRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    SetCachedRenderState(D3DRS_NORMALIZENORMALS, 1);
    SetFogEnable(0);
    SetCachedRenderState(D3DRS_FOGVERTEXMODE, 0);  // none
    SetFogColour(0);
    SetFogStartEnd(0.0f, 1.0f);
}

}  // namespace

int ReapplyDeviceStates() {
    if (!HasD3DDevice()) return 0;
    // A device of an earlier start left its states in the cache and the latch, and its blend in the
    // draw settings (the start resets the settings only after this): the new device starts from none.
    ResetRenderStateCache();
    drawStateLatch = DrawStateLatch{};
    drawSettings.blendMode = drawSettings.blendParam = drawSettings.secondBlendParam = 0;
    drawSettings.secondBlendMode = -1;
    SetCachedVertexShader(nullptr);
    SetCachedPixelShader(nullptr);
    ResetVertexBatch();
    SamplerDefaults();
    FixedRenderStates();
    D3DVIEWPORT9 viewport{};
    if (DeviceGetViewport(&viewport) == D3D_OK) renderStateCache.viewport = viewport;
    ResetStageSetupState();
    SetStageBlendInputs(0, 0, 0);
    SetSecondBlendState(-1, 0);
    ApplyAllDeviceStates();
    BeginSceneIfNeeded();
    PrepareDrawStates(0, 0);
    FlushVertexBatch(0);
    return 0;
}
