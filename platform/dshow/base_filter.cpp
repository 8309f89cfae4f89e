// The base filter and its pins.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/com/ole32.h"
#include "platform/dshow/base_classes.h"
#include "platform/dshow/enumerator.h"

namespace {

void CopyName(WCHAR* out, const std::u16string& name) {
    const size_t n = std::min<size_t>(name.size(), 127);
    std::copy(name.begin(), name.begin() + n, out);
    out[n] = 0;
}

}  // namespace

T_CBaseFilter::T_CBaseFilter(const char* objectName, T_CCritSec* lock, REFCLSID clsid)
    : T_CUnknown(objectName), filterLock_(lock), clsid_(clsid) {}

T_CBaseFilter::~T_CBaseFilter() {
    if (clock_) clock_->Release();
}

HRESULT T_CBaseFilter::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
        return GetInterface(static_cast<IBaseFilter*>(this), object);
    return T_CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT T_CBaseFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT T_CBaseFilter::Stop() {
    T_CAutoLock lock(filterLock_);
    HRESULT result = S_OK;
    if (state_ != State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            T_CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT inactive = pin->Inactive();
                if (FAILED(inactive) && SUCCEEDED(result)) result = inactive;
            }
        }
    }
    state_ = State_Stopped;
    return result;
}

HRESULT T_CBaseFilter::Pause() {
    T_CAutoLock lock(filterLock_);
    if (state_ == State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            T_CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT active = pin->Active();
                if (FAILED(active)) return active;
            }
        }
    }
    state_ = State_Paused;
    return S_OK;
}

HRESULT T_CBaseFilter::Run(REFERENCE_TIME start) {
    T_CAutoLock lock(filterLock_);
    start_ = start;
    if (state_ == State_Stopped) {
        const HRESULT paused = Pause();
        if (FAILED(paused)) return paused;
    }
    state_ = State_Running;
    return S_OK;
}

HRESULT T_CBaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT T_CBaseFilter::SetSyncSource(IReferenceClock* clock) {
    T_CAutoLock lock(filterLock_);
    if (clock) clock->AddRef();
    if (clock_) clock_->Release();
    clock_ = clock;
    return S_OK;
}

HRESULT T_CBaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    T_CAutoLock lock(filterLock_);
    *clock = clock_;
    if (clock_) clock_->AddRef();
    return S_OK;
}

HRESULT T_CBaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    std::vector<IPin*> list;
    for (int i = 0; i < GetPinCount(); ++i)
        if (T_CBasePin* pin = GetPin(i)) list.push_back(pin);
    return T_CEnumPins::Create("T_CEnumPins", std::move(list), pins);
}

HRESULT T_CBaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    for (int i = 0; i < GetPinCount(); ++i) {
        T_CBasePin* candidate = GetPin(i);
        if (candidate && candidate->Name() == std::u16string(id))
            return GetInterface(static_cast<IPin*>(candidate), reinterpret_cast<void**>(pin));
    }
    return VFW_E_NOT_FOUND;
}

HRESULT T_CBaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    CopyName(info->achName, name_);
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT T_CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    T_CAutoLock lock(filterLock_);
    graph_ = graph;
    sink_ = nullptr;
    if (graph) {
        // The sink is the graph itself: not referenced, as the graph is not.
        if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink_))))
            sink_->Release();
        else
            sink_ = nullptr;
    }
    name_ = name ? std::u16string(name) : std::u16string();
    return S_OK;
}

HRESULT T_CBaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    IMediaEventSink* sink = sink_;
    return sink ? sink->Notify(code, param1, param2) : E_NOTIMPL;
}

T_CBasePin::T_CBasePin(const char*, T_CBaseFilter* filter, T_CCritSec* lock, LPCWSTR name,
                       PIN_DIRECTION direction)
    : filter_(filter), pinLock_(lock), name_(name ? name : u""), direction_(direction) {}

T_CBasePin::~T_CBasePin() {
    if (connected_) connected_->Release();
}

