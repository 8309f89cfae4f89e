#include "engine/image/yuv_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/image/image_test_util.h"

namespace {

// The conversion formula, written out for the test from its definition.
uint32_t Reference(int y, int u, int v) {
    auto clamp = [](long s) -> uint32_t { return s < 0 ? 0 : s > 0x7F8000 ? 255 : uint32_t(s >> 15); };
    long b = y * 32768L + 58064L * (u - 128);
    long g = y * 32768L - 11272L * (u - 128) - 23396L * (v - 128);
    long r = y * 32768L + 45940L * (v - 128);
    return 0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

TEST(YuvToRgb, FixedPointTableValues) {
    EXPECT_EQ(Reference(255, 128, 128), 0xFFFFFFFFu);
    EXPECT_EQ(Reference(0, 128, 128), 0xFF000000u);
    EXPECT_EQ(Reference(128, 128, 255), 0xFFFF2580u);  // R 255 (clamped), G 37, B 128
    // The converters produce exactly these values.
    ScopedImage image;
    ASSERT_EQ(CreateSoftImageXrgb8(2, 1, image.get()), 0);
    const uint8_t yuy2[4] = {128, 128, 255, 255};
    ConvertYuy2ToImage(yuy2, 2, 1, image.get());
    EXPECT_EQ(RawPixel(image.image, 0, 0), 0xFFFF2580u);
    EXPECT_EQ(RawPixel(image.image, 1, 0), Reference(255, 128, 255));
}

struct Frame {
    int w, h;
    std::vector<uint8_t> y, u, v;  // full-size planes of luma and of the chroma each pixel uses
};

// A frame whose chroma is shared by the blocks the layout defines (bw x bh pixels per chroma pair).
Frame MakeFrame(int w, int h, int bw, int bh) {
    Frame f{w, h, std::vector<uint8_t>(w * h), std::vector<uint8_t>(w * h), std::vector<uint8_t>(w * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            f.y[y * w + x] = uint8_t(17 * x + 31 * y + 3);
            int block = (y / bh) * 7 + x / bw;
            f.u[y * w + x] = uint8_t(40 + 23 * block);
            f.v[y * w + x] = uint8_t(220 - 19 * block);
        }
    return f;
}

using Converter = int (*)(const uint8_t*, int, int, SoftImage*);

struct LayoutCase {
    const char* name;
    Converter convert;
    int bw, bh;
    std::vector<uint8_t> (*pack)(const Frame&);
};

std::vector<uint8_t> PackYv12(const Frame& f) {
    std::vector<uint8_t> out(f.y);
    for (int plane = 0; plane < 2; ++plane)
        for (int y = 0; y < f.h / 2; ++y)
            for (int x = 0; x < f.w / 2; ++x) out.push_back((plane == 0 ? f.v : f.u)[2 * y * f.w + 2 * x]);
    return out;
}
std::vector<uint8_t> PackNv12(const Frame& f) {
    std::vector<uint8_t> out(f.y);
    for (int y = 0; y < f.h / 2; ++y)
        for (int x = 0; x < f.w; ++x)
            out.push_back(x % 2 == 0 ? f.u[2 * y * f.w + x] : f.v[2 * y * f.w + x - 1]);
    return out;
}
std::vector<uint8_t> Pack422(const Frame& f, const int order[4]) {  // order: Y0, U, Y1, V positions
    std::vector<uint8_t> out(f.w * f.h * 2);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x + 1 < f.w; x += 2) {
            uint8_t* g = &out[y * f.w * 2 + x * 2];
            int i = y * f.w + x;
            g[order[0]] = f.y[i];
            g[order[1]] = f.u[i];
            g[order[2]] = f.y[i + 1];
            g[order[3]] = f.v[i];
        }
    return out;
}
std::vector<uint8_t> PackYuy2(const Frame& f) {
    const int o[4] = {0, 1, 2, 3};
    return Pack422(f, o);
}
std::vector<uint8_t> PackUyvy(const Frame& f) {
    const int o[4] = {1, 0, 3, 2};
    return Pack422(f, o);
}
std::vector<uint8_t> PackYvyu(const Frame& f) {
    const int o[4] = {0, 3, 2, 1};
    return Pack422(f, o);
}
std::vector<uint8_t> PackNv11(const Frame& f) {
    std::vector<uint8_t> out(f.y);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w / 2; ++x) {
            int px = x / 2 * 4;
            out.push_back(x % 2 == 0 ? f.u[y * f.w + px] : f.v[y * f.w + px]);
        }
    return out;
}

TEST(YuvToRgb, EveryLayoutPlacesLumaAndChromaAndLeavesTheRemainderUnwritten) {
    const LayoutCase layouts[] = {
        {"YV12", ConvertYv12ToImage, 2, 2, PackYv12}, {"NV12", ConvertNv12ToImage, 2, 2, PackNv12},
        {"YUY2", ConvertYuy2ToImage, 2, 1, PackYuy2}, {"UYVY", ConvertUyvyToImage, 2, 1, PackUyvy},
        {"YVYU", ConvertYvyuToImage, 2, 1, PackYvyu}, {"NV11", ConvertNv11ToImage, 4, 1, PackNv11},
    };
    const int sizes[][2] = {{8, 4}, {7, 5}, {6, 3}};
    for (const LayoutCase& layout : layouts) {
        for (const auto& size : sizes) {
            const int w = size[0], h = size[1];
            SCOPED_TRACE(testing::Message() << layout.name << " " << w << "x" << h);
            Frame frame = MakeFrame(w, h, layout.bw, layout.bh);
            std::vector<uint8_t> packed = layout.pack(frame);
            ScopedImage image;
            ASSERT_EQ(CreateSoftImageXrgb8(w, h, image.get()), 0);
            std::memset(image->pixels, 0x5C, image->pitch * h);
            EXPECT_EQ(layout.convert(packed.data(), w, h, image.get()), 0);
            int coveredW = w / layout.bw * layout.bw;
            int coveredH = h / layout.bh * layout.bh;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    int i = y * w + x;
                    uint32_t want = (x < coveredW && y < coveredH)
                                        ? Reference(frame.y[i], frame.u[i], frame.v[i])
                                        : 0x5C5C5C5Cu;
                    ASSERT_EQ(RawPixel(image.image, x, y), want) << x << "," << y;
                }
        }
    }
}

}  // namespace
