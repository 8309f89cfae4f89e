// Run-length encoded bitmap data (RLE8 and RLE4) decoded to one palette index a pixel.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes size bytes of data into out (rows top to bottom, pitch bytes each, zeroed by the caller).
// Rows are taken in file order from the first image row (topDown) or from the last. Runs, moves and
// literal runs are clipped to width x height; decoding stops at the end-of-bitmap code or where the data
// ends, a literal run cut by the end of the data keeping its pixels that are there.
void DecodeBmpRle(const uint8_t* data, size_t size, bool fourBit, int width, int height, bool topDown,
                  uint8_t* out, size_t pitch);
