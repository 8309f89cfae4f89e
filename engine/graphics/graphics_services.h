// The graphics calls that the library's frame makes: screen and display modes, the device's life around
// window activation and mode changes, draw-target and flip control, and the graphics step of init and end.
#pragma once

#include <cstdint>

struct DisplayMode {
    int width;
    int height;
    int colorBits;
    int refreshRate;
};

typedef void (*GraphicsRestoreCallback)();

// Init and end.
int InitGraphicsSystem();  // negative: init fails
int ShutdownGraphics();
int RegisterModelHandleTypes();
int EndModelHandleTypes();

// Screen and display modes.
int GetColorDepth();
int GetDisplayModeCount();
int GetDisplayModeAt(int index, DisplayMode* mode);
int GetLogicalScreenSize(int* width, int* height);
int GetScreenSize(int* width, int* height, int* colorBits);
int SetScreenSize(int width, int height);
int SetHalfSizeEmulation(int flag);
int GetHalfSizeEmulation();
int IsHardwareDrawingEnabled();
int IsFullScreenMode();
int ChangeScreenModeCore(int width, int height, int colorBits, int keepGraphics, int refreshRate);

// The device.
int HasD3DDevice();
int IsDeviceLost();
void* GetDirectDrawObject();
int IsDisplayReady();
int ReleaseGraphicsDevice();
int RestartGraphicsKeepMode();
int EndSceneIfBegun();
int SetRestoreCallback(GraphicsRestoreCallback callback);
int HasRestoreCallback();
int SetDialogBoxModeSafe(int flag);
int SetDialogBoxModeFlag(int flag);
int GetDialogBoxModeFlag();

// Drawing state and the flip.
int GetDrawTargetHandle();
int FlipFrameEntry();
int SetWaitVerticalSync(int flag);
int IsWaitVerticalSync();
int SetTextureFilterMode(int mode);
int GetTextureFilterMode();
int GetMaskDrawingEnabled();
int SetMaskDrawingEnabled(int flag);
int CopyDrawScreenToGraphic(int x1, int y1, int x2, int y2, int graphic);
int IsGraphicAlive(int graphic);
int GetGraphicSize(int graphic, int* width, int* height);
