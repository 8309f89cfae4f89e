// Where drawing goes: the render-target slots (slot 0 is the draw target), the draw target's size, and
// the draw area every draw is clipped to.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"
#include "platform/d3d9/d3d9.h"

constexpr int kRenderTargetSlotLimit = 16;

struct DrawTargetState {
    int32_t slots[kRenderTargetSlotLimit];  // graphic handles; slot 0 may also be a screen value; 0: none
    IDirect3DSurface9* boundSurfaces[kRenderTargetSlotLimit];  // what the device was last given
    int32_t width, height;                                     // of the draw target
    IntRect area;                                              // right and bottom exclusive
    float areaF[4];                                            // the same, for the Direct3D kernels
    IntRect requested;       // as last passed to SetClipRect, re-applied after a device restart
    int32_t emptyArea;       // the area has no pixels: draws do nothing
    int32_t screenLogGuard;  // the flip is drawing the on-screen log
};

extern DrawTargetState drawTargetState;

// The screen values a draw target may take: -2 back buffer, -4 front screen; -3 and -5 act as the screen.
bool IsScreenTarget(int handle);

// The size of a draw target: the screen's for a screen value, else the live graphic's. 0, or -1 when
// handle is neither.
int GetDrawTargetSize(int handle, int* width, int* height);

int GetDrawTargetHandle();
// The draw area of the current draw target (right and bottom exclusive). 0.
int GetDrawArea(IntRect* area);

// 1 while the draw area has no pixels.
int IsDrawAreaEmpty();
// The draw area stored as given (ints, floats and the software clip), nothing else touched: the part
// draws narrow it for one draw and put it back. 0.
int StoreDrawArea(const IntRect* area, const float* areaF);
// The draw area as floats for the Direct3D kernels. 0.
int GetDrawAreaFloat(float area[4]);
// The current draw area written again to the device's viewport and scissor. 0, or -1 without a device.
int ApplyDrawAreaToDevice();
// Render target 0 was set on the device outside the slot functions (the sub back buffer switch).
int NoteRenderTarget0(IDirect3DSurface9* surface);

// Tests: the back buffer as target, no size, no area, empty slots.
void ResetDrawTargetStateForTests();
