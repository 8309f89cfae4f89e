// The mask screen on a 400 x 300 screen: its buffer and textures, the switch, and a whole-screen fill
// that reaches only the half of the screen the mask lets through, in software and on the device.
#include "engine/graphics/loss/mask_screen.h"

#include <functional>

#include "engine/core/frame/main_window.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/image/color_format.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"
#include "tests/graphics/loss/loss_fixture.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

class MaskScreenTest : public LossTest {
  protected:
    void SetUp() override {
        LossTest::SetUp();
        SetScreenSize(400, 300);
    }
    // Mask bytes 0 on the left half, 1 on the right.
    static void WriteHalfMask() {
        int pitch = 0;
        uint8_t* mask = GetMaskBuffer(&pitch);
        ASSERT_NE(mask, nullptr);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) mask[y * pitch + x] = x < 200 ? 0 : 1;
    }
    // The screen's colour (0xRRGGBB) at two points, one in each half.
    static std::pair<uint32_t, uint32_t> DeviceHalves() {
        const RECT all{0, 0, 400, 300};
        SoftImage image{};
        EXPECT_EQ(LockBackBuffer(&all, &image, -1, 1, 0), 0);
        std::pair<uint32_t, uint32_t> halves{GetImagePixelArgb(&image, 10, 150) & 0xFFFFFF,
                                             GetImagePixelArgb(&image, 390, 150) & 0xFFFFFF};
        // The pixels on both sides of the border too.
        EXPECT_EQ(GetImagePixelArgb(&image, 199, 0) & 0xFFFFFF, halves.first);
        EXPECT_EQ(GetImagePixelArgb(&image, 200, 299) & 0xFFFFFF, halves.second);
        ReleaseBackBufferLock();
        return halves;
    }
    // A fill of the whole screen in red between the mask calls, on the device's render target 0 (the viewport
    // of the draw area plays no part).
    static void DeviceFill(int x1, int y1, int x2, int y2) {
        BeginMaskDraw(x1, y1, x2, y2);
        IDirect3DSurface9* target = nullptr;
        ASSERT_EQ(direct3DSystem.device->GetRenderTarget(0, &target), D3D_OK);
        EXPECT_EQ(DeviceColorFill(target, nullptr, kRed), D3D_OK);
        target->Release();
        ApplyMaskToDrawnArea(x1, y1, x2, y2);
    }
    static int CountPrefix(const std::vector<std::string>& trace, const std::string& prefix) {
        int n = 0;
        for (const std::string& call : trace) n += call.rfind(prefix, 0) == 0;
        return n;
    }
    // The screen image's raw pixel, and the raw value of 0xRRGGBB in its format.
    static uint32_t ScreenPixel(int x, int y) {
        const MEMIMG* screen = GetScreenMemImage();
        const int bytes = screen->base->pixelBytes;
        return ReadPixelValue(screen->pixels + y * screen->base->pitch + x * bytes, bytes) &
               (bytes == 4 ? 0xFFFFFFu : 0xFFFFu);
    }
    static uint32_t Raw(uint32_t rgb) {
        const MEMIMG* screen = GetScreenMemImage();
        return MakePixelValue(screen->base->colorFormat, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF, 0) &
               (screen->base->pixelBytes == 4 ? 0xFFFFFFu : 0xFFFFu);
    }
    // A software screen of colorBits, blue, clipped to the whole screen.
    void StartBlueSoftware(int colorBits) {
        StartSoftware(colorBits);
        SetSoftDrawBright(0xFFFFFF);
        SetSoftBlendMode(0, 255);
        const int32_t all[4] = {0, 0, 400, 300};
        SetSoftClipRect(all);
        FillMemImgRect(GetScreenMemImage(), nullptr, Raw(kBlue));
    }
    // A red fill of the whole screen between the mask calls, on the current software target.
    static void SoftwareFill() {
        BeginMaskDraw(0, 0, 400, 300);
        SoftTargetFillRect(0, 0, 400, 300,
                           MakePixelValue(g_softDrawSurfaces.target->base->colorFormat, 255, 0, 0, 255));
        ApplyMaskToDrawnArea(0, 0, 400, 300);
    }
    static std::pair<uint32_t, uint32_t> SoftwareHalves() {
        EXPECT_EQ(ScreenPixel(199, 0), ScreenPixel(10, 150));
        EXPECT_EQ(ScreenPixel(200, 299), ScreenPixel(390, 150));
        return {ScreenPixel(10, 150), ScreenPixel(390, 150)};
    }
};

}  // namespace

