// Placeholder for the graphics subsystem until it lands: it keeps the screen settings, answers the
// display-mode queries from the display stand-in and hands out graphic numbers for files that exist, but
// draws nothing and creates no device. The graphics subsystem deletes this file.
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/helpers/vector_math.h"
#include "engine/core/memory/screen_log.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/placeholder_calls.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_handles.h"
#include "platform/user/user32.h"

namespace {

struct PlaceholderScreen {
    int drawTarget = kDrawTargetBackBuffer;
    int waitVsync = 1;
    int filterMode = 0;
    int maskDrawing = 0;
    GraphicsRestoreCallback restore = nullptr;
    int hasRestore = 0;
    int nextGraphic = 1;
};

PlaceholderScreen screen;

// The draw area as SetClipRect and the part draws leave it.
struct PlaceholderArea {
    int set = 0;
    IntRect ints{};
    float floats[4]{};
};
PlaceholderArea placeholderArea;

int StorePlaceholderArea(IntRect area) {
    float floats[4] = {float(area.left), float(area.top), float(area.right), float(area.bottom)};
    SetSoftClipRect(&area.left);
    return StoreDrawArea(&area, floats);
}

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

int ReleaseGraphicsDevice() {
    return 0;
}
int RestartGraphicsKeepMode() {
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
int SetClipRect(int x1, int y1, int x2, int y2) {
    return StorePlaceholderArea(IntRect{x1, y1, x2, y2});
}

int SetBlend(int mode, int param) {
    drawSettings.blendMode = mode;
    drawSettings.blendParam = param < 0 ? 0 : param > 255 ? 255 : param;
    return SetSoftBlendMode(mode, drawSettings.blendParam);
}
int SetBright(int red, int green, int blue) {
    SetBrightPacked(uint32_t((red & 255) << 16 | (green & 255) << 8 | (blue & 255)));
    return 0;
}
uint32_t PackColor(int red, int green, int blue) {
    if (GetColorDepth() == 16)
        return uint32_t(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xF8) >> 3));
    return uint32_t(((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF));
}

// Nothing is drawn, so there is no screen to save.
int SaveDrawScreen(int, int, int, int, const char*, int, int, int, int) {
    return -1;
}

// Calls of the built modules into parts still to come.
int LockBackBuffer(const RECT*, SoftImage*, int, int, int) {
    return -1;
}
int UnlockBackBuffer() {
    return 0;
}
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
// A graphic entry of a registered graphic type (none is registered until graphic handles arrive).
GraphicEntry* LookupGraphic(int handle, int allowLoading) {
    auto* entry = static_cast<GraphicEntry*>(GetTypedHandleData(handle, kHandleTypeGraphic));
    if (entry == nullptr || (!allowLoading && entry->header.asyncLoadCount != 0)) return nullptr;
    return entry;
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
    *area = placeholderArea.set ? placeholderArea.ints
                                : IntRect{0, 0, screenSettings.width, screenSettings.height};
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

// Seams of the draw entries: nothing suspended, no blend graphic, no mask screen, no derived graphics;
// the Direct3D kernels draw nothing.
int IsDrawingSuspended() {
    return 0;
}
int GetBlendGraphicHandle() {
    return -1;
}
void SetBrightPacked(uint32_t bright) {
    drawSettings.bright = bright & 0xFFFFFF;
    SetSoftDrawBright(drawSettings.bright);
}
int GetBackgroundColour(int* red, int* green, int* blue) {
    *red = *green = *blue = 0;
    return 0;
}
float GetDrawDepthValue() {
    return 0.0f;
}
int IsDrawAreaEmpty() {
    IntRect area;
    GetDrawArea(&area);
    return area.left >= area.right || area.top >= area.bottom;
}
int GetDrawAreaF(float* area) {
    if (placeholderArea.set) {
        std::memcpy(area, placeholderArea.floats, sizeof placeholderArea.floats);
        return 0;
    }
    IntRect ints;
    GetDrawArea(&ints);
    area[0] = float(ints.left), area[1] = float(ints.top), area[2] = float(ints.right),
    area[3] = float(ints.bottom);
    return 0;
}
int StoreDrawArea(const IntRect* area, const float* areaF) {
    placeholderArea.set = 1;
    placeholderArea.ints = *area;
    std::memcpy(placeholderArea.floats, areaF, sizeof placeholderArea.floats);
    return 0;
}
int BeginMaskDraw(int, int, int, int) {
    return 0;
}
int ApplyMaskToDrawnArea(int, int, int, int) {
    return 0;
}
int IsMaskPending() {
    return 0;
}
void ClearMaskPending() {}
IDirect3DSurface9* GetMaskScreenSurface() {
    return nullptr;
}
int DeriveGraphic(int, int, int, int, int) {
    return -1;
}
int D3DDrawImageAt(GraphicEntry*, int, int, float, float, GraphicEntry*, int, int) {
    return 0;
}
int D3DDrawImageStretched(int, int, int, int, float, float, float, float, GraphicEntry*, GraphicEntry*, int,
                          int) {
    return 0;
}
int D3DDrawImageRotated(int, GraphicEntry*, int, int, float, float, double, double, GraphicEntry*, int, int) {
    return 0;
}
int D3DDrawImageQuadDispatch(float, float, float, float, float, float, float, float, GraphicEntry*,
                             GraphicEntry*, int, int) {
    return 0;
}
int G_D3D_DrawCircle(int, int, int, uint32_t, int) {
    return 0;
}
int D3DFillBox(int, int, int, int, uint32_t) {
    return 0;
}
int D3DOutlineBox(int, int, int, int, uint32_t) {
    return 0;
}
int D3DDrawLine(int, int, int, int, uint32_t) {
    return 0;
}
int D3DDrawVertices(int, int, GraphicEntry*, const void*, int, int, int) {
    return 0;
}
