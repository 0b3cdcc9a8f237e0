// The X11 host's presents and its idle cost. Run on a display:
// bench/x11_bench.sh runs the presents on Xvfb without and with a window
// manager; without a display every case says so and is skipped.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "compat/host.h"
#include "compat/win32.h"

namespace {

namespace host = compat::host;

bool OnX11(benchmark::State& state) {
  if (std::strcmp(host::DriverName(), "x11") == 0) return true;
  state.SkipWithError("needs an X display (the host runs headless)");
  return false;
}

// A window of the given size at the screen's top-left corner, shown as an X
// window: the presents go to it.
HWND ShowPresentWindow(int width, int height) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"PresentBench";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"PresentBench", u"Presents", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, nullptr, nullptr);
  // Until the server has mapped it, a present would show nothing.
  for (int i = 0; i < 10; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    host::SyncPresents();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return hwnd;
}

// Each present changes the pixels it sends, inside a 1024x768 window, and
// waits until the server has them.
void Present(benchmark::State& state, int width, int height) {
  if (!OnX11(state)) return;
  constexpr int kWindowWidth = 1024, kWindowHeight = 768;
  HWND hwnd = ShowPresentWindow(kWindowWidth, kWindowHeight);
  auto surface = host::DesktopSurface();
  uint32_t shade = 0;
  int step = 0;
  for (auto _ : state) {
    const int x = (step * 37) % (kWindowWidth - width + 1), y = (step * 53) % (kWindowHeight - height + 1);
    ++step;
    shade += 0x010203;
    for (int row = y; row < y + height; ++row) std::fill(surface->Row(row) + x, surface->Row(row) + x + width, shade);
    host::PresentRect(RECT{x, y, x + width, y + height});
    host::SyncPresents();
  }
  state.counters["presents/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  DestroyWindow(hwnd);
}

void WholeWindowPresent(benchmark::State& state) { Present(state, 1024, 768); }
BENCHMARK(WholeWindowPresent)->UseRealTime();

void DirtyRectPresent(benchmark::State& state) { Present(state, 200, 200); }
BENCHMARK(DirtyRectPresent)->UseRealTime();

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// A program with a window, waiting in GetMessage for ten seconds with nothing
// to do: the CPU it uses, in per cent of one core.
void IdleMessageLoop(benchmark::State& state) {
  if (!OnX11(state)) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"IdleBench";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"IdleBench", u"Idle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                              nullptr, nullptr, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  double percent = 0;
  for (auto _ : state) {
    const DWORD thread = GetCurrentThreadId();
    std::thread quit([thread] {
      std::this_thread::sleep_for(std::chrono::seconds(10));
      PostThreadMessageW(thread, WM_QUIT, 0, 0);
    });
    const double before = ProcessCpuSeconds();
    while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    percent = (ProcessCpuSeconds() - before) / 10.0 * 100.0;
    quit.join();
  }
  DestroyWindow(hwnd);
  state.counters["cpu%"] = percent;
}
BENCHMARK(IdleMessageLoop)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
