// Every kind of bitmap the BMP reader hands to GDI, drawn into a top-down 24-bit DIB section: one
// picture in each encoding gives the same pixels. Channels narrower than 8 bits are widened by
// repeating their top bits (5-bit v -> v << 3 | v >> 2), so 0 stays 0 and the maximum becomes 255.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi32.h"
#include "platform/user/user_test_support.h"

namespace {

// A memory DC with a top-down 24-bit section; reads pixels back as 0xRRGGBB.
class Rgb24Target {
  public:
    Rgb24Target(int width, int height) : pitch_((width * 3 + 3) / 4 * 4) {
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{40, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        section_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, section_);
    }
    ~Rgb24Target() {
        SelectObject(dc_, old_);
        DeleteObject(section_);
        DeleteDC(dc_);
    }
    int Draw(const std::vector<uint8_t>& info, const std::vector<uint8_t>& bits, int width, int height) {
        return SetDIBitsToDevice(dc_, 0, 0, width, height, 0, 0, 0, height, bits.data(),
                                 reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    }
    uint32_t At(int x, int y) const {
        const uint8_t* p = static_cast<const uint8_t*>(bits_) + y * pitch_ + 3 * x;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }

  private:
    int pitch_;
    HDC dc_ = nullptr;
    HBITMAP section_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

std::vector<uint8_t> Info(int width, int height, int bits, DWORD compression, std::vector<uint32_t> table,
                          DWORD sizeImage = 0) {
    BITMAPINFOHEADER header{40, width, height, 1, static_cast<WORD>(bits), compression, sizeImage,
                            0,  0,     0,      0};
    // A palette shorter than 2^bits entries is announced, as a BMP file's header does.
    if (bits <= 8) header.biClrUsed = static_cast<DWORD>(table.size());
    std::vector<uint8_t> out(sizeof(header) + 4 * table.size());
    std::memcpy(out.data(), &header, sizeof(header));
    if (!table.empty()) std::memcpy(out.data() + sizeof(header), table.data(), 4 * table.size());
    return out;
}

class DibToRgb24 : public ::testing::Test {
  protected:
    void SetUp() override { ResetWindowStandInForTests(); }
    void TearDown() override { ResetWindowStandInForTests(); }
};

TEST_F(DibToRgb24, EveryEncodingOfOnePictureGivesTheSamePixels) {
    // Top row: P0 P1; bottom row: P1 P1. Both colours are exact in 5-5-5 and 5-6-5.
    constexpr uint32_t P0 = 0x8400FF, P1 = 0x00FF42;
    const std::vector<uint32_t> palette = {P0, P1};
    struct Case {
        const char* what;
        std::vector<uint8_t> info, bits;
    };
    auto rgb24 = [](uint32_t c) {
        return std::vector<uint8_t>{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    };
    auto row24 = [&](uint32_t a, uint32_t b) {
        std::vector<uint8_t> r = rgb24(a), second = rgb24(b);
        r.insert(r.end(), second.begin(), second.end());
        r.insert(r.end(), {0, 0});
        return r;
    };
    auto join = [](std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    auto row32 = [](uint32_t a, uint32_t b) {
        std::vector<uint8_t> r(8);
        std::memcpy(r.data(), &a, 4);
        std::memcpy(r.data() + 4, &b, 4);
        return r;
    };
    const uint16_t p0x555 = 16 << 10 | 31, p1x555 = 31 << 5 | 8;
    const uint16_t p0x565 = 16 << 11 | 31, p1x565 = 63 << 5 | 8;
    const Case cases[] = {
        {"1 bit", Info(2, 2, 1, BI_RGB, palette), {0xC0, 0, 0, 0, 0x40, 0, 0, 0}},
        {"4 bits", Info(2, 2, 4, BI_RGB, palette), {0x11, 0, 0, 0, 0x01, 0, 0, 0}},
        {"8 bits", Info(2, 2, 8, BI_RGB, palette), {1, 1, 0, 0, 0, 1, 0, 0}},
        {"8 bits top-down", Info(2, -2, 8, BI_RGB, palette), {0, 1, 0, 0, 1, 1, 0, 0}},
        {"RLE8", Info(2, 2, 8, BI_RLE8, palette, 10), {2, 1, 0, 0, 1, 0, 1, 1, 0, 1}},
        {"RLE4", Info(2, 2, 4, BI_RLE4, palette, 10), {2, 0x11, 0, 0, 2, 0x01, 0, 1, 0, 0}},
        {"24 bits", Info(2, 2, 24, BI_RGB, {}), join(row24(P1, P1), row24(P0, P1))},
        {"24 bits top-down", Info(2, -2, 24, BI_RGB, {}), join(row24(P0, P1), row24(P1, P1))},
        {"32 bits", Info(2, 2, 32, BI_RGB, {}), join(row32(P1, P1), row32(P0, P1))},
        {"32 bits top-down", Info(2, -2, 32, BI_RGB, {}), join(row32(P0, P1), row32(P1, P1))},
        {"32-bit bit fields", Info(2, 2, 32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}),
         join(row32(0x42FF00, 0x42FF00), row32(0xFF0084, 0x42FF00))},
        {"16 bits 5-5-5",
         Info(2, 2, 16, BI_RGB, {}),
         {uint8_t(p1x555), uint8_t(p1x555 >> 8), uint8_t(p1x555), uint8_t(p1x555 >> 8), uint8_t(p0x555),
          uint8_t(p0x555 >> 8), uint8_t(p1x555), uint8_t(p1x555 >> 8)}},
        {"16-bit bit fields 5-6-5",
         Info(2, -2, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}),
         {uint8_t(p0x565), uint8_t(p0x565 >> 8), uint8_t(p1x565), uint8_t(p1x565 >> 8), uint8_t(p1x565),
          uint8_t(p1x565 >> 8), uint8_t(p1x565), uint8_t(p1x565 >> 8)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rgb24Target target(2, 2);
        ASSERT_EQ(target.Draw(c.info, c.bits, 2, 2), 2);
        EXPECT_EQ(target.At(0, 0), P0);
        EXPECT_EQ(target.At(1, 0), P1);
        EXPECT_EQ(target.At(0, 1), P1);
        EXPECT_EQ(target.At(1, 1), P1);
    }
}

TEST_F(DibToRgb24, FiveAndSixBitChannelsWidenByRepeatingTheirTopBits) {
    std::vector<uint8_t> bits555, bits565;
    for (uint32_t v = 0; v < 64; ++v) {
        uint16_t p555 = static_cast<uint16_t>((v & 31) << 10 | (v & 31) << 5 | (v & 31));
        uint16_t p565 = static_cast<uint16_t>((v & 31) << 11 | v << 5 | (v & 31));
        bits555.insert(bits555.end(), {uint8_t(p555), uint8_t(p555 >> 8)});
        bits565.insert(bits565.end(), {uint8_t(p565), uint8_t(p565 >> 8)});
    }
    Rgb24Target a(64, 1), b(64, 1);
    ASSERT_EQ(a.Draw(Info(64, 1, 16, BI_RGB, {}), bits555, 64, 1), 1);
    ASSERT_EQ(b.Draw(Info(64, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}), bits565, 64, 1), 1);
    for (uint32_t v = 0; v < 64; ++v) {
        uint32_t five = ((v & 31) << 3) | ((v & 31) >> 2);
        uint32_t six = (v << 2) | (v >> 4);
        EXPECT_EQ(a.At(int(v), 0), five * 0x010101) << v;
        EXPECT_EQ(b.At(int(v), 0), five << 16 | six << 8 | five) << v;
    }
    EXPECT_EQ(a.At(31, 0), 0xFFFFFFu);
    EXPECT_EQ(a.At(0, 0), 0u);
}

TEST_F(DibToRgb24, AnythingElseDrawsNothing) {
    const std::vector<uint8_t> bits(64, 0x11);
    struct Case {
        const char* what;
        std::vector<uint8_t> info;
    };
    const Case cases[] = {
        {"2 bits", Info(2, 2, 2, BI_RGB, {0, 0, 0, 0})},
        {"JPEG", Info(2, 2, 24, 4, {})},
        {"RLE8 of 4 bits", Info(2, 2, 4, BI_RLE8, {0, 0}, 8)},
        {"top-down RLE8", Info(2, -2, 8, BI_RLE8, {0, 0}, 8)},
        {"bit fields of 24 bits", Info(2, 2, 24, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rgb24Target target(2, 2);
        EXPECT_EQ(target.Draw(c.info, bits, 2, 2), 0);
        EXPECT_EQ(target.At(0, 0), 0u);
    }
}

}  // namespace
