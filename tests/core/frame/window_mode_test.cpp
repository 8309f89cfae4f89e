#include "engine/core/frame/window_mode.h"

#include <gmock/gmock.h>

#include "engine/core/frame/window_sizing.h"
#include "tests/core/frame/library_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr WindowFrame kFrame = {8, 31, 8, 8};

// A proposed outer rectangle at (100, 100) around a client of the given size.
RECT Proposed(int clientWidth, int clientHeight) {
    return RECT{100, 100, 100 + kFrame.left + kFrame.right + clientWidth,
                100 + kFrame.top + kFrame.bottom + clientHeight};
}

struct SizingCase {
    int edge;
    int proposedWidth, proposedHeight;
    int width, height;         // client size after sizing
    bool leftMoves, topMoves;  // else the right, else the bottom edge moves
};

class SizingTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        libraryState.settings.windowMode = 1;
        libraryState.run.desktopWidth = 1920;
        libraryState.run.desktopHeight = 1080;
    }
    static void ExpectSized(const SizingCase& c, const RECT& rect) {
        const RECT proposed = Proposed(c.proposedWidth, c.proposedHeight);
        EXPECT_EQ(rect.right - rect.left, c.width + kFrame.left + kFrame.right) << "edge " << c.edge;
        EXPECT_EQ(rect.bottom - rect.top, c.height + kFrame.top + kFrame.bottom) << "edge " << c.edge;
        EXPECT_EQ(c.leftMoves ? rect.right : rect.left, c.leftMoves ? proposed.right : proposed.left)
            << "edge " << c.edge << ": the wrong horizontal edge moved";
        EXPECT_EQ(c.topMoves ? rect.bottom : rect.top, c.topMoves ? proposed.bottom : proposed.top)
            << "edge " << c.edge << ": the wrong vertical edge moved";
    }
};

// Screen 800 x 600. The deciding side: width for left/right, height for top/bottom, for a corner the
// relatively larger side (height on a tie). The moving edges follow the sizing table.
TEST_F(SizingTest, KeepsTheScreensAspectAndMovesTheTablesEdges) {
    const SizingCase cases[] = {
        {WMSZ_LEFT, 1000, 600, 1000, 750, true, false},
        {WMSZ_RIGHT, 1000, 600, 1000, 750, false, false},
        {WMSZ_TOP, 800, 900, 1200, 900, false, true},
        {WMSZ_BOTTOM, 800, 900, 1200, 900, false, false},
        {WMSZ_TOPLEFT, 1000, 900, 1200, 900, true, true},
        {WMSZ_TOPRIGHT, 1200, 600, 1200, 900, false, true},
        {WMSZ_BOTTOMLEFT, 880, 660, 880, 660, true, false},
        {WMSZ_BOTTOMRIGHT, 400, 450, 600, 450, false, false},
    };
    for (const SizingCase& c : cases) {
        RECT rect = Proposed(c.proposedWidth, c.proposedHeight);
        SizeWindowRect(c.edge, &rect, kFrame);
        ExpectSized(c, rect);
        EXPECT_DOUBLE_EQ(libraryState.settings.sizeRateX, double(c.width) / 800) << "edge " << c.edge;
        EXPECT_DOUBLE_EQ(libraryState.settings.sizeRateY, libraryState.settings.sizeRateX);
    }
}

TEST_F(SizingTest, StopsAt128PixelsOnTheSmallerScreenSide) {
    const SizingCase cases[] = {
        {WMSZ_RIGHT, 100, 600, 170, 128, false, false},
        {WMSZ_TOPLEFT, 50, 40, 170, 128, true, true},
    };
    for (const SizingCase& c : cases) {
        RECT rect = Proposed(c.proposedWidth, c.proposedHeight);
        SizeWindowRect(c.edge, &rect, kFrame);
        ExpectSized(c, rect);
        EXPECT_DOUBLE_EQ(libraryState.settings.sizeRateX, 128.0 / 600);
    }
    SetScreenMode(240, 320, 16, 60);  // a portrait screen: the width is the smaller side
    RECT rect = Proposed(60, 80);
    SizeWindowRect(WMSZ_BOTTOMRIGHT, &rect, kFrame);
    EXPECT_EQ(rect.right - rect.left - 16, 128);
    EXPECT_EQ(rect.bottom - rect.top - 39, 170);
}

TEST_F(SizingTest, WiderThanTheDesktopIsClampedBeforeTheRate) {
    RECT rect = Proposed(3000, 600);
    SizeWindowRect(WMSZ_RIGHT, &rect, kFrame);
    EXPECT_EQ(rect.right - rect.left, 1920);
    EXPECT_DOUBLE_EQ(libraryState.settings.sizeRateX, 1904.0 / 800);
}

TEST_F(SizingTest, SizeRateOnlyLimitsTheSizeAndKeepsTheRates) {
    libraryState.settings.sizeRateOnly = 1;
    libraryState.settings.sizeRateX = libraryState.settings.sizeRateY = 1.0;
    RECT rect = Proposed(1000, 700);
    SizeWindowRect(WMSZ_RIGHT, &rect, kFrame);
    const RECT proposed = Proposed(1000, 700);
    EXPECT_EQ(rect.left, proposed.left);
    EXPECT_EQ(rect.right, proposed.left + 816) << "a right drag keeps its left edge";
    EXPECT_EQ(rect.bottom, proposed.bottom) << "a drag not at the bottom moves the top edge";
    EXPECT_EQ(rect.top, proposed.bottom - 639);
    rect = Proposed(500, 400);
    SizeWindowRect(WMSZ_BOTTOMLEFT, &rect, kFrame);
    EXPECT_EQ(rect.left, Proposed(500, 400).left) << "sizes within the limit stay as proposed";
    EXPECT_EQ(rect.bottom, Proposed(500, 400).bottom);
    EXPECT_DOUBLE_EQ(libraryState.settings.sizeRateX, 1.0);
}

