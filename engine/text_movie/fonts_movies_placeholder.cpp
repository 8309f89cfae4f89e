// Text drawn with font handles is not built: the call checks its font handle and draws nothing.
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"

int DrawStringWithFont(int, int, const char* text, uint32_t, int font, uint32_t, int) {
    return text != nullptr && GetFontRecord(font) != nullptr ? 0 : -1;
}
