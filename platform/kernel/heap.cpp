// The process heap. Each block carries its size in front so that HeapSize and the zero-filling
// growth of HeapReAlloc know it.
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

struct alignas(16) BlockPrefix {
    SIZE_T size;
    SIZE_T mappedBytes;  // the length of the block's own mapping; 0 for a block of the C heap
};

int processHeapTag;
HANDLE const kProcessHeap = &processHeapTag;

// A zeroed block this large gets a mapping of its own: its pages come zeroed from the system when first
// touched, so zeroing costs nothing and the pages never used cost no memory. (The C heap would clear
// reused memory, touching every page.)
constexpr size_t kMappedFrom = size_t(128) << 10;

BlockPrefix* PrefixOf(LPCVOID memory) {
    return reinterpret_cast<BlockPrefix*>(const_cast<char*>(static_cast<const char*>(memory))) - 1;
}

bool Mapped(DWORD flags, SIZE_T bytes) {
    return (flags & HEAP_ZERO_MEMORY) && sizeof(BlockPrefix) + bytes >= kMappedFrom;
}

BlockPrefix* AllocateBlock(DWORD flags, SIZE_T bytes) {
    const size_t total = sizeof(BlockPrefix) + bytes;
    BlockPrefix* prefix = nullptr;
    if (Mapped(flags, bytes)) {
        void* mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) return nullptr;
        prefix = static_cast<BlockPrefix*>(mapping);
        prefix->mappedBytes = total;
    } else {
        prefix =
            static_cast<BlockPrefix*>(flags & HEAP_ZERO_MEMORY ? std::calloc(1, total) : std::malloc(total));
        if (!prefix) return nullptr;
        prefix->mappedBytes = 0;
    }
    prefix->size = bytes;
    return prefix;
}

void FreeBlock(BlockPrefix* prefix) {
    if (prefix->mappedBytes)
        munmap(prefix, prefix->mappedBytes);
    else
        std::free(prefix);
}

}  // namespace

HANDLE WINAPI GetProcessHeap() {
    return kProcessHeap;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) {
    if (bytes > SIZE_T(-1) / 2 || IsPlatformCallFailing("HeapAlloc")) return nullptr;
    BlockPrefix* prefix = AllocateBlock(flags, bytes);
    return prefix ? prefix + 1 : nullptr;
}

LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes) {
    if (!memory) return HeapAlloc(heap, flags, bytes);
    if (bytes > SIZE_T(-1) / 2 || IsPlatformCallFailing("HeapReAlloc")) return nullptr;
    BlockPrefix* old = PrefixOf(memory);
    const SIZE_T oldSize = old->size;
    if (old->mappedBytes || Mapped(flags, bytes)) {
        BlockPrefix* moved = AllocateBlock(flags, bytes);
        if (!moved) return nullptr;
        std::memcpy(moved + 1, memory, std::min(oldSize, bytes));  // a zeroed block's growth is zero already
        FreeBlock(old);
        return moved + 1;
    }
    auto* prefix = static_cast<BlockPrefix*>(std::realloc(old, sizeof(BlockPrefix) + bytes));
    if (!prefix) return nullptr;
    prefix->size = bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
        std::memset(reinterpret_cast<char*>(prefix + 1) + oldSize, 0, bytes - oldSize);
    return prefix + 1;
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID memory) {
    if (memory) FreeBlock(PrefixOf(memory));
    return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE, DWORD, LPCVOID memory) {
    return memory ? PrefixOf(memory)->size : SIZE_T(-1);
}
