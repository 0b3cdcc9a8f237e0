// The file watcher as the view meets it: pictures in real folders replaced by
// another program, the notices a window receives, folders that cannot be
// watched, many folders, the stop, and a program that ends while a watched
// folder changes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "platform/file_watch.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern "C" char** environ;

// The watcher's threads are the process's threads at its lowered priority:
// those with a nice value above the calling thread's. A sanitizer's own
// threads, which come and go, keep the process's.
int WatcherThreadCount() {
  const int own = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/task")) {
    std::ifstream in(entry.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) continue;  // the thread ended meanwhile
    // After the name come the state (field 3) and on up to the nice value (field 19).
    std::istringstream fields(stat.substr(name_end + 1));
    std::vector<std::string> values(17);
    for (std::string& value : values) fields >> value;
    if (fields && std::stoi(values.back()) > own) ++count;
  }
  return count;
}

// Waits up to a second for `done`.
template <typename Done>
bool Eventually(Done done) {
  const auto end = Clock::now() + std::chrono::seconds(1);
  while (!done() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
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
    m_threadsBefore = WatcherThreadCount();
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
  EXPECT_EQ(WatcherThreadCount(), m_threadsBefore);
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
  // The worker lowers its priority as it starts.
  EXPECT_TRUE(Eventually([&] { return WatcherThreadCount() > m_threadsBefore; }));
  const auto stop = Clock::now();
  StopFileWatch();
  EXPECT_LT(Clock::now() - stop, std::chrono::milliseconds(100));
  // The worker has been joined; its system thread is gone a moment later at most.
  EXPECT_TRUE(Eventually([&] { return WatcherThreadCount() == m_threadsBefore; }));
}

TEST_F(FileWatch, AWatchedFolderReportsEveryChangeInIt) {
  fs::create_directories(Host("pics"));
  ASSERT_NE(AddFileWatch(Program("pics\\"), m_window, 3), 0u);
  Write("pics/new.bmp", "one");
  EXPECT_FALSE(Notices().empty());
}

// --- A program that ends while a watched folder changes ---

constexpr const char* kExitFolderVariable = "CALVETTA_EXIT_TEST_FOLDER";

// Replaces a file in `folder` over and over with system calls only, so that
// nothing of the program's is touched while it ends.
void ChangeForever(std::string folder) {
  const std::string part = folder + "/a.bmp.part";
  const std::string file = folder + "/a.bmp";
  for (unsigned i = 0;; ++i) {
    const int descriptor = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor >= 0) {
      ssize_t ignored = write(descriptor, &i, sizeof i);
      (void)ignored;
      close(descriptor);
    }
    rename(part.c_str(), file.c_str());
  }
}

// Run by the test below in a child process of its own: watches a folder,
// changes it from another thread, and ends the program a moment later.
TEST(FileWatchAtExit, DISABLED_ChildEndsWhileTheFolderChanges) {
  const char* folder = std::getenv(kExitFolderVariable);
  ASSERT_TRUE(folder);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"FileWatchExitWnd";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, u"FileWatchExitWnd", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  std::ofstream(std::string(folder) + "/a.bmp") << "one";
  ASSERT_NE(AddFileWatch(CString(compat::FromHostPath(std::string(folder) + "/a.bmp")), window, 1), 0u);
  std::thread(ChangeForever, std::string(folder)).detach();
  std::this_thread::sleep_for(std::chrono::microseconds(getpid() % 20000));
  std::exit(0);
}

// Starts the child above, its report left out; its process id, or -1.
pid_t StartExitChild(const std::string& folder) {
  std::vector<std::string> variables{std::string(kExitFolderVariable) + "=" + folder};
  for (char** variable = environ; *variable; ++variable) variables.emplace_back(*variable);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string program = "/proc/self/exe";
  std::string filter = "--gtest_filter=FileWatchAtExit.DISABLED_ChildEndsWhileTheFolderChanges";
  std::string disabled = "--gtest_also_run_disabled_tests";
  std::string brief = "--gtest_brief=1";
  char* argv[] = {program.data(), filter.data(), disabled.data(), brief.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

TEST(FileWatchAtExit, AProgramEndingWhileAWatchedFolderChangesExitsCleanlyEveryTime) {
  constexpr int kRuns = 200;
  constexpr int kAtOnce = 4;
  std::string pattern = (fs::temp_directory_path() / "calvetta_watch_exit_XXXXXX").string();
  const std::string root = mkdtemp(pattern.data());
  int started = 0;
  int clean = 0;
  std::vector<std::pair<pid_t, std::string>> running;  // oldest first
  auto reapOldest = [&] {
    const auto [pid, folder] = running.front();
    running.erase(running.begin());
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) ++clean;
    else ADD_FAILURE() << "the run in " << folder << " ended with status " << status;
    fs::remove_all(folder);
  };
  while (started < kRuns || !running.empty()) {
    if (started < kRuns && running.size() < kAtOnce) {
      const std::string folder = root + "/" + std::to_string(started++);
      fs::create_directories(folder);
      const pid_t pid = StartExitChild(folder);
      ASSERT_GT(pid, 0);
      running.emplace_back(pid, folder);
    } else {
      reapOldest();
    }
  }
  fs::remove_all(root);
  EXPECT_EQ(clean, kRuns);
}

}  // namespace
