#include "platform/user/user_thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

DWORD UserThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

DWORD UserTickCount() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void UserWaitBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
