// tvatool: packs a folder into an archive of the library's format, lists an archive, extracts one.
//   tvatool pack <folder> <archive> [--version N] [--plain] [--fallback-key] [--key TEXT] [--zero-times]
//   tvatool list <archive> [--key TEXT]
//   tvatool extract <archive> <folder> [--key TEXT]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/files/archive_reader.h"
#include "tools/archive/archive_writer.h"
#include "tools/archive/folder_tree.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: tvatool pack <folder> <archive> [--version N] [--plain] [--fallback-key] [--key TEXT] "
        "[--zero-times]\n"
        "       tvatool list <archive> [--key TEXT]\n"
        "       tvatool extract <archive> <folder> [--key TEXT]\n");
    return 2;
}

struct Arguments {
    std::vector<std::string> positional;
    ArchiveWriteOptions options;
    std::string keyString;
    bool hasKey = false;
    bool zeroTimes = false;
};

bool ParseArguments(int argc, char** argv, Arguments* args) {
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--version" && i + 1 < argc) {
            args->options.version = std::atoi(argv[++i]);
        } else if (a == "--plain") {
            args->options.pack = false;
        } else if (a == "--fallback-key") {
            args->options.key = ARCHIVE_WRITER_FALLBACK_KEY;
        } else if (a == "--key" && i + 1 < argc) {
            args->keyString = argv[++i];
            args->hasKey = !args->keyString.empty();
        } else if (a == "--zero-times") {
            args->zeroTimes = true;
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            args->positional.push_back(a);
        }
    }
    if (args->hasKey) args->options.keyString = args->keyString.c_str();
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int Pack(const Arguments& args) {
    if (args.positional.size() != 2) return Usage();
    ArchiveWriterEntry root;
    std::string error;
    std::vector<uint8_t> archive;
    if (!ReadFolderTree(args.positional[0], args.zeroTimes, &root, &error) ||
        !BuildArchive(root, args.options, &archive, &error)) {
        std::fprintf(stderr, "tvatool: %s\n", error.c_str());
        return 1;
    }
    if (!WriteWholeFile(args.positional[1], archive)) {
        std::fprintf(stderr, "tvatool: cannot write %s\n", args.positional[1].c_str());
        return 1;
    }
    return 0;
}

// Visits every entry below the folder (an archive path ending in "\", or empty for the root).
template <typename Visit>
bool WalkArchive(OpenArchive* archive, const std::string& folder, Visit visit) {
    FindFileRecord found;
    ArchiveSearchRecord* search = ArchiveFindFirstEntry(archive, (folder + "*").c_str(), &found);
    if (search == nullptr) return true;
    bool ok = true;
    do {
        if (std::strcmp(found.name, ".") == 0 || std::strcmp(found.name, "..") == 0) continue;
        std::string path = folder + found.name;
        ok = visit(path, found);
        if (ok && found.isDirectory) ok = WalkArchive(archive, path + "\\", visit);
    } while (ok && ArchiveFindNextEntry(search, &found) == 0 && ++search->nextIndex > 0);
    FreeArchiveSearchRecord(search);
    return ok;
}

std::string ForDisk(const std::string& archiveName) {
    std::string utf8;
    return ShiftJisToUtf8(archiveName, &utf8) ? utf8 : archiveName;
}

std::string DiskPath(const std::string& archivePath) {
    std::string path = ForDisk(archivePath);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool ExtractFile(OpenArchive* archive, const std::string& path, const fs::path& target) {
    ArchiveFileState state;
    if (OpenArchiveFile(&state, archive, path.c_str(), 0) != 0) return false;
    std::vector<uint8_t> bytes(state.entry.size);
    int64_t got = bytes.empty() ? 0 : ReadArchiveFile(&state, bytes.data(), uint32_t(bytes.size()));
    CloseArchiveFile(&state);
    return got == int64_t(bytes.size()) && WriteWholeFile(target, bytes);
}

int ListOrExtract(const Arguments& args, bool extract) {
    if (args.positional.size() != (extract ? 2u : 1u)) return Usage();
    std::vector<uint8_t> image;
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    if (!ReadWholeFile(args.positional[0], &image) ||
        OpenArchiveFromMemory(&archive, image.data(), uint32_t(image.size()), args.options.keyString) != 0) {
        std::fprintf(stderr, "tvatool: not a readable archive: %s\n", args.positional[0].c_str());
        return 1;
    }
    bool ok = WalkArchive(&archive, "", [&](const std::string& path, const FindFileRecord& found) {
        if (!extract) {
            std::printf("%s%s\t%u\n", DiskPath(path).c_str(), found.isDirectory ? "/" : "", found.sizeLow);
            return true;
        }
        fs::path target = fs::path(args.positional[1]) / DiskPath(path);
        std::error_code ec;
        if (found.isDirectory) return fs::create_directories(target, ec) || !ec;
        fs::create_directories(target.parent_path(), ec);
        if (ExtractFile(&archive, path, target)) return true;
        std::fprintf(stderr, "tvatool: cannot extract %s\n", path.c_str());
        return false;
    });
    CloseArchive(&archive);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    Arguments args;
    if (!ParseArguments(argc, argv, &args)) return Usage();
    std::string command = argv[1];
    if (command == "pack") return Pack(args);
    if (command == "list") return ListOrExtract(args, false);
    if (command == "extract") return ListOrExtract(args, true);
    return Usage();
}
