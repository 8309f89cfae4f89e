#include "tools/shaders/filter_shader_programs.h"

#include <cstdio>
#include <functional>

#include "engine/graphics/filters/filter_shader_layout.h"
#include "tools/shaders/shader_tokens.h"

namespace {

// The instructions the filters use beyond the token builder's own.
constexpr ShaderOpcode kOpSub = ShaderOpcode(3), kOpRcp = ShaderOpcode(6), kOpDp3 = ShaderOpcode(8),
                       kOpMin = ShaderOpcode(10), kOpMax = ShaderOpcode(11), kOpPow = ShaderOpcode(32),
                       kOpAbs = ShaderOpcode(35), kOpTexkill = ShaderOpcode(65), kOpCmp = ShaderOpcode(88);

// The swizzle that replicates component 0..3 (x, y, z, w).
constexpr uint32_t ReplicateSwizzle(uint32_t component) {
    return (component & 3) * 0x55;
}

// A register as a source (with swizzle and negation) or, through To, as a destination.
struct Reg {
    ShaderRegister type;
    uint32_t index;
    uint32_t swizzle = kSwizzleXyzw;
    uint32_t modifier = 0;

    Reg x() const { return Replicate(0); }
    Reg y() const { return Replicate(1); }
    Reg z() const { return Replicate(2); }
    Reg w() const { return Replicate(3); }
    Reg Replicate(uint32_t component) const {
        Reg r = *this;
        r.swizzle = ReplicateSwizzle(component);
        return r;
    }
    Reg operator-() const {
        Reg r = *this;
        r.modifier ^= kSourceNegate;
        return r;
    }
    uint32_t Src() const { return Source(type, index, swizzle, modifier); }
    uint32_t To(uint32_t mask = kMaskAll) const { return Destination(type, index, mask); }
};

Reg r(uint32_t i) {
    return {kRegTemp, i};
}
Reg c(uint32_t i) {
    return {kRegConst, i};
}
Reg t(uint32_t i) {
    return {kRegTexture, i};
}
Reg s(uint32_t i) {
    return {kRegSampler, i};
}

constexpr uint32_t X = kMaskX, Y = kMaskY, Z = kMaskZ, W = kMaskW, XY = X | Y, XYZ = kMaskRgb, ALL = kMaskAll;

// The program's own constants.
const Reg kByte = c(31);    // (255, 0.5, 1, 0)
const Reg kScale = c(30);   // (1/255, 1/256, 256, 4096)
const Reg kFixed = c(29);   // (1/4096, 1/65536, 128, 1/128)
const Reg kHsl = c(28);     // (512, 258, 1536, 8)
const Reg kSpare = c(27);   // free for a program's own definitions
const Reg kSpare2 = c(26);  // likewise
const Reg kSpare3 = c(25);

// The instructions the filters use, on top of the token stream.
class Asm {
  public:
    Asm() : p_(ShaderProgram::Pixel()) {
        p_.Define(31, 255.0f, 0.5f, 1.0f, 0.0f);
        p_.Define(30, 1.0f / 255.0f, 1.0f / 256.0f, 256.0f, 4096.0f);
        p_.Define(29, 1.0f / 4096.0f, 1.0f / 65536.0f, 128.0f, 1.0f / 128.0f);
        p_.Define(28, 512.0f, 258.0f, 1536.0f, 8.0f);
    }

    void Define(const Reg& reg, float x, float y, float z, float w) { p_.Define(reg.index, x, y, z, w); }
    // Texture coordinates and samplers of the stages the program reads.
    void Stage(uint32_t stage) {
        p_.DeclarePixelInput(kRegTexture, stage);
        p_.DeclareSampler2D(stage);
    }
    void Sampler(uint32_t stage) { p_.DeclareSampler2D(stage); }

