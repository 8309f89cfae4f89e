#include "tools/shaders/builtin_shader_programs.h"

#include <cstdio>
#include <string>

#include "engine/graphics/device/builtin_shader_layout.h"
#include "tools/archive/archive_lz_pack.h"
#include "tools/archive/archive_writer.h"
#include "tools/shaders/filter_shader_programs.h"
#include "tools/shaders/shader_tokens.h"

namespace {

constexpr uint32_t kLibraryConstants = 0;  // c0 = (0, 1, 0, 0)
constexpr uint32_t kStepConstants = 3;     // c3 = (0, 0.5, 1, 2)
constexpr uint32_t kFactorConstant = 5;    // the draw's factor: the cross-fade weight, the border's terms

uint32_t R(uint32_t index, uint32_t mask = kMaskAll, uint32_t result = 0) {
    return Destination(kRegTemp, index, mask) | result;
}
uint32_t Rs(uint32_t index, uint32_t swizzle = kSwizzleXyzw, uint32_t modifier = 0) {
    return Source(kRegTemp, index, swizzle, modifier);
}
const uint32_t kDiffuse = Source(kRegInput, 0);
const uint32_t kDiffuseAlpha = Source(kRegInput, 0, kSwizzleWwww);
const uint32_t kOne = Source(kRegConst, kLibraryConstants, kSwizzleYyyy);
const uint32_t kTwo = Source(kRegConst, kStepConstants, kSwizzleWwww);
const uint32_t kFactorAlpha = Source(kRegConst, kFactorConstant, kSwizzleWwww);
const uint32_t kFactorScale = Source(kRegConst, kFactorConstant, kSwizzleZzzz);

// The program's colour, as the stage cascade leaves it on 8-bit channels.
void WriteColour(ShaderProgram& p) {
    p.Op(kOpMov, {Destination(kRegColourOut, 0) | kSaturate, Rs(0)});
}

void Complement(ShaderProgram& p) {
    p.Op(kOpAdd, {R(0, kMaskRgb), kOne, Rs(0, kSwizzleXyzw, kSourceNegate)});
}

void FourTimes(ShaderProgram& p) {
    p.Op(kOpMul, {R(0, kMaskRgb), Rs(0), kTwo});
    p.Op(kOpAdd, {R(0, kMaskRgb), Rs(0), Rs(0)});
}

// The step of a row's stage kind after the coloured texel: 1 moves the colour toward white as its alpha
// falls, 2 complements it, 3 makes it four times as bright.
void StageKind(ShaderProgram& p, int kind) {
    if (kind == 1) p.Op(kOpLrp, {R(0, kMaskRgb), Rs(0, kSwizzleWwww), Rs(0), kOne});
    if (kind == 2) Complement(p);
    if (kind == 3) FourTimes(p);
}

// An untextured draw: the vertex colour through its stage kind (kind 3 takes it times a white texel).
std::vector<uint8_t> NoTextureShader(int kind) {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0);
    p.Op(kOpMov, {R(0), kDiffuse});
    StageKind(p, kind);
    WriteColour(p);
    return p.End();
}

// The graphic's texel in r0 (its colour white when ignored) and, beside a blend graphic, the blend
// texel in r1. A draw with a blend graphic carries the blend graphic's coordinates in set 0 and the
// graphic's in set 1; the graphic is on sampler 0, the blend graphic on sampler 1.
void Texels(ShaderProgram& p, bool withBlend, int ignoreColour) {
    p.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    if (withBlend) p.DeclarePixelInput(kRegTexture, 1).DeclareSampler2D(1);
    p.Op(kOpTexld, {R(0), Source(kRegTexture, withBlend ? 1 : 0), Source(kRegSampler, 0)});
    if (withBlend) p.Op(kOpTexld, {R(1), Source(kRegTexture, 0), Source(kRegSampler, 1)});
    if (ignoreColour) p.Op(kOpMov, {R(0, kMaskRgb), kOne});
}

// Blend-texture mode 1: the blend graphic cross-faded over the graphic by the factor's alpha, colour and
// alpha alike.
void CrossFade(ShaderProgram& p) {
    p.Op(kOpLrp, {R(0), kFactorAlpha, Rs(1), Rs(0)});
}

