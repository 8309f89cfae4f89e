#include "engine/graphics/handles/graphic_setup.h"

#include <algorithm>
#include <vector>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/graphics/handles/texture_grid.h"
#include "engine/image/color_format.h"
#include "engine/image/image_size_limit.h"
#include "engine/softrender/mem_img.h"

namespace {

constexpr DWORD kSquareOnlyTextures = 0x20;  // D3DPTEXTURECAPS_SQUAREONLY

// A failed set-up: the owner deletes a graphic that a job fills (the job only reports the failure).
int Fail(int handle, int relaxed) {
    if (!relaxed) DeleteHandle(handle);
    return -1;
}

std::vector<GraphicTextureTile> GridFor(const GraphicCreateParams& params, const GraphicDescription& d,
                                        int width, int height) {
    const int userMax = params.words[CREATE_MAX_TEXTURE_SIZE];
    const int maxWidth = userMax > 0 ? userMax : deviceCapabilityFlags.maxTextureWidth;
    const int maxHeight = userMax > 0 ? userMax : deviceCapabilityFlags.maxTextureHeight;
    const bool nonPow2 = !deviceCapabilityFlags.pow2Required || deviceCapabilityFlags.nonPow2Conditional;
    const bool exact = d.renderTarget && nonPow2;
    std::vector<int> columns, rows;
    ChooseTextureEdgeSize(width, std::max(1, maxWidth), exact, &columns);
    ChooseTextureEdgeSize(height, std::max(1, maxHeight), exact, &rows);
    return BuildTextureGrid(width, height, columns, rows,
                            (DeviceCaps.TextureCaps & kSquareOnlyTextures) != 0);
}

GraphicImageBlock* AllocateBlock(int tileCount) {
    auto* block = static_cast<GraphicImageBlock*>(
        TrackedAllocZeroed(size_t(GraphicImageBlockSize(tileCount)), "graphic image block", __LINE__));
    if (!block) LogText("グラフィックのオリジナル画像データ保存用メモリの確保に失敗しました\n");
    return block;
}

int FillTextureBlock(GraphicImageBlock* block, const GraphicCreateParams& params,
                     const std::vector<GraphicTextureTile>& tiles, int relaxed) {
    const GraphicDescription& d = block->description;
    block->format = GraphicFormatIndex(reinterpret_cast<const uint8_t*>(&d));
    block->textureCount = int(tiles.size());
    block->mipLevels = block->format >= 6 && block->format <= 10 ? 1 : d.mipLevels;
    std::copy(tiles.begin(), tiles.end(), &block->tiles[0]);
    block->renderTargetOption = d.renderTarget && params.words[CREATE_TARGET_OPTION] ? 1 : 0;
    return CreateGraphicTextures(block, relaxed);
}

// Bytes a pixel of the graphic takes in its textures or software image.
int64_t PixelBytes(const GraphicDescription& d) {
    return std::max<int>(d.bitDepth, d.channelCount * d.bitsPerChannel) / 8;
}

bool Overlaps(int a, int aLength, int b, int bLength) {
    return a < b + bLength && b < a + aLength;
}

void FillDrawTile(const GraphicEntry& entry, GraphicTextureTile* tile, GraphicDrawTile* out) {
    const int left = std::max(tile->x, entry.x);
    const int right = std::min(tile->x + tile->usedWidth, entry.x + entry.width);
    const int top = std::max(tile->y, entry.y);
    const int bottom = std::min(tile->y + tile->usedHeight, entry.y + entry.height);
    GraphicDrawTile d{};
    d.x = left - entry.x;
    d.y = top - entry.y;
    d.textureX = left - tile->x;
    d.textureY = top - tile->y;
    d.width = right - left;
    d.height = bottom - top;
    const float u0 = float(d.textureX) / float(tile->textureWidth);
    const float u1 = float(d.textureX + d.width) / float(tile->textureWidth);
    const float v0 = float(d.textureY) / float(tile->textureHeight);
    const float v1 = float(d.textureY + d.height) / float(tile->textureHeight);
    const float x0 = float(d.x), x1 = float(d.x + d.width), y0 = float(d.y), y1 = float(d.y + d.height);
    d.corners[0] = {x0, y0, u0, v0};
    d.corners[1] = {x1, y0, u1, v0};
    d.corners[2] = {x0, y1, u0, v1};
    d.corners[3] = {x1, y1, u1, v1};
    const double slope = double(entry.height) / double(entry.width);
    for (int i = 0; i < 4; ++i)
        d.cornerSides[i] = double(d.corners[i].y) <= double(entry.height) - double(d.corners[i].x) * slope;
    d.tile = tile;
    *out = d;
}

int BuildSoftwareView(GraphicEntry* entry) {
    ReleaseMemImg(&entry->softView);
    CreateMemImgView(&entry->softView, &entry->block->image, entry->x, entry->y, entry->width, entry->height);
    return IsMemImgValid(&entry->softView) ? 0 : -1;
}

}  // namespace

