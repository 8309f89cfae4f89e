// The built-in shader data: unpacking, the by-name archive, the code tables and their bounds checks.
#include "engine/graphics/device/builtin_shader_archives.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/builtin_shader_layout.h"

namespace {

uint32_t FirstToken(const void* code) {
    uint32_t token;
    std::memcpy(&token, code, 4);
    return token;
}

uint32_t LastToken(const void* code, int size) {
    uint32_t token;
    std::memcpy(&token, static_cast<const uint8_t*>(code) + size - 4, 4);
    return token;
}

std::vector<std::string> ShaderNames() {
    std::vector<std::string> names;
    char name[64];
    for (int n = 0; n < 4; ++n) names.push_back("ps_nonetex_type" + std::to_string(n) + ".pso");
    for (int e = 0; e < 64; ++e) {
        std::snprintf(name, sizeof name, "ps_blend%d_type%d_igcolor%d_igtalpha%d.pso", e / 16, e / 4 % 4,
                      e / 2 % 2, e % 2);
        names.push_back(name);
    }
    names.push_back("ps_mask_blend.pso");
    return names;
}

class BuiltinShaderArchivesTest : public ::testing::Test {
  protected:
    void TearDown() override { CloseBuiltinShaderArchives(); }
};

}  // namespace

TEST_F(BuiltinShaderArchivesTest, OpenFindsEveryShaderAndTheCodeTableEntries) {
    int size = -1;
    EXPECT_EQ(FindBuiltinShaderFile("ps_mask_blend.pso", &size), nullptr);  // not open yet
    ASSERT_EQ(OpenBuiltinShaderArchives(), 1);
    EXPECT_EQ(OpenBuiltinShaderArchives(), 1);  // already open
    for (const std::string& name : ShaderNames()) {
        const void* code = FindBuiltinShaderFile(name.c_str(), &size);
        ASSERT_NE(code, nullptr) << name;
        ASSERT_GE(size, 8) << name;
        EXPECT_EQ(FirstToken(code), 0xFFFF0200u) << name;
        EXPECT_EQ(LastToken(code, size), 0x0000FFFFu) << name;
    }
    EXPECT_EQ(FindBuiltinShaderFile("ps_blend4_type0_igcolor0_igtalpha0.pso", &size), nullptr);

    const void* vertex = GetShaderCodeTableEntry(3, kBuiltinVertexShaderEntry, &size);
    ASSERT_NE(vertex, nullptr);
    EXPECT_EQ(FirstToken(vertex), 0xFFFE0200u);
    const void* pixel = GetShaderCodeTableEntry(3, kBuiltinPixelShaderEntry, &size);
    ASSERT_NE(pixel, nullptr);
    EXPECT_EQ(FirstToken(pixel), 0xFFFF0200u);
    EXPECT_EQ(GetShaderCodeTableEntry(3, 2, &size), nullptr);  // empty
    for (int entry : {0, 27, kShaderCodeTable2Entries - 1}) {  // the RGBA-mix table is full
        const void* mix = GetShaderCodeTableEntry(2, entry, &size);
        ASSERT_NE(mix, nullptr) << entry;
        EXPECT_EQ(FirstToken(mix), 0xFFFF0200u) << entry;
    }
    EXPECT_EQ(GetShaderCodeTableEntry(2, kShaderCodeTable2Entries, &size), nullptr);
    EXPECT_EQ(GetShaderCodeTableEntry(3, kShaderCodeTable3Entries, &size), nullptr);
    EXPECT_EQ(GetShaderCodeTableEntry(1, 0, &size), nullptr);
}

TEST_F(BuiltinShaderArchivesTest, CloseFreesEverythingAndOpensAgain) {
    int before = CheckAllTrackedAllocations();
    ASSERT_EQ(OpenBuiltinShaderArchives(), 1);
    EXPECT_EQ(CloseBuiltinShaderArchives(), 1);
    EXPECT_EQ(CheckAllTrackedAllocations(), before);
    int size = 0;
    EXPECT_EQ(FindBuiltinShaderFile("ps_nonetex_type0.pso", &size), nullptr);
    EXPECT_EQ(GetShaderCodeTableEntry(2, 0, &size), nullptr);
    ASSERT_EQ(OpenBuiltinShaderArchives(), 1);
    EXPECT_NE(FindBuiltinShaderFile("ps_nonetex_type0.pso", &size), nullptr);
}

// A table of 4 sizes with its code at byte 8: entries 10 and 6 bytes, one empty, then one of 3.
TEST(ShaderCodeTable, EntriesAreFoundInOrderAndEveryBoundIsChecked) {
    std::vector<uint8_t> table = {10, 0, 6, 0, 0, 0, 3, 0};
    table.resize(8 + 19, 0xAB);
    size_t size = 0;
    struct Case {
        const char* what;
        size_t tableSize;
        int entries;
        size_t start;
        int entry;
        long offset;  // -1: not found
        size_t size;
    };
    for (Case c : {Case{"first", table.size(), 4, 8, 0, 8, 10}, Case{"second", table.size(), 4, 8, 1, 18, 6},
                   Case{"empty", table.size(), 4, 8, 2, -1, 0}, Case{"last", table.size(), 4, 8, 3, 24, 3},
                   Case{"entry past the table", table.size(), 4, 8, 4, -1, 0},
                   Case{"negative entry", table.size(), 4, 8, -1, -1, 0},
                   Case{"code cut short", table.size() - 1, 4, 8, 3, -1, 0},
                   Case{"sizes past the buffer", 6, 4, 6, 0, -1, 0},
                   Case{"code start past the buffer", table.size(), 4, 40, 0, -1, 0}}) {
        const uint8_t* found =
            FindCodeTableEntry(table.data(), c.tableSize, c.entries, c.start, c.entry, &size);
        if (c.offset < 0) {
            EXPECT_EQ(found, nullptr) << c.what;
        } else {
            EXPECT_EQ(found, table.data() + c.offset) << c.what;
            EXPECT_EQ(size, c.size) << c.what;
        }
    }
}
