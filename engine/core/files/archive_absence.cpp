#include "engine/core/files/archive_absence.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>

#include "platform/kernel/path_mapping.h"

namespace {

struct MissingArchives {
    std::mutex lock;
    uint64_t changeCount = 0;
    std::unordered_set<std::string> paths;
};

MissingArchives& Missing() {
    static MissingArchives missing;
    return missing;
}

// With the lock held: forgets everything once a name was created or deleted since the last call.
void DropIfFoldersChanged(MissingArchives& missing) {
    const uint64_t count = FolderChangeCount();
    if (count == missing.changeCount) return;
    missing.paths.clear();
    missing.changeCount = count;
}

}  // namespace

bool IsArchiveKnownMissing(const char* path, uint64_t* seen) {
    MissingArchives& missing = Missing();
    std::lock_guard<std::mutex> guard(missing.lock);
    DropIfFoldersChanged(missing);
    *seen = missing.changeCount;
    return missing.paths.count(path) != 0;
}

void NoteArchiveMissing(const char* path, uint64_t seen) {
    MissingArchives& missing = Missing();
    std::lock_guard<std::mutex> guard(missing.lock);
    DropIfFoldersChanged(missing);
    if (missing.changeCount == seen) missing.paths.insert(path);
}

void NoteArchiveFound(const char* path) {
    MissingArchives& missing = Missing();
    std::lock_guard<std::mutex> guard(missing.lock);
    missing.paths.erase(path);
}
