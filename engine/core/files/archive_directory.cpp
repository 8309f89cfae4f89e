// Walking the directories of an archive and looking files up in them.
#include <cstring>

#include "engine/core/files/archive_reader.h"
#include "engine/core/files/archive_tables.h"
#include "engine/core/helpers/string_helpers.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasSeparator(const char* path, int charset) {
    for (int i = 0; path[i] != 0; ++i) {
        if (IsLeadByte(uint8_t(path[i]), charset) && path[i + 1] != 0)
            ++i;
        else if (IsSeparator(path[i]))
            return true;
    }
    return false;
}

bool NameMatches(const ArchiveName& entryName, const ArchiveSearchName& name) {
    return entryName.length == name.length && entryName.check == name.check &&
           std::memcmp(entryName.upper, name.name, size_t(name.length) * 4) == 0;
}

// The first entry of the directory of the wanted kind whose name matches.
bool FindInDirectory(OpenArchive* archive, uint32_t dirOffset, const ArchiveSearchName& name,
                     bool wantDirectory, ArchiveFileEntry* out) {
    ArchiveDirEntry dir;
    if (!GetArchiveDirEntry(archive, dirOffset, &dir)) return false;
    for (uint32_t i = 0; i < dir.entryCount; ++i) {
        ArchiveFileEntry entry;
        if (!GetArchiveDirChild(archive, dir, i, &entry)) return false;
        bool isDirectory = (entry.attributes & kArchiveDirectoryAttribute) != 0;
        ArchiveName entryName;
        if (isDirectory != wantDirectory || !GetArchiveName(archive, entry.nameOffset, &entryName)) continue;
        if (NameMatches(entryName, name)) {
            *out = entry;
            return true;
        }
    }
    return false;
}

// Walks the components of path from the current directory. Returns 0, or -1 with *failedAt the index
// of the component that failed (its search name in *name).
int WalkArchivePath(OpenArchive* archive, const char* path, ArchiveSearchName* name, int* failedAt) {
    int i = 0;
    if (IsSeparator(path[0])) {
        archive->currentDir = 0;
        i = 1;
    }
    while (path[i] != 0) {
        *failedAt = i;
        int consumed = PrepareArchiveSearchName(path + i, archive->charsetCode, name);
        if (consumed < 0 || EnterArchiveDirectory(archive, name) != 0) return -1;
        i += consumed;
        if (IsSeparator(path[i])) ++i;
    }
    return 0;
}

}  // namespace

int EnterArchiveDirectory(OpenArchive* archive, const ArchiveSearchName* name) {
    ArchiveFileEntry entry;
    ArchiveDirEntry dir;
    if (!FindInDirectory(archive, archive->currentDir, *name, true, &entry) ||
        !GetArchiveDirEntry(archive, entry.dataOffset, &dir))
        return -1;
    archive->currentDir = entry.dataOffset;
    return 0;
}

int ChangeArchiveDirectory(OpenArchive* archive, const char* path, int restore, ArchiveSearchName* outName) {
    if (!WaitArchiveLoad(archive)) return -1;
    if (std::strcmp(path, ".") == 0) return 0;
    if (std::strcmp(path, "\\") == 0 || std::strcmp(path, "/") == 0) {
        archive->currentDir = 0;
        return 0;
    }
    if (std::strcmp(path, "..") == 0) {
        ArchiveDirEntry dir, parent;
        if (!GetArchiveDirEntry(archive, archive->currentDir, &dir) || dir.parentOffset == kArchiveNoParent ||
            !GetArchiveDirEntry(archive, dir.parentOffset, &parent))
            return -1;
        archive->currentDir = dir.parentOffset;
        return 0;
    }
    ArchiveSearchName local;
    ArchiveSearchName* name = outName != nullptr ? outName : &local;
    uint32_t before = archive->currentDir;
    int failedAt = 0;
    if (WalkArchivePath(archive, path, name, &failedAt) == 0) return 0;
    if (restore == 1) archive->currentDir = before;
    return -1;
}

int FindArchiveFileEntry(const char* path, OpenArchive* archive, ArchiveFileEntry* out) {
    if (!WaitArchiveLoad(archive)) return -1;
    uint32_t before = archive->currentDir;
    ArchiveSearchName name;
    bool found = false;
    if (!HasSeparator(path, archive->charsetCode)) {
        found = PrepareArchiveSearchName(path, archive->charsetCode, &name) >= 0 &&
                FindInDirectory(archive, archive->currentDir, name, false, out);
    } else {
        // The walk must stop at the last component: that one names the file.
        int failedAt = 0;
        if (WalkArchivePath(archive, path, &name, &failedAt) != 0) {
            int consumed = PrepareArchiveSearchName(path + failedAt, archive->charsetCode, &name);
            found = consumed >= 0 && path[failedAt + consumed] == 0 &&
                    FindInDirectory(archive, archive->currentDir, name, false, out);
        }
    }
    archive->currentDir = before;
    return found ? 0 : -1;
}

int GetArchiveFileLocation(OpenArchive* archive, const char* path, uint32_t* position, uint32_t* size) {
    ArchiveFileEntry entry;
    uint32_t stored, length;
    if (FindArchiveFileEntry(path, archive, &entry) != 0 ||
        !GetArchiveStoredRange(archive, entry, &stored, &length))
        return -1;
    if (position != nullptr) *position = stored;
    if (size != nullptr) *size = entry.size;
    return 0;
}
