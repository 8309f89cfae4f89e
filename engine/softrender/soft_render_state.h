// The process-wide render state of the software renderer and the lookup tables its blends read.
#pragma once

#include <cstdint>

struct SoftRenderState {
    int32_t defaultKind;  // MemImgKind that CreateMemImg uses for kind -1
    int32_t clipRect[4];  // left, top, right, bottom; right and bottom exclusive
    int32_t blendMode;
    int32_t blendParam;
    uint32_t drawBright = 0xFFFFFF;  // 0x00RRGGBB; the tint is off when the low 24 bits are 0xFFFFFF
};

struct SoftBlendTables {
    int32_t ScaleTable[256][256];      // [p][i] = trunc(i * p / 255)
    int32_t DiffScaleTable[256][512];  // [p][255 + x] = trunc(x * p / 255); entry 511 is 0
    uint8_t Lerp6Table[64][64][64];    // [a][s][d] = trunc((a * s + (63 - a) * d) / 63)
};

extern SoftRenderState g_softRenderState;
extern SoftBlendTables g_softBlendTables;
extern uint8_t BlendImageWeightTable[256];

int SetMemImgDefaultKind(int kind);
int SetSoftClipRect(const int32_t* rect);
int SetSoftBlendMode(int mode, int param);
int SetSoftDrawBright(uint32_t bright);
int BuildSoftBlendTables();
void BuildBlendImageWeightTable(int border, int range);

inline bool SoftTintOn(uint32_t bright) {
    return (bright & 0xFFFFFF) != 0xFFFFFF;
}
