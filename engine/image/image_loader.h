// Loading images from files or memory through the image readers, with alpha images, and stretching one
// image into a rectangle of another.
#pragma once

#include <cstdint>

#include "engine/core/files/file_access.h"
#include "engine/image/dib_convert.h"
#include "engine/image/image_readers.h"
#include "engine/image/soft_image.h"

constexpr int kMaxExtraImageReaders = 10;

struct ImageLoaderContext {
    ImageReaderFunction extraReaders[kMaxExtraImageReaders];  // tried before the built-in table
    int extraReaderCount;
    FileAccessTable fileFunctions;
    StreamFunctions fileStream;
    StreamFunctions memoryStream;
};

int FillImageLoaderContext(ImageLoaderContext* context);

// 0 when a reader decoded the source into image, -1 when none did.
int RunImageReaders(const ImageLoaderContext* context, StreamDescriptor* stream, SoftImage* image);

// The load core: from a file (path) or a block of memory (data, size). With mirror 1 the image is decoded
// from block compression and every row reversed. Without DIB output the image goes to imageOut (the
// caller owns its pixels). With DIB output the caller gets a header (*headerOut) and the pixels in DIB
// layout (*bitsOut), both to be freed with the tracked allocator, and imageOut is not written.
// 0, or -1 (the outputs untouched).
int LoadSoftImageFromStream(const ImageLoaderContext* context, const char* path, const void* data,
                            uint32_t size, int fromMemory, int dibOutput, int mirror, SoftImage* imageOut,
                            DibInfo** headerOut, void** bitsOut);
int LoadSoftImage(const char* path, const void* data, uint32_t size, int fromMemory, int dibOutput,
                  int mirror, SoftImage* imageOut, DibInfo** headerOut, void** bitsOut);
int LoadSoftImagePlain(const char* path, const void* data, uint32_t size, int fromMemory, SoftImage* imageOut,
                       int mirror);

// Alpha mode 0: the alpha image is the file MakeAlphaImageName(path); 1: the memory block alphaData;
// other: none. -1 when the image failed, 0 when both loaded, 1 when only the image loaded.
int LoadSoftImageWithAlpha(const ImageLoaderContext* context, const char* path, const void* data,
                           uint32_t size, int fromMemory, const void* alphaData, uint32_t alphaSize,
                           int alphaMode, SoftImage* imageOut, SoftImage* alphaOut, int mirror);
int LoadSoftImageWithAlphaDefault(const char* path, const void* data, uint32_t size, int fromMemory,
                                  const void* alphaData, uint32_t alphaSize, int alphaMode,
                                  SoftImage* imageOut, SoftImage* alphaOut, int mirror);

// out = name with "_a" before the extension of its last path component, or appended when it has none.
// out needs room for the name and 3 more bytes.
int MakeAlphaImageName(const char* name, char* out);

int BlitWholeImage(int destX, int destY, SoftImage* source, SoftImage* destination);
// Nearest (bilinear 0) or bilinear sampling of the source rectangle into the target rectangle (right and
// bottom exclusive); 0, or -1 for a rectangle that is not valid.
int StretchImageRect(int sx1, int sy1, int sx2, int sy2, SoftImage* source, int tx1, int ty1, int tx2,
                     int ty2, SoftImage* destination, int bilinear);
