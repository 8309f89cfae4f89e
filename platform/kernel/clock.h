// The process clock behind QueryPerformanceCounter, timeGetTime, Sleep and the waits.
// Real: the monotonic clock. Virtual: time stands still until something waits or sleeps. Once a thread
// pumps messages it owns the clock: its waits with a time-out return at once and move the clock on by
// the time waited for, while a wait on any other thread blocks until the owner's clock reaches the
// deadline (or the thing waited for happens). With no owner, any thread's wait moves the clock. The
// owner's busy-wait still ends: every 64th reading in a row with no time passing moves the clock on by
// 0.1 ms. So that a worker never waits for a clock nobody moves: while the owner waits without a
// time-out, time stands still and a worker's timed wait ends at once; once the owner thread has ended,
// the clock has no owner again.
// The mode comes from KORVALUND_CLOCK (real | virtual, default real) on first use; tests switch it here.
#pragma once

#include <cstdint>

enum class ClockMode { kReal, kVirtual };

ClockMode GetClockMode();
// Switching keeps the clock's reading: time never runs backwards across a switch.
void SetClockMode(ClockMode mode);
// Makes the calling thread the owner of the virtual clock unless a live thread owns it already; the
// message pump calls this. Switching the mode forgets the owner.
void ClaimVirtualClock();
// True on a thread whose timed waits move the virtual clock itself (the owner, or anyone while there is
// no owner); false in real mode too.
bool WaitsMoveVirtualClock();
// Virtual mode, with the wait lock held (see kernel_object.h): whether a waiting non-owner's wait ends:
// its deadline has come, or the owner waits without a time-out (the clock stays), or there is no owner
// any more (the clock moves to the deadline).
bool VirtualDeadlineReached(int64_t deadline);
// A non-owner's timed wait on the virtual clock, registered so that moving the clock wakes the waiters
// only when one of them is due.
struct VirtualDeadline {
    explicit VirtualDeadline(int64_t nanoseconds);
    ~VirtualDeadline();
    VirtualDeadline(const VirtualDeadline&) = delete;
    VirtualDeadline& operator=(const VirtualDeadline&) = delete;
    int64_t at = 0;
};
// Marks the owner as waiting without a time-out (true) or running again (false); waiters are woken.
// Does nothing on other threads. Called with the wait lock held.
void MarkClockOwnerBlocked(bool blocked);
// Nanoseconds since the process clock started.
int64_t ClockNowNanoseconds();
// Virtual mode: moves the clock on. Real mode: does nothing.
void AdvanceVirtualClock(int64_t nanoseconds);
// Waits (real) or, virtual, advances by the given time or waits for the owner to advance it.
void ClockSleepNanoseconds(int64_t nanoseconds);
// Called after every move of the virtual clock by a wait, on the thread that waited, with no lock of
// the clock held: what keeps pace with the clock (an output mixing the sound played by now) follows
// it here, in step with the program, instead of polling on the real clock. A listener is not called
// once its removal has returned.
using VirtualClockListener = void (*)(void* context);
void AddVirtualClockListener(VirtualClockListener listener, void* context);
void RemoveVirtualClockListener(VirtualClockListener listener, void* context);
