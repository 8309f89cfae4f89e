#include "engine/core/memory/tracked_allocator.h"

#include <gmock/gmock.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "platform/kernel/clock.h"
#include "tests/core/log_capture.h"

namespace {

using ::testing::HasSubstr;

const TrackedBlockHeader* HeaderOf(const void* data) {
    return reinterpret_cast<const TrackedBlockHeader*>(static_cast<const unsigned char*>(data) -
                                                       kTrackedPrefixSize);
}

bool GuardsMatch(const void* data) {
    const TrackedBlockHeader* header = HeaderOf(data);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header);
    return std::memcmp(bytes, bytes + kTrackedGuardSize, kTrackedGuardSize) == 0 &&
           std::memcmp(bytes, static_cast<const unsigned char*>(data) + header->size, kTrackedGuardSize) == 0;
}

std::vector<std::string> LinesContaining(const std::string& text, const std::string& part) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find(part) != std::string::npos) lines.push_back(line);
    return lines;
}

class TrackedAllocator : public LogCapture {
  protected:
    void SetUp() override {
        SetClockMode(ClockMode::kVirtual);
        LogCapture::SetUp();
    }
    void TearDown() override {
        LogCapture::TearDown();
        SetClockMode(ClockMode::kReal);
    }
};

TEST_F(TrackedAllocator, TagKeepsItsLast15Characters) {
    void* block = TrackedAlloc(8, "abcdefghijklmnopqrst", 12);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(HeaderOf(block)->name, "fghijklmnopqrst");
    EXPECT_EQ(HeaderOf(block)->line, 12);
    EXPECT_EQ(HeaderOf(block)->size, 8u);
    block = TrackedRealloc(block, 100, "0123456789ABCDEFGHIJ", 13);
    EXPECT_STREQ(HeaderOf(block)->name, "56789ABCDEFGHIJ");
    EXPECT_EQ(HeaderOf(block)->line, 13);
    TrackedFree(block);

    void* shortTag = TrackedAlloc(1, "io.c", 5);
    const char* name = HeaderOf(shortTag)->name;
    EXPECT_STREQ(name, "io.c");
    for (int i = 5; i < 16; ++i) EXPECT_EQ(static_cast<unsigned char>(name[i]), 0xA5) << i;
    TrackedFree(shortTag);
    void* noTag = TrackedAlloc(1, nullptr, 0);
    EXPECT_STREQ(HeaderOf(noTag)->name, "");
    TrackedFree(noTag);
}

TEST_F(TrackedAllocator, GuardsFollowEveryChangeOfTheList) {
    uint32_t count = GetTrackedAllocCount();
    uint32_t total = GetTrackedAllocTotalSize();
    char* a = static_cast<char*>(TrackedAlloc(10, "a", 1));
    char* b = static_cast<char*>(TrackedAllocZeroed(20, "b", 2));
    char* c = static_cast<char*>(TrackedAlloc(30, "c", 3));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(b[i], 0);
    EXPECT_EQ(GetTrackedAllocCount(), count + 3);
    EXPECT_EQ(GetTrackedAllocTotalSize(), total + 60);
    EXPECT_EQ(HeaderOf(b)->number, uint16_t(HeaderOf(a)->number + 1));
    std::memcpy(b, "twenty bytes of data", 20);
    b = static_cast<char*>(TrackedRealloc(b, 4000, "b2", 4));  // moves: both neighbours follow
    EXPECT_EQ(std::memcmp(b, "twenty bytes of data", 20), 0);
    EXPECT_EQ(HeaderOf(b)->number, uint16_t(HeaderOf(c)->number + 1));
    EXPECT_EQ(GetTrackedAllocTotalSize(), total + 4040);
    for (void* block : {static_cast<void*>(a), static_cast<void*>(b), static_cast<void*>(c)})
        EXPECT_TRUE(GuardsMatch(block));
    EXPECT_EQ(HeaderOf(a)->next, HeaderOf(b));
    EXPECT_EQ(HeaderOf(b)->next, HeaderOf(c));
    EXPECT_EQ(HeaderOf(c)->previous, HeaderOf(b));
    TrackedFree(b);
    EXPECT_TRUE(GuardsMatch(a));
    EXPECT_TRUE(GuardsMatch(c));
    EXPECT_EQ(HeaderOf(a)->next, HeaderOf(c));
    EXPECT_EQ(CheckAllTrackedAllocations(), 0);
    TrackedFree(c);
    TrackedFree(a);
    EXPECT_EQ(GetTrackedAllocCount(), count);
    EXPECT_EQ(GetTrackedAllocTotalSize(), total);
    TrackedFree(nullptr);
    void* fromNull = TrackedRealloc(nullptr, 3, "n", 1);
    EXPECT_NE(fromNull, nullptr);
    TrackedFree(fromNull);
}

