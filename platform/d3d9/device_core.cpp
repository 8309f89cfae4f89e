#include "platform/d3d9/device_core.h"

#include <algorithm>

namespace d3d9 {
namespace {

std::mutex cores_mutex;
std::vector<std::weak_ptr<DeviceCore>>& Cores() {
    static std::vector<std::weak_ptr<DeviceCore>> cores;
    return cores;
}

}  // namespace

void DeviceCore::RegisterDefaultPool(PixelBytes* memory) {
    std::lock_guard lock(mutex_);
    default_pool_.push_back(memory);
}

void DeviceCore::UnregisterDefaultPool(PixelBytes* memory) {
    std::lock_guard lock(mutex_);
    default_pool_.erase(std::remove(default_pool_.begin(), default_pool_.end(), memory), default_pool_.end());
}

void DeviceCore::Lose() {
    std::lock_guard lock(mutex_);
    lost = true;
    for (auto* memory : default_pool_) std::fill(memory->begin(), memory->end(), uint8_t(0));
}

std::shared_ptr<DeviceCore> MakeDeviceCore() {
    auto core = std::make_shared<DeviceCore>();
    std::lock_guard lock(cores_mutex);
    auto& cores = Cores();
    cores.erase(std::remove_if(cores.begin(), cores.end(), [](auto& c) { return c.expired(); }), cores.end());
    cores.push_back(core);
    return core;
}

void LoseAllDevices() {
    std::vector<std::shared_ptr<DeviceCore>> alive;
    {
        std::lock_guard lock(cores_mutex);
        for (auto& weak : Cores())
            if (auto core = weak.lock()) alive.push_back(core);
    }
    for (auto& core : alive) core->Lose();
}

}  // namespace d3d9
