#include "engine/graphics/filters/filter_arguments.h"

#include <cstdint>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/graphic_filter_context.h"

namespace {

// A colour value and a 0-255 alpha as four 0.0-1.0 floats.
FilterColorBlock ColorBlock(int color, int alpha) {
    int red, green, blue;
    UnpackColor(uint32_t(color), &red, &green, &blue);
    return {red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f};
}

float Percent(int value) {
    return float(int64_t{value} * 100) / 255.0f;
}

}  // namespace

int FilterArgumentCount(int blendFlag, int kind, const int* arguments) {
    if (blendFlag) return kind == kBlendFilterRgbaMix ? 4 : 0;
    static const int kCounts[10] = {2, 2, 1, 3, 4, 0, 5, 5, 2, 0};
    if (kind < 0 || kind > 9) return 0;
    if (kind == kFilterBrightClip && arguments && arguments[2] != 0) return 5;
    return kCounts[kind];
}

void ConvertFilterArguments(int blendFlag, int kind, const int* a, FilterArguments* out) {
    *out = FilterArguments{};
    if (blendFlag) {
        if (kind == kBlendFilterRgbaMix)
            for (int i = 0; i < 4; ++i) out->selector[i] = a[i];
        return;
    }
    switch (kind) {
        case kFilterMono:
            out->cb = Percent(a[0]);
            out->cr = Percent(a[1]);
            break;
        case kFilterGaussBlur:
            out->taps = a[0];
            out->strength = a[1] / 100.0f;
            break;
        case kFilterDownScale:
            out->scale = a[0];
            break;
        case kFilterBrightClip:
            out->comparison = a[0];
            out->level = float(a[1]);
            out->fill = a[2] != 0;
            if (out->fill) out->fillColor = ColorBlock(a[3], a[4]);
            break;
        case kFilterHsb:
            out->mode = a[0];
            out->hue = float(a[1]);
            out->saturation = Percent(a[2]);
            out->brightness = Percent(a[3]);
            break;
        case kFilterLevel:
            out->inputMin = float(a[0]);
            out->inputMax = float(a[1]);
            out->gamma = a[2] / 100.0f;
            out->outputMin = float(a[3]);
            out->outputMax = float(a[4]);
            break;
        case kFilterTwoColor:
            out->threshold = float(a[0]);
            out->color1 = ColorBlock(a[1], a[2]);
            out->color2 = ColorBlock(a[3], a[4]);
            break;
        case kFilterGradientMap:
            out->gradient = a[0];
            out->reverse = a[1];
            break;
        default:
            break;
    }
}
