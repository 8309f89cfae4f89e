#include "engine/graphics/draw/draw_settings.h"

#include <algorithm>
#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/draw_target_depth.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/image/color_format.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"

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
    drawSettings.packedDrawColor = 0xFFFFFFFF;
    drawSettings.depthDrawTarget = -2;
    drawSettings.blendGraphic = -1;
}

namespace {

const bool settingsPreset = (ResetDrawSettingsBlock(), true);

constexpr uint32_t kWhite = 0xFFFFFF;

int ClampByte(int value) {
    return std::clamp(value, 0, 255);
}

// Alpha is the blend parameter while blending, else opaque; the colour is the bright.
void UpdatePackedDrawColor() {
    const DrawSettings& s = drawSettings;
    const uint32_t alpha = s.blendMode != 0 ? uint32_t(s.blendParam) : 255u;
    drawSettings.packedDrawColor = alpha << 24 | (s.bright & kWhite);
}

// The format colour values are packed in: the screen format of the device, or the software renderer's
// of the same depth.
const ColorFormat* ScreenColorFormat() {
    const bool bits16 = GetColorDepth() == 16;
    if (Direct3DMode) return GetColorFormatDescriptor(bits16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8);
    return GetMemImgColorFormat(bits16 ? 0 : 1, 0, 0);
}

uint32_t PackChannel(int value, int bits, int shift) {
    if (bits <= 0 || bits > 8) return 0;
    return uint32_t((value & 0xFF) >> (8 - bits)) << shift;
}

int UnpackChannel(uint32_t value, uint32_t mask, int bits, int shift) {
    if (bits <= 0 || bits > 31) return 0;
    return int(((value & mask) >> shift) * 255u / ((1u << bits) - 1u));
}

void StoreBright(uint32_t bright) {
    drawSettings.bright = bright;
    SetSoftDrawBright(bright);
    if (Direct3DMode) UpdatePackedDrawColor();
}

}  // namespace

int SetBlend(int mode, int param) {
    DrawSettings& s = drawSettings;
    if (s.drawingSuspended || (mode == s.blendMode && param == s.blendParam)) return 0;
    WaitWhileInactive();
    if (mode != s.blendMode) MarkStatesChanged();
    s.blendMode = mode;
    s.blendParam = ClampByte(param);
    SetSoftBlendMode(s.blendMode, s.blendParam);
    if (Direct3DMode) UpdatePackedDrawColor();
    return 0;
}

int SetBlend2(int mode, int param) {
    DrawSettings& s = drawSettings;
    if (s.drawingSuspended || (mode == s.secondBlendMode && param == s.secondBlendParam)) return 0;
    WaitWhileInactive();
    s.secondBlendMode = mode;
    s.secondBlendParam = ClampByte(param);
    MarkStatesChanged();
    return 0;
}

int SetBright(int red, int green, int blue) {
    const uint32_t bright = uint32_t(ClampByte(red) << 16 | ClampByte(green) << 8 | ClampByte(blue));
    const uint32_t old = drawSettings.bright & kWhite;
    if (bright == old) return 0;
    if (bright == kWhite || old == kWhite) MarkStatesChanged();
    StoreBright(bright);
    return 0;
}

void SetBrightPacked(uint32_t bright) {
    bright &= kWhite;
    if (bright == (drawSettings.bright & kWhite)) return;
    MarkStatesChanged();
    StoreBright(bright);
}

int SetTransparentColour(int red, int green, int blue) {
    if (GetColorDepth() == 8) return 0;
    const uint32_t colour = uint32_t((red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF));
    drawSettings.transparentColor = colour;
    SetGraphicCreateParamWord(0, int32_t(colour));
    return 0;
}

uint32_t GetTransparentColor() {
    return drawSettings.transparentColor;
}

uint32_t PackColor(int red, int green, int blue) {
    const ColorFormat* f = ScreenColorFormat();
    if (f == nullptr) return 0;
    return PackChannel(red, f->redWidth, f->redShift) | PackChannel(green, f->greenWidth, f->greenShift) |
           PackChannel(blue, f->blueWidth, f->blueShift) | f->fillMask;
}

int UnpackColor(uint32_t color, int* red, int* green, int* blue) {
    const ColorFormat* f = ScreenColorFormat();
    if (f == nullptr) return -1;
    *red = UnpackChannel(color, f->redMask, f->redWidth, f->redShift);
    *green = UnpackChannel(color, f->greenMask, f->greenWidth, f->greenShift);
    *blue = UnpackChannel(color, f->blueMask, f->blueWidth, f->blueShift);
    return 0;
}

int SetDepthDrawTarget(int graphic) {
    if (!graphicsStarted) return -1;
    WaitWhileInactive();
    int target = -2;
    if (LookupGraphic(graphic, 1) != nullptr) {
        const GraphicEntry* entry = LookupGraphic(graphic, 0);
        const GraphicImageBlock* block = entry != nullptr ? entry->block : nullptr;
        if (block == nullptr || !block->description.renderTarget || block->textureCount < 1 ||
            block->tiles[0].depthSurface == nullptr)
            return -1;
        target = graphic;
    }
    drawSettings.depthDrawTarget = target;
    ApplyDrawTargetDepthSurface();
    return 0;
}

int GetDepthDrawTarget() {
    return drawSettings.depthDrawTarget;
}

int SetWaitVerticalSync(int flag) {
    drawSettings.noVsyncWait = flag == 0;
    if (!libraryFlags.initialised) drawSettings.noVsyncWaitAtStart = drawSettings.noVsyncWait;
    return 0;
}

int IsWaitVerticalSync() {
    return drawSettings.noVsyncWait == 0;
}

int GetTextureFilterMode() {
    return drawSettings.drawMode;
}

int SetBlendPreparationWord(int value) {
    if (value == drawSettings.blendPreparation) return 0;
    FlushVertexBatch(0);
    drawSettings.blendPreparation = value;
    MarkStatesChanged();
    return 0;
}

int CheckBlendGraphicSize(const GraphicEntry* entry) {
    const GraphicEntry* blend = LookupGraphic(drawSettings.blendGraphic, 0);
    if (blend == nullptr || entry == nullptr) return -1;
    return blend->width == entry->width && blend->height == entry->height ? 0 : -1;
}

uint32_t GetPackedDrawColor() {
    return drawSettings.packedDrawColor;
}

float GetDrawDepth2D() {
    return drawSettings.drawDepth2D;
}

int GetBlendGraphicOffset(int* x, int* y) {
    *x = drawSettings.blendGraphicX;
    *y = drawSettings.blendGraphicY;
    return 0;
}

int IsDrawingSuspended() {
    return drawSettings.drawingSuspended;
}

int GetBlendGraphicHandle() {
    return drawSettings.blendGraphic;
}
