#include "engine/core/files/archive_tables.h"

#include "engine/core/files/archive_lz.h"

namespace {

// Largest output one input byte of a packed block can give: a match of the longest length written as
// escape, code and length byte.
constexpr uint64_t kMaxUnpackRatio = (kArchiveMaxMatch + 2) / 3;

bool InTable(const OpenArchive* archive, uint64_t offset, uint64_t length) {
    return offset + length <= archive->header.tableSize;
}

}  // namespace

bool GetArchiveDirEntry(const OpenArchive* archive, uint32_t dirOffset, ArchiveDirEntry* out) {
    uint64_t at = uint64_t(archive->header.dirTableOffset) + dirOffset;
    if (!InTable(archive, at, kArchiveDirEntrySize)) return false;
    DecodeArchiveDirEntry(archive->tableBlock + at, out);
    return true;
}

bool GetArchiveDirChild(const OpenArchive* archive, const ArchiveDirEntry& dir, uint32_t index,
                        ArchiveFileEntry* out) {
    uint32_t stride = ArchiveFileEntrySize(archive->header.version);
    uint64_t at = uint64_t(archive->header.fileTableOffset) + dir.firstEntry + uint64_t(index) * stride;
    if (index >= dir.entryCount || !InTable(archive, at, stride)) return false;
    DecodeArchiveFileEntry(archive->tableBlock + at, archive->header.version, out);
    return true;
}

bool GetArchiveName(const OpenArchive* archive, uint32_t nameOffset, ArchiveName* out) {
    if (!InTable(archive, nameOffset, 4)) return false;
    const uint8_t* at = archive->tableBlock + nameOffset;
    out->length = LoadU16(at);
    out->check = LoadU16(at + 2);
    uint64_t writtenAt = uint64_t(nameOffset) + 4 + uint64_t(out->length) * 4;
    if (out->length == 0 || !InTable(archive, writtenAt, 1)) return false;
    out->upper = at + 4;
    uint64_t end = writtenAt;
    while (end < archive->header.tableSize && archive->tableBlock[end] != 0) ++end;
    if (end == archive->header.tableSize) return false;
    out->written = reinterpret_cast<const char*>(archive->tableBlock + writtenAt);
    return true;
}

bool GetArchiveStoredRange(const OpenArchive* archive, const ArchiveFileEntry& entry, uint32_t* position,
                           uint32_t* length) {
    uint64_t at = uint64_t(archive->header.dataPosition) + entry.dataOffset;
    bool packed = IsArchiveFilePacked(archive->header.version, entry);
    uint64_t stored = packed ? entry.packedSize : entry.size;
    if (at + stored > archive->archiveSize) return false;
    if (packed &&
        (stored < kArchivePackedHeadSize || entry.size > (stored - kArchivePackedHeadSize) * kMaxUnpackRatio))
        return false;
    *position = uint32_t(at);
    *length = uint32_t(stored);
    return true;
}

uint64_t ArchiveStoredKeyPosition(const OpenArchive* archive, const ArchiveFileEntry& entry,
                                  uint32_t storedPosition, uint32_t k) {
    return archive->header.version >= 5 ? uint64_t(entry.size) + k : uint64_t(storedPosition) + k;
}

int UnpackArchiveFile(const ArchiveFileEntry& entry, const uint8_t* block, uint32_t blockSize, uint8_t* out) {
    if (blockSize < kArchivePackedHeadSize || LoadU32(block) != entry.size) return -1;
    return UnpackArchiveData(block, blockSize, out, entry.size) == int64_t(entry.size) ? 0 : -1;
}
