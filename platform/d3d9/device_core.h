// What a device shares with the resources it made: its lost state and the DEFAULT-pool memory that a lost
// device drops.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/surface_store.h"

namespace d3d9 {

class DeviceCore {
  public:
    IDirect3DDevice9* device = nullptr;  // cleared when the device object goes
    bool lost = false;

    void RegisterDefaultPool(PixelBytes* memory);
    void UnregisterDefaultPool(PixelBytes* memory);
    void Lose();

  private:
    std::mutex mutex_;
    std::vector<PixelBytes*> default_pool_;
};

std::shared_ptr<DeviceCore> MakeDeviceCore();
void LoseAllDevices();

}  // namespace d3d9
