// A working folder for fuzz targets over files the code opens by a relative name: entered for one
// input and left after it, so that libFuzzer's own relative paths (corpus, artifacts) keep their
// meaning. The folder is removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

class FuzzFolder {
  public:
    explicit FuzzFolder(const char* name)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(name) + "_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    // Writes the bytes to a file of the folder (relative name, its folders made).
    bool Write(const std::string& name, const uint8_t* data, size_t size) const {
        std::filesystem::create_directories((path_ / name).parent_path());
        FILE* file = std::fopen((path_ / name).c_str(), "wb");
        if (file == nullptr) return false;
        bool whole = std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && whole;
    }

  private:
    std::filesystem::path path_;
};

// The folder is the working directory for the scope; the previous one comes back after it.
class InFuzzFolder {
  public:
    explicit InFuzzFolder(const FuzzFolder& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder.path());
    }
    ~InFuzzFolder() { std::filesystem::current_path(previous_); }

  private:
    std::filesystem::path previous_;
};
