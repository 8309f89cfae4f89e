#include "engine/graphics/loss/draw_screen.h"

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"

namespace {

const GraphicTextureTile* TileOf(const GraphicEntry& graphic, int textureIndex) {
    const GraphicImageBlock* block = graphic.block;
    if (block == nullptr || textureIndex < 0 || textureIndex >= block->textureCount) return nullptr;
    return &block->tiles[textureIndex];
}

}  // namespace

int FindDrawScreen(int handle, DrawScreen* screen) {
    *screen = DrawScreen{};
    if (handle == -1) handle = GetDrawTargetHandle();
    screen->graphic = handle >= 0 ? LookupGraphic(handle, 0) : nullptr;
    if (screen->graphic != nullptr && screen->graphic->block == nullptr) screen->graphic = nullptr;
    if (screen->graphic == nullptr) {
        screen->width = screenSettings.width;
        screen->height = screenSettings.height;
        screen->format = D3DFORMAT(deviceFormatTable.display);
        return 0;
    }
    const GraphicImageBlock& block = *screen->graphic->block;
    const GraphicTextureTile* tile = TileOf(*screen->graphic, 0);
    screen->width = tile != nullptr && Direct3DMode ? tile->textureWidth : block.width;
    screen->height = tile != nullptr && Direct3DMode ? tile->textureHeight : block.height;
    screen->format = TextureFormatOfIndex(block.format);
    return 0;
}

IDirect3DSurface9* AcquireDrawScreenSurface(const DrawScreen& screen, int textureIndex) {
    IDirect3DSurface9* surface = nullptr;
    if (screen.graphic == nullptr) {
        surface = GetSubBackBuffer() != nullptr ? GetSubBackBuffer() : BackBufferSurface;
        if (surface != nullptr) surface->AddRef();
        return surface;
    }
    const GraphicTextureTile* tile = TileOf(*screen.graphic, textureIndex);
    if (tile == nullptr) return nullptr;
    if (tile->surface != nullptr) {
        tile->surface->AddRef();
        return tile->surface;
    }
    if (tile->texture == nullptr || FAILED(tile->texture->GetSurfaceLevel(0, &surface))) return nullptr;
    return surface;
}

MEMIMG* DrawScreenMemImg(const DrawScreen& screen) {
    if (screen.graphic == nullptr) return GetScreenMemImage();
    return &screen.graphic->softView;
}

int IsRectOnDrawScreen(const DrawScreen& screen, int x1, int y1, int x2, int y2) {
    return 0 <= x1 && x1 < x2 && x2 <= screen.width && 0 <= y1 && y1 < y2 && y2 <= screen.height;
}
