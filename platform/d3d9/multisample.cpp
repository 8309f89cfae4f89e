#include "platform/d3d9/multisample.h"

#include "platform/d3d9/channel_formats.h"

namespace d3d9 {

const SampleOffset* StandardSamplePositions(int samples) {
    // In sixteenths of a pixel: 2 samples at (4, 4), (-4, -4); 4 at (-2, -6), (6, -2), (-6, 2), (2, 6).
    static const SampleOffset centre[1] = {{0, 0}};
    static const SampleOffset two[2] = {{0.25, 0.25}, {-0.25, -0.25}};
    static const SampleOffset four[4] = {{-0.125, -0.375}, {0.375, -0.125}, {-0.375, 0.125}, {0.125, 0.375}};
    return samples == 4 ? four : samples == 2 ? two : centre;
}

int SampleCountOf(D3DMULTISAMPLE_TYPE type) {
    switch (type) {
        case D3DMULTISAMPLE_NONE:
            return 1;
        case D3DMULTISAMPLE_2_SAMPLES:
            return 2;
        case D3DMULTISAMPLE_4_SAMPLES:
            return 4;
        default:
            return 0;
    }
}

void ResolveSamples(const std::vector<const SurfaceStore*>& planes, SurfaceStore* out) {
    const SurfaceStore& first = *planes[0];
    if (out->format != first.format || out->width != first.width || out->height != first.height)
        out->Allocate(first.format, first.width, first.height);
    const float n = float(planes.size());
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x) {
            ColorF sum{0, 0, 0, 0};
            for (const SurfaceStore* p : planes) {
                const ColorF c = DecodePixelFloat(p->format, p->At(x, y));
                sum.r += c.r, sum.g += c.g, sum.b += c.b, sum.a += c.a;
            }
            EncodePixelFloat(out->format, out->At(x, y), {sum.r / n, sum.g / n, sum.b / n, sum.a / n});
        }
}

}  // namespace d3d9
