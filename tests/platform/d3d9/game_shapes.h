// The game's shapes for the Direct3D 9 stand-in's benchmarks: screen-space textured quads, an 800x600
// device, and the game's own shapes (many small quads, its 400x300 screen drawn at twice its size, a
// half-transparent black cover).
#pragma once

#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace bench {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

inline void AppendQuad(std::vector<Vertex>& out, float x, float y, float w, float h, float u0, float v0,
                       float u1, float v1, D3DCOLOR color) {
    x -= 0.5f, y -= 0.5f;
    Vertex tl{x, y, 0, 1, color, u0, v0}, tr{x + w, y, 0, 1, color, u1, v0},
        bl{x, y + h, 0, 1, color, u0, v1}, br{x + w, y + h, 0, 1, color, u1, v1};
    out.insert(out.end(), {tl, tr, bl, br, bl, tr});
}

// A device with an 800x600 back buffer of the format, on the window (any handle when headless).
inline IDirect3DDevice9* MakeDevice(IDirect3D9* d3d, D3DFORMAT format = D3DFMT_X8R8G8B8,
                                    HWND window = reinterpret_cast<HWND>(uintptr_t(1))) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = format;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    return device;
}

// The game's own shapes on an 800x600 X8R8G8B8 back buffer: many small quads (the cost of each quad
// beyond its pixels), its 400x300 screen texture drawn at twice its size, and a half-transparent black
// cover over the screen.
class GameShapes {
  public:
    GameShapes() {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        device_ = MakeDevice(d3d_);
        device_->CreateTexture(400, 300, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &screen_, nullptr);
        D3DLOCKED_RECT lr;
        screen_->LockRect(0, &lr, nullptr, 0);
        std::mt19937 rng(2);
        texels.resize(400 * 300);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const uint32_t texel = rng();
                texels[size_t(y) * 400 + x] = texel;
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &texel, 4);
            }
        screen_->UnlockRect(0);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        for (int i = 0; i < 1000; ++i)
            AppendQuad(small_, float((i % 50) * 16), float((i / 50) * 16), 8, 8, (i % 40) * 8 / 400.0f,
                       (i % 30) * 8 / 300.0f, ((i % 40) * 8 + 8) / 400.0f, ((i % 30) * 8 + 8) / 300.0f,
                       0xFFFFFFFF);
        AppendQuad(doubled_, 0, 0, 800, 600, 0, 0, 1, 1, 0xFFFFFFFF);
        AppendQuad(cover_, 0, 0, 400, 300, 0, 0, 1, 1, 0xC8000000);
    }
    ~GameShapes() {
        device_->SetTexture(0, nullptr);
        screen_->Release();
        device_->Release();
        d3d_->Release();
    }

    void Draw(const std::vector<Vertex>& quads, bool textured) {
        device_->BeginScene();
        device_->SetTexture(0, textured ? screen_ : nullptr);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, !textured);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetFVF(0x144);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads.size() / 3), quads.data(), sizeof(Vertex));
        device_->EndScene();
    }

    IDirect3DDevice9* device() const { return device_; }

    // The back buffer's pixels, 0xXXRRGGBB by row.
    std::vector<uint32_t> ReadBackBuffer() const {
        IDirect3DSurface9 *back = nullptr, *copy = nullptr;
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        device_->CreateOffscreenPlainSurface(800, 600, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        device_->GetRenderTargetData(back, copy);
        D3DLOCKED_RECT lr;
        copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        std::vector<uint32_t> pixels(800 * 600);
        for (int y = 0; y < 600; ++y)
            std::memcpy(&pixels[size_t(y) * 800], static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch,
                        800 * 4);
        copy->UnlockRect();
        copy->Release();
        back->Release();
        return pixels;
    }

    std::vector<Vertex> small_, doubled_, cover_;
    std::vector<uint32_t> texels;  // the 400 x 300 screen texture's

  private:
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DTexture9* screen_ = nullptr;
};

}  // namespace bench
