// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

struct MEMIMG;
struct SoftImage;

// Vertex batch: draws what is queued (postToMainThread 0: here). 0, or -1 without a device.
int FlushVertexBatch(int postToMainThread);

// Scene latch: forgets an open scene without ending it (the device is going away).
void ClearSceneLatch();

// Shader constant cache: the shader model in use (200 for 2.0, 0 without programmable shaders).
int GetShaderModel();

// Render-state cache: forget the bound vertex format, declaration and shaders; after a probe, mark the
// device-dependent cached values unknown and the states changed.
void ForgetCachedVertexFormatAndShaders();
void InvalidateCachedStatesAfterProbe();
// Render-state cache entries the lighting switch and the texture-coordinate reset read and write.
int IsRenderStateForced();
int GetCachedLighting();
void SetCachedLighting(int flag);
void MarkRenderStatesChanged();
int GetCachedTexCoordIndex(int stage);
void SetCachedTexCoordIndex(int stage, int index);
// Draw-state preparation: choose the shader permutation again (lighting or fog changed).
void RecomputeShaderPermutation();

// Device objects: the sub back buffer, null until drawing moves there.
IDirect3DSurface9* GetSubBackBuffer();

// The screen's software image (software mode), null while none exists.
MEMIMG* GetScreenMemImage();

// Back-buffer lock: a rectangle of the current draw screen (graphic -1) as an image record. 0 or -1.
int LockBackBuffer(const RECT* rect, SoftImage* image, int graphic, int readOnly, int textureIndex);
int UnlockBackBuffer();
// Draw target: makes handle the current draw screen without touching the draw area; the previous one.
int SwapDrawScreen(int handle);

// Draw state: the transparent colour 0x00RRGGBB.
uint32_t GetTransparentColor();

// Graphic records: the size of a graphic (allowLoading 1: also one still loading) and of its first
// texture. 0, or -1 for an invalid handle.
int GetGraphicEntrySize(int graphic, int allowLoading, int* width, int* height);
int GetGraphicFirstTextureSize(int graphic, int* width, int* height);

// Graphic creation: one word of the creation parameters.
int SetGraphicCreateParamWord(int word, int32_t value);
