#include "engine/graphics/filters/filter_routines.h"

#include <algorithm>
#include <utility>

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/filter_passes.h"
#include "engine/graphics/filters/filter_shader_constants.h"
#include "engine/graphics/filters/filter_shaders.h"
#include "engine/graphics/filters/filter_work_surfaces.h"
#include "engine/graphics/filters/shader_filter_self_test.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"

namespace {

void ReleaseFilterImages(GraphicFilterContext* context) {
    ReleaseSoftImage(&context->sourceImage);
    ReleaseSoftImage(&context->blendImage);
    ReleaseSoftImage(&context->destinationImage);
}

// The shader path: point sampling from here on (the Gaussian and the down-scale sample their pairs and
// blocks bilinearly in their own pass), the shader made or taken from the cache, one pass drawn.
struct PassSampling {
    bool linear = false;
    int factor = 1;
};

int ShaderPassWithHandle(GraphicFilterContext* context, int handle, const FilterConstants& constants,
                         PassSampling sampling = {}) {
    if (handle < 0) return -1;
    return DrawShaderPass(context, handle, constants, sampling.linear, sampling.factor);
}

int ShaderPass(GraphicFilterContext* context, FilterShader* shader, const FilterConstants& constants,
               PassSampling sampling = {}) {
    SetTextureFilterMode(0);
    return ShaderPassWithHandle(context, shader ? PrepareFilterShader(shader) : -1, constants, sampling);
}

// The level's gamma row as a 256 x 1 graphic of 32 bits, every channel of pixel i the table's entry i;
// made again when the gamma moves (by the table's rule) or the graphic was deleted.
struct GammaGraphic {
    int graphic = -1;
    int entries[256] = {};
};
GammaGraphic gammaGraphic;

int MakeGammaGraphic(const int* table) {
    SoftImage row{};
    if (CreateSoftImageXrgb8(256, 1, &row) != 0) return -1;
    for (int i = 0; i < 256; ++i) SetImagePixelRgba(&row, i, 0, table[i], table[i], table[i], 255);
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_BIT_DEPTH] = 32;
    params.words[CREATE_COLOR_KEY_ALPHA] = 0;
    const int graphic = NewGraphicHandle();
    const bool made = graphic >= 0 && SetupGraphicForImages(params, graphic, &row, nullptr, 0, 0) == 0 &&
                      CreateGraphicKeepImage(&row, nullptr, 0, 0, graphic) == 0;
    ReleaseSoftImage(&row);
    if (!made) {
        if (graphic >= 0 && LookupGraphic(graphic, 1)) FreeGraphic(graphic, 0);
        return -1;
    }
    return graphic;
}

int GammaRowGraphic(float gamma) {
    GammaGraphic& g = gammaGraphic;
    const int* table = LevelGammaTable(gamma);
    const bool changed = !std::equal(table, table + 256, g.entries);
    if (g.graphic >= 0 && !changed) return g.graphic;
    if (g.graphic >= 0) FreeGraphic(g.graphic, 0);
    g.graphic = MakeGammaGraphic(table);
    if (g.graphic < 0) return -1;
    std::copy(table, table + 256, g.entries);
    SetHandleLostFlag(g.graphic, &g.graphic);
    return g.graphic;
}

// The processor path: the memory images of the pass, the body over them, and on failure the images
// released again so that nothing is written.
template <class Body>
int OnImages(GraphicFilterContext* context, int blankDestination, Body body) {
    if (ReadFilterImages(context, blankDestination, context->resultWidth, context->resultHeight) < 0)
        return -1;
    int result = body();
    if (result < 0) ReleaseFilterImages(context);
    return result;
}

template <class Body>
int OnBlankImages(GraphicFilterContext* context, Body body) {
    return OnImages(context, 1, [&] {
        body();
        return 0;
    });
}

}  // namespace

int FilterUsesShaders(const GraphicFilterContext* context) {
    if (!Direct3DMode || !GetProgrammableShaderFlag()) return 0;
    bool sameSize = context->resultWidth == context->x2 - context->x1 &&
                    context->resultHeight == context->y2 - context->y1;
    return ShaderFilterVerified || !sameSize ? 1 : 0;
}

