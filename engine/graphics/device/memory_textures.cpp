#include "engine/graphics/device/memory_textures.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_forwarding.h"

MemoryTexturePool memoryTexturePool;

namespace {

void ReleaseEntryTexture(MemoryTexture& entry) {
    ReleaseAndClear(entry.texture);
}

int CreateEntryTexture(MemoryTexture& entry) {
    HRESULT result = E_FAIL;
    if (HasD3DDevice())
        result = DeviceCreateTexture(entry.width, entry.height, entry.levelCount, D3DUSAGE_DYNAMIC,
                                     TextureFormatOfIndex(entry.formatIndex), D3DPOOL_SYSTEMMEM,
                                     &entry.texture, nullptr);
    if (result == D3D_OK) return 0;
    entry.texture = nullptr;
    LogText("メモリテクスチャの作成に失敗しました\n");
    return -1;
}

bool SameShape(const MemoryTexture& entry, int width, int height, int levelCount, int formatIndex) {
    return entry.width == width && entry.height == height && entry.levelCount == levelCount &&
           entry.formatIndex == formatIndex;
}

// The entry that is not busy with the smallest use count (the later one on equal counts), -1 when every
// entry is busy.
int LeastUsedIdleEntry() {
    int chosen = -1;
    for (int i = 0; i < kMemoryTextureCount; ++i) {
        const MemoryTexture& entry = memoryTexturePool.entries[i];
        if (entry.busy) continue;
        if (chosen < 0 || entry.useCount <= memoryTexturePool.entries[chosen].useCount) chosen = i;
    }
    return chosen;
}

int AcquireOnMainThread(int width, int height, int levelCount, int formatIndex) {
    if (width < 1 || width > 0xFFFF || height < 1 || height > 0xFFFF || levelCount < 1 || levelCount > 0xFF ||
        TextureFormatOfIndex(formatIndex) == D3DFMT_UNKNOWN)
        return -1;
    int freeEntry = -1;
    int busyOfShape = 0;
    for (int i = 0; i < kMemoryTextureCount; ++i) {
        MemoryTexture& entry = memoryTexturePool.entries[i];
        if (!entry.inUse) {
            if (freeEntry < 0) freeEntry = i;
            continue;
        }
        if (!SameShape(entry, width, height, levelCount, formatIndex)) continue;
        if (!entry.busy) {
            entry.busy = 1;
            ++entry.useCount;
            return i;
        }
        if (++busyOfShape == kMemoryTextureShapeLimit) return -1;
    }
    if (freeEntry < 0) {
        freeEntry = LeastUsedIdleEntry();
        if (freeEntry < 0) return -1;
        ReleaseEntryTexture(memoryTexturePool.entries[freeEntry]);
        memoryTexturePool.entries[freeEntry] = MemoryTexture{};
        --memoryTexturePool.count;
    }
    MemoryTexture& entry = memoryTexturePool.entries[freeEntry];
    entry = MemoryTexture{
        1, 1, uint16_t(width), uint16_t(height), uint8_t(levelCount), uint8_t(formatIndex), 1, nullptr};
    if (CreateEntryTexture(entry) != 0) {
        entry = MemoryTexture{};
        return -1;
    }
    ++memoryTexturePool.count;
    return freeEntry;
}

int ReturnOnMainThread(int index) {
    if (index < 0 || index >= kMemoryTextureCount || !memoryTexturePool.entries[index].inUse) return -1;
    memoryTexturePool.entries[index].busy = 0;
    return 0;
}

}  // namespace

D3DFORMAT TextureFormatOfIndex(int formatIndex) {
    if (formatIndex < 0 || formatIndex >= kGraphicFormatCount) return D3DFMT_UNKNOWN;
    return D3DFORMAT((&deviceFormatTable.texture16)[formatIndex]);
}

int AcquireMemoryTexture(int width, int height, int levelCount, int formatIndex, int onWorker) {
    return Forwarding<&AcquireOnMainThread>::Run(onWorker, width, height, levelCount, formatIndex);
}

int ReturnMemoryTexture(int index, int onWorker) {
    return Forwarding<&ReturnOnMainThread>::Run(onWorker, index);
}

int ReleaseMemoryTextureObjects() {
    for (MemoryTexture& entry : memoryTexturePool.entries)
        if (entry.inUse) ReleaseEntryTexture(entry);
    return 0;
}

int RecreateMemoryTextures() {
    for (MemoryTexture& entry : memoryTexturePool.entries)
        if (entry.inUse && entry.texture == nullptr) CreateEntryTexture(entry);
    return 0;
}

int ReleaseAllMemoryTextures() {
    for (MemoryTexture& entry : memoryTexturePool.entries) {
        ReleaseEntryTexture(entry);
        entry = MemoryTexture{};
    }
    memoryTexturePool.count = 0;
    return 0;
}
