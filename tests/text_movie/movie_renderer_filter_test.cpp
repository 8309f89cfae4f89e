#include "engine/text_movie/movie_renderer_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/image/yuv_convert.h"
#include "platform/dshow/video_types.h"
#include "tests/platform/dshow/push_source.h"

namespace {

struct VideoFormat {
    T_CMediaType type;
    VIDEOINFOHEADER info{};

    VideoFormat(const GUID& subtype, int width, int height, const GUID& major = MEDIATYPE_Video,
                const GUID& format = FORMAT_VideoInfo) {
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        type.majortype = major;
        type.subtype = subtype;
        type.formattype = format;
        type.SetFormat(&info, sizeof info);
    }
};

std::vector<BYTE> RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<BYTE> bytes(size);
    for (BYTE& b : bytes) b = BYTE(random());
    return bytes;
}

// A renderer connected to a source of `format`, paused so that samples flow.
struct Chain {
    T_CMovieRendererFilter* renderer;
    TestPushSource* source;
    std::vector<IBaseFilter*> filters;
    HRESULT connected;

    explicit Chain(const AM_MEDIA_TYPE& format, long bufferBytes = 1 << 16) {
        HRESULT created = E_FAIL;
        renderer = CreateMovieRenderer(nullptr, &created);
        EXPECT_EQ(created, S_OK);
        source = new TestPushSource(format, bufferBytes);
        filters = {HoldFilter(source), HoldFilter(renderer)};
        renderer->Release();  // the chain's hold remains
        connected = source->GetPin(0)->Connect(renderer->GetPin(0), nullptr);
        if (connected == S_OK)
            for (IBaseFilter* filter : {filters[1], filters[0]}) filter->Pause();
    }
    ~Chain() {
        for (IBaseFilter* filter : filters) filter->Stop();
        ReleaseFilterChain(filters);
    }
};

// A check only answers: the code the samples are copied by is the connection's.
TEST(MovieRendererFilter, ChecksTypesInItsOwnOrder) {
    struct Case {
        GUID major, subtype, format;
        HRESULT result;
    };
    const GUID audio = MEDIATYPE_Audio;
    const Case cases[] = {
        {MEDIATYPE_Video, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_RGB32, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_YV12, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_NV12, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_UYVY, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_YVYU, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_NV11, FORMAT_VideoInfo, S_OK},
        {MEDIATYPE_Video, MEDIASUBTYPE_PCM, FORMAT_VideoInfo, E_FAIL},
        {audio, MEDIASUBTYPE_RGB32, FORMAT_VideoInfo, E_FAIL},
        {MEDIATYPE_Video, MEDIASUBTYPE_RGB32, FORMAT_WaveFormatEx, E_INVALIDARG},
        {audio, MEDIASUBTYPE_PCM, FORMAT_WaveFormatEx, E_INVALIDARG},
    };
    HRESULT created = E_FAIL;
    T_CMovieRendererFilter* renderer = CreateMovieRenderer(nullptr, &created);
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(created, S_OK);
    EXPECT_EQ(renderer->CheckMediaType(nullptr), E_POINTER);
    for (const Case& c : cases) {
        renderer->formatCode = 99;
        VideoFormat format(c.subtype, 4, 4, c.major, c.format);
        EXPECT_EQ(renderer->CheckMediaType(&format.type), c.result);
        EXPECT_EQ(renderer->formatCode, 99);
    }
    CLSID clsid{};
    renderer->GetClassID(&clsid);
    const GUID expected = {0x71771540, 0x2017, 0x11CF, {0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};
    EXPECT_EQ(clsid, expected);
    renderer->Release();
}

TEST(MovieRendererFilter, TakesTheFrameGeometryOfTheConnection) {
    struct Case {
        GUID subtype;
        int width, height;
        int pitch, bottomUp, hasYuvImage;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_RGB24, 5, 3, 16, 1, 0}, {MEDIASUBTYPE_RGB24, 4, -3, 12, 0, 0},
        {MEDIASUBTYPE_RGB32, 5, 3, 20, 1, 0}, {MEDIASUBTYPE_RGB32, 7, -2, 28, 0, 0},
        {MEDIASUBTYPE_YV12, 6, 4, 24, 0, 1},  {MEDIASUBTYPE_YUY2, 6, -4, 24, 0, 1},
        {MEDIASUBTYPE_NV11, 8, 2, 32, 0, 1},
    };
    for (const Case& c : cases) {
        VideoFormat format(c.subtype, c.width, c.height);
        Chain chain(format.type);
        ASSERT_EQ(chain.connected, S_OK);
        T_CMovieRendererFilter* r = chain.renderer;
        EXPECT_EQ(r->width, c.width);
        EXPECT_EQ(r->height, std::abs(c.height));
        EXPECT_EQ(r->rowPitch, c.pitch) << c.width;
        EXPECT_EQ(r->bottomUp, c.bottomUp);
        EXPECT_EQ(r->yuvImage != nullptr, c.hasYuvImage != 0);
        EXPECT_NE(r->frameBuffer, nullptr);
        EXPECT_EQ(r->newFrame.load(), 0);
    }
}

