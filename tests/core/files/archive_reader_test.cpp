#include "engine/core/files/archive_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "engine/core/files/archive_key.h"
#include "tests/core/files/archive_test_support.h"

namespace {

enum OpenMode { STREAMED, WHOLE_FILE, MEMORY, STREAMED_BACKGROUND };

const char* ModeName(int mode) {
    static const char* names[] = {"Streamed", "WholeFile", "Memory", "StreamedBackground"};
    return names[mode];
}

// Opens an archive image in one of the modes; keeps what the archive needs alive.
class ArchiveUnderTest {
  public:
    ArchiveUnderTest(const std::vector<uint8_t>& image, int mode, const char* keyString = nullptr)
        : image_(image), mode_(mode) {
        ClearArchiveRecord(&archive);
        if (mode == MEMORY) {
            result = OpenArchiveFromMemory(&archive, image_.data(), uint32_t(image_.size()), keyString);
            return;
        }
        folder_.Write("test.tva", image_);
        std::string path = folder_.Windows("test.tva");
        result = mode == WHOLE_FILE ? OpenArchiveIntoMemory(&archive, path.c_str(), keyString, 0)
                                    : OpenArchiveStreamed(&archive, path.c_str(), keyString);
    }
    ~ArchiveUnderTest() { CloseArchive(&archive); }
    int Background() const { return mode_ == STREAMED_BACKGROUND ? 1 : 0; }
    std::vector<uint8_t>& Image() { return image_; }

    OpenArchive archive;
    int result = -1;

