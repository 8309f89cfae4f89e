// The DirectShow base classes that filters derive from: locks, media types, reference counting,
// media samples and allocators, the filter and its pins (output pins deliver through IMemInputPin),
// and the in-place and copying transform filters. Aggregation is not supported: an object's IUnknown
// is its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dshow/dshow.h"

class T_CCritSec {
  public:
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }
    std::recursive_mutex& Mutex() { return mutex_; }

  private:
    std::recursive_mutex mutex_;
};

class T_CAutoLock {
  public:
    explicit T_CAutoLock(T_CCritSec* lock) : lock_(lock) { lock_->Lock(); }
    ~T_CAutoLock() { lock_->Unlock(); }
    T_CAutoLock(const T_CAutoLock&) = delete;
    T_CAutoLock& operator=(const T_CAutoLock&) = delete;

  private:
    T_CCritSec* lock_;
};

void FreeMediaType(AM_MEDIA_TYPE& type);
HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source);
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);
void DeleteMediaType(AM_MEDIA_TYPE* type);

// A media type that owns its format block.
class T_CMediaType : public AM_MEDIA_TYPE {
  public:
    T_CMediaType();
    T_CMediaType(const AM_MEDIA_TYPE& other);
    T_CMediaType(const T_CMediaType& other);
    T_CMediaType& operator=(const AM_MEDIA_TYPE& other);
    T_CMediaType& operator=(const T_CMediaType& other);
    ~T_CMediaType();
    bool operator==(const T_CMediaType& other) const;
    bool SetFormat(const void* format, ULONG size);
    // True when every GUID that `partial` names (not null) equals this type's.
    bool MatchesPartial(const AM_MEDIA_TYPE& partial) const;
    void Clear();
};

struct INonDelegatingUnknown {
    virtual HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG NonDelegatingAddRef() = 0;
    virtual ULONG NonDelegatingRelease() = 0;

  protected:
    virtual ~INonDelegatingUnknown() = default;
};

// Reference counting; objects start at 0 and are deleted when the count returns to 0.
class T_CUnknown : public INonDelegatingUnknown {
  public:
    explicit T_CUnknown(const char* objectName) : objectName_(objectName) {}
    ULONG NonDelegatingAddRef() override { return ++references_; }
    ULONG NonDelegatingRelease() override;
    HRESULT NonDelegatingQueryInterface(REFIID, void** object) override;
    const char* ObjectName() const { return objectName_; }

  protected:
    ~T_CUnknown() override = default;

  private:
    const char* objectName_;
    std::atomic<long> references_{0};
};

// Hands out `unknown` as the interface asked for (AddRef'ed).
HRESULT GetInterface(IUnknown* unknown, void** object);

#define T_DECLARE_IUNKNOWN                                                         \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { \
        return NonDelegatingQueryInterface(iid, object);                           \
    }                                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override {                                    \
        return NonDelegatingAddRef();                                              \
    }                                                                              \
    ULONG STDMETHODCALLTYPE Release() override {                                   \
        return NonDelegatingRelease();                                             \
    }

class T_CBaseAllocator;

// A buffer of an allocator; its last Release hands it back to the allocator.
class T_CMediaSample : public IMediaSample2 {
  public:
    T_CMediaSample(T_CBaseAllocator* allocator, BYTE* buffer, long size);
    virtual ~T_CMediaSample();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT GetPointer(BYTE** buffer) override;
    long GetSize() override { return size_; }
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT IsSyncPoint() override { return (flags_ & AM_SAMPLE_SPLICEPOINT) ? S_OK : S_FALSE; }
    HRESULT SetSyncPoint(BOOL sync) override;
    HRESULT IsPreroll() override { return preroll_ ? S_OK : S_FALSE; }
    HRESULT SetPreroll(BOOL preroll) override;
    long GetActualDataLength() override { return actual_; }
    HRESULT SetActualDataLength(long length) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT IsDiscontinuity() override { return (flags_ & AM_SAMPLE_DATADISCONTINUITY) ? S_OK : S_FALSE; }
    HRESULT SetDiscontinuity(BOOL discontinuity) override;
    HRESULT GetProperties(DWORD size, BYTE* properties) override;
    HRESULT SetProperties(DWORD size, const BYTE* properties) override;

