#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "engine/core/frame/window_utils.h"
#include "platform/kernel/module_registry.h"
#include "tests/core/frame/library_fixture.h"

namespace {

// "クリップボード" in Shift-JIS followed by ASCII: 14 double-byte bytes, some with ASCII-range trail bytes.
const std::string kShiftJisText = "\x83\x4e\x83\x8a\x83\x62\x83\x76\x83\x7b\x81\x5b\x83\x68 copy";

class ClipboardTextTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(LibraryInit(), 0);
    }
    void TearDown() override {
        ResetPlatformTestSwitches();
        LibraryTest::TearDown();
    }
    static std::string HostText() {
        std::string text;
        return HostGetClipboardText(&text) ? text : "<none>";
    }
    // Runs the body while another thread holds the clipboard open.
    template <typename Body>
    static void WithClipboardHeldElsewhere(Body body) {
        std::thread([] { ASSERT_TRUE(OpenClipboard(nullptr)); }).join();
        body();
        ResetClipboardForTests();
    }
};

TEST_F(ClipboardTextTest, ShiftJisTextRoundTrips) {
    ASSERT_EQ(SetClipboardTextCopy(kShiftJisText.c_str()), 0);
    EXPECT_EQ(HostText(), kShiftJisText);

    const int size = GetClipboardTextCopy(nullptr, 0);
    ASSERT_EQ(size, static_cast<int>(kShiftJisText.size()) + 1);
    std::string buffer(size, '#');
    ASSERT_EQ(GetClipboardTextCopy(buffer.data(), size), 0);  // exactly the size asked for fits
    EXPECT_EQ(buffer, kShiftJisText + '\0');
}

TEST_F(ClipboardTextTest, TextFromOutsideIsRead) {
    HostSetClipboardText("pasted");
    char buffer[32];
    ASSERT_EQ(GetClipboardTextCopy(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "pasted");
}

TEST_F(ClipboardTextTest, BufferTooSmallIsRefusedUntouched) {
    ASSERT_EQ(SetClipboardTextCopy(kShiftJisText.c_str()), 0);
    const int size = static_cast<int>(kShiftJisText.size()) + 1;
    for (int bufferSize : {size - 1, 1, 0, -5}) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(GetClipboardTextCopy(buffer, bufferSize), -1) << bufferSize;
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#')) << bufferSize;
    }
}

TEST_F(ClipboardTextTest, TextGrownSinceItWasMeasuredIsRefused) {
    ASSERT_EQ(SetClipboardTextCopy("short"), 0);
    const int size = GetClipboardTextCopy(nullptr, 0);
    ASSERT_EQ(size, 6);
    HostSetClipboardText("a much longer text put there by another program");
    char buffer[6 + 8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetClipboardTextCopy(buffer, size), -1);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
}

TEST_F(ClipboardTextTest, NoTextGivesMinusOne) {
    char buffer[8] = "keep";
    EXPECT_EQ(GetClipboardTextCopy(nullptr, 0), -1);
    EXPECT_EQ(GetClipboardTextCopy(buffer, sizeof buffer), -1);
    EXPECT_STREQ(buffer, "keep");
}

TEST_F(ClipboardTextTest, ClipboardHeldElsewhereFailsBothWays) {
    ASSERT_EQ(SetClipboardTextCopy("before"), 0);
    WithClipboardHeldElsewhere([] {
        char buffer[16];
        EXPECT_EQ(GetClipboardTextCopy(nullptr, 0), -1);
        EXPECT_EQ(GetClipboardTextCopy(buffer, sizeof buffer), -1);
        EXPECT_EQ(SetClipboardTextCopy("after"), -1);
    });
    EXPECT_EQ(HostText(), "before");
}

TEST_F(ClipboardTextTest, NoMemoryBlockFailsTheSet) {
    ASSERT_EQ(SetClipboardTextCopy("before"), 0);
    SetPlatformCallFailing("GlobalAlloc", true);
    EXPECT_EQ(SetClipboardTextCopy("after"), -1);
    EXPECT_EQ(HostText(), "before");
}

TEST_F(ClipboardTextTest, NullTextIsRefused) {
    ASSERT_EQ(SetClipboardTextCopy("before"), 0);
    EXPECT_EQ(SetClipboardTextCopy(nullptr), -1);
    EXPECT_EQ(HostText(), "before");
}

TEST_F(ClipboardTextTest, ClipboardIsLeftClosed) {
    ASSERT_EQ(SetClipboardTextCopy("text"), 0);
    char buffer[2];
    EXPECT_EQ(GetClipboardTextCopy(buffer, sizeof buffer), -1);  // a failing read closes it too
    bool otherOpened = false;
    std::thread([&] {
        otherOpened = OpenClipboard(nullptr);
        CloseClipboard();
    }).join();
    EXPECT_TRUE(otherOpened);
}

}  // namespace
