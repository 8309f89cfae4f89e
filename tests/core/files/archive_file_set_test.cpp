#include "engine/core/files/archive_file_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/kernel/kernel32.h"
#include "tests/core/files/archive_test_support.h"

namespace {

class ArchiveFileSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EndArchiveLayer();
        ASSERT_EQ(InitArchiveLayer(), 0);
        SetFileFunctionTable(nullptr);
        folder_.Write("data/a.png", Bytes("DISK-A"));
        folder_.Write("data/missing.png", Bytes("DISK-M"));
    }
    void TearDown() override {
        SetFileFunctionTable(nullptr);
        EndArchiveLayer();
    }
    void WriteArchive() {
        ArchiveWriterEntry root = FolderEntry(
            "",
            {FileEntry("a.png", Bytes("ARCH-A")), FolderEntry("sub", {FileEntry("b.txt", Bytes("ARCH-B"))})});
        folder_.Write("DATA.TVA", BuildOrDie(root, {}));
    }
    std::string Path(const std::string& name) const { return folder_.Windows(name); }
    // The whole content of a file through the jump functions; "<none>" when it does not open.
    std::string ReadAll(const std::string& name) {
        uintptr_t file = CallFileOpen(Path(name).c_str(), 0, 1, 0);
        if (file == 0) return "<none>";
        char buffer[64] = {};
        size_t got = CallFileRead(buffer, 1, sizeof(buffer), file);
        EXPECT_EQ(CallFileEof(file), 0);
        EXPECT_EQ(CallFileRead(buffer + got, 1, sizeof(buffer), file), 0u);
        EXPECT_EQ(CallFileEof(file), -1);
        EXPECT_EQ(CallFileClose(file), 0);
        return std::string(buffer, got);
    }
    int ArchiveIndex() {
        for (int i = 0; i < kArchiveTableSize; ++i)
            if (GetArchiveTableEntry(i) != nullptr) return i;
        return -1;
    }
    TempFolder folder_;
};

TEST_F(ArchiveFileSetTest, ArchiveNextToTheFolderStandsForIt) {
    WriteArchive();
    EXPECT_EQ(ReadAll("data\\a.png"), "ARCH-A");
    EXPECT_EQ(ReadAll("DATA\\A.PNG"), "ARCH-A");
    EXPECT_EQ(ReadAll("data/sub/b.txt"), "ARCH-B");
    EXPECT_EQ(ReadAll("data\\missing.png"), "<none>");  // not looked for on the disk
    int index = ArchiveIndex();
    ASSERT_GE(index, 0);
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 0u);  // the failed open gave its reference back
}

TEST_F(ArchiveFileSetTest, WithoutTheArchiveBothComeFromTheDisk) {
    EXPECT_EQ(ReadAll("data\\a.png"), "DISK-A");
    EXPECT_EQ(ReadAll("data\\missing.png"), "DISK-M");
    EXPECT_EQ(ReadAll("data\\none.png"), "<none>");
    EXPECT_EQ(ArchiveIndex(), -1);
}

TEST_F(ArchiveFileSetTest, PathCacheAndReferenceCounts) {
    WriteArchive();
    uintptr_t first = CallFileOpen(Path("data\\a.png").c_str(), 0, 1, 0);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first & kOpenFileTag, kOpenFileTag);
    int index = ArchiveIndex();
    ASSERT_GE(index, 0);
    const ArchivePathCache* cache = GetArchivePathCache();
    char folder[kFilePathLimit];
    ASSERT_EQ(MakeAbsolutePath(Path("data").c_str(), folder), 0);
    EXPECT_EQ(cache->folderLength, int(std::strlen(folder)));
    EXPECT_EQ(std::string(cache->archivePath), std::string(folder) + ".TVA");
    EXPECT_EQ(cache->index, index);
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 1u);

    // An archive standing for the parent folder would win a fresh scan (shorter folders come first);
    // the second open under data\ is served by the cache instead.
    std::string shadow = folder_.Linux() + ".TVA";
    ArchiveWriterEntry shadowRoot = FolderEntry(
        "",
        {FolderEntry(std::filesystem::path(folder_.Linux()).filename().string(),
                     {FolderEntry("data", {FolderEntry("sub", {FileEntry("b.txt", Bytes("SHADOW"))})})})});
    std::vector<uint8_t> shadowBytes = BuildOrDie(shadowRoot, {});
    std::ofstream(shadow, std::ios::binary)
        .write(reinterpret_cast<const char*>(shadowBytes.data()), std::streamsize(shadowBytes.size()));
    uintptr_t second = CallFileOpen(Path("data\\sub\\b.txt").c_str(), 0, 1, 0);
    std::filesystem::remove(shadow);
    ASSERT_NE(second, 0u);
    char content[8] = {};
    EXPECT_EQ(CallFileRead(content, 1, 6, second), 6u);
    EXPECT_STREQ(content, "ARCH-B");
    EXPECT_EQ(ArchiveIndex(), index);
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 2u);

    EXPECT_EQ(CallFileClose(first), 0);
    EXPECT_EQ(CallFileClose(first), -1);
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 1u);
    EXPECT_EQ(CallFileClose(second), 0);
    ASSERT_NE(GetArchiveTableEntry(index), nullptr);  // stays open, unused, until the layer ends
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 0u);
    EXPECT_EQ(EndArchiveLayer(), 0);
    EXPECT_EQ(GetArchiveTableEntry(index), nullptr);
    EXPECT_EQ(EndArchiveLayer(), -1);
    EXPECT_EQ(InitArchiveLayer(), 0);
    EXPECT_EQ(InitArchiveLayer(), -1);
}

