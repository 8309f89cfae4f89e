// The knife's seven invisible hit pieces that trace the arc of the slash.
#pragma once

#include <cstdint>

struct KnifePiece {
    uint8_t shape;         // a segment (width and height run from its start to its end) or a circle
    int width, height;     // a circle's radius is its width
    int offsetX, offsetY;  // from the player's (x, y)
};

// The piece (0-6) of the slash drawn on the surface with the flip.
const KnifePiece& KnifePieceFor(int surface, int flip, int piece);
