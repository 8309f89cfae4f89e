// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

struct ColorFormat;
struct GraphicEntry;
struct GraphicFilterContext;
struct IntRect;
struct MEMIMG;
struct SoftImage;

// The draw area of the current draw target (right and bottom exclusive). 0.
int GetDrawArea(IntRect* area);

// Image filters.
extern int ShaderFilterVerified;
// Writes the destination image into the destination graphic at the destination position and releases
// the images.
int FinishFilterResult(GraphicFilterContext* context);
int SaveFilterDrawState(GraphicFilterContext* context);
int RestoreFilterDrawState(GraphicFilterContext* context);
int GetWorkRenderTexture(GraphicFilterContext* context, int width, int height, int mode, int* slot,
                         int* source);

// Draw target: render-target slots 1 and up emptied. 0.
int ClearRenderTargetSlots();

// Device resources: sets the depth-stencil surface that goes with the current draw screen. 0.
int ApplyDrawTargetDepthSurface();

// Device restart and mask screen.
// The device and its state cache given their starting values at graphics start. 0.
int ReapplyDeviceStates();
// Render-target slots 1 and up bound again to their graphics. 0.
int RebindRenderTargetSlots();
