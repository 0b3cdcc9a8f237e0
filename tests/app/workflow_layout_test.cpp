// The layout a user arranges is the layout the next start shows: the split
// between the panes dragged with the mouse and the "Preview and Play" bar
// closed with F2 are back after the program ends and starts again.
#include "app/dock_panel_bar.h"
#include "guitk/kit_dock_bar.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

using LayoutWorkflow = Workflow;

CRect ScreenRect(CWnd* wnd) {
  CRect r;
  wnd->GetWindowRect(&r);
  return r;
}

TEST_F(LayoutWorkflow, ADraggedSplitAndAClosedBarAreKeptAcrossARestart) {
  Start();
  CRect source;
  View()->SourcePane()->GetWindowRect(&source);
  const int before = source.Width();
  ASSERT_GT(before, 100);

  // The source pane's right sizing border is the splitter: dragged 60 pixels left.
  const POINT grip{source.right - 2, (source.top + source.bottom) / 2};
  compat::host::InjectMouseMove(grip.x, grip.y);
  compat::host::InjectMouseButton(0, true, grip.x, grip.y);
  compat::host::InjectMouseMove(grip.x - 30, grip.y);
  compat::host::InjectMouseMove(grip.x - 60, grip.y);
  compat::host::InjectMouseButton(0, false, grip.x - 60, grip.y);
  Idle();
  View()->SourcePane()->GetWindowRect(&source);
  const int dragged = source.Width();
  EXPECT_EQ(dragged, before - 60);
  CRect target;
  View()->TargetPane()->GetWindowRect(&target);
  EXPECT_EQ(target.left, source.right) << "the target pane took the room";

  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  ASSERT_FALSE(View()->PreviewBar().GetStyle() & WS_VISIBLE);
  Png("workflow_layout_arranged");
  Exit();

  Start();
  View()->SourcePane()->GetWindowRect(&source);
  EXPECT_EQ(source.Width(), dragged) << "the split is where it was left";
  EXPECT_FALSE(View()->PreviewBar().GetStyle() & WS_VISIBLE) << "the closed bar stays closed";
  EXPECT_EQ(MenuCheck(ID_SHOW_PREVIEW), 0);
  EXPECT_TRUE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  EXPECT_TRUE(View()->PreviewBar().GetStyle() & WS_VISIBLE) << "F2 brings it back";
  Png("workflow_layout_restarted");
}

// A panel let go over the toolbar row (Ctrl held, so that it floats there)
// lies over the top edge's dock bar. A double click on its floating frame's
// caption puts it back where it was docked, at its size: the first click of
// the two, which moves nothing, docks it nowhere. So too after a restart
// that kept it floating.
TEST_F(LayoutWorkflow, ADoubleClickOnAFloatingPanelsCaptionDocksItWhereItWas) {
  Start();
  for (UINT id : {2448u, 2449u}) {  // Effect, Preview and Play
    for (bool restart : {false, true}) {
      auto* bar = dynamic_cast<CDockPanelBar*>(Frame()->GetControlBar(id));
      ASSERT_TRUE(bar);
      const CRect docked = ScreenRect(bar);
      const UINT dock = static_cast<UINT>(::GetDlgCtrlID(::GetParent(bar->m_hWnd)));
      const POINT caption{docked.right - 60, docked.top + 10};
      const POINT to{ScreenRect(Frame()).CenterPoint().x, ScreenRect(&Frame()->m_wndToolBar).CenterPoint().y};
      compat::host::InjectMouseMove(caption.x, caption.y);
      compat::host::InjectMouseButton(0, true, caption.x, caption.y);
      compat::host::InjectKey(VK_CONTROL, true);
      compat::host::InjectMouseMove(to.x, to.y);
      compat::host::InjectMouseButton(0, false, to.x, to.y);
      compat::host::InjectKey(VK_CONTROL, false);
      Idle();
      ASSERT_TRUE(bar->IsFloating()) << id;
      if (restart) {
        Exit();
        Start();
        bar = dynamic_cast<CDockPanelBar*>(Frame()->GetControlBar(id));
        ASSERT_TRUE(bar && bar->IsFloating()) << id;
      }
      CWnd* floating = bar->GetParentFrame();
      CRect client;
      floating->GetClientRect(&client);
      floating->ClientToScreen(&client);
      ASSERT_LT(client.top - 20, ScreenRect(KitInnerDockBar(Frame(), CBRS_ALIGN_TOP)).bottom) << "over the top edge";
      const POINT title{client.left + 30, client.top - ::GetSystemMetrics(SM_CYSMCAPTION) / 2};
      for (int click = 0; click < 2; ++click) {
        compat::host::InjectMouseMove(title.x, title.y);
        compat::host::InjectClick(0, title.x, title.y);
      }
      Idle();
      Png(restart ? "workflow_layout_docked_back_after_restart" : "workflow_layout_docked_back");
      EXPECT_FALSE(bar->IsFloating()) << id;
      EXPECT_EQ(static_cast<UINT>(::GetDlgCtrlID(::GetParent(bar->m_hWnd))), dock) << id;
      EXPECT_EQ(ScreenRect(bar), docked) << id << (restart ? " after a restart" : "");
    }
  }
}

