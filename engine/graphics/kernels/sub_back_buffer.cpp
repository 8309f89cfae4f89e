#include "engine/graphics/kernels/sub_back_buffer.h"

#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/target/draw_target_state.h"

int MoveToSubBackBuffer() {
    if (GetSubBackBuffer() != nullptr) return 0;
    FlushVertexBatch(0);
    EndSceneIfBegun();
    if (CreateSubBackBuffer() != 0) return -1;
    IDirect3DSurface9* sub = GetSubBackBuffer();
    IDirect3DSurface9* back = nullptr;
    if (SUCCEEDED(DeviceGetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) && back != nullptr) {
        DeviceStretchRect(back, nullptr, sub, nullptr, D3DTEXF_NONE);
        ReleaseComObject(back);
    }
    renderStateCache.force = 1;
    if (HasD3DDevice()) {
        FlushVertexBatch(0);
        DeviceSetRenderTarget(0, sub);
        NoteRenderTarget0(sub);
        // The draw area stays what it was: the viewport and scissor follow it, not the whole surface.
        ApplyDrawAreaToDevice();
    }
    renderStateCache.force = 0;
    return 0;
}
