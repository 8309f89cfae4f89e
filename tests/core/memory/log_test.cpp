#include <sys/stat.h>

#include <string>

#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"
#include "tests/core/log_capture.h"

namespace {

class Log : public LogCapture {
  protected:
    void SetUp() override {
        SetClockMode(ClockMode::kVirtual);
        LogCapture::SetUp();
    }
    void TearDown() override {
        LogCapture::TearDown();
        SetClockMode(ClockMode::kReal);
    }
};

TEST_F(Log, LineEndsBecomeCrLfUntilTheFirstCrLf) {
    LogText("a\nb\n");
    LogText("c\r\nd\ne\n");
    LogText("f\n\r\ng\n");
    EXPECT_EQ(ReadLog(), "0:a\r\nb\r\n0:c\r\nd\ne\n0:f\r\n\r\ng\n");
}

TEST_F(Log, TimeStampAndIndentStartEveryNewLine) {
    Sleep(7);
    LogIndentIn();
    LogIndentIn();
    LogText("first\n");
    Sleep(5);
    LogIndentOut();
    LogText("second\n");
    LogIndentOut();
    LogIndentOut();  // stays at 0
    LogText("third\n");
    EXPECT_EQ(ReadLog(), "7:\t\tfirst\r\n12:\tsecond\r\n12:third\r\n");
}

TEST_F(Log, ProgressLineInTwoPiecesCarriesOneStamp) {
    LogIndentIn();
    LogText("ＣＯＭの初期化... ");
    Sleep(30);
    LogText("完了\n");
    LogIndentOut();
    // Shift-JIS bytes of the texts: the library's strings are CP932 at run time.
    const std::string expected =
        "0:\t\x82\x62\x82\x6e\x82\x6c\x82\xcc\x8f\x89\x8a\xfa\x89\xbb... \x8a\xae\x97\xb9\r\n";
    EXPECT_EQ(ReadLog(), expected);
    EXPECT_EQ(DebugOutput(), expected);  // every piece also went to the debugger output
}

TEST_F(Log, LongTextsAreWrittenWhole) {
    std::string text(300, 'x');
    text += "\n";
    LogText(text.c_str());
    EXPECT_EQ(ReadLog(), "0:" + std::string(300, 'x') + "\r\n");
    std::string lineFeeds(400, '\n');
    LogText(lineFeeds.c_str());
    std::string crlf;
    for (int i = 0; i < 400; ++i) crlf += "\r\n";
    EXPECT_EQ(ReadLog(), "0:" + std::string(300, 'x') + "\r\n0:" + crlf);
}

TEST_F(Log, PrintfIsBoundedAndEndsTheLine) {
    LogPrintf("%d-%s", 42, "ok");
    std::string huge(5000, 'y');
    LogPrintf("%s", huge.c_str());
    EXPECT_EQ(ReadLog(), "0:42-ok\r\n0:" + std::string(1022, 'y') + "\r\n");
}

TEST_F(Log, InitEmptiesTheFile) {
    LogText("old\n");
    InitLogOutput();
    LogText("new\n");
    EXPECT_EQ(ReadLog(), "0:new\r\n");
}

TEST_F(Log, StampUsesOneMaskedClockAcrossBit31) {
    // Move the system clock past 2^31 ms, where the masked and the raw clock part ways.
    AdvanceVirtualClock((int64_t(0x80000000) - int64_t(timeGetTime()) - 2) * 1000000);
    InitLogOutput();
    EXPECT_GT(timeGetTime(), 0x7FFFFFF0u);
    Sleep(5);  // crosses 2^31 ms: the masked count wraps to 3
    LogText("wrapped\n");
    EXPECT_EQ(ReadLog(), "5:wrapped\r\n");
    EXPECT_EQ(MillisecondsBetween(0x7FFFFFFE, 3), 5);
}

TEST_F(Log, FileLogOffWritesNothingAnywhere) {
    SetFileLogEnabled(0);
    std::remove(LogPath().c_str());
    InitLogOutput();
    LogText("hidden\n");
    LogPrintf("%s", "hidden");
    struct stat info {};
    EXPECT_NE(stat(LogPath().c_str(), &info), 0);
    EXPECT_EQ(DebugOutput(), "");
    SetFileLogEnabled(1);
}

TEST_F(Log, NothingWhileWinmmIsNotLoaded) {
    FreeSystemLibraries();
    EXPECT_EQ(GetMillisecondCount(), -1);
    LogText("lost\n");
    LoadSystemLibraries();
    LogText("kept\n");
    EXPECT_EQ(ReadLog(), "0:kept\r\n");
}

}  // namespace
