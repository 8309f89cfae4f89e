#include <gtest/gtest.h>

#include <string>

#include "engine/core/files/archive_file_set.h"
#include "engine/core/files/file_access.h"
#include "engine/core/files/full_path.h"

namespace {

TEST(ConvertToFullPath, ResolvesAgainstTheBase) {
    struct Case {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"..\\data\\.\\x.png", "D:\\game\\bin", "D:\\game\\data\\x.png"},
        {"\\\\srv\\share\\f", "D:\\game", "\\\\srv\\share\\f"},
        {"\\f", "D:\\game", "D:\\f"},
        {"E:x", "D:\\game", "E:\\x"},
        {"E:\\x\\y", "D:\\game", "E:\\x\\y"},
        {"E:/x", "D:\\game", "E:\\x"},
        {"..\\", "D:", "D:"},
        {"..\\..\\..\\a", "D:\\g", "D:\\a"},
        {"a\\..", "D:\\g", "D:\\g\\a\\.."},
        {"a\\.", "D:\\g", "D:\\g\\a\\."},
        {"a//b\\", "D:\\g\\", "D:\\g\\a\\b"},
        {"Mixed\\Case", "d:\\Game", "d:\\Game\\Mixed\\Case"},
        {"\x95\x5C\\f", "D:\\g", "D:\\g\\\x95\x5C\\f"},
        {"\x95\x5C\\..\\f", "D:\\g", "D:\\g\\f"},
    };
    for (const Case& c : cases) {
        char out[kFilePathLimit];
        EXPECT_EQ(ConvertToFullPath(c.path, out, c.base), 0) << c.path;
        EXPECT_STREQ(out, c.expected) << c.path << " against " << c.base;
    }
    char out[kFilePathLimit];
    EXPECT_EQ(ConvertToFullPath(nullptr, out, "D:\\base"), 0);
    EXPECT_STREQ(out, "D:\\base");
}

TEST(ConvertToFullPath, StopsAtThePathLimit) {
    std::string base = "D:\\" + std::string(200, 'b');
    std::string fits(kFilePathLimit - 2 - int(base.size()), 'f');
    char out[kFilePathLimit + 16];
    out[kFilePathLimit] = 'G';
    EXPECT_EQ(ConvertToFullPath(fits.c_str(), out, base.c_str()), 0);
    EXPECT_EQ(std::string(out), base + "\\" + fits);
    std::string tooLong = fits + "x";
    EXPECT_EQ(ConvertToFullPath(tooLong.c_str(), out, base.c_str()), -1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(out[kFilePathLimit], 'G');
    std::string manyShort;
    for (int i = 0; i < 200; ++i) manyShort += "ab\\";
    EXPECT_EQ(ConvertToFullPath(manyShort.c_str(), out, "C:"), -1);
}

TEST(MakeAbsolutePath, UpperCasesAndTakesOnlyBackslashAfterTheDrive) {
    char out[kFilePathLimit];
    ASSERT_EQ(MakeAbsolutePath("e:\\data\\a.png", out), 0);
    EXPECT_STREQ(out, "E:\\DATA\\A.PNG");
    ASSERT_EQ(MakeAbsolutePath("e:/data/..", out), 0);
    EXPECT_STREQ(out, "E:\\DATA\\..");
    ASSERT_EQ(MakeAbsolutePath("c:\\x\\\x95\x5C"
                               "a\\b",
                               out),
              0);
    EXPECT_STREQ(out,
                 "C:\\X\\\x95\x5C"
                 "A\\B");
}

}  // namespace
