// The one random-number generator of the whole program: MT19937 with the multiplier-69069 seeding
// of the algorithm's first reference code; the game seeds it once and draws ranged integers.
#pragma once

#include <cstdint>

constexpr int kMersenneWords = 624;
constexpr uint32_t kDefaultRandomSeed = 4357;

struct MersenneTwisterState {
    uint32_t words[kMersenneWords + 1];  // the extra word holds a copy of word 0 during a refill
    int index;                           // next output; kMersenneWords or more: block used up
    uint32_t outputs[kMersenneWords];
    uint32_t seeded;
    uint32_t mmx;
};

extern MersenneTwisterState g_randomState;

int SeedRandom(uint32_t seed);
void InitRandomState(uint32_t seed);
uint32_t NextRandom();
// A random integer from 0 to max inclusive; max below 0 or above 2147483646 gives -1.
int GetRandomRange(int max);
int DetectMmx();
void RefillRandomState();
void RefillRandomStateMmx();
