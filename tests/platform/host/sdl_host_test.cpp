// The SDL host on a real X server: the test starts Xvfb itself (xvfb-run) and runs the DISABLED_ tests
// below in a child process of this binary. It skips only when xvfb-run is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi32.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

namespace {

std::string SelfPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, length) : std::string();
}

int RunSelf(const std::string& environment, const std::string& filter, bool under_xvfb) {
    std::ostringstream command;
    // Leaks are looked for in the window too, less the one libdbus keeps (see the suppressions file).
    command << "env ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions='" << KORVALUND_SOURCE_DIR
            << "/tests/platform/host/sdl_leak_suppressions.txt' " << environment << ' ';
    if (under_xvfb) command << "xvfb-run -a -s '-screen 0 1024x768x24' ";
    command << '\'' << SelfPath() << "' --gtest_also_run_disabled_tests --gtest_filter='" << filter << '\'';
    int status = std::system(command.str().c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SdlHostTest, RealWindowUnderXvfbShowsItsPictureTakesKeysAndCloses) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    EXPECT_EQ(RunSelf("KORVALUND_HOST=sdl", "DISABLED_SdlHostLive.*", true), 0);
}

std::vector<UINT>& Received() {
    static std::vector<UINT> received;
    return received;
}

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Received().push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpFor(int milliseconds) {
    for (int i = 0; i < milliseconds; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        usleep(1000);
    }
}

bool Received(UINT message) {
    return std::find(Received().begin(), Received().end(), message) != Received().end();
}

TEST(DISABLED_SdlHostLive, WindowPaintedFromADibReadsBackExactlyAndClosesOnRequest) {
    ResetWindowStandInForTests();
    ASSERT_TRUE(SetHostKind(HostKind::kSdl)) << "SDL video did not start under Xvfb";
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = RecordingProcedure;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = "KorvalundSdlLive";
    ASSERT_NE(RegisterClassExA(&window_class), 0);
    RECT rect{0, 0, 64, 48};
    AdjustWindowRectEx(&rect, 0x80CA0000u, FALSE, 0);
    HWND window =
        CreateWindowExA(0, "KorvalundSdlLive", "Korvalund", 0x80CA0000u | WS_VISIBLE, 100, 100,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    PumpFor(200);

    // Another process sees the window class (the double-start check).
    EXPECT_EQ(RunSelf("KORVALUND_HOST=sdl KORVALUND_FIND_CLASS=KorvalundSdlLive",
                      "DISABLED_SdlHostOtherProcess.*", false),
              0);

    std::vector<uint32_t> pattern(64 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            pattern[y * 64 + x] = (x * 4) << 16 | (y * 5) << 8 | ((x ^ y) * 3 & 0xFF);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -48;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(window);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 64, 48, 0, 0, 0, 48, pattern.data(), &info, DIB_RGB_COLORS), 48);
    ReleaseDC(window, dc);

    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    ASSERT_TRUE(HostReadPicture(window, &shown, &width, &height));
    ASSERT_EQ(width, 64);
    ASSERT_EQ(height, 48);
    int wrong = 0;
    for (int i = 0; i < 64 * 48; ++i) wrong += (shown[i] | 0xFF000000u) != (pattern[i] | 0xFF000000u);
    EXPECT_EQ(wrong, 0) << "pixels that differ from the DIB";

    Received().clear();
    HostEvent key;
    key.kind = HostEventKind::kKey;
    key.window = window;
    key.dik = 0x1E;
    key.down = true;
    HostInjectEvent(key);
    PumpFor(50);
    EXPECT_TRUE(Received(WM_KEYDOWN)) << "a key through SDL's event queue";

    HostEvent close;
    close.kind = HostEventKind::kClose;
    HostInjectEvent(close);
    for (int i = 0; i < 200 && IsWindow(window); ++i) PumpFor(5);
    EXPECT_TRUE(Received(WM_CLOSE));
    EXPECT_TRUE(Received(WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(HostHasWindow(window));
}

TEST(DISABLED_SdlHostOtherProcess, FindsTheWindowOfAnotherProcess) {
    const char* class_name = std::getenv("KORVALUND_FIND_CLASS");
    ASSERT_NE(class_name, nullptr);
    EXPECT_NE(FindWindowA(class_name, nullptr), nullptr);
    EXPECT_EQ(FindWindowA("KorvalundNoSuchClass", nullptr), nullptr);
}

}  // namespace
