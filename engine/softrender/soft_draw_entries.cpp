#include "engine/softrender/soft_draw_entries.h"

#include "engine/core/helpers/string_helpers.h"
#include "engine/softrender/colour_kernels.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/triangle_kernels.h"

SoftDrawSurfaces g_softDrawSurfaces;

int SoftTargetDrawImage(int x, int y, MEMIMG* image, int transparentFlag) {
    SoftDrawImage(g_softDrawSurfaces.target, image, x, y, transparentFlag, g_softDrawSurfaces.blendImage);
    return 0;
}

int SoftTargetDrawImageStretched(int x1, int y1, int x2, int y2, MEMIMG* image, int transparentFlag) {
    const int32_t rect[4] = {x1, y1, x2, y2};
    SoftDrawImageStretched(g_softDrawSurfaces.target, image, rect, transparentFlag,
                           g_softDrawSurfaces.blendImage);
    return 0;
}

int SoftTargetDrawImageRotated(float x, float y, double scale, double angle, MEMIMG* image,
                               int transparentFlag, int mirrorFlag) {
    SoftDrawImageRotated(g_softDrawSurfaces.target, image, FloatToInt(x), FloatToInt(y),
                         static_cast<float>(angle), static_cast<float>(scale), transparentFlag, mirrorFlag,
                         g_softDrawSurfaces.blendImage);
    return 0;
}

// Two triangles split along the diagonal from the top-right to the bottom-left corner.
int SoftTargetDrawImageQuad(int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3, MEMIMG* image,
                            int transparentFlag) {
    if (image == nullptr) return 0;
    const int w = image->width, h = image->height;
    const TriangleVertex v[4] = {{x0, y0, 0, 0}, {x1, y1, w, 0}, {x2, y2, 0, h}, {x3, y3, w, h}};
    SoftDrawTriangle(g_softDrawSurfaces.target, image, v, transparentFlag, g_softDrawSurfaces.blendImage, 0);
    SoftDrawTriangle(g_softDrawSurfaces.target, image, v + 1, transparentFlag, g_softDrawSurfaces.blendImage,
                     0);
    return 0;
}

int SoftTargetDrawImageQuadF(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3,
                             MEMIMG* image, int transparentFlag) {
    return SoftTargetDrawImageQuad(FloatToInt(x0), FloatToInt(y0), FloatToInt(x1), FloatToInt(y1),
                                   FloatToInt(x2), FloatToInt(y2), FloatToInt(x3), FloatToInt(y3), image,
                                   transparentFlag);
}

int SoftTargetFillRect(int x1, int y1, int x2, int y2, uint32_t colour) {
    const int32_t rect[4] = {x1, y1, x2, y2};
    SoftFillRect(g_softDrawSurfaces.target, rect, colour);
    return 0;
}

int SoftTargetDrawLine(int x1, int y1, int x2, int y2, uint32_t colour) {
    SoftDrawLine(g_softDrawSurfaces.target, x1, y1, x2, y2, colour);
    return 0;
}

int SoftTargetDrawCircle(int x, int y, int radius, uint32_t colour, int fill) {
    SoftDrawCircle(g_softDrawSurfaces.target, x, y, radius, colour, fill);
    return 0;
}
