// Reference counting and interface queries for the stand-ins' COM objects: derive from
// ComObject<Interface, IID_Interface> and implement the interface's own methods.
#pragma once

#include <atomic>

#include "platform/com/unknown.h"

template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == kInterfaceId) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = references_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

  protected:
    ~ComObject() override = default;

  private:
    std::atomic<ULONG> references_{1};
};