HRESULT T_CBasePin::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IPin) return GetInterface(static_cast<IPin*>(this), object);
    if (!object) return E_POINTER;
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT T_CBasePin::CheckConnect(IPin* pin) {
    PIN_DIRECTION other;
    if (FAILED(pin->QueryDirection(&other))) return E_FAIL;
    return other == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT T_CBasePin::GetMediaType(int position, T_CMediaType*) {
    return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

HRESULT T_CBasePin::SetMediaType(const T_CMediaType* type) {
    mediaType_ = *type;
    return S_OK;
}

HRESULT T_CBasePin::AttemptConnection(IPin* receivePin, const T_CMediaType& type) {
    if (CheckMediaType(&type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    connected_ = receivePin;
    connected_->AddRef();
    HRESULT result = SetMediaType(&type);
    if (SUCCEEDED(result)) {
        result = receivePin->ReceiveConnection(this, &type);
        if (SUCCEEDED(result)) {
            result = CompleteConnect(receivePin);
            if (SUCCEEDED(result)) return S_OK;
            receivePin->Disconnect();
        }
    }
    BreakConnect();
    connected_->Release();
    connected_ = nullptr;
    mediaType_.Clear();
    return FAILED(result) ? result : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT T_CBasePin::TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* partial, IEnumMediaTypes* types) {
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    AM_MEDIA_TYPE* type = nullptr;
    while (types->Next(1, &type, nullptr) == S_OK) {
        T_CMediaType candidate(*type);
        DeleteMediaType(type);
        if (partial && !candidate.MatchesPartial(*partial)) continue;
        const HRESULT result = AttemptConnection(receivePin, candidate);
        if (SUCCEEDED(result)) return S_OK;
        last = result;
    }
    return last;
}

HRESULT T_CBasePin::AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* partial) {
    if (partial && partial->majortype != GUID_NULL && partial->subtype != GUID_NULL &&
        partial->formattype != GUID_NULL)
        return AttemptConnection(receivePin, T_CMediaType(*partial));
    HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
    for (IPin* source : {receivePin, static_cast<IPin*>(this)}) {
        IEnumMediaTypes* types = nullptr;
        if (FAILED(source->EnumMediaTypes(&types))) continue;
        result = TryMediaTypes(receivePin, partial, types);
        types->Release();
        if (SUCCEEDED(result)) return S_OK;
    }
    return result;
}

HRESULT T_CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (!receivePin) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT result = CheckConnect(receivePin);
    if (FAILED(result)) {
        BreakConnect();
        return result;
    }
    result = AgreeMediaType(receivePin, type);
    if (FAILED(result)) BreakConnect();
    return result;
}

HRESULT T_CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (!connector || !type) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT result = CheckConnect(connector);
    if (FAILED(result)) {
        BreakConnect();
        return result;
    }
    const T_CMediaType offered(*type);
    if (CheckMediaType(&offered) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    connected_ = connector;
    connected_->AddRef();
    result = SetMediaType(&offered);
    if (SUCCEEDED(result)) result = CompleteConnect(connector);
    if (FAILED(result)) {
        connected_->Release();
        connected_ = nullptr;
        mediaType_.Clear();
        BreakConnect();
    }
    return result;
}

HRESULT T_CBasePin::Disconnect() {
    T_CAutoLock lock(pinLock_);
    if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    BreakConnect();
    connected_->Release();
    connected_ = nullptr;
    mediaType_.Clear();
    return S_OK;
}

HRESULT T_CBasePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    *pin = connected_;
    if (!connected_) return VFW_E_NOT_CONNECTED;
    connected_->AddRef();
    return S_OK;
}

HRESULT T_CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    if (!connected_) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, &mediaType_);
}

HRESULT T_CBasePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = direction_;
    CopyName(info->achName, name_);
    return S_OK;
}

HRESULT T_CBasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT T_CBasePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc((name_.size() + 1) * sizeof(WCHAR)));
    if (!*id) return E_OUTOFMEMORY;
    std::copy(name_.begin(), name_.end(), *id);
    (*id)[name_.size()] = 0;
    return S_OK;
}

HRESULT T_CBasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    const T_CMediaType offered(*type);
    return CheckMediaType(&offered) == S_OK ? S_OK : S_FALSE;
}

HRESULT T_CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    std::vector<T_CMediaType> list;
    for (int i = 0; i < 64; ++i) {
        T_CMediaType type;
        if (GetMediaType(i, &type) != S_OK) break;
        list.push_back(type);
    }
    return T_CEnumMediaTypes::Create("T_CEnumMediaTypes", std::move(list), types);
}

HRESULT T_CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    segmentStart_ = start;
    segmentStop_ = stop;
    segmentRate_ = rate;
    return S_OK;
}

T_CBaseOutputPin::T_CBaseOutputPin(const char* objectName, T_CBaseFilter* filter, T_CCritSec* lock,
                                   LPCWSTR name)
    : T_CBasePin(objectName, filter, lock, name, PINDIR_OUTPUT) {}

HRESULT T_CBaseOutputPin::CheckConnect(IPin* pin) {
    const HRESULT result = T_CBasePin::CheckConnect(pin);
    if (FAILED(result)) return result;
    if (FAILED(pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&inputPin_)))) {
        inputPin_ = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

HRESULT T_CBaseOutputPin::BreakConnect() {
    if (allocator_) {
        allocator_->Decommit();
        allocator_->Release();
        allocator_ = nullptr;
    }
    if (inputPin_) inputPin_->Release();
    inputPin_ = nullptr;
    return S_OK;
}

HRESULT T_CBaseOutputPin::CompleteConnect(IPin*) {
    return DecideAllocator(inputPin_, &allocator_);
}

HRESULT T_CBaseOutputPin::DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator) {
    *allocator = nullptr;
    ALLOCATOR_PROPERTIES request{};
    pin->GetAllocatorRequirements(&request);
    if (request.cbAlign == 0) request.cbAlign = 1;
    if (SUCCEEDED(pin->GetAllocator(allocator))) {
        if (SUCCEEDED(DecideBufferSize(*allocator, &request)) &&
            SUCCEEDED(pin->NotifyAllocator(*allocator, FALSE)))
            return S_OK;
        (*allocator)->Release();
        *allocator = nullptr;
    }
    auto* own = new (std::nothrow) T_CMemAllocator();
    if (!own) return E_OUTOFMEMORY;
    own->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(allocator));
    HRESULT result = DecideBufferSize(*allocator, &request);
    if (SUCCEEDED(result)) result = pin->NotifyAllocator(*allocator, FALSE);
    if (FAILED(result)) {
        (*allocator)->Release();
        *allocator = nullptr;
    }
    return result;
}

