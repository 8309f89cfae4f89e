#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/kernel32.h"

namespace {

struct RoundTrip {
    UINT codePage;
    std::string bytes;    // the text in that code page
    std::u16string wide;  // the same text in UTF-16
};

const RoundTrip kTexts[] = {
    {932, "\x83\x65\x83\x58\x83\x67 abc", u"テスト abc"},
    {932, "\x95\x5C", u"表"},
    {936, "\xD6\xD0\xCE\xC4", u"中文"},
    {949, "\xC7\xD1\xB1\xDB", u"한글"},
    {950, "\xA4\xA4\xA4\xE5", u"中文"},
    {CP_UTF8, "\xE3\x81\x82", u"あ"},
};

TEST(KernelCodePages, RoundTripsThroughEachCodePage) {
    for (const RoundTrip& text : kTexts) {
        int needed = MultiByteToWideChar(text.codePage, 0, text.bytes.c_str(), -1, nullptr, 0);
        ASSERT_EQ(needed, int(text.wide.size()) + 1) << text.codePage;
        std::u16string wide(size_t(needed), u'\0');
        ASSERT_EQ(MultiByteToWideChar(text.codePage, 0, text.bytes.c_str(), -1, wide.data(), needed), needed);
        EXPECT_EQ(wide.substr(0, size_t(needed) - 1), text.wide) << text.codePage;

        int bytes = WideCharToMultiByte(text.codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        ASSERT_EQ(bytes, int(text.bytes.size()) + 1);
        std::string back(size_t(bytes), '\0');
        WideCharToMultiByte(text.codePage, 0, wide.c_str(), -1, back.data(), bytes, nullptr, nullptr);
        EXPECT_EQ(back.substr(0, size_t(bytes) - 1), text.bytes) << text.codePage;
    }
}

TEST(KernelCodePages, AnsiAndOemPagesAre932) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetOEMCP(), 932u);
    WCHAR wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x82\xA0", 2, wide, 4), 1);
    EXPECT_EQ(wide[0], u'あ');
}

TEST(KernelCodePages, BadInputAndSmallBuffers) {
    WCHAR wide[8];
    // A lone lead byte: replaced leniently, refused strictly.
    EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x82", 2, wide, 8), 2);
    EXPECT_EQ(wide[0], u'a');
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "a\x82", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(932, 0, "abcdef", 6, wide, 3), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, wide, 8), 0);

    char out[8];
    BOOL usedDefault = FALSE;
    const WCHAR korean[] = u"한a";
    EXPECT_EQ(WideCharToMultiByte(932, 0, korean, 2, out, 8, nullptr, &usedDefault), 2);
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(std::string(out, 2), "?a");
}

}  // namespace
