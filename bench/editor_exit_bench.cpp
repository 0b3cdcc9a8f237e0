// Closing the editor: from the user's close of the main window to the end of
// the process, with the layout and the recent files written to the profile.
// Each run is a child process that starts the editor headless on a 1024x768
// desktop (its program folder is this benchmark's), waits until it is idle,
// notes the time and closes the frame; the parent times the child's end.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "app/main_frame.h"
#include "app/pentavo_app.h"
#include "compat/afx.h"
#include "compat/host.h"
#include "platform/settings_store.h"

namespace {

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The child: never returns.
[[noreturn]] void RunEditorAndClose(int timeOut, const std::string& registry) {
  setenv("CALVETTA_HOST", "headless", 1);
  setenv("CALVETTA_REGISTRY", registry.c_str(), 1);
  compat::ResetDesktop(1024, 768);
  const int32_t showNextTime = 1;  // no Load Sample dialog at start
  SaveSetting(u"ShowNextTime", reinterpret_cast<const BYTE*>(&showNextTime), sizeof showNextTime);
  compat::afx::SetCommandLine({u"calvetta"});
  static CPentavoApp app;
  if (!app.InitInstance()) _exit(2);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && app.PumpMessage()) {
  }
  for (LONG count = 0; count < 10 && app.OnIdle(count); ++count) {
  }
  const double closed = Now();
  if (write(timeOut, &closed, sizeof closed) != sizeof closed) _exit(3);
  app.m_pMainWnd->PostMessage(WM_CLOSE);
  std::exit(app.Run());  // the exit handlers run, as at the program's end
}

void BM_EditorExit(benchmark::State& state) {
  const std::string registry = (std::filesystem::temp_directory_path() / "calvetta_exit_bench").string();
  for (auto _ : state) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
      state.SkipWithError("pipe");
      return;
    }
    const pid_t child = fork();
    if (child == 0) {
      close(pipeEnds[0]);
      RunEditorAndClose(pipeEnds[1], registry);
    }
    close(pipeEnds[1]);
    double closed = 0;
    const bool told = read(pipeEnds[0], &closed, sizeof closed) == sizeof closed;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const double ended = Now();
    if (!told || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the editor did not close cleanly");
      return;
    }
    state.SetIterationTime(ended - closed);
  }
  std::filesystem::remove_all(registry);
}
BENCHMARK(BM_EditorExit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
