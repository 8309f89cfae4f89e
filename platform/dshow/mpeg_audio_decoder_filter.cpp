// The MPEG audio decoder filter: pulls an MPEG audio byte stream through IAsyncReader and delivers
// 16-bit PCM. Connecting reads the stream's start to learn the format; a stream in which no MPEG audio
// frame decodes is not accepted. While the filter runs, a thread of its own reads, decodes and delivers.
#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "platform/acm/mpeg_audio_decoder.h"
#include "platform/dshow/base_classes.h"
#include "platform/dshow/graph_filters.h"

namespace {

constexpr long kReadBytes = 32768;
constexpr long kSniffBytes = 65536;
constexpr long kOutputBytes = 16384;
constexpr long kOutputBuffers = 8;

class MpegAudioDecoderFilter;

class PullInputPin : public T_CBasePin {
  public:
    PullInputPin(MpegAudioDecoderFilter* filter, T_CCritSec* lock);
    HRESULT CheckMediaType(const T_CMediaType* type) override {
        return type->majortype == MEDIATYPE_Stream && type->subtype == MEDIASUBTYPE_MPEG1Audio ? S_OK
                                                                                               : S_FALSE;
    }
    HRESULT CheckConnect(IPin* pin) override {
        HRESULT result = T_CBasePin::CheckConnect(pin);
        if (FAILED(result)) return result;
        if (FAILED(pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&reader_)))) {
            reader_ = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    HRESULT BreakConnect() override {
        if (reader_) reader_->Release();
        reader_ = nullptr;
        return S_OK;
    }
    HRESULT CompleteConnect(IPin* pin) override;
    IAsyncReader* Reader() const { return reader_; }

  private:
    MpegAudioDecoderFilter* decoder_;
    IAsyncReader* reader_ = nullptr;
};

class PcmOutputPin : public T_CBaseOutputPin {
  public:
    PcmOutputPin(T_CBaseFilter* filter, T_CCritSec* lock, const WAVEFORMATEX* format)
        : T_CBaseOutputPin("PCM Out", filter, lock, u"Out"), format_(format) {}
    HRESULT GetMediaType(int position, T_CMediaType* type) override {
        if (position < 0) return E_INVALIDARG;
        if (position > 0 || format_->nChannels == 0) return VFW_S_NO_MORE_ITEMS;
        type->Clear();
        type->majortype = MEDIATYPE_Audio;
        type->subtype = MEDIASUBTYPE_PCM;
        type->formattype = FORMAT_WaveFormatEx;
        type->bFixedSizeSamples = TRUE;
        type->lSampleSize = format_->nBlockAlign;
        return type->SetFormat(format_, sizeof *format_) ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT CheckMediaType(const T_CMediaType* type) override {
        T_CMediaType mine;
        if (GetMediaType(0, &mine) != S_OK) return S_FALSE;
        return *type == mine ? S_OK : S_FALSE;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
        ALLOCATOR_PROPERTIES want = *request, actual{};
        want.cBuffers = std::max<long>(want.cBuffers, kOutputBuffers);
        want.cbBuffer = std::max<long>(want.cbBuffer, kOutputBytes);
        if (want.cbAlign <= 0) want.cbAlign = 1;
        const HRESULT result = allocator->SetProperties(&want, &actual);
        if (FAILED(result)) return result;
        return actual.cbBuffer >= format_->nBlockAlign ? S_OK : E_FAIL;
    }

  private:
    const WAVEFORMATEX* format_;
};

class MpegAudioDecoderFilter : public T_CBaseFilter {
  public:
    MpegAudioDecoderFilter()
        : T_CBaseFilter("MPEG Audio Decoder", &lock_, CLSID_MpegAudioDecoder),
          input_(this, &lock_),
          output_(this, &lock_, &format_) {}
    int GetPinCount() override { return 2; }
    T_CBasePin* GetPin(int n) override {
        if (n == 0) return &input_;
        if (n == 1) return &output_;
        return nullptr;
    }
    HRESULT Pause() override {
        T_CAutoLock lock(&lock_);
        const bool starting = state_ == State_Stopped;
        const HRESULT result = T_CBaseFilter::Pause();
        if (SUCCEEDED(result) && starting && input_.Reader() && output_.IsConnected()) {
            stopping_ = false;
            worker_ = std::thread([this] { StreamThread(); });
        }
        return result;
    }
    HRESULT Stop() override {
        T_CAutoLock lock(&lock_);
        if (worker_.joinable()) {
            stopping_ = true;
            input_.Reader()->BeginFlush();
            if (output_.Allocator()) output_.Allocator()->Decommit();
            worker_.join();
            input_.Reader()->EndFlush();
        }
        return T_CBaseFilter::Stop();
    }

