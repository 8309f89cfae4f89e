#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/files/file_access.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/handle_manager.h"
#include "platform/kernel/kernel32.h"
#include "tests/core/files/archive_test_support.h"
#include "tests/wait_until.h"

namespace {

class FileHandleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitFileHandleType();
        folder_.Write("lines.txt", Bytes("ab\r\ncd\xFF"));
    }
    std::string Path(const char* name) const { return folder_.Windows(name); }
    TempFolder folder_;
};

TEST_F(FileHandleTest, SynchronousOpenReadAndClose) {
    EXPECT_EQ(InitFileHandleType(), -1);
    int handle = OpenFileHandleCore(Path("lines.txt").c_str(), 0, 0);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(HandleTypeOf(handle), kHandleTypeFile);
    char line[16];
    EXPECT_EQ(ReadFileHandleLine(line, 16, handle), 2);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(IsFileHandleAtEnd(handle), 0);
    EXPECT_EQ(ReadFileHandleChar(handle), 'c');
    char two[2];
    EXPECT_EQ(ReadFileHandleSyncOrAsync(handle, two, 2, 0), 2);
    EXPECT_EQ(two[0], 'd');
    EXPECT_EQ(IsFileHandleAtEnd(handle), 1);
    EXPECT_EQ(ReadFileHandleChar(handle), -1);
    EXPECT_EQ(ReadFileHandleLine(line, 16, handle), -1);
    EXPECT_EQ(CloseFileHandle(handle), 0);
    EXPECT_EQ(CloseFileHandle(handle), -1);
    EXPECT_EQ(ReadFileHandleChar(handle), 0);
    EXPECT_EQ(IsFileHandleAtEnd(handle), -1);
    EXPECT_EQ(ReadFileHandleLine(line, 16, handle), -1);
    EXPECT_EQ(ReadFileHandleSyncOrAsync(handle, two, 2, 0), -1);
}

TEST_F(FileHandleTest, MissingFileGivesZeroInSynchronousMode) {
    EXPECT_EQ(OpenFileHandleCore(Path("missing.txt").c_str(), 0, 0), 0);
}

TEST_F(FileHandleTest, AsynchronousOpenOfAMissingFileInvalidatesTheHandle) {
    InitAsyncLoad(GetCurrentThreadId());
    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    int missing = OpenFileHandleCore(Path("missing.txt").c_str(), 0, 1);
    int present = OpenFileHandleCore(Path("lines.txt").c_str(), 0, 1);
    ASSERT_GT(missing, 0);
    ASSERT_GT(present, 0);
    WaitUntil([&] { return IsHandleLoading(missing) != 1 && IsHandleLoading(present) != 1; },
              [] { Sleep(1); });
    EXPECT_EQ(IsHandleLoading(missing), -1);  // failed by its job, deleted by the check
    EXPECT_EQ(IsHandleLoading(present), 0);
    char buffer[4] = {};
    EXPECT_EQ(ReadFileHandleSyncOrAsync(present, buffer, 2, 1), 0);
    WaitUntil([&] { return IsHandleLoading(present) != 1; }, [] { Sleep(1); });
    EXPECT_EQ(std::string(buffer), "ab");
    EXPECT_EQ(CloseFileHandle(present), 0);
    StopAsyncLoadThreads();
    EndAsyncLoad();
}

}  // namespace
