// Re-entrant critical sections over std::recursive_mutex.
#include <mutex>

#include "platform/kernel/kernel32.h"

namespace {

std::recursive_mutex* MutexOf(LPCRITICAL_SECTION section) {
    return static_cast<std::recursive_mutex*>(section->impl);
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
    section->impl = new std::recursive_mutex;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
    delete MutexOf(section);
    section->impl = nullptr;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
    MutexOf(section)->lock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return MutexOf(section)->try_lock() ? TRUE : FALSE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
    MutexOf(section)->unlock();
}
