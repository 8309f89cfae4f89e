// The compression manager stand-in: its module, format suggestion, stream opening and conversion of
// MPEG audio, and the refusals of what it has no codec for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/acm/msacm.h"
#include "platform/kernel/module_registry.h"

namespace {

std::vector<uint8_t> ReadSoundFixture(const std::string& name) {
    std::ifstream in(std::string(KORVALUND_SOURCE_DIR) + "/tests/sound/fixtures/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

WAVEFORMATEX Format(WORD tag, WORD channels, DWORD rate, WORD bits, WORD blockAlign, DWORD bytesPerSecond) {
    return WAVEFORMATEX{tag, channels, rate, bytesPerSecond, blockAlign, bits, 0};
}

const WAVEFORMATEX kMp3Stereo = Format(WAVE_FORMAT_MPEGLAYER3, 2, 44100, 0, 1, 12000);
const WAVEFORMATEX kPcmStereo = Format(WAVE_FORMAT_PCM, 2, 44100, 16, 4, 176400);

// A stream from the MP3 fixture's format, closed at the end.
struct Stream {
    explicit Stream(WAVEFORMATEX source = kMp3Stereo, WAVEFORMATEX dest = kPcmStereo) {
        result = acmStreamOpen(&handle, nullptr, &source, &dest, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    }
    ~Stream() {
        if (handle) acmStreamClose(handle, 0);
    }
    // Converts `input` in pieces of `piece` bytes into buffers of `room` bytes; all output, in order.
    std::vector<uint8_t> Convert(const std::vector<uint8_t>& input, DWORD piece, DWORD room) {
        std::vector<uint8_t> out;
        std::vector<uint8_t> buffer(room);
        size_t at = 0;
        for (int guard = 0; guard < 100000; ++guard) {
            ACMSTREAMHEADER header{};
            header.cbStruct = sizeof header;
            header.pbSrc = const_cast<uint8_t*>(input.data()) + at;
            header.cbSrcLength = static_cast<DWORD>(std::min<size_t>(piece, input.size() - at));
            header.pbDst = buffer.data();
            header.cbDstLength = room;
            EXPECT_EQ(acmStreamPrepareHeader(handle, &header, 0), MMSYSERR_NOERROR);
            const DWORD flags =
                ACM_STREAMCONVERTF_BLOCKALIGN | (header.cbSrcLength ? 0 : ACM_STREAMCONVERTF_END);
            EXPECT_EQ(acmStreamConvert(handle, &header, flags), MMSYSERR_NOERROR);
            EXPECT_TRUE(header.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
            EXPECT_EQ(acmStreamUnprepareHeader(handle, &header, 0), MMSYSERR_NOERROR);
            EXPECT_LE(header.cbSrcLengthUsed, header.cbSrcLength);
            EXPECT_LE(header.cbDstLengthUsed, room);
            EXPECT_EQ(header.cbDstLengthUsed % 4, 0u);
            at += header.cbSrcLengthUsed;
            out.insert(out.end(), buffer.begin(), buffer.begin() + header.cbDstLengthUsed);
            if (header.cbDstLengthUsed == 0 && (header.cbSrcLength == 0 || header.cbSrcLengthUsed == 0))
                break;
        }
        return out;
    }
    HACMSTREAM handle = nullptr;
    MMRESULT result = MMSYSERR_ERROR;
};

TEST(AcmModule, OffersItsEntryPointsByName) {
    HMODULE module = LoadLibraryA("MSACM32.DLL");
    ASSERT_NE(module, nullptr);
    for (const char* name :
         {"acmFormatSuggest", "acmStreamOpen", "acmStreamClose", "acmMetrics", "acmStreamPrepareHeader",
          "acmStreamConvert", "acmStreamUnprepareHeader", "acmStreamSize"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    FreeLibrary(module);
}

TEST(AcmFormatSuggest, MpegSourcesBecomeSixteenBitPcmOfTheirRateAndChannels) {
    struct Case {
        WAVEFORMATEX source;
        WORD wantTag;
        MMRESULT result;
    };
    const Case cases[] = {
        {Format(WAVE_FORMAT_MPEGLAYER3, 2, 44100, 0, 1, 16000), WAVE_FORMAT_PCM, MMSYSERR_NOERROR},
        {Format(WAVE_FORMAT_MPEGLAYER3, 1, 22050, 0, 1, 4000), WAVE_FORMAT_PCM, MMSYSERR_NOERROR},
        {Format(WAVE_FORMAT_MPEG, 2, 32000, 0, 1, 16000), WAVE_FORMAT_PCM, MMSYSERR_NOERROR},
        {Format(WAVE_FORMAT_MPEGLAYER3, 2, 44100, 0, 1, 16000), 0x11, ACMERR_NOTPOSSIBLE},
        {Format(2, 1, 22050, 4, 256, 11100), WAVE_FORMAT_PCM, ACMERR_NOTPOSSIBLE},  // MS ADPCM: no codec
        {Format(0x31, 1, 8000, 0, 65, 1625), WAVE_FORMAT_PCM, ACMERR_NOTPOSSIBLE},  // GSM 6.10: no codec
        {kPcmStereo, WAVE_FORMAT_PCM, ACMERR_NOTPOSSIBLE},
        {Format(WAVE_FORMAT_MPEGLAYER3, 3, 44100, 0, 1, 16000), WAVE_FORMAT_PCM, ACMERR_NOTPOSSIBLE},
    };
    for (const Case& c : cases) {
        WAVEFORMATEX source = c.source;
        WAVEFORMATEX dest{};
        dest.wFormatTag = c.wantTag;
        EXPECT_EQ(acmFormatSuggest(nullptr, &source, &dest, sizeof dest, ACM_FORMATSUGGESTF_WFORMATTAG),
                  c.result)
            << source.wFormatTag << " " << source.nChannels;
        if (c.result != MMSYSERR_NOERROR) continue;
        EXPECT_EQ(dest.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(dest.nChannels, source.nChannels);
        EXPECT_EQ(dest.nSamplesPerSec, source.nSamplesPerSec);
        EXPECT_EQ(dest.wBitsPerSample, 16);
        EXPECT_EQ(dest.nBlockAlign, source.nChannels * 2);
        EXPECT_EQ(dest.nAvgBytesPerSec, source.nSamplesPerSec * source.nChannels * 2);
    }
    WAVEFORMATEX source = kMp3Stereo, dest{};
    EXPECT_EQ(acmFormatSuggest(nullptr, &source, &dest, 8, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmFormatSuggest(nullptr, nullptr, &dest, sizeof dest, 0), MMSYSERR_INVALPARAM);
}

TEST(AcmStreamOpen, OnlyMpegToMatchingPcmOpens) {
    struct Case {
        WAVEFORMATEX source;
        WAVEFORMATEX dest;
        MMRESULT result;
    };
    const Case cases[] = {
        {kMp3Stereo, kPcmStereo, MMSYSERR_NOERROR},
        {Format(WAVE_FORMAT_MPEG, 2, 44100, 0, 1, 16000), kPcmStereo, MMSYSERR_NOERROR},
        {kMp3Stereo, Format(WAVE_FORMAT_PCM, 2, 22050, 16, 4, 88200), ACMERR_NOTPOSSIBLE},
        {kMp3Stereo, Format(WAVE_FORMAT_PCM, 2, 44100, 8, 2, 88200), ACMERR_NOTPOSSIBLE},
        {kMp3Stereo, Format(WAVE_FORMAT_PCM, 1, 44100, 16, 2, 88200), ACMERR_NOTPOSSIBLE},
        {kPcmStereo, kPcmStereo, ACMERR_NOTPOSSIBLE},
        {Format(2, 1, 22050, 4, 256, 11100), Format(WAVE_FORMAT_PCM, 1, 22050, 16, 2, 44100),
         ACMERR_NOTPOSSIBLE},
    };
    for (const Case& c : cases) {
        Stream stream(c.source, c.dest);
        EXPECT_EQ(stream.result, c.result) << c.source.wFormatTag << " -> " << c.dest.nSamplesPerSec;
        EXPECT_EQ(stream.handle != nullptr, c.result == MMSYSERR_NOERROR);
        WAVEFORMATEX source = c.source, dest = c.dest;
        EXPECT_EQ(acmStreamOpen(nullptr, nullptr, &source, &dest, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
                  c.result);
    }
}

TEST(AcmStreamConvert, DecodesTheFixtureWhateverThePieceAndBufferSizes) {
    const std::vector<uint8_t> mp3 = ReadSoundFixture("tone_stereo.mp3");
    const std::vector<uint8_t> oracle = ReadSoundFixture("tone_stereo.raw");
    ASSERT_GT(oracle.size(), 40000u);
    std::vector<uint8_t> first;
    struct Sizes {
        DWORD piece;
        DWORD room;
    };
    for (const Sizes& sizes :
         {Sizes{2048, 176400}, Sizes{1, 4096}, Sizes{100000, 4}, Sizes{313, 4608}, Sizes{777, 1001}}) {
        Stream stream;
        ASSERT_EQ(stream.result, MMSYSERR_NOERROR);
        const std::vector<uint8_t> pcm = stream.Convert(mp3, sizes.piece, sizes.room);
        EXPECT_EQ(pcm.size(), size_t{13} * 1152 * 4) << sizes.piece << " " << sizes.room;
        if (first.empty()) {
            first = pcm;
            ASSERT_GE(pcm.size(), oracle.size());
            for (size_t i = 0; i < oracle.size(); i += 2) {
                const int got = static_cast<int16_t>(pcm[i] | (pcm[i + 1] << 8));
                const int want = static_cast<int16_t>(oracle[i] | (oracle[i + 1] << 8));
                ASSERT_LE(std::abs(got - want), 1) << "byte " << i;
            }
        } else {
            EXPECT_EQ(pcm, first) << sizes.piece << " " << sizes.room;
        }
    }
}

TEST(AcmStreamConvert, RefusesBadHandlesHeadersAndFlags) {
    Stream stream;
    ASSERT_EQ(stream.result, MMSYSERR_NOERROR);
    uint8_t in[16] = {}, out[64] = {};
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = in;
    header.cbSrcLength = sizeof in;
    header.pbDst = out;
    header.cbDstLength = sizeof out;
    EXPECT_EQ(acmStreamConvert(stream.handle, &header, 0), ACMERR_UNPREPARED);
    EXPECT_EQ(acmStreamUnprepareHeader(stream.handle, &header, 0), ACMERR_UNPREPARED);
    ACMSTREAMHEADER small = header;
    small.cbStruct = 8;
    EXPECT_EQ(acmStreamPrepareHeader(stream.handle, &small, 0), MMSYSERR_INVALPARAM);
    ASSERT_EQ(acmStreamPrepareHeader(stream.handle, &header, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamConvert(stream.handle, &header, 0x1000), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamConvert(stream.handle, nullptr, 0), MMSYSERR_INVALPARAM);
    int unknown = 0;
    EXPECT_EQ(acmStreamConvert(reinterpret_cast<HACMSTREAM>(&unknown), &header, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acmStreamClose(reinterpret_cast<HACMSTREAM>(&unknown), 0), MMSYSERR_INVALHANDLE);
    // Sixteen zero bytes hold no frame: nothing comes out, and nothing is read or written past the header.
    EXPECT_EQ(acmStreamConvert(stream.handle, &header, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(header.cbDstLengthUsed, 0u);
    EXPECT_EQ(acmStreamUnprepareHeader(stream.handle, &header, 0), MMSYSERR_NOERROR);
}

TEST(AcmStreamSize, EstimatesFromTheByteRates) {
    Stream stream;
    ASSERT_EQ(stream.result, MMSYSERR_NOERROR);
    DWORD bytes = 0;
    ASSERT_EQ(acmStreamSize(stream.handle, 12000, &bytes, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_GE(bytes, 176400u);  // one second of input is at least one second of output
    EXPECT_EQ(bytes % 4, 0u);
    ASSERT_EQ(acmStreamSize(stream.handle, 176400, &bytes, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 12000u);
    EXPECT_EQ(acmStreamSize(stream.handle, 1, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamSize(stream.handle, 1, &bytes, 7), MMSYSERR_INVALFLAG);
}

TEST(AcmMetrics, AnswersTheLargestFormatSize) {
    DWORD size = 0;
    ASSERT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &size), MMSYSERR_NOERROR);
    EXPECT_GE(size, sizeof(MPEGLAYER3WAVEFORMAT));
    EXPECT_EQ(acmMetrics(nullptr, 1, &size), MMSYSERR_NOTSUPPORTED);
}

}  // namespace
