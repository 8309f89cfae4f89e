// The library's DirectShow filters on their own: the memory reader's reads, ranges and flushes, the
// sample grabber's type checks and delivery buffer, and the WAV writer's file.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "engine/sound/mem_reader.h"
#include "engine/sound/sample_grabber.h"
#include "engine/sound/wav_dest_filter.h"
#include "platform/com/ole32.h"
#include "sound_test_data.h"
#include "tests/platform/dshow/push_source.h"

namespace {

std::vector<BYTE> Pattern(size_t size) {
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i * 7 + i / 256);
    return bytes;
}

AM_MEDIA_TYPE StreamType() {
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Stream;
    type.subtype = MEDIASUBTYPE_MPEG1Audio;
    return type;
}

// A reader over a block, its IAsyncReader and an allocator of samples of `sampleBytes`.
struct ReaderOver {
    explicit ReaderOver(std::vector<BYTE> bytes, long sampleBytes = 1000) : data(std::move(bytes)) {
        stream = CreateMemStream(data.data(), static_cast<LONGLONG>(data.size()), 0xFFFFFFFF);
        const AM_MEDIA_TYPE type = StreamType();
        HRESULT result = E_FAIL;
        reader = CreateMemReader(stream, &type, &result);
        reader->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        reader->GetPin(0)->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&async));
        auto* own = new T_CMemAllocator();
        own->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&allocator));
        ALLOCATOR_PROPERTIES props{4, sampleBytes, 1, 0}, actual{};
        allocator->SetProperties(&props, &actual);
        allocator->Commit();
    }
    ~ReaderOver() {
        allocator->Decommit();
        allocator->Release();
        async->Release();
        filter->Release();
        delete stream;
    }
    IMediaSample* Sample(LONGLONG position, LONGLONG length) {
        IMediaSample* sample = nullptr;
        EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
        REFERENCE_TIME start = position * 10000000, stop = (position + length) * 10000000;
        sample->SetTime(&start, &stop);
        return sample;
    }
    std::vector<BYTE> data;
    T_CMemStream* stream = nullptr;
    T_CMemReader* reader = nullptr;
    IBaseFilter* filter = nullptr;
    IAsyncReader* async = nullptr;
    IMemAllocator* allocator = nullptr;
};

TEST(MemStream, PointerStaysWithinTheBlockAndReadsStopAtItsEnd) {
    const std::vector<BYTE> data = Pattern(100);
    T_CMemStream stream(data.data(), 100, 0xFFFFFFFF);
    struct Case {
        LONGLONG position;
        HRESULT result;
        DWORD readable;
    };
    for (const Case& c : {Case{-1, S_FALSE, 0}, Case{0, S_OK, 100}, Case{60, S_OK, 40}, Case{100, S_OK, 0},
                          Case{101, S_FALSE, 0}}) {
        ASSERT_EQ(stream.SetPointer(c.position), c.result) << c.position;
        if (c.result != S_OK) continue;
        std::vector<BYTE> buffer(200, 0xEE);
        DWORD read = 12345;
        EXPECT_EQ(stream.Read(buffer.data(), 150, TRUE, &read), S_OK);
        EXPECT_EQ(read, c.readable) << c.position;
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + read, data.begin() + c.position));
        EXPECT_EQ(buffer[read], 0xEE);  // nothing written past what was read
    }
    LONGLONG available = 0;
    EXPECT_EQ(stream.Size(&available), 100);
    EXPECT_EQ(available, 100);
}

