// The routine of each filter and blend kind for one pass of a filter run. Each takes the pass's context
// and its converted arguments and returns 0, or -1 when its shader or its images cannot be made or its
// arguments are refused; on -1 the destination is left as it was.
#pragma once

#include "engine/graphics/filters/colour_filter_pixels.h"
#include "engine/graphics/filters/filter_arguments.h"
#include "engine/graphics/filters/graphic_filter_context.h"

int FilterMono(GraphicFilterContext* context, float cb, float cr);
int FilterBrightClip(const FilterColorBlock* fillColor, GraphicFilterContext* context, int comparison,
                     float level, int fill);
int FilterHsb(int mode, GraphicFilterContext* context, float hue, float saturation, float brightness);
int FilterInvert(GraphicFilterContext* context);
int FilterLevel(GraphicFilterContext* context, float inputMin, float inputMax, float gamma, float outputMin,
                float outputMax);
int FilterTwoColor(const FilterColorBlock& color2, GraphicFilterContext* context,
                   const FilterColorBlock& color1, float threshold);
int FilterGradientMap(int reverse, GraphicFilterContext* context, int gradient);
int FilterPremultipliedAlpha(GraphicFilterContext* context);
int FilterGaussBlur(GraphicFilterContext* context, int taps, float strength);
int FilterDownScale(GraphicFilterContext* context, int scale);
int BlendFilter(GraphicFilterContext* context);
int RgbaMixFilter(GraphicFilterContext* context, int red, int green, int blue, int alpha);

// The routine of the context's kind (blend or filter) with its arguments.
int RunFilterRoutine(GraphicFilterContext* context, const FilterArguments& arguments);
// 1 when the pass runs on the pixel-shader path.
int FilterUsesShaders(const GraphicFilterContext* context);
