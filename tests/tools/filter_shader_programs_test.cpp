// The filter shader programs: every file the library's filter routines create exists under its name,
// and every program keeps to what a pixel shader 2.0 device runs.
#include "tools/shaders/filter_shader_programs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "engine/graphics/filters/filter_shader_layout.h"
#include "engine/graphics/filters/filter_shaders.h"
#include "platform/d3d9/shader_validation.h"

namespace {

uint32_t TokenAt(const std::vector<uint8_t>& code, size_t index) {
    uint32_t token;
    std::memcpy(&token, code.data() + index * 4, 4);
    return token;
}

struct Parameter {
    uint32_t type, index, swizzleOrMask;
};

Parameter Decode(uint32_t token, bool destination) {
    const uint32_t type = ((token >> 28) & 7) | ((token >> 8) & 0x18);
    return {type, token & 0x7FF, destination ? (token >> 16) & 0xF : (token >> 16) & 0xFF};
}

// What a ps_2_0 device refuses, or "" for a program it runs. Slots by opcode (pow takes 3); dcl and def
// take none.
std::string Ps20Fault(const std::vector<uint8_t>& code) {
    enum { kTemp = 0, kInput = 1, kConst = 2, kTexture = 3, kColourOut = 8, kSampler = 10 };
    static const std::map<uint32_t, int> kArithmeticSlots = {{1, 1},  {2, 1},  {3, 1},  {4, 1},  {5, 1},
                                                             {6, 1},  {8, 1},  {9, 1},  {10, 1}, {11, 1},
                                                             {19, 1}, {32, 3}, {35, 1}, {88, 1}};
    static const std::set<uint32_t> kScalar = {6, 32};  // rcp, pow: replicated sources
    static const std::map<uint32_t, uint32_t> kLimits = {{kTemp, 12},    {kConst, 32}, {kTexture, 8},
                                                         {kSampler, 16}, {kInput, 2},  {kColourOut, 1}};
    if (code.size() < 8 || code.size() % 4 || TokenAt(code, 0) != 0xFFFF0200u) return "not ps_2_0";
    const size_t count = code.size() / 4;
    int arithmetic = 0, texture = 0;
    bool instructions = false;
    for (size_t i = 1; i < count - 1;) {
        const uint32_t instruction = TokenAt(code, i), opcode = instruction & 0xFFFF;
        const size_t length = (instruction >> 24) & 0xF;
        if (i + length >= count) return "runs past the end";
        const std::string at = " at token " + std::to_string(i);
        if (opcode == 31 && instructions) return "declaration after an instruction" + at;
        instructions = instructions || (opcode != 31 && opcode != 81);
        if (opcode == 81) {  // def: c# and four values
            if (Decode(TokenAt(code, i + 1), true).index >= 32) return "def beyond c31" + at;
            i += 1 + length;
            continue;
        }
        if (opcode == 66 || opcode == 65)
            ++texture;
        else if (kArithmeticSlots.count(opcode))
            arithmetic += kArithmeticSlots.at(opcode);
        else if (opcode != 31)
            return "opcode " + std::to_string(opcode) + at;
        std::set<uint32_t> constants;
        for (size_t p = 1; p <= length; ++p) {
            const bool destination = p == 1;
            if (opcode == 31 && destination) continue;  // the declaration's usage token
            const Parameter r = Decode(TokenAt(code, i + p), destination);
            if (!kLimits.count(r.type) || r.index >= kLimits.at(r.type)) return "register out of range" + at;
            if (r.type == kConst && !destination) constants.insert(r.index);
            if (r.type == kColourOut && opcode != 1) return "oC0 written by other than mov" + at;
            if (destination || opcode == 31) continue;
            const uint32_t s = r.swizzleOrMask;
            const bool replicate = s == 0x00 || s == 0x55 || s == 0xAA || s == 0xFF;
            if (s != 0xE4 && !replicate) return "swizzle " + std::to_string(s) + at;
            if (kScalar.count(opcode) && !replicate) return "scalar source not replicated" + at;
            if (opcode == 66 && s != 0xE4) return "texld coordinates swizzled" + at;
        }
        if (constants.size() > 2) return "more than two constant registers read" + at;
        if (opcode == 66 && (Decode(TokenAt(code, i + 1), true).swizzleOrMask != 0xF ||
                             Decode(TokenAt(code, i + 1), true).type != kTemp))
            return "texld writes other than a whole temporary" + at;
        i += 1 + length;
    }
    if (TokenAt(code, count - 1) != 0x0000FFFFu) return "no end token";
    if (arithmetic > 64) return std::to_string(arithmetic) + " arithmetic slots";
    if (texture > 32) return std::to_string(texture) + " texture instructions";
    return "";
}

// Every file name the library's filter routines ask the archive for.
std::set<std::string> LibraryFilterFiles() {
    std::set<std::string> names;
    auto add = [&](const FilterShader* shader) {
        if (shader && shader->fileName) names.insert(shader->fileName);
    };
    add(MonoShader());
    for (int comparison : {2, 5})
        for (int fill : {0, 1}) add(BrightClipShader(comparison, fill));
    for (int mode : {0, 1})
        for (int pass : {0, 1}) add(HsbShader(mode, pass));
    add(InvertShader());
    add(LevelShader());
    add(TwoColorShader());
    add(GradientMapShader(0));
    add(GradientMapShader(1));
    add(PremultipliedAlphaShader());
    for (int taps : {8, 16, 32}) add(GaussShader(taps));
    for (int scale : {2, 4, 8}) add(DownScaleShader(scale));
    for (int kind = 0; kind <= 16; ++kind) add(BlendShader(kind));
    for (int selectors = 0; selectors < 256; ++selectors)
        add(RgbaMixShader(selectors >> 6, selectors >> 4 & 3, selectors >> 2 & 3, 4 + (selectors & 3)));
    add(RgbaMixShader(0, 5, 2, 3));
    return names;
}

}  // namespace

