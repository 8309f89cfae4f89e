// The dedicated loops of ConvertPixelFormatBlit for the common texture and screen formats.
#include "engine/image/pixel_convert_internal.h"
#include "engine/image/soft_image.h"

namespace {

enum class Layout { Any, Palette8, R5G6B5, X1R5G5B5, A1R5G5B5, Rgb24, Rgb32, Xrgb8, Argb8 };

bool HasMasks(const ColorFormat& f, int depth, uint32_t r, uint32_t g, uint32_t b) {
    return f.bitDepth == depth && f.redMask == r && f.greenMask == g && f.blueMask == b;
}

bool Matches(const ColorFormat& f, Layout layout) {
    switch (layout) {
        case Layout::Palette8:
            return f.bitDepth == 8;
        case Layout::R5G6B5:
            return HasMasks(f, 16, 0xF800, 0x07E0, 0x001F) && f.alphaMask == 0;
        case Layout::X1R5G5B5:
            return HasMasks(f, 16, 0x7C00, 0x03E0, 0x001F) && f.alphaMask == 0;
        case Layout::A1R5G5B5:
            return HasMasks(f, 16, 0x7C00, 0x03E0, 0x001F) && f.alphaMask == 0x8000;
        case Layout::Rgb24:
            return HasMasks(f, 24, 0xFF0000, 0xFF00, 0xFF);
        case Layout::Rgb32:
            return HasMasks(f, 32, 0xFF0000, 0xFF00, 0xFF);
        case Layout::Xrgb8:
            return HasMasks(f, 32, 0xFF0000, 0xFF00, 0xFF) && f.alphaMask == 0;
        case Layout::Argb8:
            return HasMasks(f, 32, 0xFF0000, 0xFF00, 0xFF) && f.alphaMask == 0xFF000000;
        default:
            return true;
    }
}

// Key-to-alpha keys: the 0x00RRGGBB key and its 5-5-5 reduction.
struct Keys {
    uint32_t rgb;
    uint32_t k555;
};

// Pixel rules; s is the source pixel (an 8-bit source's palette entry as 0xAARRGGBB).
uint32_t PaletteTo565(uint32_t e, const Keys&) {
    return (e >> 8 & 0xF800) | (e >> 5 & 0x07E0) | (e >> 3 & 0x001F);
}
uint32_t PaletteTo555Bits(uint32_t e) {
    return (e >> 9 & 0x7C00) | (e >> 6 & 0x03E0) | (e >> 3 & 0x001F);
}
uint32_t PaletteTo555(uint32_t e, const Keys&) {
    return PaletteTo555Bits(e) | 0x8000;
}
uint32_t PaletteToXrgb(uint32_t e, const Keys&) {
    return e | 0xFF000000;
}
uint32_t Rgb24To565(uint32_t s, const Keys&) {
    return (s >> 19 & 0x1F) << 11 | (s >> 10 & 0x3F) << 5 | (s & 0xFF) >> 3;
}
uint32_t Rgb24To555Bits(uint32_t s) {
    return (s >> 19 & 0x1F) << 10 | (s >> 11 & 0x1F) << 5 | (s & 0xFF) >> 3;
}
uint32_t Rgb24To555(uint32_t s, const Keys&) {
    return Rgb24To555Bits(s) | 0x8000;
}
uint32_t Rgb24To32(uint32_t s, const Keys&) {
    return (s & 0xFFFFFF) | 0xFF000000;
}
uint32_t XrgbTo565(uint32_t s, const Keys&) {
    return (s & 0xF8) >> 3 | (s & 0xFC00) >> 5 | (s >> 8 & 0xF800);
}
uint32_t R565ToRgb(uint32_t s, const Keys&) {
    return (s & 0x1F) << 3 | (s & 0x7E0) << 5 | (s & 0xF800) << 8;
}
uint32_t R565To555Bits(uint32_t s) {
    return (s & 0xFFC0) >> 1 | (s & 0x1F);
}
uint32_t R565To555(uint32_t s, const Keys&) {
    return R565To555Bits(s);
}
uint32_t X555To565(uint32_t s, const Keys&) {
    return (s & 0x7FE0) << 1 | (s & 0x3F);
}
bool IsKeyColor(uint32_t s, const Keys& k) {
    return (s & 0xFFFFFF) == (k.rgb & 0xFFFFFF);
}
uint32_t PaletteTo555Keyed(uint32_t e, const Keys& k) {
    return PaletteTo555Bits(e) | (IsKeyColor(e, k) ? 0 : 0x8000);
}
uint32_t PaletteToArgbKeyed(uint32_t e, const Keys& k) {
    return IsKeyColor(e, k) ? e : e | 0xFF000000;
}
uint32_t Rgb24To555Keyed(uint32_t s, const Keys& k) {
    return Rgb24To555Bits(s) | (IsKeyColor(s, k) ? 0 : 0x8000);
}
uint32_t Rgb24ToArgbKeyed(uint32_t s, const Keys& k) {
    return (s & 0xFFFFFF) | (IsKeyColor(s, k) ? 0 : 0xFF000000);
}
uint32_t R565To555Keyed(uint32_t s, const Keys& k) {
    uint32_t p = R565To555Bits(s);
    return p == k.k555 ? p : p | 0x8000;
}
uint32_t R565ToArgbKeyed(uint32_t s, const Keys& k) {
    return R565ToRgb(s, k) | (R565To555Bits(s) == k.k555 ? 0 : 0xFF000000);
}

using PixelRule = uint32_t (*)(uint32_t, const Keys&);

enum class Keying { Off, OffNoAlphaSource, On };

using LoopFunction = void (*)(const BlitRegion&, const ColorFormat&, const Keys&);

template <int Bytes>
uint32_t Load(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 0; i < Bytes; ++i) v |= uint32_t{p[i]} << (8 * i);
    return v;
}

