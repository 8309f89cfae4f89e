// Off-screen plain surfaces in YV12, YUY2 and UYVY: which ones are made, their memory layout as a lock
// shows it, and StretchRect from them onto RGB render targets with the BT.601 limited-range conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/d3d9/yuv_surface.h"
#include "tests/platform/d3d9/d3d9_test_support.h"

namespace {

using d3d9_test::DeviceTest;

const D3DFORMAT kYV12 = D3DFMT_YV12;
const D3DFORMAT kYuvFormats[] = {kYV12, D3DFMT_YUY2, D3DFMT_UYVY};

// A picture with one U, V pair per 2 x 2 block, so that every layout can hold it exactly.
struct YuvPicture {
    int width, height;
    std::vector<uint8_t> y, u, v;  // u and v: (width / 2) x (height / 2)

    int Y(int x, int row) const { return y[size_t(row * width + x)]; }
    int U(int x, int row) const { return u[size_t((row / 2) * (width / 2) + x / 2)]; }
    int V(int x, int row) const { return v[size_t((row / 2) * (width / 2) + x / 2)]; }
};

// Black, red, green, blue (the BT.601 primaries), saturating chroma and an even grey, over a luma ramp
// that reaches 16, 235 and 255.
YuvPicture TestPicture() {
    YuvPicture p{6, 4, {}, {}, {}};
    for (int row = 0; row < p.height; ++row)
        for (int x = 0; x < p.width; ++x) p.y.push_back(uint8_t(std::min(255, 16 + x * 37 + row * 61)));
    p.y[0] = 16;
    p.y[1] = 235;
    p.u = {128, 90, 54, 240, 0, 255};
    p.v = {128, 240, 34, 110, 255, 0};
    return p;
}

// BT.601 limited range in floating point, rounded and clamped.
uint32_t ExpectedRgb(int y, int u, int v) {
    const double luma = 1.164383 * (y - 16);
    auto channel = [](double c) { return uint32_t(std::clamp(std::lround(c), 0L, 255L)); };
    const uint32_t r = channel(luma + 1.596027 * (v - 128));
    const uint32_t g = channel(luma - 0.391762 * (u - 128) - 0.812968 * (v - 128));
    const uint32_t b = channel(luma + 2.017232 * (u - 128));
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 1) return false;
    return true;
}

class YuvSurfaceTest : public DeviceTest {
  protected:
    IDirect3DSurface9* MakeSurface(D3DFORMAT format, const YuvPicture& picture) {
        IDirect3DSurface9* surface = nullptr;
        EXPECT_EQ(device->CreateOffscreenPlainSurface(UINT(picture.width), UINT(picture.height), format,
                                                      D3DPOOL_DEFAULT, &surface, nullptr),
                  D3D_OK);
        if (surface) Write(surface, format, picture);
        return surface;
    }

    // Writes the picture in the format's layout: YV12 is the Y plane, then the V plane and the U plane,
    // each chroma row at half the pitch; YUY2 is Y0 U Y1 V and UYVY is U Y0 V Y1 per pair.
    static void Write(IDirect3DSurface9* surface, D3DFORMAT format, const YuvPicture& p) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        // Rows are padded: a writer that takes the picture's width for the pitch shows.
        EXPECT_GT(locked.Pitch, p.width * (format == kYV12 ? 1 : 2));
        uint8_t* bits = static_cast<uint8_t*>(locked.pBits);
        const int pitch = locked.Pitch;
        for (int row = 0; row < p.height; ++row)
            for (int x = 0; x < p.width; x += 2) {
                if (format == kYV12) {
                    bits[row * pitch + x] = uint8_t(p.Y(x, row));
                    bits[row * pitch + x + 1] = uint8_t(p.Y(x + 1, row));
                    uint8_t* vPlane = bits + pitch * p.height;
                    uint8_t* uPlane = vPlane + (pitch / 2) * (p.height / 2);
                    vPlane[(row / 2) * (pitch / 2) + x / 2] = uint8_t(p.V(x, row));
                    uPlane[(row / 2) * (pitch / 2) + x / 2] = uint8_t(p.U(x, row));
                    continue;
                }
                uint8_t* pair = bits + row * pitch + x * 2;
                const uint8_t yuy2[4] = {uint8_t(p.Y(x, row)), uint8_t(p.U(x, row)), uint8_t(p.Y(x + 1, row)),
                                         uint8_t(p.V(x, row))};
                const uint8_t uyvy[4] = {yuy2[1], yuy2[0], yuy2[3], yuy2[2]};
                std::copy_n(format == D3DFMT_YUY2 ? yuy2 : uyvy, 4, pair);
            }
        ASSERT_EQ(surface->UnlockRect(), D3D_OK);
    }

    // Stretches the whole surface onto a render target of the given size; the target's pixels.
    std::vector<uint32_t> StretchOnto(IDirect3DSurface9* source, UINT width, UINT height,
                                      D3DFORMAT targetFormat = D3DFMT_X8R8G8B8) {
        IDirect3DTexture9* target = MakeTarget(width, height, targetFormat);
        IDirect3DSurface9* level = nullptr;
        target->GetSurfaceLevel(0, &level);
        EXPECT_EQ(device->StretchRect(source, nullptr, level, nullptr, D3DTEXF_NONE), D3D_OK);
        level->Release();
        std::vector<uint32_t> pixels = ReadTarget();
        target->Release();
        return pixels;
    }
};

