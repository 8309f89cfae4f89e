// Circles on a 640 x 480 destination: one of radius 200 inside it, and ones of the largest radius whose
// disc covers it, whose edge crosses it, or that lie far beside it. The walk's cost follows the part of
// the circle inside the clip, not the radius.
#include <benchmark/benchmark.h>

#include "engine/softrender/colour_kernels.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"

namespace {

constexpr int kMax = 0x7FFFFFFF;

// Arguments: centre x, centre y, radius, fill.
void BM_Circle(benchmark::State& state) {
    BuildSoftBlendTables();
    MEMIMG dest{};
    InitMemImg(&dest, 640, 480, -1, 0, 1, 0, 0, 0, nullptr);
    const int32_t clip[4] = {0, 0, 640, 480};
    SetSoftClipRect(clip);
    SetSoftDrawBright(0xFFFFFF);
    SetSoftBlendMode(0, 255);
    for (auto _ : state)
        SoftDrawCircle(&dest, int(state.range(0)), int(state.range(1)), int(state.range(2)), 0x123456,
                       int(state.range(3)));
    ReleaseMemImg(&dest);
}
BENCHMARK(BM_Circle)
    ->Args({320, 240, 200, 0})
    ->Args({320, 240, 200, 1})
    ->Args({320, 240, kMax, 0})
    ->Args({320, 240, kMax, 1})
    ->Args({320, 240 - kMax, kMax, 0})
    ->Args({320, 240 - kMax, kMax, 1})
    ->Args({-1000000, 240, 900000, 1});

}  // namespace
