// T_CSampleGrabber: an in-place filter that passes every sample on unchanged and hands each media
// sample, with its times, to a callback of the caller's. It can also deliver into one buffer that the
// caller lends (T_CSampleGrabberAllocator).
#pragma once

#include "platform/dshow/base_classes.h"

typedef HRESULT (*SampleGrabberCallback)(IMediaSample* sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                         BOOL typeChanged, void* parameter);

// {6B652FFF-11FE-4FCE-92AD-0266B5D7C78F}
inline constexpr IID IID_IGrabberSample = {
    0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};
// {2FA4F053-6D60-4CB0-9503-8E89234F3F73}
inline constexpr CLSID CLSID_GrabberSample = {
    0x2FA4F053, 0x6D60, 0x4CB0, {0x95, 0x03, 0x8E, 0x89, 0x23, 0x4F, 0x3F, 0x73}};

struct IGrabberSample : IUnknown {
    virtual HRESULT SetAcceptedMediaType(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT SetCallback(SampleGrabberCallback callback, void* parameter) = 0;
    virtual HRESULT SetDeliveryBuffer(ALLOCATOR_PROPERTIES props, BYTE* buffer) = 0;
};

class T_CSampleGrabber;

// Lends out the caller's buffer as its samples.
class T_CSampleGrabberAllocator : public T_CMemAllocator {
  public:
    T_CSampleGrabberAllocator(const ALLOCATOR_PROPERTIES& props, BYTE* buffer)
        : T_CMemAllocator("SampleGrabberAllocator"), callerProps_(props), callerBuffer_(buffer) {}
    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;

  protected:
    BYTE* BufferFor(long) override { return callerBuffer_; }
    void FreeBuffer(BYTE*) override {}

  private:
    ALLOCATOR_PROPERTIES callerProps_;
    BYTE* callerBuffer_;
};

class T_CSampleGrabberInPin : public T_CTransInPlaceInputPin {
  public:
    explicit T_CSampleGrabberInPin(T_CSampleGrabber* filter);
    ~T_CSampleGrabberInPin() override;
    HRESULT GetAllocator(IMemAllocator** allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    HRESULT SetMediaType(const T_CMediaType* type) override;
    HRESULT SetDeliveryBuffer(const ALLOCATOR_PROPERTIES& props, BYTE* buffer);
    bool TakeMediaTypeChanged();

  private:
    T_CSampleGrabberAllocator* callerAllocator_ = nullptr;
    ALLOCATOR_PROPERTIES callerProps_{};
    BYTE* callerBuffer_ = nullptr;
    bool mediaTypeChanged_ = false;
};

class T_CSampleGrabber : public T_CTransInPlaceFilter, public IGrabberSample {
  public:
    T_CSampleGrabber();
    T_DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT CheckInputType(const AM_MEDIA_TYPE* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT Transform(IMediaSample* sample) override;

    HRESULT SetAcceptedMediaType(const AM_MEDIA_TYPE* type) override;
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT SetCallback(SampleGrabberCallback callback, void* parameter) override;
    HRESULT SetDeliveryBuffer(ALLOCATOR_PROPERTIES props, BYTE* buffer) override;

  private:
    ~T_CSampleGrabber() override = default;
    T_CMediaType accepted_;
    SampleGrabberCallback callback_ = nullptr;
    void* callbackParameter_ = nullptr;
};

// A new grabber (not referenced yet); null with E_OUTOFMEMORY in *result when memory is short.
// Aggregation is not supported: a non-null outer unknown gives null and CLASS_E_NOAGGREGATION.
T_CSampleGrabber* CreateSampleGrabber(IUnknown* outer, HRESULT* result);
