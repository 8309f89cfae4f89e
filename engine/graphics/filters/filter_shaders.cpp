#include "engine/graphics/filters/filter_shaders.h"

#include <cstdio>

#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/builtin_shader_archives.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/colour_filter_pixels.h"
#include "engine/graphics/filters/filter_shader_layout.h"

namespace {

FilterShader monoShader{"Mono.pso", -1, -1};
FilterShader brightClipShaders[4] = {{"BrightClipLess.pso", -1, -1},
                                     {"BrightClipFillLess.pso", -1, -1},
                                     {"BrightClipGreater.pso", -1, -1},
                                     {"BrightClipFillGreater.pso", -1, -1}};
FilterShader hsbShaders[3] = {
    {"Hsb_RGB_TO_HSB.pso", -1, -1}, {"Hsb_HSB_TO_RGB.pso", -1, -1}, {"Hsb_HSB_HLOCK.pso", -1, -1}};
FilterShader invertShader{"Invert.pso", -1, -1};
FilterShader levelShader{"Level.pso", -1, -1};
FilterShader twoColorShader{"TwoColor.pso", -1, -1};
FilterShader gradientMapShaders[2] = {{"GradientMap.pso", -1, -1}, {"GradientMapRev.pso", -1, -1}};
FilterShader premultipliedAlphaShader{"PremultipliedAlpha.pso", -1, -1};
FilterShader gaussShaders[3] = {
    {"Gauss_08Pixel_PS.pso", -1, -1}, {"Gauss_16Pixel_PS.pso", -1, -1}, {"Gauss_32Pixel_PS.pso", -1, -1}};
FilterShader downScaleShaders[3] = {
    {"DownScaleX2.pso", -1, -1}, {"DownScaleX4.pso", -1, -1}, {"DownScaleX8.pso", -1, -1}};
FilterShader blendShaders[17] = {{"BasBF_Normal.pso", -1, -1},
                                 {nullptr, -1, -1},
                                 {"BasBF_Multiple.pso", -1, -1},
                                 {"BasBF_Difference.pso", -1, -1},
                                 {"BasBF_Add.pso", -1, -1},
                                 {"BasBF_Screen.pso", -1, -1},
                                 {"BasBF_Overlay.pso", -1, -1},
                                 {"BasBF_Dodge.pso", -1, -1},
                                 {"BasBF_Burn.pso", -1, -1},
                                 {"BasBF_Darken.pso", -1, -1},
                                 {"BasBF_Lighten.pso", -1, -1},
                                 {"BasBF_SoftLight.pso", -1, -1},
                                 {"BasBF_HardLight.pso", -1, -1},
                                 {"BasBF_Exclusion.pso", -1, -1},
                                 {"BasBF_Normal_AlphaCh.pso", -1, -1},
                                 {"BasBF_Add_AlphaCh.pso", -1, -1},
                                 {"BasBF_Multiple_AOnly.pso", -1, -1}};
FilterShader rgbaMixBaseShader{"RGBAMix_Base.pso", -1, -1};
// Named variants by (red, green, blue, alpha) & 3.
char rgbaMixNames[kRgbaMixTableEntries][32];
FilterShader rgbaMixShaders[kRgbaMixTableEntries];
FilterShader rgbaMixTableShaders[kRgbaMixTableEntries];
const bool tableShadersReady = [] {
    for (int entry = 0; entry < kRgbaMixTableEntries; ++entry)
        rgbaMixTableShaders[entry] = {nullptr, -1, entry};
    return true;
}();

// A precompiled variant, from code table 2.
int CreateFromRgbaMixTable(int entry) {
    int size = 0;
    const void* code = GetShaderCodeTableEntry(2, entry, &size);
    return code != nullptr ? CreateUserShader(0, code, size, 0, 0) : -1;
}

// The log line of a failure starts with prefix.
int CreateCachedShader(FilterShader* shader, const char* prefix) {
    if (shader->handle >= 0) return shader->handle;
    const bool precompiled = shader->tableEntry >= 0;
    int handle = precompiled ? CreateFromRgbaMixTable(shader->tableEntry)
                             : CreatePixelShaderFromArchive(shader->fileName);
    if (handle < 0) {
        if (precompiled)
            LogPrintf("%sフィルター用シェーダーの作成に失敗しました", prefix);
        else
            LogPrintf("%sフィルター用シェーダーの作成に失敗しました %s", prefix, shader->fileName);
        return -1;
    }
    shader->handle = handle;
    SetHandleLostFlag(handle, &shader->handle);
    return handle;
}

bool FromSource(int selector) {
    return selector >= 0 && selector <= 3;
}
bool FromBlend(int selector) {
    return selector >= 4 && selector <= 7;
}

}  // namespace