    // Clears times, flags, length and type for the next use.
    void Reset();
    void SetBuffer(BYTE* buffer, long size) {
        buffer_ = buffer;
        size_ = size;
    }

  private:
    T_CBaseAllocator* allocator_;
    BYTE* buffer_;
    long size_;
    long actual_ = 0;
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = 0;
    DWORD flags_ = 0;
    DWORD streamId_ = AM_STREAM_MEDIA;
    bool preroll_ = false;
    AM_MEDIA_TYPE* mediaType_ = nullptr;
    std::atomic<long> references_{0};
};

// A pool of samples: GetBuffer waits for a free one while committed.
class T_CBaseAllocator : public IMemAllocator, public T_CUnknown {
  public:
    explicit T_CBaseAllocator(const char* objectName) : T_CUnknown(objectName) {}
    T_DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) override;
    HRESULT Commit() override;
    HRESULT Decommit() override;
    HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                      DWORD flags) override;
    HRESULT ReleaseBuffer(IMediaSample* sample) override;

  protected:
    ~T_CBaseAllocator() override;
    // Makes the samples for the current properties (under the allocator's lock).
    virtual HRESULT Alloc() = 0;
    // Frees the samples' memory once they are all back.
    virtual void Free() = 0;
    void DeleteSamples();

    std::mutex lock_;
    std::condition_variable sampleFree_;
    ALLOCATOR_PROPERTIES properties_{};
    bool propertiesSet_ = false;
    bool committed_ = false;
    bool allocated_ = false;
    std::vector<T_CMediaSample*> samples_;
    std::vector<T_CMediaSample*> free_;
};

// Samples carved out of one block of memory.
class T_CMemAllocator : public T_CBaseAllocator {
  public:
    explicit T_CMemAllocator(const char* objectName = "T_CMemAllocator") : T_CBaseAllocator(objectName) {}

  protected:
    ~T_CMemAllocator() override;
    HRESULT Alloc() override;
    void Free() override;
    virtual BYTE* BufferFor(long bytes);
    virtual void FreeBuffer(BYTE* buffer);

  private:
    BYTE* memory_ = nullptr;
};

class T_CBasePin;

class T_CBaseFilter : public IBaseFilter, public T_CUnknown {
  public:
    T_CBaseFilter(const char* objectName, T_CCritSec* lock, REFCLSID clsid);
    T_DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) override;
    HRESULT SetSyncSource(IReferenceClock* clock) override;
    HRESULT GetSyncSource(IReferenceClock** clock) override;
    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    virtual int GetPinCount() = 0;
    virtual T_CBasePin* GetPin(int n) = 0;
    // Sends an event to the graph's event sink (nothing outside a graph).
    HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);
    bool IsStopped() const { return state_ == State_Stopped; }
    FILTER_STATE State() const { return state_; }
    IFilterGraph* Graph() const { return graph_; }

  protected:
    ~T_CBaseFilter() override;
    T_CCritSec* filterLock_;
    // Changed under the filter lock; atomic because streaming threads read it without the lock.
    std::atomic<FILTER_STATE> state_{State_Stopped};
    REFERENCE_TIME start_ = 0;

  private:
    CLSID clsid_;
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;  // not referenced: the graph holds the filter
    IMediaEventSink* sink_ = nullptr;
    std::u16string name_;
};

