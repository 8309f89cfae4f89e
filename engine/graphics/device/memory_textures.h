// System-memory textures borrowed for transfers: a pool of 2048 entries, each a dynamic texture of one
// shape (size, level count, graphic format index), lent out busy and given back.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

inline constexpr int kMemoryTextureCount = 2048;
// At most this many textures of one shape are lent out at once.
inline constexpr int kMemoryTextureShapeLimit = 16;

struct MemoryTexture {
    uint8_t inUse;
    uint8_t busy;
    uint16_t width;
    uint16_t height;
    uint8_t levelCount;
    uint8_t formatIndex;  // graphic format index into the texture formats of the format table
    uint32_t useCount;
    IDirect3DTexture9* texture;
};

struct MemoryTexturePool {
    MemoryTexture entries[kMemoryTextureCount];
    int count;  // entries in use
};

extern MemoryTexturePool memoryTexturePool;

// The Direct3D texture format of a graphic format index (0 when none was found or the index is outside
// 0..24).
D3DFORMAT TextureFormatOfIndex(int formatIndex);

// The index of a memory texture of that shape, now busy; -1 when 16 of the shape are lent out, the pool
// is full of busy entries, or the texture cannot be made. onWorker 1: run on the main thread.
int AcquireMemoryTexture(int width, int height, int levelCount, int formatIndex, int onWorker);
// Gives an entry back. 0, or -1 for an index that is not in use.
int ReturnMemoryTexture(int index, int onWorker);
// Releases the texture of every entry in use; the entries stay for RecreateMemoryTextures. 0.
int ReleaseMemoryTextureObjects();
// Makes the texture of every entry in use again; a failure is logged and the next goes on. 0.
int RecreateMemoryTextures();
// Releases every memory texture and empties the pool. 0.
int ReleaseAllMemoryTextures();
