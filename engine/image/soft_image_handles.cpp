#include "engine/image/soft_image_handles.h"

namespace {

int softImageTypeRegistered = 0;

}  // namespace

int RegisterSoftImageType() {
    if (softImageTypeRegistered) return -1;
    RegisterHandleType(kHandleTypeSoftImage, sizeof(SoftImageHandleData), kSoftImageHandleLimit,
                       NoOpHandleCallback, ReleaseSoftImageHandle, "ソフトイメージ");
    softImageTypeRegistered = 1;
    return 0;
}

int ReleaseSoftImageHandle(HandleHeader* data) {
    ReleaseSoftImage(&reinterpret_cast<SoftImageHandleData*>(data)->image);
    return 0;
}

int DeleteAllSoftImages() {
    return DeleteAllHandles(kHandleTypeSoftImage, nullptr);
}

int EndSoftImageType() {
    if (!softImageTypeRegistered) return -1;
    softImageTypeRegistered = 0;
    EndHandleType(kHandleTypeSoftImage);
    return 0;
}
