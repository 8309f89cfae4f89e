// The game's text: a 10x10 bitmap font for numbers and labels, and a TrueType font for dialogue.
#pragma once

#include "platform/kernel/win_types.h"

extern HANDLE memoryFont;

void ReloadBitmapFont();
void DrawBitmapText(int x, int y, const char* text, int maxChars);
void LoadTextFont();
// Removes the memory font added by LoadTextFont.
void RemoveTextFont();
