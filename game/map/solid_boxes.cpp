#include "game/map/map_data.h"

SolidBox solidBoxes[kSolidBoxCapacity] = {};
int32_t solidBoxCount = 0;

int AddSolidBox(int x1, int y1, int x2, int y2) {
    if (solidBoxCount < 0 || solidBoxCount >= kSolidBoxCapacity) return -1;
    solidBoxes[solidBoxCount] = {x1, y1, x2, y2};
    return ++solidBoxCount;
}

int MapData::FindSolidBoxAt(int x, int y) {
    const int count = solidBoxCount < kSolidBoxCapacity ? solidBoxCount : kSolidBoxCapacity;
    for (int n = count; n >= 1; --n) {
        const SolidBox& box = solidBoxes[n - 1];
        if (box.x1 <= x && x < box.x2 && box.y1 <= y && y < box.y2) return n;
    }
    return -1;
}
