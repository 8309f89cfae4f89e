// Loading a sound file into a sound handle: read whole through the file layer, converted to PCM and
// copied into the handle's buffers, or made a stream sound when it is long or its buffers cannot be
// made. Loads run at once or as asynchronous-loading jobs.
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_init.h"  // IsAsyncLoadEnabled
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_converter.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"
#include "engine/sound/stream_sound.h"

namespace {

// What a DirectSound buffer can hold; anything else could not even become a stream sound.
bool IsPlayableFormat(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 &&
           format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

// The whole input as PCM in new tracked memory; -1 with the message logged.
int ConvertImageToPcm(const SoundLoadSettings& settings, const void* data, uint32_t size, uint8_t** pcm,
                      uint32_t* pcmSize, WAVEFORMATEX* format) {
    const uintptr_t memory = OpenMemoryStream(data, size);
    StreamDescriptor stream{*GetMemoryStreamFunctions(), memory};
    SoundConverter converter;
    if (memory == 0 ||
        StartSoundConverter(&converter, &stream, settings.disableBits, settings.vorbisBytesPerSample,
                            settings.vorbisBuildSelector) != 0) {
        if (memory != 0) CloseMemoryStream(memory);
        LogText("音声ファイルのＰＣＭへの変換に失敗しました");
        return -1;
    }
    void* whole = nullptr;
    const int converted = ConvertSoundWhole(&converter, &whole, pcmSize, format);
    ReleaseSoundConverter(&converter);
    CloseMemoryStream(memory);
    if (converted != 0) {
        LogText("音声ファイルを格納するメモリ領域の確保に失敗しました");
        return -1;
    }
    *pcm = static_cast<uint8_t*>(whole);
    if (*pcmSize == 0 || !IsPlayableFormat(*format)) {
        TrackedFree(whole);
        LogText("音声ファイルのＰＣＭへの変換に失敗しました");
        return -1;
    }
    return 0;
}

// Copies the PCM into every buffer of the sound.
int FillSoundBuffers(SoundRecord* record) {
    for (int i = 0; i < record->bufferCount; ++i) {
        void* region[2] = {};
        DWORD bytes[2] = {};
        if (SoundBufferLock(&record->buffers[i], 0, record->pcmSize, &region[0], &bytes[0], &region[1],
                            &bytes[1]) != 0) {
            LogText("サウンドデータの転送に失敗しました_1");
            return -1;
        }
        std::memcpy(region[0], record->pcm, bytes[0]);
        if (region[1]) std::memcpy(region[1], record->pcm + bytes[0], bytes[1]);
        if (SoundBufferUnlock(&record->buffers[i], region[0], bytes[0], region[1], bytes[1]) != 0) {
            LogText("サウンドデータの転送に失敗しました_2");
            return -1;
        }
    }
    return 0;
}

// Takes the PCM into the record (it owns it from here) and fills the buffers made for it.
int StoreWholeSound(SoundRecord* record, uint8_t* pcm, uint32_t pcmSize, const WAVEFORMATEX& format) {
    record->frequency = static_cast<int>(format.nSamplesPerSec);
    int* count = static_cast<int*>(TrackedAlloc(sizeof(int), "sound reference count", __LINE__));
    if (!count) {
        TrackedFree(pcm);
        LogText("サウンドデータの参照数を保存するメモリ領域の確保に失敗しました");
        return -1;
    }
    record->format = format;
    record->pcmSize = pcmSize;
    record->pcm = pcm;
    record->referenceCount = count;
    *count = 1;
    return FillSoundBuffers(record);
}

int AddImageAsStream(SoundLoadSettings* settings, int handle, const void* data, uint32_t size, int joinHandle,
                     int fromJob) {
    if (AddStreamSoundMemory(settings, data, size, 0, handle, settings->streamMode, joinHandle, fromJob) != 0)
        return -1;
    PrepareStreamSound(handle, fromJob);
    return 0;
}

void LoadSoundJob(AsyncLoadRequest* request) {
    const unsigned char* arguments = AsyncLoadArguments(request);
    int offset = 0;
    int blobSize = 0;
    const void* blob = UnpackAsyncArgBlob(arguments, &offset, &blobSize);
    SoundLoadSettings settings{};
    if (blobSize == sizeof settings) std::memcpy(&settings, blob, sizeof settings);
    const int handle = static_cast<int>(UnpackAsyncArgInt(arguments, &offset));
    const char* path = UnpackAsyncArgString(arguments, &offset);
    const int bufferCount = static_cast<int>(UnpackAsyncArgInt(arguments, &offset));
    const int joinHandle = static_cast<int>(UnpackAsyncArgInt(arguments, &offset));
    const int result = path ? LoadSoundSync(&settings, handle, path, bufferCount, joinHandle, 1) : -1;
    FinishHandleLoadJob(handle, result);
}

// Packs the load into a request and queues it on the handle.
bool QueueLoadJob(const SoundLoadSettings& settings, int handle, const char* fullPath, int bufferCount,
                  int joinHandle) {
    auto pack = [&](unsigned char* buffer) {
        int offset = 0;
        PackAsyncArgBlob(buffer, &offset, &settings, sizeof settings);
        PackAsyncArgInt(buffer, &offset, static_cast<uint32_t>(handle));
        PackAsyncArgString(buffer, &offset, fullPath);
        PackAsyncArgInt(buffer, &offset, static_cast<uint32_t>(bufferCount));
        PackAsyncArgInt(buffer, &offset, static_cast<uint32_t>(joinHandle));
        return offset;
    };
    AsyncLoadRequest* request = AllocAsyncLoadRequest(pack(nullptr));
    if (!request) return false;
    pack(AsyncLoadArguments(request));
    return QueueHandleLoadJob(handle, request, LoadSoundJob) == 0;
}

}  // namespace

void GetSoundLoadSettings(SoundLoadSettings* settings) {
    *settings = soundOutput.loadSettings;
}

int LoadFileToMemory(const char* path, void** data, uint32_t* size) {
    const uintptr_t file = CallFileOpen(path, 0, 1, 0);
    if (file == 0) {
        LogPrintf("右記のファイルのオープンに失敗しました：%s", path);
        return -1;
    }
    CallFileSeek(file, 0, SEEK_ORIGIN_END);
    const int64_t length = CallFileTell(file);
    CallFileSeek(file, 0, SEEK_ORIGIN_START);
    void* block = length >= 0 && length < INT32_MAX
                      ? TrackedAlloc(static_cast<size_t>(length) + 1, "sound file image", __LINE__)
                      : nullptr;
    if (!block) {
        CallFileClose(file);
        LogPrintf("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", path);
        return -1;
    }
    *size = static_cast<uint32_t>(CallFileRead(block, 1, static_cast<size_t>(length), file));
    *data = block;
    CallFileClose(file);
    return 0;
}

int CreateSoundFromFileImage(SoundLoadSettings* settings, int handle, const void* data, uint32_t size,
                             int bufferCount, int joinHandle, int fromJob) {
    if (!soundOutput.directSound || bufferCount > kMaxSoundBuffers) return -1;
    if (settings->streamMode != 0) return AddImageAsStream(settings, handle, data, size, joinHandle, fromJob);
    uint8_t* pcm = nullptr;
    uint32_t pcmSize = 0;
    WAVEFORMATEX format{};
    if (ConvertImageToPcm(*settings, data, size, &pcm, &pcmSize, &format) != 0) return -1;
    SoundRecord* record = GetSoundRecord(handle, fromJob);
    if (!record) {
        TrackedFree(pcm);
        return -1;
    }
    const bool whole = pcmSize / format.nAvgBytesPerSec <= kLongestBufferedSeconds &&
                       CreateSoundRecordBuffers(record, nullptr, &format, pcmSize, 0, bufferCount) == 0;
    if (whole) return StoreWholeSound(record, pcm, pcmSize, format);
    TrackedFree(pcm);
    settings->streamMode = kStreamFileImage;
    return AddImageAsStream(settings, handle, data, size, joinHandle, fromJob);
}

int LoadSoundSync(SoundLoadSettings* settings, int handle, const char* path, int bufferCount, int joinHandle,
                  int fromJob) {
    if (bufferCount > kMaxSoundBuffers) bufferCount = kMaxSoundBuffers;
    if (bufferCount < 1) bufferCount = 1;
    if (settings->streamMode != 0) {
        if (AddStreamSoundFile(settings, path, 0, handle, settings->streamMode, joinHandle, fromJob) != 0)
            return -1;
        PrepareStreamSound(handle, fromJob);
        return 0;
    }
    void* image = nullptr;
    uint32_t size = 0;
    if (LoadFileToMemory(path, &image, &size) != 0) {
        LogPrintf("右記の音声ファイルのロードに失敗しました_1：%s", path);
        return -1;
    }
    const int result =
        CreateSoundFromFileImage(settings, handle, image, size, bufferCount, joinHandle, fromJob);
    if (result != 0) LogPrintf("右記の音声ファイルのロードに失敗しました_2：%s", path);
    TrackedFree(image);
    return result;
}

int LoadSoundCore(const SoundLoadSettings* settings, const char* path, int bufferCount, int joinHandle,
                  int async, int fromJob) {
    if (!soundOutput.directSound || !path) return -1;
    const int handle = AddHandle(kHandleTypeSound, -1);
    if (handle == -1) return -1;
    char fullPath[kFilePathLimit];
    if (ConvertToFullPath(path, fullPath, nullptr) != 0) {
        DeleteHandle(handle);
        return -1;
    }
    if (async && !fromJob) {
        if (QueueLoadJob(*settings, handle, fullPath, bufferCount, joinHandle)) return handle;
        DeleteHandle(handle);
        return -1;
    }
    SoundLoadSettings copy = *settings;
    if (LoadSoundSync(&copy, handle, fullPath, bufferCount, joinHandle, fromJob) == 0) return handle;
    DeleteHandle(handle);
    return -1;
}

int LoadSoundFile(const char* path, int bufferCount, int joinHandle) {
    SoundLoadSettings settings;
    GetSoundLoadSettings(&settings);
    return LoadSoundCore(&settings, path, bufferCount, joinHandle, IsAsyncLoadEnabled(), 0);
}
