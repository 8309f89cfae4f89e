#include "platform/kernel/clock.h"

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/kernel/kernel_object.h"

namespace {

constexpr int kSpinReadings = 64;
constexpr int64_t kSpinStepNanoseconds = 100000;

int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct ProcessClock {
    std::mutex lock;
    ClockMode mode = ClockMode::kReal;
    int64_t realOrigin = 0;            // monotonic reading at which the process clock read 0
    int64_t virtualNow = 0;            // the reading while virtual
    int idleReadings = 0;              // virtual readings in a row with no time passing
    const void* owner = nullptr;       // the owning thread's token, null while no thread owns the clock
    bool ownerBlocked = false;         // the owner waits without a time-out
    std::multiset<int64_t> deadlines;  // of the waits that wait for the owner's clock
    std::atomic<bool> isVirtual{false};

    ProcessClock() {
        realOrigin = MonotonicNanoseconds();
        const char* env = std::getenv("KORVALUND_CLOCK");
        if (env && std::strcmp(env, "virtual") == 0) {
            mode = ClockMode::kVirtual;
            isVirtual = true;
        } else if (env && *env && std::strcmp(env, "real") != 0) {
            std::fprintf(stderr,
                         "korvalund: KORVALUND_CLOCK=%s is neither real nor virtual; using the real clock\n",
                         env);
        }
    }
};

ProcessClock& Clock() {
    static ProcessClock* clock = new ProcessClock;
    return *clock;
}

// Each thread's token identifies it as the owner; its end (thread exit) gives the clock up.
struct OwnerToken {
    ~OwnerToken();
};

thread_local OwnerToken ownerToken;

struct ListenerList {
    std::mutex lock;  // held while the listeners run, so that a removal waits for a call under way
    std::vector<std::pair<VirtualClockListener, void*>> entries;
};

ListenerList& Listeners() {
    static ListenerList* list = new ListenerList;
    return *list;
}

void CallListeners() {
    ListenerList& list = Listeners();
    std::lock_guard<std::mutex> guard(list.lock);
    for (const auto& [listener, context] : list.entries) listener(context);
}

void WakeWaiters() {
    NotifyWaitKey(ClockWaitKey());
}

OwnerToken::~OwnerToken() {
    ProcessClock& clock = Clock();
    {
        std::lock_guard<std::mutex> guard(clock.lock);
        if (clock.owner != this) return;
        clock.owner = nullptr;
        clock.ownerBlocked = false;
    }
    WakeWaiters();
}

// With the clock's lock held.
bool DeadlineDue(const ProcessClock& clock) {
    return !clock.deadlines.empty() && *clock.deadlines.begin() <= clock.virtualNow;
}

// With the clock's lock held.
bool MovesClock(const ProcessClock& clock) {
    return clock.owner == nullptr || clock.owner == &ownerToken;
}

int64_t RealReading(const ProcessClock& clock) {
    return MonotonicNanoseconds() - clock.realOrigin;
}

}  // namespace

ClockMode GetClockMode() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    return clock.mode;
}

void SetClockMode(ClockMode mode) {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (mode == clock.mode) return;
    if (mode == ClockMode::kVirtual) {
        clock.virtualNow = RealReading(clock);
    } else {
        clock.realOrigin = MonotonicNanoseconds() - clock.virtualNow;
    }
    clock.mode = mode;
    clock.isVirtual = mode == ClockMode::kVirtual;
    clock.owner = nullptr;
    clock.ownerBlocked = false;
}

void ClaimVirtualClock() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (!clock.owner) clock.owner = &ownerToken;
}

bool WaitsMoveVirtualClock() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    return clock.mode == ClockMode::kVirtual && MovesClock(clock);
}

bool VirtualDeadlineReached(int64_t deadline) {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    if (clock.mode != ClockMode::kVirtual || clock.virtualNow >= deadline) return true;
    if (clock.owner) return clock.ownerBlocked;
    clock.virtualNow = deadline;
    clock.idleReadings = 0;
    return true;
}

VirtualDeadline::VirtualDeadline(int64_t nanoseconds) {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    at = (clock.mode == ClockMode::kVirtual ? clock.virtualNow : RealReading(clock)) + nanoseconds;
    clock.deadlines.insert(at);
}

VirtualDeadline::~VirtualDeadline() {
    ProcessClock& clock = Clock();
    std::lock_guard<std::mutex> guard(clock.lock);
    clock.deadlines.erase(clock.deadlines.find(at));
}

void MarkClockOwnerBlocked(bool blocked) {
    ProcessClock& clock = Clock();
    {
        std::lock_guard<std::mutex> guard(clock.lock);
        if (clock.owner != &ownerToken || clock.ownerBlocked == blocked) return;
        clock.ownerBlocked = blocked;
    }
    if (blocked) NotifyWaitKeyLocked(ClockWaitKey());
}

int64_t ClockNowNanoseconds() {
    ProcessClock& clock = Clock();
    int64_t now = 0;
    {
        std::lock_guard<std::mutex> guard(clock.lock);
        if (clock.mode != ClockMode::kVirtual) return RealReading(clock);
        // A busy-wait on a clock that stands still would never end: after a run of readings with no
        // time passing, the virtual clock moves on a little, as reading a real clock takes time.
        if (!MovesClock(clock) || ++clock.idleReadings < kSpinReadings) return clock.virtualNow;
        clock.idleReadings = 0;
        clock.virtualNow += kSpinStepNanoseconds;
        now = clock.virtualNow;
        if (!DeadlineDue(clock)) return now;
    }
    WakeWaiters();
    return now;
}

void AdvanceVirtualClock(int64_t nanoseconds) {
    if (nanoseconds <= 0) return;
    ProcessClock& clock = Clock();
    bool due;
    {
        std::lock_guard<std::mutex> guard(clock.lock);
        if (clock.mode != ClockMode::kVirtual) return;
        clock.virtualNow += nanoseconds;
        clock.idleReadings = 0;
        due = DeadlineDue(clock);
    }
    CallListeners();
    if (due) WakeWaiters();
}

void AddVirtualClockListener(VirtualClockListener listener, void* context) {
    std::lock_guard<std::mutex> guard(Listeners().lock);
    Listeners().entries.emplace_back(listener, context);
}

void RemoveVirtualClockListener(VirtualClockListener listener, void* context) {
    std::lock_guard<std::mutex> guard(Listeners().lock);
    auto& entries = Listeners().entries;
    entries.erase(std::remove(entries.begin(), entries.end(), std::make_pair(listener, context)),
                  entries.end());
}

void ClockSleepNanoseconds(int64_t nanoseconds) {
    ProcessClock& clock = Clock();
    if (clock.isVirtual) {
        if (WaitsMoveVirtualClock()) {
            AdvanceVirtualClock(nanoseconds);
            sched_yield();
            return;
        }
        VirtualDeadline deadline(nanoseconds);
        std::unique_lock<std::mutex> lock(WaitLock());
        const void* key = ClockWaitKey();
        WaitOnKeys(lock, &key, 1, [&] { return VirtualDeadlineReached(deadline.at); });
        return;
    }
    if (nanoseconds <= 0) {
        sched_yield();
        return;
    }
    timespec wait{time_t(nanoseconds / 1000000000), long(nanoseconds % 1000000000)};
    while (nanosleep(&wait, &wait) != 0) {
    }
}
