// Draws of a rectangle of a graphic: through a narrowed draw area, or through a temporary graphic
// that shows only that rectangle.
#include <cstdint>

#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/soft_render_state.h"

namespace {

// The draw area (ints and floats) while a part draw narrows it; the destructor puts it back, so every
// way out of the draw restores it and the software clip.
class NarrowedDrawArea {
  public:
    explicit NarrowedDrawArea(const IntRect& narrow) {
        GetDrawArea(&saved_);
        GetDrawAreaFloat(savedF_);
        IntRect area = narrow;
        ClipRect(&area, &saved_);
        float areaF[4] = {float(area.left), float(area.top), float(area.right), float(area.bottom)};
        Store(area, areaF);
    }
    ~NarrowedDrawArea() { Store(saved_, savedF_); }
    NarrowedDrawArea(const NarrowedDrawArea&) = delete;
    NarrowedDrawArea& operator=(const NarrowedDrawArea&) = delete;

  private:
    static void Store(const IntRect& area, const float* areaF) {
        StoreDrawArea(&area, areaF);
        SetSoftClipRect(&area.left);
    }
    IntRect saved_{};
    float savedF_[4]{};
};

// Draws a temporary graphic of the source rectangle with `draw` and frees it. 0, or -1 when the
// rectangle is empty, the graphic invalid or the temporary graphic cannot be made; the draw's own
// result is not passed on.
template <class Draw>
int DrawThroughPartGraphic(int srcX, int srcY, int width, int height, int handle, Draw draw) {
    if (width < 1 || height < 1) return -1;
    if (LookupDrawableGraphic(handle, 0) == nullptr) return -1;
    int part = DeriveGraphic(srcX, srcY, width, height, handle);
    if (part == -1) return -1;
    draw(part);
    FreeGraphic(part, 0);
    return 0;
}

}  // namespace

int DrawImagePart(int x, int y, int srcX, int srcY, int width, int height, int handle, int transparent,
                  int turn) {
    if (width < 1 || height < 1) return -1;
    // The graphic is checked before the area is narrowed, so a refused draw leaves the area alone.
    GraphicEntry* graphic = LookupDrawableGraphic(handle, 0);
    if (turn && graphic == nullptr) return -1;
    const int64_t right = int64_t{x} + width, bottom = int64_t{y} + height;
    const int64_t left = turn ? int64_t{x} - graphic->width + srcX + width : int64_t{x} - srcX;
    const int64_t top = int64_t{y} - srcY;
    // A rectangle or graphic beyond the int range lies outside every draw area.
    for (int64_t v : {right, bottom, left, top})
        if (v != int64_t{int(v)}) return graphic != nullptr ? 0 : -1;
    NarrowedDrawArea area(IntRect{x, y, int(right), int(bottom)});
    if (!turn) return DrawImageAt(int(left), int(top), handle, transparent);
    return DrawImageTurned(int(left), int(top), handle, transparent);
}

int DrawImagePartRotated(int x, int y, int srcX, int srcY, int width, int height, double scale, double angle,
                         int handle, int transparent, int turn) {
    return DrawThroughPartGraphic(srcX, srcY, width, height, handle, [&](int part) {
        return DrawImageRotated(x, y, scale, angle, part, transparent, turn);
    });
}

int DrawImagePartStretchedF(float x1, float y1, float x2, float y2, int srcX, int srcY, int width, int height,
                            int handle, int transparent) {
    return DrawThroughPartGraphic(srcX, srcY, width, height, handle, [&](int part) {
        return DrawImageStretchedF(x1, y1, x2, y2, part, transparent);
    });
}