TEST_F(MaskScreenTest, BufferAndTexturesOfA400x300Screen) {
    StartDevice(32, 0);
    EXPECT_EQ(SetMaskDrawingEnabled(1), -1);
    EXPECT_EQ(GetMaskDrawingEnabled(), 0);
    StartTrace();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(maskScreen.pitch, 400);
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateTexture(512, 512, 1, 512, 21, 0, ptr, NULL)"), 1);
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateTexture(512, 512, 1, 1, 22, 0, ptr, NULL)"), 1);
    EXPECT_EQ(SetMaskDrawingEnabled(1), 0);
    EXPECT_EQ(GetMaskDrawingEnabled(), 1);
    // A second creation makes nothing new.
    StartTrace();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DDevice9::CreateTexture"), 0);
}

TEST_F(MaskScreenTest, DeviceFillReachesOnlyWhatTheMaskLetsThrough) {
    StartDevice(32, kBlue);
    WriteHalfMask();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
    for (int reverse : {0, 1}) {
        SCOPED_TRACE(reverse);
        ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, kBlue), D3D_OK);
        maskScreen.reverse = reverse;
        DeviceFill(0, 0, 400, 300);
        const auto expected = reverse ? std::make_pair(kBlue, kRed) : std::make_pair(kRed, kBlue);
        EXPECT_EQ(DeviceHalves(), expected);
    }
}

// Only the outer pair of nested draws copies; a rectangle outside the draw area copies nothing.
TEST_F(MaskScreenTest, NestedAndOutsideDrawsOnTheDevice) {
    StartDevice(32, kBlue);
    WriteHalfMask();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
    StartTrace();
    BeginMaskDraw(0, 0, 400, 300);
    DeviceFill(0, 0, 400, 300);
    ApplyMaskToDrawnArea(0, 0, 400, 300);
    std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::StretchRect"), 1);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP"), 1);
    EXPECT_EQ(maskScreen.nesting, 0);
    DeviceFill(400, 0, 500, 300);
    DeviceFill(-50, -50, 0, 0);
    trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::StretchRect"), 0);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP"), 0);
    EXPECT_EQ(maskScreen.nesting, 0);
}

// The mask bytes outlive the device: after a loss and restart the fill still reaches the left half.
TEST_F(MaskScreenTest, MaskSurvivesARestart) {
    StartDevice(32, kBlue);
    WriteHalfMask();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, 1);
    EXPECT_EQ(GetMaskDrawingEnabled(), 1);
    ASSERT_EQ(DeviceColorFill(BackBufferSurface, nullptr, kBlue), D3D_OK);
    DeviceFill(0, 0, 400, 300);
    EXPECT_EQ(DeviceHalves(), std::make_pair(kRed, kBlue));
}

// In software the draws go to the mask image; the apply copies back where the mask lets it, also from a
// mask image whose pixel size differs from the screen's.
TEST_F(MaskScreenTest, SoftwareFillReachesOnlyWhatTheMaskLetsThrough) {
    struct Case {
        int colorBits;
        int maskKind;  // the default kind the mask image is made with
        int reverse;
    };
    const Case cases[] = {{16, 0, 0}, {32, 1, 1}, {32, 0, 0}, {16, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.colorBits << " bits, mask kind " << c.maskKind);
        StartBlueSoftware(c.colorBits);
        SetMemImgDefaultKind(c.maskKind);
        MEMIMG* screen = GetScreenMemImage();
        WriteHalfMask();
        ASSERT_EQ(CreateMaskScreen(1), 0);
        ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
        maskScreen.reverse = c.reverse;
        ASSERT_EQ(g_softDrawSurfaces.target, &maskScreen.memImg);
        SoftwareFill();
        const auto expected = c.reverse ? std::make_pair(kBlue, kRed) : std::make_pair(kRed, kBlue);
        EXPECT_EQ(SoftwareHalves(), std::make_pair(Raw(expected.first), Raw(expected.second)));
        ASSERT_EQ(SetMaskDrawingEnabled(0), 0);
        EXPECT_EQ(g_softDrawSurfaces.target, screen);
        ShutdownGraphics();
    }
}

