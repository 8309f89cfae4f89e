#include "engine/core/files/cached_file.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/kernel32.h"

namespace {

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Thread side: takes the front bytes of the cache when it sits at the request's position.
void ServeFromCache(CachedFile* file) {
    if (file->cache == nullptr || file->cachePosition != file->readPosition || file->cacheLength == 0) return;
    uint32_t n = file->readBytes < file->cacheLength ? file->readBytes : file->cacheLength;
    std::memcpy(file->readDestination, file->cache, n);
    file->readDestination += n;
    file->readPosition += n;
    file->cachePosition += n;
    file->readBytes -= n;
    file->cacheLength -= n;
    std::memmove(file->cache, file->cache + n, file->cacheLength);
    file->served += n;
}

void ServeRead(CachedFile* file) {
    file->served = 0;
    ServeFromCache(file);
    if (file->readBytes > 0) {
        DWORD got = 0;
        SetFilePointer(file->threadHandle, LONG(file->readPosition), nullptr, FILE_BEGIN);
        if (!ReadFile(file->threadHandle, file->readDestination, file->readBytes, &got, nullptr)) got = 0;
        file->served += got;
        if (file->cache != nullptr) {
            file->cachePosition = file->readPosition + got;
            file->cacheLength = 0;
        }
    }
    file->readBytes = file->served;
}

// Thread side, while idle: fills the rest of the cache with the bytes after the cached ones.
void ReadAhead(CachedFile* file) {
    if (file->cacheLength >= kCachedFileCacheSize) return;
    DWORD got = 0;
    SetFilePointer(file->threadHandle, LONG(file->cachePosition + file->cacheLength), nullptr, FILE_BEGIN);
    if (ReadFile(file->threadHandle, file->cache + file->cacheLength,
                 kCachedFileCacheSize - file->cacheLength, &got, nullptr))
        file->cacheLength += got;
}

DWORD WINAPI FileAccessThread(LPVOID parameter) {
    CachedFile* file = static_cast<CachedFile*>(parameter);
    for (;;) {
        DWORD wait = WaitForSingleObject(file->requestEvent, file->cache != nullptr ? 100 : INFINITE);
        if (wait == WAIT_TIMEOUT) {
            if (file->threadHandle != nullptr) ReadAhead(file);
            continue;
        }
        ResetEvent(file->requestEvent);
        ResetEvent(file->doneEvent);
        switch (file->requestKind) {
            case CACHED_FILE_OPEN:
                file->threadHandle = OpenForReading(file->path);
                if (file->threadHandle == INVALID_HANDLE_VALUE) {
                    file->threadHandle = nullptr;
                    file->openFailed = 1;
                    SetEvent(file->doneEvent);
                    file->threadEnded = 1;
                    return 0;
                }
                break;
            case CACHED_FILE_CLOSE:
                CloseHandle(file->threadHandle);
                file->threadHandle = nullptr;
                break;
            case CACHED_FILE_READ:
                ServeRead(file);
                break;
            case CACHED_FILE_SEEK:
                SetFilePointer(file->threadHandle, LONG(file->seekPosition), nullptr, FILE_BEGIN);
                file->cachePosition = file->seekPosition;
                file->cacheLength = 0;
                break;
            default:
                break;
        }
        if (file->requestKind == CACHED_FILE_END) break;
        SetEvent(file->doneEvent);
    }
    if (file->threadHandle != nullptr) CloseHandle(file->threadHandle);
    file->threadHandle = nullptr;
    SetEvent(file->doneEvent);
    file->threadEnded = 1;
    return 0;
}

// Caller side: waits for the previous request, then hands over the one whose fields are written.
void PostRequest(CachedFile* file, uint32_t kind) {
    file->requestKind = kind;
    ResetEvent(file->doneEvent);
    SetEvent(file->requestEvent);
}

void WaitDone(CachedFile* file) {
    WaitForSingleObject(file->doneEvent, INFINITE);
}

void WaitThreadExit(CachedFile* file) {
    WaitForSingleObject(file->thread, INFINITE);
}

void FreeThreadParts(CachedFile* file) {
    TrackedFree(file->cache);
    if (file->requestEvent != nullptr) CloseHandle(file->requestEvent);
    if (file->doneEvent != nullptr) CloseHandle(file->doneEvent);
    if (file->thread != nullptr) CloseHandle(file->thread);
}

CachedFile* OpenThreaded(CachedFile* file) {
    HANDLE probe = OpenForReading(file->path);
    if (probe == INVALID_HANDLE_VALUE) {
        TrackedFree(file);
        return nullptr;
    }
    file->size = GetFileSize(probe, nullptr);
    CloseHandle(probe);
    if (file->cacheFlag) {
        file->cache = static_cast<uint8_t*>(TrackedAlloc(kCachedFileCacheSize, __FILE__, __LINE__));
        if (file->cache == nullptr) {
            LogPrintf("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
            TrackedFree(file);
            return nullptr;
        }
    }
    file->requestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    file->doneEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (file->requestEvent != nullptr && file->doneEvent != nullptr)
        file->thread = CreateThread(nullptr, 0, FileAccessThread, file, 0, &file->threadId);
    if (file->thread == nullptr) {
        FreeThreadParts(file);
        LogPrintf("ファイルアクセス専用スレッドの作成に失敗しました\n");
        TrackedFree(file);
        return nullptr;
    }
    SetThreadPriority(file->thread, THREAD_PRIORITY_LOWEST);
    PostRequest(file, CACHED_FILE_OPEN);
    WaitDone(file);
    if (file->openFailed) {
        WaitThreadExit(file);
        FreeThreadParts(file);
        TrackedFree(file);
        LogPrintf("ファイルのオープンに失敗しました\n");
        return nullptr;
    }
    return file;
}

}  // namespace

CachedFile* OpenCachedFile(const char* path, int cacheFlag, int reserved, int backgroundFlag) {
    (void)reserved;
    if (strnlen(path, sizeof(CachedFile::path)) == sizeof(CachedFile::path)) return nullptr;
    CachedFile* file = static_cast<CachedFile*>(TrackedAllocZeroed(sizeof(CachedFile), __FILE__, __LINE__));
    if (file == nullptr) return nullptr;
    file->cacheFlag = cacheFlag ? 1 : 0;
    file->backgroundFlag = backgroundFlag ? 1 : 0;
    file->usesThread = file->cacheFlag | file->backgroundFlag;
    std::strcpy(file->path, path);
    if (file->usesThread) return OpenThreaded(file);
    file->handle = OpenForReading(path);
    if (file->handle == INVALID_HANDLE_VALUE) {
        TrackedFree(file);
        return nullptr;
    }
    file->size = GetFileSize(file->handle, nullptr);
    return file;
}

int CloseCachedFile(CachedFile* file) {
    if (file == nullptr) return -1;
    int result = -1;
    if (!file->usesThread) {
        result = CloseHandle(file->handle) ? 0 : -1;
    } else {
        WaitDone(file);
        PostRequest(file, CACHED_FILE_END);
        WaitDone(file);
        WaitThreadExit(file);
        FreeThreadParts(file);
    }
    TrackedFree(file);
    return result;
}

int64_t TellCachedFile(CachedFile* file) {
    return file->position;
}

int SeekCachedFile(CachedFile* file, int64_t offset, int origin) {
    int64_t base = origin == SEEK_ORIGIN_START     ? 0
                   : origin == SEEK_ORIGIN_CURRENT ? int64_t(file->position)
                   : origin == SEEK_ORIGIN_END     ? int64_t(file->size)
                                                   : 0;
    int64_t target = origin >= SEEK_ORIGIN_START && origin <= SEEK_ORIGIN_END ? base + offset : 0;
    if (target < 0) target = 0;
    if (target > int64_t(file->size)) target = file->size;
    if (!file->usesThread) {
        if (SetFilePointer(file->handle, LONG(target), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            return -1;
    } else {
        WaitDone(file);
        file->seekPosition = uint32_t(target);
        PostRequest(file, CACHED_FILE_SEEK);
    }
    file->position = uint32_t(target);
    file->endFlag = 0;
    return 0;
}

size_t ReadCachedFile(void* buffer, size_t size, size_t count, CachedFile* file) {
    if (size == 0) return 0;
    if (file->position >= file->size) {
        file->endFlag = 1;
        return 0;
    }
    uint64_t left = file->size - file->position;
    if (uint64_t(size) * count > left) count = size_t(left / size);
    if (count == 0) {
        file->endFlag = 1;
        return 0;
    }
    uint32_t bytes = uint32_t(size * count);
    if (!file->usesThread) {
        DWORD got = 0;
        if (!ReadFile(file->handle, buffer, bytes, &got, nullptr)) got = 0;
        file->position += got;
        if (got == 0) file->endFlag = 1;
        return got / size;
    }
    WaitDone(file);
    file->readDestination = static_cast<uint8_t*>(buffer);
    file->readPosition = file->position;
    file->readBytes = bytes;
    PostRequest(file, CACHED_FILE_READ);
    if (file->backgroundFlag) {
        file->position += bytes;
        return count;
    }
    WaitDone(file);
    uint32_t got = file->readBytes;
    file->position += got;
    if (got == 0) file->endFlag = 1;
    return got / size;
}

int EofCachedFile(CachedFile* file) {
    return file->endFlag ? -1 : 0;
}

void WaitCachedFileIdle(CachedFile* file) {
    if (file->usesThread) WaitDone(file);
}

int IsCachedFileIdle(CachedFile* file) {
    if (!file->usesThread) return 1;
    return WaitForSingleObject(file->doneEvent, 0) == WAIT_OBJECT_0 ? 1 : 0;
}
