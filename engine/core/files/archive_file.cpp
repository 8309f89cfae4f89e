// One file opened inside an archive: packed files are unpacked whole at open, plain files are read
// from the image or the archive file on demand, in the background when asked. A streamed archive's
// members read through the archive's own handle; only a member read in the background opens one of its
// own, for its reading thread.
#include <cstring>
#include <mutex>

#include "engine/core/files/archive_key.h"
#include "engine/core/files/archive_reader.h"
#include "engine/core/files/archive_tables.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/kernel32.h"

namespace {

uint8_t* AllocBuffer(uint32_t size) {
    return static_cast<uint8_t*>(TrackedAlloc(size ? size : 1, __FILE__, __LINE__));
}

// Members share their archive's handle, but each keeps its own position: the seek and the read are one
// step under this lock.
int ReadThroughArchiveHandle(OpenArchive* archive, void* buffer, uint32_t position, uint32_t size,
                             uint64_t keyPosition) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    return ReadArchiveBytes(archive, archive->file, buffer, position, size, keyPosition);
}

void WaitFileRead(ArchiveFileState* state) {
    while (PollArchiveFileRead(state) == 0) WaitCachedFileIdle(state->file);
}

void StartBackgroundRead(ArchiveFileState* state, uint32_t kind, uint8_t* destination, uint32_t position,
                         uint32_t size, uint64_t keyPosition) {
    state->pending = kind;
    state->pendingDestination = destination;
    state->pendingPosition = position;
    state->pendingSize = size;
    state->pendingKeyPosition = keyPosition;
    if (TellCachedFile(state->file) != position) SeekCachedFile(state->file, position, SEEK_ORIGIN_START);
    ReadCachedFile(destination, 1, size, state->file);
}

int UnpackInto(ArchiveFileState* state, const uint8_t* block, uint32_t blockSize) {
    return UnpackArchiveFile(state->entry, block, blockSize, state->unpacked);
}

int LoadPackedFile(ArchiveFileState* state, uint32_t position, uint32_t length) {
    OpenArchive* archive = state->archive;
    state->unpacked = AllocBuffer(state->entry.size);
    if (state->unpacked == nullptr) return -1;
    if (archive->inMemory) return UnpackInto(state, archive->image + position, length);
    state->packed = AllocBuffer(length);
    if (state->packed == nullptr) return -1;
    uint64_t keyPosition = ArchiveStoredKeyPosition(archive, state->entry, position, 0);
    if (state->background) {
        StartBackgroundRead(state, ARCHIVE_READ_PACKED, state->packed, position, length, keyPosition);
        return 0;
    }
    int result = -1;
    if (ReadThroughArchiveHandle(archive, state->packed, position, length, keyPosition) == 0)
        result = UnpackInto(state, state->packed, length);
    TrackedFree(state->packed);
    state->packed = nullptr;
    return result;
}

void FreeFileState(ArchiveFileState* state) {
    TrackedFree(state->unpacked);
    TrackedFree(state->packed);
    if (state->file != nullptr) CloseCachedFile(state->file);
    std::memset(state, 0, sizeof(*state));
}

}  // namespace

int OpenArchiveFile(ArchiveFileState* state, OpenArchive* archive, const char* path, int background) {
    std::memset(state, 0, sizeof(*state));
    uint32_t position, length;
    if (FindArchiveFileEntry(path, archive, &state->entry) != 0 ||
        !GetArchiveStoredRange(archive, state->entry, &position, &length))
        return -1;
    state->archive = archive;
    state->background = background ? 1 : 0;
    if (!archive->inMemory && state->background) {
        state->file = OpenCachedFile(archive->path, 0, 1, 1);
        if (state->file == nullptr) {
            FreeFileState(state);
            return -1;
        }
    }
    if (IsArchiveFilePacked(archive->header.version, state->entry) &&
        LoadPackedFile(state, position, length) != 0) {
        FreeFileState(state);
        return -1;
    }
    return 0;
}

int PollArchiveFileRead(ArchiveFileState* state) {
    if (state->pending == ARCHIVE_READ_NONE) return 1;
    if (!IsCachedFileIdle(state->file)) return 0;
    uint32_t kind = state->pending;
    state->pending = ARCHIVE_READ_NONE;
    if (state->file->readBytes != state->pendingSize) {
        state->failed = 1;
        return 1;
    }
    XorWithArchiveKey(state->pendingSize, state->pendingDestination, state->pendingKeyPosition,
                      state->archive->key);
    if (kind == ARCHIVE_READ_PACKED) {
        if (UnpackInto(state, state->packed, state->pendingSize) != 0) state->failed = 1;
        TrackedFree(state->packed);
        state->packed = nullptr;
    }
    return 1;
}

int64_t ReadArchiveFile(ArchiveFileState* state, void* buffer, uint32_t bytes) {
    WaitFileRead(state);
    if (state->failed) return -1;
    if (state->endFlag) return 0;
    const ArchiveFileEntry& entry = state->entry;
    if (state->position == entry.size) {
        state->endFlag = 1;
        return 0;
    }
    uint32_t n = bytes < entry.size - state->position ? bytes : entry.size - state->position;
    OpenArchive* archive = state->archive;
    uint32_t stored, length;
    if (state->unpacked != nullptr) {
        std::memcpy(buffer, state->unpacked + state->position, n);
    } else if (!GetArchiveStoredRange(archive, entry, &stored, &length)) {
        return -1;
    } else if (archive->inMemory) {
        std::memcpy(buffer, archive->image + stored + state->position, n);
    } else {
        uint32_t at = stored + state->position;
        uint64_t keyPosition = ArchiveStoredKeyPosition(archive, entry, stored, state->position);
        if (state->background)
            StartBackgroundRead(state, ARCHIVE_READ_PLAIN, static_cast<uint8_t*>(buffer), at, n, keyPosition);
        else if (ReadThroughArchiveHandle(archive, buffer, at, n, keyPosition) != 0)
            return -1;
    }
    state->position += n;
    state->endFlag = 0;
    return n;
}

int SeekArchiveFile(ArchiveFileState* state, int64_t offset, int origin) {
    WaitFileRead(state);
    int64_t base = origin == SEEK_ORIGIN_CURRENT ? state->position
                   : origin == SEEK_ORIGIN_END   ? state->entry.size
                                                 : 0;
    int64_t target = base + offset;
    if (target < 0) target = 0;
    if (target > int64_t(state->entry.size)) target = state->entry.size;
    state->position = uint32_t(target);
    state->endFlag = 0;
    return 0;
}

int64_t TellArchiveFile(ArchiveFileState* state) {
    WaitFileRead(state);
    return state->position;
}

int EofArchiveFile(ArchiveFileState* state) {
    WaitFileRead(state);
    return state->endFlag ? -1 : 0;
}

int CloseArchiveFile(ArchiveFileState* state) {
    WaitFileRead(state);
    FreeFileState(state);
    return 0;
}
