#include "platform/d3d9/surface_copy.h"

#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/d3d9/channel_formats.h"

namespace d3d9 {

void CopyRect(const SurfaceStore& src, IntRect r, SurfaceStore& dst, int dst_x, int dst_y) {
    if (IsBlockFormat(src.format)) {
        CopyBlocks(src, r, dst, dst_x, dst_y);
        return;
    }
    size_t bytes = size_t(r.Width()) * size_t(src.bytes_per_pixel);
    for (int y = 0; y < r.Height(); ++y)
        std::memmove(dst.At(dst_x, dst_y + y), src.At(r.left, r.top + y), bytes);
}

void CopyBlocks(const SurfaceStore& src, IntRect r, SurfaceStore& dst, int dst_x, int dst_y) {
    if (r.Empty()) return;
    const int block = BlockBytes(src.format);
    const int across = (r.right + 3) / 4 - r.left / 4, down = (r.bottom + 3) / 4 - r.top / 4;
    for (int row = 0; row < down; ++row)
        std::memmove(dst.Row(dst_y / 4 + row) + size_t(dst_x / 4) * size_t(block),
                     src.Row(r.top / 4 + row) + size_t(r.left / 4) * size_t(block), size_t(across * block));
}

bool BlockAligned(const SurfaceStore& s, IntRect r) {
    auto edge = [](int v, int size) { return v % 4 == 0 || v == size; };
    return r.left % 4 == 0 && r.top % 4 == 0 && edge(r.right, s.width) && edge(r.bottom, s.height);
}

namespace {

template <D3DFORMAT F>
constexpr int kBytes = F == D3DFMT_A8R8G8B8 || F == D3DFMT_X8R8G8B8 ? 4 : 2;
template <D3DFORMAT F>
using PixelOf = std::conditional_t<kBytes<F> == 4, uint32_t, uint16_t>;

// Every 16-bit pixel of S as a 32-bit pixel of D, made on first use.
template <D3DFORMAT S, D3DFORMAT D>
const uint32_t* WideningTable() {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(65536);
        for (uint32_t v = 0; v < 65536; ++v) {
            uint16_t in = uint16_t(v);
            uint8_t bytes[2];
            std::memcpy(bytes, &in, 2);
            Encode<D>(reinterpret_cast<uint8_t*>(&t[v]), Decode<S>(bytes));
        }
        return t;
    }();
    return table.data();
}

// Source row in the destination's format.
template <D3DFORMAT S, D3DFORMAT D>
void ConvertRow(const uint8_t* in, int n, PixelOf<D>* out) {
    if constexpr (kBytes<S> == 2 && kBytes<D> == 4) {
        const uint32_t* table = WideningTable<S, D>();
        for (int x = 0; x < n; ++x) {
            uint16_t v;
            std::memcpy(&v, in + x * 2, 2);
            out[x] = table[v];
        }
    } else {
        for (int x = 0; x < n; ++x)
            Encode<D>(reinterpret_cast<uint8_t*>(out + x), Decode<S>(in + x * kBytes<S>));
    }
}

// Writes the part `visible` of the stretch of sr onto dr (both in the destination's plane) at dst's
// (out_x, out_y). A whole-width stretch by a whole factor repeats each source pixel factor times.
template <D3DFORMAT S, D3DFORMAT D>
void StretchRows(const SurfaceStore& src, IntRect sr, IntRect dr, IntRect visible, SurfaceStore& dst,
                 int out_x, int out_y) {
    using Pixel = PixelOf<D>;
    int dw = dr.Width(), dh = dr.Height(), sw = sr.Width(), sh = sr.Height(), vw = visible.Width();
    int factor = dw % sw == 0 && visible.left == dr.left && visible.right == dr.right ? dw / sw : 0;
    std::vector<int> columns(static_cast<size_t>(vw));
    for (int x = 0; x < vw; ++x)
        columns[size_t(x)] = int((int64_t(2 * (visible.left - dr.left + x) + 1) * sw) / (2 * int64_t(dw)));
    std::vector<Pixel> converted(static_cast<size_t>(sw));
    int last_row = -1;
    const uint8_t* previous = nullptr;
    for (int y = visible.top; y < visible.bottom; ++y) {
        int row = sr.top + int((int64_t(2 * (y - dr.top) + 1) * sh) / (2 * int64_t(dh)));
        uint8_t* out = dst.At(out_x, out_y + y - visible.top);
        if (row == last_row) {
            std::memcpy(out, previous, size_t(vw) * sizeof(Pixel));
            continue;
        }
        ConvertRow<S, D>(src.At(sr.left, row), sw, converted.data());
        if (factor == 1) {
            std::memcpy(out, converted.data(), size_t(vw) * sizeof(Pixel));
        } else if (factor == 2) {
            for (int x = 0; x < sw; ++x) {
                Pixel pair[2] = {converted[size_t(x)], converted[size_t(x)]};
                std::memcpy(out + x * 2 * sizeof(Pixel), pair, sizeof(pair));
            }
        } else {
            for (int x = 0; x < vw; ++x)
                std::memcpy(out + x * sizeof(Pixel), &converted[size_t(columns[size_t(x)])], sizeof(Pixel));
        }
        last_row = row;
        previous = out;
    }
}

}  // namespace