class WindowModeTest : public LibraryTest {
  protected:
    void StartInWindow() {
        ChangeWindowMode(1);
        ASSERT_EQ(LibraryInit(), 0);
    }
    static SIZE ClientSize() {
        RECT client;
        GetClientRect(GetMainWindowHandle(), &client);
        return SIZE{client.right - client.left, client.bottom - client.top};
    }
};

TEST_F(WindowModeTest, SizingMessageOfTheRealWindowKeepsTheAspect) {
    StartInWindow();
    RECT outer;
    GetWindowRect(GetMainWindowHandle(), &outer);
    RECT proposed = outer;
    proposed.right += 200;
    SendMessageA(GetMainWindowHandle(), WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(proposed.right - proposed.left, outer.right - outer.left + 200);
    EXPECT_EQ(proposed.bottom - proposed.top, outer.bottom - outer.top + 150);
    EXPECT_EQ(proposed.top, outer.top);
}

TEST_F(WindowModeTest, SameModeLogsAndReturnsZero) {
    StartInWindow();
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_THAT(ReadLog(), HasSubstr("ChangeWindowMode実行 \r\n"));
    EXPECT_EQ(GetWindowModeFlag(), 1);
}

TEST_F(WindowModeTest, FullScreenWithoutADisplayModeOfTheSizeFailsAndStaysInAWindow) {
    SetScreenMode(700, 500, 16, 60);
    StartInWindow();
    EXPECT_EQ(ChangeWindowMode(0), -1);
    EXPECT_EQ(GetWindowModeFlag(), 1);
    EXPECT_THAT(ReadLog(), Not(HasSubstr("ウインドウモードフラグが倒されました")));
}

TEST_F(WindowModeTest, SwitchesToFullScreenAndBack) {
    StartInWindow();
    HWND window = GetMainWindowHandle();
    ASSERT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(GetWindowModeFlag(), 0);
    EXPECT_EQ(DWORD(GetWindowLongA(window, GWL_STYLE)) & ~WS_VISIBLE, WS_POPUP);
    EXPECT_EQ(DWORD(GetWindowLongA(window, GWL_EXSTYLE)) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    EXPECT_THAT(ReadLog(), HasSubstr("ウインドウモードフラグが倒されました\r\n"));
    EXPECT_THAT(ReadLog(), HasSubstr("ウインドウスタイルをフルスクリーンモード用に変更します... 完了\r\n"));
    ASSERT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(DWORD(GetWindowLongA(window, GWL_STYLE)), 0x80CA0000u | WS_VISIBLE);
    EXPECT_EQ(DWORD(GetWindowLongA(window, GWL_EXSTYLE)) & 0xFFFFu, 0x300u);
    EXPECT_EQ(ClientSize().cx, 800);
    EXPECT_EQ(ClientSize().cy, 600);
}

TEST_F(WindowModeTest, SizeRateWithZeroHeightRateTakesTheWidthRateAndResizes) {
    StartInWindow();
    EXPECT_EQ(SetWindowSizeRate(2.0, 0), 0);
    double x = 0, y = 0;
    EXPECT_DOUBLE_EQ(GetWindowSizeRate(&x, &y), 2.0);
    EXPECT_DOUBLE_EQ(y, 2.0);
    EXPECT_EQ(ClientSize().cx, 1600);
    EXPECT_EQ(ClientSize().cy, 1200);
}

TEST_F(WindowModeTest, SizeRatesOfZeroOrLessReadAsOneAndFullScreenReadsOne) {
    SetWindowSizeRate(-3.0, -1.0);
    double x = 0, y = 0;
    ChangeWindowMode(1);
    EXPECT_DOUBLE_EQ(GetWindowSizeRate(&x, &y), 1.0);
    EXPECT_DOUBLE_EQ(y, 1.0);
    SetWindowSizeRate(1.5, 2.5);
    ChangeWindowMode(0);
    EXPECT_DOUBLE_EQ(GetWindowSizeRate(&x, &y), 1.0);
    EXPECT_DOUBLE_EQ(y, 1.0);
    ChangeWindowMode(1);
    EXPECT_DOUBLE_EQ(GetWindowSizeRate(&x, &y), 1.5);
    EXPECT_DOUBLE_EQ(y, 2.5);
}

TEST_F(WindowModeTest, AltEnterSwitchesOnlyWithItsSetting) {
    StartInWindow();
    HWND window = GetMainWindowHandle();
    SendMessageA(window, WM_SYSCHAR, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(GetWindowModeFlag(), 1);
    libraryState.settings.altEnterSwitchesMode = 1;
    EXPECT_EQ(SendMessageA(window, WM_SYSCHAR, VK_RETURN, 0), 0);
    PumpMessages();
    EXPECT_EQ(GetWindowModeFlag(), 0);
}

TEST_F(WindowModeTest, WindowTextBeforeAndAfterInit) {
    SetMainWindowText("Before");
    StartInWindow();
    char text[64] = "";
    GetWindowTextA(GetMainWindowHandle(), text, sizeof(text));
    EXPECT_STREQ(text, "Before");
    SetMainWindowText("Error : MapData::Load() : File not found");
    GetWindowTextA(GetMainWindowHandle(), text, sizeof(text));
    EXPECT_STREQ(text, "Error : MapData::Load() : File not found");
}

}  // namespace
