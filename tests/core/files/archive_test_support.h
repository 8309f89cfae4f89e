// Shared helpers of the file-layer tests: temporary folders in both path forms, small archive trees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/kernel/path_mapping.h"
#include "tools/archive/archive_writer.h"

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvalund_files_XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        linux_ = mkdtemp(buffer.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(linux_, ec);
    }
    // The Linux path of a name inside the folder ("/" separated).
    std::string Linux(const std::string& name = "") const {
        return name.empty() ? linux_ : linux_ + "/" + name;
    }
    // The Windows form ("C:\...") of a name inside the folder ("\" separated).
    std::string Windows(const std::string& name = "") const {
        std::string path = ToWindowsPath(linux_);
        return name.empty() ? path : path + "\\" + name;
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(Linux(name)).parent_path());
        std::ofstream out(Linux(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

  private:
    std::string linux_;
};

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Bytes that pack well and hold every byte value, so that escape codes appear in the packed form.
inline std::vector<uint8_t> PatternBytes(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = (i % 97 < 40) ? uint8_t(i % 7) : uint8_t(state >> 24);
    }
    return bytes;
}

inline ArchiveWriterEntry FileEntry(const std::string& name, const std::vector<uint8_t>& data) {
    ArchiveWriterEntry entry;
    entry.name = name;
    entry.data = data;
    entry.lastWriteTime = 133000000000000000ull;  // some day in 2022
    entry.creationTime = entry.lastWriteTime;
    return entry;
}

inline ArchiveWriterEntry FolderEntry(const std::string& name, std::vector<ArchiveWriterEntry> children) {
    ArchiveWriterEntry entry;
    entry.name = name;
    entry.isDirectory = true;
    entry.children = std::move(children);
    return entry;
}

// A small tree: a.png and Mixed.Txt in the root, sub\deep.bin and sub\inner\x.dat below it.
inline ArchiveWriterEntry SampleTree() {
    return FolderEntry(
        "", {FileEntry("a.png", PatternBytes(3000, 1)), FileEntry("Mixed.Txt", Bytes("Hello, archive!")),
             FolderEntry(
                 "sub", {FileEntry("deep.bin", PatternBytes(20000, 2)),
                         FolderEntry("inner", {FileEntry("x.dat", Bytes("xyz"))}), FileEntry("empty", {})})});
}

inline std::vector<uint8_t> BuildOrDie(const ArchiveWriterEntry& root, const ArchiveWriteOptions& options) {
    std::vector<uint8_t> out;
    std::string error;
    if (!BuildArchive(root, options, &out, &error)) throw std::runtime_error(error);
    return out;
}
