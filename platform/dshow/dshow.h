// DirectShow as the library calls it: filters, pins, media samples and allocators, the pull-model
// reader, the filter graph with its control and event interfaces, and the stream a file writer offers.
// Only the methods the library and the graph use are declared.
#pragma once

#include "platform/com/unknown.h"
#include "platform/dsound/wave_format.h"
#include "platform/kernel/win_types.h"

typedef LONGLONG REFERENCE_TIME;
typedef LONG_PTR OAEVENT;
typedef long OAFilterState;

#define DSHOW_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

DSHOW_GUID(GUID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DSHOW_GUID(IID_IPersist, 0x0000010C, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
DSHOW_GUID(IID_IStream, 0x0000000C, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
DSHOW_GUID(IID_IPin, 0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IEnumPins, 0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IEnumFilters, 0x56A86893, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IReferenceClock, 0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMediaFilter, 0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMediaSample, 0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMemAllocator, 0x56A8689C, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMemInputPin, 0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMediaEventSink, 0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IAsyncReader, 0x56A868AA, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IMediaEvent, 0x56A868B6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(IID_IEnumMediaTypes, 0x89C31040, 0x846B, 0x11CE, 0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DSHOW_GUID(IID_IMediaSample2, 0x36B73884, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);

DSHOW_GUID(CLSID_FilterGraph, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(CLSID_NullRenderer, 0xC1F400A4, 0x3F08, 0x11D3, 0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37);
DSHOW_GUID(CLSID_MemoryAllocator, 0x1E651CC0, 0xB199, 0x11D0, 0x82, 0x12, 0x00, 0xC0, 0x4F, 0xC3, 0x2C, 0x45);
DSHOW_GUID(CLSID_MpegAudioDecoder, 0x38BE3000, 0xDBF4, 0x11D0, 0x86, 0x0E, 0x00, 0xA0, 0x24, 0xCF, 0xEF,
           0x6D);

DSHOW_GUID(MEDIATYPE_Stream, 0xE436EB83, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(MEDIATYPE_Audio, 0x73647561, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DSHOW_GUID(MEDIASUBTYPE_PCM, 0x00000001, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DSHOW_GUID(MEDIASUBTYPE_MPEG1Audio, 0xE436EB87, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7,
           0x70);
DSHOW_GUID(MEDIASUBTYPE_WAVE, 0xE436EB8B, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DSHOW_GUID(FORMAT_WaveFormatEx, 0x05589F81, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);

#define VFW_S_NO_MORE_ITEMS ((HRESULT)0x00040103)
#define VFW_E_INVALIDMEDIATYPE ((HRESULT)0x80040200)
#define VFW_E_ALREADY_CONNECTED ((HRESULT)0x80040204)
#define VFW_E_NO_ACCEPTABLE_TYPES ((HRESULT)0x80040207)
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209)
#define VFW_E_NO_ALLOCATOR ((HRESULT)0x8004020A)
#define VFW_E_BADALIGN ((HRESULT)0x8004020E)
#define VFW_E_NOT_COMMITTED ((HRESULT)0x80040211)
#define VFW_E_SIZENOTSET ((HRESULT)0x80040212)
#define VFW_E_NOT_FOUND ((HRESULT)0x80040216)
#define VFW_E_CANNOT_CONNECT ((HRESULT)0x80040217)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218)
#define VFW_E_NOT_STOPPED ((HRESULT)0x80040224)
#define VFW_E_WRONG_STATE ((HRESULT)0x80040227)
#define VFW_E_TYPE_NOT_ACCEPTED ((HRESULT)0x8004022A)
#define VFW_E_TIMEOUT ((HRESULT)0x8004022E)
#define VFW_E_ALREADY_COMMITTED ((HRESULT)0x8004020F)
#define VFW_E_BUFFERS_OUTSTANDING ((HRESULT)0x80040210)
#define VFW_E_BUFFER_OVERFLOW_OR_INVALID E_INVALIDARG
#define VFW_E_INVALID_DIRECTION ((HRESULT)0x80040208)
#define VFW_E_DUPLICATE_NAME ((HRESULT)0x8004023A)
#define E_ABORT ((HRESULT)0x80004004)
#ifndef E_UNEXPECTED
#define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#endif

#define EC_COMPLETE 0x01
#define EC_USERABORT 0x02
#define EC_ERRORABORT 0x03
#define INFINITE_WAIT 0xFFFFFFFF

#define AM_STREAM_MEDIA 0
#define AM_STREAM_CONTROL 1
#define AM_SAMPLE_SPLICEPOINT 0x1
#define AM_SAMPLE_TIMEVALID 0x10
#define AM_SAMPLE_STOPVALID 0x100
#define AM_SAMPLE_DATADISCONTINUITY 0x4

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };
enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

struct ALLOCATOR_PROPERTIES {
    long cBuffers;
    long cbBuffer;
    long cbAlign;
    long cbPrefix;
};

struct AM_SAMPLE2_PROPERTIES {
    DWORD cbData;
    DWORD dwTypeSpecificFlags;
    DWORD dwSampleFlags;
    LONG lActual;
    REFERENCE_TIME tStart;
    REFERENCE_TIME tStop;
    DWORD dwStreamId;
    AM_MEDIA_TYPE* pMediaType;
    BYTE* pbBuffer;
    LONG cbBuffer;
};

struct IBaseFilter;
struct IFilterGraph;

struct PIN_INFO {
    IBaseFilter* pFilter;
    PIN_DIRECTION dir;
    WCHAR achName[128];
};

struct FILTER_INFO {
    WCHAR achName[128];
    IFilterGraph* pGraph;
};

struct IReferenceClock : IUnknown {};

struct IEnumMediaTypes : IUnknown {
    virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumMediaTypes** copy) = 0;
};

struct IPin : IUnknown {
    virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** pin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
    virtual HRESULT QueryId(LPWSTR* id) = 0;
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT EnumMediaTypes(IEnumMediaTypes** types) = 0;
    virtual HRESULT EndOfStream() = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};

struct IEnumPins : IUnknown {
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumPins** copy) = 0;
};

struct IEnumFilters : IUnknown {
    virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFilters** copy) = 0;
};

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

struct IMediaFilter : IPersist {
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME start) = 0;
    virtual HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) = 0;
    virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
    virtual HRESULT GetSyncSource(IReferenceClock** clock) = 0;
};

struct IBaseFilter : IMediaFilter {
    virtual HRESULT EnumPins(IEnumPins** pins) = 0;
    virtual HRESULT FindPin(LPCWSTR id, IPin** pin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;
};

struct IMediaSample : IUnknown {
    virtual HRESULT GetPointer(BYTE** buffer) = 0;
    virtual long GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
    virtual HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(BOOL sync) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL preroll) = 0;
    virtual long GetActualDataLength() = 0;
    virtual HRESULT SetActualDataLength(long length) = 0;
    virtual HRESULT GetMediaType(AM_MEDIA_TYPE** type) = 0;
    virtual HRESULT SetMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT IsDiscontinuity() = 0;
    virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
};

struct IMediaSample2 : IMediaSample {
    virtual HRESULT GetProperties(DWORD size, BYTE* properties) = 0;
    virtual HRESULT SetProperties(DWORD size, const BYTE* properties) = 0;
};

struct IMemAllocator : IUnknown {
    virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) = 0;
    virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) = 0;
    virtual HRESULT Commit() = 0;
    virtual HRESULT Decommit() = 0;
    virtual HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                              DWORD flags) = 0;
    virtual HRESULT ReleaseBuffer(IMediaSample* sample) = 0;
};

