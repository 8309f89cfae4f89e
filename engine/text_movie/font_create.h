// Making a font's GDI font, metrics and glyph cache into its record.
#pragma once

#include "engine/text_movie/font_record.h"

// Fills the record (defaults for -1 arguments, charset check, height correction, cache). 0 or -1.
int CreateFontToRecord(FontRecord* font, const FontCreateSettings& settings, int size, const char* face,
                       int thickness, int fontType, int charset, int edgeSize, int italic, int async);
// (Re)creates the cache textures when the record needs them. 0 or -1.
int CreateGlyphCacheTextures(FontRecord* font, int async);
// Frees what the record owns (GDI font, memory bitmap, cache textures and image).
void ReleaseFontResources(FontRecord* font);
// The installed families of a face and charset code (negative: any), 64 bytes a name, at most
// `maximum` (0: no limit). A null buffer counts them (at most 4096).
int EnumInstalledFaces(char* buffer, int maximum, const char* face, int charsetCode);
