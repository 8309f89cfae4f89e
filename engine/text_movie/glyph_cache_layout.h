// The arithmetic of a font's glyph cache: height correction, cell size and line height from the text
// metrics, the size of the texture or memory cache, and where a cell lies.
#pragma once

#include "engine/text_movie/font_record.h"

struct TEXTMETRICA;

// The height (at the super-sampled size) that makes the em of a face with internal or external leading
// as tall as the size asked for; 0 when the face has no leading.
int CorrectedFontHeightDelta(int sampledSize, const TEXTMETRICA& metrics);

struct FontCellMetrics {
    int cellSize;
    int lineHeight;
};
FontCellMetrics ComputeFontCellMetrics(const TEXTMETRICA& metrics, int superSample, int edgeSize, bool edge);

struct GlyphCacheLayout {
    int width;
    int height;
    int glyphCount;
    int cellsPerColumn;
};
// The texture cache: a power-of-two square for a given count, else 512 x 512 grown until it holds 10.
GlyphCacheLayout TextureCacheLayout(int cellSize, int requestedCount);
// The memory cache: one column of cells, 0x50000 / cell^2 of them (at least 20) for the automatic count.
GlyphCacheLayout MemoryCacheLayout(int cellSize, int requestedCount);
// Bits per pixel of the memory cache: 1 for type 0, 8 for the other valid types.
int MemoryCacheBitsPerPixel(int fontType);

struct CellPosition {
    int x;
    int y;
};
CellPosition GlyphCellPosition(const FontRecord& font, int cellIndex);

// Empties the cache: no character present, slot i owns cell i, the entry after the last holds -1. -1 when
// the code map cannot be allocated.
int ResetGlyphCache(FontRecord* font);
