// Soft images held behind handles of type 2: the type's registration at library init, the release of
// the image of every deleted handle, and the deletion of them all at library end.
#pragma once

#include "engine/core/memory/handle_manager.h"
#include "engine/image/soft_image.h"

constexpr int kSoftImageHandleLimit = 8192;

// The data of a soft-image handle.
struct SoftImageHandleData {
    HandleHeader header;
    SoftImage image;
};

// -1 when the type is registered already, else registers it (the registration's own result is not
// examined) and returns 0.
int RegisterSoftImageType();
// Delete callback: releases the image behind the header; returns 0.
int ReleaseSoftImageHandle(HandleHeader* data);
int DeleteAllSoftImages();
// -1 when the type is not registered, else ends it and returns 0.
int EndSoftImageType();
