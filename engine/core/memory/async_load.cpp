#include "engine/core/memory/async_load.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>

#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"

namespace {

struct AsyncLoadWorker {
    ThreadRecord thread;
    int ended;
    int busy;
    int waitingForMain;
    int suspended;
    int suspendTime;
    AsyncLoadRequest* current;
};

// The two large tables come last: a fresh start clears the fields before them and only the request
// slots below the high mark (no slot at or above it holds a request; no call at or above the call count
// is read), so the tables' pages are not touched until they are used.
struct AsyncLoadQueue {
    DWORD mainThread;
    int initialised;
    std::atomic<int> endFlag;  // read by the workers outside the lock
    AsyncLoadWorker workers[kAsyncLoadWorkerCount];
    int allowedRunning;
    int running;
    int queued;
    int highMark;
    int callCount;
    CRITICAL_SECTION lock;
    AsyncLoadRequest* requests[kAsyncLoadRequestLimit];
    MainThreadCall* calls[kMainThreadCallLimit];
};

AsyncLoadQueue queue;

class QueueLock {
  public:
    QueueLock() { EnterCriticalSection(&queue.lock); }
    ~QueueLock() { LeaveCriticalSection(&queue.lock); }
};

uint32_t NowMilliseconds() {
    return uint32_t(GetMillisecondCount());
}

void MarkSuspended(AsyncLoadWorker* worker) {
    worker->suspended = 1;
    worker->suspendTime = int(NowMilliseconds());
    --queue.running;
}

// The worker to wake: first a busy one whose main-thread call is done (oldest request), else, when
// idle workers are wanted, the one suspended longest.
AsyncLoadWorker* ChooseWorker(bool idleToo) {
    AsyncLoadWorker* best = nullptr;
    for (AsyncLoadWorker& worker : queue.workers) {
        if (worker.ended || !worker.suspended || !worker.busy || worker.waitingForMain) continue;
        if (!best || worker.current->creationTime < best->current->creationTime) best = &worker;
    }
    if (best || !idleToo) return best;
    for (AsyncLoadWorker& worker : queue.workers) {
        if (worker.ended || !worker.suspended || worker.waitingForMain || !worker.thread.handle) continue;
        if (!best || worker.suspendTime < best->suspendTime) best = &worker;
    }
    return best;
}

void WakeWorkers(int extra, bool idleToo) {
    QueueLock lock;
    if (queue.running >= queue.allowedRunning + extra) return;
    for (;;) {
        AsyncLoadWorker* worker = ChooseWorker(idleToo);
        if (!worker) return;
        // A worker that has marked itself suspended but not yet stopped: try again until it has.
        if (ResumeThreadRecord(&worker->thread)) {
            worker->suspended = 0;
            ++queue.running;
            return;
        }
        Sleep(0);
    }
}

AsyncLoadRequest* OldestUnstarted() {
    AsyncLoadRequest* oldest = nullptr;
    for (int i = 0; i < queue.highMark; ++i) {
        AsyncLoadRequest* request = queue.requests[i];
        if (!request || request->started) continue;
        if (!oldest || request->creationTime < oldest->creationTime) oldest = request;
    }
    return oldest;
}

void RunQueuedJobs(AsyncLoadWorker* worker) {
    for (;;) {
        AsyncLoadRequest* request;
        {
            QueueLock lock;
            if (queue.highMark == 0) return;
            request = OldestUnstarted();
            if (!request) {
                // Hand this worker's turn to a busy worker whose main-thread call is done; idle
                // workers would only find nothing either.
                WakeWorkers(1, false);
                return;
            }
            request->started = 1;
            worker->busy = 1;
            worker->current = request;
        }
        request->job(request);
        QueueLock lock;
        FreeAsyncLoadRequest(int(request->slot), 0);
        worker->busy = 0;
        worker->current = nullptr;
    }
}

void WorkerLoop(ThreadRecord*, void* parameter) {
    auto* worker = static_cast<AsyncLoadWorker*>(parameter);
    for (;;) {
        if (queue.endFlag) {
            QueueLock lock;
            worker->ended = 1;
            --queue.running;
            return;
        }
        RunQueuedJobs(worker);
        {
            QueueLock lock;
            MarkSuspended(worker);
        }
        SuspendSelf();
    }
}

int64_t NowMicroseconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart / frequency.QuadPart * 1000000 +
           counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

void RunMainThreadCalls() {
    int64_t start = NowMicroseconds();
    for (;;) {
        MainThreadCall* call;
        {
            QueueLock lock;
            if (queue.callCount == 0 || NowMicroseconds() - start > 2000) return;
            call = queue.calls[0];
            std::memmove(queue.calls, queue.calls + 1, sizeof(queue.calls[0]) * size_t(queue.callCount - 1));
            --queue.callCount;
        }
        call->result = uint32_t(call->function(call));
        QueueLock lock;
        queue.workers[call->worker].waitingForMain = 0;
        WakeWorkers(0, true);
    }
}

}  // namespace

