// Placeholder for the graphics subsystem until it lands: it keeps the screen settings, answers the
// display-mode queries from the display stand-in and hands out graphic numbers for files that exist, but
// draws nothing and creates no device. The graphics subsystem deletes this file.
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/helpers/vector_math.h"
#include "engine/core/memory/screen_log.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/placeholder_calls.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_handles.h"
#include "platform/user/user32.h"

namespace {

struct PlaceholderScreen {
    int drawTarget = kDrawTargetBackBuffer;
    int waitVsync = 1;
    int filterMode = 0;
    int nextGraphic = 1;
};

PlaceholderScreen screen;

int NewGraphic() {
    return screen.nextGraphic++;
}

}  // namespace

int RegisterModelHandleTypes() {
    return 0;
}
int EndModelHandleTypes() {
    return 0;
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
int CopyDrawScreenToGraphic(int, int, int, int, int) {
    return 0;
}
int IsGraphicAlive(int graphic) {
    return graphic > 0 && graphic < screen.nextGraphic;
}

int SetTransparentColour(int, int, int) {
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
    if (GetColorDepth() == 16)
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

// Calls of the built modules into parts still to come.
int SwapDrawScreen(int handle) {
    int previous = screen.drawTarget;
    screen.drawTarget = handle;
    return previous;
}
uint32_t GetTransparentColor() {
    return 0;
}
// Every live graphic number answers with the screen's size.
int GetGraphicEntrySize(int graphic, int, int* width, int* height) {
    if (!IsGraphicAlive(graphic)) return -1;
    *width = screenSettings.width;
    *height = screenSettings.height;
    return 0;
}
int GetGraphicFirstTextureSize(int graphic, int* width, int* height) {
    return GetGraphicEntrySize(graphic, 0, width, height);
}
int SetGraphicCreateParamWord(int, int32_t) {
    return 0;
}

// Seams of placeholder_calls.h: no graphic records, no built-in shaders, the whole screen as draw area.
GraphicEntry* LookupGraphic(int, int) {
    return nullptr;
}
uintptr_t GraphicFirstTexture(const GraphicEntry*) {
    return 0;
}
int LoadGraphFromMemory(const void*, int) {
    return -1;
}
const void* FindBuiltinShaderFile(const char*, int*) {
    return nullptr;
}
int GetDrawArea(IntRect* area) {
    *area = IntRect{0, 0, screenSettings.width, screenSettings.height};
    return 0;
}
int RefreshLightTable() {
    return 0;
}

// Seams of the image filters: no graphic exists yet, so every lookup fails.
int ShaderFilterVerified = 0;

int IsRenderTargetGraphic(int) {
    return 0;
}
int UpdateRenderTargetTexture(int) {
    return -1;
}
// The inverse of PackColor's format choice.
int UnpackColor(uint32_t color, int* red, int* green, int* blue) {
    if (screenSettings.colorBits == 16) {
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

// Seams of the graphics start: no built-in shaders, no sub back buffer, no 3D models, one render target.
int ReleaseModelDeviceObjects() {
    return 0;
}
int ClearRenderTargetSlots() {
    return 0;
}
// The built-in shader archives cannot be opened yet.
int OpenBuiltinShaderArchives() {
    return 0;
}

// Seams of the device restart and the mask screen: graphics records, draw target and area, draw settings
// and 3D models are not built yet, so there is nothing to release, keep or restore.
int ReleaseAllDeviceResources() {
    return 0;
}
int RestoreAllGraphics() {
    return 0;
}
int KeepDrawSettingsForRestart() {
    return 0;
}
int RestoreKeptDrawSettings() {
    return 0;
}
int ReapplyDrawSettings() {
    return 0;
}
int RebindRenderTargetSlots() {
    return 0;
}
int ResetDrawAreaForced() {
    return 0;
}
int SetBlendGraphicKind(int, int, int, int) {
    return 0;
}
int RestoreModelDeviceState() {
    return 0;
}
int ReloadModelDefaultTextures() {
    return 0;
}
