// Threads over pthreads. A thread created suspended runs its function only once its suspend count
// falls to zero; SuspendThread stops the calling thread until someone resumes it.
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>

#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/kernel_object.h"

namespace {

class ThreadObject : public WaitableObject {
  public:
    bool IsSignalled() const override { return finished; }

    // Guarded by WaitLock().
    DWORD suspendCount = 0;
    bool started = false;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    int priority = THREAD_PRIORITY_NORMAL;
    DWORD id = 0;

    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
};

thread_local ThreadObject* currentThread = nullptr;

void FinishThread(ThreadObject* self, DWORD exitCode);

// The record of a thread that CreateThread did not make, released when that thread ends.
struct ForeignThreadRecord {
    ThreadObject* object = nullptr;
    ~ForeignThreadRecord() {
        if (!object) return;
        FinishThread(object, 0);
        object->Release();
    }
};
thread_local ForeignThreadRecord foreignThread;

HANDLE const kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(LONG_PTR(-2));
HANDLE const kCurrentProcessPseudoHandle = reinterpret_cast<HANDLE>(LONG_PTR(-1));

// The record of the calling thread; threads not made by CreateThread get one on first use.
ThreadObject* CurrentThreadObject() {
    if (!currentThread) {
        currentThread = new ThreadObject;
        currentThread->started = true;
        currentThread->id = GetCurrentThreadId();
        foreignThread.object = currentThread;
    }
    return currentThread;
}

// Resolves a thread handle (or the pseudo handle) to a referenced thread object.
ThreadObject* ReferenceThread(HANDLE handle) {
    if (handle == kCurrentThreadPseudoHandle) {
        ThreadObject* self = CurrentThreadObject();
        self->AddReference();
        return self;
    }
    KernelObject* object = ReferenceKernelHandle(handle);
    auto* thread = dynamic_cast<ThreadObject*>(object);
    if (!thread) {
        if (object) object->Release();
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return thread;
}

// A thread's start, resumption and end are notified under the key its waiters use for it.
const void* WaitKey(ThreadObject* thread) {
    return static_cast<WaitableObject*>(thread);
}

void FinishThread(ThreadObject* self, DWORD exitCode) {
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (self->finished) return;
        self->exitCode = exitCode;
        self->finished = true;
    }
    NotifyWaitKey(WaitKey(self));
}

void WaitWhileSuspended(ThreadObject* self) {
    std::unique_lock<std::mutex> lock(WaitLock());
    const void* key = WaitKey(self);
    WaitOnKeys(lock, &key, 1, [&] { return self->suspendCount == 0; });
    self->started = true;
}

// Runs at thread exit, whether the function returned or ExitThread ended it.
void ThreadCleanup(void* argument) {
    auto* self = static_cast<ThreadObject*>(argument);
    FinishThread(self, 0);
    currentThread = nullptr;
    self->Release();
}

void* ThreadMain(void* argument) {
    auto* self = static_cast<ThreadObject*>(argument);
    currentThread = self;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        self->id = GetCurrentThreadId();
    }
    NotifyWaitKey(WaitKey(self));
    pthread_cleanup_push(ThreadCleanup, self);
    WaitWhileSuspended(self);
    DWORD code = self->start(self->parameter);
    FinishThread(self, code);
    pthread_cleanup_pop(1);
    return nullptr;
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* thread = new ThreadObject;
    thread->start = start;
    thread->parameter = parameter;
    thread->suspendCount = (creationFlags & CREATE_SUSPENDED) ? 1 : 0;
    thread->AddReference();  // the running thread's own reference

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize >= 65536) pthread_attr_setstacksize(&attributes, stackSize);
    pthread_t id;
    int failed = pthread_create(&id, &attributes, ThreadMain, thread);
    pthread_attr_destroy(&attributes);
    if (failed) {
        delete thread;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock<std::mutex> lock(WaitLock());
        const void* key = WaitKey(thread);
        WaitOnKeys(lock, &key, 1, [&] { return thread->id != 0; });
        if (threadId) *threadId = thread->id;
    }
    return AddKernelHandle(thread);
}

DWORD WINAPI SuspendThread(HANDLE handle) {
    ThreadObject* thread = ReferenceThread(handle);
    if (!thread) return DWORD(-1);
    DWORD previous = DWORD(-1);
    bool self = thread == currentThread;
    {
        std::unique_lock<std::mutex> lock(WaitLock());
        if (self || !thread->started) {
            previous = thread->suspendCount++;
            const void* key = WaitKey(thread);
            if (self) WaitOnKeys(lock, &key, 1, [&] { return thread->suspendCount == 0; });
        } else {
            SetLastError(ERROR_ACCESS_DENIED);
        }
    }
    thread->Release();
    return previous;
}

DWORD WINAPI ResumeThread(HANDLE handle) {
    ThreadObject* thread = ReferenceThread(handle);
    if (!thread) return DWORD(-1);
    DWORD previous;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        previous = thread->suspendCount;
        if (thread->suspendCount > 0) --thread->suspendCount;
    }
    if (previous == 1) NotifyWaitKey(WaitKey(thread));
    thread->Release();
    return previous;
}

void WINAPI ExitThread(DWORD exitCode) {
    ThreadObject* self = CurrentThreadObject();
    FinishThread(self, exitCode);
    pthread_exit(nullptr);
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    ThreadObject* thread = ReferenceThread(handle);
    if (!thread) return FALSE;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (exitCode) *exitCode = thread->finished ? thread->exitCode : STILL_ACTIVE;
    }
    thread->Release();
    return TRUE;
}

// Priorities are recorded and reported back; raising a thread above normal needs privileges the
// game does not have, so the scheduler itself is not asked.
BOOL WINAPI SetThreadPriority(HANDLE handle, int priority) {
    ThreadObject* thread = ReferenceThread(handle);
    if (!thread) return FALSE;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        thread->priority = priority;
    }
    thread->Release();
    return TRUE;
}

int WINAPI GetThreadPriority(HANDLE handle) {
    ThreadObject* thread = ReferenceThread(handle);
    if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
    int priority;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        priority = thread->priority;
    }
    thread->Release();
    return priority;
}

HANDLE WINAPI GetCurrentThread() {
    return kCurrentThreadPseudoHandle;
}

// Ids are handed out on first use and never reused; a forked child keeps its thread's id.
DWORD WINAPI GetCurrentThreadId() {
    static std::atomic<DWORD> nextId{0x100};
    thread_local DWORD id = 0;
    if (id == 0) id = nextId.fetch_add(4);
    return id;
}

HANDLE WINAPI GetCurrentProcess() {
    return kCurrentProcessPseudoHandle;
}

DWORD WINAPI GetCurrentProcessId() {
    return DWORD(getpid());
}

void WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == INFINITE) {
        for (;;) pause();
    }
    ClockSleepNanoseconds(int64_t(milliseconds) * 1000000);
}

LONG WINAPI NtDelayExecution(BOOLEAN, PLARGE_INTEGER interval) {
    if (!interval || interval->QuadPart > 0) return STATUS_INVALID_PARAMETER;
    const int64_t units = interval->QuadPart == INT64_MIN ? INT64_MAX : -interval->QuadPart;
    ClockSleepNanoseconds(units > INT64_MAX / 100 ? INT64_MAX : units * 100);
    return 0;
}
