#include "engine/graphics/draw/render_state_cache.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/transforms.h"

RenderStateCache renderStateCache;

namespace {

namespace reg = shader_registers;

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

// The common rule of every setter: no device -1; an unchanged value is skipped unless forced; a
// changed one flushes the batch first; then the value is sent and kept. A state whose `known` mark is
// clear has never been sent, so the device may hold its own default there: it counts as changed.
template <class T, class Send>
int WriteCached(T& cached, const T& value, Send send, uint8_t* known = nullptr) {
    if (!HasD3DDevice()) return -1;
    const bool same = (known == nullptr || *known) && std::memcmp(&cached, &value, sizeof(T)) == 0;
    if (same && !renderStateCache.force) return 0;
    if (!same) FlushVertexBatch(0);
    send();
    std::memcpy(&cached, &value, sizeof(T));
    if (known) *known = 1;
    MarkStatesChanged();
    return 0;
}

// A stage-setup input: nothing is sent; the pixel-shader choice and the setup's dirty word follow.
template <class T>
int WriteInput(T& cached, const T& value, int32_t& dirtyWord) {
    return WriteCached(cached, value, [&] {
        renderStateCache.pixelShaderChoiceChanged = 1;
        dirtyWord = 1;
    });
}

int ForSamplers(int sampler, D3DSAMPLERSTATETYPE type, int value) {
    if (sampler >= kCachedStageCount) return -1;
    if (sampler >= 0) return SetCachedSamplerState(sampler, type, uint32_t(value));
    int result = 0;
    for (int s = 0; s < kCachedStageCount; ++s) result |= SetCachedSamplerState(s, type, uint32_t(value));
    return result;
}

void WriteVector(int bank, int set, int reg, float a, float b, float c, float d) {
    const float v[4] = {a, b, c, d};
    SetShaderConstants(&shaderConstantCache, bank, set, reg, v, 1, 1);
}

void WriteFogConstants() {
    float start, end, density;
    std::memcpy(&start, &renderStateCache.render[D3DRS_FOGSTART], 4);
    std::memcpy(&end, &renderStateCache.render[D3DRS_FOGEND], 4);
    std::memcpy(&density, &renderStateCache.render[D3DRS_FOGDENSITY], 4);
    WriteVector(kBankVertexFloat, 0, reg::kFog, start, end, density, 0.0f);
}

}  // namespace

void MarkStatesChanged() {
    drawStateLatch.statesChanged = 1;
}

void ForgetCachedVertexFormatAndShaders() {
    deviceVertexFormat = {};
    renderStateCache.vertexShader = nullptr;
    renderStateCache.pixelShader = nullptr;
}

void InvalidateCachedStatesAfterProbe() {
    RenderStateCache& c = renderStateCache;
    std::memset(c.renderKnown, 0, sizeof c.renderKnown);
    std::memset(c.samplerKnown, 0, sizeof c.samplerKnown);
    std::memset(c.stageKnown, 0, sizeof c.stageKnown);
    std::memset(c.texture, 0, sizeof c.texture);
    MarkStatesChanged();
}

void ResetRenderStateCache() {
    std::memset(&renderStateCache, 0, sizeof renderStateCache);
    renderStateCache.highestEnabledLight = -1;
    renderStateCache.filterSamplerCount = 4;
    renderStateCache.stageSetup.secondMode = -1;
    renderStateCache.stageSetup.blendKind = 2;
    SetIdentityMatrix(&renderStateCache.textureTransform);
}

namespace {
const bool cachePreset = (ResetRenderStateCache(), true);
}

int SetCachedRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
    (void)cachePreset;
    if (state < 0 || state >= kRenderStateCount) return -1;
    return WriteCached(
        renderStateCache.render[state], value, [&] { DeviceSetRenderState(state, value); },
        &renderStateCache.renderKnown[state]);
}

int SetCachedSamplerState(int sampler, D3DSAMPLERSTATETYPE type, uint32_t value) {
    if (sampler < 0 || sampler >= kCachedSamplerCount || type < 0 || type >= kSamplerStateCount) return -1;
    return WriteCached(
        renderStateCache.sampler[sampler][type], value,
        [&] { DeviceSetSamplerState(DWORD(sampler), type, value); },
        &renderStateCache.samplerKnown[sampler][type]);
}