TEST(MemReader, OffersItsOneMediaType) {
    ReaderOver over(Pattern(10));
    T_CBasePin* pin = over.reader->GetPin(0);
    EXPECT_EQ(over.reader->GetPin(1), nullptr);
    T_CMediaType type;
    EXPECT_EQ(pin->GetMediaType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(pin->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
    ASSERT_EQ(pin->GetMediaType(0, &type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
    T_CMediaType other = type;
    other.subtype = MEDIASUBTYPE_WAVE;
    EXPECT_EQ(pin->CheckMediaType(&type), S_OK);
    EXPECT_EQ(pin->CheckMediaType(&other), S_FALSE);
}

// Queued requests come back with the block's bytes; a range past the end is cut there.
TEST(MemReader, RequestsReadTheirRangeAndStopAtTheEnd) {
    ReaderOver over(Pattern(2500));
    struct Case {
        LONGLONG position;
        LONGLONG length;
        long expected;
    };
    for (const Case& c :
         {Case{0, 1000, 1000}, Case{1200, 1000, 1000}, Case{2000, 1000, 500}, Case{2500, 1000, 0}}) {
        IMediaSample* sample = over.Sample(c.position, c.length);
        ASSERT_EQ(over.async->Request(sample, 77), S_OK) << c.position;
        IMediaSample* done = nullptr;
        DWORD_PTR user = 0;
        EXPECT_EQ(over.async->WaitForNext(1000, &done, &user), S_OK) << c.position;
        ASSERT_EQ(done, sample);
        EXPECT_EQ(user, 77u);
        EXPECT_EQ(done->GetActualDataLength(), c.expected) << c.position;
        REFERENCE_TIME start = 0, stop = 0;
        done->GetTime(&start, &stop);
        EXPECT_EQ(stop - start, c.expected * 10000000LL) << c.position;
        BYTE* bytes = nullptr;
        done->GetPointer(&bytes);
        EXPECT_TRUE(std::equal(bytes, bytes + c.expected, over.data.begin() + c.position));
        done->Release();
    }
    IMediaSample* beyond = over.Sample(3000, 10);
    EXPECT_EQ(over.async->Request(beyond, 0), E_INVALIDARG);
    beyond->Release();
    IMediaSample* larger = over.Sample(0, 2000);  // more than the sample holds
    EXPECT_EQ(over.async->Request(larger, 0), E_INVALIDARG);
    larger->Release();
}

TEST(MemReader, SynchronousReadsAndLength) {
    ReaderOver over(Pattern(300));
    std::vector<BYTE> buffer(400, 0);
    EXPECT_EQ(over.async->SyncRead(50, 100, buffer.data()), S_OK);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 100, over.data.begin() + 50));
    EXPECT_EQ(over.async->SyncRead(250, 100, buffer.data()), S_FALSE);  // 50 bytes left
    EXPECT_EQ(over.async->SyncRead(-1, 10, buffer.data()), E_INVALIDARG);
    IMediaSample* sample = over.Sample(280, 100);
    EXPECT_EQ(over.async->SyncReadAligned(sample), S_OK);  // the range is cut to the 20 bytes left
    EXPECT_EQ(sample->GetActualDataLength(), 20);
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    EXPECT_EQ(stop, 300 * 10000000LL);
    sample->Release();
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(over.async->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 300);
    EXPECT_EQ(available, 300);
}

TEST(MemReader, WaitForNextTimesOutThenDuringAFlushReturnsWhatWasQueuedThenWrongState) {
    ReaderOver over(Pattern(5000));
    IMediaSample* done = nullptr;
    DWORD_PTR user = 0;
    EXPECT_EQ(over.async->WaitForNext(10, &done, &user), VFW_E_TIMEOUT);
    IMediaSample* first = over.Sample(0, 1000);
    IMediaSample* second = over.Sample(1000, 1000);
    ASSERT_EQ(over.async->Request(first, 1), S_OK);
    ASSERT_EQ(over.async->Request(second, 2), S_OK);
    ASSERT_EQ(over.async->BeginFlush(), S_OK);
    IMediaSample* third = over.Sample(2000, 1000);
    EXPECT_EQ(over.async->Request(third, 3), VFW_E_WRONG_STATE);
    third->Release();
    std::vector<DWORD_PTR> returned;
    for (int i = 0; i < 2; ++i) {
        over.async->WaitForNext(1000, &done, &user);
        ASSERT_NE(done, nullptr);
        returned.push_back(user);
        done->Release();
    }
    EXPECT_EQ(returned, (std::vector<DWORD_PTR>{1, 2}));
    EXPECT_EQ(over.async->WaitForNext(1000, &done, &user), VFW_E_WRONG_STATE);
    EXPECT_EQ(done, nullptr);
    EXPECT_EQ(over.async->EndFlush(), S_OK);
    IMediaSample* again = over.Sample(0, 10);
    EXPECT_EQ(over.async->Request(again, 4), S_OK);
    EXPECT_EQ(over.async->WaitForNext(1000, &done, &user), S_OK);
    EXPECT_EQ(user, 4u);
    done->Release();
}

TEST(MemReader, RequestAllocatorNeedsAllItsPointers) {
    ReaderOver over(Pattern(10));
    ALLOCATOR_PROPERTIES props{2, 512, 0, 0};
    IMemAllocator* actual = nullptr;
    EXPECT_EQ(over.async->RequestAllocator(nullptr, &props, &actual), E_POINTER);
    EXPECT_EQ(over.async->RequestAllocator(over.allocator, nullptr, &actual), E_POINTER);
    over.allocator->Decommit();
    ASSERT_EQ(over.async->RequestAllocator(over.allocator, &props, &actual), S_OK);
    EXPECT_EQ(actual, over.allocator);
    EXPECT_EQ(props.cbAlign, 1);
    actual->Release();
    over.allocator->Commit();
}

TEST(SampleGrabber, AcceptedTypeNamesWhatMustMatch) {
    HRESULT result = E_FAIL;
    T_CSampleGrabber* grabber = CreateSampleGrabber(nullptr, &result);
    ASSERT_EQ(result, S_OK);
    IGrabberSample* grabberInterface = nullptr;
    ASSERT_EQ(
        grabber->NonDelegatingQueryInterface(IID_IGrabberSample, reinterpret_cast<void**>(&grabberInterface)),
        S_OK);
    AM_MEDIA_TYPE pcm{};
    pcm.majortype = MEDIATYPE_Audio;
    pcm.subtype = MEDIASUBTYPE_PCM;
    pcm.formattype = FORMAT_WaveFormatEx;
    const AM_MEDIA_TYPE stream = StreamType();
    AM_MEDIA_TYPE audioOnly{};
    audioOnly.majortype = MEDIATYPE_Audio;
    struct Case {
        const AM_MEDIA_TYPE* accepted;
        const AM_MEDIA_TYPE* offered;
        HRESULT result;
    };
    for (const Case& c : {Case{nullptr, &stream, S_OK}, Case{nullptr, &pcm, S_OK},
                          Case{&audioOnly, &pcm, S_OK}, Case{&audioOnly, &stream, VFW_E_INVALIDMEDIATYPE},
                          Case{&pcm, &pcm, S_OK}, Case{&pcm, &audioOnly, VFW_E_INVALIDMEDIATYPE}}) {
        grabberInterface->SetAcceptedMediaType(c.accepted);
        EXPECT_EQ(grabber->CheckInputType(c.offered), c.result);
    }
    AM_MEDIA_TYPE connected{};
    EXPECT_EQ(grabberInterface->GetConnectedMediaType(&connected), VFW_E_NOT_CONNECTED);
    grabberInterface->Release();
    EXPECT_EQ(CreateSampleGrabber(reinterpret_cast<IUnknown*>(grabber), &result), nullptr);
    EXPECT_EQ(result, CLASS_E_NOAGGREGATION);
}

TEST(SampleGrabber, DeliveryBufferArgumentsAreChecked) {
    HRESULT result = E_FAIL;
    T_CSampleGrabber* grabber = CreateSampleGrabber(nullptr, &result);
    IGrabberSample* grabberInterface = nullptr;
    grabber->NonDelegatingQueryInterface(IID_IGrabberSample, reinterpret_cast<void**>(&grabberInterface));
    std::vector<BYTE> buffer(4096);
    EXPECT_EQ(grabberInterface->SetDeliveryBuffer({2, 1024, 1, 0}, buffer.data()), E_INVALIDARG);
    EXPECT_EQ(grabberInterface->SetDeliveryBuffer({1, 1024, 1, 0}, nullptr), E_POINTER);
    EXPECT_EQ(grabberInterface->SetDeliveryBuffer({1, 1024, 1, 0}, buffer.data()), S_OK);
    // The pin now lends out the caller's buffer, on the caller's terms only.
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(grabber->InputPin()->GetAllocator(&allocator), S_OK);
    ALLOCATOR_PROPERTIES actual{};
    ALLOCATOR_PROPERTIES tooLarge{1, 2048, 1, 0}, misaligned{1, 512, 4, 0}, fits{1, 512, 1, 0};
    EXPECT_EQ(allocator->SetProperties(&tooLarge, &actual), E_FAIL);
    EXPECT_EQ(allocator->SetProperties(&misaligned, &actual), VFW_E_BADALIGN);
    ASSERT_EQ(allocator->SetProperties(&fits, &actual), S_OK);
    EXPECT_EQ(actual.cbBuffer, 1024);
    ASSERT_EQ(allocator->Commit(), S_OK);
    IMediaSample* sample = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    BYTE* bytes = nullptr;
    sample->GetPointer(&bytes);
    EXPECT_EQ(bytes, buffer.data());
    sample->Release();
    allocator->Decommit();
    allocator->Release();
    grabberInterface->Release();
}

// A file writer: samples land at their start time as a byte position; the pin offers IStream.
class StreamSink : public T_CBaseFilter {
  public:
    StreamSink() : T_CBaseFilter("StreamSink", &lock_, GUID_NULL), pin_(this, &lock_) {}
    int GetPinCount() override { return 1; }
    T_CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }
    std::vector<BYTE>& File() { return pin_.file; }

  private:
    class Pin : public T_CBaseInputPin, public IStream {
      public:
        Pin(T_CBaseFilter* filter, T_CCritSec* lock) : T_CBaseInputPin("SinkPin", filter, lock, u"In") {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            return NonDelegatingQueryInterface(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return filter_->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return filter_->Release(); }
        HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
            if (iid == IID_IStream) return GetInterface(static_cast<IStream*>(this), object);
            return T_CBaseInputPin::NonDelegatingQueryInterface(iid, object);
        }
        HRESULT CheckMediaType(const T_CMediaType* type) override {
            return type->majortype == MEDIATYPE_Stream ? S_OK : S_FALSE;
        }
        HRESULT Receive(IMediaSample* sample) override {
            const HRESULT result = T_CBaseInputPin::Receive(sample);
            if (result != S_OK) return result;
            REFERENCE_TIME start = 0, stop = 0;
            sample->GetTime(&start, &stop);
            BYTE* bytes = nullptr;
            sample->GetPointer(&bytes);
            position = static_cast<size_t>(start);
            return Write(bytes, static_cast<ULONG>(sample->GetActualDataLength()), nullptr);
        }
        HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
        HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
            if (file.size() < position + size) file.resize(position + size);
            std::memcpy(file.data() + position, buffer, size);
            position += size;
            if (written) *written = size;
            return S_OK;
        }
        HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER*) override {
            if (origin != STREAM_SEEK_SET) return E_NOTIMPL;
            position = static_cast<size_t>(move.QuadPart);
            return S_OK;
        }
        std::vector<BYTE> file;
        size_t position = 0;
    };
    T_CCritSec lock_;
    Pin pin_;
};

