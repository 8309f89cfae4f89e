// The pixel shaders of the image filters, hand-assembled as ps_2_0 programs (at most 64 arithmetic and 32
// texture instructions each): what every processor routine computes, on the pass's textures and the
// constants its routine sets.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/shaders/builtin_shader_programs.h"

// The filter shaders by the file names the library creates them under (the by-name archive).
std::vector<NamedShader> FilterPixelShaders();
// The precompiled RGBA-mix variants by RgbaMixTableEntry(R, G, B, A): each result channel is the source
// channel its selector 0-3 names.
std::vector<std::vector<uint8_t>> RgbaMixShaderTable();
