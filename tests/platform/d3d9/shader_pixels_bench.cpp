// Time of the game's shapes (game_shapes.h) drawn through a pixel shader on the Direct3D 9 stand-in, beside
// the same shapes through the texture stages with and without their fast paths: its screen at twice its
// size (point and linear), 1000 small textured quads, the untextured cover. The shaders are the library's
// kind: texture times diffuse, and the diffuse colour.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/d3d9/d3d9_control.h"
#include "platform/d3d9/draw.h"
#include "tests/platform/d3d9/game_shapes.h"
#include "tools/shaders/shader_tokens.h"

namespace {

enum Path { kStagesFast, kStages, kShader };

IDirect3DPixelShader9* MakeShader(IDirect3DDevice9* device, bool textured) {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0);
    if (textured) {
        p.DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
        p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
        p.Op(kOpMul, {Destination(kRegColourOut, 0), Source(kRegTemp, 0), Source(kRegInput, 0)});
    } else {
        p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegInput, 0)});
    }
    const std::vector<uint8_t> code = p.End();
    IDirect3DPixelShader9* shader = nullptr;
    device->CreatePixelShader(reinterpret_cast<const DWORD*>(code.data()), &shader);
    return shader;
}

// The game's shapes on a device with shaders, drawn by the path.
class ShadedShapes {
  public:
    explicit ShadedShapes(Path path) : shapes_(MakeShapes(path)) {
        if (path == kShader) shader_ = MakeShader(shapes_->device(), textured_);
    }
    ~ShadedShapes() {
        shapes_->device()->SetPixelShader(nullptr);
        if (shader_) shader_->Release();
        shapes_.reset();
        d3d9::SetFastPathsEnabled(true);
        D3D9ResetControls();
    }
    // Draws untextured shapes after Textured(false).
    void Textured(bool textured) {
        textured_ = textured;
        if (!shader_) return;
        shader_->Release();
        shader_ = MakeShader(shapes_->device(), textured);
    }
    void Draw(const std::vector<bench::Vertex>& quads, DWORD filter = D3DTEXF_POINT) {
        IDirect3DDevice9* device = shapes_->device();
        device->SetPixelShader(shader_);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        shapes_->Draw(quads, textured_);
    }
    bench::GameShapes& shapes() { return *shapes_; }

  private:
    static std::unique_ptr<bench::GameShapes> MakeShapes(Path path) {
        D3D9CapabilityProfile profile;
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm2);
        D3D9SetCapabilityProfile(profile);
        d3d9::SetFastPathsEnabled(path != kStages);  // shaded quads take their own rectangle path
        return std::make_unique<bench::GameShapes>();
    }

    std::unique_ptr<bench::GameShapes> shapes_;
    IDirect3DPixelShader9* shader_ = nullptr;
    bool textured_ = true;
};

void BM_ShadedScreenDoubled(benchmark::State& state) {
    ShadedShapes s(Path(state.range(0)));
    for (auto _ : state) s.Draw(s.shapes().doubled_, DWORD(state.range(1)));
    state.SetItemsProcessed(int64_t(state.iterations()) * 800 * 600);
}
BENCHMARK(BM_ShadedScreenDoubled)
    ->ArgNames({"path", "filter"})
    ->ArgsProduct({{kStagesFast, kStages, kShader}, {D3DTEXF_POINT, D3DTEXF_LINEAR}})
    ->Unit(benchmark::kMicrosecond);

void BM_ShadedSmallQuads(benchmark::State& state) {
    ShadedShapes s(Path(state.range(0)));
    for (auto _ : state) s.Draw(s.shapes().small_);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(s.shapes().small_.size() / 6));
}
BENCHMARK(BM_ShadedSmallQuads)
    ->ArgName("path")
    ->DenseRange(kStagesFast, kShader)
    ->Unit(benchmark::kMicrosecond);

void BM_ShadedCover(benchmark::State& state) {
    ShadedShapes s(Path(state.range(0)));
    s.Textured(false);
    for (auto _ : state) s.Draw(s.shapes().cover_);
    state.SetItemsProcessed(int64_t(state.iterations()) * 400 * 300);
}
BENCHMARK(BM_ShadedCover)->ArgName("path")->DenseRange(kStagesFast, kShader)->Unit(benchmark::kMicrosecond);

}  // namespace
