// File handles (handle type 17): the game's data files, opened and read synchronously or as
// asynchronous-loading jobs, and the file functions the game calls on them.
#include "engine/core/files/file_access.h"
#include "engine/core/files/file_reading.h"
#include "engine/core/files/full_path.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/tracked_allocator.h"

namespace {

constexpr int kFileHandleLimit = 32768;

struct FileHandleData {
    HandleHeader header;
    uintptr_t file;          // 0 when none
    int32_t lastReadResult;  // byte count of the last asynchronous read, or -1
};

bool g_fileHandleTypeStarted = false;

int OnFileHandleDelete(HandleHeader* data) {
    FileHandleData* record = reinterpret_cast<FileHandleData*>(data);
    if (record->file != 0) {
        CallFileClose(record->file);
        record->file = 0;
    }
    return 0;
}

// The data of a valid file handle; outside a job, a handle with a pending job counts as invalid.
FileHandleData* FileHandle(int handle, bool fromJob) {
    FileHandleData* record = static_cast<FileHandleData*>(GetTypedHandleData(handle, kHandleTypeFile));
    if (record == nullptr || (!fromJob && IsHandleLoading(handle) != 0)) return nullptr;
    return record;
}

uintptr_t HandleFile(int handle) {
    FileHandleData* record = FileHandle(handle, false);
    return record != nullptr ? record->file : 0;
}

int OpenFileForHandle(int handle, const char* path, int backgroundFlag, bool fromJob) {
    FileHandleData* record = FileHandle(handle, fromJob);
    if (record == nullptr) return -1;
    record->file = CallFileOpen(path, 0, 1, backgroundFlag != 0 ? 1 : 0);
    return record->file != 0 ? 0 : -1;
}

int ReadFileHandleCore(int handle, void* buffer, int size, bool fromJob) {
    FileHandleData* record = FileHandle(handle, fromJob);
    if (record == nullptr || record->file == 0 || size < 0) return -1;
    return int(CallFileRead(buffer, 1, size_t(size), record->file));
}

void OpenFileHandleJob(AsyncLoadRequest* request) {
    const unsigned char* arguments = AsyncLoadArguments(request);
    int offset = 0;
    int handle = int(UnpackAsyncArgInt(arguments, &offset));
    const char* path = UnpackAsyncArgString(arguments, &offset);
    int backgroundFlag = int(UnpackAsyncArgInt(arguments, &offset));
    int result = path != nullptr ? OpenFileForHandle(handle, path, backgroundFlag, true) : -1;
    FinishHandleLoadJob(handle, result);
}

void ReadFileHandleJob(AsyncLoadRequest* request) {
    const unsigned char* arguments = AsyncLoadArguments(request);
    int offset = 0;
    int handle = int(UnpackAsyncArgInt(arguments, &offset));
    void* buffer = reinterpret_cast<void*>(UnpackAsyncArgPointer(arguments, &offset));
    int size = int(UnpackAsyncArgInt(arguments, &offset));
    FileHandleData* record = FileHandle(handle, true);
    if (record != nullptr) record->lastReadResult = ReadFileHandleCore(handle, buffer, size, true);
    DropHandleLoadJob(handle);
}

bool QueueHandleJob(int handle, AsyncLoadRequest* request, AsyncLoadJob job) {
    return QueueHandleLoadJob(handle, request, job) == 0;
}

}  // namespace

int InitFileHandleType() {
    if (g_fileHandleTypeStarted) return -1;
    if (RegisterHandleType(kHandleTypeFile, sizeof(FileHandleData), kFileHandleLimit, NoOpHandleCallback,
                           OnFileHandleDelete, "ファイル") != 0)
        return -1;
    ResetStreamFunctionSets();
    g_fileHandleTypeStarted = true;
    return 0;
}

int EndFileHandleType() {
    if (!g_fileHandleTypeStarted) return -1;
    EndHandleType(kHandleTypeFile);
    g_fileHandleTypeStarted = false;
    return 0;
}

int OpenFileHandleCore(const char* path, int backgroundFlag, int asynchronous) {
    if (!g_fileHandleTypeStarted) InitFileHandleType();
    int handle = AddHandle(kHandleTypeFile, -1);
    if (handle == -1) return -1;
    if (!asynchronous) {
        if (OpenFileForHandle(handle, path, backgroundFlag, false) == 0) return handle;
        DeleteHandle(handle);
        return 0;
    }
    char fullPath[kFilePathLimit];
    int size = 0;
    AsyncLoadRequest* request = nullptr;
    if (ConvertToFullPath(path, fullPath, nullptr) == 0) {
        PackAsyncArgInt(nullptr, &size, uint32_t(handle));
        PackAsyncArgString(nullptr, &size, fullPath);
        PackAsyncArgInt(nullptr, &size, uint32_t(backgroundFlag));
        request = AllocAsyncLoadRequest(size);
    }
    if (request != nullptr) {
        unsigned char* arguments = AsyncLoadArguments(request);
        int offset = 0;
        PackAsyncArgInt(arguments, &offset, uint32_t(handle));
        PackAsyncArgString(arguments, &offset, fullPath);
        PackAsyncArgInt(arguments, &offset, uint32_t(backgroundFlag));
    }
    if (!QueueHandleJob(handle, request, OpenFileHandleJob)) {
        DeleteHandle(handle);
        return 0;
    }
    return handle;
}

int ReadFileHandleSyncOrAsync(int handle, void* buffer, int size, int asynchronous) {
    if (FileHandle(handle, false) == nullptr) return -1;
    if (!asynchronous) return ReadFileHandleCore(handle, buffer, size, false);
    int length = 0;
    PackAsyncArgInt(nullptr, &length, uint32_t(handle));
    PackAsyncArgPointer(nullptr, &length, reinterpret_cast<uintptr_t>(buffer));
    PackAsyncArgInt(nullptr, &length, uint32_t(size));
    AsyncLoadRequest* request = AllocAsyncLoadRequest(length);
    if (request != nullptr) {
        unsigned char* arguments = AsyncLoadArguments(request);
        int offset = 0;
        PackAsyncArgInt(arguments, &offset, uint32_t(handle));
        PackAsyncArgPointer(arguments, &offset, reinterpret_cast<uintptr_t>(buffer));
        PackAsyncArgInt(arguments, &offset, uint32_t(size));
    }
    return QueueHandleJob(handle, request, ReadFileHandleJob) ? 0 : -1;
}

int CloseFileHandle(int handle) {
    return DeleteHandle(handle);
}

int IsFileHandleAtEnd(int handle) {
    uintptr_t file = HandleFile(handle);
    return file != 0 ? IsFileAtEndPosition(file) : -1;
}

int ReadFileHandleLine(char* buffer, int size, int handle) {
    uintptr_t file = HandleFile(handle);
    return file != 0 ? ReadLineFromFile(buffer, size, file) : -1;
}

int ReadFileHandleChar(int handle) {
    uintptr_t file = HandleFile(handle);
    return file != 0 ? ReadCharFromFile(file) : 0;
}
