#include "engine/graphics/loss/mask_combine.h"

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"

namespace {

struct MaskVertex {
    float x, y, z, rhw, u, v;
};
constexpr DWORD kMaskVertexFormat = D3DFVF_XYZRHW | D3DFVF_TEX1;

struct StateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

// Stage 0 takes the drawn colour; stage 1 keeps it and takes the mask image's alpha.
void SetCombineStages(const MaskCombine& combine) {
    DeviceSetTexture(0, combine.screenTexture);
    DeviceSetTexture(1, combine.imageTexture);
    for (DWORD stage = 0; stage < 2; ++stage) {
        DeviceSetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        DeviceSetTextureStageState(stage, D3DTSS_COLORARG1, stage == 0 ? D3DTA_TEXTURE : D3DTA_CURRENT);
        DeviceSetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        DeviceSetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        DeviceSetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
        DeviceSetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        DeviceSetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        DeviceSetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        DeviceSetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        DeviceSetSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        DeviceSetSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    DeviceSetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DeviceSetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

// The whole draw surface, whatever viewport the draw area left.
void SetWholeViewport(IDirect3DSurface9* surface) {
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    const D3DVIEWPORT9 viewport{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    DeviceSetViewport(&viewport);
}

void SetCombineRenderStates(int reverse) {
    const StateValue states[] = {
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_ZENABLE, FALSE},
        {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_ALPHATESTENABLE, TRUE},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, DWORD(reverse ? D3DCMP_NOTEQUAL : D3DCMP_EQUAL)},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_LIGHTING, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_SCISSORTESTENABLE, FALSE},
    };
    for (const StateValue& s : states) DeviceSetRenderState(s.state, s.value);
    direct3DSystem.device->SetVertexShader(nullptr);
    direct3DSystem.device->SetPixelShader(nullptr);
    direct3DSystem.device->SetFVF(kMaskVertexFormat);
}

// The quad of rect at pixel centres, top left, top right, bottom left, bottom right.
void DrawRect(const MaskCombine& combine, const IntRect& rect) {
    const float w = float(combine.textureWidth), h = float(combine.textureHeight);
    const float l = float(rect.left), t = float(rect.top), r = float(rect.right), b = float(rect.bottom);
    const MaskVertex quad[4] = {
        {l - 0.5f, t - 0.5f, 0, 1, l / w, t / h},
        {r - 0.5f, t - 0.5f, 0, 1, r / w, t / h},
        {l - 0.5f, b - 0.5f, 0, 1, l / w, b / h},
        {r - 0.5f, b - 0.5f, 0, 1, r / w, b / h},
    };
    DeviceDrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(MaskVertex));
}

}  // namespace

void DrawMaskCombine(const MaskCombine& combine, const IntRect& rect) {
    DeviceSetRenderTarget(0, combine.drawSurface);
    BeginSceneIfNeeded();
    SetCombineStages(combine);
    SetCombineRenderStates(combine.reverse);
    SetWholeViewport(combine.drawSurface);
    DrawRect(combine, rect);
    ForgetCachedVertexFormatAndShaders();
    ApplyAllDeviceStates();
}
