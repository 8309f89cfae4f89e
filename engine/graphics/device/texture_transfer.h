// Writing images into textures: the block layout of the mip levels of a DXT texture.
#pragma once

// One mip level of a block-compressed texture: 4 x 4 blocks of 8 bytes (DXT1) or 16 bytes (DXT2-5).
struct DxtLevelLayout {
    int blockRows;
    int rowBytes;
    int bytes;  // blockRows x rowBytes
};

// dxtKind 1..5; level 0 has the texture's size, each further level half of it (at least 1). A kind
// outside 1..5, a size below 1 or a negative level gives all zeroes.
DxtLevelLayout DxtLevelLayoutOf(int dxtKind, int width, int height, int level);
