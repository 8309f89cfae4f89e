#include "engine/image/bmp_rle.h"

#include <algorithm>

namespace {

struct RleCursor {
    int64_t x = 0;
    int64_t row = 0;  // in file order
    int width, height;
    bool topDown;
    uint8_t* out;
    size_t pitch;

    bool Done() const { return row >= height; }
    void Put(uint8_t index) {
        if (x < width && row < height) {
            int64_t y = topDown ? row : height - 1 - row;
            out[static_cast<size_t>(y) * pitch + static_cast<size_t>(x)] = index;
        }
        ++x;
    }
};

uint8_t Nibble(uint8_t byte, int64_t i) {
    return (i & 1) ? byte & 0x0F : byte >> 4;
}

}  // namespace

void DecodeBmpRle(const uint8_t* data, size_t size, bool fourBit, int width, int height, bool topDown,
                  uint8_t* out, size_t pitch) {
    RleCursor cursor{0, 0, width, height, topDown, out, pitch};
    size_t at = 0;
    while (at + 2 <= size && !cursor.Done()) {
        uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            int64_t visible = std::min<int64_t>(count, std::max<int64_t>(0, width - cursor.x));
            for (int64_t i = 0; i < visible; ++i) cursor.Put(fourBit ? Nibble(value, i) : value);
            cursor.x += count - visible;
        } else if (value == 0) {
            cursor.x = 0;
            ++cursor.row;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 2 > size) return;
            cursor.x += data[at];
            cursor.row += data[at + 1];
            at += 2;
        } else {
            size_t bytes = fourBit ? (value + 1u) / 2 : value;
            size_t available = std::min(bytes, size - at);
            int64_t pixels = fourBit ? std::min<int64_t>(value, int64_t(available) * 2) : int64_t(available);
            for (int64_t i = 0; i < pixels; ++i) {
                uint8_t byte = data[at + static_cast<size_t>(fourBit ? i / 2 : i)];
                cursor.Put(fourBit ? Nibble(byte, i) : byte);
            }
            if (available < bytes) return;
            at += (bytes + 1) & ~size_t{1};
        }
    }
}
