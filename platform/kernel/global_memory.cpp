// Global memory blocks: movable blocks reached through handles that are never reused, so a stale or made-up
// handle is refused instead of touching freed memory.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

constexpr UINT kKnownFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

struct GlobalBlock {
    std::unique_ptr<unsigned char[]> bytes;
    SIZE_T size = 0;
    UINT locks = 0;
};

struct GlobalBlocks {
    std::mutex mutex;
    std::map<HGLOBAL, GlobalBlock> blocks;
    uintptr_t lastId = 0;
};

GlobalBlocks& Blocks() {
    static GlobalBlocks* blocks = new GlobalBlocks;
    return *blocks;
}

// Caller holds the mutex. Null for an unknown handle, with ERROR_INVALID_HANDLE set.
GlobalBlock* FindBlock(HGLOBAL memory) {
    auto found = Blocks().blocks.find(memory);
    if (found != Blocks().blocks.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (!(flags & GMEM_MOVEABLE) || (flags & ~kKnownFlags)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (bytes > SIZE_T(-1) / 2 || IsPlatformCallFailing("GlobalAlloc")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    GlobalBlock block;
    block.size = bytes;
    if (bytes > 0) {
        block.bytes.reset(new (std::nothrow) unsigned char[bytes]);
        if (!block.bytes) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        if (flags & GMEM_ZEROINIT) std::fill_n(block.bytes.get(), bytes, 0);
    }
    std::lock_guard lock(Blocks().mutex);
    // Even values above 64K: never null, never a small integer, never reused.
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(0x10000 + 8 * ++Blocks().lastId);
    Blocks().blocks.emplace(handle, std::move(block));
    return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
    std::lock_guard lock(Blocks().mutex);
    GlobalBlock* block = FindBlock(memory);
    if (!block) return nullptr;
    if (block->size == 0) {
        SetLastError(ERROR_DISCARDED);
        return nullptr;
    }
    ++block->locks;
    return block->bytes.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
    std::lock_guard lock(Blocks().mutex);
    GlobalBlock* block = FindBlock(memory);
    if (!block) return FALSE;
    if (block->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block->locks > 0) return TRUE;
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
    std::lock_guard lock(Blocks().mutex);
    if (!FindBlock(memory)) return memory;
    Blocks().blocks.erase(memory);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
    std::lock_guard lock(Blocks().mutex);
    GlobalBlock* block = FindBlock(memory);
    return block ? block->size : 0;
}
