// Drives the archive reader over an image the way a program would: open it in memory, search every
// directory, open, read, seek and read again every file, close. Returns false when the image was not
// given back byte-exact. Used by the corruption tests and the fuzz target.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/files/archive_reader.h"

namespace archive_exercise {

inline void ReadFile(OpenArchive* archive, const std::string& path) {
    ArchiveFileState state;
    if (OpenArchiveFile(&state, archive, path.c_str(), 0) != 0) return;
    uint8_t buffer[7];
    for (int i = 0; i < 4096 && ReadArchiveFile(&state, buffer, sizeof(buffer)) > 0; ++i) {
    }
    SeekArchiveFile(&state, state.entry.size / 2, SEEK_ORIGIN_START);
    ReadArchiveFile(&state, buffer, sizeof(buffer));
    SeekArchiveFile(&state, -3, SEEK_ORIGIN_END);
    ReadArchiveFile(&state, buffer, sizeof(buffer));
    CloseArchiveFile(&state);
}

inline void WalkFolder(OpenArchive* archive, const std::string& folder, int depth, int* budget) {
    FindFileRecord found;
    ArchiveSearchRecord* record = ArchiveFindFirstEntry(archive, (folder + "*").c_str(), &found);
    if (record == nullptr) return;
    do {
        if (--*budget < 0) break;
        if (std::strcmp(found.name, ".") == 0 || std::strcmp(found.name, "..") == 0) continue;
        std::string path = folder + found.name;
        if (!found.isDirectory)
            ReadFile(archive, path);
        else if (depth < 8)
            WalkFolder(archive, path + "\\", depth + 1, budget);
    } while (ArchiveFindNextEntry(record, &found) == 0 && ++record->nextIndex > 0);
    FreeArchiveSearchRecord(record);
}

}  // namespace archive_exercise

inline bool ExerciseArchiveImage(std::vector<uint8_t>& image, const char* keyString = nullptr) {
    std::vector<uint8_t> before = image;
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    if (OpenArchiveFromMemory(&archive, image.data(), uint32_t(image.size()), keyString) != 0)
        return image == before;
    int budget = 256;
    archive_exercise::WalkFolder(&archive, "", 0, &budget);
    ArchiveFileEntry entry;
    FindArchiveFileEntry("A.PNG", &archive, &entry);
    FindArchiveFileEntry("SUB\\DEEP.BIN", &archive, &entry);
    uint32_t position, size;
    GetArchiveFileLocation(&archive, "SUB\\INNER\\X.DAT", &position, &size);
    CloseArchive(&archive);
    return image == before;
}
