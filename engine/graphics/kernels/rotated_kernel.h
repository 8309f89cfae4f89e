// The Direct3D rotated and scaled image draw: every draw tile's corners turned about the screen point
// that receives the graphic's centre, appended whole (the device clips).
#pragma once

#include "engine/graphics/handles/graphic_records.h"

// angle in radians, clockwise on screen; turn 1 mirrors left to right. 0; -1 without a device or with a
// scale of 0.0.
int D3DDrawImageRotated(int transparent, const GraphicEntry* graphic, int x, int y, float xf, float yf,
                        double scale, double angle, const GraphicEntry* blendGraphic, int turn, int oneToOne);

// The centre inside the graphic (cx, cy) and on the screen (px, py) of a rotated draw.
struct RotationCentre {
    float cx, cy, px, py;
};
RotationCentre ChooseRotationCentre(int width, int height, int x, int y, float xf, float yf, double scale,
                                    int oneToOne, int drawMode);
// 1 when the angle lies within 4 degrees of a multiple of 90 degrees (0 to 360), or outside -4 to 364.
int NearRightAngle(double angle);
