#include "engine/core/files/file_reading.h"

#include <gtest/gtest.h>

#include <string>

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
    void TearDown() override {
        if (file_ != 0) CallFileClose(file_);
        CloseUnusedArchives();
    }
    TempFolder folder_;
    uintptr_t file_ = 0;
};

TEST_P(FileReadingTest, LinesEndAtCrLfAndTheLastLineAtTheEnd) {
    uintptr_t file = OpenText("ab\r\ncd");
    ASSERT_NE(file, 0u);
    char line[12];
    EXPECT_EQ(ReadLineFromFile(line, 12, file), 2);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(CallFileTell(file), 4);
    EXPECT_EQ(ReadLineFromFile(line, 12, file), 2);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(CallFileTell(file), 6);
    EXPECT_EQ(ReadLineFromFile(line, 12, file), -1);
}

TEST_P(FileReadingTest, ACrThatIsTheLastByteReadLooksAtTheNextByte) {
    uintptr_t file = OpenText("abc\r\nxy\rz");
    ASSERT_NE(file, 0u);
    char line[5];  // reads 4 bytes: a b c CR
    EXPECT_EQ(ReadLineFromFile(line, 5, file), 3);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(CallFileTell(file), 5);
    EXPECT_EQ(ReadLineFromFile(line, 5, file), 4);  // x y CR z: a lone CR is part of the line
    EXPECT_STREQ(line, "xy\rz");
    EXPECT_EQ(ReadLineFromFile(line, 5, file), -1);
}

TEST_P(FileReadingTest, LoneCrAtTheEndOfTheReadStaysInTheLine) {
    uintptr_t file = OpenText("ab\rcdef");
    ASSERT_NE(file, 0u);
    char line[4];  // reads a b CR; the next byte is no LF
    EXPECT_EQ(ReadLineFromFile(line, 4, file), 3);
    EXPECT_STREQ(line, "ab\r");
    EXPECT_EQ(CallFileTell(file), 3);
    EXPECT_EQ(ReadLineFromFile(line, 4, file), 3);
    EXPECT_STREQ(line, "cde");
}

TEST_P(FileReadingTest, ADoubleByteCharacterCutByTheBufferIsLeftForTheNextLine) {
    uintptr_t file = OpenText(
        "ab\x82\xA0"
        "cd");
    ASSERT_NE(file, 0u);
    char line[4];  // reads a b 0x82: the character's second byte was not read
    EXPECT_EQ(ReadLineFromFile(line, 4, file), 2);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(CallFileTell(file), 2);
    EXPECT_EQ(ReadLineFromFile(line, 4, file), 3);
    EXPECT_STREQ(line,
                 "\x82\xA0"
                 "c");
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
