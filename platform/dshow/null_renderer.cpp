// The null renderer: takes every sample and drops it; the end of its stream completes it.
#include <new>

#include "platform/dshow/base_classes.h"
#include "platform/dshow/graph_filters.h"

namespace {

class NullRenderer;

class NullRendererInput : public T_CBaseInputPin {
  public:
    NullRendererInput(T_CBaseFilter* filter, T_CCritSec* lock) : T_CBaseInputPin("In", filter, lock, u"In") {}
    HRESULT CheckMediaType(const T_CMediaType*) override { return S_OK; }
    HRESULT EndOfStream() override {
        if (filter_->IsStopped()) return VFW_E_WRONG_STATE;
        return filter_->NotifyEvent(EC_COMPLETE, S_OK, 0);
    }
};

class NullRenderer : public T_CBaseFilter {
  public:
    NullRenderer() : T_CBaseFilter("Null Renderer", &lock_, CLSID_NullRenderer), input_(this, &lock_) {}
    int GetPinCount() override { return 1; }
    T_CBasePin* GetPin(int n) override { return n == 0 ? &input_ : nullptr; }

  private:
    T_CCritSec lock_;
    NullRendererInput input_;
};

}  // namespace

HRESULT CreateNullRenderer(REFIID iid, void** object) {
    auto* filter = new (std::nothrow) NullRenderer();
    if (!filter) return E_OUTOFMEMORY;
    filter->NonDelegatingAddRef();
    const HRESULT result = filter->NonDelegatingQueryInterface(iid, object);
    filter->NonDelegatingRelease();
    return result;
}
