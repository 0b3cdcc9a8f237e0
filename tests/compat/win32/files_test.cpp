// File handles, folders, searches, temporary names and their error codes.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

// A fresh folder under the host's temporary folder, removed afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char host[] = "/tmp/calvetta_files_XXXXXX";
    ASSERT_NE(mkdtemp(host), nullptr);
    host_ = host;
    folder_ = compat::FromHostPath(host_);
  }
  void TearDown() override {
    std::string command = "rm -rf '" + host_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  std::u16string Path(const std::u16string& name) const { return folder_ + u"\\" + name; }

  void WriteText(const std::u16string& name, const std::string& text) {
    HANDLE file = CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    EXPECT_EQ(written, text.size());
    CloseHandle(file);
  }

  std::string host_;
  std::u16string folder_;
};

}  // namespace

TEST_F(FilesTest, WriteReadSeekAndSize) {
  WriteText(u"a.bin", "0123456789");
  HANDLE file = CreateFileW(Path(u"a.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(file, nullptr), 10u);
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
  char buffer[16] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 4u);
  EXPECT_STREQ(buffer, "6789");
  EXPECT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));  // end of file: success, no bytes
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  FILETIME written;
  EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  SYSTEMTIME st;
  FileTimeToSystemTime(&written, &st);
  EXPECT_GE(st.wYear, 2024);
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_TRUE(GetFileInformationByHandle(file, &info));
  EXPECT_EQ(info.nFileSizeLow, 10u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, DispositionsReportWhatExisted) {
  std::u16string name = Path(u"d.txt");
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  file = CreateFileW(Path(u"no\\such.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(file);
  EXPECT_EQ(CreateFileW(folder_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FilesTest, FoldersAttributesMovesAndCopies) {
  EXPECT_TRUE(CreateDirectoryW(Path(u"sub").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(Path(u"sub").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(Path(u"x\\y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(GetFileAttributesW(Path(u"sub").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(Path(u"none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  WriteText(u"sub\\f.txt", "data");
  EXPECT_FALSE(GetFileAttributesW(Path(u"sub\\f.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(RemoveDirectoryW(Path(u"sub").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));

  WriteText(u"other.txt", "other");
  EXPECT_FALSE(MoveFileW(Path(u"sub\\f.txt").c_str(), Path(u"other.txt").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(MoveFileW(Path(u"sub\\f.txt").c_str(), Path(u"moved.txt").c_str()));
  EXPECT_FALSE(CopyFileW(Path(u"moved.txt").c_str(), Path(u"other.txt").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_TRUE(CopyFileW(Path(u"moved.txt").c_str(), Path(u"other.txt").c_str(), FALSE));
  HANDLE file = CreateFileW(Path(u"other.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(GetFileSize(file, nullptr), 4u);
  CloseHandle(file);

  EXPECT_TRUE(DeleteFileW(Path(u"moved.txt").c_str()));
  EXPECT_FALSE(DeleteFileW(Path(u"moved.txt").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(Path(u"sub").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // A folder opens only with backup semantics, enough to flush its entries;
  // a named pipe is a device, not a file.
  EXPECT_EQ(CreateFileW(Path(u"sub").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  HANDLE folder =
      CreateFileW(Path(u"sub").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FlushFileBuffers(folder));
  CloseHandle(folder);
  ASSERT_EQ(mkfifo((host_ + "/pipe").c_str(), 0600), 0);
  EXPECT_EQ(GetFileAttributesW(Path(u"pipe").c_str()) & (FILE_ATTRIBUTE_DIRECTORY | 0x40u), 0x40u);
  EXPECT_EQ(GetFileAttributesW(Path(u"other.txt").c_str()) & 0x40u, 0u);
  EXPECT_TRUE(RemoveDirectoryW(Path(u"sub").c_str()));
  EXPECT_EQ(_waccess(Path(u"other.txt").c_str(), 0), 0);
  EXPECT_EQ(_waccess(Path(u"sub").c_str(), 0), -1);
}

TEST_F(FilesTest, FindMatchesPatternsWithoutRegardToCase) {
  for (const char16_t* name : {u"a.BMP", u"b.bmp", u"c.jpg", u"noext", u"ab.bmpx"}) WriteText(name, "x");
  CreateDirectoryW(Path(u"Folder").c_str(), nullptr);
  auto find = [&](const std::u16string& pattern) {
    std::set<std::u16string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(Path(pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(data.cFileName);
    while (FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    return names;
  };
  EXPECT_EQ(find(u"*.bmp"), (std::set<std::u16string>{u"a.BMP", u"b.bmp"}));
  EXPECT_EQ(find(u"?.???"), (std::set<std::u16string>{u"a.BMP", u"b.bmp", u"c.jpg"}));
  EXPECT_EQ(find(u"noext.*"), (std::set<std::u16string>{u"noext"}));
  EXPECT_EQ(find(u"*").size(), 8u);  // with "." and ".."
  EXPECT_EQ(find(u"folder"), (std::set<std::u16string>{u"Folder"}));
  WIN32_FIND_DATAW data;
  ASSERT_NE(FindFirstFileW(Path(u"b.bmp").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1u);
  EXPECT_EQ(FindFirstFileW(Path(u"*.gif").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW(Path(u"gone\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesTest, TempNamesAreUniqueAndCreated) {
  WCHAR first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileNameW(folder_.c_str(), u"cmXYZ", 0, first);
  UINT b = GetTempFileNameW(folder_.c_str(), u"cmXYZ", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(std::u16string(first), std::u16string(second));
  EXPECT_NE(GetFileAttributesW(first), INVALID_FILE_ATTRIBUTES);  // created, so the name stays ours
  std::u16string name = first;
  EXPECT_EQ(name.substr(0, folder_.size() + 4), folder_ + u"\\cmX");
  EXPECT_EQ(name.substr(name.size() - 4), u".TMP");
  EXPECT_EQ(GetTempFileNameW(folder_.c_str(), u"p", 0x1AB, first), 0x1ABu);
  EXPECT_EQ(std::u16string(first), folder_ + u"\\p1AB.TMP");
  EXPECT_EQ(GetFileAttributesW(first), INVALID_FILE_ATTRIBUTES);  // a given number creates nothing
  EXPECT_EQ(GetTempFileNameW(Path(u"none").c_str(), u"p", 0, first), 0u);

  WCHAR temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(temp[length - 1], u'\\');
  EXPECT_EQ(GetTempPathW(1, temp), length + 1);  // the size needed
}

TEST_F(FilesTest, ModuleFullAndCurrentPaths) {
  WCHAR module[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(module[0], u'\\');
  EXPECT_NE(std::u16string(module).find(u"test_compat_win32"), std::u16string::npos);
  EXPECT_EQ(GetModuleFileNameW(nullptr, module, 4), 4u);
  EXPECT_EQ(module[3], 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  WCHAR full[MAX_PATH];
  LPWSTR part = nullptr;
  DWORD n = GetFullPathNameW(u"C:\\a\\.\\b\\..\\c.txt", MAX_PATH, full, &part);
  EXPECT_EQ(std::u16string(full), u"C:\\a\\c.txt");
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(std::u16string(part), u"c.txt");
  EXPECT_EQ(GetFullPathNameW(u"\\x\\y", 2, full, nullptr), 5u);  // the size needed

  WCHAR saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  WCHAR current[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, current), folder_.size());
  GetFullPathNameW(u"rel.txt", MAX_PATH, full, nullptr);
  EXPECT_EQ(std::u16string(full), folder_ + u"\\rel.txt");
  SetCurrentDirectoryW(saved);
}

TEST_F(FilesTest, RuntimeFileCallsTakeWidePathsAndModes) {
  FILE* file = _wfopen(Path(u"\u00e9t\u00e9.txt").c_str(), u"wt");
  ASSERT_NE(file, nullptr);
  fputs("hello", file);
  fclose(file);
  EXPECT_EQ(access((host_ + "/\xc3\xa9t\xc3\xa9.txt").c_str(), F_OK), 0);
  file = _wfopen(Path(u"\u00e9t\u00e9.txt").c_str(), u"rb");
  ASSERT_NE(file, nullptr);
  char text[8] = {};
  EXPECT_EQ(fread(text, 1, 7, file), 5u);
  fclose(file);
  WriteText(u"taken.txt", "t");
  EXPECT_EQ(_wrename(Path(u"\u00e9t\u00e9.txt").c_str(), Path(u"taken.txt").c_str()), -1);
  EXPECT_EQ(_wrename(Path(u"\u00e9t\u00e9.txt").c_str(), Path(u"free.txt").c_str()), 0);
  EXPECT_EQ(_wremove(Path(u"free.txt").c_str()), 0);
  EXPECT_EQ(_wremove(Path(u"free.txt").c_str()), -1);
}

TEST(PathSplit, SplitsAndJoinsAsTheRuntimeDoes) {
  WCHAR drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
  _wsplitpath(u"C:\\cM\\Image\\pic.old.jpg", drive, dir, name, ext);
  EXPECT_EQ(std::u16string(drive), u"C:");
  EXPECT_EQ(std::u16string(dir), u"\\cM\\Image\\");
  EXPECT_EQ(std::u16string(name), u"pic.old");
  EXPECT_EQ(std::u16string(ext), u".jpg");
  _wsplitpath(u"noext", drive, dir, name, nullptr);
  EXPECT_EQ(std::u16string(drive), u"");
  EXPECT_EQ(std::u16string(dir), u"");
  EXPECT_EQ(std::u16string(name), u"noext");
  _wsplitpath(u"\\a.b\\c", nullptr, dir, name, ext);
  EXPECT_EQ(std::u16string(dir), u"\\a.b\\");
  EXPECT_EQ(std::u16string(ext), u"");  // a dot in a folder name is no extension
  WCHAR path[_MAX_PATH];
  _wmakepath(path, u"D", u"\\x", u"y", u"txt");
  EXPECT_EQ(std::u16string(path), u"D:\\x\\y.txt");
}

TEST(ErrorText, SystemTextsOfErrorCodes) {
  LPWSTR text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, ERROR_PATH_NOT_FOUND, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, n), u"The system cannot find the path specified.\r\n");
  LocalFree(text);
  WCHAR small[8];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, small, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
}
