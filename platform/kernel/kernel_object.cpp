#include "platform/kernel/kernel_object.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/kernel/kernel32.h"

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_set<KernelObject*> live;
};

HandleTable& Handles() {
    static HandleTable* table = new HandleTable;
    return *table;
}

thread_local DWORD lastError = 0;

}  // namespace

std::mutex& WaitLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

namespace {

// Sleeping waiters by key; read and changed with the wait lock held.
std::unordered_multimap<const void*, std::condition_variable*>& Waiters() {
    static auto* waiters = new std::unordered_multimap<const void*, std::condition_variable*>;
    return *waiters;
}

}  // namespace

const void* ClockWaitKey() {
    static const char key = 0;
    return &key;
}

void RegisterWaiter(const void* const* keys, size_t count, std::condition_variable* condition) {
    for (size_t i = 0; i < count; ++i) Waiters().emplace(keys[i], condition);
}

void UnregisterWaiter(const void* const* keys, size_t count, std::condition_variable* condition) {
    for (size_t i = 0; i < count; ++i) {
        auto range = Waiters().equal_range(keys[i]);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == condition) {
                Waiters().erase(it);
                break;
            }
        }
    }
}

void NotifyWaitKeyLocked(const void* key) {
    auto range = Waiters().equal_range(key);
    for (auto it = range.first; it != range.second; ++it) it->second->notify_one();
}

void NotifyWaitKey(const void* key) {
    std::lock_guard<std::mutex> guard(WaitLock());
    NotifyWaitKeyLocked(key);
}

HANDLE AddKernelHandle(KernelObject* object) {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> guard(table.lock);
    table.live.insert(object);
    return object;
}

KernelObject* ReferenceKernelHandle(HANDLE handle) {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.live.find(static_cast<KernelObject*>(handle));
    if (found == table.live.end()) return nullptr;
    (*found)->AddReference();
    return *found;
}

bool RemoveKernelHandle(HANDLE handle) {
    KernelObject* object = nullptr;
    {
        HandleTable& table = Handles();
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.live.find(static_cast<KernelObject*>(handle));
        if (found == table.live.end()) return false;
        object = *found;
        table.live.erase(found);
    }
    object->Release();
    return true;
}

void SetLastErrorInvalidHandle() {
    lastError = ERROR_INVALID_HANDLE;
}

DWORD WINAPI GetLastError() {
    return lastError;
}

void WINAPI SetLastError(DWORD error) {
    lastError = error;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    if (RemoveKernelHandle(object)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