int SetCachedStageState(int stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value) {
    if (stage < 0 || stage >= kCachedStageCount || type < 0 || type >= kStageStateCount) return -1;
    return WriteCached(
        renderStateCache.stage[stage][type], value,
        [&] { DeviceSetTextureStageState(DWORD(stage), type, value); },
        &renderStateCache.stageKnown[stage][type]);
}

int SetCachedTexture(int stage, uintptr_t texture) {
    if (stage < 0 || stage >= kCachedStageCount) return -1;
    return WriteCached(renderStateCache.texture[stage], texture, [&] {
        DeviceSetTexture(DWORD(stage), reinterpret_cast<IDirect3DBaseTexture9*>(texture));
    });
}

int ResetFixedStates() {
    if (!HasD3DDevice()) return -1;
    RenderStateCache& c = renderStateCache;
    for (int s = 0; s < 4; ++s) {
        SetCachedSamplerState(s, D3DSAMP_ADDRESSU, c.sampler[s][D3DSAMP_ADDRESSU]);
        SetCachedSamplerState(s, D3DSAMP_ADDRESSV, c.sampler[s][D3DSAMP_ADDRESSV]);
    }
    const uint32_t coordIndex[4] = {0, 1, 1, 0};
    for (int s = 0; s < 4; ++s) SetCachedStageState(s, D3DTSS_TEXCOORDINDEX, coordIndex[s]);
    if (deviceCapabilityFlags.tempRegister)
        for (int s = 0; s < 4; ++s) SetCachedStageState(s, D3DTSS_RESULTARG, D3DTA_CURRENT);
    SetCachedRenderState(D3DRS_SHADEMODE, c.render[D3DRS_SHADEMODE]);
    SetCachedRenderState(D3DRS_LIGHTING, c.render[D3DRS_LIGHTING]);
    SetCullMode(0);
    SetCachedRenderState(D3DRS_DITHERENABLE, 0);
    WriteVector(kBankVertexFloat, 0, reg::kVertexConstants, 0.0f, 1.0f, 0.0f, 0.0f);
    WriteVector(kBankPixelFloat, 0, reg::kPixelConstants, 0.0f, 0.5f, 1.0f, 2.0f);
    if (c.vertexShader) SetCachedVertexShader(nullptr);
    if (c.pixelShader) SetCachedPixelShader(nullptr);
    deviceVertexFormat = {};
    return 0;
}

