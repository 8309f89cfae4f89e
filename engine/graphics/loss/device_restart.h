// Restarting the Direct3D side after a lost device or a mode change: everything the device held is
// released and made again in a fixed order, with two user hooks around it and a restore callback that
// refills the graphics.
#pragma once

#include <cstdint>

#include "engine/graphics/graphics_services.h"

typedef void (*GraphicsRestartHook)(uintptr_t userData);

// The two hooks; each null while unset. The restore callback is kept with the draw settings.
struct GraphicsRestartState {
    GraphicsRestartHook before;
    uintptr_t beforeData;
    GraphicsRestartHook after;
    uintptr_t afterData;
    int deviceReleased;  // the device and its resources are released and not made again yet
};

extern GraphicsRestartState graphicsRestart;

// Null installs the default restore (every graphic reloaded). 0.
int SetRestoreCallback(GraphicsRestoreCallback callback);
// 1 once a callback (or the default) was installed.
int HasRestoreCallback();
// The hooks called before the release and after the restore of a restart. 0.
int SetGraphicsRestartHooks(GraphicsRestartHook before, uintptr_t beforeData, GraphicsRestartHook after,
                            uintptr_t afterData);
// The restore callback, the 3D models' default textures and every font, with asynchronous loading off. 0.
int RunRestoreCallback();
// newMode 1: the screen takes the given mode; 0: the mode stays and the input devices are restarted. A
// device that cannot be made leaves the software renderer with a fresh screen image. 0.
int RestartGraphics(int colorBits, int width, int height, int refreshRate, int newMode);
int RestartGraphicsKeepMode();
// In Direct3D mode the mask screen and every device resource, then the Direct3D side. A second call
// before the restart does nothing. 0.
int ReleaseGraphicsDevice();
// The blend-graphic setter with kind 1; its result.
int SetBlendGraphicKind1(int graphic, int paramA, int paramB);

// Tests: no callback, no hooks.
void ResetGraphicsRestartForTests();
