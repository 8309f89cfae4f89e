#include <gtest/gtest.h>

#include "tests/platform/user/window_fixture.h"

namespace {

using WindowCreationTest = WindowFixture;

TEST_F(WindowCreationTest, VisibleWindowGetsItsMessagesInWindowsOrderBeforeCreateReturns) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    std::vector<UINT> expected = {WM_NCCREATE,   WM_CREATE,      WM_SIZE,     WM_MOVE,
                                  WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS};
    EXPECT_EQ(MessagesOf(window), expected);
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WindowCreationTest, SizeAndMoveCarryTheClientAreaOfTheAdjustedRectangle) {
    RECT rect{0, 0, 800, 600};
    ASSERT_TRUE(AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle));
    // Caption and fixed frame plus the client edge.
    EXPECT_LT(rect.left, 0);
    EXPECT_LT(rect.top, rect.left);
    HWND window = CreateWindowExA(kExStyle, kClassName, "t", kStyle, 100, 50, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    for (const RecordedMessage& m : recorded) {
        if (m.message == WM_SIZE) {
            EXPECT_EQ(m.lParam, MAKELONG(800, 600));
        }
        if (m.message == WM_MOVE) {
            EXPECT_EQ(m.lParam, MAKELONG(100 - rect.left, 50 - rect.top));
        }
    }
    POINT origin{0, 0};
    ASSERT_TRUE(ClientToScreen(window, &origin));
    EXPECT_EQ(origin.x, 100 - rect.left);
    EXPECT_EQ(origin.y, 50 - rect.top);
}

TEST_F(WindowCreationTest, CreateReturningMinusOneDestroysTheWindowAndFails) {
    handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message != WM_CREATE) return false;
        *result = -1;
        return true;
    };
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    EXPECT_EQ(window, nullptr);
    ASSERT_GE(recorded.size(), 4u);
    HWND attempted = recorded[0].window;
    std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(MessagesOf(attempted), expected);
    EXPECT_FALSE(IsWindow(attempted));
}

TEST_F(WindowCreationTest, MessagesSentFromCreateAreHandledInsideIt) {
    const UINT custom = WM_USER + 5;
    handler = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message == WM_CREATE) {
            EXPECT_EQ(SendMessageA(window, custom, 1, 2), 42);
        }
        if (message != custom) return false;
        *result = 42;
        return true;
    };
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE, custom, WM_SIZE, WM_MOVE};
    EXPECT_EQ(MessagesOf(window), expected);
}

TEST_F(WindowCreationTest, UnknownClassFailsAndClassNamesIgnoreCase) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    HWND window = CreateWindowExA(0, "korvalundTESTclass", "t", kStyle, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(FindWindowA("KORVALUNDTESTCLASS", nullptr), window);
    EXPECT_EQ(FindWindowA(kClassName, "other title"), nullptr);
    EXPECT_FALSE(UnregisterClassA(kClassName, nullptr)) << "a window of the class still exists";
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(FindWindowA(kClassName, nullptr), nullptr);
    EXPECT_TRUE(UnregisterClassA(kClassName, nullptr));
}

TEST_F(WindowCreationTest, DestroyWindowDeactivatesThenSendsDestroyAndDropsQueuedMessages) {
    HWND window = MakeWindow(kStyle | WS_VISIBLE);
    PostMessageA(window, WM_USER, 0, 0);
    recorded.clear();
    ASSERT_TRUE(DestroyWindow(window));
    std::vector<UINT> expected = {WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(MessagesOf(window), expected);
    EXPECT_EQ(recorded[0].wParam, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(recorded[1].wParam, static_cast<WPARAM>(FALSE));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowCreationTest, ShowWindowCommandsSendSizeAndActivation) {
    HWND window = MakeWindow();
    recorded.clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_MINIMIZE));
    EXPECT_TRUE(IsIconic(window));
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    std::vector<UINT> expected = {WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_ACTIVATE,    WM_SETFOCUS,
                                  WM_SIZE,       WM_ACTIVATE,    WM_ACTIVATEAPP, WM_KILLFOCUS,
                                  WM_SIZE,       WM_ACTIVATEAPP, WM_ACTIVATE,    WM_SETFOCUS};
    EXPECT_EQ(MessagesOf(window), expected);
    // Minimising: WM_SIZE(SIZE_MINIMIZED) with a zero size.
    EXPECT_EQ(recorded[4].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(recorded[8].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(recorded[8].lParam, MAKELONG(200 - 10, 100 - 33));
}

TEST_F(WindowCreationTest, SetWindowPosSendsSizeOnlyWhenTheClientSizeChanges) {
    HWND window = MakeWindow();
    recorded.clear();
    ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_TRUE(MessagesOf(window).empty());
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(MoveWindow(window, 5, 6, 300, 200, FALSE));
    std::vector<UINT> expected = {WM_MOVE, WM_SIZE};
    EXPECT_EQ(MessagesOf(window), expected);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.right, 305);
}

TEST_F(WindowCreationTest, WindowLongsAndTextRoundTrip) {
    HWND window = MakeWindow();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), kStyle);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1234);
    WNDPROC procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_NE(procedure, nullptr);
    ASSERT_TRUE(SetWindowTextA(window, "Korvalund"));
    char text[6];
    EXPECT_EQ(GetWindowTextA(window, text, sizeof(text)), 5);
    EXPECT_STREQ(text, "Korva");
}

}  // namespace
