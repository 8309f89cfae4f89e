#include "engine/graphics/handles/graphic_reload_source.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/handles/graphic_records.h"

namespace {

// A zeroed source with `extra` bytes behind it for the copies; null (logged) when memory is short.
GraphicReloadSource* NewSource(size_t extra, const char* failure) {
    auto* source = static_cast<GraphicReloadSource*>(
        TrackedAllocZeroed(sizeof(GraphicReloadSource) + extra, "graphic reload source", __LINE__));
    if (!source) {
        LogText(failure);
        return nullptr;
    }
    source->referenceCount = 1;
    return source;
}

uint8_t* Tail(GraphicReloadSource* source) {
    return reinterpret_cast<uint8_t*>(source + 1);
}

// Each copy starts on a 16-byte boundary.
size_t ImageCopyBytes(const SoftImage* image) {
    return image ? (sizeof(SoftImage) + size_t(GetImageDataSize(image)) + 15) & ~size_t(15) : 0;
}

// Copies the image header and pixels to `at`; the copy's pixels point behind its header.
SoftImage* CopyImage(const SoftImage* image, uint8_t* at) {
    auto* copy = reinterpret_cast<SoftImage*>(at);
    *copy = *image;
    copy->pixels = at + sizeof(SoftImage);
    std::memcpy(copy->pixels, image->pixels, size_t(GetImageDataSize(image)));
    return copy;
}

void Install(GraphicEntry* entry, GraphicReloadSource* source) {
    DropGraphicReloadSource(entry);
    entry->reloadSource = source;
}

}  // namespace

void DropGraphicReloadSource(GraphicEntry* entry) {
    GraphicReloadSource* source = entry->reloadSource;
    entry->reloadSource = nullptr;
    if (source && --source->referenceCount <= 0) TrackedFree(source);
}

void ShareGraphicReloadSource(GraphicEntry* entry, GraphicReloadSource* source) {
    if (source == entry->reloadSource) return;
    if (source) ++source->referenceCount;
    Install(entry, source);
}

int KeepGraphicFileSource(GraphicEntry* entry, const char* fullPath) {
    const size_t length = std::strlen(fullPath) + 1;
    GraphicReloadSource* source =
        NewSource(length, "転送する画像ファイルのファイル名を保存するメモリ領域の確保に失敗しました\n");
    if (!source) return -1;
    source->fileName = reinterpret_cast<char*>(Tail(source));
    std::memcpy(source->fileName, fullPath, length);
    Install(entry, source);
    return 0;
}

int KeepGraphicMemorySource(GraphicEntry* entry, const void* data, uint32_t size, const void* alphaData,
                            uint32_t alphaSize) {
    if (!alphaData) alphaSize = 0;
    GraphicReloadSource* source =
        NewSource(size_t(size) + alphaSize, "転送する画像データを保存するメモリ領域の確保に失敗しました\n");
    if (!source) return -1;
    uint8_t* at = Tail(source);
    std::memcpy(at, data, size);
    source->data = at;
    source->dataSize = size;
    if (alphaData) {
        std::memcpy(at + size, alphaData, alphaSize);
        source->alphaData = at + size;
        source->alphaDataSize = alphaSize;
    }
    Install(entry, source);
    return 0;
}

int KeepGraphicImageSource(GraphicEntry* entry, const SoftImage* base, const SoftImage* alpha) {
    const size_t baseBytes = ImageCopyBytes(base);
    GraphicReloadSource* source = NewSource(baseBytes + ImageCopyBytes(alpha),
                                            "転送する基本イメージを保存するメモリ領域の確保に失敗しました\n");
    if (!source) return -1;
    source->baseImage = CopyImage(base, Tail(source));
    if (alpha) source->alphaImage = CopyImage(alpha, Tail(source) + baseBytes);
    Install(entry, source);
    return 0;
}
