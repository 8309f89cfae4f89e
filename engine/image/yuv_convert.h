// Conversion of decoded video frames in YUV layouts into 32-bit images (bytes B, G, R, 255).
#pragma once

#include <cstdint>

struct SoftImage;

// Each takes a tightly packed frame of width x height pixels and writes it into a 32-bit image of at
// least that size; returns 0. Odd trailing columns (and rows of the 4:2:0 layouts) are not written.
int ConvertYv12ToImage(const uint8_t* source, int width, int height, SoftImage* image);
int ConvertNv12ToImage(const uint8_t* source, int width, int height, SoftImage* image);
int ConvertYuy2ToImage(const uint8_t* source, int width, int height, SoftImage* image);
int ConvertUyvyToImage(const uint8_t* source, int width, int height, SoftImage* image);
int ConvertYvyuToImage(const uint8_t* source, int width, int height, SoftImage* image);
int ConvertNv11ToImage(const uint8_t* source, int width, int height, SoftImage* image);