void StretchPoint(const SurfaceStore& src, IntRect sr, SurfaceStore& dst, IntRect dr) {
    if (sr.Empty() || dr.Empty()) return;
    if (src.format == dst.format && sr.Width() == dr.Width() && sr.Height() == dr.Height() && &src != &dst) {
        CopyRect(src, sr, dst, dr.left, dr.top);
        return;
    }
    StretchPointPart(src, sr, dr, dr, dst, dr.left, dr.top);
}

namespace {

// The stretch for formats outside the packed ones: each pixel through float channels, so that float
// values pass unclamped between float formats.
void StretchThroughFloats(const SurfaceStore& src, IntRect sr, IntRect dr, IntRect visible, SurfaceStore& dst,
                          int out_x, int out_y) {
    const int dw = dr.Width(), dh = dr.Height(), sw = sr.Width(), sh = sr.Height();
    for (int y = visible.top; y < visible.bottom; ++y) {
        const int row = sr.top + int((int64_t(2 * (y - dr.top) + 1) * sh) / (2 * int64_t(dh)));
        for (int x = visible.left; x < visible.right; ++x) {
            const int column = sr.left + int((int64_t(2 * (x - dr.left) + 1) * sw) / (2 * int64_t(dw)));
            EncodePixelFloat(dst.format, dst.At(out_x + x - visible.left, out_y + y - visible.top),
                             FetchTexelFloat(src.format, src.bits.data(), src.pitch, column, row));
        }
    }
}

}  // namespace

void StretchPointPart(const SurfaceStore& src, IntRect sr, IntRect dr, IntRect visible, SurfaceStore& dst,
                      int out_x, int out_y) {
    if (sr.Empty() || dr.Empty() || visible.Empty()) return;
    if (!IsPackedFormat(src.format) || !IsPackedFormat(dst.format)) {
        StretchThroughFloats(src, sr, dr, visible, dst, out_x, out_y);
        return;
    }
    DispatchColorFormat(src.format, [&](auto s) {
        DispatchColorFormat(dst.format, [&](auto d) {
            StretchRows<decltype(s)::value, decltype(d)::value>(src, sr, dr, visible, dst, out_x, out_y);
        });
    });
}

void FillRect(SurfaceStore& dst, IntRect r, Color color) {
    if (r.Empty()) return;
    uint8_t pixel[16];
    EncodePixel(dst.format, pixel, color);
    for (int x = r.left; x < r.right; ++x) std::memcpy(dst.At(x, r.top), pixel, size_t(dst.bytes_per_pixel));
    size_t bytes = size_t(r.Width()) * size_t(dst.bytes_per_pixel);
    for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(dst.At(r.left, y), dst.At(r.left, r.top), bytes);
}

void FillDepth(SurfaceStore& dst, IntRect r, uint16_t depth) {
    if (r.Empty()) return;
    const int bytes = dst.bytes_per_pixel;
    const uint32_t word = DepthWord(dst.format, depth);
    uint8_t* first = dst.At(r.left, r.top);
    for (int x = 0; x < r.Width(); ++x)
        std::memcpy(first + bytes * x, bytes == 4 ? (const void*)&word : &depth, size_t(bytes));
    for (int y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(dst.At(r.left, y), first, size_t(r.Width()) * size_t(bytes));
}

}  // namespace d3d9
