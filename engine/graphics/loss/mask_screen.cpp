#include "engine/graphics/loss/mask_screen.h"

#include <algorithm>
#include <cstring>

#include "engine/core/helpers/vector_math.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings_reapply.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/loss/draw_screen.h"
#include "engine/graphics/loss/mask_combine.h"
#include "engine/graphics/loss/mask_pixels.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/image/color_format.h"
#include "engine/softrender/soft_draw_entries.h"

MaskScreenState maskScreen;

namespace {

int PowerOfTwoAtLeast(int size) {
    int edge = 1;
    while (edge < size) edge <<= 1;
    return edge;
}

void ReleaseObject(IUnknown** object) {
    if (*object != nullptr) (*object)->Release();
    *object = nullptr;
}
template <class T>
void Release(T** object) {
    ReleaseObject(reinterpret_cast<IUnknown**>(object));
}

// The rectangle clipped to the draw area and to the logical screen (the mask bytes and the mask image
// cover no more); false when nothing is left.
bool ClipToMask(int x1, int y1, int x2, int y2, IntRect* rect) {
    IntRect area{};
    GetDrawArea(&area);
    *rect = IntRect{std::max({x1, area.left, 0}), std::max({y1, area.top, 0}),
                    std::min({x2, area.right, maskScreen.bufferWidth}),
                    std::min({y2, area.bottom, maskScreen.bufferHeight})};
    return rect->left < rect->right && rect->top < rect->bottom;
}

MEMIMG* RealDrawScreenMemImg() {
    DrawScreen screen;
    FindDrawScreen(-1, &screen);
    MEMIMG* image = DrawScreenMemImg(screen);
    return image != nullptr && IsMemImgValid(image) ? image : nullptr;
}

IDirect3DSurface9* AcquireRealDrawSurface() {
    DrawScreen screen;
    FindDrawScreen(-1, &screen);
    return AcquireDrawScreenSurface(screen, 0);
}

void CreateTextures() {
    if (deviceFormatTable.screenTarget == 0)
        FatalLibraryExit("マスク描画用カラーバッファで使用できるテクスチャフォーマットがありませんでした");
    if (deviceFormatTable.screenAlphaTest == 0)
        FatalLibraryExit(
            "マスク描画用アルファチャンネルバッファで使用できるテクスチャフォーマットがありませんでした");
    maskScreen.textureWidth = PowerOfTwoAtLeast(maskScreen.bufferWidth);
    maskScreen.textureHeight = PowerOfTwoAtLeast(maskScreen.bufferHeight);
    const UINT w = UINT(maskScreen.textureWidth), h = UINT(maskScreen.textureHeight);
    if (maskScreen.imageTexture == nullptr) {
        if (FAILED(DeviceCreateTexture(w, h, 1, D3DUSAGE_DYNAMIC,
                                       D3DFORMAT(deviceFormatTable.screenAlphaTest), D3DPOOL_DEFAULT,
                                       &maskScreen.imageTexture, nullptr)))
            FatalLibraryExit("マスク用イメージテクスチャの作成に失敗しました");
        UpdateMaskImageTexture();
    }
    if (maskScreen.screenTexture == nullptr &&
        FAILED(DeviceCreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFORMAT(deviceFormatTable.display),
                                   D3DPOOL_DEFAULT, &maskScreen.screenTexture, nullptr)))
        FatalLibraryExit("マスク用スクリーンテクスチャの作成に失敗しました");
    if (maskScreen.screenSurface == nullptr)
        maskScreen.screenTexture->GetSurfaceLevel(0, &maskScreen.screenSurface);
}

void CreateMemImage() {
    if (IsMemImgValid(&maskScreen.memImg)) return;
    std::memset(&maskScreen.memImg, 0, sizeof(maskScreen.memImg));
    if (CreateMemImg(&maskScreen.memImg, maskScreen.bufferWidth, maskScreen.bufferHeight, -1) != 0)
        FatalLibraryExit("マスク用 MEMIMG の作成に失敗しました");
    maskScreen.memImgCreated = 1;
}

