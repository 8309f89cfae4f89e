#include "platform/d3d9/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/d3d9/capabilities.h"
#include "platform/d3d9/draw.h"
#include "platform/d3d9/multisample.h"
#include "platform/d3d9/present.h"
#include "platform/d3d9/shader_pixels.h"
#include "platform/d3d9/shader_vertices.h"
#include "platform/d3d9/surface_copy.h"
#include "platform/d3d9/trace.h"
#include "platform/d3d9/yuv_surface.h"

namespace d3d9 {

namespace {

template <typename T>
void Replace(T*& slot, T* value) {
    if (value) value->AddRef();
    if (slot) slot->Release();
    slot = value;
}

void HoldSurface(Surface*& slot, Surface* value) {
    if (value) value->HoldInternal();
    if (slot) slot->ReleaseInternal();
    slot = value;
}

bool InsideSurface(IntRect r, const SurfaceStore& s) {
    return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height && !r.Empty();
}

}  // namespace

// ---- SwapChain ----

HRESULT SwapChain::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
}
ULONG SwapChain::AddRef() {
    return device_->AddRef();
}
ULONG SwapChain::Release() {
    return device_->Release();
}

HRESULT SwapChain::Present(const RECT* source, const RECT* dest, HWND window, const void* dirty,
                           DWORD flags) {
    Trace("IDirect3DSwapChain9::Present", source, dest, window, dirty, flags);
    return device_->PresentFrame(source, dest, window);
}

