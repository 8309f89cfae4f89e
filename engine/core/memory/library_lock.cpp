#include "engine/core/memory/library_lock.h"

#include <mutex>

#include "platform/kernel/kernel32.h"

namespace {

struct Waiter {
    DWORD thread;
    HANDLE event;
};

struct LibraryLock {
    int depth = 0;
    int locked = 0;
    DWORD owner = DWORD(-1);
    Waiter waiters[kLibraryLockWaiters] = {};
    int eventsCreated = 0;
    int waiterCount = 0;
    CRITICAL_SECTION section = {};
};

LibraryLock libraryLock;
std::mutex creation;  // first use may come from two threads at once

void CreateOnFirstUse() {
    std::lock_guard<std::mutex> guard(creation);
    if (libraryLock.eventsCreated) return;
    for (Waiter& waiter : libraryLock.waiters) waiter = {0, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    InitializeCriticalSection(&libraryLock.section);
    libraryLock.eventsCreated = 1;
}

// The first waiter leaves the line; its event moves to the freed last place.
void RemoveFirstWaiter() {
    LibraryLock& lock = libraryLock;
    HANDLE event = lock.waiters[0].event;
    for (int i = 1; i < lock.waiterCount; ++i) lock.waiters[i - 1] = lock.waiters[i];
    lock.waiters[lock.waiterCount - 1] = {0, event};
    --lock.waiterCount;
}

}  // namespace

void TakeLibraryLock() {
    CreateOnFirstUse();
    LibraryLock& lock = libraryLock;
    DWORD me = GetCurrentThreadId();
    for (;;) {
        EnterCriticalSection(&lock.section);
        bool take = false;
        if (!lock.locked && (lock.waiterCount == 0 || lock.owner == me)) {
            take = true;
        } else if (!lock.locked && lock.waiters[0].thread == me) {
            RemoveFirstWaiter();
            take = true;
        } else if (lock.locked && lock.owner == me) {
            take = true;
        }
        if (take) {
            ++lock.depth;
            lock.locked = 1;
            lock.owner = me;
            LeaveCriticalSection(&lock.section);
            return;
        }
        if (lock.waiterCount < kLibraryLockWaiters) {
            Waiter& place = lock.waiters[lock.waiterCount++];
            place.thread = me;
            HANDLE event = place.event;
            LeaveCriticalSection(&lock.section);
            WaitForSingleObject(event, INFINITE);
            ResetEvent(event);
        } else {
            LeaveCriticalSection(&lock.section);
            Sleep(1);
        }
    }
}

void ReleaseLibraryLock() {
    LibraryLock& lock = libraryLock;
    if (!lock.eventsCreated) return;
    EnterCriticalSection(&lock.section);
    HANDLE wake = nullptr;
    if (lock.depth == 1) {
        lock.locked = 0;
        lock.owner = DWORD(-1);
        if (lock.waiterCount > 0) wake = lock.waiters[0].event;
    }
    if (lock.depth > 0) --lock.depth;
    LeaveCriticalSection(&lock.section);
    if (wake) {
        SetEvent(wake);
        Sleep(0);
    }
}

void DeleteLibraryLock() {
    std::lock_guard<std::mutex> guard(creation);
    LibraryLock& lock = libraryLock;
    if (!lock.eventsCreated) return;
    for (Waiter& waiter : lock.waiters) {
        CloseHandle(waiter.event);
        waiter = {0, nullptr};
    }
    DeleteCriticalSection(&lock.section);
    lock.depth = 0;
    lock.locked = 0;
    lock.owner = DWORD(-1);
    lock.waiterCount = 0;
    lock.eventsCreated = 0;
}

int GetLibraryLockWaiterCount() {
    if (!libraryLock.eventsCreated) return 0;
    EnterCriticalSection(&libraryLock.section);
    int count = libraryLock.waiterCount;
    LeaveCriticalSection(&libraryLock.section);
    return count;
}
