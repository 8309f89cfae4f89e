#include "platform/d3d9/ddraw.h"

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/trace.h"
#include "platform/d3d9/vertical_blank.h"

namespace d3d9 {
namespace {

class DirectDraw final : public ComObject<IDirectDraw7> {
  public:
    HRESULT STDMETHODCALLTYPE Initialize(GUID* driver) override {
        Trace("IDirectDraw7::Initialize", driver);
        if (initialized_) return DDERR_ALREADYINITIALIZED;
        initialized_ = true;
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        Trace("IDirectDraw7::SetCooperativeLevel", window, flags);
        if (!initialized_) return DDERR_NOTINITIALIZED;
        bool normal = (flags & DDSCL_NORMAL) != 0, exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        if (normal == exclusive || (exclusive && !(flags & DDSCL_FULLSCREEN)) || (exclusive && !window))
            return DDERR_INVALIDPARAMS;
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD flags, HANDLE event) override {
        Trace("IDirectDraw7::WaitForVerticalBlank", flags, event);
        if (!initialized_) return DDERR_NOTINITIALIZED;
        if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
        WaitForNextVerticalBlank();
        return DD_OK;
    }

  protected:
    bool IsKnownInterface(REFIID riid) const override { return riid == IID_IDirectDraw7; }

  private:
    bool initialized_ = false;
};

}  // namespace
}  // namespace d3d9

HRESULT CreateDirectDraw7Object(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* dd = new d3d9::DirectDraw();
    HRESULT hr = dd->QueryInterface(riid, object);
    dd->Release();
    return hr;
}
