// Time per synthetic game frame on the Direct3D 9 stand-in: 350 tiles of 20x20 from one texture, 40
// alpha-tested 40x40 sprites and 10 alpha-blended ones on a 400x300 R5G6B5 render target, then the
// 2x stretch onto an 800x600 back buffer; its draw part alone, and the same blits through SDL2. The game's
// own shapes (many small quads, its screen at twice its size, a translucent cover). And the time of a
// Present of an 800x600 R5G6B5 back buffer into a headless window of that client size.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"
#include "tests/platform/d3d9/game_shapes.h"

namespace {

using bench::AppendQuad;
using bench::GameShapes;
using bench::MakeDevice;
using bench::Vertex;

// The synthetic frame's device, atlas and quads.
class SyntheticFrame {
  public:
    SyntheticFrame() {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        device_ = MakeDevice(d3d_);
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back_);
        device_->CreateRenderTarget(400, 300, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, FALSE, &screen_,
                                    nullptr);

        device_->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &atlas_, nullptr);
        D3DLOCKED_RECT lr;
        atlas_->LockRect(0, &lr, nullptr, 0);
        std::mt19937 rng(1);
        texels.resize(256 * 256);
        for (uint32_t& t : texels) t = (rng() % 4 == 0 ? 0u : 0xFF000000u) | (rng() & 0xFFFFFF);
        for (int y = 0; y < 256; ++y)
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, &texels[size_t(y) * 256], 256 * 4);
        atlas_->UnlockRect(0);

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

        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetFVF(0x144);
        device_->SetTexture(0, atlas_);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device_->SetRenderState(D3DRS_ALPHAREF, 16);
    }
    ~SyntheticFrame() {
        device_->SetTexture(0, nullptr);
        atlas_->Release();
        screen_->Release();
        back_->Release();
        device_->Release();
        d3d_->Release();
    }

    // The 400 quads onto the 400 x 300 target.
    void DrawPart() {
        device_->SetRenderTarget(0, screen_);
        device_->BeginScene();
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        Draw(tiles);
        Draw(sprites);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        Draw(blended);
        device_->EndScene();
    }
    void StretchPart() {
        device_->StretchRect(screen_, nullptr, back_, nullptr, D3DTEXF_NONE);
        device_->SetRenderTarget(0, back_);
    }

    std::vector<uint32_t> texels;
    std::vector<Vertex> tiles, sprites, blended;

  private:
    void Draw(const std::vector<Vertex>& v) {
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(), sizeof(Vertex));
    }

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DSurface9* back_ = nullptr;
    IDirect3DSurface9* screen_ = nullptr;
    IDirect3DTexture9* atlas_ = nullptr;
};

void BM_SyntheticGameFrame(benchmark::State& state) {
    SyntheticFrame frame;
    for (auto _ : state) {
        frame.DrawPart();
        frame.StretchPart();
    }
}
BENCHMARK(BM_SyntheticGameFrame)->Unit(benchmark::kMicrosecond);

void BM_SyntheticDrawPart(benchmark::State& state) {
    SyntheticFrame frame;
    for (auto _ : state) frame.DrawPart();
}
BENCHMARK(BM_SyntheticDrawPart)->Unit(benchmark::kMicrosecond);

// The same sprites and tiles through SDL2's blitter: alpha blending of the 0-or-255 texel alpha draws
// what the alpha test draws, and the blended sprites take an alpha modulation of 128.
void BM_SyntheticDrawPartSdl2(benchmark::State& state) {
    SyntheticFrame frame;
    SDL_Surface* atlas = SDL_CreateRGBSurfaceWithFormatFrom(frame.texels.data(), 256, 256, 32, 256 * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 400, 300, 16, SDL_PIXELFORMAT_RGB565);
    SDL_SetSurfaceBlendMode(atlas, SDL_BLENDMODE_BLEND);
    auto blit = [&](const std::vector<Vertex>& quads) {
        for (size_t i = 0; i < quads.size(); i += 6) {
            const Vertex& v = quads[i];
            const float w = quads[i + 1].x - v.x, h = quads[i + 2].y - v.y;
            SDL_Rect from{int(v.u * 256 + 0.5f), int(v.v * 256 + 0.5f), int(w), int(h)};
            SDL_Rect to{int(v.x + 0.5f), int(v.y + 0.5f), int(w), int(h)};
            SDL_BlitSurface(atlas, &from, screen, &to);
        }
    };
    for (auto _ : state) {
        SDL_SetSurfaceAlphaMod(atlas, 255);
        blit(frame.tiles);
        blit(frame.sprites);
        SDL_SetSurfaceAlphaMod(atlas, 128);
        blit(frame.blended);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(screen);
    SDL_FreeSurface(atlas);
}
BENCHMARK(BM_SyntheticDrawPartSdl2)->Unit(benchmark::kMicrosecond);

void BM_SmallQuads(benchmark::State& state) {
    GameShapes shapes;
    for (auto _ : state) shapes.Draw(shapes.small_, true);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(shapes.small_.size() / 6));
}
BENCHMARK(BM_SmallQuads)->Unit(benchmark::kMicrosecond);

void BM_ScreenDoubled(benchmark::State& state) {
    GameShapes shapes;
    for (auto _ : state) shapes.Draw(shapes.doubled_, true);
}
BENCHMARK(BM_ScreenDoubled)->Unit(benchmark::kMicrosecond);

void BM_ScreenCover(benchmark::State& state) {
    GameShapes shapes;
    for (auto _ : state) shapes.Draw(shapes.cover_, false);
}
BENCHMARK(BM_ScreenCover)->Unit(benchmark::kMicrosecond);

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
    IDirect3DDevice9* device = MakeDevice(d3d, D3DFMT_R5G6B5, window);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
    for (auto _ : state) device->Present(nullptr, nullptr, nullptr, nullptr);
    device->Release();
    d3d->Release();
    DestroyWindow(window);
}
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond);

}  // namespace
