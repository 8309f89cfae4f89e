#include "engine/image/image_loader.h"

#include <cstring>

#include "engine/core/string_helpers.h"
#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"
#include "engine/image/pixel_convert.h"

namespace {

// Readers added library-wide, tried before the built-in ones. Nothing adds to it yet.
ImageReaderFunction extraImageReaders[kMaxExtraImageReaders];
int extraImageReaderCount = 0;

// Hands the decoded image out as a DIB; 0, or -1 with everything freed.
int HandOutDib(SoftImage* image, DibInfo** headerOut, void** bitsOut) {
    if (DecodeBlockCompressedImage(image) != 0) {
        ReleaseSoftImage(image);
        return -1;
    }
    auto* header = static_cast<DibInfo*>(ImageAllocZeroed(sizeof(DibInfo)));
    if (!header) {
        ReleaseSoftImage(image);
        return -1;
    }
    void* bits = nullptr;
    int result = ConvertSoftImageToDib(image, header, &bits, 0, 0);
    if (result == -1) {
        ImageFree(header);
        ReleaseSoftImage(image);
        return -1;
    }
    if (result == 1) ReleaseSoftImage(image);
    *headerOut = header;
    *bitsOut = bits;
    return 0;
}

}  // namespace

int FillImageLoaderContext(ImageLoaderContext* context) {
    std::memset(context, 0, sizeof(*context));
    context->extraReaderCount = extraImageReaderCount;
    std::memcpy(context->extraReaders, extraImageReaders, sizeof(extraImageReaders));
    context->fileFunctions = *GetFileFunctionTable();
    context->fileStream = *GetFileStreamFunctions();
    context->memoryStream = *GetMemoryStreamFunctions();
    return 0;
}

int RunImageReaders(const ImageLoaderContext* context, StreamDescriptor* stream, SoftImage* image) {
    auto attempt = [&](ImageReaderFunction reader) {
        stream->functions.seek(stream->source, 0, SEEK_ORIGIN_START);
        std::memset(image, 0, sizeof(*image));
        return reader(stream, image) == 0;
    };
    std::memset(image, 0, sizeof(*image));
    for (int i = 0; i < context->extraReaderCount && i < kMaxExtraImageReaders; ++i) {
        if (context->extraReaders[i] && attempt(context->extraReaders[i])) return 0;
    }
    for (const ImageReaderFunction* reader = ImageReaderTable; *reader; ++reader) {
        if (attempt(*reader)) return 0;
    }
    return -1;
}

int LoadSoftImageFromStream(const ImageLoaderContext* context, const char* path, const void* data,
                            uint32_t size, int fromMemory, int dibOutput, int mirror, SoftImage* imageOut,
                            DibInfo** headerOut, void** bitsOut) {
    StreamDescriptor stream{};
    if (fromMemory) {
        stream.source = OpenMemoryStream(data, size);
        stream.functions = context->memoryStream;
    } else {
        stream.source = context->fileFunctions.open(path, 0, 1, 0);
        stream.functions = context->fileStream;
    }
    if (stream.source == 0) return -1;

    SoftImage image{};
    if (RunImageReaders(context, &stream, &image) != 0) {
        stream.functions.close(stream.source);
        return -1;
    }
    if (fromMemory) {
        stream.functions.close(stream.source);
        stream.source = 0;
    }
    int result = 0;
    if (mirror == 1 && image.width != 0 && image.height != 0 && MirrorImageHorizontally(&image) != 0)
        result = -1;
    if (result == 0 && dibOutput) {
        result = HandOutDib(&image, headerOut, bitsOut);
    } else if (result == 0) {
        *imageOut = image;
    } else {
        ReleaseSoftImage(&image);
    }
    if (stream.source != 0) stream.functions.close(stream.source);
    return result;
}

int LoadSoftImage(const char* path, const void* data, uint32_t size, int fromMemory, int dibOutput,
                  int mirror, SoftImage* imageOut, DibInfo** headerOut, void** bitsOut) {
    ImageLoaderContext context;
    FillImageLoaderContext(&context);
    return LoadSoftImageFromStream(&context, path, data, size, fromMemory, dibOutput, mirror, imageOut,
                                   headerOut, bitsOut);
}

int LoadSoftImagePlain(const char* path, const void* data, uint32_t size, int fromMemory, SoftImage* imageOut,
                       int mirror) {
    return LoadSoftImage(path, data, size, fromMemory, 0, mirror, imageOut, nullptr, nullptr);
}

int LoadSoftImageWithAlpha(const ImageLoaderContext* context, const char* path, const void* data,
                           uint32_t size, int fromMemory, const void* alphaData, uint32_t alphaSize,
                           int alphaMode, SoftImage* imageOut, SoftImage* alphaOut, int mirror) {
    if (LoadSoftImageFromStream(context, path, data, size, fromMemory, 0, mirror, imageOut, nullptr,
                                nullptr) != 0)
        return -1;
    int alphaResult = -1;
    if (alphaMode == 0 && path) {
        char alphaPath[kFilePathLimit + 3];
        if (StrLen(path) < kFilePathLimit) {
            MakeAlphaImageName(path, alphaPath);
            alphaResult = LoadSoftImageFromStream(context, alphaPath, nullptr, 0, 0, 0, mirror, alphaOut,
                                                  nullptr, nullptr);
        }
    } else if (alphaMode == 1) {
        alphaResult = LoadSoftImageFromStream(context, nullptr, alphaData, alphaSize, 1, 0, mirror, alphaOut,
                                              nullptr, nullptr);
    }
    return alphaResult == 0 ? 0 : 1;
}

