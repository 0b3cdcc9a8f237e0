// Docking: the frame's layout with four dock bars holding ten bars, and the
// drag loop of a dock context fed 1,000 pointer moves (each one moves the
// tracking frame on the desktop).
#include <benchmark/benchmark.h>

#include "compat/afx.h"
#include "compat/host.h"

namespace {

class CBenchBar : public CControlBar {
 public:
  BOOL Make(CWnd* parent, DWORD align, UINT id) {
    return CreateBar(nullptr, WS_CHILD | WS_VISIBLE | align, 0, id, parent);
  }
  CSize CalcFixedLayout(BOOL, BOOL bHorz) override { return bHorz ? CSize(150, 28) : CSize(28, 150); }
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

// A frame with three bars in each of the top and bottom rows and two in each side column.
struct BenchFrame {
  CFrameWnd* frame = nullptr;
  CBenchBar bars[10];

  BenchFrame() {
    compat::ResetDesktop(1024, 768);
    frame = new CFrameWnd;
    frame->Create(nullptr, u"Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1000, 740));
    const DWORD aligns[10] = {CBRS_TOP, CBRS_TOP, CBRS_TOP, CBRS_BOTTOM, CBRS_BOTTOM,
                              CBRS_BOTTOM, CBRS_LEFT, CBRS_LEFT, CBRS_RIGHT, CBRS_RIGHT};
    for (int i = 0; i < 10; ++i) {
      bars[i].Make(frame, aligns[i], 0xE810 + i);
      bars[i].EnableDocking(CBRS_ALIGN_ANY);
    }
    frame->EnableDocking(CBRS_ALIGN_ANY);
    for (int i = 0; i < 10; ++i) {
      frame->DockControlBar(&bars[i]);
      frame->RecalcLayout();
      // Each bar after the first of its edge joins the row or column of the one before.
      if (i == 0 || aligns[i] != aligns[i - 1]) continue;
      CRect next;
      bars[i - 1].GetWindowRect(&next);
      const bool horz = (aligns[i] & CBRS_ORIENT_HORZ) != 0;
      next.OffsetRect(horz ? next.Width() : 0, horz ? 0 : next.Height());
      frame->DockControlBar(&bars[i], static_cast<CDockBar*>(bars[i - 1].m_pDockBar), &next);
      frame->RecalcLayout();
    }
    compat::PumpMessages();
  }
  ~BenchFrame() {
    frame->DestroyWindow();
    compat::ResetDesktop(1024, 768);
  }
};

void BM_RecalcLayoutFourDockBarsTenBars(benchmark::State& state) {
  BenchFrame bench;
  for (auto _ : state) bench.frame->RecalcLayout();
  compat::PumpMessages();
}
BENCHMARK(BM_RecalcLayoutFourDockBarsTenBars)->Unit(benchmark::kMicrosecond);

// The frame sized by turns to two widths: every bar of the bottom row and the
// right column moves each time.
void BM_RecalcLayoutAfterResize(benchmark::State& state) {
  BenchFrame bench;
  int turn = 0;
  for (auto _ : state) {
    bench.frame->SetWindowPos(nullptr, 0, 0, (turn++ & 1) ? 1000 : 900, 740, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  compat::PumpMessages();
}
BENCHMARK(BM_RecalcLayoutAfterResize)->Unit(benchmark::kMicrosecond);

// One drag: 1,000 moves over the frame, each handed to the loop as the user
// makes it (queued moves would merge into one), then Escape.
void BM_DragLoopThousandMoves(benchmark::State& state) {
  BenchFrame bench;
  CBenchBar& bar = bench.bars[0];
  CRect start;
  bar.GetWindowRect(&start);
  const CPoint from = start.CenterPoint();
  int64_t moves = 0;
  for (auto _ : state) {
    int handled = 0;
    for (int i = 0; i < 1000; ++i) {
      compat::AddModalStep([i, &bar, &handled] {
        // The move before this one was handled when the loop came back idle.
        if (i > 0 && bar.m_pDockContext->m_ptLast == CPoint(300 + (i - 1) % 200, 300 + ((i - 1) % 2) * 40)) ++handled;
        compat::host::InjectMouseMove(300 + i % 200, 300 + (i % 2) * 40);
      });
    }
    compat::AddModalStep([&bar, &handled] {
      if (bar.m_pDockContext->m_ptLast == CPoint(300 + 999 % 200, 340)) ++handled;
      compat::host::InjectKeyPress(VK_ESCAPE);
    });
    bar.m_pDockContext->StartDrag(from);
    if (handled != 1000) state.SkipWithError("a move was not handled");
    moves += handled;
  }
  state.counters["moves"] = benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DragLoopThousandMoves)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
