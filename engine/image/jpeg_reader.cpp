// JPEG reader over libjpeg. Errors inside libjpeg long-jump back to LoadJpegImage; nothing on the way
// holds a C++ object with a destructor.
#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/soft_image.h"

namespace {

constexpr size_t kJpegBufferSize = 4096;

struct JpegStreamSource {
    jpeg_source_mgr manager;  // first, so that libjpeg's pointer is this record's
    StreamDescriptor* stream;
    JOCTET* buffer;
    boolean startOfFile;
    int64_t end;  // stream position of the last byte + 1
};

struct JpegErrorManager {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer is this record's
    jmp_buf jump;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void JpegInitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<JpegStreamSource*>(cinfo->src)->startOfFile = TRUE;
}

boolean JpegFillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<JpegStreamSource*>(cinfo->src);
    const StreamFunctions& f = src->stream->functions;
    int64_t position = f.tell(src->stream->source);
    int64_t left = position < 0 ? 0 : src->end - position;
    size_t n = left <= 0                                      ? 0
               : left < static_cast<int64_t>(kJpegBufferSize) ? static_cast<size_t>(left)
                                                              : kJpegBufferSize;
    if (n > 0) n = f.read(src->buffer, 1, n, src->stream->source);
    if (n > 0) {
        src->manager.next_input_byte = src->buffer;
        src->manager.bytes_in_buffer = n;
        src->startOfFile = FALSE;
        return TRUE;
    }
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->manager.next_input_byte = kEndOfImage;
    src->manager.bytes_in_buffer = 2;
    return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<JpegStreamSource*>(cinfo->src);
    if (count <= 0) return;
    while (count > static_cast<long>(src->manager.bytes_in_buffer)) {
        count -= static_cast<long>(src->manager.bytes_in_buffer);
        JpegFillInputBuffer(cinfo);
    }
    src->manager.next_input_byte += count;
    src->manager.bytes_in_buffer -= static_cast<size_t>(count);
}

void JpegTermSource(j_decompress_ptr) {}

void SetJpegStreamSource(j_decompress_ptr cinfo, StreamDescriptor* stream) {
    if (!cinfo->src) {
        auto* src = static_cast<JpegStreamSource*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegStreamSource)));
        src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo),
                                                                      JPOOL_PERMANENT, kJpegBufferSize));
        cinfo->src = &src->manager;
    }
    auto* src = reinterpret_cast<JpegStreamSource*>(cinfo->src);
    src->manager.init_source = JpegInitSource;
    src->manager.fill_input_buffer = JpegFillInputBuffer;
    src->manager.skip_input_data = JpegSkipInputData;
    src->manager.resync_to_restart = jpeg_resync_to_restart;
    src->manager.term_source = JpegTermSource;
    src->manager.next_input_byte = nullptr;
    src->manager.bytes_in_buffer = 0;
    src->stream = stream;
    int64_t remaining = GetStreamRemaining(stream);
    src->end = remaining < 0 ? 0 : stream->functions.tell(stream->source) + remaining;
}

void JpegErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg's messages have no reader here (a stream of another format is refused on every load).
void JpegSilentMessage(j_common_ptr) {}

}  // namespace

int LoadJpegImage(StreamDescriptor* stream, SoftImage* image) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    JpegErrorManager error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.output_message = JpegSilentMessage;
    uint8_t* volatile pixels = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (pixels) ImageFree(pixels);
        return -1;
    }
    jpeg_create_decompress(&cinfo);
    SetJpegStreamSource(&cinfo, stream);
    jpeg_read_header(&cinfo, TRUE);
    if (!ImageSizeAllowed(cinfo.image_width, cinfo.image_height, 3)) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    jpeg_start_decompress(&cinfo);
    int components = cinfo.output_components;
    if (components != 1 && components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    size_t rowBytes = static_cast<size_t>(cinfo.output_width) * components;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(rowBytes), 1);
    if (rowBytes > 0x7FFFFFFF || (cinfo.output_height != 0 && rowBytes > 0x7FFFFFFF / cinfo.output_height)) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    pixels = static_cast<uint8_t*>(ImageAlloc(rowBytes * cinfo.output_height));
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* out = pixels + rowBytes * cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
        if (components == 1) {
            std::memcpy(out, row[0], rowBytes);
        } else {
            for (size_t i = 0; i < rowBytes; i += 3) {
                out[i] = row[0][i + 2];
                out[i + 1] = row[0][i + 1];
                out[i + 2] = row[0][i];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);

    std::memset(image, 0, sizeof(*image));
    if (components == 1) {
        SetColorFormatGrey8(&image->format);
    } else {
        SetColorFormatRgb24(&image->format);
    }
    image->width = static_cast<int32_t>(cinfo.output_width);
    image->height = static_cast<int32_t>(cinfo.output_height);
    image->pitch = static_cast<int32_t>(rowBytes);
    image->pixels = pixels;
    jpeg_destroy_decompress(&cinfo);
    return 0;
}