    void mov(const Reg& d, uint32_t m, const Reg& a) { Op(kOpMov, d, m, {a}); }
    void add(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpAdd, d, m, {a, b}); }
    void sub(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpSub, d, m, {a, b}); }
    void mul(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpMul, d, m, {a, b}); }
    void mad(const Reg& d, uint32_t m, const Reg& a, const Reg& b, const Reg& e) {
        Op(kOpMad, d, m, {a, b, e});
    }
    void min(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpMin, d, m, {a, b}); }
    void max(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpMax, d, m, {a, b}); }
    void frc(const Reg& d, uint32_t m, const Reg& a) { Op(kOpFrc, d, m, {a}); }
    void abs(const Reg& d, uint32_t m, const Reg& a) { Op(kOpAbs, d, m, {a}); }
    // Scalar: a must replicate one component.
    void rcp(const Reg& d, uint32_t m, const Reg& a) { Op(kOpRcp, d, m, {a}); }
    void pow(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpPow, d, m, {a, b}); }
    void dp3(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpDp3, d, m, {a, b}); }
    void dp4(const Reg& d, uint32_t m, const Reg& a, const Reg& b) { Op(kOpDp4, d, m, {a, b}); }
    // d = a >= 0 ? b : e, per component.
    void cmp(const Reg& d, uint32_t m, const Reg& a, const Reg& b, const Reg& e) {
        Op(kOpCmp, d, m, {a, b, e});
    }
    void texld(const Reg& d, const Reg& coordinates, uint32_t stage) {
        p_.Op(kOpTexld, {d.To(), coordinates.Src(), s(stage).Src()});
    }
    void texkill(const Reg& a) { p_.Op(kOpTexkill, {a.To()}); }

    // d = floor(a), with tmp as scratch.
    void floor(const Reg& d, uint32_t m, const Reg& a, const Reg& tmp) {
        frc(tmp, m, a);
        sub(d, m, a, tmp);
    }
    // The 0-255 integers of colour values: floor(a x 255 + 0.5).
    void bytes(const Reg& d, uint32_t m, const Reg& a, const Reg& tmp) {
        mad(d, m, a, kByte.x(), kByte.y());
        floor(d, m, d, tmp);
    }
    // d = a truncated toward zero.
    void trunc(const Reg& d, uint32_t m, const Reg& a, const Reg& tmp1, const Reg& tmp2) {
        frc(tmp1, m, a);
        sub(tmp1, m, a, tmp1);  // floor
        frc(tmp2, m, -a);
        add(tmp2, m, a, tmp2);  // ceiling
        cmp(d, m, a, tmp1, tmp2);
    }
    // Byte values in d out as colour values.
    void out(const Reg& d) { p_.Op(kOpMov, {Destination(kRegColourOut, 0), d.Src()}); }
    // d = exact processor luma Y4096 / 4096 of the bytes b, from the weights 0.299, 0.587, 0.114 in the
    // constant: its values x 4096, truncated, are the processor's 1224, 2404 and 466.
    void luma(const Reg& d, uint32_t m, const Reg& b, const Reg& weights, const Reg& tmp) {
        mul(tmp, XYZ, weights, kScale.w());
        floor(tmp, XYZ, tmp, d);
        dp3(d, m, b, tmp);
        mul(d, m, d, kFixed.x());
    }

    std::vector<uint8_t> End() { return p_.End(); }

  private:
    void Op(ShaderOpcode opcode, const Reg& d, uint32_t mask, std::initializer_list<Reg> sources) {
        std::vector<uint32_t> parameters{d.To(mask)};
        for (const Reg& source : sources) parameters.push_back(source.Src());
        p_.tokens.push_back(uint32_t(opcode) | (uint32_t(parameters.size()) << 24));
        p_.tokens.insert(p_.tokens.end(), parameters.begin(), parameters.end());
    }

    ShaderProgram p_;
};

// Colour values of r0 (the source as sampled) with the byte values in r1: the common start, after the
// declarations of the further samplers the program reads.
void SourceBytes(Asm& a, std::initializer_list<uint32_t> samplers = {}) {
    a.Stage(0);
    for (uint32_t sampler : samplers) a.Sampler(sampler);
    a.texld(r(0), t(0), 0);
    a.bytes(r(1), ALL, r(0), r(2));
}

// The result bytes in d.xyz, the alpha as sampled in alpha.w, out as colour values.
void OutBytes(Asm& a, const Reg& d, const Reg& alpha) {
    a.mul(d, XYZ, d, kScale.x());
    a.mov(d, W, alpha.w());
    a.out(d);
}

std::vector<uint8_t> Invert() {
    Asm a;
    a.Stage(0);
    a.texld(r(0), t(0), 0);
    a.add(r(0), XYZ, kByte.z(), -r(0));
    a.out(r(0));
    return a.End();
}

std::vector<uint8_t> PremultipliedAlpha() {
    Asm a;
    SourceBytes(a);
    a.mul(r(2), XYZ, r(1), r(1).w());
    a.mul(r(2), XYZ, r(2), kScale.y());
    a.floor(r(2), XYZ, r(2), r(3));
    OutBytes(a, r(2), r(0));
    return a.End();
}

// c0 the luma weights, c1 the colour offsets of Cb and Cr.
std::vector<uint8_t> Mono() {
    Asm a;
    a.Define(kSpare, 255.0f * 4096.0f, 0, 0, 0);
    SourceBytes(a);
    a.luma(r(2), X, r(1), c(0), r(3));
    a.mul(r(3), XYZ, c(1), kSpare.x());
    a.trunc(r(3), XYZ, r(3), r(4), r(5));  // the processor's fixed-point offsets
    a.mul(r(3), XYZ, r(3), kFixed.x());
    a.add(r(3), XYZ, r(3), r(2).x());
    a.floor(r(3), XYZ, r(3), r(4));
    a.max(r(3), XYZ, r(3), kByte.w());
    a.min(r(3), XYZ, r(3), kByte.x());
    OutBytes(a, r(3), r(0));
    return a.End();
}

// c0 the level, c1 the luma weights, c2 the fill colour. A pixel whose luma passes the comparison is
// copied; any other gets the fill colour, or without fill keeps what the target holds.
std::vector<uint8_t> BrightClip(bool fill, bool greater) {
    Asm a;
    SourceBytes(a);
    a.luma(r(2), X, r(1), c(1), r(3));
    a.bytes(r(3), X, c(0).x(), r(4));  // the level as 0..255
    if (greater)
        a.sub(r(2), ALL, r(3).x(), r(2).x());
    else
        a.sub(r(2), ALL, r(2).x(), r(3).x());
    if (fill) {
        a.cmp(r(0), ALL, r(2), r(0), c(2));
    } else {
        a.texkill(r(2));
    }
    a.out(r(0));
    return a.End();
}

