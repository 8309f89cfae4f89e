// PNG reader over libpng. Errors inside libpng long-jump back to LoadPngImage; nothing on the way holds a
// C++ object with a destructor.
#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/soft_image.h"

namespace {

struct PngReadSource {
    StreamDescriptor* stream;
    int64_t end;  // stream position of the last byte + 1
};

void PngReadCallback(png_structp png, png_bytep data, png_size_t count) {
    auto* source = static_cast<PngReadSource*>(png_get_io_ptr(png));
    const StreamFunctions& f = source->stream->functions;
    int64_t position = f.tell(source->stream->source);
    if (position < 0 || source->end - position < static_cast<int64_t>(count)) png_error(png, "Read Error");
    if (f.read(data, count, 1, source->stream->source) != 1) png_error(png, "Read Error");
}

// libpng's messages have no reader here: errors only jump back, warnings are dropped.
void PngSilentError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngSilentWarning(png_structp, png_const_charp) {}

void SetPngReadSource(png_structp png, PngReadSource* source, StreamDescriptor* stream) {
    source->stream = stream;
    int64_t remaining = GetStreamRemaining(stream);
    source->end = remaining < 0 ? 0 : stream->functions.tell(stream->source) + remaining;
    png_set_read_fn(png, source, PngReadCallback);
}

// The SoftImage format of the decoded rows (after the transformations).
void SetPngFormat(png_structp png, png_infop info, int colorType, bool expanded, size_t rowBytes, int width,
                  ColorFormat* format) {
    if (colorType == PNG_COLOR_TYPE_PALETTE && !expanded) {
        SetColorFormatPalette8(format);
        std::memset(format->palette, 0, sizeof(format->palette));
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &palette, &count) == PNG_INFO_PLTE) {
            for (int i = 0; i < count && i < 256; ++i)
                format->palette[i] = PaletteEntry{palette[i].blue, palette[i].green, palette[i].red, 0};
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (rowBytes / 2 >= static_cast<size_t>(width)) {
            // Grey and alpha bytes: the colour reads the grey byte; the alpha byte is outside every channel.
            BuildColorFormat(format, 16, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0);
        } else {
            SetColorFormatGrey8(format);
        }
    } else if (png_get_channels(png, info) == 4) {
        SetColorFormatArgb8(format);
    } else {
        SetColorFormatRgb24(format);
    }
}

}  // namespace

int LoadPngImage(StreamDescriptor* stream, SoftImage* image) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngSilentError, PngSilentWarning);
    if (!png) return -1;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return -1;
    }
    PngReadSource source{};
    png_bytep volatile pixels = nullptr;
    png_bytepp volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        if (rows) ImageFree(rows);
        if (pixels) ImageFree(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        return -1;
    }
    SetPngReadSource(png, &source, stream);
    png_set_sig_bytes(png, 0);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!ImageSizeAllowed(width, height, 4)) png_error(png, "Image too large");

    png_set_strip_16(png);
    png_set_packing(png);
    png_set_packswap(png);
    bool expanded = false;
    if ((colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8) || png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_expand(png);
        expanded = true;
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    size_t rowBytes = png_get_rowbytes(png, info);
    if (width > INT_MAX || height > INT_MAX || rowBytes > INT_MAX ||
        (height != 0 && rowBytes > INT_MAX / height))
        png_error(png, "Image too large");
    pixels = static_cast<png_bytep>(ImageAlloc(rowBytes * height));
    rows = static_cast<png_bytepp>(ImageAlloc(sizeof(png_bytep) * (height ? height : 1)));
    if (!pixels || !rows) png_error(png, "Out of memory");
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels + y * rowBytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    ImageFree(rows);
    rows = nullptr;

    std::memset(image, 0, sizeof(*image));
    SetPngFormat(png, info, colorType, expanded, rowBytes, static_cast<int>(width), &image->format);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pitch = static_cast<int32_t>(rowBytes);
    image->pixels = pixels;
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}
