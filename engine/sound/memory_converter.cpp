// PCM held in memory (made by the MP3 graph conversion).
#include <algorithm>
#include <cstring>

#include "engine/sound/converter_kinds.h"

bool RefillMemoryBlock(SoundConverter* converter) {
    auto& memory = converter->memory;
    const uint32_t n = std::min(converter->blockSize, memory.size - memory.position);
    if (n == 0) return false;
    std::memcpy(converter->block, memory.data + memory.position, n);
    memory.position += n;
    converter->blockLeft = n;
    return true;
}

bool SeekMemory(SoundConverter* converter, uint64_t target) {
    converter->memory.position = static_cast<uint32_t>(std::min<uint64_t>(target, converter->memory.size));
    return true;
}
