#include "engine/text_movie/font_environment.h"

// Graphics' calls, where graphics is linked in.
int HasD3DDevice() __attribute__((weak));
int GetColorDepth() __attribute__((weak));
int FreeGraphic(int graphic, int flag) __attribute__((weak));

namespace {

int Zero() {
    return 0;
}
int One() {
    return 1;
}
int DefaultColorDepth() {
    return GetColorDepth ? GetColorDepth() : 16;
}
int DefaultDirect3D() {
    return HasD3DDevice ? HasD3DDevice() : 0;
}
int NoTexture(int, int, int, int, int) {
    return -1;
}
int NoPart(int, int, int, int, int) {
    return -1;
}
int NoFlag(int, int*) {
    return -1;
}
int NoFill(int, int, int, int, int) {
    return -1;
}
int NoTransfer(const SoftImage*, int, int, int, int, int, int, int) {
    return -1;
}
int DefaultDelete(int graphic) {
    return FreeGraphic ? FreeGraphic(graphic, 0) : -1;
}

constexpr FontEnvironment kDefaults = {
    .mainWindowDestroyed = Zero,
    .screenColorDepth = DefaultColorDepth,
    .direct3DDrawing = DefaultDirect3D,
    .graphicsStarted = One,
    .drawingSuspended = Zero,
    .createCacheTexture = NoTexture,
    .createPartGraphic = NoPart,
    .setGraphicDeletedFlag = NoFlag,
    .fillGraphic = NoFill,
    .transferImageToGraphic = NoTransfer,
    .deleteGraphic = DefaultDelete,
};

FontEnvironment current = kDefaults;

}  // namespace

const FontEnvironment& GetFontEnvironment() {
    return current;
}

void SetFontEnvironment(const FontEnvironment* environment) {
    current = environment ? *environment : kDefaults;
}
