// The shell and help stand-ins run a stub opener the test puts first on PATH;
// the languages follow the locale variables; atoms count; a low thread
// priority reaches the host's nice value.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

// Sets an environment variable for a scope and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class OpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/calvetta_shell_XXXXXX";
    folder_ = mkdtemp(pattern);
    mkdir((folder_ + "/bin").c_str(), 0755);
    log_ = folder_ + "/opened.txt";
    const std::string stub = folder_ + "/bin/xdg-open";
    std::ofstream(stub) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log_ << "'\n";
    chmod(stub.c_str(), 0755);
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

  // The arguments the stub recorded, once `count` have arrived (the opener runs on its own).
  std::vector<std::string> Opened(size_t count) const {
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      lines.clear();
      std::ifstream in(log_);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      if (lines.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return lines;
  }

  std::string folder_;
  std::string log_;
};

TEST_F(OpenerTest, LinksAndHelpPagesGoToTheOpener) {
  ScopedEnv path("PATH", (folder_ + "/bin:/usr/bin:/bin").c_str());
  mkdir((folder_ + "/Calvetta").c_str(), 0755);
  std::ofstream(folder_ + "/Calvetta/index.html") << "<html></html>";
  const std::u16string book = compat::FromHostPath(folder_ + "/Calvetta.chm");
  const std::u16string loose = compat::FromHostPath(folder_ + "/Other.chm");

  // Each opener runs on its own: wait for one before starting the next, so the log keeps their order.
  EXPECT_GT(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"http://www.example.com/", nullptr, nullptr, 1)), 32);
  ASSERT_EQ(Opened(1).size(), 1u);
  EXPECT_GT(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"mailto:support@example.com", nullptr, nullptr, 1)), 32);
  ASSERT_EQ(Opened(2).size(), 2u);
  EXPECT_NE(HtmlHelpW(nullptr, book.c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
  ASSERT_EQ(Opened(3).size(), 3u);
  EXPECT_NE(HtmlHelpW(nullptr, loose.c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
  EXPECT_EQ(Opened(4), (std::vector<std::string>{"http://www.example.com/", "mailto:support@example.com",
                                                 folder_ + "/Calvetta/index.html", folder_ + "/Other.chm"}));
}

TEST_F(OpenerTest, WithoutAnOpenerNothingStarts) {
  ScopedEnv path("PATH", (folder_ + "/nothing").c_str());
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"http://www.example.com/", nullptr, nullptr, 1)),
            SE_ERR_NOASSOC);
  EXPECT_EQ(HtmlHelpW(nullptr, u"C:\\Calvetta.chm", HH_DISPLAY_TOPIC, 0), nullptr);
}

TEST_F(OpenerTest, AnOpenerThatFailsIsAFailure) {
  // As xdg-open does with no handler for the page: a message and status 3.
  const std::string failing = folder_ + "/failing";
  mkdir(failing.c_str(), 0755);
  std::ofstream(failing + "/xdg-open") << "#!/bin/sh\necho 'no method available' >&2\nexit 3\n";
  chmod((failing + "/xdg-open").c_str(), 0755);
  ScopedEnv path("PATH", (failing + ":/usr/bin:/bin").c_str());
  EXPECT_EQ(HtmlHelpW(nullptr, u"C:\\Calvetta.chm", HH_DISPLAY_TOPIC, 0), nullptr);
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"http://www.example.com/", nullptr, nullptr, 1)),
            SE_ERR_NOASSOC);
}

TEST_F(OpenerTest, AnOpenerThatKeepsRunningDoesNotHoldTheCaller) {
  const std::string slow = folder_ + "/slow";
  mkdir(slow.c_str(), 0755);
  const std::string stub = slow + "/xdg-open";
  std::ofstream(stub) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log_ << "'\nsleep 3\n";
  chmod(stub.c_str(), 0755);
  ScopedEnv path("PATH", (slow + ":/usr/bin:/bin").c_str());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_GT(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"http://www.example.com/", nullptr, nullptr, 1)), 32);
  // Held at most for the moments an opener has to say it failed, not its 3 s.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2800));
  EXPECT_EQ(Opened(1), std::vector<std::string>{"http://www.example.com/"});
}

TEST(Languages, TheLocaleVariablesNameTheLanguage) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  {
    ScopedEnv lang("LANG", "zh_CN.UTF-8");
    EXPECT_EQ(PRIMARYLANGID(GetSystemDefaultLangID()), LANG_CHINESE);
    EXPECT_EQ(SUBLANGID(GetUserDefaultLangID()), SUBLANG_CHINESE_SIMPLIFIED);
    ScopedEnv over("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(PRIMARYLANGID(GetSystemDefaultLangID()), 0x07);
  }
  ScopedEnv lang("LANG", nullptr);
  EXPECT_EQ(GetSystemDefaultLangID(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

TEST(GlobalAtoms, AddsAndDeletesAreCountedAndNamesIgnoreCase) {
  const ATOM atom = GlobalAddAtomW(u"OldMenuProc");
  EXPECT_GE(atom, MAXINTATOM);
  EXPECT_EQ(GlobalAddAtomW(u"OLDMENUPROC"), atom);
  EXPECT_EQ(GlobalFindAtomW(u"oldmenuproc"), atom);
  char16_t name[32] = {};
  EXPECT_EQ(GlobalGetAtomNameW(atom, name, 32), 11u);
  EXPECT_EQ(std::u16string(name), u"OldMenuProc");
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtomW(u"OldMenuProc"), atom) << "one add is left";
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtomW(u"OldMenuProc"), 0);
  EXPECT_EQ(GlobalDeleteAtom(atom), atom) << "gone: the delete fails";
  EXPECT_EQ(GlobalAddAtomW(u"#42"), 42);
}

int OwnNice() { return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))); }

DWORD WINAPI LowestWorker(LPVOID result) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  *static_cast<int*>(result) = OwnNice();
  return 0;
}

DWORD WINAPI ReportNice(LPVOID result) {
  *static_cast<int*>(result) = OwnNice();
  return 0;
}

TEST(ThreadPriorities, LowPrioritiesRaiseTheHostNiceValue) {
  const int base = OwnNice();
  int lowest = -100;
  HANDLE worker = CreateThread(nullptr, 0, LowestWorker, &lowest, 0, nullptr);
  ASSERT_TRUE(worker);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  EXPECT_GE(lowest, std::max(base, 10));

  // Set before the thread runs, it takes effect when it starts.
  int below = -100;
  HANDLE suspended = CreateThread(nullptr, 0, ReportNice, &below, CREATE_SUSPENDED, nullptr);
  ASSERT_TRUE(SetThreadPriority(suspended, THREAD_PRIORITY_BELOW_NORMAL));
  ResumeThread(suspended);
  WaitForSingleObject(suspended, INFINITE);
  CloseHandle(suspended);
  EXPECT_GE(below, std::max(base, 5));
  EXPECT_EQ(OwnNice(), base) << "the calling thread keeps its own";
}

}  // namespace
