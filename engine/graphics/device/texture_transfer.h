// Writing images into textures: the block layout of the mip levels of a DXT texture, the per-texture
// conversion of an image rectangle into one texture (with or without mip levels), and the upload of an
// image rectangle into a graphic's textures or software image.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

struct ColorFormat;
struct SoftImage;

// One mip level of a block-compressed texture: 4 x 4 blocks of 8 bytes (DXT1) or 16 bytes (DXT2-5).
struct DxtLevelLayout {
    int blockRows;
    int rowBytes;
    int bytes;  // blockRows x rowBytes
};

// dxtKind 1..5; level 0 has the texture's size, each further level half of it (at least 1). A kind
// outside 1..5, a size below 1 or a negative level gives all zeroes.
DxtLevelLayout DxtLevelLayoutOf(int dxtKind, int width, int height, int level);

// What one texture transfer converts: source rectangle (right and bottom exclusive, inside the base
// image and the alpha image), destination position in the texture, and the converter's colour key.
struct TextureTransfer {
    D3DFORMAT format;  // the texture's
    const SoftImage* base;
    const SoftImage* alpha;  // may be null
    RECT source;
    int destX, destY;
    int keyToAlpha;
    uint32_t keyColor;    // 0x00RRGGBB
    int premultiply = 0;  // colour channels multiplied by the converted alpha (formats with alpha only)
};

// Converts the rectangle into level 0 of the texture. 0, or -1 when the lock fails (logged).
int TransferImageToSingleTexture(IDirect3DTexture9* texture, const TextureTransfer& transfer, int onWorker);
// As the single-level transfer, then every further level from a halved working copy. 0 or -1.
int TransferImageToMipTexture(IDirect3DTexture9* texture, int levels, const TextureTransfer& transfer,
                              int onWorker);

// Writes source (right and bottom exclusive) of the base image, with the alpha image when given, into
// the graphic at (destX, destY). wholeBlock 1: the block's textures in image coordinates. async: a load
// job calls (device calls go to the main thread; a graphic still loading is accepted). premultiply: a
// texture format with alpha stores each colour channel as c x a / max, rounded. 0 or -1.
int TransferImageToTextures(int graphic, const SoftImage* base, const SoftImage* alpha, const RECT& source,
                            int destX, int destY, int colourKey, int wholeBlock, int async,
                            int premultiply = 0);

// As TransferImageToTextures, the pixels read from DIB sections in the caller's formats (alpha and
// alphaFormat may be null). -1 when a handle is no DIB section or its bits per pixel differ from its
// format's.
int TransferBitmapToTextures(int graphic, HBITMAP base, HBITMAP alpha, const ColorFormat& baseFormat,
                             const ColorFormat* alphaFormat, const RECT& source, int destX, int destY,
                             int colourKey, int wholeBlock, int async, int premultiply = 0);
