// Opening and reading a small data file through the library's archive-aware file set, beside a plain
// POSIX open, read and close of the same file: a name as written, a name in another case (looked up
// ignoring case), and a member of a streamed archive standing for its folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/core/files/archive_file_set.h"
#include "tests/core/files/archive_test_support.h"

namespace {

constexpr size_t kFileBytes = 4096;

// A game-like tree a few folders below the temporary folder: plain\data\map\stage.bin, and
// packed\data.TVA holding map\stage.bin.
class BenchTree {
  public:
    BenchTree() {
        folder_.Write("game/plain/data/map/stage.bin", PatternBytes(kFileBytes, 7));
        folder_.Write("game/plain/data/map/other.bin", PatternBytes(kFileBytes, 8));
        ArchiveWriterEntry root =
            FolderEntry("", {FolderEntry("map", {FileEntry("stage.bin", PatternBytes(kFileBytes, 7))})});
        folder_.Write("game/packed/data.TVA", BuildOrDie(root, {}));
        SetFileFunctionTable(nullptr);
    }
    std::string Linux(const std::string& name) const { return folder_.Linux(name); }
    std::string Windows(const std::string& name) const { return folder_.Windows(name); }

  private:
    TempFolder folder_;
};

BenchTree& Tree() {
    static BenchTree tree;
    return tree;
}

void PosixOpenRead(benchmark::State& state) {
    const std::string path = Tree().Linux("game/plain/data/map/stage.bin");
    std::vector<char> buffer(kFileBytes);
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
        close(fd);
    }
}
BENCHMARK(PosixOpenRead);

void FileSetOpenRead(benchmark::State& state, const char* name) {
    const std::string path = Tree().Windows(name);
    std::vector<char> buffer(kFileBytes);
    for (auto _ : state) {
        uintptr_t file = CallFileOpen(path.c_str(), 0, 1, 0);
        if (file == 0) {
            state.SkipWithError("the file did not open");
            break;
        }
        benchmark::DoNotOptimize(CallFileRead(buffer.data(), 1, buffer.size(), file));
        CallFileClose(file);
    }
}
BENCHMARK_CAPTURE(FileSetOpenRead, plain_folder, "game\\plain\\data\\map\\stage.bin");
BENCHMARK_CAPTURE(FileSetOpenRead, other_case, "GAME\\PLAIN\\DATA\\MAP\\STAGE.BIN");
BENCHMARK_CAPTURE(FileSetOpenRead, streamed_archive, "game\\packed\\data\\map\\stage.bin");

}  // namespace
