// Truevision TGA: colour-mapped (types 1 and 9) and true-colour (types 2 and 10) images of 16, 24 and
// 32 bits, plain or run-length encoded, in any of the four row and column orders.
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"

namespace {

constexpr int64_t kHeaderBytes = 18;
constexpr int64_t kFooterBytes = 26;
constexpr int kMaxTgaSide = 8192;
constexpr int kColorMapped = 1, kTrueColor = 2, kColorMappedRle = 9, kTrueColorRle = 10;

struct TgaHeader {
    int idLength, colorMapType, type, mapFirst, mapLength, mapEntryBits;
    int xOrigin, yOrigin, width, height, depth, descriptor;
    bool colorMapped;
    int bytes;  // per pixel of the result
};

TgaHeader ParseHeader(const uint8_t* p) {
    TgaHeader h{};
    h.idLength = p[0];
    h.colorMapType = p[1];
    h.type = p[2];
    h.mapFirst = LoadLe16(p + 3);
    h.mapLength = LoadLe16(p + 5);
    h.mapEntryBits = p[7];
    h.xOrigin = LoadLe16(p + 8);
    h.yOrigin = LoadLe16(p + 10);
    h.width = LoadLe16(p + 12);
    h.height = LoadLe16(p + 14);
    h.depth = p[16];
    h.descriptor = p[17];
    h.colorMapped = h.type == kColorMapped || h.type == kColorMappedRle;
    int bits = h.colorMapped ? h.mapEntryBits : h.depth;
    h.bytes = bits == 16 || bits == 24 || bits == 32 ? bits / 8 : 0;
    return h;
}

bool Supported(const TgaHeader& h) {
    bool knownType = h.colorMapped || h.type == kTrueColor || h.type == kTrueColorRle;
    if (!knownType || h.xOrigin != 0 || h.yOrigin != 0 || h.bytes == 0) return false;
    if (h.width == 0 || h.height == 0 || h.width > kMaxTgaSide || h.height > kMaxTgaSide) return false;
    // A colour map names entries 0..255 of one-byte indices.
    return !h.colorMapped || (h.colorMapType == 1 && h.depth == 8 && h.mapFirst + h.mapLength <= 256);
}

// Where the image data ends: before a TGA 2.0 footer without extension area, else at the end.
int64_t DataEnd(StreamDescriptor* stream, int64_t fileSize) {
    uint8_t footer[kFooterBytes];
    if (fileSize < kHeaderBytes + kFooterBytes || !SeekStreamTo(stream, fileSize - kFooterBytes) ||
        !ReadStreamExact(stream, footer, sizeof(footer)))
        return fileSize;
    bool signature = std::memcmp(footer + 8, "TRUEVISION-XFILE", 16) == 0;
    return signature && LoadLe32(footer) == 0 ? fileSize - kFooterBytes : fileSize;
}

void SetTgaFormat(int bytes, ColorFormat* format) {
    if (bytes == 2) BuildColorFormat(format, 16, 0x7C00, 0x03E0, 0x001F, 0, 0, 0, 0);
    if (bytes == 3) SetColorFormatRgb24(format);
    if (bytes == 4) SetColorFormatArgb8(format);
}

// Decodes run-length packets of `valueBytes` values until `count` values are out; false when a packet
// runs past the image or the data.
bool DecodePackets(const uint8_t* data, int64_t size, int valueBytes, int64_t count, uint8_t* out) {
    int64_t at = 0, done = 0;
    while (done < count) {
        if (at >= size) return false;
        uint8_t packet = data[at++];
        int64_t n = (packet & 0x7F) + 1;
        bool run = packet & 0x80;
        int64_t bytes = run ? valueBytes : n * valueBytes;
        if (done + n > count || at + bytes > size) return false;
        for (int64_t i = 0; i < n; ++i) {
            const uint8_t* value = data + at + (run ? 0 : i * valueBytes);
            std::memcpy(out + (done + i) * valueBytes, value, static_cast<size_t>(valueBytes));
        }
        at += bytes;
        done += n;
    }
    return true;
}

// Reads the stream from its position to dataEnd and decodes its packets.
bool ReadPackets(StreamDescriptor* stream, int64_t dataEnd, int valueBytes, int64_t count, uint8_t* out) {
    int64_t position = stream->functions.tell(stream->source);
    int64_t size = dataEnd - position;
    if (position < 0 || size <= 0) return false;
    auto* data = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(size)));
    if (!data) return false;
    bool ok = ReadStreamExact(stream, data, static_cast<uint64_t>(size)) &&
              DecodePackets(data, size, valueBytes, count, out);
    ImageFree(data);
    return ok;
}

