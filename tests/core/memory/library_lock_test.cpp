#include "engine/core/memory/library_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/core/frame/com_start.h"
#include "engine/core/memory/threads.h"
#include "tests/core/log_capture.h"
#include "tests/wait_until.h"

namespace {

void WaitForWaiters(int count) {
    WaitUntil([&] { return GetLibraryLockWaiterCount() == count; }, [] { Sleep(1); });
    ASSERT_EQ(GetLibraryLockWaiterCount(), count);
}

// Takes the lock depth times on this thread: a waiter on another thread gets it only on the last release.
void ExpectWaiterServedOnlyOnLastRelease(int depth) {
    for (int i = 0; i < depth; ++i) TakeLibraryLock();
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        TakeLibraryLock();
        got = true;
        ReleaseLibraryLock();
    });
    WaitForWaiters(1);
    for (int i = 1; i < depth; ++i) ReleaseLibraryLock();
    Sleep(20);
    EXPECT_FALSE(got);
    ReleaseLibraryLock();
    waiter.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(GetLibraryLockWaiterCount(), 0);
}

TEST(LibraryLock, ReentryThreeDeepWakesWaiterOnlyOnLastRelease) {
    ExpectWaiterServedOnlyOnLastRelease(3);
}

TEST(LibraryLock, WaitersAreServedInArrivalOrder) {
    TakeLibraryLock();
    std::mutex orderLock;
    std::vector<int> order;
    std::vector<std::thread> threads;
    for (int i = 0; i < 5; ++i) {
        threads.emplace_back([&, i] {
            TakeLibraryLock();
            {
                std::lock_guard<std::mutex> guard(orderLock);
                order.push_back(i);
            }
            Sleep(2);
            ReleaseLibraryLock();
        });
        WaitForWaiters(i + 1);
    }
    ReleaseLibraryLock();
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(LibraryLock, NewcomerQueuesBehindWaitersWhileTheLockIsFree) {
    TakeLibraryLock();
    std::vector<int> order;
    std::mutex orderLock;
    auto record = [&](int who) {
        std::lock_guard<std::mutex> guard(orderLock);
        order.push_back(who);
    };
    std::thread first([&] {
        TakeLibraryLock();
        record(1);
        ReleaseLibraryLock();
    });
    WaitForWaiters(1);
    ReleaseLibraryLock();
    TakeLibraryLock();  // the waiter goes first even if this thread asks right away
    record(2);
    ReleaseLibraryLock();
    first.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(LibraryLock, DeletedLockIsCreatedAgainOnNextUse) {
    TakeLibraryLock();
    ReleaseLibraryLock();
    DeleteLibraryLock();
    DeleteLibraryLock();
    EXPECT_EQ(GetLibraryLockWaiterCount(), 0);
    // The lock made again on the next take is owned, counts re-entry and queues a waiter as before.
    ExpectWaiterServedOnlyOnLastRelease(2);
}

std::atomic<int> workerRuns{0};

void CountWorkerRun(ThreadRecord* record, void* parameter) {
    EXPECT_EQ(record->parameter, parameter);
    EXPECT_EQ(GetCurrentThreadId(), record->id);
    workerRuns.fetch_add(1);
}

TEST(WorkerThreads, RunOnlyAfterFirstResume) {
    workerRuns = 0;
    ThreadRecord record{};
    int parameter = 0;
    ASSERT_EQ(CreateWorkerThread(&record, CountWorkerRun, &parameter), 0);
    EXPECT_EQ(ThreadExists(&record), 1);
    EXPECT_NE(GetThreadRecordId(&record), 0u);
    // The thread suspends itself; resume succeeds (1) once it has.
    int resumed = 0;
    WaitUntil([&] { return resumed != 0; },
              [&] {
                  EXPECT_EQ(workerRuns.load(), 0);
                  Sleep(1);
                  resumed = ResumeThreadRecord(&record);
              });
    EXPECT_EQ(resumed, 1);
    EXPECT_EQ(WaitForSingleObject(record.handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(workerRuns.load(), 1);
    EXPECT_EQ(ResumeThreadRecord(&record), 0);
    CloseThreadHandle(&record);
    EXPECT_EQ(ThreadExists(&record), 0);
}

TEST(WorkerThreads, PriorityLevels) {
    ThreadRecord record{};
    ASSERT_EQ(CreateWorkerThread(&record, CountWorkerRun, nullptr), 0);
    SetThreadPriorityLevel(&record, 3);
    EXPECT_EQ(GetThreadPriority(record.handle), THREAD_PRIORITY_HIGHEST);
    SetThreadPriorityLevel(&record, 4);
    EXPECT_EQ(GetThreadPriority(record.handle), THREAD_PRIORITY_HIGHEST);
    SetThreadPriorityLevel(&record, 0);
    EXPECT_EQ(GetThreadPriority(record.handle), THREAD_PRIORITY_LOWEST);
    while (!ResumeThreadRecord(&record)) Sleep(1);
    WaitForSingleObject(record.handle, INFINITE);
    CloseThreadHandle(&record);
}

class ComStart : public LogCapture {};

TEST_F(ComStart, SecondInitFailsSilently) {
    ASSERT_EQ(InitCom(), 0);
    std::string afterFirst = ReadLog();
    EXPECT_EQ(afterFirst.substr(afterFirst.find(':') + 1),
              "\x82\x62\x82\x6e\x82\x6c\x82\xcc\x8f\x89\x8a\xfa\x89\xbb... "
              "\x90\xac\x8c\xf7\x82\xb5\x82\xdc\x82\xb5\x82"
              "\xbd\r\n");
    EXPECT_EQ(InitCom(), -1);
    EXPECT_EQ(ReadLog(), afterFirst);
    EXPECT_EQ(EndCom(), 0);
    EXPECT_EQ(EndCom(), -1);
}

}  // namespace
