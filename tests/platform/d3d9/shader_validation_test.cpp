// The token-stream validator: what each shader model refuses, what it accepts, and the search for the end
// of a stream handed over without its size.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

const uint32_t kOc0 = Destination(kRegColourOut, 0);

// ps_2_0 with v0 and t0 and s0 declared, then `body`.
std::vector<uint32_t> Ps20(const std::function<void(Tokens&)>& body) {
    Tokens p = Program(kPs20);
    p.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    body(p);
    return Words(p);
}

std::vector<uint32_t> Ps30(const std::function<void(Tokens&)>& body) {
    Tokens p = Program(kPs30);
    DeclareSemantic(p, kRegInput, 0, 5, 0);
    p.DeclareSampler2D(0);
    body(p);
    return Words(p);
}

std::vector<uint32_t> Vs20(const std::function<void(Tokens&)>& body) {
    Tokens p = Program(kVs20);
    DeclareSemantic(p, kRegInput, 0, 0, 0);
    body(p);
    return Words(p);
}

struct Case {
    const char* name;
    std::vector<uint32_t> words;
};

struct Refusal {
    const char* name;
    const char* reason;
    std::vector<uint32_t> words;
};

TEST(ShaderValidationTest, RefusesWhatItsModelDoesNotAllow) {
    std::vector<uint32_t> no_end = Ps20([](Tokens& p) { p.Op(kOpMov, {kOc0, Source(kRegInput, 0)}); });
    no_end.pop_back();
    std::vector<uint32_t> after_end = Ps20([](Tokens&) {});
    after_end.push_back(0);
    std::vector<uint32_t> short_instruction = Ps20([](Tokens& p) {
        p.Op(kOpMov, {kOc0, Source(kRegInput, 0)});
    });
    short_instruction.insert(short_instruction.end() - 1, 0x05000002u);  // add with 5 parameters, 1 there
    std::vector<uint32_t> long_comment = Ps20([](Tokens&) {});
    long_comment.insert(long_comment.end() - 1, 0x7FFEFFFEu);
    const uint32_t bare_parameter = Source(kRegInput, 0) & 0x7FFFFFFFu;
    const std::vector<Refusal> cases = {
        {"missing end token", "no end token", no_end},
        {"tokens after the end", "tokens after the end token", after_end},
        {"instruction past the size", "instruction runs past the stream", short_instruction},
        {"comment past the size", "comment runs past the stream", long_comment},
        {"unknown opcode", "opcode the model does not have", Ps20([](Tokens& p) {
             Raw(p, 0x77, {kR0, Source(kRegInput, 0)});
         })},
        {"cnd is ps_1_x", "opcode the model does not have", Ps30([](Tokens& p) {
             Raw(p, 80, {kR0, Source(kRegInput, 0), Source(kRegInput, 0), Source(kRegInput, 0)});
         })},
        {"slt in a pixel shader", "opcode the model does not have", Ps20([](Tokens& p) {
             Raw(p, sh::kSlt, {kR0, Source(kRegInput, 0), Source(kRegInput, 0)});
         })},
        {"texldl in ps_2_0", "opcode the model does not have", Ps20([](Tokens& p) {
             Raw(p, sh::kTexLdl, {kR0, Source(kRegTexture, 0), Source(kRegSampler, 0)});
         })},
        {"rep in ps_2_0", "opcode the model does not have", Ps20([](Tokens& p) {
             Raw(p, sh::kRep, {Source(Reg(sh::kConstInt), 0)});
             Raw(p, sh::kEndRep, {});
         })},
        {"temp r12 in ps_2_0", "register number out of range", Ps20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegTemp, 12), Source(kRegInput, 0)});
         })},
        {"c32 in ps_2_0", "register number out of range", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegConst, 32)});
         })},
        {"v2 in ps_2_0", "register number out of range", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegInput, 2)});
         })},
        {"undeclared t1", "texture coordinate not declared", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegTexture, 1)});
         })},
        {"undeclared s1", "sampler not declared", Ps20([](Tokens& p) {
             p.Op(kOpTexld, {kR0, Source(kRegTexture, 0), Source(kRegSampler, 1)});
         })},
        {"temp as a sampler", "not allowed as this source", Ps20([](Tokens& p) {
             p.Op(kOpTexld, {kR0, Source(kRegTexture, 0), Source(kRegTemp, 0)});
         })},
        {"input written", "not allowed as this destination", Ps20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegInput, 0), Source(kRegInput, 0)});
         })},
        {"empty write mask", "empty write mask", Ps20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegTemp, 0, 0), Source(kRegInput, 0)});
         })},
        {"partial oC0 in ps_2_0", "partial write of oC#", Ps20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegColourOut, 0, kMaskRgb), Source(kRegInput, 0)});
         })},
        {"result shift", "result shift", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0 | 1u << 24, Source(kRegInput, 0)});
         })},
        {"abs modifier in ps_2_0", "source modifier the model does not have", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegInput, 0, kSwizzleXyzw, Modifier(sh::kModAbs))});
         })},
        {"bias modifier", "source modifier the model does not have", Ps30([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegInput, 0, kSwizzleXyzw, Modifier(2))});
         })},
        {"swizzle ps_2_0 lacks", "swizzle ps_2_0 does not have", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegInput, 0, Swizzle(0, 0, 1, 1))});
         })},
        {"rcp of four components", "scalar instruction needs one component", Ps20([](Tokens& p) {
             p.Op(Op(sh::kRcp), {kR0, Source(kRegInput, 0)});
         })},
        {"matrix onto its vector", "matrix destination is its vector source", Ps20([](Tokens& p) {
             p.Op(Op(sh::kM4x4), {kR0, Source(kRegTemp, 0), Source(kRegConst, 0)});
         })},
        {"matrix past the constants", "matrix rows past the register file", Ps20([](Tokens& p) {
             p.Op(Op(sh::kM4x4), {kR0, Source(kRegInput, 0), Source(kRegConst, 30)});
         })},
        {"relative constant in ps_2_0", "relative addressing where the model has none", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegConst, 0) | 1u << 13, Source(Reg(sh::kLoopRegister), 0)});
         })},
        {"parameter without its bit", "without its marker bit", Ps20([&](Tokens& p) {
             p.Op(kOpMov, {kR0, bare_parameter});
         })},
        {"predication in ps_2_0", "predication not allowed", Ps20([](Tokens& p) {
             p.tokens.insert(p.tokens.end(),
                             {0x12000001u, kR0, Source(Reg(sh::kPredicate), 0), Source(kRegInput, 0)});
         })},
        {"dcl after an instruction", "declaration after the first instruction", Ps20([](Tokens& p) {
             p.Op(kOpMov, {kR0, Source(kRegInput, 0)}).DeclarePixelInput(kRegTexture, 1);
         })},
        {"sampler declared twice", "sampler declared twice", Ps20([](Tokens& p) { p.DeclareSampler2D(0); })},
        {"65 arithmetic instructions", "too many instructions", Ps20([](Tokens& p) {
             for (int i = 0; i < 65; ++i) p.Op(kOpMov, {kR0, Source(kRegInput, 0)});
         })},
        {"endif without if", "endif without if", Ps30([](Tokens& p) { Raw(p, sh::kEndIf, {}); })},
        {"if without endif", "unclosed flow-control block", Ps30([](Tokens& p) {
             DefineBool(p, 0, true);
             Raw(p, sh::kIf, {Source(Reg(sh::kConstBool), 0)});
         })},
        {"break outside a loop", "break outside a loop", Ps30([](Tokens& p) { Raw(p, sh::kBreak, {}); })},
        {"label before a ret", "label not after a ret", Ps30([](Tokens& p) {
             Raw(p, sh::kLabel, {Source(Reg(sh::kLabelRegister), 0)});
             Raw(p, sh::kRet, {});
         })},
        {"call of no label", "label that is not defined",
         Ps30([](Tokens& p) { Raw(p, sh::kCall, {Source(Reg(sh::kLabelRegister), 3)}); })},
        {"code after ret", "code after ret", Ps30([](Tokens& p) {
             Raw(p, sh::kRet, {});
             p.Op(kOpMov, {kOc0, Source(kRegInput, 0)});
         })},
        {"five nested loops", "loops nested too deep", Ps30([](Tokens& p) {
             for (int i = 0; i < 5; ++i) Raw(p, sh::kRep, {Source(Reg(sh::kConstInt), 0)});
             for (int i = 0; i < 5; ++i) Raw(p, sh::kEndRep, {});
         })},
        {"vs_2_0 saturate", "result modifier the model does not have", Vs20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegRasterOut, 0) | kSaturate, Source(kRegInput, 0)});
         })},
        {"texld in a vertex shader", "opcode the model does not have", Vs20([](Tokens& p) {
             p.Op(kOpTexld, {kR0, Source(kRegInput, 0), Source(kRegSampler, 0)});
         })},
        {"vs_2_0 oT8", "register number out of range", Vs20([](Tokens& p) {
             p.Op(kOpMov, {Destination(kRegTexCoordOut, 8), Source(kRegInput, 0)});
         })},
        {"version of ps_1_4", "version not accepted", {0xFFFF0104, 0x0000FFFF}},
        {"version of vs_2_x", "version not accepted", {0xFFFE0201, 0x0000FFFF}},
        {"no version", "version not accepted", {0x12345678, 0x0000FFFF}},
    };
    for (const Refusal& k : cases) {
        std::string why;
        EXPECT_FALSE(Valid(k.words, kSm3Models, &why)) << k.name;
        EXPECT_NE(why.find(k.reason), std::string::npos) << k.name << " refused for: " << why;
    }
}

