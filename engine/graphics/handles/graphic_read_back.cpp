#include "engine/graphics/handles/graphic_read_back.h"

#include <algorithm>
#include <cstring>

#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/handles/channel_pixels.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"

namespace {

// A locked image of a per-channel format into the 32-bit image at (destX, destY).
void CopyChannelPixels(const SoftImage& locked, int destX, int destY, SoftImage* image) {
    for (int y = 0; y < locked.height; ++y)
        ChannelPixelsToArgb(locked.format,
                            static_cast<const uint8_t*>(locked.pixels) + int64_t(y) * locked.pitch,
                            locked.width,
                            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image->pixels) +
                                                        int64_t(destY + y) * image->pitch) +
                                destX);
}

// Copies the locked rectangle `from` (in the locked surface's coordinates) to (destX, destY) of image.
int CopyLocked(int graphic, const RECT& from, int textureIndex, int destX, int destY, SoftImage* image) {
    SoftImage locked{};
    if (LockBackBuffer(&from, &locked, graphic, 1, textureIndex) != 0) return -1;
    int result = 0;
    if (locked.format.channelCount != 0)
        CopyChannelPixels(locked, destX, destY, image);
    else
        result = BlitImageRect(0, 0, locked.width, locked.height, destX, destY, &locked, image);
    ReleaseBackBufferLock();
    return result;
}

// 1..5 for a DXT1..DXT5 texture format, else 0.
int DxtKindOf(uint32_t format) {
    for (int kind = 1; kind <= 5; ++kind)
        if (format == uint32_t(MAKEFOURCC('D', 'X', 'T', '0' + kind))) return kind;
    return 0;
}

