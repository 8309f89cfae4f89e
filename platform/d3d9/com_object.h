// Reference counting and interface queries shared by the stand-in's COM objects.
#pragma once

#include <atomic>
#include <initializer_list>

#include "platform/com/unknown.h"

namespace d3d9 {

// Implements IUnknown for an object whose interfaces form one chain (Interface and its bases).
// Objects whose count belongs to another object (a texture's level surfaces) override AddRef/Release.
template <typename Interface>
class ComObject : public Interface {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || IsKnownInterface(riid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

  protected:
    virtual bool IsKnownInterface(REFIID) const { return false; }
    ULONG RefCount() const { return refs_; }

  private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace d3d9
