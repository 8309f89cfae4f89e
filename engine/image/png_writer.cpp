// PNG files through libpng: RGBA when the image has an alpha channel, else RGB, 8 bits a channel. Errors
// inside libpng long-jump back to SavePngImage; nothing on the way holds a C++ object with a destructor.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/image_writers.h"
#include "engine/image/soft_image.h"
#include "engine/image/writer_file.h"

namespace {

void PngWriteError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngWriteWarning(png_structp, png_const_charp) {}

void FreeRows(png_bytepp rows, int height) {
    if (!rows) return;
    for (int y = 0; y < height; ++y) ImageFree(rows[y]);
    ImageFree(rows);
}

// One row of R, G, B (and A) bytes per image row; null when an allocation fails (nothing is left).
png_bytepp BuildRows(SoftImage* image, int channels) {
    int height = image->height;
    auto rows = static_cast<png_bytepp>(ImageAllocZeroed(sizeof(png_bytep) * static_cast<uint64_t>(height)));
    if (!rows) return nullptr;
    for (int y = 0; y < height; ++y) {
        rows[y] = static_cast<png_bytep>(ImageAlloc(static_cast<uint64_t>(image->width) * channels));
        if (!rows[y]) {
            FreeRows(rows, height);
            return nullptr;
        }
        for (int x = 0; x < image->width; ++x) {
            int rgba[4] = {0, 0, 0, 0};
            GetImagePixelRgba(image, x, y, &rgba[0], &rgba[1], &rgba[2], &rgba[3]);
            for (int c = 0; c < channels; ++c) rows[y][x * channels + c] = static_cast<png_byte>(rgba[c]);
        }
    }
    return rows;
}

}  // namespace

int SavePngImage(const wchar_t* widePath, const char* path, SoftImage* image, int level) {
    if (image->width <= 0 || image->height <= 0) return -1;
    FILE* file = OpenImageFileForWriting(widePath, path);
    if (!file) return -1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngWriteError, PngWriteWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return -1;
    }
    png_bytepp volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        FreeRows(rows, image->height);
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return -1;
    }
    int channels = image->format.alphaWidth > 0 ? 4 : 3;
    png_init_io(png, file);
    png_set_filter(png, 0, PNG_ALL_FILTERS);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, image->width, image->height, 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    rows = BuildRows(image, channels);
    if (!rows) png_error(png, "out of memory");
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    FreeRows(rows, image->height);
    return std::fclose(file) == 0 ? 0 : -1;
}

int SaveImageAsPng(const char* path, SoftImage* image, int level) {
    return SavePngImage(nullptr, path, image, level);
}
