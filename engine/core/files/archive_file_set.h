// The default set of file functions: a folder dir is read from the archive dir.TVA when that archive
// exists (dir\sub\a.png is the entry sub\a.png of dir.TVA), from the disk otherwise. Keeps the table of
// open archives with their reference counts, a one-entry cache of the last archive found on a path, the
// memory of archive paths found missing (archive_absence.h),
// and the table of open files.
#pragma once

#include <cstdint>

#include "engine/core/files/archive_reader.h"
#include "engine/core/files/cached_file.h"
#include "engine/core/files/file_access.h"

constexpr int kArchiveTableSize = 4096;
constexpr int kOpenFileTableSize = 32768;
constexpr int kArchiveTablePathSize = 256;
constexpr uintptr_t kOpenFileTag = 0xF0000000;

struct ArchiveTableEntry {
    uint32_t referenceCount;
    OpenArchive archive;
    char path[kArchiveTablePathSize];  // upper-cased absolute path of the archive file
};

enum OpenFileKind { OPEN_FILE_PLAIN = 0, OPEN_FILE_IN_ARCHIVE = 1 };

struct OpenFileRecord {
    uint32_t kind;
    CachedFile* file;
    uint32_t archiveIndex;
    ArchiveFileState state;
};

struct ArchiveFindHandle {
    uint32_t kind;
    uint32_t archiveIndex;
    intptr_t plainSearch;
    ArchiveSearchRecord* record;
};

// The last archive found on a path: its path, the length of the folder part it stands for (0 = empty)
// and its table index.
struct ArchivePathCache {
    char archivePath[kArchiveTablePathSize];
    int folderLength;
    int index;
};

int InitArchiveLayer();  // -1 when started already
int EndArchiveLayer();   // -1 when not started
// Mode 1 reads the whole archive into memory, 0 opens it streamed. The index, or -1.
int AddArchiveToTable(int indexHint, const char* path, int mode, int returnAtOnce);
void CloseUnusedArchives();
// outArchivePath holds kArchiveTablePathSize bytes, outRest kFilePathLimit. 0, or -1 when no archive
// lies on the path.
int FindArchiveOnPath(const char* path, int* outIndex, char* outArchivePath, char* outRest);
// The path made absolute against the process's current folder, upper-cased. 0, or -1 when too long.
int MakeAbsolutePath(const char* path, char* out);

const ArchiveTableEntry* GetArchiveTableEntry(int index);
const ArchivePathCache* GetArchivePathCache();

uintptr_t OpenFileThroughArchives(const char* path, int cacheFlag, int reserved, int backgroundFlag);
int CloseFileThroughArchives(uintptr_t file);
int64_t TellFileThroughArchives(uintptr_t file);
int SeekFileThroughArchives(uintptr_t file, int64_t offset, int origin);
size_t ReadFileThroughArchives(void* buffer, size_t size, size_t count, uintptr_t file);
int EofFileThroughArchives(uintptr_t file);
int IdleFileThroughArchives(uintptr_t file);
int SetCurrentDirThroughArchives(const char* path);
int GetCurrentDirThroughArchives(char* buffer);
intptr_t FindFirstThroughArchives(const char* pattern, FindFileRecord* out);
int FindNextThroughArchives(intptr_t search, FindFileRecord* out);
int FindCloseThroughArchives(intptr_t search);
const FileAccessTable* GetArchiveFileFunctionTable();
