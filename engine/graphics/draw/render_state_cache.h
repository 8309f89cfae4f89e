// The render-state cache: the last value given to the device for every state the drawing code
// changes. A setter skips an unchanged value and otherwise flushes the vertex batch first, so that
// queued vertices keep the state they were queued with. In force mode every setter sends its value
// even when unchanged, without a flush; a changed value is still flushed first.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "platform/d3d9/d3d9.h"

inline constexpr int kConstantLightCount = 16;  // lights with shader constants
inline constexpr int kCachedSamplerCount = 16;
inline constexpr int kCachedStageCount = 8;
inline constexpr int kSamplerStateCount = 14;
inline constexpr int kStageStateCount = 33;
inline constexpr int kRenderStateCount = 256;
inline constexpr int kLightEnableCount = 256;

// The inputs of the per-draw stage setup (the rows that select the pixel shader and send nothing).
struct StageSetupInputs {
    int32_t blendMode;  // the triple: blend mode, alpha test, alpha blending by the texture's alpha
    int32_t alphaTest;
    int32_t alphaBlend;
    int32_t passThrough;  // draw flags bit 17, handed on unchanged
    int32_t secondMode;   // -1: none
    int32_t secondParam;
    uintptr_t texture;       // stage-0 texture
    uintptr_t blendTexture;  // 0: none
    float blendWidth, blendHeight;
    float blendInvWidth, blendInvHeight;
    int32_t blendKind;  // 0 cross-fade (one value), 1 border (two values), 2 none
    int32_t blendValues[2];
    int32_t colourModulation;
    int32_t blendingOn;
    int32_t ignoreColour;
    int32_t dirty;           // an input other than the textures changed
    int32_t textureChanged;  // a texture changed
};

struct RenderStateCache {
    int32_t force;
    int32_t pixelShaderChoiceChanged;
    uint32_t render[kRenderStateCount];
    uint32_t sampler[kCachedSamplerCount][kSamplerStateCount];
    uint32_t stage[kCachedStageCount][kStageStateCount];
    uintptr_t texture[kCachedStageCount];
    uint8_t renderKnown[kRenderStateCount];
    uint8_t samplerKnown[kCachedSamplerCount][kSamplerStateCount];
    uint8_t stageKnown[kCachedStageCount][kStageStateCount];
    int32_t filterMode;
    int32_t cullMode;            // 0 none, 1 counter-clockwise, 2 clockwise
    int32_t filterSamplerCount;  // samplers the filter is written to: at least 4
    D3DVIEWPORT9 viewport;
    RECT scissor;
    uint8_t lightEnable[kLightEnableCount];
    int32_t highestEnabledLight;  // -1: none
    D3DLIGHT9 lights[kConstantLightCount];
    D3DMATERIAL9 material;
    int32_t textureTransformOn;
    Matrix4 textureTransform;
    int32_t textureTransformPending;  // the draw settings' transform waits to be applied
    IDirect3DVertexShader9* vertexShader;
    IDirect3DPixelShader9* pixelShader;
    StageSetupInputs stageSetup;
};

extern RenderStateCache renderStateCache;

// Zero, with no light enabled, no second blend mode and four filtered samplers.
void ResetRenderStateCache();
// Sets the states-changed word that the draw-state preparation reads.
void MarkStatesChanged();
// A new device: the next draw sets the vertex format, declaration and shaders again.
void ForgetCachedVertexFormatAndShaders();
// A new device holds its own defaults: every cached state counts as never sent, and the states as
// changed, so that the next writes reach the device.
void InvalidateCachedStatesAfterProbe();

// Generic cached writes (each: -1 without a device, else 0).
int SetCachedRenderState(D3DRENDERSTATETYPE state, uint32_t value);
int SetCachedSamplerState(int sampler, D3DSAMPLERSTATETYPE type, uint32_t value);
int SetCachedStageState(int stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);
int SetCachedTexture(int stage, uintptr_t texture);

int ResetFixedStates();
// 0 point, 1 bilinear, 2 anisotropic; any other mode -1 with nothing changed.
int SetTextureFilter(int mode);
int SetMaxAnisotropy(int value);
int SetZEnable(int value);  // render state 7 = (value == 1)
int SetZWriteEnable(int value);
int SetZFunction(int value);
int SetDepthBias(float value);
int SetFillMode(int value);
int SetLightingEnable(int value);
int SetCachedLight(int index, const D3DLIGHT9* light);
int SetCachedLightEnable(int index, int flag);
int SetCachedMaterial(const D3DMATERIAL9* material);
int SetSpecularEnable(int value);
int SetDiffuseMaterialSource(int value);
int SetSpecularMaterialSource(int value);
// 0 none, 1 counter-clockwise, 2 clockwise.
int SetCullMode(int value);
int SetAmbientColour(uint32_t colour);  // 0x00RRGGBB
int SetShadeMode(int value);
int SetTextureAddress(int u, int v, int w);  // samplers 0..7
// sampler -1: samplers 0..7.
int SetTextureAddressU(int sampler, int value);
int SetTextureAddressV(int sampler, int value);
int SetTextureAddressW(int sampler, int value);
int SetTextureCoordIndex(int stage, int value);
int SetTextureTransform(int on, const Matrix4* matrix);
int SetFogEnable(int value);
int SetFogMode(int value);
int SetFogColour(uint32_t colour);  // 0x00RRGGBB
int SetFogStartEnd(float start, float end);
int SetFogDensity(float density);
// Ends an open scene first. The device's error, logged, on failure.
int SetCachedViewport(const D3DVIEWPORT9* viewport);
int SetCachedScissorRect(const RECT* rect);
int SetCachedVertexShader(IDirect3DVertexShader9* shader);
int SetCachedPixelShader(IDirect3DPixelShader9* shader);

// Stage-setup inputs: each change flushes, raises the states-changed word, the pixel-shader choice
// flag and the stage setup's dirty word (the textures its texture-changed word instead).
int SetStageBlendInputs(int blendMode, int alphaTest, int alphaBlend);
int SetStagePassThrough(int value);
int SetSecondBlendState(int mode, int param);
int SetStageTexture(uintptr_t texture);
int SetBlendTexture(uintptr_t texture, int width, int height);
// kind 0 reads one value (the cross-fade weight), kind 1 two (border, range), kind 2 none.
int SetBlendTextureState(int kind, const int* params);
int SetStageSwitches(int colourModulation, int blendingOn);
int SetStageIgnoreColour(int value);
// Flags the stage setup to be rebuilt.
int RefreshStageSetup();

// Draws an indexed triangle list of screen-space textured vertices (format 0x144) at once.
int DrawIndexedTexturedTriangles(const Vertex2DTex* vertices, int vertexCount, const uint16_t* indices,
                                 int indexCount);
