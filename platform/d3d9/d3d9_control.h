// Switches of the Direct3D 9 stand-in for tests and hosts: the capability profile, the Ex export, an
// unsteady vertical blank, a lost device, creation failures, the call trace and the last presented picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9_types.h"

struct D3D9CapabilityProfile {
    DWORD vertex_shader_version = D3DVS_VERSION(0, 0);
    DWORD pixel_shader_version = D3DPS_VERSION(0, 0);
    bool blend_op = true;       // D3DPMISCCAPS_BLENDOP: the blend operation (and REVSUBTRACT) is honoured
    bool tss_arg_temp = false;  // D3DPMISCCAPS_TSSARGTEMP: stages may write the temporary register
    bool pow2 = true;           // D3DPTEXTURECAPS_POW2
    bool nonpow2_conditional = true;
    DWORD max_texture_width = 2048;
    DWORD max_texture_height = 2048;
    DWORD simultaneous_render_targets = 1;
    // Formats beyond the six packed colour formats and D16, as a shader-model-3 device of 2006 offers them:
    bool dxt_formats = true;        // DXT1-DXT5 textures and off-screen surfaces (not render targets)
    bool wide_formats = true;       // A16B16G16R16, G16R16 and the float formats, also as render targets
    bool luminance_formats = true;  // L8, A8L8, A8 textures
    bool depth24_formats = true;    // D24S8, D24X8, D32
    // The most samples a pixel of a multisampled render target or depth surface (2 and 4 up to it, for the
    // packed colour formats and the depth formats); below 2: no multisampling.
    DWORD multisample_samples = 4;
    // D3DFMT_UNKNOWN: the host desktop's depth (R5G6B5 on a 16-bit desktop, else X8R8G8B8).
    D3DFORMAT desktop_format = D3DFMT_UNKNOWN;
    UINT desktop_width = 1024;
    UINT desktop_height = 768;
    UINT refresh_rate = 60;
};

// The shader capabilities of a profile: none ("fixed"), vertex and pixel shader 2.0 with ps_2_x ("sm2"),
// or vertex and pixel shader 3.0 ("sm3"). The environment variable KORVALUND_D3D_PROFILE chooses those of
// the default profile (an unknown value gets a line on standard error and "fixed").
enum class D3D9ShaderProfile { kFixed, kSm2, kSm3 };
// Sets the profile's shader versions.
void D3D9ApplyShaderProfile(D3D9CapabilityProfile* profile, D3D9ShaderProfile shaders);
// The profile named ("fixed", "sm2", "sm3"); false for another name.
bool D3D9ParseShaderProfile(const char* name, D3D9ShaderProfile* shaders);

// The profile every new Direct3D object reports (the default one, with the environment's shaders, until
// changed).
void D3D9SetCapabilityProfile(const D3D9CapabilityProfile& profile);
D3D9CapabilityProfile D3D9GetCapabilityProfile();
D3D9CapabilityProfile D3D9DefaultCapabilityProfile();

// Whether "d3d9.dll" offers Direct3DCreate9Ex (off by default).
void D3D9SetExAvailable(bool available);
bool D3D9ExAvailable();

// Makes the vertical blank unsteady: every second wait lets one blank pass and waits for the next, so
// no two successive intervals agree (off by default: the blank is a steady 60 Hz grid).
void D3D9SetVerticalBlankJitter(bool jitter);
bool D3D9VerticalBlankJitter();

// Makes every device lost (TestCooperativeLevel answers D3DERR_DEVICELOST, the contents of DEFAULT-pool
// resources are dropped, Present fails, device creation fails). Cleared, a lost device answers
// D3DERR_DEVICENOTRESET and a new device can be made.
void D3D9SetDeviceLost(bool lost);
bool D3D9DeviceLostSwitch();

// Makes the next `count` calls of the named creation method fail (-1: every call) with D3DERR_NOTAVAILABLE
// (Direct3DCreate9 returns NULL). Names: "Direct3DCreate9", "Direct3DCreate9Ex", "CreateDevice",
// "CreateDeviceEx", "CreateTexture", "CreateVolumeTexture", "CreateVertexBuffer", "CreateIndexBuffer",
// "CreateRenderTarget", "CreateDepthStencilSurface", "CreateOffscreenPlainSurface",
// "CreateVertexDeclaration", "CreateVertexShader", "CreatePixelShader". Count 0 clears it. "PixelMemory"
// makes the next pixel allocations fail as the system's memory would; the creation then answers
// E_OUTOFMEMORY.
void D3D9FailCreation(const std::string& method, int count);
bool D3D9TakeCreationFailure(const char* method);

// The trace: when on, every call on a Direct3D or DirectDraw object is recorded as "Method(arg, ...)".
void D3D9SetTraceEnabled(bool enabled);
bool D3D9TraceEnabled();
std::vector<std::string> D3D9TakeTrace();

// The picture of the last Present and the present count: what the window's client area shows, as 32-bit
// 0xAARRGGBB rows (alpha 0xFF) of the client's size, or of the back buffer's size when the target is no
// window of the window stand-in.
struct D3D9PresentedPicture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;
    HWND window = nullptr;
    uint64_t present_count = 0;
};
D3D9PresentedPicture D3D9GetPresentedPicture();

// Back to the defaults of every switch above (tests call it between cases).
void D3D9ResetControls();
