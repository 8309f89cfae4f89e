// The checks and clipping of a filter run: kinds, blend ratio, the source rectangle against the source,
// blend and destination graphics, and the size of the result.
#pragma once

#include "engine/graphics/filters/graphic_filter_context.h"

struct FilterGraphicSizes {
    int sourceWidth, sourceHeight;
    int blendWidth, blendHeight;  // used with the blend flag
    int destinationWidth, destinationHeight;
};

// 0 when blendFlag and kind name a filter (0-9) or a blend (0-16), else -1.
int CheckFilterKind(int blendFlag, int kind);
// The blend ratio 0-255 (clamped) as 0.0-1.0.
float FilterBlendRatio(int ratio);
// Clips the context's rectangle and positions and sets the result size. downScale is the down-scale
// factor of kind 2 without blending, else 0. Returns -1 for an empty rectangle as given, 0 when nothing
// is left after clipping, 1 when there is something to filter.
int ClipFilterRectangle(GraphicFilterContext* context, const FilterGraphicSizes& sizes, int downScale);