// A DXT texture's level 0 is decoded whole and the rectangle taken from it.
int CopyDxtTexture(const GraphicTextureTile& tile, int kind, const RECT& from, int destX, int destY,
                   SoftImage* image) {
    D3DLOCKED_RECT locked{};
    if (!tile.texture || FAILED(tile.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return -1;
    SoftImage blocks{};
    SetColorFormatArgb8(&blocks.format);
    blocks.format.formatCode = uint8_t(kind);
    blocks.width = tile.textureWidth;
    blocks.height = tile.textureHeight;
    const int rowBytes = (tile.textureWidth + 3) / 4 * (kind == 1 ? 8 : 16),
              rows = (tile.textureHeight + 3) / 4;
    blocks.pitch = rowBytes;
    blocks.pixels = ImageAlloc(uint64_t(rowBytes) * uint64_t(rows));
    if (blocks.pixels)
        for (int row = 0; row < rows; ++row)
            std::memcpy(static_cast<uint8_t*>(blocks.pixels) + int64_t(row) * rowBytes,
                        static_cast<const uint8_t*>(locked.pBits) + int64_t(row) * locked.Pitch,
                        size_t(rowBytes));
    tile.texture->UnlockRect(0);
    int result = -1;
    if (blocks.pixels && DecodeBlockCompressedImage(&blocks) == 0)
        result = BlitImageRect(int(from.left), int(from.top), int(from.right - from.left),
                               int(from.bottom - from.top), destX, destY, &blocks, image);
    ReleaseSoftImage(&blocks);
    return result;
}

// A texture that is not a render target is locked in place; its level 0 holds the image.
int CopyTexture(const GraphicImageBlock& block, const GraphicTextureTile& tile, const RECT& from, int destX,
                int destY, SoftImage* image) {
    const uint32_t code = uint32_t(TextureFormatOfIndex(block.format));
    if (const int kind = DxtKindOf(code)) return CopyDxtTexture(tile, kind, from, destX, destY, image);
    const ColorFormat* format = GetColorFormatDescriptor(code);
    D3DLOCKED_RECT locked{};
    if (!format || !tile.texture || FAILED(tile.texture->LockRect(0, &locked, &from, D3DLOCK_READONLY)))
        return -1;
    SoftImage view{};
    view.format = *format;
    view.width = from.right - from.left;
    view.height = from.bottom - from.top;
    view.pitch = locked.Pitch;
    view.pixels = locked.pBits;
    const int result = BlitImageRect(0, 0, view.width, view.height, destX, destY, &view, image);
    tile.texture->UnlockRect(0);
    return result;
}

// Each draw tile's overlap with rect, read from its texture.
int ReadTextureTiles(int graphic, const GraphicEntry& entry, const RECT& rect, SoftImage* image) {
    for (int i = 0; i < entry.drawTileCount; ++i) {
        const GraphicDrawTile& tile = entry.drawTiles[i];
        const int left = std::max(int(rect.left), tile.x), top = std::max(int(rect.top), tile.y);
        const int right = std::min(int(rect.right), tile.x + tile.width);
        const int bottom = std::min(int(rect.bottom), tile.y + tile.height);
        if (left >= right || top >= bottom) continue;
        const int dx = tile.textureX - tile.x, dy = tile.textureY - tile.y;
        const RECT from{left + dx, top + dy, right + dx, bottom + dy};
        const int textureIndex = int(tile.tile - entry.block->tiles);
        const int destX = left - rect.left, destY = top - rect.top;
        const int result = entry.block->description.renderTarget
                               ? CopyLocked(graphic, from, textureIndex, destX, destY, image)
                               : CopyTexture(*entry.block, *tile.tile, from, destX, destY, image);
        if (result != 0) return -1;
    }
    return 0;
}

}  // namespace

int ReadGraphicToImage(int graphic, SoftImage* image, const RECT* rect) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (!entry || !entry->block || !image) return -1;
    const RECT whole{0, 0, entry->width, entry->height};
    const RECT r = rect ? *rect : whole;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > entry->width ||
        r.bottom > entry->height)
        return -1;
    if (CreateSoftImageArgb8(r.right - r.left, r.bottom - r.top, image) != 0) return -1;
    // A multisampled draw target's picture is resolved into its texture first.
    if (Direct3DMode && entry->block->description.renderTarget) UpdateRenderTargetTexture(graphic);
    const int result =
        Direct3DMode ? ReadTextureTiles(graphic, *entry, r, image) : CopyLocked(graphic, r, 0, 0, 0, image);
    if (result != 0) ReleaseSoftImage(image);
    return result == 0 ? 0 : -1;
}

namespace {

int ReadFilterImagesCore(GraphicFilterContext* c, int blankDestination, int width, int height) {
    const RECT source{c->x1, c->y1, c->x2, c->y2};
    if (ReadGraphicToImage(c->sourceHandle, &c->sourceImage, &source) != 0) return -1;
    if (c->blendFlag) {
        const RECT blend{c->blendX, c->blendY, c->blendX + (c->x2 - c->x1), c->blendY + (c->y2 - c->y1)};
        if (ReadGraphicToImage(c->blendHandle, &c->blendImage, &blend) != 0) return -1;
    }
    if (blankDestination) {
        if (CreateSoftImageArgb8(width, height, &c->destinationImage) != 0) return -1;
        for (int y = 0; y < height; ++y)
            std::memset(static_cast<char*>(c->destinationImage.pixels) + y * c->destinationImage.pitch, 0,
                        size_t(width) * 4);
        return 0;
    }
    const RECT destination{c->destinationX, c->destinationY, c->destinationX + width,
                           c->destinationY + height};
    return ReadGraphicToImage(c->destinationHandle, &c->destinationImage, &destination);
}

}  // namespace

int ReadFilterImages(GraphicFilterContext* context, int blankDestination, int width, int height) {
    context->sourceImage = SoftImage{};
    context->blendImage = SoftImage{};
    context->destinationImage = SoftImage{};
    if (ReadFilterImagesCore(context, blankDestination, width, height) == 0) return 0;
    ReleaseSoftImage(&context->sourceImage);
    ReleaseSoftImage(&context->blendImage);
    ReleaseSoftImage(&context->destinationImage);
    return -1;
}
