// Opening and reading a small data file through the library's archive-aware file set, beside a plain
// POSIX open, read and close of the same file: a name as written, a name in another case (looked up
// ignoring case), and a member of a streamed archive standing for its folder; and the first open in a
// folder (cold: its folder not yet remembered).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) { folder_.Write(name, bytes); }
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

// One open, read and close through the file set; false (the benchmark stopped) when it does not open.
bool FileSetReadOnce(benchmark::State& state, const std::string& path, std::vector<char>& buffer) {
    uintptr_t file = CallFileOpen(path.c_str(), 0, 1, 0);
    if (file == 0) {
        state.SkipWithError("the file did not open");
        return false;
    }
    benchmark::DoNotOptimize(CallFileRead(buffer.data(), 1, buffer.size(), file));
    CallFileClose(file);
    return true;
}

void FileSetOpenRead(benchmark::State& state, const char* name) {
    const std::string path = Tree().Windows(name);
    std::vector<char> buffer(kFileBytes);
    for (auto _ : state)
        if (!FileSetReadOnce(state, path, buffer)) break;
}
// The first open in a folder: each open reads stage.bin from a folder not opened before, beside the
// folders opened already (the file set then knows the folders above it), through the names as written
// and in another case. The folders are made before the timed opens, outside the library.
constexpr int kFirstOpens = 500;

// A new batch of kFirstOpens folders f<i> holding stage.bin; its name inside the tree.
std::string MakeFirstOpenBatch() {
    static int run = 0;
    const std::string batch = "game/plain/data/first" + std::to_string(run++);
    for (int i = 0; i < kFirstOpens; ++i)
        Tree().Write(batch + "/f" + std::to_string(i) + "/stage.bin", PatternBytes(kFileBytes, 9));
    // A folder's listing is kept once it has not changed for a moment.
    usleep(100000);
    return batch;
}

void PosixFirstOpenInFolder(benchmark::State& state) {
    const std::string folder = Tree().Linux(MakeFirstOpenBatch());
    std::vector<char> buffer(kFileBytes);
    int i = 0;
    for (auto _ : state) {
        const std::string path = folder + "/f" + std::to_string(i++) + "/stage.bin";
        int fd = open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
        close(fd);
    }
}
BENCHMARK(PosixFirstOpenInFolder)->Iterations(kFirstOpens);

void FileSetFirstOpenInFolder(benchmark::State& state, bool otherCase) {
    const std::string folder = Tree().Windows(MakeFirstOpenBatch());
    std::vector<char> buffer(kFileBytes);
    int i = 0;
    for (auto _ : state) {
        std::string path = folder + "\\f" + std::to_string(i++) + "\\stage.bin";
        if (otherCase) std::transform(path.begin(), path.end(), path.begin(), ::toupper);
        if (!FileSetReadOnce(state, path, buffer)) break;
    }
}
BENCHMARK_CAPTURE(FileSetFirstOpenInFolder, as_written, false)->Iterations(kFirstOpens);
BENCHMARK_CAPTURE(FileSetFirstOpenInFolder, other_case, true)->Iterations(kFirstOpens);

BENCHMARK_CAPTURE(FileSetOpenRead, plain_folder, "game\\plain\\data\\map\\stage.bin");
BENCHMARK_CAPTURE(FileSetOpenRead, other_case, "GAME\\PLAIN\\DATA\\MAP\\STAGE.BIN");
BENCHMARK_CAPTURE(FileSetOpenRead, streamed_archive, "game\\packed\\data\\map\\stage.bin");

}  // namespace
