// The library's raw "BGRA" format: a 16-byte header and unpadded rows of blue, green, red and alpha
// samples of 8 or 16 bits.
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"

namespace {

constexpr uint32_t kEightBitChannels = 0x08080808;
constexpr uint32_t kSixteenBitChannels = 0x10101010;

// Reads 16-bit samples row by row, keeping the high byte of each.
bool ReadSixteenBitRows(StreamDescriptor* stream, int64_t width, int64_t height, uint8_t* pixels) {
    auto* row = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(width * 8)));
    if (!row) return false;
    bool ok = true;
    for (int64_t y = 0; y < height && ok; ++y) {
        ok = ReadStreamExact(stream, row, static_cast<uint64_t>(width * 8));
        uint8_t* out = pixels + y * width * 4;
        for (int64_t i = 0; ok && i < width * 4; ++i) out[i] = row[2 * i + 1];
    }
    ImageFree(row);
    return ok;
}

}  // namespace

int ReadBgraImage(StreamDescriptor* stream, SoftImage* image) {
    uint8_t header[16];
    if (!ReadStreamExact(stream, header, sizeof(header)) || std::memcmp(header, "BGRA", 4) != 0) return -1;
    uint32_t channels = LoadLe32(header + 4);
    if (channels != kEightBitChannels && channels != kSixteenBitChannels) return -1;
    int64_t width = static_cast<int32_t>(LoadLe32(header + 8));
    int64_t height = static_cast<int32_t>(LoadLe32(header + 12));
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        !ImageSizeAllowed(width, height, 4))
        return -1;
    int64_t sampleBytes = channels == kEightBitChannels ? 1 : 2;
    int64_t remaining = GetStreamRemaining(stream);
    if (remaining < width * height * 4 * sampleBytes) return -1;
    auto* pixels = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(width * height * 4)));
    if (!pixels) return -1;
    bool ok = sampleBytes == 1 ? ReadStreamExact(stream, pixels, static_cast<uint64_t>(width * height * 4))
                               : ReadSixteenBitRows(stream, width, height, pixels);
    if (!ok) {
        ImageFree(pixels);
        return -1;
    }
    SetColorFormatArgb8(&image->format);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pitch = static_cast<int32_t>(width * 4);
    image->pixels = pixels;
    image->mipCount = 0;
    return 0;
}
