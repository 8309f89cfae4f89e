#include "engine/text_movie/string_core.h"

#include <cstdlib>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/glyph_cache_layout.h"
#include "engine/text_movie/glyph_rasterizer.h"
#include "engine/text_movie/string_glyphs.h"

namespace {

constexpr long long kFarthestDrawnString = 1LL << 30;

// The channel times the bright's channel, over 255.
int Brightened(int channel, uint32_t bright, int shift) {
    return channel * int((bright >> shift) & 0xFF) / 255;
}

// A screen-format colour split into channels, brightened, and packed again.
void BrightenColour(uint32_t colour, uint32_t bright, uint32_t* pixel, uint32_t* rgb) {
    int red = 0, green = 0, blue = 0;
    UnpackColor(colour, &red, &green, &blue);
    red = Brightened(red, bright, 16);
    green = Brightened(green, bright, 8);
    blue = Brightened(blue, bright, 0);
    *pixel = PackColor(red, green, blue) & ~PackColor(0, 0, 0);
    *rgb = uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

bool IsBlank(const uint8_t* record, const GlyphEntry& glyph) {
    const bool space = (record[0] == 0x20 && record[1] == 0) || (record[0] == 0x81 && record[1] == 0x40);
    return space || glyph.width <= 0 || glyph.height <= 0;
}

// The cached glyph of the character, or the glyph rendered for it alone (the batch may have stopped at
// the cell count, or a later character of the batch took its slot). Null when it cannot be rendered.
const GlyphEntry* GlyphOf(FontRecord* font, const uint8_t* record) {
    const CodeMapEntry& entry = font->codeMap[CharacterCode(record)];
    if (entry.present) return entry.glyph;
    return RasterizeGlyphsIntoRecord(font, 1, record);
}

void DrawGlyph(const FontRecord& font, const StringDrawRequest& request, const StringColours& colours,
               const GlyphEntry* glyph, double pen) {
    const CellPosition cell = GlyphCellPosition(font, glyph->cellIndex);
    if (font.textureCache) {
        DrawTextureGlyph(font, request, colours, PlacedGlyph{glyph, cell.x + 1, cell.y + 1, pen});
    } else if (request.target != nullptr) {
        WriteMemoryGlyph(font, request, colours, PlacedGlyph{glyph, cell.x, cell.y, pen});
    }
}

}  // namespace

StringColours MakeStringColours(uint32_t color, uint32_t edgeColor) {
    StringColours colours{};
    const uint32_t bright = drawSettings.bright & 0xFFFFFF;
    BrightenColour(color, bright, &colours.textPixel, &colours.textRgb);
    BrightenColour(edgeColor, bright, &colours.edgePixel, &colours.edgeRgb);
    return colours;
}

int DrawStringCore(const StringDrawRequest& request, StringBox* box) {
    const FontEnvironment& environment = GetFontEnvironment();
    if (environment.drawingSuspended() || !environment.graphicsStarted()) return -1;
    FontRecord* font = GetFontRecord(request.fontHandle);
    if (font == nullptr) return -1;
    StringDrawRequest shifted = request;
    const bool scaled = request.scaled && (font->textureCache || !request.draw);
    if (!scaled) shifted.scaleX = shifted.scaleY = 1.0;
    // Glyph positions are ints: a string that starts this far out lies outside every draw area, and is
    // measured without being drawn.
    shifted.draw = request.draw && std::llabs(request.x) < kFarthestDrawnString &&
                   std::llabs(request.y) < kFarthestDrawnString;
    const int leading = int(font->extraLeading * shifted.scaleY);
    if (shifted.draw) (request.vertical ? shifted.x : shifted.y) -= leading / 2;
    const StringColours colours = MakeStringColours(request.color, request.edgeColor);

    const int bytes = StringByteLength(request.text, request.length);
    const int count = SplitStringCharacters(request.text, bytes, font->charset, nullptr);
    double pen = 0.0;
    if (count > 0) {
        CharacterBuffer records(count, kCharacterRecordBytes);
        if (records.data() == nullptr ||
            CacheStringGlyphs(bytes, request.text, request.fontHandle, records.data(), nullptr) != 0)
            return -1;
        const double step = request.vertical ? shifted.scaleY : shifted.scaleX;
        for (int i = 0; i < count; ++i) {
            const uint8_t* record = records.data() + size_t(i) * kCharacterRecordBytes;
            const GlyphEntry* glyph = GlyphOf(font, record);
            if (glyph == nullptr) continue;  // not renderable: skipped, no advance
            if (shifted.draw && !IsBlank(record, *glyph)) DrawGlyph(*font, shifted, colours, glyph, pen);
            pen += (glyph->advance + font->spacing) * step;
        }
    }
    const int advance = int(pen);
    if (box != nullptr)
        *box = request.vertical ? StringBox{font->lineHeight, advance} : StringBox{advance, font->lineHeight};
    return advance;
}
