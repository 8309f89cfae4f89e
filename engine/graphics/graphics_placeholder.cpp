// Placeholder for the graphics subsystem until it lands: it keeps the screen settings, answers the
// display-mode queries from the display stand-in and hands out graphic numbers for files that exist, but
// draws nothing and creates no device. The graphics subsystem deletes this file.
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/memory/screen_log.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/text_movie/font_handles.h"
#include "platform/user/user32.h"

namespace {

struct PlaceholderScreen {
    int width = 640;
    int height = 480;
    int colorBits = 16;
    int refreshRate = 60;
    int halfSize = 0;
    int drawTarget = kDrawTargetBackBuffer;
    int waitVsync = 1;
    int filterMode = 0;
    int maskDrawing = 0;
    int dialogBoxMode = 0;
    GraphicsRestoreCallback restore = nullptr;
    int hasRestore = 0;
    int started = 0;
    int nextGraphic = 1;
};

PlaceholderScreen screen;

int NewGraphic() {
    return screen.nextGraphic++;
}

}  // namespace

int ScreenHeight() {
    return screen.height;
}

// The font handle type starts and ends with graphics; the on-screen log learns about the display.
int InitGraphicsSystem() {
    screen.started = 1;
    InitFontSystem();
    SetScreenLogDisplayQueries(IsDisplayReady, ScreenHeight);
    return 0;
}
int ShutdownGraphics() {
    EndFontSystem();
    screen.started = 0;
    return 0;
}
int RegisterModelHandleTypes() {
    return 0;
}
int EndModelHandleTypes() {
    return 0;
}

int SetScreenMode(int width, int height, int colorBits, int refreshRate) {
    if (width <= 0 || height <= 0) return -1;
    if (colorBits != 8 && colorBits != 16 && colorBits != 24 && colorBits != 32) return -1;
    screen.width = width;
    screen.height = height;
    screen.colorBits = colorBits;
    screen.refreshRate = refreshRate;
    return 0;
}
int GetColorDepth() {
    return screen.colorBits;
}

int GetDisplayModeCount() {
    DEVMODEA mode;
    int count = 0;
    while (EnumDisplaySettingsA(nullptr, count, &mode)) ++count;
    return count;
}

int GetDisplayModeAt(int index, DisplayMode* out) {
    DEVMODEA mode;
    if (index < 0 || !EnumDisplaySettingsA(nullptr, index, &mode)) return -1;
    *out = DisplayMode{int(mode.dmPelsWidth), int(mode.dmPelsHeight), int(mode.dmBitsPerPel),
                       int(mode.dmDisplayFrequency)};
    return 0;
}

int GetLogicalScreenSize(int* width, int* height) {
    *width = screen.halfSize ? screen.width / 2 : screen.width;
    *height = screen.halfSize ? screen.height / 2 : screen.height;
    return 0;
}
int GetScreenSize(int* width, int* height, int* colorBits) {
    if (width) *width = screen.width;
    if (height) *height = screen.height;
    if (colorBits) *colorBits = screen.colorBits;
    return 0;
}
int SetScreenSize(int width, int height) {
    screen.width = width;
    screen.height = height;
    return 0;
}
int SetHalfSizeEmulation(int flag) {
    screen.halfSize = flag;
    return 0;
}
int GetHalfSizeEmulation() {
    return screen.halfSize;
}
int IsHardwareDrawingEnabled() {
    return 1;
}
int IsFullScreenMode() {
    return libraryState.settings.windowMode == 0;
}
int ChangeScreenModeCore(int, int, int, int, int) {
    return 0;
}

int IsDeviceLost() {
    return 0;
}
void* GetDirectDrawObject() {
    return nullptr;
}
int IsDisplayReady() {
    return screen.started && libraryState.settings.mainWindow != nullptr;
}
int ReleaseGraphicsDevice() {
    return 0;
}
int RestartGraphicsKeepMode() {
    return 0;
}
int EndSceneIfBegun() {
    return 0;
}
int SetRestoreCallback(GraphicsRestoreCallback callback) {
    screen.restore = callback;
    screen.hasRestore = 1;  // null installs the default restore
    return 0;
}
int HasRestoreCallback() {
    return screen.hasRestore;
}
int SetDialogBoxModeSafe(int flag) {
    return SetDialogBoxModeFlag(flag);
}
int SetDialogBoxModeFlag(int flag) {
    screen.dialogBoxMode = flag;
    return 0;
}
int GetDialogBoxModeFlag() {
    return screen.dialogBoxMode;
}

