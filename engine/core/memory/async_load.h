// Asynchronous loading: loaders pack a job and its arguments into an AsyncLoadRequest and queue it;
// 32 worker threads run the queued jobs oldest first, at most (processors - 1, at least 1) at a time.
// Work that must run on the main thread is handed over through the main-thread call queue, which the
// message pump drains within about 2 ms per pump.
#pragma once

#include <cstdint>

#include "engine/core/memory/threads.h"

inline constexpr int kAsyncLoadWorkerCount = 32;
inline constexpr int kAsyncLoadRequestLimit = 32768;
inline constexpr int kMainThreadCallLimit = 32768;

struct AsyncLoadRequest;
typedef void (*AsyncLoadJob)(AsyncLoadRequest* request);

// Followed in the same block by the packed arguments (AsyncLoadArguments).
struct AsyncLoadRequest {
    uint32_t slot;
    uint32_t started;
    uint32_t creationTime;  // milliseconds
    AsyncLoadJob job;
};

struct MainThreadCall;
typedef int (*MainThreadFunction)(MainThreadCall* call);

// The first member of a caller's own record that carries the call's arguments.
struct MainThreadCall {
    MainThreadFunction function;
    uint32_t worker;
    uint32_t result;
};

// A request block with room for `argumentBytes` of packed arguments; null (and a log line) on failure.
AsyncLoadRequest* AllocAsyncLoadRequest(int argumentBytes);
unsigned char* AsyncLoadArguments(AsyncLoadRequest* request);

// 0; -1 when done already.
int InitAsyncLoad(DWORD mainThreadId);
// 0, or -1 when a thread could not be created.
int StartAsyncLoadThreads(int processorCount);
int StopAsyncLoadThreads();
// 0; -1 when not initialised.
int EndAsyncLoad();
// Queues the request (ends the process when 32768 are queued). The request's slot; the request
// itself may already be run and freed when this returns.
int AddAsyncLoadRequest(AsyncLoadRequest* request);
// 0; -1 for an empty slot; -2 when onlyIfNotStarted is set and the request has started.
int FreeAsyncLoadRequest(int slot, int onlyIfNotStarted);
int GetAsyncLoadPendingCount();
// From a worker: queues the call for the main thread, waits for it and returns its result.
int PostRequestToMainThread(MainThreadCall* call);
// Runs queued main-thread calls within the time budget and wakes workers for queued requests.
// 0; -1 when not called on the main thread.
int ProcessMainThreadRequests();
void WakeAsyncLoadWorkers(int extra);

// Diagnostics: workers allowed to run, workers not suspended, main-thread calls waiting.
int GetAsyncLoadAllowedCount();
int GetAsyncLoadRunningCount();
int GetMainThreadCallCount();

// Packing: with a null buffer only the offset advances (pack once to measure, once to write).
// Blobs and strings are limited to 65533 bytes with their NUL; longer ones give -1 and pack nothing.
void PackAsyncArgInt(unsigned char* buffer, int* offset, uint32_t value);
// Pointers and pointer-sized values (a 64-bit form of the int kind).
void PackAsyncArgPointer(unsigned char* buffer, int* offset, uintptr_t value);
int PackAsyncArgBlob(unsigned char* buffer, int* offset, const void* data, int size);
int PackAsyncArgString(unsigned char* buffer, int* offset, const char* text);
uint32_t UnpackAsyncArgInt(const unsigned char* buffer, int* offset);
uintptr_t UnpackAsyncArgPointer(const unsigned char* buffer, int* offset);
// The blob's bytes inside the buffer, and their count.
const void* UnpackAsyncArgBlob(const unsigned char* buffer, int* offset, int* size);
// Null for a packed null string.
const char* UnpackAsyncArgString(const unsigned char* buffer, int* offset);
