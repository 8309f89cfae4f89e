#include "engine/graphics/filters/filter_routines.h"

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/filter_shaders.h"
#include "engine/graphics/filters/shader_filter_self_test.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_read_back.h"

namespace {

void ReleaseFilterImages(GraphicFilterContext* context) {
    ReleaseSoftImage(&context->sourceImage);
    ReleaseSoftImage(&context->blendImage);
    ReleaseSoftImage(&context->destinationImage);
}

// The shader path samples its work textures point by point and makes its shader; the programs and the
// drawing of their pass are not part of this build, so the pass is refused once the shader is there.
template <class Prepare>
int ShaderPassWith(Prepare prepare) {
    SetTextureFilterMode(0);
    prepare();
    return -1;
}

int ShaderPass(FilterShader* shader) {
    return ShaderPassWith([&] { return shader ? PrepareFilterShader(shader) : -1; });
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
    if (FilterUsesShaders(context)) return ShaderPass(MonoShader());
    return OnBlankImages(context,
                         [&] { MonoPixels(context->sourceImage, context->destinationImage, cb, cr); });
}

int FilterBrightClip(const FilterColorBlock* fillColor, GraphicFilterContext* context, int comparison,
                     float level, int fill) {
    if (comparison != kBrightClipLess && comparison != kBrightClipGreater) return -1;
    if (fill && fillColor == nullptr) return -1;
    if (FilterUsesShaders(context)) return ShaderPass(BrightClipShader(comparison, fill));
    return OnImages(context, 0, [&] {
        return BrightClipPixels(context->sourceImage, context->destinationImage, comparison, level,
                                fill ? fillColor : nullptr);
    });
}

int FilterHsb(int mode, GraphicFilterContext* context, float hue, float saturation, float brightness) {
    if (FilterUsesShaders(context)) return ShaderPass(HsbShader(mode, context->pass));
    return OnBlankImages(context, [&] {
        HsbPixels(context->sourceImage, context->destinationImage, mode, hue, saturation, brightness);
    });
}

int FilterInvert(GraphicFilterContext* context) {
    if (FilterUsesShaders(context)) return ShaderPass(InvertShader());
    return OnBlankImages(context, [&] { InvertPixels(context->sourceImage, context->destinationImage); });
}

int FilterLevel(GraphicFilterContext* context, float inputMin, float inputMax, float gamma, float outputMin,
                float outputMax) {
    if (FilterUsesShaders(context)) return ShaderPass(LevelShader());
    return OnBlankImages(context, [&] {
        LevelPixels(context->sourceImage, context->destinationImage, inputMin, inputMax, gamma, outputMin,
                    outputMax);
    });
}

int FilterTwoColor(const FilterColorBlock& color2, GraphicFilterContext* context,
                   const FilterColorBlock& color1, float threshold) {
    if (FilterUsesShaders(context)) return ShaderPass(TwoColorShader());
    return OnBlankImages(context, [&] {
        TwoColorPixels(context->sourceImage, context->destinationImage, threshold, color1, color2);
    });
}

int FilterGradientMap(int reverse, GraphicFilterContext* context, int gradient) {
    if (LookupGraphic(gradient, 0) == nullptr) return -1;
    if (FilterUsesShaders(context)) return ShaderPass(GradientMapShader(reverse));
    SoftImage gradientImage{};
    if (ReadGraphicToImage(gradient, &gradientImage, nullptr) < 0) return -1;
    int result = OnImages(context, 1, [&] {
        return GradientMapPixels(context->sourceImage, context->destinationImage, gradientImage, reverse);
    });
    ReleaseSoftImage(&gradientImage);
    return result;
}

int FilterPremultipliedAlpha(GraphicFilterContext* context) {
    if (FilterUsesShaders(context)) return ShaderPass(PremultipliedAlphaShader());
    return OnBlankImages(context,
                         [&] { PremultipliedAlphaPixels(context->sourceImage, context->destinationImage); });
}

int FilterGaussBlur(GraphicFilterContext* context, int taps, float strength) {
    if (FilterUsesShaders(context)) return ShaderPass(GaussShader(taps));
    return OnImages(context, 1, [&] {
        return GaussBlurPixels(context->sourceImage, context->destinationImage, taps, strength);
    });
}

int FilterDownScale(GraphicFilterContext* context, int scale) {
    if (FilterUsesShaders(context)) return ShaderPass(DownScaleShader(scale));
    return OnBlankImages(context,
                         [&] { DownScalePixels(context->sourceImage, context->destinationImage, scale); });
}

int BlendFilter(GraphicFilterContext* context) {
    if (FilterUsesShaders(context)) {
        return ShaderPass(BlendShader(context->kind));
    }
    return OnBlankImages(context, [&] {
        BlendPixels(context->sourceImage, context->blendImage, context->destinationImage, context->kind,
                    context->blendRatio);
    });
}

int RgbaMixFilter(GraphicFilterContext* context, int red, int green, int blue, int alpha) {
    if (FilterUsesShaders(context))
        return ShaderPassWith([&] { return PrepareRgbaMixShader(red, green, blue, alpha); });
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
