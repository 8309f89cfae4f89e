#include "engine/core/memory/tracked_allocator.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/memory/log.h"
#include "platform/kernel/kernel32.h"

namespace {

struct AllocatorState {
    CRITICAL_SECTION lock;
    // The oldest element of the list: a header, its first guard and an empty data area with its guard.
    alignas(16) unsigned char sentinel[kTrackedPrefixSize + kTrackedGuardSize] = {};
    TrackedBlockHeader* newest = nullptr;  // null while the list is empty
    uint32_t totalSize = 0;
    uint32_t count = 0;
    uint16_t counter = 0;
    TrackedAllocTrace trace;

    AllocatorState() { InitializeCriticalSection(&lock); }
};

AllocatorState& State() {
    static AllocatorState* state = new AllocatorState;
    return *state;
}

class Locked {
  public:
    Locked() { EnterCriticalSection(&State().lock); }
    ~Locked() { LeaveCriticalSection(&State().lock); }
};

TrackedBlockHeader* Sentinel() {
    return reinterpret_cast<TrackedBlockHeader*>(State().sentinel);
}

unsigned char* DataOf(TrackedBlockHeader* block) {
    return reinterpret_cast<unsigned char*>(block) + kTrackedPrefixSize;
}

TrackedBlockHeader* BlockOf(void* data) {
    return reinterpret_cast<TrackedBlockHeader*>(static_cast<unsigned char*>(data) - kTrackedPrefixSize);
}

unsigned char* FirstGuard(TrackedBlockHeader* block) {
    return reinterpret_cast<unsigned char*>(block) + kTrackedGuardSize;
}

unsigned char* SecondGuardAt(TrackedBlockHeader* block, uint32_t size) {
    return DataOf(block) + size;
}

void WriteGuards(TrackedBlockHeader* block) {
    if (!block) return;
    std::memcpy(FirstGuard(block), block, kTrackedGuardSize);
    std::memcpy(SecondGuardAt(block, block->size), block, kTrackedGuardSize);
}

void SetName(TrackedBlockHeader* block, const char* tag) {
    std::memset(block->name, 0xA5, sizeof(block->name));
    if (!tag) {
        block->name[0] = 0;
        return;
    }
    size_t length = std::strlen(tag);
    const char* tail = length > 15 ? tag + length - 15 : tag;
    std::memcpy(block->name, tail, std::strlen(tail) + 1);
}

void LogTotals() {
    const AllocatorState& state = State();
    LogPrintf("\tTotal size:%d(%.3fkb)  Alloc num:%d", int(state.totalSize), state.totalSize / 1024.0,
              int(state.count));
}

// "\tsize:... addr:..." for a header; with data bytes followed by the first 16 bytes as characters
// and in hex.
void LogBlockLine(const TrackedBlockHeader& header, const unsigned char* data, bool withData) {
    char name[sizeof(header.name) + 1];
    std::memcpy(name, header.name, sizeof(header.name));
    name[sizeof(header.name)] = 0;
    char line[512];
    int length =
        std::snprintf(line, sizeof(line), "\tsize:%10d(%10.3fkb)  file:%-26s  line:%-5d  ID:%-5d  addr:%p",
                      int(header.size), header.size / 1024.0, name, int(header.line), int(header.number),
                      static_cast<const void*>(data));
    std::string text(line, size_t(length));
    if (!withData) {
        LogText((text + "\n").c_str());
        return;
    }
    size_t shown = header.size < 16 ? header.size : 16;
    std::string characters, hex = "[";
    for (size_t i = 0; i < shown; ++i) {
        unsigned char c = data[i];
        characters += (c < 0x20 || c >= 0x80) ? '.' : char(c);
        char byte[4];
        std::snprintf(byte, sizeof(byte), "%02x ", c);
        hex += byte;
    }
    hex.back() = ']';  // the last blank, or with no bytes the opening bracket
    if (shown == 0) hex = " ]";
    LogText((text + "  data:<" + characters + ">" + (shown ? " " : "") + hex + "\n").c_str());
}

void LogHexLine(const char* title, const unsigned char* bytes) {
    std::string line = title;
    for (size_t i = 0; i < kTrackedGuardSize; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof(byte), "%02x", bytes[i]);
        line += byte;
        if (i + 1 == kTrackedGuardSize) break;
        line += (i + 1) % 16 == 0 ? "    " : ((i + 1) % 4 == 0 ? "  " : " ");
    }
    LogText((line + "\n").c_str());
}

[[noreturn]] void ReportDamagedBlock(TrackedBlockHeader* block) {
    TrackedBlockHeader first, second;
    std::memcpy(&first, FirstGuard(block), kTrackedGuardSize);
    // With a damaged size only the smaller of the two recorded sizes is known to lie inside the block.
    uint32_t size = block->size < first.size ? block->size : first.size;
    std::memcpy(&second, SecondGuardAt(block, size), kTrackedGuardSize);
    LogText("以下のメモリ確保情報が破損しました、強制終了します\n");
    LogHexLine("HEAD  BASE:", reinterpret_cast<unsigned char*>(block));
    LogHexLine("HEAD TEMP1:", FirstGuard(block));
    LogHexLine("HEAD TEMP2:", SecondGuardAt(block, size));
    TrackedBlockHeader shown = *block;
    shown.size = size;
    LogBlockLine(shown, DataOf(block), true);
    LogBlockLine(first, DataOf(block), false);
    LogBlockLine(second, DataOf(block), false);
    _exit(-1);
}

