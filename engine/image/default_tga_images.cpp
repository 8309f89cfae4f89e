#include "engine/image/default_tga_images.h"

#include <array>
#include <cstddef>

namespace {

// A run-length true-colour TGA (type 10, bottom-left origin) with the TGA 2.0 footer, whose every row
// is the same runs of one grey level each; `rowRuns` lists {length, level} pairs.
template <size_t Size, size_t Runs>
constexpr std::array<uint8_t, Size> BuildGreyTga(int width, int height, int bits,
                                                 const std::array<std::array<int, 2>, Runs>& rowRuns) {
    std::array<uint8_t, Size> file{};
    size_t at = 0;
    auto put = [&](int byte) { file[at++] = static_cast<uint8_t>(byte); };
    int alphaBits = bits == 32 ? 8 : 0;
    for (int byte : {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, width & 0xFF, width >> 8, height & 0xFF,
                     height >> 8, bits, alphaBits})
        put(byte);
    for (int y = 0; y < height; ++y) {
        for (const auto& run : rowRuns) {
            put(0x80 | (run[0] - 1));
            for (int c = 0; c < 3; ++c) put(run[1]);
            if (bits == 32) put(0xFF);
        }
    }
    for (int i = 0; i < 8; ++i) put(0);
    for (char c : "TRUEVISION-XFILE.") put(c);  // the terminating NUL included
    return file;
}

}  // namespace

constinit const std::array<uint8_t, 84> kDefaultWhiteTga = BuildGreyTga<84, 1>(8, 8, 32, {{{8, 0xFF}}});
constinit const std::array<uint8_t, 172> kDefaultRampTga =
    BuildGreyTga<172, 4>(256, 8, 24, {{{64, 0x00}, {64, 0x55}, {64, 0xAA}, {64, 0xFF}}});
