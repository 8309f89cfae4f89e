#include "engine/core/memory/threads.h"

int CreateWorkerThread(ThreadRecord* record, ThreadFunction function, void* parameter) {
    record->function = function;
    record->parameter = parameter;
    record->handle = CreateThread(nullptr, 0, ThreadStartThunk, record, 0, &record->id);
    return record->handle ? 0 : -1;
}

DWORD WINAPI ThreadStartThunk(LPVOID argument) {
    auto* record = static_cast<ThreadRecord*>(argument);
    SuspendThread(GetCurrentThread());
    record->function(record, record->parameter);
    ExitThread(0);
}

void SetThreadPriorityLevel(ThreadRecord* record, int level) {
    static const int kPriorities[] = {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                                      THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_HIGHEST};
    if (level < 0 || level > 3) return;
    SetThreadPriority(record->handle, kPriorities[level]);
}

int ResumeThreadRecord(ThreadRecord* record) {
    DWORD previous = ResumeThread(record->handle);
    return (previous != DWORD(-1) && previous > 0) ? 1 : 0;
}

void SuspendSelf() {
    SuspendThread(GetCurrentThread());
}

int ThreadExists(const ThreadRecord* record) {
    return record->handle ? 1 : 0;
}

DWORD GetThreadRecordId(const ThreadRecord* record) {
    return record->id;
}

void CloseThreadHandle(ThreadRecord* record) {
    if (record->handle) CloseHandle(record->handle);
    record->handle = nullptr;
}

void SleepMilliseconds(int milliseconds) {
    Sleep(DWORD(milliseconds));
}

int InitLock(CRITICAL_SECTION* section) {
    InitializeCriticalSection(section);
    return 0;
}

int DeleteLock(CRITICAL_SECTION* section) {
    DeleteCriticalSection(section);
    return 0;
}

int Lock(CRITICAL_SECTION* section) {
    EnterCriticalSection(section);
    return 0;
}

int Unlock(CRITICAL_SECTION* section) {
    LeaveCriticalSection(section);
    return 0;
}
