// Image filters of graphics: a filter over a rectangle of a graphic, or a blend of a second graphic into
// it, written into a destination graphic.
#pragma once

// Filters the whole graphic in place with filter kind 0-9; the kind's further arguments follow as ints.
int ApplyGraphicFilter(int graphic, int kind, ...);

// Filters (blendFlag 0, kinds 0-9) or blends (blendFlag 1, kinds 0-16) the rectangle x1, y1, x2, y2 of
// source, with the blend graphic's rectangle at (blendX, blendY), into destination at (destinationX,
// destinationY). blendRatio is 0-255; arguments holds the kind's further ints. 0 on success and when
// nothing is left after clipping; -1 for invalid graphics, kinds or rectangles and when the filter fails.
int RunGraphicFilter(int blendFlag, int source, int blendGraphic, int destination, int blendRatio, int kind,
                     int x1, int y1, int x2, int y2, int blendX, int blendY, int thirteenth, int destinationX,
                     int destinationY, const int* arguments);
