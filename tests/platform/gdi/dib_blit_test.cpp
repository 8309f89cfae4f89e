#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi32.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

struct BitfieldsInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

BITMAPINFOHEADER Header(int width, int height, int bits, DWORD compression = BI_RGB) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = compression;
    return header;
}

// A memory DC with a top-down 32-bit DIB section of the given size, pre-filled with a marker colour.
class MemoryTarget {
  public:
    MemoryTarget(int width, int height, int bits = 32) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader = Header(width, -height, bits);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        pitch_ = ((width * bits + 31) / 32) * 4;
        if (bits == 32)
            for (int i = 0; i < width * height; ++i) static_cast<uint32_t*>(bits_)[i] = 0x00ABCDEF;
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryTarget() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const {
        uint32_t value;
        std::memcpy(&value, static_cast<uint8_t*>(bits_) + y * pitch_ + 4 * x, 4);
        return value;
    }
    const uint8_t* Row(int y) const { return static_cast<uint8_t*>(bits_) + y * pitch_; }

  private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
    int pitch_ = 0;
};

class DibBlitTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetWindowStandInForTests(); }
    void TearDown() override { ResetWindowStandInForTests(); }
};

TEST_F(DibBlitTest, BottomUpPaletteBitmapLandsUprightInATopDownSection) {
    // 3 x 2, 8 bits: the first row in memory is the bottom row.
    BitmapInfo256 info{};
    info.header = Header(3, 2, 8);
    info.header.biClrUsed = 3;
    info.colors[0] = RGBQUAD{0x00, 0x00, 0xFF, 0};  // red
    info.colors[1] = RGBQUAD{0x00, 0xFF, 0x00, 0};  // green
    info.colors[2] = RGBQUAD{0xFF, 0x00, 0x00, 0};  // blue
    const uint8_t bits[] = {0, 1, 2, 0, /* top: */ 2, 2, 1, 0};
    MemoryTarget target(3, 2);
    EXPECT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 3, 2, 0, 0, 0, 2, bits,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              2);
    const uint32_t expected[2][3] = {{0x0000FF, 0x0000FF, 0x00FF00}, {0xFF0000, 0x00FF00, 0x0000FF}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(target.At(x, y), expected[y][x]) << x << "," << y;
}

TEST_F(DibBlitTest, SixteenBitFormatsWidenEveryChannelToEightBits) {
    struct Case {
        DWORD compression;
        DWORD masks[3];
        uint16_t pixel;
        uint32_t expected;
    };
    const Case cases[] = {
        {BI_RGB, {}, 0x7FFF, 0xFFFFFF},                              // 5-5-5 white
        {BI_RGB, {}, 0x4210, 0x848484},                              // 5-5-5 middle grey
        {BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0xF800, 0xFF0000},  // 5-6-5 red
        {BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0x0400, 0x008200},  // 5-6-5 green 32/63
        {BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0x0001, 0x000008},  // 5-6-5 blue 1/31
    };
    for (const Case& c : cases) {
        BitfieldsInfo info{Header(1, 1, 16, c.compression), {c.masks[0], c.masks[1], c.masks[2]}};
        const uint16_t bits[2] = {c.pixel, 0};
        MemoryTarget target(1, 1);
        ASSERT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 1, 1, 0, 0, 0, 1, bits,
                                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
                  1);
        EXPECT_EQ(target.At(0, 0), c.expected) << std::hex << c.pixel;
    }
}

TEST_F(DibBlitTest, RleEightRunsMovesAndLiteralsWithSkippedPixelsLeftAlone) {
    BitmapInfo256 info{};
    info.header = Header(4, 3, 8, BI_RLE8);
    info.colors[1] = RGBQUAD{0, 0, 0xFF, 0};
    info.colors[2] = RGBQUAD{0, 0xFF, 0, 0};
    info.colors[3] = RGBQUAD{0xFF, 0, 0, 0};
    const uint8_t data[] = {
        4, 1,              // bottom row: four of colour 1
        0, 0,              // end of line
        0, 3, 2, 3, 2, 0,  // middle row: literal 2 3 2 (padded)
        0, 0,              // end of line
        0, 2, 1, 0,        // move right 1: top row starts at x 1
        2, 3,              // two of colour 3
        0, 1,              // end of bitmap
    };
    info.header.biSizeImage = sizeof(data);
    MemoryTarget target(4, 3);
    ASSERT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 4, 3, 0, 0, 0, 3, data,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              3);
    const uint32_t untouched = 0x00ABCDEF;
    const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    const uint32_t expected[3][4] = {
        {untouched, blue, blue, untouched}, {green, blue, green, untouched}, {red, red, red, red}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(target.At(x, y), expected[y][x]) << x << "," << y;
}

TEST_F(DibBlitTest, RleRunningPastItsSizeOrTheBitmapStaysInBounds) {
    BitmapInfo256 info{};
    info.header = Header(2, 2, 8, BI_RLE8);
    info.colors[1] = RGBQUAD{0, 0, 0xFF, 0};
    // A run far wider than the bitmap, a move far outside it, then a literal longer than the data.
    const uint8_t data[] = {255, 1, 0, 2, 200, 200, 0, 40, 1};
    info.header.biSizeImage = sizeof(data);
    MemoryTarget target(2, 2);
    EXPECT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 2, 2, 0, 0, 0, 2, data,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              2);
    EXPECT_EQ(target.At(0, 1), 0xFF0000u);
    EXPECT_EQ(target.At(1, 1), 0xFF0000u);
    info.header.biSizeImage = 0;
    EXPECT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 2, 2, 0, 0, 0, 2, data,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              0)
        << "RLE data without a size is refused";
}

