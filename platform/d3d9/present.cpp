#include "platform/d3d9/present.h"

#include <cstring>

#include "platform/d3d9/presented_picture.h"
#include "platform/d3d9/surface_copy.h"

namespace d3d9 {

void PresentPicture(const SurfaceStore& back_buffer, IntRect source, IntRect dest, HWND window) {
    // The window keeps what earlier presents showed outside the destination rectangle.
    D3D9PresentedPicture previous = CopyPresentedPicture();
    SurfaceStore picture;
    picture.Allocate(D3DFMT_A8R8G8B8, back_buffer.width, back_buffer.height);
    if (previous.width == UINT(picture.width) && previous.height == UINT(picture.height) &&
        previous.window == window)
        for (int y = 0; y < picture.height; ++y)
            std::memcpy(picture.Row(y), previous.pixels.data() + size_t(y) * previous.width,
                        size_t(picture.width) * 4);
    IntRect visible = Intersect(dest, picture.Bounds());
    if (!visible.Empty()) {
        // Stretch into a scratch picture of the whole destination, then keep the visible part.
        SurfaceStore stretched;
        stretched.Allocate(D3DFMT_X8R8G8B8, dest.Width(), dest.Height());
        StretchPoint(back_buffer, source, stretched, stretched.Bounds());
        CopyRect(stretched,
                 {visible.left - dest.left, visible.top - dest.top, visible.right - dest.left,
                  visible.bottom - dest.top},
                 picture, visible.left, visible.top);
    }
    D3D9PresentedPicture out;
    out.width = UINT(picture.width);
    out.height = UINT(picture.height);
    out.window = window;
    out.pixels.resize(size_t(picture.width) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(out.pixels.data() + size_t(y) * out.width, picture.Row(y), size_t(picture.width) * 4);
    StorePresentedPicture(std::move(out));
}

}  // namespace d3d9
