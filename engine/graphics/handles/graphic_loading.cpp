#include "engine/graphics/handles/graphic_loading.h"

#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_movie.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/graphics/handles/graphic_setup.h"
#include "engine/image/image_loader.h"

namespace {

constexpr int kFullPathSize = 2048;
int keepGraphicImages = 1;

void WaitUnlessActive() {
    if (ShouldWaitWhileInactive()) WaitWhileInactive();
}

// Where the pixels of a load come from: a file (full path) or a file image in memory.
struct ImageSource {
    const char* path;
    const void* data;
    uint32_t size;
};

int KeepSource(int handle, const ImageSource& source, int relaxed) {
    GraphicEntry* entry = LookupGraphic(handle, relaxed);
    if (!entry) return -1;
    return source.path ? KeepGraphicFileSource(entry, source.path)
                       : KeepGraphicMemorySource(entry, source.data, source.size, nullptr, 0);
}

// Reads the images and makes the graphic's block from them. 0 or -1.
int LoadIntoGraphic(const GraphicCreateParams& params, int handle, const ImageSource& source, int flag,
                    int relaxed) {
    SoftImage base{}, alpha{};
    const int loaded =
        LoadSoftImageWithAlphaDefault(source.path, source.data, source.size, source.path ? 0 : 1, nullptr, 0,
                                      source.path ? 0 : 2, &base, &alpha, 0);
    if (loaded < 0) {
        if (!source.path) return -1;
        if (!FileOpens(source.path)) {
            LogPrintf("画像ファイル %s がありません", source.path);
            return -1;
        }
        return LoadMovieFileToGraphicCore(0, handle, source.path, flag ? 0 : 1, relaxed);
    }
    const SoftImage* alphaImage = loaded == 0 ? &alpha : nullptr;
    FixColorFormatFillMask(&base.format);
    if (alphaImage) FixColorFormatFillMask(&alpha.format);
    int result = SetupGraphicForImages(params, handle, &base, alphaImage, 0, relaxed);
    if (result == 0)
        result = TransferImageToGraphicCore(&base, alphaImage, 0, 0, handle, kTransferColourKey, relaxed);
    if (result == 0) result = KeepSource(handle, source, relaxed);
    ReleaseSoftImage(&base);
    if (alphaImage) ReleaseSoftImage(&alpha);
    return result;
}

void LoadGraphicJob(AsyncLoadRequest* request) {
    const unsigned char* arguments = AsyncLoadArguments(request);
    int offset = 0, blobSize = 0;
    const void* blob = UnpackAsyncArgBlob(arguments, &offset, &blobSize);
    GraphicCreateParams params{};
    if (blobSize == int(sizeof params)) std::memcpy(&params, blob, sizeof params);
    const int handle = int(UnpackAsyncArgInt(arguments, &offset));
    const int flag = int(UnpackAsyncArgInt(arguments, &offset));
    const char* path = UnpackAsyncArgString(arguments, &offset);
    const void* data = reinterpret_cast<const void*>(UnpackAsyncArgPointer(arguments, &offset));
    const uint32_t size = UnpackAsyncArgInt(arguments, &offset);
    const int width = int(UnpackAsyncArgInt(arguments, &offset));
    const int height = int(UnpackAsyncArgInt(arguments, &offset));
    const ImageSource source{path && path[0] ? path : nullptr, data, size};
    int result;
    if (source.path || source.data)
        result = LoadIntoGraphic(params, handle, source, flag, 1);
    else
        result =
            SetupGraphicFromImage(params, handle, width, height, 0, params.words[CREATE_ALPHA], 0, 0, -1, 1);
    FinishHandleLoadJob(handle, result);
}

// Queues the job that fills the graphic; a file image in memory stays the caller's until the job ends.
int QueueGraphicJob(const GraphicCreateParams& params, int handle, int flag, const ImageSource& source,
                    int width, int height) {
    auto pack = [&](unsigned char* buffer) {
        int offset = 0;
        PackAsyncArgBlob(buffer, &offset, &params, int(sizeof params));
        PackAsyncArgInt(buffer, &offset, uint32_t(handle));
        PackAsyncArgInt(buffer, &offset, uint32_t(flag));
        PackAsyncArgString(buffer, &offset, source.path ? source.path : "");
        PackAsyncArgPointer(buffer, &offset, reinterpret_cast<uintptr_t>(source.data));
        PackAsyncArgInt(buffer, &offset, source.size);
        PackAsyncArgInt(buffer, &offset, uint32_t(width));
        PackAsyncArgInt(buffer, &offset, uint32_t(height));
        return offset;
    };
    AsyncLoadRequest* request = AllocAsyncLoadRequest(pack(nullptr));
    if (!request) return -1;
    pack(AsyncLoadArguments(request));
    return QueueHandleLoadJob(handle, request, LoadGraphicJob);
}

int LoadGraphic(const ImageSource& source, int flag, int async) {
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    WaitUnlessActive();
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    if (async) {
        if (QueueGraphicJob(params, handle, flag, source, 0, 0) == 0) return handle;
    } else if (LoadIntoGraphic(params, handle, source, flag, 0) == 0) {
        return handle;
    }
    if (LookupGraphic(handle, 1)) DeleteHandle(handle);
    return -1;
}

}  // namespace

