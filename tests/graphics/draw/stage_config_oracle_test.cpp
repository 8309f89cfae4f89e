// The stage configurations the game reaches (blend modes 0, 1 and 2; white or tinted bright; alpha
// channel or colour key; with and without the transparent flag) against the software kernels: a 4 x 4
// textured quad drawn on the device matches the software draw of the same pixels within 1 per channel.
// Both truncate their products; the software kernels divide some by 256 where the device divides by
// 255, which costs at most 1. One case allows 2: adding an alpha-channel source, where the software's
// masked add also drops the carry of two odd low bits (its non-packed add leaves do so by design).
// A wrong stage configuration is off by far more.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "engine/softrender/image_kernels.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

constexpr int kTarget = 8, kSide = 4, kAt = 2;
constexpr uint32_t kKey = 0x00FF00;

struct OracleCase {
    int mode, param;
    uint32_t bright;
    bool alphaChannel;  // else a colour key
    int transparent;
    int tolerance = 1;
};

class StageConfigOracleTest : public DrawFixture, public ::testing::WithParamInterface<OracleCase> {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        MakeDevice(kTarget, kTarget);
        static const bool built = (BuildSoftBlendTables(), true);
        (void)built;
        std::mt19937 rng(17);
        for (uint32_t& p : background_) p = rng() & 0xFFFFFF;
        for (int i = 0; i < kSide * kSide; ++i) {
            const uint32_t rgb = rng() & 0xFFFFFF;
            const uint32_t alphas[4] = {0, 0x50, 0xC3, 0xFF};
            source_[i] = (alphas[i % 4] << 24) | rgb;
            keyed_[i] = i % 3 == 0 ? kKey : (rgb == kKey ? rgb ^ 1 : rgb);
        }
    }

    std::vector<uint32_t> DrawOnDevice(const OracleCase& c) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(
            Device()->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
        D3DLOCKED_RECT lr;
        texture->LockRect(0, &lr, nullptr, 0);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const int i = y * kSide + x;
                const uint32_t keyed = keyed_[i] == kKey ? kKey : 0xFF000000u | keyed_[i];
                const uint32_t p = c.alphaChannel ? source_[i] : keyed;
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &p, 4);
            }
        texture->UnlockRect(0);
        IDirect3DSurface9* rt = nullptr;
        Device()->GetRenderTarget(0, &rt);
        IDirect3DSurface9* sys = nullptr;
        Device()->CreateOffscreenPlainSurface(kTarget, kTarget, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys,
                                              nullptr);
        sys->LockRect(&lr, nullptr, 0);
        for (int y = 0; y < kTarget; ++y)
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, &background_[y * kTarget],
                        kTarget * 4);
        sys->UnlockRect();
        Device()->UpdateSurface(sys, nullptr, rt, nullptr);

        drawSettings.blendMode = c.mode;
        drawSettings.blendParam = c.param;
        drawSettings.bright = c.bright;
        const uint32_t flags = (c.transparent ? uint32_t(kDrawTransparent) : 0u) | kDrawOneToOne |
                               uint32_t(c.alphaChannel ? kDrawAlphaChannel : kDrawAlphaTest);
        const uintptr_t t = reinterpret_cast<uintptr_t>(texture);
        PrepareDrawStates(t, flags);
        const D3DCOLOR colour = (uint32_t(c.mode ? c.param : 255) << 24) | c.bright;
        auto* v = static_cast<Vertex2DTex*>(ReserveBatchVertices(0, 1, D3DPT_TRIANGLELIST, 6));
        const float l = kAt - 0.5f, r = kAt + kSide - 0.5f;
        const float corners[6][4] = {{l, l, 0, 0}, {r, l, 1, 0}, {l, r, 0, 1},
                                     {r, r, 1, 1}, {l, r, 0, 1}, {r, l, 1, 0}};
        for (int i = 0; i < 6; ++i)
            v[i] = {corners[i][0], corners[i][1], 0, 1, colour, corners[i][2], corners[i][3]};
        FlushVertexBatch(0);
        EndSceneIfBegun();

        Device()->GetRenderTargetData(rt, sys);
        std::vector<uint32_t> out(kTarget * kTarget);
        sys->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        for (int y = 0; y < kTarget; ++y)
            std::memcpy(&out[y * kTarget], static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, kTarget * 4);
        sys->UnlockRect();
        sys->Release();
        rt->Release();
        SetCachedTexture(0, 0);
        texture->Release();
        return out;
    }

    std::vector<uint32_t> DrawInSoftware(const OracleCase& c) {
        MEMIMG target{}, source{};
        EXPECT_EQ(InitMemImg(&target, kTarget, kTarget, -1, 0, 1, 0, 0, 0, nullptr), 0);
        EXPECT_EQ(InitMemImg(&source, kSide, kSide, -1, c.alphaChannel ? 0 : kKey, 1, 0,
                             c.alphaChannel ? 1 : 0, 0, nullptr),
                  0);
        for (int y = 0; y < kTarget; ++y)
            std::memcpy(target.pixels + y * target.base->pitch, &background_[y * kTarget], kTarget * 4);
        for (int y = 0; y < kSide; ++y)
            std::memcpy(source.pixels + y * source.base->pitch,
                        c.alphaChannel ? &source_[y * kSide] : &keyed_[y * kSide], kSide * 4);
        MarkMemImgDrawn(source.base);
        const int32_t clip[4] = {0, 0, kTarget, kTarget};
        SetSoftClipRect(clip);
        SetSoftBlendMode(c.mode, c.param);
        SetSoftDrawBright(c.bright);
        SoftDrawImage(&target, &source, kAt, kAt, c.transparent, nullptr);
        std::vector<uint32_t> out(kTarget * kTarget);
        for (int y = 0; y < kTarget; ++y)
            std::memcpy(&out[y * kTarget], target.pixels + y * target.base->pitch, kTarget * 4);
        ReleaseMemImg(&source);
        ReleaseMemImg(&target);
        return out;
    }

    uint32_t background_[kTarget * kTarget];
    uint32_t source_[kSide * kSide];
    uint32_t keyed_[kSide * kSide];
};

