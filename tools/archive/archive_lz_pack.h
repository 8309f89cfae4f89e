// The packer of the archive's LZ code: greedy matching over hash chains, the least frequent byte as the
// escape byte. Its output unpacks with UnpackArchiveData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> PackArchiveData(const uint8_t* data, size_t size);
