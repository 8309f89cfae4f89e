#include "platform/user/find_window.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>

#include "platform/host/host.h"
#include "platform/user/window_store.h"

namespace {

std::mutex& ClaimMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<HWND, int>& Claims() {
    static std::map<HWND, int> claims;
    return claims;
}

// A socket bound to the class's name; -1 when another socket holds the name (or on failure, with
// found false).
int BindClassName(const std::string& class_name, bool* taken) {
    *taken = false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string name = "korvalund-window/" + std::to_string(getuid()) + "/" + UpperAscii(class_name);
    name = name.substr(0, sizeof(address.sun_path) - 2);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        *taken = errno == EADDRINUSE;
        close(fd);
        return -1;
    }
    return fd;
}

bool TextMatches(const std::string& text, LPCSTR wanted) {
    return !wanted || text == wanted;
}

}  // namespace

void ClaimWindowClass(HWND window, const std::string& class_name) {
    if (GetHostKind() != HostKind::kSdl) return;
    bool taken = false;
    int fd = BindClassName(class_name, &taken);
    if (fd < 0) return;
    std::lock_guard lock(ClaimMutex());
    Claims()[window] = fd;
}

void ReleaseWindowClassClaim(HWND window) {
    std::lock_guard lock(ClaimMutex());
    auto found = Claims().find(window);
    if (found == Claims().end()) return;
    close(found->second);
    Claims().erase(found);
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
    {
        UserLock lock(UserMutex());
        std::string wanted_class = className && !IS_INTRESOURCE(className) ? UpperAscii(className) : "";
        for (HWND handle : AllWindows()) {
            WindowRecord* record = FindWindowRecord(handle);
            if (record->style & WS_CHILD) continue;
            if (className && UpperAscii(record->class_name) != wanted_class) continue;
            if (!TextMatches(record->text, windowName)) continue;
            return handle;
        }
    }
    if (!className || IS_INTRESOURCE(className) || windowName || GetHostKind() != HostKind::kSdl)
        return nullptr;
    bool taken = false;
    int fd = BindClassName(className, &taken);
    if (fd >= 0) close(fd);
    return taken ? ForeignWindowHandle() : nullptr;
}
