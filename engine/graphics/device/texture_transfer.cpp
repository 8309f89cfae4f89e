#include "engine/graphics/device/texture_transfer.h"

#include <algorithm>

DxtLevelLayout DxtLevelLayoutOf(int dxtKind, int width, int height, int level) {
    if (dxtKind < 1 || dxtKind > 5 || width < 1 || height < 1 || level < 0 || level > 30) return {};
    const int levelWidth = std::max(1, width >> level);
    const int levelHeight = std::max(1, height >> level);
    const int blockBytes = dxtKind == 1 ? 8 : 16;
    DxtLevelLayout layout;
    layout.blockRows = (levelHeight + 3) / 4;
    layout.rowBytes = (levelWidth + 3) / 4 * blockBytes;
    layout.bytes = layout.blockRows * layout.rowBytes;
    return layout;
}
