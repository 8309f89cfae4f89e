// The midpoint circle walk, taken only over the steps whose pixels can reach a clip rectangle. Step x
// of the walk has y and the decision d = 2(x + 1)^2 + y^2 + (y - 1)^2 - 2r^2; while y stays at least two
// above x, y is the largest value with y(y - 1) <= r^2 - x^2 - 1, so the state of any such step is
// computed directly and the walk starts where the clip begins instead of at x = 0 (a radius of 2^31
// would otherwise be a billion steps). The last few steps near the diagonal are walked as before.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace softrender {

struct MidpointState {
    int64_t x, y, d;
};

// Inclusive ranges of steps; empty when first > last.
struct StepRange {
    int64_t first, last;
};

class MidpointSteps {
  public:
    explicit MidpointSteps(int64_t radius) : r_(radius) {
        // The last step whose y is known directly: y - x only shrinks, so the steps before it qualify.
        int64_t low = 0, high = r_;
        if (r_ < 2 || Direct(0).y < 2) {
            directLast_ = -1;
        } else {
            while (low < high) {
                const int64_t mid = low + (high - low + 1) / 2;
                if (Direct(mid).y >= mid + 2)
                    low = mid;
                else
                    high = mid - 1;
            }
            directLast_ = low;
        }
        MidpointState s = directLast_ >= 0 ? Direct(directLast_) : MidpointState{0, r_, 3 - 2 * r_};
        while (Advance(&s)) {
        }
        last_ = s.x - 1;  // the step that ended the walk is not taken
    }

    int64_t Last() const { return last_; }

    // The state at step x, 0 <= x <= Last().
    MidpointState At(int64_t x) const {
        if (x <= directLast_) return Direct(x);
        MidpointState s = directLast_ >= 0 ? Direct(directLast_) : MidpointState{0, r_, 3 - 2 * r_};
        while (s.x < x) Advance(&s);
        return s;
    }

    // The steps whose y lies in [low, high] (y never grows along the walk).
    StepRange WithYIn(int64_t low, int64_t high) const {
        return {FirstStep([&](int64_t x) { return At(x).y <= high; }),
                FirstStep([&](int64_t x) { return At(x).y < low; }) - 1};
    }

    // visit(x, y, d) for the steps of each range in increasing order; the ranges are merged first, so
    // no step is visited twice and the order is the walk's own.
    template <size_t N, class Visit>
    void Walk(std::array<StepRange, N> ranges, Visit visit) const {
        for (StepRange& range : ranges)
            range = {std::max<int64_t>(range.first, 0), std::min(range.last, last_)};
        std::sort(ranges.begin(), ranges.end(),
                  [](const StepRange& a, const StepRange& b) { return a.first < b.first; });
        int64_t next = 0;
        for (const StepRange& range : ranges) {
            const int64_t first = std::max(range.first, next);
            if (first > range.last) continue;
            MidpointState s = At(first);
            for (;;) {
                visit(s.x, s.y, s.d);
                if (s.x == range.last) break;
                Advance(&s);
            }
            next = range.last + 1;
        }
    }

  private:
    // One step on; false when the walk ends there.
    static bool Advance(MidpointState* s) {
        if (s->d >= 0) {
            --s->y;
            s->d -= 4 * s->y;
        }
        s->d += 4 * s->x + 6;
        ++s->x;
        return s->y >= s->x;
    }

    // The state at a step whose y is at least two above x.
    MidpointState Direct(int64_t x) const {
        const __int128 k = __int128(r_) * r_ - __int128(x) * x - 1;
        int64_t y = k < 0 ? 0 : int64_t((1.0L + std::sqrt(1.0L + 4.0L * (long double)k)) / 2.0L);
        while (y > 0 && __int128(y) * (y - 1) > k) --y;
        while (__int128(y + 1) * y <= k) ++y;
        const __int128 d = 2 * __int128(x + 1) * (x + 1) + __int128(y) * y + __int128(y - 1) * (y - 1) -
                           2 * __int128(r_) * r_;
        return {x, y, int64_t(d)};
    }

    // The first step in 0 .. Last() + 1 from which `past` holds (it holds for every later step).
    template <class Past>
    int64_t FirstStep(Past past) const {
        int64_t low = 0, high = last_ + 1;
        while (low < high) {
            const int64_t mid = low + (high - low) / 2;
            if (past(mid))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    }

    int64_t r_;
    int64_t directLast_;
    int64_t last_;
};

// The offsets v >= 0 that put centre + v or centre - v inside [low, high).
inline std::array<StepRange, 2> OffsetsInto(int64_t centre, int64_t low, int64_t high) {
    return {StepRange{low - centre, high - 1 - centre}, StepRange{centre - high + 1, centre - low}};
}

}  // namespace softrender
