#include "engine/core/frame/counter_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/core/helpers/string_helpers.h"

namespace {

// The long division by shift and subtract, which the scale replaces.
uint64_t LongDivision(uint64_t count, uint64_t frequency) {
    uint64_t product[2];
    Mul64x64To128(count, 1000000, product);
    uint64_t quotient = 0;
    Div128By64(product, frequency, &quotient);
    return quotient;
}

std::vector<uint64_t> CountsFor(uint64_t frequency) {
    std::vector<uint64_t> counts = {0,
                                    1,
                                    frequency - 1,
                                    frequency,
                                    frequency + 1,
                                    uint64_t(1) << 32,
                                    uint64_t(30) * 24 * 3600 * frequency,
                                    (uint64_t(1) << 63) - 1,
                                    uint64_t(1) << 63,
                                    UINT64_MAX - 1,
                                    UINT64_MAX};
    // Counts just below and above the multiples of the frequency, where a quotient steps up.
    std::mt19937_64 random(frequency);
    for (int i = 0; i < 200; ++i) {
        const uint64_t count = random() >> (random() % 64);
        counts.push_back(count);
        counts.push_back(count - count % frequency);
        counts.push_back(count - count % frequency - 1);
    }
    return counts;
}

TEST(CounterScaleTest, EqualsTheLongDivisionForEveryKindOfFrequency) {
    const uint64_t frequencies[] = {1,
                                    10,
                                    1000,
                                    1000000,
                                    10000000,
                                    1000000000,
                                    10000000000000000000u,  // the largest power of ten in 64 bits
                                    2,
                                    1024,
                                    1 << 20,
                                    uint64_t(1) << 40,
                                    uint64_t(1) << 63,
                                    3,
                                    7,
                                    999999,
                                    1000001,
                                    3579545,
                                    14318180,
                                    2405000000u,  // a processor's time-stamp counter
                                    UINT64_MAX,
                                    UINT64_MAX - 1,
                                    (uint64_t(1) << 63) + 1};
    for (const uint64_t frequency : frequencies) {
        const CounterScale scale(frequency);
        for (const uint64_t count : CountsFor(frequency)) {
            ASSERT_EQ(scale.Microseconds(count), LongDivision(count, frequency))
                << "frequency " << frequency << " count " << count;
        }
    }
}

TEST(CounterScaleTest, WithoutAFrequencyEveryCountIsZero) {
    const CounterScale unset;
    const CounterScale zero(0);
    for (const uint64_t count : {uint64_t(0), uint64_t(12345), UINT64_MAX}) {
        EXPECT_EQ(unset.Microseconds(count), 0u);
        EXPECT_EQ(zero.Microseconds(count), 0u);
    }
}

}  // namespace
