// Clearing the draw target (or a rectangle of it) to the background colour.
#include "engine/core/frame/library_state.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/image/color_format.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_draw_entries.h"

namespace {

// The current draw-target graphic, null when the target is the screen.
GraphicEntry* DrawTargetGraphic() {
    return LookupDrawableGraphic(GetDrawTargetHandle(), 0);
}

void ClearSoftware(const RECT* rect, int red, int green, int blue) {
    GraphicEntry* target = DrawTargetGraphic();
    MEMIMG* image = target != nullptr ? &target->softView : GetScreenMemImage();
    if (image == nullptr || !IsMemImgValid(image)) return;
    uint32_t value = MakePixelValue(image->base->colorFormat, red, green, blue, 0);
    const int32_t area[4] = {rect ? int32_t(rect->left) : 0, rect ? int32_t(rect->top) : 0,
                             rect ? int32_t(rect->right) : 0, rect ? int32_t(rect->bottom) : 0};
    FillMemImgRect(image, rect ? area : nullptr, value);
}

IDirect3DSurface9* DrawTargetSurface(int* width, int* height) {
    GraphicEntry* target = DrawTargetGraphic();
    IDirect3DSurface9* surface = nullptr;
    if (target != nullptr && GraphicHasTextures(target)) surface = target->block->tiles[0].surface;
    if (surface == nullptr) surface = GetSubBackBuffer();
    if (surface == nullptr) surface = BackBufferSurface;
    D3DSURFACE_DESC desc{};
    if (surface != nullptr) surface->GetDesc(&desc);
    *width = int(desc.Width), *height = int(desc.Height);
    return surface;
}

void SetViewport(int x, int y, int width, int height) {
    D3DVIEWPORT9 viewport{DWORD(x), DWORD(y), DWORD(width), DWORD(height), 0.0f, 1.0f};
    DeviceSetViewport(&viewport);
}

void ClearDevice(const RECT* rect, int red, int green, int blue) {
    if (!HasD3DDevice() || IsDeviceLost()) return;
    FlushVertexBatch(0);
    EndSceneIfBegun();
    int width = 0, height = 0;
    IDirect3DSurface9* surface = DrawTargetSurface(&width, &height);
    IDirect3DSurface9* mask = maskScreen.active ? maskScreen.screenSurface : nullptr;
    // While the mask screen is render target 0 the draw target itself is cleared, then the mask comes back.
    if (mask != nullptr && surface != nullptr) DeviceSetRenderTarget(0, surface);
    SetViewport(0, 0, width, height);
    IDirect3DSurface9* depth = nullptr;
    DWORD flags = D3DCLEAR_TARGET;
    if (DeviceGetDepthStencilSurface(&depth) == D3D_OK && depth != nullptr) {
        flags |= D3DCLEAR_ZBUFFER;
        depth->Release();
    }
    D3DRECT area = rect ? D3DRECT{rect->left, rect->top, rect->right, rect->bottom} : D3DRECT{};
    DeviceClear(rect ? 1 : 0, rect ? &area : nullptr, flags, D3DCOLOR(red << 16 | green << 8 | blue), 1.0f,
                0);
    if (mask != nullptr && surface != nullptr) DeviceSetRenderTarget(0, mask);
    IntRect drawArea;
    GetDrawArea(&drawArea);
    SetViewport(drawArea.left, drawArea.top, drawArea.right - drawArea.left, drawArea.bottom - drawArea.top);
}

}  // namespace

int ClearDrawTarget(const RECT* rect) {
    ApplyPendingMask();
    if (rect != nullptr && (rect->left < 0 || rect->top < 0)) rect = nullptr;
    const LibrarySettings& settings = libraryState.settings;
    const int red = settings.backgroundRed, green = settings.backgroundGreen, blue = settings.backgroundBlue;
    if (Direct3DDrawing())
        ClearDevice(rect, red, green, blue);
    else
        ClearSoftware(rect, red, green, blue);
    return 0;
}
