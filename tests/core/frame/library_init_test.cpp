#include "engine/core/frame/library_init.h"

#include <gmock/gmock.h>

#include "engine/core/files/archive_file_set.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/graphics/device/screen_settings.h"
#include "platform/kernel/kernel32.h"
#include "tests/core/frame/library_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Lines of the log as they must read; '*' stands for any text (machine-dependent figures) and a line
// ending in "..." for any number of such lines.
// The CPU lines of the system block depend on the machine.
const std::vector<std::string> kInitLines = {
    "システムの情報を出力します",
    "\tＴＶライブラリ Ver3.10a",
    "\t論理プロセッサの数 : *",
    "\tＯＳ  Windows7 ( Build 7601 Service Pack 1 )",
    "\t*...",
    "ＣＯＭの初期化... 成功しました",
    "メモリ総量:*MB  空きメモリ領域:*MB ",
    "タイマーの精度を検査します",
    "精度結果 更新回数 マルチメディアタイマー：*  パフォーマンスカウンター：*",
    "パフォーマンスカウンターを使用します タイマー精度 : 10000.000000 KHz ",
    "ソフトの二重起動検査... 二重起動はされていませんでした",
    "ウインドウクラスを登録します... 登録に成功しました",
    "ウインドウモード起動用のウインドウを作成します",
    "ウインドウの作成に成功しました",
    "ウインドウを表示します",
    "ＩＭＥを無効にしました",
    "ウインドウスタイルをウインドウモード用に変更します... 完了",
    "DirectInput関係初期化処理",
    "\tXInput DLL の読み込み中... 成功",
    "\tDirectInput7 の取得中... 成功",
    "\t\t引き続き初期化処理... 初期化成功",
    "\tジョイパッドの初期化... ",
    "\tジョイパッドの初期化は正常に終了しました",
    "\tマウスデバイスの初期化... 初期化成功",
    "\tキーボードデバイスの初期化... 初期化成功",
    "DirectInput 関連の初期化は正常に終了しました",
    "DirectSound の初期化を行います",
    "DirectSound インターフェースの取得を行います....  成功",
    "引き続きインターフェースの初期化処理...  成功",
    "\tDirectSound デバイスを列挙します",
    "\t\tモジュール名:*...",
    "\t最大サンプリングレート:*",
    "\t総サウンドメモリ領域:*",
    "\t利用可能サンプリング精度",
    "\t プライマリ １６bit = *",
    "\t セカンダリ １６bit = *",
    "\t利用可能チャンネル",
    "\t プライマリ MONO = *",
    "\t セカンダリ MONO = *",
    "DirectSound の初期化は正常に終了しました",
    "DirectDraw オブジェクトの取得を行います....  成功",
    "引き続き初期化処理... 初期化に成功しました",
    "IDirect3D9Ex オブジェクトを取得します.... *成功",
    "IDirect3DDevice9* オブジェクトを取得します.... *",
    "成功",
    "Driver:*",
    "*フォーマット*...",
    "一度に描画できるプリミティブの最大数:*",
    "対応している最大頂点インデックス:*",
    "同時にレンダリングできるバッファの数:*",
    "最大テクスチャサイズ*",
    "テクスチャステージテンポラリレジスタ*",
    "減算合成のハードウェア対応*",
    "*シェーダーバージョンコード*...",
    "バックバッファロック*...",
    "Ｚバッファを作成します.... 成功",
    "プログラマブルシェーダーを使用しません",
    "フォントの初期化を行います",
    "フォントの初期化は正常に終了しました",
    "文字コードバッファの初期化を行います... 完了しました",
};
const std::vector<std::string> kEndLines = {
    "フォントの初期化を行います",
    "フォントの初期化は正常に終了しました",
    "Direct3DDevice9 の解放 2",
    "Direct3D9 DLL の解放 1",
    "DirectInput 関連の終了処理... 完了",
    "DirectSound の終了処理は正常に終了しました",
    "ウインドウを閉じようとしています",
    "ウインドウが破棄されようとしています",
    "ソフトを終了する準備が整いました",
    "ＣＯＭを終了... 完了",
    "",
    "Alloc memory dump",
    "\tTotal size:0(0.000kb)  Alloc num:0",
    "",
};

TEST_F(LibraryTest, InitAndEndWriteTheirLinesInOrder) {
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    ExpectLines(LogLines(), kInitLines);
    ASSERT_EQ(LibraryEnd(), 0);
    std::vector<std::string> all = kInitLines;
    all.insert(all.end(), kEndLines.begin(), kEndLines.end());
    ExpectLines(LogLines(), all);
}

