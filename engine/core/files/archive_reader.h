// The reader of one archive: opened streamed from disk, whole into memory, or over an image the caller
// holds; walking its directories, looking up, opening, reading and seeking its files, and searching its
// directories with wildcards. Every table offset, name length, data range and packed block is checked
// against the archive before use: a corrupt archive fails the open or the read, never reads or writes
// out of bounds.
#pragma once

#include <cstdint>

#include "engine/core/files/archive_format.h"
#include "engine/core/files/cached_file.h"
#include "engine/core/files/file_access.h"

constexpr int kArchivePathSize = 1024;
constexpr int kArchiveSearchNameSize = 1024;

struct OpenArchive {
    ArchiveHeader header;
    uint32_t charsetCode;
    CachedFile* file;     // streamed mode; its members read through it too
    uint8_t* image;       // memory and whole-file modes
    uint8_t* tableBlock;  // the name table starts here
    uint32_t currentDir;  // offset of the current ArchiveDirEntry in the directory table
    char path[kArchivePathSize];
    uint8_t key[kArchiveKeySize];
    uint32_t inMemory;
    uint32_t callerImage;
    uint32_t imageSize;
    uint32_t archiveSize;  // bytes of the whole archive
    uint32_t loading;      // whole-file mode while the image is still being read
    uint32_t loadFailed;   // the whole-file read came back short
    CachedFile* loadFile;
};

// One path component as looked up: upper-cased, zero-padded to a multiple of 4 bytes.
struct ArchiveSearchName {
    uint8_t name[kArchiveSearchNameSize];
    uint16_t check;   // sum of the name's bytes
    uint16_t length;  // in 4-byte units
};

enum ArchivePendingRead { ARCHIVE_READ_NONE = 0, ARCHIVE_READ_PACKED = 1, ARCHIVE_READ_PLAIN = 2 };

struct ArchiveFileState {
    OpenArchive* archive;
    ArchiveFileEntry entry;
    uint8_t* unpacked;  // packed files
    uint8_t* packed;    // while a background read of the packed block runs
    CachedFile* file;   // streamed mode, read in the background: own handle for the reading thread
    uint32_t endFlag;
    uint32_t position;
    uint32_t background;
    uint32_t pending;  // ArchivePendingRead
    uint32_t pendingPosition;
    uint8_t* pendingDestination;
    uint32_t pendingSize;
    uint64_t pendingKeyPosition;
    uint32_t failed;  // a background read came back short or corrupt
};

struct ArchiveSearchRecord {
    OpenArchive* archive;
    char pattern[kFilePathLimit];  // upper-cased
    uint32_t dir;                  // searched directory
    uint32_t nextIndex;            // 0 ".", then ".." outside the root, then the entries
};

// Opens. The record must be all zero before (ClearArchiveRecord). 0, or -1 with everything undone.
void ClearArchiveRecord(OpenArchive* archive);
int OpenArchiveStreamed(OpenArchive* archive, const char* path, const char* keyString);
int OpenArchiveIntoMemory(OpenArchive* archive, const char* path, const char* keyString, int returnAtOnce);
// Descrambles the caller's image in place; on failure the image is left as it was.
int OpenArchiveFromMemory(OpenArchive* archive, void* image, uint32_t size, const char* keyString);
// 1 when the whole-file image is loaded (or nothing is pending), 0 while it is read, -1 when it failed.
int PollArchiveLoad(OpenArchive* archive);
// Waits (sleeping 0 ms) until PollArchiveLoad gives 1 (true) or -1 (false).
bool WaitArchiveLoad(OpenArchive* archive);
// A caller's image is scrambled back exactly as it was found. Returns 0.
int CloseArchive(OpenArchive* archive);
int CloseArchiveRecord(OpenArchive* archive);
void* GetArchiveMemoryImage(OpenArchive* archive);
// position from the start of the archive, size unpacked. 0, or -1 when absent.
int GetArchiveFileLocation(OpenArchive* archive, const char* path, uint32_t* position, uint32_t* size);

// Directories and names.
int EnterArchiveDirectory(OpenArchive* archive, const ArchiveSearchName* name);
int ChangeArchiveDirectory(OpenArchive* archive, const char* path, int restore, ArchiveSearchName* outName);
// The entry of a file (never of a directory); the current directory is unchanged. 0, or -1.
int FindArchiveFileEntry(const char* path, OpenArchive* archive, ArchiveFileEntry* out);
// Bytes of the component consumed, or -1 when it does not fit a search name.
int PrepareArchiveSearchName(const char* component, int charset, ArchiveSearchName* out);
// outName and outFolder hold kFilePathLimit bytes. 0, or -1 when a part does not fit.
int SplitDirAndFileName(int charset, char* outName, char* outFolder, const char* path);
// 0 when name matches pattern ('?' one byte, '*' a run, no backtracking), else -1.
int MatchWildcard(const char* name, const char* pattern, int charset);

// Files inside the archive.
int OpenArchiveFile(ArchiveFileState* state, OpenArchive* archive, const char* path, int background);
int CloseArchiveFile(ArchiveFileState* state);
// Bytes read (0 at the end, end flag set), or -1 when the stored bytes are corrupt or unreadable.
int64_t ReadArchiveFile(ArchiveFileState* state, void* buffer, uint32_t bytes);
int SeekArchiveFile(ArchiveFileState* state, int64_t offset, int origin);
int64_t TellArchiveFile(ArchiveFileState* state);
int EofArchiveFile(ArchiveFileState* state);  // -1 at the end, else 0
int PollArchiveFileRead(ArchiveFileState* state);

// Searches. The record is allocated here; null when nothing matches.
ArchiveSearchRecord* ArchiveFindFirstEntry(OpenArchive* archive, const char* pattern, FindFileRecord* out);
// Reports the first match from the record's index and leaves the index on it. 0, or -1.
int ArchiveFindNextEntry(ArchiveSearchRecord* record, FindFileRecord* out);
void FreeArchiveSearchRecord(ArchiveSearchRecord* record);

// Reads size bytes at the archive position through file and descrambles them at keyPosition. 0, or -1.
int ReadArchiveBytes(OpenArchive* archive, CachedFile* file, void* buffer, uint32_t position, uint32_t size,
                     uint64_t keyPosition);
