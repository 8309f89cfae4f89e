// The converter's last opener: MP3 data is decoded whole by a DirectShow graph of the library's memory
// reader, the system's MPEG audio decoder, the library's sample grabber and a null renderer, run
// without a clock; the grabber's callback collects the PCM, which the converter then serves from
// memory.
#include <cstring>

#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/converter_kinds.h"
#include "engine/sound/converter_stream.h"
#include "engine/sound/mem_reader.h"
#include "engine/sound/sample_grabber.h"
#include "platform/com/ole32.h"

namespace {

constexpr uint32_t kGrowthBytes = 1048576;

template <typename Interface>
void ReleaseInterface(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

// The first pin of the filter facing `direction`; AddRef'ed, null when there is none.
IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) return nullptr;
    IPin* pin = nullptr;
    IPin* found = nullptr;
    while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction)
            found = pin;
        else
            pin->Release();
    }
    pins->Release();
    return found;
}

// Disconnects the renderer that Render put in and connects what fed it to the null renderer.
bool ReplaceRenderer(IGraphBuilder* graph, IBaseFilter* nullRenderer) {
    IEnumFilters* filters = nullptr;
    if (FAILED(graph->EnumFilters(&filters))) return false;
    IPin* feeder = nullptr;
    IBaseFilter* filter = nullptr;
    while (!feeder && filters->Next(1, &filter, nullptr) == S_OK) {
        IPin* in = FirstPin(filter, PINDIR_INPUT);
        IPin* out = FirstPin(filter, PINDIR_OUTPUT);
        if (in && !out && in->ConnectedTo(&feeder) == S_OK) {
            graph->Disconnect(feeder);
            graph->Disconnect(in);
        }
        ReleaseInterface(in);
        ReleaseInterface(out);
        filter->Release();
    }
    filters->Release();
    if (!feeder) return false;
    IPin* nullInput = FirstPin(nullRenderer, PINDIR_INPUT);
    const bool connected = nullInput && SUCCEEDED(graph->Connect(feeder, nullInput));
    ReleaseInterface(nullInput);
    feeder->Release();
    return connected;
}

HRESULT CreateObject(REFCLSID clsid, DWORD context, REFIID iid, void** object) {
    *object = nullptr;
    if (!systemFunctions.CoCreateInstance) return REGDB_E_CLASSNOTREG;
    return systemFunctions.CoCreateInstance(clsid, nullptr, context, iid, object);
}

}  // namespace

HRESULT Mp3GrabberCallback(IMediaSample* sample, REFERENCE_TIME*, REFERENCE_TIME*, BOOL, void* parameter) {
    auto* converter = static_cast<SoundConverter*>(parameter);
    auto& pcm = converter->memory;
    if (!pcm.data) return S_OK;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return S_OK;
    const long length = sample->GetActualDataLength();
    if (length <= 0) return S_OK;
    const uint32_t n = static_cast<uint32_t>(length);
    if (n > pcm.capacity - pcm.size) {
        const uint64_t grown =
            uint64_t{pcm.capacity} +
            kGrowthBytes * ((n - (pcm.capacity - pcm.size) + kGrowthBytes - 1) / kGrowthBytes);
        uint8_t* block =
            grown <= 0xFFFFFFFFu
                ? static_cast<uint8_t*>(TrackedAlloc(static_cast<size_t>(grown), "SoundConverter", __LINE__))
                : nullptr;
        if (block) std::memcpy(block, pcm.data, pcm.size);
        TrackedFree(pcm.data);
        pcm.data = block;
        if (!block) return S_OK;
        pcm.capacity = static_cast<uint32_t>(grown);
    }
    std::memcpy(pcm.data + pcm.size, data, n);
    pcm.size += n;
    return S_OK;
}

