#include "engine/core/files/archive_lz.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A packed block: the head (unpacked size, block length, escape byte) before the codes.
std::vector<uint8_t> Block(uint32_t unpackedSize, uint8_t escape, std::vector<uint8_t> codes,
                           int lengthDelta = 0) {
    uint32_t length = uint32_t(9 + codes.size() + lengthDelta);
    std::vector<uint8_t> block = {uint8_t(unpackedSize),
                                  uint8_t(unpackedSize >> 8),
                                  uint8_t(unpackedSize >> 16),
                                  uint8_t(unpackedSize >> 24),
                                  uint8_t(length),
                                  uint8_t(length >> 8),
                                  uint8_t(length >> 16),
                                  uint8_t(length >> 24),
                                  escape};
    for (uint8_t code : codes) block.push_back(code);
    return block;
}

std::string Unpack(const std::vector<uint8_t>& block, int64_t* result) {
    std::vector<uint8_t> out(64, 0xEE);
    *result = UnpackArchiveData(block.data(), block.size(), out.data(), out.size());
    return *result < 0 ? std::string() : std::string(out.begin(), out.begin() + *result);
}

struct LzCase {
    const char* what;
    std::vector<uint8_t> block;
    const char* expected;
};

class ArchiveLzFixtures : public ::testing::TestWithParam<LzCase> {};

TEST_P(ArchiveLzFixtures, UnpacksToTheExpectedBytes) {
    int64_t result;
    std::string out = Unpack(GetParam().block, &result);
    EXPECT_EQ(result, int64_t(std::string(GetParam().expected).size()));
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ArchiveLzFixtures,
    ::testing::Values(
        // 'a', then escape + code 0x31 (above the escape: 0x30, length 6 + 4, one distance byte 0).
        LzCase{"length10Distance1", Block(11, 0x00, {0x61, 0x00, 0x31, 0x00}), "aaaaaaaaaaa"},
        // Escape twice is one escape byte.
        LzCase{"escapedEscape", Block(3, 0x41, {0x41, 0x41, 0x42, 0x41, 0x41}), "ABA"},
        // "abcd", match length 4 at distance 4 (code 0: field byte 3), 'x', then mode 3 repeats field 3:
        // copy 4 from 4 back again ("bcdx").
        LzCase{"previousDistanceFieldRepeats",
               Block(13, 0xFF, {'a', 'b', 'c', 'd', 0xFF, 0x00, 0x03, 'x', 0xFF, 0x03}), "abcdabcdxbcdx"},
        // Length with its high byte: c = 0x04 (bit 2) -> length 0 | 1 << 5 = 32, + 4 = 36, distance 2.
        LzCase{"lengthHighByte", Block(38, 0x80, {'h', 'o', 0x80, 0x04, 0x01, 0x01}),
               "hohohohohohohohohohohohohohohohohohoho"},
        // Two distance bytes: field 0x0001 -> distance 2.
        LzCase{"twoByteDistance", Block(7, 0x10, {'x', 'y', 'z', 0x10, 0x01, 0x01, 0x00}), "xyzyzyz"},
        LzCase{"emptyBlock", Block(0, 0x00, {}), ""}),
    [](const ::testing::TestParamInfo<LzCase>& info) { return std::string(info.param.what); });

TEST(ArchiveLz, NullDestinationReturnsTheSizeOnly) {
    std::vector<uint8_t> block = Block(11, 0x00, {0x61, 0x00, 0x31, 0x00});
    EXPECT_EQ(UnpackArchiveData(block.data(), block.size(), nullptr, 0), 11);
}

TEST(ArchiveLz, CorruptBlocksFailWithoutTouchingMemoryOutside) {
    struct Bad {
        const char* what;
        std::vector<uint8_t> block;
        size_t destinationSize;
    } cases[] = {
        {"distance before the output", Block(11, 0x00, {0x61, 0x00, 0x31, 0x01}), 64},
        {"match past the unpacked size", Block(5, 0x00, {0x61, 0x00, 0x31, 0x00}), 64},
        {"literal past the unpacked size", Block(1, 0x00, {0x61, 0x62}), 64},
        {"fewer bytes than promised", Block(12, 0x00, {0x61, 0x00, 0x31, 0x00}), 64},
        {"code cut after the escape", Block(2, 0x00, {0x61, 0x00}), 64},
        {"distance bytes cut", Block(12, 0x00, {0x61, 0x00, 0x32, 0x00}), 64},
        {"length byte cut", Block(40, 0x00, {0x61, 0x00, 0x05}), 64},
        {"block length below its head", Block(1, 0x00, {0x61}, -5), 64},
        {"block length past the source", Block(1, 0x00, {0x61}, 4), 64},
        {"unpacked size above the destination", Block(11, 0x00, {0x61, 0x00, 0x31, 0x00}), 10},
        {"head cut", std::vector<uint8_t>{1, 0, 0, 0, 9}, 64},
    };
    for (const Bad& c : cases) {
        std::vector<uint8_t> out(c.destinationSize);
        EXPECT_EQ(UnpackArchiveData(c.block.data(), c.block.size(), out.data(), out.size()), -1) << c.what;
    }
}

}  // namespace
