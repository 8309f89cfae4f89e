#include "engine/image/soft_image.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"

namespace {

int softImageModuleInitialised = 0;

uint8_t* PixelAt(const SoftImage* image, int x, int y) {
    return static_cast<uint8_t*>(image->pixels) + static_cast<intptr_t>(y) * image->pitch +
           static_cast<intptr_t>(x) * image->format.pixelBytes;
}

bool InsideImage(const SoftImage* image, int x, int y) {
    return static_cast<uint32_t>(x) < static_cast<uint32_t>(image->width) &&
           static_cast<uint32_t>(y) < static_cast<uint32_t>(image->height);
}

void SwapBytes(uint8_t* a, uint8_t* b, int n) {
    for (int i = 0; i < n; ++i) std::swap(a[i], b[i]);
}

// Reverses the pixels of one row of `width` pixels of `bytes` bytes each.
void ReverseRow(uint8_t* row, int width, int bytes) {
    for (int x = 0; x < width / 2; ++x) SwapBytes(row + x * bytes, row + (width - 1 - x) * bytes, bytes);
}

bool HasWholePixels(const SoftImage* image) {
    return image->format.pixelBytes >= 1 && image->format.pixelBytes <= 4;
}

}  // namespace

uint32_t ReadPixelValue(const uint8_t* p, int pixelBytes) {
    switch (pixelBytes) {
        case 1:
            return p[0];
        case 2:
            return uint32_t{p[0]} | uint32_t{p[1]} << 8;
        case 3:
            return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
        case 4:
            return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
        default:
            return 0;
    }
}

