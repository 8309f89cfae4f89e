#include "engine/sound/mem_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/kernel/kernel32.h"

// {C553F2C0-1529-11D0-B4D1-00805F6CBBEA}
inline constexpr CLSID CLSID_MemReader = {
    0xC553F2C0, 0x1529, 0x11D0, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};

namespace {

constexpr DWORD kNoDelay = 0xFFFFFFFF;
constexpr LONGLONG kUnitsPerByte = 10000000;

}  // namespace

T_CMemStream::T_CMemStream(const BYTE* data, LONGLONG length, DWORD rate)
    : data_(data), length_(length), rate_(rate), startTime_(timeGetTime()) {}

HRESULT T_CMemStream::SetPointer(LONGLONG position) {
    T_CAutoLock lock(&lock_);
    if (position < 0 || position > length_) return S_FALSE;
    position_ = position;
    return S_OK;
}

HRESULT T_CMemStream::Read(BYTE* buffer, DWORD bytes, BOOL, LPDWORD read) {
    T_CAutoLock lock(&lock_);
    const LONGLONG n = std::min<LONGLONG>(bytes, length_ - position_);
    if (rate_ != kNoDelay && rate_ != 0) {
        const DWORD elapsed = timeGetTime() - startTime_;
        const LONGLONG due = (position_ + n) / rate_;
        if (elapsed < due) Sleep(static_cast<DWORD>(due - elapsed));
    }
    if (n > 0) std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    if (read) *read = static_cast<DWORD>(n);
    return S_OK;
}

LONGLONG T_CMemStream::Size(LONGLONG* available) {
    if (available) {
        if (rate_ == kNoDelay) {
            *available = length_;
        } else {
            const LONGLONG made = static_cast<LONGLONG>(timeGetTime() - startTime_) * rate_;
            *available = std::min(length_, made);
        }
    }
    return length_;
}

T_CMemStream* CreateMemStream(const BYTE* data, LONGLONG length, DWORD rate) {
    return new (std::nothrow) T_CMemStream(data, length, rate);
}

T_CAsyncIo::~T_CAsyncIo() {
    BeginFlush();
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        workArrived_.notify_all();
    }
    if (worker_.joinable()) worker_.join();
}

void T_CAsyncIo::Complete(IoRequest& request) {
    stream_->Lock();
    request.result = stream_->SetPointer(request.position);
    if (request.result == S_OK) {
        DWORD read = 0;
        request.result = stream_->Read(request.buffer, static_cast<DWORD>(request.length), TRUE, &read);
        if (request.result == kMemStreamDiscontinuity && request.sample) {
            request.sample->SetDiscontinuity(TRUE);
            request.result = S_OK;
        }
        if (SUCCEEDED(request.result) && static_cast<LONG>(read) != request.length) {
            request.length = static_cast<LONG>(read);
            request.result = S_FALSE;
        }
    }
    stream_->Unlock();
}

void T_CAsyncIo::Worker() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        workArrived_.wait(guard, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) return;
        IoRequest request = pending_.front();
        pending_.pop_front();
        ++inProgress_;
        guard.unlock();
        Complete(request);
        guard.lock();
        done_.push_back(request);
        --inProgress_;
        doneArrived_.notify_all();
        if (inProgress_ == 0) allDone_.notify_all();
    }
}

