#include "platform/d3d9/yuv_surface.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {

std::atomic<bool> yv12Offered{true}, yuy2Offered{true}, uyvyOffered{true};

}  // namespace

void D3D9SetYuvSurfaceFormats(bool yv12, bool yuy2, bool uyvy) {
    yv12Offered = yv12;
    yuy2Offered = yuy2;
    uyvyOffered = uyvy;
}

void D3D9ResetYuvSurfaceFormats() {
    D3D9SetYuvSurfaceFormats(true, true, true);
}

namespace d3d9 {

namespace {

// Rows start on 64-byte boundaries, as display memory lays them out: the pitch is usually wider than
// the picture, so a writer that assumes otherwise shows.
constexpr int kPitchAlignment = 64;

int AlignedPitch(int bytes) {
    return (bytes + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment;
}

struct YuvSample {
    int y, u, v;
};

// The Y, U and V of pixel (x, y); the two pixels of a pair, and for YV12 the 2 x 2 block, share U and V.
YuvSample SampleAt(const SurfaceStore& s, int x, int y) {
    if (s.format == D3DFMT_YV12) {
        const int chromaPitch = s.pitch / 2;
        const size_t vPlane = size_t(s.pitch) * size_t(s.height);
        const size_t uPlane = vPlane + size_t(chromaPitch) * size_t(s.height / 2);
        const size_t chroma = size_t(y / 2) * size_t(chromaPitch) + size_t(x / 2);
        return {s.Row(y)[x], s.bits[uPlane + chroma], s.bits[vPlane + chroma]};
    }
    const uint8_t* pair = s.At(x & ~1, y);
    if (s.format == D3DFMT_YUY2) return {pair[(x & 1) * 2], pair[1], pair[3]};
    return {pair[1 + (x & 1) * 2], pair[0], pair[2]};  // UYVY
}

int ClampChannel(int value) {
    return std::clamp(value, 0, 255);
}

// BT.601, limited range (Y 16..235, U and V 16..240 around 128), in 16.16 fixed point, rounded.
Color ToRgb(YuvSample s) {
    const int luma = 76309 * (s.y - 16) + 32768;
    const int u = s.u - 128, v = s.v - 128;
    return {ClampChannel((luma + 104597 * v) >> 16), ClampChannel((luma - 25675 * u - 53279 * v) >> 16),
            ClampChannel((luma + 132201 * u) >> 16), 255};
}

// Source index of destination index i of a stretch from `source` items onto `dest` items.
int PointSample(int i, int source, int dest) {
    return int((int64_t(2 * i + 1) * source) / (2 * int64_t(dest)));
}

}  // namespace

bool IsYuvFormat(D3DFORMAT format) {
    return format == D3DFMT_YV12 || format == D3DFMT_YUY2 || format == D3DFMT_UYVY;
}

HRESULT CheckYuvSurface(D3DFORMAT format, UINT width, UINT height) {
    const bool offered = format == D3DFMT_YV12   ? yv12Offered.load()
                         : format == D3DFMT_YUY2 ? yuy2Offered.load()
                                                 : uyvyOffered.load();
    if (!offered) return D3DERR_NOTAVAILABLE;
    return width % 2 == 0 && height % 2 == 0 ? D3D_OK : D3DERR_INVALIDCALL;
}

void AllocateYuvStore(SurfaceStore& store, D3DFORMAT format, int width, int height) {
    const bool planar = format == D3DFMT_YV12;
    store.format = format;
    store.width = width;
    store.height = height;
    store.bytes_per_pixel = planar ? 1 : 2;
    store.pitch = AlignedPitch(width * store.bytes_per_pixel);
    const size_t lumaBytes = size_t(store.pitch) * size_t(height);
    store.bits.assign(planar ? lumaBytes + lumaBytes / 2 : lumaBytes, 0);
}

bool YuvLockRectAllowed(const SurfaceStore& store, IntRect rect) {
    const bool rows = store.format != D3DFMT_YV12 || (rect.top % 2 == 0 && rect.bottom % 2 == 0);
    return rect.left % 2 == 0 && rect.right % 2 == 0 && rows;
}

bool YuvStretchRefused(const Surface& source, const Surface& dest) {
    if (IsYuvFormat(dest.store.format)) return true;
    return IsYuvFormat(source.store.format) && !(dest.usage & D3DUSAGE_RENDERTARGET);
}

void StretchYuvPoint(const SurfaceStore& src, IntRect sr, SurfaceStore& dst, IntRect dr) {
    for (int y = dr.top; y < dr.bottom; ++y) {
        const int sy = sr.top + PointSample(y - dr.top, sr.Height(), dr.Height());
        for (int x = dr.left; x < dr.right; ++x) {
            const int sx = sr.left + PointSample(x - dr.left, sr.Width(), dr.Width());
            EncodePixel(dst.format, dst.At(x, y), ToRgb(SampleAt(src, sx, sy)));
        }
    }
}

}  // namespace d3d9