// c0 the luma weights with the threshold / 255 in w, c1 and c2 the two colours.
std::vector<uint8_t> TwoColor() {
    Asm a;
    SourceBytes(a);
    a.luma(r(2), X, r(1), c(0), r(3));
    a.bytes(r(3), X, c(0).w(), r(4));
    a.sub(r(2), ALL, r(2).x(), r(3).x());
    a.cmp(r(0), ALL, r(2), c(1), c(2));
    a.out(r(0));
    return a.End();
}

// Reads the entry of the lookup row (c1) on stage 1 that index (a replicated component) names into d.
void LookupEntry(Asm& a, const Reg& d, const Reg& index, const Reg& tmp) {
    const Reg lookup = c(kFilterLookupRegister);
    a.mul(tmp, X, index, lookup.w());
    a.floor(tmp, X, tmp, d);
    a.add(tmp, X, tmp, lookup.x());
    a.mul(tmp, X, tmp, lookup.z());
    a.mov(tmp, Y, lookup.y());
    a.texld(d, tmp, 1);
}

// c0 the luma weights, c1 the gradient's first row; the colour of the row entry at the luma.
std::vector<uint8_t> GradientMap(bool reverse) {
    Asm a;
    SourceBytes(a, {1});
    a.luma(r(2), X, r(1), c(0), r(3));
    a.floor(r(2), X, r(2), r(3));
    if (reverse) a.add(r(2), X, -r(2), kByte.x());
    LookupEntry(a, r(4), r(2).x(), r(3));
    a.out(r(4));
    return a.End();
}

// c0 (input minimum, 1 / (input maximum - input minimum), output minimum, output maximum) on the 0..1
// scale, c1 the gamma row. Per channel: k = (value - a) x 256 / (b - a) floored into 0..255 (a threshold
// at a when a = b), then (gamma[k] x (d - c) + 256 c) / 256 floored.
std::vector<uint8_t> Level() {
    Asm a;
    SourceBytes(a, {1});
    a.bytes(r(2), X | Z | W, c(0), r(3));  // a, c, d
    a.rcp(r(3), X, c(0).y());
    a.bytes(r(2), Y, r(3).x(), r(4));  // n = b - a (0 when equal)
    // q = (value - a) x 256 / n + 0.5 / |n|: floors to the integer quotient.
    a.sub(r(3), XYZ, r(1), r(2).x());
    a.mul(r(3), XYZ, r(3), kScale.z());
    a.rcp(r(4), X, r(2).y());
    a.abs(r(4), Y, r(4).x());
    a.mul(r(4), Y, r(4).y(), kByte.y());
    a.mad(r(3), XYZ, r(3), r(4).x(), r(4).y());
    a.floor(r(3), XYZ, r(3), r(5));
    a.max(r(3), XYZ, r(3), kByte.w());
    a.min(r(3), XYZ, r(3), kByte.x());
    // Equal ends: 0 below a, else 255.
    a.sub(r(5), XYZ, r(1), r(2).x());
    a.cmp(r(5), XYZ, r(5), kByte.x(), kByte.w());
    a.abs(r(4), X, r(2).y());
    a.cmp(r(3), XYZ, -r(4).x(), r(5), r(3));
    for (uint32_t channel = 0; channel < 3; ++channel) {
        LookupEntry(a, r(6 + channel), r(3).Replicate(channel), r(5));
        a.mov(r(4), 1u << channel, r(6 + channel).x());
    }
    a.bytes(r(4), XYZ, r(4), r(5));
    a.sub(r(5), X, r(2).w(), r(2).z());  // d - c
    a.mul(r(5), Y, r(2).z(), kScale.z());
    a.mad(r(4), XYZ, r(4), r(5).x(), r(5).y());
    a.mul(r(4), XYZ, r(4), kScale.y());
    a.floor(r(4), XYZ, r(4), r(5));
    OutBytes(a, r(4), r(0));
    return a.End();
}

// c0 (hue, saturation, brightness, 0) as the routine converts them. The processor's fixed-point
// parameters, truncated toward zero: r3 = (h, f / 256, v, 0) with f = 256 x saturation + 256.
void HsbParameters(Asm& a) {
    a.mul(r(3), XYZ, c(0), kScale.z());
    a.trunc(r(3), XYZ, r(3), r(4), r(5));
    a.mad(r(3), Y, r(3).y(), kScale.y(), kByte.z());
}

