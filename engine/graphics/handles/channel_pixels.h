// Pixels of the per-channel formats (16-bit integer, 16-bit float and 32-bit float channels in the order
// red, green, blue, alpha) as 32-bit ARGB: how a draw target of those formats reads back. Channels are
// clamped to [0, 1] and rounded; a channel the format lacks reads as full, as the device samples it.
#pragma once

#include <cstdint>

#include "engine/image/color_format.h"

float HalfFloatValue(uint16_t half);

// A row of `width` pixels of `format` (channelCount != 0) at `from` as 0xAARRGGBB values at `to`.
void ChannelPixelsToArgb(const ColorFormat& format, const uint8_t* from, int width, uint32_t* to);
