#include "engine/sound/sample_grabber.h"

#include <new>

#include "platform/com/ole32.h"

HRESULT T_CSampleGrabberAllocator::SetProperties(ALLOCATOR_PROPERTIES* request,
                                                 ALLOCATOR_PROPERTIES* actual) {
    if (!request || !actual) return E_POINTER;
    if (request->cbAlign != callerProps_.cbAlign) return VFW_E_BADALIGN;
    if (request->cbPrefix != callerProps_.cbPrefix || request->cBuffers > callerProps_.cBuffers ||
        request->cbBuffer > callerProps_.cbBuffer)
        return E_FAIL;
    ALLOCATOR_PROPERTIES props = callerProps_;
    return T_CMemAllocator::SetProperties(&props, actual);
}

T_CSampleGrabberInPin::T_CSampleGrabberInPin(T_CSampleGrabber* filter)
    : T_CTransInPlaceInputPin("SampleGrabberInputPin", filter, u"Input") {}

T_CSampleGrabberInPin::~T_CSampleGrabberInPin() {
    if (callerAllocator_) callerAllocator_->Release();
}

HRESULT T_CSampleGrabberInPin::GetAllocator(IMemAllocator** allocator) {
    if (!callerAllocator_) return T_CTransInPlaceInputPin::GetAllocator(allocator);
    if (!allocator) return E_POINTER;
    *allocator = callerAllocator_;
    callerAllocator_->AddRef();
    return S_OK;
}

HRESULT T_CSampleGrabberInPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (callerAllocator_ && allocator != callerAllocator_) return E_FAIL;
    return T_CTransInPlaceInputPin::NotifyAllocator(allocator, readOnly);
}

HRESULT T_CSampleGrabberInPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) {
    if (!props) return E_POINTER;
    if (!callerAllocator_) return E_NOTIMPL;
    *props = callerProps_;
    return S_OK;
}

HRESULT T_CSampleGrabberInPin::SetMediaType(const T_CMediaType* type) {
    mediaTypeChanged_ = true;
    return T_CTransInPlaceInputPin::SetMediaType(type);
}

HRESULT T_CSampleGrabberInPin::SetDeliveryBuffer(const ALLOCATOR_PROPERTIES& props, BYTE* buffer) {
    auto* allocator = new (std::nothrow) T_CSampleGrabberAllocator(props, buffer);
    if (!allocator) return E_OUTOFMEMORY;
    allocator->AddRef();
    if (callerAllocator_) callerAllocator_->Release();
    callerAllocator_ = allocator;
    callerProps_ = props;
    callerBuffer_ = buffer;
    return S_OK;
}

bool T_CSampleGrabberInPin::TakeMediaTypeChanged() {
    const bool changed = mediaTypeChanged_;
    mediaTypeChanged_ = false;
    return changed;
}

T_CSampleGrabber::T_CSampleGrabber() : T_CTransInPlaceFilter("SampleGrabber", CLSID_GrabberSample) {
    input_ = new (std::nothrow) T_CSampleGrabberInPin(this);
}

HRESULT T_CSampleGrabber::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IGrabberSample) return GetInterface(static_cast<IGrabberSample*>(this), object);
    return T_CTransInPlaceFilter::NonDelegatingQueryInterface(iid, object);
}

HRESULT T_CSampleGrabber::CheckInputType(const AM_MEDIA_TYPE* type) {
    T_CAutoLock lock(filterLock_);
    if (!type) return E_POINTER;
    if (accepted_.majortype != GUID_NULL && accepted_.majortype != type->majortype)
        return VFW_E_INVALIDMEDIATYPE;
    if (accepted_.subtype != GUID_NULL && accepted_.subtype != type->subtype) return VFW_E_INVALIDMEDIATYPE;
    if (accepted_.formattype != GUID_NULL && accepted_.formattype != type->formattype)
        return VFW_E_INVALIDMEDIATYPE;
    return S_OK;
}

HRESULT T_CSampleGrabber::Receive(IMediaSample* sample) {
    if (input_->SampleProps().dwStreamId != AM_STREAM_MEDIA) {
        return output_ && output_->IsConnected() ? output_->Deliver(sample) : S_OK;
    }
    return T_CTransInPlaceFilter::Receive(sample);
}

HRESULT T_CSampleGrabber::Transform(IMediaSample* sample) {
    T_CAutoLock lock(filterLock_);
    if (!callback_) return S_OK;
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    start += input_->CurrentStartTime();
    stop += input_->CurrentStartTime();
    auto* pin = static_cast<T_CSampleGrabberInPin*>(input_);
    return callback_(sample, &start, &stop, pin->TakeMediaTypeChanged() ? TRUE : FALSE, callbackParameter_);
}

HRESULT T_CSampleGrabber::SetAcceptedMediaType(const AM_MEDIA_TYPE* type) {
    T_CAutoLock lock(filterLock_);
    if (type)
        accepted_ = *type;
    else
        accepted_.Clear();
    return S_OK;
}

HRESULT T_CSampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    if (!input_ || !input_->IsConnected()) return VFW_E_NOT_CONNECTED;
    return input_->ConnectionMediaType(type);
}

HRESULT T_CSampleGrabber::SetCallback(SampleGrabberCallback callback, void* parameter) {
    T_CAutoLock lock(filterLock_);
    callback_ = callback;
    callbackParameter_ = parameter;
    return S_OK;
}

HRESULT T_CSampleGrabber::SetDeliveryBuffer(ALLOCATOR_PROPERTIES props, BYTE* buffer) {
    GetPin(0);
    if (!input_ || !output_) return E_POINTER;
    if (input_->IsConnected() || output_->IsConnected()) return E_INVALIDARG;
    if (props.cBuffers != 1) return E_INVALIDARG;
    if (!buffer) return E_POINTER;
    return static_cast<T_CSampleGrabberInPin*>(input_)->SetDeliveryBuffer(props, buffer);
}

T_CSampleGrabber* CreateSampleGrabber(IUnknown* outer, HRESULT* result) {
    if (outer) {
        *result = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    auto* grabber = new (std::nothrow) T_CSampleGrabber();
    if (!grabber || !grabber->InputPin() || !grabber->GetPin(1)) {
        if (grabber) {
            grabber->NonDelegatingAddRef();
            grabber->NonDelegatingRelease();
        }
        *result = E_OUTOFMEMORY;
        return nullptr;
    }
    *result = S_OK;
    return grabber;
}
