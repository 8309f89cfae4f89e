// The generated data pack as the tests see it: the copy the build made (KORVALUND_DATAPACK_DIR), a
// way to make a fresh one, and small readers for its files.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace datapack {

inline std::filesystem::path PackDir() {
    return KORVALUND_DATAPACK_DIR;
}

// Runs the generator into dir; its exit status.
inline int MakePack(const std::filesystem::path& dir) {
    const std::string command =
        "/usr/bin/python3 '" KORVALUND_SOURCE_DIR "/tools/datapack/make_datapack.py' '" + dir.string() + "'";
    return std::system(command.c_str());
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An RGB picture read with libpng; empty pixels when the file is not a readable PNG.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    bool Key(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return p[0] == 0 && p[1] == 255 && p[2] == 0;
    }
};

inline Picture ReadPicture(const std::filesystem::path& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.rgb = std::move(rgb);
    return picture;
}

}  // namespace datapack