TEST(ShaderValidationTest, AcceptsEachModelsInstructions) {
    const std::vector<Case> cases = {
        {"ps_2_0 modulate", Ps20([](Tokens& p) {
             p.Op(kOpTexld, {kR0, Source(kRegTexture, 0), Source(kRegSampler, 0)});
             p.Op(kOpMul, {kR0, Source(kRegTemp, 0), Source(kRegInput, 0)});
             p.Op(kOpMov, {kOc0, Source(kRegTemp, 0)});
         })},
        {"ps_2_0 with a comment and a nop", Ps20([](Tokens& p) {
             p.tokens.insert(p.tokens.end(), {0x0002FFFEu, 0x0000FFFFu, 0xDEADBEEFu, 0u});
             p.Op(kOpMov, {kOc0, Source(kRegInput, 0)});
         })},
        {"ps_3_0 flow control", Ps30([](Tokens& p) {
             DefineInt(p, 0, {3, 0, 1, 0});
             DefineBool(p, 0, true);
             Raw(p, sh::kLoop, {Source(Reg(sh::kLoopRegister), 0), Source(Reg(sh::kConstInt), 0)});
             Raw(p, sh::kIfC | sh::kCmpLt << 16, {Source(kRegInput, 0, 0x00), Source(kRegInput, 0, 0x55)});
             Raw(p, sh::kBreak, {});
             Raw(p, sh::kElse, {});
             p.Op(kOpAdd, {kR0, Source(kRegTemp, 0), Source(kRegConst, 0) | 1u << 13,
                           Source(Reg(sh::kLoopRegister), 0)});
             Raw(p, sh::kEndIf, {});
             Raw(p, sh::kEndLoop, {});
             Raw(p, sh::kCallNz, {Source(Reg(sh::kLabelRegister), 1), Source(Reg(sh::kConstBool), 0)});
             p.Op(kOpMov, {kOc0, Source(kRegTemp, 0, kSwizzleXyzw, Modifier(sh::kModAbs))});
             Raw(p, sh::kRet, {});
             Raw(p, sh::kLabel, {Source(Reg(sh::kLabelRegister), 1)});
             Raw(p, sh::kRet, {});
         })},
        {"vs_2_0 relative constants", Vs20([](Tokens& p) {
             Raw(p, sh::kMova, {Destination(Reg(sh::kAddress), 0, kMaskX), Source(kRegInput, 0, 0x00)});
             p.Op(kOpMov, {Destination(kRegRasterOut, 0), Source(kRegConst, 4) | 1u << 13,
                           Source(Reg(sh::kAddress), 0, 0x00)});
         })},
    };
    for (const Case& k : cases) {
        std::string why;
        EXPECT_TRUE(Valid(k.words, kSm3Models, &why)) << k.name << ": " << why;
    }
}

