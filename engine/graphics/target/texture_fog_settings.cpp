// The texture filter and fog settings of the draw settings, mirrored on the device in Direct3D mode.
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/frame_flip.h"

namespace {

// A changed value is stored after the batch is drawn; the device is given the value in Direct3D mode
// even when the setting already had it (its cache skips what the device has).
template <typename T, typename Apply>
void StoreFogSetting(T& setting, const T& value, Apply apply) {
    if (!(setting == value)) {
        FlushVertexBatch(0);
        setting = value;
    }
    if (Direct3DMode) apply();
}

}  // namespace

int SetTextureFilterMode(int mode) {
    if (drawSettings.drawingSuspended || mode == drawSettings.drawMode) return 0;
    drawSettings.drawMode = mode;
    MarkStatesChanged();
    if (Direct3DMode) SetTextureFilter(mode);
    return 0;
}

void SetDrawFogMode(int mode) {
    StoreFogSetting(drawSettings.fogMode, mode, [&] { SetFogMode(mode); });
}

void SetDrawFogColour(int red, int green, int blue) {
    const uint32_t colour = 0xFF000000u | uint32_t((red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF));
    StoreFogSetting(drawSettings.fogColour, colour, [&] { SetFogColour(colour); });
}

void SetDrawFogRange(float start, float end) {
    struct Range {
        float start, end;
        bool operator==(const Range& o) const { return start == o.start && end == o.end; }
    };
    Range stored{drawSettings.fogStart, drawSettings.fogEnd};
    StoreFogSetting(stored, Range{start, end}, [&] { SetFogStartEnd(start, end); });
    drawSettings.fogStart = stored.start;
    drawSettings.fogEnd = stored.end;
}
