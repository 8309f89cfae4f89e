#include "engine/image/block_decode.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/soft_image.h"

namespace {

uint32_t ReadU16(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}

uint64_t ReadU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// Colour block: two 5-6-5 endpoints and 2-bit indices. Writes B, G, R, A of the 16 texels.
void DecodeColorBlock(const uint8_t* block, bool allowThreeColor, uint8_t texels[16][4]) {
    uint32_t e0 = ReadU16(block);
    uint32_t e1 = ReadU16(block + 2);
    uint8_t colors[4][4];
    for (int i = 0; i < 2; ++i) {
        uint32_t e = i == 0 ? e0 : e1;
        colors[i][0] = static_cast<uint8_t>((e & 0x1F) * 255 / 31);
        colors[i][1] = static_cast<uint8_t>(((e >> 5) & 0x3F) * 255 / 63);
        colors[i][2] = static_cast<uint8_t>((e >> 11) * 255 / 31);
        colors[i][3] = 255;
    }
    bool fourColor = !allowThreeColor || e0 > e1;
    for (int c = 0; c < 3; ++c) {
        if (fourColor) {
            colors[2][c] = static_cast<uint8_t>((2 * colors[0][c] + colors[1][c]) / 3);
            colors[3][c] = static_cast<uint8_t>((colors[0][c] + 2 * colors[1][c]) / 3);
        } else {
            colors[2][c] = static_cast<uint8_t>((colors[0][c] + colors[1][c]) / 2);
            colors[3][c] = colors[2][c];
        }
    }
    colors[2][3] = 255;
    colors[3][3] = fourColor ? 255 : 0;
    uint32_t indices = ReadU16(block + 4) | ReadU16(block + 6) << 16;
    for (int t = 0; t < 16; ++t) std::memcpy(texels[t], colors[(indices >> (2 * t)) & 3], 4);
}

void DecodeExplicitAlpha(const uint8_t* block, uint8_t texels[16][4]) {
    uint64_t nibbles = ReadU64(block);
    for (int t = 0; t < 16; ++t) texels[t][3] = static_cast<uint8_t>(((nibbles >> (4 * t)) & 0xF) * 255 / 15);
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t texels[16][4]) {
    int a0 = block[0], a1 = block[1];
    int table[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i <= 6; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i <= 4; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        table[6] = 0;
        table[7] = 255;
    }
    uint64_t indices = ReadU64(block) >> 16;
    for (int t = 0; t < 16; ++t) texels[t][3] = static_cast<uint8_t>(table[(indices >> (3 * t)) & 7]);
}

// Premultiplied colour back to straight colour; alpha 0 gives black, quotients above 255 are clamped.
void Unpremultiply(uint8_t texels[16][4]) {
    for (int t = 0; t < 16; ++t) {
        int a = texels[t][3];
        for (int c = 0; c < 3; ++c)
            texels[t][c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, texels[t][c] * 255 / a));
    }
}

}  // namespace

void DecodeDxtBlock(int formatCode, const uint8_t* block, uint8_t texels[16][4]) {
    if (formatCode == COLOR_FORMAT_DXT1) {
        DecodeColorBlock(block, true, texels);
        return;
    }
    DecodeColorBlock(block + 8, false, texels);
    if (formatCode <= COLOR_FORMAT_DXT3) {
        DecodeExplicitAlpha(block, texels);
    } else {
        DecodeInterpolatedAlpha(block, texels);
    }
    if (formatCode == COLOR_FORMAT_DXT2 || formatCode == COLOR_FORMAT_DXT4) Unpremultiply(texels);
}

int DecodeBlockCompressedImage(SoftImage* image) {
    int code = image->format.formatCode;
    if (code == COLOR_FORMAT_PLAIN) return 0;
    if (code > COLOR_FORMAT_DXT5 || image->width < 0 || image->height < 0 || image->width > INT32_MAX / 4)
        return -1;
    size_t pitch = static_cast<size_t>(image->width) * 4;
    auto* out = static_cast<uint8_t*>(ImageAllocZeroed(pitch * static_cast<size_t>(image->height)));
    if (!out) return -1;
    // Blocks are stored row-major over a grid that covers the whole image (partial blocks at the edges).
    int blockBytes = code == COLOR_FORMAT_DXT1 ? 8 : 16;
    int blocksX = (image->width + 3) / 4;
    int blocksY = (image->height + 3) / 4;
    const auto* block = static_cast<const uint8_t*>(image->pixels);
    for (int by = 0; by < blocksY && block; ++by) {
        for (int bx = 0; bx < blocksX; ++bx, block += blockBytes) {
            uint8_t texels[16][4];
            DecodeDxtBlock(code, block, texels);
            int columns = std::min(4, image->width - bx * 4);
            int rows = std::min(4, image->height - by * 4);
            for (int y = 0; y < rows; ++y) {
                std::memcpy(out + (by * 4 + y) * pitch + bx * 16, texels[y * 4],
                            static_cast<size_t>(columns) * 4);
            }
        }
    }
    if (image->pixels) ImageFree(image->pixels);
    image->pixels = out;
    SetColorFormatArgb8(&image->format);
    image->pitch = static_cast<int32_t>(pitch);
    image->mipCount = 0;
    return 0;
}