int ConvertMp3ByGraph(SoundConverter* converter) {
    auto& pcm = converter->memory;
    pcm = {};
    uint8_t* mp3 = nullptr;
    T_CMemStream* stream = nullptr;
    T_CMemReader* reader = nullptr;
    IBaseFilter* readerFilter = nullptr;
    IBaseFilter* nullRenderer = nullptr;
    IGraphBuilder* graph = nullptr;
    T_CSampleGrabber* grabber = nullptr;
    IBaseFilter* grabberFilter = nullptr;
    IMediaFilter* mediaFilter = nullptr;
    IMediaControl* control = nullptr;
    IMediaEvent* events = nullptr;
    IPin* readerOut = nullptr;
    AM_MEDIA_TYPE connected{};
    int result = -1;
    const char* failure = nullptr;

    const StreamDescriptor& source = converter->stream;
    const int64_t size =
        source.functions.seek(source.source, 0, SEEK_ORIGIN_END) == 0 ? TellStream(source) : -1;
    SeekStream(source, 0);
    if (size > 0 && size <= 0x7FFFFFFF)
        mp3 = static_cast<uint8_t*>(TrackedAlloc(static_cast<size_t>(size), "SoundConverter", __LINE__));
    do {
        if (!mp3 || !ReadExactly(source, mp3, static_cast<uint32_t>(size))) break;
        stream = CreateMemStream(mp3, size, 0xFFFFFFFF);
        if (!stream) {
            failure = "MP3変換用 T_CMemStream の作成に失敗しました";
            break;
        }
        AM_MEDIA_TYPE offered{};
        offered.majortype = MEDIATYPE_Stream;
        offered.subtype = MEDIASUBTYPE_MPEG1Audio;
        HRESULT created = S_OK;
        reader = CreateMemReader(stream, &offered, &created);
        if (!reader) {
            failure = "MP3変換用 T_CMemReader の作成に失敗しました";
            break;
        }
        reader->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&readerFilter));
        if (FAILED(CreateObject(CLSID_NullRenderer, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(&nullRenderer)))) {
            failure = "MP3変換用 NullRender の作成に失敗しました";
            break;
        }
        if (FAILED(CreateObject(CLSID_FilterGraph, 3, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)))) {
            failure = "MP3変換用 IGraphBuilder の作成に失敗しました";
            break;
        }
        grabber = CreateSampleGrabber(nullptr, &created);
        if (!grabber) {
            failure = "MP3変換用 T_CSampleGrabber の作成に失敗しました";
            break;
        }
        grabber->NonDelegatingQueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&grabberFilter));
        AM_MEDIA_TYPE wanted{};
        wanted.majortype = MEDIATYPE_Audio;
        wanted.subtype = MEDIASUBTYPE_PCM;
        if (FAILED(grabber->SetAcceptedMediaType(&wanted))) {
            failure = "サンプルグラバフィルタのメディアタイプの設定に失敗しました";
            break;
        }
        if (FAILED(graph->AddFilter(grabberFilter, u"SampleGrabber"))) {
            failure = "サンプルグラバフィルタのグラフへの追加に失敗しました";
            break;
        }
        if (FAILED(graph->AddFilter(readerFilter, u"MemFile"))) {
            failure = "メモリファイルフィルタのグラフへの追加に失敗しました";
            break;
        }
        readerOut = FirstPin(readerFilter, PINDIR_OUTPUT);
        if (!readerOut || FAILED(graph->Render(readerOut))) {
            failure = "グラフの構築に失敗しました";
            break;
        }
        if (FAILED(graph->AddFilter(nullRenderer, u"File Renderer"))) {
            failure = "ヌルレンダラーフィルタのグラフへの追加に失敗しました";
            break;
        }
        if (!ReplaceRenderer(graph, nullRenderer)) {
            failure = "既存レンダラーをNullレンダラーと交換する処理が失敗しました";
            break;
        }
        if (FAILED(grabber->GetConnectedMediaType(&connected))) {
            failure = "音声が含まれていないか、オーディオフォーマットの取得に失敗しました。";
            break;
        }
        if (connected.formattype != FORMAT_WaveFormatEx || connected.cbFormat < 16 || !connected.pbFormat) {
            failure = "サポート外のストリームフォーマットです。";
            break;
        }
        WAVEFORMATEX format{};
        std::memcpy(&format, connected.pbFormat, std::min<size_t>(connected.cbFormat, sizeof format));
        if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0 || format.nBlockAlign == 0) {
            failure = "サポート外のオーディオフォーマットです。";
            break;
        }
        WAVEFORMATEX& out = converter->outputFormat;
        out = WAVEFORMATEX{};
        out.wFormatTag = format.wFormatTag;
        out.nChannels = format.nChannels;
        out.nSamplesPerSec = format.nSamplesPerSec;
        out.nBlockAlign = format.nBlockAlign;
        out.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
        out.wBitsPerSample = static_cast<WORD>(format.nBlockAlign * 8 / format.nChannels);
        if (FAILED(grabber->SetCallback(Mp3GrabberCallback, converter))) {
            failure = "コールバック関数を設定できません";
            break;
        }
        const uint64_t capacity = uint64_t{static_cast<uint64_t>(size)} * 10;
        pcm.data = capacity <= 0xFFFFFFFFu ? static_cast<uint8_t*>(TrackedAlloc(static_cast<size_t>(capacity),
                                                                                "SoundConverter", __LINE__))
                                           : nullptr;
        pcm.capacity = pcm.data ? static_cast<uint32_t>(capacity) : 0;
        pcm.size = 0;
        if (!pcm.data) {
            failure = "PCMデータを格納するメモリ領域の確保に失敗しました";
            break;
        }
        if (FAILED(graph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&mediaFilter)))) {
            failure = "IMediaFilter の取得に失敗しました";
            break;
        }
        mediaFilter->SetSyncSource(nullptr);
        if (FAILED(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) {
            failure = "IMediaControl の取得に失敗しました";
            break;
        }
        if (FAILED(graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)))) {
            failure = "IMediaEvent の取得に失敗しました";
            break;
        }
        if (FAILED(control->Run())) {
            failure = "MP3変換の途中でエラーが発生しました";
            break;
        }
        for (;;) {
            if (PumpMessagesCore() != 0) {
                failure = "MP3変換の途中でソフトが終了しました";
                break;
            }
            long code = 0;
            if (events->WaitForCompletion(100, &code) != S_OK) continue;
            if (code == EC_ERRORABORT || code == EC_USERABORT) {
                failure = "MP3変換の途中でエラーが発生しました";
                break;
            }
            if (code == EC_COMPLETE) {
                if (!pcm.data) failure = "PCMデータを格納するメモリ領域の再確保に失敗しました";
                break;
            }
        }
        control->Stop();
        if (failure) break;
        converter->kind = kConverterMemory;
        pcm.position = 0;
        converter->blockSize = std::max<uint32_t>(out.nAvgBytesPerSec, out.nBlockAlign);
        result = 0;
    } while (false);

    if (failure) LogPrintf("%s", failure);
    if (grabber && result != 0) grabber->SetCallback(nullptr, nullptr);
    FreeMediaType(connected);
    ReleaseInterface(readerOut);
    ReleaseInterface(events);
    ReleaseInterface(control);
    ReleaseInterface(mediaFilter);
    ReleaseInterface(graph);
    ReleaseInterface(nullRenderer);
    ReleaseInterface(grabberFilter);
    ReleaseInterface(readerFilter);
    delete stream;
    TrackedFree(mp3);
    if (result != 0) {
        TrackedFree(pcm.data);
        pcm = {};
    }
    return result;
}
