// The image filters on a device with pixel shaders: every filter and blend kind drawn by its shader
// agrees with its processor path on the same graphic in each storage mode, the kinds the pass table
// gives two passes draw two, a shader that cannot be made leaves the graphic alone, work targets are
// re-used by size, and the start's self-test finds the shaders exact.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/filter_shaders.h"
#include "engine/graphics/filters/filter_work_targets.h"
#include "engine/graphics/filters/graphic_filter.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/filters/filter_graphics_fixture.h"

namespace {

// A filter or blend run as the caller asks for it.
struct AgreementCase {
    const char* name;
    int blendFlag, kind;
    std::vector<int> arguments;
    int shaderDraws;           // passes drawn with a filter shader
    bool sourceAlpha = false;  // the source keeps the alpha of its image
    int tolerance = 1;         // at 8 bits per channel
    const char* input = "colour";
    int width = 16, height = 12;
};

// The Gaussian pairs its taps through bilinear fetches, and each fetch comes back rounded to 8 bits as
// the sampler rounds: up to half a level per pair sample on top of the processor's 16.16 weights, in
// each of the two passes. Two levels per channel is the bound this implies at 8 bits.
constexpr int kGaussTolerance = 2;

const int kGradientArgument = -7;  // replaced by the gradient graphic's handle

std::vector<AgreementCase> FilterCases() {
    return {
        {"mono", 0, 0, {40, -90}, 1},
        {"mono grey", 0, 0, {0, 0}, 1},
        {"gauss 8", 0, 1, {8, 300}, 2, false, kGaussTolerance, "blur_in", 48, 20},
        {"gauss 16", 0, 1, {12, 1000}, 2, false, kGaussTolerance, "blur_in", 48, 20},
        {"gauss 32", 0, 1, {100, 10000}, 2, false, kGaussTolerance, "blur_in", 48, 20},
        {"gauss flat", 0, 1, {16, 0}, 2, false, 1, "blur_in", 48, 20},
        {"down-scale 2", 0, 2, {2}, 1, true, 1, "down_in", 18, 13},
        {"down-scale 4", 0, 2, {3}, 1, true, 1, "down_in", 18, 13},
        {"down-scale 8", 0, 2, {8}, 1, true, 1, "down_in", 18, 13},
        {"bright clip less", 0, 3, {2, 110, 0}, 1},
        {"bright clip greater fill", 0, 3, {5, 90, 1, 0x2040E0, 200}, 1},
        {"bright clip less fill", 0, 3, {2, 128, 1, 0xFF8000, 255}, 1},
        {"bright clip greater", 0, 3, {5, 140, 0}, 1},
        {"hsb shift", 0, 4, {0, 30, 60, -40}, 2},
        {"hsb zero", 0, 4, {0, 0, 0, 0}, 2},
        {"hsb lock", 0, 4, {1, 120, 40, 30}, 1},
        {"hsb turn", 0, 4, {2, 200, -50, 60}, 2},
        {"invert", 0, 5, {}, 1},
        {"level", 0, 6, {30, 220, 150, 10, 240}, 1},
        {"level steep gamma", 0, 6, {0, 255, 20, 0, 255}, 1},
        {"level equal ends", 0, 6, {100, 100, 100, 20, 230}, 1},
        {"level falling", 0, 6, {200, 40, 80, 255, 0}, 1},
        {"two colour", 0, 7, {128, 0xFFE0C0, 255, 0x102030, 128}, 1},
        {"gradient map", 0, 8, {kGradientArgument, 0}, 1},
        {"gradient map reversed", 0, 8, {kGradientArgument, 1}, 1},
        {"premultiplied alpha", 0, 9, {}, 1, true},
    };
}

std::vector<AgreementCase> BlendCases() {
    std::vector<AgreementCase> cases;
    static const char* const kNames[17] = {
        "normal",     "rgba mix",  "multiple",     "difference", "add",       "screen",
        "overlay",    "dodge",     "burn",         "darken",     "lighten",   "soft light",
        "hard light", "exclusion", "normal alpha", "add alpha",  "alpha only"};
    for (int kind = 0; kind <= 16; ++kind)
        if (kind != kBlendFilterRgbaMix) cases.push_back({kNames[kind], 1, kind, {}, 1, kind >= 14});
    for (const std::vector<int>& selectors :
         {std::vector<int>{2, 1, 0, 3}, {6, 5, 4, 7}, {2, 1, 0, 7}, {0, 5, 2, 3}, {9, 6, 1, 4}})
        cases.push_back({"rgba mix", 1, kBlendFilterRgbaMix, selectors, 1, true});
    return cases;
}

// Draws made while a pixel shader was bound, in a trace.
int ShaderDraws(const std::vector<std::string>& trace) {
    bool bound = false;
    int draws = 0;
    for (const std::string& line : trace) {
        if (line.rfind("IDirect3DDevice9::SetPixelShader(", 0) == 0)
            bound = line.find("(ptr)") != std::string::npos;
        if (bound && line.rfind("IDirect3DDevice9::DrawPrimitiveUP(", 0) == 0) ++draws;
    }
    return draws;
}

class FilterShaderPathTest : public FilterGraphicsTest {
  protected:
    // Vertex and pixel shader 2.0: the filters' programs are ps_2_0.
    void StartWithShaders(const StorageMode& mode) {
        D3D9CapabilityProfile profile = D3D9GetCapabilityProfile();
        profile.vertex_shader_version = D3DVS_VERSION(2, 0);
        profile.pixel_shader_version = D3DPS_VERSION(2, 0);
        D3D9SetCapabilityProfile(profile);
        StartIn(mode);
        ASSERT_EQ(GetProgrammableShaderFlag(), mode.direct3D);
    }