TEST(MovieRendererFilter, RefusesFormatsItCannotHold) {
    for (int width : {0, -4, 20000}) {
        VideoFormat format(MEDIASUBTYPE_RGB32, width, 4);
        Chain chain(format.type);
        EXPECT_NE(chain.connected, S_OK) << width;
    }
    VideoFormat truncated(MEDIASUBTYPE_RGB32, 4, 4);
    truncated.type.cbFormat = sizeof(VIDEOINFOHEADER) - 1;
    EXPECT_NE(Chain(truncated.type).connected, S_OK);
}

TEST(MovieRendererFilter, SampleBeforeAnyFormatIsDropped) {
    HRESULT created = E_FAIL;
    T_CMovieRendererFilter* renderer = CreateMovieRenderer(nullptr, &created);
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->DoRenderSample(nullptr), E_POINTER);
    // Any sample will do: the filter drops it before reading.
    VideoFormat format(MEDIASUBTYPE_RGB32, 2, 2);
    Chain chain(format.type);
    ASSERT_EQ(chain.connected, S_OK);
    T_CMemAllocator* allocator = new T_CMemAllocator();
    allocator->AddRef();
    ALLOCATOR_PROPERTIES want{1, 64, 1, 0}, actual{};
    ASSERT_EQ(allocator->SetProperties(&want, &actual), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    IMediaSample* sample = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    sample->SetActualDataLength(16);
    EXPECT_EQ(renderer->DoRenderSample(sample), S_OK);
    EXPECT_EQ(renderer->newFrame.load(), 0);
    sample->Release();
    allocator->Decommit();
    allocator->Release();
    renderer->Release();
}

TEST(MovieRendererFilter, RgbFramesArriveTopDown) {
    for (int height : {3, -3}) {
        VideoFormat format(MEDIASUBTYPE_RGB24, 5, height);
        Chain chain(format.type);
        ASSERT_EQ(chain.connected, S_OK);
        const std::vector<BYTE> sample = RandomBytes(16 * 3, 7);
        ASSERT_EQ(chain.source->Push(sample), S_OK);
        EXPECT_EQ(chain.renderer->TakeNewFrame(), 1);
        EXPECT_EQ(chain.renderer->TakeNewFrame(), 0);
        for (int row = 0; row < 3; row++) {
            const int sourceRow = height > 0 ? 2 - row : row;
            const std::vector<BYTE> got(chain.renderer->frameBuffer + row * 16,
                                        chain.renderer->frameBuffer + row * 16 + 16);
            const std::vector<BYTE> want(sample.begin() + sourceRow * 16,
                                         sample.begin() + sourceRow * 16 + 16);
            EXPECT_EQ(got, want) << "height " << height << " row " << row;
        }
    }
}

