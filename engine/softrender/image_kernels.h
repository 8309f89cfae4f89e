// The image kernels: a source surface drawn 1:1 onto a destination under the render state.
#pragma once

#include <cstdint>

#include "engine/softrender/mem_img.h"

void SoftDrawImage(MEMIMG* dest, const MEMIMG* source, int x, int y, int transparentFlag,
                   const MEMIMG* blendImage);
