// Events and WaitForSingleObject / WaitForMultipleObjects over the shared wait lock.
#include <chrono>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/kernel_object.h"

namespace {

class EventObject : public WaitableObject {
  public:
    EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}
    bool IsSignalled() const override { return signalled_; }
    void Consume() override {
        if (!manualReset_) signalled_ = false;
    }
    void Set(bool signalled) { signalled_ = signalled; }

  private:
    bool manualReset_;
    bool signalled_;
};

BOOL ChangeEvent(HANDLE event, bool signalled) {
    HandleRef<EventObject> object(event);
    if (!object) return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    object->Set(signalled);
    if (signalled) NotifyWaitKeyLocked(static_cast<WaitableObject*>(object.get()));
    return TRUE;
}

// Index of the object that ends the wait (or all of them: 0), -1 when the wait goes on.
int ReadyIndex(const std::vector<WaitableObject*>& objects, bool waitAll) {
    if (waitAll) {
        for (WaitableObject* object : objects)
            if (!object->IsSignalled()) return -1;
        for (WaitableObject* object : objects) object->Consume();
        return 0;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->IsSignalled()) {
            objects[i]->Consume();
            return int(i);
        }
    }
    return -1;
}

DWORD WaitForObjects(std::vector<WaitableObject*>& objects, bool waitAll, DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(WaitLock());
    int ready = ReadyIndex(objects, waitAll);
    if (ready >= 0) return WAIT_OBJECT_0 + DWORD(ready);
    if (milliseconds == 0) return WAIT_TIMEOUT;
    // The objects' keys, then the clock's for the waits that end by the virtual clock.
    std::vector<const void*> keys(objects.begin(), objects.end());
    auto isReady = [&] { return (ready = ReadyIndex(objects, waitAll)) >= 0; };
    if (milliseconds == INFINITE) {
        MarkClockOwnerBlocked(true);
        WaitOnKeys(lock, keys.data(), keys.size(), isReady);
        MarkClockOwnerBlocked(false);
        return WAIT_OBJECT_0 + DWORD(ready);
    }
    if (GetClockMode() == ClockMode::kVirtual) {
        if (WaitsMoveVirtualClock()) {
            lock.unlock();
            AdvanceVirtualClock(int64_t(milliseconds) * 1000000);
            return WAIT_TIMEOUT;
        }
        VirtualDeadline deadline(int64_t(milliseconds) * 1000000);
        keys.push_back(ClockWaitKey());
        WaitOnKeys(lock, keys.data(), keys.size(),
                   [&] { return isReady() || VirtualDeadlineReached(deadline.at); });
        return ready >= 0 ? WAIT_OBJECT_0 + DWORD(ready) : WAIT_TIMEOUT;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    if (WaitOnKeysUntil(lock, keys.data(), keys.size(), deadline, isReady))
        return WAIT_OBJECT_0 + DWORD(ready);
    return WAIT_TIMEOUT;
}

}  // namespace

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR) {
    return AddKernelHandle(new EventObject(manualReset != FALSE, initialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE event) {
    return ChangeEvent(event, true);
}

BOOL WINAPI ResetEvent(HANDLE event) {
    return ChangeEvent(event, false);
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<KernelObject*> held;
    std::vector<WaitableObject*> objects;
    DWORD result = WAIT_FAILED;
    for (DWORD i = 0; i < count; ++i) {
        KernelObject* object = ReferenceKernelHandle(handles[i]);
        if (object) held.push_back(object);
        auto* waitable = dynamic_cast<WaitableObject*>(object);
        if (!waitable) {
            SetLastError(ERROR_INVALID_HANDLE);
            objects.clear();
            break;
        }
        objects.push_back(waitable);
    }
    if (!objects.empty()) result = WaitForObjects(objects, waitAll != FALSE, milliseconds);
    for (KernelObject* object : held) object->Release();
    return result;
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}
