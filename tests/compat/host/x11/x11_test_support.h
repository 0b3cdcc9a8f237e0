// What the X11 tests share: a connection that keeps the server up for the
// whole run, the output of a shell command, and a wait for a condition.
#pragma once

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace x11test {

// The X server resets itself (refusing connections for a moment and losing
// keyboard changes) whenever its last client leaves: one connection stays
// open for the whole run. Each test program registers one.
class KeepServer : public ::testing::Environment {
 public:
  void SetUp() override { display_ = XOpenDisplay(nullptr); }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
  }

 private:
  Display* display_ = nullptr;
};

// A command's output, without its trailing newlines and spaces unless the
// output is wanted exactly (text read back from the clipboard).
inline std::string Shell(const std::string& command, bool exact = false) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[512];
  while (fgets(buffer, sizeof(buffer), pipe)) out += buffer;
  pclose(pipe);
  while (!exact && !out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

}  // namespace x11test
