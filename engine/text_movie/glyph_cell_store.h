// Writing a glyph into its cache cell: the memory bitmap (1 bit, or a byte per pixel with the edge
// level in the high nibble) or the cache image in its texture format (edge layer in the right half).
// The glyph and its edge are clipped to the room the cell has.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"
#include "engine/text_movie/font_record.h"
#include "engine/text_movie/glyph_pixels.h"

// The cell's rows start at `cellY`; the glyph's body lies edge pixels right of and below the cell's
// corner.
void StoreGlyphInMemoryCell(FontRecord* font, int cellY, const GlyphPixels& glyph, int edge);
// The write position (x, y) and the room (width and height) inside the cell of the cache image.
void StoreGlyphInCacheImage(FontRecord* font, int x, int y, int room, const GlyphPixels& glyph, int edge);

// Texels of the cache image: a grey level v of 16 or 64 levels (alpha 0 for 0), and the edge layer's
// coverage of 16 or 64 levels.
uint32_t GreyTexel(const ColorFormat& format, int levels, int v);
uint32_t EdgeCoverageTexel(const ColorFormat& format, int levels, int v);
