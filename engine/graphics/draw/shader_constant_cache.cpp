#include "engine/graphics/draw/shader_constant_cache.h"

#include <cstring>

#include "engine/graphics/device/device_wrappers.h"

ShaderConstantCache shaderConstantCache;

namespace {

bool InBank(int bank, int set, int first, int count) {
    return bank >= 0 && bank < kShaderConstantBankCount && set >= 0 && set < kShaderConstantSetCount &&
           first >= 0 && count >= 0 && first + count <= kShaderConstantRegisterCounts[bank];
}

HRESULT Upload(int bank, int first, const uint8_t* data, int count) {
    switch (bank) {
        case kBankVertexFloat:
            return DeviceSetVertexShaderConstantF(first, reinterpret_cast<const float*>(data), count);
        case kBankVertexInt:
            return DeviceSetVertexShaderConstantI(first, reinterpret_cast<const int*>(data), count);
        case kBankVertexBool:
            return DeviceSetVertexShaderConstantB(first, reinterpret_cast<const BOOL*>(data), count);
        case kBankPixelFloat:
            return DeviceSetPixelShaderConstantF(first, reinterpret_cast<const float*>(data), count);
        case kBankPixelInt:
            return DeviceSetPixelShaderConstantI(first, reinterpret_cast<const int*>(data), count);
        default:
            return DeviceSetPixelShaderConstantB(first, reinterpret_cast<const BOOL*>(data), count);
    }
}

// Uploads [first, end) of a bank with each register's value taken from `owners` (zero for none).
void UploadFromOwners(const ShaderConstantCache* cache, int bank, int first, int end, const uint8_t* owners) {
    if (!HasD3DDevice() || end <= first) return;
    const int width = kShaderConstantRegisterWidths[bank];
    uint8_t gathered[kShaderConstantMaxRegisters * 16] = {};
    for (int r = first; r < end; ++r)
        if (owners[r] != kNoConstantOwner)
            std::memcpy(gathered + (r - first) * width, cache->sets[owners[r]][bank].values + r * width,
                        width);
    Upload(bank, first, gathered, end - first);
}

// Uploads the runs of registers in [first, end) whose owner in `now` differs from `before` and is a set.
void UploadChangedRuns(const ShaderConstantCache* cache, int bank, int first, int end, const uint8_t* before,
                       const uint8_t* now) {
    int r = first;
    while (r < end) {
        if (now[r] == before[r] || now[r] == kNoConstantOwner) {
            ++r;
            continue;
        }
        int runEnd = r + 1;
        while (runEnd < end && now[runEnd] != before[runEnd] && now[runEnd] != kNoConstantOwner) ++runEnd;
        UploadFromOwners(cache, bank, r, runEnd, now);
        r = runEnd;
    }
}

void AddRange(ShaderConstantSetBank& b, int first, int end) {
    int i = 0;
    while (i < b.rangeCount && b.ranges[i][1] < first) ++i;
    int j = i;
    while (j < b.rangeCount && b.ranges[j][0] <= end) {
        if (b.ranges[j][0] < first) first = b.ranges[j][0];
        if (b.ranges[j][1] > end) end = b.ranges[j][1];
        ++j;
    }
    // Ranges i..j-1 merge into one at i.
    const int removed = j - i;
    std::memmove(&b.ranges[i + 1], &b.ranges[j], sizeof(b.ranges[0]) * (b.rangeCount - j));
    b.rangeCount += 1 - removed;
    b.ranges[i][0] = uint16_t(first);
    b.ranges[i][1] = uint16_t(end);
}

void RemoveRange(ShaderConstantSetBank& b, int first, int end) {
    uint16_t kept[kShaderConstantMaxRegisters + 1][2];
    int count = 0;
    for (int i = 0; i < b.rangeCount; ++i) {
        const int lo = b.ranges[i][0], hi = b.ranges[i][1];
        if (hi <= first || lo >= end) {
            kept[count][0] = uint16_t(lo), kept[count++][1] = uint16_t(hi);
            continue;
        }
        if (lo < first) kept[count][0] = uint16_t(lo), kept[count++][1] = uint16_t(first);
        if (hi > end) kept[count][0] = uint16_t(end), kept[count++][1] = uint16_t(hi);
    }
    // Cutting one range out of the middle of another can add one; the list covers at most 256
    // registers, so a split list still fits.
    b.rangeCount = count;
    std::memcpy(b.ranges, kept, sizeof(b.ranges[0]) * count);
}

}  // namespace