TEST(ShaderValidationTest, TheEndIsFoundByInstructionLengthsWithinTheBound) {
    // A comment and a constant that hold the end token's value do not end the stream.
    Tokens p = Program(kPs20);
    p.tokens.insert(p.tokens.end(), {0x0001FFFEu, 0x0000FFFFu});
    p.Op(Op(sh::kDef), {Destination(kRegConst, 0), 0x0000FFFFu, 0x0000FFFFu, 0, 0});
    p.Op(kOpMov, {kOc0, Source(kRegConst, 0)});
    const std::vector<uint32_t> words = Words(p);
    EXPECT_EQ(d3d9::ShaderStreamLength(words.data(), words.size()), words.size());
    EXPECT_EQ(d3d9::ShaderStreamLength(words.data(), words.size() - 1), 0u);
    // An instruction whose length reaches past the bound.
    const uint32_t reaching[] = {kPs20, 0x0F000001u, 0, 0};
    EXPECT_EQ(d3d9::ShaderStreamLength(reaching, std::size(reaching)), 0u);
    const uint32_t old[] = {0xFFFF0104, 0x0000FFFF};
    EXPECT_EQ(d3d9::ShaderStreamLength(old, std::size(old)), 0u);
}

TEST(ShaderValidationTest, TheGeneratorsProgramsPassAsShaderModel2AndTheBrokenSeedsDoNot) {
    const std::filesystem::path corpus =
        std::filesystem::path(KORVALUND_TEST_DIR) / "d3d9/shader_tokens_fuzz_corpus";
    int programs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<uint32_t> words(bytes.size() / 4);
        std::memcpy(words.data(), bytes.data(), words.size() * 4);
        const std::string name = entry.path().filename().string();
        const bool broken = name == "cut_short" || name == "no_end_token";
        std::string why;
        EXPECT_EQ(Valid(words, {0x200, 0x200}, &why), !broken) << name << ": " << why;
        programs += !broken;
    }
    EXPECT_GT(programs, 60);
}

}  // namespace
}  // namespace d3d9_test
