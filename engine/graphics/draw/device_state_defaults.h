// The starting states the library gives a device at graphics start.
#pragma once

// Shaders unbound, the vertex batch prefilled, sampler addresses (0 becomes clamp) and filters, the fixed
// render states, the viewport read back into the cache, the stage setup cleared, then every cached state
// written, a scene begun and the draw states prepared once without a texture. 0 (nothing without a
// device).
int ReapplyDeviceStates();