// From the bytes in r1 and the parameters in r3: the brightened channels in r6.xyz, then r7 = (max, min,
// L, range) and r8.y = S.
void HsbLightnessAndSaturation(Asm& a) {
    // Brightening: value x (256 - |v|) / 256 + max(v, 0) x 255 / 256, floored.
    a.abs(r(4), X, r(3).z());
    a.mad(r(4), X, r(4).x(), -kScale.y(), kByte.z());
    a.max(r(4), Y, r(3).z(), kByte.w());
    a.mul(r(4), Y, r(4).y(), kSpare.x());
    a.mad(r(6), XYZ, r(1), r(4).x(), r(4).y());
    a.floor(r(6), XYZ, r(6), r(5));
    a.max(r(7), X, r(6).x(), r(6).y());
    a.max(r(7), X, r(7).x(), r(6).z());
    a.min(r(7), Y, r(6).x(), r(6).y());
    a.min(r(7), Y, r(7).y(), r(6).z());
    a.add(r(5), X, r(7).x(), r(7).y());  // max + min
    a.sub(r(7), W, r(7).x(), r(7).y());  // range
    a.mul(r(7), Z, r(5).x(), kByte.y());
    a.floor(r(7), Z, r(7), r(4));  // L
    // S = range x 256 / (max + min), or / (512 - max - min) from L = 129 on; 0 for black.
    a.add(r(5), Y, -r(5).x(), kHsl.x());
    a.add(r(5), Z, r(5).x(), -kHsl.y());
    a.cmp(r(5), X, r(5).z(), r(5).y(), r(5).x());
    a.max(r(5), X, r(5).x(), kByte.z());
    a.rcp(r(5), X, r(5).x());
    a.mad(r(8), Y, r(7).w(), kScale.z(), kByte.y());
    a.mul(r(8), Y, r(8).y(), r(5).x());
    a.floor(r(8), Y, r(8), r(5));
}

// The colour of hue p (r8.x), saturation S' (r8.y) and lightness L (r7.z) into r9.xyz.
void HsbColour(Asm& a) {
    // The pure colour: R = max(511 - p, p - 1024), G = min(p, 1023 - p), B = min(p - 512, 1535 - p),
    // each clamped to 0..255 (p = 1536 gives the colour of 0).
    a.mad(r(9), XYZ, r(8).x(), kSpare2, kSpare3);
    a.mad(r(10), XYZ, -r(8).x(), kSpare2, c(24));
    a.min(r(9), XYZ, r(9), r(10));
    a.mul(r(9), X, -r(9).x(), kByte.z());
    a.max(r(9), XYZ, r(9), kByte.w());
    a.min(r(9), XYZ, r(9), kByte.x());
    // Pulled toward 128 by (256 - S') / 256: c x S' / 256 + 128 - S' / 2, floored.
    a.mul(r(10), X, r(8).y(), kScale.y());
    a.mad(r(10), Y, r(8).y(), -kByte.y(), kFixed.z());
    a.mad(r(9), XYZ, r(9), r(10).x(), r(10).y());
    a.floor(r(9), XYZ, r(9), r(10));
    // Lightness: below 129 c x L / 128; else c + (255 - c) x (L - 128) / 128; floored.
    a.add(r(10), W, r(7).z(), -c(23).x());  // L - 129
    a.mul(r(10), X, r(7).z(), kFixed.w());
    a.add(r(10), Y, r(10).x(), -kByte.z());
    a.cmp(r(10), X, r(10).w(), r(10).y(), r(10).x());
    a.add(r(11), XYZ, -r(9), kByte.x());
    a.cmp(r(11), XYZ, r(10).w(), r(11), r(9));
    a.cmp(r(9), XYZ, r(10).w(), r(9), kByte.w());
    a.mad(r(9), XYZ, r(11), r(10).x(), r(9));
    a.floor(r(9), XYZ, r(9), r(10));
}

void HsbColourConstants(Asm& a) {
    a.Define(kSpare, 255.0f / 256.0f, 0, 0, 0);
    a.Define(kSpare2, 1, 1, 1, 0);
    a.Define(kSpare3, -511, 0, -512, 0);
    a.Define(c(24), 1024, 1023, 1535, 0);
    a.Define(c(23), 129, 0, 0, 0);
}

// S' = min(S x f / 256, 256) floored, into r8.y.
void HsbSaturation(Asm& a) {
    a.mul(r(8), Y, r(8).y(), r(3).y());
    a.floor(r(8), Y, r(8), r(4));
    a.min(r(8), Y, r(8).y(), kScale.z());
}

// Pass 1 of 2: the brightened pixel as (H & 255, H >> 8 + 8 x (S = 256), S & 255, L), bytes.
std::vector<uint8_t> HsbRgbToHsb() {
    Asm a;
    HsbColourConstants(a);
    a.Define(c(22), 0, 512, 1024, 0);
    SourceBytes(a);
    HsbParameters(a);
    HsbLightnessAndSaturation(a);
    // Hue: with dR, dG, dB = (max - channel) x 256 / range, R the maximum: dB - dG; else G: dR - dB +
    // 512; else dG - dR + 1024; negative + 1536.
    a.add(r(9), XYZ, -r(6), r(7).x());
    a.mad(r(9), XYZ, r(9), kScale.z(), kByte.y());
    a.rcp(r(5), X, r(7).w());
    a.mul(r(9), XYZ, r(9), r(5).x());
    a.floor(r(9), XYZ, r(9), r(5));
    a.sub(r(10), X, r(9).z(), r(9).y());
    a.sub(r(10), Y, r(9).x(), r(9).z());
    a.sub(r(10), Z, r(9).y(), r(9).x());
    a.add(r(10), XYZ, r(10), c(22));
    a.sub(r(11), XY, r(6), r(7).x());
    a.cmp(r(10), Y, r(11).y(), r(10).y(), r(10).z());
    a.cmp(r(10), X, r(11).x(), r(10).x(), r(10).y());
    a.add(r(10), Y, r(10).x(), kHsl.z());
    a.cmp(r(8), X, r(10).x(), r(10).x(), r(10).y());
    a.cmp(r(8), XY, -r(7).w(), kByte.w(), r(8));  // grey: H = S = 0
    // Packed: the hue's two bytes, S = 256 as a flag beside the hue's high byte.
    a.mul(r(9), X, r(8).x(), kScale.y());
    a.frc(r(9), Y, r(9).x());
    a.sub(r(9), X, r(9).x(), r(9).y());
    a.mul(r(10), X, r(9).y(), kScale.z());
    a.add(r(11), X, r(8).y(), -kScale.z());
    a.cmp(r(11), X, r(11).x(), kByte.z(), kByte.w());
    a.mad(r(10), Y, r(11).x(), kHsl.w(), r(9).x());
    a.mad(r(10), Z, r(11).x(), -kScale.z(), r(8).y());
    a.mov(r(10), W, r(7).z());
    a.mul(r(10), ALL, r(10), kScale.x());
    a.out(r(10));
    return a.End();
}