TEST(MovieRendererFilter, YuvFramesGoThroughTheirOwnConverter) {
    typedef int (*Converter)(const uint8_t*, int, int, SoftImage*);
    struct Case {
        GUID subtype;
        Converter convert;
        size_t bytes;  // of a 6x4 frame
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YV12, ConvertYv12ToImage, 36}, {MEDIASUBTYPE_NV12, ConvertNv12ToImage, 36},
        {MEDIASUBTYPE_YUY2, ConvertYuy2ToImage, 48}, {MEDIASUBTYPE_UYVY, ConvertUyvyToImage, 48},
        {MEDIASUBTYPE_YVYU, ConvertYvyuToImage, 48}, {MEDIASUBTYPE_NV11, ConvertNv11ToImage, 36},
    };
    for (const Case& c : cases) {
        for (int height : {4, -4}) {
            VideoFormat format(c.subtype, 6, height);
            Chain chain(format.type);
            ASSERT_EQ(chain.connected, S_OK);
            const std::vector<BYTE> sample = RandomBytes(c.bytes, unsigned(c.bytes));
            ASSERT_EQ(chain.source->Push(sample), S_OK);
            ASSERT_EQ(chain.renderer->TakeNewFrame(), 1);
            SoftImage expected{};
            ASSERT_EQ(CreateSoftImageXrgb8(6, 4, &expected), 0);
            c.convert(sample.data(), 6, 4, &expected);
            for (int row = 0; row < 4; row++) {
                const BYTE* want = static_cast<const BYTE*>(expected.pixels) + row * expected.pitch;
                EXPECT_EQ(std::vector<BYTE>(chain.renderer->frameBuffer + row * 24,
                                            chain.renderer->frameBuffer + row * 24 + 24),
                          std::vector<BYTE>(want, want + 24))
                    << "row " << row;
            }
            ReleaseSoftImage(&expected);
        }
    }
}

// The upstream filter may ask about other types after the connection; the samples keep being read as
// the connected type.
TEST(MovieRendererFilter, TypeQueriesAfterTheConnectionLeaveTheCopyAlone) {
    typedef int (*Converter)(const uint8_t*, int, int, SoftImage*);
    struct Case {
        GUID connected;
        Converter convert;  // null: the sample's rows are the frame's
        size_t bytes;       // of a 6x4 frame
        GUID queried;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YUY2, ConvertYuy2ToImage, 48, MEDIASUBTYPE_NV12},
        {MEDIASUBTYPE_NV12, ConvertNv12ToImage, 36, MEDIASUBTYPE_RGB32},
        {MEDIASUBTYPE_YV12, ConvertYv12ToImage, 36, MEDIASUBTYPE_UYVY},
        {MEDIASUBTYPE_RGB32, nullptr, 96, MEDIASUBTYPE_YV12},
    };
    for (const Case& c : cases) {
        VideoFormat format(c.connected, 6, -4);
        Chain chain(format.type);
        ASSERT_EQ(chain.connected, S_OK);
        VideoFormat other(c.queried, 6, -4);
        EXPECT_EQ(chain.renderer->GetPin(0)->QueryAccept(&other.type), S_OK);
        const std::vector<BYTE> sample = RandomBytes(c.bytes, 11);
        ASSERT_EQ(chain.source->Push(sample), S_OK);
        ASSERT_EQ(chain.renderer->TakeNewFrame(), 1);
        std::vector<BYTE> want(sample);
        if (c.convert) {
            SoftImage expected{};
            ASSERT_EQ(CreateSoftImageXrgb8(6, 4, &expected), 0);
            c.convert(sample.data(), 6, 4, &expected);
            want.clear();
            for (int row = 0; row < 4; row++) {
                const BYTE* line = static_cast<const BYTE*>(expected.pixels) + row * expected.pitch;
                want.insert(want.end(), line, line + 24);
            }
            ReleaseSoftImage(&expected);
        }
        EXPECT_EQ(std::vector<BYTE>(chain.renderer->frameBuffer, chain.renderer->frameBuffer + 96), want);
    }
}

TEST(MovieRendererFilter, ShortSamplesAreRefusedWithoutReading) {
    struct Case {
        GUID subtype;
        size_t needed;  // of a 6x4 frame
    };
    const Case cases[] = {
        {MEDIASUBTYPE_RGB24, 72}, {MEDIASUBTYPE_RGB32, 96}, {MEDIASUBTYPE_YV12, 36},
        {MEDIASUBTYPE_YUY2, 48},  {MEDIASUBTYPE_NV12, 36},  {MEDIASUBTYPE_NV11, 36},
    };
    for (const Case& c : cases) {
        VideoFormat format(c.subtype, 6, 4);
        Chain chain(format.type, long(c.needed - 1));
        ASSERT_EQ(chain.connected, S_OK);
        EXPECT_NE(chain.source->Push(RandomBytes(c.needed - 1, 3)), S_OK);
        EXPECT_EQ(chain.renderer->TakeNewFrame(), 0);
    }
}

}  // namespace
