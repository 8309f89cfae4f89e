// The blend graphic: a graphic whose pixels weight the blending of every draw.
#include <algorithm>
#include <cstdarg>

#include "engine/core/frame/window_utils.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"

namespace {

// Parameters each kind reads: 0 a cross-fade weight, 1 a border and a range.
int ParameterCount(int kind) {
    return kind == 0 ? 1 : (kind == 1 ? 2 : 0);
}

void StoreParameters(int kind, const int* params) {
    for (int i = 0; i < ParameterCount(kind); ++i)
        drawSettings.blendGraphicParams[i] = std::clamp(params[i], 0, 255);
    if (kind == 1 && !Direct3DMode)
        BuildBlendImageWeightTable(drawSettings.blendGraphicParams[0], drawSettings.blendGraphicParams[1]);
}

void ClearDeviceBlendGraphic() {
    drawSettings.blendGraphic = -1;
    drawSettings.blendGraphicOn = 0;
    SetBlendTexture(0, 0, 0);
}

}  // namespace

int SetBlendGraphicCore(int graphic, int kind, const int* params) {
    GraphicEntry* entry = nullptr;
    if (graphic >= 1) {
        entry = LookupGraphic(graphic, 0);
        if (entry == nullptr) return -1;
    }
    drawSettings.blendGraphic = entry != nullptr ? graphic : -1;
    WaitWhileInactive();
    if (entry != nullptr && params != nullptr) StoreParameters(kind, params);
    if (!Direct3DMode) {
        g_softDrawSurfaces.blendImage = entry != nullptr ? &entry->softView : nullptr;
        drawSettings.blendGraphicOn = entry != nullptr;
        return 0;
    }
    if (!HasD3DDevice()) return -1;
    const GraphicImageBlock* block = entry != nullptr ? entry->block : nullptr;
    if (block == nullptr || block->textureCount < 1) {
        ClearDeviceBlendGraphic();
        return 0;
    }
    const GraphicTextureTile& first = block->tiles[0];
    SetBlendTexture(uintptr_t(first.texture), first.textureWidth, first.textureHeight);
    SetBlendTextureState(kind, drawSettings.blendGraphicParams);
    drawSettings.blendGraphicOn = 1;
    return 0;
}

// The parameters are copied off the argument list into an array rather than read through the address of
// an argument, which does not work where arguments travel in registers.
int SetBlendGraphicKind(int graphic, int kind, ...) {
    int params[2] = {0, 0};
    va_list arguments;
    va_start(arguments, kind);
    for (int i = 0; i < ParameterCount(kind); ++i) params[i] = va_arg(arguments, int);
    va_end(arguments);
    return SetBlendGraphicCore(graphic, kind, params);
}
