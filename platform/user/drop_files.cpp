#include "platform/user/drop_files.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/user/user32.h"

namespace {

struct DropRecord {
    std::vector<std::string> files;
    POINT point;
};

struct Drops {
    std::mutex mutex;
    std::map<HDROP, std::unique_ptr<DropRecord>> records;
};

Drops& TheDrops() {
    static Drops* drops = new Drops;
    return *drops;
}

DropRecord* FindDrop(HDROP drop) {
    auto found = TheDrops().records.find(drop);
    return found == TheDrops().records.end() ? nullptr : found->second.get();
}

}  // namespace

HDROP MakeDropHandle(const std::vector<std::string>& files, int x, int y) {
    auto record = std::make_unique<DropRecord>(DropRecord{files, POINT{x, y}});
    HDROP handle = reinterpret_cast<HDROP>(record.get());
    std::lock_guard lock(TheDrops().mutex);
    TheDrops().records[handle] = std::move(record);
    return handle;
}

size_t LiveDropHandleCount() {
    std::lock_guard lock(TheDrops().mutex);
    return TheDrops().records.size();
}

UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
    std::lock_guard lock(TheDrops().mutex);
    DropRecord* record = FindDrop(drop);
    if (!record) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(record->files.size());
    if (index >= record->files.size()) return 0;
    const std::string& name = record->files[index];
    if (!file) return static_cast<UINT>(name.size());
    if (size == 0) return 0;
    UINT length = std::min<UINT>(static_cast<UINT>(name.size()), size - 1);
    std::memcpy(file, name.data(), length);
    file[length] = '\0';
    return length;
}

BOOL WINAPI DragQueryPoint(HDROP drop, POINT* point) {
    std::lock_guard lock(TheDrops().mutex);
    DropRecord* record = FindDrop(drop);
    if (!record || !point) return FALSE;
    *point = record->point;
    return TRUE;
}

void WINAPI DragFinish(HDROP drop) {
    std::lock_guard lock(TheDrops().mutex);
    TheDrops().records.erase(drop);
}

void WINAPI DragAcceptFiles(HWND, BOOL) {}
