// Wildcard searches of an archive's directories.
#include <cstring>

#include "engine/core/files/archive_reader.h"
#include "engine/core/files/archive_tables.h"
#include "engine/core/files/find_file_time.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/tracked_allocator.h"

namespace {

void UpperAscii(char* text, int charset) {
    for (int i = 0; text[i] != 0; ++i) {
        if (IsLeadByte(uint8_t(text[i]), charset) && text[i + 1] != 0)
            ++i;
        else if (text[i] >= 'a' && text[i] <= 'z')
            text[i] = char(text[i] - 'a' + 'A');
    }
}

void ReportPseudoEntry(const char* name, FindFileRecord* out) {
    std::memset(out, 0, sizeof(*out));
    std::strcpy(out->name, name);
    out->isDirectory = 1;
}

void ReportEntry(const ArchiveFileEntry& entry, const ArchiveName& name, FindFileRecord* out) {
    std::memset(out, 0, sizeof(*out));
    size_t length = strnlen(name.written, sizeof(out->name) - 1);
    std::memcpy(out->name, name.written, length);
    out->isDirectory = (entry.attributes & kArchiveDirectoryAttribute) ? 1 : 0;
    out->sizeLow = entry.size;
    FileTimeToFindTime(entry.creationTime, out->creationTime);
    FileTimeToFindTime(entry.lastWriteTime, out->lastWriteTime);
}

// The upper-cased name as a string; false when it does not fit (such a name never matches).
bool UpperNameText(const ArchiveName& name, char* out, size_t capacity) {
    size_t bytes = size_t(name.length) * 4;
    size_t length = 0;
    while (length < bytes && name.upper[length] != 0) ++length;
    if (length >= capacity) return false;
    std::memcpy(out, name.upper, length);
    out[length] = 0;
    return true;
}

}  // namespace

ArchiveSearchRecord* ArchiveFindFirstEntry(OpenArchive* archive, const char* pattern, FindFileRecord* out) {
    if (!WaitArchiveLoad(archive)) return nullptr;
    char folder[kFilePathLimit];
    ArchiveSearchRecord* record = static_cast<ArchiveSearchRecord*>(
        TrackedAllocZeroed(sizeof(ArchiveSearchRecord), __FILE__, __LINE__));
    if (record == nullptr) return nullptr;
    record->archive = archive;
    if (SplitDirAndFileName(archive->charsetCode, record->pattern, folder, pattern) != 0) {
        TrackedFree(record);
        return nullptr;
    }
    UpperAscii(record->pattern, archive->charsetCode);
    UpperAscii(folder, archive->charsetCode);
    uint32_t before = archive->currentDir;
    if (folder[0] != 0 && ChangeArchiveDirectory(archive, folder, 1, nullptr) != 0) {
        TrackedFree(record);
        return nullptr;
    }
    record->dir = archive->currentDir;
    archive->currentDir = before;
    FindFileRecord local;
    if (ArchiveFindNextEntry(record, out != nullptr ? out : &local) != 0) {
        TrackedFree(record);
        return nullptr;
    }
    ++record->nextIndex;
    return record;
}

int ArchiveFindNextEntry(ArchiveSearchRecord* record, FindFileRecord* out) {
    OpenArchive* archive = record->archive;
    ArchiveDirEntry dir;
    if (!WaitArchiveLoad(archive) || !GetArchiveDirEntry(archive, record->dir, &dir)) return -1;
    uint32_t pseudoCount = record->dir == 0 ? 1 : 2;
    for (uint32_t index = record->nextIndex;; ++index) {
        if (index < pseudoCount) {
            const char* name = index == 0 ? "." : "..";
            if (MatchWildcard(name, record->pattern, archive->charsetCode) != 0) continue;
            record->nextIndex = index;
            ReportPseudoEntry(name, out);
            return 0;
        }
        ArchiveFileEntry entry;
        ArchiveName name;
        if (!GetArchiveDirChild(archive, dir, index - pseudoCount, &entry) ||
            !GetArchiveName(archive, entry.nameOffset, &name))
            return -1;
        char upper[kArchiveSearchNameSize];
        if (!UpperNameText(name, upper, sizeof(upper)) ||
            MatchWildcard(upper, record->pattern, archive->charsetCode) != 0)
            continue;
        record->nextIndex = index;
        ReportEntry(entry, name, out);
        return 0;
    }
}

void FreeArchiveSearchRecord(ArchiveSearchRecord* record) {
    TrackedFree(record);
}
