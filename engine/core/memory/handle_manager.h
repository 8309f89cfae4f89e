// Resource handles: a non-negative int naming a slot of a per-type table, with a check value so that a
// stale or forged handle is refused. The manager owns the slot tables, each handle's data block (the
// owning module's record, which begins with a HandleHeader), a list of the live handles of each type
// and one critical section per type.
#pragma once

#include <cstdint>

#include "engine/core/memory/async_load.h"
#include "platform/kernel/kernel32.h"

// bit 31: 0; bits 26-30: type; bits 16-25: check value; bits 0-15: slot index. -1: no handle.
typedef int ResourceHandle;

enum HandleType : int {
    kHandleTypeGraphic = 1,
    kHandleTypeSoftImage = 2,
    kHandleTypeSound = 3,
    kHandleTypeSoftSound = 4,
    kHandleTypeMusic = 5,
    kHandleTypeMovie = 6,
    kHandleTypeMask = 7,
    kHandleTypeFont = 8,
    kHandleTypeStringInput = 9,
    kHandleTypeNetwork = 10,
    kHandleTypeLight = 11,
    kHandleTypeShader = 12,
    kHandleTypeModelBase = 13,
    kHandleTypeModel = 14,
    kHandleTypeVertexBuffer = 15,
    kHandleTypeIndexBuffer = 16,
    kHandleTypeFile = 17,
};

inline constexpr int kHandleTypeCount = 32;
inline constexpr uint32_t kHandleTypeBits = 0x7C000000u;
inline constexpr uint32_t kHandleCheckBits = 0x03FF0000u;
inline constexpr uint32_t kHandleIndexBits = 0x0000FFFFu;
inline constexpr int kHandleTypeShift = 26;
inline constexpr int kHandleCheckShift = 16;

inline int HandleTypeOf(ResourceHandle handle) {
    return int((uint32_t(handle) & kHandleTypeBits) >> kHandleTypeShift);
}
inline int HandleIndexOf(ResourceHandle handle) {
    return int(uint32_t(handle) & kHandleIndexBits);
}

struct HandleListNode {
    uint32_t handle;  // -1 in the head and tail nodes
    void* data;
    HandleListNode* previous;
    HandleListNode* next;
};

// The first fields of every handle's data block, zero-filled at creation.
struct HandleHeader {
    uint32_t check;
    uint32_t handle;
    uint32_t dataSize;
    int* lostFlag;            // set to -1 when the handle is deleted
    uint32_t asyncLoadCount;  // asynchronous loads still pending on the handle
    uint32_t asyncJob;        // request slot of the last job added
    uint32_t asyncFailed;     // set by a failed job; the owner's next loading check deletes the handle
    HandleListNode node;
};

typedef int (*HandleCallback)(HandleHeader* data);

struct HandleTypeRecord {
    int registered;
    void** slots;
    HandleListNode head;
    HandleListNode tail;
    uint32_t typeBits;
    int dataSize;
    int limit;
    int count;
    int lowest;
    int highest;
    int nextCheck;  // kept across un-registration and re-registration
    CRITICAL_SECTION section;
    HandleCallback initCallback;
    HandleCallback deleteCallback;  // returns 1 to keep the handle
    const char* name;
};

extern HandleTypeRecord handleTypes[kHandleTypeCount];

// Calls visit with the data of every live handle of the type, newest first. The next node is read
// before the visit, so the visit may delete the handle it is given. Takes no lock.
template <class Record, class Visit>
void ForEachHandle(int type, Visit visit) {
    const HandleTypeRecord& t = handleTypes[type];
    if (!t.registered) return;
    for (HandleListNode* node = t.head.next; node != nullptr && node != &t.tail;) {
        HandleListNode* next = node->next;
        visit(static_cast<Record*>(node->data));
        node = next;
    }
}

// The empty callback of types whose module has nothing to do. Returns 0.
int NoOpHandleCallback(HandleHeader* data);

// 0; -1 when the type is registered already, out of range, its data smaller than a HandleHeader, or
// the slot array can't be allocated.
int RegisterHandleType(int type, int dataSize, int limit, HandleCallback initCallback,
                       HandleCallback deleteCallback, const char* name);
// `handle` -1 makes a new handle; a previously valid handle is re-created under its index and check
// value when its slot is free. New handle or -1.
ResourceHandle AddHandle(int type, ResourceHandle handle);
// 0 (deleted, or kept by the delete callback) or -1.
int DeleteHandle(ResourceHandle handle);
int ResizeHandleData(ResourceHandle handle, int newSize);
// Deletes every handle of the type that `keep` (when given) does not keep. -1 when not registered.
int DeleteAllHandles(int type, HandleCallback keep);
int EndHandleType(int type);

// The handle's data, or null for an invalid handle. Takes no lock.
void* GetHandleData(ResourceHandle handle);
// As GetHandleData, and null unless the handle is of the given type.
void* GetTypedHandleData(ResourceHandle handle, int type);
// 1 while asynchronous loads are pending, 0 when none, -1 for an invalid handle. Reads under the type's
// lock; a handle whose job failed is deleted here, on its owner's thread, and gives -1.
int IsHandleLoading(ResourceHandle handle);
int AddHandleLoadJob(ResourceHandle handle, uint32_t job);
int DropHandleLoadJob(ResourceHandle handle);
// Counts the job on the handle, queues the request and notes its slot, all under the type's lock, so
// the job cannot end (and its request be freed) before the handle knows it. 0; -1 for an invalid
// handle, and the request is freed.
int QueueHandleLoadJob(ResourceHandle handle, AsyncLoadRequest* request, AsyncLoadJob job);
// From a job at its end: drops its count; a non-zero `result` marks the handle failed. The job never
// deletes the handle itself, since its owner may be reading it.
int FinishHandleLoadJob(ResourceHandle handle, int result);
int SetHandleLostFlag(ResourceHandle handle, int* flag);

void InitHandleList(HandleListNode* head, HandleListNode* tail);
void InsertHandleListNode(HandleListNode* head, HandleListNode* node, uint32_t handle, void* data);
void UnlinkHandleListNode(HandleListNode* node);
