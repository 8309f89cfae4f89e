// A device on a fresh Direct3D object, and helpers to fill textures, draw quads and read pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/draw.h"
#include "platform/d3d9/pixel_format.h"

namespace d3d9_test {

inline HWND TestWindow() {
    return reinterpret_cast<HWND>(uintptr_t(0x1234));
}

struct TexturedVertex {  // 0x144
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

struct ColorVertex {  // 0x44
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override { D3D9ResetControls(); }
    void TearDown() override {
        if (device) device->Release();
        if (d3d) d3d->Release();
        D3D9ResetControls();
        d3d9::SetFastPathsEnabled(true);
    }

    // A multisampled back buffer is discarded at each present and not lockable.
    void MakeDevice(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8, bool windowed = true,
                    D3DMULTISAMPLE_TYPE multisample = D3DMULTISAMPLE_NONE) {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        pp.BackBufferFormat = format;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = windowed;
        pp.hDeviceWindow = TestWindow();
        pp.Flags = multisample == D3DMULTISAMPLE_NONE ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
        pp.MultiSampleType = multisample;
        if (multisample != D3DMULTISAMPLE_NONE) pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                    &device),
                  D3D_OK);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
    }

    // A render target texture of the given format made the current target.
    IDirect3DTexture9* MakeTarget(UINT width, UINT height, D3DFORMAT format) {
        IDirect3DTexture9* rt = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &rt,
                                        nullptr),
                  D3D_OK);
        IDirect3DSurface9* s = nullptr;
        rt->GetSurfaceLevel(0, &s);
        EXPECT_EQ(device->SetRenderTarget(0, s), D3D_OK);
        s->Release();
        return rt;
    }

    // A managed texture filled with 0xAARRGGBB pixels, converted to `format` by a lock.
    IDirect3DTexture9* MakeTexture(UINT width, UINT height, D3DFORMAT format,
                                   const std::vector<uint32_t>& argb);

    // The pixels of the current render target as 0xAARRGGBB (through a system-memory copy).
    std::vector<uint32_t> ReadTarget();

    void DrawQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                  D3DCOLOR color) {
        TexturedVertex q[6] = {{x0, y0, 0, 1, color, u0, v0}, {x1, y0, 0, 1, color, u1, v0},
                               {x0, y1, 0, 1, color, u0, v1}, {x1, y1, 0, 1, color, u1, v1},
                               {x0, y1, 0, 1, color, u0, v1}, {x1, y0, 0, 1, color, u1, v0}};
        device->SetFVF(0x144);
        device->BeginScene();
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(TexturedVertex)), D3D_OK);
        device->EndScene();
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

inline IDirect3DTexture9* DeviceTest::MakeTexture(UINT width, UINT height, D3DFORMAT format,
                                                  const std::vector<uint32_t>& argb) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            uint8_t* p = static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch;
            d3d9::EncodePixel(format, p + x * d3d9::BytesPerPixel(format),
                              d3d9::ColorFromArgb(argb[y * width + x]));
        }
    t->UnlockRect(0);
    return t;
}

inline std::vector<uint32_t> DeviceTest::ReadTarget() {
    IDirect3DSurface9* rt = nullptr;
    device->GetRenderTarget(0, &rt);
    D3DSURFACE_DESC d;
    rt->GetDesc(&d);
    IDirect3DSurface9* sys = nullptr;
    EXPECT_EQ(
        device->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &sys, nullptr),
        D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(rt, sys), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> out(size_t(d.Width) * d.Height);
    for (UINT y = 0; y < d.Height; ++y)
        for (UINT x = 0; x < d.Width; ++x)
            out[y * d.Width + x] = d3d9::ArgbFromColor(d3d9::DecodePixel(
                d.Format,
                static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * d3d9::BytesPerPixel(d.Format)));
    sys->UnlockRect();
    sys->Release();
    rt->Release();
    return out;
}

}  // namespace d3d9_test
