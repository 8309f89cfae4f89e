// The plain set of the twelve file functions: CachedFile for the files, the kernel's directory search
// for the find functions; and temporary files for writing.
#include <cstring>

#include "engine/core/files/cached_file.h"
#include "engine/core/files/find_file_time.h"
#include "platform/kernel/kernel32.h"

namespace {

CachedFile* AsCachedFile(uintptr_t file) {
    return reinterpret_cast<CachedFile*>(file);
}

uint64_t FileTimeValue(const FILETIME& t) {
    return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

void ConvertFindData(const WIN32_FIND_DATAA& data, FindFileRecord* out) {
    std::memset(out, 0, sizeof(*out));
    std::memcpy(out->name, data.cFileName, sizeof(out->name) - 1);
    out->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    out->sizeLow = data.nFileSizeLow;
    out->sizeHigh = data.nFileSizeHigh;
    FileTimeToFindTime(FileTimeValue(data.ftCreationTime), out->creationTime);
    FileTimeToFindTime(FileTimeValue(data.ftLastWriteTime), out->lastWriteTime);
}

const FileAccessTable kPlainSet = {
    [](const char* path, int cacheFlag, int reserved, int backgroundFlag) {
        return reinterpret_cast<uintptr_t>(OpenCachedFile(path, cacheFlag, reserved, backgroundFlag));
    },
    [](uintptr_t file) { return CloseCachedFile(AsCachedFile(file)); },
    [](uintptr_t file) { return TellCachedFile(AsCachedFile(file)); },
    [](uintptr_t file, int64_t offset, int origin) {
        return SeekCachedFile(AsCachedFile(file), offset, origin);
    },
    [](void* buffer, size_t size, size_t count, uintptr_t file) {
        return ReadCachedFile(buffer, size, count, AsCachedFile(file));
    },
    [](uintptr_t file) { return EofCachedFile(AsCachedFile(file)); },
    [](uintptr_t file) { return IsCachedFileIdle(AsCachedFile(file)); },
    SetCurrentDirDefault,
    GetCurrentDirDefault,
    FindFirstFileDefault,
    FindNextFileDefault,
    FindCloseDefault,
};

}  // namespace

const FileAccessTable* GetPlainFileFunctionTable() {
    return &kPlainSet;
}

int SetCurrentDirDefault(const char* path) {
    return SetCurrentDirectoryA(path);
}

int GetCurrentDirDefault(char* buffer) {
    return int(GetCurrentDirectoryA(kFilePathLimit, buffer));
}

intptr_t FindFirstFileDefault(const char* pattern, FindFileRecord* out) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return -1;
    if (out != nullptr) ConvertFindData(data, out);
    return reinterpret_cast<intptr_t>(search);
}

int FindNextFileDefault(intptr_t search, FindFileRecord* out) {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(reinterpret_cast<HANDLE>(search), &data)) return -1;
    if (out != nullptr) ConvertFindData(data, out);
    return 0;
}

int FindCloseDefault(intptr_t search) {
    return FindClose(reinterpret_cast<HANDLE>(search)) ? 0 : -1;
}

HANDLE MakeTempWriteFile(char* outPath) {
    char folder[256];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    if (length == 0 || length >= sizeof(folder) - 1) return nullptr;
    if (folder[length - 1] != '\\') std::strcat(folder, "\\");
    char name[kFilePathLimit];
    if (GetTempFileNameA(folder, "tmp", 0, name) == 0) return nullptr;
    char path[kFilePathLimit];
    if (ConvertToFullPath(name, path, nullptr) != 0) return nullptr;
    DeleteFileA(path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (outPath != nullptr) std::strcpy(outPath, path);
    return file;
}
