// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once

// Image filters: 1 once the start's self-test found the shader filters exact.
extern int ShaderFilterVerified;

// The device and its state cache given their starting values at graphics start. 0.
int ReapplyDeviceStates();
// Device restart: render-target slots 1 and up bound again to their graphics. 0.
int RebindRenderTargetSlots();
