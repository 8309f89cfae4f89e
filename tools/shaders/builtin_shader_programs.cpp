#include "tools/shaders/builtin_shader_programs.h"

#include <cstdio>

#include "engine/graphics/device/builtin_shader_layout.h"
#include "tools/archive/archive_lz_pack.h"
#include "tools/archive/archive_writer.h"
#include "tools/shaders/filter_shader_programs.h"
#include "tools/shaders/shader_tokens.h"

namespace {

constexpr uint32_t kLibraryConstants = 0;  // c0 = (0, 1, 0, 0)
constexpr uint32_t kStepConstants = 3;     // c3 = (0, 0.5, 1, 2)
constexpr uint32_t kFactorConstant = 5;    // the draw's factor colour

uint32_t R(uint32_t index, uint32_t mask = kMaskAll) {
    return Destination(kRegTemp, index, mask);
}
uint32_t Rs(uint32_t index, uint32_t swizzle = kSwizzleXyzw, uint32_t modifier = 0) {
    return Source(kRegTemp, index, swizzle, modifier);
}
const uint32_t kDiffuse = Source(kRegInput, 0);
const uint32_t kDiffuseAlpha = Source(kRegInput, 0, kSwizzleWwww);
const uint32_t kOne = Source(kRegConst, kLibraryConstants, kSwizzleYyyy);
const uint32_t kTwo = Source(kRegConst, kStepConstants, kSwizzleWwww);
const uint32_t kFactor = Source(kRegConst, kFactorConstant);

// The colour step of a stage kind on r0: 0 as it is, 1 blended with the factor colour by the diffuse
// alpha, 2 complemented, 3 four times as bright.
void StageKind(ShaderProgram& p, int kind) {
    if (kind == 1) p.Op(kOpLrp, {R(0, kMaskRgb), kDiffuseAlpha, Rs(0), kFactor});
    if (kind == 2) p.Op(kOpAdd, {R(0, kMaskRgb), kOne, Rs(0, kSwizzleXyzw, kSourceNegate)});
    if (kind == 3) {
        p.Op(kOpMul, {R(0, kMaskRgb), Rs(0), kTwo});
        p.Op(kOpAdd, {R(0, kMaskRgb), Rs(0), Rs(0)});
    }
}

std::vector<uint8_t> NoTextureShader(int kind) {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0);
    p.Op(kOpMov, {R(0), kDiffuse});
    StageKind(p, kind);
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Rs(0)});
    return p.End();
}

// Blend-texture mode 0 none, else kind + 1: 1 the blend image's alpha gates the graphic's, 2 the blend
// image is mixed in by the factor's alpha, 3 the blend image multiplies the colour.
void BlendTexture(ShaderProgram& p, int mode) {
    if (mode == 0) return;
    p.Op(kOpTexld, {R(1), Source(kRegTexture, 1), Source(kRegSampler, 1)});
    if (mode == 1) p.Op(kOpMul, {R(0, kMaskW), Rs(0), Rs(1, kSwizzleWwww)});
    if (mode == 2)
        p.Op(kOpLrp, {R(0, kMaskRgb), Source(kRegConst, kFactorConstant, kSwizzleWwww), Rs(1), Rs(0)});
    if (mode == 3) p.Op(kOpMul, {R(0, kMaskRgb), Rs(0), Rs(1)});
}

std::vector<uint8_t> BlendShader(int mode, int type, int ignoreColour, int ignoreAlpha) {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    if (mode != 0) p.DeclarePixelInput(kRegTexture, 1).DeclareSampler2D(1);
    p.Op(kOpTexld, {R(0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    if (ignoreColour) p.Op(kOpMov, {R(0, kMaskRgb), kOne});
    if (ignoreAlpha) p.Op(kOpMov, {R(0, kMaskW), kOne});
    p.Op(kOpMul, {R(0), Rs(0), kDiffuse});
    BlendTexture(p, mode);
    StageKind(p, type);
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Rs(0)});
    return p.End();
}

// The mask screen's colour where the mask image's alpha lets it through.
std::vector<uint8_t> MaskBlendShader() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegTexture, 0)
        .DeclareSampler2D(0)
        .DeclarePixelInput(kRegTexture, 1)
        .DeclareSampler2D(1);
    p.Op(kOpTexld, {R(0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    p.Op(kOpTexld, {R(1), Source(kRegTexture, 1), Source(kRegSampler, 1)});
    p.Op(kOpMov, {R(0, kMaskW), Rs(1, kSwizzleWwww)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Rs(0)});
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
    char name[64];
    for (int n = 0; n < 4; ++n) {
        std::snprintf(name, sizeof name, "ps_nonetex_type%d.pso", n);
        shaders.push_back({name, NoTextureShader(n)});
    }
    for (int b = 0; b < 4; ++b)
        for (int t = 0; t < 4; ++t)
            for (int c = 0; c < 2; ++c)
                for (int a = 0; a < 2; ++a) {
                    std::snprintf(name, sizeof name, "ps_blend%d_type%d_igcolor%d_igtalpha%d.pso", b, t, c,
                                  a);
                    shaders.push_back({name, BlendShader(b, t, c, a)});
                }
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