struct IMemInputPin : IUnknown {
    virtual HRESULT GetAllocator(IMemAllocator** allocator) = 0;
    virtual HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) = 0;
    virtual HRESULT Receive(IMediaSample* sample) = 0;
    virtual HRESULT ReceiveMultiple(IMediaSample** samples, long count, long* processed) = 0;
    virtual HRESULT ReceiveCanBlock() = 0;
};

struct IAsyncReader : IUnknown {
    virtual HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props,
                                     IMemAllocator** actual) = 0;
    virtual HRESULT Request(IMediaSample* sample, DWORD_PTR user) = 0;
    virtual HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) = 0;
    virtual HRESULT SyncReadAligned(IMediaSample* sample) = 0;
    virtual HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) = 0;
    virtual HRESULT Length(LONGLONG* total, LONGLONG* available) = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
};

struct IFilterGraph : IUnknown {
    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    virtual HRESULT EnumFilters(IEnumFilters** filters) = 0;
    virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) = 0;
    virtual HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT Reconnect(IPin* pin) = 0;
    virtual HRESULT Disconnect(IPin* pin) = 0;
    virtual HRESULT SetDefaultSyncSource() = 0;
};

struct IGraphBuilder : IFilterGraph {
    virtual HRESULT Connect(IPin* out, IPin* in) = 0;
    virtual HRESULT Render(IPin* out) = 0;
};

struct IMediaControl : IUnknown {
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetState(LONG timeout, OAFilterState* state) = 0;
};

struct IMediaEvent : IUnknown {
    virtual HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeout) = 0;
    virtual HRESULT WaitForCompletion(long timeout, long* code) = 0;
    virtual HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct IMediaEventSink : IUnknown {
    virtual HRESULT Notify(long code, LONG_PTR param1, LONG_PTR param2) = 0;
};

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    ULONGLONG QuadPart;
};
struct IStream : IUnknown {
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;
    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) = 0;
};

// Registers the graph, the null renderer and the MPEG audio decoder as COM classes.
void RegisterDirectShowModule();
