// Reading what was drawn: a rectangle of the draw screen (or of a drawable graphic) made readable as an
// image record, by a direct lock of its surface or through a copy in system memory.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

struct SoftImage;

// The lock held between LockBackBuffer and ReleaseBackBufferLock. Each surface carries a reference of
// its own.
struct BackBufferLockState {
    int locked;
    IDirect3DSurface9* directSurface;  // locked in place
    IDirect3DSurface9* systemSurface;  // the system-memory copy, locked
};

extern BackBufferLockState backBufferLock;

// rect {x1, y1, x2, y2} of the draw screen (graphic -1) or of the graphic; readOnly locks with
// D3DLOCK_READONLY; textureIndex picks the texture of a graphic split over several. A lock still held is
// released first. The record's pixels point at (x1, y1); its width and height are the rectangle's. 0 or
// -1 (nothing held then).
int LockBackBuffer(const RECT* rect, SoftImage* image, int graphic, int readOnly, int textureIndex);
// Unlocks and releases what the lock holds. 0.
int ReleaseBackBufferLock();
// Draws the pending vertex batch; its result.
int FlushVertexBatchEntry();
