#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/path_mapping.h"

namespace {

// Each test runs in a fresh folder that is also the current folder.
class KernelFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kernel_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        char* current = getcwd(nullptr, 0);
        previous_ = current;
        free(current);
        ASSERT_EQ(chdir(root_.c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_.c_str()), 0);
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    void Touch(const std::string& relative, const std::string& content = "") {
        std::ofstream(root_ + "/" + relative) << content;
    }
    std::string Read(const std::string& relative) {
        std::ifstream in(root_ + "/" + relative);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string root_, previous_;
};

TEST_F(KernelFiles, PathMappingTable) {
    mkdir((root_ + "/Data").c_str(), 0755);
    mkdir((root_ + "/Data/Map").c_str(), 0755);
    Touch("Data/Map/Stage1.DAT");
    // 表 (UTF-8 E8 A1 A8 on disk) is 0x95 0x5C in CP932: its trail byte is a backslash.
    Touch("Data/Map/\xE8\xA1\xA8.txt");
    struct Case {
        std::string windows, linux;
    };
    const Case cases[] = {
        {"data\\map\\stage1.dat", "Data/Map/Stage1.DAT"},
        {".\\DATA\\MAP\\STAGE1.DAT", "./Data/Map/Stage1.DAT"},
        {"data/map/stage1.dat", "Data/Map/Stage1.DAT"},
        {"C:" + root_ + "\\data\\Map\\stage1.dat", root_ + "/Data/Map/Stage1.DAT"},
        {"d:\\", "/"},
        {"data\\map\\new.bin", "Data/Map/new.bin"},                // missing last component kept as given
        {"data\\none\\Stage1.dat", "Data/none/Stage1.dat"},        // nothing looked up below a missing folder
        {"data\\map\\\x95\x5C.txt", "Data/Map/\xE8\xA1\xA8.txt"},  // CP932 name to UTF-8
    };
    for (const Case& c : cases) EXPECT_EQ(MapWindowsPath(c.windows), c.linux) << c.windows;
    EXPECT_EQ(ToWindowsPath("/usr/\xE8\xA1\xA8"), "C:\\usr\\\x95\x5C");
}

// A folder whose listing was read is found again as it now stands: after a change by anyone (its
// modification time moves on), and after the file layer's own creation and deletion even where the
// modification time reads as before (file times advance by the scheduler tick).
TEST_F(KernelFiles, CaseInsensitiveLookupsFollowFolderChanges) {
    mkdir((root_ + "/Data").c_str(), 0755);
    Touch("Data/Alpha.txt");
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    auto backdate = [&] { ASSERT_EQ(utimensat(AT_FDCWD, (root_ + "/Data").c_str(), past, 0), 0); };
    backdate();
    EXPECT_EQ(MapWindowsPath("DATA\\ALPHA.TXT"), "Data/Alpha.txt");
    EXPECT_EQ(MapWindowsPath("data\\beta.txt"), "Data/beta.txt");

    Touch("Data/BETA.txt");
    EXPECT_EQ(MapWindowsPath("data\\beta.txt"), "Data/BETA.txt") << "the folder's time moved on";

    backdate();
    EXPECT_EQ(MapWindowsPath("DATA\\GAMMA.TXT"), "Data/GAMMA.TXT");
    HANDLE file = CreateFileA("Data\\Gamma.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    backdate();
    EXPECT_EQ(MapWindowsPath("DATA\\GAMMA.TXT"), "Data/Gamma.txt") << "created through the file layer";

    ASSERT_TRUE(DeleteFileA("Data\\Alpha.txt"));
    backdate();
    EXPECT_EQ(MapWindowsPath("DATA\\ALPHA.TXT"), "Data/ALPHA.TXT") << "deleted through the file layer";
}

TEST_F(KernelFiles, OpenDispositions) {
    Touch("old.txt", "abc");
    HANDLE file =
        CreateFileA("OLD.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(Read("old.txt"), "abc");

    file = CreateFileA("old.txt", GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(file);

    file = CreateFileA("fresh.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    CloseHandle(file);

    EXPECT_EQ(CreateFileA("missing.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileA("nofolder\\x.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    file = CreateFileA("old.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(Read("old.txt"), "");

    file = CreateFileA("created.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

TEST_F(KernelFiles, SharingFlagsConflictAsOnWindows) {
    Touch("shared.bin", "x");
    HANDLE reader =
        CreateFileA("shared.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE secondReader =
        CreateFileA("SHARED.BIN", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(secondReader, INVALID_HANDLE_VALUE);
    HANDLE writer =
        CreateFileA("shared.bin", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA("shared.bin"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    CloseHandle(reader);
    CloseHandle(secondReader);
    writer = CreateFileA("shared.bin", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("shared.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    EXPECT_TRUE(DeleteFileA("Shared.bin"));
    EXPECT_EQ(access((root_ + "/shared.bin").c_str(), F_OK), -1);
}

TEST_F(KernelFiles, ReadWriteSeekAndSize) {
    HANDLE file = CreateFileA("data.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(GetFileSize(file, nullptr), 11u);
    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    EXPECT_TRUE(ReadFile(file, buffer, 16, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_TRUE(ReadFile(file, buffer, 4, &done, nullptr));  // at the end: success, nothing read
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 4u);
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 4u);
    EXPECT_EQ(high, 0);
    CloseHandle(file);

    HANDLE readOnly =
        CreateFileA("data.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(WriteFile(readOnly, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    FILETIME written{};
    EXPECT_TRUE(GetFileTime(readOnly, nullptr, nullptr, &written));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    EXPECT_LE(CompareFileTime(&written, &now), 0);
    CloseHandle(readOnly);
}

TEST_F(KernelFiles, FindOverAFolder) {
    mkdir((root_ + "/Sub").c_str(), 0755);
    Touch("Sub/b.BMP", "12345");
    Touch("Sub/a.bmp", "1");
    Touch("Sub/c.png");
    Touch("Sub/\xE8\xA1\xA8.bmp");  // 表.bmp in UTF-8 on disk
    mkdir((root_ + "/Sub/Inner").c_str(), 0755);

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA("sub\\*.bmp", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names{data.cFileName};
    std::vector<DWORD> sizes{data.nFileSizeLow};
    while (FindNextFileA(search, &data)) {
        names.push_back(data.cFileName);
        sizes.push_back(data.nFileSizeLow);
    }
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(names, (std::vector<std::string>{"a.bmp", "b.BMP", "\x95\x5C.bmp"}));
    EXPECT_EQ(sizes, (std::vector<DWORD>{1, 5, 0}));

    search = FindFirstFileA("SUB\\*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::set<std::string> directories;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) directories.insert(data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    EXPECT_EQ(directories, (std::set<std::string>{".", "..", "Inner"}));

    EXPECT_EQ(FindFirstFileA("sub\\*.jpg", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("nothere\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    search = FindFirstFileA("sub\\?.png", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "c.png");
    FindClose(search);
}

TEST_F(KernelFiles, CurrentFolderIsReportedInWindowsForm) {
    mkdir((root_ + "/Inner").c_str(), 0755);
    char buffer[MAX_PATH];
    EXPECT_TRUE(SetCurrentDirectoryA("inner"));
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string expected = "C:" + root_ + "/Inner";
    for (char& c : expected)
        if (c == '/') c = '\\';
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(GetCurrentDirectoryA(3, buffer), expected.size() + 1);
    EXPECT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    EXPECT_FALSE(SetCurrentDirectoryA("nowhere"));
}

TEST_F(KernelFiles, TempFileNamesAreCreatedUnique) {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    EXPECT_EQ(std::string(folder).substr(0, 2), "C:");
    EXPECT_EQ(std::string(folder).back(), '\\');
    char first[MAX_PATH], second[MAX_PATH];
    EXPECT_NE(GetTempFileNameA(".", "tmp", 0, first), 0u);
    EXPECT_NE(GetTempFileNameA(".", "tmp", 0, second), 0u);
    EXPECT_STRNE(first, second);
    EXPECT_EQ(GetFileAttributesA(first) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(std::string(first).substr(0, 5), ".\\tmp");
    EXPECT_TRUE(DeleteFileA(first));
    EXPECT_TRUE(DeleteFileA(second));
    EXPECT_FALSE(DeleteFileA(second));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    char named[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA("dir", "abcd", 0x1F, named), 0x1Fu);
    EXPECT_STREQ(named, "dir\\abc1F.TMP");
}

}  // namespace
