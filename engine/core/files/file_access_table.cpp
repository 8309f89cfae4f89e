// The table of file functions every file of the library is read through, its jump functions, and the
// two stream-function sets. All of them hold valid functions from the start.
#include "engine/core/files/archive_file_set.h"
#include "engine/core/files/file_access.h"

namespace {

constinit FileAccessTable g_fileTable = {
    OpenFileThroughArchives,  CloseFileThroughArchives,     TellFileThroughArchives,
    SeekFileThroughArchives,  ReadFileThroughArchives,      EofFileThroughArchives,
    IdleFileThroughArchives,  SetCurrentDirThroughArchives, GetCurrentDirThroughArchives,
    FindFirstThroughArchives, FindNextThroughArchives,      FindCloseThroughArchives,
};

constinit StreamFunctions g_fileStreamFunctions = {CallFileTell, CallFileSeek, CallFileRead,
                                                   CallFileEof,  CallFileIdle, CallFileClose};

constinit StreamFunctions g_memoryStreamFunctions = {TellMemoryStream, SeekMemoryStream,   ReadMemoryStream,
                                                     EofMemoryStream,  IsMemoryStreamIdle, CloseMemoryStream};

}  // namespace

// A slot left empty in a replacement table keeps the archive-aware function, so that every slot can
// always be called.
int SetFileFunctionTable(const FileAccessTable* table) {
    const FileAccessTable& fallback = *GetArchiveFileFunctionTable();
    g_fileTable = table != nullptr ? *table : fallback;
    FileAccessTable& t = g_fileTable;
    if (!t.open) t.open = fallback.open;
    if (!t.close) t.close = fallback.close;
    if (!t.tell) t.tell = fallback.tell;
    if (!t.seek) t.seek = fallback.seek;
    if (!t.read) t.read = fallback.read;
    if (!t.eof) t.eof = fallback.eof;
    if (!t.idle) t.idle = fallback.idle;
    if (!t.setCurrentDir) t.setCurrentDir = fallback.setCurrentDir;
    if (!t.getCurrentDir) t.getCurrentDir = fallback.getCurrentDir;
    if (!t.findFirst) t.findFirst = fallback.findFirst;
    if (!t.findNext) t.findNext = fallback.findNext;
    if (!t.findClose) t.findClose = fallback.findClose;
    return 0;
}

FileAccessTable* GetFileFunctionTable() {
    return &g_fileTable;
}
StreamFunctions* GetFileStreamFunctions() {
    return &g_fileStreamFunctions;
}
StreamFunctions* GetMemoryStreamFunctions() {
    return &g_memoryStreamFunctions;
}

void ResetStreamFunctionSets() {
    g_fileStreamFunctions = {CallFileTell, CallFileSeek, CallFileRead,
                             CallFileEof,  CallFileIdle, CallFileClose};
    g_memoryStreamFunctions = {TellMemoryStream, SeekMemoryStream,   ReadMemoryStream,
                               EofMemoryStream,  IsMemoryStreamIdle, CloseMemoryStream};
}

uintptr_t CallFileOpen(const char* path, int cacheFlag, int reserved, int backgroundFlag) {
    return g_fileTable.open(path, cacheFlag, reserved, backgroundFlag);
}
int CallFileClose(uintptr_t file) {
    return g_fileTable.close(file);
}
int64_t CallFileTell(uintptr_t file) {
    return g_fileTable.tell(file);
}
int CallFileSeek(uintptr_t file, int64_t offset, int origin) {
    return g_fileTable.seek(file, offset, origin);
}
size_t CallFileRead(void* buffer, size_t size, size_t count, uintptr_t file) {
    return g_fileTable.read(buffer, size, count, file);
}
int CallFileEof(uintptr_t file) {
    return g_fileTable.eof(file);
}
int CallFileIdle(uintptr_t file) {
    return g_fileTable.idle(file);
}
int CallFileSetCurrentDir(const char* path) {
    return g_fileTable.setCurrentDir(path);
}
int CallFileGetCurrentDir(char* buffer) {
    return g_fileTable.getCurrentDir(buffer);
}
