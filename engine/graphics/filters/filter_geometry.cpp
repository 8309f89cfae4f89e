#include "engine/graphics/filters/filter_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// A partner moved right, held at INT_MAX: that far right it is outside every graphic all the same.
int MovedRight(int value, int64_t by) {
    return int(std::min<int64_t>(value + by, INT_MAX));
}

// A negative coordinate moves itself to 0 and the two partner coordinates right by the same amount.
void ShiftToZero(int& coordinate, int& partner1, int& partner2) {
    if (coordinate >= 0) return;
    partner1 = MovedRight(partner1, -int64_t{coordinate});
    partner2 = MovedRight(partner2, -int64_t{coordinate});
    coordinate = 0;
}

// Result extent along one axis: the source extent [low, high) fitted into room pixels of the destination,
// scaled down by downScale when it is not 0; high is cut to what is used.
int FitExtent(int low, int& high, int room, int downScale) {
    if (downScale == 0) {
        high = std::min(high, low + room);
        return high - low;
    }
    int extent = std::min((high - low) / downScale, room);
    high = std::min(high, low + extent * downScale);
    return extent;
}

}  // namespace

int CheckFilterKind(int blendFlag, int kind) {
    int last = blendFlag ? 16 : 9;
    return kind >= 0 && kind <= last ? 0 : -1;
}

float FilterBlendRatio(int ratio) {
    return float(std::clamp(ratio, 0, 255) / 255.0);
}

int ClipFilterRectangle(GraphicFilterContext* c, const FilterGraphicSizes& sizes, int downScale) {
    if (c->x2 <= c->x1 || c->y2 <= c->y1) return -1;
    ShiftToZero(c->x1, c->blendX, c->destinationX);
    ShiftToZero(c->y1, c->blendY, c->destinationY);
    ShiftToZero(c->destinationX, c->blendX, c->x1);
    ShiftToZero(c->destinationY, c->blendY, c->y1);
    // The blend rectangle must lie inside the blend graphic as well.
    if (c->blendFlag) {
        ShiftToZero(c->blendX, c->x1, c->destinationX);
        ShiftToZero(c->blendY, c->y1, c->destinationY);
    }
    if (c->x2 <= c->x1 || c->y2 <= c->y1) return 0;
    c->x2 = std::min(c->x2, sizes.sourceWidth);
    c->y2 = std::min(c->y2, sizes.sourceHeight);
    if (c->x1 >= sizes.sourceWidth || c->y1 >= sizes.sourceHeight || c->x2 - c->x1 < 1 || c->y2 - c->y1 < 1)
        return 0;
    if (c->destinationX >= sizes.destinationWidth || c->destinationY >= sizes.destinationHeight) return 0;
    if (c->blendFlag) {
        if (c->blendX >= sizes.blendWidth || c->blendY >= sizes.blendHeight) return 0;
        c->x2 = std::min(c->x2, c->x1 + sizes.blendWidth - c->blendX);
        c->y2 = std::min(c->y2, c->y1 + sizes.blendHeight - c->blendY);
    }
    c->resultWidth = FitExtent(c->x1, c->x2, sizes.destinationWidth - c->destinationX, downScale);
    c->resultHeight = FitExtent(c->y1, c->y2, sizes.destinationHeight - c->destinationY, downScale);
    return c->resultWidth >= 1 && c->resultHeight >= 1 ? 1 : 0;
}
