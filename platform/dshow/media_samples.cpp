// Media types, reference counting, media samples and allocators of the base classes.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/com/ole32.h"
#include "platform/dshow/base_classes.h"

void FreeMediaType(AM_MEDIA_TYPE& type) {
    if (type.pbFormat) CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) type.pUnk->Release();
    type.pUnk = nullptr;
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source) {
    *dest = *source;
    dest->pbFormat = nullptr;
    dest->cbFormat = 0;
    if (source->cbFormat && source->pbFormat) {
        dest->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!dest->pbFormat) {
            dest->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dest->pbFormat, source->pbFormat, source->cbFormat);
        dest->cbFormat = source->cbFormat;
    }
    if (dest->pUnk) dest->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type) return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

T_CMediaType::T_CMediaType() : AM_MEDIA_TYPE{} {}
T_CMediaType::T_CMediaType(const AM_MEDIA_TYPE& other) : AM_MEDIA_TYPE{} {
    CopyMediaType(this, &other);
}
T_CMediaType::T_CMediaType(const T_CMediaType& other) : AM_MEDIA_TYPE{} {
    CopyMediaType(this, &other);
}
T_CMediaType& T_CMediaType::operator=(const AM_MEDIA_TYPE& other) {
    if (&other != this) {
        Clear();
        CopyMediaType(this, &other);
    }
    return *this;
}
T_CMediaType& T_CMediaType::operator=(const T_CMediaType& other) {
    return *this = static_cast<const AM_MEDIA_TYPE&>(other);
}
T_CMediaType::~T_CMediaType() {
    FreeMediaType(*this);
}
void T_CMediaType::Clear() {
    FreeMediaType(*this);
    static_cast<AM_MEDIA_TYPE&>(*this) = AM_MEDIA_TYPE{};
}
bool T_CMediaType::operator==(const T_CMediaType& other) const {
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           cbFormat == other.cbFormat &&
           (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}
bool T_CMediaType::SetFormat(const void* format, ULONG size) {
    BYTE* block = size ? static_cast<BYTE*>(CoTaskMemAlloc(size)) : nullptr;
    if (size && !block) return false;
    if (size) std::memcpy(block, format, size);
    if (pbFormat) CoTaskMemFree(pbFormat);
    pbFormat = block;
    cbFormat = size;
    return true;
}
bool T_CMediaType::MatchesPartial(const AM_MEDIA_TYPE& partial) const {
    return (partial.majortype == GUID_NULL || partial.majortype == majortype) &&
           (partial.subtype == GUID_NULL || partial.subtype == subtype) &&
           (partial.formattype == GUID_NULL || partial.formattype == formattype);
}

ULONG T_CUnknown::NonDelegatingRelease() {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT T_CUnknown::NonDelegatingQueryInterface(REFIID, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT GetInterface(IUnknown* unknown, void** object) {
    if (!object) return E_POINTER;
    *object = unknown;
    unknown->AddRef();
    return S_OK;
}

T_CMediaSample::T_CMediaSample(T_CBaseAllocator* allocator, BYTE* buffer, long size)
    : allocator_(allocator), buffer_(buffer), size_(size) {}

T_CMediaSample::~T_CMediaSample() {
    DeleteMediaType(mediaType_);
}

HRESULT T_CMediaSample::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMediaSample || iid == IID_IMediaSample2)
        return GetInterface(static_cast<IMediaSample2*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG T_CMediaSample::Release() {
    const long left = --references_;
    if (left == 0) allocator_->ReleaseBuffer(this);
    return static_cast<ULONG>(left);
}

void T_CMediaSample::Reset() {
    actual_ = 0;
    start_ = stop_ = 0;
    flags_ = 0;
    streamId_ = AM_STREAM_MEDIA;
    preroll_ = false;
    DeleteMediaType(mediaType_);
    mediaType_ = nullptr;
}

HRESULT T_CMediaSample::GetPointer(BYTE** buffer) {
    if (!buffer) return E_POINTER;
    *buffer = buffer_;
    return S_OK;
}

HRESULT T_CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (!start || !stop) return E_POINTER;
    if (!(flags_ & AM_SAMPLE_TIMEVALID)) return VFW_E_NOT_FOUND;
    *start = start_;
    *stop = (flags_ & AM_SAMPLE_STOPVALID) ? stop_ : start_ + 1;
    return (flags_ & AM_SAMPLE_STOPVALID) ? S_OK : VFW_S_NO_MORE_ITEMS;
}

HRESULT T_CMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    flags_ &= ~(AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID);
    if (start) {
        start_ = *start;
        flags_ |= AM_SAMPLE_TIMEVALID;
        if (stop) {
            stop_ = *stop;
            flags_ |= AM_SAMPLE_STOPVALID;
        }
    }
    return S_OK;
}

HRESULT T_CMediaSample::SetSyncPoint(BOOL sync) {
    flags_ = sync ? (flags_ | AM_SAMPLE_SPLICEPOINT) : (flags_ & ~AM_SAMPLE_SPLICEPOINT);
    return S_OK;
}

HRESULT T_CMediaSample::SetPreroll(BOOL preroll) {
    preroll_ = preroll != 0;
    return S_OK;
}

HRESULT T_CMediaSample::SetActualDataLength(long length) {
    if (length < 0 || length > size_) return VFW_E_BUFFER_OVERFLOW_OR_INVALID;
    actual_ = length;
    return S_OK;
}

HRESULT T_CMediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    if (!mediaType_) return S_FALSE;
    *type = CreateMediaType(mediaType_);
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT T_CMediaSample::SetMediaType(AM_MEDIA_TYPE* type) {
    DeleteMediaType(mediaType_);
    mediaType_ = nullptr;
    if (!type) return S_OK;
    mediaType_ = CreateMediaType(type);
    return mediaType_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT T_CMediaSample::SetDiscontinuity(BOOL discontinuity) {
    flags_ = discontinuity ? (flags_ | AM_SAMPLE_DATADISCONTINUITY) : (flags_ & ~AM_SAMPLE_DATADISCONTINUITY);
    return S_OK;
}

HRESULT T_CMediaSample::GetProperties(DWORD size, BYTE* properties) {
    if (!properties) return E_POINTER;
    AM_SAMPLE2_PROPERTIES props{};
    props.cbData = static_cast<DWORD>(std::min<size_t>(size, sizeof props));
    props.dwSampleFlags = flags_;
    props.lActual = actual_;
    props.tStart = start_;
    props.tStop = stop_;
    props.dwStreamId = streamId_;
    props.pMediaType = mediaType_;
    props.pbBuffer = buffer_;
    props.cbBuffer = size_;
    std::memcpy(properties, &props, props.cbData);
    return S_OK;
}

HRESULT T_CMediaSample::SetProperties(DWORD size, const BYTE* properties) {
    if (!properties) return E_POINTER;
    AM_SAMPLE2_PROPERTIES props{};
    std::memcpy(&props, properties, std::min<size_t>(size, sizeof props));
    if (props.lActual < 0 || props.lActual > size_) return E_INVALIDARG;
    flags_ = props.dwSampleFlags;
    actual_ = props.lActual;
    start_ = props.tStart;
    stop_ = props.tStop;
    streamId_ = props.dwStreamId;
    return S_OK;
}

T_CBaseAllocator::~T_CBaseAllocator() {
    DeleteSamples();
}

void T_CBaseAllocator::DeleteSamples() {
    for (T_CMediaSample* sample : samples_) delete sample;
    samples_.clear();
    free_.clear();
}

HRESULT T_CBaseAllocator::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IMemAllocator)
        return GetInterface(static_cast<IMemAllocator*>(this), object);
    return T_CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT T_CBaseAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (!request || !actual) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    if (allocated_ && free_.size() != samples_.size()) return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cBuffers <= 0 || request->cbBuffer <= 0 || request->cbPrefix < 0 || request->cbAlign < 0)
        return E_INVALIDARG;
    const long align = request->cbAlign ? request->cbAlign : 1;
    if ((align & (align - 1)) != 0) return VFW_E_BADALIGN;
    properties_ = *request;
    properties_.cbAlign = align;
    *actual = properties_;
    propertiesSet_ = true;
    return S_OK;
}