TEST_F(DibBlitTest, UnreadableHeadersDrawNothing) {
    MemoryTarget target(2, 2);
    const uint8_t bits[64] = {};
    BitmapInfo256 info{};
    for (auto [width, height, bits_per_pixel, compression] :
         {std::tuple{0, 2, 24, BI_RGB}, std::tuple{2, 2, 7, BI_RGB}, std::tuple{2, 2, 24, BI_RLE8},
          std::tuple{-3, 2, 24, BI_RGB}, std::tuple{2, 2, 32, 9}}) {
        info.header = Header(width, height, bits_per_pixel, static_cast<DWORD>(compression));
        EXPECT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 2, 2, 0, 0, 0, 2, bits,
                                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
                  0);
    }
    info.header = Header(2, 2, 24);
    info.header.biSize = 20;
    EXPECT_EQ(SetDIBitsToDevice(target.dc(), 0, 0, 2, 2, 0, 0, 0, 2, bits,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              0);
    EXPECT_EQ(target.At(0, 0), 0x00ABCDEFu);
}

TEST_F(DibBlitTest, StretchCountsSourceRowsFromTheBottomAndReplicatesPixels) {
    // Top-down 32-bit 2 x 4 source: rows from the top are 0x10, 0x20, 0x30, 0x40 (in blue).
    BITMAPINFO info{};
    info.bmiHeader = Header(2, -4, 32);
    const uint32_t source[8] = {0x10, 0x11, 0x20, 0x21, 0x30, 0x31, 0x40, 0x41};
    MemoryTarget target(4, 4);
    // The source rectangle (0, 1) 2 x 2 counted from the bottom: the rows 0x20 and 0x30.
    EXPECT_EQ(StretchDIBits(target.dc(), 0, 0, 4, 4, 0, 1, 2, 2, source, &info, DIB_RGB_COLORS, SRCCOPY), 2);
    const uint32_t expected[4][4] = {{0x20, 0x20, 0x21, 0x21},
                                     {0x20, 0x20, 0x21, 0x21},
                                     {0x30, 0x30, 0x31, 0x31},
                                     {0x30, 0x30, 0x31, 0x31}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(target.At(x, y), expected[y][x]) << x << "," << y;
}

TEST_F(DibBlitTest, ClippedDestinationAndTwentyFourBitSections) {
    BITMAPINFO info{};
    info.bmiHeader = Header(2, -2, 32);
    const uint32_t source[4] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    MemoryTarget target(2, 2, 24);
    EXPECT_EQ(SetDIBitsToDevice(target.dc(), 1, -1, 2, 2, 0, 0, 0, 2, source, &info, DIB_RGB_COLORS), 2);
    // Only the source's bottom-left pixel lands at (1, 0); bytes are B, G, R.
    const uint8_t* row = target.Row(0);
    EXPECT_EQ(row[3], 0x99);
    EXPECT_EQ(row[4], 0x88);
    EXPECT_EQ(row[5], 0x77);
    EXPECT_EQ(row[0], 0);
}

TEST_F(DibBlitTest, SectionDescriptionAndObjectRules) {
    BITMAPINFO info{};
    info.bmiHeader = Header(5, -3, 24);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(section), &section), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(section.dsBm.bmWidth, 5);
    EXPECT_EQ(section.dsBm.bmHeight, 3);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 16) << "rows padded to 4 bytes";
    EXPECT_EQ(section.dsBm.bmBits, bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_NE(old, nullptr);
    EXPECT_FALSE(DeleteObject(bitmap)) << "selected";
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "stock objects ignore deletion";
    EXPECT_NE(GetObjectA(GetStockObject(BLACK_BRUSH), 0, nullptr), 0);
    EXPECT_TRUE(DeleteDC(dc));
    info.bmiHeader = Header(1 << 20, 1 << 20, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST_F(DibBlitTest, WindowDeviceContextDrawsIntoTheShownPicture) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = "DibBlitWindow";
    ASSERT_NE(RegisterClassExA(&window_class), 0);
    HWND window = CreateWindowExA(0, "DibBlitWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 4, 2, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(UpdateWindow(window));  // erases with the class brush
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(HostReadPicture(window, &pixels, &width, &height));
    ASSERT_EQ(width, 4);
    ASSERT_EQ(height, 2);
    for (uint32_t pixel : pixels) EXPECT_EQ(pixel, 0xFFFFFFFFu);

    BITMAPINFO info{};
    info.bmiHeader = Header(2, -1, 32);
    const uint32_t source[2] = {0x00102030, 0x00405060};
    HDC dc = GetDC(window);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 2, 0, 0, 2, 1, source, &info, DIB_RGB_COLORS, SRCCOPY), 1);
    RECT corner{3, 1, 10, 10};
    EXPECT_EQ(FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    ReleaseDC(window, dc);
    ASSERT_TRUE(HostReadPicture(window, &pixels, &width, &height));
    const uint32_t expected[8] = {0xFF102030, 0xFF102030, 0xFF405060, 0xFF405060,
                                  0xFF102030, 0xFF102030, 0xFF405060, 0xFF000000};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pixels[i], expected[i]) << i;
}

}  // namespace
