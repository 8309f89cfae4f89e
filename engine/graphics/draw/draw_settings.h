// The draw settings that the draw-state preparation reads. Their public setters belong with the draw
// target and draw-state API; this block holds their values.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"
#include "platform/d3d9/d3d9.h"

struct DepthSettings {
    int32_t zEnable;
    int32_t zWrite;
    int32_t zFunction;
    float depthBias;
};

struct DrawSettings {
    int32_t blendMode;  // 0 none; else a row of the blend-state table
    int32_t blendParam;
    int32_t secondBlendMode;  // -1: none
    int32_t secondBlendParam;
    uint32_t bright;         // 0x00RRGGBB
    int32_t blendGraphicOn;  // a blend graphic is set
    DepthSettings depth2D;
    DepthSettings depth3D;
    int32_t fillMode;
    int32_t cullMode;  // 0 none, 1 counter-clockwise, 2 clockwise
    int32_t fogEnable;
    int32_t addressU[8];
    int32_t addressV[8];
    int32_t drawMode;  // 0 nearest, 1 bilinear, 2 anisotropic
    int32_t maxAnisotropy;
    int32_t textureTransformOn;
    Matrix4 textureTransform;
    int32_t lightTableRefresh;  // the light table waits to be written to the device
    int32_t materialChanged;
    D3DMATERIAL9 material;
    int32_t diffuseFromMaterial;   // 0: diffuse from vertex colour 1
    int32_t specularFromMaterial;  // 0: specular from vertex colour 2
    int32_t noLighting;
    int32_t noSpecular;
    int32_t stageInput;          // handed through to the stage setup (its ignore-colour input)
    int32_t drawingSuspended;    // while set, blend changes are ignored and draws do nothing
    uint32_t packedDrawColor;    // 0xAARRGGBB the kernels put into their vertices
    uint32_t transparentColor;   // 0x00RRGGBB of graphics created from now on
    int32_t depthDrawTarget;     // graphic handle, -2: none
    int32_t noVsyncWait;         // inverted: 0 waits for the vertical blank at the flip
    int32_t noVsyncWaitAtStart;  // the same, as set before library init
    int32_t blendPreparation;    // the blend-preparation word of the draw-state preparation
    int32_t hasRestoreCallback;
    void (*restoreCallback)();
    int32_t blendGraphic;  // graphic handle, -1: none
    int32_t blendGraphicParams[2];
    int32_t fogMode;     // 0 none, 1 exponential, 2 squared exponential, 3 linear
    uint32_t fogColour;  // 0xFFRRGGBB
    float fogStart, fogEnd;
    float drawDepth2D;                     // z of every 2D vertex
    int32_t blendGraphicX, blendGraphicY;  // where the blend graphic lies under the draws
    int32_t restored;                      // 1 once a device restart has written every state back
};

extern DrawSettings drawSettings;

// The values before any setter ran: no second blend mode, white bright, fill mode solid, clamped
// addressing, depth function less-equal, no depth target, no blend graphic.
void ResetDrawSettingsBlock();

struct GraphicEntry;

// Blend mode and parameter; the parameter is clamped to 0..255. Ignored while drawing is suspended. 0.
// (SetBlend, SetBright and SetTransparentColour are declared with the library's public face.)
int SetBlend2(int mode, int param);
// 0xRRGGBB, the upper byte ignored.
void SetBrightPacked(uint32_t bright);
uint32_t GetTransparentColor();
int UnpackColor(uint32_t color, int* red, int* green, int* blue);
// A drawable graphic with a depth surface, or anything else (as -2) for none. 0 or -1.
int SetDepthDrawTarget(int graphic);
// The colour the kernels put into their vertices: 0xAARRGGBB.
uint32_t GetPackedDrawColor();
// While drawing is suspended blend changes are ignored and draws do nothing.
int IsDrawingSuspended();
// The blend graphic's handle; -1: none.
int GetBlendGraphicHandle();
float GetDrawDepth2D();
int GetBlendGraphicOffset(int* x, int* y);
int GetDepthDrawTarget();
int SetBlendPreparationWord(int value);
// 0 when the blend graphic is valid, not loading and exactly as large as entry; else -1.
int CheckBlendGraphicSize(const GraphicEntry* entry);