TEST_F(YuvSurfaceTest, EachYuvFormatIsMadeAtEvenSizesUnlessTheProfileRefusesIt) {
    struct Case {
        D3DFORMAT format;
        UINT width, height;
        bool refused;
        HRESULT expected;
    };
    const Case cases[] = {
        {kYV12, 32, 24, false, D3D_OK},
        {D3DFMT_YUY2, 32, 24, false, D3D_OK},
        {D3DFMT_UYVY, 2, 2, false, D3D_OK},
        {kYV12, 31, 24, false, D3DERR_INVALIDCALL},
        {D3DFMT_YUY2, 32, 23, false, D3DERR_INVALIDCALL},
        {kYV12, 32, 24, true, D3DERR_NOTAVAILABLE},
        {D3DFMT_YUY2, 32, 24, true, D3DERR_NOTAVAILABLE},
        {D3DFMT_UYVY, 32, 24, true, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases) {
        if (c.refused)
            D3D9SetYuvSurfaceFormats(c.format != kYV12, c.format != D3DFMT_YUY2, c.format != D3DFMT_UYVY);
        else
            D3D9ResetYuvSurfaceFormats();
        MakeDevice(64, 64);
        IDirect3DSurface9* surface = nullptr;
        EXPECT_EQ(device->CreateOffscreenPlainSurface(c.width, c.height, c.format, D3DPOOL_DEFAULT, &surface,
                                                      nullptr),
                  c.expected)
            << c.format << " " << c.width << "x" << c.height;
        EXPECT_EQ(surface != nullptr, c.expected == D3D_OK);
        if (surface) {
            D3DSURFACE_DESC desc{};
            EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
            EXPECT_EQ(desc.Format, c.format);
            EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
            surface->Release();
        }
        // Refusing one format leaves the others.
        for (D3DFORMAT other : kYuvFormats) {
            if (other == c.format) continue;
            EXPECT_EQ(device->CreateOffscreenPlainSurface(4, 4, other, D3DPOOL_DEFAULT, &surface, nullptr),
                      D3D_OK);
            surface->Release();
        }
        device->Release();
        d3d->Release();
        device = nullptr;
        d3d = nullptr;
    }
}

TEST_F(YuvSurfaceTest, YuvFormatsMakeNoTexturesOrRenderTargets) {
    MakeDevice(64, 64);
    for (D3DFORMAT format : kYuvFormats) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr),
                  D3DERR_INVALIDCALL);
        IDirect3DSurface9* target = nullptr;
        EXPECT_EQ(device->CreateRenderTarget(8, 8, format, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr),
                  D3DERR_INVALIDCALL);
    }
}

TEST_F(YuvSurfaceTest, EveryLayoutStretchesToTheSameRgbPicture) {
    MakeDevice(64, 64);
    const YuvPicture picture = TestPicture();
    for (D3DFORMAT format : kYuvFormats) {
        IDirect3DSurface9* surface = MakeSurface(format, picture);
        ASSERT_NE(surface, nullptr);
        const std::vector<uint32_t> pixels = StretchOnto(surface, UINT(picture.width), UINT(picture.height));
        for (int row = 0; row < picture.height; ++row)
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t expected =
                    ExpectedRgb(picture.Y(x, row), picture.U(x, row), picture.V(x, row));
                EXPECT_PRED2(Near, pixels[size_t(row * picture.width + x)], expected)
                    << format << " at " << x << "," << row;
            }
        surface->Release();
    }
}