AsyncLoadRequest* AllocAsyncLoadRequest(int argumentBytes) {
    size_t size = sizeof(AsyncLoadRequest) + size_t(argumentBytes > 0 ? argumentBytes : 0);
    auto* request = static_cast<AsyncLoadRequest*>(TrackedAlloc(size, "async_load", __LINE__));
    if (!request)
        LogPrintf("非同期読み込みデータを格納するメモリ領域 %dByte の確保に失敗しました", int(size));
    return request;
}

unsigned char* AsyncLoadArguments(AsyncLoadRequest* request) {
    return reinterpret_cast<unsigned char*>(request + 1);
}

int InitAsyncLoad(DWORD mainThreadId) {
    if (queue.initialised) return -1;
    std::fill(queue.requests, queue.requests + queue.highMark, nullptr);
    std::memset(static_cast<void*>(&queue), 0, offsetof(AsyncLoadQueue, requests));
    queue.mainThread = mainThreadId;
    InitializeCriticalSection(&queue.lock);
    queue.initialised = 1;
    return 0;
}

int StartAsyncLoadThreads(int processorCount) {
    if (!queue.initialised) return -1;
    {
        QueueLock lock;
        queue.allowedRunning = processorCount - 1 < 1 ? 1 : processorCount - 1;
        queue.endFlag = 0;
    }
    for (AsyncLoadWorker& worker : queue.workers) {
        QueueLock lock;
        if (CreateWorkerThread(&worker.thread, WorkerLoop, &worker) != 0) return -1;
        SetThreadPriorityLevel(&worker.thread, 0);
        worker.suspended = 1;
        worker.suspendTime = int(NowMilliseconds());
    }
    Sleep(16);
    return 0;
}

int StopAsyncLoadThreads() {
    if (!queue.initialised) return 0;
    queue.endFlag = 1;
    for (AsyncLoadWorker& worker : queue.workers) {
        if (!worker.thread.handle) continue;
        for (;;) {
            {
                QueueLock lock;
                if (worker.ended) break;
            }
            ProcessMainThreadRequests();
            if (GetAsyncLoadRunningCount() == 0) WakeWorkers(0, true);
            Sleep(1);
        }
        WaitForSingleObject(worker.thread.handle, INFINITE);
        CloseThreadHandle(&worker.thread);
    }
    return 0;
}

int EndAsyncLoad() {
    if (!queue.initialised) return -1;
    DeleteCriticalSection(&queue.lock);
    queue.initialised = 0;
    return 0;
}

int AddAsyncLoadRequest(AsyncLoadRequest* request) {
    QueueLock lock;
    if (queue.queued == kAsyncLoadRequestLimit)
        FatalLibraryExit("非同期読み込みデータの数が許容量を越えました終了します");
    int slot = queue.highMark;
    if (slot == kAsyncLoadRequestLimit) {
        slot = 0;
        while (queue.requests[slot]) ++slot;
    }
    request->slot = uint32_t(slot);
    request->started = 0;
    request->creationTime = NowMilliseconds();
    queue.requests[slot] = request;
    ++queue.queued;
    if (slot == queue.highMark) ++queue.highMark;
    WakeWorkers(0, true);
    return slot;
}

int FreeAsyncLoadRequest(int slot, int onlyIfNotStarted) {
    if (!queue.initialised || slot < 0 || slot >= kAsyncLoadRequestLimit) return -1;
    QueueLock lock;
    AsyncLoadRequest* request = queue.requests[slot];
    if (!request) return -1;
    if (onlyIfNotStarted && request->started) return -2;
    --queue.queued;
    queue.requests[slot] = nullptr;
    if (slot == queue.highMark - 1) {
        while (queue.highMark > 0 && !queue.requests[queue.highMark - 1]) --queue.highMark;
    }
    TrackedFree(request);
    return 0;
}

