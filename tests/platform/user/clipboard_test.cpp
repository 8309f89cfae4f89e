#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/host/host.h"
#include "platform/kernel/kernel32.h"
#include "tests/platform/user/window_fixture.h"

namespace {

// "日本語テキスト" in Shift-JIS: every second byte of a double-byte character lies in the ASCII range.
const std::string kShiftJisText = "\x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x4c\x83\x58\x83\x67 ok\\";

HGLOBAL BlockWith(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size());
    void* memory = GlobalLock(block);
    std::memcpy(memory, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::string BlockBytes(HANDLE block) {
    const char* memory = static_cast<const char*>(GlobalLock(block));
    if (!memory) return "<unlockable>";
    std::string bytes(memory, GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

class Clipboard : public WindowFixture {
  protected:
    // Puts the bytes on the clipboard; returns the block the clipboard now owns.
    HANDLE PutText(const std::string& bytes) {
        EXPECT_TRUE(OpenClipboard(nullptr));
        EXPECT_TRUE(EmptyClipboard());
        HANDLE taken = SetClipboardData(CF_TEXT, BlockWith(bytes));
        EXPECT_NE(taken, nullptr);
        EXPECT_TRUE(CloseClipboard());
        return taken;
    }
};

TEST_F(Clipboard, ShiftJisTextRoundTrips) {
    PutText(kShiftJisText + '\0');
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    std::string host;
    ASSERT_TRUE(HostGetClipboardText(&host));
    EXPECT_EQ(host, kShiftJisText);

    HWND window = MakeWindow();
    ASSERT_TRUE(OpenClipboard(window));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(BlockBytes(data), kShiftJisText + '\0');
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, TextEndsAtFirstZeroByteOrAtBlockEnd) {
    PutText(std::string("abc\0def", 7));
    std::string host;
    HostGetClipboardText(&host);
    EXPECT_EQ(host, "abc");

    PutText("no terminator");  // the block holds no zero byte
    HostGetClipboardText(&host);
    EXPECT_EQ(host, "no terminator");
}

TEST_F(Clipboard, TextFromTheHostComesAsOwnedBlock) {
    HostSetClipboardText("from elsewhere");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE first = GetClipboardData(CF_TEXT);
    EXPECT_EQ(BlockBytes(first), std::string("from elsewhere") + '\0');
    EXPECT_EQ(GetClipboardData(CF_TEXT), first);  // unchanged text: the same block

    HostSetClipboardText("changed");
    HANDLE second = GetClipboardData(CF_TEXT);
    EXPECT_EQ(BlockBytes(second), std::string("changed") + '\0');
    EXPECT_EQ(GlobalSize(first), 0u);  // the clipboard freed the block it no longer needs
    CloseClipboard();
}

TEST_F(Clipboard, ClipboardFreesTheBlocksItOwns) {
    HANDLE taken = PutText("first");
    EXPECT_EQ(GlobalSize(taken), 5u);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(GlobalSize(taken), 0u);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    CloseClipboard();

    HANDLE replaced = PutText("second");
    PutText("third");
    EXPECT_EQ(GlobalSize(replaced), 0u);
}

TEST_F(Clipboard, RefusedDataStaysWithTheCaller) {
    HGLOBAL freed = BlockWith("gone");
    GlobalFree(freed);
    struct Case {
        UINT format;
        bool freedBlock;
        DWORD error;
    };
    const Case cases[] = {
        {CF_TEXT + 1, false, ERROR_INVALID_PARAMETER},  // only text is carried
        {CF_TEXT, true, ERROR_INVALID_HANDLE},
    };
    PutText("kept");
    ASSERT_TRUE(OpenClipboard(nullptr));
    for (const Case& c : cases) {
        HGLOBAL block = c.freedBlock ? freed : BlockWith("refused");
        EXPECT_EQ(SetClipboardData(c.format, block), nullptr) << c.format;
        EXPECT_EQ(GetLastError(), c.error) << c.format;
        if (!c.freedBlock) {
            EXPECT_EQ(BlockBytes(block), "refused");  // still the caller's
            GlobalFree(block);
        }
    }
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    CloseClipboard();
    std::string host;
    HostGetClipboardText(&host);
    EXPECT_EQ(host, "kept");
}

TEST_F(Clipboard, CallsNeedTheClipboardOpen) {
    PutText("text");
    HGLOBAL block = BlockWith("x");
    SetLastError(0);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));  // asking needs no opening
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT + 1));
    GlobalFree(block);
}

TEST_F(Clipboard, OpenOnOneThreadAtATime) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(OpenClipboard(nullptr));  // the same thread may open it again
    bool otherOpened = true;
    DWORD otherError = 0;
    std::thread([&] {
        otherOpened = OpenClipboard(nullptr);
        otherError = GetLastError();
    }).join();
    EXPECT_FALSE(otherOpened);
    EXPECT_EQ(otherError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseClipboard());

    std::thread([&] {
        otherOpened = OpenClipboard(nullptr);
        CloseClipboard();
    }).join();
    EXPECT_TRUE(otherOpened);
}

TEST_F(Clipboard, OpenRefusesAWindowThatDoesNotExist) {
    HWND window = MakeWindow();
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(OpenClipboard(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(CloseClipboard());
}

TEST_F(Clipboard, ResetClosesAClipboardLeftOpenByAnotherThread) {
    std::thread([] { OpenClipboard(nullptr); }).join();
    EXPECT_FALSE(OpenClipboard(nullptr));
    ResetWindowStandInForTests();
    EXPECT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
}

}  // namespace
