#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/files/file_access.h"

namespace {

class MemoryStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 20; ++i) data_[i] = uint8_t(i + 1);
        stream_ = OpenMemoryStream(data_, sizeof(data_));
        ASSERT_NE(stream_, 0u);
    }
    void TearDown() override { EXPECT_EQ(CloseMemoryStream(stream_), 0); }
    uint8_t data_[20];
    uintptr_t stream_ = 0;
};

TEST_F(MemoryStreamTest, ReadsWholeElementsThenOnePartialElement) {
    uint8_t out[64] = {};
    ASSERT_EQ(SeekMemoryStream(stream_, 11, SEEK_ORIGIN_START), 0);  // 9 bytes left
    EXPECT_EQ(ReadMemoryStream(out, 4, 10, stream_), 2u);
    EXPECT_EQ(std::memcmp(out, data_ + 11, 8), 0);
    EXPECT_EQ(TellMemoryStream(stream_), 19);
    EXPECT_EQ(EofMemoryStream(stream_), 0);

    ASSERT_EQ(SeekMemoryStream(stream_, -3, SEEK_ORIGIN_END), 0);
    std::memset(out, 0, sizeof(out));
    EXPECT_EQ(ReadMemoryStream(out, 4, 10, stream_), 1u);  // less than one element: the 3 bytes
    EXPECT_EQ(std::memcmp(out, data_ + 17, 3), 0);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(EofMemoryStream(stream_), 0);
    EXPECT_EQ(ReadMemoryStream(out, 4, 10, stream_), 0u);
    EXPECT_EQ(EofMemoryStream(stream_), 1);
}

TEST_F(MemoryStreamTest, SeeksAreClampedAndClearTheEndFlag) {
    struct Case {
        int64_t offset;
        int origin;
        int64_t expected;
    } cases[] = {{-5, SEEK_ORIGIN_START, 0},    {30, SEEK_ORIGIN_END, 20}, {7, 3, 0},
                 {-1, SEEK_ORIGIN_END, 19},     {4, SEEK_ORIGIN_START, 4}, {3, SEEK_ORIGIN_CURRENT, 7},
                 {-100, SEEK_ORIGIN_CURRENT, 0}};
    uint8_t out[32];
    for (const Case& c : cases) {
        ReadMemoryStream(out, 1, 32, stream_);
        ReadMemoryStream(out, 1, 32, stream_);
        ASSERT_EQ(EofMemoryStream(stream_), 1);
        if (c.origin == SEEK_ORIGIN_CURRENT) SeekMemoryStream(stream_, 4, SEEK_ORIGIN_START);
        EXPECT_EQ(SeekMemoryStream(stream_, c.offset, c.origin), 0);
        EXPECT_EQ(TellMemoryStream(stream_), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(EofMemoryStream(stream_), 0);
    }
}

TEST_F(MemoryStreamTest, MemorySetCallsTheMemoryFunctions) {
    StreamDescriptor d{*GetMemoryStreamFunctions(), stream_};
    uint8_t out[5];
    EXPECT_EQ(d.functions.read(out, 1, 5, d.source), 5u);
    EXPECT_EQ(d.functions.tell(d.source), 5);
    EXPECT_EQ(d.functions.idle(d.source), 1);
    EXPECT_EQ(d.functions.seek(d.source, 0, SEEK_ORIGIN_END), 0);
    EXPECT_EQ(d.functions.read(out, 1, 5, d.source), 0u);
    EXPECT_EQ(d.functions.eof(d.source), 1);
}

}  // namespace
