// Ogg Vorbis through vorbisfile, read through the converter's stream.
#include <cstring>

#include "engine/sound/converter_kinds.h"
#include "engine/sound/converter_stream.h"

namespace {

constexpr int kOggBlockBytes = 4096;

size_t OggRead(void* buffer, size_t size, size_t count, void* source) {
    if (!source) return 0;
    const auto* stream = static_cast<const StreamDescriptor*>(source);
    return stream->functions.read(buffer, size, count, stream->source);
}

int OggSeek(void* source, ogg_int64_t offset, int origin) {
    if (!source) return -1;
    const auto* stream = static_cast<const StreamDescriptor*>(source);
    return stream->functions.seek(stream->source, offset, origin);
}

int OggClose(void*) {
    return 0;
}

long OggTell(void* source) {
    if (!source) return -1;
    const auto* stream = static_cast<const StreamDescriptor*>(source);
    return static_cast<long>(stream->functions.tell(stream->source));
}

}  // namespace

int OpenOggConvert(SoundConverter* converter) {
    const ov_callbacks callbacks = {OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(&converter->stream, &converter->ogg.file, nullptr, 0, callbacks) != 0) return -1;
    converter->ogg.opened = 1;
    const vorbis_info* info = ov_info(&converter->ogg.file, -1);
    const ogg_int64_t total = ov_pcm_total(&converter->ogg.file, -1);
    const int option = converter->option;
    const uint64_t bytes = info && total >= 0 ? static_cast<uint64_t>(total) * info->channels * option : 0;
    if (!info || info->channels <= 0 || info->channels > 255 || info->rate <= 0 || total < 0 ||
        bytes > 0xFFFFFFFFu) {
        ov_clear(&converter->ogg.file);
        converter->ogg.opened = 0;
        return -1;
    }
    converter->ogg.channels = info->channels;
    WAVEFORMATEX& out = converter->outputFormat;
    out = WAVEFORMATEX{};
    out.wFormatTag = WAVE_FORMAT_PCM;
    out.nChannels = static_cast<WORD>(info->channels);
    out.nSamplesPerSec = static_cast<DWORD>(info->rate);
    out.nBlockAlign = static_cast<WORD>(info->channels * option);
    out.wBitsPerSample = static_cast<WORD>(option * 8);
    out.nAvgBytesPerSec = out.nBlockAlign * out.nSamplesPerSec;
    converter->blockSize = kOggBlockBytes;
    converter->dataSize = static_cast<uint32_t>(bytes);
    converter->kind = kConverterOgg;
    return 0;
}

bool RefillOggBlock(SoundConverter* converter) {
    const int option = converter->option;
    int section = 0;
    // A hole, an error or a chained stream of another channel count ends the data.
    const long got = ov_read(&converter->ogg.file, reinterpret_cast<char*>(converter->block), kOggBlockBytes,
                             0, option, option == 1 ? 0 : 1, &section);
    if (got <= 0) return false;
    const vorbis_info* info = ov_info(&converter->ogg.file, section);
    if (!info || info->channels != converter->ogg.channels) return false;
    converter->blockLeft = static_cast<uint32_t>(got);
    return true;
}

bool SeekOgg(SoundConverter* converter, int sample) {
    return ov_pcm_seek(&converter->ogg.file, sample) == 0;
}