TEST(FilterShaderPrograms, EveryFileTheRoutinesAskForIsThereOnce) {
    std::set<std::string> programs, builtin;
    for (const NamedShader& s : BuiltinPixelShaders()) builtin.insert(s.name);
    for (const NamedShader& s : FilterPixelShaders()) {
        EXPECT_TRUE(programs.insert(s.name).second) << s.name << " twice";
        EXPECT_EQ(builtin.count(s.name), 0u) << s.name;
    }
    const std::set<std::string> asked = LibraryFilterFiles();
    EXPECT_EQ(asked.size(), 37u + 256u);  // 37 by kind, 256 named RGBA-mix variants
    EXPECT_EQ(programs, asked);
    EXPECT_EQ(RgbaMixShaderTable().size(), size_t(kRgbaMixTableEntries));
}

// By this test's own reading of the rules, and by the Direct3D stand-in's validator of a 2.0 device.
TEST(FilterShaderPrograms, EveryProgramRunsOnAPixelShader20Device) {
    auto device = [](const std::vector<uint8_t>& code) {
        d3d9::ParsedShader parsed;
        std::string error;
        d3d9::ParseShaderTokens(reinterpret_cast<const uint32_t*>(code.data()), code.size() / 4,
                                d3d9::ShaderModels{0x200, 0x200}, &parsed, &error);
        return error;
    };
    for (const NamedShader& s : FilterPixelShaders()) {
        EXPECT_EQ(Ps20Fault(s.code), "") << s.name;
        EXPECT_EQ(device(s.code), "") << s.name;
    }
    const std::vector<std::vector<uint8_t>> table = RgbaMixShaderTable();
    for (size_t entry = 0; entry < table.size(); ++entry) {
        EXPECT_EQ(Ps20Fault(table[entry]), "") << entry;
        EXPECT_EQ(device(table[entry]), "") << entry;
    }
}

// The checker itself finds the faults it is there for.
TEST(FilterShaderPrograms, CheckerRefusesWhatAPixelShader20DeviceRefuses) {
    const std::vector<uint8_t> good = FilterPixelShaders().front().code;
    ASSERT_EQ(Ps20Fault(good), "");
    auto with = [&](size_t token, uint32_t value) {
        std::vector<uint8_t> code = good;
        std::memcpy(code.data() + token * 4, &value, 4);
        return code;
    };
    std::vector<uint8_t> vs = with(0, 0xFFFE0200u);
    EXPECT_EQ(Ps20Fault(vs), "not ps_2_0");
    std::vector<uint8_t> truncated(good.begin(), good.end() - 4);
    EXPECT_NE(Ps20Fault(truncated), "");
    // Another 65 additions of r0 to itself.
    auto appended = [&](std::vector<uint32_t> tokens, int times) {
        std::vector<uint8_t> code(good.begin(), good.end() - 4);
        for (int i = 0; i < times; ++i)
            for (uint32_t t : tokens)
                code.insert(code.end(), reinterpret_cast<uint8_t*>(&t), reinterpret_cast<uint8_t*>(&t) + 4);
        const uint32_t end = 0x0000FFFFu;
        code.insert(code.end(), reinterpret_cast<const uint8_t*>(&end),
                    reinterpret_cast<const uint8_t*>(&end) + 4);
        return code;
    };
    // add r0, r0, r0 65 times more; mad r0, c0, c1, c2; mov r0, r0.yzxw (a swizzle this checker does not
    // take, to stay on the safe side).
    EXPECT_NE(Ps20Fault(appended({0x03000002u, 0x800F0000u, 0x80E40000u, 0x80E40000u}, 65))
                  .find(" arithmetic slots"),
              std::string::npos);
    EXPECT_EQ(Ps20Fault(appended({0x04000004u, 0x800F0000u, 0xA0E40000u, 0xA0E40001u, 0xA0E40002u}, 1))
                  .rfind("more than two constant registers", 0),
              0u);
    EXPECT_EQ(Ps20Fault(appended({0x02000001u, 0x800F0000u, 0x80C90000u}, 1)).rfind("swizzle", 0), 0u);
    // dcl_2d s1 behind the program's instructions.
    EXPECT_EQ(Ps20Fault(appended({0x0200001Fu, 0x90000000u, 0xA00F0801u}, 1)).rfind("declaration after", 0),
              0u);
}
