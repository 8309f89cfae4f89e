#include "engine/core/files/archive_file_set.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "engine/core/files/archive_absence.h"
#include "engine/core/files/full_path.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/kernel32.h"

namespace {

struct ArchiveLayer {
    ArchiveTableEntry* archives[kArchiveTableSize];
    int archiveCount;
    OpenFileRecord* files[kOpenFileTableSize];
    int fileCount;
    CRITICAL_SECTION lock;
    std::atomic<bool> started;  // set once the lock is initialised
    ArchivePathCache cache;
};

ArchiveLayer g_layer;
// Serialises starting and ending the layer: the first opens may come from several loader threads at once.
std::mutex g_startMutex;

constexpr FileAccessTable kArchiveSet = {
    OpenFileThroughArchives,  CloseFileThroughArchives,     TellFileThroughArchives,
    SeekFileThroughArchives,  ReadFileThroughArchives,      EofFileThroughArchives,
    IdleFileThroughArchives,  SetCurrentDirThroughArchives, GetCurrentDirThroughArchives,
    FindFirstThroughArchives, FindNextThroughArchives,      FindCloseThroughArchives,
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

void ReleaseArchive(uint32_t index) {
    ArchiveTableEntry* entry = g_layer.archives[index];
    if (entry != nullptr && entry->referenceCount > 0) --entry->referenceCount;
}

OpenFileRecord* FileRecord(uintptr_t file) {
    uintptr_t index = file & ~kOpenFileTag;
    if ((file & kOpenFileTag) != kOpenFileTag || index >= uintptr_t(kOpenFileTableSize)) return nullptr;
    return g_layer.files[index];
}

// Under g_startMutex.
void StartLayer() {
    InitializeCriticalSection(&g_layer.lock);
    g_layer.started.store(true, std::memory_order_release);
    CloseUnusedArchives();
}

void EnsureLayerStarted() {
    if (g_layer.started.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> guard(g_startMutex);
    if (!g_layer.started.load(std::memory_order_relaxed)) StartLayer();
}

// The table's entry of an open archive of this path with one more reference, or -1.
int ReferenceArchiveInTable(const char* path) {
    for (int i = 0; i < kArchiveTableSize; ++i) {
        ArchiveTableEntry* entry = g_layer.archives[i];
        if (entry != nullptr && std::strcmp(entry->path, path) == 0) {
            ++entry->referenceCount;
            return i;
        }
    }
    return -1;
}

// Whether the folder of the first `folderLength` bytes of `path` holds no archive at all: one listing
// of it, remembered as the absence of its pattern "folder\*.TVA", answers for every folder inside it.
bool FolderHoldsNoArchive(const char* path, int folderLength) {
    char pattern[kArchiveTablePathSize];
    if (folderLength <= 0 || folderLength + 7 >= kArchiveTablePathSize) return false;
    std::memcpy(pattern, path, size_t(folderLength));
    std::strcpy(pattern + folderLength, "\\*.TVA");
    uint64_t seen;
    if (IsArchiveKnownMissing(pattern, &seen)) return true;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return false;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    NoteArchiveMissing(pattern, seen);
    return true;
}

// Tries the archives named after the leading folders of an absolute path, shortest first.
int ScanFoldersForArchive(const char* path, int* outIndex, int* outFolderLength, char* outArchivePath) {
    int i = (IsSeparator(path[0]) && path[1] == path[0]) ? 2 : 0;
    int componentStart = i;
    for (; path[i] != 0; ++i) {
        if (IsLeadByte(uint8_t(path[i])) && path[i + 1] != 0) {
            ++i;
            continue;
        }
        if (!IsSeparator(path[i])) continue;
        if (i == componentStart) return -1;
        const int folderLength = componentStart - 1;
        componentStart = i + 1;
        if (i + 4 >= kArchiveTablePathSize) return -1;
        std::memcpy(outArchivePath, path, size_t(i));
        std::strcpy(outArchivePath + i, ".TVA");
        uint64_t seen;
        if (IsArchiveKnownMissing(outArchivePath, &seen) || FolderHoldsNoArchive(path, folderLength))
            continue;
        // An archive not yet open is looked for once before it is opened: most folders have none, and
        // only absence is remembered (a full table or a damaged archive is tried again next time).
        int index = ReferenceArchiveInTable(outArchivePath);
        if (index < 0) {
            if (GetFileAttributesA(outArchivePath) == INVALID_FILE_ATTRIBUTES) {
                NoteArchiveMissing(outArchivePath, seen);
                continue;
            }
            index = AddArchiveToTable(-1, outArchivePath, 0, 0);
        }
        if (index >= 0) {
            *outIndex = index;
            *outFolderLength = i;
            return 0;
        }
    }
    return -1;
}

int CopyRest(const char* rest, char* out) {
    if (out == nullptr) return 0;
    if (strnlen(rest, kFilePathLimit) == size_t(kFilePathLimit)) return -1;
    std::strcpy(out, rest);
    return 0;
}

}  // namespace

const FileAccessTable* GetArchiveFileFunctionTable() {
    return &kArchiveSet;
}
const ArchiveTableEntry* GetArchiveTableEntry(int index) {
    return index >= 0 && index < kArchiveTableSize ? g_layer.archives[index] : nullptr;
}
const ArchivePathCache* GetArchivePathCache() {
    return &g_layer.cache;
}

int InitArchiveLayer() {
    std::lock_guard<std::mutex> guard(g_startMutex);
    if (g_layer.started.load(std::memory_order_relaxed)) return -1;
    StartLayer();
    return 0;
}

int EndArchiveLayer() {
    std::lock_guard<std::mutex> guard(g_startMutex);
    if (!g_layer.started.load(std::memory_order_relaxed)) return -1;
    CloseUnusedArchives();
    DeleteCriticalSection(&g_layer.lock);
    g_layer.started.store(false, std::memory_order_relaxed);
    return 0;
}

void CloseUnusedArchives() {
    for (int i = 0; i < kArchiveTableSize && g_layer.archiveCount > 0; ++i) {
        ArchiveTableEntry* entry = g_layer.archives[i];
        if (entry == nullptr || entry->referenceCount != 0) continue;
        CloseArchive(&entry->archive);
        TrackedFree(entry);
        g_layer.archives[i] = nullptr;
        --g_layer.archiveCount;
    }
}

int AddArchiveToTable(int indexHint, const char* path, int mode, int returnAtOnce) {
    if (strnlen(path, kArchiveTablePathSize) == size_t(kArchiveTablePathSize)) return -1;
    if (indexHint >= 0 && indexHint < kArchiveTableSize && g_layer.archives[indexHint] != nullptr &&
        std::strcmp(g_layer.archives[indexHint]->path, path) == 0) {
        ++g_layer.archives[indexHint]->referenceCount;
        return indexHint;
    }
    const int open = ReferenceArchiveInTable(path);
    if (open >= 0) return open;
    int lastFree = -1;
    for (int i = 0; i < kArchiveTableSize; ++i)
        if (g_layer.archives[i] == nullptr) lastFree = i;
    if (g_layer.archiveCount >= kArchiveTableSize) {
        CloseUnusedArchives();
        if (g_layer.archiveCount >= kArchiveTableSize) return -1;
        for (lastFree = 0; g_layer.archives[lastFree] != nullptr; ++lastFree) {
        }
    }
    ArchiveTableEntry* entry =
        static_cast<ArchiveTableEntry*>(TrackedAllocZeroed(sizeof(ArchiveTableEntry), __FILE__, __LINE__));
    if (entry == nullptr) return -1;
    int opened = mode == 1 ? OpenArchiveIntoMemory(&entry->archive, path, nullptr, returnAtOnce)
                           : OpenArchiveStreamed(&entry->archive, path, nullptr);
    if (opened != 0) {
        TrackedFree(entry);
        return -1;
    }
    NoteArchiveFound(path);
    entry->referenceCount = 1;
    std::strcpy(entry->path, path);
    g_layer.archives[lastFree] = entry;
    ++g_layer.archiveCount;
    return lastFree;
}

int MakeAbsolutePath(const char* path, char* out) {
    char current[kFilePathLimit];
    if (GetCurrentDirectoryA(sizeof(current), current) == 0) current[0] = 0;
    return BuildFullPath(path, current, out, FullPathRules{true, false});
}

int FindArchiveOnPath(const char* path, int* outIndex, char* outArchivePath, char* outRest) {
    char absolute[kFilePathLimit];
    if (MakeAbsolutePath(path, absolute) != 0) return -1;
    ArchivePathCache& cache = g_layer.cache;
    int n = cache.folderLength;
    int index = -1;
    if (n > 0 && std::strncmp(absolute, cache.archivePath, size_t(n)) == 0 && IsSeparator(absolute[n]))
        index = AddArchiveToTable(cache.index, cache.archivePath, 0, 0);
    if (index < 0) {
        char archivePath[kArchiveTablePathSize];
        if (ScanFoldersForArchive(absolute, &index, &n, archivePath) != 0) return -1;
        std::strcpy(cache.archivePath, archivePath);
        cache.folderLength = n;
        cache.index = index;
    }
    if (CopyRest(absolute + n + 1, outRest) != 0) {
        ReleaseArchive(uint32_t(index));
        return -1;
    }
    if (outArchivePath != nullptr) std::strcpy(outArchivePath, cache.archivePath);
    if (outIndex != nullptr) *outIndex = index;
    return 0;
}

uintptr_t OpenFileThroughArchives(const char* path, int cacheFlag, int reserved, int backgroundFlag) {
    (void)reserved;
    EnsureLayerStarted();
    EnterCriticalSection(&g_layer.lock);
    if (g_layer.fileCount >= kOpenFileTableSize) {
        LeaveCriticalSection(&g_layer.lock);
        LogPrintf("同時に開けるファイルの数が限界を超えました\n");
        return 0;
    }
    int slot = 0;
    while (g_layer.files[slot] != nullptr) ++slot;
    OpenFileRecord* record =
        static_cast<OpenFileRecord*>(TrackedAllocZeroed(sizeof(OpenFileRecord), __FILE__, __LINE__));
    if (record == nullptr) {
        LeaveCriticalSection(&g_layer.lock);
        LogPrintf("ファイルの情報を格納するメモリの確保に失敗しました\n");
        return 0;
    }
    int index;
    char rest[kFilePathLimit];
    bool opened;
    if (FindArchiveOnPath(path, &index, nullptr, rest) != 0) {
        record->kind = OPEN_FILE_PLAIN;
        record->file = OpenCachedFile(path, cacheFlag, 1, backgroundFlag);
        opened = record->file != nullptr;
    } else {
        record->kind = OPEN_FILE_IN_ARCHIVE;
        record->archiveIndex = uint32_t(index);
        opened =
            OpenArchiveFile(&record->state, &g_layer.archives[index]->archive, rest, backgroundFlag) == 0;
        if (!opened) ReleaseArchive(uint32_t(index));
    }
    if (!opened) {
        TrackedFree(record);
        LeaveCriticalSection(&g_layer.lock);
        return 0;
    }
    g_layer.files[slot] = record;
    ++g_layer.fileCount;
    LeaveCriticalSection(&g_layer.lock);
    return uintptr_t(slot) | kOpenFileTag;
}

int CloseFileThroughArchives(uintptr_t file) {
    if (!g_layer.started) return -1;
    EnterCriticalSection(&g_layer.lock);
    OpenFileRecord* record = FileRecord(file);
    if (record == nullptr) {
        LeaveCriticalSection(&g_layer.lock);
        return -1;
    }
    if (record->kind == OPEN_FILE_PLAIN) {
        CloseCachedFile(record->file);
    } else {
        CloseArchiveFile(&record->state);
        ReleaseArchive(record->archiveIndex);
    }
    TrackedFree(record);
    g_layer.files[file & ~kOpenFileTag] = nullptr;
    --g_layer.fileCount;
    LeaveCriticalSection(&g_layer.lock);
    return 0;
}

int64_t TellFileThroughArchives(uintptr_t file) {
    OpenFileRecord* r = FileRecord(file);
    if (r == nullptr) return -1;
    return r->kind == OPEN_FILE_PLAIN ? TellCachedFile(r->file) : TellArchiveFile(&r->state);
}

int SeekFileThroughArchives(uintptr_t file, int64_t offset, int origin) {
    OpenFileRecord* r = FileRecord(file);
    if (r == nullptr) return -1;
    return r->kind == OPEN_FILE_PLAIN ? SeekCachedFile(r->file, offset, origin)
                                      : SeekArchiveFile(&r->state, offset, origin);
}

size_t ReadFileThroughArchives(void* buffer, size_t size, size_t count, uintptr_t file) {
    OpenFileRecord* r = FileRecord(file);
    if (r == nullptr || size == 0) return 0;
    if (r->kind == OPEN_FILE_PLAIN) return ReadCachedFile(buffer, size, count, r->file);
    uint64_t bytes = count > UINT32_MAX / size ? UINT32_MAX / size * size : size * count;
    int64_t got = ReadArchiveFile(&r->state, buffer, uint32_t(bytes));
    return got > 0 ? size_t(got) / size : 0;
}

int EofFileThroughArchives(uintptr_t file) {
    OpenFileRecord* r = FileRecord(file);
    if (r == nullptr) return -1;
    return r->kind == OPEN_FILE_PLAIN ? EofCachedFile(r->file) : EofArchiveFile(&r->state);
}

int IdleFileThroughArchives(uintptr_t file) {
    OpenFileRecord* r = FileRecord(file);
    if (r == nullptr) return -1;
    return r->kind == OPEN_FILE_PLAIN ? IsCachedFileIdle(r->file) : PollArchiveFileRead(&r->state);
}

int SetCurrentDirThroughArchives(const char* path) {
    SetCurrentDirectoryA(path);
    return 0;
}

int GetCurrentDirThroughArchives(char* buffer) {
    GetCurrentDirectoryA(kArchiveTablePathSize, buffer);
    return 0;
}

intptr_t FindFirstThroughArchives(const char* pattern, FindFileRecord* out) {
    ArchiveFindHandle* handle =
        static_cast<ArchiveFindHandle*>(TrackedAllocZeroed(sizeof(ArchiveFindHandle), __FILE__, __LINE__));
    if (handle == nullptr) return -1;
    EnsureLayerStarted();
    EnterCriticalSection(&g_layer.lock);
    int index;
    char rest[kFilePathLimit];
    bool found;
    if (FindArchiveOnPath(pattern, &index, nullptr, rest) == 0) {
        handle->kind = OPEN_FILE_IN_ARCHIVE;
        handle->archiveIndex = uint32_t(index);
        handle->record = ArchiveFindFirstEntry(&g_layer.archives[index]->archive, rest, out);
        found = handle->record != nullptr;
        if (!found) ReleaseArchive(uint32_t(index));
    } else {
        handle->kind = OPEN_FILE_PLAIN;
        handle->plainSearch = FindFirstFileDefault(pattern, out);
        found = handle->plainSearch != -1;
    }
    LeaveCriticalSection(&g_layer.lock);
    if (!found) {
        TrackedFree(handle);
        return -1;
    }
    return reinterpret_cast<intptr_t>(handle);
}

int FindNextThroughArchives(intptr_t search, FindFileRecord* out) {
    ArchiveFindHandle* handle = reinterpret_cast<ArchiveFindHandle*>(search);
    if (handle->kind == OPEN_FILE_PLAIN) return FindNextFileDefault(handle->plainSearch, out);
    FindFileRecord local;
    if (ArchiveFindNextEntry(handle->record, out != nullptr ? out : &local) != 0) return -1;
    ++handle->record->nextIndex;
    return 0;
}

int FindCloseThroughArchives(intptr_t search) {
    ArchiveFindHandle* handle = reinterpret_cast<ArchiveFindHandle*>(search);
    if (handle->kind == OPEN_FILE_PLAIN) {
        FindCloseDefault(handle->plainSearch);
    } else {
        FreeArchiveSearchRecord(handle->record);
        EnterCriticalSection(&g_layer.lock);
        ReleaseArchive(handle->archiveIndex);
        LeaveCriticalSection(&g_layer.lock);
    }
    TrackedFree(handle);
    return 0;
}