// Pass 2 of 2: the packed pixel on stage 0, the source's alpha from stage 1; hue shifted by h and
// wrapped once, saturation scaled.
std::vector<uint8_t> HsbHsbToRgb() {
    Asm a;
    HsbColourConstants(a);
    a.Stage(0);
    a.Stage(1);
    a.texld(r(0), t(0), 0);
    a.texld(r(2), t(1), 1);
    a.bytes(r(1), ALL, r(0), r(3));
    HsbParameters(a);
    // Unpacked: r8 = (H, S), r7.z = L.
    a.add(r(4), X, r(1).y(), -kHsl.w());
    a.cmp(r(4), X, r(4).x(), kByte.z(), kByte.w());
    a.mad(r(4), Y, r(4).x(), -kHsl.w(), r(1).y());
    a.mad(r(8), X, r(4).y(), kScale.z(), r(1).x());
    a.mad(r(8), Y, r(4).x(), kScale.z(), r(1).z());
    a.mov(r(7), Z, r(1).w());
    a.add(r(8), X, r(8).x(), r(3).x());
    a.add(r(4), X, r(8).x(), kHsl.z());
    a.cmp(r(8), X, r(8).x(), r(8).x(), r(4).x());
    a.add(r(4), X, r(8).x(), -kHsl.z());
    a.cmp(r(8), X, r(4).x(), r(4).x(), r(8).x());
    HsbSaturation(a);
    HsbColour(a);
    OutBytes(a, r(9), r(2));
    return a.End();
}

// Mode 1 in one pass: every pixel takes hue h.
std::vector<uint8_t> HsbHueLock() {
    Asm a;
    HsbColourConstants(a);
    SourceBytes(a);
    HsbParameters(a);
    HsbLightnessAndSaturation(a);
    a.mov(r(8), X, r(3).x());
    HsbSaturation(a);
    HsbColour(a);
    OutBytes(a, r(9), r(0));
    return a.End();
}

// Offsets in c0.., weights behind them. A pair of taps is one bilinear fetch between them.
std::vector<uint8_t> Gauss(int taps) {
    Asm a;
    a.Stage(0);
    const int pairs = GaussPairCount(taps), weights = GaussWeightRegister(taps);
    a.texld(r(0), t(0), 0);
    a.mul(r(0), ALL, r(0), c(weights).x());
    for (int k = 1; k <= pairs; ++k) {
        a.add(r(1), ALL, t(0), c(k - 1));
        a.sub(r(2), ALL, t(0), c(k - 1));
        a.texld(r(1), r(1), 0);
        a.texld(r(2), r(2), 0);
        a.add(r(1), ALL, r(1), r(2));
        a.mad(r(0), ALL, r(1), c(weights + k / 4).Replicate(k % 4), r(0));
    }
    a.out(r(0));
    return a.End();
}

// Sample offsets in c0..: each fetch averages a 2 x 2 block; the mean of the fetches is floored.
std::vector<uint8_t> DownScale(int factor) {
    Asm a;
    a.Stage(0);
    const int samples = DownScaleSampleCount(factor);
    a.Define(kSpare, 255.0f / float(samples), 1.0f / 256.0f, 0, 0);
    if (samples == 1) {
        a.texld(r(0), t(0), 0);
    } else {
        for (int i = 0; i < samples; ++i) {
            a.add(r(1), ALL, t(0), c(i));
            a.texld(r(1), r(1), 0);
            if (i == 0)
                a.mov(r(0), ALL, r(1));
            else
                a.add(r(0), ALL, r(0), r(1));
        }
    }
    a.mad(r(0), ALL, r(0), kSpare.x(), kSpare.y());
    a.floor(r(0), ALL, r(0), r(1));
    a.mul(r(0), ALL, r(0), kScale.x());
    a.out(r(0));
    return a.End();
}

enum BlendFormula {
    kNormal,
    kMultiple,
    kDifference,
    kAdd,
    kScreen,
    kOverlay,
    kDodge,
    kBurn,
    kDarken,
    kLighten,
    kSoftLight,
    kHardLight,
    kExclusion,
};

