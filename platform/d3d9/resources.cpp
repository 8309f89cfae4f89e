#include "platform/d3d9/resources.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/multisample.h"
#include "platform/d3d9/surface_copy.h"
#include "platform/d3d9/trace.h"
#include "platform/d3d9/yuv_surface.h"

namespace d3d9 {

HRESULT GetDeviceOf(const std::shared_ptr<DeviceCore>& core, IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = core ? core->device : nullptr;
    if (!*device) return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return D3D_OK;
}

Surface* AsSurface(IDirect3DSurface9* surface) {
    return dynamic_cast<Surface*>(surface);
}
Texture* AsTexture(IDirect3DBaseTexture9* texture) {
    return dynamic_cast<Texture*>(texture);
}
VolumeTexture* AsVolumeTexture(IDirect3DBaseTexture9* texture) {
    return dynamic_cast<VolumeTexture*>(texture);
}

namespace {

// The checked rectangle of a lock or copy; false when it does not lie inside the bounds.
bool CheckedRect(const RECT* rect, IntRect bounds, IntRect* out) {
    if (!rect) {
        *out = bounds;
        return true;
    }
    *out = FromRect(*rect);
    return out->left >= 0 && out->top >= 0 && out->right <= bounds.right && out->bottom <= bounds.bottom &&
           out->left <= out->right && out->top <= out->bottom;
}

}  // namespace

// ---- Surface ----

Surface::Surface(std::shared_ptr<DeviceCore> core, D3DFORMAT format, int width, int height, DWORD usage,
                 D3DPOOL pool, bool lockable, SurfaceOwner owner, IUnknown* owner_object)
    : usage(usage),
      pool(pool),
      lockable(lockable),
      core_(std::move(core)),
      owner_(owner),
      owner_object_(owner_object) {
    if (IsYuvFormat(format))
        AllocateYuvStore(store, format, width, height);
    else
        store.Allocate(format, width, height);
    if (pool == D3DPOOL_DEFAULT && core_) core_->RegisterDefaultPool(&store.bits);
}

Surface::~Surface() {
    if (pool == D3DPOOL_DEFAULT && core_) {
        core_->UnregisterDefaultPool(&store.bits);
        for (SurfaceStore& plane : more_samples_) core_->UnregisterDefaultPool(&plane.bits);
    }
}

void Surface::MakeSamples(int samples) {
    more_samples_.resize(size_t(samples - 1));
    for (SurfaceStore& plane : more_samples_) {
        plane.Allocate(store.format, store.width, store.height);
        if (pool == D3DPOOL_DEFAULT && core_) core_->RegisterDefaultPool(&plane.bits);
    }
}

std::vector<const SurfaceStore*> Surface::Planes() const {
    std::vector<const SurfaceStore*> planes{&store};
    for (const SurfaceStore& plane : more_samples_) planes.push_back(&plane);
    return planes;
}

const SurfaceStore& Surface::Resolved() {
    if (more_samples_.empty()) return store;
    ResolveSamples(Planes(), &resolved_);
    return resolved_;
}

ULONG Surface::AddRef() {
    if (owner_ != SurfaceOwner::kSelf) return owner_object_->AddRef();
    return ComObject::AddRef();
}

ULONG Surface::Release() {
    if (owner_ != SurfaceOwner::kSelf) return owner_object_->Release();
    return ComObject::Release();
}

void Surface::HoldInternal() {
    if (owner_ != SurfaceOwner::kDevice) AddRef();
}

void Surface::ReleaseInternal() {
    if (owner_ != SurfaceOwner::kDevice) Release();
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
    return GetDeviceOf(core_, device);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    Trace("IDirect3DSurface9::GetDesc", desc);
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {store.format,
             D3DRTYPE_SURFACE,
             usage,
             pool,
             D3DMULTISAMPLE_TYPE(SampleCount() > 1 ? SampleCount() : 0),
             0,
             UINT(store.width),
             UINT(store.height)};
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Trace("IDirect3DSurface9::LockRect", locked, rect, flags);
    IntRect area;
    const bool blocks = IsBlockFormat(store.format);
    if (!locked || !lockable || is_locked || !CheckedRect(rect, store.Bounds(), &area) ||
        (IsYuvFormat(store.format) && !YuvLockRectAllowed(store, area)) ||
        (blocks && !BlockAligned(store, area)))
        return D3DERR_INVALIDCALL;
    is_locked = true;
    locked->Pitch = store.pitch;
    // A block format's pitch is that of a row of blocks.
    locked->pBits = blocks
                        ? store.Row(area.top / 4) + size_t(area.left / 4) * size_t(BlockBytes(store.format))
                        : store.At(area.left, area.top);
    if (container && level == 0 && !(flags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE)))
        container->MarkDirty(area);
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    Trace("IDirect3DSurface9::UnlockRect");
    if (!is_locked) return D3DERR_INVALIDCALL;
    is_locked = false;
    return D3D_OK;
}