HRESULT SwapChain::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) {
    Trace("IDirect3DSwapChain9::GetBackBuffer", index, type, surface);
    if (!surface || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    *surface = device_->back_buffer();
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT SwapChain::GetPresentParameters(D3DPRESENT_PARAMETERS* params) {
    if (!params) return D3DERR_INVALIDCALL;
    *params = device_->params();
    return D3D_OK;
}

// ---- Device: life ----

Device::Device(const D3DPRESENT_PARAMETERS& params, HWND focus_window, const D3D9CapabilityProfile& profile,
               bool ex)
    : core_(MakeDeviceCore()),
      profile_(profile),
      params_(params),
      focus_window_(focus_window),
      ex_(ex),
      swap_chain_(this) {
    core_->device = this;
    bool lockable = (params.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
    back_buffer_ =
        new Surface(core_, params.BackBufferFormat, int(params.BackBufferWidth), int(params.BackBufferHeight),
                    D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, lockable, SurfaceOwner::kDevice, this);
    back_buffer_->MakeSamples(SampleCountOf(params.MultiSampleType));
    render_targets_[0] = back_buffer_;
    if (params.EnableAutoDepthStencil) {
        auto_depth_ = new Surface(core_, params.AutoDepthStencilFormat, int(params.BackBufferWidth),
                                  int(params.BackBufferHeight), D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, false,
                                  SurfaceOwner::kDevice, this);
        auto_depth_->MakeSamples(SampleCountOf(params.MultiSampleType));
        depth_ = auto_depth_;
    }
    SetInitialStates(state_, params.EnableAutoDepthStencil != 0);
    ResetViewport();
}

Device::~Device() {
    for (auto*& t : textures_) Replace<IDirect3DBaseTexture9>(t, nullptr);
    for (auto*& t : vertex_textures_) Replace<IDirect3DBaseTexture9>(t, nullptr);
    for (auto*& rt : render_targets_) HoldSurface(rt, nullptr);
    HoldSurface(depth_, nullptr);
    Replace<VertexDeclaration>(declaration_, nullptr);
    Replace<PixelShader>(pixel_shader_, nullptr);
    Replace<VertexShader>(vertex_shader_, nullptr);
    core_->device = nullptr;
    delete back_buffer_;
    delete auto_depth_;
}

bool Device::IsKnownInterface(REFIID riid) const {
    return riid == IID_IDirect3DDevice9 || (ex_ && riid == IID_IDirect3DDevice9Ex);
}

HRESULT Device::TestCooperativeLevel() {
    Trace("IDirect3DDevice9::TestCooperativeLevel");
    if (!core_->lost) return D3D_OK;
    return D3D9DeviceLostSwitch() ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
    Trace("IDirect3DDevice9::GetDeviceCaps", caps);
    if (!caps) return D3DERR_INVALIDCALL;
    FillCaps(profile_, caps);
    return D3D_OK;
}

HRESULT Device::GetSwapChain(UINT index, IDirect3DSwapChain9** swap_chain) {
    Trace("IDirect3DDevice9::GetSwapChain", index, swap_chain);
    if (!swap_chain || index != 0) return D3DERR_INVALIDCALL;
    *swap_chain = &swap_chain_;
    AddRef();
    return D3D_OK;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND window, const void* dirty) {
    Trace("IDirect3DDevice9::Present", source, dest, window, dirty);
    return PresentFrame(source, dest, window);
}

HRESULT Device::PresentFrame(const RECT* source, const RECT* dest, HWND window) {
    if (core_->lost) return D3DERR_DEVICELOST;
    const SurfaceStore& bb = back_buffer_->Resolved();
    IntRect src = source ? FromRect(*source) : bb.Bounds();
    IntRect dst = dest ? FromRect(*dest) : IntRect{};
    // A destination wider or taller than 2^24 pixels is refused rather than stretched onto.
    auto too_big = [](LONG a, LONG b) { return int64_t(b) - int64_t(a) > (int64_t(1) << 24); };
    if (!InsideSurface(src, bb) ||
        (dest && (dst.Empty() || too_big(dest->left, dest->right) || too_big(dest->top, dest->bottom))))
        return D3DERR_INVALIDCALL;
    PresentPicture(bb, src, dest ? &dst : nullptr,
                   window ? window : (params_.hDeviceWindow ? params_.hDeviceWindow : focus_window_));
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swap_chain, UINT index, D3DBACKBUFFER_TYPE type,
                              IDirect3DSurface9** surface) {
    Trace("IDirect3DDevice9::GetBackBuffer", swap_chain, index, type, surface);
    if (swap_chain != 0) return D3DERR_INVALIDCALL;
    return swap_chain_.GetBackBuffer(index, type, surface);
}

HRESULT Device::SetDialogBoxMode(BOOL enable) {
    Trace("IDirect3DDevice9::SetDialogBoxMode", enable);
    if (!(params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)) return D3DERR_INVALIDCALL;
    dialog_box_mode_ = enable != 0;
    return D3D_OK;
}

// ---- Device: resources ----

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateTexture", width, height, levels, usage, format, pool, texture, shared);
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    bool pow2_ok =
        !profile_.pow2 || profile_.nonpow2_conditional || (IsPowerOfTwo(width) && IsPowerOfTwo(height));
    bool render_target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (width == 0 || height == 0 || width > profile_.max_texture_width ||
        height > profile_.max_texture_height || !pow2_ok || !IsTextureFormat(profile_, format) || shared ||
        (usage & D3DUSAGE_DEPTHSTENCIL) || (render_target && pool != D3DPOOL_DEFAULT) ||
        (render_target && !IsRenderTargetFormat(profile_, format)) ||
        (IsBlockFormat(format) && (width % 4 != 0 || height % 4 != 0)) ||
        ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateTexture")) return D3DERR_OUTOFVIDEOMEMORY;
    if (core_->lost && pool == D3DPOOL_DEFAULT) return D3DERR_DEVICELOST;
    return CreateWithPixelMemory(
        [&] { *texture = new Texture(core_, int(width), int(height), int(levels), usage, format, pool); });
}

HRESULT Device::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                    D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                    HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateVolumeTexture", width, height, depth, levels, usage, format, pool, texture,
          shared);
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || depth == 0 || width > 256 || height > 256 || depth > 256 ||
        !IsTextureFormat(profile_, format) || IsBlockFormat(format) || shared ||
        (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateVolumeTexture")) return D3DERR_OUTOFVIDEOMEMORY;
    return CreateWithPixelMemory([&] {
        *texture =
            new VolumeTexture(core_, int(width), int(height), int(depth), int(levels), usage, format, pool);
    });
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateVertexBuffer", length, usage, fvf, pool, buffer, shared);
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || shared || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateVertexBuffer")) return D3DERR_OUTOFVIDEOMEMORY;
    return CreateWithPixelMemory(
        [&] { *buffer = new VertexBuffer(core_, length, usage, pool, fvf, D3DFMT_VERTEXDATA); });
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateIndexBuffer", length, usage, format, pool, buffer, shared);
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || shared || pool > D3DPOOL_SCRATCH ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateIndexBuffer")) return D3DERR_OUTOFVIDEOMEMORY;
    return CreateWithPixelMemory([&] { *buffer = new IndexBuffer(core_, length, usage, pool, 0, format); });
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multisample,
                                   DWORD quality, BOOL lockable, IDirect3DSurface9** surface,
                                   HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateRenderTarget", width, height, format, multisample, quality, lockable,
          surface, shared);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 ||
        !IsRenderTargetFormat(profile_, format) || shared ||
        !MultisampleOffered(profile_, format, multisample) ||
        (multisample != D3DMULTISAMPLE_NONE && (quality != 0 || lockable)))
        return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateRenderTarget")) return D3DERR_OUTOFVIDEOMEMORY;
    if (core_->lost) return D3DERR_DEVICELOST;
    return CreateWithPixelMemory([&] {
        std::unique_ptr<Surface> made(new Surface(core_, format, int(width), int(height),
                                                  D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, lockable != 0,
                                                  SurfaceOwner::kSelf, nullptr));
        made->MakeSamples(SampleCountOf(multisample));
        *surface = made.release();
    });
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multisample, DWORD quality, BOOL discard,
                                          IDirect3DSurface9** surface, HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateDepthStencilSurface", width, height, format, multisample, quality, discard,
          surface, shared);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 ||
        !IsDepthStencilFormat(profile_, format) || shared ||
        !MultisampleOffered(profile_, format, multisample) ||
        (multisample != D3DMULTISAMPLE_NONE && (quality != 0 || format == D3DFMT_D16_LOCKABLE)))
        return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("CreateDepthStencilSurface")) return D3DERR_OUTOFVIDEOMEMORY;
    if (core_->lost) return D3DERR_DEVICELOST;
    return CreateWithPixelMemory([&] {
        std::unique_ptr<Surface> made(
            new Surface(core_, format, int(width), int(height), D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                        format == D3DFMT_D16_LOCKABLE, SurfaceOwner::kSelf, nullptr));
        made->MakeSamples(SampleCountOf(multisample));
        *surface = made.release();
    });
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* shared) {
    Trace("IDirect3DDevice9::CreateOffscreenPlainSurface", width, height, format, pool, surface, shared);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 ||
        !(IsTextureFormat(profile_, format) || IsYuvFormat(format)) || shared || pool == D3DPOOL_MANAGED ||
        pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    const HRESULT yuv = IsYuvFormat(format) ? CheckYuvSurface(format, width, height) : D3D_OK;
    if (FAILED(yuv)) return yuv;
    if (D3D9TakeCreationFailure("CreateOffscreenPlainSurface")) return D3DERR_OUTOFVIDEOMEMORY;
    return CreateWithPixelMemory([&] {
        *surface =
            new Surface(core_, format, int(width), int(height), 0, pool, true, SurfaceOwner::kSelf, nullptr);
    });
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** declaration) {
    Trace("IDirect3DDevice9::CreateVertexDeclaration", elements, declaration);
    if (!elements || !declaration) return D3DERR_INVALIDCALL;
    *declaration = nullptr;
    std::vector<D3DVERTEXELEMENT9> list;
    for (int i = 0;; ++i) {
        if (i >= 65) return D3DERR_INVALIDCALL;
        list.push_back(elements[i]);
        if (elements[i].Stream == 0xFF) break;
        if (elements[i].Type > D3DDECLTYPE_UNUSED) return D3DERR_INVALIDCALL;
    }
    if (D3D9TakeCreationFailure("CreateVertexDeclaration")) return D3DERR_OUTOFVIDEOMEMORY;
    *declaration = new VertexDeclaration(std::move(list));
    return D3D_OK;
}

