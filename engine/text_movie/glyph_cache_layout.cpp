#include "engine/text_movie/glyph_cache_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "platform/gdi/gdi32.h"

int SuperSampleFactor(int fontType) {
    switch (fontType) {
        case 18:
        case 19:
            return 4;
        case 34:
        case 35:
            return 8;
        default:
            return 1;
    }
}

bool IsValidFontType(int fontType) {
    return (fontType >= 0 && fontType <= 3) || fontType == 18 || fontType == 19 || fontType == 34 ||
           fontType == 35;
}

int GdiCharSetOfCode(int charsetCode) {
    static constexpr int kCharSets[] = {DEFAULT_CHARSET, SHIFTJIS_CHARSET, HANGUL_CHARSET,
                                        CHINESEBIG5_CHARSET, GB2312_CHARSET};
    return charsetCode >= 0 && charsetCode <= 4 ? kCharSets[charsetCode] : DEFAULT_CHARSET;
}

int CorrectedFontHeightDelta(int sampledSize, const TEXTMETRICA& metrics) {
    int leading = metrics.tmInternalLeading + metrics.tmExternalLeading;
    if (leading < 1 || metrics.tmHeight <= leading) return 0;
    float corrected = static_cast<float>(sampledSize / (1.0 - double(leading) / metrics.tmHeight));
    return static_cast<int>(corrected) - sampledSize;
}

FontCellMetrics ComputeFontCellMetrics(const TEXTMETRICA& metrics, int superSample, int edgeSize, bool edge) {
    int cell = metrics.tmMaxCharWidth / superSample + 4 + (edge ? 2 * edgeSize : 0);
    cell = (cell + 7) / 8 * 8;
    int line = metrics.tmHeight / superSample + 1 + (edge ? 2 * edgeSize : 0);
    if (line & 1) ++line;
    if (cell < line) cell = line;
    return {cell, line};
}

namespace {

int CappedGlyphCount(int64_t count) {
    return static_cast<int>(std::min<int64_t>(count, kMaxGlyphCount));
}

}  // namespace

GlyphCacheLayout TextureCacheLayout(int cellSize, int requestedCount) {
    GlyphCacheLayout layout{};
    int64_t perSide = 0;
    if (requestedCount > 0) {
        int64_t side = int64_t{cellSize} * (static_cast<int64_t>(std::sqrt(double(requestedCount))) + 1);
        int64_t size = 8;
        while (size < side) size *= 2;
        layout.width = layout.height = static_cast<int>(size);
        perSide = size / cellSize;
        layout.glyphCount = CappedGlyphCount(perSide * perSide);
    } else {
        layout.width = layout.height = 512;
        layout.glyphCount = CappedGlyphCount(int64_t{512 / cellSize} * (512 / cellSize));
        while (layout.glyphCount < 10) {
            if (layout.width > layout.height)
                layout.height *= 2;
            else
                layout.width *= 2;
            layout.glyphCount =
                CappedGlyphCount(int64_t{layout.height / cellSize} * (layout.width / cellSize));
        }
    }
    layout.cellsPerColumn = layout.height / cellSize;
    return layout;
}

GlyphCacheLayout MemoryCacheLayout(int cellSize, int requestedCount) {
    int count = CappedGlyphCount(requestedCount);
    if (count <= 0) count = CappedGlyphCount(std::max<int64_t>(0x50000 / (int64_t{cellSize} * cellSize), 20));
    return {cellSize, count * cellSize, count, count};
}

int MemoryCacheBitsPerPixel(int fontType) {
    return fontType == 0 ? 1 : 8;
}

CellPosition GlyphCellPosition(const FontRecord& font, int cellIndex) {
    return {cellIndex / font.cellsPerColumn * font.cellSize, cellIndex % font.cellsPerColumn * font.cellSize};
}

int ResetGlyphCache(FontRecord* font) {
    // A new zeroed block instead of clearing the old one: the pages of codes never cached are not touched.
    TrackedFree(font->codeMap);
    font->codeMap = static_cast<CodeMapEntry*>(
        TrackedAllocZeroed(sizeof(CodeMapEntry) * kCodeMapSize, __FILE__, __LINE__));
    std::memset(font->glyphs, 0, sizeof(font->glyphs));
    for (int i = 0; i < font->glyphCount; ++i) font->glyphs[i].cellIndex = i;
    font->glyphs[font->glyphCount].cellIndex = -1;
    font->nextSlot = 0;
    return font->codeMap ? 0 : -1;
}