// ---- Texture ----

namespace {

int FullChainLength(int width, int height) {
    int levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        ++levels;
    }
    return levels;
}

bool TextureLevelLockable(DWORD usage, D3DPOOL pool) {
    if (usage & D3DUSAGE_RENDERTARGET) return false;
    return pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
}

}  // namespace

void Texture::LevelDeleter::operator()(Surface* s) const {
    delete s;
}

Texture::Texture(std::shared_ptr<DeviceCore> core, int width, int height, int levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool)
    : usage(usage), pool(pool), format(format), dirty{0, 0, width, height}, core_(std::move(core)) {
    int count =
        levels == 0 ? FullChainLength(width, height) : std::min(levels, FullChainLength(width, height));
    bool lockable = TextureLevelLockable(usage, pool);
    for (int i = 0; i < count; ++i) {
        auto* surface =
            new Surface(core_, format, width, height, usage, pool, lockable, SurfaceOwner::kTexture, this);
        surface->container = this;
        surface->level = i;
        levels_.emplace_back(surface);
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
}

Texture::~Texture() = default;

HRESULT Texture::GetDevice(IDirect3DDevice9** device) {
    return GetDeviceOf(core_, device);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    Trace("IDirect3DTexture9::GetLevelDesc", level, desc);
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    Trace("IDirect3DTexture9::GetSurfaceLevel", level, surface);
    if (!surface || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = levels_[level].get();
    AddRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Trace("IDirect3DTexture9::LockRect", level, locked, rect, flags);
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    Trace("IDirect3DTexture9::UnlockRect", level);
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT* rect) {
    Trace("IDirect3DTexture9::AddDirtyRect", rect);
    IntRect area;
    if (!CheckedRect(rect, levels_[0]->store.Bounds(), &area)) return D3DERR_INVALIDCALL;
    MarkDirty(area);
    return D3D_OK;
}

// ---- VolumeTexture ----

VolumeTexture::VolumeTexture(std::shared_ptr<DeviceCore> core, int width, int height, int depth, int levels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : core_(std::move(core)), usage_(usage), format_(format), pool_(pool) {
    int full = std::max(FullChainLength(width, height), FullChainLength(depth, 1));
    int count = levels == 0 ? full : std::min(levels, full);
    int bpp = BytesPerPixel(format);
    for (int i = 0; i < count; ++i) {
        Level level{width, height, depth, width * bpp, width * bpp * height, {}, false};
        level.bits.assign(size_t(level.slice_pitch) * size_t(depth), 0);
        levels_.push_back(std::move(level));
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        depth = std::max(1, depth / 2);
    }
    if (pool_ == D3DPOOL_DEFAULT)
        for (auto& level : levels_) core_->RegisterDefaultPool(&level.bits);
}

VolumeTexture::~VolumeTexture() {
    if (pool_ == D3DPOOL_DEFAULT)
        for (auto& level : levels_) core_->UnregisterDefaultPool(&level.bits);
}

HRESULT VolumeTexture::GetDevice(IDirect3DDevice9** device) {
    return GetDeviceOf(core_, device);
}

HRESULT VolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) {
    Trace("IDirect3DVolumeTexture9::GetLevelDesc", level, desc);
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    const auto& l = levels_[level];
    *desc = {format_, D3DRTYPE_VOLUME, usage_, pool_, UINT(l.width), UINT(l.height), UINT(l.depth)};
    return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
    Trace("IDirect3DVolumeTexture9::LockBox", level, locked, box, flags);
    if (!locked || level >= levels_.size() || !TextureLevelLockable(usage_, pool_)) return D3DERR_INVALIDCALL;
    auto& l = levels_[level];
    D3DBOX whole{0, 0, UINT(l.width), UINT(l.height), 0, UINT(l.depth)};
    const D3DBOX& b = box ? *box : whole;
    if (l.locked || b.Left > b.Right || b.Top > b.Bottom || b.Front > b.Back || b.Right > UINT(l.width) ||
        b.Bottom > UINT(l.height) || b.Back > UINT(l.depth))
        return D3DERR_INVALIDCALL;
    l.locked = true;
    locked->RowPitch = l.row_pitch;
    locked->SlicePitch = l.slice_pitch;
    locked->pBits = l.bits.data() + size_t(b.Front) * l.slice_pitch + size_t(b.Top) * l.row_pitch +
                    size_t(b.Left) * BytesPerPixel(format_);
    return D3D_OK;
}

HRESULT VolumeTexture::UnlockBox(UINT level) {
    Trace("IDirect3DVolumeTexture9::UnlockBox", level);
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    levels_[level].locked = false;
    return D3D_OK;
}

void VolumeTexture::CopyLevelsFrom(const VolumeTexture& source) {
    for (size_t i = 0; i < levels_.size(); ++i)
        std::copy(source.levels_[i].bits.begin(), source.levels_[i].bits.end(), levels_[i].bits.begin());
}

// ---- Buffers ----

template <typename I, typename D>
Buffer<I, D>::Buffer(std::shared_ptr<DeviceCore> core, UINT length, DWORD usage, D3DPOOL pool, DWORD fvf,
                     D3DFORMAT format)
    : core_(std::move(core)), bits_(length), usage_(usage), pool_(pool), fvf_(fvf), format_(format) {
    if (pool_ == D3DPOOL_DEFAULT) core_->RegisterDefaultPool(&bits_);
}

template <typename I, typename D>
Buffer<I, D>::~Buffer() {
    if (pool_ == D3DPOOL_DEFAULT) core_->UnregisterDefaultPool(&bits_);
}

template <typename I, typename D>
HRESULT Buffer<I, D>::GetDevice(IDirect3DDevice9** device) {
    return GetDeviceOf(core_, device);
}

template <typename I, typename D>
D3DRESOURCETYPE Buffer<I, D>::GetType() {
    return std::is_same_v<I, IDirect3DVertexBuffer9> ? D3DRTYPE_VERTEXBUFFER : D3DRTYPE_INDEXBUFFER;
}

template <typename I, typename D>
HRESULT Buffer<I, D>::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    Trace(std::is_same_v<I, IDirect3DVertexBuffer9> ? "IDirect3DVertexBuffer9::Lock"
                                                    : "IDirect3DIndexBuffer9::Lock",
          offset, size, data, flags);
    if (!data || offset > bits_.size() || size > bits_.size() - offset) return D3DERR_INVALIDCALL;
    ++lock_count_;
    *data = bits_.data() + offset;
    return D3D_OK;
}

template <typename I, typename D>
HRESULT Buffer<I, D>::Unlock() {
    Trace(std::is_same_v<I, IDirect3DVertexBuffer9> ? "IDirect3DVertexBuffer9::Unlock"
                                                    : "IDirect3DIndexBuffer9::Unlock");
    if (lock_count_ == 0) return D3DERR_INVALIDCALL;
    --lock_count_;
    return D3D_OK;
}

template <typename I, typename D>
HRESULT Buffer<I, D>::GetDesc(D* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    if constexpr (std::is_same_v<D, D3DVERTEXBUFFER_DESC>)
        *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, UINT(bits_.size()), fvf_};
    else
        *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, UINT(bits_.size())};
    return D3D_OK;
}

template class Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;
template class Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;

// ---- VertexDeclaration ----

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) {
    if (!count) return D3DERR_INVALIDCALL;
    if (out) std::copy(elements.begin(), elements.end(), out);
    *count = UINT(elements.size());
    return D3D_OK;
}

}  // namespace d3d9
