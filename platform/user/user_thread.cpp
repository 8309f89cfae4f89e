#include "platform/user/user_thread.h"

#include "platform/kernel/kernel32.h"

DWORD UserThreadId() {
    return GetCurrentThreadId();
}

DWORD UserTickCount() {
    return timeGetTime();
}

void UserWaitBriefly() {
    Sleep(1);
}
