#include "engine/graphics/filters/graphic_filter.h"

#include <cstdarg>

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/filter_arguments.h"
#include "engine/graphics/filters/filter_geometry.h"
#include "engine/graphics/filters/filter_routines.h"
#include "engine/graphics/filters/filter_work_surfaces.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"

namespace {

constexpr int kMaxFilterArguments = 5;

bool IsLiveGraphic(int handle) {
    return LookupGraphic(handle, 0) != nullptr;
}

// Passes of a kind on the shader path. The processor path does every kind in one, also with shaders
// that the start's self-test did not verify: a second processor pass would read the destination before
// anything was written into it.
int FilterPassCount(const GraphicFilterContext& c, int hsbMode) {
    if (c.blendFlag || !FilterUsesShaders(&c)) return 1;
    if (c.kind == kFilterGaussBlur) return 2;
    return c.kind == kFilterHsb && hsbMode != 1 ? 2 : 1;
}

bool ReadGraphicSizes(const GraphicFilterContext& c, FilterGraphicSizes* sizes) {
    if (GetGraphicSize(c.sourceHandle, &sizes->sourceWidth, &sizes->sourceHeight) < 0) return false;
    if (GetGraphicSize(c.destinationHandle, &sizes->destinationWidth, &sizes->destinationHeight) < 0)
        return false;
    return !c.blendFlag || GetGraphicSize(c.blendHandle, &sizes->blendWidth, &sizes->blendHeight) >= 0;
}

// A render-target graphic that is the current draw target and is read by the filter gets its drawn
// pixels into its texture first.
void UpdateDrawTargetRead(const GraphicFilterContext& c, int gradient) {
    int target = GetDrawTargetHandle();
    if (!IsRenderTargetGraphic(target)) return;
    if (target == c.sourceHandle || target == c.destinationHandle ||
        (c.blendFlag && target == c.blendHandle) || target == gradient) {
        EndSceneIfBegun();
        UpdateRenderTargetTexture(target);
    }
}

}  // namespace

int ApplyGraphicFilter(int graphic, int kind, ...) {
    int width = 0, height = 0;
    if (GetGraphicSize(graphic, &width, &height) < 0) return -1;
    int arguments[kMaxFilterArguments] = {};
    va_list list;
    va_start(list, kind);
    int count = FilterArgumentCount(0, kind, nullptr);
    for (int i = 0; i < count; ++i) arguments[i] = va_arg(list, int);
    for (int i = count; i < FilterArgumentCount(0, kind, arguments); ++i) arguments[i] = va_arg(list, int);
    va_end(list);
    return RunGraphicFilter(0, graphic, -1, graphic, 0, kind, 0, 0, width, height, 0, 0, 0, 0, 0, arguments);
}

int RunGraphicFilter(int blendFlag, int source, int blendGraphic, int destination, int blendRatio, int kind,
                     int x1, int y1, int x2, int y2, int blendX, int blendY, int thirteenth, int destinationX,
                     int destinationY, const int* arguments) {
    if (!IsLiveGraphic(source) || !IsLiveGraphic(destination)) return -1;
    if (blendFlag && !IsLiveGraphic(blendGraphic)) return -1;
    if (CheckFilterKind(blendFlag, kind) < 0) return -1;
    if (arguments == nullptr && FilterArgumentCount(blendFlag, kind, nullptr) > 0) return -1;
    GraphicFilterContext c{};
    c.sourceHandle = source;
    c.destinationHandle = destination;
    c.blendHandle = blendGraphic;
    c.blendRatio = FilterBlendRatio(blendRatio);
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.blendX = blendX, c.blendY = blendY;
    c.thirteenth = thirteenth;
    c.destinationX = destinationX, c.destinationY = destinationY;
    c.blendFlag = blendFlag ? 1 : 0;
    c.kind = kind;
    FilterGraphicSizes sizes{};
    if (!ReadGraphicSizes(c, &sizes)) return -1;
    int downScale = !c.blendFlag && kind == kFilterDownScale ? DownScaleFactor(arguments[0]) : 0;
    int clipped = ClipFilterRectangle(&c, sizes, downScale);
    if (clipped <= 0) return clipped;

    FilterArguments converted;
    ConvertFilterArguments(c.blendFlag, kind, arguments, &converted);
    c.lookupGraphic = !c.blendFlag && kind == kFilterGradientMap ? converted.gradient : -1;
    UpdateDrawTargetRead(c, c.lookupGraphic);
    c.passCount = FilterPassCount(c, converted.mode);
    const bool shaderPath = FilterUsesShaders(&c) != 0;

    BeginSceneIfNeeded();
    SaveFilterDrawState(&c);
    // Work textures that cannot be had end the loop; a routine that fails (a shader that cannot be made,
    // images that cannot be read) lets the later passes run and log, but nothing is written.
    int result = 0;
    for (c.pass = 0; c.pass < c.passCount; ++c.pass) {
        int slot = 0, workSource = -1;
        if (GetWorkRenderTexture(&c, c.x2 - c.x1, c.y2 - c.y1, 1, &slot, &workSource) < 0 ||
            !IsLiveGraphic(c.destinationHandle)) {
            result = -1;
            break;
        }
        if (RunFilterRoutine(&c, converted) < 0) result = -1;
    }
    if (result == 0 && shaderPath) result = CopyFilterResultToTarget(1, c.destinationHandle, &c);
    RestoreFilterDrawState(&c);
    if (result == 0 && !shaderPath) result = FinishFilterResult(&c);
    return result < 0 ? -1 : 0;
}
