// Writes a SoftImage as a bottom-up BMP: 8-bit images with their palette, 16-, 24- and 32-bit images as
// 24 bits.
#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/image/image_memory.h"
#include "engine/image/image_writers.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"
#include "platform/kernel/kernel32.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;

// Info header and palette (8-bit files) as written, and the pixel rows.
struct BmpOutput {
    uint8_t* info = nullptr;
    uint8_t* pixels = nullptr;
    ~BmpOutput() {
        ImageFree(info);
        ImageFree(pixels);
    }
};

// The channel of a pixel value moved to 8 bits (top bits kept; narrower channels padded with zeros).
uint8_t Channel8(uint32_t value, uint32_t mask, int shift, int width) {
    uint32_t v = (value & mask) >> shift;
    return static_cast<uint8_t>(width >= 8 ? v >> (width - 8) : v << (8 - width));
}

void WriteRows24(const SoftImage* image, uint8_t* out, int64_t stride) {
    const ColorFormat& f = image->format;
    for (int64_t y = 0; y < image->height; ++y) {
        const auto* in = static_cast<const uint8_t*>(image->pixels) + (image->height - 1 - y) * image->pitch;
        uint8_t* row = out + y * stride;
        for (int64_t x = 0; x < image->width; ++x) {
            uint32_t value = ReadPixelValue(in + x * f.pixelBytes, f.pixelBytes);
            row[3 * x] = Channel8(value, f.blueMask, f.blueShift, f.blueWidth);
            row[3 * x + 1] = Channel8(value, f.greenMask, f.greenShift, f.greenWidth);
            row[3 * x + 2] = Channel8(value, f.redMask, f.redShift, f.redWidth);
        }
    }
}

void WriteRows8(const SoftImage* image, uint8_t* out, int64_t stride) {
    for (int64_t y = 0; y < image->height; ++y) {
        const auto* in = static_cast<const uint8_t*>(image->pixels) + (image->height - 1 - y) * image->pitch;
        std::memcpy(out + y * stride, in, static_cast<size_t>(image->width));
    }
}

bool WriteAll(HANDLE file, const void* data, uint32_t size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

int SaveImageAsBmp(const char* path, const SoftImage* image) {
    const ColorFormat& f = image->format;
    int depth = f.bitDepth;
    bool supported = f.formatCode == COLOR_FORMAT_PLAIN && f.pixelBytes * 8 == depth &&
                     (depth == 8 || depth == 16 || depth == 24 || depth == 32);
    if (!supported || !image->pixels || image->width <= 0 || image->height <= 0) return -1;
    bool palette = depth == 8;
    int64_t stride = palette ? (int64_t{image->width} + 3) / 4 * 4 : (int64_t{image->width} + 1) * 3 / 4 * 4;
    uint32_t infoBytes = kInfoHeaderBytes + (palette ? kPaletteBytes : 0);
    BmpOutput out;
    out.info = static_cast<uint8_t*>(ImageAllocZeroed(infoBytes));
    if (!out.info) {
        LogText("BITMAPINFO構造体用メモリの確保に失敗しました\n");
        return -1;
    }
    int64_t pixelBytes = stride * image->height;
    out.pixels = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<uint64_t>(pixelBytes)));
    if (!out.pixels) {
        LogText("グラフィック保存用メモリの確保に失敗しました\n");
        return -1;
    }
    palette ? WriteRows8(image, out.pixels, stride) : WriteRows24(image, out.pixels, stride);

    StoreLe32(out.info, kInfoHeaderBytes);
    StoreLe32(out.info + 4, static_cast<uint32_t>(image->width));
    StoreLe32(out.info + 8, static_cast<uint32_t>(image->height));
    StoreLe16(out.info + 12, 1);
    StoreLe16(out.info + 14, palette ? 8 : 24);
    for (int i = 0; palette && i < 256; ++i) {
        const PaletteEntry& e = f.palette[i];
        uint8_t* q = out.info + kInfoHeaderBytes + 4 * i;
        q[0] = e.blue, q[1] = e.green, q[2] = e.red, q[3] = 0;
    }
    uint32_t offset = kFileHeaderBytes + infoBytes;
    uint8_t fileHeader[kFileHeaderBytes] = {'B', 'M'};
    StoreLe32(fileHeader + 2, static_cast<uint32_t>(offset + pixelBytes));
    StoreLe32(fileHeader + 10, offset);

    DeleteFileA(path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogText("ＢＭＰセーブ用ファイルのオープンに失敗しました\n");
        return -1;
    }
    bool ok = WriteAll(file, fileHeader, sizeof(fileHeader)) && WriteAll(file, out.info, infoBytes) &&
              WriteAll(file, out.pixels, static_cast<uint32_t>(pixelBytes));
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileA(path);
    return ok ? 0 : -1;
}
