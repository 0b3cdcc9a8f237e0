// Shared pieces of the window-manager tests: a clean desktop per test, a test
// window class whose procedure logs messages, and message names for failures.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "compat/win32.h"

namespace wintest {

struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages every test window saw, in order; a per-window override may answer.
class MessageLog {
 public:
  static MessageLog& Get() {
    static MessageLog log;
    return log;
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.clear();
    handlers_.clear();
  }
  void Add(const Logged& entry) {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.push_back(entry);
  }
  std::vector<Logged> Entries() {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_;
  }
  using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
  void SetHandler(HWND hwnd, Handler handler) {
    std::lock_guard<std::mutex> guard(lock_);
    handlers_[hwnd] = std::move(handler);
  }
  Handler HandlerFor(HWND hwnd) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = handlers_.find(hwnd);
    return it == handlers_.end() ? Handler() : it->second;
  }
  // Only the messages in `which`, for the given window (or all windows when null).
  std::vector<UINT> Filtered(const std::vector<UINT>& which, HWND hwnd = nullptr) {
    std::vector<UINT> out;
    for (const Logged& e : Entries()) {
      if (hwnd && e.hwnd != hwnd) continue;
      for (UINT m : which) {
        if (e.message == m) out.push_back(m);
      }
    }
    return out;
  }
  std::vector<std::pair<HWND, UINT>> Pairs(const std::vector<UINT>& which) {
    std::vector<std::pair<HWND, UINT>> out;
    for (const Logged& e : Entries()) {
      for (UINT m : which) {
        if (e.message == m) out.emplace_back(e.hwnd, m);
      }
    }
    return out;
  }
  int Count(HWND hwnd, UINT message) {
    int n = 0;
    for (const Logged& e : Entries()) n += (e.hwnd == hwnd && e.message == message) ? 1 : 0;
    return n;
  }

 private:
  std::mutex lock_;
  std::vector<Logged> entries_;
  std::map<HWND, Handler> handlers_;
};

inline LRESULT CALLBACK LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageLog::Get().Add(Logged{hwnd, message, wParam, lParam});
  if (auto handler = MessageLog::Get().HandlerFor(hwnd)) {
    LRESULT result = 0;
    if (handler(hwnd, message, wParam, lParam, &result)) return result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline const WCHAR* kTestClass = u"CalvettaTestWindow";

// Every test starts on a clean 800x600 desktop with the logging class registered.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    MessageLog::Get().Clear();
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = LoggingProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTestClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  void TearDown() override {
    compat::ResetDesktop(800, 600);
    MessageLog::Get().Clear();
  }

  HWND TopLevel(int x, int y, int cx, int cy, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                const WCHAR* title = u"Test") {
    return CreateWindowExW(0, kTestClass, title, style, x, y, cx, cy, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int x, int y, int cx, int cy, int id = 1, DWORD style = WS_CHILD | WS_VISIBLE) {
    return CreateWindowExW(0, kTestClass, u"", style, x, y, cx, cy, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  }
  static void Pump() { compat::PumpMessages(); }
  static MessageLog& Log() { return MessageLog::Get(); }
};

}  // namespace wintest
