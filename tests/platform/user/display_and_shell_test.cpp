#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi32.h"
#include "platform/host/host.h"
#include "platform/user/drop_files.h"
#include "platform/user/shell32.h"
#include "tests/platform/user/window_fixture.h"

namespace {

using DisplayAndShellTest = WindowFixture;

struct Mode {
    DWORD width, height, bits;
    bool operator==(const Mode&) const = default;
};

std::vector<Mode> ListedModes() {
    std::vector<Mode> modes;
    DEVMODEA mode{};
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        EXPECT_EQ(mode.dmSize, sizeof(DEVMODEA));
        modes.push_back(Mode{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel});
    }
    return modes;
}

DEVMODEA Request(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    return mode;
}

TEST_F(DisplayAndShellTest, ModeListHasTheGamesModesAtSixteenAndThirtyTwoBits) {
    auto modes = ListedModes();
    for (Mode wanted : {Mode{640, 480, 16}, Mode{800, 600, 16}, Mode{640, 480, 32}, Mode{800, 600, 32}})
        EXPECT_NE(std::find(modes.begin(), modes.end(), wanted), modes.end())
            << wanted.width << "x" << wanted.bits;
    for (const Mode& mode : modes) EXPECT_TRUE(mode.bits == 16 || mode.bits == 32);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES), 32);
    ReleaseDC(nullptr, screen);
}

TEST_F(DisplayAndShellTest, ChangingTheModeIsRecordedAnnouncedAndUndone) {
    HWND window = MakeWindow();
    int desktop_width = GetSystemMetrics(SM_CXSCREEN);
    DEVMODEA bad = Request(801, 600, 16);
    EXPECT_EQ(ChangeDisplaySettingsA(&bad, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktop_width);
    DEVMODEA wanted = Request(800, 600, 16);
    wanted.dmFields |= DM_DISPLAYFREQUENCY;
    wanted.dmDisplayFrequency = 75;
    EXPECT_EQ(ChangeDisplaySettingsA(&wanted, CDS_FULLSCREEN), DISP_CHANGE_BADMODE) << "no 75 Hz mode";
    wanted.dmFields &= ~DM_DISPLAYFREQUENCY;
    recorded.clear();
    ASSERT_EQ(ChangeDisplaySettingsA(&wanted, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(MessagesOf(window).size(), 1u);
    EXPECT_EQ(recorded[0].message, static_cast<UINT>(WM_DISPLAYCHANGE));
    EXPECT_EQ(recorded[0].wParam, 16u);
    EXPECT_EQ(recorded[0].lParam, MAKELONG(800, 600));
    DEVMODEA current{};
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(current.dmPelsWidth, 800u);
    EXPECT_EQ(current.dmBitsPerPel, 16u);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktop_width);
}

TEST_F(DisplayAndShellTest, DroppedFilesArriveAsAListTheWindowReadsAndFrees) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    PumpAll();
    HostEvent drop;
    drop.kind = HostEventKind::kDropFiles;
    drop.window = window;
    drop.files = {"C:\\data\\a.rep", "b.rep"};
    HostInjectEvent(drop);
    HDROP handle = nullptr;
    handler = [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
        if (message == WM_DROPFILES) handle = reinterpret_cast<HDROP>(wParam);
        return false;
    };
    PumpAll();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileA(handle, 0, nullptr, 0), 13u);
    char name[6];
    EXPECT_EQ(DragQueryFileA(handle, 0, name, sizeof(name)), 5u);
    EXPECT_STREQ(name, "C:\\da");
    EXPECT_EQ(DragQueryFileA(handle, 2, name, sizeof(name)), 0u);
    DragFinish(handle);
    EXPECT_EQ(LiveDropHandleCount(), 0u);
    EXPECT_EQ(DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST_F(DisplayAndShellTest, MessageBoxWritesToStandardErrorAndAnswersAtOnce) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "text here", "Caption", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_RETRYCANCEL), IDRETRY);
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Caption"), std::string::npos);
    EXPECT_NE(written.find("text here"), std::string::npos);
}

TEST_F(DisplayAndShellTest, ShowCursorCountsAndLayeredWindowsKeepTheKeyTransparent) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    HWND window = CreateWindowExA(WS_EX_LAYERED, kClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 2, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    const uint32_t pixels[2] = {0x0000FF00, 0x00123456};  // pure green is the key
    std::memcpy(bits, pixels, sizeof(pixels));
    POINT origin{0, 0};
    SIZE size{2, 1};
    EXPECT_TRUE(UpdateLayeredWindow(window, nullptr, nullptr, &size, dc, &origin, RGB(0, 255, 0), nullptr,
                                    ULW_COLORKEY));
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    ASSERT_TRUE(HostReadPicture(window, &shown, &width, &height));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0] >> 24, 0u) << "the key colour is fully transparent";
    EXPECT_EQ(shown[1], 0xFF123456u);
    HWND plain = MakeWindow();
    EXPECT_FALSE(UpdateLayeredWindow(plain, nullptr, nullptr, &size, dc, &origin, 0, nullptr, ULW_COLORKEY));
    DeleteDC(dc);
    DeleteObject(bitmap);
}

}  // namespace
