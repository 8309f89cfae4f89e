#include "engine/graphics/device/color_format_tables.h"

#include <array>

namespace {

// One row: a mask form (depth and masks) or a per-channel form (channels, bits, float).
struct FormatRow {
    uint32_t code;
    int bitDepth;
    uint32_t red, green, blue, alpha;
    int channels, bitsPerChannel, floatFlag;
};

constexpr FormatRow Masks(uint32_t code, int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return FormatRow{code, depth, r, g, b, a, 0, 0, 0};
}
constexpr FormatRow Channels(uint32_t code, int channels, int bits, int floatFlag) {
    return FormatRow{code, 0, 0, 0, 0, 0, channels, bits, floatFlag};
}

constexpr FormatRow kDirect3DRows[] = {
    Masks(20, 24, 0xFF0000, 0xFF00, 0xFF, 0),
    Masks(21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
    Masks(22, 32, 0xFF0000, 0xFF00, 0xFF, 0),
    Masks(23, 16, 0xF800, 0x7E0, 0x1F, 0),
    Masks(24, 16, 0x7C00, 0x3E0, 0x1F, 0),
    Masks(25, 16, 0x7C00, 0x3E0, 0x1F, 0x8000),
    Masks(26, 16, 0xF00, 0xF0, 0xF, 0xF000),
    Masks(27, 8, 0xE0, 0x1C, 0x3, 0),
    Masks(29, 16, 0xE0, 0x1C, 0x3, 0xFF00),
    Masks(30, 16, 0xF00, 0xF0, 0xF, 0),
    Masks(31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000),
    Masks(32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000),
    Masks(33, 32, 0xFF, 0xFF00, 0xFF0000, 0),
    Channels(34, 2, 16, 0),
    Masks(35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000),
    Channels(36, 4, 16, 0),
    Channels(50, 1, 8, 0),
    Channels(60, 2, 8, 0),
    Channels(81, 1, 16, 0),
    Channels(111, 1, 16, 1),
    Channels(112, 2, 16, 1),
    Channels(113, 4, 16, 1),
    Channels(114, 1, 32, 1),
    Channels(115, 2, 32, 1),
    Channels(116, 4, 32, 1),
};
constexpr int kDirect3DRowCount = int(sizeof(kDirect3DRows) / sizeof(kDirect3DRows[0]));

constexpr FormatRow kR5G6B5 = Masks(0, 16, 0xF800, 0x7E0, 0x1F, 0);
constexpr FormatRow kX8R8G8B8 = Masks(0, 32, 0xFF0000, 0xFF00, 0xFF, 0);
constexpr FormatRow kA8R8G8B8 = Masks(0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
constexpr FormatRow kA4R4G4B4 = Masks(0, 16, 0xF00, 0xF0, 0xF, 0xF000);
constexpr FormatRow kA1R5G5B5 = Masks(0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000);

// The five block-compressed indices (6..10) carry their code in the row's code field.
constexpr FormatRow Compressed(uint32_t formatCode) {
    FormatRow row = kA8R8G8B8;
    row.code = formatCode;
    return row;
}

constexpr FormatRow kIndexRows[kGraphicFormatCount] = {
    kR5G6B5,
    kX8R8G8B8,
    kA4R4G4B4,
    kA8R8G8B8,
    kA1R5G5B5,
    kA8R8G8B8,
    Compressed(1),
    Compressed(2),
    Compressed(3),
    Compressed(4),
    Compressed(5),
    kR5G6B5,
    kX8R8G8B8,
    kA8R8G8B8,
    Channels(0, 4, 16, 0),
    Channels(0, 4, 16, 1),
    Channels(0, 4, 32, 1),
    Channels(0, 1, 8, 0),
    Channels(0, 1, 16, 0),
    Channels(0, 1, 16, 1),
    Channels(0, 1, 32, 1),
    Channels(0, 2, 8, 0),
    Channels(0, 2, 16, 0),
    Channels(0, 2, 16, 1),
    Channels(0, 2, 32, 1),
};

ColorFormat Build(const FormatRow& row) {
    ColorFormat format;
    BuildColorFormat(&format, row.bitDepth, row.red, row.green, row.blue, row.alpha, row.channels,
                     row.bitsPerChannel, row.floatFlag);
    return format;
}

template <int Count, class Fill>
const std::array<ColorFormat, Count>& BuiltOnce(Fill fill) {
    static const std::array<ColorFormat, Count> table = [&] {
        std::array<ColorFormat, Count> built{};
        for (int i = 0; i < Count; ++i) built[i] = fill(i);
        return built;
    }();
    return table;
}

const std::array<ColorFormat, kDirect3DRowCount>& Direct3DTable() {
    return BuiltOnce<kDirect3DRowCount>([](int i) { return Build(kDirect3DRows[i]); });
}

const std::array<ColorFormat, kGraphicFormatCount>& IndexTable() {
    return BuiltOnce<kGraphicFormatCount>([](int i) {
        ColorFormat format = Build(kIndexRows[i]);
        if (i >= GRAPHIC_FORMAT_DXT1 && i < GRAPHIC_FORMAT_DXT1 + 5) {
            format.formatCode = uint8_t(kIndexRows[i].code);
            format.bitDepth = i == GRAPHIC_FORMAT_DXT1 ? 4 : 8;
        }
        return format;
    });
}

// bits per channel, or when 0 the bit depth compared with the depth limit instead.
bool Below(int bitsPerChannel, int channelLimit, int bitDepth, int depthLimit) {
    return bitsPerChannel != 0 ? bitsPerChannel < channelLimit : bitDepth < depthLimit;
}

}  // namespace

const ColorFormat* GetColorFormatDescriptor(uint32_t direct3DFormat) {
    for (int i = 0; i < kDirect3DRowCount; ++i)
        if (kDirect3DRows[i].code == direct3DFormat) return &Direct3DTable()[i];
    return nullptr;
}

const ColorFormat* GetColorFormatByIndex(int index) {
    if (index < 0 || index >= kGraphicFormatCount) return nullptr;
    return &IndexTable()[index];
}

int GraphicFormatIndex(const uint8_t* description) {
    const int code = description[DESCRIPTION_FORMAT_CODE];
    const bool isFloat = description[DESCRIPTION_FLOAT] != 0;
    const int depth = description[DESCRIPTION_BIT_DEPTH];
    const int bits = description[DESCRIPTION_BITS_PER_CHANNEL];
    if (code >= 1 && code <= 5) return GRAPHIC_FORMAT_DXT1 - 1 + code;
    switch (description[DESCRIPTION_CHANNEL_COUNT]) {
        case 1:
            if (isFloat)
                return Below(bits, 32, depth, 32) ? GRAPHIC_FORMAT_ONE_FLOAT16 : GRAPHIC_FORMAT_ONE_FLOAT32;
            return Below(bits, 16, depth, 16) ? GRAPHIC_FORMAT_ONE_INT8 : GRAPHIC_FORMAT_ONE_INT16;
        case 2:
            if (isFloat)
                return Below(bits, 32, depth, 64) ? GRAPHIC_FORMAT_TWO_FLOAT16 : GRAPHIC_FORMAT_TWO_FLOAT32;
            return Below(bits, 16, depth, 32) ? GRAPHIC_FORMAT_TWO_INT8 : GRAPHIC_FORMAT_TWO_INT16;
    }
    if (isFloat)
        return Below(bits, 32, depth, 128) ? GRAPHIC_FORMAT_ABGR_FLOAT16 : GRAPHIC_FORMAT_ABGR_FLOAT32;
    if (bits >= 9) return GRAPHIC_FORMAT_ABGR_INT16;
    const int d = depth == 16 ? 0 : 1;
    const bool alpha = description[DESCRIPTION_ALPHA] != 0;
    const int colorKey = description[DESCRIPTION_COLOR_KEY_ALPHA];
    if (description[DESCRIPTION_RENDER_TARGET]) {
        if (alpha || colorKey == 1) return GRAPHIC_FORMAT_TARGET_A8R8G8B8;
        return GRAPHIC_FORMAT_TARGET_R5G6B5 + d;
    }
    if (alpha) return GRAPHIC_FORMAT_A4R4G4B4 + d;
    return colorKey == 0 ? GRAPHIC_FORMAT_R5G6B5 + d : GRAPHIC_FORMAT_A1R5G5B5 + d;
}

int VectorTransform(Vector3* out, const Vector3* v, const Matrix4* m) {
    return TransformPoint(out, v, m);
}

int VectorTransformRotation(Vector3* out, const Vector3* v, const Matrix4* m) {
    Vector3 r;
    r.x = v->x * m->m[0][0] + v->y * m->m[1][0] + v->z * m->m[2][0];
    r.y = v->x * m->m[0][1] + v->y * m->m[1][1] + v->z * m->m[2][1];
    r.z = v->x * m->m[0][2] + v->y * m->m[1][2] + v->z * m->m[2][2];
    *out = r;
    return 0;
}