// ---- Device: copies ----

HRESULT Device::UpdateSurface(IDirect3DSurface9* source, const RECT* source_rect, IDirect3DSurface9* dest,
                              const POINT* dest_point) {
    Trace("IDirect3DDevice9::UpdateSurface", source, source_rect, dest, dest_point);
    Surface* src = source ? AsSurface(source) : nullptr;
    Surface* dst = dest ? AsSurface(dest) : nullptr;
    if (!src || !dst || src->pool != D3DPOOL_SYSTEMMEM || dst->pool != D3DPOOL_DEFAULT ||
        src->store.format != dst->store.format || IsDepthFormat(src->store.format) ||
        IsYuvFormat(src->store.format) || dst->SampleCount() > 1)
        return D3DERR_INVALIDCALL;
    IntRect r = source_rect ? FromRect(*source_rect) : src->store.Bounds();
    int x = dest_point ? dest_point->x : 0, y = dest_point ? dest_point->y : 0;
    const IntRect to{x, y, x + r.Width(), y + r.Height()};
    if (!InsideSurface(r, src->store) || !InsideSurface(to, dst->store)) return D3DERR_INVALIDCALL;
    if (IsBlockFormat(src->store.format) && (!BlockAligned(src->store, r) || !BlockAligned(dst->store, to)))
        return D3DERR_INVALIDCALL;
    if (!core_->lost) CopyRect(src->store, r, dst->store, x, y);
    return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) {
    Trace("IDirect3DDevice9::UpdateTexture", source, dest);
    if (VolumeTexture* volume = source ? AsVolumeTexture(source) : nullptr)
        return UpdateVolume(*volume, dest);
    Texture* src = source ? AsTexture(source) : nullptr;
    Texture* dst = dest ? AsTexture(dest) : nullptr;
    if (!src || !dst || src->pool != D3DPOOL_SYSTEMMEM || dst->pool != D3DPOOL_DEFAULT ||
        src->format != dst->format || src->LevelCount() < dst->LevelCount() ||
        src->Level(0)->store.width != dst->Level(0)->store.width ||
        src->Level(0)->store.height != dst->Level(0)->store.height)
        return D3DERR_INVALIDCALL;
    IntRect dirty = Intersect(src->dirty, src->Level(0)->store.Bounds());
    if (!core_->lost && !dirty.Empty()) {
        for (int level = 0; level < dst->LevelCount(); ++level) {
            // Lower levels take the dirty rectangle scaled down, grown to whole texels.
            IntRect r{dirty.left >> level, dirty.top >> level, (dirty.right + (1 << level) - 1) >> level,
                      (dirty.bottom + (1 << level) - 1) >> level};
            r = Intersect(r, dst->Level(level)->store.Bounds());
            CopyRect(src->Level(level)->store, r, dst->Level(level)->store, r.left, r.top);
        }
    }
    src->dirty = {};
    return D3D_OK;
}

