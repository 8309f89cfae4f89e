// Coverage rules of the rasteriser: pixel centres on whole coordinates, the top-left fill rule, the line
// rule (a pixel is lit when its centre's far half-edge lies in (start, end]), exact 2x point-sampled
// stretches, flat shading, and the rounding of its fixed-point forms.
#include <cmath>
#include <random>

#include "platform/d3d9/rasterizer.h"
#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class RasterizerTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDevice(16, 16);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    }
    void DrawColored(D3DPRIMITIVETYPE type, UINT count, const std::vector<ColorVertex>& v) {
        device->SetFVF(0x44);
        device->BeginScene();
        ASSERT_EQ(device->DrawPrimitiveUP(type, count, v.data(), sizeof(ColorVertex)), D3D_OK);
        device->EndScene();
    }
    std::vector<std::pair<int, int>> Lit(uint32_t background = 0xFF000000) {
        std::vector<std::pair<int, int>> lit;
        auto px = ReadTarget();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (px[size_t(y * 16 + x)] != background) lit.push_back({x, y});
        return lit;
    }
};

struct Box {
    float x0, y0, x1, y1;
};

TEST_F(RasterizerTest, FilledBoxCoversExactlyThePixelsWhoseCentresItContains) {
    const Box boxes[] = {
        {2, 3, 6, 9},   {1.5f, 1.5f, 5.5f, 4.5f}, {2.25f, 0.75f, 2.75f, 3.0f}, {0.5f, 0.5f, 1.5f, 1.5f},
        {-3, -3, 2, 1}, {10, 12, 10, 14},         {3.99f, 4.01f, 7.01f, 5.99f}};
    for (bool fast : {true, false}) {
        d3d9::SetFastPathsEnabled(fast);
        for (const Box& b : boxes) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            D3DCOLOR c = 0xFFFFFFFF;
            DrawColored(D3DPT_TRIANGLELIST, 2,
                        {{b.x0, b.y0, 0, 1, c},
                         {b.x1, b.y0, 0, 1, c},
                         {b.x0, b.y1, 0, 1, c},
                         {b.x1, b.y1, 0, 1, c},
                         {b.x0, b.y1, 0, 1, c},
                         {b.x1, b.y0, 0, 1, c}});
            std::vector<std::pair<int, int>> expected;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1) expected.push_back({x, y});
            EXPECT_EQ(Lit(), expected)
                << "box " << b.x0 << "," << b.y0 << " " << b.x1 << "," << b.y1 << " fast " << fast;
        }
    }
}

TEST_F(RasterizerTest, TrianglesSharingEdgesDrawEveryPixelOnce) {
    // A mesh of triangles over random points, drawn additively: a pixel drawn twice would show 2 x 0x20.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> jitter(-0.45f, 0.45f);
    const int n = 5;
    float gx[n + 1][n + 1], gy[n + 1][n + 1];
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            bool border = i == 0 || j == 0 || i == n || j == n;
            gx[j][i] = i * 3.0f + (border ? 0 : jitter(rng) * 2);
            gy[j][i] = j * 3.0f + (border ? 0 : jitter(rng) * 2);
        }
    std::vector<ColorVertex> v;
    D3DCOLOR c = 0xFF202020;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            ColorVertex a{gx[j][i], gy[j][i], 0, 1, c}, b{gx[j][i + 1], gy[j][i + 1], 0, 1, c},
                d{gx[j + 1][i], gy[j + 1][i], 0, 1, c}, e{gx[j + 1][i + 1], gy[j + 1][i + 1], 0, 1, c};
            v.insert(v.end(), {a, b, e, a, e, d});
        }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawColored(D3DPT_TRIANGLELIST, UINT(v.size() / 3), v);
    auto px = ReadTarget();
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) EXPECT_EQ(px[size_t(y * 16 + x)] & 0xFFFFFF, 0x202020u) << x << "," << y;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(px[size_t(15 * 16 + i)] & 0xFFFFFF, 0u);  // the bottom and right edges at 15 are left out
        EXPECT_EQ(px[size_t(i * 16 + 15)] & 0xFFFFFF, 0u);
    }
}

struct LineCase {
    float x0, y0, x1, y1;
    std::vector<std::pair<int, int>> pixels;
};

