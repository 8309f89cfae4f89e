#include "engine/graphics/device/brightness_volume_texture.h"

#include <algorithm>

#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_wrappers.h"

IDirect3DVolumeTexture9* brightnessVolumeTexture = nullptr;

namespace {

IDirect3DVolumeTexture9* CreateVolume(D3DPOOL pool, const char* failure) {
    IDirect3DVolumeTexture9* texture = nullptr;
    if (SUCCEEDED(DeviceCreateVolumeTexture(kBrightnessVolumeSize, kBrightnessVolumeSize,
                                            kBrightnessVolumeSize, 1, 0, D3DFMT_X8R8G8B8, pool, &texture,
                                            nullptr)))
        return texture;
    LogText(failure);
    return nullptr;
}

int FillVolume(IDirect3DVolumeTexture9* staging) {
    D3DLOCKED_BOX box{};
    if (FAILED(staging->LockBox(0, &box, nullptr, 0))) {
        LogText(
            "RGBカラーを輝度を最大にしたRGB値に変換するための転送元用ボリュームテクスチャのロックに失敗しま"
            "した\n");
        return -1;
    }
    auto* bytes = static_cast<uint8_t*>(box.pBits);
    for (int z = 0; z < kBrightnessVolumeSize; ++z)
        for (int y = 0; y < kBrightnessVolumeSize; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(bytes + z * box.SlicePitch + y * box.RowPitch);
            for (int x = 0; x < kBrightnessVolumeSize; ++x) row[x] = FullBrightnessTexel(x, y, z);
        }
    staging->UnlockBox(0);
    return 0;
}

}  // namespace

uint32_t FullBrightnessTexel(int x, int y, int z) {
    if (x < 8 && y < 8 && z < 8) return 0xFFFFFFFFu;
    const int channels[3] = {2 * x, 2 * y, 2 * z};
    const int top = std::max({channels[0], channels[1], channels[2]});
    uint32_t texel = 0xFF000000u;
    for (int i = 0; i < 3; ++i) texel |= uint32_t((channels[i] * 255 + top / 2) / top) << (16 - 8 * i);
    return texel;
}

int CreateBrightnessVolumeTexture() {
    if (!HasD3DDevice()) return -1;
    ReleaseBrightnessVolumeTexture();
    brightnessVolumeTexture = CreateVolume(
        D3DPOOL_DEFAULT,
        "RGBカラーを輝度を最大にしたRGB値に変換するためのボリュームテクスチャの作成に失敗しました\n");
    if (brightnessVolumeTexture == nullptr) return -1;
    IDirect3DVolumeTexture9* staging = CreateVolume(
        D3DPOOL_SYSTEMMEM,
        "RGBカラーを輝度を最大にしたRGB値に変換するための転送元用ボリュームテクスチャの作成に失敗しました\n");
    const bool filled = staging != nullptr && FillVolume(staging) == 0 &&
                        SUCCEEDED(DeviceUpdateTexture(staging, brightnessVolumeTexture));
    ReleaseAndClear(staging);
    if (filled) return 0;
    ReleaseBrightnessVolumeTexture();
    return -1;
}

int ReleaseBrightnessVolumeTexture() {
    ReleaseAndClear(brightnessVolumeTexture);
    return 0;
}
