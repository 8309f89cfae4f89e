#include "tools/archive/archive_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/core/files/archive_reader.h"
#include "engine/core/files/archive_tables.h"
#include "tools/archive/folder_tree.h"

namespace {

ArchiveWriterEntry File(const std::string& name, const std::string& text) {
    ArchiveWriterEntry e;
    e.name = name;
    e.data.assign(text.begin(), text.end());
    return e;
}

ArchiveWriterEntry Folder(const std::string& name, std::vector<ArchiveWriterEntry> children) {
    ArchiveWriterEntry e;
    e.name = name;
    e.isDirectory = true;
    e.children = std::move(children);
    return e;
}

TEST(ArchiveWriter, DirectoriesHoldConsecutiveChildrenAndParentLinks) {
    ArchiveWriterEntry root = Folder(
        "", {File("a", "1"), Folder("d1", {File("b", "2"), Folder("d2", {File("c", "3")})}), File("e", "4")});
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(BuildArchive(root, {}, &image, &error)) << error;
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    ASSERT_EQ(OpenArchiveFromMemory(&archive, image.data(), uint32_t(image.size()), nullptr), 0);
    ArchiveDirEntry dir;
    ASSERT_TRUE(GetArchiveDirEntry(&archive, 0, &dir));
    EXPECT_EQ(dir.parentOffset, 0xFFFFFFFFu);
    EXPECT_EQ(dir.entryCount, 3u);
    ArchiveFileEntry d1;
    ASSERT_TRUE(GetArchiveDirChild(&archive, dir, 1, &d1));
    EXPECT_EQ(d1.attributes & 0x10, 0x10u);
    ArchiveDirEntry inner;
    ASSERT_TRUE(GetArchiveDirEntry(&archive, d1.dataOffset, &inner));
    EXPECT_EQ(inner.parentOffset, 0u);
    EXPECT_EQ(inner.entryCount, 2u);
    EXPECT_EQ(inner.firstEntry, 3 * ArchiveFileEntrySize(5));
    CloseArchive(&archive);
}

TEST(ArchiveWriter, RefusesBadVersionsAndNames) {
    std::vector<uint8_t> image;
    std::string error;
    ArchiveWriteOptions options;
    options.version = 6;
    EXPECT_FALSE(BuildArchive(Folder("", {}), options, &image, &error));
    EXPECT_FALSE(BuildArchive(Folder("", {File("", "x")}), {}, &image, &error));
    EXPECT_FALSE(BuildArchive(Folder("", {File(std::string(300, 'n'), "x")}), {}, &image, &error));
}

TEST(FolderTree, ReadsAFolderSortedAndConvertsNamesToShiftJis) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "korvalund_folder_tree_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "b.txt") << "bee";
    std::ofstream(folder / "a.txt") << "ay";
    std::ofstream(folder / "sub" / "\xE3\x81\x82.txt") << "hiragana a";  // U+3042
    ArchiveWriterEntry root;
    std::string error;
    ASSERT_TRUE(ReadFolderTree(folder.string(), true, &root, &error)) << error;
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0].name, "a.txt");
    EXPECT_EQ(root.children[1].name, "b.txt");
    EXPECT_EQ(root.children[2].name, "sub");
    ASSERT_EQ(root.children[2].children.size(), 1u);
    EXPECT_EQ(root.children[2].children[0].name, "\x82\xA0.txt");
    EXPECT_EQ(root.children[0].lastWriteTime, 0u);
    std::filesystem::remove_all(folder);
}

}  // namespace
