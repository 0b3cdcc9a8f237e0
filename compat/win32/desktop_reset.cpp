// Starting over with a clean desktop, and pumping a thread's messages; used
// by tests and batch runs.
#include "compat/host.h"
#include "compat/win32/kernel.h"
#include "compat/win32/user_state.h"
#include "compat/win32/window_scroll_bars.h"

namespace compat {
namespace {

constexpr int kMaxPumpedMessages = 100000;  // a window that never validates stops here

std::vector<HWND> TopLevelWindowsOf(DWORD thread, bool mine) {
  using namespace compat::user;
  Guard guard = Lock();
  std::vector<HWND> list;
  for (HWND top : Find(Desktop())->children) {
    Window* w = Find(top);
    if (w && (w->threadId == thread) == mine) list.push_back(top);
  }
  return list;
}

// Windows of other threads cannot be destroyed from here with messages.
void DropForeignWindows(DWORD thread) {
  using namespace compat::user;
  std::vector<DWORD> others;
  {
    Guard guard = Lock();
    UserState& s = State();
    for (const auto& slot : s.slots) {
      const Window* w = slot.window.get();
      if (w && w->hwnd != s.desktop && w->threadId != thread) others.push_back(w->threadId);
    }
  }
  for (DWORD other : others) FreeThreadWindows(other);
}

}  // namespace

void ResetDesktop(int width, int height) {
  using namespace compat::user;
  const DWORD thread = CurrentThreadId();
  for (HWND hwnd : TopLevelWindowsOf(thread, true)) DestroyWindow(hwnd);
  DropForeignWindows(thread);
  auto queue = CurrentQueue();
  Guard guard = Lock();
  UserState& s = State();
  std::erase_if(s.classes, [](const auto& cls) { return !(cls->style & CS_GLOBALCLASS); });
  s.hooks.clear();
  s.registeredMessages.clear();
  queue->posted.clear();
  queue->input.clear();
  queue->timers.clear();
  queue->quitPosted = false;
  std::erase_if(s.queues, [&](const auto& entry) { return entry.first != thread && !entry.second->alive; });
  s.active = s.focus = s.capture = s.lockedUpdate = nullptr;
  s.cursorClipped = false;
  s.currentCursor = nullptr;
  s.cursorShowCount = 0;
  std::fill(std::begin(s.keys), std::end(s.keys), 0);
  std::fill(std::begin(s.asyncKeys), std::end(s.asyncKeys), 0);
  s.lastClickWindow = nullptr;
  ForgetAllWindowScrollBars();
  RunClock();  // a test that stopped the clock leaves real time behind it
  host::ResetDesktop(width, height);
  auto surface = host::DesktopSurface();
  Window* desktop = Find(Desktop());
  desktop->rect = RECT{0, 0, surface->width, surface->height};
  desktop->client = desktop->rect;
  s.cursor = POINT{surface->width / 2, surface->height / 2};
  PaintDesktopArea(desktop->rect);
}

int PumpMessages() {
  int count = 0;
  MSG msg;
  while (count < kMaxPumpedMessages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++count;
  }
  return count;
}

}  // namespace compat

namespace compat {

bool WriteWindowPng(HWND hwnd, const char* path) {
  RECT rect;
  if (!path || !GetWindowRect(hwnd, &rect)) return false;
  auto surface = host::DesktopSurface();
  return host::WriteSurfacePng(*surface, &rect, path);
}

}  // namespace compat