// f(base r1, blend r3) into r5.xyz, before clamping; r6, r7 scratch.
void BlendFunction(Asm& a, BlendFormula f) {
    const Reg base = r(1), blend = r(3), out = r(5);
    switch (f) {
        case kNormal:
            a.mov(out, XYZ, blend);
            break;
        case kMultiple:
            a.mul(out, XYZ, base, blend);
            a.mul(out, XYZ, out, kScale.y());
            a.floor(out, XYZ, out, r(6));
            break;
        case kDifference:
            a.sub(out, XYZ, base, blend);
            a.abs(out, XYZ, out);
            break;
        case kAdd:
            a.add(out, XYZ, base, blend);
            break;
        case kScreen:
            a.add(out, XYZ, -base, kByte.x());
            a.add(r(6), XYZ, -blend, kByte.x());
            a.mul(out, XYZ, out, r(6));
            a.mul(out, XYZ, out, kScale.y());
            a.floor(out, XYZ, out, r(6));
            a.add(out, XYZ, -out, kByte.x());
            break;
        case kOverlay:
        case kHardLight: {
            // Below 128 of the switching channel: a x b / 128 (overlay) or 2 a b / 256 (hard light),
            // else (2 x ((256 - base) x blend + 256 base)) / 256 - 255.
            const Reg& chooser = f == kOverlay ? base : blend;
            a.mul(out, XYZ, base, blend);
            a.mul(out, XYZ, out, kFixed.w());
            a.floor(out, XYZ, out, r(6));
            a.add(r(6), XYZ, -base, kScale.z());
            a.mul(r(6), XYZ, r(6), blend);
            a.mad(r(6), XYZ, base, kScale.z(), r(6));
            a.mul(r(6), XYZ, r(6), kFixed.w());
            a.floor(r(6), XYZ, r(6), r(7));
            a.add(r(6), XYZ, r(6), -kByte.x());
            a.add(r(7), XYZ, chooser, -kFixed.z());
            a.cmp(out, XYZ, r(7), r(6), out);
            break;
        }
        case kDodge:
            // 256 base / (255 - blend), 255 from blend 255 on.
            a.add(r(6), XYZ, -blend, kByte.x());
            for (uint32_t channel = 0; channel < 3; ++channel)
                a.rcp(r(7), 1u << channel, r(6).Replicate(channel));
            a.mul(out, XYZ, base, r(7));
            a.mad(out, XYZ, out, kScale.z(), kSpare.x());
            a.floor(out, XYZ, out, r(6));
            a.add(r(6), XYZ, blend, -kByte.x());
            a.cmp(out, XYZ, r(6), kByte.x(), out);
            break;
        case kBurn:
            // 255 - (255 - base) x 256 / (blend + 1), the quotient truncated.
            a.add(r(6), XYZ, blend, kByte.z());
            for (uint32_t channel = 0; channel < 3; ++channel)
                a.rcp(r(7), 1u << channel, r(6).Replicate(channel));
            a.add(out, XYZ, -base, kByte.x());
            a.mul(out, XYZ, out, r(7));
            a.mad(out, XYZ, out, kScale.z(), kSpare.x());
            a.floor(out, XYZ, out, r(6));
            a.add(out, XYZ, -out, kByte.x());
            break;
        case kDarken:
            a.min(out, XYZ, base, blend);
            break;
        case kLighten:
            a.max(out, XYZ, base, blend);
            break;
        case kSoftLight:
            // 255 x (base / 255)^e with e = 2 (1 - blend / 255) below 128, else 127.5 / blend.
            a.mad(r(6), XYZ, blend, -kSpare.y(), kSpare.z());
            for (uint32_t channel = 0; channel < 3; ++channel)
                a.rcp(r(7), 1u << channel, blend.Replicate(channel));
            a.mul(r(7), XYZ, r(7), kSpare.w());
            a.add(out, XYZ, blend, -kFixed.z());
            a.cmp(r(6), XYZ, out, r(7), r(6));
            a.mul(r(7), XYZ, base, kScale.x());
            for (uint32_t channel = 0; channel < 3; ++channel)
                a.pow(out, 1u << channel, r(7).Replicate(channel), r(6).Replicate(channel));
            a.mad(out, XYZ, out, kByte.x(), kSpare.x());
            a.floor(out, XYZ, out, r(6));
            break;
        case kExclusion:
            a.add(out, XYZ, -base, kFixed.z());
            a.mul(out, XYZ, out, blend);
            a.mad(out, XYZ, base, kFixed.z(), out);
            a.mul(out, XYZ, out, kFixed.w());
            a.floor(out, XYZ, out, r(6));
            break;
    }
}

// c0 the ratio: the base r1 and blend r3 as bytes, r4.x = r = floor(ratio x 256).
void BlendInputs(Asm& a) {
    a.Stage(0);
    a.Stage(1);
    a.texld(r(0), t(0), 0);
    a.texld(r(2), t(1), 1);
    a.bytes(r(1), ALL, r(0), r(4));
    a.bytes(r(3), ALL, r(2), r(4));
    a.mul(r(4), X, c(0).x(), kScale.z());
    a.floor(r(4), X, r(4), r(5));
}