TEST_P(StageConfigOracleTest, TheDeviceDrawMatchesTheSoftwareKernel) {
    const OracleCase c = GetParam();
    const auto device = DrawOnDevice(c);
    const auto software = DrawInSoftware(c);
    for (int i = 0; i < kTarget * kTarget; ++i)
        for (int shift : {0, 8, 16}) {
            const int d = int((device[i] >> shift) & 0xFF), s = int((software[i] >> shift) & 0xFF);
            EXPECT_LE(std::abs(d - s), c.tolerance)
                << "pixel " << i % kTarget << "," << i / kTarget << " shift " << shift << " device "
                << std::hex << device[i] << " software " << software[i];
        }
    // The quad was drawn at all: some pixel under it differs from the background.
    bool drawn = false;
    for (int y = kAt; y < kAt + kSide; ++y)
        for (int x = kAt; x < kAt + kSide; ++x)
            drawn |= (device[y * kTarget + x] & 0xFFFFFF) != background_[y * kTarget + x];
    EXPECT_TRUE(drawn);
}

const OracleCase kCases[] = {
    {0, 0, 0xFFFFFF, true, 1},      {0, 0, 0xC08040, true, 1},    {0, 0, 0xFFFFFF, false, 1},
    {0, 0, 0x80A0FF, false, 1},     {0, 0, 0xFFFFFF, false, 0},   {1, 200, 0xFFFFFF, true, 1},
    {1, 128, 0xC08040, true, 1},    {1, 200, 0xFFFFFF, false, 1}, {1, 90, 0x80A0FF, false, 1},
    {2, 255, 0xFFFFFF, true, 1, 2}, {2, 128, 0xC08040, true, 1},  {2, 200, 0xFFFFFF, false, 1},
    {2, 60, 0x80A0FF, false, 1},
};

INSTANTIATE_TEST_SUITE_P(GameBlends, StageConfigOracleTest, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace graphics_test
