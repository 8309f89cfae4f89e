#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"

namespace {

TEST(KernelEvents, ManualResetStaysSignalledAutoResetIsConsumed) {
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
    CloseHandle(manual);
    CloseHandle(automatic);
}

TEST(KernelEvents, WaitForMultipleAnyReportsLowestSignalledAndAllNeedsEvery) {
    HANDLE events[3];
    for (HANDLE& event : events) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_TIMEOUT);
    SetEvent(events[0]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(0, events, TRUE, 0), WAIT_FAILED);
    for (HANDLE event : events) CloseHandle(event);
}

TEST(KernelEvents, WaiterWakesWhenAnotherThreadSignals) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread setter([&] {
        Sleep(20);
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(KernelEvents, RealTimeOutWaitsAboutThatLong) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
    EXPECT_GE(timeGetTime() - start, 29u);
    CloseHandle(event);
}

TEST(KernelClock, VirtualClockAdvancesByWhatWasWaitedFor) {
    SetClockMode(ClockMode::kVirtual);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = timeGetTime();
    LARGE_INTEGER before, after, frequency;
    QueryPerformanceCounter(&before);
    Sleep(1000);
    EXPECT_EQ(timeGetTime() - start, 1000u);
    EXPECT_EQ(WaitForSingleObject(event, 250), WAIT_TIMEOUT);
    EXPECT_EQ(timeGetTime() - start, 1250u);
    QueryPerformanceCounter(&after);
    QueryPerformanceFrequency(&frequency);
    EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 1250);
    // Time stands still while nothing waits.
    DWORD still = timeGetTime();
    EXPECT_EQ(timeGetTime(), still);
    SetClockMode(ClockMode::kReal);
    EXPECT_GE(timeGetTime(), still);  // never backwards across a switch
    CloseHandle(event);
}

// Relative intervals in 100 ns units move the virtual clock by exactly that much, below a millisecond
// too; an absolute (positive) interval or none is refused without sleeping.
TEST(KernelClock, DelayExecutionSleepsInHundredNanosecondUnits) {
    SetClockMode(ClockMode::kVirtual);
    struct DelayCase {
        LONGLONG interval;
        LONG status;
        int64_t nanoseconds;
    };
    const DelayCase cases[] = {
        {-1, 0, 100},
        {-4321, 0, 432100},
        {-20000000, 0, 2000000000},
        {0, 0, 0},
        {5000, STATUS_INVALID_PARAMETER, 0},
    };
    for (const DelayCase& c : cases) {
        LARGE_INTEGER interval;
        interval.QuadPart = c.interval;
        const int64_t before = ClockNowNanoseconds();
        EXPECT_EQ(NtDelayExecution(FALSE, &interval), c.status) << c.interval;
        EXPECT_EQ(ClockNowNanoseconds() - before, c.nanoseconds) << c.interval;
    }
    EXPECT_EQ(NtDelayExecution(FALSE, nullptr), STATUS_INVALID_PARAMETER);
    SetClockMode(ClockMode::kReal);
}

// The test thread owns the virtual clock, as a message pump would.
class OwnedVirtualClock : public ::testing::Test {
  protected:
    void SetUp() override {
        SetClockMode(ClockMode::kVirtual);
        ClaimVirtualClock();
    }
    void TearDown() override { SetClockMode(ClockMode::kReal); }
};

void LetOthersRun() {
    usleep(30000);
}

TEST_F(OwnedVirtualClock, WorkerSleepWaitsForTheOwnersClockWithoutMovingIt) {
    const DWORD start = timeGetTime();
    std::atomic<DWORD> sleptFrom{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        sleptFrom = timeGetTime();
        Sleep(50);
        done = true;
    });
    LetOthersRun();
    EXPECT_EQ(timeGetTime(), start);
    EXPECT_FALSE(done);
    // The worker may start its sleep late on a loaded machine: the owner moves the clock in steps until
    // the worker's deadline has passed, and the clock moves only by the owner's sleeps.
    int steps = 0;
    while (!done && steps < 10) {
        Sleep(30);
        ++steps;
        LetOthersRun();
        if (timeGetTime() - sleptFrom < 50) {
            EXPECT_FALSE(done);
        }
    }
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(timeGetTime() - start, DWORD(30 * steps));
    EXPECT_GE(timeGetTime() - sleptFrom, 50u);
}

