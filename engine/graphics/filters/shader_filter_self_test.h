// The start's check that the shader filters compute what the processor path does: an inverted 8 x 8
// graphic must read back as 255 minus what was written.
#pragma once

#include <cstdint>

// 1 once the self-test found the shader filters exact; filters of equal source and result size then use
// the shaders too.
extern int ShaderFilterVerified;

// The channels of the written pixels whose written plus read value lies in 254..256 (pixels 0xXXRRGGBB).
int CountInvertedChannels(const uint32_t* written, const uint32_t* read, int count);

// Clears ShaderFilterVerified and, in Direct3D mode with programmable shaders, runs the self-test. 0.
int RunShaderFilterSelfTest();
