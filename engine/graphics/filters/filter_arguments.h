// The further arguments of a filter run, read in their order and converted for the kind's routine.
#pragma once

#include "engine/graphics/filters/colour_filter_pixels.h"

struct FilterArguments {
    float cb, cr;  // mono
    int taps;      // Gaussian blur
    float strength;
    int scale;             // down-scale
    int comparison, fill;  // bright clip
    float level;
    FilterColorBlock fillColor;
    int mode;  // HSB
    float hue, saturation, brightness;
    float inputMin, inputMax, gamma, outputMin, outputMax;  // level
    float threshold;                                        // two colour
    FilterColorBlock color1, color2;
    int gradient, reverse;  // gradient map
    int selector[4];        // RGBA mix
};

// How many ints the kind reads; for the bright clip the fill flag (the third) adds two. arguments may be
// null for the first two of the bright clip's.
int FilterArgumentCount(int blendFlag, int kind, const int* arguments);
// Reads FilterArgumentCount ints of arguments into out with the kind's conversions.
void ConvertFilterArguments(int blendFlag, int kind, const int* arguments, FilterArguments* out);
