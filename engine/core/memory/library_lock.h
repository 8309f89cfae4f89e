// The lock that serialises the library's init, end and pump between threads: re-entrant for its
// owner, and waiting threads are served strictly in the order they arrived (up to 4096 wait in line;
// any further thread polls every millisecond until a place frees).
#pragma once

inline constexpr int kLibraryLockWaiters = 4096;

void TakeLibraryLock();
void ReleaseLibraryLock();
// Closes the waiters' events and deletes the lock's critical section when they exist; the lock is
// created again on its next use.
void DeleteLibraryLock();
// Threads waiting in line now.
int GetLibraryLockWaiterCount();
