// Glyph bitmaps as GetGlyphOutlineA gives them: the code is taken in the font's charset and converted
// to Unicode through iconv, the glyph rendered by FreeType (monochrome with monochrome hinting for
// GGO_BITMAP, anti-aliased for the grey formats) and written top-down with rows padded to 4 bytes.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/gdi_fonts.h"

#include <freetype/ftoutln.h>
#include <freetype/ftsynth.h>

#include "platform/kernel/code_pages.h"

namespace {

bool IsIdentity(const MAT2& m) {
    return m.eM11.value == 1 && m.eM11.fract == 0 && m.eM22.value == 1 && m.eM22.fract == 0 &&
           m.eM12.value == 0 && m.eM12.fract == 0 && m.eM21.value == 0 && m.eM21.fract == 0;
}

// The Unicode value of a code of the charset; 0 when it does not convert.
char32_t UnicodeOfCode(UINT code, int charSet) {
    std::string bytes;
    if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
    auto converted = ConvertEncoding(EncodingOfCharSet(charSet), "UTF-32LE", bytes);
    if (!converted || converted->size() != 4) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(converted->data());
    return char32_t(u[0]) | char32_t(u[1]) << 8 | char32_t(u[2]) << 16 | char32_t(u[3]) << 24;
}

// Coverage 0..255 of a pixel of FreeType's bitmap; 0 outside it.
int Coverage(const FT_Bitmap& bitmap, int x, int y) {
    if (x < 0 || y < 0 || x >= int(bitmap.width) || y >= int(bitmap.rows)) return 0;
    int stride = std::abs(bitmap.pitch);
    const unsigned char* row =
        bitmap.buffer + size_t(bitmap.pitch >= 0 ? y : int(bitmap.rows) - 1 - y) * size_t(stride);
    switch (bitmap.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
            return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
        case FT_PIXEL_MODE_GRAY: {
            int grays = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
            return row[x] * 255 / grays;
        }
        default:
            return 0;
    }
}

// With the overstrike, a pixel also takes its left neighbour's coverage.
int OutputCoverage(const FT_Bitmap& bitmap, int x, int y, bool emboldened) {
    int value = Coverage(bitmap, x, y);
    return emboldened ? std::max(value, Coverage(bitmap, x - 1, y)) : value;
}

void WriteBitmap(const FT_Bitmap& bitmap, UINT format, int width, int pitch, bool emboldened, uint8_t* out) {
    int levels = format == GGO_GRAY8_BITMAP ? 64 : 16;
    for (int y = 0; y < int(bitmap.rows); ++y) {
        uint8_t* row = out + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x) {
            int value = OutputCoverage(bitmap, x, y, emboldened);
            if (format == GGO_BITMAP) {
                if (value >= 128) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
            } else {
                row[x] = uint8_t((value * levels + 127) / 255);
            }
        }
    }
}

// A damaged font can scale one glyph far beyond its cell (a broken em or ascent makes a 12-pixel
// request a glyph thousands of pixels wide); rendering it would take seconds and a bitmap of many
// megabytes. Glyphs whose outline reaches beyond this many cell heights are refused before rendering.
constexpr int kLargestGlyphCells = 8;

bool OutlineWithinBound(FT_GlyphSlot slot, long cellHeight) {
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    const int64_t bound = (kLargestGlyphCells * int64_t(std::max(cellHeight, 1L)) + 64) * 64;
    return int64_t(box.xMax) - box.xMin <= bound && int64_t(box.yMax) - box.yMin <= bound &&
           std::abs(int64_t(box.xMin)) <= bound && std::abs(int64_t(box.yMax)) <= bound;
}

}  // namespace

DWORD WINAPI GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                              LPVOID buffer, const MAT2* matrix) {
    if (!metrics || !matrix || !IsIdentity(*matrix)) return GDI_ERROR;
    if (format != GGO_METRICS && format != GGO_BITMAP && format != GGO_GRAY4_BITMAP &&
        format != GGO_GRAY8_BITMAP)
        return GDI_ERROR;
    std::shared_ptr<FontInstance> font = SelectedFontInstance(dc);
    if (!font) return GDI_ERROR;
    char32_t code = UnicodeOfCode(character, font->logical.lfCharSet);
    FontEngineLock lock(FontEngineMutex());
    FT_Face face = font->face;
    FT_UInt glyph = FT_Get_Char_Index(face, code);
    bool mono = format == GGO_BITMAP || format == GGO_METRICS;
    if (FT_Load_Glyph(face, glyph, mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL) != 0) return GDI_ERROR;
    FT_GlyphSlot slot = face->glyph;
    bool noOutline = slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points == 0;
    if (!OutlineWithinBound(slot, font->metrics.tmHeight)) return GDI_ERROR;
    if (font->slanted && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_GlyphSlot_Oblique(slot);
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return GDI_ERROR;
    const FT_Bitmap& bitmap = slot->bitmap;
    bool empty = noOutline || bitmap.width == 0 || bitmap.rows == 0;
    int width = empty ? 0 : int(bitmap.width) + (font->emboldened ? 1 : 0);
    int rows = empty ? 0 : int(bitmap.rows);
    metrics->gmBlackBoxX = empty ? 1 : UINT(width);
    metrics->gmBlackBoxY = empty ? 1 : UINT(rows);
    metrics->gmptGlyphOrigin.x = empty ? 0 : slot->bitmap_left;
    metrics->gmptGlyphOrigin.y = empty ? 0 : slot->bitmap_top;
    metrics->gmCellIncX = SHORT(((slot->advance.x + 32) >> 6) + (font->emboldened ? 1 : 0));
    metrics->gmCellIncY = 0;
    if (format == GGO_METRICS) return 0;
    int pitch = format == GGO_BITMAP ? (width + 31) / 32 * 4 : (width + 3) / 4 * 4;
    const uint64_t bytes = uint64_t(pitch) * uint64_t(rows);
    if (bytes >= GDI_ERROR) return GDI_ERROR;
    DWORD needed = DWORD(bytes);
    if (!buffer || bufferSize == 0) return needed;
    if (bufferSize < needed) return GDI_ERROR;
    std::memset(buffer, 0, needed);
    WriteBitmap(bitmap, format, width, pitch, font->emboldened, static_cast<uint8_t*>(buffer));
    return needed;
}
