// A test source filter whose one output pin offers a single media type and delivers the bytes a test
// pushes, one sample each; and the helpers to hold and take apart a chain of filters.
#pragma once

#include <cstring>
#include <vector>

#include "platform/dshow/base_classes.h"

class TestPushSource : public T_CBaseFilter {
  public:
    TestPushSource(const AM_MEDIA_TYPE& type, long bufferBytes)
        : T_CBaseFilter("TestPushSource", &lock_, GUID_NULL), pin_(this, &lock_, type, bufferBytes) {}
    int GetPinCount() override { return 1; }
    T_CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }
    HRESULT Push(const std::vector<BYTE>& bytes) {
        IMediaSample* sample = nullptr;
        HRESULT result = pin_.GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(result)) return result;
        BYTE* to = nullptr;
        sample->GetPointer(&to);
        std::memcpy(to, bytes.data(), bytes.size());
        sample->SetActualDataLength(static_cast<long>(bytes.size()));
        result = pin_.Deliver(sample);
        sample->Release();
        return result;
    }
    HRESULT PushEndOfStream() { return pin_.DeliverEndOfStream(); }

  private:
    class Pin : public T_CBaseOutputPin {
      public:
        Pin(T_CBaseFilter* filter, T_CCritSec* lock, const AM_MEDIA_TYPE& type, long bufferBytes)
            : T_CBaseOutputPin("TestPushPin", filter, lock, u"Out"), type_(type), bufferBytes_(bufferBytes) {}
        HRESULT CheckMediaType(const T_CMediaType* type) override { return *type == type_ ? S_OK : S_FALSE; }
        HRESULT GetMediaType(int position, T_CMediaType* type) override {
            if (position != 0) return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
            *type = type_;
            return S_OK;
        }
        HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
            ALLOCATOR_PROPERTIES want{2, bufferBytes_, 1, 0}, actual{};
            return allocator->SetProperties(&want, &actual);
        }

      private:
        T_CMediaType type_;
        long bufferBytes_;
    };
    T_CCritSec lock_;
    Pin pin_;
};

template <typename Filter>
IBaseFilter* HoldFilter(Filter* filter) {
    IBaseFilter* base = nullptr;
    filter->NonDelegatingQueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&base));
    return base;
}

// Disconnects every pin of the filters, then releases them.
inline void ReleaseFilterChain(const std::vector<IBaseFilter*>& filters) {
    for (IBaseFilter* filter : filters) {
        IEnumPins* pins = nullptr;
        if (FAILED(filter->EnumPins(&pins))) continue;
        IPin* pin = nullptr;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            pin->Disconnect();
            pin->Release();
        }
        pins->Release();
    }
    for (IBaseFilter* filter : filters) filter->Release();
}
