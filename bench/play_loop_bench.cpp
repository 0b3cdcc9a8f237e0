// Play in the "Preview and Play" window: 10 seconds at 30 frames a second
// with a 1024 x 768 output, through the timeline bar's play loop and the
// renderer presenting into the preview. Reports the frames shown, the frames
// that came later than one timer period after their tick, and the processor
// time of the whole process beside the elapsed time. Runs on the host the
// environment picks (CALVETTA_HOST=headless, or X11 under Xvfb).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/host_path.h"
#include "controls/custom_controls.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "ui/preview_play_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFps = 30;
constexpr int kSeconds = 10;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

CString WritePicture(const std::string& path, int phase) {
  std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const DWORD r = static_cast<DWORD>(128 + 120 * std::sin((x + phase) * 0.05));
      const DWORD g = static_cast<DWORD>(128 + 120 * std::cos((y - phase) * 0.04));
      pixels[static_cast<size_t>(y) * kWidth + x] = 0xFF000000 | r << 16 | g << 8 | ((x ^ y) & 0xFF);
    }
  CString name(compat::FromHostPath(path));
  CImageFile file;
  file.Save(name, 0, 0, kWidth, kHeight, pixels.data(), 0);
  return name;
}

// The real renderer with the time of each frame noted.
class CTimedRenderer : public CRendererLink {
 public:
  explicit CTimedRenderer(CRendererLink* inner) : m_inner(inner) {}
  void RenderFrame(CMorphPair* pair) override {
    times.push_back(Clock::now());
    m_inner->RenderFrame(pair);
  }
  void RecreateTextures(CMorphPair* pair) override { m_inner->RecreateTextures(pair); }
  void SetFills(const CFillStyle& b, const CFillStyle& f) override { m_inner->SetFills(b, f); }
  void ResizeSurfaces(int w, int h) override { m_inner->ResizeSurfaces(w, h); }
  void SetBusy(int busy) override { m_inner->SetBusy(busy); }
  CTextureHolder* CreateTexture(const RECT& r, int target) override { return m_inner->CreateTexture(r, target); }
  void DeleteTexture(CTextureHolder* t) override { m_inner->DeleteTexture(t); }
  void UploadTexture(CTextureHolder* t, const DWORD* p) override { m_inner->UploadTexture(t, p); }
  void GetTextureExtent(CTextureHolder* t, float* u, float* v) override { m_inner->GetTextureExtent(t, u, v); }
  CMeshReceiver* CreateShape() override { return m_inner->CreateShape(); }
  void SetCrossingEdges(const int v[4]) override { m_inner->SetCrossingEdges(v); }
  void RenderPassThrough(CD3DRenderer* r, IDirect3DDevice9* d, CTextureHolder* s, CTextureHolder* t) override {
    m_inner->RenderPassThrough(r, d, s, t);
  }
  std::vector<Clock::time_point> times;

 private:
  CRendererLink* m_inner;
};

double ProcessSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PlayTenSeconds(benchmark::State& state) {
  controls::RegisterCustomControls(nullptr);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("calvetta-play-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  CMorphProject* project = GetMorphProject();
  project->SetOutputSize(kWidth, kHeight);
  project->SetFps(kFps);
  project->SetLoop(0);

  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = u"PlayBenchHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(0, u"PlayBenchHost", u"Play", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 640, nullptr,
                              nullptr, wc.hInstance, nullptr);
  CPreviewPlayDlg window;
  window.Create(CWnd::FromHandle(host));
  window.MoveWindow(0, 0, 660, 580);
  window.ShowWindow(SW_SHOW);
  project->InitDirect3D(&window.m_preview);
  CMorphPair* pair = project->CurrentPair();
  pair->SetSourceImage(WritePicture((folder / "source.bmp").string(), 0));
  pair->SetTargetImage(WritePicture((folder / "target.bmp").string(), 40));
  pair->SetFrameCount(kFps * kSeconds + 1);
  window.m_timeLineBar.RefreshFromPair();

  CRendererLink* real = GetRendererLink();
  CTimedRenderer timed(real);
  SetRendererLink(&timed);
  for (auto _ : state) {
    pair->SetCurrentFrame(0);
    timed.times.clear();
    const double cpuStart = ProcessSeconds();
    const Clock::time_point start = Clock::now();
    window.m_timeLineBar.OnPlay();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessSeconds() - cpuStart;
    // The last render restores the starting frame; it is no frame of play.
    const int shown = static_cast<int>(timed.times.size()) - 1;
    const double period = 1.0 / kFps;
    int late = 0;
    for (int k = 0; k < shown; ++k) {
      const double at = std::chrono::duration<double>(timed.times[k] - start).count();
      if (at > (k + 2) * period) ++late;
    }
    state.counters["frames_shown"] = shown;
    state.counters["frames_late"] = late;
    state.counters["elapsed_s"] = elapsed;
    state.counters["cpu_s"] = cpu;
    state.counters["cores_used"] = cpu / elapsed;
    state.counters["shown_fps"] = shown / elapsed;
  }
  SetRendererLink(real);
  window.DestroyWindow();
  DestroyWindow(host);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_PlayTenSeconds)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