class T_CBasePin : public IPin {
  public:
    T_CBasePin(const char* objectName, T_CBaseFilter* filter, T_CCritSec* lock, LPCWSTR name,
               PIN_DIRECTION direction);
    virtual ~T_CBasePin();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return NonDelegatingQueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return filter_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return filter_->Release(); }
    virtual HRESULT NonDelegatingQueryInterface(REFIID iid, void** object);

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;
    HRESULT QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT QueryId(LPWSTR* id) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT EndOfStream() override { return S_OK; }
    HRESULT BeginFlush() override { return S_OK; }
    HRESULT EndFlush() override { return S_OK; }
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // 0 (S_OK) when the type is acceptable, anything else when not.
    virtual HRESULT CheckMediaType(const T_CMediaType* type) = 0;
    // The pin's preferred types: E_INVALIDARG below 0, VFW_S_NO_MORE_ITEMS past the last.
    virtual HRESULT GetMediaType(int position, T_CMediaType* type);
    virtual HRESULT SetMediaType(const T_CMediaType* type);
    virtual HRESULT CheckConnect(IPin* pin);
    virtual HRESULT BreakConnect() { return S_OK; }
    virtual HRESULT CompleteConnect(IPin*) { return S_OK; }
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }

    bool IsConnected() const { return connected_ != nullptr; }
    IPin* GetConnected() const { return connected_; }
    const T_CMediaType& CurrentMediaType() const { return mediaType_; }
    REFERENCE_TIME CurrentStartTime() const { return segmentStart_; }
    T_CBaseFilter* Filter() const { return filter_; }
    PIN_DIRECTION Direction() const { return direction_; }
    const std::u16string& Name() const { return name_; }

  protected:
    HRESULT AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* partial);
    HRESULT TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* partial, IEnumMediaTypes* types);
    HRESULT AttemptConnection(IPin* receivePin, const T_CMediaType& type);

    T_CBaseFilter* filter_;
    T_CCritSec* pinLock_;
    IPin* connected_ = nullptr;
    T_CMediaType mediaType_;
    REFERENCE_TIME segmentStart_ = 0;
    REFERENCE_TIME segmentStop_ = 0;
    double segmentRate_ = 1.0;

  private:
    std::u16string name_;
    PIN_DIRECTION direction_;
};

class T_CBaseOutputPin : public T_CBasePin {
  public:
    T_CBaseOutputPin(const char* objectName, T_CBaseFilter* filter, T_CCritSec* lock, LPCWSTR name);
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pin) override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT EndOfStream() override { return E_FAIL; }
    HRESULT BeginFlush() override { return E_FAIL; }
    HRESULT EndFlush() override { return E_FAIL; }

    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator);
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                              DWORD flags);
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    IMemAllocator* Allocator() const { return allocator_; }

  protected:
    IMemInputPin* inputPin_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
};

class T_CBaseInputPin : public T_CBasePin, public IMemInputPin {
  public:
    T_CBaseInputPin(const char* objectName, T_CBaseFilter* filter, T_CCritSec* lock, LPCWSTR name);
    ~T_CBaseInputPin() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return NonDelegatingQueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return filter_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return filter_->Release(); }
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT GetAllocator(IMemAllocator** allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    // Checks that the pin may stream and notes the sample's properties; derived pins then process it.
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    HRESULT ReceiveCanBlock() override { return S_OK; }
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT BreakConnect() override;
    HRESULT Inactive() override;

    IMemAllocator* PinAllocator() const { return allocator_; }
    const AM_SAMPLE2_PROPERTIES& SampleProps() const { return sampleProps_; }

  protected:
    HRESULT CheckStreaming();
    IMemAllocator* allocator_ = nullptr;
    bool readOnly_ = false;
    bool flushing_ = false;
    AM_SAMPLE2_PROPERTIES sampleProps_{};
};

// Transform filters: one input and one output pin.
class T_CTransInPlaceFilter;

class T_CTransInPlaceInputPin : public T_CBaseInputPin {
  public:
    T_CTransInPlaceInputPin(const char* objectName, T_CTransInPlaceFilter* filter, LPCWSTR name);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  protected:
    T_CTransInPlaceFilter* transform_;
};

class T_CTransInPlaceOutputPin : public T_CBaseOutputPin {
  public:
    T_CTransInPlaceOutputPin(const char* objectName, T_CTransInPlaceFilter* filter, LPCWSTR name);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT GetMediaType(int position, T_CMediaType* type) override;
    HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  private:
    T_CTransInPlaceFilter* transform_;
};

