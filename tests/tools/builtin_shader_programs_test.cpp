// The built-in shader programs and the committed data source generated from them.
#include "tools/shaders/builtin_shader_programs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

namespace {

uint32_t Token(const std::vector<uint8_t>& code, size_t index) {
    uint32_t token;
    std::memcpy(&token, code.data() + index * 4, 4);
    return token;
}

// Walks the instruction tokens by their length fields: every instruction must end exactly at the end
// token, so a wrong length field or a stray token shows.
bool WellFormed(const std::vector<uint8_t>& code, uint32_t version) {
    if (code.size() < 8 || code.size() % 4 != 0 || Token(code, 0) != version) return false;
    size_t count = code.size() / 4, i = 1;
    while (i < count - 1) {
        uint32_t token = Token(code, i);
        if (token & 0x80000000u) return false;  // a parameter where an instruction belongs
        i += 1 + ((token >> 24) & 0xF);
    }
    return i == count - 1 && Token(code, count - 1) == 0x0000FFFFu;
}

}  // namespace

TEST(BuiltinShaderPrograms, EveryProgramIsAWellFormedTokenStreamUnderItsName) {
    std::vector<NamedShader> shaders = BuiltinPixelShaders();
    ASSERT_EQ(shaders.size(), 69u);
    std::set<std::string> names;
    for (const NamedShader& s : shaders) {
        EXPECT_TRUE(WellFormed(s.code, 0xFFFF0200u)) << s.name;
        names.insert(s.name);
    }
    EXPECT_EQ(names.size(), 69u);
    for (const char* name :
         {"ps_nonetex_type0.pso", "ps_nonetex_type3.pso", "ps_blend0_type0_igcolor0_igtalpha0.pso",
          "ps_blend3_type3_igcolor1_igtalpha1.pso", "ps_blend2_type1_igcolor0_igtalpha1.pso",
          "ps_mask_blend.pso"})
        EXPECT_EQ(names.count(name), 1u) << name;
    EXPECT_TRUE(WellFormed(BuiltinVertexShader(), 0xFFFE0200u));
    EXPECT_TRUE(WellFormed(BuiltinTexturedPixelShader(), 0xFFFF0200u));
}

// The library holds the generator's output as program data; it must be what the programs give now.
TEST(BuiltinShaderPrograms, CommittedDataSourceMatchesTheGenerator) {
    std::ifstream in(KORVALUND_SOURCE_DIR "/engine/graphics/device/builtin_shader_data.cpp",
                     std::ios::binary);
    ASSERT_TRUE(in);
    std::string committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(committed, BuiltinShaderDataSource(BuildBuiltinShaderBlocks()))
        << "run build/tools/shaders/shadergen engine/graphics/device/builtin_shader_data.cpp";
}
