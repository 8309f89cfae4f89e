#include "engine/graphics/scene3d/model_textures.h"

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/scene3d/material_images.h"
#include "engine/graphics/scene3d/model_handles.h"
#include "engine/image/default_tga_images.h"
#include "engine/image/image_loader.h"

namespace {

// The graphic is made anew from the images; an earlier one under the handle goes first.
int MakeGraphic(int* handle, const SoftImage* colour, const SoftImage* alpha) {
    if (*handle != -1) FreeGraphic(*handle, 0);
    const int made = CreateGraphicFromSoftImages(colour, alpha, 0);
    if (made == -1) return -1;
    *handle = made;
    return 0;
}

int LoadEmbedded(const uint8_t* data, size_t size, SoftImage* image) {
    return LoadSoftImagePlain(nullptr, data, uint32_t(size), 1, image, 0);
}

void ReleaseImages(SoftImage* images, int count) {
    for (int i = 0; i < count; ++i) ReleaseSoftImage(&images[i]);
}

int RestoreDefaultTextures() {
    SoftImage images[kModelDefaultTextureCount]{};
    if (MakeDefaultTextureImages(images) != 0) return -1;
    int result = 0;
    for (int i = 0; i < kModelDefaultTextureCount; ++i)
        if (MakeGraphic(&modelTypeState.defaultTextures[i], &images[i], nullptr) != 0) result = -1;
    ReleaseImages(images, kModelDefaultTextureCount);
    return result;
}

}  // namespace

int MakeSmoothRampImage(SoftImage* image) {
    if (CreateSoftImageXrgb8(256, 8, image) != 0) return -1;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x) SetImagePixelRgba(image, x, y, x, x, x, 255);
    return 0;
}

int MakeDefaultTextureImages(SoftImage images[3]) {
    if (LoadEmbedded(kDefaultWhiteTga.data(), kDefaultWhiteTga.size(), &images[kModelTextureWhite]) == 0) {
        if (LoadEmbedded(kDefaultRampTga.data(), kDefaultRampTga.size(),
                         &images[kModelTextureFourStepRamp]) == 0) {
            if (MakeSmoothRampImage(&images[kModelTextureSmoothRamp]) == 0) return 0;
            ReleaseSoftImage(&images[kModelTextureFourStepRamp]);
        }
        ReleaseSoftImage(&images[kModelTextureWhite]);
    }
    return -1;
}

int RestoreMaterialTexture(ModelMaterial* material) {
    const MaterialImageRequest request{material->colourFile,
                                       material->alphaFile,
                                       material->normalMap,
                                       material->normalScale,
                                       material->flip,
                                       deviceCapabilityFlags.maxTextureWidth,
                                       deviceCapabilityFlags.maxTextureHeight};
    SoftImage colour{}, alpha{};
    int hasAlpha = 0;
    if (BuildMaterialImage(request, &colour, &alpha, &hasAlpha) != 0) return -1;
    const int result = MakeGraphic(&material->graphic, &colour, hasAlpha ? &alpha : nullptr);
    ReleaseSoftImage(&colour);
    if (hasAlpha) ReleaseSoftImage(&alpha);
    return result;
}

int RestoreModelTextures() {
    if (!modelTypeState.registered) return 0;
    int result = RestoreDefaultTextures();
    auto restore = [&](ModelMaterial* materials, int count, bool ownOnly) {
        for (int i = 0; materials != nullptr && i < count; ++i)
            if ((!ownOnly || materials[i].ownTexture) && RestoreMaterialTexture(&materials[i]) != 0)
                result = -1;
    };
    ForEachHandle<ModelBase>(kHandleTypeModelBase,
                             [&](ModelBase* base) { restore(base->materials, base->materialCount, false); });
    ForEachHandle<ModelInstance>(kHandleTypeModel, [&](ModelInstance* instance) {
        if (instance->base != nullptr) restore(instance->materials, instance->base->materialCount, true);
    });
    return result;
}
