#include "platform/kernel/path_mapping.h"

#include <dirent.h>
#include <sys/stat.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/kernel/code_pages.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return s;
}

// A folder's names by their lower-case form (the first in byte order where several differ only in
// case), with what identifies the folder's state when it was read.
struct FolderListing {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    std::unordered_map<std::string, std::string> names;
};

bool SameState(const FolderListing& l, const struct stat& info) {
    return l.device == info.st_dev && l.inode == info.st_ino && l.modified.tv_sec == info.st_mtim.tv_sec &&
           l.modified.tv_nsec == info.st_mtim.tv_nsec;
}

// A folder changed within this time of its reading may change again without a new modification time
// (file times advance by the scheduler tick): such a listing is not kept.
constexpr int64_t kSettledNanoseconds = 50000000;

bool Settled(const struct stat& info) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age =
        (int64_t(now.tv_sec) - info.st_mtim.tv_sec) * 1000000000 + now.tv_nsec - info.st_mtim.tv_nsec;
    return age > kSettledNanoseconds;
}

struct ListingCache {
    std::mutex lock;
    std::unordered_map<std::string, FolderListing> folders;
};

ListingCache& Listings() {
    static ListingCache cache;
    return cache;
}

bool ReadListing(const std::string& folder, FolderListing* out) {
    DIR* directory = opendir(folder.c_str());
    if (!directory) return false;
    while (dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        auto [it, added] = out->names.emplace(LowerAscii(name), name);
        if (!added && name < it->second) it->second = name;
    }
    closedir(directory);
    return true;
}

// The entry of `folder` that equals `name` ignoring ASCII case (the first in byte order), or "".
// Listings are kept per folder and read again once the folder's modification time or identity changes.
std::string FindIgnoringCase(const std::string& folderPath, const std::string& name) {
    const std::string folder = folderPath.empty() ? "." : folderPath;
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return {};
    ListingCache& cache = Listings();
    std::lock_guard<std::mutex> guard(cache.lock);
    auto it = cache.folders.find(folder);
    if (it == cache.folders.end() || !SameState(it->second, info)) {
        FolderListing listing;
        if (!ReadListing(folder, &listing)) return {};
        listing.device = info.st_dev;
        listing.inode = info.st_ino;
        listing.modified = info.st_mtim;
        if (!Settled(info)) {
            const auto found = listing.names.find(LowerAscii(name));
            if (it != cache.folders.end()) cache.folders.erase(it);
            return found == listing.names.end() ? std::string() : found->second;
        }
        it = cache.folders.insert_or_assign(folder, std::move(listing)).first;
    }
    const auto found = it->second.names.find(LowerAscii(name));
    return found == it->second.names.end() ? std::string() : found->second;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string WindowsPathAsWritten(const std::string& windowsPath) {
    // Convert before touching separators: a CP932 trail byte may be 0x5C.
    std::string path = Cp932ToUtf8(windowsPath);
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        path.erase(0, 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.empty() ? "." : path;
}

std::string MapWindowsPath(const std::string& windowsPath) {
    const std::string path = WindowsPathAsWritten(windowsPath);
    // A path that exists as written needs no look-up: one check instead of one per component.
    if (Exists(path)) return path;
    const bool absolute = path[0] == '/';
    const bool trailingSlash = path.back() == '/';
    std::string mapped = absolute ? "/" : "";
    bool lookUp = true;
    for (const std::string& part : SplitComponents(path)) {
        std::string next = part;
        std::string candidate = mapped + part;
        if (lookUp && part != "." && part != ".." && !Exists(candidate)) {
            std::string found = FindIgnoringCase(mapped, part);
            if (found.empty()) {
                lookUp = false;
            } else {
                next = found;
            }
        }
        mapped += next + "/";
    }
    if (!mapped.empty() && mapped != "/" && !trailingSlash) mapped.pop_back();
    if (mapped.empty()) return ".";
    return mapped;
}

namespace {
std::atomic<uint64_t> g_folderChanges{0};
}  // namespace

void ForgetFolderListings() {
    ListingCache& cache = Listings();
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        cache.folders.clear();
    }
    g_folderChanges.fetch_add(1, std::memory_order_acq_rel);
}

uint64_t FolderChangeCount() {
    return g_folderChanges.load(std::memory_order_acquire);
}

std::string ToWindowsPath(const std::string& linuxPath) {
    std::string path = linuxPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "C:" + Utf8ToCp932(path);
}
