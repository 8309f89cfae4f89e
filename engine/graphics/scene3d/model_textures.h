// The textures of the model types: the three default textures (white, four-step grey ramp, smooth grey
// ramp) and every material texture, made again after the device was lost.
#pragma once

#include "engine/graphics/scene3d/model_records.h"
#include "engine/image/soft_image.h"

// The 256 x 8 XRGB image whose every row holds grey level x at column x. 0 or -1.
int MakeSmoothRampImage(SoftImage* image);
// The images of the three default textures, in ModelDefaultTexture order. 0, or -1 with none kept.
int MakeDefaultTextureImages(SoftImage images[3]);
// The material's graphic made again from its files; a material whose files do not load keeps its
// graphic. 0 or -1.
int RestoreMaterialTexture(ModelMaterial* material);
// Only while the model types are registered: the default textures, every base's materials and every
// instance's own materials. 0, or -1 when any of them failed.
int RestoreModelTextures();
