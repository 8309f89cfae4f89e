// The frame flip: draws the on-screen log over the frame and presents it.
#include "engine/graphics/target/frame_flip.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/memory/screen_log.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/kernels/sub_back_buffer.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/soft_render_state.h"

namespace {

// The log is drawn over the whole screen unblended and untinted; the caller's settings come back after.
void DrawScreenLogOverFrame() {
    DrawTargetState& s = drawTargetState;
    const IntRect requested = s.requested;
    const int mode = drawSettings.blendMode, param = drawSettings.blendParam;
    const uint32_t bright = drawSettings.bright;
    SetClipRect(0, 0, screenSettings.width, screenSettings.height);
    SetBlend(0, 0);
    drawSettings.bright = 0xFFFFFF;
    SetSoftDrawBright(0xFFFFFF);
    s.screenLogGuard = 1;
    DrawScreenLog();
    s.screenLogGuard = 0;
    SetClipRect(requested.left, requested.top, requested.right, requested.bottom);
    SetBlend(mode, param);
    SetBright(int(bright >> 16 & 0xFF), int(bright >> 8 & 0xFF), int(bright & 0xFF));
}

}  // namespace

int FlipFrame(const RECT* rect) {
    // A flip from within the on-screen log's drawing does nothing, and leaves the outer flip's flag set.
    if (drawTargetState.screenLogGuard) return 0;
    // While the flag is set no call waits for an inactive window.
    int& flipping = libraryState.run.drawing;
    flipping = 1;
    if (!libraryFlags.initialised || libraryFlags.endRequested) {
        flipping = 0;
        return -1;
    }
    ApplyPendingMask();
    if (GetScreenLogShownFlag()) DrawScreenLogOverFrame();
    // A failed present is not passed on: device loss is found by the activation handler.
    PresentFrame(rect);
    flipping = 0;
    return 0;
}

int FlipFrameDefault() {
    return FlipFrame(nullptr);
}

int FlipFrameEntry() {
    if (Direct3DMode && IsFullScreenMode()) MoveToSubBackBuffer();
    return FlipFrame(nullptr);
}
