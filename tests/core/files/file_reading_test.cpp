#include "engine/core/files/file_reading.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/files/archive_file_set.h"
#include "engine/core/files/file_access.h"
#include "tests/core/files/archive_test_support.h"

namespace {

// The same text as a plain file and as an entry of an archive standing for the folder "arc".
class FileReadingTest : public ::testing::TestWithParam<bool> {
  protected:
    uintptr_t OpenText(const std::string& text) {
        if (GetParam()) {
            ArchiveWriterEntry root = FolderEntry("", {FileEntry("t.txt", Bytes(text))});
            folder_.Write("ARC.TVA", BuildOrDie(root, {}));
        } else {
            folder_.Write("arc/t.txt", Bytes(text));
        }
        file_ = CallFileOpen(folder_.Windows("arc\\t.txt").c_str(), 0, 1, 0);
        return file_;
    }
    void Close() {
        if (file_ != 0) CallFileClose(file_);
        file_ = 0;
        CloseUnusedArchives();
    }
    void TearDown() override { Close(); }
    TempFolder folder_;
    uintptr_t file_ = 0;
};

// Lines read with a buffer of the given size: what each read returns, the line and where the file is
// left.
TEST_P(FileReadingTest, LinesEndAtCrLfWithinTheBuffer) {
    struct Read {
        int result;
        const char* line;
        int64_t tell;
    };
    struct Case {
        const char* what;
        std::string text;
        int bufferSize;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        {"the last line ends at the end", "ab\r\ncd", 12, {{2, "ab", 4}, {2, "cd", 6}, {-1, nullptr, 6}}},
        // Reads a b c CR, then x y CR z: a lone CR is part of the line.
        {"a CR that is the last byte read looks at the next byte",
         "abc\r\nxy\rz",
         5,
         {{3, "abc", 5}, {4, "xy\rz", 9}, {-1, nullptr, 9}}},
        {"a lone CR at the end of the read stays in the line",
         "ab\rcdef",
         4,
         {{3, "ab\r", 3}, {3, "cde", 6}}},
        // Reads a b 0x82: the character's second byte was not read.
        {"a double-byte character cut by the buffer is left for the next line",
         "ab\x82\xA0"
         "cd",
         4,
         {{2, "ab", 2},
          {3,
           "\x82\xA0"
           "c",
           5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uintptr_t file = OpenText(c.text);
        ASSERT_NE(file, 0u);
        std::vector<char> line(static_cast<size_t>(c.bufferSize));
        for (const Read& read : c.reads) {
            EXPECT_EQ(ReadLineFromFile(line.data(), c.bufferSize, file), read.result);
            if (read.line != nullptr) {
                EXPECT_STREQ(line.data(), read.line);
            }
            EXPECT_EQ(CallFileTell(file), read.tell);
        }
        Close();
    }
}

TEST_P(FileReadingTest, CharactersAreSignedAndTheEndIsMinusOne) {
    uintptr_t file = OpenText("A\xFF");
    ASSERT_NE(file, 0u);
    EXPECT_EQ(IsFileAtEndPosition(file), 0);
    EXPECT_EQ(ReadCharFromFile(file), 'A');
    EXPECT_EQ(ReadCharFromFile(file), -1);  // the byte 0xFF
    EXPECT_EQ(IsFileAtEndPosition(file), 1);
    EXPECT_EQ(CallFileTell(file), 2);
    EXPECT_EQ(ReadCharFromFile(file), -1);  // the end
}

TEST_P(FileReadingTest, SizeByPath) {
    ASSERT_NE(OpenText("12345"), 0u);
    EXPECT_EQ(GetFileSizeByPath(folder_.Windows("arc\\t.txt").c_str()), 5);
    EXPECT_EQ(GetFileSizeByPath(folder_.Windows("arc\\none.txt").c_str()), -1);
}

INSTANTIATE_TEST_SUITE_P(PlainAndArchived, FileReadingTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "InArchive" : "PlainFile");
                         });

}  // namespace
