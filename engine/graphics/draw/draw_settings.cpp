#include "engine/graphics/draw/draw_settings.h"

#include <cstring>

DrawSettings drawSettings;

void ResetDrawSettingsBlock() {
    std::memset(&drawSettings, 0, sizeof drawSettings);
    drawSettings.secondBlendMode = -1;
    drawSettings.bright = 0xFFFFFF;
    drawSettings.fillMode = D3DFILL_SOLID;
    for (int s = 0; s < 8; ++s) drawSettings.addressU[s] = drawSettings.addressV[s] = D3DTADDRESS_CLAMP;
    drawSettings.depth2D.zFunction = drawSettings.depth3D.zFunction = D3DCMP_LESSEQUAL;
    drawSettings.maxAnisotropy = 1;
    SetIdentityMatrix(&drawSettings.textureTransform);
}

namespace {
const bool settingsPreset = (ResetDrawSettingsBlock(), true);
}
