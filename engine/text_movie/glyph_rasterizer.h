// Renders characters that are not yet cached into the next slots of a font's glyph cache ring.
#pragma once

#include <cstdint>

#include "engine/text_movie/font_record.h"

// characters: count records of 3 bytes (lead or single byte, trail byte or 0, a flag byte). Returns the
// entry of the last character, or null when nothing was done or the last character could not be
// rendered (its slot stays empty; a drawer skips such a character without advancing).
GlyphEntry* RasterizeGlyphsIntoRecord(FontRecord* font, int count, const uint8_t* characters);
