// Vertex-buffer and index-buffer handles (types 15 and 16): a device buffer with a system-memory copy
// of its contents, so that the buffer can be made again after a device restart.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "platform/d3d9/d3d9.h"

inline constexpr int kDeviceBufferLimit = 16384;

struct DeviceBufferRecord {
    HandleHeader header;
    int32_t elementSize;  // bytes
    int32_t count;        // elements
    void* copy;           // tracked, elementSize x count bytes
    IUnknown* buffer;     // IDirect3DVertexBuffer9 or IDirect3DIndexBuffer9; null while none
};

// The delete callback of both types: releases the device buffer and the copy.
int DeviceBufferDeleteCallback(HandleHeader* data);

// A buffer of `count` elements of `elementSize` bytes (index buffers: 2), zero-filled, with its device
// buffer when a device exists. New handle or -1.
int CreateDeviceVertexBuffer(int elementSize, int count);
int CreateDeviceIndexBuffer(int count);

// Writes `count` elements at `first` into the device buffer (when there is one) and into the copy.
// -1 for an invalid handle, a negative first or count, or a range past the end; count 0 writes nothing.
int SetVertexBufferData(int first, const void* data, int count, int handle);
int SetIndexBufferData(int first, const void* data, int count, int handle);

// Before a device restart: every buffer handle of the type loses its device buffer; the copy stays. 0.
int ReleaseDeviceBufferObjects(int type);
// After a device restart: a new device buffer for every buffer handle of the type, refilled from its
// copy. 0.
int RecreateDeviceBufferObjects(int type);
