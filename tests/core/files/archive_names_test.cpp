#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/files/archive_reader.h"
#include "engine/core/helpers/string_helpers.h"

namespace {

struct WildcardCase {
    const char* name;
    const char* pattern;
    int expected;
};

TEST(MatchWildcard, FollowsTheRulesWithoutBacktracking) {
    const WildcardCase cases[] = {
        {"ABZ", "A*Z", 0},   {"AZ", "A*Z", 0},    {"ABZZ", "A*Z", -1},   {"ABC", "A?C", 0},
        {"AC", "A?C", -1},   {"A", "A?", -1},     {"ANYTHING", "*", 0},  {"", "*", 0},
        {".", "*", 0},       {".", "*.PNG", -1},  {"A.PNG", "*.PNG", 0}, {"A.PNG.BAK", "*.PNG", -1},
        {"ABC", "A**C", 0},  {"abc", "ABC", -1},  {"ABC", "ABC", 0},     {"ABCD", "ABC", -1},
        {"ABC", "ABCD", -1}, {"X.DAT", "?.*", 0}, {"AB", "*B*", 0},      {"ABAC", "*A?", -1},
    };
    for (const WildcardCase& c : cases)
        EXPECT_EQ(MatchWildcard(c.name, c.pattern, CHARSET_SHIFTJIS), c.expected)
            << c.name << " ~ " << c.pattern;
}

TEST(MatchWildcard, DoubleByteCharactersMustMatchWhole) {
    // 0x95 0x5C is one Shift-JIS character whose second byte is a backslash.
    EXPECT_EQ(MatchWildcard("\x95\x5C.TXT", "\x95\x5C.TXT", CHARSET_SHIFTJIS), 0);
    EXPECT_EQ(MatchWildcard("\x95\x5D.TXT", "\x95\x5C.TXT", CHARSET_SHIFTJIS), -1);
    EXPECT_EQ(MatchWildcard("\x95\x5C.TXT", "?\x5C.TXT", CHARSET_SHIFTJIS), 0);
}

TEST(PrepareArchiveSearchName, UpperCasesPadsAndSums) {
    ArchiveSearchName name;
    EXPECT_EQ(PrepareArchiveSearchName("ab.c\\rest", CHARSET_SHIFTJIS, &name), 4);
    EXPECT_EQ(name.length, 2);  // 4 bytes + at least one zero: 8 bytes
    EXPECT_EQ(std::memcmp(name.name, "AB.C\0\0\0\0", 8), 0);
    EXPECT_EQ(name.check, 'A' + 'B' + '.' + 'C');
    EXPECT_EQ(PrepareArchiveSearchName("xyz", CHARSET_SHIFTJIS, &name), 3);
    EXPECT_EQ(name.length, 1);
    EXPECT_EQ(std::memcmp(name.name, "XYZ\0", 4), 0);
}

TEST(PrepareArchiveSearchName, LeavesDoubleByteCharactersAndTheirBackslashAlone) {
    ArchiveSearchName name;
    EXPECT_EQ(PrepareArchiveSearchName("\x95\x5C"
                                       "a/b",
                                       CHARSET_SHIFTJIS, &name),
              3);
    EXPECT_EQ(std::memcmp(name.name,
                          "\x95\x5C"
                          "A\0",
                          4),
              0);
    EXPECT_EQ(name.check, 0x95 + 0x5C + 'A');
    // A single-byte character before the backslash: the component ends there.
    EXPECT_EQ(PrepareArchiveSearchName("a\\b", CHARSET_GBK, &name), 1);
}

TEST(PrepareArchiveSearchName, RefusesAComponentLongerThanItsBuffer) {
    std::string longName(kArchiveSearchNameSize, 'a');
    ArchiveSearchName name;
    EXPECT_EQ(PrepareArchiveSearchName(longName.c_str(), CHARSET_SHIFTJIS, &name), -1);
    std::string fits(kArchiveSearchNameSize - 4, 'a');
    EXPECT_EQ(PrepareArchiveSearchName(fits.c_str(), CHARSET_SHIFTJIS, &name), int(fits.size()));
}

TEST(SplitDirAndFileName, SplitsAtTheLastSeparator) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"DATA\\SUB\\*.PNG", "DATA\\SUB", "*.PNG"},
                 {"*.PNG", "", "*.PNG"},
                 {"A/B", "A", "B"},
                 {"C:X", "C", "X"},
                 {"\x95\x5C\\F", "\x95\x5C", "F"}};
    for (const Case& c : cases) {
        char name[kFilePathLimit], folder[kFilePathLimit];
        ASSERT_EQ(SplitDirAndFileName(CHARSET_SHIFTJIS, name, folder, c.path), 0) << c.path;
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
    }
    std::string tooLong(kFilePathLimit + 5, 'a');
    char name[kFilePathLimit], folder[kFilePathLimit];
    EXPECT_EQ(SplitDirAndFileName(CHARSET_SHIFTJIS, name, folder, tooLong.c_str()), -1);
}

}  // namespace
