#include "platform/kernel/path_mapping.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/kernel/code_pages.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
        if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
        if (x != y) return false;
    }
    return true;
}

// The entry of `folder` that equals `name` ignoring ASCII case (the first in byte order), or "".
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory) return {};
    std::vector<std::string> matches;
    while (dirent* entry = readdir(directory)) {
        if (EqualIgnoringAsciiCase(entry->d_name, name)) matches.push_back(entry->d_name);
    }
    closedir(directory);
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
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

std::string MapWindowsPath(const std::string& windowsPath) {
    // Convert before touching separators: a CP932 trail byte may be 0x5C.
    std::string path = Cp932ToUtf8(windowsPath);
    bool absolute = false;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        path.erase(0, 2);
        absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
    } else {
        absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    bool trailingSlash = !path.empty() && path.back() == '/';

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

std::string ToWindowsPath(const std::string& linuxPath) {
    std::string path = linuxPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "C:" + Utf8ToCp932(path);
}