// Where every window inside the frame lies on the screen.
std::vector<CRect> Arrangement(HWND frame) {
  std::vector<CRect> rects;
  ::EnumChildWindows(
      frame,
      [](HWND child, LPARAM list) {
        CRect rect;
        ::GetWindowRect(child, &rect);
        reinterpret_cast<std::vector<CRect>*>(list)->push_back(rect);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&rects));
  return rects;
}

TEST_F(LayoutWorkflow, MinimizedByTheCaptionAndRestoredTheFrameKeepsItsArrangementAndIsPainted) {
  Start();
  CWnd* frame = Frame();
  CRect normal;
  frame->GetWindowRect(&normal);
  const std::vector<CRect> arranged = Arrangement(frame->m_hWnd);
  // The caption's Minimize button; on the minimized strip the same place restores.
  const auto clickMinimize = [&] {
    CRect now;
    frame->GetWindowRect(&now);
    compat::host::InjectMouseMove(now.right - 48, now.top + 13);
    compat::host::InjectClick(0, now.right - 48, now.top + 13);
    Idle();
  };
  const auto shown = [](int x, int y) { return compat::host::DesktopSurface()->Row(y)[x] & 0xFFFFFF; };
  const auto rgb = [](COLORREF c) { return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
  // Restored by the strip's button, or by the window manager (as from a task bar).
  for (const bool byManager : {false, true}) {
    SCOPED_TRACE(byManager ? "restored by the window manager" : "restored by the strip's button");
    clickMinimize();
    ASSERT_TRUE(frame->IsIconic());
    if (byManager) {
      compat::host::InputEvent restore;
      restore.kind = compat::host::InputKind::WindowState;
      restore.window = reinterpret_cast<uintptr_t>(frame->m_hWnd);
      compat::host::DeliverInput(restore);
      Idle();
    } else {
      clickMinimize();
    }
    CRect restored;
    frame->GetWindowRect(&restored);
    EXPECT_EQ(restored, normal);
    EXPECT_TRUE(Arrangement(frame->m_hWnd) == arranged) << "a pane or bar moved or changed its size";
    // The caption and the border are painted at once.
    const uint32_t caption = shown(normal.left + 200, normal.top + 6);
    EXPECT_TRUE(caption == rgb(::GetSysColor(COLOR_ACTIVECAPTION)) || caption == rgb(::GetSysColor(COLOR_INACTIVECAPTION)));
    EXPECT_EQ(shown(normal.left + 2, normal.top + 200), rgb(::GetSysColor(COLOR_BTNFACE)));
  }
}

// The Effect bar's inner edge drags it larger wherever it is docked: its top
// edge at the bottom, its bottom edge at the top, its right edge on the left
// and its left edge on the right.
TEST_F(LayoutWorkflow, TheEffectBarsInnerEdgeSizesItInEveryDockPosition) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Idle();
  CDockPanelBar& bar = m_app->m_wndEffectBar;
  struct Case {
    UINT dock;
    int dx, dy;  // the drag, away from the frame's edge
  };
  for (const Case& side : {Case{AFX_IDW_DOCKBAR_BOTTOM, 0, -80}, Case{AFX_IDW_DOCKBAR_TOP, 0, 80},
                           Case{AFX_IDW_DOCKBAR_LEFT, 80, 0}, Case{AFX_IDW_DOCKBAR_RIGHT, -80, 0}}) {
    Frame()->DockControlBar(&bar, side.dock);
    Frame()->RecalcLayout();
    Idle();
    CRect before, dockBar, shown;
    bar.GetWindowRect(&before);
    ::GetWindowRect(::GetParent(bar.m_hWnd), &dockBar);
    shown.IntersectRect(&before, &dockBar);
    // The edge that shows towards the panes is a band of 4 pixels: pressed
    // on its innermost pixel.
    POINT edge{shown.CenterPoint().x, shown.CenterPoint().y};
    if (side.dy < 0) edge.y = shown.top + 3;
    if (side.dy > 0) edge.y = shown.bottom - 4;
    if (side.dx > 0) edge.x = shown.right - 4;
    if (side.dx < 0) edge.x = shown.left + 3;
    compat::host::InjectMouseMove(edge.x, edge.y);
    compat::host::InjectMouseButton(0, true, edge.x, edge.y);
    compat::host::InjectMouseMove(edge.x + side.dx / 2, edge.y + side.dy / 2);
    compat::host::InjectMouseMove(edge.x + side.dx, edge.y + side.dy);
    compat::host::InjectMouseButton(0, false, edge.x + side.dx, edge.y + side.dy);
    Idle();
    CRect after;
    bar.GetWindowRect(&after);
    const int grown = side.dx != 0 ? after.Width() - before.Width() : after.Height() - before.Height();
    EXPECT_GE(grown, 40) << "docked at " << side.dock;
    EXPECT_LE(grown, 100) << "docked at " << side.dock;
  }
}

}  // namespace
}  // namespace apptest
