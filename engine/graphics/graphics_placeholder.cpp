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

// Seams of the image filters: the start's self-test of the shader filters does not run yet.
int ShaderFilterVerified = 0;

// Seams of the device restart: slots above 0 need programmable shaders, which the device does not have.
int RebindRenderTargetSlots() {
    return 0;
}

// The device keeps the states the library last sent it.
int ReapplyDeviceStates() {
    return 0;
}
