// The library's one allocator. Every block carries a header (caller's tag and line, allocation number,
// size, list links) and two byte copies of it, one right after the header and one behind the data,
// so that an overrun or a stray write is caught when the block is freed: the damage is reported to
// the log and the process ends. All live blocks form one list, dumped at library end.
#pragma once

#include <cstddef>
#include <cstdint>

// The header's six fields. With 64-bit links they take 40 bytes; each guard is a copy of them.
struct TrackedBlockHeader {
    char name[16];  // 0xA5 filling, then the last 15 characters of the tag and a NUL
    uint16_t number;
    uint16_t line;
    uint32_t size;
    TrackedBlockHeader* previous;  // older block
    TrackedBlockHeader* next;      // newer block, null for the newest
};
static_assert(sizeof(TrackedBlockHeader) == 40);

// Header and first guard in front of the data (80 bytes, keeping the data 16-byte aligned).
inline constexpr size_t kTrackedGuardSize = sizeof(TrackedBlockHeader);
inline constexpr size_t kTrackedPrefixSize = 2 * kTrackedGuardSize;

void* TrackedAlloc(size_t size, const char* tag, int line);
void* TrackedAllocZeroed(size_t size, const char* tag, int line);
// A null pointer allocates; on failure null, and the old block stays valid.
void* TrackedRealloc(void* pointer, size_t size, const char* tag, int line);
// A null pointer is ignored.
void TrackedFree(void* pointer);

// Logs every live block, newest first, and the totals.
void DumpTrackedAllocations();
// Checks every live block (a damaged one ends the process). Returns 0.
int CheckAllTrackedAllocations();
void DumpMemoryTotals();

// Diagnostics, all off by default: log every call; log blocks of one size (every size when negative;
// default 0); log the totals after each call; check every block on each call.
struct TrackedAllocTrace {
    bool traceAll = false;
    int traceSize = 0;
    bool totalsEachCall = false;
    bool checkAllEachCall = false;
};
void SetTrackedAllocTrace(const TrackedAllocTrace& trace);

// Live blocks and their total size.
uint32_t GetTrackedAllocCount();
uint32_t GetTrackedAllocTotalSize();