HRESULT T_CBaseOutputPin::Active() {
    return allocator_ ? allocator_->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT T_CBaseOutputPin::Inactive() {
    return allocator_ ? allocator_->Decommit() : VFW_E_NO_ALLOCATOR;
}

HRESULT T_CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                            REFERENCE_TIME* stop, DWORD flags) {
    return allocator_ ? allocator_->GetBuffer(sample, start, stop, flags) : VFW_E_NO_ALLOCATOR;
}

HRESULT T_CBaseOutputPin::Deliver(IMediaSample* sample) {
    return inputPin_ ? inputPin_->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HRESULT T_CBaseOutputPin::DeliverEndOfStream() {
    return connected_ ? connected_->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT T_CBaseOutputPin::DeliverBeginFlush() {
    return connected_ ? connected_->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT T_CBaseOutputPin::DeliverEndFlush() {
    return connected_ ? connected_->EndFlush() : VFW_E_NOT_CONNECTED;
}

T_CBaseInputPin::T_CBaseInputPin(const char* objectName, T_CBaseFilter* filter, T_CCritSec* lock,
                                 LPCWSTR name)
    : T_CBasePin(objectName, filter, lock, name, PINDIR_INPUT) {}

T_CBaseInputPin::~T_CBaseInputPin() {
    if (allocator_) allocator_->Release();
}

HRESULT T_CBaseInputPin::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMemInputPin) return GetInterface(static_cast<IMemInputPin*>(this), object);
    return T_CBasePin::NonDelegatingQueryInterface(iid, object);
}

HRESULT T_CBaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    if (!allocator_) {
        auto* own = new (std::nothrow) T_CMemAllocator();
        if (!own) return E_OUTOFMEMORY;
        own->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&allocator_));
    }
    *allocator = allocator_;
    allocator_->AddRef();
    return S_OK;
}

HRESULT T_CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (!allocator) return E_POINTER;
    T_CAutoLock lock(pinLock_);
    allocator->AddRef();
    if (allocator_) allocator_->Release();
    allocator_ = allocator;
    readOnly_ = readOnly != 0;
    return S_OK;
}

HRESULT T_CBaseInputPin::CheckStreaming() {
    if (!connected_) return VFW_E_NOT_CONNECTED;
    if (filter_->IsStopped()) return VFW_E_WRONG_STATE;
    if (flushing_) return S_FALSE;
    return S_OK;
}

HRESULT T_CBaseInputPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    const HRESULT streaming = CheckStreaming();
    if (streaming != S_OK) return streaming;
    IMediaSample2* sample2 = nullptr;
    sampleProps_ = AM_SAMPLE2_PROPERTIES{};
    if (SUCCEEDED(sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2)))) {
        sample2->GetProperties(sizeof sampleProps_, reinterpret_cast<BYTE*>(&sampleProps_));
        sample2->Release();
    } else {
        sampleProps_.cbData = sizeof sampleProps_;
        sampleProps_.lActual = sample->GetActualDataLength();
        sample->GetPointer(&sampleProps_.pbBuffer);
        sampleProps_.cbBuffer = sample->GetSize();
        if (sample->GetTime(&sampleProps_.tStart, &sampleProps_.tStop) != VFW_E_NOT_FOUND)
            sampleProps_.dwSampleFlags |= AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID;
        sampleProps_.dwStreamId = AM_STREAM_MEDIA;
    }
    return S_OK;
}

HRESULT T_CBaseInputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    HRESULT result = S_OK;
    while (*processed < count && (result = Receive(samples[*processed])) == S_OK) ++*processed;
    return result;
}

HRESULT T_CBaseInputPin::BeginFlush() {
    flushing_ = true;
    return S_OK;
}

HRESULT T_CBaseInputPin::EndFlush() {
    flushing_ = false;
    return S_OK;
}

HRESULT T_CBaseInputPin::BreakConnect() {
    if (allocator_) {
        allocator_->Decommit();
        allocator_->Release();
        allocator_ = nullptr;
    }
    return S_OK;
}

HRESULT T_CBaseInputPin::Inactive() {
    flushing_ = false;
    return allocator_ ? allocator_->Decommit() : S_OK;
}
