// The filter graph: filters are added by name, connected directly or through a registered filter,
// and an output pin is rendered by the filters of the graph that take it, else by the registered ones
// (the MPEG audio decoder, then the null renderer standing in for the default audio renderer). Run
// starts the filters from the renderers upstream; the completion is reported once every connected
// renderer has seen the end of its stream. The graph has no reference clock: streams run as fast as
// their filters go.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/com/ole32.h"
#include "platform/dshow/base_classes.h"
#include "platform/dshow/enumerator.h"
#include "platform/dshow/graph_filters.h"

namespace {

constexpr int kMaxRenderDepth = 8;

struct GraphEvent {
    long code;
    LONG_PTR param1;
    LONG_PTR param2;
};

std::vector<IPin*> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    std::vector<IPin*> pins;
    IEnumPins* pinList = nullptr;
    if (FAILED(filter->EnumPins(&pinList))) return pins;
    IPin* pin = nullptr;
    while (pinList->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction)
            pins.push_back(pin);
        else
            pin->Release();
    }
    pinList->Release();
    return pins;
}

void ReleaseAll(std::vector<IPin*>& pins) {
    for (IPin* pin : pins) pin->Release();
    pins.clear();
}

bool IsConnected(IPin* pin) {
    IPin* other = nullptr;
    if (pin->ConnectedTo(&other) != S_OK) return false;
    other->Release();
    return true;
}

// Breaks a pin's connection at both ends.
void DisconnectBoth(IPin* pin) {
    IPin* other = nullptr;
    if (pin->ConnectedTo(&other) == S_OK) {
        other->Disconnect();
        other->Release();
    }
    pin->Disconnect();
}

IBaseFilter* FilterOf(IPin* pin) {
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return nullptr;
    if (info.pFilter) info.pFilter->Release();  // the graph holds it
    return info.pFilter;
}

