// DirectShow's video media types and the graph interfaces a movie player asks for: the video major
// type, the VIDEOINFOHEADER format, the uncompressed sub-types, seeking and basic audio.
#pragma once

#include "platform/dshow/dshow.h"
#include "platform/gdi/gdi32.h"

DSHOW_GUID(MEDIATYPE_Video, 0x73646976, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DSHOW_GUID(FORMAT_VideoInfo, 0x05589F80, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DSHOW_GUID(MEDIASUBTYPE_RGB24, 0xE436EB7D, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(MEDIASUBTYPE_RGB32, 0xE436EB7E, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
// FOURCC sub-types: the code, then the common tail.
#define DSHOW_FOURCC_GUID(name, fourcc) \
    DSHOW_GUID(name, fourcc, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71)
DSHOW_FOURCC_GUID(MEDIASUBTYPE_YV12, 0x32315659);
DSHOW_FOURCC_GUID(MEDIASUBTYPE_NV12, 0x3231564E);
DSHOW_FOURCC_GUID(MEDIASUBTYPE_YUY2, 0x32595559);
DSHOW_FOURCC_GUID(MEDIASUBTYPE_UYVY, 0x59565955);
DSHOW_FOURCC_GUID(MEDIASUBTYPE_YVYU, 0x55595659);
DSHOW_FOURCC_GUID(MEDIASUBTYPE_NV11, 0x3131564E);

DSHOW_GUID(IID_IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);
DSHOW_GUID(IID_IBasicAudio, 0x56A868B3, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};

#define AM_SEEKING_NoPositioning 0x0
#define AM_SEEKING_AbsolutePositioning 0x1

struct IMediaSeeking : IUnknown {
    virtual HRESULT GetCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT CheckCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT IsFormatSupported(const GUID* format) = 0;
    virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
    virtual HRESULT GetTimeFormat(GUID* format) = 0;
    virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
    virtual HRESULT SetTimeFormat(const GUID* format) = 0;
    virtual HRESULT GetDuration(LONGLONG* duration) = 0;
    virtual HRESULT GetStopPosition(LONGLONG* stop) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG* current) = 0;
    virtual HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                      const GUID* sourceFormat) = 0;
    virtual HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) = 0;
    virtual HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
    virtual HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
    virtual HRESULT SetRate(double rate) = 0;
    virtual HRESULT GetRate(double* rate) = 0;
    virtual HRESULT GetPreroll(LONGLONG* preroll) = 0;
};

// The movie player only holds and releases it.
struct IBasicAudio : IUnknown {};
