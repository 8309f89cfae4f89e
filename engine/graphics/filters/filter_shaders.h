// The pixel shaders of the filters: one file of the built-in shader archive per shader, each with a cached
// handle that is -1 until the shader is made and returns to -1 when its handle is deleted.
#pragma once

struct FilterShader {
    const char* fileName;  // null for a precompiled RGBA-mix variant
    int handle;
    int tableEntry;  // the variant's entry in the precompiled RGBA-mix table, else -1
};

// The handle of the shader, made from the archive on first use; -1 (and the failure logged) when it
// cannot be made.
int PrepareFilterShader(FilterShader* shader);

FilterShader* MonoShader();
FilterShader* BrightClipShader(int comparison, int fill);
FilterShader* HsbShader(int mode, int pass);
FilterShader* InvertShader();
FilterShader* LevelShader();
FilterShader* TwoColorShader();
FilterShader* GradientMapShader(int reverse);
FilterShader* PremultipliedAlphaShader();
FilterShader* GaussShader(int taps);
FilterShader* DownScaleShader(int scale);
// Null for kind 1 and kinds outside 0-16.
FilterShader* BlendShader(int kind);
// The RGBA-mix shader of four selectors: the precompiled variant when every selector names the source
// (0-3), or every one the blend graphic (4-7: the pass then reads the blend graphic as its source, see
// RgbaMixReadsBlendOnly); a named variant when red, green and blue come from the source and alpha from
// the blend graphic; else the general one.
FilterShader* RgbaMixShader(int red, int green, int blue, int alpha);
// 1 when every selector names a channel of the blend graphic.
int RgbaMixReadsBlendOnly(int red, int green, int blue, int alpha);
// PrepareFilterShader for the RGBA mix, with its own failure lines.
int PrepareRgbaMixShader(int red, int green, int blue, int alpha);
