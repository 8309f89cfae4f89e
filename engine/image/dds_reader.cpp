// DirectDraw Surface files: uncompressed mask formats and DXT1 to DXT5 blocks, with their mip chains.
#include <cstdint>
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"

namespace {

constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDSCAPS_COMPLEX_MIPMAP = 0x400008;

struct D3dFormatMasks {
    int code;
    int bits;
    uint32_t red, green, blue, alpha;
};

// Uncompressed Direct3D formats by their D3DFORMAT code, as a DDS file may name them in its FourCC.
const D3dFormatMasks D3dFormatMaskTable[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},               // R8G8B8
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},      // A8R8G8B8
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},               // X8R8G8B8
    {23, 16, 0xF800, 0x7E0, 0x1F, 0},                  // R5G6B5
    {24, 16, 0x7C00, 0x3E0, 0x1F, 0},                  // X1R5G5B5
    {25, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},             // A1R5G5B5
    {26, 16, 0xF00, 0xF0, 0xF, 0xF000},                // A4R4G4B4
    {27, 8, 0xE0, 0x1C, 0x3, 0},                       // R3G3B2
    {29, 16, 0xE0, 0x1C, 0x3, 0xFF00},                 // A8R3G3B2
    {30, 16, 0xF00, 0xF0, 0xF, 0},                     // X4R4G4B4
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},  // A2B10G10R10
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},      // A8B8G8R8
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},               // X8B8G8R8
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},  // A2R10G10B10
    {-1, 0, 0, 0, 0, 0},
};

const D3dFormatMasks* FindD3dFormat(uint32_t code) {
    for (const D3dFormatMasks* row = D3dFormatMaskTable; row->code != -1; ++row)
        if (static_cast<uint32_t>(row->code) == code) return row;
    return nullptr;
}

bool IsMaskDepth(uint32_t bits) {
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The pixel format of the header: false when it is not one this reader knows.
bool DdsFormat(const uint8_t* header, ColorFormat* format) {
    const uint8_t* pf = header + 72;
    uint32_t flags = LoadLe32(pf + 4);
    uint32_t fourCC = LoadLe32(pf + 8);
    if (flags & DDPF_FOURCC) {
        if (std::memcmp(pf + 8, "DXT", 3) == 0 && pf[11] >= '1' && pf[11] <= '5') {
            int code = pf[11] - '0';
            SetColorFormatArgb8(format);
            format->formatCode = static_cast<uint8_t>(code);
            format->bitDepth = code == COLOR_FORMAT_DXT1 ? 4 : 8;
            return true;
        }
        const D3dFormatMasks* row = FindD3dFormat(fourCC);
        if (!row) return false;
        BuildColorFormat(format, row->bits, row->red, row->green, row->blue, row->alpha, 0, 0, 0);
        return true;
    }
    if (!(flags & DDPF_RGB)) return false;
    uint32_t bits = LoadLe32(pf + 12);
    if (!IsMaskDepth(bits)) return false;
    BuildColorFormat(format, static_cast<int>(bits), LoadLe32(pf + 16), LoadLe32(pf + 20), LoadLe32(pf + 24),
                     LoadLe32(pf + 28), 0, 0, 0);
    return true;
}

// Levels of a full mip chain down to 1 x 1.
int FullChainLength(int64_t width, int64_t height) {
    int levels = 1;
    for (int64_t side = width > height ? width : height; side > 1; side >>= 1) ++levels;
    return levels;
}

}  // namespace

int ReadDdsImage(StreamDescriptor* stream, SoftImage* image) {
    uint8_t magic[4], header[124];
    if (!ReadStreamExact(stream, magic, 4) || std::memcmp(magic, "DDS", 3) != 0) return -1;
    if (!ReadStreamExact(stream, header, sizeof(header))) return -1;
    ColorFormat format{};
    if (!DdsFormat(header, &format)) return -1;
    uint32_t flags = LoadLe32(header + 4);
    int64_t height = LoadLe32(header + 8), width = LoadLe32(header + 12);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
        !ImageSizeAllowed(width, height, format.pixelBytes))
        return -1;
    int64_t mipCount = 0;
    if ((flags & DDSD_MIPMAPCOUNT) &&
        (LoadLe32(header + 104) & DDSCAPS_COMPLEX_MIPMAP) == DDSCAPS_COMPLEX_MIPMAP)
        mipCount = LoadLe32(header + 24);
    if (mipCount > FullChainLength(width, height)) return -1;
    int64_t pitch = 0;
    if (format.formatCode == COLOR_FORMAT_PLAIN) {
        int64_t rowBytes = format.pixelBytes * width;
        pitch = (flags & DDSD_PITCH) ? LoadLe32(header + 16) : rowBytes;
        if (pitch < rowBytes || pitch > INT32_MAX) return -1;
    }
    int64_t size = GetImageDataSizeFor(&format, static_cast<int>(width), static_cast<int>(height),
                                       static_cast<int>(pitch), static_cast<int>(mipCount));
    if (size <= 0 || GetStreamRemaining(stream) < size) return -1;
    void* pixels = ImageAlloc(static_cast<uint64_t>(size));
    if (!pixels) return -1;
    if (!ReadStreamExact(stream, pixels, static_cast<uint64_t>(size))) {
        ImageFree(pixels);
        return -1;
    }
    image->format = format;
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pitch = static_cast<int32_t>(pitch);
    image->pixels = pixels;
    image->mipCount = static_cast<int32_t>(mipCount);
    return 0;
}
