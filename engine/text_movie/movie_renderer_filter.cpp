// The movie renderer filter: checks and takes the video format, and stores each sample as one top-down
// frame.
#include "engine/text_movie/movie_renderer_filter.h"

#include <cstring>
#include <new>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/image/yuv_convert.h"
#include "platform/dshow/video_types.h"

namespace {

// {71771540-2017-11CF-AE26-0020AFD79767}
DSHOW_GUID(CLSID_MovieRenderer, 0x71771540, 0x2017, 0x11CF, 0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67);

// Frames larger than this on a side are refused.
constexpr int kLargestFrameSide = 16384;

struct SubtypeCode {
    const GUID* subtype;
    int32_t code;
};

// In the order they are compared.
const SubtypeCode kSubtypes[] = {
    {&MEDIASUBTYPE_NV11, kMovieFrameNv11},   {&MEDIASUBTYPE_YVYU, kMovieFrameYvyu},
    {&MEDIASUBTYPE_UYVY, kMovieFrameUyvy},   {&MEDIASUBTYPE_YUY2, kMovieFrameYuy2},
    {&MEDIASUBTYPE_NV12, kMovieFrameNv12},   {&MEDIASUBTYPE_YV12, kMovieFrameYv12},
    {&MEDIASUBTYPE_RGB32, kMovieFrameRgb32}, {&MEDIASUBTYPE_RGB24, kMovieFrameRgb24},
};

// The format code of a sub-type, or -1 for one this renderer does not take.
int32_t CodeOfSubtype(const GUID& subtype) {
    for (const SubtypeCode& entry : kSubtypes)
        if (subtype == *entry.subtype) return entry.code;
    return -1;
}

typedef int (*YuvConverter)(const uint8_t* source, int width, int height, SoftImage* image);

YuvConverter ConverterFor(int32_t code) {
    switch (code) {
        case kMovieFrameYv12:
            return ConvertYv12ToImage;
        case kMovieFrameNv12:
            return ConvertNv12ToImage;
        case kMovieFrameYuy2:
            return ConvertYuy2ToImage;
        case kMovieFrameUyvy:
            return ConvertUyvyToImage;
        case kMovieFrameYvyu:
            return ConvertYvyuToImage;
        case kMovieFrameNv11:
            return ConvertNv11ToImage;
        default:
            return nullptr;
    }
}

// Bytes a sample of the format must hold.
int64_t SampleBytes(int32_t code, int64_t width, int64_t height, int64_t rowPitch) {
    switch (code) {
        case kMovieFrameYv12:
            return width * height + 2 * (width / 2) * (height / 2);
        case kMovieFrameNv12:
            return width * height + width * (height / 2);
        case kMovieFrameNv11:
            return width * height + (width / 2) * height;
        case kMovieFrameYuy2:
        case kMovieFrameUyvy:
        case kMovieFrameYvyu:
            return 2 * width * height;
        default:
            return rowPitch * height;
    }
}

}  // namespace

T_CMovieRendererFilter::T_CMovieRendererFilter(IUnknown*, HRESULT* result)
    : T_CBaseVideoRenderer(CLSID_MovieRenderer, nullptr) {
    if (result) *result = S_OK;
}

T_CMovieRendererFilter::~T_CMovieRendererFilter() {
    TrackedFree(frameBuffer);
    frameBuffer = nullptr;
    ReleaseYuvImage();
}

void T_CMovieRendererFilter::ReleaseYuvImage() {
    if (!yuvImage) return;
    ReleaseSoftImage(yuvImage);
    delete yuvImage;
    yuvImage = nullptr;
}

HRESULT T_CMovieRendererFilter::CheckMediaType(const T_CMediaType* type) {
    if (!type) return E_POINTER;
    if (type->formattype != FORMAT_VideoInfo) return E_INVALIDARG;
    if (type->majortype != MEDIATYPE_Video) return E_FAIL;
    return CodeOfSubtype(type->subtype) >= 0 ? S_OK : E_FAIL;
}

HRESULT T_CMovieRendererFilter::SetMediaType(const T_CMediaType* type) {
    if (!type || !type->pbFormat || type->cbFormat < sizeof(VIDEOINFOHEADER)) return E_INVALIDARG;
    // The samples are copied by the connected type alone: a later type check only answers.
    const int32_t code = CodeOfSubtype(type->subtype);
    if (code < 0) return E_FAIL;
    VIDEOINFOHEADER info;
    std::memcpy(&info, type->pbFormat, sizeof info);
    const int64_t newWidth = info.bmiHeader.biWidth;
    const int64_t rawHeight = info.bmiHeader.biHeight;
    const int64_t newHeight = rawHeight < 0 ? -rawHeight : rawHeight;
    if (newWidth <= 0 || newWidth > kLargestFrameSide || newHeight == 0 || newHeight > kLargestFrameSide)
        return E_INVALIDARG;

    std::lock_guard<std::mutex> lock(frameLock_);
    formatCode = code;
    width = int32_t(newWidth);
    height = int32_t(newHeight);
    bottomUp = rawHeight > 0 ? 1 : 0;
    ReleaseYuvImage();
    rowPitch = formatCode == kMovieFrameRgb24 ? (3 * width + 3) / 4 * 4 : 4 * width;
    if (ConverterFor(formatCode)) {
        bottomUp = 0;
        yuvImage = new (std::nothrow) SoftImage{};
        if (!yuvImage || CreateSoftImageXrgb8(width, height, yuvImage) < 0) {
            delete yuvImage;
            yuvImage = nullptr;
        }
    }
    TrackedFree(frameBuffer);
    frameBuffer =
        static_cast<uint8_t*>(TrackedAlloc(size_t(rowPitch) * size_t(height), "MovieRenderer", __LINE__));
    newFrame.store(0);
    if (ConverterFor(formatCode) && !yuvImage) {
        TrackedFree(frameBuffer);
        frameBuffer = nullptr;
    }
    return frameBuffer ? S_OK : E_OUTOFMEMORY;
}

HRESULT T_CMovieRendererFilter::DoRenderSample(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    std::lock_guard<std::mutex> lock(frameLock_);
    if (!frameBuffer) return S_OK;
    BYTE* bytes = nullptr;
    if (FAILED(sample->GetPointer(&bytes)) || !bytes) return E_POINTER;
    if (sample->GetActualDataLength() < SampleBytes(formatCode, width, height, rowPitch)) return E_INVALIDARG;

    const uint8_t* source = bytes;
    size_t sourcePitch = size_t(rowPitch);
    if (YuvConverter convert = ConverterFor(formatCode); convert && yuvImage) {
        convert(bytes, width, height, yuvImage);
        source = static_cast<const uint8_t*>(yuvImage->pixels);
        sourcePitch = size_t(yuvImage->pitch);
    }
    for (int row = 0; row < height; row++) {
        const int target = bottomUp ? height - 1 - row : row;
        std::memcpy(frameBuffer + size_t(target) * rowPitch, source + size_t(row) * sourcePitch,
                    size_t(rowPitch));
    }
    newFrame.store(1, std::memory_order_release);
    return S_OK;
}

T_CMovieRendererFilter* CreateMovieRenderer(IUnknown* outer, HRESULT* result) {
    auto* filter = new (std::nothrow) T_CMovieRendererFilter(outer, result);
    if (!filter) {
        if (result) *result = E_OUTOFMEMORY;
        return nullptr;
    }
    filter->NonDelegatingAddRef();
    return filter;
}
