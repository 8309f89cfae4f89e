// The scene latch: BeginScene at most once per frame, closed again at the flip, before a capture or a
// back-buffer lock and when the device is released.
#pragma once

// 1 while a BeginScene is open, else 0.
extern int sceneLatch;

// With a device and no scene open: BeginScene, latch 1, and the draw-state latch cleared. 0.
int BeginSceneIfNeeded();
// With a device and a scene open: EndScene, latch 0. 0.
int EndSceneIfBegun();
