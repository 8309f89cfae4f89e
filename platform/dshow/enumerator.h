// The enumerators of pins, media types and filters: a snapshot of a list taken when the enumerator is
// made, walked with Next, Skip, Reset and Clone. The item policy says how the snapshot keeps its items
// and how Next hands one out: interfaces are kept and handed out with a reference each, media types are
// kept as copies and handed out as new blocks.
#pragma once

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "platform/dshow/base_classes.h"

template <class Interface>
struct T_ReferencedItems {
    using Held = Interface*;
    using Out = Interface*;
    static void Hold(Interface* item) { item->AddRef(); }
    static void Drop(Interface* item) { item->Release(); }
    static Interface* HandOut(Interface* item) {
        item->AddRef();
        return item;
    }
};

struct T_CopiedMediaTypes {
    using Held = T_CMediaType;
    using Out = AM_MEDIA_TYPE*;
    static void Hold(const T_CMediaType&) {}
    static void Drop(const T_CMediaType&) {}
    // Null when the copy cannot be made.
    static AM_MEDIA_TYPE* HandOut(const T_CMediaType& type) { return CreateMediaType(&type); }
};

template <class Interface, const IID& kIid, class Items>
class T_CEnumerator : public Interface, public T_CUnknown {
  public:
    using Held = typename Items::Held;
    using Out = typename Items::Out;

    // A new enumerator over the items, handed out through out.
    static HRESULT Create(const char* objectName, std::vector<Held> items, Interface** out) {
        if (!out) return E_POINTER;
        auto* enumerator = new (std::nothrow) T_CEnumerator(objectName, std::move(items));
        if (!enumerator) return E_OUTOFMEMORY;
        return GetInterface(static_cast<Interface*>(enumerator), reinterpret_cast<void**>(out));
    }
    T_DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == kIid) return GetInterface(static_cast<Interface*>(this), object);
        return T_CUnknown::NonDelegatingQueryInterface(iid, object);
    }
    // Hands out up to count items; S_FALSE when fewer were left (or one could not be handed out).
    HRESULT Next(ULONG count, Out* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG n = 0;
        while (n < count && next_ < items_.size()) {
            out[n] = Items::HandOut(items_[next_]);
            if (!out[n]) break;
            ++n;
            ++next_;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    // S_FALSE when fewer than count items were left to skip.
    HRESULT Skip(ULONG count) override {
        const size_t skipped = std::min<size_t>(items_.size() - next_, count);
        next_ += skipped;
        return skipped == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        next_ = 0;
        return S_OK;
    }
    // A second enumerator over the same snapshot, at the same place.
    HRESULT Clone(Interface** copy) override {
        const HRESULT made = Create(ObjectName(), items_, copy);
        if (SUCCEEDED(made)) static_cast<T_CEnumerator*>(*copy)->next_ = next_;
        return made;
    }

  private:
    T_CEnumerator(const char* objectName, std::vector<Held> items)
        : T_CUnknown(objectName), items_(std::move(items)) {
        for (Held& item : items_) Items::Hold(item);
    }
    ~T_CEnumerator() override {
        for (Held& item : items_) Items::Drop(item);
    }
    std::vector<Held> items_;
    size_t next_ = 0;
};

using T_CEnumPins = T_CEnumerator<IEnumPins, IID_IEnumPins, T_ReferencedItems<IPin>>;
using T_CEnumMediaTypes = T_CEnumerator<IEnumMediaTypes, IID_IEnumMediaTypes, T_CopiedMediaTypes>;
using T_CEnumFilters = T_CEnumerator<IEnumFilters, IID_IEnumFilters, T_ReferencedItems<IBaseFilter>>;