int SetTextureFilter(int mode) {
    static const uint32_t filters[3][3] = {{D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
                                           {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE},
                                           {D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR}};
    if (!HasD3DDevice()) return -1;
    if (mode < 0 || mode > 2) return -1;
    for (int s = 0; s < renderStateCache.filterSamplerCount; ++s) {
        SetCachedSamplerState(s, D3DSAMP_MAGFILTER, filters[mode][0]);
        SetCachedSamplerState(s, D3DSAMP_MINFILTER, filters[mode][1]);
        SetCachedSamplerState(s, D3DSAMP_MIPFILTER, filters[mode][2]);
    }
    renderStateCache.filterMode = mode;
    return 0;
}

int SetMaxAnisotropy(int value) {
    int result = 0;
    for (int s = 0; s < renderStateCache.filterSamplerCount; ++s)
        result |= SetCachedSamplerState(s, D3DSAMP_MAXANISOTROPY, uint32_t(value));
    return result;
}

int SetZEnable(int value) {
    return SetCachedRenderState(D3DRS_ZENABLE, value == 1 ? 1 : 0);
}
int SetZWriteEnable(int value) {
    return SetCachedRenderState(D3DRS_ZWRITEENABLE, uint32_t(value));
}
int SetZFunction(int value) {
    return SetCachedRenderState(D3DRS_ZFUNC, uint32_t(value));
}
int SetDepthBias(float value) {
    return SetCachedRenderState(D3DRS_DEPTHBIAS, FloatBits(value));
}
int SetFillMode(int value) {
    return SetCachedRenderState(D3DRS_FILLMODE, uint32_t(value));
}
int SetLightingEnable(int value) {
    return SetCachedRenderState(D3DRS_LIGHTING, uint32_t(value));
}

int SetCachedLight(int index, const D3DLIGHT9* light) {
    if (!HasD3DDevice()) return -1;
    if (index < 0 || light == nullptr) return -1;
    if (index >= kConstantLightCount) {
        FlushVertexBatch(0);
        DeviceSetLight(DWORD(index), light);
        MarkStatesChanged();
        return 0;
    }
    const int result =
        WriteCached(renderStateCache.lights[index], *light, [&] { DeviceSetLight(DWORD(index), light); });
    WriteLightPositionConstants();
    WriteLightColourConstants();
    return result;
}

int SetCachedLightEnable(int index, int flag) {
    if (!HasD3DDevice()) return -1;
    if (index < 0) return -1;
    const uint8_t value = flag ? 1 : 0;
    if (index >= kLightEnableCount) {
        FlushVertexBatch(0);
        DeviceLightEnable(DWORD(index), value);
        MarkStatesChanged();
        return 0;
    }
    RenderStateCache& c = renderStateCache;
    const int result =
        WriteCached(c.lightEnable[index], value, [&] { DeviceLightEnable(DWORD(index), value); });
    c.highestEnabledLight = -1;
    for (int i = kLightEnableCount - 1; i >= 0; --i)
        if (c.lightEnable[i]) {
            c.highestEnabledLight = i;
            break;
        }
    if (GetProgrammableShaderFlag() && index < 4) {
        const BOOL enabled = value;
        SetShaderConstants(&shaderConstantCache, kBankVertexBool, 2, reg::kLightEnableBool + index * 3,
                           &enabled, 1, 1);
    }
    WriteLightColourConstants();
    return result;
}

int SetCachedMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) return -1;
    const int result =
        WriteCached(renderStateCache.material, *material, [&] { DeviceSetMaterial(material); });
    if (result == 0) {
        const float m[5][4] = {
            {material->Diffuse.r, material->Diffuse.g, material->Diffuse.b, material->Diffuse.a},
            {material->Ambient.r, material->Ambient.g, material->Ambient.b, material->Ambient.a},
            {material->Specular.r, material->Specular.g, material->Specular.b, material->Specular.a},
            {material->Emissive.r, material->Emissive.g, material->Emissive.b, material->Emissive.a},
            {material->Power, 0.0f, 0.0f, 0.0f}};
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 3, reg::kMaterial3, m, 5, 1);
        WriteLightColourConstants();
    }
    return result;
}

int SetSpecularEnable(int value) {
    return SetCachedRenderState(D3DRS_SPECULARENABLE, uint32_t(value));
}
int SetDiffuseMaterialSource(int value) {
    return SetCachedRenderState(D3DRS_DIFFUSEMATERIALSOURCE, uint32_t(value));
}
int SetSpecularMaterialSource(int value) {
    return SetCachedRenderState(D3DRS_SPECULARMATERIALSOURCE, uint32_t(value));
}
int SetCullMode(int value) {
    static const uint32_t modes[3] = {D3DCULL_NONE, D3DCULL_CCW, D3DCULL_CW};
    if (value < 0 || value > 2) return -1;
    RenderStateCache& c = renderStateCache;
    return WriteCached(
        c.cullMode, int32_t(value),
        [&] {
            DeviceSetRenderState(D3DRS_CULLMODE, modes[value]);
            c.render[D3DRS_CULLMODE] = modes[value];
        },
        &c.renderKnown[D3DRS_CULLMODE]);
}
int SetAmbientColour(uint32_t colour) {
    const int result = SetCachedRenderState(D3DRS_AMBIENT, colour);
    if (result == 0) WriteLightColourConstants();
    return result;
}
int SetShadeMode(int value) {
    return SetCachedRenderState(D3DRS_SHADEMODE, uint32_t(value));
}

