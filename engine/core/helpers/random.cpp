#include "engine/core/helpers/random.h"

#include <cpuid.h>

MersenneTwisterState g_randomState = {{}, kMersenneWords, {}, 0, 0};

namespace {
constexpr int kOffset = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrix = 0x9908B0DFu;

uint32_t Temper(uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t far) {
    uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}
}  // namespace

int SeedRandom(uint32_t seed) {
    InitRandomState(seed);
    return 0;
}

void InitRandomState(uint32_t seed) {
    uint32_t x = seed;
    for (int i = 0; i < kMersenneWords; ++i) {
        uint32_t next = x * 69069u + 1u;
        g_randomState.words[i] = (x & 0xFFFF0000u) | (next >> 16);
        x = next * 69069u + 1u;
    }
    g_randomState.mmx = static_cast<uint32_t>(DetectMmx());
    g_randomState.seeded = 1;
    if (g_randomState.mmx) {
        RefillRandomStateMmx();
    } else {
        RefillRandomState();
    }
}

uint32_t NextRandom() {
    if (g_randomState.index >= kMersenneWords) {
        if (!g_randomState.seeded) InitRandomState(kDefaultRandomSeed);
        if (g_randomState.index >= kMersenneWords) RefillRandomState();
    }
    return g_randomState.outputs[g_randomState.index++];
}

int GetRandomRange(int max) {
    if (max < 0 || max > 2147483646) return -1;
    int64_t product = static_cast<int64_t>(NextRandom()) * (static_cast<int64_t>(max) + 1);
    return static_cast<int>(product >> 32);
}

int DetectMmx() {
    unsigned int eax, ebx, ecx, edx;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0 || eax == 0) return 0;
    __get_cpuid(1, &eax, &ebx, &ecx, &edx);
    return (edx >> 23) & 1u;
}

void RefillRandomState() {
    uint32_t* w = g_randomState.words;
    for (int i = 0; i < kMersenneWords; ++i) {
        w[i] = Twist(w[i], w[i + 1], w[(i + kOffset) % kMersenneWords]);
        if (i == 0) w[kMersenneWords] = w[0];  // the last twist pairs with the new word 0
    }
    for (int i = 0; i < kMersenneWords; ++i) g_randomState.outputs[i] = Temper(w[i]);
    g_randomState.index = 0;
}

// The vector refill gives the same values as the plain refill, so it is the plain refill.
void RefillRandomStateMmx() {
    RefillRandomState();
}