// Blend-texture mode 2, the border blend: the blend graphic's alpha moved by the factor's signed alpha
// and saturated, scaled by the factor's scale and saturated again, gates the graphic's alpha.
void BorderBlend(ShaderProgram& p) {
    p.Op(kOpAdd, {R(1, kMaskW, kSaturate), Rs(1, kSwizzleWwww), kFactorAlpha});
    p.Op(kOpMul, {R(1, kMaskW, kSaturate), Rs(1, kSwizzleWwww), kFactorScale});
    p.Op(kOpMul, {R(0, kMaskW), Rs(0, kSwizzleWwww), Rs(1, kSwizzleWwww)});
}

// Blend-texture mode 3: the graphic's alpha times the blend graphic's.
void AlphaMultiply(ShaderProgram& p) {
    p.Op(kOpMul, {R(0, kMaskW), Rs(0, kSwizzleWwww), Rs(1, kSwizzleWwww)});
}

// The blend-mode class of a draw with a blend graphic: 2 complements the colour, 3 makes it four times
// as bright (the border and alpha-multiply blends take the vertex colour once more on the way).
void BlendClass(ShaderProgram& p, int mode, int cls) {
    if (cls == 2) Complement(p);
    if (cls != 3) return;
    if (mode != 1) p.Op(kOpMul, {R(0, kMaskRgb), Rs(0), kDiffuse});
    FourTimes(p);
}

// Without a blend graphic (mode 0) the texel times the vertex colour, its alpha the vertex alpha alone
// when the texture's is ignored, then the row's stage kind. With one, the blend of the mode, then the
// vertex colour and alpha, then the blend-mode class.
std::vector<uint8_t> BlendShader(int mode, int type, int ignoreColour, int ignoreAlpha) {
    ShaderProgram p = ShaderProgram::Pixel();
    Texels(p, mode != 0, ignoreColour);
    if (mode == 0) {
        p.Op(kOpMul, {R(0, kMaskRgb), Rs(0), kDiffuse});
        if (ignoreAlpha)
            p.Op(kOpMov, {R(0, kMaskW), kDiffuseAlpha});
        else
            p.Op(kOpMul, {R(0, kMaskW), Rs(0), kDiffuse});
        StageKind(p, type);
    } else {
        if (mode == 1) CrossFade(p);
        if (mode == 2) BorderBlend(p);
        if (mode == 3) AlphaMultiply(p);
        p.Op(kOpMul, {R(0), Rs(0), kDiffuse});
        BlendClass(p, mode, type);
    }
    WriteColour(p);
    return p.End();
}

