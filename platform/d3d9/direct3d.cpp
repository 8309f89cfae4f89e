// The Direct3D 9 object: adapter queries, format checks, capabilities and device creation, and the
// module's creation exports.
#include <cstdio>
#include <cstring>

#include "platform/d3d9/capabilities.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/multisample.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/d3d9/trace.h"
#include "platform/host/host.h"

namespace d3d9 {
namespace {

class Direct3D final : public ComObject<IDirect3D9Ex> {
  public:
    explicit Direct3D(bool ex) : profile_(D3D9GetCapabilityProfile()), ex_(ex) {}

    UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER9* id) override {
        Trace("IDirect3D9::GetAdapterIdentifier", adapter, flags, id);
        if (adapter != 0 || !id) return D3DERR_INVALIDCALL;
        std::memset(id, 0, sizeof *id);
        std::snprintf(id->Driver, sizeof id->Driver, "korvalund_d3d9");
        std::snprintf(id->Description, sizeof id->Description, "Korvalund software rasteriser");
        std::snprintf(id->DeviceName, sizeof id->DeviceName, "\\\\.\\DISPLAY1");
        id->WHQLLevel = 1;
        return D3D_OK;
    }

    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        Trace("IDirect3D9::GetAdapterModeCount", adapter, format);
        UINT count = 0;
        DisplayModes(&count);
        return adapter == 0 && IsDisplayFormat(format) ? count : 0;
    }

    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                               D3DDISPLAYMODE* out) override {
        Trace("IDirect3D9::EnumAdapterModes", adapter, format, mode, out);
        UINT count = 0;
        const DisplayModeSize* modes = DisplayModes(&count);
        if (adapter != 0 || !out || !IsDisplayFormat(format) || mode >= count) return D3DERR_INVALIDCALL;
        *out = {modes[mode].width, modes[mode].height, profile_.refresh_rate, format};
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        Trace("IDirect3D9::GetAdapterDisplayMode", adapter, mode);
        if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
        *mode = {profile_.desktop_width, profile_.desktop_height, profile_.refresh_rate, DesktopFormat()};
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapter_format,
                                                DWORD usage, D3DRESOURCETYPE resource,
                                                D3DFORMAT format) override {
        Trace("IDirect3D9::CheckDeviceFormat", adapter, type, adapter_format, usage, resource, format);
        if (adapter != 0 || type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapter_format))
            return D3DERR_INVALIDCALL;
        bool ok;
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            ok = format != D3DFMT_D16_LOCKABLE && IsDepthStencilFormat(profile_, format) &&
                 resource == D3DRTYPE_SURFACE;
        else if (usage & D3DUSAGE_RENDERTARGET)
            ok = IsRenderTargetFormat(profile_, format) &&
                 (resource == D3DRTYPE_SURFACE || resource == D3DRTYPE_TEXTURE);
        else
            ok = IsTextureFormat(profile_, format) &&
                 (resource == D3DRTYPE_SURFACE || resource == D3DRTYPE_TEXTURE ||
                  (resource == D3DRTYPE_VOLUMETEXTURE && !IsBlockFormat(format)));
        return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                                         BOOL windowed, D3DMULTISAMPLE_TYPE multisample,
                                                         DWORD* quality_levels) override {
        Trace("IDirect3D9::CheckDeviceMultiSampleType", adapter, type, format, windowed, multisample,
              quality_levels);
        if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
        if (!MultisampleOffered(profile_, format, multisample)) return D3DERR_NOTAVAILABLE;
        if (quality_levels) *quality_levels = 1;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapter_format,
                                                     D3DFORMAT target_format,
                                                     D3DFORMAT depth_format) override {
        Trace("IDirect3D9::CheckDepthStencilMatch", adapter, type, adapter_format, target_format,
              depth_format);
        if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
        return IsDepthStencilFormat(profile_, depth_format) && IsRenderTargetFormat(profile_, target_format)
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override {
        Trace("IDirect3D9::GetDeviceCaps", adapter, type, caps);
        if (adapter != 0 || type != D3DDEVTYPE_HAL || !caps) return D3DERR_INVALIDCALL;
        FillCaps(profile_, caps);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
                                           D3DPRESENT_PARAMETERS* params,
                                           IDirect3DDevice9** device) override {
        Trace("IDirect3D9::CreateDevice", adapter, type, focus, behavior, params, device);
        Device* made = nullptr;
        HRESULT hr = Create("CreateDevice", adapter, type, focus, behavior, params, false, &made);
        if (device) *device = made;
        return hr;
    }

    HRESULT STDMETHODCALLTYPE CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
                                             D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* mode,
                                             IDirect3DDevice9Ex** device) override {
        Trace("IDirect3D9Ex::CreateDeviceEx", adapter, type, focus, behavior, params, mode, device);
        if (params && !params->Windowed && (!mode || mode->Size != sizeof(D3DDISPLAYMODEEX))) {
            if (device) *device = nullptr;
            return D3DERR_INVALIDCALL;
        }
        Device* made = nullptr;
        HRESULT hr = Create("CreateDeviceEx", adapter, type, focus, behavior, params, true, &made);
        if (device) *device = made;
        return hr;
    }

  protected:
    bool IsKnownInterface(REFIID riid) const override {
        return riid == IID_IDirect3D9 || (ex_ && riid == IID_IDirect3D9Ex);
    }

  private:
    D3DFORMAT DesktopFormat() const {
        if (profile_.desktop_format != D3DFMT_UNKNOWN) return profile_.desktop_format;
        return HostDesktopMode().bits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    }

    HRESULT Create(const char* method, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
                   D3DPRESENT_PARAMETERS* params, bool ex, Device** device) {
        if (!device || !params || adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
        *device = nullptr;
        const DWORD vertex_processing = D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                        D3DCREATE_MIXED_VERTEXPROCESSING;
        DWORD vp = behavior & vertex_processing;
        if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
            vp != D3DCREATE_MIXED_VERTEXPROCESSING)
            return D3DERR_INVALIDCALL;
        if (!focus && !params->hDeviceWindow) return D3DERR_INVALIDCALL;
        if (params->BackBufferCount > 3 || params->SwapEffect < D3DSWAPEFFECT_DISCARD ||
            params->SwapEffect > D3DSWAPEFFECT_COPY)
            return D3DERR_INVALIDCALL;
        // A multisampled back buffer is discarded at each present and cannot be locked.
        if (params->MultiSampleType != D3DMULTISAMPLE_NONE &&
            (!MultisampleOffered(profile_, params->BackBufferFormat, params->MultiSampleType) ||
             params->MultiSampleQuality != 0 || params->SwapEffect != D3DSWAPEFFECT_DISCARD ||
             (params->Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)))
            return D3DERR_INVALIDCALL;
        D3DPRESENT_PARAMETERS p = *params;
        if (p.Windowed) {
            if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = DesktopFormat();
            if (p.BackBufferWidth == 0) p.BackBufferWidth = 640;
            if (p.BackBufferHeight == 0) p.BackBufferHeight = 480;
            if (!IsDisplayFormat(p.BackBufferFormat)) return D3DERR_INVALIDCALL;
        } else if (!IsDisplayFormat(p.BackBufferFormat) || p.BackBufferWidth == 0 ||
                   p.BackBufferHeight == 0) {
            return D3DERR_INVALIDCALL;
        }
        if (p.BackBufferCount == 0) p.BackBufferCount = 1;
        if (p.EnableAutoDepthStencil && !IsDepthStencilFormat(profile_, p.AutoDepthStencilFormat))
            return D3DERR_INVALIDCALL;
        if (p.BackBufferWidth > 8192 || p.BackBufferHeight > 8192) return D3DERR_INVALIDCALL;
        if (D3D9TakeCreationFailure(method)) return D3DERR_NOTAVAILABLE;
        if (D3D9DeviceLostSwitch()) return D3DERR_DEVICELOST;
        *params = p;
        *device = new Device(p, focus, profile_, ex);
        return D3D_OK;
    }

    D3D9CapabilityProfile profile_;
    bool ex_;
};

}  // namespace
}  // namespace d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT sdk_version) {
    d3d9::Trace("Direct3DCreate9", sdk_version);
    if (sdk_version != D3D_SDK_VERSION || D3D9TakeCreationFailure("Direct3DCreate9")) return nullptr;
    return new d3d9::Direct3D(false);
}

HRESULT WINAPI Direct3DCreate9Ex(UINT sdk_version, IDirect3D9Ex** object) {
    d3d9::Trace("Direct3DCreate9Ex", sdk_version, object);
    if (!object) return D3DERR_INVALIDCALL;
    *object = nullptr;
    if (sdk_version != D3D_SDK_VERSION) return D3DERR_INVALIDCALL;
    if (D3D9TakeCreationFailure("Direct3DCreate9Ex")) return D3DERR_NOTAVAILABLE;
    *object = new d3d9::Direct3D(true);
    return D3D_OK;
}
