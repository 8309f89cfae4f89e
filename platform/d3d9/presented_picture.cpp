#include "platform/d3d9/presented_picture.h"

#include <mutex>

#include "platform/host/picture_stretch.h"

namespace d3d9 {
namespace {

std::mutex picture_mutex;
D3D9PresentedPicture& Picture() {
    static D3D9PresentedPicture picture;
    return picture;
}

}  // namespace

void PaintPresentedPicture(HWND window, int width, int height, const uint8_t* pixels, int pitch,
                           IntRect dest) {
    std::lock_guard lock(picture_mutex);
    D3D9PresentedPicture& picture = Picture();
    if (picture.window != window || picture.width != UINT(width) || picture.height != UINT(height)) {
        picture.window = window;
        picture.width = UINT(width);
        picture.height = UINT(height);
        picture.pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
    }
    if (!dest.Empty()) {
        const StretchSource rows{pixels, dest.Width(), dest.Height(), pitch};
        const StretchTarget into{picture.pixels.data(), width, height};
        StretchPicture(rows, RECT{dest.left, dest.top, dest.right, dest.bottom}, into, 0xFF000000u);
    }
    ++picture.present_count;
}

D3D9PresentedPicture CopyPresentedPicture() {
    std::lock_guard lock(picture_mutex);
    return Picture();
}

void ClearPresentedPicture() {
    std::lock_guard lock(picture_mutex);
    Picture() = {};
}

}  // namespace d3d9