TEST_F(YuvSurfaceTest, BlackWhiteAndPrimariesConvertAsBt601LimitedRange) {
    MakeDevice(64, 64);
    const YuvPicture picture = TestPicture();
    IDirect3DSurface9* surface = MakeSurface(kYV12, picture);
    ASSERT_NE(surface, nullptr);
    const std::vector<uint32_t> pixels = StretchOnto(surface, 6, 4);
    EXPECT_EQ(pixels[0], 0xFF000000u);  // Y 16
    EXPECT_EQ(pixels[1], 0xFFFFFFFFu);  // Y 235
    EXPECT_PRED2(Near, pixels[2] | 0xFF000000u, ExpectedRgb(picture.Y(2, 0), 90, 240));
    surface->Release();
}

TEST_F(YuvSurfaceTest, StretchPointSamplesAndQuantisesToSixteenBitTargets) {
    MakeDevice(64, 64);
    const YuvPicture picture = TestPicture();
    IDirect3DSurface9* surface = MakeSurface(D3DFMT_UYVY, picture);
    ASSERT_NE(surface, nullptr);
    const std::vector<uint32_t> doubled = StretchOnto(surface, 12, 8);
    const std::vector<uint32_t> halved = StretchOnto(surface, 3, 2, D3DFMT_R5G6B5);
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 12; ++x) {
            const int sx = x / 2, sy = row / 2;
            EXPECT_PRED2(Near, doubled[size_t(row * 12 + x)],
                         ExpectedRgb(picture.Y(sx, sy), picture.U(sx, sy), picture.V(sx, sy)));
        }
    // Halving takes the odd source pixels; 5 and 6 bits a channel keep the colour within a step.
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 3; ++x) {
            const int sx = 2 * x + 1, sy = 2 * row + 1;
            const uint32_t expected = ExpectedRgb(picture.Y(sx, sy), picture.U(sx, sy), picture.V(sx, sy));
            const uint32_t got = halved[size_t(row * 3 + x)];
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_LE(std::abs(int((got >> shift) & 255) - int((expected >> shift) & 255)), 5);
        }
    surface->Release();
}

TEST_F(YuvSurfaceTest, YuvIsOnlyEverAStretchSourceOntoARenderTarget) {
    MakeDevice(64, 64);
    const YuvPicture picture = TestPicture();
    IDirect3DSurface9* yuv = MakeSurface(D3DFMT_YUY2, picture);
    IDirect3DSurface9* otherYuv = MakeSurface(kYV12, picture);
    IDirect3DSurface9* plainRgb = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(6, 4, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plainRgb, nullptr),
              D3D_OK);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(
        device->CreateRenderTarget(6, 4, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr),
        D3D_OK);
    EXPECT_EQ(device->StretchRect(yuv, nullptr, plainRgb, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target, nullptr, yuv, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(otherYuv, nullptr, yuv, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    const RECT outside{0, 0, 8, 4};
    EXPECT_EQ(device->StretchRect(yuv, &outside, target, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(yuv, nullptr, target, nullptr, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(device->ColorFill(yuv, nullptr, 0), D3DERR_INVALIDCALL);

    // Locks cover whole pairs, and for YV12 whole chroma rows.
    D3DLOCKED_RECT locked{};
    const RECT oddColumn{1, 0, 4, 2}, oddRow{0, 1, 4, 3}, pairs{2, 1, 4, 3}, blocks{2, 2, 4, 4};
    EXPECT_EQ(yuv->LockRect(&locked, &oddColumn, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(yuv->LockRect(&locked, &pairs, 0), D3D_OK);
    EXPECT_EQ(yuv->UnlockRect(), D3D_OK);
    EXPECT_EQ(otherYuv->LockRect(&locked, &oddRow, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(otherYuv->LockRect(&locked, &blocks, 0), D3D_OK);
    EXPECT_EQ(otherYuv->UnlockRect(), D3D_OK);

    IDirect3DSurface9* systemYuv = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(6, 4, D3DFMT_YUY2, D3DPOOL_SYSTEMMEM, &systemYuv, nullptr),
              D3D_OK);
    EXPECT_EQ(device->UpdateSurface(systemYuv, nullptr, yuv, nullptr), D3DERR_INVALIDCALL);
    for (IDirect3DSurface9* s : {yuv, otherYuv, plainRgb, target, systemYuv}) s->Release();
}

}  // namespace
