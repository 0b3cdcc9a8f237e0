// The file watcher as the view meets it: pictures in real folders replaced by
// another program, the notices a window receives, folders that cannot be
// watched, many folders, and the stop.
#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "platform/file_watch.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int TaskCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++count;
  return count;
}

double ProcessSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class FileWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "calvetta_watch_XXXXXX").string();
    m_root = mkdtemp(pattern.data());
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"FileWatchTestWnd";
    RegisterClassW(&wc);
    m_window = CreateWindowExW(0, u"FileWatchTestWnd", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_window);
    m_threadsBefore = TaskCount();
  }
  void TearDown() override {
    StopFileWatch();
    DestroyWindow(m_window);
    fs::remove_all(m_root);
  }

  std::string Host(const std::string& name) const { return (fs::path(m_root) / name).string(); }
  CString Program(const std::string& name) const { return CString(compat::FromHostPath(Host(name))); }

  // Another program saving a picture: the new bytes replace the file in one step.
  void Write(const std::string& name, const std::string& bytes) {
    fs::create_directories(fs::path(Host(name)).parent_path());
    const std::string temp = Host(name) + ".part";
    std::ofstream(temp, std::ios::binary) << bytes;
    fs::rename(temp, Host(name));
  }

  // The notices that arrive within `wait`: their wParams.
  std::vector<WPARAM> Notices(std::chrono::milliseconds wait = std::chrono::milliseconds(600)) {
    std::vector<WPARAM> got;
    const auto end = Clock::now() + wait;
    while (Clock::now() < end) {
      MSG msg;
      while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE)) {
        if (msg.message != GetFileWatchMessage()) continue;
        EXPECT_EQ(msg.lParam, 0) << "no pointer travels with a notice";
        got.push_back(msg.wParam);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
  }

  std::string m_root;
  HWND m_window = nullptr;
  int m_threadsBefore = 0;
};

TEST_F(FileWatch, OneNoticePerChangeOfAWatchedPictureAndNoneAfterTheStop) {
  Write("a.bmp", "one");
  Write("b.bmp", "one");
  Write("c.txt", "one");
  const DWORD id = AddFileWatch(Program("a.bmp"), m_window, 7);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(AddFileWatch(Program("a.bmp"), m_window, 7), 0u) << "a path is watched once";
  ASSERT_NE(AddFileWatch(Program("b.bmp"), m_window, 8), 0u);
  EXPECT_TRUE(Notices(std::chrono::milliseconds(200)).empty());

  Write("a.bmp", "two");
  EXPECT_EQ(Notices(), std::vector<WPARAM>{7}) << "only the changed picture is reported";
  Write("c.txt", "two");
  EXPECT_TRUE(Notices().empty()) << "a file nobody watches";
  Write("b.bmp", "two");
  EXPECT_EQ(Notices(), std::vector<WPARAM>{8});

  StopFileWatch();
  Write("a.bmp", "three");
  EXPECT_TRUE(Notices().empty());
  // After a stop the tables are empty: the same path can be watched again, with a new id.
  EXPECT_GT(AddFileWatch(Program("a.bmp"), m_window, 7), id);
}

TEST_F(FileWatch, MissingFilesAndUnwatchableFoldersAreNotWatched) {
  EXPECT_EQ(AddFileWatch(Program("missing.bmp"), m_window, 0), 0u);
  EXPECT_EQ(AddFileWatch(Program("no such folder\\"), m_window, 0), 0u);
  EXPECT_EQ(AddFileWatch(nullptr, m_window, 0), 0u);
  // Nothing was added, so no worker waits, let alone spins.
  const double before = ProcessSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(ProcessSeconds() - before, 0.05);
  EXPECT_EQ(TaskCount(), m_threadsBefore);
}

TEST_F(FileWatch, AHundredFoldersAreWatchedWithoutCostingProcessorTime) {
  for (int i = 0; i < 100; ++i) {
    const std::string name = "f" + std::to_string(i) + "/p.bmp";
    Write(name, "one");
    ASSERT_NE(AddFileWatch(Program(name).GetString(), m_window, static_cast<DWORD>(i)), 0u) << i;
  }
  const double before = ProcessSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(ProcessSeconds() - before, 0.05) << "idle workers wait";
  // Folders beyond one wait's reach are heard too.
  Write("f99/p.bmp", "two");
  EXPECT_EQ(Notices(), std::vector<WPARAM>{99});
  Write("f0/p.bmp", "two");
  Write("f70/p.bmp", "two");
  std::vector<WPARAM> got = Notices();
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<WPARAM>{0, 70}));
}

TEST_F(FileWatch, StoppingReturnsAtOnceAndLeavesNoThread) {
  const auto start = Clock::now();
  StopFileWatch();  // with no worker
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));

  Write("a.bmp", "one");
  ASSERT_NE(AddFileWatch(Program("a.bmp"), m_window, 0), 0u);
  EXPECT_GT(TaskCount(), m_threadsBefore);
  const auto stop = Clock::now();
  StopFileWatch();
  EXPECT_LT(Clock::now() - stop, std::chrono::milliseconds(100));
  // The worker has been joined; its system thread is gone a moment later at most.
  const auto end = Clock::now() + std::chrono::seconds(1);
  while (TaskCount() != m_threadsBefore && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(TaskCount(), m_threadsBefore);
}

TEST_F(FileWatch, AWatchedFolderReportsEveryChangeInIt) {
  fs::create_directories(Host("pics"));
  ASSERT_NE(AddFileWatch(Program("pics\\"), m_window, 3), 0u);
  Write("pics/new.bmp", "one");
  EXPECT_FALSE(Notices().empty());
}

}  // namespace
