#include "platform/d3d9/surface_copy.h"

#include <cstring>
#include <vector>

namespace d3d9 {

void CopyRect(const SurfaceStore& src, IntRect r, SurfaceStore& dst, int dst_x, int dst_y) {
    size_t bytes = size_t(r.Width()) * size_t(src.bytes_per_pixel);
    for (int y = 0; y < r.Height(); ++y)
        std::memmove(dst.At(dst_x, dst_y + y), src.At(r.left, r.top + y), bytes);
}

namespace {

// Writes the part `visible` of the stretch of sr onto dr (both in the destination's plane) at dst's
// (out_x, out_y).
template <D3DFORMAT S, D3DFORMAT D>
void StretchRows(const SurfaceStore& src, IntRect sr, IntRect dr, IntRect visible, SurfaceStore& dst,
                 int out_x, int out_y) {
    int dw = dr.Width(), dh = dr.Height(), sw = sr.Width(), sh = sr.Height(), vw = visible.Width();
    std::vector<int> columns(static_cast<size_t>(vw));
    for (int x = 0; x < vw; ++x)
        columns[size_t(x)] = int((int64_t(2 * (visible.left - dr.left + x) + 1) * sw) / (2 * int64_t(dw)));
    constexpr int sbpp = S == D3DFMT_A8R8G8B8 || S == D3DFMT_X8R8G8B8 ? 4 : 2;
    constexpr int dbpp = D == D3DFMT_A8R8G8B8 || D == D3DFMT_X8R8G8B8 ? 4 : 2;
    std::vector<uint8_t> converted(size_t(sw) * dbpp);
    int last_row = -1;
    uint8_t* previous = nullptr;
    for (int y = visible.top; y < visible.bottom; ++y) {
        int row = sr.top + int((int64_t(2 * (y - dr.top) + 1) * sh) / (2 * int64_t(dh)));
        uint8_t* out = dst.At(out_x, out_y + y - visible.top);
        if (row == last_row && previous) {
            std::memcpy(out, previous, size_t(vw) * dbpp);
            previous = out;
            continue;
        }
        const uint8_t* in = src.Row(row);
        for (int x = sr.left; x < sr.right; ++x)
            Encode<D>(converted.data() + size_t(x - sr.left) * dbpp, Decode<S>(in + x * sbpp));
        for (int x = 0; x < vw; ++x)
            std::memcpy(out + size_t(x) * dbpp, converted.data() + size_t(columns[size_t(x)]) * dbpp, dbpp);
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

void StretchPointPart(const SurfaceStore& src, IntRect sr, IntRect dr, IntRect visible, SurfaceStore& dst,
                      int out_x, int out_y) {
    if (sr.Empty() || dr.Empty() || visible.Empty()) return;
    DispatchColorFormat(src.format, [&](auto s) {
        DispatchColorFormat(dst.format, [&](auto d) {
            StretchRows<decltype(s)::value, decltype(d)::value>(src, sr, dr, visible, dst, out_x, out_y);
        });
    });
}

void FillRect(SurfaceStore& dst, IntRect r, Color color) {
    if (r.Empty()) return;
    uint8_t pixel[4];
    EncodePixel(dst.format, pixel, color);
    for (int x = r.left; x < r.right; ++x) std::memcpy(dst.At(x, r.top), pixel, size_t(dst.bytes_per_pixel));
    size_t bytes = size_t(r.Width()) * size_t(dst.bytes_per_pixel);
    for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(dst.At(r.left, y), dst.At(r.left, r.top), bytes);
}

void FillDepth(SurfaceStore& dst, IntRect r, uint16_t depth) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) std::memcpy(dst.At(x, y), &depth, 2);
}

}  // namespace d3d9