// c0 the ratio: out = base + (f - base) x A(blend) x r / 65536, floored; the base's alpha.
std::vector<uint8_t> Blend(BlendFormula f) {
    Asm a;
    // A small lift that floors an exact quotient to itself; the constants of soft light.
    a.Define(kSpare, 1.0f / 1024.0f, 2.0f / 255.0f, 2.0f, 127.5f);
    BlendInputs(a);
    BlendFunction(a, f);
    a.max(r(5), XYZ, r(5), kByte.w());
    a.min(r(5), XYZ, r(5), kByte.x());
    a.mul(r(4), X, r(4).x(), r(3).w());  // k
    a.sub(r(5), XYZ, r(5), r(1));
    a.mul(r(5), XYZ, r(5), r(4).x());
    a.mul(r(5), XYZ, r(5), kFixed.y());
    a.floor(r(5), XYZ, r(5), r(6));
    a.add(r(5), XYZ, r(5), r(1));
    OutBytes(a, r(5), r(0));
    return a.End();
}

// a = A(blend) x r / 256 floored into r4.y; W = (256 - a) x A(base) + 256 a into r4.z.
void AlphaChannelWeights(Asm& a) {
    a.mul(r(4), Y, r(4).x(), r(3).w());
    a.mul(r(4), Y, r(4).y(), kScale.y());
    a.floor(r(4), Y, r(4), r(5));
    a.add(r(4), Z, -r(4).y(), kScale.z());
    a.mul(r(4), Z, r(4).z(), r(1).w());
    a.mad(r(4), Z, r(4).y(), kScale.z(), r(4).z());
}

// Normal with alpha channel: colour (256 blend a + base A(base) (256 - a)) / W, alpha W / 256; 0 where
// W is 0.
std::vector<uint8_t> BlendNormalAlphaChannel() {
    Asm a;
    a.Define(kSpare, 1.0f / 1024.0f, 0, 0, 0);
    BlendInputs(a);
    AlphaChannelWeights(a);
    a.mul(r(5), XYZ, r(3), r(4).y());
    a.mul(r(5), XYZ, r(5), kScale.z());
    a.add(r(6), X, -r(4).y(), kScale.z());
    a.mul(r(6), X, r(6).x(), r(1).w());
    a.mad(r(5), XYZ, r(1), r(6).x(), r(5));
    // The quotient lifted a little and floored is exact or one too large; the remainder tells.
    a.rcp(r(6), X, r(4).z());
    a.mul(r(6), XYZ, r(5), r(6).x());
    a.add(r(6), XYZ, r(6), kSpare.x());
    a.floor(r(6), XYZ, r(6), r(7));
    a.mad(r(5), XYZ, r(6), -r(4).z(), r(5));
    a.add(r(7), XYZ, r(6), -kByte.z());
    a.cmp(r(5), XYZ, r(5), r(6), r(7));
    a.mul(r(5), W, r(4).z(), kScale.y());
    a.floor(r(5), W, r(5), r(6));
    a.cmp(r(5), ALL, -r(4).z(), kByte.w(), r(5));
    a.mul(r(5), ALL, r(5), kScale.x());
    a.out(r(5));
    return a.End();
}

// Add with alpha channel: A' = W / 256 floored; where W > 255 colour (base A(base) + blend a) / A' at
// most 255 and alpha A'; else 0.
std::vector<uint8_t> BlendAddAlphaChannel() {
    Asm a;
    a.Define(kSpare, 1.0f / 1024.0f, 0, 0, 0);
    BlendInputs(a);
    AlphaChannelWeights(a);
    a.mul(r(5), W, r(4).z(), kScale.y());
    a.floor(r(5), W, r(5), r(6));
    a.mul(r(6), XYZ, r(1), r(1).w());
    a.mad(r(6), XYZ, r(3), r(4).y(), r(6));
    a.max(r(7), X, r(5).w(), kByte.z());
    a.rcp(r(7), X, r(7).x());
    a.mul(r(6), XYZ, r(6), r(7).x());
    a.add(r(6), XYZ, r(6), kSpare.x());
    a.floor(r(5), XYZ, r(6), r(7));
    a.min(r(5), XYZ, r(5), kByte.x());
    a.cmp(r(5), ALL, -r(5).w(), kByte.w(), r(5));  // alpha 0: not written
    a.mul(r(5), ALL, r(5), kScale.x());
    a.out(r(5));
    return a.End();
}

// Multiple alpha only: the source's colour; alpha A(base) + ((A(base) A(blend) / 256 floored - A(base))
// x 255 r) / 65536, floored.
std::vector<uint8_t> BlendMultipleAlphaOnly() {
    Asm a;
    BlendInputs(a);
    a.mul(r(5), X, r(1).w(), r(3).w());
    a.mul(r(5), X, r(5).x(), kScale.y());
    a.floor(r(5), X, r(5), r(6));
    a.sub(r(5), X, r(5).x(), r(1).w());
    a.mul(r(5), X, r(5).x(), kByte.x());
    a.mul(r(5), X, r(5).x(), r(4).x());
    a.mul(r(5), X, r(5).x(), kFixed.y());
    a.floor(r(5), X, r(5), r(6));
    a.add(r(5), X, r(5).x(), r(1).w());
    a.max(r(5), X, r(5).x(), kByte.w());
    a.min(r(5), X, r(5).x(), kByte.x());
    a.mul(r(0), W, r(5).x(), kScale.x());
    a.out(r(0));
    return a.End();
}

