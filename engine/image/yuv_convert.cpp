#include "engine/image/yuv_convert.h"

#include "engine/image/soft_image.h"

namespace {

// A chroma pair's contributions in 15-bit fixed point, computed once and shared by its pixels.
struct Chroma {
    int32_t blue;
    int32_t green;
    int32_t red;
};

Chroma MakeChroma(int u, int v) {
    u -= 128;
    v -= 128;
    return Chroma{58064 * u, -11272 * u - 23396 * v, 45940 * v};
}

uint8_t Clamp15(int32_t sum) {
    if (sum < 0) return 0;
    if (sum > 0x7F8000) return 255;
    return static_cast<uint8_t>(sum >> 15);
}

void PutPixel(uint8_t* out, int y, const Chroma& c) {
    int32_t luma = y * 32768;
    out[0] = Clamp15(luma + c.blue);
    out[1] = Clamp15(luma + c.green);
    out[2] = Clamp15(luma + c.red);
    out[3] = 255;
}

uint8_t* Row(SoftImage* image, int y) {
    return static_cast<uint8_t*>(image->pixels) + static_cast<intptr_t>(y) * image->pitch;
}

// 4:2:0 frames: one chroma pair per 2 x 2 block; the pair is read at `chroma[offset]` of each step.
void Convert420(const uint8_t* luma, int width, int height, SoftImage* image, const uint8_t* uRow,
                const uint8_t* vRow, int chromaPitch, int chromaStep) {
    for (int y = 0; y + 1 < height; y += 2) {
        const uint8_t* l0 = luma + y * width;
        const uint8_t* l1 = l0 + width;
        uint8_t* o0 = Row(image, y);
        uint8_t* o1 = Row(image, y + 1);
        for (int x = 0; x + 1 < width; x += 2) {
            int i = x / 2 * chromaStep;
            Chroma c = MakeChroma(uRow[i], vRow[i]);
            PutPixel(o0 + x * 4, l0[x], c);
            PutPixel(o0 + x * 4 + 4, l0[x + 1], c);
            PutPixel(o1 + x * 4, l1[x], c);
            PutPixel(o1 + x * 4 + 4, l1[x + 1], c);
        }
        uRow += chromaPitch;
        vRow += chromaPitch;
    }
}

// Packed 4:2:2 rows of 4 bytes per 2 pixels; the byte positions of Y0, U, Y1 and V in each group.
void Convert422(const uint8_t* source, int width, int height, SoftImage* image, int y0, int u, int y1,
                int v) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<intptr_t>(y) * width * 2;
        uint8_t* out = Row(image, y);
        for (int x = 0; x + 1 < width; x += 2, in += 4) {
            Chroma c = MakeChroma(in[u], in[v]);
            PutPixel(out + x * 4, in[y0], c);
            PutPixel(out + x * 4 + 4, in[y1], c);
        }
    }
}

}  // namespace

int ConvertYv12ToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    const uint8_t* vPlane = source + width * height;
    const uint8_t* uPlane = vPlane + (width / 2) * (height / 2);
    Convert420(source, width, height, image, uPlane, vPlane, width / 2, 1);
    return 0;
}

int ConvertNv12ToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    const uint8_t* chroma = source + width * height;
    Convert420(source, width, height, image, chroma, chroma + 1, width, 2);
    return 0;
}

int ConvertYuy2ToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    Convert422(source, width, height, image, 0, 1, 2, 3);
    return 0;
}

int ConvertUyvyToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    Convert422(source, width, height, image, 1, 0, 3, 2);
    return 0;
}

int ConvertYvyuToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    Convert422(source, width, height, image, 0, 3, 2, 1);
    return 0;
}

int ConvertNv11ToImage(const uint8_t* source, int width, int height, SoftImage* image) {
    const uint8_t* chroma = source + width * height;
    for (int y = 0; y < height; ++y) {
        const uint8_t* luma = source + static_cast<intptr_t>(y) * width;
        const uint8_t* pairs = chroma + static_cast<intptr_t>(y) * (width / 2);
        uint8_t* out = Row(image, y);
        for (int x = 0; x + 3 < width; x += 4) {
            Chroma c = MakeChroma(pairs[x / 2], pairs[x / 2 + 1]);
            for (int k = 0; k < 4; ++k) PutPixel(out + (x + k) * 4, luma[x + k], c);
        }
    }
    return 0;
}
