// The font calls of the library's public face that the game makes.
#pragma once

#include <cstdint>

// charSet and edgeSize of -1 take the defaults; handle -1 lets the library choose one. Returns the font
// handle or -1.
int CreateFontPublic(const char* face, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle);
// Returns -1 for an invalid font handle.
int DrawStringWithFont(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                       int vertical);
