// Fill of a whole graphic with one colour.
#include <algorithm>

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/softrender/colour_kernels.h"

namespace {

int FillRenderTargetTiles(const GraphicEntry* graphic, uint32_t argb) {
    for (int i = 0; i < graphic->drawTileCount; ++i) {
        const GraphicDrawTile& tile = graphic->drawTiles[i];
        if (tile.tile == nullptr || tile.tile->surface == nullptr) continue;
        RECT rect{tile.textureX, tile.textureY, tile.textureX + tile.width, tile.textureY + tile.height};
        DeviceColorFill(tile.tile->surface, &rect, argb);
    }
    return 0;
}

}  // namespace

int FillGraphicRect(int handle, int red, int green, int blue, int alpha, int relaxedLookup) {
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    red = clamp(red), green = clamp(green), blue = clamp(blue), alpha = clamp(alpha);
    GraphicEntry* graphic = LookupDrawableGraphic(handle, relaxedLookup);
    if (graphic == nullptr) return -1;
    if (!Direct3DDrawing()) {
        SoftFillRect(&graphic->softView, nullptr, PackColor(red, green, blue));
        return 0;
    }
    // Only a render target's surfaces can be filled; any other graphic is refused rather than left as is.
    if (!HasD3DDevice() || !graphic->block->description.renderTarget) return -1;
    return FillRenderTargetTiles(
        graphic, uint32_t(alpha) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue));
}
