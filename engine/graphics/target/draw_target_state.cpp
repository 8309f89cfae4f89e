#include "engine/graphics/target/draw_target_state.h"

#include <cstring>

#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/softrender/soft_render_state.h"

DrawTargetState drawTargetState;

namespace {

void ResetState() {
    std::memset(&drawTargetState, 0, sizeof drawTargetState);
    drawTargetState.slots[0] = kDrawTargetBackBuffer;
}

const bool statePreset = (ResetState(), true);

}  // namespace

bool IsScreenTarget(int handle) {
    return handle >= -5 && handle <= -2;
}

int GetDrawTargetSize(int handle, int* width, int* height) {
    if (IsScreenTarget(handle)) {
        *width = screenSettings.width;
        *height = screenSettings.height;
        return 0;
    }
    const GraphicEntry* entry = LookupGraphic(handle, 0);
    if (entry == nullptr) return -1;
    *width = entry->width;
    *height = entry->height;
    return 0;
}

int GetDrawTargetHandle() {
    return drawTargetState.slots[0];
}

int GetDrawArea(IntRect* area) {
    *area = drawTargetState.area;
    return 0;
}

void ResetDrawTargetStateForTests() {
    (void)statePreset;
    ResetState();
}

int GetDrawAreaFloat(float area[4]) {
    for (int i = 0; i < 4; ++i) area[i] = drawTargetState.areaF[i];
    return 0;
}

int NoteRenderTarget0(IDirect3DSurface9* surface) {
    drawTargetState.boundSurfaces[0] = surface;
    return 0;
}

int IsDrawAreaEmpty() {
    return drawTargetState.emptyArea;
}

int StoreDrawArea(const IntRect* area, const float* areaF) {
    DrawTargetState& s = drawTargetState;
    s.area = *area;
    for (int i = 0; i < 4; ++i) s.areaF[i] = areaF[i];
    s.emptyArea = area->left >= area->right || area->top >= area->bottom;
    SetSoftClipRect(&s.area.left);
    return 0;
}
