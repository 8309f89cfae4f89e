// Image files written from a SoftImage: BMP (through the Windows file calls), PNG (libpng) and JPEG
// (libjpeg). Paths are the library's Windows paths. Each returns 0, or -1 on failure (nothing half
// written is left behind by the BMP writer).
#pragma once

#include <cwchar>

struct SoftImage;

// 8-bit images give an 8-bit file with the image's palette; 16-, 24- and 32-bit images a 24-bit file.
// Other depths and block-compressed images are refused (-1, nothing written).
int SaveImageAsBmp(const char* path, const SoftImage* image);
int SaveImageAsJpeg(const char* path, SoftImage* image, int quality, int extra);
int SaveImageAsPng(const char* path, SoftImage* image, int level);

// The file is opened by widePath when one is given, else by path. `extra` is not read.
int SaveJpegImage(const wchar_t* widePath, const char* path, SoftImage* image, int quality, int extra);
int SavePngImage(const wchar_t* widePath, const char* path, SoftImage* image, int level);