TEST_F(TrackedAllocator, ZeroSizeBlocksAreTracedOthersAreNot) {
    void* sized = TrackedAlloc(5, "five", 1);
    void* empty = TrackedAlloc(0, "empty", 2);
    empty = TrackedRealloc(empty, 0, "again", 3);
    TrackedFree(empty);
    TrackedFree(sized);
    std::string log = ReadLog();
    auto traced = LinesContaining(log, "mem ");
    ASSERT_EQ(traced.size(), 3u) << log;
    EXPECT_THAT(traced[0], ::testing::StartsWith("0:mem alloc  \tsize:         0(     0.000kb)  file:empty"));
    EXPECT_THAT(traced[1], ::testing::StartsWith("0:mem realloc  \tsize:"));
    EXPECT_THAT(traced[1], HasSubstr("file:again                       line:3    "));
    EXPECT_THAT(traced[2], ::testing::StartsWith("0:mem free  \tsize:"));
    for (const std::string& line : traced) EXPECT_THAT(line, ::testing::EndsWith("  data:<> ]\r"));
    EXPECT_THAT(log, ::testing::Not(HasSubstr("file:five")));
}

TEST_F(TrackedAllocator, DumpListsLiveBlocksNewestFirstWithTotals) {
    uint32_t count = GetTrackedAllocCount();
    uint32_t total = GetTrackedAllocTotalSize();
    void* first = TrackedAlloc(3, "first.cpp", 10);
    std::memcpy(first, "A\x01z", 3);
    void* second = TrackedAlloc(2048, "second.cpp", 20);
    std::memset(second, 'Q', 2048);
    DumpTrackedAllocations();
    std::string log = ReadLog();
    auto blocks = LinesContaining(log, "\tsize:");
    ASSERT_EQ(blocks.size(), count + 2);
    EXPECT_THAT(blocks[0],
                HasSubstr("size:      2048(     2.000kb)  file:second.cpp                  line:20   "));
    EXPECT_THAT(
        blocks[0],
        ::testing::EndsWith("data:<QQQQQQQQQQQQQQQQ> [51 51 51 51 51 51 51 51 51 51 51 51 51 51 51 51]\r"));
    EXPECT_THAT(blocks[1], HasSubstr("file:first.cpp"));
    EXPECT_THAT(blocks[1], ::testing::EndsWith("data:<A.z> [41 01 7a]\r"));
    char address[32];
    std::snprintf(address, sizeof(address), "addr:%p", first);
    EXPECT_THAT(blocks[1], HasSubstr(address));
    char totals[96];
    std::snprintf(totals, sizeof(totals), "\tTotal size:%d(%.3fkb)  Alloc num:%d\r\n", int(total + 2051),
                  (total + 2051) / 1024.0, int(count + 2));
    EXPECT_THAT(log, HasSubstr(totals));
    EXPECT_THAT(log, HasSubstr("0:\r\n0:Alloc memory dump\r\n"));
    TrackedFree(second);
    TrackedFree(first);
}

// Writing one byte past a block is reported when it is freed, and the process ends.
TEST_F(TrackedAllocator, OverrunIsReportedAndEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast");
    char* block = static_cast<char*>(TrackedAlloc(16, "overrun.cpp", 77));
    auto overrunAndFree = [&] {
        SetDebugOutputCapture([](const std::string& text) { std::cerr << text; });
        block[16] ^= 0xFF;
        TrackedFree(block);
    };
    EXPECT_EXIT(overrunAndFree(), ::testing::ExitedWithCode(255), "HEAD  BASE:.*HEAD TEMP1:.*HEAD TEMP2:");
    std::string log = ReadLog();
    EXPECT_THAT(log, HasSubstr("\x88\xc8\x89\xba\x82\xcc\x83\x81\x83\x82\x83\x8a"));  // 以下のメモリ
    auto hexLines = LinesContaining(log, "HEAD ");
    ASSERT_EQ(hexLines.size(), 3u);
    // 40 bytes each: "xx" with one blank, two after every fourth byte and four after every sixteenth.
    EXPECT_THAT(hexLines[0], ::testing::MatchesRegex(
                                 "0:HEAD  BASE:6f 76 65 72  72 75 6e 2e  63 70 70 00  a5 a5 a5 a5    .*\r"));
    EXPECT_EQ(hexLines[0].substr(hexLines[0].find(':') + 1),
              hexLines[1].substr(hexLines[1].find(':') + 1).replace(0, 10, "HEAD  BASE"));
    EXPECT_NE(hexLines[0].substr(12), hexLines[2].substr(12));
    // The block line, then the two guards read as headers (the second one damaged in its first byte).
    EXPECT_EQ(LinesContaining(log, "line:77").size(), 3u);
    EXPECT_EQ(LinesContaining(log, "file:overrun.cpp").size(), 2u);
    TrackedFree(block);  // the parent's block is sound
}

}  // namespace
