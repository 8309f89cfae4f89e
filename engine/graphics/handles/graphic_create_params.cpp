#include "engine/graphics/handles/graphic_create_params.h"

#include "engine/graphics/draw/draw_settings.h"

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/graphics_services.h"

namespace {

constexpr GraphicCreateParams kStartingParams = {{0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1}};

GraphicCreateParams currentParams = kStartingParams;

int MipLevelsFromSetting(int32_t setting, int width, int height) {
    if (setting == 0) return 1;
    if (setting == -1) return FullMipChainLevels(width, height);
    return setting & 0xFF;
}

int AutomaticBitDepth(int alpha) {
    if (Direct3DMode && alpha == 1) return 32;
    return GetColorDepth() == 32 ? 32 : 16;
}

}  // namespace

void FillGraphicCreateParams(GraphicCreateParams* params) {
    *params = currentParams;
    params->words[CREATE_TRANSPARENT_COLOR] = int32_t(GetTransparentColor());
}

int SetGraphicCreateParamWord(int word, int32_t value) {
    if (word < 1 || word >= kGraphicCreateParamWords) return -1;
    currentParams.words[word] = value;
    return 0;
}

void ResetGraphicCreateParams() {
    currentParams = kStartingParams;
}

int FullMipChainLevels(int width, int height) {
    int levels = 1;
    while (width > 1 || height > 1) {
        width = width / 2 > 1 ? width / 2 : 1;
        height = height / 2 > 1 ? height / 2 : 1;
        ++levels;
    }
    return levels;
}

GraphicDescription BuildGraphicDescription(const GraphicCreateParams& params, int width, int height,
                                           int alpha, int oneChannel, int formatCode, int mipLevels) {
    const int32_t* w = params.words;
    const bool software = !Direct3DMode;
    const bool target = w[CREATE_DRAW_TARGET] != 0;
    const bool blend = w[CREATE_BLEND_IMAGE] != 0;
    GraphicDescription d{};
    d.hasTextures = software ? 0 : 1;
    d.alphaChannel = uint8_t(target ? w[CREATE_DRAW_TARGET_ALPHA] : alpha);
    if (blend && !software) d.alphaChannel = 1;
    d.renderTarget = uint8_t(software ? !blend : target);
    d.softwareMode = software ? 1 : 0;
    d.creationSetting = uint8_t(target || software ? 0 : w[CREATE_MANAGED_POOL]);
    d.formatCode = uint8_t(software ? 0 : formatCode);
    if (mipLevels == -1) mipLevels = MipLevelsFromSetting(w[CREATE_MIP_LEVELS], width, height);
    d.mipLevels = uint8_t(software ? 0 : target ? 1 : mipLevels);
    d.colourKeyAlpha = uint8_t(target || d.alphaChannel || software ? 0 : w[CREATE_COLOR_KEY_ALPHA]);
    d.floatChannels = uint8_t(target ? w[CREATE_FLOAT_TARGET] : 0);
    d.bitDepth = uint8_t(w[CREATE_BIT_DEPTH] != 0 ? w[CREATE_BIT_DEPTH] : AutomaticBitDepth(d.alphaChannel));
    if (blend && !software) d.bitDepth = 32;
    if (target) {
        d.channelCount = uint8_t(w[CREATE_TARGET_CHANNELS]);
        d.bitsPerChannel = uint8_t(w[CREATE_TARGET_BITS_PER_CHANNEL]);
        d.targetSettings[0] = uint8_t(w[CREATE_TARGET_SETTING_1]);
        d.targetSettings[1] = uint8_t(w[CREATE_TARGET_SETTING_2]);
    }
    d.blendImage = uint8_t(target ? 0 : blend);
    d.oneChannel = uint8_t(software ? oneChannel : 0);
    return d;
}
