// The records behind a graphic handle: the entry of each handle, the image block that one or more
// entries share, the textures of a block, and the per-texture draw tiles an entry is drawn from.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/softrender/mem_img.h"
#include "platform/d3d9/d3d9.h"

constexpr int kGraphicHandleType = 1;
constexpr int kGraphicHandleLimit = 32768;
// Draw tiles an entry holds without growing its handle data.
constexpr int kInlineDrawTiles = 4;

// Software formats of an image block (Direct3D blocks use the colour-format indices 0..24).
constexpr int kSoftFormat16 = 27;
constexpr int kSoftFormat16Alpha = 28;
constexpr int kSoftFormat32 = 29;
constexpr int kSoftFormat32Alpha = 30;

// The creation description of a graphic, kept in its image block.
struct GraphicDescription {
    uint8_t hasTextures;        // 0: Direct3D mode at creation
    uint8_t alphaChannel;       // 1
    uint8_t renderTarget;       // 2
    uint8_t softwareMode;       // 3
    uint8_t creationSetting;    // 4
    uint8_t formatCode;         // 5
    uint8_t mipLevels;          // 6
    uint8_t colourKeyAlpha;     // 7
    uint8_t floatChannels;      // 8
    uint8_t bitDepth;           // 9: 16 or 32
    uint8_t channelCount;       // 10
    uint8_t bitsPerChannel;     // 11
    uint8_t blendImage;         // 12
    uint8_t oneChannel;         // 13
    uint8_t targetSettings[2];  // 14, 15
};
static_assert(sizeof(GraphicDescription) == 16);

// One texture of an image block, in the block's grid order.
struct GraphicTextureTile {
    IDirect3DTexture9* texture;
    IDirect3DSurface9* surface;       // level 0 of a render target
    IDirect3DSurface9* depthSurface;  // a render target's depth surface, when made
    IDirect3DSurface9* stagingSurface;
    int32_t x, y;                   // position in the image
    int32_t usedWidth, usedHeight;  // part of the texture the image covers
    int32_t textureWidth, textureHeight;
    // A render target asked to be multisampled draws here; its texture takes the resolved picture.
    IDirect3DSurface9* multisampleSurface;
};

// What a block made for the device keeps of itself while a restart has left the library in software mode
// (description.hasTextures 1 while kept); its tiles stay in place behind the software image.
struct KeptDeviceShape {
    GraphicDescription description;
    int32_t format;
    int32_t renderTargetOption;
    int32_t mipLevels;
    int32_t textureCount;
};

// The shared pixels of one or more graphics; one tracked allocation sized for its tiles.
struct GraphicImageBlock {
    int32_t referenceCount;
    int32_t format;  // colour-format index (Direct3D) or kSoftFormat* (software)
    GraphicDescription description;
    uint32_t transparentColor;  // 0x00RRGGBB
    int32_t width, height;
    int32_t renderTargetOption;
    int32_t mipLevels;  // Direct3D
    MEMIMG image;       // software
    KeptDeviceShape keptDeviceShape;
    int32_t textureCount;
    GraphicTextureTile tiles[1];  // textureCount of them
};

// Bytes of an image block with room for textureCount tiles (at least one).
inline int GraphicImageBlockSize(int textureCount) {
    int extra = textureCount > 1 ? textureCount - 1 : 0;
    return int(sizeof(GraphicImageBlock) + sizeof(GraphicTextureTile) * extra);
}

struct GraphicCorner {
    float x, y, u, v;
};

// The part of one texture tile that a graphic shows.
struct GraphicDrawTile {
    int32_t x, y;                // in the graphic
    int32_t textureX, textureY;  // in the tile's texture
    int32_t width, height;
    GraphicCorner corners[4];  // top-left, top-right, bottom-left, bottom-right
    uint8_t cornerSides[4];    // 1: the corner lies in the graphic's upper-left triangle
    GraphicTextureTile* tile;
};

struct GraphicReloadSource;

// The data of a graphic handle. The handle manager zero-fills it. drawTiles is the record's tail: room
// for kInlineDrawTiles comes with every entry, and more grow the handle data (GraphicEntrySize), so the
// entry may move (take it again after a resize).
struct GraphicEntry {
    HandleHeader header;
    int* deletedFlag;
    int32_t movieHandle;  // -1 when none
    GraphicReloadSource* reloadSource;
    int32_t originX, originY;
    GraphicImageBlock* block;
    int32_t x, y;  // in the block
    int32_t width, height;
    void* workBuffer1;
    void* workBuffer2;
    MEMIMG softView;  // software mode
    int32_t drawTileCount;
    GraphicDrawTile drawTiles[];
};

// Handle data bytes for an entry with tileCount draw tiles.
inline int GraphicEntrySize(int tileCount) {
    const int tiles = tileCount > kInlineDrawTiles ? tileCount : kInlineDrawTiles;
    return int(sizeof(GraphicEntry) + sizeof(GraphicDrawTile) * size_t(tiles));
}
