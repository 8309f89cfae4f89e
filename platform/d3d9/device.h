// The Direct3D 9 device: resources, states, scenes, clears, copies, draws and presents.
#pragma once

#include <memory>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/resources.h"
#include "platform/d3d9/shader_object.h"

namespace d3d9 {
struct PixelShaderDraw;
struct VertexShaderDraw;
}  // namespace d3d9

namespace d3d9 {

class Device;

class SwapChain final : public IDirect3DSwapChain9 {
  public:
    explicit SwapChain(Device* device) : device_(device) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window, const void* dirty,
                                      DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE GetPresentParameters(D3DPRESENT_PARAMETERS* params) override;

  private:
    Device* device_;
};

class Device final : public ComObject<IDirect3DDevice9Ex> {
  public:
    Device(const D3DPRESENT_PARAMETERS& params, HWND focus_window, const D3D9CapabilityProfile& profile,
           bool ex);
    ~Device() override;

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE GetSwapChain(UINT index, IDirect3DSwapChain9** swap_chain) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window,
                                      const void* dirty) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swap_chain, UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE SetDialogBoxMode(BOOL enable) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                            HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                                  DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                  IDirect3DVolumeTexture9** texture, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multisample, DWORD quality,
                                                 BOOL lockable, IDirect3DSurface9** surface,
                                                 HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multisample, DWORD quality,
                                                        BOOL discard, IDirect3DSurface9** surface,
                                                        HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* source, const RECT* source_rect,
                                            IDirect3DSurface9* dest, const POINT* dest_point) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* source,
                                            IDirect3DBaseTexture9* dest) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* render_target,
                                                  IDirect3DSurface9* dest) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* source, const RECT* source_rect,
                                          IDirect3DSurface9* dest, const RECT* dest_rect,
                                          D3DTEXTUREFILTERTYPE filter) override;
    HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* surface, const RECT* rect,
                                        D3DCOLOR color) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                          D3DPOOL pool, IDirect3DSurface9** surface,
                                                          HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* rect) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* rect) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitive_count,
                                              const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT min_vertex,
                                                     UINT vertex_count, UINT primitive_count,
                                                     const void* indices, D3DFORMAT index_format,
                                                     const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                      IDirect3DVertexDeclaration9** declaration) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* function,
                                                 IDirect3DVertexShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function,
                                                IDirect3DPixelShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetMaximumFrameLatency(UINT latency) override;
    HRESULT STDMETHODCALLTYPE GetMaximumFrameLatency(UINT* latency) override;

    HRESULT PresentFrame(const RECT* source, const RECT* dest, HWND window);
    const D3DPRESENT_PARAMETERS& params() const { return params_; }
    Surface* back_buffer() { return back_buffer_; }

  protected:
    bool IsKnownInterface(REFIID riid) const override;

  private:
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitive_count, const void* vertices, UINT stride,
                 UINT vertex_count, const void* indices, bool index32);
    HRESULT UpdateVolume(const VolumeTexture& source, IDirect3DBaseTexture9* dest);
    // The pixel shader's part of a draw, or null without a pixel shader.
    PixelShaderDraw* PreparePixelShaderDraw(bool vertex_shader);
    // The vertex shader's part, or null when the elements cannot feed it.
    VertexShaderDraw* PrepareVertexShaderDraw(const std::vector<D3DVERTEXELEMENT9>& elements);
    // The texture slot and the states of a sampler (0..15 or a vertex sampler); null for others.
    IDirect3DBaseTexture9** TextureSlot(DWORD sampler);
    DWORD* SamplerStates(DWORD sampler);
    IntRect DrawClip() const;
    void ResetViewport();

    std::shared_ptr<DeviceCore> core_;
    D3D9CapabilityProfile profile_;
    D3DPRESENT_PARAMETERS params_;
    HWND focus_window_;
    bool ex_;
    DeviceState state_;
    Surface* back_buffer_ = nullptr;  // device-owned
    Surface* auto_depth_ = nullptr;   // device-owned
    SwapChain swap_chain_;
    Surface* render_targets_[4] = {};
    Surface* depth_ = nullptr;
    IDirect3DBaseTexture9* textures_[kSamplerCount] = {};
    VertexDeclaration* declaration_ = nullptr;
    PixelShader* pixel_shader_ = nullptr;
    VertexShader* vertex_shader_ = nullptr;
    IDirect3DBaseTexture9* vertex_textures_[kVertexSamplerCount] = {};
    std::unique_ptr<PixelShaderDraw> pixel_draw_;    // made at the first draw with a pixel shader
    std::unique_ptr<VertexShaderDraw> vertex_draw_;  // and with a vertex shader
    bool in_scene_ = false;
    bool dialog_box_mode_ = false;
    UINT frame_latency_ = 3;
};

}  // namespace d3d9
