// The sources of a stream sound: added from a stream, a file or a memory image, checked against the
// first source's format, and released with the handle.
#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/converter_stream.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"
#include "engine/sound/stream_sound.h"

namespace {

void Put32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The whole stream from its start in new tracked memory.
bool ReadWholeStream(const StreamDescriptor& stream, uint8_t** data, uint32_t* size) {
    const int64_t length = StreamLength(stream);
    if (length < 0 || length >= INT32_MAX || !SeekStream(stream, 0)) return false;
    auto* block =
        static_cast<uint8_t*>(TrackedAlloc(static_cast<size_t>(length) + 1, "stream source", __LINE__));
    if (!block) return false;
    *size = ReadFromStream(stream, block, static_cast<uint32_t>(length));
    *data = block;
    return true;
}

bool StartOverImage(StreamSource* source, const SoundLoadSettings& settings) {
    const uintptr_t memory = OpenMemoryStream(source->image, source->imageSize);
    if (memory == 0) return false;
    source->stream = StreamDescriptor{*GetMemoryStreamFunctions(), memory};
    return StartSoundConverter(&source->converter, &source->stream, settings.disableBits,
                               settings.vorbisBytesPerSample, settings.vorbisBuildSelector) == 0;
}

// Kind 0: the input converted whole and held as a WAVE image of its PCM.
bool ConvertUpFront(StreamSource* source, const StreamDescriptor& input, const SoundLoadSettings& settings) {
    uint8_t* raw = nullptr;
    uint32_t rawSize = 0;
    if (!ReadWholeStream(input, &raw, &rawSize)) {
        LogText("音声データの読み込みに失敗しました");
        return false;
    }
    const uintptr_t memory = OpenMemoryStream(raw, rawSize);
    StreamDescriptor over{*GetMemoryStreamFunctions(), memory};
    SoundConverter converter;
    void* pcm = nullptr;
    uint32_t pcmSize = 0;
    WAVEFORMATEX format{};
    bool converted =
        memory != 0 && StartSoundConverter(&converter, &over, settings.disableBits,
                                           settings.vorbisBytesPerSample, settings.vorbisBuildSelector) == 0;
    if (converted) {
        converted = ConvertSoundWhole(&converter, &pcm, &pcmSize, &format) == 0;
        ReleaseSoundConverter(&converter);
    }
    if (memory != 0) CloseMemoryStream(memory);
    TrackedFree(raw);
    if (!converted) {
        LogText("音声データの変換に失敗しました");
        return false;
    }
    void* image = nullptr;
    const int made = MakeWaveFileImage(&image, &source->imageSize, &format, sizeof format, pcm, pcmSize);
    TrackedFree(pcm);
    if (made != 0) return false;
    source->image = static_cast<uint8_t*>(image);
    if (StartOverImage(source, settings)) return true;
    LogText("音声データのオープンに失敗しました");
    return false;
}

bool OpenSource(StreamSource* source, const StreamDescriptor& input, const SoundLoadSettings& settings) {
    switch (source->dataKind) {
        case kStreamConvertedUpFront:
            return ConvertUpFront(source, input, settings);
        case kStreamFileImage:
            if (!ReadWholeStream(input, &source->image, &source->imageSize)) {
                LogText("音声データの読み込みに失敗しました");
                return false;
            }
            break;
        default:
            source->stream = input;
            if (StartSoundConverter(&source->converter, &source->stream, settings.disableBits,
                                    settings.vorbisBytesPerSample, settings.vorbisBuildSelector) == 0)
                return true;
            LogText("音声データのオープンに失敗しました");
            return false;
    }
    if (StartOverImage(source, settings)) return true;
    LogText("音声データのオープンに失敗しました");
    return false;
}

// The source's converter and memory; a kind-1 source's stream stays the caller's until `closeInput`.
void ReleaseSource(StreamSource* source, bool closeInput) {
    if (source->converter.initialised) ReleaseSoundConverter(&source->converter);
    if (source->dataKind == kStreamFromCallerStream) {
        if (closeInput && source->stream.functions.close)
            source->stream.functions.close(source->stream.source);
    } else if (source->stream.source != 0) {
        CloseMemoryStream(source->stream.source);
    }
    TrackedFree(source->image);
    std::memset(source, 0, sizeof *source);
}

bool IsPlayableStreamFormat(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 &&
           format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

// The handle plays through `joinHandle`'s buffer when that is an unjoined stream of the same format.
SoundRecord* JoinTarget(int joinHandle, const WAVEFORMATEX& format) {
    if (joinHandle == -1) return nullptr;
    SoundRecord* target = GetSoundRecord(joinHandle, 1);
    if (!target || !target->streamFlag || target->stream.joinedTo != -1) return nullptr;
    return std::memcmp(&target->format, &format, sizeof format) == 0 ? target : nullptr;
}

void MakeStreamBuffer(SoundRecord* record, int handle, int joinHandle) {
    StreamSoundData& stream = record->stream;
    SoundRecord* target = JoinTarget(joinHandle, record->format);
    if (target) {
        record->streamFlag = 1;
        record->bufferCount = 1;
        stream.joinedTo = joinHandle;
        stream.bufferSize = target->stream.bufferSize;
        ++target->stream.userCount;
    } else {
        CreateSoundRecordBuffers(record, nullptr, &record->format, 0, 1, 1);
        const uint32_t align = record->format.nBlockAlign;
        stream.joinedTo = -1;
        stream.bufferSize =
            static_cast<int>(((record->format.nAvgBytesPerSec & 0xFFFFFF) + align - 1) / align * align);
    }
    record->frequency = static_cast<int>(record->format.nSamplesPerSec);
    stream.userCount = 0;
    stream.currentPlayer = -1;
    stream.deletionPending = 0;
    SoundTypeLock lock;
    InsertHandleListNode(&soundOutput.streamHead, &record->streamNode, static_cast<uint32_t>(handle), record);
}

}  // namespace

int MakeWaveFileImage(void** image, uint32_t* size, const WAVEFORMATEX* format, uint32_t formatSize,
                      const void* pcm, uint32_t pcmSize) {
    const uint32_t total = formatSize + pcmSize + 28;
    auto* out = static_cast<uint8_t*>(TrackedAlloc(total, "wave image", __LINE__));
    if (!out) {
        LogText("仮WAVEファイルイメージ用のメモリ確保に失敗しました\n");
        return -1;
    }
    std::memcpy(out, "RIFF", 4);
    Put32(out + 4, formatSize + pcmSize + 20);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    Put32(out + 16, formatSize);
    std::memcpy(out + 20, format, formatSize);
    std::memcpy(out + 20 + formatSize, "data", 4);
    Put32(out + 24 + formatSize, pcmSize);
    if (pcmSize) std::memcpy(out + 28 + formatSize, pcm, pcmSize);
    *image = out;
    *size = total;
    return 0;
}

int AddSreamSound(SoundLoadSettings* settings, const StreamDescriptor* input, int loopCount, int handle,
                  int dataKind, int* owned, int joinHandle, int fromJob) {
    SoundRecord* record = GetSoundRecord(handle, fromJob);
    if (!record) return -1;
    StreamSoundData& stream = record->stream;
    if (stream.sourceCount > 0) {
        const char* refusal =
            !record->streamFlag
                ? "ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound\n"
            : IsStreamSoundPlaying(handle) == 1
                ? "既に再生中のストリームサウンドデータにデータを追加しようとしました\n"
            : stream.sourceCount >= kMaxStreamSources ? "ストリーム風サウンドの制御データ領域がいっぱいです\n"
                                                      : nullptr;
        if (refusal) {
            LogText(refusal);
            return -1;
        }
    }
    StreamSource* source = &stream.sources[stream.sourceCount];
    std::memset(source, 0, sizeof *source);
    source->dataKind = dataKind;
    source->loopEnd = -1;
    input->functions.seek(input->source, 0, SEEK_ORIGIN_START);
    if (!OpenSource(source, *input, *settings)) {
        ReleaseSource(source, false);
        return -1;
    }
    *owned = dataKind != kStreamFromCallerStream;
    WAVEFORMATEX format{};
    GetConverterFormat(&source->converter, &format);
    if (stream.sourceCount > 0 && std::memcmp(&format, &record->format, sizeof format) != 0) {
        ReleaseSource(source, false);
        LogText("フォーマットの違う音声データは同時に使うことは出来ません");
        return -1;
    }
    if (stream.sourceCount == 0) {
        if (!IsPlayableStreamFormat(format)) {
            ReleaseSource(source, false);
            LogText("音声データのオープンに失敗しました");
            return -1;
        }
        record->format = format;
        MakeStreamBuffer(record, handle, joinHandle);
    }
    source->loopCount = static_cast<uint8_t>(loopCount);
    ++stream.sourceCount;
    stream.totalSamples = 0;
    for (int i = 0; i < stream.sourceCount; ++i)
        stream.totalSamples +=
            static_cast<int>(GetConvertedSize(&stream.sources[i].converter) / record->format.nBlockAlign);
    return 0;
}

int AddStreamSoundFile(SoundLoadSettings* settings, const char* path, int loopCount, int handle, int dataKind,
                       int joinHandle, int fromJob) {
    const uintptr_t file = CallFileOpen(path, 0, 1, 0);
    if (file == 0) {
        LogPrintf("右記のＷＡＶファイルのロードに失敗しました：%s ", path);
        return -1;
    }
    const StreamDescriptor stream{*GetFileStreamFunctions(), file};
    int owned = 0;
    if (AddSreamSound(settings, &stream, loopCount, handle, dataKind, &owned, joinHandle, fromJob) != 0) {
        CallFileClose(file);
        LogPrintf("右記のＷＡＶファイルのセットアップに失敗しました：%s ", path);
        return -1;
    }
    if (owned) CallFileClose(file);
    return 0;
}

// The caller keeps its memory only for the call, so a source over it always takes its own copy.
int AddStreamSoundMemory(SoundLoadSettings* settings, const void* data, uint32_t size, int loopCount,
                         int handle, int dataKind, int joinHandle, int fromJob) {
    const uintptr_t memory = OpenMemoryStream(data, size);
    if (memory == 0) {
        LogText("ＷＡＶファイルのストリームイメージハンドルの作成に失敗しました \n");
        return -1;
    }
    if (dataKind == kStreamFromCallerStream) dataKind = kStreamFileImage;
    const StreamDescriptor stream{*GetMemoryStreamFunctions(), memory};
    int owned = 0;
    const int result =
        AddSreamSound(settings, &stream, loopCount, handle, dataKind, &owned, joinHandle, fromJob);
    CloseMemoryStream(memory);
    if (result != 0) LogText("ＷＡＶファイルのストリームイメージのセットアップに失敗しました \n");
    return result;
}

void ReleaseStreamSources(SoundRecord* record) {
    for (int i = 0; i < record->stream.sourceCount; ++i) ReleaseSource(&record->stream.sources[i], true);
    record->stream.sourceCount = 0;
}
