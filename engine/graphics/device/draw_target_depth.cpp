#include "engine/graphics/device/draw_target_depth.h"

#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

IDirect3DSurface9* OwnDepthSurface(const GraphicEntry* entry) {
    if (entry == nullptr || entry->block == nullptr || entry->block->textureCount < 1) return nullptr;
    return entry->block->tiles[0].depthSurface;
}

// The depth target's surface when it is at least width x height.
IDirect3DSurface9* CoveringDepthTarget(int width, int height) {
    const GraphicEntry* depth = LookupGraphic(drawSettings.depthDrawTarget, 0);
    if (depth == nullptr || depth->width < width || depth->height < height) return nullptr;
    return OwnDepthSurface(depth);
}

}  // namespace

IDirect3DSurface9* ChooseDrawTargetDepthSurface() {
    if (maskScreen.active && maskScreen.screenSurface != nullptr) return deviceObjects.depthBuffer;
    const int width = drawTargetState.width, height = drawTargetState.height;
    if (IDirect3DSurface9* covering = CoveringDepthTarget(width, height)) return covering;
    if (IsScreenTarget(GetDrawTargetHandle())) return deviceObjects.depthBuffer;
    if (IDirect3DSurface9* own = OwnDepthSurface(LookupGraphic(GetDrawTargetHandle(), 0))) return own;
    if (width <= deviceObjects.depthWidth && height <= deviceObjects.depthHeight)
        return deviceObjects.depthBuffer;
    return nullptr;
}

int ApplyDrawTargetDepthSurface() {
    if (!HasD3DDevice()) return 0;
    DeviceSetDepthStencilSurface(ChooseDrawTargetDepthSurface());
    return 0;
}
