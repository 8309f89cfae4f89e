// Placeholder for the font drawing of the fonts and movies subsystem until it lands: text is not drawn.
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"

int DrawStringWithFont(int, int, const char* text, uint32_t, int font, uint32_t, int) {
    return text != nullptr && GetFontRecord(font) != nullptr ? 0 : -1;
}
