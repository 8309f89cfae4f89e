// Where the filter pixel shaders find their inputs: the constant registers each routine sets from c0,
// and the texture stages. Shared by the shader programs and the routines that feed them.
#pragma once

// Texture stages: the pass's source on stage 0 (texture coordinates t0), its second input on stage 1
// (t1: the blend graphic, the source's alpha for the second HSB pass, or a lookup row read by computed
// coordinates).
inline constexpr int kFilterSourceStage = 0;
inline constexpr int kFilterSecondStage = 1;

// Gaussian blur: pair k (1 .. taps/2 - 1) samples at t0 +- c[k - 1] (the offset 2k - 0.5 texels along
// the pass's direction, over the texture size); the weights w[0 .. taps/2 - 1] follow, four to a
// register.
constexpr int GaussPairCount(int taps) {
    return taps / 2 - 1;
}
constexpr int GaussWeightRegister(int taps) {
    return GaussPairCount(taps);
}
constexpr int GaussWeightRegisterCount(int taps) {
    return (taps / 2 + 3) / 4;
}

// Down-scale by 2, 4 or 8: one register (x, y, 0, 0) per sample from c0, in texels over the texture size.
constexpr int DownScaleSampleCount(int factor) {
    return factor == 2 ? 1 : factor == 4 ? 4 : 16;
}

// Gradient map and level read a lookup row through c1 = (ox + 0.5, (oy + 0.5) / texture height,
// 1 / texture width, scale): entry i of the row lies at texel x = floor(i x scale).
inline constexpr int kFilterLookupRegister = 1;

// RGBA mix through the general shader: c0..c3 choose R, G, B, A from the source, c4..c7 from the blend
// graphic; each register is one-hot over the channels (x, y, z, w) = (R, G, B, A).
inline constexpr int kRgbaMixBlendRows = 4;

// Precompiled RGBA-mix variants: one per four selectors 0-3.
inline constexpr int kRgbaMixTableEntries = 256;
constexpr int RgbaMixTableEntry(int red, int green, int blue, int alpha) {
    return ((red * 4 + green) * 4 + blue) * 4 + alpha;
}
