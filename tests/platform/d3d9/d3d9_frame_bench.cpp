// Time per synthetic game frame on the Direct3D 9 stand-in: 350 tiles of 20x20 from one texture, 40
// alpha-tested 40x40 sprites and 10 alpha-blended ones on a 400x300 R5G6B5 render target, then the
// 2x stretch onto an 800x600 back buffer; its draw part alone, and the same blits through SDL2. The game's
// own shapes (many small quads, its screen at twice its size, a translucent cover), each beside SDL2's
// and pixman's drawing of the same picture, checked equal first (the cover's blend may round 2 apart).
// And the time of a Present of an 800x600 R5G6B5 back buffer into a headless window of that client size.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstdlib>
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

// ---- the game's shapes, on the stand-in and its peers ----

enum class Shape { kSmallQuads, kScreenDoubled, kScreenCover };
constexpr uint32_t kStartColour = 0xFF204060;

class StandInShapes {
  public:
    StandInShapes() { shapes_.device()->Clear(0, nullptr, D3DCLEAR_TARGET, kStartColour, 1.0f, 0); }
    void Draw(Shape shape) {
        if (shape == Shape::kSmallQuads) shapes_.Draw(shapes_.small_, true);
        if (shape == Shape::kScreenDoubled) shapes_.Draw(shapes_.doubled_, true);
        if (shape == Shape::kScreenCover) shapes_.Draw(shapes_.cover_, false);
    }
    std::vector<uint32_t> Picture() const { return shapes_.ReadBackBuffer(); }

  private:
    GameShapes shapes_;
};

// The quads' texel rectangles and places, as the vertices give them (corners half a pixel up and left).
struct QuadRect {
    int u, v, x, y, w, h;
};

std::vector<QuadRect> QuadRects(const std::vector<Vertex>& quads) {
    std::vector<QuadRect> out;
    for (size_t i = 0; i + 5 < quads.size(); i += 6) {
        const Vertex &a = quads[i], &b = quads[i + 3];
        out.push_back({int(a.u * 400 + 0.5f), int(a.v * 300 + 0.5f), int(a.x + 0.5f), int(a.y + 0.5f),
                       int(b.x - a.x), int(b.y - a.y)});
    }
    return out;
}

// SDL2's blitter on an 800x600 RGB888 surface: the quads as rectangle blits, the screen through
// SDL_BlitScaled, the cover as a blended blit of a translucent black surface.
class SdlShapes {
  public:
    SdlShapes() : texels_(GameShapes().texels), rects_(QuadRects(GameShapes().small_)) {
        texture_ =
            SDL_CreateRGBSurfaceWithFormatFrom(texels_.data(), 400, 300, 32, 400 * 4, SDL_PIXELFORMAT_RGB888);
        target_ = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_RGB888);
        cover_ = SDL_CreateRGBSurfaceWithFormat(0, 400, 300, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_FillRect(cover_, nullptr, 0xC8000000);
        SDL_SetSurfaceBlendMode(texture_, SDL_BLENDMODE_NONE);
        SDL_SetSurfaceBlendMode(cover_, SDL_BLENDMODE_BLEND);
        SDL_FillRect(target_, nullptr, kStartColour & 0xFFFFFF);
    }
    ~SdlShapes() {
        SDL_FreeSurface(cover_);
        SDL_FreeSurface(target_);
        SDL_FreeSurface(texture_);
    }
    void Draw(Shape shape) {
        if (shape == Shape::kSmallQuads) {
            for (const QuadRect& r : rects_) {
                SDL_Rect from{r.u, r.v, r.w, r.h}, to{r.x, r.y, r.w, r.h};
                SDL_BlitSurface(texture_, &from, target_, &to);
            }
        } else if (shape == Shape::kScreenDoubled) {
            SDL_Rect to{0, 0, 800, 600};
            SDL_BlitScaled(texture_, nullptr, target_, &to);
        } else {
            SDL_Rect to{0, 0, 400, 300};
            SDL_BlitSurface(cover_, nullptr, target_, &to);
        }
    }
    std::vector<uint32_t> Picture() const {
        std::vector<uint32_t> pixels(800 * 600);
        for (int y = 0; y < 600; ++y)
            std::memcpy(&pixels[size_t(y) * 800],
                        static_cast<const uint8_t*>(target_->pixels) + y * target_->pitch, 800 * 4);
        return pixels;
    }

