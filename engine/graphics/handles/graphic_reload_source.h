// Where a graphic's pixels come from again after the device was lost: the file's full path, a copy of
// the file image held in memory, or copies of the base and alpha images. One tracked block, shared by a
// graphic and every graphic derived from it.
#pragma once

#include <cstdint>

#include "engine/image/soft_image.h"

struct GraphicEntry;

struct GraphicReloadSource {
    char* fileName;
    SoftImage* baseImage;
    SoftImage* alphaImage;
    const void* data;
    uint32_t dataSize;
    const void* alphaData;
    uint32_t alphaDataSize;
    int32_t flag;
    int32_t referenceCount;
    // the copied data follows
};

// Lowers the entry's source's count (freed at 0) and clears the entry's pointer.
void DropGraphicReloadSource(GraphicEntry* entry);
// The entry takes the source graphic's record, one more reference.
void ShareGraphicReloadSource(GraphicEntry* entry, GraphicReloadSource* source);
// The entry's new source: the file's full path. 0, or -1 (logged) when memory is short.
int KeepGraphicFileSource(GraphicEntry* entry, const char* fullPath);
// Copies of the file image (and the alpha file image) in memory. 0 or -1 (logged).
int KeepGraphicMemorySource(GraphicEntry* entry, const void* data, uint32_t size, const void* alphaData,
                            uint32_t alphaSize);
// Copies of the base image and, when given, the alpha image with their pixels. 0 or -1 (logged).
int KeepGraphicImageSource(GraphicEntry* entry, const SoftImage* base, const SoftImage* alpha);
