#include "platform/d3d9/presented_picture.h"

#include <mutex>

namespace d3d9 {
namespace {

std::mutex picture_mutex;
D3D9PresentedPicture& Picture() {
    static D3D9PresentedPicture picture;
    return picture;
}

}  // namespace

void StorePresentedPicture(D3D9PresentedPicture picture) {
    std::lock_guard lock(picture_mutex);
    picture.present_count = Picture().present_count + 1;
    Picture() = std::move(picture);
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
