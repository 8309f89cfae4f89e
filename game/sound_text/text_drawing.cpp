#include "game/sound_text/text_drawing.h"

#include <cmath>
#include <cstring>

#include "engine/graphics/graphics.h"
#include "engine/text_movie/fonts.h"

namespace {

constexpr int kGlyphSize = 10;
constexpr int kGlyphColumns = 8;
constexpr int kFirstGlyph = 33;
constexpr int kLastGlyph = 96;
constexpr int kNumberTextLimit = 120;
// Places beyond these hold 0 for every 32-bit value.
constexpr int kMaxComputedPlaces = 18;

}  // namespace

int32_t fontGraphic = 0;
int32_t textFont = -1;

void ReloadBitmapFont() {
    if (fontGraphic != 0) FreeGraphic(fontGraphic, 0);
    fontGraphic = LoadGraphFile("./data/graphics/font.png", 0);
}

void DrawBitmapText(int x, int y, const char* text, int maxChars) {
    if (fontGraphic == -1 || text == nullptr) return;
    for (int i = 0; i < maxChars && text[i] != '\0'; ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        if (c < kFirstGlyph || c > kLastGlyph) continue;
        DrawImagePart(x + kGlyphSize * i, y, (c - kFirstGlyph) % kGlyphColumns * kGlyphSize,
                      (c - kFirstGlyph) / kGlyphColumns * kGlyphSize, kGlyphSize, kGlyphSize, fontGraphic, 1,
                      0);
    }
}

// The first place keeps the whole quotient, so a value too large for the places shows past '9' there.
void DrawNumber(int value, int digits, int x, int y) {
    if (digits > kNumberTextLimit) digits = kNumberTextLimit;
    char text[kNumberTextLimit + 1];
    for (int i = 0; i < digits; ++i) {
        const int place = digits - 1 - i;
        int64_t quotient = 0;
        if (place <= kMaxComputedPlaces) {
            const auto power = static_cast<int64_t>(std::pow(10.0, place));
            quotient = value / power;
        }
        if (i > 0) quotient %= 10;
        text[i] = static_cast<char>('0' + quotient);
    }
    text[digits > 0 ? digits : 0] = '\0';
    DrawBitmapText(x, y, text, kNumberTextLimit);
}

void DrawFontText(int x, int y, const char* text, int maxChars) {
    if (textFont == -1 || text == nullptr) return;
    char copy[kFontTextLimit];
    const size_t limit =
        maxChars < 0 ? 0 : static_cast<size_t>(maxChars < kFontTextLimit ? maxChars : kFontTextLimit - 1);
    const size_t length = strnlen(text, limit);
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    DrawStringWithFont(x + 1, y + 1, copy, PackColor(82, 82, 82), textFont, 0, 0);
    DrawStringWithFont(x, y, copy, PackColor(247, 247, 247), textFont, 0, 0);
}
