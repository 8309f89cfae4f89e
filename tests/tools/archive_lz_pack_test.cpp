#include "tools/archive/archive_lz_pack.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/core/files/archive_lz.h"

namespace {

struct PackCase {
    const char* name;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> Repeat(const std::string& unit, size_t times) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

std::vector<uint8_t> Random(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> out(size);
    for (uint8_t& b : out) b = uint8_t(random());
    return out;
}

// Every byte value at least once and many matches: the escape byte itself occurs in the data and in
// match codes near it.
std::vector<uint8_t> AllBytesThenRepeats() {
    std::vector<uint8_t> out;
    for (int i = 0; i < 256; ++i) out.push_back(uint8_t(i));
    for (int i = 0; i < 256; ++i) out.push_back(uint8_t(255 - i));
    std::vector<uint8_t> again(out);
    for (int k = 0; k < 40; ++k) out.insert(out.end(), again.begin() + k, again.begin() + k + 60 + k * 5);
    return out;
}

std::vector<uint8_t> FarMatches() {
    std::vector<uint8_t> head = Random(70000, 5);
    std::vector<uint8_t> out = head;
    out.insert(out.end(), head.begin() + 10, head.begin() + 3000);      // distance ~70000: three bytes
    out.insert(out.end(), head.begin() + 69000, head.end());            // distance ~3000: two bytes
    out.insert(out.end(), head.begin() + 69000, head.begin() + 69100);  // the same distance again
    return out;
}

class ArchiveLzPack : public ::testing::TestWithParam<PackCase> {};

TEST_P(ArchiveLzPack, UnpacksToTheSameBytes) {
    const std::vector<uint8_t>& data = GetParam().data;
    std::vector<uint8_t> packed = PackArchiveData(data.data(), data.size());
    std::vector<uint8_t> out(data.size() + 1, 0xCD);
    ASSERT_EQ(UnpackArchiveData(packed.data(), packed.size(), out.data(), data.size()), int64_t(data.size()));
    out.resize(data.size());
    EXPECT_EQ(out, data);
}

INSTANTIATE_TEST_SUITE_P(Data, ArchiveLzPack,
                         ::testing::Values(PackCase{"Empty", {}}, PackCase{"OneByte", {0x42}},
                                           PackCase{"Random", Random(50000, 1)},
                                           PackCase{"LongRun", std::vector<uint8_t>(100000, 0x00)},
                                           PackCase{"ShortPattern", Repeat("abc", 20000)},
                                           PackCase{"Text", Repeat("the quick brown fox ", 500)},
                                           PackCase{"AllBytes", AllBytesThenRepeats()},
                                           PackCase{"FarMatches", FarMatches()}),
                         [](const ::testing::TestParamInfo<PackCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ArchiveLzPack, RepetitiveDataShrinks) {
    std::vector<uint8_t> run(100000, 0x00);
    EXPECT_LT(PackArchiveData(run.data(), run.size()).size(), 100u);
    std::vector<uint8_t> text = Repeat("the quick brown fox ", 500);
    EXPECT_LT(PackArchiveData(text.data(), text.size()).size(), text.size() / 10);
}

}  // namespace
