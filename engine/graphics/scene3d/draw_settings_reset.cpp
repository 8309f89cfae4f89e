#include "engine/graphics/scene3d/draw_settings_reset.h"

#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/scene3d/camera.h"
#include "engine/graphics/scene3d/lights.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/softrender/soft_render_state.h"

namespace {

// A reset while lights exist would otherwise leave the previous default light alive and no longer
// spared by DeleteAllLights: it goes before the new one is made.
void ReplaceDefaultLight() {
    if (lightTable.defaultLight != -1) DeleteLight(lightTable.defaultLight);
    lightTable.defaultLight = CreateDirectionalLight(1.0f, -1.0f, 1.0f);
}

void SetDefaultMaterial() {
    D3DMATERIAL9& m = drawSettings.material;
    m.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    m.Ambient = {0.0f, 0.0f, 0.0f, 0.0f};
    m.Specular = {0.8f, 0.8f, 0.8f, 0.0f};
    m.Emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    m.Power = 20.0f;
    drawSettings.materialChanged = 1;
}

}  // namespace

int ResetDrawSettings() {
    const DrawSettings kept = drawSettings;
    ResetDrawSettingsBlock();
    drawSettings.noLighting = kept.noLighting;
    drawSettings.lightTableRefresh = kept.lightTableRefresh;
    drawSettings.diffuseFromMaterial = kept.diffuseFromMaterial;
    drawSettings.specularFromMaterial = kept.specularFromMaterial;
    drawSettings.drawingSuspended = kept.drawingSuspended;
    drawSettings.transparentColor = kept.transparentColor;
    drawSettings.noVsyncWait = kept.noVsyncWait;
    drawSettings.noVsyncWaitAtStart = kept.noVsyncWaitAtStart;
    drawSettings.hasRestoreCallback = kept.hasRestoreCallback;
    drawSettings.restoreCallback = kept.restoreCallback;

    // The block already says white and no blending, so the setters would skip the software renderer.
    SetSoftBlendMode(0, 255);
    SetSoftDrawBright(0xFFFFFF);
    SetBright(255, 255, 255);
    SetTextureFilterMode(0);
    SetDrawFogMode(3);
    SetDrawFogColour(255, 255, 255);
    SetDrawFogRange(0.0f, 1500.0f);
    SetMaskDrawingEnabled(0);
    SwapDrawScreen(kDrawTargetBackBuffer);
    SelectDrawTarget(kDrawTargetFrontScreen);
    SetClipRect(0, 0, screenSettings.width, screenSettings.height);

    ReplaceDefaultLight();
    ResetProjectionDefaults();
    SetDefaultMaterial();
    MarkStatesChanged();
    return 0;
}
