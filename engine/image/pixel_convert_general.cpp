// The general per-pixel path of ConvertPixelFormatBlit.
#include <cstring>

#include "engine/image/pixel_convert_internal.h"
#include "engine/image/soft_image.h"

namespace {

enum { kRed, kGreen, kBlue, kAlpha, kChannels };

constexpr int kOrderedMatrix[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

struct Channel {
    uint32_t mask;
    int shift;
    int width;
};

Channel ChannelOf(const ColorFormat& f, int c) {
    switch (c) {
        case kRed:
            return {f.redMask, f.redShift, f.redWidth};
        case kGreen:
            return {f.greenMask, f.greenShift, f.greenWidth};
        case kBlue:
            return {f.blueMask, f.blueShift, f.blueWidth};
        default:
            return {f.alphaMask, f.alphaShift, f.alphaWidth};
    }
}

uint32_t Extract(uint32_t value, const Channel& c) {
    return (value & c.mask) >> c.shift;
}

// How one destination channel is produced: where its source bits lie and how many bits it loses.
struct ChannelPlan {
    Channel from;
    Channel to;
    bool dithered;     // narrowed from a source channel (d > 0)
    bool fromAlpha;    // the alpha plan reads the alpha image's value
    int drop;          // d = source width - destination width
    uint32_t dropped;  // the source bits that the narrowing drops
    uint32_t carry;    // error-carry accumulator
};

class GeneralConverter {
  public:
    GeneralConverter(const BlitRegion& r, const ColorFormat& dest, const ColorFormat& src,
                     const ColorFormat& alpha, const BlitOptions& o)
        : r_(r), dest_(dest), src_(src), alpha_(alpha), o_(o) {
        alphaFromSource_ = !o.keyToAlpha && !o.useAlphaImage && src.alphaWidth != 0 && dest.alphaWidth != 0;
        for (int c = 0; c < kChannels; ++c) {
            ChannelPlan& p = plan_[c];
            p.to = ChannelOf(dest, c);
            p.from = ChannelOf(src, c);
            if (c == kAlpha && o.useAlphaImage) p.from = ChannelOf(alpha, kRed);
            p.fromAlpha = c == kAlpha && o.useAlphaImage;
            p.drop = p.from.width - p.to.width;
        }
        scaling_ = src.redWidth != dest.redWidth || src.greenWidth != dest.greenWidth ||
                   src.blueWidth != dest.blueWidth ||
                   (o.useAlphaImage && alpha.redWidth != dest.alphaWidth) ||
                   (alphaFromSource_ && src.alphaWidth != dest.alphaWidth);
        for (int c = 0; c < kChannels; ++c) {
            ChannelPlan& p = plan_[c];
            bool sourced = c != kAlpha || o.useAlphaImage || (alphaFromSource_ && !o.alphaFromRed);
            p.dithered = scaling_ && o.dither != 0 && sourced && p.drop > 0 && p.to.width > 0;
            p.dropped = p.dithered ? ((1u << p.drop) - 1u) << p.from.shift : 0;
            p.carry = 0;
        }
        destAlphaMax_ = dest.alphaWidth ? dest.alphaMask >> dest.alphaShift : 0;
        PrepareKeys();
    }

    void Run() {
        for (int y = 0; y < r_.height; ++y) {
            for (int x = 0; x < r_.width; ++x) ConvertPixel(x, y);
        }
    }

  private:
    void PrepareKeys() {
        if (o_.skipKey) {
            uint32_t depthMask = src_.bitDepth == 8    ? 0xFF
                                 : src_.bitDepth == 16 ? 0xFFFF
                                 : src_.bitDepth == 24 ? 0xFFFFFF
                                                       : ~0u;
            sourceMasks_ = src_.redMask | src_.greenMask | src_.blueMask | src_.alphaMask;
            skipKey_ = o_.keyColor & depthMask;
            if (src_.bitDepth != 8) skipKey_ &= sourceMasks_;
        }
        if (o_.keyToAlpha) {
            uint32_t k = MakePixelValue(&src_, (o_.keyColor >> 16) & 0xFF, (o_.keyColor >> 8) & 0xFF,
                                        o_.keyColor & 0xFF, 255);
            if (src_.bitDepth == 8) k = PaletteValue(src_, k);
            for (int c = 0; c < kAlpha; ++c) keyChannels_[c] = Extract(k, plan_[c].from);
        }
    }

    uint32_t ReadSource(const uint8_t* p, const ColorFormat& f) const {
        uint32_t v = ReadPixelValue(p, f.pixelBytes);
        return f.bitDepth == 8 ? PaletteValue(f, v) : v;
    }

    // An 8-bit source's skip key is a palette index; other sources compare their masked pixel value.
    bool IsSkipped(const uint8_t* p) const {
        uint32_t raw = ReadPixelValue(p, src_.pixelBytes);
        if (src_.bitDepth != 8) raw &= sourceMasks_;
        return raw == skipKey_;
    }

    uint32_t AlphaValue(uint32_t rawRed, uint32_t s, uint32_t alphaImageValue, const uint32_t* colors) const {
        uint32_t a;
        if (o_.keyToAlpha) {
            bool isKey = colors[kRed] == keyChannels_[kRed] && colors[kGreen] == keyChannels_[kGreen] &&
                         colors[kBlue] == keyChannels_[kBlue];
            a = isKey ? 0 : destAlphaMax_;
        } else if (o_.useAlphaImage) {
            a = Scaled(Extract(alphaImageValue, plan_[kAlpha].from), kAlpha);
        } else if (src_.alphaWidth == 0) {
            a = destAlphaMax_;
        } else if (dest_.alphaWidth == 0) {
            a = 0;
        } else {
            a = Scaled(Extract(s, plan_[kAlpha].from), kAlpha);
        }
        return o_.alphaFromRed ? rawRed : a;
    }

    uint32_t Scaled(uint32_t v, int c) const {
        return scaling_ ? ScaleChannel(v, plan_[c].from.width, plan_[c].to.width) : v;
    }

    bool DitherUnit(ChannelPlan& p, uint32_t sourceValue, int column, int row) {
        uint32_t bits = sourceValue & p.dropped;
        if (o_.dither == 1) {
            uint32_t threshold = ((uint32_t{1} << p.drop) * kOrderedMatrix[(column & 3) + (row & 3) * 4] >> 4)
                                 << p.from.shift;
            return threshold < bits;
        }
        uint32_t sum = p.carry + bits;
        p.carry = sum & p.dropped;
        return sum > p.dropped;
    }

    void ConvertPixel(int x, int y) {
        const uint8_t* in = r_.SrcAt(x, y, src_.pixelBytes);
        if (o_.skipKey && IsSkipped(in)) return;
        uint32_t s = ReadSource(in, src_);
        uint32_t av = o_.useAlphaImage ? ReadSource(r_.AlphaAt(x, y, alpha_.pixelBytes), alpha_) : 0;
        uint32_t ch[kChannels];
        for (int c = 0; c < kAlpha; ++c) ch[c] = Extract(s, plan_[c].from);
        ch[kAlpha] = AlphaValue(ch[kRed], s, av, ch);
        for (int c = 0; c < kAlpha; ++c) ch[c] = o_.alphaOnly ? 0 : Scaled(ch[c], c);

        uint32_t value = 0;
        for (int c = 0; c < kChannels; ++c) {
            ChannelPlan& p = plan_[c];
            uint64_t part = uint64_t{ch[c]} << p.to.shift;
            if (scaling_) {
                if (p.dithered && DitherUnit(p, p.fromAlpha ? av : s, x, y))
                    part += uint64_t{1} << p.to.shift;
                if (part > p.to.mask) part = p.to.mask;
            }
            value |= static_cast<uint32_t>(part) & p.to.mask;
        }
        uint8_t* out = r_.DestAt(o_.mirror ? r_.width - 1 - x : x, y, dest_.pixelBytes);
        switch (dest_.bitDepth) {
            case 8:
                *out = static_cast<uint8_t>(value);
                break;
            case 16:
                WritePixelValue(out, 2, value | dest_.fillMask);
                break;
            case 24:
                WritePixelValue(out, 3, value);
                break;
            case 32:
                WritePixelValue(out, 4, value | dest_.fillMask);
                break;
            default:
                break;
        }
    }

    const BlitRegion& r_;
    const ColorFormat& dest_;
    const ColorFormat& src_;
    const ColorFormat& alpha_;
    const BlitOptions& o_;
    ChannelPlan plan_[kChannels];
    bool scaling_ = false;
    bool alphaFromSource_ = false;
    uint32_t destAlphaMax_ = 0;
    uint32_t sourceMasks_ = 0;
    uint32_t skipKey_ = 0;
    uint32_t keyChannels_[kAlpha] = {};
};

}  // namespace

void RunGeneralConvert(const BlitRegion& region, const ColorFormat& dest, const ColorFormat& src,
                       const ColorFormat& alpha, const BlitOptions& options) {
    GeneralConverter(region, dest, src, alpha, options).Run();
}