    // Learns the output format from the stream's start.
    HRESULT Sniff(IAsyncReader* reader) {
        LONGLONG total = 0, available = 0;
        if (FAILED(reader->Length(&total, &available)) || total <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
        std::vector<BYTE> head(static_cast<size_t>(std::min<LONGLONG>(total, kSniffBytes)));
        if (FAILED(reader->SyncRead(0, static_cast<LONG>(head.size()), head.data())))
            return VFW_E_TYPE_NOT_ACCEPTED;
        MpegAudioDecoder decoder;
        std::vector<uint8_t> pcm(1 << 16);
        long rate = 0;
        int channels = 0;
        if (!decoder.Open(0, 0) || !decoder.Feed(head.data(), head.size()) ||
            decoder.Read(pcm.data(), pcm.size()) == 0 || !decoder.Format(&rate, &channels))
            return VFW_E_TYPE_NOT_ACCEPTED;
        format_ = WAVEFORMATEX{};
        format_.wFormatTag = WAVE_FORMAT_PCM;
        format_.nChannels = static_cast<WORD>(channels);
        format_.nSamplesPerSec = static_cast<DWORD>(rate);
        format_.wBitsPerSample = 16;
        format_.nBlockAlign = static_cast<WORD>(channels * 2);
        format_.nAvgBytesPerSec = format_.nBlockAlign * format_.nSamplesPerSec;
        return S_OK;
    }

  private:
    ~MpegAudioDecoderFilter() override {
        if (worker_.joinable()) worker_.join();
    }

    // Delivers what the decoder holds; false when delivery stopped.
    bool DeliverDecoded(MpegAudioDecoder& decoder, LONGLONG* frames) {
        for (;;) {
            IMediaSample* out = nullptr;
            if (FAILED(output_.GetDeliveryBuffer(&out, nullptr, nullptr, 0))) return false;
            BYTE* buffer = nullptr;
            out->GetPointer(&buffer);
            bool failed = false;
            const size_t bytes = decoder.Read(buffer, static_cast<size_t>(out->GetSize()), &failed);
            if (failed) {
                out->Release();
                NotifyEvent(EC_ERRORABORT, E_FAIL, 0);
                return false;
            }
            if (bytes == 0) {
                out->Release();
                return true;
            }
            out->SetActualDataLength(static_cast<long>(bytes));
            const LONGLONG count = static_cast<LONGLONG>(bytes / format_.nBlockAlign);
            REFERENCE_TIME start = *frames * 10000000 / format_.nSamplesPerSec;
            REFERENCE_TIME stop = (*frames + count) * 10000000 / format_.nSamplesPerSec;
            out->SetTime(&start, &stop);
            out->SetSyncPoint(TRUE);
            *frames += count;
            const HRESULT delivered = output_.Deliver(out);
            out->Release();
            if (delivered != S_OK) return false;
        }
    }

    void StreamThread() {
        IAsyncReader* reader = input_.Reader();
        MpegAudioDecoder decoder;
        IMemAllocator* preferred = nullptr;
        IMemAllocator* allocator = nullptr;
        auto* own = new (std::nothrow) T_CMemAllocator("MPEG Audio Decoder Reader");
        if (own) own->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&preferred));
        ALLOCATOR_PROPERTIES request{1, kReadBytes, 1, 0};
        LONGLONG total = 0, available = 0;
        bool ok = preferred && decoder.Open(static_cast<long>(format_.nSamplesPerSec), format_.nChannels) &&
                  SUCCEEDED(reader->RequestAllocator(preferred, &request, &allocator)) &&
                  SUCCEEDED(allocator->Commit()) && SUCCEEDED(reader->Length(&total, &available));
        LONGLONG position = 0, frames = 0;
        while (ok && !stopping_ && position < total) {
            IMediaSample* sample = nullptr;
            if (FAILED(allocator->GetBuffer(&sample, nullptr, nullptr, 0))) break;
            const LONGLONG length = std::min<LONGLONG>(sample->GetSize(), total - position);
            REFERENCE_TIME start = position * 10000000, stop = (position + length) * 10000000;
            sample->SetTime(&start, &stop);
            if (FAILED(reader->Request(sample, 0))) {
                sample->Release();
                break;
            }
            IMediaSample* done = nullptr;
            DWORD_PTR context = 0;
            const HRESULT waited = reader->WaitForNext(INFINITE_WAIT, &done, &context);
            if (FAILED(waited) || !done) {
                if (done) done->Release();
                if (!stopping_) NotifyEvent(EC_ERRORABORT, waited, 0);
                ok = false;
                break;
            }
            BYTE* data = nullptr;
            done->GetPointer(&data);
            const long read = done->GetActualDataLength();
            decoder.Feed(data, static_cast<size_t>(read));
            done->Release();
            if (read <= 0) break;
            position += read;
            ok = DeliverDecoded(decoder, &frames);
        }
        if (ok && !stopping_) output_.DeliverEndOfStream();
        if (allocator) {
            allocator->Decommit();
            allocator->Release();
        }
        if (preferred) preferred->Release();
    }

    T_CCritSec lock_;
    WAVEFORMATEX format_{};
    PullInputPin input_;
    PcmOutputPin output_;
    std::thread worker_;
    std::atomic<bool> stopping_{false};
    friend class PullInputPin;
};

PullInputPin::PullInputPin(MpegAudioDecoderFilter* filter, T_CCritSec* lock)
    : T_CBasePin("MPEG Audio In", filter, lock, u"In", PINDIR_INPUT), decoder_(filter) {}

HRESULT PullInputPin::CompleteConnect(IPin*) {
    return reader_ ? decoder_->Sniff(reader_) : E_UNEXPECTED;
}

}  // namespace

HRESULT CreateMpegAudioDecoderFilter(REFIID iid, void** object) {
    auto* filter = new (std::nothrow) MpegAudioDecoderFilter();
    if (!filter) return E_OUTOFMEMORY;
    filter->NonDelegatingAddRef();
    const HRESULT result = filter->NonDelegatingQueryInterface(iid, object);
    filter->NonDelegatingRelease();
    return result;
}
