// Windows bitmaps: uncompressed 4, 8, 24 and 32 bits, RLE8 and RLE4 decoded here; every other kind
// (1 and 16 bits, bit fields, other compressions) is handed to GDI and comes out as 24 bits.
#include <cstring>
#include <vector>

#include "engine/image/bmp_rle.h"
#include "engine/image/dib_import.h"
#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"

namespace {

constexpr int64_t kFileHeaderBytes = 14;
constexpr int64_t kInfoHeaderBytes = 40;

struct BmpHeader {
    int64_t fileSize;
    int64_t dataOffset;
    int64_t headerSize;
    int64_t width;
    int64_t height;  // rows, whichever order
    bool topDown;
    int bits;
    uint32_t compression;
    uint32_t colorsUsed;
    int64_t stride;  // bytes per row in the file
};

// The info header copy that GDI and the palette formats read: a 40-byte header followed by a full
// palette of 2^bits entries (entries beyond the file's count zero) or by the three masks.
struct BmpInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// The pixel data and whatever the reader has allocated so far; freed unless handed to the image.
struct BmpBuffers {
    uint8_t* data = nullptr;
    int64_t dataSize = 0;
    uint8_t* pixels = nullptr;
    ~BmpBuffers() {
        if (pixels != data) ImageFree(pixels);
        ImageFree(data);
    }
};

bool ReadHeader(StreamDescriptor* stream, BmpHeader* h) {
    if (!SeekStreamTo(stream, 0)) return false;
    h->fileSize = GetStreamRemaining(stream);
    uint8_t bytes[kFileHeaderBytes + kInfoHeaderBytes];
    if (h->fileSize < 0 || !ReadStreamExact(stream, bytes, sizeof(bytes))) return false;
    if (bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint8_t* info = bytes + kFileHeaderBytes;
    h->dataOffset = LoadLe32(bytes + 10);
    h->headerSize = LoadLe32(info);
    h->width = static_cast<int32_t>(LoadLe32(info + 4));
    int64_t height = static_cast<int32_t>(LoadLe32(info + 8));
    h->topDown = height < 0;
    h->height = height < 0 ? -height : height;
    h->bits = LoadLe16(info + 14);
    h->compression = LoadLe32(info + 16);
    h->colorsUsed = LoadLe32(info + 32);
    h->stride = (h->bits * h->width + 31) / 32 * 4;
    if (h->headerSize < kInfoHeaderBytes || h->dataOffset > h->fileSize) return false;
    if (h->width <= 0 || h->height <= 0 || h->width > kMaxImageSide || h->height > kMaxImageSide ||
        !ImageSizeAllowed(h->width, h->height, 4))
        return false;
    return h->bits > 0 && h->bits <= 32;
}

// The palette starts after the info header (whatever its version) and has biClrUsed entries, or 2^bits
// when that is 0; the masks of 16- and 32-bit files and of bit fields sit right after the 40-byte fields.
bool ReadTables(StreamDescriptor* stream, const BmpHeader& h, BmpInfo* info) {
    std::memset(info, 0, sizeof(*info));
    BITMAPINFOHEADER& header = info->header;
    header.biSize = kInfoHeaderBytes;
    header.biWidth = static_cast<LONG>(h.width);
    header.biHeight = static_cast<LONG>(h.topDown ? -h.height : h.height);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(h.bits);
    header.biCompression = h.compression;
    if (h.bits <= 8) {
        int64_t limit = int64_t{1} << h.bits;
        int64_t entries = h.colorsUsed == 0 || h.colorsUsed > limit ? limit : h.colorsUsed;
        int64_t start = kFileHeaderBytes + h.headerSize;
        if (start + entries * 4 > h.fileSize || !SeekStreamTo(stream, start)) return false;
        return ReadStreamExact(stream, info->colors, static_cast<uint64_t>(entries) * 4);
    }
    if (h.bits == 16 || h.bits == 32 || h.compression == BI_BITFIELDS) {
        int64_t start = kFileHeaderBytes + kInfoHeaderBytes;
        if (start + 12 > h.fileSize || !SeekStreamTo(stream, start)) return false;
        return ReadStreamExact(stream, info->colors, 12);
    }
    return true;
}

void SetPaletteFormat(const BmpInfo& info, SoftImage* image) {
    SetColorFormatPalette8(&image->format);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = info.colors[i];
        image->format.palette[i] = PaletteEntry{c.rgbBlue, c.rgbGreen, c.rgbRed, 0};
    }
}

// The file's rows in top-to-bottom order, `rowBytes` of each copied into rows of `pitch` bytes.
void CopyRowsTopDown(const BmpHeader& h, const uint8_t* data, int64_t rowBytes, uint8_t* out, int64_t pitch) {
    for (int64_t y = 0; y < h.height; ++y) {
        int64_t fileRow = h.topDown ? y : h.height - 1 - y;
        std::memcpy(out + y * pitch, data + fileRow * h.stride, static_cast<size_t>(rowBytes));
    }
}

bool DecodeRle(const BmpHeader& h, BmpBuffers* b, SoftImage* image) {
    bool fourBit = h.compression == BI_RLE4;
    int64_t pitch = fourBit ? (h.width + 3) / 4 * 4 : h.stride;
    b->pixels = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<uint64_t>(pitch * h.height)));
    if (!b->pixels) return false;
    DecodeBmpRle(b->data, static_cast<size_t>(b->dataSize), fourBit, static_cast<int>(h.width),
                 static_cast<int>(h.height), h.topDown, b->pixels, static_cast<size_t>(pitch));
    image->pitch = static_cast<int32_t>(pitch);
    return true;
}

