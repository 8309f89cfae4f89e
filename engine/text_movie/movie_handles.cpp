// Movie handles: open through the Theora decoder or a DirectShow graph, play, pause, and the frame
// update that the draws of a movie graphic make.
#include <cstring>
#include <mutex>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_init.h"
#include "engine/core/memory/log.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/stream_sound.h"
#include "engine/text_movie/movie_record.h"
#include "engine/text_movie/movie_renderer_filter.h"
#include "engine/text_movie/movie_services.h"
#include "engine/text_movie/theora_movie.h"
#include "platform/com/ole32.h"
#include "platform/dshow/video_types.h"

namespace {

constexpr int kMovieHandleLimit = 100;
constexpr int kTheoraStockFrames = 10;
constexpr int64_t kSmallestDuration = 166666;

int movieTypeRegistered = 0;

// The record of a valid movie handle that no load job is filling, or null.
MovieRecord* ValidMovie(int handle) {
    if (!movieTypeRegistered || IsHandleLoading(handle) != 0) return nullptr;
    return static_cast<MovieRecord*>(GetTypedHandleData(handle, kHandleTypeMovie));
}

template <typename T>
void ReleaseInterface(T*& pointer) {
    if (!pointer) return;
    pointer->Release();
    pointer = nullptr;
}

void ReleaseGraphInterfaces(MovieRecord* m) {
    ReleaseInterface(m->basicAudio);
    ReleaseInterface(m->seeking);
    ReleaseInterface(m->control);
    ReleaseInterface(m->graph);
}

// Builds the graph that plays the file into the movie renderer. 0, or -1 after logging why.
int OpenMovieByDirectShow(MovieRecord* m, const char* name, int* width, int* height) {
    m->frameImage.pixels = nullptr;
    m->callbackState = 0;
    const char* failure = nullptr;
    HRESULT created = S_OK;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IGraphBuilder, reinterpret_cast<void**>(&m->graph)))) {
        m->graph = nullptr;
        failure = "CLSID_FilterGraph の作成に失敗しました\n";
    } else if (!(m->renderer = CreateMovieRenderer(nullptr, &created)) ||
               FAILED(m->graph->AddFilter(m->renderer, u"MovieRenderer"))) {
        failure = "Could not add renderer filter to graph!\n";
    } else if (FAILED(m->graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&m->basicAudio)))) {
        m->basicAudio = nullptr;
        failure = "BasicAudio インターフェースの取得に失敗しました\n";
    } else if (FAILED(m->graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m->control)))) {
        m->control = nullptr;
        failure = "IID_IMediaControlインターフェイスの取得に失敗しました\n";
    } else if (FAILED(m->graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&m->seeking)))) {
        m->seeking = nullptr;
        failure = "IID_IMediaSeekingインターフェイスの取得に失敗しました\n";
    }
    if (failure) {
        ReleaseGraphInterfaces(m);
        LogText(failure);
        return -1;
    }
    // The graph builder here renders pins only; a file given by its path cannot be rendered.
    ReleaseGraphInterfaces(m);
    LogPrintf("ファイル:%s が開けませんでした", name);
    (void)width;
    (void)height;
    return -1;
}

int OpenTheoraPath(MovieRecord* m, const char* fileName, int* width, int* height, int async) {
    FileAccessTable* table = GetFileFunctionTable();
    m->streamFile = table->open(fileName, 0, 1, 0);
    if (!m->streamFile) return -1;
    m->decoder = OpenTheoraMovie(table, m->streamFile, kTheoraStockFrames, async);
    if (!m->decoder) {
        table->close(m->streamFile);
        m->streamFile = 0;
        return -1;
    }
    SoundLoadSettings settings{};
    GetSoundLoadSettings(&settings);
    // The sound track streams from the movie file (a kept-open source), through the Ogg converter only.
    settings.streamMode = kStreamFromCallerStream;
    settings.disableBits = -5;
    settings.vorbisBuildSelector = 1;
    m->soundHandle = LoadSoundCore(&settings, fileName, 1, -1, 0, async);
    TheoraMovieInfo info{};
    GetTheoraMovieInfo(m->decoder, &info);
    m->width = info.width;
    m->height = info.height;
    if (width) *width = info.width;
    if (height) *height = info.height;
    m->theora = 1;
    m->currentImage = GetTheoraImage(m->decoder);
    m->callbackState = 0;
    return 0;
}