// PCM pushed through the WAV writer in three samples gives the file that Python's wave module wrote from
// the same PCM (fixtures/make_wav_dest_fixtures.sh, where sox and Python's wave module read each file
// back), byte for byte, whether the connected format block is 16 bytes or a WAVEFORMATEX of 18.
struct WavDestCase {
    ULONG formatBytes;
    const char* fixture;
};

void PrintTo(const WavDestCase& param, std::ostream* out) {
    *out << param.formatBytes << "-byte format block, " << param.fixture;
}

class WavDestFile : public ::testing::TestWithParam<WavDestCase> {};

TEST_P(WavDestFile, EqualsTheIndependentlyWrittenWave) {
    const WavDestCase& param = GetParam();
    const std::vector<uint8_t> pcm = ReadFixture("wav_dest.raw");
    const std::vector<uint8_t> expected = ReadFixture(param.fixture);
    ASSERT_EQ(pcm.size(), 8000u);
    ASSERT_EQ(expected.size(), 28 + param.formatBytes + pcm.size());

    const WAVEFORMATEX format = WaveFormat(WAVE_FORMAT_PCM, 2, 22050, 16);
    AM_MEDIA_TYPE pcmType{};
    pcmType.majortype = MEDIATYPE_Audio;
    pcmType.subtype = MEDIASUBTYPE_PCM;
    pcmType.formattype = FORMAT_WaveFormatEx;
    pcmType.cbFormat = param.formatBytes;
    pcmType.pbFormat = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(&format));
    auto* source = new TestPushSource(pcmType, 4096);
    auto* writer = new T_CWavDestFilter();
    auto* sink = new StreamSink();
    IBaseFilter* filters[] = {HoldFilter(source), HoldFilter(writer), HoldFilter(sink)};
    ASSERT_EQ(source->GetPin(0)->Connect(writer->GetPin(0), nullptr), S_OK);
    ASSERT_EQ(writer->GetPin(1)->Connect(sink->GetPin(0), nullptr), S_OK);
    for (IBaseFilter* filter : {filters[2], filters[1], filters[0]}) ASSERT_EQ(filter->Pause(), S_OK);
    size_t offset = 0;
    for (size_t piece : {4000, 1000, 3000}) {
        ASSERT_EQ(source->Push(std::vector<BYTE>(pcm.begin() + offset, pcm.begin() + offset + piece)), S_OK);
        offset += piece;
    }
    for (IBaseFilter* filter : filters) filter->Stop();

    const std::vector<BYTE>& file = sink->File();
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), expected);

    ReleaseFilterChain({filters[0], filters[1], filters[2]});
}

INSTANTIATE_TEST_SUITE_P(FormatBlocks, WavDestFile,
                         ::testing::Values(WavDestCase{16, "wav_dest_fmt16.wav"},
                                           WavDestCase{18, "wav_dest_fmt18.wav"}),
                         [](const ::testing::TestParamInfo<WavDestCase>& info) {
                             return "FormatBlockOf" + std::to_string(info.param.formatBytes);
                         });

TEST(WavDestFilter, OutputIsAWaveStreamOnly) {
    auto* writer = new T_CWavDestFilter();
    IBaseFilter* filter = HoldFilter(writer);
    T_CMediaType type;
    ASSERT_EQ(writer->OutputPin()->GetMediaType(0, &type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
    EXPECT_EQ(type.subtype, MEDIASUBTYPE_WAVE);
    EXPECT_EQ(writer->OutputPin()->CheckMediaType(&type), S_OK);
    type.subtype = MEDIASUBTYPE_MPEG1Audio;
    EXPECT_EQ(writer->OutputPin()->CheckMediaType(&type), S_FALSE);
    EXPECT_EQ(std::u16string(kWavDestFactoryTable[0].name), u"WAV Dest");
    filter->Release();
}

}  // namespace
