// The mask screen: while mask drawing is on, every 2D draw lands on a mask screen that first receives
// the affected rectangle of the real draw screen; afterwards the rectangle goes back to the draw screen
// only where the byte-per-pixel mask lets it. Nested draws count, so only the outermost pair copies.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/softrender/mem_img.h"
#include "platform/d3d9/d3d9.h"

constexpr int kMaskHandleLimit = 512;

// The data of a mask handle: its mask bytes (tracked allocator), freed with the handle.
struct MaskHandleData {
    HandleHeader header;
    uint8_t* buffer;
};

struct MaskScreenState {
    int registered;
    uint8_t* buffer;  // one byte per logical-screen pixel; kept across restarts
    int bufferWidth;
    int bufferHeight;
    int pitch;         // the width rounded up to a multiple of 4
    int reverse;       // 0: drawing shows where the byte is 0; 1: where it is not 0
    int pendingApply;  // the mask screen holds drawing not yet carried to the draw screen
    int createParam;   // non-zero: the mask screen exists
    int enabled;       // the switch of SetMaskDrawingEnabled
    int active;        // switch on and the mask screen made
    int nesting;
    MEMIMG memImg;  // software: where the draws go while active
    int memImgCreated;
    IDirect3DTexture9* imageTexture;  // the mask bytes as alpha
    IDirect3DTexture9* screenTexture;
    IDirect3DSurface9* screenSurface;  // level 0 of screenTexture: render target 0 while active
    IDirect3DSurface9* drawSurface;    // the real draw screen during a draw (own reference)
    int textureWidth;
    int textureHeight;
};

extern MaskScreenState maskScreen;

// 0, or -1 when registered already.
int RegisterMaskHandleType();
int ReleaseMaskData(HandleHeader* data);
// The mask bytes, made (zeroed) when missing or when the logical screen size changed; null without
// memory. pitch may be null.
uint8_t* GetMaskBuffer(int* pitch);
// create 0 does nothing; else makes what is missing: the buffer, and the mask MEMIMG (software) or the
// two textures (Direct3D; the image texture filled from the buffer). Ends the process when a texture or
// image cannot be made. 0.
int CreateMaskScreen(int create);
// Writes the mask bytes into the mask image texture again (after the bytes changed). 0, or -1 when there
// is no texture or it cannot be locked.
int UpdateMaskImageTexture();
// Releases the mask MEMIMG and textures; the mask bytes stay. 0.
int ReleaseMaskScreen();
// -1 unless the type is registered and the mask bytes exist; applies a pending mask first. 0.
int SetMaskDrawingEnabled(int on);
int GetMaskDrawingEnabled();
// A pending mask: the mask screen's pixels over the draw area go to the draw screen where the mask lets
// them (only while mask drawing is on); the pending flag is cleared either way. 0.
int ApplyPendingMask();
// Around each draw, with the destination rectangle (right and bottom exclusive); the begin applies a
// pending mask first. 0.
int BeginMaskDraw(int x1, int y1, int x2, int y2);
int ApplyMaskToDrawnArea(int x1, int y1, int x2, int y2);
// Mask drawing off, the screen released, every mask handle deleted, the type ended; -1 when not
// registered. 0.
int EndMaskSystem();
// After a restart: the mask screen made again and the switch restored; -1 when not registered.
int RestoreMaskScreen();
