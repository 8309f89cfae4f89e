#include "engine/core/memory/handle_manager.h"

#include <cstring>

#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"

HandleTypeRecord handleTypes[kHandleTypeCount];

namespace {

constexpr int kCheckWrap = 1023;

HandleTypeRecord* RegisteredRecord(int type) {
    if (type <= 0 || type >= kHandleTypeCount || !handleTypes[type].registered) return nullptr;
    return &handleTypes[type];
}

HandleHeader* ValidHeader(ResourceHandle handle) {
    if (handle < 0) return nullptr;
    HandleTypeRecord* record = RegisteredRecord(HandleTypeOf(handle));
    if (!record) return nullptr;
    int index = HandleIndexOf(handle);
    if (index >= record->limit) return nullptr;
    auto* header = static_cast<HandleHeader*>(record->slots[index]);
    if (!header || (header->check << kHandleCheckShift) != (uint32_t(handle) & kHandleCheckBits))
        return nullptr;
    return header;
}

class TypeLock {
  public:
    explicit TypeLock(HandleTypeRecord* record) : record_(record) { EnterCriticalSection(&record_->section); }
    ~TypeLock() {
        if (held_) LeaveCriticalSection(&record_->section);
    }
    void Leave() {
        LeaveCriticalSection(&record_->section);
        held_ = false;
    }
    void Enter() {
        EnterCriticalSection(&record_->section);
        held_ = true;
    }

  private:
    HandleTypeRecord* record_;
    bool held_ = true;
};

int ChooseSlot(const HandleTypeRecord& record, ResourceHandle given) {
    if (given >= 0 && (uint32_t(given) & kHandleTypeBits) == record.typeBits &&
        HandleIndexOf(given) < record.limit && !record.slots[HandleIndexOf(given)])
        return HandleIndexOf(given);
    if (record.count == 0) return 0;
    if (record.highest + 1 < record.limit) return record.highest + 1;
    if (record.lowest - 1 >= 1) return record.lowest - 1;
    for (int i = 0; i < record.limit; ++i)
        if (!record.slots[i]) return i;
    return -1;
}

int NextCheckValue(HandleTypeRecord* record) {
    int check = record->nextCheck + 1;
    if (check >= kCheckWrap) check = 0;
    record->nextCheck = check;
    return check;
}

void ForgetSlot(HandleTypeRecord* record, int index) {
    record->slots[index] = nullptr;
    --record->count;
    if (record->count == 0) {
        record->lowest = record->highest = 0;
        return;
    }
    if (index == record->highest)
        while (record->highest > 0 && !record->slots[record->highest]) --record->highest;
    if (index == record->lowest)
        while (record->lowest < record->limit - 1 && !record->slots[record->lowest]) ++record->lowest;
}

uint32_t PendingLoads(const HandleHeader* header) {
    return __atomic_load_n(&header->asyncLoadCount, __ATOMIC_ACQUIRE);
}

// A queued job that has not started is cancelled; true when it was.
bool CancelUnstartedJob(HandleHeader* header) {
    if (FreeAsyncLoadRequest(int(header->asyncJob), 1) != 0) return false;
    __atomic_store_n(&header->asyncLoadCount, 0u, __ATOMIC_RELEASE);
    return true;
}

}  // namespace

int NoOpHandleCallback(HandleHeader*) {
    return 0;
}

int RegisterHandleType(int type, int dataSize, int limit, HandleCallback initCallback,
                       HandleCallback deleteCallback, const char* name) {
    if (type <= 0 || type >= kHandleTypeCount || handleTypes[type].registered) return -1;
    if (dataSize < int(sizeof(HandleHeader)) || limit <= 0 || limit > int(kHandleIndexBits) + 1) return -1;
    void** slots =
        static_cast<void**>(TrackedAllocZeroed(sizeof(void*) * size_t(limit), "handle_manager", __LINE__));
    if (!slots) return -1;
    HandleTypeRecord& record = handleTypes[type];
    int nextCheck = record.nextCheck;
    std::memset(&record, 0, sizeof(record));
    record.nextCheck = nextCheck;
    record.slots = slots;
    InitHandleList(&record.head, &record.tail);
    record.typeBits = uint32_t(type) << kHandleTypeShift;
    record.dataSize = dataSize;
    record.limit = limit;
    record.initCallback = initCallback;
    record.deleteCallback = deleteCallback;
    record.name = name ? name : "";
    InitializeCriticalSection(&record.section);
    record.registered = 1;
    return 0;
}

