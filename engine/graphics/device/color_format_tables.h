// The pixel formats the graphics layer meets: one table by Direct3D format code (device surfaces, the
// back buffer, colour packing), one by the graphics layer's own format index 0..24 (textures of
// graphics), and the choice of that index for a graphic.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"
#include "engine/image/color_format.h"

constexpr int kGraphicFormatCount = 25;

// Graphic format indices.
enum GraphicFormatIndexValue {
    GRAPHIC_FORMAT_R5G6B5 = 0,
    GRAPHIC_FORMAT_X8R8G8B8 = 1,
    GRAPHIC_FORMAT_A4R4G4B4 = 2,
    GRAPHIC_FORMAT_A8R8G8B8 = 3,
    GRAPHIC_FORMAT_A1R5G5B5 = 4,
    GRAPHIC_FORMAT_A8R8G8B8_ALPHA_TEST = 5,
    GRAPHIC_FORMAT_DXT1 = 6,
    GRAPHIC_FORMAT_TARGET_R5G6B5 = 11,
    GRAPHIC_FORMAT_TARGET_X8R8G8B8 = 12,
    GRAPHIC_FORMAT_TARGET_A8R8G8B8 = 13,
    GRAPHIC_FORMAT_ABGR_INT16 = 14,
    GRAPHIC_FORMAT_ABGR_FLOAT16 = 15,
    GRAPHIC_FORMAT_ABGR_FLOAT32 = 16,
    GRAPHIC_FORMAT_ONE_INT8 = 17,
    GRAPHIC_FORMAT_ONE_INT16 = 18,
    GRAPHIC_FORMAT_ONE_FLOAT16 = 19,
    GRAPHIC_FORMAT_ONE_FLOAT32 = 20,
    GRAPHIC_FORMAT_TWO_INT8 = 21,
    GRAPHIC_FORMAT_TWO_INT16 = 22,
    GRAPHIC_FORMAT_TWO_FLOAT16 = 23,
    GRAPHIC_FORMAT_TWO_FLOAT32 = 24,
};

// The bytes of a graphic's creation description that choose its format.
enum GraphicDescriptionByte {
    DESCRIPTION_ALPHA = 1,
    DESCRIPTION_RENDER_TARGET = 2,
    DESCRIPTION_FORMAT_CODE = 5,
    DESCRIPTION_COLOR_KEY_ALPHA = 7,
    DESCRIPTION_FLOAT = 8,
    DESCRIPTION_BIT_DEPTH = 9,
    DESCRIPTION_CHANNEL_COUNT = 10,
    DESCRIPTION_BITS_PER_CHANNEL = 11,
};
constexpr int kGraphicDescriptionSize = 12;

// Null for a code outside the table.
const ColorFormat* GetColorFormatDescriptor(uint32_t direct3DFormat);
// Null for an index outside 0..24.
const ColorFormat* GetColorFormatByIndex(int index);
// description: at least kGraphicDescriptionSize bytes. 0..24.
int GraphicFormatIndex(const uint8_t* description);

// A 3-vector times a 4 x 4 matrix, with the translation row, and with the rotation part only.
int VectorTransform(Vector3* out, const Vector3* v, const Matrix4* m);
int VectorTransformRotation(Vector3* out, const Vector3* v, const Matrix4* m);