// Drawing left on the mask screen (a pending mask) reaches the draw screen where the mask lets it at the
// next call that applies a pending mask; the flag is cleared. With mask drawing off nothing is copied.
TEST_F(MaskScreenTest, PendingMaskIsAppliedByTheNextCallThatAppliesIt) {
    const RECT corner{0, 0, 1, 1};
    const struct {
        const char* name;
        bool maskOn;
        std::function<void()> call;
    } cases[] = {
        {"SetClipRect", true, [] { SetClipRect(0, 0, 400, 300); }},
        {"ClearDrawTarget", true, [&] { ClearDrawTarget(&corner); }},
        {"FlipFrame", true, [] { FlipFrame(nullptr); }},
        {"BeginMaskDraw", true, [] { BeginMaskDraw(0, 0, 1, 1), ApplyMaskToDrawnArea(0, 0, 1, 1); }},
        {"SetMaskDrawingEnabled", true, [] { SetMaskDrawingEnabled(0); }},
        {"mask off", false, [] { SetClipRect(0, 0, 400, 300); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartBlueSoftware(32);
        libraryFlags.initialised = 1;
        WriteHalfMask();
        ASSERT_EQ(CreateMaskScreen(1), 0);
        ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
        FillMemImgRect(&maskScreen.memImg, nullptr,
                       MakePixelValue(maskScreen.memImg.base->colorFormat, 255, 0, 0, 255));
        if (!c.maskOn) {
            ASSERT_EQ(SetMaskDrawingEnabled(0), 0);
        }
        maskScreen.pendingApply = 1;
        c.call();
        EXPECT_EQ(maskScreen.pendingApply, 0);
        EXPECT_EQ(SoftwareHalves(), std::make_pair(Raw(c.maskOn ? kRed : kBlue), Raw(kBlue)));
        ShutdownGraphics();
    }
}

// On the device the pending drawing is combined from the mask screen onto the real draw screen.
TEST_F(MaskScreenTest, PendingMaskOnTheDevice) {
    StartDevice(32, kBlue);
    WriteHalfMask();
    ASSERT_EQ(CreateMaskScreen(1), 0);
    ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
    ASSERT_EQ(DeviceColorFill(maskScreen.screenSurface, nullptr, kRed), D3D_OK);
    maskScreen.pendingApply = 1;
    ASSERT_EQ(SetClipRect(0, 0, 400, 300), 0);
    EXPECT_EQ(maskScreen.pendingApply, 0);
    EXPECT_EQ(DeviceHalves(), std::make_pair(kRed, kBlue));
}

// A draw target larger than the logical screen: the apply stays inside the mask.
TEST_F(MaskScreenTest, RectangleBeyondTheLogicalScreenIsClipped) {
    StartBlueSoftware(32);
    screenSettings.logicalWidth = 200;
    screenSettings.logicalHeight = 100;
    int pitch = 0;
    ASSERT_NE(GetMaskBuffer(&pitch), nullptr);
    EXPECT_EQ(pitch, 200);
    ASSERT_EQ(CreateMaskScreen(1), 0);
    ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
    SoftwareFill();
    EXPECT_EQ(ScreenPixel(10, 50), Raw(kRed));
    EXPECT_EQ(ScreenPixel(199, 99), Raw(kRed));
    EXPECT_EQ(ScreenPixel(200, 50), Raw(kBlue));
    EXPECT_EQ(ScreenPixel(10, 100), Raw(kBlue));
    EXPECT_EQ(ScreenPixel(399, 299), Raw(kBlue));
}

// Moving the window while the front screen is the draw target leaves the mask switch as it was.
TEST_F(MaskScreenTest, WindowMoveKeepsTheMaskSwitch) {
    StartDevice(32, 0);
    ASSERT_EQ(CreateMaskScreen(1), 0);
    SelectDrawTarget(kDrawTargetFrontScreen);
    for (int on : {0, 1, 0}) {
        ASSERT_EQ(SetMaskDrawingEnabled(on), 0);
        OnWindowMoved(LPARAM((20 << 16) | 10));
        EXPECT_EQ(GetMaskDrawingEnabled(), on);
    }
    SelectDrawTarget(kDrawTargetBackBuffer);
}
