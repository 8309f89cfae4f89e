#include "engine/text_movie/glyph_rasterizer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/glyph_cache_layout.h"
#include "engine/text_movie/glyph_cell_store.h"
#include "engine/text_movie/glyph_pixels.h"
#include "platform/gdi/gdi32.h"

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
// The widest or tallest glyph bitmap taken, in cells at the sampled size.
constexpr int kLargestGlyphCells = 4;

int FloorDiv(int a, int b) {
    int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct RenderSetup {
    HDC dc;
    TEXTMETRICA metrics;
    int edge;
    int superSample;
    UINT fetchFormat;
    int levels;  // of the stored glyph: 1, 16 or 64
};

RenderSetup MakeSetup(const FontRecord& font, HDC dc) {
    RenderSetup setup{};
    setup.dc = dc;
    GetTextMetricsA(dc, &setup.metrics);
    setup.edge = font.fontType & kFontTypeEdge ? font.edgeSize : 0;
    setup.superSample = SuperSampleFactor(font.fontType);
    UINT grey = font.textureBits == 32 ? GGO_GRAY8_BITMAP : GGO_GRAY4_BITMAP;
    bool greyFetch = font.fontType == 2 || font.fontType == 3;
    setup.fetchFormat = greyFetch ? grey : GGO_BITMAP;
    setup.levels = font.fontType & kFontTypeGrey ? (grey == GGO_GRAY8_BITMAP ? 64 : 16) : 1;
    return setup;
}

// The full-width space exists only in code page 932 (charset codes 0 and 1).
bool IsSpace(const FontRecord& font, const uint8_t* c) {
    if (c[0] == 0x20 && c[1] == 0) return true;
    bool shiftJis = font.charset <= 1 || font.charset > 4;
    return shiftJis && c[0] == 0x81 && c[1] == 0x40;
}

void Unlink(GlyphEntry* entry) {
    if (!entry->inUse) return;
    if (entry->codeMapEntry) *entry->codeMapEntry = CodeMapEntry{0, nullptr};
    entry->codeMapEntry = nullptr;
    entry->inUse = 0;
}

void ClearCell(FontRecord* font, CellPosition cell) {
    if (!font->textureCache) {
        std::memset(font->memoryBitmap + size_t(cell.y) * font->bitmapPitch, 0,
                    size_t(font->cellSize) * font->bitmapPitch);
        return;
    }
    ClearSoftImageRect(&font->cacheImage, cell.x, cell.y, font->cellSize, font->cellSize);
    if (font->fontType & kFontTypeEdge)
        ClearSoftImageRect(&font->cacheImage, cell.x + font->cacheWidth, cell.y, font->cellSize,
                           font->cellSize);
}

GlyphPixels FetchPixels(const RenderSetup& setup, const GLYPHMETRICS& gm, const std::vector<uint8_t>& bits,
                        int phase) {
    int width = int(gm.gmBlackBoxX), height = int(gm.gmBlackBoxY);
    int pitch = int(bits.size() / size_t(height)) / 4 * 4;
    if (setup.superSample > 1)
        return ReduceGlyphBits(bits.data(), pitch, width, height, setup.superSample, phase, setup.levels);
    if (setup.fetchFormat == GGO_BITMAP) return UnpackGlyphBits(bits.data(), pitch, width, height);
    return CopyGlyphGrey(bits.data(), pitch, width, height, setup.levels);
}

void StoreGlyph(FontRecord* font, CellPosition cell, const GlyphPixels& pixels, const RenderSetup& setup,
                GlyphEntry* entry) {
    if (!font->textureCache) {
        StoreGlyphInMemoryCell(font, cell.y, pixels, setup.edge);
        return;
    }
    int room = font->cellSize - 2;
    int x = cell.x + 1, y = cell.y + 1;
    StoreGlyphInCacheImage(font, x, y, room, pixels, setup.edge);
    const FontEnvironment& environment = GetFontEnvironment();
    int width = std::min(pixels.width + 2 * setup.edge, room),
        height = std::min(pixels.height + 2 * setup.edge, room);
    environment.transferImageToGraphic(&font->cacheImage, x, y, width, height, font->textureGraphic, x, y);
    if (setup.edge)
        environment.transferImageToGraphic(&font->cacheImage, x + font->cacheWidth, y, width, height,
                                           font->textureGraphic, x + font->cacheWidth, y);
    (void)entry;
}

// Whether GDI's bitmap is one the cell can take: no wider or taller than a few cells at the sampled
// size (a damaged font can ask for far more), and `size` bytes hold every row of it.
bool GlyphBitsFit(const FontRecord& font, const RenderSetup& setup, const GLYPHMETRICS& gm, DWORD size) {
    const uint64_t bound = uint64_t(kLargestGlyphCells) * uint64_t(std::max(font.cellSize, 1)) *
                           uint64_t(std::max(setup.superSample, 1));
    if (gm.gmBlackBoxX > bound || gm.gmBlackBoxY > bound) return false;
    const uint64_t width = gm.gmBlackBoxX;
    const uint64_t pitch = setup.fetchFormat == GGO_BITMAP ? (width + 31) / 32 * 4 : (width + 3) / 4 * 4;
    return pitch * gm.gmBlackBoxY <= size;
}

// Renders one character into the next slot; null when GDI cannot render it.
GlyphEntry* RasterizeOne(FontRecord* font, const RenderSetup& setup, const uint8_t* c) {
    GlyphEntry* entry = &font->glyphs[font->nextSlot];
    Unlink(entry);
    CellPosition cell = GlyphCellPosition(*font, entry->cellIndex);
    ClearCell(font, cell);
    UINT code = c[1] ? UINT(c[0]) * 256 + c[1] : c[0];
    GLYPHMETRICS gm{};
    DWORD size = GetGlyphOutlineA(setup.dc, code, setup.fetchFormat, &gm, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) {
        WriteLogText("GetGlyphOutline 関数が失敗しました\n");
        return nullptr;
    }
    int s = setup.superSample;
    int room = font->textureCache ? font->cellSize - 2 : font->cellSize;
    if (size != 0 && !IsSpace(*font, c) && !GlyphBitsFit(*font, setup, gm, size)) {
        WriteLogText("GetGlyphOutline 関数が失敗しました\n");
        return nullptr;
    }
    if (IsSpace(*font, c) || size == 0 || gm.gmBlackBoxY == 0) {
        entry->advance = int16_t((gm.gmCellIncX + s / 2) / s);
        entry->xOffset = entry->yOffset = 0;
        entry->width = entry->height = 0;
    } else {
        std::vector<uint8_t> bits(size);
        if (GetGlyphOutlineA(setup.dc, code, setup.fetchFormat, &gm, size, bits.data(), &kIdentity) ==
            GDI_ERROR) {
            WriteLogText("GetGlyphOutline 関数が失敗しました\n");
            return nullptr;
        }
        int top = setup.metrics.tmAscent - gm.gmptGlyphOrigin.y;
        int yOffset = FloorDiv(top, s);
        int phase = top - yOffset * s;
        GlyphPixels pixels = FetchPixels(setup, gm, bits, phase);
        entry->xOffset = int16_t(FloorDiv(gm.gmptGlyphOrigin.x + s / 4, s));
        entry->yOffset = int16_t(yOffset);
        entry->advance = int16_t((gm.gmCellIncX + s / 4) / s);
        entry->width = int16_t(pixels.width);
        entry->height = int16_t(pixels.height);
        StoreGlyph(font, cell, pixels, setup, entry);
    }
    entry->advance = int16_t(entry->advance + 2 * setup.edge);
    entry->width = int16_t(std::min(entry->width + 2 * setup.edge, room));
    entry->height = int16_t(std::min(entry->height + 2 * setup.edge, room));
    CodeMapEntry* map = &font->codeMap[c[0] | c[1] << 8];
    map->present = 1;
    map->glyph = entry;
    entry->codeMapEntry = map;
    entry->inUse = 1;
    font->nextSlot = (font->nextSlot + 1) % font->glyphCount;
    return entry;
}

}  // namespace

GlyphEntry* RasterizeGlyphsIntoRecord(FontRecord* font, int count, const uint8_t* characters) {
    const FontEnvironment& environment = GetFontEnvironment();
    if (count <= 0 || environment.drawingSuspended() || !environment.graphicsStarted()) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc || !font->font) FatalLibraryExit("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
    HGDIOBJ old = SelectObject(dc, font->font);
    RenderSetup setup = MakeSetup(*font, dc);
    GlyphEntry* last = nullptr;
    for (int i = 0; i < count; ++i) last = RasterizeOne(font, setup, characters + 3 * i);
    SelectObject(dc, old);
    DeleteDC(dc);
    return last;
}
