#include "engine/graphics/filters/filter_work_surfaces.h"

#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/image/soft_image.h"

namespace {

struct SavedFilterDrawState {
    int blendMode, blendParam;
    int secondBlendMode, secondBlendParam;
    int textureFilterMode;
    int fogEnable;
    int noLighting;
};
SavedFilterDrawState savedState;

}  // namespace

int GetWorkRenderTexture(GraphicFilterContext* context, int, int, int, int* slot, int* source) {
    if (LookupGraphic(context->sourceHandle, 0) == nullptr ||
        LookupGraphic(context->destinationHandle, 0) == nullptr)
        return -1;
    *slot = 0;
    *source = context->sourceHandle;
    return 0;
}

int SaveFilterDrawState(GraphicFilterContext*) {
    savedState = SavedFilterDrawState{drawSettings.blendMode,       drawSettings.blendParam,
                                      drawSettings.secondBlendMode, drawSettings.secondBlendParam,
                                      GetTextureFilterMode(),       drawSettings.fogEnable,
                                      drawSettings.noLighting};
    drawSettings.noLighting = 1;
    if (IsDrawingSuspended()) return 0;
    SetBlend(14, 0);
    SetTextureFilterMode(1);
    drawSettings.secondBlendMode = 8;
    drawSettings.secondBlendParam = 0;
    return 0;
}

int RestoreFilterDrawState(GraphicFilterContext*) {
    drawSettings.noLighting = savedState.noLighting;
    drawSettings.fogEnable = savedState.fogEnable;
    SetBlend(savedState.blendMode, savedState.blendParam);
    SetTextureFilterMode(savedState.textureFilterMode);
    drawSettings.secondBlendMode = savedState.secondBlendMode;
    drawSettings.secondBlendParam = savedState.secondBlendParam;
    return 0;
}

int FinishFilterResult(GraphicFilterContext* context) {
    ReleaseSoftImage(&context->sourceImage);
    ReleaseSoftImage(&context->blendImage);
    // Straight into the textures: the graphic's place in its reload source stays as it was.
    const SoftImage& image = context->destinationImage;
    const RECT whole{0, 0, image.width, image.height};
    const int result =
        TransferImageToTextures(context->destinationHandle, &image, nullptr, whole, context->destinationX,
                                context->destinationY, kTransferColourKey, 0, 0);
    ReleaseSoftImage(&context->destinationImage);
    return result;
}
