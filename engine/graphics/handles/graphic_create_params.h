// The creation settings of a graphic, taken as a snapshot at the moment of the call, and the creation
// description built from them for the texture creation and kept in the image block.
#pragma once

#include <cstdint>

#include "engine/graphics/handles/graphic_records.h"

constexpr int kGraphicCreateParamWords = 17;

enum GraphicCreateParamWord {
    CREATE_TRANSPARENT_COLOR = 0,
    CREATE_BIT_DEPTH = 1,
    CREATE_TARGET_BITS_PER_CHANNEL = 2,
    CREATE_COLOR_KEY_ALPHA = 3,
    CREATE_ALPHA = 4,
    CREATE_BLEND_IMAGE = 5,
    CREATE_MANAGED_POOL = 6,
    CREATE_DRAW_TARGET = 7,
    CREATE_DRAW_TARGET_ALPHA = 8,
    CREATE_FLOAT_TARGET = 9,
    CREATE_TARGET_OPTION = 10,
    CREATE_TARGET_CHANNELS = 11,
    CREATE_TARGET_SETTING_1 = 12,
    CREATE_TARGET_SETTING_2 = 13,
    CREATE_MIP_LEVELS = 14,
    CREATE_MAX_TEXTURE_SIZE = 15,
    CREATE_OPTION = 16,
};

struct GraphicCreateParams {
    int32_t words[kGraphicCreateParamWords];
};

// The current settings, with the transparent colour of the draw settings in word 0.
void FillGraphicCreateParams(GraphicCreateParams* params);
// Sets one word of the current settings (words 1..16). 0, or -1 for another word.
int SetGraphicCreateParamWord(int word, int32_t value);
// The settings' starting values.
void ResetGraphicCreateParams();

// The description of a graphic of the given size made with these parameters in the current mode.
// mipLevels -1 takes the count from the mip-level word.
GraphicDescription BuildGraphicDescription(const GraphicCreateParams& params, int width, int height,
                                           int alpha, int oneChannel, int formatCode, int mipLevels);
// Levels of a full mip chain of that size: 1 plus the halvings until both edges are 1.
int FullMipChainLevels(int width, int height);