void CheckBlock(TrackedBlockHeader* block) {
    if (block == Sentinel()) return;
    bool sound = std::memcmp(block, FirstGuard(block), kTrackedGuardSize) == 0;
    if (sound) sound = std::memcmp(block, SecondGuardAt(block, block->size), kTrackedGuardSize) == 0;
    if (!sound) ReportDamagedBlock(block);
}

void CheckAll() {
    for (TrackedBlockHeader* block = State().newest; block && block != Sentinel(); block = block->previous)
        CheckBlock(block);
}

void TraceCall(const char* what, TrackedBlockHeader* block) {
    const TrackedAllocTrace& trace = State().trace;
    if (trace.traceAll || trace.traceSize < 0 || uint32_t(trace.traceSize) == block->size) {
        LogText(what);
        LogBlockLine(*block, DataOf(block), true);
    }
    if (trace.totalsEachCall) LogTotals();
    if (trace.checkAllEachCall) CheckAll();
}

void AppendBlock(TrackedBlockHeader* block) {
    AllocatorState& state = State();
    TrackedBlockHeader* previous = state.newest ? state.newest : Sentinel();
    block->previous = previous;
    block->next = nullptr;
    previous->next = block;
    state.newest = block;
    WriteGuards(block);
    WriteGuards(previous);
}

// heapFlags 0 or HEAP_ZERO_MEMORY: the heap zeroes a block without writing pages that are fresh.
void* AllocateTracked(size_t size, const char* tag, int line, DWORD heapFlags) {
    Locked locked;
    AllocatorState& state = State();
    void* memory = nullptr;
    if (size <= UINT32_MAX - kTrackedPrefixSize - kTrackedGuardSize)
        memory = HeapAlloc(GetProcessHeap(), heapFlags, kTrackedPrefixSize + size + kTrackedGuardSize);
    if (!memory) {
        DumpTrackedAllocations();
        CheckAll();
        return nullptr;
    }
    auto* block = static_cast<TrackedBlockHeader*>(memory);
    SetName(block, tag);
    block->size = uint32_t(size);
    block->line = uint16_t(line);
    block->number = state.counter++;
    AppendBlock(block);
    state.totalSize += uint32_t(size);
    ++state.count;
    TraceCall("mem alloc  ", block);
    return DataOf(block);
}

}  // namespace

void* TrackedAlloc(size_t size, const char* tag, int line) {
    return AllocateTracked(size, tag, line, 0);
}

void* TrackedAllocZeroed(size_t size, const char* tag, int line) {
    return AllocateTracked(size, tag, line, HEAP_ZERO_MEMORY);
}

void* TrackedRealloc(void* pointer, size_t size, const char* tag, int line) {
    if (!pointer) return TrackedAlloc(size, tag, line);
    Locked locked;
    AllocatorState& state = State();
    TrackedBlockHeader* block = BlockOf(pointer);
    // A block damaged already is reported before it is moved and its guards rewritten.
    CheckBlock(block);
    uint32_t oldSize = block->size;
    if (size != oldSize) {
        void* memory = nullptr;
        if (size <= UINT32_MAX - kTrackedPrefixSize - kTrackedGuardSize)
            memory = HeapReAlloc(GetProcessHeap(), 0, block, kTrackedPrefixSize + size + kTrackedGuardSize);
        if (!memory) {
            DumpTrackedAllocations();
            return nullptr;
        }
        block = static_cast<TrackedBlockHeader*>(memory);
    }
    SetName(block, tag);
    block->line = uint16_t(line);
    block->number = state.counter++;
    block->size = uint32_t(size);
    block->previous->next = block;
    if (block->next) {
        block->next->previous = block;
    } else {
        state.newest = block;
    }
    state.totalSize = state.totalSize - oldSize + uint32_t(size);
    WriteGuards(block);
    WriteGuards(block->previous);
    WriteGuards(block->next);
    TraceCall("mem realloc  ", block);
    return DataOf(block);
}

void TrackedFree(void* pointer) {
    if (!pointer) return;
    Locked locked;
    AllocatorState& state = State();
    TrackedBlockHeader* block = BlockOf(pointer);
    if (state.trace.checkAllEachCall) {
        CheckAll();
    } else {
        CheckBlock(block);
    }
    state.totalSize -= block->size;
    --state.count;
    TrackedBlockHeader* previous = block->previous;
    TrackedBlockHeader* next = block->next;
    previous->next = next;
    if (next) {
        next->previous = previous;
    } else {
        state.newest = previous == Sentinel() ? nullptr : previous;
    }
    WriteGuards(previous);
    WriteGuards(next);
    TraceCall("mem free  ", block);
    HeapFree(GetProcessHeap(), 0, block);
}

void DumpTrackedAllocations() {
    Locked locked;
    LogText("\n");
    LogText("Alloc memory dump\n");
    for (TrackedBlockHeader* block = State().newest; block && block != Sentinel(); block = block->previous)
        LogBlockLine(*block, DataOf(block), true);
    LogTotals();
    LogText("\n");
}

int CheckAllTrackedAllocations() {
    Locked locked;
    CheckAll();
    return 0;
}

void DumpMemoryTotals() {
    Locked locked;
    LogTotals();
}

void SetTrackedAllocTrace(const TrackedAllocTrace& trace) {
    Locked locked;
    State().trace = trace;
}

uint32_t GetTrackedAllocCount() {
    Locked locked;
    return State().count;
}

uint32_t GetTrackedAllocTotalSize() {
    Locked locked;
    return State().totalSize;
}
