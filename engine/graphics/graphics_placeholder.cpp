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
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/transforms.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/placeholder_calls.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_handles.h"
#include "platform/user/user32.h"

int ClearDrawTarget(const RECT*) {
    return 0;
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

// Seams of the image filters: no graphic exists yet, so every lookup fails.
int ShaderFilterVerified = 0;

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

// Device resources: sets the depth-stencil surface that goes with the current draw screen. 0.
int ApplyDrawTargetDepthSurface() {
    return 0;
}

// Seams of the draw target: no mask screen yet; the camera keeps only the screen transform of the
// target (what the draw area is mapped through); no sub back buffer move; no texture upload.

// Seams of the device restart and the mask screen: graphics records, draw target and area, draw settings
// and 3D models are not built yet, so there is nothing to release, keep or restore.
int RebindRenderTargetSlots() {
    return 0;
}

// The device keeps the states the library last sent it.
int ReapplyDeviceStates() {
    return 0;
}
