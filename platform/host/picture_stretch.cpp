#include "platform/host/picture_stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

uint32_t LoadPixel(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

void CopyRow(const uint8_t* in, uint32_t* out, int count, uint32_t alpha_or) {
    if (alpha_or == 0) {
        std::memcpy(out, in, static_cast<size_t>(count) * sizeof(uint32_t));
        return;
    }
    // Four pixels a step in a vector register: the compiler does not vectorise this loop at -O2.
    using Four = uint32_t __attribute__((vector_size(16)));
    const Four fill = {alpha_or, alpha_or, alpha_or, alpha_or};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Four four;
        std::memcpy(&four, in + 4 * static_cast<size_t>(i), sizeof(four));
        four |= fill;
        std::memcpy(out + i, &four, sizeof(four));
    }
    for (; i < count; ++i) out[i] = LoadPixel(in + 4 * static_cast<size_t>(i)) | alpha_or;
}

void GatherRow(const uint8_t* in, const int32_t* columns, uint32_t* out, int count, uint32_t alpha_or) {
    for (int i = 0; i < count; ++i) out[i] = LoadPixel(in + 4 * static_cast<size_t>(columns[i])) | alpha_or;
}

}  // namespace

bool StretchPicture(const StretchSource& source, const RECT& dest, const StretchTarget& target,
                    uint32_t alpha_or) {
    const int64_t dest_width = static_cast<int64_t>(dest.right) - dest.left;
    const int64_t dest_height = static_cast<int64_t>(dest.bottom) - dest.top;
    if (dest_width <= 0 || dest_height <= 0) return false;
    const int x0 = static_cast<int>(std::max<int64_t>(dest.left, 0));
    const int x1 = static_cast<int>(std::min<int64_t>(dest.right, target.width));
    const int y0 = static_cast<int>(std::max<int64_t>(dest.top, 0));
    const int y1 = static_cast<int>(std::min<int64_t>(dest.bottom, target.height));
    if (x0 >= x1 || y0 >= y1) return true;
    const int count = x1 - x0;
    const bool unscaled = dest_width == source.width;
    // Per thread: the window stand-ins may present from more than one thread.
    thread_local std::vector<int32_t> columns;
    if (!unscaled) {
        columns.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            columns[i] = static_cast<int32_t>((x0 + i - int64_t{dest.left}) * source.width / dest_width);
    }
    const uint32_t* previous = nullptr;
    int64_t previous_y = -1;
    for (int y = y0; y < y1; ++y) {
        const int64_t source_y = (y - int64_t{dest.top}) * source.height / dest_height;
        uint32_t* out = target.pixels + static_cast<size_t>(y) * target.width + x0;
        if (source_y == previous_y) {
            std::memcpy(out, previous, static_cast<size_t>(count) * sizeof(uint32_t));
            continue;
        }
        const uint8_t* row = source.bytes + source_y * source.pitch_bytes;
        if (unscaled)
            CopyRow(row + 4 * (x0 - int64_t{dest.left}), out, count, alpha_or);
        else
            GatherRow(row, columns.data(), out, count, alpha_or);
        previous = out;
        previous_y = source_y;
    }
    return true;
}
