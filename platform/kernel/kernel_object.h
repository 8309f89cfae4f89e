// Kernel objects behind HANDLE values: reference counted, looked up through a table of live handles
// so that a stale or forged handle is refused. Waitable objects share one wait lock; each waiting
// thread sleeps on a condition of its own, woken only by changes to what it waits for.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/kernel/win_types.h"

class KernelObject {
  public:
    virtual ~KernelObject() = default;
    void AddReference() { references_.fetch_add(1); }
    void Release() {
        if (references_.fetch_sub(1) == 1) delete this;
    }

  private:
    std::atomic<int> references_{1};
};

// Objects that can be waited for. IsSignalled and Consume are called with the wait lock held.
class WaitableObject : public KernelObject {
  public:
    virtual bool IsSignalled() const = 0;
    // A successful wait consumes the signal (auto-reset events).
    virtual void Consume() {}
};

// The one lock behind every wait. A waiting thread registers under keys, the things whose change can
// end its wait (the objects it waits for, its own or another thread's record, the clock), and whoever
// changes one of them notifies that key: a signal wakes only the threads it concerns, not every
// sleeping thread of the process.
std::mutex& WaitLock();
// The key of the virtual clock's moves and of its owner's blocking or end.
const void* ClockWaitKey();
// Wake every thread waiting under `key`: the first takes the wait lock, the second is called with it.
void NotifyWaitKey(const void* key);
void NotifyWaitKeyLocked(const void* key);

// With the wait lock held: the registration of a sleeping waiter under its keys.
void RegisterWaiter(const void* const* keys, size_t count, std::condition_variable* condition);
void UnregisterWaiter(const void* const* keys, size_t count, std::condition_variable* condition);

// With the wait lock held through `lock`: sleeps until ready() holds, woken by notifications of keys.
template <class Ready>
void WaitOnKeys(std::unique_lock<std::mutex>& lock, const void* const* keys, size_t count, Ready ready) {
    if (ready()) return;
    std::condition_variable condition;
    RegisterWaiter(keys, count, &condition);
    condition.wait(lock, ready);
    UnregisterWaiter(keys, count, &condition);
}

// The same with a time-out on the real clock; false when it passed before ready() held.
template <class Ready, class TimePoint>
bool WaitOnKeysUntil(std::unique_lock<std::mutex>& lock, const void* const* keys, size_t count,
                     TimePoint deadline, Ready ready) {
    if (ready()) return true;
    std::condition_variable condition;
    RegisterWaiter(keys, count, &condition);
    const bool done = condition.wait_until(lock, deadline, ready);
    UnregisterWaiter(keys, count, &condition);
    return done;
}

// Registers the object (taking over its first reference) and returns its handle.
HANDLE AddKernelHandle(KernelObject* object);
// Looks a handle up and returns the object with one more reference (or null). Call Release when done.
KernelObject* ReferenceKernelHandle(HANDLE handle);
// Removes the handle and releases its reference; false for an unknown handle.
bool RemoveKernelHandle(HANDLE handle);

// Looks a handle up as a given kind of object; null (and ERROR_INVALID_HANDLE) when it is not one.
template <typename T>
class HandleRef {
  public:
    explicit HandleRef(HANDLE handle);
    ~HandleRef() {
        if (object_) object_->Release();
    }
    HandleRef(const HandleRef&) = delete;
    HandleRef& operator=(const HandleRef&) = delete;
    T* get() const { return typed_; }
    T* operator->() const { return typed_; }
    explicit operator bool() const { return typed_ != nullptr; }

  private:
    KernelObject* object_ = nullptr;
    T* typed_ = nullptr;
};

void SetLastErrorInvalidHandle();

template <typename T>
HandleRef<T>::HandleRef(HANDLE handle) {
    object_ = ReferenceKernelHandle(handle);
    typed_ = dynamic_cast<T*>(object_);
    if (!typed_) SetLastErrorInvalidHandle();
}
