// The process heap. Each block carries its size in front so that HeapSize and the zero-filling
// growth of HeapReAlloc know it.
#include <cstdlib>
#include <cstring>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

struct alignas(16) BlockPrefix {
    SIZE_T size;
};

int processHeapTag;
HANDLE const kProcessHeap = &processHeapTag;

BlockPrefix* PrefixOf(LPCVOID memory) {
    return reinterpret_cast<BlockPrefix*>(const_cast<char*>(static_cast<const char*>(memory))) - 1;
}

}  // namespace

HANDLE WINAPI GetProcessHeap() {
    return kProcessHeap;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) {
    if (bytes > SIZE_T(-1) / 2 || IsPlatformCallFailing("HeapAlloc")) return nullptr;
    auto* prefix = static_cast<BlockPrefix*>(std::malloc(sizeof(BlockPrefix) + bytes));
    if (!prefix) return nullptr;
    prefix->size = bytes;
    if (flags & HEAP_ZERO_MEMORY) std::memset(prefix + 1, 0, bytes);
    return prefix + 1;
}

LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes) {
    if (!memory) return HeapAlloc(heap, flags, bytes);
    if (bytes > SIZE_T(-1) / 2 || IsPlatformCallFailing("HeapReAlloc")) return nullptr;
    BlockPrefix* old = PrefixOf(memory);
    SIZE_T oldSize = old->size;
    auto* prefix = static_cast<BlockPrefix*>(std::realloc(old, sizeof(BlockPrefix) + bytes));
    if (!prefix) return nullptr;
    prefix->size = bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
        std::memset(reinterpret_cast<char*>(prefix + 1) + oldSize, 0, bytes - oldSize);
    return prefix + 1;
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID memory) {
    if (memory) std::free(PrefixOf(memory));
    return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE, DWORD, LPCVOID memory) {
    return memory ? PrefixOf(memory)->size : SIZE_T(-1);
}