// Drawing goes to the mask screen while active, else to the real draw screen.
void RouteDrawing() {
    if (Direct3DMode) {
        FlushVertexBatch(0);
        if (!HasD3DDevice()) return;
        IDirect3DSurface9* surface = maskScreen.active ? maskScreen.screenSurface : AcquireRealDrawSurface();
        if (surface != nullptr) DeviceSetRenderTarget(0, surface);
        if (!maskScreen.active && surface != nullptr) surface->Release();
        ResetDrawAreaForced();
        return;
    }
    g_softDrawSurfaces.target = maskScreen.active ? &maskScreen.memImg : RealDrawScreenMemImg();
}

void CopyIntoMaskScreen(const IntRect& rect) {
    if (Direct3DMode) {
        if (maskScreen.screenSurface == nullptr || !HasD3DDevice()) return;
        FlushVertexBatch(0);
        EndSceneIfBegun();
        Release(&maskScreen.drawSurface);
        maskScreen.drawSurface = AcquireRealDrawSurface();
        const RECT r{rect.left, rect.top, rect.right, rect.bottom};
        if (maskScreen.drawSurface != nullptr)
            DeviceStretchRect(maskScreen.drawSurface, &r, maskScreen.screenSurface, &r, D3DTEXF_NONE);
        return;
    }
    MEMIMG* screen = RealDrawScreenMemImg();
    if (!maskScreen.active || screen == nullptr) return;
    const int32_t source[4] = {rect.left, rect.top, rect.right, rect.bottom};
    CopyMemImgConverted(&maskScreen.memImg, screen, source, rect.left, rect.top);
}

void ApplySoftware(const IntRect& rect) {
    MEMIMG* screen = RealDrawScreenMemImg();
    if (!maskScreen.active || screen == nullptr) return;
    CopyMaskedPixels(maskScreen.memImg, screen, maskScreen.buffer, maskScreen.pitch, maskScreen.reverse,
                     rect);
}

// The mask screen's rectangle combined onto the draw screen's surface; drawing goes on to the mask screen.
void CombineOnto(IDirect3DSurface9* drawSurface, const IntRect& rect) {
    FlushVertexBatch(0);
    const MaskCombine combine{drawSurface,
                              maskScreen.screenTexture,
                              maskScreen.imageTexture,
                              maskScreen.textureWidth,
                              maskScreen.textureHeight,
                              maskScreen.reverse};
    DrawMaskCombine(combine, rect);
    DeviceSetRenderTarget(0, maskScreen.screenSurface);
}

bool DeviceCombineReady() {
    return maskScreen.active && maskScreen.screenSurface != nullptr && HasD3DDevice();
}

void ApplyDevice(const IntRect& rect) {
    if (!DeviceCombineReady() || maskScreen.drawSurface == nullptr) return;
    CombineOnto(maskScreen.drawSurface, rect);
    Release(&maskScreen.drawSurface);
}

// Outside a draw the draw screen's surface is taken afresh: one that a draw remembered stays its own.
void ApplyPendingDevice(const IntRect& rect) {
    if (!DeviceCombineReady()) return;
    IDirect3DSurface9* surface = AcquireRealDrawSurface();
    if (surface == nullptr) return;
    CombineOnto(surface, rect);
    surface->Release();
}

int DeleteMaskHandleData(HandleHeader* data) {
    return ReleaseMaskData(data);
}

}  // namespace

int RegisterMaskHandleType() {
    if (maskScreen.registered) return -1;
    if (RegisterHandleType(kHandleTypeMask, sizeof(MaskHandleData), kMaskHandleLimit, NoOpHandleCallback,
                           DeleteMaskHandleData, "マスク") != 0)
        return -1;
    maskScreen.registered = 1;
    return 0;
}

int ReleaseMaskData(HandleHeader* data) {
    MaskHandleData* mask = reinterpret_cast<MaskHandleData*>(data);
    TrackedFree(mask->buffer);
    mask->buffer = nullptr;
    return 0;
}

uint8_t* GetMaskBuffer(int* pitch) {
    int width = 0, height = 0;
    GetLogicalScreenSize(&width, &height);
    if (maskScreen.buffer != nullptr &&
        (width != maskScreen.bufferWidth || height != maskScreen.bufferHeight)) {
        TrackedFree(maskScreen.buffer);
        maskScreen.buffer = nullptr;
    }
    if (maskScreen.buffer == nullptr) {
        const int rowPitch = (width + 3) & ~3;
        maskScreen.buffer = static_cast<uint8_t*>(
            TrackedAllocZeroed(size_t(rowPitch) * size_t(std::max(height, 0)) + 1, __FILE__, __LINE__));
        if (maskScreen.buffer == nullptr) return nullptr;
        maskScreen.pitch = rowPitch;
        maskScreen.bufferWidth = width;
        maskScreen.bufferHeight = height;
    }
    if (pitch != nullptr) *pitch = maskScreen.pitch;
    return maskScreen.buffer;
}