int CreateGraphicFromParams(const GraphicCreateParams& params, int width, int height, int unused, int async,
                            int fromJob) {
    if (width < 1 || height < 1) return -1;
    if (!fromJob) WaitUnlessActive();
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    if (async && !fromJob) {
        if (QueueGraphicJob(params, handle, 0, ImageSource{nullptr, nullptr, 0}, width, height) == 0)
            return handle;
        DeleteHandle(handle);
        return -1;
    }
    if (SetupGraphicFromImage(params, handle, width, height, unused, params.words[CREATE_ALPHA], 0, 0, -1,
                              fromJob) != 0)
        return -1;
    return handle;
}

int MakeDrawTarget(int width, int height, int alpha) {
    if (alpha && !Direct3DMode) return -1;
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_DRAW_TARGET] = 1;
    params.words[CREATE_DRAW_TARGET_ALPHA] = alpha;
    return CreateGraphicFromParams(params, width, height, 0, IsAsyncLoadEnabled(), 0);
}

int LoadGraphFile(const char* fileName, int flag) {
    if (!fileName) return -1;
    char fullPath[kFullPathSize];
    if (ConvertToFullPath(fileName, fullPath, nullptr) < 0) return -1;
    return LoadGraphic(ImageSource{fullPath, nullptr, 0}, flag, IsAsyncLoadEnabled());
}

int LoadGraphFromMemory(const void* image, int size) {
    if (!image || size < 1) return -1;
    return LoadGraphic(ImageSource{nullptr, image, uint32_t(size)}, 0, 0);
}

int CreateGraphicFromSoftImages(const SoftImage* base, const SoftImage* alpha, int unused) {
    if (!base || base->width < 1 || base->height < 1) return -1;
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    if (SetupGraphicForImages(params, handle, base, alpha, unused, 0) != 0 ||
        CreateGraphicKeepImage(base, alpha, 0, 0, handle) != 0) {
        if (LookupGraphic(handle, 1)) DeleteHandle(handle);
        return -1;
    }
    return handle;
}

int SetupGraphicForImages(const GraphicCreateParams& params, int graphic, const SoftImage* base,
                          const SoftImage* alpha, int unused, int relaxed) {
    if (!graphicsStarted) return -1;
    if (!relaxed) WaitUnlessActive();
    if (alpha && (alpha->width != base->width || alpha->height != base->height)) return -1;
    const ColorFormat& f = base->format;
    const int alphaFlag = f.alphaWidth > 0 || alpha;
    const int oneChannel = f.pixelBytes == 1 && f.alphaWidth == 0 && !alpha;
    return SetupGraphicFromImage(params, graphic, base->width, base->height, unused, alphaFlag, oneChannel,
                                 f.formatCode, base->mipCount ? base->mipCount : -1, relaxed);
}

int TransferImageToGraphicCore(const SoftImage* base, const SoftImage* alpha, int srcX, int srcY, int graphic,
                               int colourKey, int relaxed) {
    if (!graphicsStarted) return -1;
    GraphicEntry* entry = LookupGraphic(graphic, relaxed);
    if (!entry) return -1;
    entry->originX = srcX;
    entry->originY = srcY;
    const RECT source{srcX, srcY, srcX + entry->width, srcY + entry->height};
    return TransferImageToTextures(graphic, base, alpha, source, 0, 0, colourKey, 0, relaxed);
}

int CreateGraphicKeepImage(const SoftImage* base, const SoftImage* alpha, int srcX, int srcY, int graphic) {
    const int result = TransferImageToGraphicCore(base, alpha, srcX, srcY, graphic, kTransferColourKey, 0);
    GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (result != 0 || !entry) return result;
    DropGraphicReloadSource(entry);
    if (keepGraphicImages && base) KeepGraphicImageSource(entry, base, alpha);
    return result;
}

int TransferImageToGraphic(const SoftImage* base, const SoftImage* alpha, const RECT* source, int destX,
                           int destY, int graphic) {
    if (!graphicsStarted || !base) return -1;
    GraphicEntry* entry = LookupGraphic(graphic, 1);
    if (!entry) return -1;
    const RECT whole{0, 0, base->width, base->height};
    const RECT r = source ? *source : whole;
    entry->originX = source ? int(r.left) - destX : 0;
    entry->originY = source ? int(r.top) - destY : 0;
    return TransferImageToTextures(graphic, base, alpha, r, destX, destY, kTransferColourKey, 0, 0);
}

int SetKeepGraphicImages(int flag) {
    keepGraphicImages = flag ? 1 : 0;
    return 0;
}
