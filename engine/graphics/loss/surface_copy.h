// Copies of a device surface into system memory, as the capture and the back-buffer lock read them.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

// A system-memory surface of rect's size (null: the whole surface of width x height) holding that part
// of surface. The copy goes through a render target of that size, or for a whole surface straight by
// GetRenderTargetData first. Null when a step fails; the failing creation is logged and whatever was
// made is released.
IDirect3DSurface9* CopySurfaceToSystemMemory(IDirect3DSurface9* surface, D3DFORMAT format, const RECT* rect,
                                             int width, int height, const char* systemFailureMessage,
                                             const char* targetFailureMessage);
