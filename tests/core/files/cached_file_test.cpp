#include "engine/core/files/cached_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/kernel/kernel32.h"
#include "tests/core/files/archive_test_support.h"

namespace {

struct ModeFlags {
    const char* name;
    int cacheFlag;
    int backgroundFlag;
};
void PrintTo(const ModeFlags& mode, std::ostream* os) {
    *os << mode.name;
}

class CachedFileModes : public ::testing::TestWithParam<ModeFlags> {
  protected:
    CachedFile* Open(const std::vector<uint8_t>& bytes) {
        folder_.Write("f.bin", bytes);
        return OpenCachedFile(folder_.Windows("f.bin").c_str(), GetParam().cacheFlag, 1,
                              GetParam().backgroundFlag);
    }
    static void WaitIdle(CachedFile* file) {
        while (!IsCachedFileIdle(file)) Sleep(0);
    }
    TempFolder folder_;
};

TEST_P(CachedFileModes, ReadsWholeElementsAndNeverAPartialOne) {
    CachedFile* file = Open(Bytes("0123456789"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 10u);
    char buffer[16] = {};
    EXPECT_EQ(ReadCachedFile(buffer, 4, 3, file), 2u);
    WaitIdle(file);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_EQ(TellCachedFile(file), 8);
    EXPECT_EQ(EofCachedFile(file), 0);
    EXPECT_EQ(ReadCachedFile(buffer, 4, 3, file), 0u);
    EXPECT_EQ(EofCachedFile(file), -1);
    EXPECT_EQ(ReadCachedFile(buffer, 0, 3, file), 0u);
    EXPECT_EQ(SeekCachedFile(file, 8, SEEK_ORIGIN_START), 0);
    EXPECT_EQ(EofCachedFile(file), 0);
    EXPECT_EQ(ReadCachedFile(buffer, 1, 5, file), 2u);
    WaitIdle(file);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(ReadCachedFile(buffer, 1, 5, file), 0u);
    EXPECT_EQ(EofCachedFile(file), -1);
    CloseCachedFile(file);
}

TEST_P(CachedFileModes, SeeksAreClampedToTheFile) {
    CachedFile* file = Open(Bytes("0123456789"));
    ASSERT_NE(file, nullptr);
    struct Case {
        int64_t offset;
        int origin;
        int64_t expected;
    } cases[] = {{25, SEEK_ORIGIN_START, 10},
                 {-4, SEEK_ORIGIN_START, 0},
                 {-2, SEEK_ORIGIN_END, 8},
                 {5, SEEK_ORIGIN_END, 10},
                 {3, 7, 0},
                 {4, SEEK_ORIGIN_CURRENT, 4}};
    for (const Case& c : cases) {
        ASSERT_EQ(SeekCachedFile(file, c.offset, c.origin), 0);
        EXPECT_EQ(TellCachedFile(file), c.expected) << c.offset << " from " << c.origin;
    }
    char buffer[4];
    ASSERT_EQ(SeekCachedFile(file, 25, SEEK_ORIGIN_START), 0);
    EXPECT_EQ(ReadCachedFile(buffer, 1, 4, file), 0u);
    EXPECT_EQ(EofCachedFile(file), -1);
    EXPECT_EQ(TellCachedFile(file), 10);
    CloseCachedFile(file);
}

TEST_P(CachedFileModes, ASeekThenAReadDeliversTheBytesAtTheNewPosition) {
    std::vector<uint8_t> bytes = PatternBytes(300000, 9);
    CachedFile* file = Open(bytes);
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> buffer(1000);
    for (uint32_t at : {0u, 200000u, 150u, 131072u, 298000u, 100u}) {
        ASSERT_EQ(SeekCachedFile(file, at, SEEK_ORIGIN_START), 0);
        ASSERT_EQ(ReadCachedFile(buffer.data(), 1, 1000, file), 1000u);
        WaitIdle(file);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + at)) << at;
        if (GetParam().cacheFlag) Sleep(150);  // let the read-ahead fill the cache
        ASSERT_EQ(ReadCachedFile(buffer.data(), 1, 1000, file), 1000u);
        WaitIdle(file);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + at + 1000)) << at << " + 1000";
    }
    CloseCachedFile(file);
}

TEST_P(CachedFileModes, MissingFileGivesNone) {
    EXPECT_EQ(OpenCachedFile(folder_.Windows("missing.bin").c_str(), GetParam().cacheFlag, 1,
                             GetParam().backgroundFlag),
              nullptr);
}

INSTANTIATE_TEST_SUITE_P(Modes, CachedFileModes,
                         ::testing::Values(ModeFlags{"Direct", 0, 0}, ModeFlags{"Cache", 1, 0},
                                           ModeFlags{"Background", 0, 1}, ModeFlags{"CacheBackground", 1, 1}),
                         [](const ::testing::TestParamInfo<ModeFlags>& info) {
                             return std::string(info.param.name);
                         });

TEST(CachedFile, BackgroundReadReturnsTheCountAtOnce) {
    TempFolder folder;
    std::vector<uint8_t> bytes = PatternBytes(1 << 20, 3);
    folder.Write("big.bin", bytes);
    CachedFile* file = OpenCachedFile(folder.Windows("big.bin").c_str(), 0, 1, 1);
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> buffer(bytes.size());
    EXPECT_EQ(ReadCachedFile(buffer.data(), 1024, 1024, file), 1024u);
    EXPECT_EQ(TellCachedFile(file), int64_t(bytes.size()));
    while (!IsCachedFileIdle(file)) Sleep(0);
    EXPECT_EQ(buffer, bytes);
    CloseCachedFile(file);
}

TEST(CachedFile, PlainSetFindsFilesOnDisk) {
    TempFolder folder;
    folder.Write("one.txt", Bytes("1"));
    folder.Write("two.txt", Bytes("22"));
    folder.Write("skip.bin", Bytes("333"));
    const FileAccessTable* plain = GetPlainFileFunctionTable();
    FindFileRecord found;
    intptr_t search = plain->findFirst(folder.Windows("*.txt").c_str(), &found);
    ASSERT_NE(search, -1);
    std::vector<std::string> names{found.name};
    while (plain->findNext(search, &found) == 0) names.push_back(found.name);
    EXPECT_EQ(plain->findClose(search), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(plain->findFirst(folder.Windows("*.none").c_str(), &found), -1);
    uintptr_t file = plain->open(folder.Windows("two.txt").c_str(), 0, 1, 0);
    ASSERT_NE(file, 0u);
    char buffer[4] = {};
    EXPECT_EQ(plain->read(buffer, 1, 4, file), 2u);
    EXPECT_STREQ(buffer, "22");
    EXPECT_EQ(plain->close(file), 0);
}

TEST(CachedFile, TempWriteFileIsNewAndWritable) {
    char path[kFilePathLimit];
    HANDLE file = MakeTempWriteFile(path);
    ASSERT_NE(file, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    CloseHandle(file);
    CachedFile* read = OpenCachedFile(path, 0, 1, 0);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->size, 3u);
    CloseCachedFile(read);
    char second[kFilePathLimit];
    HANDLE other = MakeTempWriteFile(second);
    ASSERT_NE(other, nullptr);
    EXPECT_STRNE(path, second);
    CloseHandle(other);
    DeleteFileA(path);
    DeleteFileA(second);
}

}  // namespace