int GetAsyncLoadPendingCount() {
    if (!queue.initialised) return 0;
    QueueLock lock;
    return queue.queued;
}

int PostRequestToMainThread(MainThreadCall* call) {
    AsyncLoadWorker* worker = nullptr;
    {
        QueueLock lock;
        if (queue.callCount == kMainThreadCallLimit)
            FatalLibraryExit(
                "非同期読み込みスレッドからメインスレッドへの処理依頼数が許容量を越えました終了します");
        DWORD me = GetCurrentThreadId();
        for (AsyncLoadWorker& candidate : queue.workers)
            if (candidate.thread.handle && candidate.thread.id == me) worker = &candidate;
        if (!worker)
            FatalLibraryExit("非同期読み込みスレッド以外からメインスレッドへの処理依頼が行われました");
        call->result = 0;
        call->worker = uint32_t(worker - queue.workers);
        worker->waitingForMain = 1;
        queue.calls[queue.callCount++] = call;
        WakeWorkers(1, true);
        MarkSuspended(worker);
    }
    SuspendSelf();
    return int(call->result);
}

int ProcessMainThreadRequests() {
    if (!queue.initialised || GetCurrentThreadId() != queue.mainThread) return -1;
    RunMainThreadCalls();
    QueueLock lock;
    if (queue.queued > 0) {
        int target = queue.allowedRunning - 1 > 0 ? queue.allowedRunning - 1 : 1;
        if (queue.queued < target) target = queue.queued;
        for (int i = queue.running; i < target; ++i) WakeWorkers(0, true);
    }
    return 0;
}

void WakeAsyncLoadWorkers(int extra) {
    if (queue.initialised) WakeWorkers(extra, true);
}

int GetAsyncLoadAllowedCount() {
    return queue.allowedRunning;
}

int GetAsyncLoadRunningCount() {
    if (!queue.initialised) return 0;
    QueueLock lock;
    return queue.running;
}

int GetMainThreadCallCount() {
    if (!queue.initialised) return 0;
    QueueLock lock;
    return queue.callCount;
}

void PackAsyncArgInt(unsigned char* buffer, int* offset, uint32_t value) {
    if (buffer) std::memcpy(buffer + *offset, &value, sizeof(value));
    *offset += int(sizeof(value));
}

void PackAsyncArgPointer(unsigned char* buffer, int* offset, uintptr_t value) {
    if (buffer) std::memcpy(buffer + *offset, &value, sizeof(value));
    *offset += int(sizeof(value));
}

int PackAsyncArgBlob(unsigned char* buffer, int* offset, const void* data, int size) {
    if (size < 0 || size > 0xFFFF - 2) return -1;
    uint16_t length = uint16_t(size + 2);
    if (buffer) {
        std::memcpy(buffer + *offset, &length, sizeof(length));
        if (size) std::memcpy(buffer + *offset + 2, data, size_t(size));
    }
    *offset += length;
    return 0;
}

int PackAsyncArgString(unsigned char* buffer, int* offset, const char* text) {
    if (!text) return PackAsyncArgBlob(buffer, offset, nullptr, 0);
    size_t length = std::strlen(text);
    if (length + 1 > size_t(0xFFFF - 2)) return -1;
    return PackAsyncArgBlob(buffer, offset, text, int(length + 1));
}

uint32_t UnpackAsyncArgInt(const unsigned char* buffer, int* offset) {
    uint32_t value;
    std::memcpy(&value, buffer + *offset, sizeof(value));
    *offset += int(sizeof(value));
    return value;
}

uintptr_t UnpackAsyncArgPointer(const unsigned char* buffer, int* offset) {
    uintptr_t value;
    std::memcpy(&value, buffer + *offset, sizeof(value));
    *offset += int(sizeof(value));
    return value;
}

const void* UnpackAsyncArgBlob(const unsigned char* buffer, int* offset, int* size) {
    uint16_t length;
    std::memcpy(&length, buffer + *offset, sizeof(length));
    const void* data = buffer + *offset + 2;
    *size = int(length) - 2;
    *offset += length;
    return data;
}

const char* UnpackAsyncArgString(const unsigned char* buffer, int* offset) {
    int size = 0;
    const void* data = UnpackAsyncArgBlob(buffer, offset, &size);
    return size == 0 ? nullptr : static_cast<const char*>(data);
}
