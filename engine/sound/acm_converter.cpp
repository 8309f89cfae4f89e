// Compressed WAVE data and MP3 through the Audio Compression Manager: the compressed input is held in
// memory and converted piece by piece into the block. A seek behind the stream's output re-opens the
// stream at the start of the input; the stream then converts forward, discarding what lies before the
// target, so that the block starts on the requested sample.
#include <algorithm>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/acm_functions.h"
#include "engine/sound/converter_kinds.h"
#include "engine/sound/converter_stream.h"
#include "engine/sound/mpeg_audio_header.h"
#include "platform/acm/msacm.h"

namespace {

constexpr uint32_t kInputPiece = 2048;
constexpr uint32_t kMaxFormatBytes = 1024;
constexpr uint32_t kMaxBlockBytes = 1u << 20;
constexpr uint32_t kMinBlockBytes = 4096;

using FormatSuggestCall = MMRESULT(WINAPI*)(HACMDRIVER, LPWAVEFORMATEX, LPWAVEFORMATEX, DWORD, DWORD);
using StreamOpenCall = MMRESULT(WINAPI*)(LPHACMSTREAM, HACMDRIVER, LPWAVEFORMATEX, LPWAVEFORMATEX, void*,
                                         DWORD_PTR, DWORD_PTR, DWORD);
using StreamCloseCall = MMRESULT(WINAPI*)(HACMSTREAM, DWORD);
using MetricsCall = MMRESULT(WINAPI*)(HACMOBJ, UINT, LPVOID);
using HeaderCall = MMRESULT(WINAPI*)(HACMSTREAM, LPACMSTREAMHEADER, DWORD);
using StreamSizeCall = MMRESULT(WINAPI*)(HACMSTREAM, DWORD, LPDWORD, DWORD);

template <typename Call>
Call As(FARPROC entry) {
    return reinterpret_cast<Call>(entry);
}

bool OpenAcmStream(SoundConverter* converter) {
    auto& acm = converter->acm;
    HACMSTREAM stream = nullptr;
    const MMRESULT result = As<StreamOpenCall>(acmFunctions.streamOpen)(
        &stream, nullptr, reinterpret_cast<LPWAVEFORMATEX>(acm.sourceFormat), &converter->outputFormat,
        nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (result != MMSYSERR_NOERROR) return false;
    acm.stream = stream;
    acm.inputPosition = 0;
    acm.outputPosition = 0;
    acm.drained = 0;
    return true;
}

void CloseAcmStream(SoundConverter* converter) {
    if (converter->acm.stream) As<StreamCloseCall>(acmFunctions.streamClose)(converter->acm.stream, 0);
    converter->acm.stream = nullptr;
}

// Converts the next input piece into `out`; the output bytes (0 once nothing more comes out).
uint32_t ConvertNextPiece(SoundConverter* converter, uint8_t* out, uint32_t room) {
    auto& acm = converter->acm;
    while (!acm.drained) {
        const uint32_t piece = std::min(kInputPiece, acm.size - acm.inputPosition);
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = acm.data + acm.inputPosition;
        header.cbSrcLength = piece;
        header.pbDst = out;
        header.cbDstLength = room;
        const DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (piece == 0 ? ACM_STREAMCONVERTF_END : 0);
        if (As<HeaderCall>(acmFunctions.streamPrepareHeader)(acm.stream, &header, 0) != MMSYSERR_NOERROR) {
            acm.drained = 1;
            break;
        }
        const MMRESULT result = As<HeaderCall>(acmFunctions.streamConvert)(acm.stream, &header, flags);
        As<HeaderCall>(acmFunctions.streamUnprepareHeader)(acm.stream, &header, 0);
        if (result != MMSYSERR_NOERROR) {
            acm.drained = 1;
            break;
        }
        const uint32_t used = std::min<uint32_t>(header.cbSrcLengthUsed, piece);
        const uint32_t produced = std::min<uint32_t>(header.cbDstLengthUsed, room);
        acm.inputPosition += used;
        acm.outputPosition += produced;
        if (produced > 0) return produced;
        // Nothing came out: the end once the input is used up, else a piece that held no whole frame.
        if (piece == 0 || used == 0) acm.drained = 1;
    }
    return 0;
}

uint32_t BlockBytesFor(const WAVEFORMATEX& format) {
    const uint32_t bytes = std::clamp(format.nAvgBytesPerSec, kMinBlockBytes, kMaxBlockBytes);
    return std::max<uint32_t>(bytes / format.nBlockAlign * format.nBlockAlign, format.nBlockAlign);
}

bool SuggestPcm(SoundConverter* converter) {
    WAVEFORMATEX& out = converter->outputFormat;
    out = WAVEFORMATEX{};
    out.wFormatTag = WAVE_FORMAT_PCM;
    const MMRESULT result = As<FormatSuggestCall>(acmFunctions.formatSuggest)(
        nullptr, reinterpret_cast<LPWAVEFORMATEX>(converter->acm.sourceFormat), &out, sizeof out,
        ACM_FORMATSUGGESTF_WFORMATTAG);
    out.cbSize = 0;
    return result == MMSYSERR_NOERROR && out.wFormatTag == WAVE_FORMAT_PCM && out.nBlockAlign > 0 &&
           out.nChannels > 0 && out.nSamplesPerSec > 0;
}

// Output format, stream and block size once the source format and the input are in place.
int FinishAcmOpen(SoundConverter* converter) {
    if (!SuggestPcm(converter) || !OpenAcmStream(converter)) {
        ReleaseAcmParts(converter);
        return -1;
    }
    converter->blockSize = BlockBytesFor(converter->outputFormat);
    converter->kind = kConverterAcm;
    return 0;
}

int64_t SkipId3Tag(const StreamDescriptor& stream) {
    uint8_t tag[10];
    if (!ReadExactly(stream, tag, sizeof tag) || std::memcmp(tag, "ID3", 3) != 0) return 0;
    int64_t size =
        ((tag[6] & 0x7F) << 21) | ((tag[7] & 0x7F) << 14) | ((tag[8] & 0x7F) << 7) | (tag[9] & 0x7F);
    size += 10;
    if (tag[3] == 4 && (tag[5] & 0x10)) size += 10;
    return size;
}

bool HasTrailingTag(const StreamDescriptor& stream, int64_t length) {
    if (length <= 128) return false;
    uint8_t tag[3];
    const bool found =
        SeekStream(stream, length - 128) && ReadExactly(stream, tag, 3) && std::memcmp(tag, "TAG", 3) == 0;
    return found;
}

bool Loaded() {
    return acmFunctions.loaded != 0;
}

}  // namespace

void ReleaseAcmParts(SoundConverter* converter) {
    CloseAcmStream(converter);
    TrackedFree(converter->acm.data);
    TrackedFree(converter->acm.sourceFormat);
    converter->acm = {};
}

int OpenAcmWave(SoundConverter* converter) {
    if (!Loaded()) return -1;
    WAVEFORMATEX file;
    if (!ParseWaveLayout(converter, &file)) return -1;
    if (file.wFormatTag == WAVE_FORMAT_PCM || file.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return -1;
    auto& acm = converter->acm;
    const StreamDescriptor& stream = converter->stream;
    const uint32_t formatBytes =
        std::max<uint32_t>(sizeof(WAVEFORMATEX), std::min(converter->fmtSize, kMaxFormatBytes));
    acm.sourceFormat = static_cast<uint8_t*>(TrackedAllocZeroed(formatBytes, "SoundConverter", __LINE__));
    acm.data =
        static_cast<uint8_t*>(TrackedAlloc(std::max(converter->dataSize, 1u), "SoundConverter", __LINE__));
    acm.size = converter->dataSize;
    const uint32_t bodyBytes = std::min(converter->fmtSize, formatBytes);
    const bool read = acm.sourceFormat && acm.data && SeekStream(stream, converter->fmtPosition) &&
                      ReadExactly(stream, acm.sourceFormat, bodyBytes) &&
                      SeekStream(stream, converter->dataStart) && ReadExactly(stream, acm.data, acm.size) &&
                      SeekStream(stream, converter->dataStart);
    if (!read) {
        ReleaseAcmParts(converter);
        return -1;
    }
    auto* format = reinterpret_cast<WAVEFORMATEX*>(acm.sourceFormat);
    if (converter->fmtSize < sizeof(WAVEFORMATEX)) format->cbSize = 0;
    format->cbSize =
        static_cast<WORD>(std::min<uint32_t>(format->cbSize, formatBytes - sizeof(WAVEFORMATEX)));
    return FinishAcmOpen(converter);
}

int OpenAcmMp3(SoundConverter* converter) {
    if (!Loaded()) return -1;
    const StreamDescriptor& stream = converter->stream;
    const int64_t length = StreamLength(stream);
    if (length <= 4 || length > 0x7FFFFFFF) return -1;
    const int64_t start = SkipId3Tag(stream);
    const int64_t end = HasTrailingTag(stream, length) ? length - 128 : length;
    if (start >= end - 4) return -1;
    const uint32_t rangeBytes = static_cast<uint32_t>(end - start);
    auto& acm = converter->acm;
    acm.data = static_cast<uint8_t*>(TrackedAlloc(rangeBytes, "SoundConverter", __LINE__));
    if (!acm.data || !SeekStream(stream, start) || !ReadExactly(stream, acm.data, rangeBytes)) {
        ReleaseAcmParts(converter);
        return -1;
    }
    MpegAudioHeader header;
    const int64_t first = FindMpegAudioFrame(acm.data, rangeBytes, 0, &header);
    if (first < 0) {
        ReleaseAcmParts(converter);
        return -1;
    }
    // The input starts on the first frame.
    acm.size = rangeBytes - static_cast<uint32_t>(first);
    std::memmove(acm.data, acm.data + first, acm.size);
    acm.frameCount = CountMpegAudioFrames(acm.data, acm.size, 0);
    acm.samplesPerFrame = static_cast<uint32_t>(header.samplesPerFrame);

    DWORD formatBytes = 0;
    if (As<MetricsCall>(acmFunctions.metrics)(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &formatBytes) !=
        MMSYSERR_NOERROR)
        formatBytes = 0;
    formatBytes = std::clamp<DWORD>(formatBytes, sizeof(MPEGLAYER3WAVEFORMAT), kMaxFormatBytes);
    acm.sourceFormat = static_cast<uint8_t*>(TrackedAllocZeroed(formatBytes, "SoundConverter", __LINE__));
    if (!acm.sourceFormat) {
        ReleaseAcmParts(converter);
        return -1;
    }
    auto* format = reinterpret_cast<MPEGLAYER3WAVEFORMAT*>(acm.sourceFormat);
    format->wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    format->wfx.nChannels = static_cast<WORD>(header.channels);
    format->wfx.nSamplesPerSec = static_cast<DWORD>(header.sampleRate);
    format->wfx.nAvgBytesPerSec = static_cast<DWORD>(header.bitRate * 1000 / 8);
    format->wfx.nBlockAlign = 1;
    format->wfx.wBitsPerSample = 0;
    format->wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    format->wID = MPEGLAYER3_ID_MPEG;
    format->fdwFlags = header.padding ? MPEGLAYER3_FLAG_PADDING_ON : MPEGLAYER3_FLAG_PADDING_OFF;
    format->nBlockSize = static_cast<WORD>(header.frameLength);
    format->nFramesPerBlock = 1;
    format->nCodecDelay = 700;
    return FinishAcmOpen(converter);
}

bool RefillAcmBlock(SoundConverter* converter) {
    const uint32_t produced = ConvertNextPiece(converter, converter->block, converter->blockSize);
    converter->blockLeft = produced;
    return produced > 0;
}

bool SeekAcm(SoundConverter* converter, uint64_t target) {
    auto& acm = converter->acm;
    const uint64_t blockStart = acm.outputPosition - (converter->blockReadPosition + converter->blockLeft);
    if (target >= blockStart && target < acm.outputPosition) {
        const uint32_t filled = converter->blockReadPosition + converter->blockLeft;
        converter->blockReadPosition = static_cast<uint32_t>(target - blockStart);
        converter->blockLeft = filled - converter->blockReadPosition;
        return true;
    }
    converter->blockReadPosition = 0;
    converter->blockLeft = 0;
    if (target < acm.outputPosition) {
        CloseAcmStream(converter);
        if (!OpenAcmStream(converter)) return false;
    }
    while (acm.outputPosition <= target) {
        const uint64_t before = acm.outputPosition;
        const uint32_t produced = ConvertNextPiece(converter, converter->block, converter->blockSize);
        if (produced == 0) return true;  // the target lies past the end: nothing more to deliver
        if (acm.outputPosition > target) {
            converter->blockReadPosition = static_cast<uint32_t>(target - before);
            converter->blockLeft = produced - converter->blockReadPosition;
            return true;
        }
    }
    return true;
}

int64_t AcmConvertedSize(const SoundConverter* converter) {
    const auto& acm = converter->acm;
    if (acm.frameCount > 0)
        return int64_t{acm.frameCount} * acm.samplesPerFrame * converter->outputFormat.nBlockAlign;
    DWORD bytes = 0;
    if (As<StreamSizeCall>(acmFunctions.streamSize)(acm.stream, acm.size, &bytes, ACM_STREAMSIZEF_SOURCE) !=
        MMSYSERR_NOERROR)
        return 0;
    return bytes;
}
