// A DirectShow source over a block of memory: T_CMemStream reads the block (optionally no faster than
// a byte rate), and T_CMemReader offers it to a graph through its output pin's IAsyncReader, serving
// queued read requests on a worker thread of its own.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/dshow/base_classes.h"

// The result of a read that T_CMemStream's Read may give to mark a discontinuity.
constexpr HRESULT kMemStreamDiscontinuity = 0x40000;

class T_CMemStream {
  public:
    T_CMemStream(const BYTE* data, LONGLONG length, DWORD rate);
    virtual ~T_CMemStream() = default;
    // S_FALSE (nothing changes) for a position before 0 or past the end.
    virtual HRESULT SetPointer(LONGLONG position);
    // Reads up to `bytes` from the position, cut at the end; waits while the rate has not yet made
    // them available.
    virtual HRESULT Read(BYTE* buffer, DWORD bytes, BOOL align, LPDWORD read);
    virtual LONGLONG Size(LONGLONG* available = nullptr);
    virtual DWORD Alignment() { return 1; }
    virtual void Lock() { lock_.Lock(); }
    virtual void Unlock() { lock_.Unlock(); }

  private:
    T_CCritSec lock_;
    const BYTE* data_;
    LONGLONG length_;
    LONGLONG position_ = 0;
    DWORD rate_;  // bytes per millisecond; 0xFFFFFFFF: no delay
    DWORD startTime_;
};

// Null when memory is short. `rate` 0xFFFFFFFF (-1) reads without delay.
T_CMemStream* CreateMemStream(const BYTE* data, LONGLONG length, DWORD rate);

// The queue of read requests over a stream, served by a worker thread.
class T_CAsyncIo {
  public:
    explicit T_CAsyncIo(T_CMemStream* stream) : stream_(stream) {}
    ~T_CAsyncIo();
    HRESULT Request(LONGLONG position, LONG length, BOOL aligned, BYTE* buffer, DWORD_PTR user,
                    IMediaSample* sample);
    HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user, LONG* read);
    // Reads at once on the caller's thread; the bytes read in *read.
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer, IMediaSample* sample, LONG* read);
    HRESULT BeginFlush();
    HRESULT EndFlush();
    T_CMemStream* Stream() const { return stream_; }

  private:
    struct IoRequest {
        LONGLONG position;
        LONG length;
        BYTE* buffer;
        DWORD_PTR user;
        IMediaSample* sample;
        HRESULT result;
    };
    void Complete(IoRequest& request);
    void Worker();

    T_CMemStream* stream_;
    std::mutex lock_;
    std::condition_variable workArrived_;
    std::condition_variable doneArrived_;
    std::condition_variable allDone_;
    std::deque<IoRequest> pending_;
    std::deque<IoRequest> done_;
    bool flushing_ = false;
    bool stopping_ = false;
    int inProgress_ = 0;
    std::thread worker_;
};

class T_CMemReader;

class T_CMemReaderPin : public T_CBasePin, public IAsyncReader {
  public:
    T_CMemReaderPin(T_CMemReader* reader, T_CCritSec* lock);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return NonDelegatingQueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return filter_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return filter_->Release(); }
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT GetMediaType(int position, T_CMediaType* type) override;
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pin) override;

    HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props,
                             IMemAllocator** actual) override;
    HRESULT Request(IMediaSample* sample, DWORD_PTR user) override;
    HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) override;
    HRESULT SyncReadAligned(IMediaSample* sample) override;
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
    HRESULT Length(LONGLONG* total, LONGLONG* available) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

  private:
    // The byte range of a sample's times, cut at the stream's end (rounded up to the alignment).
    HRESULT SampleRange(IMediaSample* sample, LONGLONG* position, LONG* length, BYTE** buffer);
    T_CMemReader* reader_;
    bool queriedForAsyncReader_ = false;
};

class T_CMemReader : public T_CBaseFilter {
  public:
    T_CMemReader(T_CMemStream* stream, const AM_MEDIA_TYPE* type);
    int GetPinCount() override { return 1; }
    T_CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }
    const T_CMediaType& OfferedType() const { return type_; }
    T_CAsyncIo& Io() { return io_; }
    T_CCritSec& FilterLock() { return lock_; }

  private:
    ~T_CMemReader() override = default;
    T_CCritSec lock_;
    T_CMediaType type_;
    T_CAsyncIo io_;
    T_CMemReaderPin pin_;
};

// The reader filter over `stream` offering `type`; null with E_OUTOFMEMORY in *result on failure.
T_CMemReader* CreateMemReader(T_CMemStream* stream, const AM_MEDIA_TYPE* type, HRESULT* result);
