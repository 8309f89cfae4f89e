// The library's file layer: the table of twelve replaceable file functions through which every file is
// read, the jump functions over it, the two stream-function sets (over an open file, over a block of
// memory) handed to loaders as a StreamDescriptor, the file handles the game opens its data with, and
// full-path conversion.
//
// A "file" is the value the table's open function returns (0 = none); a "search handle" is the value of
// its find-first function (-1 = none). Both are pointer-sized here, since the plain set hands out
// record addresses.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest path the path builders produce, terminating zero included.
constexpr int kFilePathLimit = 260;

// One match of a directory search (find first / find next of every set).
struct FindFileRecord {
    char name[260];        // as written in the folder or archive, zero-terminated
    uint32_t isDirectory;  // 1 for a folder
    uint32_t sizeLow;
    uint32_t sizeHigh;
    int32_t creationTime[6];   // year, month, day, hour, minute, second (local time)
    int32_t lastWriteTime[6];  // the same
};

// Seek origins of every seek function.
enum SeekOrigin { SEEK_ORIGIN_START = 0, SEEK_ORIGIN_CURRENT = 1, SEEK_ORIGIN_END = 2 };

struct FileAccessTable {
    // cacheFlag 1 = read-ahead cache; reserved: callers pass 1; backgroundFlag 1 = reads run in the
    // background. Returns the file, or 0.
    uintptr_t (*open)(const char* path, int cacheFlag, int reserved, int backgroundFlag);
    int (*close)(uintptr_t file);                                             // 0, or -1
    int64_t (*tell)(uintptr_t file);                                          // the position, -1 for no file
    int (*seek)(uintptr_t file, int64_t offset, int origin);                  // 0, or -1
    size_t (*read)(void* buffer, size_t size, size_t count, uintptr_t file);  // whole elements read
    int (*eof)(uintptr_t file);   // nonzero once a read met the end
    int (*idle)(uintptr_t file);  // 1 when no background read is pending
    int (*setCurrentDir)(const char* path);
    int (*getCurrentDir)(char* buffer);                               // buffer of kFilePathLimit bytes
    intptr_t (*findFirst)(const char* pattern, FindFileRecord* out);  // search handle, or -1
    int (*findNext)(intptr_t search, FindFileRecord* out);            // 0, or -1 when nothing is left
    int (*findClose)(intptr_t search);                                // 0, or -1
};

// The six stream operations over one source (a file of the table, or a MemoryStream).
struct StreamFunctions {
    int64_t (*tell)(uintptr_t source);
    int (*seek)(uintptr_t source, int64_t offset, int origin);
    size_t (*read)(void* buffer, size_t size, size_t count, uintptr_t source);
    int (*eof)(uintptr_t source);
    int (*idle)(uintptr_t source);
    int (*close)(uintptr_t source);
};

struct StreamDescriptor {
    StreamFunctions functions;
    uintptr_t source;
};

// A read-only stream over memory the caller keeps.
struct MemoryStream {
    const uint8_t* data;
    uint32_t size;
    uint32_t position;  // 0..size
    uint32_t endFlag;   // 1 after a read found nothing left; cleared by seeks and reads that return data
};

// Table and jump functions. A null table installs the archive-aware set. Returns 0.
int SetFileFunctionTable(const FileAccessTable* table);
FileAccessTable* GetFileFunctionTable();
StreamFunctions* GetFileStreamFunctions();
StreamFunctions* GetMemoryStreamFunctions();
// Fills both stream sets again (file handle type start).
void ResetStreamFunctionSets();

uintptr_t CallFileOpen(const char* path, int cacheFlag, int reserved, int backgroundFlag);
int CallFileClose(uintptr_t file);
int64_t CallFileTell(uintptr_t file);
int CallFileSeek(uintptr_t file, int64_t offset, int origin);
size_t CallFileRead(void* buffer, size_t size, size_t count, uintptr_t file);
int CallFileEof(uintptr_t file);
int CallFileIdle(uintptr_t file);
int CallFileSetCurrentDir(const char* path);
int CallFileGetCurrentDir(char* buffer);

// Memory streams. The source value of a stream is its MemoryStream address; 0 when memory runs out.
uintptr_t OpenMemoryStream(const void* data, uint32_t size);
int CloseMemoryStream(uintptr_t stream);
int64_t TellMemoryStream(uintptr_t stream);
int SeekMemoryStream(uintptr_t stream, int64_t offset, int origin);
size_t ReadMemoryStream(void* buffer, size_t size, size_t count, uintptr_t stream);
int EofMemoryStream(uintptr_t stream);
int IsMemoryStreamIdle(uintptr_t stream);

// Makes path absolute against base (null: the current folder of the file table). Writes at most
// kFilePathLimit bytes to out; returns 0, or -1 (out empty) when the result would not fit.
int ConvertToFullPath(const char* path, char* out, const char* base);
int ConvertToFullPathPublic(const char* path, char* out, const char* base);

// File handles (handle type 17).
int InitFileHandleType();
// Deletes every file handle and ends the type (library end); -1 when it is not started.
int EndFileHandleType();
int OpenFileHandle(const char* path, int backgroundFlag);  // handle, 0 when not opened, -1
int OpenFileHandleCore(const char* path, int backgroundFlag, int asynchronous);
int ReadFileHandle(void* buffer, int size, int handle);  // bytes read, or -1
int ReadFileHandleSyncOrAsync(int handle, void* buffer, int size, int asynchronous);
int CloseFileHandle(int handle);
int64_t GetFileSizeByPath(const char* path);                 // -1 when the file does not open
int IsFileHandleAtEnd(int handle);                           // 1, 0, or -1 for an invalid handle
int ReadFileHandleLine(char* buffer, int size, int handle);  // line length, -1 at the end
int ReadFileHandleChar(int handle);  // next byte as signed 8 bits, -1 at the end, 0 for a bad handle
