// Shader programs for the stand-in's tests, assembled with the shader tool's token builder, and a runner
// that puts values straight into a program's input registers and reads its outputs back.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/shader_bytecode.h"
#include "platform/d3d9/shader_machine.h"
#include "platform/d3d9/shader_program.h"
#include "platform/d3d9/shader_validation.h"
#include "tools/shaders/shader_tokens.h"

namespace d3d9_test {

namespace sh = d3d9::shader;
using Tokens = ::ShaderProgram;
using Vec4 = std::array<float, 4>;

constexpr uint32_t kPs20 = 0xFFFF0200, kPs2x = 0xFFFF0201, kPs30 = 0xFFFF0300, kVs20 = 0xFFFE0200,
                   kVs30 = 0xFFFE0300;
constexpr d3d9::ShaderModels kSm3Models{0x300, 0x300};

inline ShaderRegister Reg(uint8_t type) {
    return ShaderRegister(type);
}
// An opcode with its controls (comparisons, texld forms) in bits 16 to 23.
inline ShaderOpcode Op(uint32_t opcode) {
    return ShaderOpcode(opcode);
}
// An instruction by its bare opcode number, one the builder has no name for.
inline void Raw(Tokens& p, uint32_t opcode, std::initializer_list<uint32_t> parameters) {
    p.Op(Op(opcode), parameters);
}

inline const uint32_t kR0 = Destination(kRegTemp, 0);

inline uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}
constexpr uint32_t kSaturate = 1u << 20;
constexpr uint32_t Modifier(uint8_t m) {
    return uint32_t(m) << 24;
}
// A swizzle from four component indices.
constexpr uint32_t Swizzle(int x, int y, int z, int w) {
    return uint32_t(x | y << 2 | z << 4 | w << 6);
}

inline Tokens Program(uint32_t version) {
    return Tokens{{version}};
}
// dcl_<usage><index> of a register (vertex shaders and 3.0 pixel shaders).
inline void DeclareSemantic(Tokens& p, ShaderRegister type, uint32_t n, uint32_t usage, uint32_t index,
                            uint32_t mask = kMaskAll) {
    p.Op(kOpDcl, {0x80000000u | usage | index << 16, Destination(type, n, mask)});
}
inline void Define(Tokens& p, uint32_t n, Vec4 v) {
    p.Op(Op(sh::kDef), {Destination(kRegConst, n), Bits(v[0]), Bits(v[1]), Bits(v[2]), Bits(v[3])});
}
inline void DefineInt(Tokens& p, uint32_t n, std::array<int, 4> v) {
    p.Op(Op(sh::kDefI), {Destination(Reg(sh::kConstInt), n), uint32_t(v[0]), uint32_t(v[1]), uint32_t(v[2]),
                         uint32_t(v[3])});
}
inline void DefineBool(Tokens& p, uint32_t n, bool v) {
    p.Op(Op(sh::kDefB), {Destination(Reg(sh::kConstBool), n), uint32_t(v)});
}

inline std::vector<uint32_t> Words(Tokens p) {
    const std::vector<uint8_t> bytes = p.End();
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

inline bool Valid(const std::vector<uint32_t>& words, d3d9::ShaderModels models = kSm3Models,
                  std::string* why = nullptr) {
    d3d9::ParsedShader parsed;
    return d3d9::ParseShaderTokens(words.data(), words.size(), models, &parsed, why);
}

// A ps_3_0 program over inputs v0..v3 (TEXCOORD0..3) that writes its result to oC0: `body` computes into
// r0 from the inputs and the constants c0..; the runner gives each lane its own input values.
class ProgramRunner {
  public:
    explicit ProgramRunner(uint32_t version = kPs30)
        : tokens_(Program(version)), pixel_((version >> 16) == 0xFFFF) {
        for (uint32_t i = 0; i < 4; ++i)
            if (pixel_ && version >= kPs30)
                DeclareSemantic(tokens_, kRegInput, i, 5 /* texcoord */, i);
            else if (pixel_)
                tokens_.DeclarePixelInput(kRegTexture, i);
            else
                DeclareSemantic(tokens_, kRegInput, i, 5, i);
        if (!pixel_ && version >= kVs30) DeclareSemantic(tokens_, Reg(sh::kTexCoordOut), 0, 5, 0);
    }
    Tokens& tokens() { return tokens_; }
    // The input register of operand n (v# in 3.0 pixel and vertex shaders, t# in ps_2_x).
    uint32_t In(uint32_t n, uint32_t swizzle = kSwizzleXyzw, uint32_t modifier = 0) const {
        const bool texcoord = pixel_ && (tokens_.tokens[0] & 0xFFFF) < 0x300;
        return Source(texcoord ? kRegTexture : kRegInput, n, swizzle, modifier);
    }
    uint32_t Out() const {
        if (pixel_) return Destination(kRegColourOut, 0);
        return (tokens_.tokens[0] & 0xFFFF) >= 0x300 ? Destination(Reg(sh::kTexCoordOut), 0)
                                                     : Destination(kRegTexCoordOut, 0);
    }

    // Ends the program and runs it: input n of lane l is inputs[l][n]; returns each lane's result.
    std::vector<Vec4> Run(const std::vector<std::array<Vec4, 4>>& inputs, std::vector<Vec4> constants = {},
                          std::string* why = nullptr) {
        const std::vector<uint32_t> words = Words(tokens_);
        d3d9::ParsedShader parsed;
        if (!d3d9::ParseShaderTokens(words.data(), words.size(), kSm3Models, &parsed, why)) return {};
        program_ = d3d9::DecodeShader(parsed);
        std::vector<std::array<float, 4>> floats(256);
        for (size_t i = 0; i < constants.size(); ++i) floats[i] = constants[i];
        machine_.Load(program_, {floats.data(), 256, ints_.data(), bools_.data()}, nullptr);
        std::vector<Vec4> out;
        for (size_t first = 0; first < inputs.size(); first += d3d9::kShaderLanes) {
            for (const d3d9::ShaderSemantic& in : program_.inputs)
                for (int l = 0; l < d3d9::kShaderLanes; ++l)
                    for (int c = 0; c < 4; ++c) {
                        const size_t lane = std::min(first + size_t(l), inputs.size() - 1);
                        machine_.Slot(in.slot).c[c][l] = inputs[lane][in.index][size_t(c)];
                    }
            killed_ = ~machine_.Run(d3d9::kAllLanes) & d3d9::kAllLanes;
            const uint16_t slot = program_.outputs.empty() ? 0 : program_.outputs.front().slot;
            for (int l = 0; l < d3d9::kShaderLanes && first + size_t(l) < inputs.size(); ++l)
                out.push_back({machine_.Slot(slot).c[0][l], machine_.Slot(slot).c[1][l],
                               machine_.Slot(slot).c[2][l], machine_.Slot(slot).c[3][l]});
        }
        return out;
    }
    std::array<std::array<int, 4>, 16>& ints() { return ints_; }
    std::array<BOOL, 16>& bools() { return bools_; }
    d3d9::LaneMask killed() const { return killed_; }

  private:
    Tokens tokens_;
    bool pixel_;
    d3d9::ShaderProgram program_;
    d3d9::ShaderMachine machine_;
    std::array<std::array<int, 4>, 16> ints_{};
    std::array<BOOL, 16> bools_{};
    d3d9::LaneMask killed_ = 0;
};

}  // namespace d3d9_test