bool UnpackFourBit(const BmpHeader& h, BmpBuffers* b, SoftImage* image) {
    int64_t pitch = (h.width + 3) / 4 * 4;
    b->pixels = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<uint64_t>(pitch * h.height)));
    if (!b->pixels) return false;
    for (int64_t y = 0; y < h.height; ++y) {
        const uint8_t* in = b->data + (h.topDown ? y : h.height - 1 - y) * h.stride;
        uint8_t* out = b->pixels + y * pitch;
        for (int64_t x = 0; x < h.width; ++x) out[x] = (x & 1) ? in[x / 2] & 0x0F : in[x / 2] >> 4;
    }
    image->pitch = static_cast<int32_t>(pitch);
    return true;
}

bool TakeRows(const BmpHeader& h, BmpBuffers* b, SoftImage* image) {
    if (h.topDown) {
        b->pixels = b->data;
    } else {
        b->pixels = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(h.stride * h.height)));
        if (!b->pixels) return false;
        CopyRowsTopDown(h, b->data, h.stride, b->pixels, h.stride);
    }
    image->pitch = static_cast<int32_t>(h.stride);
    return true;
}

bool DecodeBmpData(const BmpHeader& h, BmpInfo* info, BmpBuffers* b, SoftImage* image) {
    bool rle8 = h.compression == BI_RLE8 && h.bits == 8;
    bool rle4 = h.compression == BI_RLE4 && h.bits == 4;
    bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    bool plain = h.compression == BI_RGB;
    bool whole = b->dataSize >= h.stride * h.height;
    if (rle8 || rle4) {
        if (!DecodeRle(h, b, image)) return false;
        SetPaletteFormat(*info, image);
    } else if (plain && h.bits == 4 && whole) {
        if (!UnpackFourBit(h, b, image)) return false;
        SetPaletteFormat(*info, image);
    } else if (plain && (h.bits == 8 || h.bits == 24 || h.bits == 32) && whole) {
        if (!TakeRows(h, b, image)) return false;
        if (h.bits == 8) SetPaletteFormat(*info, image);
        if (h.bits == 24) SetColorFormatRgb24(&image->format);
        if (h.bits == 32) SetColorFormatArgb8(&image->format);
    } else if (rle || whole) {
        // GDI reads RLE data only as far as biSizeImage says.
        if (rle) info->header.biSizeImage = static_cast<DWORD>(b->dataSize);
        SoftImage converted{};
        if (ConvertDibThroughGdi(reinterpret_cast<const BITMAPINFO*>(info), b->data, &converted) != 0)
            return false;
        *image = converted;
        return true;
    } else {
        return false;
    }
    image->width = static_cast<int32_t>(h.width);
    image->height = static_cast<int32_t>(h.height);
    image->pixels = b->pixels;
    return true;
}

}  // namespace

int ReadBmpImage(StreamDescriptor* stream, SoftImage* image) {
    BmpHeader h{};
    auto* info = static_cast<BmpInfo*>(ImageAlloc(sizeof(BmpInfo)));
    if (!info) return -1;
    BmpBuffers b;
    bool ok = ReadHeader(stream, &h) && ReadTables(stream, h, info) && SeekStreamTo(stream, h.dataOffset);
    if (ok) {
        b.dataSize = h.fileSize - h.dataOffset;
        b.data = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(b.dataSize > 0 ? b.dataSize : 1)));
        ok = b.data && ReadStreamExact(stream, b.data, static_cast<uint64_t>(b.dataSize));
    }
    SoftImage result{};
    ok = ok && DecodeBmpData(h, info, &b, &result);
    ImageFree(info);
    if (!ok) return -1;
    // The pixels now belong to the image; only the file data is freed (unless it became the pixels).
    if (b.pixels == b.data) b.data = nullptr;
    b.pixels = nullptr;
    *image = result;
    return 0;
}
