// The data behind a font handle: the GDI font, its creation parameters and metrics, and the glyph cache
// (a ring of cells in a memory bitmap or in a cache image copied into a texture).
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/image/soft_image.h"
#include "platform/kernel/win_types.h"

constexpr int kFontHandleType = 8;
constexpr int kFontHandleLimit = 40;
constexpr int kMaxGlyphCount = 2024;
constexpr int kCodeMapSize = 65536;
// The largest size (either sign), thickness and edge a font is made with: beyond them the cell arithmetic
// overflows and the glyph cache outgrows any graphic.
constexpr int kMaxFontSize = 512;
constexpr int kMaxFontThickness = 10;  // GDI's heaviest weight, 1000
constexpr int kMaxFontEdgeSize = 32;

// Font type bits: an edge of edgeSize pixels around every glyph; grey-level glyphs. 16 and 32 on top
// render at 4 or 8 times the size and reduce (types 18, 19, 34, 35).
constexpr int kFontTypeEdge = 1;
constexpr int kFontTypeGrey = 2;

struct CodeMapEntry;

struct GlyphEntry {
    uint8_t inUse;
    int16_t xOffset;  // pen to the left of the glyph's box
    int16_t yOffset;  // top of the line to the top of the box
    int16_t advance;
    int32_t cellIndex;
    int16_t width;
    int16_t height;
    CodeMapEntry* codeMapEntry;  // the character occupying the slot
};

struct CodeMapEntry {
    uint32_t present;
    GlyphEntry* glyph;
};

// Copied into every creation: no texture cache; 16-bit textures for grey fonts; glyph count (0 =
// automatic).
struct FontCreateSettings {
    int32_t noTextureCache;
    int32_t sixteenBitTexture;
    int32_t glyphCount;
};

struct FontRecord {
    HandleHeader header;
    int* deletedFlag;
    GlyphEntry glyphs[kMaxGlyphCount + 1];
    CodeMapEntry* codeMap;  // kCodeMapSize entries in a block of their own, made by ResetGlyphCache
    int nextSlot;
    int glyphCount;
    uint8_t* memoryBitmap;
    int bitmapPitch;
    int bitsPerPixel;
    char faceName[256];
    int thickness;
    int size;
    int lineHeight;
    int extraLeading;
    int italic;
    int spacing;
    int cellSize;
    HFONT font;
    int fontType;
    int charset;  // the library's charset code actually used
    int edgeSize;
    int cacheWidth;
    int cacheHeight;
    int cellsPerColumn;
    int textureGraphic;
    int edgeGraphic;
    int needsTexture;
    SoftImage cacheImage;
    int textureBits;
    int textureCache;
};

// 1, 4 or 8 from the font type; 1 for a type that is not one of the valid ones.
int SuperSampleFactor(int fontType);
bool IsValidFontType(int fontType);
// The GDI charset of a library charset code (0-4); DEFAULT_CHARSET for anything else.
int GdiCharSetOfCode(int charsetCode);