int FilterMono(GraphicFilterContext* context, float cb, float cr) {
    if (FilterUsesShaders(context)) return ShaderPass(context, MonoShader(), MonoConstants(cb, cr));
    return OnBlankImages(context,
                         [&] { MonoPixels(context->sourceImage, context->destinationImage, cb, cr); });
}

int FilterBrightClip(const FilterColorBlock* fillColor, GraphicFilterContext* context, int comparison,
                     float level, int fill) {
    if (comparison != kBrightClipLess && comparison != kBrightClipGreater) return -1;
    if (fill && fillColor == nullptr) return -1;
    if (FilterUsesShaders(context)) {
        // Without fill the pixels that fail keep what the destination holds: a work target gets it first.
        const FilterPassPlan& plan = context->plan;
        const RECT kept{context->destinationX, context->destinationY,
                        context->destinationX + context->resultWidth,
                        context->destinationY + context->resultHeight};
        if (!fill && plan.outputIsWorkTarget &&
            (BindFilterTarget(plan.outputGraphic) < 0 ||
             DrawGraphicRect(context->destinationHandle, kept,
                             RECT{0, 0, context->resultWidth, context->resultHeight}) < 0))
            return -1;
        return ShaderPass(context, BrightClipShader(comparison, fill),
                          BrightClipConstants(level, fill ? fillColor : nullptr));
    }
    return OnImages(context, 0, [&] {
        return BrightClipPixels(context->sourceImage, context->destinationImage, comparison, level,
                                fill ? fillColor : nullptr);
    });
}

int FilterHsb(int mode, GraphicFilterContext* context, float hue, float saturation, float brightness) {
    if (FilterUsesShaders(context))
        return ShaderPass(context, HsbShader(mode, context->pass),
                          HsbConstants(mode, hue, saturation, brightness));
    return OnBlankImages(context, [&] {
        HsbPixels(context->sourceImage, context->destinationImage, mode, hue, saturation, brightness);
    });
}

int FilterInvert(GraphicFilterContext* context) {
    if (FilterUsesShaders(context)) return ShaderPass(context, InvertShader(), FilterConstants{});
    return OnBlankImages(context, [&] { InvertPixels(context->sourceImage, context->destinationImage); });
}

int FilterLevel(GraphicFilterContext* context, float inputMin, float inputMax, float gamma, float outputMin,
                float outputMax) {
    if (FilterUsesShaders(context)) {
        SetTextureFilterMode(0);
        const int shader = PrepareFilterShader(LevelShader());
        const int row = shader >= 0 ? GammaRowGraphic(gamma) : -1;
        if (row < 0 || PrepareLookupInput(context, row, 256) < 0) return -1;
        return ShaderPassWithHandle(
            context, shader, LevelConstants(inputMin, inputMax, outputMin, outputMax, context->plan.second));
    }
    return OnBlankImages(context, [&] {
        LevelPixels(context->sourceImage, context->destinationImage, inputMin, inputMax, gamma, outputMin,
                    outputMax);
    });
}

int FilterTwoColor(const FilterColorBlock& color2, GraphicFilterContext* context,
                   const FilterColorBlock& color1, float threshold) {
    if (FilterUsesShaders(context))
        return ShaderPass(context, TwoColorShader(), TwoColorConstants(threshold, color1, color2));
    return OnBlankImages(context, [&] {
        TwoColorPixels(context->sourceImage, context->destinationImage, threshold, color1, color2);
    });
}

int FilterGradientMap(int reverse, GraphicFilterContext* context, int gradient) {
    if (LookupGraphic(gradient, 0) == nullptr) return -1;
    if (FilterUsesShaders(context)) {
        SetTextureFilterMode(0);
        const int shader = PrepareFilterShader(GradientMapShader(reverse));
        int width = 0, height = 0;
        if (shader < 0 || GetGraphicSize(gradient, &width, &height) < 0 ||
            PrepareLookupInput(context, gradient, width) < 0)
            return -1;
        return ShaderPassWithHandle(context, shader, GradientMapConstants(context->plan.second, width));
    }
    SoftImage gradientImage{};
    if (ReadGraphicToImage(gradient, &gradientImage, nullptr) < 0) return -1;
    int result = OnImages(context, 1, [&] {
        return GradientMapPixels(context->sourceImage, context->destinationImage, gradientImage, reverse);
    });
    ReleaseSoftImage(&gradientImage);
    return result;
}