int SetTextureAddress(int u, int v, int w) {
    const int a = SetTextureAddressU(-1, u), b = SetTextureAddressV(-1, v), c = SetTextureAddressW(-1, w);
    return a | b | c;
}
int SetTextureAddressU(int sampler, int value) {
    return ForSamplers(sampler, D3DSAMP_ADDRESSU, value);
}
int SetTextureAddressV(int sampler, int value) {
    return ForSamplers(sampler, D3DSAMP_ADDRESSV, value);
}
int SetTextureAddressW(int sampler, int value) {
    return ForSamplers(sampler, D3DSAMP_ADDRESSW, value);
}
int SetTextureCoordIndex(int stage, int value) {
    return SetCachedStageState(stage, D3DTSS_TEXCOORDINDEX, uint32_t(value));
}

int SetTextureTransform(int on, const Matrix4* matrix) {
    if (!HasD3DDevice()) return -1;
    RenderStateCache& c = renderStateCache;
    for (int s = 0; s < 4; ++s)
        SetCachedStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, on ? D3DTTFF_COUNT3 : D3DTTFF_DISABLE);
    Matrix4 value = c.textureTransform;
    if (matrix) value = *matrix;
    WriteCached(c.textureTransform, value, [&] {
        for (int s = 0; s < 4; ++s)
            DeviceSetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s),
                               reinterpret_cast<const D3DMATRIX*>(&value));
    });
    c.textureTransformOn = on;
    return 0;
}

int SetFogEnable(int value) {
    const int result = SetCachedRenderState(D3DRS_FOGENABLE, uint32_t(value));
    renderStateCache.pixelShaderChoiceChanged = 1;
    return result;
}
int SetFogMode(int value) {
    const int result = SetCachedRenderState(D3DRS_FOGVERTEXMODE, uint32_t(value));
    if (result == 0 && GetProgrammableShaderFlag()) {
        const int mode[4] = {value, 0, 0, 0};
        SetShaderConstants(&shaderConstantCache, kBankVertexInt, 2, reg::kFogModeInt, mode, 1, 1);
    }
    return result;
}
int SetFogColour(uint32_t colour) {
    const int result = SetCachedRenderState(D3DRS_FOGCOLOR, colour);
    if (result == 0)
        WriteVector(kBankPixelFloat, 3, reg::kFogColour, float((colour >> 16) & 0xFF) / 255.0f,
                    float((colour >> 8) & 0xFF) / 255.0f, float(colour & 0xFF) / 255.0f, 1.0f);
    return result;
}
int SetFogStartEnd(float start, float end) {
    const int a = SetCachedRenderState(D3DRS_FOGSTART, FloatBits(start));
    const int b = SetCachedRenderState(D3DRS_FOGEND, FloatBits(end));
    if ((a | b) == 0) WriteFogConstants();
    return a | b;
}
int SetFogDensity(float density) {
    const int result = SetCachedRenderState(D3DRS_FOGDENSITY, FloatBits(density));
    if (result == 0) WriteFogConstants();
    return result;
}

int SetCachedViewport(const D3DVIEWPORT9* viewport) {
    if (!HasD3DDevice()) return -1;
    if (viewport == nullptr) return -1;
    RenderStateCache& c = renderStateCache;
    const bool same = std::memcmp(&c.viewport, viewport, sizeof *viewport) == 0;
    if (same && !c.force) return 0;
    if (!same) FlushVertexBatch(0);
    if (direct3DSystem.direct3D) EndSceneIfBegun();
    const HRESULT hr = DeviceSetViewport(viewport);
    if (hr != D3D_OK) {
        LogPrintf("ビューポートのセットに失敗しました ErrorCode %x", unsigned(hr));
        return int(hr);
    }
    c.viewport = *viewport;
    MarkStatesChanged();
    return 0;
}

int SetCachedScissorRect(const RECT* rect) {
    if (rect == nullptr) return -1;
    return WriteCached(renderStateCache.scissor, *rect, [&] {
        if (direct3DSystem.direct3D) EndSceneIfBegun();
        DeviceSetScissorRect(rect);
    });
}

int SetCachedVertexShader(IDirect3DVertexShader9* shader) {
    return WriteCached(renderStateCache.vertexShader, shader, [&] { DeviceSetVertexShader(shader); });
}
int SetCachedPixelShader(IDirect3DPixelShader9* shader) {
    return WriteCached(renderStateCache.pixelShader, shader, [&] { DeviceSetPixelShader(shader); });
}

