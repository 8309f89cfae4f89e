// The ten static colour formats of the surface kinds, each built on its first request.
#include "engine/softrender/mem_img.h"

#include "engine/image/color_format.h"

namespace {

struct FormatSlot {
    ColorFormat format;
    bool built;
};

struct DirectFormat {
    int depth;
    uint32_t r, g, b, a;
};

// [kind][alpha][palette] for kinds 0 and 1.
constexpr DirectFormat kDirectFormats[2][2][2] = {
    {{{16, 0xF800, 0x07E0, 0x001F, 0}, {8, 0xF800, 0x07E0, 0x001F, 0}},
     {{32, 0xF800, 0x07E0, 0x001F, 0x00FF0000}, {8, 0xF800, 0x07E0, 0x001F, 0x00FF0000}}},
    {{{32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}, {8, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}},
     {{32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
      {8, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}}},
};

FormatSlot g_direct[2][2][2];
FormatSlot g_single[2];

void BuildSingleChannel(ColorFormat* f, int bits) {
    *f = ColorFormat{};
    const uint32_t mask = (1u << bits) - 1;
    f->pixelBytes = static_cast<uint8_t>(bits / 8);
    f->bitDepth = static_cast<uint8_t>(bits);
    f->redWidth = f->greenWidth = f->blueWidth = f->alphaWidth = static_cast<uint8_t>(bits);
    f->redMask = f->greenMask = f->blueMask = f->alphaMask = mask;
}

}  // namespace

const ColorFormat* GetMemImgColorFormat(MemImgKind kind, int hasAlpha, int hasPalette) {
    if (static_cast<uint32_t>(kind) > 3) return nullptr;
    if (kind >= 2) {
        FormatSlot& slot = g_single[kind - 2];
        if (!slot.built) BuildSingleChannel(&slot.format, kind == 2 ? 8 : 16);
        slot.built = true;
        return &slot.format;
    }
    const int a = hasAlpha ? 1 : 0, p = hasPalette ? 1 : 0;
    FormatSlot& slot = g_direct[kind][a][p];
    if (!slot.built) {
        const DirectFormat& d = kDirectFormats[kind][a][p];
        BuildColorFormat(&slot.format, d.depth, d.r, d.g, d.b, d.a, 0, 0, 0);
        slot.built = true;
    }
    return &slot.format;
}
