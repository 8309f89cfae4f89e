// Time per synthetic game frame on the Direct3D 9 stand-in: 350 tiles of 20x20 from one texture, 40
// alpha-tested 40x40 sprites and 10 alpha-blended ones on a 400x300 R5G6B5 render target, then the
// 2x stretch onto an 800x600 back buffer. And the time of a Present of an 800x600 R5G6B5 back buffer into a
// headless window of that client size.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"

namespace {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

void AppendQuad(std::vector<Vertex>& out, float x, float y, float w, float h, float u0, float v0, float u1,
                float v1, D3DCOLOR color) {
    x -= 0.5f, y -= 0.5f;
    Vertex tl{x, y, 0, 1, color, u0, v0}, tr{x + w, y, 0, 1, color, u1, v0},
        bl{x, y + h, 0, 1, color, u0, v1}, br{x + w, y + h, 0, 1, color, u1, v1};
    out.insert(out.end(), {tl, tr, bl, br, bl, tr});
}

void BM_SyntheticGameFrame(benchmark::State& state) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t(1));
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, pp.hDeviceWindow, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    IDirect3DSurface9* back = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    IDirect3DSurface9* screen = nullptr;
    device->CreateRenderTarget(400, 300, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, FALSE, &screen, nullptr);

    IDirect3DTexture9* atlas = nullptr;
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &atlas, nullptr);
    D3DLOCKED_RECT lr;
    atlas->LockRect(0, &lr, nullptr, 0);
    std::mt19937 rng(1);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] =
                (rng() % 4 == 0 ? 0u : 0xFF000000u) | (rng() & 0xFFFFFF);
    atlas->UnlockRect(0);

    std::vector<Vertex> tiles, sprites, blended;
    for (int i = 0; i < 350; ++i)
        AppendQuad(tiles, float((i % 20) * 20), float((i / 20) * 20), 20, 20, (i % 12) * 20 / 256.0f,
                   (i % 7) * 20 / 256.0f, ((i % 12) * 20 + 20) / 256.0f, ((i % 7) * 20 + 20) / 256.0f,
                   0xFFFFFFFF);
    for (int i = 0; i < 40; ++i)
        AppendQuad(sprites, float(rng() % 360), float(rng() % 260), 40, 40, 0, 160 / 256.0f, 40 / 256.0f,
                   200 / 256.0f, 0xFFFFFFFF);
    for (int i = 0; i < 10; ++i)
        AppendQuad(blended, float(rng() % 360), float(rng() % 260), 40, 40, 40 / 256.0f, 160 / 256.0f,
                   80 / 256.0f, 200 / 256.0f, 0x80FFFFFF);

    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetFVF(0x144);
    device->SetTexture(0, atlas);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 16);

    auto draw = [&](const std::vector<Vertex>& v) {
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(), sizeof(Vertex));
    };
    for (auto _ : state) {
        device->SetRenderTarget(0, screen);
        device->BeginScene();
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        draw(tiles);
        draw(sprites);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        draw(blended);
        device->EndScene();
        device->StretchRect(screen, nullptr, back, nullptr, D3DTEXF_NONE);
        device->SetRenderTarget(0, back);
    }
    device->SetTexture(0, nullptr);
    atlas->Release();
    screen->Release();
    back->Release();
    device->Release();
    d3d->Release();
}
BENCHMARK(BM_SyntheticGameFrame)->Unit(benchmark::kMicrosecond);

void BM_Present(benchmark::State& state) {
    SetHostKind(HostKind::kHeadless);
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.lpszClassName = "PresentBenchWindow";
    RegisterClassExA(&window_class);
    HWND window = CreateWindowExA(0, "PresentBenchWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                  nullptr, nullptr, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_R5G6B5;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
    for (auto _ : state) device->Present(nullptr, nullptr, nullptr, nullptr);
    device->Release();
    d3d->Release();
    DestroyWindow(window);
}
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond);

}  // namespace
