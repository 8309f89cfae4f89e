#include "engine/graphics/loss/back_buffer_lock.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/loss/draw_screen.h"
#include "engine/graphics/loss/surface_copy.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

BackBufferLockState backBufferLock;

namespace {

constexpr char kTargetFailure[] = "バックバッファロック用描画可能サーフェスの作成に失敗しました\n";
constexpr char kSystemSurfaceFailure[] =
    "バックバッファロック用システムメモリサーフェスの作成に失敗しました\n";

DWORD LockFlags(int readOnly) {
    return readOnly ? D3DLOCK_READONLY : 0;
}

// The rectangle's copy in a locked system-memory surface; null on failure (nothing left made).
IDirect3DSurface9* LockCopy(IDirect3DSurface9* surface, D3DFORMAT format, const RECT& rect, int readOnly,
                            D3DLOCKED_RECT* locked) {
    IDirect3DSurface9* copy =
        CopySurfaceToSystemMemory(surface, format, &rect, 0, 0, kSystemSurfaceFailure, kTargetFailure);
    if (copy == nullptr) return nullptr;
    if (FAILED(copy->LockRect(locked, nullptr, LockFlags(readOnly)))) {
        copy->Release();
        return nullptr;
    }
    return copy;
}

int LockDevice(const DrawScreen& screen, const RECT& rect, int readOnly, int textureIndex, SoftImage* image) {
    IDirect3DSurface9* surface = AcquireDrawScreenSurface(screen, textureIndex);
    if (surface == nullptr) return -1;
    const ColorFormat* format = GetColorFormatDescriptor(uint32_t(screen.format));
    D3DLOCKED_RECT locked{};
    if (deviceCapabilityFlags.backBufferLock &&
        SUCCEEDED(surface->LockRect(&locked, &rect, LockFlags(readOnly)))) {
        backBufferLock.directSurface = surface;
    } else {
        backBufferLock.systemSurface = LockCopy(surface, screen.format, rect, readOnly, &locked);
        surface->Release();
        if (backBufferLock.systemSurface == nullptr) return -1;
    }
    if (format != nullptr) image->format = *format;
    image->pitch = locked.Pitch;
    image->pixels = locked.pBits;
    return 0;
}

int LockSoftware(const DrawScreen& screen, const RECT& rect, SoftImage* image) {
    MEMIMG* memImg = DrawScreenMemImg(screen);
    if (memImg == nullptr || !IsMemImgValid(memImg)) return -1;
    const MemImgBase& base = *memImg->base;
    image->format = *base.colorFormat;
    image->pitch = base.pitch;
    image->pixels = memImg->pixels + rect.top * base.pitch + rect.left * base.pixelBytes;
    return 0;
}

}  // namespace

int LockBackBuffer(const RECT* rect, SoftImage* image, int graphic, int readOnly, int textureIndex) {
    if (rect == nullptr || image == nullptr) return -1;
    ReleaseBackBufferLock();
    FlushVertexBatch(0);
    EndSceneIfBegun();
    DrawScreen screen;
    FindDrawScreen(graphic, &screen);
    if (!IsRectOnDrawScreen(screen, rect->left, rect->top, rect->right, rect->bottom)) return -1;
    SoftImage record{};
    const int result = Direct3DMode ? LockDevice(screen, *rect, readOnly, textureIndex, &record)
                                    : LockSoftware(screen, *rect, &record);
    if (result != 0) return -1;
    record.width = rect->right - rect->left;
    record.height = rect->bottom - rect->top;
    record.mipCount = 0;
    *image = record;
    backBufferLock.locked = 1;
    return 0;
}

int ReleaseBackBufferLock() {
    for (IDirect3DSurface9** surface : {&backBufferLock.directSurface, &backBufferLock.systemSurface}) {
        if (*surface == nullptr) continue;
        (*surface)->UnlockRect();
        (*surface)->Release();
        *surface = nullptr;
    }
    backBufferLock.locked = 0;
    return 0;
}

int FlushVertexBatchEntry() {
    return FlushVertexBatch(0);
}
