// The clipboard shared with other X programs, tried with xclip against an
// edit field on the X11 host: text xclip put there pastes with Ctrl+V (as
// UTF8_STRING, or as STRING from an owner offering only that), Ctrl+C hands
// xclip the field's text in the targets it asks for, a later owner's text
// replaces ours, and our text goes with the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include "x11_test_support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using x11test::Shell;
using x11test::WaitUntil;

const auto* const g_keepServer = ::testing::AddGlobalTestEnvironment(new x11test::KeepServer);

std::string LastLine(const std::string& path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  return last;
}

// xclip owns the clipboard with the text (in the target given) until another
// owner comes; it answers by itself in the background.
void XclipPut(const std::string& text, const std::string& target = "UTF8_STRING") {
  mkdir("x11_clipboard_output", 0755);
  const std::string file = "x11_clipboard_output/put";
  std::ofstream(file, std::ios::binary) << text;
  Shell("xclip -selection clipboard -t " + target + " -i " + file + " >/dev/null 2>&1");
  ASSERT_TRUE(WaitUntil([&] { return Shell("xclip -o -selection clipboard -t " + target + " 2>/dev/null", true) == text; }));
}

std::string XclipGet(const std::string& target = "UTF8_STRING") {
  return Shell("xclip -o -selection clipboard -t " + target + " 2>/dev/null", true);
}

// The edit demonstration on the X11 host, its field focused.
class EditDemo {
 public:
  explicit EditDemo(const std::string& text = "") {
    mkdir("x11_clipboard_output", 0755);
    std::remove(log_.c_str());
    pid_ = fork();
    if (pid_ == 0) {
      unsetenv("CALVETTA_HOST");
      execl(CALVETTA_X11_EDIT_DEMO, CALVETTA_X11_EDIT_DEMO, log_.c_str(), text.c_str(), nullptr);
      _exit(127);
    }
    WaitUntil([&] {
      window_ = Shell("xdotool search --classname calvetta 2>/dev/null | head -1");
      return LastLine(log_) == "ready" && !window_.empty();
    });
    Shell("xdotool windowfocus --sync " + window_ + " 2>/dev/null");
  }
  ~EditDemo() { Stop(); }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  bool Up() const { return !window_.empty(); }
  void Keys(const std::string& keys) { Shell("xdotool key --delay 60 " + keys); }
  // The field's text after the last change, once it is `expected` or the wait is over.
  std::string TextBecomes(const std::string& expected) {
    WaitUntil([&] { return LastLine(log_) == "text " + expected; });
    const std::string last = LastLine(log_);
    return last.rfind("text ", 0) == 0 ? last.substr(5) : "(no change: " + last + ")";
  }

 private:
  const std::string log_ = "x11_clipboard_output/edit.log";
  pid_t pid_ = -1;
  std::string window_;
};

TEST(X11Clipboard, CtrlVPastesWhatXclipPutAsUtf8OrAsLatin1String) {
  XclipPut("w\xC3\xA4rp 640");
  EditDemo demo;
  ASSERT_TRUE(demo.Up());
  demo.Keys("ctrl+v");
  EXPECT_EQ(demo.TextBecomes("w\xC3\xA4rp 640"), "w\xC3\xA4rp 640");
  // An owner that offers STRING only: its Latin-1 bytes arrive as the same letters.
  XclipPut("caf\xE9", "STRING");
  demo.Keys("Home shift+End BackSpace ctrl+v");
  EXPECT_EQ(demo.TextBecomes("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(X11Clipboard, CtrlCGivesXclipTheTextInEveryTargetUntilAnotherOwnerComes) {
  EditDemo demo("1024 \xC3\xA9t\xC3\xA9");
  ASSERT_TRUE(demo.Up());
  demo.Keys("Home shift+End ctrl+c");
  ASSERT_TRUE(WaitUntil([] { return XclipGet() == "1024 \xC3\xA9t\xC3\xA9"; }));
  EXPECT_EQ(XclipGet("STRING"), "1024 \xE9t\xE9");
  const std::string targets = XclipGet("TARGETS");
  EXPECT_NE(targets.find("UTF8_STRING"), std::string::npos) << targets;
  EXPECT_NE(targets.find("STRING"), std::string::npos) << targets;
  // Another program takes the clipboard: a paste brings its text, not ours.
  XclipPut("768");
  demo.Keys("End ctrl+v");
  EXPECT_EQ(demo.TextBecomes("1024 \xC3\xA9t\xC3\xA9" "768"), "1024 \xC3\xA9t\xC3\xA9" "768");
  // Ours again; it stays while the program runs and goes with it.
  demo.Keys("Home shift+Right shift+Right ctrl+c");
  ASSERT_TRUE(WaitUntil([] { return XclipGet() == "10"; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(XclipGet(), "10");
  demo.Stop();
  EXPECT_TRUE(WaitUntil([] { return XclipGet().empty(); }));
}

}  // namespace
