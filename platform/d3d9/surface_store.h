// Pixel memory of a surface or texture level, and the rectangles the stand-in computes with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/d3d9/pixel_format.h"

namespace d3d9 {

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
};

inline IntRect Intersect(IntRect a, IntRect b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}
inline IntRect Union(IntRect a, IntRect b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}
inline IntRect FromRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Pixel memory, zeroed when made. It comes from calloc, which does not write memory fresh from the
// system (its pages are supplied zeroed when first touched): the part of a new surface that is never
// written (the padding of a texture, a depth buffer beyond the viewport) costs nothing, while a block
// that reuses freed memory is cleared.
class PixelBytes {
  public:
    PixelBytes() = default;
    explicit PixelBytes(size_t size);
    PixelBytes(const PixelBytes& other);
    PixelBytes(PixelBytes&& other) noexcept;
    PixelBytes& operator=(PixelBytes other) noexcept;
    ~PixelBytes();

    // The contents become size bytes of value.
    void assign(size_t size, uint8_t value);
    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    uint8_t* begin() { return data_; }
    uint8_t* end() { return data_ + size_; }
    const uint8_t* begin() const { return data_; }
    const uint8_t* end() const { return data_ + size_; }
    uint8_t& operator[](size_t index) { return data_[index]; }
    const uint8_t& operator[](size_t index) const { return data_[index]; }

  private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Runs a creation whose pixel memory the system may refuse: the refusal is answered with E_OUTOFMEMORY,
// as a device reports it, instead of an exception through the caller.
template <typename Create>
HRESULT CreateWithPixelMemory(Create create) {
    try {
        create();
        return D3D_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

struct SurfaceStore {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    int width = 0;
    int height = 0;
    int bytes_per_pixel = 0;
    int pitch = 0;
    PixelBytes bits;

    // A block format's rows are rows of 4 x 4 blocks: Row(r) is block row r and At is not used.
    void Allocate(D3DFORMAT f, int w, int h) {
        format = f;
        width = w;
        height = h;
        bytes_per_pixel = BytesPerPixel(f);
        pitch = IsBlockFormat(f) ? (w + 3) / 4 * BlockBytes(f) : (w * bytes_per_pixel + 3) & ~3;
        bits.assign(size_t(pitch) * size_t(RowCount()), 0);
    }
    int RowCount() const { return IsBlockFormat(format) ? (height + 3) / 4 : height; }
    // The block that holds texel (x, y) of a block format.
    const uint8_t* BlockAt(int x, int y) const {
        return Row(y / 4) + size_t(x / 4) * size_t(BlockBytes(format));
    }
    uint8_t* Row(int y) { return bits.data() + size_t(y) * size_t(pitch); }
    const uint8_t* Row(int y) const { return bits.data() + size_t(y) * size_t(pitch); }
    uint8_t* At(int x, int y) { return Row(y) + x * bytes_per_pixel; }
    const uint8_t* At(int x, int y) const { return Row(y) + x * bytes_per_pixel; }
    IntRect Bounds() const { return {0, 0, width, height}; }
    void Drop() { std::fill(bits.begin(), bits.end(), uint8_t(0)); }
};

}  // namespace d3d9