TEST_F(RasterizerTest, LinesLeaveOutTheirLastPixel) {
    const LineCase cases[] = {
        {1, 1, 5, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {5, 2, 1, 2, {{2, 2}, {3, 2}, {4, 2}, {5, 2}}},
        {2, 1, 2, 5, {{2, 1}, {2, 2}, {2, 3}, {2, 4}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {1, 1, 7, 3, {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}, {6, 3}}},
        {3, 3, 3, 3, {}},
        // Fractional ends: a pixel is lit when m + 1/2 (in the direction of travel) lies in (start, end].
        {0, 0, 0, 4.1f, {{0, 0}, {0, 1}, {0, 2}, {0, 3}}},
        {0, 4, 0, -0.1f, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}},
        {0, 0, 3.9f, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {4, 0, 0.1f, 0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
        {0.6f, 1, 4.5f, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {0.4f, 1, 4.4f, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {2, 0.5f, 2, 1.4f, {}},
        {2, 0.5f, 2, 1.5f, {{2, 1}}},
    };
    for (const auto& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        DrawColored(D3DPT_LINELIST, 1, {{c.x0, c.y0, 0, 1, 0xFFFFFFFF}, {c.x1, c.y1, 0, 1, 0xFFFFFFFF}});
        auto lit = Lit();
        auto expected = c.pixels;
        std::sort(expected.begin(), expected.end(),
                  [](auto a, auto b) { return std::tie(a.second, a.first) < std::tie(b.second, b.first); });
        EXPECT_EQ(lit, expected) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

TEST_F(RasterizerTest, ClosedLineStripDrawsEachCornerOnce) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    D3DCOLOR c = 0xFF404040;
    DrawColored(D3DPT_LINESTRIP, 4,
                {{2, 2, 0, 1, c}, {8, 2, 0, 1, c}, {8, 6, 0, 1, c}, {2, 6, 0, 1, c}, {2, 2, 0, 1, c}});
    auto px = ReadTarget();
    int lit = 0;
    for (uint32_t p : px) {
        EXPECT_TRUE((p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0x404040);
        lit += (p & 0xFFFFFF) != 0;
    }
    EXPECT_EQ(lit, 2 * 6 + 2 * 4);
}

TEST_F(RasterizerTest, PointsLightThePixelAroundThem) {
    DrawColored(D3DPT_POINTLIST, 3,
                {{3, 4, 0, 1, 0xFFFFFFFF}, {6.4f, 7.6f, 0, 1, 0xFFFFFFFF}, {9.5f, 1.5f, 0, 1, 0xFFFFFFFF}});
    std::vector<std::pair<int, int>> expected{{9, 1}, {3, 4}, {6, 8}};
    EXPECT_EQ(Lit(), expected);
}

TEST_F(RasterizerTest, FlatShadingTakesEachTrianglesFirstVertex) {
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    // A strip of two triangles: the first takes vertex 0's colour, the second vertex 1's.
    DrawColored(D3DPT_TRIANGLESTRIP, 2,
                {{0, 0, 0, 1, 0xFFFF0000},
                 {8, 0, 0, 1, 0xFF00FF00},
                 {0, 8, 0, 1, 0xFF0000FF},
                 {8, 8, 0, 1, 0xFFFFFFFF}});
    auto px = ReadTarget();
    EXPECT_EQ(px[1 * 16 + 1], 0xFFFF0000u);
    EXPECT_EQ(px[6 * 16 + 6], 0xFF00FF00u);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    DrawColored(D3DPT_TRIANGLELIST, 1,
                {{0, 0, 0, 1, 0xFF000000}, {16, 0, 0, 1, 0xFFFF0000}, {0, 16, 0, 1, 0xFF000000}});
    px = ReadTarget();
    EXPECT_EQ(px[0] & 0xFF0000, 0u);
    EXPECT_EQ((px[8] >> 16) & 0xFF, 128u);  // 8/16 of 255, rounded
}

TEST_F(RasterizerTest, TwiceStretchedPointSampledTextureGivesExactBlocks) {
    std::mt19937 rng(3);
    std::vector<uint32_t> texels(16);
    for (auto& t : texels) t = 0xFF000000 | (rng() & 0xFFFFFF);
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        IDirect3DTexture9* tex = MakeTexture(4, 4, format, texels);
        device->SetTexture(0, tex);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        for (bool fast : {true, false}) {
            d3d9::SetFastPathsEnabled(fast);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
            DrawQuad(3.5f, 1.5f, 11.5f, 9.5f, 0, 0, 1, 1, 0xFFFFFFFF);
            auto px = ReadTarget();
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    uint32_t want = d3d9::ArgbFromColor(d3d9::DecodePixel(format, [&] {
                        static uint8_t buf[4];
                        d3d9::EncodePixel(format, buf,
                                          d3d9::ColorFromArgb(texels[size_t((y / 2) * 4 + x / 2)]));
                        return buf;
                    }()));
                    EXPECT_EQ(px[size_t((y + 2) * 16 + x + 4)], want) << x << "," << y << " fast " << fast;
                }
        }
        device->SetTexture(0, nullptr);
        tex->Release();
    }
}

TEST_F(RasterizerTest, StretchRectDoublesIntoExactBlocks) {
    IDirect3DSurface9 *small = nullptr, *big = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(5, 3, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, TRUE, &small, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateRenderTarget(10, 6, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &big, nullptr),
              D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(small->LockRect(&lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] =
                uint16_t(0x1111 * (y * 5 + x + 1));
    small->UnlockRect();
    ASSERT_EQ(device->StretchRect(small, nullptr, big, nullptr, D3DTEXF_NONE), D3D_OK);
    D3DLOCKED_RECT sl, bl;
    ASSERT_EQ(small->LockRect(&sl, nullptr, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(big->LockRect(&bl, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            auto s = d3d9::DecodePixel(D3DFMT_R5G6B5,
                                       static_cast<uint8_t*>(sl.pBits) + (y / 2) * sl.Pitch + (x / 2) * 2);
            auto b =
                d3d9::DecodePixel(D3DFMT_X8R8G8B8, static_cast<uint8_t*>(bl.pBits) + y * bl.Pitch + x * 4);
            EXPECT_EQ(b, s) << x << "," << y;
        }
    small->UnlockRect();
    big->UnlockRect();
    small->Release();
    big->Release();
}

struct StretchCase {
    D3DFORMAT source_format, dest_format;
    RECT source, dest;  // right 0: the whole surface
};

// Every pixel of a stretch takes the source pixel under its centre, converted through the formats' rules:
// same sizes, whole factors (the replicated rows and columns), shrinks, odd ratios and parts.
TEST_F(RasterizerTest, StretchRectTakesTheSourcePixelUnderEachCentre) {
    const StretchCase cases[] = {
        {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, {}, {}},
        {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, {0, 0, 12, 7}, {0, 0, 24, 14}},
        {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, {3, 2, 10, 9}, {5, 4, 26, 25}},
        {D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8, {0, 0, 12, 9}, {1, 2, 25, 20}},
        {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, {0, 0, 10, 10}, {0, 0, 10, 10}},
        {D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, {2, 1, 14, 11}, {3, 3, 10, 27}},
        {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, {0, 0, 16, 12}, {0, 0, 32, 24}},
        {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, {1, 1, 15, 11}, {2, 0, 31, 17}},
        {D3DFMT_R5G6B5, D3DFMT_R5G6B5, {0, 0, 16, 12}, {0, 0, 32, 24}},
        {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, {4, 4, 16, 12}, {0, 0, 5, 3}},
    };
    std::mt19937 rng(7);
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.source_format << " -> " << c.dest_format << ", dest right " << c.dest.right);
        IDirect3DSurface9 *src = nullptr, *dst = nullptr;
        ASSERT_EQ(
            device->CreateRenderTarget(16, 12, c.source_format, D3DMULTISAMPLE_NONE, 0, TRUE, &src, nullptr),
            D3D_OK);
        ASSERT_EQ(
            device->CreateRenderTarget(32, 28, c.dest_format, D3DMULTISAMPLE_NONE, 0, TRUE, &dst, nullptr),
            D3D_OK);
        D3DLOCKED_RECT sl, dl;
        int sbpp = d3d9::BytesPerPixel(c.source_format), dbpp = d3d9::BytesPerPixel(c.dest_format);
        ASSERT_EQ(src->LockRect(&sl, nullptr, 0), D3D_OK);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                uint32_t v = rng();
                std::memcpy(static_cast<uint8_t*>(sl.pBits) + y * sl.Pitch + x * sbpp, &v, size_t(sbpp));
            }
        src->UnlockRect();
        ASSERT_EQ(dst->LockRect(&dl, nullptr, 0), D3D_OK);
        std::memset(dl.pBits, 0x5A, size_t(dl.Pitch) * 28);
        dst->UnlockRect();
        RECT sr = c.source.right ? c.source : RECT{0, 0, 16, 12};
        RECT dr = c.dest.right ? c.dest : RECT{0, 0, 32, 28};
        ASSERT_EQ(device->StretchRect(src, c.source.right ? &sr : nullptr, dst, c.dest.right ? &dr : nullptr,
                                      D3DTEXF_NONE),
                  D3D_OK);
        ASSERT_EQ(src->LockRect(&sl, nullptr, D3DLOCK_READONLY), D3D_OK);
        ASSERT_EQ(dst->LockRect(&dl, nullptr, D3DLOCK_READONLY), D3D_OK);
        int sw = sr.right - sr.left, sh = sr.bottom - sr.top, dw = dr.right - dr.left,
            dh = dr.bottom - dr.top;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint8_t* got = static_cast<uint8_t*>(dl.pBits) + y * dl.Pitch + x * dbpp;
                uint8_t expected[4] = {0x5A, 0x5A, 0x5A, 0x5A};
                if (x >= dr.left && x < dr.right && y >= dr.top && y < dr.bottom) {
                    int sx = sr.left + (2 * (x - dr.left) + 1) * sw / (2 * dw);
                    int sy = sr.top + (2 * (y - dr.top) + 1) * sh / (2 * dh);
                    d3d9::EncodePixel(c.dest_format, expected,
                                      d3d9::DecodePixel(c.source_format, static_cast<uint8_t*>(sl.pBits) +
                                                                             sy * sl.Pitch + sx * sbpp));
                }
                ASSERT_EQ(std::memcmp(got, expected, size_t(dbpp)), 0) << x << "," << y;
            }
        src->UnlockRect();
        dst->UnlockRect();
        src->Release();
        dst->Release();
    }
}

// The 16-bit formats read each n-bit channel as the nearest 8-bit value and write each 8-bit channel as
// the nearest n-bit value (ties away from zero cannot occur: 255 and 2^n - 1 are odd).
TEST_F(RasterizerTest, SixteenBitChannelsRoundToTheNearestValue) {
    auto nearest = [](int v, int from, int to) { return int(std::floor(double(v) * to / from + 0.5)); };
    for (int v = 0; v < 65536; ++v) {
        uint16_t p = uint16_t(v);
        auto c = d3d9::DecodePixel(D3DFMT_R5G6B5, reinterpret_cast<uint8_t*>(&p));
        ASSERT_EQ(c, (d3d9::Color{nearest(v >> 11, 31, 255), nearest((v >> 5) & 63, 63, 255),
                                  nearest(v & 31, 31, 255), 255}))
            << v;
        c = d3d9::DecodePixel(D3DFMT_A4R4G4B4, reinterpret_cast<uint8_t*>(&p));
        ASSERT_EQ(c, (d3d9::Color{(v >> 8 & 15) * 17, (v >> 4 & 15) * 17, (v & 15) * 17, (v >> 12) * 17}))
            << v;
        c = d3d9::DecodePixel(D3DFMT_A1R5G5B5, reinterpret_cast<uint8_t*>(&p));
        ASSERT_EQ(c, (d3d9::Color{nearest(v >> 10 & 31, 31, 255), nearest(v >> 5 & 31, 31, 255),
                                  nearest(v & 31, 31, 255), v >> 15 ? 255 : 0}))
            << v;
    }
    for (int v = 0; v < 256; ++v) {
        uint16_t p;
        d3d9::EncodePixel(D3DFMT_R5G6B5, reinterpret_cast<uint8_t*>(&p), {v, 255 - v, v / 2, 0});
        ASSERT_EQ(p, (nearest(v, 255, 31) << 11) | (nearest(255 - v, 255, 63) << 5) | nearest(v / 2, 255, 31))
            << v;
        d3d9::EncodePixel(D3DFMT_A4R4G4B4, reinterpret_cast<uint8_t*>(&p), {v, 0, 255 - v, v});
        ASSERT_EQ(p, (nearest(v, 255, 15) << 12) | (nearest(v, 255, 15) << 8) | nearest(255 - v, 255, 15))
            << v;
        d3d9::EncodePixel(D3DFMT_A1R5G5B5, reinterpret_cast<uint8_t*>(&p), {0, v, 0, v});
        ASSERT_EQ(p, ((v >= 128) << 15) | (nearest(v, 255, 31) << 5)) << v;
    }
}

// The fixed-point forms round half away from zero as llround does: at halves, a hair either side of them,
// at the end of the exactly representable range and past it.
TEST(FixedPointRounding, RoundsAsLlround) {
    const double values[] = {0.0,
                             -0.0,
                             0.5,
                             -0.5,
                             2.5,
                             -2.5,
                             std::nextafter(2.5, 0.0),
                             std::nextafter(-2.5, 0.0),
                             std::nextafter(0.5, 0.0),
                             std::nextafter(-0.5, 0.0),
                             123456.5,
                             -123456.75,
                             4503599627370495.5,
                             -4503599627370495.5,
                             4503599627370497.0,
                             1e300,
                             -1e300};
    for (double v : values) EXPECT_EQ(d3d9::RoundHalfAway(v), std::llround(v)) << v;
    std::mt19937_64 rng(7);
    int mismatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const double v = std::ldexp(double(int64_t(rng())), -int(rng() % 80));
        mismatches += d3d9::RoundHalfAway(v) != std::llround(v);
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace d3d9_test
