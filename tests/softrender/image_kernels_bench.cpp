// The image kernels on a 640 x 480 destination: a 256 x 256 source drawn 1:1 (row loop and run-table
// fast path), stretched to 512 x 384, and turned.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/softrender/image_kernels.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/softrender/triangle_kernels.h"

namespace {

struct Surfaces {
    MEMIMG dest{}, source{};
    Surfaces(int kind) {
        BuildSoftBlendTables();
        InitMemImg(&dest, 640, 480, -1, 0, kind, 0, 0, 0, nullptr);
        InitMemImg(&source, 256, 256, -1, 0, kind, 0, 0, 1, nullptr);
        std::mt19937 rng(1);
        for (int i = 0; i < source.base->pitch * 256; ++i)
            source.pixels[i] = uint8_t(rng() % 4 == 0 ? 0 : rng());
        BuildMemImgRunTable(source.base);
        source.base->runTableValid = 1;
        const int32_t clip[4] = {0, 0, 640, 480};
        SetSoftClipRect(clip);
        SetSoftDrawBright(0xFFFFFF);
    }
    ~Surfaces() {
        ReleaseMemImg(&source);
        ReleaseMemImg(&dest);
    }
};

// Arguments: kind, mode, parameter, transparent flag.
void BM_Blit(benchmark::State& state) {
    Surfaces s(static_cast<int>(state.range(0)));
    SetSoftBlendMode(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    for (auto _ : state)
        SoftDrawImage(&s.dest, &s.source, 100, 100, static_cast<int>(state.range(3)), nullptr);
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_Blit)
    ->Args({1, 0, 255, 0})
    ->Args({1, 0, 255, 1})
    ->Args({1, 1, 128, 0})
    ->Args({1, 2, 255, 0})
    ->Args({1, 2, 200, 1})
    ->Args({0, 1, 100, 0})
    ->Args({0, 3, 255, 0})
    ->Args({1, 11, 200, 0});

void BM_Stretch(benchmark::State& state) {
    Surfaces s(static_cast<int>(state.range(0)));
    SetSoftBlendMode(static_cast<int>(state.range(1)), 200);
    const int32_t rect[4] = {600, 20, 88, 404};
    for (auto _ : state) SoftDrawImageStretched(&s.dest, &s.source, rect, 0, nullptr);
    state.SetItemsProcessed(state.iterations() * 512 * 384);
}
BENCHMARK(BM_Stretch)->Args({1, 0})->Args({1, 1})->Args({0, 2});

void BM_Rotated(benchmark::State& state) {
    Surfaces s(static_cast<int>(state.range(0)));
    SetSoftBlendMode(static_cast<int>(state.range(1)), 200);
    for (auto _ : state) SoftDrawImageRotated(&s.dest, &s.source, 320, 240, 0.5f, 1.5f, 0, 0, nullptr);
    state.SetItemsProcessed(state.iterations() * 384 * 384);
}
BENCHMARK(BM_Rotated)->Args({1, 0})->Args({1, 1})->Args({0, 4});

}  // namespace