TEST_F(LibraryTest, SecondInitDoesNothingAndEndBeforeInitReturnsZero) {
    EXPECT_EQ(LibraryEnd(), 0);
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    HWND window = GetMainWindowHandle();
    const size_t lines = LogLines().size();
    EXPECT_EQ(LibraryInit(), 0);
    EXPECT_EQ(GetMainWindowHandle(), window);
    EXPECT_EQ(LogLines().size(), lines);
    EXPECT_EQ(LibraryEnd(), 0);
    EXPECT_EQ(LibraryEnd(), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(LibraryTest, RequestedTwentyFourBitsRefusesInitAndUndoesWhatItStarted) {
    ChangeWindowMode(1);
    EXPECT_EQ(SetScreenMode(800, 600, 24, 60), -1);  // refused before init too
    SetColorDepthSetting(24);
    EXPECT_EQ(LibraryInit(), -1);
    EXPECT_THAT(ReadLog(), HasSubstr("ＴＶライブラリは２４ビットカラーモードに対応していません\r\n"));
    EXPECT_EQ(libraryFlags.initialising, 0);
    EXPECT_EQ(libraryFlags.initialised, 0);
    EXPECT_EQ(systemFunctions.winmm, nullptr);
    EXPECT_EQ(InitArchiveLayer(), 0) << "the archive layer was left started";
    EndArchiveLayer();
    EXPECT_EQ(GetMainWindowHandle(), nullptr);
    // Nothing is left that keeps a second attempt from starting.
    SetScreenMode(800, 600, 16, 60);
    EXPECT_EQ(LibraryInit(), 0);
}

TEST_F(LibraryTest, TwentyFourBitDesktopRefusesInitInWindowModeOnly) {
    const HostDisplayMode desktop = {1920, 1080, 24, 60};
    HostSetHeadlessDesktopModeForTests(&desktop);
    ChangeWindowMode(1);
    EXPECT_EQ(LibraryInit(), -1);
    EXPECT_THAT(ReadLog(), HasSubstr("ＴＶライブラリは２４ビットカラーモードに対応していません\r\n"));
    EXPECT_EQ(libraryFlags.initialising, 0);
    EXPECT_EQ(systemFunctions.winmm, nullptr);
    ChangeWindowMode(0);
    EXPECT_EQ(LibraryInit(), 0) << "full screen sets its own depth";
    LibraryEnd();
    HostSetHeadlessDesktopModeForTests(nullptr);
}

// A window of the class already exists: the double-start check refuses and init ends what it started.
TEST_F(LibraryTest, FailedWindowStartEndsWhatInitStarted) {
    ChangeWindowMode(1);
    HWND other = CreateOtherCopy("Korvalund");
    EXPECT_EQ(LibraryInit(), -1);
    EXPECT_THAT(ReadLog(), HasSubstr("ソフトの二重起動検査... 二重起動されています、ソフトを終了します\r\n"));
    EXPECT_THAT(ReadLog(), HasSubstr("ＣＯＭを終了... 完了"));
    EXPECT_EQ(libraryFlags.initialising, 0);
    EXPECT_EQ(systemFunctions.winmm, nullptr);
    EXPECT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0) << "the loading threads' state was left started";
    EndAsyncLoad();
    EXPECT_EQ(InitArchiveLayer(), 0);
    EndArchiveLayer();
    EXPECT_TRUE(IsWindow(other)) << "the other copy's window must be left alone";
    DestroyWindow(other);
}

TEST_F(LibraryTest, DoubleStartInAChildProcessEndsWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "fast");
    ChangeWindowMode(1);
    EXPECT_EXIT(
        {
            CreateOtherCopy("Korvalund");
            const int result = LibraryInit();
            const bool logged =
                ReadLog().find("二重起動されています、ソフトを終了します\r\n") != std::string::npos;
            std::exit(result == -1 && logged && IsEndRequested() ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST_F(LibraryTest, AllowedDoubleStartGoesOn) {
    ChangeWindowMode(1);
    libraryState.settings.allowDoubleStart = 1;
    HWND other = CreateOtherCopy("Korvalund");
    EXPECT_EQ(LibraryInit(), 0);
    EXPECT_THAT(ReadLog(), HasSubstr("二重起動されていますが続行します\r\n"));
    LibraryEnd();
    EXPECT_TRUE(IsWindow(other));
    DestroyWindow(other);
}

TEST_F(LibraryTest, FullScreenWithoutAMatchingDisplayModeStartsInAWindow) {
    ChangeWindowMode(0);
    SetScreenMode(700, 500, 16, 60);
    ASSERT_EQ(LibraryInit(), 0);
    EXPECT_EQ(GetWindowModeFlag(), 1);
    EXPECT_EQ(GetHalfSizeEmulation(), 0);
}

TEST_F(LibraryTest, QuarterScreenInFullScreenRunsHalfSizeAt640x480) {
    ChangeWindowMode(0);
    SetScreenMode(320, 240, 16, 60);
    ASSERT_EQ(LibraryInit(), 0);
    EXPECT_EQ(GetWindowModeFlag(), 0);
    EXPECT_EQ(GetHalfSizeEmulation(), 1);
    // The screen runs at 640 x 480; the program sees (and the screen size reports) the 320 x 240 it draws in.
    int width, height;
    GetScreenSize(&width, &height, nullptr);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    GetLogicalScreenSize(&width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
}

TEST_F(LibraryTest, FullScreenWithAMatchingModeStaysFullScreen) {
    ChangeWindowMode(0);
    ASSERT_EQ(LibraryInit(), 0);
    EXPECT_EQ(GetWindowModeFlag(), 0);
    EXPECT_THAT(ReadLog(), HasSubstr("フルスクリーンモード用のウインドウを作成します\r\n"));
    EXPECT_THAT(ReadLog(), HasSubstr("カーソルを不可視にしました\r\n"));
    EXPECT_EQ(GetWindowLongA(GetMainWindowHandle(), GWL_STYLE) & WS_POPUP, LONG(WS_POPUP));
}

// After 30 days the counter times a million no longer fits 64 bits.
TEST_F(LibraryTest, MicrosecondCountDoesNotOverflowAfterDaysOfUptime) {
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    AdvanceVirtualClock(int64_t(30) * 24 * 3600 * 1000000000);
    // Library threads (the sound stream) also move the virtual clock when they wait: bracket the read.
    const int64_t before = ClockNowNanoseconds() / 1000;
    const int64_t microseconds = GetMicrosecondCount();
    const int64_t after = ClockNowNanoseconds() / 1000;
    EXPECT_GE(microseconds, before - 1);
    EXPECT_LE(microseconds, after + 1);
    EXPECT_GT(before, int64_t(30) * 24 * 3600 * 1000000);
    EXPECT_GE(GetMillisecondCount(), 0);
}

TEST_F(LibraryTest, ClocksAnswerMinusOneWithoutWinmm) {
    FreeSystemLibraries();
    EXPECT_EQ(GetMillisecondCount(), -1);
    EXPECT_EQ(GetMicrosecondCount(), -1);
}

TEST_F(LibraryTest, FrameWaitEndsAtItsDeadline) {
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    for (const int64_t ahead : {int64_t(-5), int64_t(0), int64_t(400), int64_t(16666), int64_t(250000)}) {
        const int64_t start = GetMicrosecondCount();
        const int64_t reached = WaitForMicrosecondCount(start + ahead);
        EXPECT_GE(reached, start + ahead) << ahead;
        EXPECT_GE(reached, start) << ahead;
        EXPECT_LE(reached, GetMicrosecondCount()) << ahead;
    }
}

// The virtual clock moves only by what is slept: a wait that sleeps up to its deadline ends on it, where
// reading the clock in a loop would have moved it on in steps past the deadline.
TEST_F(LibraryTest, FrameWaitSleepsUpToItsDeadline) {
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    int64_t deadline = GetMicrosecondCount();
    for (const int64_t ahead : {int64_t(1), int64_t(150), int64_t(999), int64_t(16666), int64_t(33333)}) {
        deadline += ahead;
        EXPECT_EQ(WaitForMicrosecondCount(deadline), deadline) << ahead;
        EXPECT_EQ(GetMicrosecondCount(), deadline) << ahead;
    }
}

TEST_F(LibraryTest, FrameWaitEndsAtOnceWithoutAClock) {
    FreeSystemLibraries();
    EXPECT_EQ(WaitForMicrosecondCount(int64_t(1) << 40), -1);
}

TEST_F(LibraryTest, FatalExitRunsTheEndSequence) {
    GTEST_FLAG_SET(death_test_style, "fast");
    ChangeWindowMode(1);
    EXPECT_EXIT(
        {
            if (LibraryInit() != 0) std::exit(1);
            FatalLibraryExit("fatal for the test");
        },
        ::testing::ExitedWithCode(255), "");
    std::string log = ReadLog();
    EXPECT_THAT(log, HasSubstr("fatal for the test\r\n"));
    EXPECT_LT(log.find("fatal for the test"), log.find("ウインドウが破棄されようとしています"));
    EXPECT_THAT(log, HasSubstr("Alloc memory dump"));
}

TEST_F(LibraryTest, EndRequestAndAsyncSettings) {
    SetEndRequest();
    EXPECT_EQ(IsEndRequested(), 1);
    ChangeWindowMode(1);
    ASSERT_EQ(LibraryInit(), 0);
    EXPECT_EQ(IsEndRequested(), 0) << "init clears the end request";
    SetAsyncLoadEnabled(5);
    EXPECT_EQ(IsAsyncLoadEnabled(), 1);
    SetAsyncLoadEnabled(0);
    EXPECT_EQ(IsAsyncLoadEnabled(), 0);
}

}  // namespace
