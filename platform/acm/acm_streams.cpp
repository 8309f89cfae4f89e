// The compression manager's streams. One codec is installed: MPEG audio (tags 0x50 and 0x55) to
// 16-bit PCM of the same rate and channel count. A stream takes its compressed input in pieces; what a
// piece decodes to beyond the caller's output buffer stays in the stream for the next conversion.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/acm/mpeg_audio_decoder.h"
#include "platform/acm/msacm.h"

namespace {

struct AcmStream {
    WAVEFORMATEX source;
    WAVEFORMATEX dest;
    MpegAudioDecoder decoder;
};

std::mutex& StreamsLock() {
    static std::mutex lock;
    return lock;
}
std::set<AcmStream*>& Streams() {
    static std::set<AcmStream*> streams;
    return streams;
}

AcmStream* FindStream(HACMSTREAM handle) {
    std::lock_guard<std::mutex> guard(StreamsLock());
    auto* stream = reinterpret_cast<AcmStream*>(handle);
    return Streams().count(stream) ? stream : nullptr;
}

bool IsMpegTag(WORD tag) {
    return tag == WAVE_FORMAT_MPEG || tag == WAVE_FORMAT_MPEGLAYER3;
}

bool IsUsableMpegSource(const WAVEFORMATEX* source) {
    return source && IsMpegTag(source->wFormatTag) && (source->nChannels == 1 || source->nChannels == 2) &&
           source->nSamplesPerSec >= 8000 && source->nSamplesPerSec <= 48000;
}

// The PCM that an MPEG source decodes to.
WAVEFORMATEX PcmFor(const WAVEFORMATEX& source) {
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = source.nChannels;
    pcm.nSamplesPerSec = source.nSamplesPerSec;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(pcm.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nBlockAlign * pcm.nSamplesPerSec;
    return pcm;
}

bool IsMatchingPcm(const WAVEFORMATEX* dest, const WAVEFORMATEX& expected) {
    return dest && dest->wFormatTag == WAVE_FORMAT_PCM && dest->nChannels == expected.nChannels &&
           dest->nSamplesPerSec == expected.nSamplesPerSec && dest->wBitsPerSample == 16 &&
           dest->nBlockAlign == expected.nBlockAlign;
}

bool IsHeaderUsable(const ACMSTREAMHEADER* header) {
    return header && header->cbStruct >= sizeof(ACMSTREAMHEADER);
}

// Feeding pieces of this size lets a full output buffer stop the intake close to where it filled.
constexpr DWORD kFeedPiece = 512;

}  // namespace

MMRESULT WINAPI acmFormatSuggest(HACMDRIVER, LPWAVEFORMATEX source, LPWAVEFORMATEX dest, DWORD destSize,
                                 DWORD flags) {
    if (!source || !dest) return MMSYSERR_INVALPARAM;
    if (flags & ~ACM_FORMATSUGGESTF_TYPEMASK) return MMSYSERR_INVALFLAG;
    if (destSize < 16) return MMSYSERR_INVALPARAM;
    if (!IsUsableMpegSource(source)) return ACMERR_NOTPOSSIBLE;
    const WAVEFORMATEX pcm = PcmFor(*source);
    if ((flags & ACM_FORMATSUGGESTF_WFORMATTAG) && dest->wFormatTag != WAVE_FORMAT_PCM)
        return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_NCHANNELS) && dest->nChannels != pcm.nChannels) return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) && dest->nSamplesPerSec != pcm.nSamplesPerSec)
        return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) && dest->wBitsPerSample != 16) return ACMERR_NOTPOSSIBLE;
    std::memcpy(dest, &pcm, std::min<DWORD>(destSize, sizeof pcm));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamOpen(LPHACMSTREAM handle, HACMDRIVER, LPWAVEFORMATEX source, LPWAVEFORMATEX dest,
                              void* filter, DWORD_PTR, DWORD_PTR, DWORD flags) {
    const bool query = flags & ACM_STREAMOPENF_QUERY;
    if (handle) *handle = nullptr;
    if (!source || !dest || (!query && !handle)) return MMSYSERR_INVALPARAM;
    if (filter || (flags & ACM_STREAMOPENF_ASYNC)) return ACMERR_NOTPOSSIBLE;
    if (!IsUsableMpegSource(source) || !IsMatchingPcm(dest, PcmFor(*source))) return ACMERR_NOTPOSSIBLE;
    if (query) return MMSYSERR_NOERROR;
    auto* stream = new (std::nothrow) AcmStream{};
    if (!stream) return MMSYSERR_NOMEM;
    stream->source = *source;
    stream->dest = *dest;
    if (!stream->decoder.Open(static_cast<long>(dest->nSamplesPerSec), dest->nChannels)) {
        delete stream;
        return MMSYSERR_NOMEM;
    }
    {
        std::lock_guard<std::mutex> guard(StreamsLock());
        Streams().insert(stream);
    }
    *handle = reinterpret_cast<HACMSTREAM>(stream);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamClose(HACMSTREAM handle, DWORD flags) {
    if (flags) return MMSYSERR_INVALFLAG;
    std::lock_guard<std::mutex> guard(StreamsLock());
    auto* stream = reinterpret_cast<AcmStream*>(handle);
    if (!Streams().erase(stream)) return MMSYSERR_INVALHANDLE;
    delete stream;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmMetrics(HACMOBJ, UINT metric, LPVOID value) {
    if (!value) return MMSYSERR_INVALPARAM;
    if (metric != ACM_METRIC_MAX_SIZE_FORMAT) return MMSYSERR_NOTSUPPORTED;
    *static_cast<DWORD*>(value) = sizeof(MPEG1WAVEFORMAT);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamPrepareHeader(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
    if (!FindStream(handle)) return MMSYSERR_INVALHANDLE;
    if (flags) return MMSYSERR_INVALFLAG;
    if (!IsHeaderUsable(header) || !header->pbDst || (header->cbSrcLength && !header->pbSrc))
        return MMSYSERR_INVALPARAM;
    header->fdwStatus =
        (header->fdwStatus & ~ACMSTREAMHEADER_STATUSF_DONE) | ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamUnprepareHeader(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
    if (!FindStream(handle)) return MMSYSERR_INVALHANDLE;
    if (flags) return MMSYSERR_INVALFLAG;
    if (!IsHeaderUsable(header)) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamConvert(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
    AcmStream* stream = FindStream(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (flags & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
        return MMSYSERR_INVALFLAG;
    if (!IsHeaderUsable(header)) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;

    const DWORD room = header->cbDstLength / stream->dest.nBlockAlign * stream->dest.nBlockAlign;
    size_t produced = stream->decoder.Read(header->pbDst, room);
    DWORD consumed = 0;
    while (produced < room && consumed < header->cbSrcLength) {
        const DWORD piece = std::min(kFeedPiece, header->cbSrcLength - consumed);
        if (!stream->decoder.Feed(header->pbSrc + consumed, piece)) break;
        consumed += piece;
        produced += stream->decoder.Read(header->pbDst + produced, room - produced);
    }
    header->cbSrcLengthUsed = consumed;
    header->cbDstLengthUsed = static_cast<DWORD>(produced);
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}

// An estimate from the average byte rates, with room for one more frame of the largest kind.
MMRESULT WINAPI acmStreamSize(HACMSTREAM handle, DWORD inputBytes, LPDWORD outputBytes, DWORD flags) {
    AcmStream* stream = FindStream(handle);
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!outputBytes) return MMSYSERR_INVALPARAM;
    *outputBytes = 0;
    const uint64_t sourceRate = stream->source.nAvgBytesPerSec;
    const uint64_t destRate = stream->dest.nAvgBytesPerSec;
    if (sourceRate == 0 || destRate == 0) return ACMERR_NOTPOSSIBLE;
    uint64_t size = 0;
    switch (flags & ACM_STREAMSIZEF_QUERYMASK) {
        case ACM_STREAMSIZEF_SOURCE:
            size = (inputBytes * destRate + sourceRate - 1) / sourceRate + 1152 * stream->dest.nBlockAlign;
            size = size / stream->dest.nBlockAlign * stream->dest.nBlockAlign;
            break;
        case ACM_STREAMSIZEF_DESTINATION:
            size = inputBytes * sourceRate / destRate;
            break;
        default:
            return MMSYSERR_INVALFLAG;
    }
    if (size > 0xFFFFFFFFu || size == 0) return ACMERR_NOTPOSSIBLE;
    *outputBytes = static_cast<DWORD>(size);
    return MMSYSERR_NOERROR;
}
