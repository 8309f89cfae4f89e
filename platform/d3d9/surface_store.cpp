#include "platform/d3d9/surface_store.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/d3d9/d3d9_control.h"

namespace d3d9 {
namespace {

uint8_t* AllocateZeroed(size_t size) {
    if (size == 0) return nullptr;
    void* memory = D3D9TakeCreationFailure("PixelMemory") ? nullptr : std::calloc(size, 1);
    if (!memory) throw std::bad_alloc();
    return static_cast<uint8_t*>(memory);
}

}  // namespace

PixelBytes::PixelBytes(size_t size) : data_(AllocateZeroed(size)), size_(size) {}

PixelBytes::PixelBytes(const PixelBytes& other) : PixelBytes(other.size_) {
    if (size_) std::memcpy(data_, other.data_, size_);
}

PixelBytes::PixelBytes(PixelBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PixelBytes& PixelBytes::operator=(PixelBytes other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
}

PixelBytes::~PixelBytes() {
    std::free(data_);
}

void PixelBytes::assign(size_t size, uint8_t value) {
    *this = PixelBytes(size);
    if (value != 0 && size_) std::memset(data_, value, size_);
}

}  // namespace d3d9
