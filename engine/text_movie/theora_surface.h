// The Direct3D YUV surface of a Theora movie: an off-screen plain surface in "YV12", "YUY2" or "UYVY"
// that the shown frame is copied into, for graphics to stretch onto a render target without converting
// the frame on the processor.
#pragma once

struct TheoraMovie;
struct TheoraFrameSlot;

// Drops the movie's surface and makes a new one in the first format the device accepts. Only for a
// 4:2:0 picture with even width, height and offsets, in Direct3D mode with a device. async: device calls
// go to the main thread.
void CreateTheoraSurface(TheoraMovie* movie, int async);
void ReleaseTheoraSurface(TheoraMovie* movie, int async);
// Copies the slot's picture into the surface, re-creating the surface when it was dropped or will not
// lock (three tries). 1 when the surface holds the frame, else 0.
int FillTheoraSurface(TheoraMovie* movie, const TheoraFrameSlot& slot, int async);