// A volume texture's levels copied whole from system memory to the default pool.
HRESULT Device::UpdateVolume(const VolumeTexture& src, IDirect3DBaseTexture9* dest) {
    VolumeTexture* dst = dest ? AsVolumeTexture(dest) : nullptr;
    if (!dst || src.pool() != D3DPOOL_SYSTEMMEM || dst->pool() != D3DPOOL_DEFAULT ||
        src.format() != dst->format() || src.LevelCount() < dst->LevelCount())
        return D3DERR_INVALIDCALL;
    const VolumeTexture::Level &a = src.LevelData(0), &b = dst->LevelData(0);
    if (a.width != b.width || a.height != b.height || a.depth != b.depth) return D3DERR_INVALIDCALL;
    if (!core_->lost) dst->CopyLevelsFrom(src);
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* render_target, IDirect3DSurface9* dest) {
    Trace("IDirect3DDevice9::GetRenderTargetData", render_target, dest);
    Surface* src = render_target ? AsSurface(render_target) : nullptr;
    Surface* dst = dest ? AsSurface(dest) : nullptr;
    if (!src || !dst || !(src->usage & D3DUSAGE_RENDERTARGET) || src->pool != D3DPOOL_DEFAULT ||
        dst->pool != D3DPOOL_SYSTEMMEM || src->store.format != dst->store.format || src->SampleCount() > 1 ||
        src->store.width != dst->store.width || src->store.height != dst->store.height)
        return D3DERR_INVALIDCALL;
    if (core_->lost) return D3DERR_DEVICELOST;
    CopyRect(src->store, src->store.Bounds(), dst->store, 0, 0);
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* source_rect, IDirect3DSurface9* dest,
                            const RECT* dest_rect, D3DTEXTUREFILTERTYPE filter) {
    Trace("IDirect3DDevice9::StretchRect", source, source_rect, dest, dest_rect, filter);
    Surface* src = source ? AsSurface(source) : nullptr;
    Surface* dst = dest ? AsSurface(dest) : nullptr;
    if (!src || !dst || src == dst || src->pool != D3DPOOL_DEFAULT || dst->pool != D3DPOOL_DEFAULT ||
        IsDepthFormat(src->store.format) || IsDepthFormat(dst->store.format) || filter > D3DTEXF_LINEAR ||
        IsBlockFormat(src->store.format) || IsBlockFormat(dst->store.format))
        return D3DERR_INVALIDCALL;
    // A destination must be a render target unless both are plain off-screen surfaces.
    bool plain_pair = !src->container && !dst->container && !(src->usage & D3DUSAGE_RENDERTARGET) &&
                      !(dst->usage & D3DUSAGE_RENDERTARGET);
    if ((!(dst->usage & D3DUSAGE_RENDERTARGET) && !plain_pair) || YuvStretchRefused(*src, *dst))
        return D3DERR_INVALIDCALL;
    IntRect sr = source_rect ? FromRect(*source_rect) : src->store.Bounds();
    IntRect dr = dest_rect ? FromRect(*dest_rect) : dst->store.Bounds();
    if (!InsideSurface(sr, src->store) || !InsideSurface(dr, dst->store)) return D3DERR_INVALIDCALL;
    if (core_->lost) return D3D_OK;
    // A multisampled source is resolved first; each sample of a multisampled destination is written.
    const SurfaceStore& from = src->Resolved();
    for (int k = 0; k < dst->SampleCount(); ++k) {
        if (IsYuvFormat(src->store.format))
            StretchYuvPoint(from, sr, dst->Plane(k), dr);
        else
            StretchPoint(from, sr, dst->Plane(k), dr);
    }
    return D3D_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
    Trace("IDirect3DDevice9::ColorFill", surface, rect, color);
    Surface* s = surface ? AsSurface(surface) : nullptr;
    if (!s || s->pool != D3DPOOL_DEFAULT || IsDepthFormat(s->store.format) || IsYuvFormat(s->store.format) ||
        IsBlockFormat(s->store.format) || (s->container && !(s->usage & D3DUSAGE_RENDERTARGET)))
        return D3DERR_INVALIDCALL;
    IntRect r = rect ? FromRect(*rect) : s->store.Bounds();
    if (!InsideSurface(r, s->store)) return D3DERR_INVALIDCALL;
    if (!core_->lost)
        for (int k = 0; k < s->SampleCount(); ++k) FillRect(s->Plane(k), r, ColorFromArgb(color));
    return D3D_OK;
}

// ---- Device: targets and scenes ----

void Device::ResetViewport() {
    const SurfaceStore& rt = render_targets_[0]->store;
    state_.viewport = {0, 0, DWORD(rt.width), DWORD(rt.height), 0.0f, 1.0f};
    state_.scissor = {0, 0, rt.width, rt.height};
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    Trace("IDirect3DDevice9::SetRenderTarget", index, surface);
    Surface* s = surface ? AsSurface(surface) : nullptr;
    if (index >= profile_.simultaneous_render_targets || index >= 4 || (index == 0 && !s) ||
        (surface && (!s || !(s->usage & D3DUSAGE_RENDERTARGET))))
        return D3DERR_INVALIDCALL;
    HoldSurface(render_targets_[index], s);
    if (index == 0) ResetViewport();
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    Trace("IDirect3DDevice9::GetRenderTarget", index, surface);
    if (!surface || index >= 4) return D3DERR_INVALIDCALL;
    *surface = render_targets_[index];
    if (!*surface) return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    Trace("IDirect3DDevice9::SetDepthStencilSurface", surface);
    Surface* s = surface ? AsSurface(surface) : nullptr;
    if (surface && (!s || !IsDepthFormat(s->store.format))) return D3DERR_INVALIDCALL;
    HoldSurface(depth_, s);
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    Trace("IDirect3DDevice9::GetDepthStencilSurface", surface);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = depth_;
    if (!depth_) return D3DERR_NOTFOUND;
    depth_->AddRef();
    return D3D_OK;
}

