// The graphics step of library init and end: screen defaults, the graphics system started (Direct3D or
// the software renderer), the screen's software image in software mode, and the font system.
#pragma once

// 1 between a successful InitGraphicsSystem and ShutdownGraphics.
extern int graphicsStarted;