HRESULT T_CAsyncIo::Request(LONGLONG position, LONG length, BOOL, BYTE* buffer, DWORD_PTR user,
                            IMediaSample* sample) {
    const LONGLONG align = stream_->Alignment();
    if (position % align || length % align || reinterpret_cast<uintptr_t>(buffer) % align)
        return VFW_E_BADALIGN;
    std::lock_guard<std::mutex> guard(lock_);
    if (flushing_) return VFW_E_WRONG_STATE;
    try {
        pending_.push_back({position, length, buffer, user, sample, VFW_E_TIMEOUT});
        if (!worker_.joinable()) worker_ = std::thread([this] { Worker(); });
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    workArrived_.notify_all();
    return S_OK;
}

HRESULT T_CAsyncIo::WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user, LONG* read) {
    *sample = nullptr;
    *user = 0;
    *read = 0;
    std::unique_lock<std::mutex> guard(lock_);
    auto ready = [this] { return !done_.empty() || flushing_; };
    if (timeout == INFINITE_WAIT) {
        doneArrived_.wait(guard, ready);
    } else if (!doneArrived_.wait_for(guard, std::chrono::milliseconds(timeout), ready)) {
        return VFW_E_TIMEOUT;
    }
    if (done_.empty()) return VFW_E_WRONG_STATE;
    const IoRequest request = done_.front();
    done_.pop_front();
    *sample = request.sample;
    *user = request.user;
    *read = request.length;
    if (request.result == S_FALSE)
        return request.position + request.length == stream_->Size() ? S_OK : E_FAIL;
    return request.result;
}

HRESULT T_CAsyncIo::SyncRead(LONGLONG position, LONG length, BYTE* buffer, IMediaSample* sample, LONG* read) {
    IoRequest request{position, length, buffer, 0, sample, VFW_E_TIMEOUT};
    Complete(request);
    *read = request.length;
    return request.result;
}

HRESULT T_CAsyncIo::BeginFlush() {
    std::unique_lock<std::mutex> guard(lock_);
    flushing_ = true;
    while (!pending_.empty()) {
        done_.push_back(pending_.front());
        pending_.pop_front();
    }
    allDone_.wait(guard, [this] { return inProgress_ == 0; });
    doneArrived_.notify_all();
    return S_OK;
}

HRESULT T_CAsyncIo::EndFlush() {
    std::lock_guard<std::mutex> guard(lock_);
    flushing_ = false;
    return S_OK;
}

T_CMemReaderPin::T_CMemReaderPin(T_CMemReader* reader, T_CCritSec* lock)
    : T_CBasePin("T_CMemReaderPin", reader, lock, u"Output", PINDIR_OUTPUT), reader_(reader) {}

HRESULT T_CMemReaderPin::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IAsyncReader) {
        queriedForAsyncReader_ = true;
        return GetInterface(static_cast<IAsyncReader*>(this), object);
    }
    return T_CBasePin::NonDelegatingQueryInterface(iid, object);
}

HRESULT T_CMemReaderPin::GetMediaType(int position, T_CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (!type) return E_POINTER;
    *type = reader_->OfferedType();
    return S_OK;
}

HRESULT T_CMemReaderPin::CheckMediaType(const T_CMediaType* type) {
    T_CAutoLock lock(&reader_->FilterLock());
    const T_CMediaType& offered = reader_->OfferedType();
    if (type->majortype != offered.majortype) return S_FALSE;
    if (offered.subtype != GUID_NULL && type->subtype != offered.subtype) return S_FALSE;
    return S_OK;
}

HRESULT T_CMemReaderPin::CheckConnect(IPin* pin) {
    queriedForAsyncReader_ = false;
    return T_CBasePin::CheckConnect(pin);
}

HRESULT T_CMemReaderPin::BreakConnect() {
    queriedForAsyncReader_ = false;
    return T_CBasePin::BreakConnect();
}

HRESULT T_CMemReaderPin::CompleteConnect(IPin* pin) {
    return queriedForAsyncReader_ ? T_CBasePin::CompleteConnect(pin) : E_FAIL;
}

HRESULT T_CMemReaderPin::RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props,
                                          IMemAllocator** actual) {
    if (!preferred || !props || !actual) return E_POINTER;
    *actual = nullptr;
    const long align = static_cast<long>(reader_->Io().Stream()->Alignment());
    if (props->cbAlign == 0 || props->cbAlign % align != 0) props->cbAlign = align;
    ALLOCATOR_PROPERTIES got{};
    if (SUCCEEDED(preferred->SetProperties(props, &got)) && got.cbAlign % align == 0) {
        preferred->AddRef();
        *actual = preferred;
        return S_OK;
    }
    auto* own = new (std::nothrow) T_CMemAllocator();
    if (!own) return E_OUTOFMEMORY;
    IMemAllocator* allocator = nullptr;
    own->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&allocator));
    if (SUCCEEDED(allocator->SetProperties(props, &got)) && got.cbAlign % align == 0) {
        *actual = allocator;
        return S_OK;
    }
    allocator->Release();
    return VFW_E_BADALIGN;
}