TEST_F(OwnedVirtualClock, WorkerTimedWaitEndsAtOnceWhenSignalledAndAtTheOwnersDeadline) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const DWORD start = timeGetTime();
    DWORD results[2] = {0, 0};
    std::atomic<int> finished{0};
    std::thread worker([&] {
        results[0] = WaitForSingleObject(event, 10000);
        finished = 1;
        results[1] = WaitForSingleObject(event, 40);
        finished = 2;
    });
    LetOthersRun();
    EXPECT_EQ(finished, 0);
    SetEvent(event);
    while (finished == 0) std::this_thread::yield();
    EXPECT_EQ(results[0], WAIT_OBJECT_0);
    EXPECT_EQ(timeGetTime(), start);
    LetOthersRun();
    EXPECT_EQ(finished, 1);
    Sleep(40);
    worker.join();
    EXPECT_EQ(results[1], WAIT_TIMEOUT);
    EXPECT_EQ(timeGetTime() - start, 40u);
    CloseHandle(event);
}

DWORD WINAPI SleepThenEnd(LPVOID) {
    for (int i = 0; i < 10; ++i) Sleep(10);
    return 7;
}

TEST_F(OwnedVirtualClock, OwnerWaitingWithoutTimeOutLetsASleepingWorkerEnd) {
    HANDLE thread = CreateThread(nullptr, 0, SleepThenEnd, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const DWORD start = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(timeGetTime(), start);  // time stands still while the owner waits
    // Back from its wait the owner moves the clock alone again.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        Sleep(20);
        done = true;
    });
    LetOthersRun();
    EXPECT_FALSE(done);
    Sleep(20);
    worker.join();
    CloseHandle(thread);
}

TEST(KernelClock, OwnerThreadEndingFreesWaitersOnItsClock) {
    SetClockMode(ClockMode::kVirtual);
    std::atomic<bool> claimed{false}, release{false};
    std::thread owner([&] {
        ClaimVirtualClock();
        claimed = true;
        while (!release) std::this_thread::yield();
    });
    while (!claimed) std::this_thread::yield();
    const DWORD start = timeGetTime();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        Sleep(25);
        done = true;
    });
    LetOthersRun();
    EXPECT_FALSE(done);
    release = true;
    owner.join();
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(timeGetTime() - start, 25u);
    SetClockMode(ClockMode::kReal);
}

TEST(KernelCriticalSection, ReentrantForOwnerExclusiveForOthers) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    BOOL otherGot = TRUE;
    std::thread([&] { otherGot = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(otherGot);
    LeaveCriticalSection(&section);
    std::thread([&] { otherGot = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(otherGot);
    LeaveCriticalSection(&section);
    std::thread([&] {
        otherGot = TryEnterCriticalSection(&section);
        if (otherGot) LeaveCriticalSection(&section);
    }).join();
    EXPECT_TRUE(otherGot);
    DeleteCriticalSection(&section);
}

TEST(KernelHeap, ZeroFilledGrowthAndSizes) {
    HANDLE heap = GetProcessHeap();
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 8));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], 0);
    block[7] = 9;
    block = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[7], 9);
    for (int i = 8; i < 64; ++i) EXPECT_EQ(block[i], 0);
    EXPECT_EQ(HeapSize(heap, 0, block), 64u);
    EXPECT_TRUE(HeapFree(heap, 0, block));
    void* empty = HeapAlloc(heap, 0, 0);
    EXPECT_NE(empty, nullptr);
    HeapFree(heap, 0, empty);
}

TEST(KernelSystemInfo, ReportsProcessorsAndPages) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
    EXPECT_EQ(info.dwPageSize % 4096, 0u);
    EXPECT_EQ(info.dwAllocationGranularity, 65536u);
}

}  // namespace