int LoadSoftImageWithAlphaDefault(const char* path, const void* data, uint32_t size, int fromMemory,
                                  const void* alphaData, uint32_t alphaSize, int alphaMode,
                                  SoftImage* imageOut, SoftImage* alphaOut, int mirror) {
    ImageLoaderContext context;
    FillImageLoaderContext(&context);
    return LoadSoftImageWithAlpha(&context, path, data, size, fromMemory, alphaData, alphaSize, alphaMode,
                                  imageOut, alphaOut, mirror);
}

int MakeAlphaImageName(const char* name, char* out) {
    // The extension is searched for only in the last path component.
    int length = StrLen(name);
    int dot = -1;
    for (int i = 0; i < length;) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(c) && i + 1 < length) {
            i += 2;
            continue;
        }
        if (c == '\\' || c == '/') {
            dot = -1;
        } else if (c == '.') {
            dot = i;
        }
        ++i;
    }
    int insertAt = dot >= 0 ? dot : length;
    std::memcpy(out, name, static_cast<size_t>(insertAt));
    out[insertAt] = '_';
    out[insertAt + 1] = 'a';
    std::memcpy(out + insertAt + 2, name + insertAt, static_cast<size_t>(length - insertAt) + 1);
    return 0;
}

int BlitWholeImage(int destX, int destY, SoftImage* source, SoftImage* destination) {
    return BlitImageRect(0, 0, source->width, source->height, destX, destY, source, destination);
}

namespace {

bool ValidRect(int x1, int y1, int x2, int y2, const SoftImage* image) {
    return x2 > x1 && y2 > y1 && x1 >= 0 && x1 < image->width && y1 >= 0 && y1 < image->height && x2 >= 1 &&
           x2 <= image->width && y2 >= 1 && y2 <= image->height;
}

struct Rgba {
    int c[4];
};

// Reads pixel (x, y) clamped into the image.
Rgba ClampedPixel(SoftImage* image, int x, int y) {
    Rgba p{};
    x = x < image->width ? x : image->width - 1;
    y = y < image->height ? y : image->height - 1;
    GetImagePixelRgba(image, x, y, &p.c[0], &p.c[1], &p.c[2], &p.c[3]);
    return p;
}

}  // namespace

int StretchImageRect(int sx1, int sy1, int sx2, int sy2, SoftImage* source, int tx1, int ty1, int tx2,
                     int ty2, SoftImage* destination, int bilinear) {
    if (!ValidRect(sx1, sy1, sx2, sy2, source) || !ValidRect(tx1, ty1, tx2, ty2, destination)) return -1;
    int sw = sx2 - sx1, sh = sy2 - sy1, dw = tx2 - tx1, dh = ty2 - ty1;
    if (sw == dw && sh == dh) return BlitImageRect(sx1, sy1, sw, sh, tx1, ty1, source, destination);
    uint32_t stepX = (static_cast<uint32_t>(sw) << 16) / static_cast<uint32_t>(dw);
    uint32_t stepY = (static_cast<uint32_t>(sh) << 16) / static_cast<uint32_t>(dh);
    uint32_t sy = static_cast<uint32_t>(sy1) << 16;
    for (int j = 0; j < dh; ++j, sy += stepY) {
        uint32_t sx = static_cast<uint32_t>(sx1) << 16;
        for (int i = 0; i < dw; ++i, sx += stepX) {
            int x0 = static_cast<int>(sx >> 16), y0 = static_cast<int>(sy >> 16);
            Rgba out = ClampedPixel(source, x0, y0);
            if (bilinear == 1) {
                uint32_t fx = sx & 0xFFFF, fy = sy & 0xFFFF;
                Rgba c10 = ClampedPixel(source, x0 + 1, y0);
                Rgba c01 = ClampedPixel(source, x0, y0 + 1);
                Rgba c11 = ClampedPixel(source, x0 + 1, y0 + 1);
                uint32_t w00 = ((65535 - fy) * (65535 - fx)) >> 16, w10 = ((65535 - fy) * fx) >> 16;
                uint32_t w01 = (fy * (65535 - fx)) >> 16, w11 = (fy * fx) >> 16;
                for (int k = 0; k < 4; ++k) {
                    uint64_t sum = uint64_t{w00} * out.c[k] + uint64_t{w10} * c10.c[k] +
                                   uint64_t{w01} * c01.c[k] + uint64_t{w11} * c11.c[k];
                    out.c[k] = static_cast<int>(sum >> 16);
                }
            }
            SetImagePixelRgba(destination, tx1 + i, ty1 + j, out.c[0], out.c[1], out.c[2], out.c[3]);
        }
    }
    return 0;
}
