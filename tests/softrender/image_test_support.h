// Small sources and one-row draws for the image kernel tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/frame/cpu_simd_flag.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/softrender/soft_test_support.h"

namespace softtest {

struct Source {
    MEMIMG whole{}, view{};
    const MEMIMG* used = nullptr;
    ~Source() {
        ReleaseMemImg(&view);
        ReleaseMemImg(&whole);
    }
    void Put(int x, int y, uint32_t v) {
        std::memcpy(whole.pixels + y * whole.base->pitch + x * whole.base->pixelBytes, &v,
                    whole.base->pixelBytes);
    }
};

// How one row is drawn: the surfaces' kind, the source's flags, the state and the call's flags.
struct RowCase {
    int kind = 1;
    int mode = 0;
    int param = 255;
    uint32_t bright = 0xFFFFFF;
    int flag = 0;
    bool palette = false;  // source pixels are indices into `paletteEntries`
    bool alpha = false;
    bool simd = false;
    bool runTable = false;  // build the source's run table (the fast path with flag 1)
    int weight = -1;        // >= 0: a blend image giving every pixel this weight
    uint32_t transparent = 0xFFFFFFFF;
    int clipLeft = 0;
    std::vector<uint32_t> paletteEntries = {};
};

// Builds a one-row source of `src` pixels.
inline void MakeRowSource(Source& s, const RowCase& c, const std::vector<uint32_t>& src) {
    const int w = static_cast<int>(src.size());
    InitMemImg(&s.whole, w, 1, -1, c.transparent, c.kind, c.palette, c.alpha, 1, nullptr);
    for (int i = 0; i < w; ++i) s.Put(i, 0, src[i]);
    if (c.palette) {
        const int bytes = c.kind == 1 ? 4 : 2;
        for (size_t i = 0; i < c.paletteEntries.size(); ++i)
            std::memcpy(s.whole.base->palette + i * bytes, &c.paletteEntries[i], bytes);
    }
    if (c.runTable) {
        BuildMemImgRunTable(s.whole.base);
        s.whole.base->runTableValid = 1;
    }
    s.used = &s.whole;
}

// A blend image of w x h whose every byte is `weight`, with the weight table set to the identity.
struct UniformBlend {
    MEMIMG img{};
    UniformBlend(int w, int h, int weight) {
        InitMemImg(&img, w, h, -1, 0, 2, 0, 0, 0, nullptr);
        std::memset(img.pixels, weight, static_cast<size_t>(img.base->pitch) * h);
        for (int i = 0; i < 256; ++i) BlendImageWeightTable[i] = static_cast<uint8_t>(i);
    }
    ~UniformBlend() { ReleaseMemImg(&img); }
};

// Draws `src` 1:1 at (0, 0) over a row holding `dest`, and returns the row.
inline std::vector<uint32_t> DrawRow(const RowCase& c, const std::vector<uint32_t>& dest,
                                     const std::vector<uint32_t>& src) {
    EnsureTables();
    const int w = static_cast<int>(dest.size());
    SetState({c.clipLeft, 0, w, 1, c.mode, c.param, c.bright});
    SetCpuSimdFlag(c.simd);
    GuardedSurface d(c.kind, w, 1);
    for (int i = 0; i < w; ++i) d.Set(i, 0, dest[i]);
    Source s;
    MakeRowSource(s, c, src);
    if (c.weight >= 0) {
        UniformBlend blend(static_cast<int>(src.size()), 1, c.weight);
        SoftDrawImage(&d.img, s.used, 0, 0, c.flag, &blend.img);
    } else {
        SoftDrawImage(&d.img, s.used, 0, 0, c.flag, nullptr);
    }
    SetCpuSimdFlag(0);
    std::vector<uint32_t> out(w);
    for (int i = 0; i < w; ++i) out[i] = d.Get(i, 0);
    return out;
}

inline uint32_t DrawOne(const RowCase& c, uint32_t dest, uint32_t src) {
    return DrawRow(c, {dest}, {src})[0];
}

}  // namespace softtest
