// Opening and closing one archive: header check under the built or the fallback key, the table block,
// the three modes (streamed, whole file read in the background, the caller's image), and the
// descrambling of the stored bytes of every file for version 5 images.
#include <cstring>

#include "engine/core/files/archive_key.h"
#include "engine/core/files/archive_reader.h"
#include "engine/core/files/archive_tables.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/kernel32.h"

namespace {

// Reads size bytes at an archive position without descrambling; the memory image or the file.
struct RawSource {
    const uint8_t* image;
    CachedFile* file;
    bool Read(uint32_t position, uint32_t size, void* out) const {
        if (image != nullptr) {
            std::memcpy(out, image + position, size);
            return true;
        }
        if (SeekCachedFile(file, position, SEEK_ORIGIN_START) != 0) return false;
        return ReadCachedFile(out, 1, size, file) == size;
    }
};

// Checks the header under the built key, then under the fallback key; fills header and key.
int CheckArchiveHeader(OpenArchive* archive, const RawSource& source, const char* keyString) {
    uint8_t raw[28];
    if (archive->archiveSize < 8 || !source.Read(0, 8, raw)) return -1;
    uint8_t bytes[28];
    std::memcpy(bytes, raw, 8);
    MakeArchiveKey(keyString, archive->key);
    XorWithArchiveKey(8, bytes, 0, archive->key);
    if (LoadU16(bytes) != kArchiveMagic) {
        std::memcpy(bytes, raw, 8);
        MakeFallbackArchiveKey(archive->key);
        XorWithArchiveKey(8, bytes, 0, archive->key);
        if (LoadU16(bytes) != kArchiveMagic) return -1;
    }
    int version = LoadU16(bytes + 2);
    if (version > kArchiveMaxVersion) return -1;
    uint32_t headerSize = ArchiveHeaderSize(version);
    if (archive->archiveSize < headerSize || !source.Read(8, headerSize - 8, bytes + 8)) return -1;
    XorWithArchiveKey(headerSize - 8, bytes + 8, 8, archive->key);
    DecodeArchiveHeader(bytes, &archive->header);
    const ArchiveHeader& h = archive->header;
    if (uint64_t(h.tablePosition) + h.tableSize > archive->archiveSize) return -1;
    if (h.dataPosition > archive->archiveSize || h.fileTableOffset > h.tableSize) return -1;
    if (uint64_t(h.dirTableOffset) + kArchiveDirEntrySize > h.tableSize) return -1;
    archive->charsetCode = ArchiveCharsetForCodePage(h.codePage);
    archive->currentDir = 0;
    return 0;
}

uint64_t TableKeyPosition(const OpenArchive* archive) {
    return archive->header.version >= 5 ? 0 : archive->header.tablePosition;
}

// Reads and descrambles the table block into a block of its own.
int ReadTableBlock(OpenArchive* archive, const RawSource& source) {
    uint32_t size = archive->header.tableSize;
    archive->tableBlock = static_cast<uint8_t*>(TrackedAlloc(size ? size : 1, __FILE__, __LINE__));
    if (archive->tableBlock == nullptr) return -1;
    if (!source.Read(archive->header.tablePosition, size, archive->tableBlock)) return -1;
    XorWithArchiveKey(size, archive->tableBlock, TableKeyPosition(archive), archive->key);
    return 0;
}

bool Overlaps(uint64_t a, uint64_t aLength, uint64_t b, uint64_t bLength) {
    return a < b + bLength && b < a + aLength;
}

// Visits every file under the root once (directories are walked from the table). Fails on a broken
// entry, a stored range outside the archive or over its header or table block, or a walk longer than
// the table can hold (a directory loop). With xor, descrambles (or scrambles back) the stored bytes.
class DirectoryFileWalk {
  public:
    DirectoryFileWalk(const OpenArchive* archive, uint8_t* image, bool xorBytes)
        : archive_(archive), image_(image), xor_(xorBytes) {
        budget_ = archive->header.tableSize / ArchiveFileEntrySize(archive->header.version) + 1;
    }
    bool Walk(uint32_t dirOffset) {
        ArchiveDirEntry dir;
        if (!GetArchiveDirEntry(archive_, dirOffset, &dir)) return false;
        for (uint32_t i = 0; i < dir.entryCount; ++i) {
            ArchiveFileEntry entry;
            if (budget_-- == 0 || !GetArchiveDirChild(archive_, dir, i, &entry)) return false;
            bool ok = (entry.attributes & kArchiveDirectoryAttribute) ? Walk(entry.dataOffset) : Visit(entry);
            if (!ok) return false;
        }
        return true;
    }

