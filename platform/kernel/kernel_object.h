// Kernel objects behind HANDLE values: reference counted, looked up through a table of live handles
// so that a stale or forged handle is refused. Waitable objects share one wait lock and condition.
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

// The one lock and condition behind every wait; whoever changes a signal notifies under it.
std::mutex& WaitLock();
std::condition_variable& WaitCondition();

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
