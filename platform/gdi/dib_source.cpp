#include "platform/gdi/dib_source.h"

#include <cstring>

namespace {

constexpr int64_t kMaxDimension = 1 << 20;
constexpr int64_t kMaxUnpackedPixels = int64_t{1} << 26;

uint32_t ReadU32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

uint16_t ReadU16(const uint8_t* p) {
    uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

uint32_t PixelOfMasks(uint32_t value, const uint32_t* masks) {
    uint32_t pixel = 0xFF000000u;
    for (int channel = 0; channel < 3; ++channel) {
        int shift = 0, width = 0;
        MaskShiftWidth(masks[channel], &shift, &width);
        uint32_t part = width ? WidenChannel((value & masks[channel]) >> shift, width) : 0;
        pixel |= part << (16 - 8 * channel);
    }
    return pixel;
}

// Unpacks RLE8 or RLE4 data of `size` bytes into one index a pixel.
bool UnpackRle(const uint8_t* data, size_t size, bool four_bit, DibSource* source) {
    const int64_t pixels = static_cast<int64_t>(source->width) * source->height;
    if (pixels > kMaxUnpackedPixels) return false;
    source->unpacked.assign(static_cast<size_t>(pixels), 0);
    source->drawn.assign(static_cast<size_t>(pixels), 0);
    int x = 0, y = 0;
    size_t at = 0;
    auto put = [&](uint8_t index) {
        if (x < source->width && y < source->height) {
            size_t offset = static_cast<size_t>(y) * source->width + x;
            source->unpacked[offset] = index;
            source->drawn[offset] = 1;
        }
        ++x;
    };
    while (at + 2 <= size && y < source->height) {
        uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four_bit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // move
            if (at + 2 > size) break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // a run of literal pixels, padded to 16 bits
            size_t bytes = four_bit ? (value + 1) / 2 : value;
            if (at + bytes > size) break;
            for (int i = 0; i < value; ++i) {
                uint8_t byte = data[at + (four_bit ? i / 2 : i)];
                put(four_bit ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            at += (bytes + 1) & ~size_t{1};
        }
    }
    return true;
}

bool ReadPalette(const uint8_t* table, int entries, int entry_size, DibSource* source) {
    source->palette.resize(256, 0xFF000000u);
    for (int i = 0; i < entries; ++i) {
        const uint8_t* entry = table + static_cast<size_t>(i) * entry_size;
        source->palette[i] = 0xFF000000u | (uint32_t{entry[2]} << 16) | (uint32_t{entry[1]} << 8) | entry[0];
    }
    return true;
}

}  // namespace

uint32_t WidenChannel(uint32_t value, int width) {
    if (width >= 8) return (value >> (width - 8)) & 0xFF;
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        int shift = 8 - filled - width;
        result |= shift >= 0 ? value << shift : value >> -shift;
        filled += width;
    }
    return result & 0xFF;
}

void MaskShiftWidth(uint32_t mask, int* shift, int* width) {
    *shift = 0;
    *width = 0;
    if (mask == 0) return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++*shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++*width;
    }
}

bool ReadDibSource(const BITMAPINFO* info, const void* bits, UINT usage, DibSource* source) {
    if (!info || !bits || usage != DIB_RGB_COLORS) return false;
    const auto* header = reinterpret_cast<const uint8_t*>(info);
    DWORD header_size = ReadU32(header);
    DWORD compression = BI_RGB;
    DWORD colors_used = 0, size_image = 0;
    int64_t width, height;
    const uint8_t* table;
    int entry_size;
    if (header_size == sizeof(BITMAPCOREHEADER)) {
        width = ReadU16(header + 4);
        height = ReadU16(header + 6);
        source->bit_count = ReadU16(header + 10);
        table = header + header_size;
        entry_size = 3;
    } else if (header_size >= sizeof(BITMAPINFOHEADER)) {
        const BITMAPINFOHEADER& info_header = info->bmiHeader;
        width = info_header.biWidth;
        height = info_header.biHeight;
        source->bit_count = info_header.biBitCount;
        compression = info_header.biCompression;
        colors_used = info_header.biClrUsed;
        size_image = info_header.biSizeImage;
        bool masks_after = header_size == sizeof(BITMAPINFOHEADER) && compression == BI_BITFIELDS;
        table = header + header_size + (masks_after ? 12 : 0);
        entry_size = 4;
    } else {
        return false;
    }
    source->top_down = height < 0;
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
    source->width = static_cast<int>(width);
    source->height = static_cast<int>(height);
    source->bits = static_cast<const uint8_t*>(bits);
    source->pitch = ((static_cast<size_t>(width) * source->bit_count + 31) / 32) * 4;
    switch (source->bit_count) {
        case 1:
        case 4:
        case 8: {
            int limit = 1 << source->bit_count;
            int entries = colors_used == 0 || colors_used > static_cast<DWORD>(limit) ? limit : colors_used;
            ReadPalette(table, entries, entry_size, source);
            if (compression == BI_RLE8 || compression == BI_RLE4) {
                bool four_bit = compression == BI_RLE4;
                if (source->top_down || source->bit_count != (four_bit ? 4 : 8) || size_image == 0)
                    return false;
                source->rle = true;
                return UnpackRle(source->bits, size_image, four_bit, source);
            }
            return compression == BI_RGB;
        }
        case 16:
        case 32:
            if (compression == BI_BITFIELDS) {
                for (int i = 0; i < 3; ++i)
                    source->masks[i] = ReadU32(header + sizeof(BITMAPINFOHEADER) + 4 * i);
            } else if (compression == BI_RGB) {
                if (source->bit_count == 16) {
                    source->masks[0] = 0x7C00, source->masks[1] = 0x03E0, source->masks[2] = 0x001F;
                } else {
                    source->masks[0] = 0xFF0000, source->masks[1] = 0x00FF00, source->masks[2] = 0x0000FF;
                }
            } else {
                return false;
            }
            return true;
        case 24:
            return compression == BI_RGB;
        default:
            return false;
    }
}

bool DibSourcePixel(const DibSource& source, int x, int row, uint32_t* pixel) {
    if (source.rle) {
        size_t offset = static_cast<size_t>(row) * source.width + x;
        if (!source.drawn[offset]) return false;
        *pixel = source.palette[source.unpacked[offset]];
        return true;
    }
    const uint8_t* line = source.bits + static_cast<size_t>(row) * source.pitch;
    switch (source.bit_count) {
        case 1:
            *pixel = source.palette[(line[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            *pixel = source.palette[(x & 1) ? line[x >> 1] & 0x0F : line[x >> 1] >> 4];
            break;
        case 8:
            *pixel = source.palette[line[x]];
            break;
        case 16:
            *pixel = PixelOfMasks(ReadU16(line + 2 * x), source.masks);
            break;
        case 24:
            *pixel = 0xFF000000u | (uint32_t{line[3 * x + 2]} << 16) | (uint32_t{line[3 * x + 1]} << 8) |
                     line[3 * x];
            break;
        case 32:
            *pixel = PixelOfMasks(ReadU32(line + 4 * x), source.masks);
            break;
        default:
            return false;
    }
    return true;
}
