#include "engine/image/image_loader.h"

#include <cstring>

#include "engine/core/helpers/string_helpers.h"
#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"

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