// Passes each sample on after Transform changed it in place.
class T_CTransInPlaceFilter : public T_CBaseFilter {
  public:
    T_CTransInPlaceFilter(const char* objectName, REFCLSID clsid);
    int GetPinCount() override { return 2; }
    T_CBasePin* GetPin(int n) override;
    virtual HRESULT CheckInputType(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT Transform(IMediaSample* sample) = 0;
    // Transform, then deliver downstream when the output is connected.
    virtual HRESULT Receive(IMediaSample* sample);
    T_CTransInPlaceInputPin* InputPin() { return input_; }
    T_CTransInPlaceOutputPin* OutputPin() { return output_; }
    T_CCritSec& InputLock() { return filterCritSec_; }

  protected:
    ~T_CTransInPlaceFilter() override;
    // Copies a sample into a buffer of the output's allocator; null on failure.
    IMediaSample* Copy(IMediaSample* source);
    T_CCritSec filterCritSec_;
    T_CCritSec receiveLock_;
    T_CTransInPlaceInputPin* input_ = nullptr;
    T_CTransInPlaceOutputPin* output_ = nullptr;
};

class T_CTransformFilter;

class T_CTransformInputPin : public T_CBaseInputPin {
  public:
    T_CTransformInputPin(const char* objectName, T_CTransformFilter* filter, LPCWSTR name);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

  private:
    T_CTransformFilter* transform_;
};

class T_CTransformOutputPin : public T_CBaseOutputPin {
  public:
    T_CTransformOutputPin(const char* objectName, T_CTransformFilter* filter, LPCWSTR name);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT GetMediaType(int position, T_CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  protected:
    T_CTransformFilter* transform_;
};

// Copies each input sample into an output sample through Transform(input, output).
class T_CTransformFilter : public T_CBaseFilter {
  public:
    T_CTransformFilter(const char* objectName, REFCLSID clsid);
    int GetPinCount() override { return 2; }
    T_CBasePin* GetPin(int n) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    virtual HRESULT CheckInputType(const T_CMediaType* type) = 0;
    virtual HRESULT CheckTransform(const T_CMediaType* in, const T_CMediaType* out) = 0;
    virtual HRESULT GetMediaType(int position, T_CMediaType* type) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    virtual HRESULT Transform(IMediaSample* in, IMediaSample* out) = 0;
    virtual HRESULT StartStreaming() { return S_OK; }
    virtual HRESULT StopStreaming() { return S_OK; }
    virtual HRESULT Receive(IMediaSample* sample);
    virtual HRESULT EndOfStream();
    T_CTransformInputPin* InputPin() { return input_; }
    T_CTransformOutputPin* OutputPin() { return output_; }
    T_CCritSec& InputLock() { return filterCritSec_; }

  protected:
    ~T_CTransformFilter() override;
    T_CCritSec filterCritSec_;
    T_CCritSec receiveLock_;
    T_CTransformInputPin* input_ = nullptr;
    T_CTransformOutputPin* output_ = nullptr;
    bool streaming_ = false;
};

// Renderers: one input pin whose samples the filter renders as they arrive (in the paused and running
// states; no presentation clock), and whose end of stream completes the graph while running.
class T_CBaseRenderer;

class T_CRendererInputPin : public T_CBaseInputPin {
  public:
    T_CRendererInputPin(T_CBaseRenderer* renderer, T_CCritSec* lock, LPCWSTR name);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT SetMediaType(const T_CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

  private:
    T_CBaseRenderer* renderer_;
};

class T_CBaseRenderer : public T_CBaseFilter {
  public:
    T_CBaseRenderer(REFCLSID clsid, const char* objectName);
    int GetPinCount() override { return 1; }
    T_CBasePin* GetPin(int n) override;
    virtual HRESULT CheckMediaType(const T_CMediaType* type) = 0;
    virtual HRESULT SetMediaType(const T_CMediaType*) { return S_OK; }
    virtual HRESULT DoRenderSample(IMediaSample* sample) = 0;
    T_CRendererInputPin* InputPin() { return &input_; }

  protected:
    ~T_CBaseRenderer() override = default;
    T_CCritSec interfaceLock_;
    T_CCritSec renderLock_;

  private:
    T_CRendererInputPin input_;
};

// The base of video renderers; quality control and frame stepping are not carried.
class T_CBaseVideoRenderer : public T_CBaseRenderer {
  public:
    T_CBaseVideoRenderer(REFCLSID clsid, const char* objectName) : T_CBaseRenderer(clsid, objectName) {}

  protected:
    ~T_CBaseVideoRenderer() override = default;
};