int SetStageBlendInputs(int blendMode, int alphaTest, int alphaBlend) {
    StageSetupInputs& s = renderStateCache.stageSetup;
    int32_t kept[3] = {s.blendMode, s.alphaTest, s.alphaBlend};
    const int32_t value[3] = {blendMode, alphaTest, alphaBlend};
    const int result = WriteInput(kept, value, s.dirty);
    s.blendMode = kept[0], s.alphaTest = kept[1], s.alphaBlend = kept[2];
    return result;
}
int SetStagePassThrough(int value) {
    return WriteInput(renderStateCache.stageSetup.passThrough, int32_t(value),
                      renderStateCache.stageSetup.dirty);
}
int SetSecondBlendState(int mode, int param) {
    StageSetupInputs& s = renderStateCache.stageSetup;
    int32_t kept[2] = {s.secondMode, s.secondParam};
    const int32_t value[2] = {mode, param};
    const int result = WriteInput(kept, value, s.dirty);
    s.secondMode = kept[0], s.secondParam = kept[1];
    return result;
}
int SetStageTexture(uintptr_t texture) {
    StageSetupInputs& s = renderStateCache.stageSetup;
    const bool someBefore = s.texture != 0;
    const int result = WriteCached(s.texture, texture, [&] {
        s.textureChanged = 1;
        // Stages made for no texture do not sample one (and the other way round): they are set up anew.
        if (someBefore != (texture != 0)) renderStateCache.pixelShaderChoiceChanged = 1, s.dirty = 1;
    });
    return result;
}
int SetBlendTexture(uintptr_t texture, int width, int height) {
    StageSetupInputs& s = renderStateCache.stageSetup;
    const bool someBefore = s.blendTexture != 0;
    return WriteCached(s.blendTexture, texture, [&] {
        s.textureChanged = 1;
        if (someBefore != (texture != 0)) renderStateCache.pixelShaderChoiceChanged = 1;
        if (texture != 0 && width > 0 && height > 0) {
            s.blendWidth = float(width), s.blendHeight = float(height);
            s.blendInvWidth = 1.0f / float(width), s.blendInvHeight = 1.0f / float(height);
        }
    });
}
int SetBlendTextureState(int kind, const int* params) {
    if (!HasD3DDevice()) return -1;
    StageSetupInputs& s = renderStateCache.stageSetup;
    int32_t value[3] = {kind, 0, 0};
    if (kind == 0 && params) value[1] = params[0];
    if (kind == 1 && params) value[1] = params[0], value[2] = params[1];
    int32_t kept[3] = {s.blendKind, s.blendValues[0], s.blendValues[1]};
    const int result = WriteInput(kept, value, s.dirty);
    s.blendKind = kept[0], s.blendValues[0] = kept[1], s.blendValues[1] = kept[2];
    return result;
}
int SetStageSwitches(int colourModulation, int blendingOn) {
    StageSetupInputs& s = renderStateCache.stageSetup;
    int32_t kept[2] = {s.colourModulation, s.blendingOn};
    const int32_t value[2] = {colourModulation, blendingOn};
    const int result = WriteInput(kept, value, s.dirty);
    s.colourModulation = kept[0], s.blendingOn = kept[1];
    return result;
}
int SetStageIgnoreColour(int value) {
    return WriteInput(renderStateCache.stageSetup.ignoreColour, int32_t(value),
                      renderStateCache.stageSetup.dirty);
}
int RefreshStageSetup() {
    if (!HasD3DDevice()) return -1;
    renderStateCache.stageSetup.dirty = 1;
    return 0;
}

int DrawIndexedTexturedTriangles(const Vertex2DTex* vertices, int vertexCount, const uint16_t* indices,
                                 int indexCount) {
    if (!HasD3DDevice()) return -1;
    if (vertices == nullptr || indices == nullptr || vertexCount <= 0 || indexCount < 3) return -1;
    FlushVertexBatch(0);
    BeginSceneIfNeeded();
    ApplyVertexFormat(0x144);
    DeviceDrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, UINT(vertexCount), UINT(indexCount / 3), indices,
                                 D3DFMT_INDEX16, vertices, sizeof(Vertex2DTex));
    return 0;
}
