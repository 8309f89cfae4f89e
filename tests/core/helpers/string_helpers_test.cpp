#include "engine/core/helpers/string_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

TEST(StringHelpers, JapaneseLiteralsAreShiftJisAtRunTime) {
    // "二重" in Shift-JIS is 93 F1 8F 64.
    const char* text = "二重";
    ASSERT_EQ(std::strlen(text), 4u);
    const unsigned char expected[] = {0x93, 0xF1, 0x8F, 0x64};
    EXPECT_EQ(std::memcmp(text, expected, 4), 0);
}

TEST(StringHelpers, LeadByteTableBySet) {
    struct Case {
        unsigned char byte;
        int set;
        int lead;
    } cases[] = {
        {0x82, CHARSET_SHIFTJIS, 1},
        {0xE0, CHARSET_SHIFTJIS, 1},
        {0x81, CHARSET_DEFAULT, 1},
        {0x9F, CHARSET_SHIFTJIS, 1},
        {0xFC, CHARSET_SHIFTJIS, 1},
        {0xFD, CHARSET_SHIFTJIS, 0},
        {0xA0, CHARSET_SHIFTJIS, 0},
        {0xDF, CHARSET_SHIFTJIS, 0},
        {0x80, CHARSET_SHIFTJIS, 0},
        {0x41, CHARSET_SHIFTJIS, 0},
        {0x80, CHARSET_HANGUL, 1},
        {0xA0, CHARSET_BIG5, 1},
        {0xFF, CHARSET_GBK, 1},
        {0x7F, CHARSET_HANGUL, 0},
        {0x82, 7, 1},
        {0xA5, 7, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsLeadByte(c.byte, c.set), c.lead) << std::hex << int(c.byte) << " set " << c.set;
}

TEST(StringHelpers, CodePageChoosesCharacterSet) {
    struct Case {
        int oem, set, page;
    } cases[] = {{949, 2, 949}, {950, 3, 950}, {936, 4, 936}, {932, 1, 932}, {1252, 1, 0}};
    for (const Case& c : cases) {
        SetCharacterSetFromCodePage(c.oem);
        EXPECT_EQ(GetCharacterSet(), c.set) << c.oem;
        EXPECT_EQ(GetCodePage(), c.page) << c.oem;
    }
    SetCharacterSet(0);
    SetCodePage(0);
}

TEST(StringHelpers, ComparisonsAnswerOnlyEqualOrDifferent) {
    EXPECT_EQ(StrDiffers("abc", "abd"), 1);
    EXPECT_EQ(StrDiffers("abd", "abc"), 1);
    EXPECT_EQ(StrDiffers("", ""), 0);
    EXPECT_EQ(StrDiffers("ab", "abc"), 1);
    EXPECT_EQ(StrDiffersN("ab\0x", "ab\0y", 3), 0);
    EXPECT_EQ(StrDiffersN("ab\0x", "ab\0y", 4), 1);
    EXPECT_EQ(StrDiffersN("a", "b", 0), 0);
    EXPECT_EQ(StrDiffersN("a", "a", -1), 1);
    EXPECT_EQ(MemDiffers("xy", "xz", 1), 0);
    EXPECT_EQ(MemDiffers("xy", "xz", 2), 1);
    EXPECT_EQ(MemDiffers("xy", "zz", 0), 0);
}

TEST(StringHelpers, ForwardCopyRepeatsAndMoveDoesNot) {
    char a[4] = {'a', 'b', 0, 0};
    EXPECT_EQ(MemCopy(a + 1, a, 3), 3);
    EXPECT_EQ(std::string(a, 4), std::string("aaaa", 4));

    char b[4] = {'a', 'b', 0, 0};
    EXPECT_EQ(MemMove(b + 1, b, 3), 3);
    EXPECT_EQ(std::string(b, 4), std::string("aab\0", 4));

    char c[4] = {'a', 'b', 'c', 'd'};
    MemMove(c, c + 1, 3);
    EXPECT_EQ(std::string(c, 4), "bcdd");
}

TEST(StringHelpers, CopyFindAndConcatenate) {
    char buf[16];
    StrCopyN(buf, "abcdef", 3);
    EXPECT_STREQ(buf, "abc");
    StrCopyN(buf, "ab", 5);
    EXPECT_STREQ(buf, "ab");
    StrCopyN(buf, "ab", 0);
    EXPECT_STREQ(buf, "");
    StrCopy(buf, "foo");
    StrCat(buf, "bar");
    EXPECT_STREQ(buf, "foobar");
    EXPECT_EQ(StrLen(buf), 6);
    EXPECT_EQ(StrFind("", "a"), nullptr);
    const char* text = "hello";
    EXPECT_EQ(StrFind(text, ""), text);
    EXPECT_EQ(StrFind(text, "llo"), text + 2);
    EXPECT_EQ(StrFind(text, "lo!"), nullptr);
}

TEST(StringHelpers, DoubleByteAwareWalks) {
    SetCharacterSet(CHARSET_SHIFTJIS);
    // 0x83 0x5C is one character whose trail byte is a backslash.
    const char text[] =
        "\x83\x5C"
        "a\\";
    EXPECT_EQ(StrFindChar(text, '\\'), text + 3);
    EXPECT_EQ(StrFindChar(text, 'z'), nullptr);
    char upper[] =
        "\x83\x61"
        "ab";
    StrUpperAscii(upper);
    EXPECT_EQ(std::string(upper), std::string("\x83\x61"
                                              "AB"));
    EXPECT_EQ(GetCharByteKind(text, 0, CHARSET_SHIFTJIS), 1);
    EXPECT_EQ(GetCharByteKind(text, 1, CHARSET_SHIFTJIS), 2);
    EXPECT_EQ(GetCharByteKind(text, 2, CHARSET_SHIFTJIS), 0);
    EXPECT_EQ(GetCharByteKind(text, 4, CHARSET_SHIFTJIS), -1);
    EXPECT_EQ(GetCharByteKind("", 0, CHARSET_SHIFTJIS), -1);
    SetCharacterSet(0);
}

TEST(StringHelpers, IntToStringTable) {
    struct Case {
        int value, radix;
        const char* text;
    } cases[] = {{0, 10, "0"},
                 {-255, 16, "-ff"},
                 {255, 2, "11111111"},
                 {2147483647, 36, "zik0zj"},
                 {-2147483647, 10, "-2147483647"},
                 {35, 36, "z"}};
    char buf[40];
    for (const Case& c : cases) EXPECT_STREQ(IntToString(c.value, buf, c.radix), c.text);
    EXPECT_EQ(IntToString(5, buf, 1), nullptr);
    EXPECT_EQ(IntToString(5, buf, 37), nullptr);
}

TEST(StringHelpers, FillAndFormat) {
    unsigned char bytes[9] = {};
    MemFill(bytes, 0xAB, 3);
    EXPECT_EQ(bytes[2], 0xAB);
    EXPECT_EQ(bytes[3], 0);
    MemFill32(bytes, 0x11223344u, 2);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(bytes[7], 0x11);
    EXPECT_EQ(bytes[8], 0);
    char buf[32];
    EXPECT_EQ(FormatString(buf, "%d-%s", 7, "x"), 0);
    EXPECT_STREQ(buf, "7-x");
}

TEST(NumberHelpers, TruncationAndRefusedValues) {
    struct Case {
        double value;
        int result;
    } cases[] = {{2.9, 2},
                 {-2.9, -2},
                 {0.0, 0},
                 {2147483647.0, 2147483647},
                 {-2147483648.0, INT32_MIN},
                 {1e20, INT32_MIN},
                 {-1e20, INT32_MIN},
                 {std::numeric_limits<double>::infinity(), INT32_MIN},
                 {std::numeric_limits<double>::quiet_NaN(), INT32_MIN}};
    for (const Case& c : cases) EXPECT_EQ(DoubleToInt(c.value), c.result) << c.value;
    EXPECT_EQ(FloatToInt(-7.75f), -7);
    EXPECT_EQ(FloatToInt(3e9f), INT32_MIN);
    float f4[4] = {1.5f, -1.5f, 0.25f, 9.99f};
    int i4[4];
    FloatVec4ToInt(f4, i4);
    EXPECT_EQ(i4[0], 1);
    EXPECT_EQ(i4[1], -1);
    EXPECT_EQ(i4[3], 9);
    EXPECT_EQ(AbsInt(-5), 5);
    EXPECT_TRUE(std::isnan(AbsF(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_EQ(AbsF(-2.5f), 2.5f);
}

TEST(NumberHelpers, WideMultiplyAndDivide) {
    struct Case {
        uint64_t a, b, divisor;
    } cases[] = {{0, 5, 3},
                 {123456789, 1000000, 3579545},
                 {0xFFFFFFFFFFFFFFFFull, 1000000, 1000000},
                 {0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull},
                 {86400ull * 30 * 10000000, 1000000, 10000000},
                 {7, 1, 0x8000000000000000ull}};
    for (const Case& c : cases) {
        uint64_t product[2];
        Mul64x64To128(c.a, c.b, product);
        unsigned __int128 expected = static_cast<unsigned __int128>(c.a) * c.b;
        EXPECT_EQ(product[0], static_cast<uint64_t>(expected));
        EXPECT_EQ(product[1], static_cast<uint64_t>(expected >> 64));
        uint64_t quotient = 0;
        ASSERT_EQ(Div128By64(product, c.divisor, &quotient), 0);
        EXPECT_EQ(quotient, static_cast<uint64_t>(expected / c.divisor));
    }
    uint64_t dividend[2] = {1, 0};
    uint64_t untouched = 42;
    EXPECT_EQ(Div128By64(dividend, 0, &untouched), -1);
    EXPECT_EQ(untouched, 42u);
}

}  // namespace
