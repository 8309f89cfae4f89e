// Thin wrappers over threads and critical sections. A thread made here suspends itself first and
// runs its function only once someone resumes it.
#pragma once

#include "platform/kernel/kernel32.h"

struct ThreadRecord;
typedef void (*ThreadFunction)(ThreadRecord* record, void* parameter);

struct ThreadRecord {
    ThreadFunction function;
    void* parameter;
    HANDLE handle;
    DWORD id;
};

// 0, or -1 when the thread could not be created.
int CreateWorkerThread(ThreadRecord* record, ThreadFunction function, void* parameter);
DWORD WINAPI ThreadStartThunk(LPVOID record);
// Level 0 lowest, 1 below normal, 2 normal, 3 highest; other levels change nothing.
void SetThreadPriorityLevel(ThreadRecord* record, int level);
// 1 when the thread was suspended (its previous suspend count was above 0), else 0.
int ResumeThreadRecord(ThreadRecord* record);
void SuspendSelf();
int ThreadExists(const ThreadRecord* record);
DWORD GetThreadRecordId(const ThreadRecord* record);
void CloseThreadHandle(ThreadRecord* record);
void SleepMilliseconds(int milliseconds);

int InitLock(CRITICAL_SECTION* section);
int DeleteLock(CRITICAL_SECTION* section);
int Lock(CRITICAL_SECTION* section);
int Unlock(CRITICAL_SECTION* section);
