// The string core: the glyphs of a string laid along a pen, drawn through the cache texture or written
// from the memory cache into a software image, or only measured.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"
#include "engine/softrender/mem_img.h"
#include "engine/text_movie/font_record.h"

// The text and edge colours after the draw bright: as a pixel of the screen format (without its fill
// bits) and as 0x00RRGGBB.
struct StringColours {
    uint32_t textPixel, edgePixel;
    uint32_t textRgb, edgeRgb;
};

// The colours under the current draw bright.
StringColours MakeStringColours(uint32_t color, uint32_t edgeColor);

struct StringDrawRequest {
    bool draw;  // false: measure only
    int x, y;
    bool scaled;  // honoured for a texture-cached font
    double scaleX, scaleY;
    const char* text;
    int length;                 // bytes; -1: up to the terminator
    uint32_t color, edgeColor;  // screen-format values
    MEMIMG* target;             // the memory cache's destination
    IntRect clip;               // the memory cache's glyphs are clipped to it
    bool onlyCovered;           // pixels without coverage stay untouched (else 0 is written)
    int fontHandle;
    bool vertical;
};

struct StringBox {
    int width, height;
};

// The pen's advance in whole pixels, or -1 (drawing suspended, graphics not started, no ready font, a
// failed allocation). box (may be null) receives the text box: along the line the advance, across it the
// line height.
int DrawStringCore(const StringDrawRequest& request, StringBox* box);

// One glyph of the texture cache, its cell's corner in the cache texture at (cellX, cellY).
struct PlacedGlyph {
    const GlyphEntry* glyph;
    int cellX, cellY;
    double pen;
};

// The texture path: the glyph drawn in the edge colour from the edge layer, then in the text colour.
void DrawTextureGlyph(const FontRecord& font, const StringDrawRequest& request, const StringColours& colours,
                      const PlacedGlyph& placed);
// The memory path: the glyph's cache cell written into request.target, clipped to request.clip.
void WriteMemoryGlyph(const FontRecord& font, const StringDrawRequest& request, const StringColours& colours,
                      const PlacedGlyph& placed);
