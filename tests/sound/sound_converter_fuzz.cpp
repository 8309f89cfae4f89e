// Any bytes given to the sound converter: it opens them or refuses, and a whole conversion, a seek and
// block reads stay within the data. MPEG audio goes through the compression manager, or, for inputs of
// odd size, through the DirectShow graph.
#include <cstdint>
#include <vector>

#include "byte_stream.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_converter.h"

namespace {

void Convert(const uint8_t* data, size_t size, int disableBits) {
    ByteStream stream(std::vector<uint8_t>(data, data + size));
    StreamDescriptor descriptor = stream.Descriptor();
    SoundConverter converter{};
    if (StartSoundConverter(&converter, &descriptor, disableBits, 2, 0) != 0) return;
    void* pcm = nullptr;
    uint32_t bytes = 0;
    WAVEFORMATEX format{};
    if (GetConvertedSize(&converter) <= (64 << 20) &&
        ConvertSoundWhole(&converter, &pcm, &bytes, &format) == 0)
        TrackedFree(pcm);
    SeekSoundConverter(&converter, static_cast<int>(size % 1000));
    uint8_t block[3000];
    for (int i = 0; i < 4 && ConvertSoundBlock(&converter, block, sizeof block) > 0; ++i) {
    }
    ReleaseSoundConverter(&converter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool loaded = LoadSystemLibraries() == 0 && LoadAcmFunctions() == 0;
    (void)loaded;
    Convert(data, size, size % 2 == 1 ? kConverterSkipAcmMp3 : 0);
    return 0;
}
