// The resources a device makes: surfaces, textures, volume textures, vertex and index buffers and vertex
// declarations, with Direct3D 9's pool and lock rules.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/device_core.h"
#include "platform/d3d9/surface_store.h"

namespace d3d9 {

class Texture;

// Who owns a surface's reference count: the surface itself, the texture it is a level of, or the device
// (back buffers).
enum class SurfaceOwner { kSelf, kTexture, kDevice };

class Surface final : public ComObject<IDirect3DSurface9> {
  public:
    Surface(std::shared_ptr<DeviceCore> core, D3DFORMAT format, int width, int height, DWORD usage,
            D3DPOOL pool, bool lockable, SurfaceOwner owner, IUnknown* owner_object);
    ~Surface() override;

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    // References the device keeps (render target, depth buffer): none for device-owned surfaces.
    void HoldInternal();
    void ReleaseInternal();

    // A multisampled surface holds `samples` planes: `store` is sample 0.
    void MakeSamples(int samples);
    int SampleCount() const { return int(more_samples_.size()) + 1; }
    SurfaceStore& Plane(int sample) { return sample == 0 ? store : more_samples_[size_t(sample - 1)]; }
    std::vector<const SurfaceStore*> Planes() const;
    // The picture: `store`, or the samples averaged.
    const SurfaceStore& Resolved();

    SurfaceStore store;
    DWORD usage;
    D3DPOOL pool;
    bool lockable;
    bool is_locked = false;
    Texture* container = nullptr;  // set for texture levels
    int level = 0;

  private:
    std::shared_ptr<DeviceCore> core_;
    SurfaceOwner owner_;
    IUnknown* owner_object_;
    std::vector<SurfaceStore> more_samples_;
    SurfaceStore resolved_;
};

class Texture final : public ComObject<IDirect3DTexture9> {
  public:
    Texture(std::shared_ptr<DeviceCore> core, int width, int height, int levels, DWORD usage,
            D3DFORMAT format, D3DPOOL pool);
    ~Texture() override;

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return DWORD(levels_.size()); }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* rect) override;

    Surface* Level(int level) { return levels_[size_t(level)].get(); }
    int LevelCount() const { return int(levels_.size()); }
    void MarkDirty(IntRect rect) { dirty = Union(dirty, rect); }

    DWORD usage;
    D3DPOOL pool;
    D3DFORMAT format;
    IntRect dirty;  // of level 0; UpdateTexture copies it and clears it

  private:
    struct LevelDeleter {
        void operator()(Surface* s) const;
    };
    std::shared_ptr<DeviceCore> core_;
    std::vector<std::unique_ptr<Surface, LevelDeleter>> levels_;
};

class VolumeTexture final : public ComObject<IDirect3DVolumeTexture9> {
  public:
    // One level: rows and slices packed.
    struct Level {
        int width, height, depth, row_pitch, slice_pitch;
        PixelBytes bits;
        bool locked = false;
    };

    VolumeTexture(std::shared_ptr<DeviceCore> core, int width, int height, int depth, int levels, DWORD usage,
                  D3DFORMAT format, D3DPOOL pool);
    ~VolumeTexture() override;

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VOLUMETEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return DWORD(levels_.size()); }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box,
                                      DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockBox(UINT level) override;

    const Level& LevelData(int level) const { return levels_[size_t(level)]; }
    int LevelCount() const { return int(levels_.size()); }
    D3DFORMAT format() const { return format_; }
    D3DPOOL pool() const { return pool_; }
    // Copies every level of `source` (same format, size and at least as many levels) over this one's.
    void CopyLevelsFrom(const VolumeTexture& source);

  private:
    std::shared_ptr<DeviceCore> core_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::vector<Level> levels_;
};

// Vertex and index buffers: always lockable; DEFAULT-pool contents are dropped by a lost device.
template <typename Interface, typename Desc>
class Buffer final : public ComObject<Interface> {
  public:
    Buffer(std::shared_ptr<DeviceCore> core, UINT length, DWORD usage, D3DPOOL pool, DWORD fvf,
           D3DFORMAT format);
    ~Buffer() override;

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override;
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(Desc* desc) override;

  private:
    std::shared_ptr<DeviceCore> core_;
    PixelBytes bits_;
    DWORD usage_;
    D3DPOOL pool_;
    DWORD fvf_;
    D3DFORMAT format_;
    int lock_count_ = 0;
};
using VertexBuffer = Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;

class VertexDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
  public:
    explicit VertexDeclaration(std::vector<D3DVERTEXELEMENT9> elements) : elements(std::move(elements)) {}
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) override;

    std::vector<D3DVERTEXELEMENT9> elements;  // with the closing element
};

// The device's view of a surface given through an interface pointer (null for foreign objects).
Surface* AsSurface(IDirect3DSurface9* surface);
Texture* AsTexture(IDirect3DBaseTexture9* texture);
VolumeTexture* AsVolumeTexture(IDirect3DBaseTexture9* texture);

HRESULT GetDeviceOf(const std::shared_ptr<DeviceCore>& core, IDirect3DDevice9** device);

}  // namespace d3d9
