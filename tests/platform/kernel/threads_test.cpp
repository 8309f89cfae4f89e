#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/kernel/kernel32.h"
#include "tests/wait_until.h"

namespace {

std::atomic<int> runs{0};

DWORD WINAPI CountRun(LPVOID parameter) {
    runs.fetch_add(1);
    return DWORD(reinterpret_cast<uintptr_t>(parameter));
}

DWORD WINAPI ExitEarly(LPVOID) {
    ExitThread(77);
}

DWORD WINAPI SuspendSelfThenCount(LPVOID) {
    SuspendThread(GetCurrentThread());
    runs.fetch_add(1);
    return 5;
}

TEST(KernelThreads, SuspendedThreadRunsOnlyAfterFirstResume) {
    runs = 0;
    DWORD id = 0;
    HANDLE thread =
        CreateThread(nullptr, 0, CountRun, reinterpret_cast<LPVOID>(uintptr_t(42)), CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_EQ(runs.load(), 0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));

    EXPECT_EQ(ResumeThread(thread), 1u);  // previous count
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(KernelThreads, ResumeReportsPreviousCountAndNeedsEveryResume) {
    runs = 0;
    HANDLE thread = CreateThread(nullptr, 0, CountRun, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(SuspendThread(thread), 1u);  // not started yet: count 1 -> 2
    EXPECT_EQ(ResumeThread(thread), 2u);
    EXPECT_EQ(WaitForSingleObject(thread, 30), WAIT_TIMEOUT);
    EXPECT_EQ(runs.load(), 0);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(runs.load(), 1);
    CloseHandle(thread);
}

TEST(KernelThreads, ThreadSuspendsItselfUntilResumed) {
    runs = 0;
    HANDLE thread = CreateThread(nullptr, 0, SuspendSelfThenCount, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // Wait until it has suspended itself (a resume then reports 1).
    DWORD previous = 0;
    WaitUntil([&] { return previous != 0; },
              [&] {
                  Sleep(1);
                  previous = ResumeThread(thread);
              });
    EXPECT_EQ(previous, 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(runs.load(), 1);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 5u);
    CloseHandle(thread);
}

TEST(KernelThreads, ExitThreadSetsExitCode) {
    HANDLE thread = CreateThread(nullptr, 0, ExitEarly, nullptr, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 77u);
    CloseHandle(thread);
}

TEST(KernelThreads, PriorityIsRecordedAndBadHandlesRefused) {
    HANDLE thread = CreateThread(nullptr, 0, CountRun, nullptr, CREATE_SUSPENDED, nullptr);
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_LOWEST);
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ResumeThread(thread), DWORD(-1));
    int local = 0;
    EXPECT_EQ(WaitForSingleObject(&local, 0), WAIT_FAILED);
}

TEST(KernelThreads, ThreadIdsDifferBetweenThreads) {
    DWORD mine = GetCurrentThreadId();
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(mine, other);
    EXPECT_EQ(mine, GetCurrentThreadId());
}

}  // namespace
