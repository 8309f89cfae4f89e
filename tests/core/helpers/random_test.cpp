#include "engine/core/helpers/random.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

// The state the multiplier-69069 seeding writes, in std::mt19937's text form (624 words, then the
// position), so the standard generator continues from exactly that state.
std::mt19937 StandardFromSeed(uint32_t seed) {
    std::ostringstream text;
    uint32_t x = seed;
    for (int i = 0; i < 624; ++i) {
        uint32_t next = x * 69069u + 1u;
        text << ((x & 0xFFFF0000u) | (next >> 16)) << ' ';
        x = next * 69069u + 1u;
    }
    text << 624;
    std::mt19937 gen;
    std::istringstream in(text.str());
    in >> gen;
    return gen;
}

TEST(Random, Seed4357MatchesReference) {
    SeedRandom(4357);
    EXPECT_EQ(NextRandom(), 2867219139u);
    EXPECT_EQ(NextRandom(), 1585203162u);
    EXPECT_EQ(NextRandom(), 3113124129u);
}

TEST(Random, MatchesStandardGeneratorAcrossRefills) {
    for (uint32_t seed : {4357u, 1u, 0u, 0xDEADBEEFu}) {
        SeedRandom(seed);
        std::mt19937 standard = StandardFromSeed(seed);
        for (int i = 0; i < 624 * 3 + 5; ++i)
            ASSERT_EQ(NextRandom(), standard()) << "seed " << seed << " draw " << i;
    }
}

TEST(Random, FirstDrawWithoutSeedingUsesDefaultSeed) {
    g_randomState.seeded = 0;
    g_randomState.index = kMersenneWords;
    EXPECT_EQ(NextRandom(), 2867219139u);
}

TEST(Random, RangeIncludesMaxAndUsesHighBits) {
    SeedRandom(99);
    std::mt19937 standard = StandardFromSeed(99);
    bool sawMax = false, sawZero = false;
    for (int i = 0; i < 2000; ++i) {
        uint32_t r = standard();
        int v = GetRandomRange(9);
        ASSERT_EQ(v, static_cast<int>((static_cast<uint64_t>(r) * 10) >> 32));
        sawMax |= v == 9;
        sawZero |= v == 0;
    }
    EXPECT_TRUE(sawMax);
    EXPECT_TRUE(sawZero);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(GetRandomRange(0), 0);
    EXPECT_EQ(GetRandomRange(-1), -1);
    EXPECT_EQ(GetRandomRange(2147483647), -1);
}

}  // namespace