ResourceHandle AddHandle(int type, ResourceHandle handle) {
    HandleTypeRecord* record = RegisteredRecord(type);
    if (!record) return -1;
    TypeLock lock(record);
    if (record->count == record->limit) {
        lock.Leave();
        LogPrintf("%sハンドルの数が限界数( %d )に達していて新たなハンドルを作成できません", record->name,
                  record->limit);
        return -1;
    }
    int index = ChooseSlot(*record, handle);
    auto* header =
        static_cast<HandleHeader*>(TrackedAllocZeroed(size_t(record->dataSize), "handle_manager", __LINE__));
    if (!header) {
        lock.Leave();
        LogPrintf("%sハンドルのデータを格納するメモリ領域の確保に失敗しました", record->name);
        return -1;
    }
    // A given handle keeps its check value only where it got its own slot back.
    bool recreated = handle >= 0 && HandleTypeOf(handle) == type && HandleIndexOf(handle) == index;
    int check =
        recreated ? int((uint32_t(handle) & kHandleCheckBits) >> kHandleCheckShift) : NextCheckValue(record);
    header->check = uint32_t(check);
    header->dataSize = uint32_t(record->dataSize);
    header->handle = (uint32_t(check) << kHandleCheckShift) | record->typeBits | uint32_t(index);
    record->slots[index] = header;
    if (record->count == 0) {
        record->lowest = record->highest = index;
    } else {
        if (index < record->lowest) record->lowest = index;
        if (index > record->highest) record->highest = index;
    }
    ++record->count;
    InsertHandleListNode(&record->head, &header->node, header->handle, header);
    if (record->initCallback) record->initCallback(header);
    return ResourceHandle(header->handle);
}

namespace {

// With the type's lock held by `lock`.
int DeleteLockedHandle(HandleTypeRecord* record, TypeLock& lock, ResourceHandle handle) {
    HandleHeader* header = ValidHeader(handle);
    if (!header) return -1;
    if (header->lostFlag) *header->lostFlag = -1;
    if (PendingLoads(header) != 0 && !CancelUnstartedJob(header)) {
        // The job runs: wait for it with the type unlocked, keeping queued main-thread work moving.
        lock.Leave();
        while (PendingLoads(header) != 0) {
            ProcessMainThreadRequests();
            Sleep(0);
        }
        lock.Enter();
        if (ValidHeader(handle) != header) return -1;
    }
    if (record->deleteCallback && record->deleteCallback(header) == 1) return 0;
    UnlinkHandleListNode(&header->node);
    int index = HandleIndexOf(handle);
    TrackedFree(header);
    ForgetSlot(record, index);
    return 0;
}

}  // namespace

int DeleteHandle(ResourceHandle handle) {
    if (handle < 0) return -1;
    HandleTypeRecord* record = RegisteredRecord(HandleTypeOf(handle));
    if (!record) return -1;
    TypeLock lock(record);
    return DeleteLockedHandle(record, lock, handle);
}

int ResizeHandleData(ResourceHandle handle, int newSize) {
    HandleHeader* header = ValidHeader(handle);
    if (!header || newSize < int(sizeof(HandleHeader))) return -1;
    if (uint32_t(newSize) == header->dataSize) return 0;
    HandleTypeRecord* record = &handleTypes[HandleTypeOf(handle)];
    TypeLock lock(record);
    auto* moved =
        static_cast<HandleHeader*>(TrackedRealloc(header, size_t(newSize), "handle_manager", __LINE__));
    if (!moved) return -1;
    moved->dataSize = uint32_t(newSize);
    if (moved != header) {
        record->slots[HandleIndexOf(handle)] = moved;
        moved->node.data = moved;
        moved->node.previous->next = &moved->node;
        moved->node.next->previous = &moved->node;
    }
    return 0;
}

int DeleteAllHandles(int type, HandleCallback keep) {
    HandleTypeRecord* record = RegisteredRecord(type);
    if (!record) return -1;
    int lowest, highest;
    {
        TypeLock lock(record);
        lowest = record->lowest;
        highest = record->count ? record->highest : -1;
        for (int i = lowest; i <= highest; ++i) {
            auto* header = static_cast<HandleHeader*>(record->slots[i]);
            if (!header || (keep && keep(header))) continue;
            if (PendingLoads(header) != 0) CancelUnstartedJob(header);
        }
    }
    for (int i = lowest; i <= highest; ++i) {
        auto* header = static_cast<HandleHeader*>(record->slots[i]);
        if (!header || (keep && keep(header))) continue;
        DeleteHandle(ResourceHandle(header->handle));
    }
    return 0;
}