int GetDrawTargetHandle() {
    return screen.drawTarget;
}
int FlipFrameEntry() {
    return 0;
}
int FlipFrameDefault() {
    return 0;
}
int SetWaitVerticalSync(int flag) {
    screen.waitVsync = flag;
    return 0;
}
int IsWaitVerticalSync() {
    return screen.waitVsync;
}
int SetTextureFilterMode(int mode) {
    screen.filterMode = mode;
    return 0;
}
int GetTextureFilterMode() {
    return screen.filterMode;
}
int GetMaskDrawingEnabled() {
    return screen.maskDrawing;
}
int SetMaskDrawingEnabled(int flag) {
    screen.maskDrawing = flag;
    return 0;
}
int CopyDrawScreenToGraphic(int, int, int, int, int) {
    return 0;
}
int IsGraphicAlive(int graphic) {
    return graphic > 0 && graphic < screen.nextGraphic;
}
int GetGraphicSize(int, int* width, int* height) {
    *width = screen.width;
    *height = screen.height;
    return 0;
}

int SetTransparentColour(int, int, int) {
    return 0;
}
int SetGraphicCreateOption(int) {
    return 0;
}

// A graphic number for a file that opens; -1 (as for a missing file) otherwise.
int LoadGraphFile(const char* fileName, int) {
    uintptr_t file = CallFileOpen(fileName, 1, 1, 0);
    if (file == 0) return -1;
    CallFileClose(file);
    return NewGraphic();
}
int MakeDrawTarget(int width, int height, int) {
    return width > 0 && height > 0 ? NewGraphic() : -1;
}
int FreeGraphic(int graphic, int) {
    return IsGraphicAlive(graphic) ? 0 : -1;
}
int FreeAllGraphics(int) {
    return 0;
}

int SelectDrawTarget(int target) {
    screen.drawTarget = target;
    return 0;
}
int SetClipRect(int, int, int, int) {
    return 0;
}
int ClearDrawTarget(const RECT*) {
    return 0;
}

int SetBlend(int, int) {
    return 0;
}
int SetBright(int, int, int) {
    return 0;
}
uint32_t PackColor(int red, int green, int blue) {
    if (screen.colorBits == 16)
        return uint32_t(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xF8) >> 3));
    return uint32_t(((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF));
}

int DrawImageAt(int, int, int, int) {
    return 0;
}
int DrawImagePart(int, int, int, int, int width, int height, int, int, int) {
    return width < 1 || height < 1 ? -1 : 0;
}
int DrawImagePartRotated(int, int, int, int, int width, int height, double, double, int, int, int) {
    return width < 1 || height < 1 ? -1 : 0;
}
int DrawImageStretched(int, int, int, int, int, int) {
    return 0;
}
int DrawBoxShape(int, int, int, int, uint32_t, int) {
    return 0;
}
int DrawCircleShape(int, int, int, uint32_t, int) {
    return 0;
}
int DrawLineShape(int, int, int, int, uint32_t, int) {
    return 0;
}
int FillBox(int, int, int, int, uint32_t) {
    return 0;
}
int OutlineBox(int, int, int, int, uint32_t) {
    return 0;
}

// Nothing is drawn, so there is no screen to save.
int SaveDrawScreen(int, int, int, int, const char*, int, int, int, int) {
    return -1;
}

// ---- Calls of the image filters: no graphic exists yet, so every lookup fails ----
#include "engine/graphics/placeholder_calls.h"

int ShaderFilterVerified = 0;

GraphicEntry* LookupGraphic(int, int) {
    return nullptr;
}
int IsRenderTargetGraphic(int) {
    return 0;
}
int UpdateRenderTargetTexture(int) {
    return -1;
}
int BeginSceneIfNeeded() {
    return 0;
}
int GetProgrammableShaderFlag() {
    return 0;
}
// The inverse of PackColor's format choice.
int UnpackColor(uint32_t color, int* red, int* green, int* blue) {
    if (screen.colorBits == 16) {
        *red = int((color >> 11) & 31) * 255 / 31;
        *green = int((color >> 5) & 63) * 255 / 63;
        *blue = int(color & 31) * 255 / 31;
    } else {
        *red = int((color >> 16) & 255);
        *green = int((color >> 8) & 255);
        *blue = int(color & 255);
    }
    return 0;
}
int ReadGraphicToImage(int, SoftImage*, const RECT*) {
    return -1;
}
int ReadFilterImages(GraphicFilterContext*, int, int, int) {
    return -1;
}
int FinishFilterResult(GraphicFilterContext*) {
    return -1;
}
int SaveFilterDrawState(GraphicFilterContext*) {
    return 0;
}
int RestoreFilterDrawState(GraphicFilterContext*) {
    return 0;
}
int GetWorkRenderTexture(GraphicFilterContext*, int, int, int, int*, int*) {
    return -1;
}
int CreatePixelShaderFromArchive(const char*) {
    return -1;
}
