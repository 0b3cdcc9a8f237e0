// Shared pieces of the export tests: a project of two pairs of 10 frames, a
// frame source that paints each frame in its own colours, and an owner window
// on the test's thread that records the progress it is sent.
#pragma once

#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/host_path.h"
#include "compat/vfw.h"
#include "compat/win32.h"
#include "export/export_frame_source.h"
#include "export/render_thread.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "support/small_disk.h"
#include "support/tool_runner.h"

namespace exporttest {

// Blue follows x, green y, red the running frame number: every frame is
// told apart and every row and column has its place.
inline DWORD FramePixel(int x, int y, int frame) {
  return 0xFF000000u | (static_cast<DWORD>(frame * 12 & 0xFF) << 16) | (static_cast<DWORD>(y * 4 & 0xFF) << 8) |
         static_cast<DWORD>(x * 3 & 0xFF);
}

class CPaintedFrames : public CExportFrameSource {
 public:
  void GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) override {
    int frame = RunningFrame(pair);
    for (int y = 0; y < buffer->Height(); ++y)
      for (int x = 0; x < buffer->Width(); ++x) buffer->bits[y * buffer->Width() + x] = FramePixel(x, y, frame);
    Grabbed(frame);
  }
  void GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) override {
    int frame = RunningFrame(pair);
    int w = buffer->Width(), h = buffer->Height();
    BYTE* out = reinterpret_cast<BYTE*>(buffer->bits);
    for (int row = 0; row < h; ++row) {
      int y = h - 1 - row;  // bottom-up
      for (int x = 0; x < w; ++x) {
        DWORD c = FramePixel(x, y, frame);
        BYTE* p = out + (static_cast<size_t>(row) * w + x) * 3;
        p[0] = static_cast<BYTE>(c);
        p[1] = static_cast<BYTE>(c >> 8);
        p[2] = static_cast<BYTE>(c >> 16);
      }
    }
    Grabbed(frame);
  }
  // Called on the render thread after each grab.
  std::function<void(int frame)> onGrab;
  int grabs = 0;

 private:
  static int RunningFrame(CMorphPair* pair) {
    CMorphProject* project = GetMorphProject();
    int n = 0;
    for (int p = 0; p < project->GetPairCount() && project->PairAt(p) != pair; ++p)
      n += project->PairAt(p)->GetFrameCount();
    return n + pair->GetCurrentFrame();
  }
  void Grabbed(int frame) {
    ++grabs;
    if (onGrab) onGrab(frame);
  }
};

using testsupport::FileSizeLimit;

struct Progress {
  int frame;
  std::u16string fileName;
};

// The owner window: a plain window on the test's thread.
class OwnerWindow {
 public:
  OwnerWindow();
  ~OwnerWindow();
  CWnd* Wnd() { return &m_wnd; }
  std::vector<Progress> Received() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
  }
  std::vector<int> Frames();
  // Runs on the owner's thread for each progress message, as a dialog would.
  std::function<void(const Progress&)> onProgress;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::mutex m_lock;
  std::vector<Progress> m_received;
  CWnd m_wnd;
};

// Each test starts on a clean desktop with a project of two pairs of 10
// frames at 12 frames per second, output 64 x 48.
class ExportTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64, kHeight = 48, kFps = 12, kFrames = 20;

  void SetUp() override;
  void TearDown() override;

  // Runs an export to `name` in the temporary folder and waits for its end
  // as the owner does; the thread object is kept for inspection.
  void RunExport(const std::string& name, int quality = 75);
  // The same, to a file anywhere on the host.
  void RunExportToHost(const std::string& hostPath, int quality = 75);
  std::u16string ProgramPath(const std::string& name) const;

  testsupport::TempDir dir_;
  CPaintedFrames frames_;
  CExportFrameSource* source_ = &frames_;  // null: the renderer's grabs
  std::unique_ptr<OwnerWindow> owner_;
  std::unique_ptr<CRenerThread> thread_;
};

}  // namespace exporttest
