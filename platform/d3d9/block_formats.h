// The block-compressed formats DXT1 to DXT5: 4 x 4 texel blocks of 8 bytes (DXT1) or 16 bytes, decoded
// texel by texel when sampled. DXT2 and DXT4 hold premultiplied colour and read as stored.
#pragma once

#include <cstdint>

#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

// The texel (x, y), each 0..3, of a block of the format.
Color DecodeBlockTexel(D3DFORMAT format, const uint8_t* block, int x, int y);

}  // namespace d3d9
