// The window manager's hot paths: posting and dispatching, sending within and
// across threads, and painting with many overlapping children.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "compat/win32.h"

namespace {

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return static_cast<LRESULT>(wParam + 1);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeWindow(HWND parent, int x, int y, int cx, int cy) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = u"BenchWindow";
    wc.style = CS_GLOBALCLASS;
    registered = RegisterClassW(&wc) != 0;
  }
  const DWORD style = parent ? (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS) : (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  return CreateWindowExW(0, u"BenchWindow", u"", style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
}

void PostAndDispatch(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  HWND hwnd = MakeWindow(nullptr, 0, 0, 100, 100);
  MSG msg;
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) PostMessageW(hwnd, WM_USER, i, 0);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(PostAndDispatch);

void SendSameThread(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  HWND hwnd = MakeWindow(nullptr, 0, 0, 100, 100);
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(hwnd, WM_USER, 1, 0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SendSameThread);

void SendAcrossThreads(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  std::atomic<HWND> hwnd{nullptr};
  std::atomic<DWORD> id{0};
  std::thread receiver([&] {
    HWND h = MakeWindow(nullptr, 0, 0, 10, 10);
    id = GetCurrentThreadId();
    hwnd = h;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(h);
  });
  while (!hwnd) std::this_thread::yield();
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(hwnd, WM_USER, 1, 0));
  PostThreadMessageW(id, WM_QUIT, 0, 0);
  receiver.join();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SendAcrossThreads)->UseRealTime();

void InvalidateAndPaintManyChildren(benchmark::State& state) {
  compat::ResetDesktop(1024, 768);
  HWND top = MakeWindow(nullptr, 0, 0, 1000, 700);
  for (int i = 0; i < state.range(0); ++i) MakeWindow(top, (i * 37) % 900, (i * 53) % 600, 100, 80);
  for (auto _ : state) {
    InvalidateRect(top, nullptr, TRUE);
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}
BENCHMARK(InvalidateAndPaintManyChildren)->Arg(10)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
