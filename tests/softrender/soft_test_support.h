// Surfaces with guard bytes around their pixels for the software renderer tests, and the bridge to
// the reference renderer's canvas.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/softrender/reference_renderer.h"

namespace softtest {

inline constexpr int kGuard = 64;

// A surface on a caller block: guard bytes before and after, and `slack` unused bytes at each row end.
struct GuardedSurface {
    std::vector<uint8_t> block;
    MEMIMG img{};
    int kind = 1;

    GuardedSurface(int kind_, int width, int height, int slack = 0, uint8_t fill = 0xA5) : kind(kind_) {
        const int bytes = kind == 1 ? 4 : 2;
        const int pitch = width * bytes + slack;
        block.assign(kGuard * 2 + static_cast<size_t>(pitch) * height, fill);
        InitMemImg(&img, width, height, pitch, 0, kind, 0, 0, 0, block.data() + kGuard);
    }
    ~GuardedSurface() { ReleaseMemImg(&img); }
    GuardedSurface(const GuardedSurface&) = delete;
    GuardedSurface& operator=(const GuardedSurface&) = delete;

    void Randomise(std::mt19937& rng) {
        for (auto& b : block) b = static_cast<uint8_t>(rng());
    }
    ref::Canvas Canvas() const { return {block, kGuard, img.base->pitch, kind, img.width, img.height}; }
    uint8_t* At(int x, int y) {
        return block.data() + kGuard + static_cast<size_t>(y) * img.base->pitch + x * Bytes();
    }
    const uint8_t* At(int x, int y) const { return const_cast<GuardedSurface*>(this)->At(x, y); }
    int Bytes() const { return kind == 1 ? 4 : 2; }
    uint32_t Get(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, At(x, y), Bytes());
        return v;
    }
    void Set(int x, int y, uint32_t v) { std::memcpy(At(x, y), &v, Bytes()); }
};

inline void SetState(const ref::State& s) {
    SetSoftClipRect(s.clip);
    SetSoftBlendMode(s.mode, s.param);
    SetSoftDrawBright(s.bright);
}

inline void EnsureTables() {
    static const bool built = (BuildSoftBlendTables(), true);
    (void)built;
}

}  // namespace softtest