template <int Bytes>
void Store(uint8_t* p, uint32_t v) {
    for (int i = 0; i < Bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One loop per rule and pixel sizes, so that the rule is inlined into it.
template <PixelRule Rule, int InBytes, int OutBytes>
void RunLoop(const BlitRegion& r, const ColorFormat& src, const Keys& keys) {
    uint32_t palette[256];
    if (InBytes == 1) {
        for (int i = 0; i < 256; ++i) palette[i] = PaletteValue(src, static_cast<uint32_t>(i));
    }
    for (int y = 0; y < r.height; ++y) {
        const uint8_t* in = r.SrcAt(0, y, InBytes);
        uint8_t* out = r.DestAt(0, y, OutBytes);
        for (int x = 0; x < r.width; ++x, in += InBytes, out += OutBytes) {
            uint32_t s = InBytes == 1 ? palette[*in] : Load<InBytes>(in);
            Store<OutBytes>(out, Rule(s, keys));
        }
    }
}

struct DedicatedLoop {
    Layout src;
    Layout dest;
    Keying keying;
    LoopFunction run;
};

const DedicatedLoop kLoops[] = {
    {Layout::Palette8, Layout::R5G6B5, Keying::Off, RunLoop<PaletteTo565, 1, 2>},
    {Layout::Palette8, Layout::X1R5G5B5, Keying::Off, RunLoop<PaletteTo555, 1, 2>},
    {Layout::Palette8, Layout::Xrgb8, Keying::Off, RunLoop<PaletteToXrgb, 1, 4>},
    {Layout::Rgb24, Layout::R5G6B5, Keying::Off, RunLoop<Rgb24To565, 3, 2>},
    {Layout::Rgb24, Layout::X1R5G5B5, Keying::Off, RunLoop<Rgb24To555, 3, 2>},
    {Layout::Rgb24, Layout::Rgb32, Keying::Off, RunLoop<Rgb24To32, 3, 4>},
    {Layout::Xrgb8, Layout::R5G6B5, Keying::OffNoAlphaSource, RunLoop<XrgbTo565, 4, 2>},
    {Layout::R5G6B5, Layout::Rgb24, Keying::OffNoAlphaSource, RunLoop<R565ToRgb, 2, 3>},
    {Layout::R5G6B5, Layout::Xrgb8, Keying::OffNoAlphaSource, RunLoop<R565ToRgb, 2, 4>},
    {Layout::R5G6B5, Layout::X1R5G5B5, Keying::OffNoAlphaSource, RunLoop<R565To555, 2, 2>},
    {Layout::X1R5G5B5, Layout::R5G6B5, Keying::OffNoAlphaSource, RunLoop<X555To565, 2, 2>},
    {Layout::Palette8, Layout::A1R5G5B5, Keying::On, RunLoop<PaletteTo555Keyed, 1, 2>},
    {Layout::Palette8, Layout::Argb8, Keying::On, RunLoop<PaletteToArgbKeyed, 1, 4>},
    {Layout::Rgb24, Layout::A1R5G5B5, Keying::On, RunLoop<Rgb24To555Keyed, 3, 2>},
    {Layout::Rgb24, Layout::Argb8, Keying::On, RunLoop<Rgb24ToArgbKeyed, 3, 4>},
    {Layout::R5G6B5, Layout::A1R5G5B5, Keying::On, RunLoop<R565To555Keyed, 2, 2>},
    {Layout::R5G6B5, Layout::Argb8, Keying::On, RunLoop<R565ToArgbKeyed, 2, 4>},
};

bool KeyingMatches(Keying keying, const BlitOptions& o) {
    switch (keying) {
        case Keying::Off:
            return !o.keyToAlpha;
        case Keying::OffNoAlphaSource:
            return !o.keyToAlpha && !o.alphaSourcePresent;
        default:
            return o.keyToAlpha != 0;
    }
}

}  // namespace

bool RunDedicatedConvertLoop(const BlitRegion& region, const ColorFormat& dest, const ColorFormat& src,
                             const BlitOptions& options) {
    uint32_t key = options.keyColor;
    Keys keys{key & 0xFFFFFF, (key >> 16 & 0xF8) << 7 | (key >> 8 & 0xF8) << 2 | (key & 0xFF) >> 3};
    for (const DedicatedLoop& loop : kLoops) {
        if (Matches(src, loop.src) && Matches(dest, loop.dest) && KeyingMatches(loop.keying, options)) {
            loop.run(region, src, keys);
            return true;
        }
    }
    return false;
}
