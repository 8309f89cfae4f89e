#include "engine/softrender/soft_render_state.h"

#include <algorithm>

SoftRenderState g_softRenderState;
SoftBlendTables g_softBlendTables;
uint8_t BlendImageWeightTable[256];

int SetMemImgDefaultKind(int kind) {
    g_softRenderState.defaultKind = kind;
    return 0;
}

int SetSoftClipRect(const int32_t* rect) {
    std::copy(rect, rect + 4, g_softRenderState.clipRect);
    return 0;
}

int SetSoftBlendMode(int mode, int param) {
    g_softRenderState.blendMode = mode;
    g_softRenderState.blendParam = param;
    return 0;
}

int SetSoftDrawBright(uint32_t bright) {
    g_softRenderState.drawBright = bright;
    return 0;
}

int BuildSoftBlendTables() {
    SoftBlendTables& t = g_softBlendTables;
    for (int p = 0; p < 256; ++p) {
        for (int j = 0; j < 511; ++j) t.DiffScaleTable[p][j] = (j - 255) * p / 255;
        t.DiffScaleTable[p][511] = 0;
    }
    for (int p = 0; p < 256; ++p) {
        for (int i = 0; i < 256; ++i) t.ScaleTable[p][i] = i * p / 255;
    }
    for (int a = 0; a < 64; ++a) {
        for (int s = 0; s < 64; ++s) {
            for (int d = 0; d < 64; ++d)
                t.Lerp6Table[a][s][d] = static_cast<uint8_t>((a * s + (63 - a) * d) / 63);
        }
    }
    return 0;
}

// Out-of-range arguments are clamped: a range of -1 would otherwise divide by zero.
void BuildBlendImageWeightTable(int border, int range) {
    border = std::clamp(border, 0, 255);
    const int n = std::clamp(range, 0, 255) + 1;
    const int step = 65536 / n;
    const int offset = 256 - ((step + 256) * border) / 256;
    for (int i = 0; i < 256; ++i)
        BlendImageWeightTable[i] = static_cast<uint8_t>(std::clamp((256 * i) / n + offset, 0, 255));
}
