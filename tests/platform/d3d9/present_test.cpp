// Present into headless windows of the window stand-in: the source rectangle stretched with the point
// rule onto the destination rectangle of the client area, clipped to it, the rest of the window kept;
// the override window; and the presented picture tests read equals what the window shows.
#include "platform/host/host.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"
#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

constexpr int kClientWidth = 64, kClientHeight = 48;
constexpr int kBackWidth = 32, kBackHeight = 24;

class PresentTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ResetWindowStandInForTests();
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.lpszClassName = "PresentTestWindow";
        ASSERT_NE(RegisterClassExA(&window_class), 0);
        window = MakeWindow();
        other = MakeWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(other, nullptr);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        ResetWindowStandInForTests();
    }

    static HWND MakeWindow() {
        return CreateWindowExA(0, "PresentTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, kClientWidth,
                               kClientHeight, nullptr, nullptr, nullptr, nullptr);
    }

    // A device on `window` whose lockable back buffer holds a different value at every pixel (stray X bits
    // in 32-bit formats); back[] keeps the pixels as the format decodes them.
    void MakeWindowDevice(D3DFORMAT format) {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kBackWidth;
        pp.BackBufferHeight = kBackHeight;
        pp.BackBufferFormat = format;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = window;
        pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        ASSERT_EQ(
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
            D3D_OK);
        IDirect3DSurface9* bb = nullptr;
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
        D3DLOCKED_RECT lr;
        ASSERT_EQ(bb->LockRect(&lr, nullptr, 0), D3D_OK);
        int bpp = d3d9::BytesPerPixel(format);
        back.resize(size_t(kBackWidth) * kBackHeight);
        for (int y = 0; y < kBackHeight; ++y)
            for (int x = 0; x < kBackWidth; ++x) {
                uint8_t* p = static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp;
                uint32_t value = uint32_t(x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ (x << 8 | y));
                std::memcpy(p, &value, size_t(bpp));
                back[size_t(y) * kBackWidth + x] =
                    d3d9::ArgbFromColor(d3d9::DecodePixel(format, p)) | 0xFF000000u;
            }
        bb->UnlockRect();
        bb->Release();
    }

    // What a present does to a window picture: destination pixel (x, y) takes source pixel
    // (src.left + floor((2 (x - dest.left) + 1) src.width / (2 dest.width)), likewise for y).
    void ApplyPresent(std::vector<uint32_t>& shown, RECT src, RECT dest) const {
        int sw = src.right - src.left, sh = src.bottom - src.top;
        int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
        for (int y = std::max<LONG>(dest.top, 0); y < std::min<LONG>(dest.bottom, kClientHeight); ++y)
            for (int x = std::max<LONG>(dest.left, 0); x < std::min<LONG>(dest.right, kClientWidth); ++x) {
                int sx = src.left + (2 * (x - dest.left) + 1) * sw / (2 * dw);
                int sy = src.top + (2 * (y - dest.top) + 1) * sh / (2 * dh);
                shown[size_t(y) * kClientWidth + x] = back[size_t(sy) * kBackWidth + sx];
            }
    }

    static std::vector<uint32_t> Shown(HWND target) {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(HostReadPicture(target, &pixels, &width, &height));
        EXPECT_EQ(width, kClientWidth);
        EXPECT_EQ(height, kClientHeight);
        return pixels;
    }

    HWND window = nullptr;
    HWND other = nullptr;
    std::vector<uint32_t> back;
};

struct PresentCase {
    const char* name;
    bool whole_source;
    RECT src;
    bool whole_dest;
    RECT dest;
};

TEST_F(PresentTest, BackBufferRectanglesLandPixelExactInTheWindow) {
    const PresentCase cases[] = {
        {"whole back buffer onto the whole client (2x)", true, {}, true, {}},
        {"same size at the origin", true, {}, false, {0, 0, kBackWidth, kBackHeight}},
        {"part shrunk", false, {3, 2, 30, 23}, false, {10, 5, 27, 19}},
        {"part enlarged by an odd ratio", false, {5, 4, 12, 9}, false, {1, 30, 40, 47}},
        {"reaching past the client's right and bottom", false, {0, 0, 16, 12}, false, {40, 30, 90, 70}},
        {"reaching past the client's left and top", false, {16, 12, 32, 24}, false, {-20, -9, 11, 13}},
        {"one pixel", false, {31, 23, 32, 24}, false, {63, 47, 64, 48}},
    };
    for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5}) {
        MakeWindowDevice(format);
        std::vector<uint32_t> expected = Shown(window);
        for (const PresentCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", format " << format);
            RECT src = c.whole_source ? RECT{0, 0, kBackWidth, kBackHeight} : c.src;
            RECT dest = c.whole_dest ? RECT{0, 0, kClientWidth, kClientHeight} : c.dest;
            ASSERT_EQ(device->Present(c.whole_source ? nullptr : &c.src, c.whole_dest ? nullptr : &c.dest,
                                      nullptr, nullptr),
                      D3D_OK);
            ApplyPresent(expected, src, dest);
            std::vector<uint32_t> shown = Shown(window);
            ASSERT_EQ(shown.size(), expected.size());
            for (size_t i = 0; i < shown.size(); ++i)
                ASSERT_EQ(shown[i], expected[i]) << "pixel " << i % kClientWidth << ", " << i / kClientWidth;
            D3D9PresentedPicture picture = D3D9GetPresentedPicture();
            EXPECT_EQ(picture.window, window);
            EXPECT_EQ(picture.width, UINT(kClientWidth));
            EXPECT_EQ(picture.height, UINT(kClientHeight));
            EXPECT_EQ(picture.pixels, shown);
        }
        device->Release();
        device = nullptr;
        d3d->Release();
        d3d = nullptr;
    }
}

TEST_F(PresentTest, OverrideWindowGetsTheFrameAndTheDeviceWindowKeepsItsPicture) {
    MakeWindowDevice(D3DFMT_R5G6B5);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    std::vector<uint32_t> device_window = Shown(window);
    std::vector<uint32_t> expected = Shown(other);
    RECT src{8, 8, 24, 16}, dest{4, 4, 36, 20};
    ASSERT_EQ(device->Present(&src, &dest, other, nullptr), D3D_OK);
    ApplyPresent(expected, src, dest);
    EXPECT_EQ(Shown(other), expected);
    EXPECT_EQ(Shown(window), device_window);
    EXPECT_EQ(D3D9GetPresentedPicture().window, other);
}

TEST_F(PresentTest, BadRectanglesAndALostDevicePresentNothing) {
    MakeWindowDevice(D3DFMT_X8R8G8B8);
    std::vector<uint32_t> before = Shown(window);
    RECT outside{0, 0, kBackWidth + 1, kBackHeight}, empty{5, 5, 5, 9}, inverted{9, 9, 2, 2};
    EXPECT_EQ(device->Present(&outside, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(&empty, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, &inverted, nullptr, nullptr), D3DERR_INVALIDCALL);
    RECT huge{-2147483647 - 1, 0, 2147483647, 10};
    EXPECT_EQ(device->Present(nullptr, &huge, nullptr, nullptr), D3DERR_INVALIDCALL);
    D3D9SetDeviceLost(true);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(Shown(window), before);
    EXPECT_EQ(D3D9GetPresentedPicture().present_count, 0u);
}

}  // namespace
}  // namespace d3d9_test
