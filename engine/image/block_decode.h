// Decoding of DXT1-DXT5 block data into plain 32-bit ARGB pixels.
#pragma once

#include <cstdint>

struct SoftImage;

// Replaces the block data of a block-compressed image by ARGB8 pixels in place; 0 (also for an image that
// is not block-compressed), -1 when the output can't be allocated (the image is then unchanged).
int DecodeBlockCompressedImage(SoftImage* image);

// One 4 x 4 block of the given DXT format code (1-5) into 16 texels of bytes B, G, R, A, row-major.
void DecodeDxtBlock(int formatCode, const uint8_t* block, uint8_t texels[16][4]);
