#include "engine/core/memory/fatal_exit.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <thread>

#include "platform/kernel/kernel32.h"
#include "tests/core/log_capture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

void EndSequencePrints() {
    std::fputs("end sequence ran\n", stderr);
    std::fflush(stderr);
}

void EndSequenceFailsAgain() {
    EndSequencePrints();
    FatalLibraryExit("inner");
}

class FatalExit : public LogCapture {
  protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "fast");
        LogCapture::SetUp();
    }
    void TearDown() override {
        SetFatalExitEndSequence(nullptr, 0);
        LogCapture::TearDown();
    }
};

TEST_F(FatalExit, MainThreadLogsRunsEndSequenceAndExitsMinusOne) {
    SetFatalExitEndSequence(EndSequencePrints, GetCurrentThreadId());
    EXPECT_EXIT(FatalLibraryExit("fatal message"), ::testing::ExitedWithCode(255),
                HasSubstr("end sequence ran"));
    EXPECT_THAT(ReadLog(), ::testing::EndsWith(":fatal message\r\n"));
}

TEST_F(FatalExit, WorkerThreadDoesNotRunEndSequence) {
    SetFatalExitEndSequence(EndSequencePrints, GetCurrentThreadId());
    auto fromWorker = [] { std::thread([] { FatalLibraryExit("worker failed"); }).join(); };
    EXPECT_EXIT(fromWorker(), ::testing::ExitedWithCode(255), Not(HasSubstr("end sequence ran")));
    EXPECT_THAT(ReadLog(), HasSubstr(":worker failed\r\n"));
}

TEST_F(FatalExit, FailureInsideEndSequenceDoesNotRunItAgain) {
    SetFatalExitEndSequence(EndSequenceFailsAgain, GetCurrentThreadId());
    EXPECT_EXIT(FatalLibraryExit("outer"), ::testing::ExitedWithCode(255),
                Not(HasSubstr("end sequence ran\nend sequence ran")));
    std::string log = ReadLog();
    EXPECT_THAT(log, HasSubstr(":outer\r\n"));
    EXPECT_THAT(log, HasSubstr(":inner\r\n"));
}

TEST_F(FatalExit, EndSequenceAlreadyRunningIsNotStartedAgain) {
    SetFatalExitEndSequence(EndSequencePrints, GetCurrentThreadId());
    auto duringEnd = [] {
        SetEndSequenceRunning(true);
        FatalLibraryExit("during end");
    };
    EXPECT_EXIT(duringEnd(), ::testing::ExitedWithCode(255), Not(HasSubstr("end sequence ran")));
}

TEST_F(FatalExit, FormattedMessageIsBoundedTo1023Characters) {
    std::string huge(3000, 'z');
    EXPECT_EXIT(FatalLibraryExitf("%s%d", huge.c_str(), 7), ::testing::ExitedWithCode(255), "");
    EXPECT_THAT(ReadLog(), HasSubstr(":" + std::string(1023, 'z') + "\r\n"));
}

}  // namespace
