// Performance-counter readings to microseconds, floor(count x 1000000 / frequency) over every 64-bit
// count, without a long division per reading: the frequency is known once the timers start.
#pragma once

#include <cstdint>

class CounterScale {
  public:
    CounterScale() = default;
    // A frequency of 0 converts every count to 0.
    explicit CounterScale(uint64_t frequency);

    uint64_t frequency() const { return frequency_; }

    // The low 64 bits of the quotient, as a 128-bit long division would store them.
    uint64_t Microseconds(uint64_t count) const {
        switch (kind_) {
            case Kind::kDivide:
                return count / factor_;
            case Kind::kMultiply:
                return count * factor_;
            case Kind::kReciprocal:
                return ByReciprocal(count);
            case Kind::kZero:
                break;
        }
        return 0;
    }

  private:
    // kDivide and kMultiply: a power-of-ten frequency, factor_ the power of ten between it and a
    // million. kReciprocal: any other frequency, factor_ = floor(2^shift_ / frequency), and a million
    // split into whole_ x frequency + part_.
    enum class Kind { kZero, kDivide, kMultiply, kReciprocal };

    uint64_t ByReciprocal(uint64_t count) const;

    Kind kind_ = Kind::kZero;
    uint64_t frequency_ = 0;
    uint64_t factor_ = 0;
    uint64_t whole_ = 0;
    uint64_t part_ = 0;
    int shift_ = 0;
};