HRESULT Device::BeginScene() {
    Trace("IDirect3DDevice9::BeginScene");
    if (in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    Trace("IDirect3DDevice9::EndScene");
    if (!in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = false;
    return D3D_OK;
}

IntRect Device::DrawClip() const {
    const auto& vp = state_.viewport;
    IntRect clip = Intersect(render_targets_[0]->store.Bounds(),
                             {int(vp.X), int(vp.Y), int(vp.X + vp.Width), int(vp.Y + vp.Height)});
    if (state_.render[D3DRS_SCISSORTESTENABLE]) clip = Intersect(clip, FromRect(state_.scissor));
    return clip;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
    Trace("IDirect3DDevice9::Clear", count, rects, flags, color, z, stencil);
    if ((count && !rects) || (flags & D3DCLEAR_STENCIL) || ((flags & D3DCLEAR_ZBUFFER) && !depth_) ||
        !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) || !(z >= 0.0f && z <= 1.0f))
        return D3DERR_INVALIDCALL;
    if (core_->lost) return D3D_OK;
    IntRect clip = DrawClip();
    auto clear = [&](IntRect r) {
        if (flags & D3DCLEAR_TARGET)
            for (int k = 0; k < render_targets_[0]->SampleCount(); ++k)
                FillRect(render_targets_[0]->Plane(k), r, ColorFromArgb(color));
        if (flags & D3DCLEAR_ZBUFFER)
            for (int k = 0; k < depth_->SampleCount(); ++k)
                FillDepth(depth_->Plane(k), Intersect(r, depth_->store.Bounds()),
                          uint16_t(std::lround(z * 65535.0)));
    };
    if (count == 0) clear(clip);
    for (DWORD i = 0; i < count; ++i)
        clear(Intersect(clip, {rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}));
    return D3D_OK;
}

// ---- Device: states ----

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    Trace("IDirect3DDevice9::SetTransform", type, matrix);
    if (!matrix) return D3DERR_INVALIDCALL;
    if (type == D3DTS_WORLD)
        state_.world = *matrix;
    else if (type == D3DTS_VIEW)
        state_.view = *matrix;
    else if (type == D3DTS_PROJECTION)
        state_.projection = *matrix;
    else if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7)
        state_.texture_transform[type - D3DTS_TEXTURE0] = *matrix;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    if (type == D3DTS_WORLD)
        *matrix = state_.world;
    else if (type == D3DTS_VIEW)
        *matrix = state_.view;
    else if (type == D3DTS_PROJECTION)
        *matrix = state_.projection;
    else if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7)
        *matrix = state_.texture_transform[type - D3DTS_TEXTURE0];
    else
        *matrix = IdentityMatrix();
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* vp) {
    Trace("IDirect3DDevice9::SetViewport", vp);
    const SurfaceStore& rt = render_targets_[0]->store;
    if (!vp || uint64_t(vp->X) + vp->Width > uint64_t(rt.width) ||
        uint64_t(vp->Y) + vp->Height > uint64_t(rt.height) ||
        !(vp->MinZ >= 0.0f && vp->MaxZ <= 1.0f && vp->MinZ <= vp->MaxZ))
        return D3DERR_INVALIDCALL;
    state_.viewport = *vp;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* vp) {
    if (!vp) return D3DERR_INVALIDCALL;
    *vp = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
    Trace("IDirect3DDevice9::SetMaterial", material);
    if (!material) return D3DERR_INVALIDCALL;
    state_.material = *material;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
    Trace("IDirect3DDevice9::GetMaterial", material);
    if (!material) return D3DERR_INVALIDCALL;
    *material = state_.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
    Trace("IDirect3DDevice9::SetLight", index, light);
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    state_.lights[index] = *light;
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light) {
    auto found = state_.lights.find(index);
    if (!light || found == state_.lights.end()) return D3DERR_INVALIDCALL;
    *light = found->second;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    Trace("IDirect3DDevice9::LightEnable", index, enable);
    if (!state_.lights.count(index)) {
        // Enabling a light never set gives the default one: white, directional, along +z.
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 0};
        light.Direction = {0, 0, 1};
        state_.lights[index] = light;
    }
    state_.light_enabled[index] = enable != 0;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    Trace("IDirect3DDevice9::SetRenderState", type, value);
    if (type >= D3D_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    state_.render[type] = value;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
    if (!value || type >= D3D_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = state_.render[type];
    return D3D_OK;
}

IDirect3DBaseTexture9** Device::TextureSlot(DWORD sampler) {
    if (sampler < kSamplerCount) return &textures_[sampler];
    if (sampler >= kVertexSamplerFirst && sampler < kVertexSamplerFirst + kVertexSamplerCount)
        return &vertex_textures_[sampler - kVertexSamplerFirst];
    return nullptr;
}

DWORD* Device::SamplerStates(DWORD sampler) {
    if (sampler < kSamplerCount) return state_.sampler[sampler].data();
    if (sampler >= kVertexSamplerFirst && sampler < kVertexSamplerFirst + kVertexSamplerCount)
        return state_.vertex_sampler[sampler - kVertexSamplerFirst].data();
    return nullptr;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    Trace("IDirect3DDevice9::SetTexture", stage, texture);
    IDirect3DBaseTexture9** slot = TextureSlot(stage);
    if (!slot) return stage >= 256 ? D3D_OK : D3DERR_INVALIDCALL;  // the displacement map: nothing reads it
    Replace(*slot, texture);
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    IDirect3DBaseTexture9** slot = TextureSlot(stage);
    if (!texture || !slot) return D3DERR_INVALIDCALL;
    *texture = *slot;
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    Trace("IDirect3DDevice9::SetTextureStageState", stage, type, value);
    if (stage >= kStageCount || type >= D3D_TEXTURE_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    state_.stage[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kStageCount || type >= D3D_TEXTURE_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = state_.stage[stage][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    Trace("IDirect3DDevice9::SetSamplerState", sampler, type, value);
    DWORD* states = SamplerStates(sampler);
    if (!states) return sampler >= 256 ? D3D_OK : D3DERR_INVALIDCALL;
    if (type >= D3D_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    states[type] = value;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    const DWORD* states = SamplerStates(sampler);
    if (!value || !states || type >= D3D_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = states[type];
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
    Trace("IDirect3DDevice9::SetScissorRect", rect);
    if (!rect) return D3DERR_INVALIDCALL;
    state_.scissor = *rect;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = state_.scissor;
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
    Trace("IDirect3DDevice9::SetFVF", fvf);
    state_.fvf = fvf;
    Replace<VertexDeclaration>(declaration_, nullptr);
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = declaration_ ? 0 : state_.fvf;
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    Trace("IDirect3DDevice9::SetVertexDeclaration", declaration);
    auto* d = declaration ? dynamic_cast<VertexDeclaration*>(declaration) : nullptr;
    if (declaration && !d) return D3DERR_INVALIDCALL;
    Replace(declaration_, d);
    if (d) state_.fvf = 0;
    return D3D_OK;
}

// ---- Device: shaders ----

namespace {

template <typename Shader, typename Interface>
HRESULT CreateShader(const DWORD* function, bool pixel, const D3D9CapabilityProfile& profile,
                     const char* method, Interface** shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    ShaderProgram program;
    const HRESULT hr = MakeShaderProgram(function, pixel, ShaderModelsOf(profile), &program);
    if (FAILED(hr)) return hr;
    if (D3D9TakeCreationFailure(method)) return D3DERR_OUTOFVIDEOMEMORY;
    *shader = new Shader(std::move(program));
    return D3D_OK;
}

// Binds a shader of the stand-in's own kind (null unbinds); another object is refused.
template <typename Shader, typename Interface>
HRESULT BindShader(Shader*& slot, Interface* shader) {
    auto* ours = shader ? dynamic_cast<Shader*>(shader) : nullptr;
    if (shader && !ours) return D3DERR_INVALIDCALL;
    Replace(slot, ours);
    return D3D_OK;
}

}  // namespace

HRESULT Device::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) {
    Trace("IDirect3DDevice9::CreateVertexShader", function, shader);
    return CreateShader<VertexShader>(function, false, profile_, "CreateVertexShader", shader);
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
    Trace("IDirect3DDevice9::SetVertexShader", shader);
    return BindShader(vertex_shader_, shader);
}

HRESULT Device::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) {
    Trace("IDirect3DDevice9::CreatePixelShader", function, shader);
    return CreateShader<PixelShader>(function, true, profile_, "CreatePixelShader", shader);
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
    Trace("IDirect3DDevice9::SetPixelShader", shader);
    return BindShader(pixel_shader_, shader);
}

namespace {

template <typename T, size_t N, size_t W>
HRESULT StoreRegisters(std::array<std::array<T, W>, N>& registers, UINT start, const T* data, UINT count) {
    if (!data || start > N || count > N - start) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i)
        std::copy(data + size_t(i) * W, data + size_t(i + 1) * W, registers[start + i].begin());
    return D3D_OK;
}

template <typename T, size_t N, size_t W>
HRESULT LoadRegisters(const std::array<std::array<T, W>, N>& registers, UINT start, T* data, UINT count) {
    if (!data || start > N || count > N - start) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i)
        std::copy(registers[start + i].begin(), registers[start + i].end(), data + size_t(i) * W);
    return D3D_OK;
}

template <size_t N>
HRESULT StoreBools(std::array<BOOL, N>& registers, UINT start, const BOOL* data, UINT count) {
    if (!data || start > N || count > N - start) return D3DERR_INVALIDCALL;
    std::copy(data, data + count, registers.begin() + start);
    return D3D_OK;
}

}  // namespace

HRESULT Device::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
    Trace("IDirect3DDevice9::SetVertexShaderConstantF", start, data, count);
    return StoreRegisters(state_.vs_float, start, data, count);
}
HRESULT Device::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
    return LoadRegisters(state_.vs_float, start, data, count);
}
HRESULT Device::SetVertexShaderConstantI(UINT start, const int* data, UINT count) {
    Trace("IDirect3DDevice9::SetVertexShaderConstantI", start, data, count);
    return StoreRegisters(state_.vs_int, start, data, count);
}
HRESULT Device::SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) {
    Trace("IDirect3DDevice9::SetVertexShaderConstantB", start, data, count);
    return StoreBools(state_.vs_bool, start, data, count);
}
HRESULT Device::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
    Trace("IDirect3DDevice9::SetPixelShaderConstantF", start, data, count);
    return StoreRegisters(state_.ps_float, start, data, count);
}
HRESULT Device::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
    return LoadRegisters(state_.ps_float, start, data, count);
}
HRESULT Device::SetPixelShaderConstantI(UINT start, const int* data, UINT count) {
    Trace("IDirect3DDevice9::SetPixelShaderConstantI", start, data, count);
    return StoreRegisters(state_.ps_int, start, data, count);
}
HRESULT Device::SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) {
    Trace("IDirect3DDevice9::SetPixelShaderConstantB", start, data, count);
    return StoreBools(state_.ps_bool, start, data, count);
}