bool ReadColorMapped(StreamDescriptor* stream, const TgaHeader& h, int64_t dataEnd, uint8_t* pixels) {
    uint8_t palette[256 * 4] = {};
    if (!ReadStreamExact(stream, palette + h.mapFirst * h.bytes,
                         static_cast<uint64_t>(h.mapLength) * h.bytes))
        return false;
    int64_t count = int64_t{h.width} * h.height;
    auto* indices = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(count)));
    if (!indices) return false;
    bool ok = h.type == kColorMapped ? ReadStreamExact(stream, indices, static_cast<uint64_t>(count))
                                     : ReadPackets(stream, dataEnd, 1, count, indices);
    for (int64_t i = 0; ok && i < count; ++i)
        std::memcpy(pixels + i * h.bytes, palette + indices[i] * h.bytes, static_cast<size_t>(h.bytes));
    ImageFree(indices);
    return ok;
}

bool ReadTrueColor(StreamDescriptor* stream, const TgaHeader& h, int64_t dataEnd, uint8_t* pixels) {
    // A colour map that a true-colour file carries is not used; it is stepped over.
    int64_t mapBytes = h.colorMapType == 1 ? int64_t{h.mapLength} * ((h.mapEntryBits + 7) / 8) : 0;
    int64_t position = stream->functions.tell(stream->source);
    if (position < 0 || !SeekStreamTo(stream, position + mapBytes)) return false;
    int64_t count = int64_t{h.width} * h.height;
    if (h.type == kTrueColor) return ReadStreamExact(stream, pixels, static_cast<uint64_t>(count * h.bytes));
    return ReadPackets(stream, dataEnd, h.bytes, count, pixels);
}

// Rows top to bottom and pixels left to right; a new block when the file's order differs.
uint8_t* Orient(const TgaHeader& h, uint8_t* pixels) {
    bool topFirst = h.descriptor & 0x20, rightToLeft = h.descriptor & 0x10;
    if (topFirst && !rightToLeft) return pixels;
    int64_t pitch = int64_t{h.width} * h.bytes;
    auto* out = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(pitch * h.height)));
    if (!out) return nullptr;
    for (int64_t y = 0; y < h.height; ++y) {
        const uint8_t* in = pixels + (topFirst ? y : h.height - 1 - y) * pitch;
        uint8_t* row = out + y * pitch;
        for (int64_t x = 0; x < h.width; ++x) {
            int64_t from = rightToLeft ? h.width - 1 - x : x;
            std::memcpy(row + x * h.bytes, in + from * h.bytes, static_cast<size_t>(h.bytes));
        }
    }
    ImageFree(pixels);
    return out;
}

// The fewest bytes of colour map and pixel data that can describe the image (packets hold at most 128
// values), so that a short file is refused before its pixel block is allocated.
int64_t MinimumDataBytes(const TgaHeader& h) {
    int64_t count = int64_t{h.width} * h.height;
    int valueBytes = h.colorMapped ? 1 : h.bytes;
    int64_t map = h.colorMapped ? int64_t{h.mapLength} * h.bytes : 0;
    bool rle = h.type == kColorMappedRle || h.type == kTrueColorRle;
    return map + (rle ? (count + 127) / 128 * (1 + valueBytes) : count * valueBytes);
}

}  // namespace

int ReadTgaImage(StreamDescriptor* stream, SoftImage* image) {
    if (!SeekStreamTo(stream, 0)) return -1;
    int64_t fileSize = GetStreamRemaining(stream);
    if (fileSize < kHeaderBytes) return -1;
    int64_t dataEnd = DataEnd(stream, fileSize);
    uint8_t bytes[kHeaderBytes];
    if (!SeekStreamTo(stream, 0) || !ReadStreamExact(stream, bytes, sizeof(bytes))) return -1;
    TgaHeader h = ParseHeader(bytes);
    if (!Supported(h) || !SeekStreamTo(stream, kHeaderBytes + h.idLength)) return -1;
    if (dataEnd - (kHeaderBytes + h.idLength) < MinimumDataBytes(h)) return -1;
    int64_t pitch = int64_t{h.width} * h.bytes;
    auto* pixels = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<uint64_t>(pitch * h.height)));
    if (!pixels) return -1;
    bool ok = h.colorMapped ? ReadColorMapped(stream, h, dataEnd, pixels)
                            : ReadTrueColor(stream, h, dataEnd, pixels);
    uint8_t* oriented = ok ? Orient(h, pixels) : nullptr;
    if (!oriented) {
        ImageFree(pixels);
        return -1;
    }
    SetTgaFormat(h.bytes, &image->format);
    image->width = h.width;
    image->height = h.height;
    image->pitch = static_cast<int32_t>(pitch);
    image->pixels = oriented;
    image->mipCount = 0;
    return 0;
}
