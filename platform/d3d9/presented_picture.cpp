#include "platform/d3d9/presented_picture.h"

#include <cstring>
#include <mutex>

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
    for (int y = dest.top; y < dest.bottom; ++y) {
        const uint8_t* in = pixels + size_t(y - dest.top) * size_t(pitch);
        uint32_t* out = picture.pixels.data() + size_t(y) * size_t(width);
        for (int x = dest.left; x < dest.right; ++x, in += 4) {
            uint32_t value;
            std::memcpy(&value, in, 4);
            out[x] = value | 0xFF000000u;
        }
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
