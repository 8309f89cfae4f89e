// A pixel shows the texel that the quad's own mapping gives at the pixel's centre (resolved at 1/256 texel,
// halves up), also where the corners lie off the sub-pixel grid: shrunk and turned quads, through the fast
// quad path and the generic path alike.
#include <algorithm>
#include <array>
#include <cmath>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

constexpr int kTexW = 64, kTexH = 48, kPixels = 64;
constexpr uint32_t kClear = 0xFF0000FF;

uint32_t TexelColour(int tx, int ty) {
    return 0xFF000000u | uint32_t(tx) << 16 | uint32_t(ty) << 8;
}

struct Corner {
    float x, y, u, v;
};

// A whole-texture quad of the texture's size times `scale`, turned by `angle` about (cx, cy), its corners
// worked out in single precision: top left, top right, bottom left, bottom right.
std::array<Corner, 4> Turned(float cx, float cy, float scale, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    std::array<Corner, 4> q;
    const float gx[4] = {0, kTexW, 0, kTexW}, gy[4] = {0, 0, kTexH, kTexH};
    for (int k = 0; k < 4; ++k) {
        const float a = (gx[k] - kTexW * 0.5f) * scale, b = (gy[k] - kTexH * 0.5f) * scale;
        q[size_t(k)] = {cx + (a * c - b * s), cy + (a * s + b * c), gx[k] / kTexW, gy[k] / kTexH};
    }
    return q;
}

// The texel coordinates the quad's triangle (a, b, c) gives at (px, py), exact; false outside it.
bool MapThrough(const Corner& a, const Corner& b, const Corner& c, long double px, long double py,
                long double* u, long double* v) {
    using L = long double;
    const L bx = L(b.x) - a.x, by = L(b.y) - a.y, cx = L(c.x) - a.x, cy = L(c.y) - a.y;
    const L area = bx * cy - by * cx, x = px - a.x, y = py - a.y;
    const L wb = (x * cy - y * cx) / area, wc = (bx * y - by * x) / area;
    *u = (L(a.u) + (L(b.u) - a.u) * wb + (L(c.u) - a.u) * wc) * kTexW;
    *v = (L(a.v) + (L(b.v) - a.v) * wb + (L(c.v) - a.v) * wc) * kTexH;
    const L slack = 1e-9L;
    return wb >= -slack && wc >= -slack && wb + wc <= 1 + slack;
}

// The texel of a position; -1 when the position lies so near a rounding boundary (half of 1/256 before
// a texel edge) that single-precision corners could put it on either side.
int ExpectedTexel(long double t, int size) {
    const long double e = t + 1.0L / 512, f = e - std::floor(e);
    if (f < 1e-4L || f > 1 - 1e-4L) return -1;
    return std::clamp(int(std::floor(e)), 0, size - 1);
}

struct QuadCase {
    const char* name;
    float cx, cy, scale, angle;
};

class TexelPositionTest : public DeviceTest {};

TEST_F(TexelPositionTest, PixelsShowTheTexelOfTheExactMappingAtTheirCentres) {
    MakeDevice(kPixels, kPixels);
    std::vector<uint32_t> texels;
    for (int y = 0; y < kTexH; ++y)
        for (int x = 0; x < kTexW; ++x) texels.push_back(TexelColour(x, y));
    IDirect3DTexture9* tex = MakeTexture(kTexW, kTexH, D3DFMT_A8R8G8B8, texels);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    const QuadCase cases[] = {
        {"shrunk to 0.14", 31.5f, 30.5f, 0.14f, 0.0f}, {"shrunk to 0.26", 20.5f, 41.5f, 0.26f, 0.0f},
        {"shrunk to 0.37", 40.5f, 22.5f, 0.37f, 0.0f}, {"turned 0.118", 31.5f, 31.5f, 1.0f, 0.118f},
        {"turned 0.452", 32.5f, 30.5f, 0.8f, 0.452f},  {"turned 4.11 and shrunk", 30.5f, 33.5f, 0.26f, 4.11f},
        {"turned 4.24", 31.5f, 32.5f, 0.9f, 4.24f}};
    for (const QuadCase& c : cases) {
        for (bool fast : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.name << (fast ? " fast" : " generic"));
            d3d9::SetFastPathsEnabled(fast);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, kClear, 1.0f, 0);
            device->SetTexture(0, tex);
            const std::array<Corner, 4> q = Turned(c.cx, c.cy, c.scale, c.angle);
            TexturedVertex v[6];
            const int order[6] = {0, 1, 2, 3, 2, 1};
            for (int i = 0; i < 6; ++i) {
                const Corner& k = q[size_t(order[i])];
                v[i] = {k.x, k.y, 0, 1, 0xFFFFFFFF, k.u, k.v};
            }
            device->SetFVF(0x144);
            device->BeginScene();
            ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexturedVertex)), D3D_OK);
            device->EndScene();
            const std::vector<uint32_t> px = ReadTarget();
            int judged = 0, unjudged = 0;
            for (int y = 0; y < kPixels; ++y)
                for (int x = 0; x < kPixels; ++x) {
                    const uint32_t got = px[size_t(y * kPixels + x)];
                    if (got == kClear) continue;
                    long double u, w;
                    if (!MapThrough(q[0], q[1], q[2], x, y, &u, &w))
                        MapThrough(q[3], q[2], q[1], x, y, &u, &w);
                    const int tx = ExpectedTexel(u, kTexW), ty = ExpectedTexel(w, kTexH);
                    if (tx < 0 || ty < 0) {
                        ++unjudged;
                        continue;
                    }
                    ++judged;
                    ASSERT_EQ(got, TexelColour(tx, ty))
                        << x << "," << y << " at " << double(u) << "," << double(w);
                }
            EXPECT_GT(judged, 40);
            EXPECT_LE(unjudged, judged / 50);
        }
    }
    device->SetTexture(0, nullptr);
    tex->Release();
}

}  // namespace
}  // namespace d3d9_test