HRESULT Device::SetMaximumFrameLatency(UINT latency) {
    Trace("IDirect3DDevice9Ex::SetMaximumFrameLatency", latency);
    if (latency > 16) return D3DERR_INVALIDCALL;
    frame_latency_ = latency == 0 ? 3 : latency;
    return D3D_OK;
}

HRESULT Device::GetMaximumFrameLatency(UINT* latency) {
    if (!latency) return D3DERR_INVALIDCALL;
    *latency = frame_latency_;
    return D3D_OK;
}

// ---- Device: draws ----

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitive_count, const void* vertices,
                                UINT stride) {
    Trace("IDirect3DDevice9::DrawPrimitiveUP", type, primitive_count, vertices, stride);
    UINT n = 0;
    switch (type) {
        case D3DPT_POINTLIST:
            n = primitive_count;
            break;
        case D3DPT_LINELIST:
            n = primitive_count * 2;
            break;
        case D3DPT_LINESTRIP:
            n = primitive_count + 1;
            break;
        case D3DPT_TRIANGLELIST:
            n = primitive_count * 3;
            break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            n = primitive_count + 2;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    return Draw(type, primitive_count, vertices, stride, n, nullptr, false);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT min_vertex, UINT vertex_count,
                                       UINT primitive_count, const void* indices, D3DFORMAT index_format,
                                       const void* vertices, UINT stride) {
    Trace("IDirect3DDevice9::DrawIndexedPrimitiveUP", type, min_vertex, vertex_count, primitive_count,
          indices, index_format, vertices, stride);
    if (!indices || (index_format != D3DFMT_INDEX16 && index_format != D3DFMT_INDEX32) ||
        type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN)
        return D3DERR_INVALIDCALL;
    return Draw(type, primitive_count, vertices, stride, min_vertex + vertex_count, indices,
                index_format == D3DFMT_INDEX32);
}

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitive_count, const void* vertices, UINT stride,
                     UINT vertex_count, const void* indices, bool index32) {
    if (!in_scene_ || !vertices || stride == 0) return D3DERR_INVALIDCALL;
    VertexLayout layout =
        declaration_ ? LayoutFromDeclaration(declaration_->elements) : LayoutFromFvf(state_.fvf);
    // A vertex shader processes every vertex but those given in screen positions.
    VertexShaderDraw* vertex_shader = nullptr;
    if (vertex_shader_) {
        const std::vector<D3DVERTEXELEMENT9> elements =
            declaration_ ? declaration_->elements : ElementsFromFvf(state_.fvf);
        if (!HasScreenPositions(elements)) {
            vertex_shader = PrepareVertexShaderDraw(elements);
            if (!vertex_shader) return D3DERR_INVALIDCALL;
            layout = {};
            layout.valid = true;
            layout.size = vertex_shader->size;
        }
    }
    if (!layout.valid || UINT(layout.size) > stride) return D3DERR_INVALIDCALL;
    if (primitive_count == 0 || core_->lost) return D3D_OK;
    const SurfaceStore* stage_textures[kStageCount] = {};
    for (int i = 0; i < kStageCount; ++i)
        if (Texture* t = textures_[i] ? AsTexture(textures_[i]) : nullptr)
            stage_textures[i] = &t->Level(0)->store;
    SurfaceStore* depth = depth_ ? &depth_->store : nullptr;
    SurfaceStore& target = render_targets_[0]->store;
    if (depth && (depth->width < target.width || depth->height < target.height)) depth = nullptr;
    PixelPipeline pipeline = CompilePipeline(state_, stage_textures, &target, depth, DrawClip(),
                                             profile_.tss_arg_temp, profile_.blend_op);
    // A vertex shader writes texture coordinate set n for stage n.
    if (vertex_shader)
        for (int i = 0; i < pipeline.stage_count; ++i) pipeline.stages[i].texcoord_index = i;
    pipeline.shader = PreparePixelShaderDraw(vertex_shader != nullptr);
    DrawCall call;
    call.state = &state_;
    call.layout = layout;
    call.vertex_shader = vertex_shader;
    call.pipeline = &pipeline;
    call.raster.pipeline = &pipeline;
    call.raster.cull = state_.render[D3DRS_CULLMODE];
    call.raster.flat = state_.render[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    // A multisampled target is drawn once per sample, each time into its plane with coverage tested at
    // the sample's position; a depth buffer takes part only with the target's sample count.
    Surface* rt = render_targets_[0];
    const int samples = rt->SampleCount();
    const bool depth_samples = pipeline.depth && depth_->SampleCount() == samples;
    if (samples > 1 && !depth_samples) pipeline.depth = nullptr;
    const SampleOffset* offsets = StandardSamplePositions(samples);
    call.raster.multisampled = samples > 1;
    for (int k = 0; k < samples; ++k) {
        if (samples > 1) {
            pipeline.target = &rt->Plane(k);
            if (depth_samples) pipeline.depth = &depth_->Plane(k);
            call.raster.sample_x = offsets[k].x;
            call.raster.sample_y = offsets[k].y;
        }
        DrawPrimitives(call, type, primitive_count, static_cast<const uint8_t*>(vertices), stride,
                       vertex_count, indices, index32);
    }
    return D3D_OK;
}

namespace {

// A texture bound to a shader sampler: its levels.
void BindSamplerTexture(IDirect3DBaseTexture9* texture, ShaderSampler* s) {
    s->level_count = 0;
    std::fill(std::begin(s->stores), std::end(s->stores), nullptr);
    if (VolumeTexture* v = texture ? AsVolumeTexture(texture) : nullptr) {
        s->volume = true;
        s->format = v->format();
        s->bytes_per_texel = BytesPerPixel(v->format());
        s->level_count = std::min(v->LevelCount(), kMaxTextureLevels);
        for (int i = 0; i < s->level_count; ++i) {
            const VolumeTexture::Level& l = v->LevelData(i);
            s->levels[i] = {l.bits.data(), l.width, l.height, l.depth, l.row_pitch, l.slice_pitch};
        }
        return;
    }
    Texture* t = texture ? AsTexture(texture) : nullptr;
    if (!t) return;
    s->volume = false;
    s->format = t->format;
    s->bytes_per_texel = BytesPerPixel(t->format);
    s->level_count = std::min(t->LevelCount(), kMaxTextureLevels);
    for (int i = 0; i < s->level_count; ++i) {
        const SurfaceStore& store = t->Level(i)->store;
        s->levels[i] = {store.bits.data(), store.width, store.height, 1, store.pitch, 0};
        if (FiltersAtEightBits(t->format)) s->stores[i] = &store;
    }
}

}  // namespace

VertexShaderDraw* Device::PrepareVertexShaderDraw(const std::vector<D3DVERTEXELEMENT9>& elements) {
    if (!vertex_draw_) vertex_draw_ = std::make_unique<VertexShaderDraw>();
    VertexShaderDraw& d = *vertex_draw_;
    for (int i = 0; i < kVertexSamplerCount; ++i) {
        BindSamplerTexture(vertex_textures_[i], &d.samplers[i]);
        SetSamplerStates(state_.vertex_sampler[size_t(i)].data(), &d.samplers[i]);
    }
    const ShaderConstants constants{state_.vs_float.data(), kVertexFloatRegisters, state_.vs_int.data(),
                                    state_.vs_bool.data()};
    return PrepareVertexShader(vertex_shader_->program, constants, elements, &d) ? &d : nullptr;
}

PixelShaderDraw* Device::PreparePixelShaderDraw(bool vertex_shader) {
    if (!pixel_shader_) return nullptr;
    if (!pixel_draw_) pixel_draw_ = std::make_unique<PixelShaderDraw>();
    PixelShaderDraw& d = *pixel_draw_;
    for (int i = 0; i < kSamplerCount; ++i) {
        BindSamplerTexture(textures_[i], &d.samplers[i]);
        SetSamplerStates(state_.sampler[size_t(i)].data(), &d.samplers[i]);
    }
    // With fixed-function vertex processing TEXCOORD n is the set stage n names; a vertex shader writes
    // TEXCOORD n itself.
    int coordinate_set[kStageCount];
    for (int n = 0; n < kStageCount; ++n)
        coordinate_set[n] = vertex_shader ? n : int(state_.stage[size_t(n)][D3DTSS_TEXCOORDINDEX] & 7);
    const ShaderConstants constants{state_.ps_float.data(), kPixelFloatRegisters, state_.ps_int.data(),
                                    state_.ps_bool.data()};
    PreparePixelShader(pixel_shader_->program, constants, coordinate_set, &d);
    return &d;
}

}  // namespace d3d9
