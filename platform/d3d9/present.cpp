#include "platform/d3d9/present.h"

#include "platform/d3d9/presented_picture.h"
#include "platform/d3d9/surface_copy.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"

namespace d3d9 {
namespace {

// A 32-bit back buffer shown one to one is already the frame: the host and the picture take its rows
// (both set the X byte themselves).
bool ShownAsItIs(const SurfaceStore& back_buffer, IntRect source, IntRect target, IntRect visible) {
    const IntRect inside = Intersect(source, back_buffer.Bounds());
    return back_buffer.format == D3DFMT_X8R8G8B8 && source.Width() == target.Width() &&
           source.Height() == target.Height() && inside.Width() == source.Width() &&
           inside.Height() == source.Height() && visible.Width() == target.Width() &&
           visible.Height() == target.Height();
}

}  // namespace

void PresentPicture(const SurfaceStore& back_buffer, IntRect source, const IntRect* dest, HWND window) {
    RECT client{};
    IntRect area = GetClientRect(window, &client) ? FromRect(client) : back_buffer.Bounds();
    IntRect target = dest ? *dest : area;
    // Only the part inside the client area is stretched, in 32 bits, with StretchRect's point rule.
    IntRect visible = Intersect(target, area);
    if (visible.Empty()) {
        PaintPresentedPicture(window, area.Width(), area.Height(), nullptr, 0, visible);
        return;
    }
    const RECT shown{visible.left, visible.top, visible.right, visible.bottom};
    if (ShownAsItIs(back_buffer, source, target, visible)) {
        const uint8_t* pixels = back_buffer.At(source.left, source.top);
        HostPresent(window, pixels, visible.Width(), visible.Height(), back_buffer.pitch, &shown);
        PaintPresentedPicture(window, area.Width(), area.Height(), pixels, back_buffer.pitch, visible);
        return;
    }
    // Kept between presents: every pixel of it is written each time.
    thread_local SurfaceStore frame;
    if (frame.width != visible.Width() || frame.height != visible.Height())
        frame.Allocate(D3DFMT_X8R8G8B8, visible.Width(), visible.Height());
    StretchPointPart(back_buffer, source, target, visible, frame, 0, 0);
    HostPresent(window, frame.bits.data(), frame.width, frame.height, frame.pitch, &shown);
    PaintPresentedPicture(window, area.Width(), area.Height(), frame.bits.data(), frame.pitch, visible);
}

}  // namespace d3d9
