// Locking a rectangle of the draw screen: directly or through a system-memory copy, and its release.
#include "engine/graphics/loss/back_buffer_lock.h"

#include <algorithm>

#include "engine/graphics/device/present_frame.h"
#include "tests/graphics/loss/loss_fixture.h"

namespace {

class BackBufferLockTest : public LossTest {
  protected:
    void SetUp() override {
        LossTest::SetUp();
        StartDevice(32, 0x00FF8040);
        StartTrace();
    }
    // Every pixel of the locked record is rgb.
    static bool AllLocked(const SoftImage& image, uint32_t rgb) {
        for (int y = 0; y < image.height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(image.pixels) + y * image.pitch);
            for (int x = 0; x < image.width; ++x)
                if ((row[x] & 0xFFFFFF) != rgb) return false;
        }
        return true;
    }
    static int CountPrefix(const std::vector<std::string>& trace, const std::string& prefix) {
        int n = 0;
        for (const std::string& call : trace) n += call.rfind(prefix, 0) == 0;
        return n;
    }
};

}  // namespace

TEST_F(BackBufferLockTest, EitherPathGivesTheRectangleOfTheClearedScreen) {
    struct Case {
        int directLock;
        int renderTargets;  // CreateRenderTarget calls
        int copies;         // GetRenderTargetData calls
    };
    for (const Case c : {Case{0, 1, 1}, Case{1, 0, 0}}) {
        SCOPED_TRACE(c.directLock);
        deviceCapabilityFlags.backBufferLock = c.directLock;
        D3D9TakeTrace();
        const RECT rect{10, 20, 110, 70};
        SoftImage image{};
        ASSERT_EQ(LockBackBuffer(&rect, &image, -1, 1, 0), 0);
        const std::vector<std::string> trace = TakeTrace();
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::CreateRenderTarget"), c.renderTargets);
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::StretchRect"), c.renderTargets);
        EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::GetRenderTargetData"), c.copies);
        EXPECT_EQ(CountPrefix(trace, "IDirect3DSurface9::LockRect"), 1);
        EXPECT_EQ(image.width, 100);
        EXPECT_EQ(image.height, 50);
        EXPECT_EQ(image.format.bitDepth, 32);
        EXPECT_TRUE(AllLocked(image, 0xFF8040));
        EXPECT_EQ(backBufferLock.locked, 1);
        EXPECT_EQ(ReleaseBackBufferLock(), 0);
        EXPECT_EQ(backBufferLock.locked, 0);
        EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DSurface9::UnlockRect"), 1);
    }
}

// A lock taken while one is held gives the first surface back instead of leaving it locked.
TEST_F(BackBufferLockTest, SecondLockReleasesTheFirst) {
    deviceCapabilityFlags.backBufferLock = 1;
    const RECT rect{0, 0, 8, 8};
    SoftImage image{};
    ASSERT_EQ(LockBackBuffer(&rect, &image, -1, 0, 0), 0);
    TakeTrace();
    ASSERT_EQ(LockBackBuffer(&rect, &image, -1, 0, 0), 0);
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DSurface9::UnlockRect"), 1);
    EXPECT_EQ(CountPrefix(trace, "IDirect3DSurface9::LockRect"), 1);
    ReleaseBackBufferLock();
    // The back buffer is unlocked: a lock of it succeeds.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(BackBufferSurface->LockRect(&locked, nullptr, 0), D3D_OK);
    BackBufferSurface->UnlockRect();
}

TEST_F(BackBufferLockTest, RectangleOutsideTheScreenIsRefused) {
    for (const RECT rect :
         {RECT{0, 0, 801, 600}, RECT{5, 0, 5, 10}, RECT{-1, 0, 10, 10}, RECT{0, 10, 10, 5}}) {
        SoftImage image{};
        EXPECT_EQ(LockBackBuffer(&rect, &image, -1, 1, 0), -1);
        EXPECT_EQ(backBufferLock.locked, 0);
    }
    EXPECT_EQ(LockBackBuffer(nullptr, nullptr, -1, 1, 0), -1);
}

// A copy that cannot be made leaves nothing made and nothing locked.
TEST_F(BackBufferLockTest, FailedCopyReleasesWhatWasMade) {
    deviceCapabilityFlags.backBufferLock = 0;
    const RECT rect{0, 0, 16, 16};
    SoftImage image{};
    for (const char* method : {"CreateRenderTarget", "CreateOffscreenPlainSurface"}) {
        SCOPED_TRACE(method);
        D3D9FailCreation(method, 1);
        EXPECT_EQ(LockBackBuffer(&rect, &image, -1, 1, 0), -1);
        EXPECT_EQ(backBufferLock.locked, 0);
        EXPECT_EQ(backBufferLock.systemSurface, nullptr);
    }
    EXPECT_TRUE(Logged("バックバッファロック用描画可能サーフェスの作成に失敗しました"));
    EXPECT_TRUE(Logged("バックバッファロック用システムメモリサーフェスの作成に失敗しました"));
    D3D9SetDeviceLost(true);
    EXPECT_EQ(LockBackBuffer(&rect, &image, -1, 1, 0), -1);
    EXPECT_EQ(backBufferLock.locked, 0);
}

TEST_F(LossTest, SoftwareLockPointsIntoTheScreenImage) {
    StartSoftware(32);
    const RECT rect{4, 3, 20, 10};
    SoftImage image{};
    ASSERT_EQ(LockBackBuffer(&rect, &image, -1, 1, 0), 0);
    MEMIMG* screen = GetScreenMemImage();
    EXPECT_EQ(image.pixels, screen->pixels + 3 * screen->base->pitch + 4 * 4);
    EXPECT_EQ(image.pitch, screen->base->pitch);
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 7);
    EXPECT_EQ(backBufferLock.locked, 1);
}

// In a layered window the frame goes through a lock of the whole back buffer, which is let go again.
TEST_F(BackBufferLockTest, LayeredPresentShowsTheBackBuffer) {
    RECT frame{0, 0, 800, 600};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, WS_EX_LAYERED);
    HWND window = CreateWindowExA(WS_EX_LAYERED, "DeviceTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    libraryState.settings.mainWindow = window;
    libraryState.settings.layered = 1;
    libraryState.run.updateLayeredWindow =
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("user32"), "UpdateLayeredWindow"));
    SetWaitVerticalSync(0);
    for (int directLock : {0, 1}) {
        deviceCapabilityFlags.backBufferLock = directLock;
        ASSERT_EQ(PresentFrame(nullptr), 0);
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(HostReadPicture(window, &pixels, &width, &height));
        ASSERT_EQ(width, 800);
        ASSERT_EQ(height, 600);
        EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0xFFFF8040; }));
        EXPECT_EQ(backBufferLock.locked, 0);
        EXPECT_EQ(backBufferLock.directSurface, nullptr);
        EXPECT_EQ(backBufferLock.systemSurface, nullptr);
    }
}