HRESULT T_CBaseAllocator::GetProperties(ALLOCATOR_PROPERTIES* props) {
    if (!props) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *props = properties_;
    return S_OK;
}

HRESULT T_CBaseAllocator::Commit() {
    std::lock_guard<std::mutex> guard(lock_);
    if (committed_) return S_OK;
    if (!propertiesSet_) return VFW_E_SIZENOTSET;
    if (!allocated_) {
        const HRESULT result = Alloc();
        if (FAILED(result)) return result;
        allocated_ = true;
    }
    committed_ = true;
    return S_OK;
}

HRESULT T_CBaseAllocator::Decommit() {
    std::lock_guard<std::mutex> guard(lock_);
    committed_ = false;
    if (allocated_ && free_.size() == samples_.size()) {
        Free();
        allocated_ = false;
    }
    sampleFree_.notify_all();
    return S_OK;
}

HRESULT T_CBaseAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) {
    if (!sample) return E_POINTER;
    *sample = nullptr;
    std::unique_lock<std::mutex> guard(lock_);
    sampleFree_.wait(guard, [this] { return !committed_ || !free_.empty(); });
    if (!committed_) return VFW_E_NOT_COMMITTED;
    T_CMediaSample* taken = free_.back();
    free_.pop_back();
    taken->Reset();
    taken->AddRef();
    NonDelegatingAddRef();  // a lent sample keeps its allocator
    *sample = taken;
    return S_OK;
}

HRESULT T_CBaseAllocator::ReleaseBuffer(IMediaSample* sample) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        free_.push_back(static_cast<T_CMediaSample*>(sample));
        if (!committed_ && allocated_ && free_.size() == samples_.size()) {
            Free();
            allocated_ = false;
        }
        sampleFree_.notify_one();
    }
    NonDelegatingRelease();
    return S_OK;
}

T_CMemAllocator::~T_CMemAllocator() {
    DeleteSamples();
    FreeBuffer(memory_);
}

BYTE* T_CMemAllocator::BufferFor(long bytes) {
    return new (std::nothrow) BYTE[bytes];
}

void T_CMemAllocator::FreeBuffer(BYTE* buffer) {
    delete[] buffer;
}

HRESULT T_CMemAllocator::Alloc() {
    const long align = properties_.cbAlign;
    const long long each =
        (static_cast<long long>(properties_.cbBuffer) + properties_.cbPrefix + align - 1) / align * align;
    const long long total = each * properties_.cBuffers;
    if (total > (1LL << 30)) return E_OUTOFMEMORY;
    DeleteSamples();
    FreeBuffer(memory_);
    memory_ = BufferFor(static_cast<long>(total));
    if (!memory_) return E_OUTOFMEMORY;
    for (long i = 0; i < properties_.cBuffers; ++i) {
        auto* sample = new (std::nothrow)
            T_CMediaSample(this, memory_ + i * each + properties_.cbPrefix, properties_.cbBuffer);
        if (!sample) return E_OUTOFMEMORY;
        samples_.push_back(sample);
        free_.push_back(sample);
    }
    return S_OK;
}

void T_CMemAllocator::Free() {
    DeleteSamples();
    FreeBuffer(memory_);
    memory_ = nullptr;
}