// A folder found to hold no archive is not probed again until the library creates or deletes a name:
// an archive written behind the library's back stays unseen, one written through it is found at once.
TEST_F(ArchiveFileSetTest, AMissingArchiveIsRememberedUntilTheLibraryChangesAName) {
    EXPECT_EQ(ReadAll("data\\a.png"), "DISK-A");
    WriteArchive();  // not through the library
    EXPECT_EQ(ReadAll("data\\a.png"), "DISK-A");

    HANDLE made = CreateFileA(Path("made.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    EXPECT_EQ(ReadAll("data\\a.png"), "ARCH-A");
}

// One listing of a folder that finds no archive in it answers for every folder inside it: an archive for
// a sibling folder written behind the library's back stays unseen as well, until the library changes a
// name; a folder that holds an archive still has its folders' archives found.
TEST_F(ArchiveFileSetTest, AFolderFoundWithoutArchivesAnswersForEveryFolderInIt) {
    folder_.Write("other/a.png", Bytes("DISK-O"));
    EXPECT_EQ(ReadAll("data\\a.png"), "DISK-A");
    folder_.Write("OTHER.TVA", BuildOrDie(FolderEntry("", {FileEntry("a.png", Bytes("ARCH-O"))}), {}));
    EXPECT_EQ(ReadAll("other\\a.png"), "DISK-O");

    HANDLE made = CreateFileA(Path("made.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    EXPECT_EQ(ReadAll("other\\a.png"), "ARCH-O");
    WriteArchive();  // not through the library, beside OTHER.TVA: the folder is not remembered as empty
    EXPECT_EQ(ReadAll("data\\a.png"), "ARCH-A");
}

std::vector<std::string> FindAll(const std::string& pattern) {
    std::vector<std::string> names;
    FindFileRecord found;
    FileAccessTable* table = GetFileFunctionTable();
    intptr_t search = table->findFirst(pattern.c_str(), &found);
    if (search == -1) return names;
    do names.push_back(found.name);
    while (table->findNext(search, &found) == 0);
    EXPECT_EQ(table->findClose(search), 0);
    return names;
}

TEST_F(ArchiveFileSetTest, SearchesLookInsideTheArchive) {
    WriteArchive();
    using Names = std::vector<std::string>;
    EXPECT_EQ(FindAll(Path("data\\*")), (Names{".", "a.png", "sub"}));
    EXPECT_EQ(FindAll(Path("data\\sub\\*")), (Names{".", "..", "b.txt"}));
    EXPECT_EQ(FindAll(Path("data\\*.png")), (Names{"a.png"}));
    EXPECT_EQ(FindAll(Path("data\\*.gif")), Names{});
    int index = ArchiveIndex();
    ASSERT_GE(index, 0);
    EXPECT_EQ(GetArchiveTableEntry(index)->referenceCount, 0u);
}

TEST_F(ArchiveFileSetTest, SearchesWithoutAnArchiveGoToTheDisk) {
    std::vector<std::string> names = FindAll(Path("data\\*.png"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.png", "missing.png"}));
}

TEST_F(ArchiveFileSetTest, SeekTellAndIdleWorkOnBothKinds) {
    WriteArchive();
    folder_.Write("plain/c.txt", Bytes("PLAIN-C"));
    const struct {
        const char* name;
        int64_t size;
        const char* tail;
    } cases[] = {{"data\\a.png", 6, "-A"}, {"plain\\c.txt", 7, "-C"}};  // "ARCH-A" in the archive, "PLAIN-C"
    for (const auto& c : cases) {
        uintptr_t file = CallFileOpen(Path(c.name).c_str(), 0, 1, 0);
        ASSERT_NE(file, 0u) << c.name;
        EXPECT_EQ(CallFileIdle(file), 1);
        EXPECT_EQ(CallFileSeek(file, -2, SEEK_ORIGIN_END), 0);
        EXPECT_EQ(CallFileTell(file), c.size - 2) << c.name;
        char tail[3] = {};
        EXPECT_EQ(CallFileRead(tail, 2, 1, file), 1u);
        EXPECT_EQ(CallFileTell(file), c.size) << c.name;
        EXPECT_EQ(std::string(tail), c.tail);
        EXPECT_EQ(CallFileClose(file), 0);
    }
    EXPECT_EQ(CallFileTell(kOpenFileTag | 5), -1);
    EXPECT_EQ(CallFileEof(kOpenFileTag | 5), -1);
}

TEST_F(ArchiveFileSetTest, AnotherTableReplacesTheDefaultSet) {
    WriteArchive();
    SetFileFunctionTable(GetPlainFileFunctionTable());
    EXPECT_EQ(ReadAll("data\\a.png"), "DISK-A");
    SetFileFunctionTable(nullptr);
    EXPECT_EQ(ReadAll("data\\a.png"), "ARCH-A");
}

}  // namespace

namespace {

TEST(FileAccessTable, EmptySlotsOfAReplacementKeepTheDefaultFunctions) {
    FileAccessTable partial = {};
    partial.tell = [](uintptr_t) -> int64_t { return 4242; };
    SetFileFunctionTable(&partial);
    EXPECT_EQ(CallFileTell(1), 4242);
    EXPECT_EQ(GetFileFunctionTable()->open, GetArchiveFileFunctionTable()->open);
    EXPECT_EQ(GetFileFunctionTable()->findClose, GetArchiveFileFunctionTable()->findClose);
    SetFileFunctionTable(nullptr);
    EXPECT_EQ(GetFileFunctionTable()->tell, GetArchiveFileFunctionTable()->tell);
}

}  // namespace
