// Read-only plain files. In direct mode a CachedFile reads with the kernel's file calls on the caller's
// thread; with the cache or background flag it runs a file-access thread of its own that serves
// requests in order, keeps an optional 128 KB read-ahead cache filled while the caller is idle, and
// lets reads finish in the background.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/files/file_access.h"
#include "platform/kernel/win_types.h"

constexpr uint32_t kCachedFileCacheSize = 0x20000;

enum CachedFileRequest {
    CACHED_FILE_OPEN = 0,
    CACHED_FILE_CLOSE = 1,
    CACHED_FILE_READ = 2,
    CACHED_FILE_SEEK = 3,
    CACHED_FILE_END = 4,
};

struct CachedFile {
    HANDLE handle;  // direct mode
    uint32_t usesThread;
    uint32_t cacheFlag;
    uint32_t backgroundFlag;
    uint32_t endFlag;
    uint32_t position;
    uint32_t size;
    DWORD threadId;
    HANDLE thread;
    HANDLE threadHandle;  // the file-access thread's own handle of the file
    HANDLE requestEvent;  // manual reset, initially clear
    HANDLE doneEvent;     // manual reset, initially set
    uint32_t requestKind;
    volatile uint32_t threadEnded;
    volatile uint32_t openFailed;
    char path[260];
    uint8_t* readDestination;
    uint32_t readPosition;
    uint32_t readBytes;  // after the thread served the read: the bytes delivered
    uint32_t served;
    uint32_t seekPosition;
    uint8_t* cache;
    uint32_t cachePosition;
    uint32_t cacheLength;
};

CachedFile* OpenCachedFile(const char* path, int cacheFlag, int reserved, int backgroundFlag);
int CloseCachedFile(CachedFile* file);
int64_t TellCachedFile(CachedFile* file);
// Positions outside 0..size are clamped to it.
int SeekCachedFile(CachedFile* file, int64_t offset, int origin);
size_t ReadCachedFile(void* buffer, size_t size, size_t count, CachedFile* file);
int EofCachedFile(CachedFile* file);
int IsCachedFileIdle(CachedFile* file);
// Blocks until a background read has ended (at once when idle).
void WaitCachedFileIdle(CachedFile* file);

// The plain set of the twelve file functions, over CachedFile and the kernel's directory search.
const FileAccessTable* GetPlainFileFunctionTable();
int SetCurrentDirDefault(const char* path);
int GetCurrentDirDefault(char* buffer);
intptr_t FindFirstFileDefault(const char* pattern, FindFileRecord* out);
int FindNextFileDefault(intptr_t search, FindFileRecord* out);
int FindCloseDefault(intptr_t search);

// A new, empty temporary file opened for writing, with its full path copied to outPath (kFilePathLimit
// bytes) when given; 0 on failure.
HANDLE MakeTempWriteFile(char* outPath);
