// Folder listing (FindFirstFileA and friends), the current folder and temporary files.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/code_pages.h"
#include "platform/kernel/file_times.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/kernel_object.h"
#include "platform/kernel/path_mapping.h"

namespace {

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length of the CP932 character at text (1 or 2 bytes).
size_t CharLength(const char* text) {
    return (IsLeadByte(*text) && text[1]) ? 2 : 1;
}

// Windows wildcard match over CP932 names: '*' any run, '?' one character, ASCII letters ignore case.
bool MatchWildcard(const char* pattern, const char* name) {
    if (!*pattern) return !*name;
    if (*pattern == '*') {
        for (const char* rest = name;; rest += CharLength(rest)) {
            if (MatchWildcard(pattern + 1, rest)) return true;
            if (!*rest) return false;
        }
    }
    if (!*name) return false;
    if (*pattern == '?') return MatchWildcard(pattern + 1, name + CharLength(name));
    size_t length = CharLength(pattern);
    if (length != CharLength(name)) return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(pattern[i]) != LowerAscii(name[i])) return false;
    return MatchWildcard(pattern + length, name + length);
}

struct FoundEntry {
    std::string name;  // CP932
    WIN32_FIND_DATAA data;
};

class FindObject : public KernelObject {
  public:
    std::vector<FoundEntry> entries;
    size_t next = 0;
};

bool SortsBefore(const FoundEntry& a, const FoundEntry& b) {
    auto rank = [](const std::string& name) { return name == "." ? 0 : (name == ".." ? 1 : 2); };
    if (rank(a.name) != rank(b.name)) return rank(a.name) < rank(b.name);
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

std::vector<FoundEntry> ListMatches(const std::string& folder, const std::string& pattern) {
    std::vector<FoundEntry> found;
    DIR* directory = opendir(folder.c_str());
    if (!directory) return found;
    // "*.*" matches every name, dotted or not, as it does on Windows.
    std::string effective = pattern == "*.*" ? "*" : pattern;
    while (dirent* entry = readdir(directory)) {
        std::string name = Utf8ToCp932(entry->d_name);
        if (name.size() >= MAX_PATH || !MatchWildcard(effective.c_str(), name.c_str())) continue;
        struct stat info {};
        if (stat((folder + "/" + entry->d_name).c_str(), &info) != 0) continue;
        FoundEntry result{name, {}};
        result.data.dwFileAttributes = FileAttributesFromStat(info);
        FileTimesFromStat(info, &result.data.ftCreationTime, &result.data.ftLastAccessTime,
                          &result.data.ftLastWriteTime);
        if (!S_ISDIR(info.st_mode)) {
            result.data.nFileSizeHigh = DWORD(uint64_t(info.st_size) >> 32);
            result.data.nFileSizeLow = DWORD(info.st_size);
        }
        std::memcpy(result.data.cFileName, name.c_str(), name.size() + 1);
        found.push_back(result);
    }
    closedir(directory);
    std::sort(found.begin(), found.end(), SortsBefore);
    return found;
}

// Copies text with its NUL when it fits: the length without the NUL; else the size it needs.
DWORD CopyOut(const std::string& text, DWORD bufferLength, LPSTR buffer) {
    if (!buffer || bufferLength < text.size() + 1) return DWORD(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return DWORD(text.size());
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    if (!fileName || !findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Split at the last separator that is not the trail byte of a double-byte character.
    std::string windowsPath = fileName;
    size_t split = std::string::npos;
    for (size_t i = 0; i < windowsPath.size(); i += CharLength(windowsPath.c_str() + i)) {
        if (windowsPath[i] == '\\' || windowsPath[i] == '/' || (i == 1 && windowsPath[i] == ':')) split = i;
    }
    std::string folderPart = split == std::string::npos ? "." : windowsPath.substr(0, split + 1);
    std::string pattern = split == std::string::npos ? windowsPath : windowsPath.substr(split + 1);
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string folder = MapWindowsPath(folderPart);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto* search = new FindObject;
    search->entries = ListMatches(folder, pattern);
    if (search->entries.empty()) {
        delete search;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *findData = search->entries[0].data;
    search->next = 1;
    return AddKernelHandle(search);
}

BOOL WINAPI FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData) {
    HandleRef<FindObject> search(findFile);
    if (!search) return FALSE;
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *findData = search->entries[search->next++].data;
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE findFile) {
    {
        HandleRef<FindObject> search(findFile);
        if (!search) return FALSE;
    }
    return CloseHandle(findFile);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
    char* current = getcwd(nullptr, 0);
    if (!current) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    std::string path = ToWindowsPath(current);
    std::free(current);
    return CopyOut(path, bufferLength, buffer);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR pathName) {
    if (!pathName || !*pathName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (chdir(MapWindowsPath(pathName).c_str()) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    const char* folder = std::getenv("TMPDIR");
    std::string path = (folder && *folder == '/') ? folder : "/tmp";
    if (path.back() != '/') path += '/';
    return CopyOut(ToWindowsPath(path), bufferLength, buffer);
}

UINT WINAPI GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
    if (!pathName || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string folder = pathName;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    std::string start = prefix ? std::string(prefix).substr(0, 3) : std::string();
    auto nameFor = [&](UINT number) {
        char digits[16];
        std::snprintf(digits, sizeof(digits), "%X", number & 0xFFFF);
        return folder + start + digits + ".TMP";
    };
    auto fits = [&](const std::string& name) { return name.size() < MAX_PATH; };
    if (unique != 0) {
        std::string name = nameFor(unique);
        if (!fits(name)) return 0;
        std::memcpy(tempFileName, name.c_str(), name.size() + 1);
        return unique & 0xFFFF;
    }
    UINT first = (UINT(GetCurrentProcessId()) * 2654435761u + GetTickCount()) & 0xFFFF;
    for (UINT i = 0; i < 0xFFFF; ++i) {
        UINT number = (first + i) % 0xFFFF + 1;
        std::string name = nameFor(number);
        if (!fits(name)) return 0;
        HANDLE file =
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            std::memcpy(tempFileName, name.c_str(), name.size() + 1);
            return number;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return 0;
    }
    return 0;
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0 || size == 0) return 0;
    path[length] = 0;
    std::string windowsPath = ToWindowsPath(path);
    DWORD copied = std::min<DWORD>(DWORD(windowsPath.size()), size - 1);
    std::memcpy(fileName, windowsPath.c_str(), copied);
    fileName[copied] = 0;
    if (copied < windowsPath.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return copied == windowsPath.size() ? copied : size;
}