  private:
    bool Visit(const ArchiveFileEntry& entry) {
        uint32_t position, length;
        if (!GetArchiveStoredRange(archive_, entry, &position, &length)) return false;
        const ArchiveHeader& h = archive_->header;
        if (Overlaps(position, length, 0, ArchiveHeaderSize(h.version)) ||
            Overlaps(position, length, h.tablePosition, h.tableSize))
            return false;
        if (xor_) XorWithArchiveKey(length, image_ + position, entry.size, archive_->key);
        return true;
    }
    const OpenArchive* archive_;
    uint8_t* image_;
    bool xor_;
    uint32_t budget_;
};

bool WalkArchiveFiles(const OpenArchive* archive, uint8_t* image, bool xorBytes) {
    DirectoryFileWalk walk(archive, image, xorBytes);
    return walk.Walk(0);
}

// Descrambles a loaded image, or scrambles the caller's image back (the table last: the walk reads it).
void XorArchiveImage(OpenArchive* archive) {
    if (archive->header.version < 5) {
        XorWithArchiveKey(archive->imageSize, archive->image, 0, archive->key);
        return;
    }
    WalkArchiveFiles(archive, archive->image, true);
    if (archive->callerImage)
        XorWithArchiveKey(archive->header.tableSize, archive->tableBlock, 0, archive->key);
}

void FreeArchiveParts(OpenArchive* archive) {
    if (archive->loadFile != nullptr) CloseCachedFile(archive->loadFile);
    if (archive->file != nullptr) CloseCachedFile(archive->file);
    if (!archive->callerImage) {
        TrackedFree(archive->tableBlock);
        TrackedFree(archive->image);
    }
    ClearArchiveRecord(archive);
}

int OpenHeaderAndTable(OpenArchive* archive, const char* path, const char* keyString) {
    if (strnlen(path, kArchivePathSize) == kArchivePathSize) return -1;
    std::strcpy(archive->path, path);
    archive->file = OpenCachedFile(path, 0, 1, 0);
    if (archive->file == nullptr) return -1;
    archive->archiveSize = archive->file->size;
    RawSource source{nullptr, archive->file};
    if (CheckArchiveHeader(archive, source, keyString) != 0 || ReadTableBlock(archive, source) != 0)
        return -1;
    return 0;
}

}  // namespace

void ClearArchiveRecord(OpenArchive* archive) {
    std::memset(archive, 0, sizeof(*archive));
}

int OpenArchiveStreamed(OpenArchive* archive, const char* path, const char* keyString) {
    if (OpenHeaderAndTable(archive, path, keyString) != 0) {
        FreeArchiveParts(archive);
        return -1;
    }
    return 0;
}

int OpenArchiveIntoMemory(OpenArchive* archive, const char* path, const char* keyString, int returnAtOnce) {
    if (OpenHeaderAndTable(archive, path, keyString) != 0 ||
        (archive->header.version >= 5 && !WalkArchiveFiles(archive, nullptr, false))) {
        FreeArchiveParts(archive);
        return -1;
    }
    CloseCachedFile(archive->file);
    archive->file = nullptr;
    archive->imageSize = archive->archiveSize;
    archive->image =
        static_cast<uint8_t*>(TrackedAlloc(archive->imageSize ? archive->imageSize : 1, __FILE__, __LINE__));
    archive->loadFile = OpenCachedFile(archive->path, 0, 1, 1);
    if (archive->image == nullptr || archive->loadFile == nullptr ||
        ReadCachedFile(archive->image, 1, archive->imageSize, archive->loadFile) != archive->imageSize) {
        FreeArchiveParts(archive);
        return -1;
    }
    archive->inMemory = 1;
    archive->loading = 1;
    if (!returnAtOnce && !WaitArchiveLoad(archive)) {
        FreeArchiveParts(archive);
        return -1;
    }
    return 0;
}

int PollArchiveLoad(OpenArchive* archive) {
    if (archive->loadFailed) return -1;
    if (!archive->loading) return 1;
    if (!IsCachedFileIdle(archive->loadFile)) return 0;
    bool complete = archive->loadFile->readBytes == archive->imageSize;
    CloseCachedFile(archive->loadFile);
    archive->loadFile = nullptr;
    archive->loading = 0;
    if (!complete) {
        archive->loadFailed = 1;
        return -1;
    }
    XorArchiveImage(archive);
    return 1;
}

bool WaitArchiveLoad(OpenArchive* archive) {
    int state;
    while ((state = PollArchiveLoad(archive)) == 0) Sleep(0);
    return state == 1;
}

int OpenArchiveFromMemory(OpenArchive* archive, void* image, uint32_t size, const char* keyString) {
    archive->image = static_cast<uint8_t*>(image);
    archive->imageSize = archive->archiveSize = size;
    RawSource source{archive->image, nullptr};
    if (image == nullptr || CheckArchiveHeader(archive, source, keyString) != 0) {
        ClearArchiveRecord(archive);
        return -1;
    }
    archive->tableBlock = archive->image + archive->header.tablePosition;
    archive->inMemory = 1;
    archive->callerImage = 1;
    if (archive->header.version < 5) {
        XorArchiveImage(archive);
        return 0;
    }
    XorWithArchiveKey(archive->header.tableSize, archive->tableBlock, 0, archive->key);
    if (!WalkArchiveFiles(archive, nullptr, false)) {
        XorWithArchiveKey(archive->header.tableSize, archive->tableBlock, 0, archive->key);
        ClearArchiveRecord(archive);
        return -1;
    }
    WalkArchiveFiles(archive, archive->image, true);
    return 0;
}

int CloseArchive(OpenArchive* archive) {
    WaitArchiveLoad(archive);
    if (archive->callerImage) XorArchiveImage(archive);
    FreeArchiveParts(archive);
    return 0;
}

int CloseArchiveRecord(OpenArchive* archive) {
    return CloseArchive(archive);
}

void* GetArchiveMemoryImage(OpenArchive* archive) {
    return archive->inMemory ? archive->image : nullptr;
}

int ReadArchiveBytes(OpenArchive* archive, CachedFile* file, void* buffer, uint32_t position, uint32_t size,
                     uint64_t keyPosition) {
    if (uint64_t(position) + size > archive->archiveSize) return -1;
    if (TellCachedFile(file) != position && SeekCachedFile(file, position, SEEK_ORIGIN_START) != 0) return -1;
    size_t got = ReadCachedFile(buffer, 1, size, file);
    WaitCachedFileIdle(file);
    if (got != size) return -1;
    XorWithArchiveKey(size, buffer, keyPosition, archive->key);
    return 0;
}