class FilterGraph : public IGraphBuilder,
                    public IMediaControl,
                    public IMediaEvent,
                    public IMediaFilter,
                    public IMediaEventSink,
                    public T_CUnknown {
  public:
    FilterGraph() : T_CUnknown("CFilterGraph") {}
    T_DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IGraphBuilder || iid == IID_IFilterGraph)
            return GetInterface(static_cast<IGraphBuilder*>(this), object);
        if (iid == IID_IMediaControl) return GetInterface(static_cast<IMediaControl*>(this), object);
        if (iid == IID_IMediaEvent) return GetInterface(static_cast<IMediaEvent*>(this), object);
        if (iid == IID_IMediaFilter) return GetInterface(static_cast<IMediaFilter*>(this), object);
        if (iid == IID_IMediaEventSink) return GetInterface(static_cast<IMediaEventSink*>(this), object);
        return T_CUnknown::NonDelegatingQueryInterface(iid, object);
    }

    // IFilterGraph
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override {
        if (!filter) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end())
            return VFW_E_DUPLICATE_NAME;
        const HRESULT joined = filter->JoinFilterGraph(this, name);
        if (FAILED(joined)) return joined;
        filter->AddRef();
        filters_.push_back(filter);
        return S_OK;
    }
    HRESULT RemoveFilter(IBaseFilter* filter) override {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        auto found = std::find(filters_.begin(), filters_.end(), filter);
        if (found == filters_.end()) return VFW_E_NOT_FOUND;
        filter->Stop();
        for (PIN_DIRECTION direction : {PINDIR_INPUT, PINDIR_OUTPUT}) {
            std::vector<IPin*> pins = PinsOf(filter, direction);
            for (IPin* pin : pins) DisconnectBoth(pin);
            ReleaseAll(pins);
        }
        filters_.erase(found);
        filter->JoinFilterGraph(nullptr, nullptr);
        filter->Release();
        return S_OK;
    }
    HRESULT EnumFilters(IEnumFilters** filters) override {
        if (!filters) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        return T_CEnumFilters::Create("CEnumFilters", filters_, filters);
    }
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) override {
        if (!name || !filter) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        for (IBaseFilter* candidate : filters_) {
            FILTER_INFO info{};
            if (FAILED(candidate->QueryFilterInfo(&info))) continue;
            if (info.pGraph) info.pGraph->Release();
            if (std::u16string(info.achName) == std::u16string(name)) {
                *filter = candidate;
                candidate->AddRef();
                return S_OK;
            }
        }
        *filter = nullptr;
        return VFW_E_NOT_FOUND;
    }
    HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) override {
        if (!out || !in) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
        return out->Connect(in, type);
    }
    HRESULT Reconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT Disconnect(IPin* pin) override {
        if (!pin) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        return pin->Disconnect();
    }
    HRESULT SetDefaultSyncSource() override { return S_OK; }

    // IGraphBuilder
    HRESULT Connect(IPin* out, IPin* in) override {
        if (!out || !in) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
        if (SUCCEEDED(out->Connect(in, nullptr))) return S_OK;
        for (const RegisteredFilter& registered : RegisteredGraphFilters()) {
            if (registered.isRenderer) continue;
            IBaseFilter* middle = Create(registered);
            if (!middle) continue;
            bool done = false;
            std::vector<IPin*> inputs = PinsOf(middle, PINDIR_INPUT);
            std::vector<IPin*> outputs = PinsOf(middle, PINDIR_OUTPUT);
            if (!inputs.empty() && !outputs.empty() && SUCCEEDED(out->Connect(inputs[0], nullptr))) {
                done = SUCCEEDED(outputs[0]->Connect(in, nullptr));
                if (!done) DisconnectBoth(out);
            }
            ReleaseAll(inputs);
            ReleaseAll(outputs);
            if (!done) RemoveFilter(middle);
            middle->Release();
            if (done) return S_OK;
        }
        return VFW_E_CANNOT_CONNECT;
    }
    HRESULT Render(IPin* out) override {
        if (!out) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
        if (IsConnected(out)) return VFW_E_ALREADY_CONNECTED;
        return RenderPin(out, 0);
    }

    // IMediaControl
    HRESULT Run() override {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (state_ == State_Running) return S_OK;
        if (state_ == State_Stopped) {
            const HRESULT paused = Pause();
            if (FAILED(paused)) return paused;
        }
        for (IBaseFilter* filter : DownstreamFirst()) {
            const HRESULT result = filter->Run(0);
            if (FAILED(result)) {
                Stop();
                return result;
            }
        }
        state_ = State_Running;
        return S_OK;
    }
    HRESULT Pause() override {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (state_ == State_Stopped) StartCompletionCount();
        for (IBaseFilter* filter : DownstreamFirst()) {
            const HRESULT result = filter->Pause();
            if (FAILED(result)) {
                Stop();
                return result;
            }
        }
        state_ = State_Paused;
        return S_OK;
    }
    HRESULT Stop() override {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        std::vector<IBaseFilter*> order = DownstreamFirst();
        std::reverse(order.begin(), order.end());
        for (IBaseFilter* filter : order) filter->Stop();
        state_ = State_Stopped;
        return S_OK;
    }
    HRESULT GetState(LONG, OAFilterState* state) override {
        if (!state) return E_POINTER;
        *state = state_;
        return S_OK;
    }

    // IMediaEvent
    HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeout) override {
        if (!code || !param1 || !param2) return E_POINTER;
        std::unique_lock<std::mutex> guard(eventLock_);
        if (!WaitFor(guard, timeout, [this] { return !events_.empty(); })) return E_ABORT;
        const GraphEvent event = events_.front();
        events_.pop_front();
        *code = event.code;
        *param1 = event.param1;
        *param2 = event.param2;
        return S_OK;
    }
    HRESULT WaitForCompletion(long timeout, long* code) override {
        if (!code) return E_POINTER;
        *code = 0;
        if (state_ != State_Running) return VFW_E_WRONG_STATE;
        std::unique_lock<std::mutex> guard(eventLock_);
        auto ending = [this] {
            return std::find_if(events_.begin(), events_.end(), [](const GraphEvent& e) {
                return e.code == EC_COMPLETE || e.code == EC_ERRORABORT || e.code == EC_USERABORT;
            });
        };
        if (!WaitFor(guard, timeout, [&] { return ending() != events_.end(); })) return E_ABORT;
        auto found = ending();
        *code = found->code;
        events_.erase(found);
        return S_OK;
    }
    HRESULT FreeEventParams(long, LONG_PTR, LONG_PTR) override { return S_OK; }

    // IMediaFilter (the graph's clock)
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_FilterGraph;
        return S_OK;
    }
    HRESULT Run(REFERENCE_TIME) override { return static_cast<IMediaControl*>(this)->Run(); }
    HRESULT GetState(DWORD, FILTER_STATE* state) override {
        if (!state) return E_POINTER;
        *state = state_;
        return S_OK;
    }
    HRESULT SetSyncSource(IReferenceClock* clock) override {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        for (IBaseFilter* filter : filters_) filter->SetSyncSource(clock);
        return S_OK;
    }
    HRESULT GetSyncSource(IReferenceClock** clock) override {
        if (!clock) return E_POINTER;
        *clock = nullptr;
        return S_FALSE;
    }

    // IMediaEventSink
    HRESULT Notify(long code, LONG_PTR param1, LONG_PTR param2) override {
        std::lock_guard<std::mutex> guard(eventLock_);
        if (code == EC_COMPLETE) {
            if (++completed_ != renderers_) return S_OK;
        }
        events_.push_back({code, param1, param2});
        eventArrived_.notify_all();
        return S_OK;
    }

  private:
    ~FilterGraph() override {
        Stop();
        while (!filters_.empty()) RemoveFilter(filters_.back());
    }

    template <typename Ready>
    bool WaitFor(std::unique_lock<std::mutex>& guard, long timeout, Ready ready) {
        if (timeout < 0 || static_cast<DWORD>(timeout) == INFINITE_WAIT) {
            eventArrived_.wait(guard, ready);
            return true;
        }
        return eventArrived_.wait_for(guard, std::chrono::milliseconds(timeout), ready);
    }

    // A renderer: a connected input pin and no output pin.
    static bool IsRenderer(IBaseFilter* filter) {
        std::vector<IPin*> inputs = PinsOf(filter, PINDIR_INPUT);
        std::vector<IPin*> outputs = PinsOf(filter, PINDIR_OUTPUT);
        const bool renderer = outputs.empty() && std::any_of(inputs.begin(), inputs.end(),
                                                             [](IPin* pin) { return IsConnected(pin); });
        ReleaseAll(inputs);
        ReleaseAll(outputs);
        return renderer;
    }

    void StartCompletionCount() {
        std::lock_guard<std::mutex> guard(eventLock_);
        events_.clear();
        completed_ = 0;
        renderers_ = static_cast<int>(std::count_if(filters_.begin(), filters_.end(), IsRenderer));
        if (renderers_ == 0) events_.push_back({EC_COMPLETE, 0, 0});
    }

    // The filters ordered so that every filter comes after those its outputs feed.
    std::vector<IBaseFilter*> DownstreamFirst() {
        std::vector<IBaseFilter*> order;
        std::vector<IBaseFilter*> left = filters_;
        while (!left.empty()) {
            bool moved = false;
            for (auto it = left.begin(); it != left.end();) {
                bool ready = true;
                std::vector<IPin*> outputs = PinsOf(*it, PINDIR_OUTPUT);
                for (IPin* pin : outputs) {
                    IPin* other = nullptr;
                    if (pin->ConnectedTo(&other) != S_OK) continue;
                    IBaseFilter* next = FilterOf(other);
                    other->Release();
                    if (std::find(left.begin(), left.end(), next) != left.end()) ready = false;
                }
                ReleaseAll(outputs);
                if (ready) {
                    order.push_back(*it);
                    it = left.erase(it);
                    moved = true;
                } else {
                    ++it;
                }
            }
            if (!moved) {  // a loop: take the rest as they are
                order.insert(order.end(), left.begin(), left.end());
                break;
            }
        }
        return order;
    }

    IBaseFilter* Create(const RegisteredFilter& registered) {
        IBaseFilter* filter = nullptr;
        if (FAILED(CoCreateInstance(registered.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                    reinterpret_cast<void**>(&filter))))
            return nullptr;
        if (FAILED(AddFilter(filter, registered.name))) {
            filter->Release();
            return nullptr;
        }
        return filter;
    }

    // Connects `out` to a free input pin of `filter`, then renders the filter's outputs.
    bool RenderThrough(IPin* out, IBaseFilter* filter, int depth) {
        std::vector<IPin*> inputs = PinsOf(filter, PINDIR_INPUT);
        bool done = false;
        for (IPin* in : inputs) {
            if (done || IsConnected(in) || FAILED(out->Connect(in, nullptr))) continue;
            done = RenderOutputs(filter, depth + 1);
            if (!done) DisconnectBoth(out);
        }
        ReleaseAll(inputs);
        return done;
    }

    bool RenderOutputs(IBaseFilter* filter, int depth) {
        std::vector<IPin*> outputs = PinsOf(filter, PINDIR_OUTPUT);
        bool done = true;
        for (IPin* pin : outputs)
            if (done && !IsConnected(pin)) done = SUCCEEDED(RenderPin(pin, depth));
        if (!done)
            for (IPin* pin : outputs) DisconnectBoth(pin);
        ReleaseAll(outputs);
        return done;
    }

    HRESULT RenderPin(IPin* out, int depth) {
        if (depth > kMaxRenderDepth) return VFW_E_CANNOT_RENDER;
        IBaseFilter* own = FilterOf(out);
        const std::vector<IBaseFilter*> present = filters_;
        for (IBaseFilter* filter : present)
            if (filter != own && RenderThrough(out, filter, depth)) return S_OK;
        for (const RegisteredFilter& registered : RegisteredGraphFilters()) {
            IBaseFilter* added = Create(registered);
            if (!added) continue;
            const bool done = RenderThrough(out, added, depth);
            if (!done) RemoveFilter(added);
            added->Release();
            if (done) return S_OK;
        }
        return VFW_E_CANNOT_RENDER;
    }

    std::recursive_mutex lock_;
    std::vector<IBaseFilter*> filters_;
    FILTER_STATE state_ = State_Stopped;
    std::mutex eventLock_;
    std::condition_variable eventArrived_;
    std::deque<GraphEvent> events_;
    int completed_ = 0;
    int renderers_ = 0;
};

}  // namespace

HRESULT CreateFilterGraph(REFIID iid, void** object) {
    auto* graph = new (std::nothrow) FilterGraph();
    if (!graph) return E_OUTOFMEMORY;
    graph->NonDelegatingAddRef();
    const HRESULT result = graph->NonDelegatingQueryInterface(iid, object);
    graph->NonDelegatingRelease();
    return result;
}