  private:
    std::vector<uint32_t> texels_;
    std::vector<QuadRect> rects_;
    SDL_Surface *texture_ = nullptr, *target_ = nullptr, *cover_ = nullptr;
};

// pixman on an 800x600 x8r8g8b8 image: the quads as SRC composites, the screen through a nearest
// half-scale transform, the cover as OVER of a solid translucent black.
class PixmanShapes {
  public:
    PixmanShapes()
        : texels_(GameShapes().texels),
          rects_(QuadRects(GameShapes().small_)),
          pixels_(800 * 600, kStartColour) {
        texture_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, 400, 300, texels_.data(), 400 * 4);
        scaled_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, 400, 300, texels_.data(), 400 * 4);
        pixman_transform_t half;
        pixman_transform_init_scale(&half, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
        pixman_image_set_transform(scaled_, &half);
        pixman_image_set_filter(scaled_, PIXMAN_FILTER_NEAREST, nullptr, 0);
        target_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, 800, 600, pixels_.data(), 800 * 4);
        const pixman_color_t black{0, 0, 0, uint16_t(0xC8 * 257)};
        cover_ = pixman_image_create_solid_fill(&black);
    }
    ~PixmanShapes() {
        for (pixman_image_t* image : {cover_, target_, scaled_, texture_}) pixman_image_unref(image);
    }
    void Draw(Shape shape) {
        if (shape == Shape::kSmallQuads) {
            for (const QuadRect& r : rects_)
                pixman_image_composite32(PIXMAN_OP_SRC, texture_, nullptr, target_, r.u, r.v, 0, 0, r.x, r.y,
                                         r.w, r.h);
        } else if (shape == Shape::kScreenDoubled) {
            pixman_image_composite32(PIXMAN_OP_SRC, scaled_, nullptr, target_, 0, 0, 0, 0, 0, 0, 800, 600);
        } else {
            pixman_image_composite32(PIXMAN_OP_OVER, cover_, nullptr, target_, 0, 0, 0, 0, 0, 0, 400, 300);
        }
    }
    std::vector<uint32_t> Picture() const { return pixels_; }

  private:
    std::vector<uint32_t> texels_;
    std::vector<QuadRect> rects_;
    std::vector<uint32_t> pixels_;
    pixman_image_t *texture_ = nullptr, *scaled_ = nullptr, *target_ = nullptr, *cover_ = nullptr;
};

// Largest channel difference of two pictures (0xXXRRGGBB).
int LargestDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255)));
    return worst;
}

// Times one shape on one library, after checking that the library draws the stand-in's picture.
template <class Library>
void BM_GameShape(benchmark::State& state, Shape shape) {
    StandInShapes reference;
    reference.Draw(shape);
    Library library;
    library.Draw(shape);
    const int difference = LargestDifference(reference.Picture(), library.Picture());
    state.counters["max_diff"] = difference;
    if (difference > (shape == Shape::kScreenCover ? 2 : 0)) {
        state.SkipWithError("a different picture from the stand-in's");
        return;
    }
    for (auto _ : state) {
        library.Draw(shape);
        benchmark::ClobberMemory();
    }
    if (shape == Shape::kSmallQuads) state.SetItemsProcessed(int64_t(state.iterations()) * 1000);
}
void BM_StandIn(benchmark::State& state, Shape shape) {
    BM_GameShape<StandInShapes>(state, shape);
}
void BM_Sdl2(benchmark::State& state, Shape shape) {
    BM_GameShape<SdlShapes>(state, shape);
}
void BM_Pixman(benchmark::State& state, Shape shape) {
    BM_GameShape<PixmanShapes>(state, shape);
}
BENCHMARK_CAPTURE(BM_StandIn, SmallQuads, Shape::kSmallQuads)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Sdl2, SmallQuads, Shape::kSmallQuads)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pixman, SmallQuads, Shape::kSmallQuads)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StandIn, ScreenDoubled, Shape::kScreenDoubled)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Sdl2, ScreenDoubled, Shape::kScreenDoubled)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pixman, ScreenDoubled, Shape::kScreenDoubled)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StandIn, ScreenCover, Shape::kScreenCover)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Sdl2, ScreenCover, Shape::kScreenCover)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pixman, ScreenCover, Shape::kScreenCover)->Unit(benchmark::kMicrosecond);

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
