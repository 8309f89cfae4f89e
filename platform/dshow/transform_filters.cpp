// The in-place transform filter (a sample passes through changed in place) and the copying transform
// filter (each input sample becomes an output sample of the filter's own allocator).
#include <cstring>
#include <new>

#include "platform/dshow/base_classes.h"

T_CTransInPlaceInputPin::T_CTransInPlaceInputPin(const char* objectName, T_CTransInPlaceFilter* filter,
                                                 LPCWSTR name)
    : T_CBaseInputPin(objectName, filter, &filter->InputLock(), name), transform_(filter) {}

HRESULT T_CTransInPlaceInputPin::CheckMediaType(const T_CMediaType* type) {
    const HRESULT result = transform_->CheckInputType(type);
    if (result != S_OK) return result;
    T_CTransInPlaceOutputPin* output = transform_->OutputPin();
    if (output && output->IsConnected() && output->GetConnected()->QueryAccept(type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT T_CTransInPlaceInputPin::Receive(IMediaSample* sample) {
    HRESULT result = T_CBaseInputPin::Receive(sample);
    if (result != S_OK) return result;
    return transform_->Receive(sample);
}

HRESULT T_CTransInPlaceInputPin::EndOfStream() {
    T_CTransInPlaceOutputPin* output = transform_->OutputPin();
    return output && output->IsConnected() ? output->DeliverEndOfStream() : S_OK;
}

HRESULT T_CTransInPlaceInputPin::BeginFlush() {
    T_CBaseInputPin::BeginFlush();
    T_CTransInPlaceOutputPin* output = transform_->OutputPin();
    return output && output->IsConnected() ? output->DeliverBeginFlush() : S_OK;
}

HRESULT T_CTransInPlaceInputPin::EndFlush() {
    T_CBaseInputPin::EndFlush();
    T_CTransInPlaceOutputPin* output = transform_->OutputPin();
    return output && output->IsConnected() ? output->DeliverEndFlush() : S_OK;
}

HRESULT T_CTransInPlaceInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    T_CBasePin::NewSegment(start, stop, rate);
    T_CTransInPlaceOutputPin* output = transform_->OutputPin();
    if (output && output->IsConnected()) return output->GetConnected()->NewSegment(start, stop, rate);
    return S_OK;
}

T_CTransInPlaceOutputPin::T_CTransInPlaceOutputPin(const char* objectName, T_CTransInPlaceFilter* filter,
                                                   LPCWSTR name)
    : T_CBaseOutputPin(objectName, filter, &filter->InputLock(), name), transform_(filter) {}

HRESULT T_CTransInPlaceOutputPin::CheckMediaType(const T_CMediaType* type) {
    T_CTransInPlaceInputPin* input = transform_->InputPin();
    if (input && input->IsConnected()) return *type == input->CurrentMediaType() ? S_OK : S_FALSE;
    return transform_->CheckInputType(type);
}

HRESULT T_CTransInPlaceOutputPin::GetMediaType(int position, T_CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    T_CTransInPlaceInputPin* input = transform_->InputPin();
    if (position > 0 || !input || !input->IsConnected()) return VFW_S_NO_MORE_ITEMS;
    if (!type) return E_POINTER;
    *type = input->CurrentMediaType();
    return S_OK;
}

// The samples that arrive are passed on: downstream is offered the input's allocator.
HRESULT T_CTransInPlaceOutputPin::DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator) {
    T_CTransInPlaceInputPin* input = transform_->InputPin();
    IMemAllocator* upstream = input ? input->PinAllocator() : nullptr;
    if (upstream && SUCCEEDED(pin->NotifyAllocator(upstream, FALSE))) {
        *allocator = upstream;
        upstream->AddRef();
        return S_OK;
    }
    return T_CBaseOutputPin::DecideAllocator(pin, allocator);
}

HRESULT T_CTransInPlaceOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES want = *request, actual{};
    T_CTransInPlaceInputPin* input = transform_->InputPin();
    IMemAllocator* upstream = input ? input->PinAllocator() : nullptr;
    if (upstream) upstream->GetProperties(&want);
    if (want.cBuffers <= 0) want.cBuffers = 1;
    if (want.cbBuffer <= 0) want.cbBuffer = 65536;
    if (want.cbAlign <= 0) want.cbAlign = 1;
    return allocator->SetProperties(&want, &actual);
}

T_CTransInPlaceFilter::T_CTransInPlaceFilter(const char* objectName, REFCLSID clsid)
    : T_CBaseFilter(objectName, &filterCritSec_, clsid) {}

T_CTransInPlaceFilter::~T_CTransInPlaceFilter() {
    delete input_;
    delete output_;
}

T_CBasePin* T_CTransInPlaceFilter::GetPin(int n) {
    if (!input_)
        input_ = new (std::nothrow) T_CTransInPlaceInputPin("T_CTransInPlaceInputPin", this, u"Input");
    if (!output_)
        output_ = new (std::nothrow) T_CTransInPlaceOutputPin("T_CTransInPlaceOutputPin", this, u"Output");
    if (n == 0) return input_;
    if (n == 1) return output_;
    return nullptr;
}

