#include "tools/archive/folder_tree.h"

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return false;
    std::string result(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = result.data();
    size_t dstLeft = result.size();
    size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == size_t(-1)) return false;
    result.resize(result.size() - dstLeft);
    *out = result;
    return true;
}

uint64_t ToFileTime(const struct timespec& t) {
    constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
    return kUnixEpochAsFileTime + uint64_t(t.tv_sec) * 10000000ull + uint64_t(t.tv_nsec) / 100;
}

bool ReadEntry(const fs::path& path, bool zeroTimes, ArchiveWriterEntry* entry, std::string* error) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        *error = "cannot read " + path.string();
        return false;
    }
    if (!zeroTimes) {
        entry->creationTime = ToFileTime(info.st_ctim);
        entry->lastAccessTime = ToFileTime(info.st_atim);
        entry->lastWriteTime = ToFileTime(info.st_mtim);
    }
    if (!S_ISDIR(info.st_mode)) {
        std::ifstream in(path, std::ios::binary);
        entry->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            *error = "cannot read " + path.string();
            return false;
        }
        return true;
    }
    entry->isDirectory = true;
    std::vector<fs::path> children;
    for (const fs::directory_entry& child : fs::directory_iterator(path)) children.push_back(child.path());
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children) {
        ArchiveWriterEntry childEntry;
        if (!Utf8ToShiftJis(child.filename().string(), &childEntry.name)) {
            *error = "name has no Shift-JIS form: " + child.string();
            return false;
        }
        if (!ReadEntry(child, zeroTimes, &childEntry, error)) return false;
        entry->children.push_back(std::move(childEntry));
    }
    return true;
}

}  // namespace

bool Utf8ToShiftJis(const std::string& in, std::string* out) {
    return Convert("CP932", "UTF-8", in, out);
}
bool ShiftJisToUtf8(const std::string& in, std::string* out) {
    return Convert("UTF-8", "CP932", in, out);
}

bool ReadFolderTree(const std::string& folder, bool zeroTimes, ArchiveWriterEntry* root, std::string* error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        *error = "not a folder: " + folder;
        return false;
    }
    *root = ArchiveWriterEntry{};
    return ReadEntry(folder, zeroTimes, root, error);
}