HRESULT T_CMemReaderPin::SampleRange(IMediaSample* sample, LONGLONG* position, LONG* length, BYTE** buffer) {
    if (!sample) return E_POINTER;
    REFERENCE_TIME start = 0, stop = 0;
    if (FAILED(sample->GetTime(&start, &stop))) return E_INVALIDARG;
    *position = start / kUnitsPerByte;
    LONGLONG bytes = (stop - start) / kUnitsPerByte;
    const LONGLONG total = reader_->Io().Stream()->Size();
    const LONGLONG align = reader_->Io().Stream()->Alignment();
    if (*position < 0 || bytes < 0 || *position > total) return E_INVALIDARG;
    if (*position + bytes > total) {
        bytes = (total - *position + align - 1) / align * align;
        REFERENCE_TIME cutStart = *position * kUnitsPerByte, cutStop = (*position + bytes) * kUnitsPerByte;
        sample->SetTime(&cutStart, &cutStop);
    }
    // Never more than the sample holds.
    if (bytes > sample->GetSize()) return E_INVALIDARG;
    *length = static_cast<LONG>(bytes);
    return sample->GetPointer(buffer);
}

HRESULT T_CMemReaderPin::Request(IMediaSample* sample, DWORD_PTR user) {
    LONGLONG position = 0;
    LONG length = 0;
    BYTE* buffer = nullptr;
    const HRESULT range = SampleRange(sample, &position, &length, &buffer);
    if (FAILED(range)) return range;
    return reader_->Io().Request(position, length, TRUE, buffer, user, sample);
}

HRESULT T_CMemReaderPin::WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) {
    if (!sample || !user) return E_POINTER;
    LONG read = 0;
    const HRESULT result = reader_->Io().WaitForNext(timeout, sample, user, &read);
    if (*sample) (*sample)->SetActualDataLength(read);
    return result;
}

HRESULT T_CMemReaderPin::SyncReadAligned(IMediaSample* sample) {
    LONGLONG position = 0;
    LONG length = 0;
    BYTE* buffer = nullptr;
    const HRESULT range = SampleRange(sample, &position, &length, &buffer);
    if (FAILED(range)) return range;
    LONG read = 0;
    const HRESULT result = reader_->Io().SyncRead(position, length, buffer, sample, &read);
    sample->SetActualDataLength(read);
    return result;
}

HRESULT T_CMemReaderPin::SyncRead(LONGLONG position, LONG length, BYTE* buffer) {
    if (!buffer) return E_POINTER;
    if (position < 0 || length < 0) return E_INVALIDARG;
    LONG read = 0;
    return reader_->Io().SyncRead(position, length, buffer, nullptr, &read);
}

HRESULT T_CMemReaderPin::Length(LONGLONG* total, LONGLONG* available) {
    if (!total || !available) return E_POINTER;
    *total = reader_->Io().Stream()->Size(available);
    return S_OK;
}

HRESULT T_CMemReaderPin::BeginFlush() {
    return reader_->Io().BeginFlush();
}

HRESULT T_CMemReaderPin::EndFlush() {
    return reader_->Io().EndFlush();
}

T_CMemReader::T_CMemReader(T_CMemStream* stream, const AM_MEDIA_TYPE* type)
    : T_CBaseFilter("Mem Reader", &lock_, CLSID_MemReader), type_(*type), io_(stream), pin_(this, &lock_) {}

T_CMemReader* CreateMemReader(T_CMemStream* stream, const AM_MEDIA_TYPE* type, HRESULT* result) {
    auto* reader = new (std::nothrow) T_CMemReader(stream, type);
    *result = reader ? S_OK : E_OUTOFMEMORY;
    return reader;
}
