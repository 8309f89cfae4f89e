// Choosing the draw target and the further render-target slots, and binding surfaces to the device's
// render targets.
#pragma once

#include "platform/d3d9/d3d9.h"

// slot 0..count-1 (the device's simultaneous render targets); slot 0 is SelectDrawTarget. 0 or -1.
int SetRenderTargetSlot(int slot, int graphic);
// Binds surface (may be null) to the device's render target slot 0..15; slot 0 also resets the viewport
// to the whole surface. 0; -1 without a device.
int SetRenderTargetSurface(IDirect3DSurface9* surface, int slot);
// After a device restart: the graphics of slots 1 and up bound again to the new device. 0.
int RebindRenderTargetSlots();
// Slots 1 and up emptied (after the device was made again). 0.
int ClearRenderTargetSlots();
// Makes handle the draw target without touching the draw area; the previous draw target.
int SwapDrawScreen(int handle);
// The graphic of a slot (slot 0: the draw target, which may be a screen value); -1 when none.
int GetRenderTargetSlotGraphic(int slot);
