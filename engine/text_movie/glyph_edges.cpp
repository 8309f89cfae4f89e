#include "engine/text_movie/glyph_edges.h"

#include <cstdlib>

namespace {

// Row-major 9x9 tables, the mask of side 2e+1 in the top-left corner.
constexpr const char* kEdgeMasks[4][9] = {
    {"010", "111", "010"},
    {"01110", "11111", "11111", "11111", "01110"},
    {"0001000", "0111110", "0111110", "1111111", "0111110", "0111110", "0001000"},
    {"001111100", "011111110", "111111111", "111111111", "111111111", "111111111", "111111111", "011111110",
     "001111100"},
};

}  // namespace

bool InEdgeMask(int edgeSize, int dx, int dy) {
    if (std::abs(dx) > edgeSize || std::abs(dy) > edgeSize) return false;
    if (edgeSize > 4) return true;
    if (edgeSize < 1) return dx == 0 && dy == 0;
    return kEdgeMasks[edgeSize - 1][dy + edgeSize][dx + edgeSize] == '1';
}

bool InGreyEdgeNeighbourhood(int edgeSize, int dx, int dy) {
    if (edgeSize == 1) return std::abs(dx) <= 1 && std::abs(dy) <= 1 && (dx != 0 || dy != 0);
    return InEdgeMask(edgeSize, dx, dy);
}