int EndHandleType(int type) {
    HandleTypeRecord* record = RegisteredRecord(type);
    if (!record) return -1;
    DeleteAllHandles(type, nullptr);
    TrackedFree(record->slots);
    DeleteCriticalSection(&record->section);
    int nextCheck = record->nextCheck;
    std::memset(record, 0, sizeof(*record));
    record->nextCheck = nextCheck;
    return 0;
}

void* GetHandleData(ResourceHandle handle) {
    return ValidHeader(handle);
}

void* GetTypedHandleData(ResourceHandle handle, int type) {
    return HandleTypeOf(handle) == type ? ValidHeader(handle) : nullptr;
}

int IsHandleLoading(ResourceHandle handle) {
    HandleTypeRecord* record = handle < 0 ? nullptr : RegisteredRecord(HandleTypeOf(handle));
    if (!record) return -1;
    TypeLock lock(record);
    HandleHeader* header = ValidHeader(handle);
    if (!header) return -1;
    if (PendingLoads(header) != 0) return 1;
    if (header->asyncFailed == 0) return 0;
    DeleteLockedHandle(record, lock, handle);
    return -1;
}

namespace {

// Runs `change` on the handle's header under its type's lock. 0, or -1 for an invalid handle.
template <typename Change>
int ChangeLockedHeader(ResourceHandle handle, Change change) {
    HandleTypeRecord* record = handle < 0 ? nullptr : RegisteredRecord(HandleTypeOf(handle));
    if (!record) return -1;
    TypeLock lock(record);
    HandleHeader* header = ValidHeader(handle);
    if (!header) return -1;
    return change(header);
}

int DropLoad(HandleHeader* header) {
    if (PendingLoads(header) > 0) __atomic_sub_fetch(&header->asyncLoadCount, 1u, __ATOMIC_ACQ_REL);
    return 0;
}

}  // namespace

int AddHandleLoadJob(ResourceHandle handle, uint32_t job) {
    return ChangeLockedHeader(handle, [job](HandleHeader* header) {
        __atomic_add_fetch(&header->asyncLoadCount, 1u, __ATOMIC_ACQ_REL);
        header->asyncJob = job;
        return 0;
    });
}

int DropHandleLoadJob(ResourceHandle handle) {
    return ChangeLockedHeader(handle, DropLoad);
}

int FinishHandleLoadJob(ResourceHandle handle, int result) {
    return ChangeLockedHeader(handle, [result](HandleHeader* header) {
        if (result != 0) header->asyncFailed = 1;
        return DropLoad(header);
    });
}

int QueueHandleLoadJob(ResourceHandle handle, AsyncLoadRequest* request, AsyncLoadJob job) {
    if (!request) return -1;
    int result = ChangeLockedHeader(handle, [request, job](HandleHeader* header) {
        __atomic_add_fetch(&header->asyncLoadCount, 1u, __ATOMIC_ACQ_REL);
        request->job = job;
        header->asyncJob = uint32_t(AddAsyncLoadRequest(request));
        return 0;
    });
    if (result != 0) TrackedFree(request);
    return result;
}

int SetHandleLostFlag(ResourceHandle handle, int* flag) {
    HandleHeader* header = ValidHeader(handle);
    if (!header) return -1;
    header->lostFlag = flag;
    return 0;
}

void InitHandleList(HandleListNode* head, HandleListNode* tail) {
    head->handle = tail->handle = uint32_t(-1);
    head->data = tail->data = nullptr;
    head->previous = nullptr;
    head->next = tail;
    tail->previous = head;
    tail->next = nullptr;
}

void InsertHandleListNode(HandleListNode* head, HandleListNode* node, uint32_t handle, void* data) {
    node->handle = handle;
    node->data = data;
    node->previous = head;
    node->next = head->next;
    head->next->previous = node;
    head->next = node;
}

void UnlinkHandleListNode(HandleListNode* node) {
    node->previous->next = node->next;
    node->next->previous = node->previous;
    node->previous = node->next = nullptr;
}