int CreateMaskScreen(int create) {
    if (create == 0) return 0;
    if (GetMaskBuffer(nullptr) == nullptr) return 0;
    maskScreen.createParam = create;
    if (Direct3DMode && HasD3DDevice())
        CreateTextures();
    else if (!Direct3DMode)
        CreateMemImage();
    return 0;
}

int UpdateMaskImageTexture() {
    if (maskScreen.imageTexture == nullptr || maskScreen.buffer == nullptr) return -1;
    D3DLOCKED_RECT locked{};
    if (FAILED(maskScreen.imageTexture->LockRect(0, &locked, nullptr, 0))) return -1;
    const ColorFormat* format = GetColorFormatDescriptor(uint32_t(deviceFormatTable.screenAlphaTest));
    WriteMaskAlpha(static_cast<uint8_t*>(locked.pBits), locked.Pitch, maskScreen.textureHeight, *format,
                   maskScreen.buffer, maskScreen.pitch, maskScreen.bufferWidth, maskScreen.bufferHeight);
    maskScreen.imageTexture->UnlockRect(0);
    return 0;
}

int ReleaseMaskScreen() {
    if (maskScreen.memImgCreated && IsMemImgValid(&maskScreen.memImg)) ReleaseMemImg(&maskScreen.memImg);
    if (g_softDrawSurfaces.target == &maskScreen.memImg) g_softDrawSurfaces.target = nullptr;
    std::memset(&maskScreen.memImg, 0, sizeof(maskScreen.memImg));
    maskScreen.memImgCreated = 0;
    Release(&maskScreen.drawSurface);
    Release(&maskScreen.screenSurface);
    Release(&maskScreen.screenTexture);
    Release(&maskScreen.imageTexture);
    return 0;
}

int SetMaskDrawingEnabled(int on) {
    if (!maskScreen.registered || maskScreen.buffer == nullptr) return -1;
    ApplyPendingMask();
    maskScreen.enabled = on;
    maskScreen.active = on && maskScreen.createParam != 0;
    RouteDrawing();
    return 0;
}

int GetMaskDrawingEnabled() {
    return maskScreen.enabled;
}

int ApplyPendingMask() {
    if (!maskScreen.pendingApply) return 0;
    maskScreen.pendingApply = 0;
    IntRect area{}, rect{};
    GetDrawArea(&area);
    if (!maskScreen.active || !ClipToMask(area.left, area.top, area.right, area.bottom, &rect)) return 0;
    if (Direct3DMode)
        ApplyPendingDevice(rect);
    else
        ApplySoftware(rect);
    return 0;
}

int BeginMaskDraw(int x1, int y1, int x2, int y2) {
    ApplyPendingMask();
    if (maskScreen.nesting++ != 0) return 0;
    IntRect rect;
    if (maskScreen.active && ClipToMask(x1, y1, x2, y2, &rect)) CopyIntoMaskScreen(rect);
    return 0;
}

int ApplyMaskToDrawnArea(int x1, int y1, int x2, int y2) {
    if (maskScreen.nesting == 0 || --maskScreen.nesting != 0) return 0;
    IntRect rect;
    if (!maskScreen.active || !ClipToMask(x1, y1, x2, y2, &rect)) return 0;
    if (Direct3DMode)
        ApplyDevice(rect);
    else
        ApplySoftware(rect);
    return 0;
}

int EndMaskSystem() {
    if (!maskScreen.registered) return -1;
    if (maskScreen.enabled) SetMaskDrawingEnabled(0);
    ReleaseMaskScreen();
    TrackedFree(maskScreen.buffer);
    maskScreen = MaskScreenState{};
    DeleteAllHandles(kHandleTypeMask, nullptr);
    EndHandleType(kHandleTypeMask);
    return 0;
}

int RestoreMaskScreen() {
    if (!maskScreen.registered) return -1;
    CreateMaskScreen(maskScreen.createParam);
    if (maskScreen.enabled) SetMaskDrawingEnabled(1);
    return 0;
}
