// The game's text: a 10x10 bitmap font for numbers and labels, and a TrueType font for dialogue.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

constexpr int kFontTextLimit = 300;

extern int32_t fontGraphic;  // "./data/graphics/font.png"; -1 when missing
extern HANDLE memoryFont;    // the private font added from "data/k8x12S.ttf"
extern int32_t textFont;     // the library font on it; -1 when none

void ReloadBitmapFont();
// At most maxChars characters; codes 33 to 96 are drawn, any other leaves a blank 10-pixel cell.
void DrawBitmapText(int x, int y, const char* text, int maxChars);
// The value as exactly `digits` characters with leading zeros.
void DrawNumber(int value, int digits, int x, int y);
// At most maxChars characters (fewer than 300) with a grey drop shadow.
void DrawFontText(int x, int y, const char* text, int maxChars);
void LoadTextFont();
// Removes the memory font added by LoadTextFont.
void RemoveTextFont();
