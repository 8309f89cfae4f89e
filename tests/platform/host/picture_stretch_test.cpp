// The present path's nearest-pixel stretch against the plain per-pixel rule, for the shapes it takes
// shortcuts on (unscaled rows, repeated rows, doubled and shrunk columns) and for clipping at each edge.
#include "platform/host/picture_stretch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kUntouched = 0x12345678u;

// A source whose every pixel differs, with alpha bytes that are not 0xFF and a pitch wider than a row.
struct Source {
    int width, height, pitch_bytes;
    std::vector<uint8_t> bytes;
    Source(int w, int h) : width(w), height(h), pitch_bytes(w * 4 + 12), bytes(size_t(pitch_bytes) * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t value = 0x40000000u | uint32_t(y) << 12 | uint32_t(x);
                std::memcpy(&bytes[size_t(y) * pitch_bytes + 4 * x], &value, 4);
            }
    }
    uint32_t At(int64_t x, int64_t y) const {
        uint32_t value;
        std::memcpy(&value, &bytes[size_t(y) * pitch_bytes + 4 * x], 4);
        return value;
    }
};

std::vector<uint32_t> Expected(const Source& source, const RECT& dest, int width, int height,
                               uint32_t alpha_or) {
    std::vector<uint32_t> out(size_t(width) * height, kUntouched);
    const int64_t dw = int64_t{dest.right} - dest.left, dh = int64_t{dest.bottom} - dest.top;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom)
                out[size_t(y) * width + x] =
                    source.At((x - dest.left) * source.width / dw, (y - dest.top) * source.height / dh) |
                    alpha_or;
    return out;
}

struct Case {
    const char* name;
    int source_width, source_height;
    RECT dest;
    uint32_t alpha_or;
};

TEST(PictureStretchTest, MatchesThePerPixelRule) {
    const Case cases[] = {
        {"unscaled at origin", 40, 30, {0, 0, 40, 30}, 0xFF000000u},
        {"unscaled keeping alpha", 40, 30, {0, 0, 40, 30}, 0},
        {"unscaled clipped left and top", 40, 30, {-5, -3, 35, 27}, 0xFF000000u},
        {"doubled", 20, 15, {0, 0, 40, 30}, 0xFF000000u},
        {"doubled keeping alpha", 20, 15, {0, 0, 40, 30}, 0},
        {"tripled and offset", 10, 7, {3, 2, 33, 23}, 0xFF000000u},
        {"shrunk", 64, 45, {0, 0, 40, 30}, 0xFF000000u},
        {"uneven both ways", 17, 40, {1, 0, 40, 29}, 0xFF000000u},
        {"clipped right and bottom", 20, 15, {10, 8, 50, 38}, 0xFF000000u},
        {"clipped on every edge", 20, 15, {-10, -8, 60, 45}, 0},
    };
    for (const Case& c : cases) {
        const Source source(c.source_width, c.source_height);
        std::vector<uint32_t> out(40 * 30, kUntouched);
        EXPECT_TRUE(StretchPicture({source.bytes.data(), source.width, source.height, source.pitch_bytes},
                                   c.dest, {out.data(), 40, 30}, c.alpha_or))
            << c.name;
        EXPECT_EQ(out, Expected(source, c.dest, 40, 30, c.alpha_or)) << c.name;
    }
}

TEST(PictureStretchTest, EmptyDestIsRefusedAndOneOutsideWritesNothing) {
    const Source source(8, 8);
    const StretchSource in{source.bytes.data(), 8, 8, source.pitch_bytes};
    std::vector<uint32_t> out(16 * 16, kUntouched);
    EXPECT_FALSE(StretchPicture(in, RECT{4, 4, 4, 10}, {out.data(), 16, 16}, 0));
    EXPECT_FALSE(StretchPicture(in, RECT{4, 4, 10, 2}, {out.data(), 16, 16}, 0));
    EXPECT_TRUE(StretchPicture(in, RECT{16, 0, 32, 16}, {out.data(), 16, 16}, 0));
    EXPECT_TRUE(StretchPicture(in, RECT{-20, -20, -4, -4}, {out.data(), 16, 16}, 0));
    EXPECT_EQ(out, std::vector<uint32_t>(16 * 16, kUntouched));
}

}  // namespace