// The sound track has played its last byte: a looping movie starts again from frame 0 with its sound,
// another shows its last frame and stops. False while the sound goes on.
bool FinishWithSound(MovieRecord* m, int last) {
    if (m->soundHandle == -1 || HasStreamSoundEnded(m->soundHandle) != 1) return false;
    const int current = GetTheoraCurrentFrame(m->decoder);
    if (m->playType & 2) {
        PlaySoundHandle(m->soundHandle, m->playType, 1);
        if (current != 0) AdvanceTheoraFrame(m->decoder, last + 1 - current);
        return true;
    }
    if (current < last) AdvanceTheoraFrame(m->decoder, last - current);
    m->wasPlaying = 0;
    m->stopped = 1;
    return true;
}

void UpdateTheoraMovie(MovieRecord* m) {
    TheoraMovieInfo info{};
    GetTheoraMovieInfo(m->decoder, &info);
    const int last = info.frameCount - 1;
    if (!m->stopped && !FinishWithSound(m, last)) {
        int64_t target;
        if (m->soundHandle != -1) {
            const int64_t played = GetSoundPlayTime(m->soundHandle);
            target = int64_t(double(played < 0 ? 0 : played) * 1000.0 * info.framesPerSecond / 1000000.0);
            if (target > last) target = last;
        } else {
            target =
                int64_t(double(GetMicrosecondCount() - m->clockStart) * info.framesPerSecond / 1000000.0);
            if (target < 0) target = 0;
            if (target >= info.frameCount) target = (m->playType & 2) ? target % info.frameCount : last;
        }
        const int current = GetTheoraCurrentFrame(m->decoder);
        if (target > current) {
            AdvanceTheoraFrame(m->decoder, int(target - current));
        } else if (target < current) {
            AdvanceTheoraFrame(m->decoder, int(info.frameCount - current + target));
        } else if (target == last && !(m->playType & 2) && m->soundHandle == -1) {
            m->wasPlaying = 0;
            m->stopped = 1;
        }
    }
    if (m->frameCallback) m->frameCallback(m, m->callbackParameter);
}

void UpdateDirectShowMovie(MovieRecord* m) {
    if (m->renderer && m->renderer->TakeNewFrame() && m->frameCallback) {
        std::lock_guard<std::mutex> lock(m->renderer->FrameLock());
        T_CMovieRendererFilter* r = m->renderer;
        m->frameImage.width = r->width;
        m->frameImage.height = r->height;
        m->frameImage.pitch = r->rowPitch;
        m->frameImage.pixels = r->frameBuffer;
        m->frameImage.mipCount = 0;
        m->frameImageBorrowed = 1;
        if (r->formatCode == kMovieFrameRgb24)
            SetColorFormatRgb24(&m->frameImage.format);
        else
            SetColorFormatXrgb8(&m->frameImage.format);
        m->currentImage = &m->frameImage;
        m->frameCallback(m, m->callbackParameter);
    }
    if (m->seeking && m->control) {
        LONGLONG position = 0;
        m->seeking->GetCurrentPosition(&position);
        if (position >= m->stopPosition) {
            if (m->playType & 2) {
                LONGLONG start = 0;
                m->seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                         AM_SEEKING_NoPositioning);
                m->control->Run();
            } else {
                m->wasPlaying = 0;
                m->stopped = 1;
            }
        }
    }
}

}  // namespace

int RegisterMovieHandleType() {
    if (movieTypeRegistered) return -1;
    if (RegisterHandleType(kHandleTypeMovie, sizeof(MovieRecord), kMovieHandleLimit, nullptr,
                           ReleaseMovieRecord, "ムービー") < 0)
        return -1;
    movieTypeRegistered = 1;
    return 0;
}

int EndMovieHandleType() {
    if (!movieTypeRegistered) return -1;
    EndHandleType(kHandleTypeMovie);
    movieTypeRegistered = 0;
    return 0;
}

int CheckMovieTypeInit() {
    return movieTypeRegistered ? 0 : -1;
}

