#include "engine/graphics/handles/font_cache_graphics.h"

#include <cstring>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/image/soft_image.h"
#include "engine/text_movie/font_environment.h"

namespace {

int Direct3DDrawingMode() {
    return Direct3DMode == 1 ? 1 : 0;
}

int GraphicsStarted() {
    return graphicsStarted;
}

// A font creation that runs as a load job makes its textures right there (the job is the asynchronous
// part), so `async` also says "from a job".
int CreateCacheTexture(int width, int height, int bits, int alphaChannel, int async) {
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_BIT_DEPTH] = bits;
    params.words[CREATE_ALPHA] = alphaChannel;
    params.words[CREATE_COLOR_KEY_ALPHA] = alphaChannel ? 0 : 1;
    params.words[CREATE_DRAW_TARGET] = 0;
    params.words[CREATE_BLEND_IMAGE] = 0;
    return CreateGraphicFromParams(params, width, height, 0, async, async);
}

int CreatePartGraphic(int graphic, int x, int y, int width, int height) {
    return DeriveGraphicEx(x, y, width, height, graphic, 1);
}

// The cache texture is no draw target, so the fill uploads an image of the colour rather than clearing
// render-target surfaces. The image is one row with a pitch of 0, which stands for every row.
int FillGraphic(int graphic, int red, int green, int blue, int alpha) {
    int width = 0, height = 0;
    if (GetGraphicEntrySize(graphic, 1, &width, &height) != 0) return -1;
    SoftImage row{};
    if (CreateSoftImageArgb8(width, 1, &row) != 0 || row.pixels == nullptr) {
        ReleaseSoftImage(&row);
        return -1;
    }
    const uint32_t value = uint32_t(alpha & 0xFF) << 24 | uint32_t(red & 0xFF) << 16 |
                           uint32_t(green & 0xFF) << 8 | uint32_t(blue & 0xFF);
    for (int x = 0; x < width; ++x) std::memcpy(static_cast<uint8_t*>(row.pixels) + size_t(x) * 4, &value, 4);
    SoftImage colour = row;
    colour.height = height;
    colour.pitch = 0;
    const RECT whole{0, 0, width, height};
    const int result = TransferImageToTextures(graphic, &colour, nullptr, whole, 0, 0, 0, 0, 0);
    ReleaseSoftImage(&row);
    return result;
}

int TransferGlyphs(const SoftImage* image, int x, int y, int width, int height, int graphic, int destX,
                   int destY) {
    const RECT source{x, y, x + width, y + height};
    return TransferImageToTextures(graphic, image, nullptr, source, destX, destY, 0, 0, 0);
}

int DeleteGraphic(int graphic) {
    return FreeGraphic(graphic, 0);
}

}  // namespace

void InstallGraphicsFontEnvironment() {
    SetFontEnvironment(nullptr);
    FontEnvironment environment = GetFontEnvironment();
    environment.screenColorDepth = GetColorDepth;
    environment.direct3DDrawing = Direct3DDrawingMode;
    environment.graphicsStarted = GraphicsStarted;
    environment.drawingSuspended = IsDrawingSuspended;
    environment.createCacheTexture = CreateCacheTexture;
    environment.createPartGraphic = CreatePartGraphic;
    environment.setGraphicDeletedFlag = SetGraphicDeletedFlag;
    environment.fillGraphic = FillGraphic;
    environment.transferImageToGraphic = TransferGlyphs;
    environment.deleteGraphic = DeleteGraphic;
    SetFontEnvironment(&environment);
}