  private:
    TempFolder folder_;
    std::vector<uint8_t> image_;
    int mode_;
};

// Reads a whole file of the archive in pieces of the given size; empty with ok false on failure.
std::vector<uint8_t> ReadInPieces(ArchiveUnderTest& t, const char* path, uint32_t piece, bool* ok) {
    ArchiveFileState state;
    std::vector<uint8_t> out;
    *ok = OpenArchiveFile(&state, &t.archive, path, t.Background()) == 0;
    if (!*ok) return out;
    std::vector<uint8_t> buffer(piece);
    for (;;) {
        int64_t got = ReadArchiveFile(&state, buffer.data(), piece);
        if (got < 0) *ok = false;
        if (got <= 0) break;
        PollArchiveFileRead(&state);
        while (PollArchiveFileRead(&state) == 0) {
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
    *ok = *ok && EofArchiveFile(&state) == -1;
    CloseArchiveFile(&state);
    return out;
}

using MatrixParam = std::tuple<int, bool, int, int>;  // version, packed, mode, key

class ArchiveRoundTrip : public ::testing::TestWithParam<MatrixParam> {};

TEST_P(ArchiveRoundTrip, EveryFileReadsBackByteExact) {
    auto [version, packed, mode, key] = GetParam();
    ArchiveWriteOptions options;
    options.version = version;
    options.pack = packed;
    options.key = ArchiveWriterKey(key);
    ArchiveWriterEntry tree = SampleTree();
    ArchiveUnderTest t(BuildOrDie(tree, options), mode);
    ASSERT_EQ(t.result, 0);
    EXPECT_EQ(t.archive.header.version, version);
    struct Expected {
        const char* path;
        std::vector<uint8_t> bytes;
    } files[] = {{"a.png", tree.children[0].data},
                 {"Mixed.Txt", tree.children[1].data},
                 {"sub\\deep.bin", tree.children[2].children[0].data},
                 {"sub/inner/x.dat", Bytes("xyz")},
                 {"sub\\empty", {}}};
    for (const Expected& f : files) {
        bool ok = false;
        EXPECT_EQ(ReadInPieces(t, f.path, 1 << 20, &ok), f.bytes) << f.path;
        EXPECT_TRUE(ok) << f.path;
        EXPECT_EQ(ReadInPieces(t, f.path, 3, &ok), f.bytes) << f.path << " in 3-byte pieces";
        EXPECT_TRUE(ok) << f.path;
    }
}

INSTANTIATE_TEST_SUITE_P(VersionsPackingModesKeys, ArchiveRoundTrip,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Bool(),
                                            ::testing::Values(STREAMED, WHOLE_FILE, MEMORY,
                                                              STREAMED_BACKGROUND),
                                            ::testing::Values(0, 1)),
                         [](const ::testing::TestParamInfo<MatrixParam>& info) {
                             return "V" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "Packed" : "Plain") +
                                    ModeName(std::get<2>(info.param)) +
                                    (std::get<3>(info.param) ? "FallbackKey" : "BuiltKey");
                         });

size_t OpenDescriptorCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

// Members of a streamed archive read through the archive's one handle, each from its own position:
// two open at once, read in turns in small pieces, both come back exact and no descriptor is opened
// for them.
TEST(ArchiveReader, StreamedMembersShareTheArchiveHandleAndKeepTheirOwnPositions) {
    ArchiveWriteOptions options;
    options.pack = false;
    ArchiveWriterEntry tree = SampleTree();
    ArchiveUnderTest t(BuildOrDie(tree, options), STREAMED);
    ASSERT_EQ(t.result, 0);
    const size_t before = OpenDescriptorCount();
    ArchiveFileState a, b;
    ASSERT_EQ(OpenArchiveFile(&a, &t.archive, "a.png", 0), 0);
    ASSERT_EQ(OpenArchiveFile(&b, &t.archive, "sub\\deep.bin", 0), 0);
    EXPECT_EQ(OpenDescriptorCount(), before);
    std::vector<uint8_t> gotA, gotB;
    uint8_t piece[7];
    for (bool more = true; more;) {
        int64_t n = ReadArchiveFile(&a, piece, sizeof piece);
        ASSERT_GE(n, 0);
        gotA.insert(gotA.end(), piece, piece + n);
        int64_t k = ReadArchiveFile(&b, piece, sizeof piece);
        ASSERT_GE(k, 0);
        gotB.insert(gotB.end(), piece, piece + k);
        more = n > 0 || k > 0;
    }
    EXPECT_EQ(gotA, tree.children[0].data);
    EXPECT_EQ(gotB, tree.children[2].children[0].data);
    CloseArchiveFile(&a);
    CloseArchiveFile(&b);
}

TEST(ArchiveReader, KeyStringArchiveOpensOnlyWithThatString) {
    ArchiveWriteOptions options;
    options.keyString = "secret";
    std::vector<uint8_t> image = BuildOrDie(SampleTree(), options);
    ArchiveUnderTest right(image, MEMORY, "secret");
    EXPECT_EQ(right.result, 0);
    ArchiveUnderTest wrong(image, MEMORY, nullptr);
    EXPECT_EQ(wrong.result, -1);
    EXPECT_EQ(wrong.Image(), image);
}

TEST(ArchiveReader, NamesAreFoundWhateverTheirAsciiCase) {
    ArchiveUnderTest t(BuildOrDie(SampleTree(), {}), MEMORY);
    ASSERT_EQ(t.result, 0);
    ArchiveFileEntry a, b, c;
    ASSERT_EQ(FindArchiveFileEntry("A.PNG", &t.archive, &a), 0);
    ASSERT_EQ(FindArchiveFileEntry("a.png", &t.archive, &b), 0);
    ASSERT_EQ(FindArchiveFileEntry("A.png", &t.archive, &c), 0);
    EXPECT_EQ(a.dataOffset, b.dataOffset);
    EXPECT_EQ(a.dataOffset, c.dataOffset);
    EXPECT_EQ(FindArchiveFileEntry("SUB\\Inner\\X.DAT", &t.archive, &a), 0);
    EXPECT_EQ(a.size, 3u);
}

TEST(ArchiveReader, LookupsOfDirectoriesAndMissingNamesFailAndKeepTheCurrentDirectory) {
    ArchiveUnderTest t(BuildOrDie(SampleTree(), {}), MEMORY);
    ASSERT_EQ(t.result, 0);
    ArchiveFileEntry entry;
    const char* misses[] = {"sub",      "sub\\inner", "missing.png", "sub\\missing",
                            "a.png\\x", "sub\\",      "nope\\a.png"};
    for (const char* path : misses) {
        EXPECT_EQ(FindArchiveFileEntry(path, &t.archive, &entry), -1) << path;
        EXPECT_EQ(t.archive.currentDir, 0u) << path;
    }
    ASSERT_EQ(ChangeArchiveDirectory(&t.archive, "sub\\inner", 1, nullptr), 0);
    uint32_t inner = t.archive.currentDir;
    EXPECT_EQ(FindArchiveFileEntry("x.dat", &t.archive, &entry), 0);
    EXPECT_EQ(ChangeArchiveDirectory(&t.archive, "..\\nothing", 1, nullptr), -1);
    EXPECT_EQ(t.archive.currentDir, inner);
    EXPECT_EQ(ChangeArchiveDirectory(&t.archive, "..", 1, nullptr), 0);
    EXPECT_EQ(FindArchiveFileEntry("deep.bin", &t.archive, &entry), 0);
    EXPECT_EQ(ChangeArchiveDirectory(&t.archive, "\\", 1, nullptr), 0);
    EXPECT_EQ(t.archive.currentDir, 0u);
    EXPECT_EQ(ChangeArchiveDirectory(&t.archive, "..", 1, nullptr), -1);
}

std::vector<std::string> SearchNames(OpenArchive* archive, const char* pattern) {
    std::vector<std::string> names;
    FindFileRecord found;
    ArchiveSearchRecord* record = ArchiveFindFirstEntry(archive, pattern, &found);
    if (record == nullptr) return names;
    do {
        names.push_back(std::string(found.name) + (found.isDirectory ? "/" : ""));
    } while (ArchiveFindNextEntry(record, &found) == 0 && ++record->nextIndex);
    FreeArchiveSearchRecord(record);
    return names;
}

TEST(ArchiveReader, SearchesListPseudoEntriesFirstThenTableOrder) {
    ArchiveUnderTest t(BuildOrDie(SampleTree(), {}), MEMORY);
    ASSERT_EQ(t.result, 0);
    using Names = std::vector<std::string>;
    EXPECT_EQ(SearchNames(&t.archive, "*"), (Names{"./", "a.png", "Mixed.Txt", "sub/"}));
    EXPECT_EQ(SearchNames(&t.archive, "sub\\*"), (Names{"./", "../", "deep.bin", "inner/", "empty"}));
    EXPECT_EQ(SearchNames(&t.archive, "*.png"), (Names{"a.png"}));
    EXPECT_EQ(SearchNames(&t.archive, "*.TXT"), (Names{"Mixed.Txt"}));
    EXPECT_EQ(SearchNames(&t.archive, "sub\\?????"), (Names{"inner/", "empty"}));
    EXPECT_EQ(SearchNames(&t.archive, "*.gif"), Names{});
    EXPECT_EQ(SearchNames(&t.archive, "nothing\\*"), Names{});
}

TEST(ArchiveReader, SearchReportsSizeAndTimes) {
    ArchiveUnderTest t(BuildOrDie(SampleTree(), {}), MEMORY);
    ASSERT_EQ(t.result, 0);
    FindFileRecord found;
    ArchiveSearchRecord* record = ArchiveFindFirstEntry(&t.archive, "a.PNG", &found);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(found.name, "a.png");
    EXPECT_EQ(found.sizeLow, 3000u);
    EXPECT_EQ(found.isDirectory, 0u);
    EXPECT_GE(found.lastWriteTime[0], 2022);
    EXPECT_LE(found.lastWriteTime[0], 2023);
    FreeArchiveSearchRecord(record);
}

TEST(ArchiveReader, SeekPastTheEndGivesTheSizeThenAnEmptyReadSetsTheEndFlag) {
    for (int mode : {STREAMED, MEMORY}) {
        ArchiveUnderTest t(BuildOrDie(SampleTree(), {}), mode);
        ASSERT_EQ(t.result, 0);
        ArchiveFileState state;
        ASSERT_EQ(OpenArchiveFile(&state, &t.archive, "Mixed.Txt", 0), 0);
        EXPECT_EQ(SeekArchiveFile(&state, 100, SEEK_ORIGIN_START), 0);
        EXPECT_EQ(TellArchiveFile(&state), 15);
        char buffer[8];
        EXPECT_EQ(EofArchiveFile(&state), 0);
        EXPECT_EQ(ReadArchiveFile(&state, buffer, 8), 0);
        EXPECT_EQ(EofArchiveFile(&state), -1);
        EXPECT_EQ(SeekArchiveFile(&state, -3, SEEK_ORIGIN_END), 0);
        EXPECT_EQ(EofArchiveFile(&state), 0);
        EXPECT_EQ(ReadArchiveFile(&state, buffer, 8), 3);
        EXPECT_EQ(std::memcmp(buffer, "ve!", 3), 0);
        EXPECT_EQ(SeekArchiveFile(&state, -100, SEEK_ORIGIN_CURRENT), 0);
        EXPECT_EQ(TellArchiveFile(&state), 0);
        CloseArchiveFile(&state);
    }
}

TEST(ArchiveReader, CallersImageIsScrambledBackByteExactOnClose) {
    for (int version = 0; version <= 5; ++version) {
        ArchiveWriteOptions options;
        options.version = version;
        std::vector<uint8_t> original = BuildOrDie(SampleTree(), options);
        std::vector<uint8_t> image = original;
        OpenArchive archive;
        ClearArchiveRecord(&archive);
        ASSERT_EQ(OpenArchiveFromMemory(&archive, image.data(), uint32_t(image.size()), nullptr), 0);
        EXPECT_NE(image, original) << "descrambled in place, version " << version;
        EXPECT_EQ(GetArchiveMemoryImage(&archive), image.data());
        uint32_t position = 0, size = 0;
        ASSERT_EQ(GetArchiveFileLocation(&archive, "mixed.txt", &position, &size), 0);
        EXPECT_EQ(size, 15u);
        if (version < 2) {
            EXPECT_EQ(std::memcmp(image.data() + position, "Hello, archive!", 15), 0);
        }
        CloseArchive(&archive);
        EXPECT_EQ(image, original) << "version " << version;
    }
}

TEST(ArchiveReader, WrongMagicOrVersionFailsAndLeavesTheImageUntouched) {
    std::vector<uint8_t> good = BuildOrDie(SampleTree(), {});
    uint8_t key[kArchiveKeySize];
    MakeArchiveKey(nullptr, key);
    struct Case {
        const char* what;
        int offset;
        uint8_t plainValue;
    } cases[] = {{"magic", 0, 'X'}, {"version 6", 2, 6}, {"version 255", 2, 255}};
    for (const Case& c : cases) {
        std::vector<uint8_t> image = good;
        image[c.offset] = c.plainValue ^ key[c.offset];
        std::vector<uint8_t> before = image;
        ArchiveUnderTest t(image, MEMORY);
        EXPECT_EQ(t.result, -1) << c.what;
        EXPECT_EQ(t.Image(), before) << c.what;
        ArchiveUnderTest streamed(image, STREAMED);
        EXPECT_EQ(streamed.result, -1) << c.what;
    }
}

TEST(ArchiveReader, WholeFileModeCanReturnAtOnceAndFinishLater) {
    TempFolder folder;
    folder.Write("w.tva", BuildOrDie(SampleTree(), {}));
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    ASSERT_EQ(OpenArchiveIntoMemory(&archive, folder.Windows("w.tva").c_str(), nullptr, 1), 0);
    ArchiveFileEntry entry;
    EXPECT_EQ(FindArchiveFileEntry("sub\\inner\\x.dat", &archive, &entry), 0);
    EXPECT_EQ(PollArchiveLoad(&archive), 1);
    CloseArchive(&archive);
}

TEST(ArchiveReader, MissingArchiveFileFailsToOpen) {
    TempFolder folder;
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    EXPECT_EQ(OpenArchiveStreamed(&archive, folder.Windows("none.tva").c_str(), nullptr), -1);
    EXPECT_EQ(OpenArchiveIntoMemory(&archive, folder.Windows("none.tva").c_str(), nullptr, 0), -1);
    EXPECT_EQ(CloseArchive(&archive), 0);
}

}  // namespace
