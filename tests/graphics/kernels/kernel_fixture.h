// The device fixture for the Direct3D kernels: a draw target of a given size, graphics built by hand
// (an image block, an entry and its draw tiles, over textures filled by LockRect, cut at a chosen texture
// edge), the target read back, and the same pictures drawn by the software kernels.
#pragma once

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {

// A hand-made graphic: freed with its textures at the end of the test.
struct TestGraphic {
    GraphicEntry* entry = nullptr;
    std::vector<IDirect3DTexture9*> textures;
    ~TestGraphic() {
        for (IDirect3DTexture9* t : textures) t->Release();
        if (entry) std::free(entry->block);
        std::free(entry);
    }
};

inline int PowerOfTwoAtLeast(int v) {
    int p = 1;
    while (p < v) p *= 2;
    return p;
}

class KernelFixture : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        static const bool built = (BuildSoftBlendTables(), true);
        (void)built;
        savedScreen_ = screenSettings;
    }
    void TearDown() override {
        SetCachedTexture(0, 0);
        SetCachedTexture(1, 0);
        graphics_.clear();
        screenSettings = savedScreen_;
        ResetDrawTargetStateForTests();
        DrawFixture::TearDown();
    }

    // A device with a 32-bit target of w x h filled with `background`; the draw area is the whole target.
    void MakeTarget(int w, int h, uint32_t background = 0) {
        MakeDevice(UINT(w), UINT(h));
        screenSettings.width = w, screenSettings.height = h, screenSettings.colorBits = 32;
        width_ = w, height_ = h;
        DrawTargetState& t = drawTargetState;
        t.width = w, t.height = h, t.emptyArea = 0;
        t.area = t.requested = IntRect{0, 0, w, h};
        t.areaF[0] = 0.0f, t.areaF[1] = 0.0f, t.areaF[2] = float(w), t.areaF[3] = float(h);
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
    }

    // The blend mode and draw bright as the draw settings' setters leave them for the kernels.
    static void SetDrawState(int mode, int param, uint32_t bright) {
        drawSettings.blendMode = mode, drawSettings.blendParam = param, drawSettings.bright = bright;
        drawSettings.packedDrawColor =
            (mode != 0 ? uint32_t(param) << 24 : 0xFF000000u) | (bright & 0xFFFFFFu);
    }

    // A graphic of w x h ARGB pixels held in textures of at most `edge` pixels a side.
    GraphicEntry* MakeGraphic(int w, int h, const std::vector<uint32_t>& argb, int edge = 2048,
                              bool alphaChannel = false) {
        auto g = std::make_unique<TestGraphic>();
        const int cols = (w + edge - 1) / edge, rows = (h + edge - 1) / edge, n = cols * rows;
        auto* block = static_cast<GraphicImageBlock*>(std::calloc(1, size_t(GraphicImageBlockSize(n))));
        auto* entry = static_cast<GraphicEntry*>(std::calloc(1, size_t(GraphicEntrySize(n))));
        block->referenceCount = 1, block->width = w, block->height = h, block->textureCount = n;
        block->description.hasTextures = 1, block->description.alphaChannel = alphaChannel;
        entry->block = block, entry->width = w, entry->height = h, entry->drawTileCount = n;
        for (int i = 0; i < n; ++i) {
            const int x = (i % cols) * edge, y = (i / cols) * edge;
            const int uw = std::min(edge, w - x), uh = std::min(edge, h - y);
            const int tw = PowerOfTwoAtLeast(uw), th = PowerOfTwoAtLeast(uh);
            IDirect3DTexture9* t = nullptr;
            EXPECT_EQ(Device()->CreateTexture(UINT(tw), UINT(th), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t,
                                              nullptr),
                      D3D_OK);
            D3DLOCKED_RECT lr;
            t->LockRect(0, &lr, nullptr, 0);
            for (int row = 0; row < uh; ++row)
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + row * lr.Pitch,
                            &argb[size_t((y + row) * w + x)], size_t(uw) * 4);
            t->UnlockRect(0);
            g->textures.push_back(t);
            block->tiles[i] = {t, nullptr, nullptr, nullptr, x, y, uw, uh, tw, th, nullptr};
            GraphicDrawTile& d = entry->drawTiles[i];
            d.x = x, d.y = y, d.width = uw, d.height = uh, d.tile = &block->tiles[i];
            const float u1 = float(uw) / float(tw), v1 = float(uh) / float(th);
            d.corners[0] = {float(x), float(y), 0, 0};
            d.corners[1] = {float(x + uw), float(y), u1, 0};
            d.corners[2] = {float(x), float(y + uh), 0, v1};
            d.corners[3] = {float(x + uw), float(y + uh), u1, v1};
            for (int k = 0; k < 4; ++k) {
                // Upper-left triangle: on or above the diagonal from the bottom-left to the top-right corner.
                const float cx = d.corners[k].x / float(w), cy = d.corners[k].y / float(h);
                d.cornerSides[k] = cx + cy <= 1.0f ? 1 : 0;
            }
        }
        g->entry = entry;
        graphics_.push_back(std::move(g));
        return entry;
    }

    // A part (w x h at x, y) of a one-texture graphic, sharing its texture and image block.
    GraphicEntry* MakePart(const GraphicEntry* sheet, int x, int y, int w, int h) {
        auto g = std::make_unique<TestGraphic>();
        auto* entry = static_cast<GraphicEntry*>(std::calloc(1, size_t(GraphicEntrySize(1))));
        auto* block = static_cast<GraphicImageBlock*>(std::calloc(1, size_t(GraphicImageBlockSize(1))));
        *block = *sheet->block;  // a copy the part owns, pointing at the sheet's texture
        entry->block = block, entry->x = x, entry->y = y, entry->width = w, entry->height = h;
        entry->drawTileCount = 1;
        const GraphicTextureTile& t = sheet->block->tiles[0];
        const float tw = float(t.textureWidth), th = float(t.textureHeight);
        GraphicDrawTile& d = entry->drawTiles[0];
        d.width = w, d.height = h, d.textureX = x, d.textureY = y, d.tile = &sheet->block->tiles[0];
        d.corners[0] = {0, 0, float(x) / tw, float(y) / th};
        d.corners[1] = {float(w), 0, float(x + w) / tw, float(y) / th};
        d.corners[2] = {0, float(h), float(x) / tw, float(y + h) / th};
        d.corners[3] = {float(w), float(h), float(x + w) / tw, float(y + h) / th};
        for (int k = 0; k < 4; ++k) d.cornerSides[k] = k < 3 ? 1 : 0;
        g->entry = entry;
        graphics_.push_back(std::move(g));
        return entry;
    }

    // The current render target's pixels, alpha dropped.
    std::vector<uint32_t> ReadTarget() {
        EndSceneIfBegun();
        IDirect3DSurface9* rt = nullptr;
        Device()->GetRenderTarget(0, &rt);
        D3DSURFACE_DESC desc;
        rt->GetDesc(&desc);
        IDirect3DSurface9* sys = nullptr;
        Device()->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                              &sys, nullptr);
        Device()->GetRenderTargetData(rt, sys);
        std::vector<uint32_t> out(size_t(desc.Width * desc.Height));
        D3DLOCKED_RECT lr;
        sys->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x) {
                uint32_t p;
                std::memcpy(&p, static_cast<uint8_t*>(lr.pBits) + y * UINT(lr.Pitch) + x * 4, 4);
                out[y * desc.Width + x] = p & 0xFFFFFF;
            }
        sys->UnlockRect();
        sys->Release();
        rt->Release();
        return out;
    }

    // Pixels of a software target of the same size after `draw` ran on it with the given state.
    template <class Draw>
    std::vector<uint32_t> SoftwareTarget(uint32_t background, int mode, int param, uint32_t bright,
                                         Draw draw) {
        MEMIMG target{};
        EXPECT_EQ(InitMemImg(&target, width_, height_, -1, 0, 1, 0, 0, 0, nullptr), 0);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                std::memcpy(target.pixels + y * target.base->pitch + x * 4, &background, 4);
        const int32_t clip[4] = {0, 0, width_, height_};
        SetSoftClipRect(clip);
        SetSoftBlendMode(mode, param);
        SetSoftDrawBright(bright);
        draw(&target);
        std::vector<uint32_t> out(size_t(width_ * height_));
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                uint32_t p;
                std::memcpy(&p, target.pixels + y * target.base->pitch + x * 4, 4);
                out[size_t(y * width_ + x)] = p & 0xFFFFFF;
            }
        ReleaseMemImg(&target);
        return out;
    }

    // Largest per-channel difference of two pictures.
    static int MaxChannelDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        int worst = 0;
        for (size_t i = 0; i < a.size(); ++i)
            for (int s : {0, 8, 16})
                worst = std::max(worst, std::abs(int((a[i] >> s) & 255) - int((b[i] >> s) & 255)));
        return worst;
    }

    int width_ = 0, height_ = 0;

  private:
    std::vector<std::unique_ptr<TestGraphic>> graphics_;
    ScreenSettings savedScreen_{};
};

// A picture whose every pixel differs from its neighbours: seams, offsets and flips show.
inline std::vector<uint32_t> PatternPixels(int w, int h, uint32_t alpha = 0xFF000000u) {
    std::vector<uint32_t> p(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[size_t(y * w + x)] = alpha | (uint32_t(x * 7 + y * 3) % 128 + 128) << 16 |
                                   (uint32_t(x) & 255) << 8 | (uint32_t(y * 5 + x / 256) & 255);
    return p;
}

}  // namespace graphics_test
