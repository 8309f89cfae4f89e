// FindWindowA across processes, for the library's double-start check: on the SDL host every top-level
// window claims its class name in the user's abstract socket namespace, so that another process sees
// it; the claim goes when the window or the process does. Headless windows are seen by their own
// process only, so that tests running side by side never see each other.
#pragma once

#include <string>

#include "platform/user/user32.h"

void ClaimWindowClass(HWND window, const std::string& class_name);
void ReleaseWindowClassClaim(HWND window);
// The handle FindWindowA returns for a window of another process.
inline HWND ForeignWindowHandle() {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0000));
}