// Each result channel from the channel of r0 (and of r1 for the alpha of a named variant) its selector
// names, by replicating swizzles.
std::vector<uint8_t> RgbaMixSelect(const int selectors[4], bool alphaFromBlend) {
    Asm a;
    a.Stage(0);
    if (alphaFromBlend) a.Stage(1);
    a.texld(r(0), t(0), 0);
    if (alphaFromBlend) a.texld(r(1), t(1), 1);
    for (uint32_t channel = 0; channel < 4; ++channel) {
        const Reg& from = alphaFromBlend && channel == 3 ? r(1) : r(0);
        a.mov(r(2), 1u << channel, from.Replicate(uint32_t(selectors[channel])));
    }
    a.out(r(2));
    return a.End();
}

// Selection rows in c0..c7: each channel the dot products of both pixels with its two rows.
std::vector<uint8_t> RgbaMixBase() {
    Asm a;
    a.Stage(0);
    a.Stage(1);
    a.texld(r(0), t(0), 0);
    a.texld(r(1), t(1), 1);
    for (uint32_t channel = 0; channel < 4; ++channel) {
        a.dp4(r(2), 1u << channel, r(0), c(channel));
        a.dp4(r(3), 1u << channel, r(1), c(kRgbaMixBlendRows + channel));
    }
    a.add(r(2), ALL, r(2), r(3));
    a.out(r(2));
    return a.End();
}

}  // namespace

std::vector<NamedShader> FilterPixelShaders() {
    std::vector<NamedShader> shaders = {
        {"Mono.pso", Mono()},
        {"BrightClipLess.pso", BrightClip(false, false)},
        {"BrightClipFillLess.pso", BrightClip(true, false)},
        {"BrightClipGreater.pso", BrightClip(false, true)},
        {"BrightClipFillGreater.pso", BrightClip(true, true)},
        {"Hsb_RGB_TO_HSB.pso", HsbRgbToHsb()},
        {"Hsb_HSB_TO_RGB.pso", HsbHsbToRgb()},
        {"Hsb_HSB_HLOCK.pso", HsbHueLock()},
        {"Invert.pso", Invert()},
        {"Level.pso", Level()},
        {"TwoColor.pso", TwoColor()},
        {"GradientMap.pso", GradientMap(false)},
        {"GradientMapRev.pso", GradientMap(true)},
        {"PremultipliedAlpha.pso", PremultipliedAlpha()},
        {"Gauss_08Pixel_PS.pso", Gauss(8)},
        {"Gauss_16Pixel_PS.pso", Gauss(16)},
        {"Gauss_32Pixel_PS.pso", Gauss(32)},
        {"DownScaleX2.pso", DownScale(2)},
        {"DownScaleX4.pso", DownScale(4)},
        {"DownScaleX8.pso", DownScale(8)},
        {"BasBF_Normal.pso", Blend(kNormal)},
        {"BasBF_Multiple.pso", Blend(kMultiple)},
        {"BasBF_Difference.pso", Blend(kDifference)},
        {"BasBF_Add.pso", Blend(kAdd)},
        {"BasBF_Screen.pso", Blend(kScreen)},
        {"BasBF_Overlay.pso", Blend(kOverlay)},
        {"BasBF_Dodge.pso", Blend(kDodge)},
        {"BasBF_Burn.pso", Blend(kBurn)},
        {"BasBF_Darken.pso", Blend(kDarken)},
        {"BasBF_Lighten.pso", Blend(kLighten)},
        {"BasBF_SoftLight.pso", Blend(kSoftLight)},
        {"BasBF_HardLight.pso", Blend(kHardLight)},
        {"BasBF_Exclusion.pso", Blend(kExclusion)},
        {"BasBF_Normal_AlphaCh.pso", BlendNormalAlphaChannel()},
        {"BasBF_Add_AlphaCh.pso", BlendAddAlphaChannel()},
        {"BasBF_Multiple_AOnly.pso", BlendMultipleAlphaOnly()},
        {"RGBAMix_Base.pso", RgbaMixBase()},
    };
    static const char* const kLetters[4] = {"R", "G", "B", "A"};
    char name[32];
    for (int red = 0; red < 4; ++red)
        for (int green = 0; green < 4; ++green)
            for (int blue = 0; blue < 4; ++blue)
                for (int alpha = 0; alpha < 4; ++alpha) {
                    const int selectors[4] = {red, green, blue, alpha};
                    std::snprintf(name, sizeof name, "RGBAMix_S%sS%sS%sB%s.pso", kLetters[red],
                                  kLetters[green], kLetters[blue], kLetters[alpha]);
                    shaders.push_back({name, RgbaMixSelect(selectors, true)});
                }
    return shaders;
}

std::vector<std::vector<uint8_t>> RgbaMixShaderTable() {
    std::vector<std::vector<uint8_t>> table(kRgbaMixTableEntries);
    for (int entry = 0; entry < kRgbaMixTableEntries; ++entry) {
        const int selectors[4] = {entry >> 6 & 3, entry >> 4 & 3, entry >> 2 & 3, entry & 3};
        table[size_t(entry)] = RgbaMixSelect(selectors, false);
    }
    return table;
}
