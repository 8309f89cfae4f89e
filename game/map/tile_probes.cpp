#include "game/map/tile_probes.h"

#include "game/frame/game_state.h"

namespace {

constexpr int kProbeStep = 8;

enum class Edge { kTop, kBottom, kLeft, kRight };

int BoxEdge(const SolidBox& box, Edge edge) {
    switch (edge) {
        case Edge::kTop:
            return box.y1;
        case Edge::kBottom:
            return box.y2;
        case Edge::kLeft:
            return box.x1;
        case Edge::kRight:
            return box.x2;
    }
    return 0;
}

// The tile edge for the fixed coordinate (divisions truncate toward zero).
int TileEdge(int fixed, Edge edge) {
    const bool far = edge == Edge::kBottom || edge == Edge::kRight;
    return (fixed / kTileSize + (far ? 1 : 0)) * kTileSize;
}

// One probe along x when alongX, else along y: from `from` up to `to`, every 8 pixels, the end always;
// a start beyond the end tests the end alone.
bool Scan(const MapData* map, int from, int to, int fixed, bool alongX, Edge edge, bool marksBox, int* out) {
    const LayerData* layer = map != nullptr ? map->Layer(0) : nullptr;
    if (layer == nullptr) return false;
    bool found = false;
    for (int64_t p = from;; p += kProbeStep) {
        if (p > to) p = to;
        const int64_t wx = alongX ? p : fixed;
        const int64_t wy = alongX ? fixed : p;
        const int id =
            layer->TileAt(static_cast<int>(wx - map->cameraX), static_cast<int>(wy - map->cameraY), true);
        if (id > 0) {
            found = true;
            *out = TileEdge(fixed, edge);
        } else if (id < 0) {
            found = true;
            *out = BoxEdge(solidBoxes[-id - 1], edge);
            if (marksBox) standingOnBox = 1;
        }
        if (p == to) break;
    }
    return found;
}

}  // namespace

bool ScanTilesAlongX(const MapData* map, int x0, int x1, int y, int* out, bool platform) {
    return Scan(map, x0, x1, y, true, Edge::kTop, platform, out);
}

bool ScanTilesAlongXB(const MapData* map, int x0, int x1, int y, int* out, bool platform) {
    return Scan(map, x0, x1, y, true, Edge::kBottom, platform, out);
}

bool ScanTilesAlongY(const MapData* map, int y0, int y1, int x, int* out) {
    return Scan(map, y0, y1, x, false, Edge::kRight, true, out);
}

bool ScanTilesAlongYB(const MapData* map, int y0, int y1, int x, int* out) {
    return Scan(map, y0, y1, x, false, Edge::kLeft, true, out);
}