// A new software image starts cleared, as a device draw target does: its memory comes uncleared.
int FillSoftwareImageBlock(GraphicImageBlock* block) {
    const GraphicDescription& d = block->description;
    const int alpha = d.blendImage ? 0 : (d.alphaChannel ? 1 : 0);
    const int kind = d.blendImage ? 2 : (d.bitDepth == 16 ? 0 : 1);
    uint32_t key = 0;
    if (!d.blendImage) {
        block->format = (kind == 0 ? kSoftFormat16 : kSoftFormat32) + alpha;
        // One-byte (palette) images are stored in direct colour too, so their key is the transparent
        // colour as for any other image: the pixels whose entry has that colour, none when no entry has it.
        const uint32_t c = block->transparentColor;
        key = MakePixelValue(GetMemImgColorFormat(kind, alpha, 0), int((c >> 16) & 0xFF),
                             int((c >> 8) & 0xFF), int(c & 0xFF), 255);
    }
    if (InitMemImg(&block->image, block->width, block->height, -1, key, kind, 0, alpha, 0, nullptr) < 0) {
        LogText(d.blendImage ? "ブレンド画像用メモリイメージの作成に失敗しました\n"
                             : "メモリイメージの作成に失敗しました\n");
        return -1;
    }
    FillMemImgRect(&block->image, nullptr, 0);
    return 0;
}

int SetupGraphicFromImage(const GraphicCreateParams& params, int handle, int width, int height, int,
                          int alpha, int oneChannel, int formatCode, int mipLevels, int relaxed) {
    GraphicEntry* entry = LookupGraphic(handle, relaxed);
    if (!entry) return -1;
    if (width < 1 || height < 1) return Fail(handle, relaxed);
    const GraphicDescription d =
        BuildGraphicDescription(params, width, height, alpha, oneChannel, formatCode, mipLevels);
    if (!ImageSizeAllowed(width, height, PixelBytes(d))) {
        LogPrintf("%d x %d のグラフィックは大きすぎるため作成できません", width, height);
        return Fail(handle, relaxed);
    }
    std::vector<GraphicTextureTile> tiles;
    if (d.hasTextures) tiles = GridFor(params, d, width, height);
    GraphicImageBlock* block = AllocateBlock(int(tiles.size()));
    if (!block) return Fail(handle, relaxed);
    block->description = d;
    block->transparentColor = uint32_t(params.words[CREATE_TRANSPARENT_COLOR]);
    block->width = width;
    block->height = height;
    block->referenceCount = 1;
    entry->block = block;
    entry->x = entry->y = 0;
    entry->width = width;
    entry->height = height;
    const int filled =
        d.hasTextures ? FillTextureBlock(block, params, tiles, relaxed) : FillSoftwareImageBlock(block);
    if (filled != 0 || BuildGraphicDrawInfo(handle, relaxed) != 0) return Fail(handle, relaxed);
    return 0;
}

int BuildGraphicDrawInfo(int handle, int relaxed) {
    GraphicEntry* entry = LookupGraphic(handle, relaxed);
    if (!entry || !entry->block) return -1;
    if (!entry->block->description.hasTextures) return BuildSoftwareView(entry);
    entry->drawTileCount = 0;
    GraphicImageBlock* block = entry->block;
    std::vector<int> selected;
    for (int i = 0; i < block->textureCount; ++i) {
        const GraphicTextureTile& t = (&block->tiles[0])[i];
        if (Overlaps(t.x, t.usedWidth, entry->x, entry->width) &&
            Overlaps(t.y, t.usedHeight, entry->y, entry->height))
            selected.push_back(i);
    }
    if (selected.empty()) {
        LogText("テクスチャ描画情報の作成に失敗しました\n");
        return -1;
    }
    const int needed = GraphicEntrySize(int(selected.size()));
    if (uint32_t(needed) > entry->header.dataSize) {
        if (ResizeHandleData(handle, needed) < 0) {
            LogText("画像描画情報格納用メモリの確保に失敗しました\n");
            return -1;
        }
        entry = static_cast<GraphicEntry*>(GetHandleData(handle));
    }
    // The records run on past the entry's inline ones into the grown handle data.
    GraphicDrawTile* records = entry->drawTiles;
    GraphicTextureTile* tiles = block->tiles;
    for (size_t i = 0; i < selected.size(); ++i) FillDrawTile(*entry, &tiles[selected[i]], &records[i]);
    entry->drawTileCount = int(selected.size());
    return 0;
}

int SetupDerivedGraphic(int source, int handle, int x, int y, int width, int height, int relaxed) {
    GraphicEntry* from = LookupGraphic(source, relaxed);
    GraphicEntry* entry = LookupGraphic(handle, relaxed);
    if (!from || !entry || !from->block || width < 1 || height < 1) return -1;
    // A handle set up again gives its earlier block back; the new one is taken first, so that a block
    // shown by both keeps its count above 0.
    GraphicImageBlock* previous = entry->block;
    entry->block = from->block;
    ++entry->block->referenceCount;
    if (previous) {
        if (!previous->description.hasTextures) ReleaseMemImg(&entry->softView);
        ReleaseGraphicImageBlock(previous);
    }
    ShareGraphicReloadSource(entry, from->reloadSource);
    entry->originX = from->originX + x;
    entry->originY = from->originY + y;
    entry->x = from->x + x;
    entry->y = from->y + y;
    entry->width = width;
    entry->height = height;
    return BuildGraphicDrawInfo(handle, relaxed);
}