int FilterPremultipliedAlpha(GraphicFilterContext* context) {
    if (FilterUsesShaders(context)) return ShaderPass(context, PremultipliedAlphaShader(), FilterConstants{});
    return OnBlankImages(context,
                         [&] { PremultipliedAlphaPixels(context->sourceImage, context->destinationImage); });
}

int FilterGaussBlur(GraphicFilterContext* context, int taps, float strength) {
    if (FilterUsesShaders(context)) {
        // Across in the first pass, down in the second, over the size of the texture the pass reads.
        const bool down = context->pass == 1;
        const FilterPassInput& in = context->plan.source;
        return ShaderPass(context, GaussShader(taps),
                          GaussConstants(taps, strength, down ? in.textureHeight : in.textureWidth, down),
                          PassSampling{true, 1});
    }
    return OnImages(context, 1, [&] {
        return GaussBlurPixels(context->sourceImage, context->destinationImage, taps, strength);
    });
}

int FilterDownScale(GraphicFilterContext* context, int scale) {
    if (FilterUsesShaders(context)) {
        const FilterPassInput& in = context->plan.source;
        return ShaderPass(context, DownScaleShader(scale),
                          DownScaleConstants(scale, in.textureWidth, in.textureHeight),
                          PassSampling{true, DownScaleFactor(scale)});
    }
    return OnBlankImages(context,
                         [&] { DownScalePixels(context->sourceImage, context->destinationImage, scale); });
}

int BlendFilter(GraphicFilterContext* context) {
    if (FilterUsesShaders(context))
        return ShaderPass(context, BlendShader(context->kind), BlendConstants(context->blendRatio));
    return OnBlankImages(context, [&] {
        BlendPixels(context->sourceImage, context->blendImage, context->destinationImage, context->kind,
                    context->blendRatio);
    });
}

int RgbaMixFilter(GraphicFilterContext* context, int red, int green, int blue, int alpha) {
    if (FilterUsesShaders(context)) {
        SetTextureFilterMode(0);
        const int shader = PrepareRgbaMixShader(red, green, blue, alpha);
        if (RgbaMixReadsBlendOnly(red, green, blue, alpha))
            std::swap(context->plan.source, context->plan.second);
        return ShaderPassWithHandle(context, shader, RgbaMixConstants(red, green, blue, alpha));
    }
    return OnBlankImages(context, [&] {
        RgbaMixPixels(context->sourceImage, context->blendImage, context->destinationImage, red, green, blue,
                      alpha);
    });
}

int RunFilterRoutine(GraphicFilterContext* context, const FilterArguments& a) {
    if (context->blendFlag) {
        if (context->kind == kBlendFilterRgbaMix)
            return RgbaMixFilter(context, a.selector[0], a.selector[1], a.selector[2], a.selector[3]);
        return BlendFilter(context);
    }
    switch (context->kind) {
        case kFilterMono:
            return FilterMono(context, a.cb, a.cr);
        case kFilterGaussBlur:
            return FilterGaussBlur(context, a.taps, a.strength);
        case kFilterDownScale:
            return FilterDownScale(context, a.scale);
        case kFilterBrightClip:
            return FilterBrightClip(&a.fillColor, context, a.comparison, a.level, a.fill);
        case kFilterHsb:
            return FilterHsb(a.mode, context, a.hue, a.saturation, a.brightness);
        case kFilterInvert:
            return FilterInvert(context);
        case kFilterLevel:
            return FilterLevel(context, a.inputMin, a.inputMax, a.gamma, a.outputMin, a.outputMax);
        case kFilterTwoColor:
            return FilterTwoColor(a.color2, context, a.color1, a.threshold);
        case kFilterGradientMap:
            return FilterGradientMap(a.reverse, context, a.gradient);
        case kFilterPremultipliedAlpha:
            return FilterPremultipliedAlpha(context);
        default:
            return -1;
    }
}
