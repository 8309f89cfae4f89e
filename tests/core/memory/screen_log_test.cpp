#include "engine/core/memory/screen_log.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int DisplayNotReady() {
    return 0;
}
int DisplayReady() {
    return 1;
}
int ScreenHeight() {
    return 300;
}

class ScreenLog : public ::testing::Test {
  protected:
    void TearDown() override {
        EndScreenLog();
        SetScreenLogDisplayQueries(nullptr, nullptr);
    }
};

TEST_F(ScreenLog, StartsOnlyOnceTheDisplayIsReady) {
    EXPECT_EQ(InitScreenLog(), -1);
    SetScreenLogDisplayQueries(DisplayNotReady, ScreenHeight);
    EXPECT_EQ(InitScreenLog(), -1);
    EXPECT_EQ(screenLog.started, 0);
    SetScreenLogDisplayQueries(DisplayReady, ScreenHeight);
    std::strcpy(screenLog.lines[3], "old");
    EXPECT_EQ(InitScreenLog(), 0);
    EXPECT_EQ(screenLog.started, 1);
    EXPECT_EQ(screenLog.fontSize, 16);
    EXPECT_EQ(screenLog.needsFont, 0);
    EXPECT_EQ(screenLog.lines[3][0], 0);
    EXPECT_EQ(GetScreenLogShownFlag(), 0);
    EXPECT_EQ(InitScreenLog(), 0);
    EXPECT_EQ(EndScreenLog(), 0);
    EXPECT_EQ(screenLog.started, 0);
    EXPECT_EQ(screenLog.fontHandle, -1);
}

TEST_F(ScreenLog, FontSizeAndClearing) {
    SetScreenLogFontSize(10);
    EXPECT_EQ(screenLog.fontSize, 10);
    SetScreenLogFontSize(-5);
    EXPECT_EQ(screenLog.fontSize, 16);
    screenLog.shown = 1;
    std::strcpy(screenLog.lines[0], "text");
    screenLog.line = 4;
    ClearScreenLog();
    EXPECT_EQ(screenLog.lines[0][0], 0);
    EXPECT_EQ(screenLog.line, 0);
    EXPECT_EQ(GetScreenLogShownFlag(), 1);
    ClearScreenLogPublic();
    EXPECT_EQ(GetScreenLogShownFlag(), 0);
}

}  // namespace
