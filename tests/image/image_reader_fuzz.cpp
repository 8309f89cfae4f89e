// Feeds arbitrary bytes to the whole reader frame from memory (every built-in reader in turn, plain and
// with DIB output), and as block data to the DXT decoder; whatever decodes is read back pixel by pixel
// and converted to ARGB8.
#include <cstdint>
#include <vector>

#include "engine/image/block_decode.h"
#include "engine/image/image_loader.h"
#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"
#include "tests/image/vector_stream.h"

namespace {

void Exercise(SoftImage* image) {
    if (image->width <= 0 || image->height <= 0 || int64_t{image->width} * image->height > (1 << 20)) return;
    int r, g, b, a;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) GetImagePixelRgba(image, x, y, &r, &g, &b, &a);
    SoftImage argb{};
    if (CreateSoftImageArgb8(image->width, image->height, &argb) == 0)
        BlitImageRect(0, 0, image->width, image->height, 0, 0, image, &argb);
    ReleaseSoftImage(&argb);
}

void DecodeAsBlocks(const uint8_t* data, size_t size) {
    if (size < 3) return;
    int code = 1 + data[0] % 5;
    int width = 1 + data[1] % 24, height = 1 + data[2] % 24;
    SoftImage image{};
    SetColorFormatArgb8(&image.format);
    image.format.formatCode = static_cast<uint8_t>(code);
    image.width = width;
    image.height = height;
    int64_t bytes = GetImageDataSize(&image);
    if (bytes < 0 || static_cast<size_t>(bytes) > size - 3) return;
    image.pixels = ImageAlloc(static_cast<size_t>(bytes));
    if (!image.pixels) return;
    std::memcpy(image.pixels, data + 3, static_cast<size_t>(bytes));
    DecodeBlockCompressedImage(&image);
    Exercise(&image);
    ReleaseSoftImage(&image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SoftImage image{};
    if (LoadSoftImage(nullptr, data, static_cast<uint32_t>(size), 1, 0, 0, &image, nullptr, nullptr) == 0)
        Exercise(&image);
    ReleaseSoftImage(&image);
    DibInfo* header = nullptr;
    void* bits = nullptr;
    if (LoadSoftImage(nullptr, data, static_cast<uint32_t>(size), 1, 1, 0, nullptr, &header, &bits) == 0) {
        ImageFree(header);
        ImageFree(bits);
    }
    DecodeAsBlocks(data, size);
    return 0;
}
