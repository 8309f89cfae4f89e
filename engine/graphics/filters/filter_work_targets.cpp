#include "engine/graphics/filters/filter_work_targets.h"

#include <algorithm>
#include <iterator>

#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"

namespace {

// Edges 2^0 .. 2^kEdgeClasses-1; each slot is -1 until made and again once its graphic is deleted.
constexpr int kEdgeClasses = 16;
int workTargets[kEdgeClasses][kFilterWorkTargetsPerRun];
const bool tableCleared = [] {
    std::fill(&workTargets[0][0], &workTargets[0][0] + kEdgeClasses * kFilterWorkTargetsPerRun, -1);
    return true;
}();

int EdgeClass(int edge) {
    int k = 0;
    while ((1 << k) < edge) ++k;
    return k;
}

bool HeldByRun(const GraphicFilterContext& context, int graphic) {
    return std::find(std::begin(context.busyTargets), std::end(context.busyTargets), graphic) !=
           std::end(context.busyTargets);
}

int MakeWorkTarget(int edge) {
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_DRAW_TARGET] = 1;
    params.words[CREATE_DRAW_TARGET_ALPHA] = 1;
    params.words[CREATE_BIT_DEPTH] = 32;
    params.words[CREATE_FLOAT_TARGET] = 0;
    params.words[CREATE_TARGET_BITS_PER_CHANNEL] = 0;
    params.words[CREATE_TARGET_CHANNELS] = 0;
    const int graphic = CreateGraphicFromParams(params, edge, edge, 0, 0, 0);
    if (graphic < 0) LogPrintf("作業用描画可能テクスチャの作成に失敗しました Size:%dx%d", edge, edge);
    return graphic;
}

}  // namespace

int WorkTargetEdge(int size) {
    return 1 << EdgeClass(size);
}

int AcquireWorkTarget(GraphicFilterContext* context, int edge) {
    (void)tableCleared;
    const int k = EdgeClass(edge);
    int* free = std::find(std::begin(context->busyTargets), std::end(context->busyTargets), 0);
    if (k >= kEdgeClasses || free == std::end(context->busyTargets)) return -1;
    for (int& slot : workTargets[k]) {
        if (slot >= 0 && HeldByRun(*context, slot)) continue;
        if (slot < 0 || LookupGraphic(slot, 0) == nullptr) {
            slot = MakeWorkTarget(1 << k);
            if (slot < 0) return -1;
            SetHandleLostFlag(slot, &slot);
        }
        *free = slot;
        return slot;
    }
    return -1;
}

void ReleaseWorkTargets(GraphicFilterContext* context) {
    std::fill(std::begin(context->busyTargets), std::end(context->busyTargets), 0);
}

int CountWorkTargets(int edge) {
    int count = 0;
    for (int k = 0; k < kEdgeClasses; ++k)
        for (int slot : workTargets[k])
            count += (edge == 0 || edge == 1 << k) && slot >= 0 && LookupGraphic(slot, 0) != nullptr ? 1 : 0;
    return count;
}
