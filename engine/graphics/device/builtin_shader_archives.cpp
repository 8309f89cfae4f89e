#include "engine/graphics/device/builtin_shader_archives.h"

#include "engine/core/files/archive_lz.h"
#include "engine/core/files/archive_reader.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/builtin_shader_layout.h"

namespace {

enum { kArchive1, kCodeTable2, kArchive2, kCodeTable3, kBlockCount };

struct ShaderArchives {
    int opened = 0;
    uint8_t* buffers[kBlockCount] = {};
    size_t sizes[kBlockCount] = {};
    OpenArchive archive1 = {};
    OpenArchive archive2 = {};
};

ShaderArchives archives;

bool UnpackBlock(int index) {
    const ShaderDataBlock& block = kBuiltinShaderBlocks[index];
    int64_t size = UnpackArchiveData(block.data, block.size, nullptr, 0);
    if (size <= 0) return false;
    archives.buffers[index] = static_cast<uint8_t*>(TrackedAlloc(size_t(size), __FILE__, __LINE__));
    if (!archives.buffers[index]) return false;
    archives.sizes[index] = size_t(size);
    return UnpackArchiveData(block.data, block.size, archives.buffers[index], size_t(size)) == size;
}

bool OpenInMemory(OpenArchive* archive, int index) {
    ClearArchiveRecord(archive);
    return OpenArchiveFromMemory(archive, archives.buffers[index], uint32_t(archives.sizes[index]),
                                 nullptr) == 0;
}

void FreeBuffers() {
    for (int i = 0; i < kBlockCount; ++i) {
        TrackedFree(archives.buffers[i]);
        archives.buffers[i] = nullptr;
        archives.sizes[i] = 0;
    }
}

uint16_t Read16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

int OpenBuiltinShaderArchives() {
    if (archives.opened) return 1;
    for (int i = 0; i < kBlockCount; ++i)
        if (!UnpackBlock(i)) {
            FreeBuffers();
            return 0;
        }
    if (!OpenInMemory(&archives.archive1, kArchive1)) {
        FreeBuffers();
        return 0;
    }
    if (!OpenInMemory(&archives.archive2, kArchive2)) {
        CloseArchive(&archives.archive1);
        FreeBuffers();
        return 0;
    }
    archives.opened = 1;
    return 1;
}

int CloseBuiltinShaderArchives() {
    if (archives.opened) {
        CloseArchive(&archives.archive1);
        CloseArchive(&archives.archive2);
    }
    FreeBuffers();
    archives.opened = 0;
    return 1;
}

const void* FindBuiltinShaderFile(const char* fileName, int* size) {
    if (!archives.opened || !fileName) return nullptr;
    uint32_t position = 0, bytes = 0;
    if (GetArchiveFileLocation(&archives.archive1, fileName, &position, &bytes) != 0) return nullptr;
    if (position > archives.sizes[kArchive1] || bytes > archives.sizes[kArchive1] - position) return nullptr;
    *size = int(bytes);
    return archives.buffers[kArchive1] + position;
}

const uint8_t* FindCodeTableEntry(const uint8_t* table, size_t tableSize, int entryCount, size_t codeStart,
                                  int entry, size_t* size) {
    if (!table || entry < 0 || entry >= entryCount) return nullptr;
    if (size_t(entryCount) * 2 > tableSize || codeStart > tableSize) return nullptr;
    size_t offset = codeStart;
    for (int i = 0; i < entry; ++i) offset += Read16(table + i * 2);
    size_t length = Read16(table + entry * 2);
    if (length == 0 || offset > tableSize || length > tableSize - offset) return nullptr;
    *size = length;
    return table + offset;
}

const void* GetShaderCodeTableEntry(int table, int entry, int* size) {
    if (!archives.opened || (table != 2 && table != 3)) return nullptr;
    int index = table == 2 ? kCodeTable2 : kCodeTable3;
    int entries = table == 2 ? kShaderCodeTable2Entries : kShaderCodeTable3Entries;
    size_t start = table == 2 ? kShaderCodeTable2Start : kShaderCodeTable3Start;
    size_t length = 0;
    const uint8_t* code =
        FindCodeTableEntry(archives.buffers[index], archives.sizes[index], entries, start, entry, &length);
    if (code) *size = int(length);
    return code;
}
