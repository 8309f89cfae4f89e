#include "engine/text_movie/theora_surface.h"

#include <cstring>

#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/text_movie/theora_movie.h"

namespace {

constexpr int kSurfaceTries = 3;
constexpr D3DFORMAT kYV12 = D3DFORMAT(MAKEFOURCC('Y', 'V', '1', '2'));
constexpr D3DFORMAT kYUY2 = D3DFORMAT(MAKEFOURCC('Y', 'U', 'Y', '2'));
constexpr D3DFORMAT kUYVY = D3DFORMAT(MAKEFOURCC('U', 'Y', 'V', 'Y'));
// In the order of preference.
constexpr D3DFORMAT kSurfaceFormats[] = {kYV12, kYUY2, kUYVY};

bool IsEven(ogg_uint32_t value) {
    return value % 2 == 0;
}

// Pairs of pixels and 2 x 2 blocks share their chroma samples, so the picture must start and end on
// whole blocks of a 4:2:0 frame.
bool PictureFitsSurface(const theora_info& info) {
    return info.pixelformat == OC_PF_420 && IsEven(info.frame_width) && IsEven(info.frame_height) &&
           IsEven(info.offset_x) && IsEven(info.offset_y);
}

bool IsFourTwoZero(const TheoraFrameSlot& slot) {
    return slot.yWidth == 2 * slot.chromaWidth && slot.yHeight == 2 * slot.chromaHeight;
}

// The picture's part of the slot: its rows start at the offsets.
struct PicturePlanes {
    const uint8_t* y;
    const uint8_t* u;
    const uint8_t* v;
    int lumaStride, chromaStride, width, height;
};

PicturePlanes PictureOf(const TheoraMovie* m, const TheoraFrameSlot& slot) {
    const int x = int(m->info.offset_x), y = int(m->info.offset_y);
    const size_t chroma = size_t(y / 2) * size_t(slot.chromaWidth) + size_t(x / 2);
    return {slot.planes[0] + size_t(y) * size_t(slot.yWidth) + size_t(x),
            slot.planes[1] + chroma,
            slot.planes[2] + chroma,
            slot.yWidth,
            slot.chromaWidth,
            int(m->info.frame_width),
            int(m->info.frame_height)};
}

void CopyRows(uint8_t* out, int outPitch, const uint8_t* in, int inStride, int width, int rows) {
    for (int row = 0; row < rows; ++row)
        std::memcpy(out + ptrdiff_t(row) * outPitch, in + ptrdiff_t(row) * inStride, size_t(width));
}

// The Y plane, then the V plane and the U plane, each chroma row at half the pitch.
void WriteYv12(const PicturePlanes& p, uint8_t* bits, int pitch) {
    uint8_t* vPlane = bits + ptrdiff_t(pitch) * p.height;
    uint8_t* uPlane = vPlane + ptrdiff_t(pitch / 2) * (p.height / 2);
    CopyRows(bits, pitch, p.y, p.lumaStride, p.width, p.height);
    CopyRows(vPlane, pitch / 2, p.v, p.chromaStride, p.width / 2, p.height / 2);
    CopyRows(uPlane, pitch / 2, p.u, p.chromaStride, p.width / 2, p.height / 2);
}

// Each pair of pixels as Y0 U Y1 V ("YUY2") or U Y0 V Y1 ("UYVY"); both rows of a block share U and V.
void WritePairs(const PicturePlanes& p, uint8_t* bits, int pitch, bool lumaFirst) {
    const int lumaAt = lumaFirst ? 0 : 1, chromaAt = lumaFirst ? 1 : 0;
    for (int row = 0; row < p.height; ++row) {
        const uint8_t* y = p.y + ptrdiff_t(row) * p.lumaStride;
        const uint8_t* u = p.u + ptrdiff_t(row / 2) * p.chromaStride;
        const uint8_t* v = p.v + ptrdiff_t(row / 2) * p.chromaStride;
        uint8_t* out = bits + ptrdiff_t(row) * pitch;
        for (int pair = 0; pair < p.width / 2; ++pair, out += 4) {
            out[lumaAt] = y[2 * pair];
            out[lumaAt + 2] = y[2 * pair + 1];
            out[chromaAt] = u[pair];
            out[chromaAt + 2] = v[pair];
        }
    }
}

IDirect3DSurface9* Surface(const TheoraMovie* m) {
    return static_cast<IDirect3DSurface9*>(m->surface);
}

}  // namespace

void ReleaseTheoraSurface(TheoraMovie* m, int async) {
    if (m->surface) ForwardRelease(Surface(m), async);
    m->surface = nullptr;
    m->surfaceFourcc = 0;
    m->surfaceCurrent = 0;
}

void CreateTheoraSurface(TheoraMovie* m, int async) {
    ReleaseTheoraSurface(m, async);
    m->surfaceInvalid.store(0);
    if (!Direct3DMode || !HasD3DDevice() || !PictureFitsSurface(m->info)) return;
    for (D3DFORMAT format : kSurfaceFormats) {
        IDirect3DSurface9* surface = nullptr;
        if (FAILED(ForwardCreateOffscreenPlainSurface(m->info.frame_width, m->info.frame_height, format,
                                                      D3DPOOL_DEFAULT, &surface, nullptr, async)))
            continue;
        m->surface = surface;
        m->surfaceFourcc = uint32_t(format);
        return;
    }
}

int FillTheoraSurface(TheoraMovie* m, const TheoraFrameSlot& slot, int async) {
    if (!IsFourTwoZero(slot)) return 0;
    for (int attempt = 0; attempt < kSurfaceTries; ++attempt) {
        if (m->surfaceInvalid.load() || !m->surface) CreateTheoraSurface(m, async);
        if (!m->surface) return 0;
        D3DLOCKED_RECT locked{};
        if (FAILED(ForwardLockSurfaceRect(Surface(m), &locked, nullptr, 0, async))) {
            m->surfaceInvalid.store(1);
            continue;
        }
        const PicturePlanes picture = PictureOf(m, slot);
        uint8_t* bits = static_cast<uint8_t*>(locked.pBits);
        if (m->surfaceFourcc == kYV12)
            WriteYv12(picture, bits, locked.Pitch);
        else
            WritePairs(picture, bits, locked.Pitch, m->surfaceFourcc == kYUY2);
        ForwardUnlockSurface(Surface(m), async);
        m->surfaceCurrent = 1;
        return 1;
    }
    return 0;
}