int OpenMovie(const int32_t* halfWidthSetting, const char* fileName, int* width, int* height, int,
              int async) {
    if (!movieTypeRegistered || !fileName) return -1;
    const int handle = AddHandle(kHandleTypeMovie, -1);
    if (handle == -1) return -1;
    MovieRecord* m = static_cast<MovieRecord*>(GetHandleData(handle));
    m->halfWidth = halfWidthSetting ? *halfWidthSetting : 0;
    m->soundHandle = -1;
    if (OpenTheoraPath(m, fileName, width, height, async) < 0) {
        m->temporaryFile = 0;
        if (OpenMovieByDirectShow(m, fileName, width, height) < 0) {
            LogText("ムービーファイルオープン処理時にエラーが発生しました\n");
            DeleteHandle(handle);
            return -1;
        }
        m->currentImage = &m->frameImage;
    }
    m->stopped = 1;
    m->playType = 1;
    m->wasPlaying = 0;
    return handle;
}

MovieRecord* GetMovieData(int handle) {
    return ValidMovie(handle);
}

int SetMovieFrameCallback(int handle, MovieFrameCallback callback, void* parameter) {
    MovieRecord* m = ValidMovie(handle);
    if (!m) return -1;
    m->frameCallback = callback;
    m->callbackParameter = parameter;
    return 0;
}

int PlayMovie(int handle, int playType, int resumeOnly) {
    MovieRecord* m = ValidMovie(handle);
    if (!m) return -1;
    const int newType = playType == -1 ? m->playType : playType;
    if (!m->stopped || (resumeOnly == 1 && !m->wasPlaying)) return 0;
    if (m->theora) {
        TheoraMovieInfo info{};
        GetTheoraMovieInfo(m->decoder, &info);
        m->clockStart = GetMicrosecondCount() -
                        int64_t(1000000.0 / info.framesPerSecond * GetTheoraCurrentFrame(m->decoder));
        if (m->soundHandle != -1) PlaySoundHandle(m->soundHandle, newType == 0 ? 1 : newType, 0);
    } else if (m->control) {
        m->control->Run();
    }
    m->stopped = 0;
    m->playType = newType == 0 ? 1 : newType;
    m->wasPlaying = 1;
    return 0;
}

int PauseMovie(int handle, int keep) {
    MovieRecord* m = ValidMovie(handle);
    if (!m) return -1;
    if (m->stopped) return 0;
    if (m->theora) {
        if (m->soundHandle != -1) StopSoundHandle(m->soundHandle);
        UpdateMovieFrame(handle);
    } else {
        if (!m->control) return 0;
        m->control->Pause();
    }
    m->stopped = 1;
    if (keep != 1) m->wasPlaying = 0;
    return 0;
}

int UpdateMovieFrame(int handle, int) {
    MovieRecord* m = ValidMovie(handle);
    if (!m) return -1;
    if (m->theora)
        UpdateTheoraMovie(m);
    else
        UpdateDirectShowMovie(m);
    return 0;
}

int InvalidateMovieImage(int handle) {
    MovieRecord* m = ValidMovie(handle);
    if (!m) return -1;
    if (m->theora) InvalidateTheoraImage(m->decoder);
    return 0;
}

namespace {

// Calls `call` for every live movie handle from the lowest to the highest used slot.
template <typename Call>
int ForEachMovie(Call call) {
    if (!movieTypeRegistered) return -1;
    HandleTypeRecord& type = handleTypes[kHandleTypeMovie];
    for (int index = type.lowest; index <= type.highest && index < type.limit; index++) {
        const HandleHeader* header =
            type.slots ? static_cast<const HandleHeader*>(type.slots[index]) : nullptr;
        if (header) call(int(header->handle));
    }
    return 0;
}

}  // namespace

int PauseAllMovies() {
    return ForEachMovie([](int handle) { PauseMovie(handle, 1); });
}

int ResumeAllMovies() {
    return ForEachMovie([](int handle) { PlayMovie(handle, -1, 1); });
}

int ReleaseMovieRecord(HandleHeader* data) {
    MovieRecord* m = reinterpret_cast<MovieRecord*>(data);
    if (m->theora) {
        CloseTheoraMovie(m->decoder);
        if (m->streamFile) GetFileFunctionTable()->close(m->streamFile);
        if (m->soundHandle != -1) DeleteHandle(m->soundHandle);
        m->decoder = nullptr;
        m->streamFile = 0;
        m->theora = 0;
    }
    if (m->frameImage.pixels) {
        if (!m->frameImageBorrowed) ReleaseSoftImage(&m->frameImage);
        m->frameImage.pixels = nullptr;
    }
    if (m->event) {
        CloseHandle(m->event);
        m->event = nullptr;
    }
    ReleaseGraphInterfaces(m);
    ReleaseInterface(m->renderer);
    return 0;
}
