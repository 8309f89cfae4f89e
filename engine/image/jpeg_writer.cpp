// JPEG files through libjpeg: RGB input, the library's defaults and the given quality with baseline
// tables. libjpeg's fatal errors long-jump back to SaveJpegImage.
#include <cstdio>
// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>

#include <csetjmp>

#include "engine/image/image_memory.h"
#include "engine/image/image_writers.h"
#include "engine/image/soft_image.h"
#include "engine/image/writer_file.h"

namespace {

struct JpegWriteErrorManager {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JpegWriteErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegWriteErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg's messages have no reader here: failures come back as -1.
void JpegWriteSilentMessage(j_common_ptr) {}

void FreeRows(JSAMPARRAY rows, int height) {
    if (!rows) return;
    for (int y = 0; y < height; ++y) ImageFree(rows[y]);
    ImageFree(rows);
}

// One row of R, G, B bytes per image row; null when an allocation fails (nothing is left).
JSAMPARRAY BuildRows(SoftImage* image) {
    int height = image->height;
    auto rows = static_cast<JSAMPARRAY>(ImageAllocZeroed(sizeof(JSAMPROW) * static_cast<uint64_t>(height)));
    if (!rows) return nullptr;
    for (int y = 0; y < height; ++y) {
        rows[y] = static_cast<JSAMPROW>(ImageAlloc(static_cast<uint64_t>(image->width) * 3));
        if (!rows[y]) {
            FreeRows(rows, height);
            return nullptr;
        }
        for (int x = 0; x < image->width; ++x) {
            int r = 0, g = 0, b = 0;
            GetImagePixelRgba(image, x, y, &r, &g, &b, nullptr);
            rows[y][3 * x] = static_cast<JSAMPLE>(r);
            rows[y][3 * x + 1] = static_cast<JSAMPLE>(g);
            rows[y][3 * x + 2] = static_cast<JSAMPLE>(b);
        }
    }
    return rows;
}

}  // namespace

int SaveJpegImage(const wchar_t* widePath, const char* path, SoftImage* image, int quality, int) {
    if (image->width <= 0 || image->height <= 0) return -1;
    FILE* file = OpenImageFileForWriting(widePath, path);
    if (!file) return -1;
    jpeg_compress_struct cinfo;
    JpegWriteErrorManager error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegWriteErrorExit;
    error.manager.output_message = JpegWriteSilentMessage;
    JSAMPARRAY volatile rows = nullptr;
    if (setjmp(error.jump)) {
        FreeRows(rows, image->height);
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
        return -1;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image->width);
    cinfo.image_height = static_cast<JDIMENSION>(image->height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    rows = BuildRows(image);
    if (!rows) {
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
        return -1;
    }
    jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(image->height));
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    FreeRows(rows, image->height);
    return std::fclose(file) == 0 ? 0 : -1;
}

int SaveImageAsJpeg(const char* path, SoftImage* image, int quality, int extra) {
    return SaveJpegImage(nullptr, path, image, quality, extra);
}
