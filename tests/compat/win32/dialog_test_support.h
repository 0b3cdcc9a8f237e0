// Shared pieces of the dialog tests (which link the standard controls): a
// clean desktop, the test resources' module, keys a user presses inside a modal
// loop, and where the dialog pictures go.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "compat/host.h"
#include "compat/win32.h"
#include "compat/win32/window_test_support.h"

namespace dlgtest {

inline HINSTANCE Program() { return GetModuleHandleW(nullptr); }

// A key press (with Shift or Alt held when asked) as a step of the modal loop.
inline void QueueKey(unsigned vk, unsigned modifier = 0) {
  compat::AddModalStep([vk, modifier] {
    if (modifier) compat::host::InjectKey(modifier, true);
    compat::host::InjectKeyPress(vk);
    if (modifier) compat::host::InjectKey(modifier, false);
  });
}

inline void QueueText(const char* text) {
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    QueueKey(c >= 'a' && c <= 'z' ? static_cast<unsigned>(c - 'a' + 'A') : static_cast<unsigned>(c));
  }
}

// A check made inside the loop, when it is idle.
inline void QueueCheck(std::function<void()> check) { compat::AddModalStep(std::move(check)); }

inline std::string PngPath(const std::string& name) {
  const std::string dir = CALVETTA_TEST_PNG_DIR;
  mkdir(dir.c_str(), 0755);
  return dir + "/" + name + ".png";
}

inline int FocusId() { return GetDlgCtrlID(GetFocus()); }

// Ends a test's modal loops with WM_QUIT when a step never finds its window,
// so a fault fails the test instead of hanging it.
class Watchdog {
 public:
  explicit Watchdog(int seconds = 30) : thread_(GetCurrentThreadId()) {
    worker_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> lock(lock_);
      if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stop_; })) {
        fired_ = true;
        PostThreadMessageW(thread_, WM_QUIT, 0, 0);
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stop_ = true;
    }
    done_.notify_all();
    worker_.join();
    EXPECT_FALSE(fired_) << "a modal loop waited for a step that never ran";
  }

 private:
  DWORD thread_;
  std::mutex lock_;
  std::condition_variable done_;
  bool stop_ = false;
  bool fired_ = false;
  std::thread worker_;
};

// A clean desktop, no steps left over and a watchdog on the loops.
class DialogTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    compat::ClearModalSteps();
  }
  void TearDown() override {
    EXPECT_EQ(compat::PendingModalSteps(), 0) << "the loop ended before every step ran";
    compat::ClearModalSteps();
    WindowTest::TearDown();
  }
  Watchdog m_watchdog;
};

}  // namespace dlgtest
