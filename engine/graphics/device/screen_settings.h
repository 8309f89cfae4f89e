// The screen's size, logical size and colour depth, the hardware-drawing switch, the two half-size
// emulation flags (a logical 320 x 240 screen shown on a 640 x 480 mode), the dialog-box-mode switch and
// the display-mode list. Settings made before init survive it.
#pragma once

#include <cstdint>

#include "engine/graphics/graphics_services.h"

struct ScreenSettings {
    int32_t width;  // 0 until set; graphics init makes it 640 x 480
    int32_t height;
    int32_t logicalWidth;  // the size the program draws in
    int32_t logicalHeight;
    int32_t colorBits;  // 0 until set (reads as 16)
    // The depth asked for: a window follows the desktop's depth on the device, which changes colorBits
    // alone, and a change of mode keeps the depth asked for, not the desktop's.
    int32_t requestedColorBits;
    int32_t refreshRate;   // 0: the display's default
    int32_t softwareOnly;  // hardware drawing switched off (0: Direct3D may be used)
    int32_t halfSizeByModeSelection;
    int32_t halfSizeByInit;
    int32_t dialogBoxMode;
};

extern ScreenSettings screenSettings;

// 1 while either half-size emulation flag is set.
int IsHalfSizeEmulation();
// The width and height a frame is presented from: 320 x 240 for a half-size frame, else the screen.
int IsHalfSizeFrame();

// Sets the depth asked for and the screen's.
int SetColorDepthSetting(int colorBits);
// The depth asked for (as GetColorDepth until one was).
int GetRequestedColorDepth();
int SetRefreshRateSetting(int refreshRate);
int SetHardwareDrawEnabled(int flag);  // 0 or -1 once the library is initialised
int IsHardwareDrawEnabled();
int IsSoftwareDrawMode();  // 1 while the Direct3D mode flag is 0

// The display-mode list: built on first use, freed by the graphics end.
int ListDisplayModes(int* count, DisplayMode** list);
int FreeDisplayModeList();
// 1 when a listed mode has that width, height and colour depth.
int IsDisplayModeListed(int width, int height, int colorBits);

// The graphic's width and height, or the screen's for -2 (screen) and -4 (front screen); 0 or -1.
int GetGraphicTextureSize(int graphic, int* width, int* height);

// The lighting switch (render state 137) and the reset of every stage's texture-coordinate index.
int SetLightingEnabled(int flag);
int ResetTextureCoordinateIndices();

// Tests: every setting back to its starting value, the list freed.
void ResetScreenSettingsForTests();
