// SetScreenMode answers 0 when the screen has the requested size (in window mode also the colour bits and
// refresh rate), -1 for a bad request or when nothing changed, -2 when only the last fallback was set.

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_handles.h"

namespace {

struct ScreenMode {
    int width, height, colorBits, refreshRate, halfSize;
};

// The mode as asked for: in a window the device shows the desktop's depth whatever was asked, so a request
// for the depth asked before changes nothing there, and full screen takes the depth asked for whichever
// way it is reached.
ScreenMode CurrentMode() {
    return ScreenMode{screenSettings.width, screenSettings.height, GetRequestedColorDepth(),
                      screenSettings.refreshRate, screenSettings.halfSizeByModeSelection};
}

bool SameMode(const ScreenMode& a, const ScreenMode& b) {
    return a.width == b.width && a.height == b.height && a.colorBits == b.colorBits &&
           a.refreshRate == b.refreshRate && a.halfSize == b.halfSize;
}

void ApplyMode(const ScreenMode& mode) {
    SetHalfSizeEmulation(mode.halfSize);
    SetScreenSize(mode.width, mode.height);
    SetColorDepthSetting(mode.colorBits);
    SetRefreshRateSetting(mode.refreshRate);
    SetMemImgDefaultKind(mode.colorBits == 16 ? 0 : 1);
}

// The mode a request asks for: -1 keeps a value; 320 x 240 in full screen is shown on 640 x 480.
ScreenMode TargetMode(int width, int height, int colorBits, int restoreHalfSize, int refreshRate) {
    ScreenMode target = CurrentMode();
    if (IsFullScreenMode() && width == 320 && height == 240) {
        target.width = 640;
        target.height = 480;
        target.halfSize = 1;
    } else {
        const bool restore = !IsFullScreenMode() && restoreHalfSize == 1 && IsHalfSizeEmulation() &&
                             screenSettings.width == 640 && screenSettings.height == 480;
        target.halfSize = 0;
        if (restore) {
            width = 320;
            height = 240;
        }
        if (width != -1) target.width = width;
        if (height != -1) target.height = height;
    }
    if (colorBits != -1) target.colorBits = colorBits;
    if (refreshRate != -1) target.refreshRate = refreshRate;
    return target;
}

// Starts graphics in the target mode, falling back to 640 x 480 for 320 x 240, then to the previous
// mode, then to 640 x 480 x 16; ends the process when none starts.
void StartInMode(const ScreenMode& target, const ScreenMode& previous) {
    ApplyMode(target);
    if (InitGraphicsSystem() == 0) return;
    if (target.width == 320 && target.height == 240) {
        ApplyMode(ScreenMode{640, 480, target.colorBits, target.refreshRate, 1});
        if (InitGraphicsSystem() == 0) return;
    }
    ApplyMode(previous);
    if (InitGraphicsSystem() == 0) return;
    ApplyMode(ScreenMode{640, 480, 16, 0, previous.halfSize});
    if (InitGraphicsSystem() == 0) return;
    FatalLibraryExit("予期せぬ画面モード変更不能現象が起きました2\n");
}

struct DefaultFont {
    bool kept = false;
    char face[256] = {};
    int size = 0;
    int thickness = 0;
};

DefaultFont KeepDefaultFont(bool started) {
    DefaultFont font;
    const int handle = GetDefaultFontHandle();
    if (started && handle >= 0 && IsFontHandleReady(handle) &&
        GetFontHandleInfo(font.face, &font.size, &font.thickness, handle) == 0)
        font.kept = true;
    return font;
}

}  // namespace

int ChangeScreenModeCore(int width, int height, int colorBits, int restoreHalfSize, int refreshRate) {
    FlushVertexBatch(0);
    const bool started = graphicsStarted != 0;
    const ScreenMode target = TargetMode(width, height, colorBits, restoreHalfSize, refreshRate);
    const ScreenMode previous = CurrentMode();
    if (SameMode(target, previous) && restoreHalfSize == 0) return 0;
    LogText("画面モード変更処理を開始します\n");
    LogIndentIn();
    const DefaultFont font = KeepDefaultFont(started);
    const bool running = libraryFlags.initialising || libraryFlags.initialised;
    if (!running ||
        (IsFullScreenMode() && !IsDisplayModeListed(target.width, target.height, target.colorBits))) {
        LogIndentOut();
        return 0;
    }
    if (started) ShutdownGraphics();
    StartInMode(target, previous);
    if (!IsFullScreenMode()) ApplyWindowStyles();
    if (font.kept) SetDefaultFontParams(font.face, font.size, font.thickness);
    LogIndentOut();
    LogText("画面モード変更処理は正常に終了しました\n");
    PumpMessages();
    SelectDrawTarget(GetDrawTargetHandle());
    ClearRenderTargetSlots();
    return 0;
}

int SetScreenMode(int width, int height, int colorBits, int refreshRate) {
    if (width <= 0 || height <= 0 || (colorBits != 8 && colorBits != 16 && colorBits != 32)) return -1;
    if (!libraryFlags.initialised) {
        SetScreenSize(width, height);
        SetColorDepthSetting(colorBits);
        SetRefreshRateSetting(refreshRate);
        if (colorBits == 32) SetMemImgDefaultKind(1);
        return 0;
    }
    const ScreenMode before = CurrentMode();
    ChangeScreenModeCore(width, height, colorBits, 0, refreshRate);
    int nowWidth = 0, nowHeight = 0;
    GetScreenSize(&nowWidth, &nowHeight, nullptr);
    const ScreenMode now = CurrentMode();
    if (nowWidth == width && nowHeight == height &&
        (IsFullScreenMode() || (now.colorBits == colorBits && now.refreshRate == refreshRate)))
        return 0;
    if (SameMode(now, before)) return -1;
    if (now.width == 640 && now.height == 480 &&
        (IsFullScreenMode() || (now.colorBits == 16 && now.refreshRate == 0)))
        return -2;
    return -1;
}
