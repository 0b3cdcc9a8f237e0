// Folder change notifications: signalled by matching changes until re-armed.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

class ChangeNotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/calvetta_watch_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    host_ = folder;
    folder_ = compat::FromHostPath(host_);
  }
  void TearDown() override {
    std::string command = "rm -rf '" + host_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  void Touch(const std::string& name, const std::string& text) {
    std::ofstream out(host_ + "/" + name, std::ios::app);
    out << text;
  }
  std::string host_;
  std::u16string folder_;
};

constexpr DWORD kSignalled = WAIT_OBJECT_0;
constexpr DWORD kQuiet = WAIT_TIMEOUT;

}  // namespace

TEST_F(ChangeNotificationTest, SignalsUntilAskedForTheNextChange) {
  HANDLE change = FindFirstChangeNotificationW(
      folder_.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
  ASSERT_NE(change, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(change, 0), kQuiet);
  Touch("picture.bmp", "x");
  EXPECT_EQ(WaitForSingleObject(change, 5000), kSignalled);
  EXPECT_EQ(WaitForSingleObject(change, 0), kSignalled);  // stays signalled for every wait
  // One write is several host events that may come in separate batches:
  // re-arm until the folder is quiet.
  bool quiet = false;
  for (int tries = 0; tries < 50 && !quiet; ++tries) {
    EXPECT_TRUE(FindNextChangeNotification(change));
    quiet = WaitForSingleObject(change, 100) == kQuiet;
  }
  EXPECT_TRUE(quiet);
  Touch("picture.bmp", "more");  // a write to an existing file
  EXPECT_EQ(WaitForSingleObject(change, 5000), kSignalled);
  EXPECT_TRUE(FindCloseChangeNotification(change));
  EXPECT_FALSE(FindNextChangeNotification(change));
}

TEST_F(ChangeNotificationTest, FilterDecidesWhatCountsAndWaitsMixWithEvents) {
  HANDLE folders = FindFirstChangeNotificationW(folder_.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
  ASSERT_NE(folders, INVALID_HANDLE_VALUE);
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE both[2] = {wake, folders};
  Touch("file.txt", "x");
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 100), kQuiet);  // a file is not a folder
  CreateDirectoryW((folder_ + u"\\Sub").c_str(), nullptr);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_OBJECT_0 + 1);
  SetEvent(wake);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  FindCloseChangeNotification(folders);
  CloseHandle(wake);
}

TEST_F(ChangeNotificationTest, OnlyExistingFoldersCanBeWatched) {
  EXPECT_EQ(FindFirstChangeNotificationW((folder_ + u"\\none").c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  Touch("plain.txt", "x");
  EXPECT_EQ(FindFirstChangeNotificationW((folder_ + u"\\plain.txt").c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstChangeNotificationW(folder_.c_str(), FALSE, 0), INVALID_HANDLE_VALUE);
}
