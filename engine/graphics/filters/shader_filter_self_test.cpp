#include "engine/graphics/filters/shader_filter_self_test.h"

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/filters/graphic_filter.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/image/soft_image.h"

int ShaderFilterVerified = 0;

namespace {

constexpr int kSide = 8;
constexpr uint32_t kDiagonal[4] = {0xCCA850, 0x8064F5, 0x42DE8F, 0x22FF4E};

uint32_t PixelAt(SoftImage* image, int x, int y) {
    int r = 0, g = 0, b = 0, a = 0;
    GetImagePixelRgba(image, x, y, &r, &g, &b, &a);
    return uint32_t(r << 16 | g << 8 | b);
}

// The inverted graphic's diagonal read back, or false when any step failed.
bool InvertAndReadBack(uint32_t read[4]) {
    const int graphic = MakeDrawTarget(kSide, kSide, 0);
    if (graphic == -1) return false;
    SoftImage written{}, readBack{};
    bool ok = CreateSoftImageXrgb8(kSide, kSide, &written) == 0;
    for (int i = 0; ok && i < 4; ++i)
        SetImagePixelRgba(&written, i, i, int(kDiagonal[i] >> 16), int(kDiagonal[i] >> 8 & 255),
                          int(kDiagonal[i] & 255), 255);
    ok = ok && TransferImageToGraphic(&written, nullptr, nullptr, 0, 0, graphic) == 0;
    if (ok) {
        ShaderFilterVerified = 1;
        ok = ApplyGraphicFilter(graphic, kFilterInvert) == 0;
        ShaderFilterVerified = 0;
    }
    ok = ok && ReadGraphicToImage(graphic, &readBack, nullptr) == 0;
    for (int i = 0; ok && i < 4; ++i) read[i] = PixelAt(&readBack, i, i);
    ReleaseSoftImage(&written);
    ReleaseSoftImage(&readBack);
    FreeGraphic(graphic, 0);
    return ok;
}

}  // namespace

int CountInvertedChannels(const uint32_t* written, const uint32_t* read, int count) {
    int exact = 0;
    for (int i = 0; i < count; ++i)
        for (int shift = 0; shift <= 16; shift += 8) {
            const int sum = int(written[i] >> shift & 255) + int(read[i] >> shift & 255);
            if (sum >= 254 && sum <= 256) ++exact;
        }
    return exact;
}

int RunShaderFilterSelfTest() {
    ShaderFilterVerified = 0;
    if (!Direct3DMode || !GetProgrammableShaderFlag()) return 0;
    uint32_t read[4] = {};
    if (InvertAndReadBack(read) && CountInvertedChannels(kDiagonal, read, 4) == 12) ShaderFilterVerified = 1;
    return 0;
}
