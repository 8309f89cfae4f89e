// Bringing the Direct3D side of graphics up and down, and the full-screen display mode. A device that
// cannot be made is no failure: drawing then goes to the software renderer (Direct3DMode 0).
#pragma once

// 0 (device made, or software renderer chosen); -1 when d3d9.dll or the DirectDraw object is missing,
// or the full-screen display mode cannot be set.
int StartGraphicsSystem();
// Releases every device-wide object, the device, the Direct3D and DirectDraw objects and the module,
// restores the desktop's display mode where this side set it, and frees the display-mode list. 0.
int EndGraphicsSystem();
// Sets the full-screen display mode to the screen settings (without the refresh rate when refused; a
// 320 x 240 screen falls back to a 640 x 480 mode with half-size emulation). 0 or -1.
int ApplyDisplayMode();
void* GetDirectDrawObjectAlias();