// The mask screen's colour with the mask image's alpha, both at the one coordinate set.
std::vector<uint8_t> MaskBlendShader() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0).DeclareSampler2D(1);
    p.Op(kOpTexld, {R(0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    p.Op(kOpTexld, {R(1), Source(kRegTexture, 0), Source(kRegSampler, 1)});
    p.Op(kOpMov, {R(0, kMaskW), Rs(1, kSwizzleWwww)});
    WriteColour(p);
    return p.End();
}

void Append16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

// A code table: sizes, then from codeStart the code of the non-empty entries in order.
std::vector<uint8_t> CodeTable(int entries, size_t codeStart, const std::vector<std::vector<uint8_t>>& code) {
    std::vector<uint8_t> out;
    for (int i = 0; i < entries; ++i) Append16(out, i < int(code.size()) ? uint32_t(code[i].size()) : 0);
    out.resize(codeStart, 0);
    for (const std::vector<uint8_t>& c : code) out.insert(out.end(), c.begin(), c.end());
    return out;
}

std::vector<uint8_t> Archive(const std::vector<NamedShader>& files) {
    ArchiveWriterEntry root;
    root.isDirectory = true;
    for (const NamedShader& file : files) {
        ArchiveWriterEntry entry;
        entry.name = file.name;
        entry.data = file.code;
        root.children.push_back(entry);
    }
    ArchiveWriteOptions options;
    options.pack = false;  // the archive is unpacked as a whole; its files are read in place
    std::vector<uint8_t> out;
    std::string error;
    if (!BuildArchive(root, options, &out, &error))
        std::fprintf(stderr, "shader archive: %s\n", error.c_str());
    return out;
}

std::vector<uint8_t> Packed(const std::vector<uint8_t>& data) {
    return PackArchiveData(data.data(), data.size());
}

}  // namespace

std::vector<NamedShader> BuiltinPixelShaders() {
    std::vector<NamedShader> shaders;
    const auto digit = [](int n) { return std::to_string(n); };
    for (int n = 0; n < 4; ++n)
        shaders.push_back({"ps_nonetex_type" + digit(n) + ".pso", NoTextureShader(n)});
    for (int b = 0; b < 4; ++b)
        for (int t = 0; t < 4; ++t)
            for (int c = 0; c < 2; ++c)
                for (int a = 0; a < 2; ++a)
                    shaders.push_back({"ps_blend" + digit(b) + "_type" + digit(t) + "_igcolor" + digit(c) +
                                           "_igtalpha" + digit(a) + ".pso",
                                       BlendShader(b, t, c, a)});
    shaders.push_back({"ps_mask_blend.pso", MaskBlendShader()});
    return shaders;
}

// Position through the four rows of c0..c3, diffuse colour and one texture coordinate passed on.
std::vector<uint8_t> BuiltinVertexShader() {
    ShaderProgram p = ShaderProgram::Vertex();
    constexpr uint32_t kUsagePosition = 0, kUsageTexCoord = 5, kUsageColour = 10;
    p.DeclareVertexInput(kUsagePosition, 0)
        .DeclareVertexInput(kUsageColour, 1)
        .DeclareVertexInput(kUsageTexCoord, 2);
    const uint32_t masks[4] = {kMaskX, kMaskY, kMaskZ, kMaskW};
    for (uint32_t row = 0; row < 4; ++row)
        p.Op(kOpDp4,
             {Destination(kRegRasterOut, 0, masks[row]), Source(kRegInput, 0), Source(kRegConst, row)});
    p.Op(kOpMov, {Destination(kRegAttributeOut, 0), Source(kRegInput, 1)});
    p.Op(kOpMov, {Destination(kRegTexCoordOut, 0), Source(kRegInput, 2)});
    return p.End();
}

std::vector<uint8_t> BuiltinTexturedPixelShader() {
    return BlendShader(0, 0, 0, 0);
}

BuiltinShaderBlocks BuildBuiltinShaderBlocks() {
    BuiltinShaderBlocks out;
    std::vector<NamedShader> named = BuiltinPixelShaders();
    for (NamedShader& filter : FilterPixelShaders()) named.push_back(std::move(filter));
    out.blocks[0] = Packed(Archive(named));
    // Code table 2 is the precompiled RGBA-mix table; the fixed entries live in table 3.
    out.blocks[1] = Packed(CodeTable(kShaderCodeTable2Entries, kShaderCodeTable2Start, RgbaMixShaderTable()));
    out.blocks[2] = Packed(Archive({{"vs_main.vso", BuiltinVertexShader()}}));
    out.blocks[3] = Packed(CodeTable(kShaderCodeTable3Entries, kShaderCodeTable3Start,
                                     {BuiltinTexturedPixelShader(), BuiltinVertexShader()}));
    return out;
}

std::string BuiltinShaderDataSource(const BuiltinShaderBlocks& blocks) {
    std::string s =
        "// Generated by tools/shaders (shadergen): the built-in shader blocks, LZ-packed. Do not edit.\n"
        "#include \"engine/graphics/device/builtin_shader_layout.h\"\n\n"
        "// clang-format off\n";
    char line[32];
    for (int i = 0; i < 4; ++i) {
        s += "static const unsigned char kBlock" + std::to_string(i) + "[] = {";
        for (size_t k = 0; k < blocks.blocks[i].size(); ++k) {
            if (k % 16 == 0) s += "\n   ";
            std::snprintf(line, sizeof line, " %u,", unsigned(blocks.blocks[i][k]));
            s += line;
        }
        s += "\n};\n";
    }
    s += "// clang-format on\n\nconst ShaderDataBlock kBuiltinShaderBlocks[4] = {\n";
    for (int i = 0; i < 4; ++i)
        s += "    {kBlock" + std::to_string(i) + ", sizeof kBlock" + std::to_string(i) + "},\n";
    s += "};\n";
    return s;
}
