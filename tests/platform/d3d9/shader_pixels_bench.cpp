// Time of the game's shapes drawn through a pixel shader on the Direct3D 9 stand-in, beside the same
// shapes through the texture stages (with and without their fast paths): a 400x300 screen texture drawn
// at twice its size onto 800x600 (point and linear), 1000 small textured quads, and a half-transparent
// untextured cover. The shaders are the library's kind: texture times diffuse, and the diffuse colour.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/draw.h"
#include "tools/shaders/shader_tokens.h"

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

std::vector<uint8_t> ModulateProgram() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    p.Op(kOpMul, {Destination(kRegColourOut, 0), Source(kRegTemp, 0), Source(kRegInput, 0)});
    return p.End();
}

std::vector<uint8_t> DiffuseProgram() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0);
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegInput, 0)});
    return p.End();
}

enum Path { kStagesFast, kStages, kShader };

class Shapes {
  public:
    explicit Shapes(Path path) {
        D3D9CapabilityProfile profile;
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm2);
        D3D9SetCapabilityProfile(profile);
        d3d9::SetFastPathsEnabled(path == kStagesFast);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 800, pp.BackBufferHeight = 600, pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_COPY, pp.Windowed = TRUE;
        pp.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t(1));
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, pp.hDeviceWindow, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                           &device_);
        device_->CreateTexture(400, 300, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &screen_, nullptr);
        D3DLOCKED_RECT lr;
        screen_->LockRect(0, &lr, nullptr, 0);
        std::mt19937 rng(2);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const uint32_t texel = rng();
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &texel, 4);
            }
        screen_->UnlockRect(0);
        if (path == kShader) {
            const std::vector<uint8_t> modulate = ModulateProgram(), diffuse = DiffuseProgram();
            device_->CreatePixelShader(reinterpret_cast<const DWORD*>(modulate.data()), &modulate_);
            device_->CreatePixelShader(reinterpret_cast<const DWORD*>(diffuse.data()), &diffuse_);
        }
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        for (int i = 0; i < 1000; ++i)
            AppendQuad(small, float((i % 50) * 16), float((i / 50) * 16), 8, 8, (i % 40) * 8 / 400.0f,
                       (i % 30) * 8 / 300.0f, ((i % 40) * 8 + 8) / 400.0f, ((i % 30) * 8 + 8) / 300.0f,
                       0xFFFFFFFF);
        AppendQuad(doubled, 0, 0, 800, 600, 0, 0, 1, 1, 0xFFFFFFFF);
        AppendQuad(cover, 0, 0, 400, 300, 0, 0, 1, 1, 0xC8000000);
    }
    ~Shapes() {
        device_->SetTexture(0, nullptr);
        device_->SetPixelShader(nullptr);
        for (IUnknown* u : std::initializer_list<IUnknown*>{modulate_, diffuse_, screen_, device_, d3d_})
            if (u) u->Release();
        d3d9::SetFastPathsEnabled(true);
        D3D9ResetControls();
    }

    void Draw(const std::vector<Vertex>& quads, bool textured, DWORD filter = D3DTEXF_POINT) {
        device_->BeginScene();
        device_->SetTexture(0, textured ? screen_ : nullptr);
        device_->SetPixelShader(textured ? modulate_ : diffuse_);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, textured ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, !textured);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetFVF(0x144);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads.size() / 3), quads.data(), sizeof(Vertex));
        device_->EndScene();
    }

    std::vector<Vertex> small, doubled, cover;

  private:
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DTexture9* screen_ = nullptr;
    IDirect3DPixelShader9* modulate_ = nullptr;
    IDirect3DPixelShader9* diffuse_ = nullptr;
};

void BM_ScreenDoubled(benchmark::State& state) {
    Shapes shapes(Path(state.range(0)));
    for (auto _ : state) shapes.Draw(shapes.doubled, true, DWORD(state.range(1)));
    state.SetItemsProcessed(int64_t(state.iterations()) * 800 * 600);
}
BENCHMARK(BM_ScreenDoubled)
    ->ArgNames({"path", "filter"})
    ->ArgsProduct({{kStagesFast, kStages, kShader}, {D3DTEXF_POINT, D3DTEXF_LINEAR}})
    ->Unit(benchmark::kMicrosecond);

void BM_SmallQuads(benchmark::State& state) {
    Shapes shapes(Path(state.range(0)));
    for (auto _ : state) shapes.Draw(shapes.small, true);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(shapes.small.size() / 6));
}
BENCHMARK(BM_SmallQuads)->ArgName("path")->DenseRange(kStagesFast, kShader)->Unit(benchmark::kMicrosecond);

void BM_Cover(benchmark::State& state) {
    Shapes shapes(Path(state.range(0)));
    for (auto _ : state) shapes.Draw(shapes.cover, false);
    state.SetItemsProcessed(int64_t(state.iterations()) * 400 * 300);
}
BENCHMARK(BM_Cover)->ArgName("path")->DenseRange(kStagesFast, kShader)->Unit(benchmark::kMicrosecond);

}  // namespace
