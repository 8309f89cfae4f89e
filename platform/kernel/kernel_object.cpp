#include "platform/kernel/kernel_object.h"

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

std::condition_variable& WaitCondition() {
    static std::condition_variable* condition = new std::condition_variable;
    return *condition;
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
