// The library's in-memory image: a pixel block in main memory with its complete pixel format.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"

// Rows run top to bottom; pixel (x, y) lies at pixels + y x pitch + x x pixel bytes. The pixel block is
// owned by the image (tracked allocator). A zeroed image is the empty state.
struct SoftImage {
    ColorFormat format;
    int32_t width;
    int32_t height;
    int32_t pitch;  // 0 for block-compressed images
    void* pixels;
    int32_t mipCount;  // 0 or 1: one level; n >= 2: n levels one after another
};

int CreateSoftImage(int width, int height, const ColorFormat* format, SoftImage* image);
// As CreateSoftImage, with every byte of the pixel block 0 (pages fresh from the system are not written).
int CreateZeroedSoftImage(int width, int height, const ColorFormat* format, SoftImage* image);
int CreateSoftImageArgb8(int width, int height, SoftImage* image);
int CreateSoftImageXrgb8(int width, int height, SoftImage* image);
int ReleaseSoftImage(SoftImage* image);

// Bytes of one level of a pixel block: level 0 of a plain image is pitch x height; level i covers
// max(1, width >> i) x max(1, height >> i) pixels, or for DXT ceil(w / 4) x ceil(h / 4) blocks.
// -1 for a format code above 5.
int64_t GetImageLevelSize(const ColorFormat* format, int width, int height, int pitch, int level);
// Bytes of the pixel block including every mip level; -1 for a format code above 5.
int64_t GetImageDataSizeFor(const ColorFormat* format, int width, int height, int pitch, int mipCount);
int GetImageDataSize(const SoftImage* image);

int ClearSoftImageRect(SoftImage* image, int x, int y, int width, int height);
int MirrorImageHorizontally(SoftImage* image);
int FlipImageVertically(SoftImage* image);
int RotateImage180(SoftImage* image);

int GetImagePixelRgba(SoftImage* image, int x, int y, int* r, int* g, int* b, int* a);
int SetImagePixelRgba(SoftImage* image, int x, int y, int r, int g, int b, int a);
// The pixel as 0xAARRGGBB; 0 outside the image, for palette images and for an image without pixels.
uint32_t GetImagePixelArgb(const SoftImage* image, int x, int y);

// Raw pixel values of 1 to 4 bytes, stored little-endian.
uint32_t ReadPixelValue(const uint8_t* p, int pixelBytes);
void WritePixelValue(uint8_t* p, int pixelBytes, uint32_t value);

int InitSoftImageModule();
int EndSoftImageModule();
