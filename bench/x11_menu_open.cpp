// The time from a press on a menu title to the menu's first pixels on the X
// server. bench/x11_bench.sh runs it on Xvfb without and with a window
// manager; without a display the case says so and is skipped.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "compat/host.h"
#include "compat/win32.h"

namespace {

namespace host = compat::host;
using Clock = std::chrono::steady_clock;

Clock::time_point g_shown;
bool g_menuShown = false;

// The menu loop goes idle once the open menu has painted: its pixels are
// sent and waited for, then the menu closes.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !g_menuShown) {
    host::SyncPresents();
    g_shown = Clock::now();
    g_menuShown = true;
    EndMenu();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  host::SyncPresents();
}

HMENU Popup(const std::initializer_list<const char16_t*>& items, UINT first) {
  HMENU popup = CreatePopupMenu();
  for (const char16_t* item : items) AppendMenuW(popup, MF_STRING, first++, item);
  return popup;
}

void MenuTitlePressToFirstPixels(benchmark::State& state) {
  if (std::strcmp(host::DriverName(), "x11") != 0) {
    state.SkipWithError("needs an X display (the host runs headless)");
    return;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = u"MenuBench";
  RegisterClassW(&wc);
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({u"&New", u"&Open...", u"&Save", u"Save &As...", u"E&xit"}, 100)),
              u"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({u"&Undo", u"Cu&t", u"&Copy", u"&Paste"}, 200)), u"&Edit");
  HWND frame = CreateWindowExW(0, u"MenuBench", u"Menu bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480,
                               nullptr, bar, nullptr, nullptr);
  Drain();
  // Two titles pressed in turn: two presses on one place would make a double-click.
  POINT titles[2];
  for (int i = 0; i < 2; ++i) {
    RECT title{};
    GetMenuItemRect(frame, bar, static_cast<UINT>(i), &title);
    titles[i] = POINT{(title.left + title.right) / 2, (title.top + title.bottom) / 2};
  }
  // The real pointer too: the menu's pointer grab then finds it on the bar.
  host::WarpPointer(titles[0].x, titles[0].y);
  for (int i = 0; i < 5; ++i) {
    Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  int turn = 0;
  for (auto _ : state) {
    const POINT at = titles[turn++ % 2];
    g_menuShown = false;
    host::InjectMouseMove(at.x, at.y);
    Drain();
    const Clock::time_point pressed = Clock::now();
    host::InjectMouseButton(0, true, at.x, at.y);
    Drain();  // the menu loop runs in here, until the idle above ends it
    host::InjectMouseButton(0, false, at.x, at.y);
    Drain();
    if (!g_menuShown) {
      state.SkipWithError("the menu did not open");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(g_shown - pressed).count());
  }
  DestroyWindow(frame);
}
BENCHMARK(MenuTitlePressToFirstPixels)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
