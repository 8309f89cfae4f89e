// The renderer base: its input pin hands type checks and samples to the filter.
#include "platform/dshow/base_classes.h"

T_CRendererInputPin::T_CRendererInputPin(T_CBaseRenderer* renderer, T_CCritSec* lock, LPCWSTR name)
    : T_CBaseInputPin("Renderer input pin", renderer, lock, name), renderer_(renderer) {}

HRESULT T_CRendererInputPin::CheckMediaType(const T_CMediaType* type) {
    return renderer_->CheckMediaType(type);
}

HRESULT T_CRendererInputPin::SetMediaType(const T_CMediaType* type) {
    const HRESULT result = T_CBaseInputPin::SetMediaType(type);
    if (FAILED(result)) return result;
    return renderer_->SetMediaType(type);
}

HRESULT T_CRendererInputPin::Receive(IMediaSample* sample) {
    const HRESULT checked = T_CBaseInputPin::Receive(sample);
    if (checked != S_OK) return checked;
    return renderer_->DoRenderSample(sample);
}

HRESULT T_CRendererInputPin::EndOfStream() {
    if (filter_->IsStopped()) return VFW_E_WRONG_STATE;
    if (filter_->State() == State_Running) filter_->NotifyEvent(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

T_CBaseRenderer::T_CBaseRenderer(REFCLSID clsid, const char* objectName)
    : T_CBaseFilter(objectName, &interfaceLock_, clsid), input_(this, &interfaceLock_, u"In") {}

T_CBasePin* T_CBaseRenderer::GetPin(int n) {
    return n == 0 ? &input_ : nullptr;
}