void WritePixelValue(uint8_t* p, int pixelBytes, uint32_t value) {
    for (int i = 0; i < pixelBytes && i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

int CreateSoftImageWith(int width, int height, const ColorFormat* format, SoftImage* image, bool zeroed) {
    image->format = *format;
    image->width = width;
    image->height = height;
    int64_t pitch = (int64_t{format->pixelBytes} * width + 3) / 4 * 4;
    image->pitch = pitch > INT32_MAX ? 0 : static_cast<int32_t>(pitch);
    image->mipCount = 0;
    image->pixels = nullptr;
    if (width < 0 || height < 0 || pitch > INT32_MAX) return -1;
    const uint64_t bytes = static_cast<uint64_t>(pitch) * static_cast<uint64_t>(height);
    image->pixels = zeroed ? ImageAllocZeroed(bytes) : ImageAlloc(bytes);
    return image->pixels ? 0 : -1;
}

}  // namespace

int CreateSoftImage(int width, int height, const ColorFormat* format, SoftImage* image) {
    return CreateSoftImageWith(width, height, format, image, false);
}

int CreateZeroedSoftImage(int width, int height, const ColorFormat* format, SoftImage* image) {
    return CreateSoftImageWith(width, height, format, image, true);
}

int CreateSoftImageArgb8(int width, int height, SoftImage* image) {
    ColorFormat format{};
    SetColorFormatArgb8(&format);
    return CreateSoftImage(width, height, &format, image);
}

int CreateSoftImageXrgb8(int width, int height, SoftImage* image) {
    ColorFormat format{};
    SetColorFormatXrgb8(&format);
    return CreateSoftImage(width, height, &format, image);
}

int ReleaseSoftImage(SoftImage* image) {
    if (image->pixels) ImageFree(image->pixels);
    std::memset(image, 0, sizeof(*image));
    return 0;
}

int64_t GetImageLevelSize(const ColorFormat* format, int width, int height, int pitch, int level) {
    if (format->formatCode > COLOR_FORMAT_DXT5) return -1;
    int64_t w = std::max(1, width >> level);
    int64_t h = std::max(1, height >> level);
    if (format->formatCode != COLOR_FORMAT_PLAIN) {
        int64_t blockBytes = format->formatCode == COLOR_FORMAT_DXT1 ? 8 : 16;
        return (w + 3) / 4 * ((h + 3) / 4) * blockBytes;
    }
    if (level == 0) return int64_t{pitch} * height;
    return w * format->pixelBytes * h;
}

int64_t GetImageDataSizeFor(const ColorFormat* format, int width, int height, int pitch, int mipCount) {
    int levels = mipCount < 2 ? 1 : mipCount;
    int64_t total = 0;
    for (int i = 0; i < levels; ++i) {
        int64_t size = GetImageLevelSize(format, width, height, pitch, std::min(i, 31));
        if (size < 0) return -1;
        total += size;
    }
    return total;
}

int GetImageDataSize(const SoftImage* image) {
    int64_t size =
        GetImageDataSizeFor(&image->format, image->width, image->height, image->pitch, image->mipCount);
    return static_cast<int>(size);
}

int ClearSoftImageRect(SoftImage* image, int x, int y, int width, int height) {
    for (int row = 0; row < height; ++row) {
        std::memset(PixelAt(image, x, y + row), 0, static_cast<size_t>(width) * image->format.pixelBytes);
    }
    return 0;
}

int MirrorImageHorizontally(SoftImage* image) {
    if (image->width == 0 || image->height == 0) return -1;
    if (DecodeBlockCompressedImage(image) != 0) return -1;
    if (!HasWholePixels(image)) return 0;
    for (int y = 0; y < image->height; ++y)
        ReverseRow(PixelAt(image, 0, y), image->width, image->format.pixelBytes);
    return 0;
}

int FlipImageVertically(SoftImage* image) {
    if (DecodeBlockCompressedImage(image) != 0) return -1;
    int rowBytes = image->width * image->format.pixelBytes;
    for (int y = 0; y < image->height / 2; ++y) {
        SwapBytes(PixelAt(image, 0, y), PixelAt(image, 0, image->height - 1 - y), rowBytes);
    }
    return 0;
}

int RotateImage180(SoftImage* image) {
    if (image->format.formatCode != COLOR_FORMAT_PLAIN) return -1;
    if (!HasWholePixels(image)) return 0;
    int bytes = image->format.pixelBytes;
    for (int y = 0; y < image->height / 2; ++y) {
        uint8_t* top = PixelAt(image, 0, y);
        uint8_t* bottom = PixelAt(image, 0, image->height - 1 - y);
        for (int x = 0; x < image->width; ++x)
            SwapBytes(top + x * bytes, bottom + (image->width - 1 - x) * bytes, bytes);
    }
    if (image->height % 2 == 1) ReverseRow(PixelAt(image, 0, image->height / 2), image->width, bytes);
    return 0;
}

int GetImagePixelRgba(SoftImage* image, int x, int y, int* r, int* g, int* b, int* a) {
    if (DecodeBlockCompressedImage(image) != 0) return -1;
    if (!InsideImage(image, x, y)) return -1;
    int bytes = image->format.pixelBytes;
    if (bytes == 1) {
        const PaletteEntry& e = image->format.palette[*PixelAt(image, x, y)];
        if (r) *r = e.red;
        if (g) *g = e.green;
        if (b) *b = e.blue;
        if (a) *a = e.alpha;
        return 0;
    }
    if (bytes < 2 || bytes > 4) return -1;
    return UnpackPixelRgba(&image->format, ReadPixelValue(PixelAt(image, x, y), bytes), r, g, b, a);
}

int SetImagePixelRgba(SoftImage* image, int x, int y, int r, int g, int b, int a) {
    if (DecodeBlockCompressedImage(image) != 0) return -1;
    if (!InsideImage(image, x, y)) return -1;
    int bytes = image->format.pixelBytes;
    if (bytes < 1 || bytes > 4) return 0;
    WritePixelValue(PixelAt(image, x, y), bytes, MakePixelValue(&image->format, r, g, b, a));
    return 0;
}

uint32_t GetImagePixelArgb(const SoftImage* image, int x, int y) {
    if (!image->pixels || !InsideImage(image, x, y)) return 0;
    const ColorFormat& f = image->format;
    if (f.formatCode != COLOR_FORMAT_PLAIN || f.pixelBytes < 2 || f.pixelBytes > 4) return 0;
    uint32_t value = ReadPixelValue(PixelAt(image, x, y), f.pixelBytes);
    auto place = [value](uint32_t mask, int shift, int width, int top) -> uint32_t {
        if (width == 0) return 0;
        uint32_t channel = (value & mask) >> shift;
        if (width > 8) return (channel >> (width - 8)) << (top - 8);
        return channel << (top - width);
    };
    return place(f.blueMask, f.blueShift, f.blueWidth, 8) |
           place(f.greenMask, f.greenShift, f.greenWidth, 16) | place(f.redMask, f.redShift, f.redWidth, 24) |
           place(f.alphaMask, f.alphaShift, f.alphaWidth, 32);
}

int InitSoftImageModule() {
    if (softImageModuleInitialised) return -1;
    softImageModuleInitialised = 1;
    return 0;
}

int EndSoftImageModule() {
    if (!softImageModuleInitialised) return -1;
    softImageModuleInitialised = 0;
    return 0;
}
