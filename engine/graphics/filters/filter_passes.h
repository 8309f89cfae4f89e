// Drawing the shader filters' passes on the device: the stage override, the state of a pass, the pass's
// quad, and plain copies of graphic rectangles into the pass targets.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

struct FilterConstants;
struct GraphicFilterContext;
struct StageSetupBlock;

// Flushes the batch, runs the stage setup with the block and flags the stage setup, the textures and the
// draw states as changed, so that the next ordinary draw rebuilds them.
void ApplyStageOverrideNow(const StageSetupBlock* block);

// The textures stages 0 and 1 sample in the next pass (0: none).
void SetFilterSourceTextures(uintptr_t stage0, uintptr_t stage1);
// The device states of a pass: the draw states with the filter's flags (point or linear sampling as the
// filter mode says, clamped addressing, no depth test), the filter's constant sets (set 1 beside set 0
// when constantSetFlag is set, else set 3), the source textures on stages 0 and 1 with their coordinate
// sets, and a vertex format of pre-transformed positions with two coordinate sets (cullFlag, no
// culling) or untransformed ones; a library vertex shader when vertexShaderIndex >= 0.
void SetupFilterPass(uint32_t drawFlags, int constantSetFlag, int cullFlag, int vertexShaderIndex);
// The pass's quad: the plan's rectangle of the source input (and the same-sized one of the second input)
// onto the output graphic at the plan's output position, at 1 / factor of its size. -1 when a graphic of
// the pass is gone.
int DrawFilterPass(int factor, GraphicFilterContext* context);

// One pass with a filter shader: the shader bound, its constants set from c0 in the filter's constant
// set, the pass drawn (linear: its source sampled bilinearly, else point by point), then the shader
// unbound and the constants cleared. -1 when the shader is gone or the pass cannot be drawn.
int DrawShaderPass(GraphicFilterContext* context, int shaderHandle, const FilterConstants& constants,
                   bool linear, int factor);

// Makes the graphic's texture surface render target 0 (its block's, whatever part the graphic shows).
// -1 when it has none.
int BindFilterTarget(int graphic);
// Copies the rectangle from of a graphic onto the rectangle to of render target 0, each axis stretched
// from the source's size to the target's, point-sampled and unblended, tile by tile. 0 or -1.
int DrawGraphicRect(int graphic, const RECT& from, const RECT& to);
