// The neighbourhoods an edge of e pixels covers around a body pixel.
#pragma once

// The edge masks for sizes 1 to 4 (the 3x3 cross, 5x5 without corners, and the rounder 7x7 and 9x9);
// the whole (2e+1) x (2e+1) square above 4. dx and dy run from -e to e.
bool InEdgeMask(int edgeSize, int dx, int dy);
// The grey texture edge: the 8 surrounding pixels for size 1, else as InEdgeMask.
bool InGreyEdgeNeighbourhood(int edgeSize, int dx, int dy);
