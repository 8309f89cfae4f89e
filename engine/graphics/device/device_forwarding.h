// Device calls that a loader may make from an asynchronous-loading worker. Each entry takes the
// wrapper's arguments and then the on-worker flag: 0 calls the wrapper at once; 1 packs the arguments
// into a main-thread call record, has the main thread's pump run the wrapper and waits for it. Either way
// the wrapper's result comes back unchanged.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "engine/core/memory/async_load.h"
#include "engine/graphics/device/device_wrappers.h"

template <class T>
uintptr_t ToCallWord(T value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<uintptr_t>(value);
    else
        return static_cast<uintptr_t>(value);
}
template <class T>
T FromCallWord(uintptr_t word) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(word);
    else
        return static_cast<T>(word);
}

// The record of one forwarded call: the main-thread call, then the wrapper's arguments in order.
template <size_t Count>
struct ForwardedCall {
    MainThreadCall call;
    uintptr_t arguments[Count];
};

template <auto Wrapper, class Signature = decltype(Wrapper)>
struct Forwarding;

template <auto Wrapper, class Result, class... Args>
struct Forwarding<Wrapper, Result (*)(Args...)> {
    using Record = ForwardedCall<sizeof...(Args)>;

    // The companion the main thread runs.
    static int Companion(MainThreadCall* call) {
        return Invoke(reinterpret_cast<Record*>(call), std::index_sequence_for<Args...>{});
    }
    static int Run(int onWorker, Args... args) {
        if (onWorker == 0) return int(Wrapper(args...));
        Record record{{Companion, 0, 0}, {ToCallWord(args)...}};
        return PostRequestToMainThread(&record.call);
    }

  private:
    template <size_t... I>
    static int Invoke(Record* record, std::index_sequence<I...>) {
        return int(Wrapper(FromCallWord<Args>(record->arguments[I])...));
    }
};

// ReleaseComObject answers the new reference count.
ULONG ForwardRelease(IUnknown* object, int onWorker);
HRESULT ForwardCreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multisample,
                                  DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared,
                                  int onWorker);
HRESULT ForwardCreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                         D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL discard,
                                         IDirect3DSurface9** surface, HANDLE* shared, int onWorker);
HRESULT ForwardCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared, int onWorker);
HRESULT ForwardColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color, int onWorker);
HRESULT ForwardCreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DSurface9** surface, HANDLE* shared, int onWorker);
HRESULT ForwardUpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                             const POINT* destPoint, int onWorker);
HRESULT ForwardUpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest, int onWorker);
HRESULT ForwardCreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader, int onWorker);
HRESULT ForwardCreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader, int onWorker);
HRESULT ForwardCreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                  IDirect3DVertexBuffer9** buffer, HANDLE* shared, int onWorker);
HRESULT ForwardCreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer9** buffer, HANDLE* shared, int onWorker);
HRESULT ForwardGetSurfaceLevel(IDirect3DTexture9* texture, UINT level, IDirect3DSurface9** surface,
                               int onWorker);
HRESULT ForwardLockTextureRect(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked,
                               const RECT* rect, DWORD flags, int onWorker);
HRESULT ForwardUnlockTextureRect(IDirect3DTexture9* texture, UINT level, int onWorker);
HRESULT ForwardLockSurfaceRect(IDirect3DSurface9* surface, D3DLOCKED_RECT* locked, const RECT* rect,
                               DWORD flags, int onWorker);
HRESULT ForwardUnlockSurface(IDirect3DSurface9* surface, int onWorker);

// Vertex and index buffers alike.
template <class Buffer>
HRESULT ForwardLockBuffer(Buffer* buffer, UINT offset, UINT size, void** data, DWORD flags, int onWorker) {
    return Forwarding<&BufferLock<Buffer>>::Run(onWorker, buffer, offset, size, data, flags);
}
template <class Buffer>
HRESULT ForwardUnlockBuffer(Buffer* buffer, int onWorker) {
    return Forwarding<&BufferUnlock<Buffer>>::Run(onWorker, buffer);
}

// ChooseMultiSampleQuality, on the main thread when onWorker is 1.
int ChooseMultiSampleQualityForwarded(D3DFORMAT format, int* type, int* quality, int strict, int onWorker);

// The whole source onto the whole destination (StretchRect, no filter): a multisampled surface resolved.
HRESULT StretchSurface(IDirect3DSurface9* source, IDirect3DSurface9* dest);
