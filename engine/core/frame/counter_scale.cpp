#include "engine/core/frame/counter_scale.h"

namespace {

constexpr uint64_t kMicrosecondsPerSecond = 1000000;

using Wide = unsigned __int128;

// k for a frequency of 10^k, else -1.
int PowerOfTenExponent(uint64_t frequency) {
    int k = 0;
    for (uint64_t rest = frequency; rest > 1; rest /= 10, ++k)
        if (rest % 10 != 0) return -1;
    return k;
}

uint64_t PowerOfTen(int exponent) {
    uint64_t value = 1;
    for (int i = 0; i < exponent; ++i) value *= 10;
    return value;
}

int FloorLog2(uint64_t value) {
    return 63 - __builtin_clzll(value);
}

}  // namespace

CounterScale::CounterScale(uint64_t frequency) : frequency_(frequency) {
    if (frequency == 0) return;
    const int exponent = PowerOfTenExponent(frequency);
    if (exponent >= 0) {
        kind_ = exponent >= 6 ? Kind::kDivide : Kind::kMultiply;
        factor_ = PowerOfTen(exponent >= 6 ? exponent - 6 : 6 - exponent);
        return;
    }
    // The largest shift that keeps the reciprocal within 64 bits; a power of two is exact one lower.
    const int log2 = FloorLog2(frequency);
    shift_ = (frequency & (frequency - 1)) == 0 ? 63 + log2 : 64 + log2;
    factor_ = uint64_t((Wide(1) << shift_) / frequency);
    whole_ = kMicrosecondsPerSecond / frequency;
    part_ = kMicrosecondsPerSecond % frequency;
    kind_ = Kind::kReciprocal;
}

// count x 1000000 / f = count x whole + count x part / f, with whole = 1000000 / f and part the
// remainder below f and below 2^20. The product count x part stays below 2^84 and its quotient below
// 2^64, so the reciprocal's estimate is at most two short: the remainder corrects it.
uint64_t CounterScale::ByReciprocal(uint64_t count) const {
    const Wide product = Wide(count) * part_;
    const Wide high = Wide(uint64_t(product >> 64)) * factor_;
    const Wide low = (Wide(uint64_t(product)) * factor_) >> 64;
    uint64_t quotient = uint64_t((high + low) >> (shift_ - 64));
    Wide remainder = product - Wide(quotient) * frequency_;
    for (int step = 0; step < 2 && remainder >= frequency_; ++step) {
        ++quotient;
        remainder -= frequency_;
    }
    return count * whole_ + quotient;
}
