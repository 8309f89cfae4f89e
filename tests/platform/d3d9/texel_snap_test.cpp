// Texture coordinates are resolved at 1/256 texel before the texel choice: a pixel centre on a texel edge
// and one a hair before it (less than half of 1/256 texel) take the texel after the edge, through the fast
// quad path and the generic path alike; one further before it keeps the texel before.
#include <algorithm>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class TexelSnapTest : public DeviceTest {};

constexpr int kTexels = 4, kPixels = 8;

uint32_t TexelColour(int tx, int ty) {
    return 0xFF000000u | uint32_t(tx * 64) << 16 | uint32_t(ty * 64) << 8;
}

struct SnapCase {
    int shift;         // the offset of every texture coordinate, in 1/65536 texel
    bool takesBefore;  // a pixel centre meant to lie on an edge shows the texel before it
};

TEST_F(TexelSnapTest, EdgesAndAHairBeforeThemTakeTheTexelAfter) {
    MakeDevice(kPixels, kPixels);
    std::vector<uint32_t> texels;
    for (int y = 0; y < kTexels; ++y)
        for (int x = 0; x < kTexels; ++x) texels.push_back(TexelColour(x, y));
    IDirect3DTexture9* tex = MakeTexture(kTexels, kTexels, D3DFMT_A8R8G8B8, texels);
    // Two pixels per texel from a quad edge on pixel centre 0: even pixels' centres lie on texel edges
    // (pixel 0's on the texture's edge, clamped).
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    const SnapCase cases[] = {{0, false},  {-1, false},  {-32, false}, {-128, false},
                              {32, false}, {-129, true}, {-256, true}, {-1024, true}};
    for (const SnapCase& c : cases) {
        for (bool fast : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "shift " << c.shift << (fast ? " fast" : " generic"));
            d3d9::SetFastPathsEnabled(fast);
            const uint64_t fastBefore = d3d9::FastPathQuadCount();
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
            device->SetTexture(0, tex);
            const float t0 = float(c.shift) / 65536.0f / kTexels, t1 = 1.0f + t0;
            DrawQuad(0, 0, kPixels, kPixels, t0, t0, t1, t1, 0xFFFFFFFF);
            EXPECT_EQ(d3d9::FastPathQuadCount() - fastBefore, fast ? 1u : 0u);
            const std::vector<uint32_t> px = ReadTarget();
            auto texel = [&](int p) { return std::max(0, p / 2 - (c.takesBefore && p % 2 == 0 ? 1 : 0)); };
            for (int y = 0; y < kPixels; ++y)
                for (int x = 0; x < kPixels; ++x)
                    ASSERT_EQ(px[size_t(y * kPixels + x)], TexelColour(texel(x), texel(y))) << x << "," << y;
        }
    }
    device->SetTexture(0, nullptr);
    tex->Release();
}

}  // namespace
}  // namespace d3d9_test