IMediaSample* T_CTransInPlaceFilter::Copy(IMediaSample* source) {
    IMediaSample* copy = nullptr;
    if (!output_ || FAILED(output_->GetDeliveryBuffer(&copy, nullptr, nullptr, 0))) return nullptr;
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    const long length = source->GetActualDataLength();
    if (length > copy->GetSize() || FAILED(source->GetPointer(&from)) || FAILED(copy->GetPointer(&to))) {
        copy->Release();
        return nullptr;
    }
    std::memcpy(to, from, static_cast<size_t>(length));
    copy->SetActualDataLength(length);
    REFERENCE_TIME start = 0, stop = 0;
    if (SUCCEEDED(source->GetTime(&start, &stop))) copy->SetTime(&start, &stop);
    copy->SetSyncPoint(source->IsSyncPoint() == S_OK);
    copy->SetDiscontinuity(source->IsDiscontinuity() == S_OK);
    return copy;
}

HRESULT T_CTransInPlaceFilter::Receive(IMediaSample* sample) {
    const bool connected = output_ && output_->IsConnected();
    const bool copying = connected && output_->Allocator() != input_->PinAllocator();
    IMediaSample* passed = sample;
    if (copying) {
        passed = Copy(sample);
        if (!passed) return E_UNEXPECTED;
    }
    HRESULT result = Transform(passed);
    if (result == S_OK && connected) result = output_->Deliver(passed);
    if (copying) passed->Release();
    return result == S_FALSE ? S_OK : result;
}

T_CTransformInputPin::T_CTransformInputPin(const char* objectName, T_CTransformFilter* filter, LPCWSTR name)
    : T_CBaseInputPin(objectName, filter, &filter->InputLock(), name), transform_(filter) {}

HRESULT T_CTransformInputPin::CheckMediaType(const T_CMediaType* type) {
    return transform_->CheckInputType(type);
}

HRESULT T_CTransformInputPin::Receive(IMediaSample* sample) {
    const HRESULT result = T_CBaseInputPin::Receive(sample);
    if (result != S_OK) return result;
    return transform_->Receive(sample);
}

HRESULT T_CTransformInputPin::EndOfStream() {
    return transform_->EndOfStream();
}

T_CTransformOutputPin::T_CTransformOutputPin(const char* objectName, T_CTransformFilter* filter, LPCWSTR name)
    : T_CBaseOutputPin(objectName, filter, &filter->InputLock(), name), transform_(filter) {}

HRESULT T_CTransformOutputPin::CheckMediaType(const T_CMediaType* type) {
    T_CTransformInputPin* input = transform_->InputPin();
    if (!input || !input->IsConnected()) return E_UNEXPECTED;
    return transform_->CheckTransform(&input->CurrentMediaType(), type);
}

HRESULT T_CTransformOutputPin::GetMediaType(int position, T_CMediaType* type) {
    T_CTransformInputPin* input = transform_->InputPin();
    if (position < 0) return E_INVALIDARG;
    if (!input || !input->IsConnected()) return VFW_S_NO_MORE_ITEMS;
    return transform_->GetMediaType(position, type);
}

HRESULT T_CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    return transform_->DecideBufferSize(allocator, request);
}

T_CTransformFilter::T_CTransformFilter(const char* objectName, REFCLSID clsid)
    : T_CBaseFilter(objectName, &filterCritSec_, clsid) {}

T_CTransformFilter::~T_CTransformFilter() {
    delete input_;
    delete output_;
}

T_CBasePin* T_CTransformFilter::GetPin(int n) {
    if (!input_) input_ = new (std::nothrow) T_CTransformInputPin("T_CTransformInputPin", this, u"XForm In");
    if (!output_)
        output_ = new (std::nothrow) T_CTransformOutputPin("T_CTransformOutputPin", this, u"XForm Out");
    if (n == 0) return input_;
    if (n == 1) return output_;
    return nullptr;
}

HRESULT T_CTransformFilter::Pause() {
    T_CAutoLock lock(&filterCritSec_);
    if (state_ == State_Stopped && input_ && input_->IsConnected() && output_ && output_->IsConnected()) {
        const HRESULT result = StartStreaming();
        if (FAILED(result)) return result;
        streaming_ = true;
    }
    return T_CBaseFilter::Pause();
}

HRESULT T_CTransformFilter::Stop() {
    T_CAutoLock lock(&filterCritSec_);
    if (state_ == State_Stopped) return S_OK;
    const HRESULT result = T_CBaseFilter::Stop();
    T_CAutoLock receiving(&receiveLock_);
    if (streaming_) StopStreaming();
    streaming_ = false;
    return result;
}

HRESULT T_CTransformFilter::Receive(IMediaSample* sample) {
    T_CAutoLock receiving(&receiveLock_);
    if (!output_ || !output_->IsConnected()) return S_OK;
    IMediaSample* out = nullptr;
    HRESULT result = output_->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(result)) return result;
    result = Transform(sample, out);
    if (result == S_OK) result = output_->Deliver(out);
    out->Release();
    return result == S_FALSE ? S_OK : result;
}

HRESULT T_CTransformFilter::EndOfStream() {
    return output_ && output_->IsConnected() ? output_->DeliverEndOfStream() : S_OK;
}