    // The step of each channel (B, G, R, A) of a graphic's format in 8-bit values: 1 at 8 bits.
    static std::array<int, 4> Steps(int graphic) {
        const GraphicEntry* entry = Entry(graphic);
        if (!Direct3DMode || entry->block->textureCount == 0) return {1, 1, 1, 1};
        std::array<int, 4> bits{8, 8, 8, 8};
        switch (TextureDesc(entry->block->tiles[0].texture).Format) {
            case D3DFMT_R5G6B5:
                bits = {5, 6, 5, 8};
                break;
            case D3DFMT_A1R5G5B5:
            case D3DFMT_X1R5G5B5:
                bits = {5, 5, 5, 1};
                break;
            case D3DFMT_A4R4G4B4:
                bits = {4, 4, 4, 4};
                break;
            default:
                break;
        }
        std::array<int, 4> steps{};
        for (int c = 0; c < 4; ++c) steps[c] = (255 + (1 << bits[c]) - 2) / ((1 << bits[c]) - 1);
        return steps;
    }
    struct Run {
        TestImage picture;
        int shaderDraws;
        std::array<int, 4> steps;
    };
    // The case on fresh graphics, written in place or into a draw target at (3, 2), by the shaders or
    // by the processor path.
    Run RunCase(const AgreementCase& k, bool shaders, bool intoDrawTarget) {
        const TestImage image = LoadOracle(k.input, k.width, k.height);
        const int source = MakeGraphic(image, k.sourceAlpha);
        const int blend = MakeGraphic(LoadOracle("blend_in_alpha", 16, 12), true);
        TestImage ramp(7, 1);
        for (int x = 0; x < 7; ++x)
            ramp.Set(x, 0, 0xFF000000u | uint32_t(x * 40) << 16 | uint32_t(250 - x * 33));
        const int gradient = MakeGraphic(ramp, false);
        const int destination = intoDrawTarget ? MakeDrawTarget(k.width + 4, k.height + 3, 0) : source;
        if (intoDrawTarget) {
            EXPECT_EQ(SelectDrawTarget(destination), 0);
            EXPECT_EQ(FillBox(0, 0, k.width + 4, k.height + 3, PackColor(0x30, 0x90, 0x60)), 0);
            EXPECT_EQ(SelectDrawTarget(kDrawTargetBackBuffer), 0);
        }
        std::vector<int> arguments = k.arguments;
        for (int& a : arguments)
            if (a == kGradientArgument) a = gradient;
        const int at = intoDrawTarget ? 3 : 0, down = intoDrawTarget ? 2 : 0;
        builtinShaders.programmable = shaders ? Direct3DMode : 0;
        ShaderFilterVerified = shaders ? 1 : 0;
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
        EXPECT_EQ(
            RunGraphicFilter(k.blendFlag, source, blend, destination, 200, k.kind, 0, 0, k.width, k.height, 0,
                             0, 0, at, down, arguments.empty() ? nullptr : arguments.data()),
            0);
        Run run{ReadBack(destination), ShaderDraws(D3D9TakeTrace()), Steps(destination)};
        D3D9SetTraceEnabled(false);
        builtinShaders.programmable = Direct3DMode;
        for (int graphic : {source, blend, gradient}) FreeGraphic(graphic, 0);
        if (intoDrawTarget) FreeGraphic(destination, 0);
        return run;
    }
};

class FilterShaderAgreementTest : public FilterShaderPathTest,
                                  public ::testing::WithParamInterface<StorageMode> {
  protected:
    void ExpectAgreement(const std::vector<AgreementCase>& cases) {
        const StorageMode& mode = GetParam();
        StartWithShaders(mode);
        for (const AgreementCase& k : cases)
            for (bool intoDrawTarget : {false, true}) {
                SCOPED_TRACE(std::string(k.name) + (intoDrawTarget ? " into a draw target" : " in place"));
                const Run shader = RunCase(k, true, intoDrawTarget);
                const Run processor = RunCase(k, false, intoDrawTarget);
                EXPECT_EQ(shader.shaderDraws, mode.direct3D ? k.shaderDraws : 0);
                EXPECT_EQ(processor.shaderDraws, 0);
                int worst = 0;
                for (int y = 0; y < shader.picture.height(); ++y)
                    for (int x = 0; x < shader.picture.width(); ++x)
                        for (int c = 0; c < 4; ++c) {
                            const int difference =
                                std::abs(shader.picture.At(x, y)[c] - processor.picture.At(x, y)[c]);
                            const int allowed = std::max(k.tolerance, shader.steps[c]);
                            worst = std::max(worst, difference);
                            ASSERT_LE(difference, allowed)
                                << "(" << x << ", " << y << ") channel " << c << ": shader " << std::hex
                                << shader.picture.Argb(x, y) << ", processor "
                                << processor.picture.Argb(x, y);
                        }
                if (!mode.direct3D) {
                    EXPECT_EQ(worst, 0);
                }
            }
    }
};

TEST_P(FilterShaderAgreementTest, EveryFilterKindAgreesWithItsProcessorPath) {
    ExpectAgreement(FilterCases());
}

TEST_P(FilterShaderAgreementTest, EveryBlendKindAgreesWithItsProcessorPath) {
    ExpectAgreement(BlendCases());
}

INSTANTIATE_TEST_SUITE_P(Modes, FilterShaderAgreementTest, ::testing::ValuesIn(kStorageModes),
                         StorageModeName);

// The invert of the self-test's pixels comes back exact; the check at the start finds that on a 32-bit
// screen. A 16-bit draw target cannot hold it (written plus read is no longer 255), so a 16-bit screen
// keeps same-size filters on the processor path.
TEST_F(FilterShaderPathTest, SelfTestFindsTheShaderFiltersExact) {
    StartWithShaders(kStorageModes[0]);
    EXPECT_EQ(ShaderFilterVerified, 1);
    EXPECT_EQ(RunShaderFilterSelfTest(), 0);
    EXPECT_EQ(ShaderFilterVerified, 1);
    ShutdownGraphics();
    SetGraphicCreateParamWord(CREATE_BIT_DEPTH, 16);
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_EQ(GetProgrammableShaderFlag(), 1);
    EXPECT_EQ(ShaderFilterVerified, 0);
}

// A filter shader the device refuses (mono and the Gaussian; the start's self-test made the invert's
// already): its line is logged and the graphic keeps its pixels; once the device takes it, it is made.
TEST_F(FilterShaderPathTest, ShaderThatCannotBeMadeLeavesTheGraphicUnchanged) {
    StartWithShaders(kStorageModes[0]);
    const int graphic = MakeGraphic(LoadOracle("colour", 16, 12), false);
    const TestImage before = ReadBack(graphic);
    D3D9FailCreation("CreatePixelShader", -1);
    EXPECT_EQ(ApplyGraphicFilter(graphic, 0, 40, -90), -1);
    EXPECT_EQ(ApplyGraphicFilter(graphic, 1, 16, 500), -1);
    D3D9FailCreation("CreatePixelShader", 0);
    const TestImage after = ReadBack(graphic);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(after.Argb(x, y), before.Argb(x, y)) << x << "," << y;
    for (const char* file : {"Mono.pso", "Gauss_16Pixel_PS.pso"})
        EXPECT_TRUE(LogHas(std::string("フィルター用シェーダーの作成に失敗しました ") + file)) << file;
    EXPECT_EQ(ApplyGraphicFilter(graphic, 0, 0, 0), 0);
    const TestImage grey = ReadBack(graphic);
    EXPECT_TRUE(grey.At(0, 0)[0] == grey.At(0, 0)[1] && grey.At(0, 0)[1] == grey.At(0, 0)[2]);
    EXPECT_NE(grey.Argb(0, 0), before.Argb(0, 0));
}

// A 300 x 200 graphic is filtered through 512 x 512 work targets, made on the first run only.
TEST_F(FilterShaderPathTest, WorkTargetsAreMadeOncePerSize) {
    StartWithShaders(kStorageModes[0]);
    const int graphic = MakeGraphic(TestImage(300, 200), false);
    EXPECT_EQ(CountWorkTargets(512), 0);
    ASSERT_EQ(ApplyGraphicFilter(graphic, 4, 0, 40, 0, 0), 0);
    const int made = CountWorkTargets();
    EXPECT_GE(CountWorkTargets(512), 1);
    ASSERT_EQ(ApplyGraphicFilter(graphic, 4, 0, 40, 0, 0), 0);
    EXPECT_EQ(CountWorkTargets(), made);
}

}  // namespace
