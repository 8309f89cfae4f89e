#include "platform/d3d9/present.h"

#include "platform/d3d9/presented_picture.h"
#include "platform/d3d9/surface_copy.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"

namespace d3d9 {

void PresentPicture(const SurfaceStore& back_buffer, IntRect source, const IntRect* dest, HWND window) {
    RECT client{};
    IntRect area = GetClientRect(window, &client) ? FromRect(client) : back_buffer.Bounds();
    IntRect target = dest ? *dest : area;
    // Only the part inside the client area is stretched, in 32 bits, with StretchRect's point rule.
    IntRect visible = Intersect(target, area);
    // Kept between presents: every pixel of it is written each time.
    thread_local SurfaceStore frame;
    if (!visible.Empty()) {
        if (frame.width != visible.Width() || frame.height != visible.Height())
            frame.Allocate(D3DFMT_X8R8G8B8, visible.Width(), visible.Height());
        StretchPointPart(back_buffer, source, target, visible, frame, 0, 0);
        RECT shown{visible.left, visible.top, visible.right, visible.bottom};
        HostPresent(window, frame.bits.data(), frame.width, frame.height, frame.pitch, &shown);
    }
    PaintPresentedPicture(window, area.Width(), area.Height(), frame, visible);
}

}  // namespace d3d9
