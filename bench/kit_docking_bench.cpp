// Toolkit docking: one relayout of a 1024x768 frame during a splitter drag,
// with four sizable bars (two sharing the bottom row, two the right column)
// inside the toolkit's two rings of dock bars.
#include <benchmark/benchmark.h>

#include "compat/afx.h"
#include "compat/host.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"

namespace {

class CBenchKitBar : public CKitControlBar {};

class CBenchFrame : public CFrameWnd {
 public:
  CKitDockRing ring;
};

struct KitFrame {
  CBenchFrame* frame = nullptr;
  CBenchKitBar* bars[4] = {};

  KitFrame() {
    compat::ResetDesktop(1100, 800);
    frame = new CBenchFrame;
    frame->Create(nullptr, u"Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 1024, 768));
    frame->ring.EnableKitDocking(frame);
    const DWORD sides[4] = {CBRS_ALIGN_BOTTOM, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_RIGHT, CBRS_ALIGN_RIGHT};
    for (int i = 0; i < 4; ++i) {
      bars[i] = new CBenchKitBar;
      bars[i]->Create(u"Bar", WS_CHILD | WS_VISIBLE | CBRS_SIZE_DYNAMIC, frame, 2448 + i);
      bars[i]->m_bAutoDelete = TRUE;
      bars[i]->EnableDocking(CBRS_ALIGN_ANY);
      CDockBar* dock = KitInnerDockBar(frame, sides[i]);
      if (i % 2 == 0) {
        frame->DockControlBar(bars[i], dock, nullptr);
      } else {
        // The second bar of each edge joins the first one's row or column.
        CRect place;
        bars[i - 1]->GetWindowRect(&place);
        const bool horz = sides[i] == CBRS_ALIGN_BOTTOM;
        place.OffsetRect(horz ? place.Width() - 10 : 0, horz ? 0 : place.Height() - 10);
        frame->DockControlBar(bars[i], dock, &place);
      }
      frame->RecalcLayout();
    }
    compat::PumpMessages();
  }
  ~KitFrame() {
    frame->DestroyWindow();
    compat::PumpMessages();
  }
};

// What a splitter release does: the boundary between the two bottom bars
// moves by a pixel, then the frame lays out again.
void BM_KitRelayoutDuringSplitterDrag(benchmark::State& state) {
  KitFrame kit;
  int step = 1;
  for (auto _ : state) {
    kit.bars[0]->m_sizeHorz.cx += step;
    kit.bars[1]->m_sizeHorz.cx -= step;
    step = -step;
    kit.frame->RecalcLayout();
  }
  compat::PumpMessages();
}
BENCHMARK(BM_KitRelayoutDuringSplitterDrag)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