int ResetShaderConstantCache(ShaderConstantCache* cache) {
    std::memset(cache, 0, sizeof *cache);
    std::memset(cache->owner, kNoConstantOwner, sizeof cache->owner);
    for (auto& set : cache->sets)
        for (int bank = 0; bank < kShaderConstantBankCount; ++bank) {
            set[bank].registerCount = kShaderConstantRegisterCounts[bank];
            set[bank].registerWidth = kShaderConstantRegisterWidths[bank];
        }
    return 0;
}

int SelectShaderConstantSets(ShaderConstantCache* cache, uint32_t mask) {
    mask &= 0xF;
    if (mask == cache->activeMask) return 0;
    cache->activeMask = mask;
    for (int s = 0; s < kShaderConstantSetCount; ++s) cache->active[s] = (mask >> s) & 1;
    for (int bank = 0; bank < kShaderConstantBankCount; ++bank) {
        uint8_t now[kShaderConstantMaxRegisters];
        std::memset(now, kNoConstantOwner, sizeof now);
        for (int s = 0; s < kShaderConstantSetCount; ++s) {
            if (!cache->active[s]) continue;
            const ShaderConstantSetBank& b = cache->sets[s][bank];
            for (int i = 0; i < b.rangeCount; ++i)
                std::memset(now + b.ranges[i][0], s, b.ranges[i][1] - b.ranges[i][0]);
        }
        UploadChangedRuns(cache, bank, 0, kShaderConstantRegisterCounts[bank], cache->owner[bank], now);
        std::memcpy(cache->owner[bank], now, sizeof now);
    }
    return 0;
}

int SetShaderConstants(ShaderConstantCache* cache, int bank, int set, int first, const void* values,
                       int count, int trackUsage) {
    if (!InBank(bank, set, first, count)) return -1;
    if (count == 0) return 0;
    ShaderConstantSetBank& b = cache->sets[set][bank];
    if (trackUsage) AddRange(b, first, first + count);
    std::memcpy(b.values + first * b.registerWidth, values, size_t(count) * b.registerWidth);
    std::memset(&cache->held[bank][set][first], 1, count);
    if (!cache->active[set]) return 0;
    uint8_t* owner = cache->owner[bank];
    for (int r = first; r < first + count; ++r)
        if (owner[r] == kNoConstantOwner || owner[r] < set) owner[r] = uint8_t(set);
    UploadFromOwners(cache, bank, first, first + count, owner);
    return 0;
}

int ClearShaderConstants(ShaderConstantCache* cache, int bank, int set, int first, int count) {
    if (!InBank(bank, set, first, count)) return -1;
    if (count == 0) return 0;
    RemoveRange(cache->sets[set][bank], first, first + count);
    std::memset(&cache->held[bank][set][first], 0, count);
    uint8_t* owner = cache->owner[bank];
    uint8_t before[kShaderConstantMaxRegisters];
    std::memcpy(before, owner, sizeof before);
    for (int r = first; r < first + count; ++r) {
        if (owner[r] != set) continue;
        owner[r] = kNoConstantOwner;
        for (int lower = set - 1; lower >= 0; --lower)
            if (cache->active[lower] && cache->held[bank][lower][r]) {
                owner[r] = uint8_t(lower);
                break;
            }
    }
    UploadChangedRuns(cache, bank, first, first + count, before, owner);
    return 0;
}

int UploadOwnedShaderConstants(const ShaderConstantCache* cache, int bank, int first, int count) {
    if (!InBank(bank, 0, first, count)) return -1;
    UploadFromOwners(cache, bank, first, first + count, cache->owner[bank]);
    return 0;
}
