// Font handles (type 8, at most 40): creation, queries, the default font and the font system's start
// and end.
#pragma once

#include "engine/text_movie/font_record.h"

int CreateFontToHandle(int size, const FontCreateSettings& settings, int handle, const char* face,
                       int thickness, int fontType, int charset, int edgeSize, int italic, int asyncFlag);
// requestedHandle -1 makes a new handle. The handle, or -1.
int CreateFontHandleCore(const FontCreateSettings& settings, const char* face, int size, int thickness,
                         int fontType, int charset, int edgeSize, int italic, int requestedHandle, int async);
void GetFontCreateSettings(FontCreateSettings* settings);
int SetFontDeletedFlag(int handle, int* flag);
int SetFontSpacing(int spacing, int handle);
int GetFontHandleInfo(char* faceOut, int* sizeOut, int* thicknessOut, int handle);
int GetFontSize(int handle);
int IsFontHandleReady(int handle);
// The record of a live font handle that is not loading; null otherwise.
FontRecord* GetFontRecord(int handle);
GlyphEntry* RasterizeGlyph(int fontHandle, int count, const uint8_t* characters);
int GetDefaultFontHandle();
int SetDefaultFontParams(const char* face, int size, int thickness);
int RecreateAllFonts();
int InitFontSystem();
int EndFontSystem();
