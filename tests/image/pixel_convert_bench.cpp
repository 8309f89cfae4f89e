// The dedicated conversion loops against the general per-pixel path on a 256 x 256 rectangle.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/image/color_format.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/pixel_convert_internal.h"

namespace {

constexpr int kSize = 256;

ColorFormat Mask(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    ColorFormat f{};
    BuildColorFormat(&f, depth, r, g, b, a, 0, 0, 0);
    return f;
}

struct Pair {
    ColorFormat src, dst;
};

Pair PairOf(int index) {
    ColorFormat xrgb = Mask(32, 0xFF0000, 0xFF00, 0xFF, 0);
    ColorFormat f565 = Mask(16, 0xF800, 0x07E0, 0x001F, 0);
    ColorFormat rgb24 = Mask(24, 0xFF0000, 0xFF00, 0xFF, 0);
    switch (index) {
        case 0:
            return {xrgb, f565};
        case 1:
            return {f565, xrgb};
        default:
            return {rgb24, xrgb};
    }
}

void ConvertThroughEntry(benchmark::State& state) {
    Pair p = PairOf(static_cast<int>(state.range(0)));
    std::vector<uint8_t> src(kSize * kSize * 4, 0x5A), dst(kSize * kSize * 4);
    RECT rect{0, 0, kSize, kSize};
    for (auto _ : state) {
        ConvertPixelFormatBlit(dst.data(), kSize * p.dst.pixelBytes, &p.dst, src.data(),
                               kSize * p.src.pixelBytes, &p.src, nullptr, 0, nullptr, 0, 0, &rect, 0, 0, 0, 0,
                               0, 0, 0, 0);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

void ConvertThroughGeneralPath(benchmark::State& state) {
    Pair p = PairOf(static_cast<int>(state.range(0)));
    std::vector<uint8_t> src(kSize * kSize * 4, 0x5A), dst(kSize * kSize * 4);
    BlitRegion region{dst.data(), kSize * p.dst.pixelBytes,
                      src.data(), kSize * p.src.pixelBytes,
                      nullptr,    0,
                      0,          0,
                      0,          0,
                      kSize,      kSize};
    BlitOptions options{};
    ColorFormat none{};
    for (auto _ : state) {
        RunGeneralConvert(region, p.dst, p.src, none, options);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// 0: XRGB8 to 565, 1: 565 to XRGB8, 2: RGB24 to XRGB8.
BENCHMARK(ConvertThroughEntry)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(ConvertThroughGeneralPath)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