int PrepareFilterShader(FilterShader* shader) {
    return CreateCachedShader(shader, "");
}

FilterShader* MonoShader() {
    return &monoShader;
}
FilterShader* BrightClipShader(int comparison, int fill) {
    return &brightClipShaders[(fill == 1 ? 1 : 0) + (comparison == kBrightClipGreater ? 2 : 0)];
}
FilterShader* HsbShader(int mode, int pass) {
    return mode == 1 ? &hsbShaders[2] : &hsbShaders[pass == 0 ? 0 : 1];
}
FilterShader* InvertShader() {
    return &invertShader;
}
FilterShader* LevelShader() {
    return &levelShader;
}
FilterShader* TwoColorShader() {
    return &twoColorShader;
}
FilterShader* GradientMapShader(int reverse) {
    return &gradientMapShaders[reverse ? 1 : 0];
}
FilterShader* PremultipliedAlphaShader() {
    return &premultipliedAlphaShader;
}
FilterShader* GaussShader(int taps) {
    int width = GaussTapWidth(taps);
    return &gaussShaders[width == 8 ? 0 : width == 16 ? 1 : 2];
}
FilterShader* DownScaleShader(int scale) {
    int factor = DownScaleFactor(scale);
    return &downScaleShaders[factor == 2 ? 0 : factor == 4 ? 1 : 2];
}
FilterShader* BlendShader(int kind) {
    if (kind < 0 || kind > 16 || blendShaders[kind].fileName == nullptr) return nullptr;
    return &blendShaders[kind];
}

int RgbaMixReadsBlendOnly(int red, int green, int blue, int alpha) {
    return FromBlend(red) && FromBlend(green) && FromBlend(blue) && FromBlend(alpha) ? 1 : 0;
}

FilterShader* RgbaMixShader(int red, int green, int blue, int alpha) {
    const bool allSource = FromSource(red) && FromSource(green) && FromSource(blue) && FromSource(alpha);
    if (allSource || RgbaMixReadsBlendOnly(red, green, blue, alpha)) {
        const int entry = RgbaMixTableEntry(red & 3, green & 3, blue & 3, alpha & 3);
        (void)tableShadersReady;
        return &rgbaMixTableShaders[entry];
    }
    if (!(FromSource(red) && FromSource(green) && FromSource(blue) && FromBlend(alpha)))
        return &rgbaMixBaseShader;
    static const char* const kLetters[4] = {"R", "G", "B", "A"};
    const int index = RgbaMixTableEntry(red, green, blue, alpha & 3);
    FilterShader* shader = &rgbaMixShaders[index];
    if (shader->fileName == nullptr) {
        std::snprintf(rgbaMixNames[index], sizeof(rgbaMixNames[index]), "RGBAMix_S%sS%sS%sB%s.pso",
                      kLetters[red], kLetters[green], kLetters[blue], kLetters[alpha & 3]);
        *shader = {rgbaMixNames[index], -1, -1};
    }
    return shader;
}

int PrepareRgbaMixShader(int red, int green, int blue, int alpha) {
    return CreateCachedShader(RgbaMixShader(red, green, blue, alpha), "RGBAMixS ");
}
