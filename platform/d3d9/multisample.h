// Multisampled surfaces: 2 and 4 samples a pixel at Direct3D's standard sample positions, each sample
// held in a plane of its own, and the resolve that averages them into one picture.
#pragma once

#include <vector>

#include "platform/d3d9/surface_store.h"

namespace d3d9 {

struct SampleOffset {
    double x, y;  // from the pixel centre, in pixels
};

// The standard pattern of a sample count (2 or 4); count 1 is the centre alone.
const SampleOffset* StandardSamplePositions(int samples);

// The sample count of a multisample type the stand-in makes (1 for none), 0 for a type it does not.
int SampleCountOf(D3DMULTISAMPLE_TYPE type);

// Each pixel of `out` (made in the planes' format and size) is the average of the planes' pixels,
// rounded, through float channels so that float formats stay unclamped.
void ResolveSamples(const std::vector<const SurfaceStore*>& planes, SurfaceStore* out);

}  // namespace d3d9
