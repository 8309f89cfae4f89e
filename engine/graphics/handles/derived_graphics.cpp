#include "engine/graphics/handles/derived_graphics.h"

#include <algorithm>

#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_setup.h"

int DeriveGraphicCore(int handle, int x, int y, int width, int height, int source, int relaxed) {
    const GraphicEntry* from = LookupGraphic(source, relaxed);
    // A source without an image block (drawing suspended, or not filled yet) has nothing to show.
    if (!from || !from->block || width < 1 || height < 1) return -1;
    if (x < 0 || x >= from->width || y < 0 || y >= from->height) return -1;
    width = std::min(width, from->width - x);
    height = std::min(height, from->height - y);
    return SetupDerivedGraphic(source, handle, x, y, width, height, relaxed);
}

int DeriveGraphicEx(int x, int y, int width, int height, int source, int sourceMayBeLoading) {
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    if (DeriveGraphicCore(handle, x, y, width, height, source, sourceMayBeLoading) != 0) {
        DeleteHandle(handle);
        return -1;
    }
    return handle;
}

int DeriveGraphic(int x, int y, int width, int height, int source) {
    return DeriveGraphicEx(x, y, width, height, source, 0);
}
