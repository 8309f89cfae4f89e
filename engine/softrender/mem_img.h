// Software surfaces: a record (MEMIMG) that callers hold, possibly a view into a rectangle of another
// surface, and the reference-counted base (MemImgBase) that owns the pixels, palette, premultiplied
// copy and run table.
#pragma once

#include <cstdint>

struct ColorFormat;
struct SoftImage;

// 0: RGB565 (32-bit pixels with alpha in bits 16-23 when the alpha flag is set), 1: XRGB8888,
// 2: 8-bit single channel, 3: 16-bit single channel.
using MemImgKind = int32_t;

inline constexpr uint32_t kMemImgMagic = 0x12345678;

// Run-table bytes: bits 7-6 the class (0 skip, 1 opaque, 2 translucent, 3 end of row), bits 5-0 the
// run length - 1. Each row's runs are followed by kMemImgRunEnd.
using MemImgRunTable = uint8_t;
inline constexpr uint8_t kMemImgRunEnd = 0xC0;

struct MemImgBase {
    int32_t refCount;
    int32_t width;
    int32_t height;
    int32_t pitch;
    int32_t pitchLog2;
    const ColorFormat* colorFormat;
    uint32_t transparentColor;
    MemImgKind kind;
    int32_t hasPalette;
    int32_t paletteCount;
    int32_t hasAlpha;
    int32_t premultipliedValid;
    int32_t runTableValid;
    int32_t pixelsOwnedByCaller;
    uint8_t* palette;
    uint8_t* paletteCopy;
    uint8_t* pixels;
    uint8_t* premultipliedPixels;
    MemImgRunTable* runTable;
    // Bytes per pixel, and the transparent colour the run table was built with: callers may change
    // transparentColor at any time, and the table then no longer describes the pixels.
    int32_t pixelBytes;
    uint32_t runTableTransparentColor;
};

struct MEMIMG {
    uint32_t magic;
    int32_t width;
    int32_t height;
    uint8_t* pixels;
    uint8_t* premultipliedPixels;
    MemImgBase* base;
};

int InitMemImg(MEMIMG* img, int width, int height, int pitch, uint32_t transparentColor, MemImgKind kind,
               int hasPalette, int hasAlpha, int withAuxBuffers, void* callerPixels);
int CreateMemImg(MEMIMG* img, int width, int height, MemImgKind kind);
void CreateMemImgView(MEMIMG* view, const MEMIMG* source, int x, int y, int w, int h);
int IsMemImgValid(const MEMIMG* img);
void ReleaseMemImg(MEMIMG* img);
const ColorFormat* GetMemImgColorFormat(MemImgKind kind, int hasAlpha, int hasPalette);
int TransferBaseImageToMemImg(const SoftImage* image, const SoftImage* alphaImage, MEMIMG* target, int srcX,
                              int srcY, int width, int height, int destX, int destY, int colourKeyFlag);
void FillMemImgRect(MEMIMG* img, const int32_t* rect, uint32_t value);
int CopyMemImgConverted(MEMIMG* target, const MEMIMG* source, const int32_t* sourceRect, int destX,
                        int destY);

// Bytes per pixel of a kind with its (normalised) flags.
int MemImgPixelBytes(MemImgKind kind, int hasPalette, int hasAlpha);
// Pixels were written: the premultiplied copy and the run table no longer match them.
void MarkMemImgDrawn(MemImgBase* base);
// The run table may stand for the pixels: built, and the transparent colour unchanged since.
bool MemImgRunTableUsable(const MemImgBase* base);
// Builds the run table of every row of the whole base (kinds 0 and 1).
void BuildMemImgRunTable(MemImgBase* base);
// Computes the premultiplied copy of the whole base (alpha surfaces).
void BuildMemImgPremultiplied(MemImgBase* base);
