// Docking worked as a user works it on the headless desktop: a frame with
// two toolbars and a plain control bar, dragged between its edges and into
// floating frames with the tracking frame drawn over everything, Ctrl and
// Shift during the drag, Escape, double clicks, the floating frame's close
// button and border, and the arrangement saved to and restored from the profile.
//
// Sections: the test frame · dragging and floating · the dock state
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/afx/control_bars_test_ids.h"
#include "compat/afx/test_helpers.h"
#include "compat/host.h"
#include "compat/win32/dialog_test_support.h"
#include "support/tool_runner.h"

namespace {

// --- the test frame ---

constexpr UINT kSecondToolbarId = AFX_IDW_TOOLBAR + 2;
constexpr UINT kTestBarId = 0xE810;
constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_SIZE_DYNAMIC;

// A plain bar of a fixed size that turns with its edge.
class CDockTestBar : public CControlBar {
 public:
  BOOL Create(CWnd* parent, UINT id) {
    if (!CreateBar(nullptr, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, 0, id, parent)) return FALSE;
    SetWindowText(u"Test Bar");
    return TRUE;
  }
  CSize CalcFixedLayout(BOOL, BOOL bHorz) override { return bHorz ? CSize(120, 30) : CSize(30, 120); }
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

class CDockView : public CView {
  DECLARE_DYNCREATE(CDockView)

 public:
  void OnDraw(CDC* pDC) override {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(255, 255, 255));
  }
};
IMPLEMENT_DYNCREATE(CDockView, CView)

class CDockFrame : public CFrameWnd {
 public:
  CToolBar m_drawing;
  CToolBar m_editing;
  CDockTestBar m_testBar;
  BOOL m_dockAll = TRUE;

  BOOL Make(BOOL dockAll) {
    m_dockAll = dockAll;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CDockView);
    return Create(nullptr, u"Docking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 30, 760, 560), nullptr, nullptr, 0,
                  &context);
  }

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_drawing.CreateEx(this, TBSTYLE_FLAT, kToolbarStyle, CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_drawing.LoadToolBar(IDR_BAR_BUTTONS))
      return -1;
    if (!m_editing.CreateEx(this, TBSTYLE_FLAT, kToolbarStyle, CRect(0, 0, 0, 0), kSecondToolbarId) ||
        !m_editing.LoadToolBar(IDR_BAR_BUTTONS))
      return -1;
    if (!m_testBar.Create(this, kTestBarId)) return -1;
    m_drawing.SetWindowText(u"Drawing");
    m_editing.SetWindowText(u"Editing");
    m_drawing.EnableDocking(CBRS_ALIGN_ANY);
    m_editing.EnableDocking(CBRS_ALIGN_ANY);
    m_testBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    if (!m_dockAll) return 0;
    DockControlBar(&m_drawing);
    RecalcLayout();
    // The second toolbar in the same row, after the first.
    CRect beside;
    m_drawing.GetWindowRect(&beside);
    beside.OffsetRect(beside.Width(), 0);
    DockControlBar(&m_editing, AFX_IDW_DOCKBAR_TOP, &beside);
    DockControlBar(&m_testBar);
    RecalcLayout();
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDockFrame, CFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

// --- dragging and floating ---

class ProfileApp : public CWinApp {
 public:
  explicit ProfileApp(const CString& ini) {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(ini);
  }
};

// The slots of a dock bar: 0 for a row's end, an id for a bar, "(id)" for a placeholder.
std::string Dump(const CDockBar* dock) {
  std::ostringstream out;
  for (int i = 0; i < dock->m_arrBars.GetSize(); ++i) {
    if (i) out << ' ';
    void* slot = dock->m_arrBars[i];
    if (CControlBar* bar = dock->GetDockedControlBar(i)) out << std::hex << bar->GetDlgCtrlID();
    else if (slot) out << '(' << std::hex << reinterpret_cast<UINT_PTR>(slot) << ')';
    else out << '0';
  }
  return out.str();
}

std::vector<uint32_t> Snapshot() { return compat::host::DesktopSurface()->pixels; }

int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
  return count;
}

class Docking : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    compat::ResetDesktop(1024, 768);
    m_frame = new CDockFrame;
    ASSERT_TRUE(m_frame->Make(TRUE));
    PumpWindows();
  }
  void TearDown() override {
    if (m_frame && ::IsWindow(m_frame->m_hWnd)) m_frame->DestroyWindow();
    DialogTest::TearDown();
  }
  CDockBar* Edge(UINT id) const { return dynamic_cast<CDockBar*>(m_frame->GetControlBar(id)); }
  static CRect Screen(const CWnd& wnd) {
    CRect r;
    wnd.GetWindowRect(&r);
    return r;
  }
  // A point on the toolbar's gripper (its left end when docked horizontally).
  static CPoint Gripper(const CToolBar& bar) {
    const CRect r = Screen(bar);
    return bar.GetBarStyle() & CBRS_ORIENT_HORZ ? CPoint(r.left + 4, r.CenterPoint().y) : CPoint(r.CenterPoint().x, r.top + 4);
  }
  CRect FrameClient() const {
    CRect r;
    m_frame->GetClientRect(&r);
    m_frame->ClientToScreen(&r);
    return r;
  }
  static CMiniDockFrameWnd* FloatingFrameOf(const CControlBar& bar) {
    return bar.m_pDockBar ? dynamic_cast<CMiniDockFrameWnd*>(bar.m_pDockBar->GetParent()) : nullptr;
  }

  // A drag: the press now, then each point as a step of the tracking loop,
  // `during` run at the last point, and the release (or `finish`) there.
  static void Drag(CPoint from, const std::vector<CPoint>& path, std::function<void()> during = {},
                   std::function<void(CPoint)> finish = {}) {
    for (CPoint p : path) dlgtest::QueueCheck([p] { compat::host::InjectMouseMove(p.x, p.y); });
    if (during) dlgtest::QueueCheck(during);
    const CPoint end = path.empty() ? from : path.back();
    dlgtest::QueueCheck([end, finish] {
      if (finish) finish(end);
      else compat::host::InjectMouseButton(0, false, end.x, end.y);
    });
    compat::host::InjectMouseMove(from.x, from.y);
    compat::host::InjectMouseButton(0, true, from.x, from.y);
    PumpWindows();
  }

  CDockFrame* m_frame = nullptr;
};

TEST_F(Docking, BarsStartInRowsAndTwoToolbarsShareOne) {
  CDockBar* top = Edge(AFX_IDW_DOCKBAR_TOP);
  CDockBar* bottom = Edge(AFX_IDW_DOCKBAR_BOTTOM);
  ASSERT_TRUE(top && bottom && Edge(AFX_IDW_DOCKBAR_LEFT) && Edge(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_EQ(Dump(top), "0 e800 e802 0");
  EXPECT_EQ(Dump(bottom), "0 e810 0");
  // Side by side where the second was put: touching, not overlapping.
  const CRect first = Screen(m_frame->m_drawing), second = Screen(m_frame->m_editing);
  EXPECT_EQ(first.top, second.top);
  EXPECT_EQ(second.left, first.right);
  CRect lastButton, firstButton;
  m_frame->m_drawing.GetItemRect(m_frame->m_drawing.GetCount() - 1, &lastButton);
  m_frame->m_drawing.ClientToScreen(&lastButton);
  m_frame->m_editing.GetItemRect(0, &firstButton);
  m_frame->m_editing.ClientToScreen(&firstButton);
  EXPECT_LE(lastButton.right, firstButton.left);
  // The top dock bar spans the client width, its row as thick as the toolbars.
  EXPECT_EQ(Screen(*top).Width(), FrameClient().Width());
  EXPECT_EQ(Screen(*top).Height(), first.Height() - 2 * 2 + 2);
  // A layout asked for inside a layout is skipped, not run twice.
  m_frame->m_bInRecalcLayout = TRUE;
  m_frame->ShowControlBar(&m_frame->m_testBar, FALSE, FALSE);
  EXPECT_TRUE(m_frame->m_testBar.IsWindowVisible());
  m_frame->m_bInRecalcLayout = FALSE;
  m_frame->RecalcLayout();
  EXPECT_FALSE(m_frame->m_testBar.IsWindowVisible());
  CRect view;
  m_frame->GetDlgItem(AFX_IDW_PANE_FIRST)->GetWindowRect(&view);
  EXPECT_EQ(view.bottom, FrameClient().bottom);  // the empty bottom dock bar takes no room
  PumpWindows();
  ASSERT_TRUE(compat::WriteWindowPng(m_frame->m_hWnd, dlgtest::PngPath("docking_frame").c_str()));
}

TEST_F(Docking, ABarThatMayGoAnywhereDocksAndADestroyedBarLeavesItsRow) {
  // Aligned to every edge: docked at the first edge of the frame's order, not lost.
  m_frame->m_testBar.SetBarStyle((m_frame->m_testBar.GetBarStyle() & ~CBRS_ALIGN_ANY) | CBRS_ALIGN_ANY);
  m_frame->DockControlBar(&m_frame->m_testBar);
  m_frame->RecalcLayout();
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 e802 0 e810 0");
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_BOTTOM)), "0");
  // A bar whose window goes is no longer in any row.
  m_frame->m_editing.DestroyWindow();
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 0 e810 0");
  m_frame->RecalcLayout();
  EXPECT_EQ(m_frame->GetControlBar(kSecondToolbarId), nullptr);
}

TEST_F(Docking, DraggingAToolbarToTheLeftEdgeDocksItThereUpright) {
  const CRect client = FrameClient();
  const CPoint start = Gripper(m_frame->m_drawing);
  std::vector<uint32_t> before;
  int changed = 0;
  compat::host::InjectMouseMove(start.x, start.y);
  PumpWindows();
  before = Snapshot();
  Drag(start, {CPoint(start.x + 40, start.y + 60), CPoint(client.left + 2, client.top + 150)}, [&] {
    // The tracking frame shows over the frame while the drag goes on.
    changed = Differences(before, Snapshot());
    ASSERT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("docking_drag_tracking")));
    CDockContext* context = m_frame->m_drawing.m_pDockContext;
    EXPECT_TRUE(context->m_dwOverDockStyle & CBRS_ALIGN_LEFT);
  });
  EXPECT_GT(changed, 40);
  CDockBar* left = Edge(AFX_IDW_DOCKBAR_LEFT);
  EXPECT_EQ(m_frame->m_drawing.m_pDockBar, left);
  EXPECT_TRUE(m_frame->m_drawing.GetBarStyle() & CBRS_ALIGN_LEFT);
  const CRect bar = Screen(m_frame->m_drawing);
  EXPECT_GT(bar.Height(), bar.Width());
  EXPECT_EQ(Dump(left), "0 e800 0");
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e802 0");
  EXPECT_EQ(m_frame->m_drawing.m_pDockContext->m_uMRUDockID, static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
  // The view gives way to the new column.
  CRect view;
  m_frame->GetDlgItem(AFX_IDW_PANE_FIRST)->GetWindowRect(&view);
  EXPECT_GE(view.left, bar.right - 2);
  ASSERT_TRUE(compat::WriteWindowPng(m_frame->m_hWnd, dlgtest::PngPath("docking_left").c_str()));
}

// A context that refuses the left edge: every search of the drag (where it
// may dock, and where it docks on release) goes through FindDockBar.
class CNoLeftDockContext : public CDockContext {
 public:
  using CDockContext::CDockContext;
  DWORD FindDockBar(const CRect& rect, DWORD dwDockStyle, CDockBar** ppDockBar) override {
    ++searches;
    return CDockContext::FindDockBar(rect, dwDockStyle & ~static_cast<DWORD>(CBRS_ALIGN_LEFT), ppDockBar);
  }
  int searches = 0;
};

TEST_F(Docking, AContextsOwnSearchDecidesWhereTheBarMayDock) {
  CToolBar& bar = m_frame->m_drawing;
  delete bar.m_pDockContext;
  auto* context = new CNoLeftDockContext(&bar);
  bar.m_pDockContext = context;
  const CRect client = FrameClient();
  const CPoint start = Gripper(bar);
  DWORD over = 0;
  Drag(start, {CPoint(start.x + 40, start.y + 60), CPoint(client.left + 2, client.top + 150)},
       [&] { over = bar.m_pDockContext->m_dwOverDockStyle; });
  EXPECT_EQ(over & CBRS_ALIGN_LEFT, 0u);
  EXPECT_NE(bar.m_pDockBar, Edge(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_TRUE(bar.IsFloating()) << "nothing else lies under the drop";
  EXPECT_GT(static_cast<CNoLeftDockContext*>(bar.m_pDockContext)->searches, 0);
}

TEST_F(Docking, DroppedInTheMiddleABarFloatsInAFrameWithItsTitle) {
  const CRect client = FrameClient();
  const CPoint start = Gripper(m_frame->m_editing);
  const CPoint middle = client.CenterPoint();
  Drag(start, {CPoint(start.x + 20, start.y + 80), middle});
  EXPECT_TRUE(m_frame->m_editing.IsFloating());
  CMiniDockFrameWnd* floating = FloatingFrameOf(m_frame->m_editing);
  ASSERT_NE(floating, nullptr);
  EXPECT_TRUE(floating->IsWindowVisible());
  CString title;
  floating->GetWindowText(title);
  EXPECT_EQ(Text(title), u"Editing");
  // The frame fits round the bar and lies where the drop put it.
  CRect frameRect = Screen(*floating);
  EXPECT_TRUE(frameRect.PtInRect(middle));
  CRect barRect = Screen(m_frame->m_editing);
  EXPECT_TRUE(CRect().IntersectRect(frameRect, barRect));
  // Its old place is kept as a placeholder in the top row.
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 (e802) 0");
  ASSERT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("docking_floating")));
}

TEST_F(Docking, CtrlFloatsOverADockBarAndShiftFlips) {
  const CRect client = FrameClient();
  const CPoint start = Gripper(m_frame->m_editing);
  // Over the top row with Ctrl held: floated, not docked.
  Drag(start, {CPoint(start.x + 30, start.y + 2)}, [] { compat::host::InjectKey(VK_CONTROL, true); },
       [](CPoint end) {
         compat::host::InjectMouseButton(0, false, end.x, end.y);
         compat::host::InjectKey(VK_CONTROL, false);
       });
  PumpWindows();
  EXPECT_TRUE(m_frame->m_editing.IsFloating());
  // The test bar (lying along the bottom) dragged into the middle with Shift floats upright.
  const CRect lying = Screen(m_frame->m_testBar);
  const CPoint grip(lying.left + 10, lying.CenterPoint().y);
  Drag(grip, {CPoint(grip.x + 10, grip.y - 70), client.CenterPoint()},
       [] { compat::host::InjectKey(VK_SHIFT, true); },
       [](CPoint end) {
         compat::host::InjectMouseButton(0, false, end.x, end.y);
         compat::host::InjectKey(VK_SHIFT, false);
       });
  PumpWindows();
  ASSERT_TRUE(m_frame->m_testBar.IsFloating());
  EXPECT_TRUE(m_frame->m_testBar.m_pDockContext->m_dwMRUFloatStyle & CBRS_ALIGN_LEFT);
  const CRect upright = Screen(m_frame->m_testBar);
  EXPECT_EQ(upright.Size(), CSize(30, 120));
}

TEST_F(Docking, EscapeCancelsAndLeavesTheDesktopAsItWas) {
  const CPoint start = Gripper(m_frame->m_drawing);
  compat::host::InjectMouseMove(start.x, start.y);
  PumpWindows();
  const std::vector<uint32_t> before = Snapshot();
  const std::string arrangement = Dump(Edge(AFX_IDW_DOCKBAR_TOP));
  const CRect place = Screen(m_frame->m_drawing);
  int during = 0;
  Drag(start, {CPoint(start.x + 200, start.y + 200), start}, [&] { during = Differences(before, Snapshot()); },
       [](CPoint) { compat::host::InjectKeyPress(VK_ESCAPE); });
  PumpWindows();
  EXPECT_GT(during, 0);  // the tracking frame was there
  EXPECT_EQ(Differences(before, Snapshot()), 0);
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), arrangement);
  EXPECT_EQ(Screen(m_frame->m_drawing), place);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Docking, LosingTheCaptureOrAQuitEndsTheDragWithNothingMoved) {
  const CPoint start = Gripper(m_frame->m_drawing);
  const CRect place = Screen(m_frame->m_drawing);
  Drag(start, {CPoint(start.x + 150, start.y + 150)}, {}, [](CPoint end) {
    ::ReleaseCapture();
    compat::host::InjectMouseButton(0, false, end.x, end.y);
  });
  EXPECT_EQ(Screen(m_frame->m_drawing), place);
  EXPECT_FALSE(m_frame->m_drawing.IsFloating());
  // A quit during the drag ends it and stays queued for the program's own loop.
  const CPoint other = Gripper(m_frame->m_editing);
  const CRect otherPlace = Screen(m_frame->m_editing);
  Drag(other, {CPoint(other.x + 150, other.y + 150)}, {}, [](CPoint end) {
    ::PostQuitMessage(7);
    compat::host::InjectMouseButton(0, false, end.x, end.y);
  });
  EXPECT_EQ(Screen(m_frame->m_editing), otherPlace);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(::GetCapture(), nullptr);
}

// The frame class a program sets is the one its bars float in.
class CCustomFloatingFrame : public CMiniDockFrameWnd {
  DECLARE_DYNCREATE(CCustomFloatingFrame)
};
IMPLEMENT_DYNCREATE(CCustomFloatingFrame, CMiniDockFrameWnd)

TEST_F(Docking, BarsFloatInTheFrameClassTheProgramSets) {
  m_frame->m_pFloatingFrameClass = RUNTIME_CLASS(CCustomFloatingFrame);
  m_frame->FloatControlBar(&m_frame->m_testBar, CPoint(300, 300), CBRS_ALIGN_LEFT);
  PumpWindows();
  CMiniDockFrameWnd* floating = FloatingFrameOf(m_frame->m_testBar);
  ASSERT_NE(floating, nullptr);
  EXPECT_TRUE(floating->IsKindOf(RUNTIME_CLASS(CCustomFloatingFrame)));
  EXPECT_EQ(Screen(*floating).TopLeft(), CPoint(300, 300));
  EXPECT_EQ(Screen(m_frame->m_testBar).Size(), CSize(30, 120));  // floated upright
}

TEST_F(Docking, TheTrackingFrameDrawnTwiceLeavesNothing) {
  CDockContext context(&m_frame->m_testBar);
  const std::vector<uint32_t> before = Snapshot();
  context.InitLoop();
  context.m_bDragging = TRUE;
  context.m_rectFrameDragHorz = context.m_rectFrameDragVert = CRect(200, 200, 360, 260);
  context.DrawFocusRect();
  const int thick = Differences(before, Snapshot());
  EXPECT_GT(thick, 0);
  context.DrawFocusRect(TRUE);
  EXPECT_EQ(Differences(before, Snapshot()), 0);
  // Over a dock bar the frame is thin.
  context.m_dwOverDockStyle = CBRS_ALIGN_TOP;
  context.m_rectDragHorz = CRect(200, 200, 360, 260);
  context.DrawFocusRect();
  const int thin = Differences(before, Snapshot());
  EXPECT_GT(thin, 0);
  EXPECT_LT(thin, thick);
  context.CancelLoop();
  PumpWindows();
  EXPECT_EQ(Differences(before, Snapshot()), 0);
}

TEST_F(Docking, ADoubleClickTogglesBetweenFloatingAndTheRememberedPlace) {
  const CRect docked = Screen(m_frame->m_editing);
  const CPoint grip = Gripper(m_frame->m_editing);
  // Floated by a drag into the middle: that place is remembered.
  Drag(grip, {CPoint(grip.x + 20, grip.y + 80), FrameClient().CenterPoint()});
  ASSERT_TRUE(m_frame->m_editing.IsFloating());
  CMiniDockFrameWnd* floating = FloatingFrameOf(m_frame->m_editing);
  ASSERT_NE(floating, nullptr);
  const CPoint floatedAt = Screen(*floating).TopLeft();
  EXPECT_EQ(floatedAt, m_frame->m_editing.m_pDockContext->m_ptMRUFloatPos);
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 (e802) 0");
  // A double click on the caption: back into its slot, where it was.
  CRect caption = Screen(*floating);
  const CPoint onCaption(caption.left + 12, caption.top + GetSystemMetrics(SM_CYDLGFRAME) + 5);
  ASSERT_EQ(floating->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(onCaption.x, onCaption.y)), HTCAPTION);
  compat::host::InjectClick(0, onCaption.x, onCaption.y);
  compat::host::InjectClick(0, onCaption.x, onCaption.y);
  PumpWindows();
  EXPECT_FALSE(m_frame->m_editing.IsFloating());
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 e802 0");
  const CRect back = Screen(m_frame->m_editing);
  EXPECT_EQ(back.TopLeft(), docked.TopLeft()) << back.left << "," << back.top << " vs " << docked.left << "," << docked.top;
  // A double click on the gripper: floating again where it floated before.
  compat::host::InjectClick(0, grip.x, grip.y);
  compat::host::InjectClick(0, grip.x, grip.y);
  PumpWindows();
  ASSERT_TRUE(m_frame->m_editing.IsFloating());
  EXPECT_EQ(Screen(*FloatingFrameOf(m_frame->m_editing)).TopLeft(), floatedAt);
}

TEST_F(Docking, AToolbarDroppedBetweenRowsOpensANewRow) {
  // The test bar goes to the top, under the toolbars' row, as a second row.
  m_frame->DockControlBar(&m_frame->m_testBar, AFX_IDW_DOCKBAR_TOP);
  m_frame->RecalcLayout();
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 e802 0 e810 0");
  const CRect first = Screen(m_frame->m_drawing);
  const CRect second = Screen(m_frame->m_testBar);
  EXPECT_EQ(second.top, first.bottom - 2);
  // The second toolbar dropped on the line between the rows: a row of its own there.
  const CPoint grip = Gripper(m_frame->m_editing);
  const int between = first.bottom - 2;
  const int lift = grip.y - Screen(m_frame->m_editing).CenterPoint().y;
  Drag(grip, {CPoint(grip.x + 100, grip.y + 10), CPoint(first.left + 300, between + lift)});
  EXPECT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e800 0 e802 0 e810 0");
  EXPECT_EQ(Screen(m_frame->m_editing).top, first.bottom - 2);
  EXPECT_EQ(Screen(m_frame->m_testBar).top, Screen(m_frame->m_editing).bottom - 2);
}

TEST_F(Docking, TheFloatingFramesCloseButtonHidesTheBarUntilItIsShownAgain) {
  m_frame->FloatControlBar(&m_frame->m_testBar, CPoint(300, 300));
  PumpWindows();
  CMiniDockFrameWnd* floating = FloatingFrameOf(m_frame->m_testBar);
  ASSERT_NE(floating, nullptr);
  const CRect r = Screen(*floating);
  const int border = GetSystemMetrics(SM_CXDLGFRAME);
  const CPoint close(r.right - border - 2 - GetSystemMetrics(SM_CXSMSIZE) / 2,
                     r.top + border + GetSystemMetrics(SM_CYSMCAPTION) / 2);
  ASSERT_EQ(floating->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLOSE);
  compat::host::InjectClick(0, close.x, close.y);
  PumpWindows();
  EXPECT_FALSE(m_frame->m_testBar.IsWindowVisible());
  EXPECT_FALSE(floating->IsWindowVisible());
  EXPECT_EQ(FloatingFrameOf(m_frame->m_testBar), floating);  // hidden, not destroyed
  m_frame->ShowControlBar(&m_frame->m_testBar, TRUE, FALSE);
  PumpWindows();
  EXPECT_TRUE(m_frame->m_testBar.IsWindowVisible());
  EXPECT_TRUE(floating->IsWindowVisible());
  EXPECT_EQ(Screen(*floating).TopLeft(), r.TopLeft());
}

TEST_F(Docking, SizingAFloatingToolbarByItsBorderWrapsItsButtons) {
  m_frame->FloatControlBar(&m_frame->m_drawing, CPoint(200, 250));
  PumpWindows();
  CMiniDockFrameWnd* floating = FloatingFrameOf(m_frame->m_drawing);
  ASSERT_NE(floating, nullptr);
  const CRect wide = Screen(m_frame->m_drawing);
  CRect r = Screen(*floating);
  const CPoint edge(r.right - 2, r.CenterPoint().y);
  ASSERT_EQ(floating->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTRIGHT);
  // Narrowed to about three buttons.
  Drag(edge, {CPoint(edge.x - 40, edge.y), CPoint(r.left + 80, edge.y)});
  PumpWindows();
  const CRect narrow = Screen(m_frame->m_drawing);
  EXPECT_LT(narrow.Width(), wide.Width());
  EXPECT_GT(narrow.Height(), wide.Height());
  int wraps = 0;
  for (int i = 0; i < m_frame->m_drawing.GetCount(); ++i) wraps += (m_frame->m_drawing.GetButtonStyle(i) & TBBS_WRAPPED) != 0;
  EXPECT_GE(wraps, 1);
  EXPECT_EQ(Screen(*floating).left, r.left);  // sized from the right: the left edge stays
  ASSERT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("docking_wrapped")));
}

// --- the dock state ---

class DockingState : public Docking {
 protected:
  TempFolder m_folder;
  CString m_ini = m_folder.Path(u"docking.ini");
  ProfileApp m_app{m_ini};

  // A second frame made like the first but with every bar at its first place.
  CDockFrame* Fresh() {
    auto* frame = new CDockFrame;
    EXPECT_TRUE(frame->Make(TRUE));
    PumpWindows();
    return frame;
  }
};

TEST_F(DockingState, SavedArrangementIsReadByConfigParserAndRestoredByANewFrame) {
  // Drawing to the left, Editing floating, the test bar hidden.
  m_frame->DockControlBar(&m_frame->m_drawing, AFX_IDW_DOCKBAR_LEFT);
  m_frame->FloatControlBar(&m_frame->m_editing, CPoint(420, 380));
  m_frame->ShowControlBar(&m_frame->m_testBar, FALSE, FALSE);
  m_frame->RecalcLayout();
  PumpWindows();
  const CRect floatingAt = Screen(*FloatingFrameOf(m_frame->m_editing));
  m_frame->SaveBarState(u"Layout");
  // Another program sees the profile once the writes are flushed.
  ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_folder.Path(u"docking.ini"));

  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("python3"), "python3");
  const std::string script =
      "import configparser,sys\n"
      "c=configparser.ConfigParser(interpolation=None)\n"
      "c.optionxform=str\n"
      "c.read(sys.argv[1])\n"
      "n=int(c['Layout-Summary']['Bars'])\n"
      "keys=['BarID','Visible','Horz','Floating','XPos','YPos','MRUWidth','Docking','MRUDockID','MRUDockLeftPos',"
      "'MRUDockTopPos','MRUDockRightPos','MRUDockBottomPos','MRUFloatStyle','MRUFloatXPos','MRUFloatYPos','Bars']\n"
      "print(n, all(k in c['Layout-Bar%d'%i] for i in range(n) for k in keys))\n"
      "[print(c['Layout-Bar%d'%i]['BarID'], c['Layout-Bar%d'%i]['Visible'], c['Layout-Bar%d'%i]['Floating']) "
      "for i in range(n)]\n";
  const std::string scriptPath = m_folder.Host() + "/read_layout.py";
  std::FILE* file = std::fopen(scriptPath.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs(script.c_str(), file);
  std::fclose(file);
  int status = 0;
  const std::string output =
      testsupport::RunTool("python3 '" + scriptPath + "' '" + m_folder.Host() + "/docking.ini'", &status);
  EXPECT_EQ(status, 0);
  std::istringstream lines(output);
  std::string header;
  std::getline(lines, header);
  // Three bars, four edge dock bars and one floating dock bar.
  EXPECT_EQ(header, "8 True") << output;
  std::map<std::string, std::string> records;
  for (std::string line; std::getline(lines, line);) records[line.substr(0, line.find(' '))] += line.substr(line.find(' ') + 1) + ";";
  EXPECT_EQ(records["59408"], "0 0;");               // the test bar: hidden
  EXPECT_EQ(records["59423"], "1 1;");               // the floating dock bar
  EXPECT_EQ(records["59392"], "1 0;");

  CDockFrame* second = Fresh();
  second->LoadBarState(u"Layout");
  PumpWindows();
  EXPECT_EQ(second->m_drawing.m_pDockBar, dynamic_cast<CDockBar*>(second->GetControlBar(AFX_IDW_DOCKBAR_LEFT)));
  ASSERT_TRUE(second->m_editing.IsFloating());
  EXPECT_EQ(Screen(*FloatingFrameOf(second->m_editing)).TopLeft(), floatingAt.TopLeft());
  EXPECT_FALSE(second->m_testBar.IsWindowVisible());
  EXPECT_EQ(Dump(dynamic_cast<CDockBar*>(second->GetControlBar(AFX_IDW_DOCKBAR_TOP))), "0 (e802) 0");
  // Toggling brings Editing back to its old place in the top row.
  second->m_editing.m_pDockContext->ToggleDocking();
  PumpWindows();
  EXPECT_EQ(Dump(dynamic_cast<CDockBar*>(second->GetControlBar(AFX_IDW_DOCKBAR_TOP))), "0 e802 0");
  second->DestroyWindow();
}

TEST_F(DockingState, RowOrderIsRestored) {
  // Editing first, then Drawing, in the top row.
  CRect after = Screen(m_frame->m_editing);
  after.OffsetRect(after.Width() + 40, 0);
  m_frame->DockControlBar(&m_frame->m_drawing, AFX_IDW_DOCKBAR_TOP, &after);
  m_frame->RecalcLayout();
  ASSERT_EQ(Dump(Edge(AFX_IDW_DOCKBAR_TOP)), "0 e802 e800 0");
  const CRect drawingAt = Screen(m_frame->m_drawing);
  m_frame->SaveBarState(u"Order");
  CDockFrame* second = Fresh();
  second->LoadBarState(u"Order");
  PumpWindows();
  EXPECT_EQ(Dump(dynamic_cast<CDockBar*>(second->GetControlBar(AFX_IDW_DOCKBAR_TOP))), "0 e802 e800 0");
  CRect restored;
  second->m_drawing.GetWindowRect(&restored);
  EXPECT_EQ(restored.left - Screen(*second).left, drawingAt.left - Screen(*m_frame).left);
  second->DestroyWindow();
}

TEST_F(DockingState, AStateNamingAMissingBarLoadsWithoutHarm) {
  m_frame->SaveBarState(u"Missing");
  // A bar this program no longer has, first in the top row (the record after
  // the three bars') and floating on its own.
  ::WritePrivateProfileStringW(u"Missing-Bar3", u"Bar#1", u"1234", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Summary", u"Bars", u"9", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Bar7", u"BarID", u"1234", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Bar8", u"BarID", u"59423", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Bar8", u"Floating", u"1", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Bar8", u"Bars", u"3", m_ini);
  ::WritePrivateProfileStringW(u"Missing-Bar8", u"Bar#1", u"1234", m_ini);
  CDockFrame* second = Fresh();
  second->LoadBarState(u"Missing");
  PumpWindows();
  // Drawing, whose slot now names the missing bar, keeps a row of its own.
  EXPECT_EQ(Dump(dynamic_cast<CDockBar*>(second->GetControlBar(AFX_IDW_DOCKBAR_TOP))), "0 e802 0 e800 0");
  EXPECT_FALSE(second->m_editing.IsFloating());
  // No empty floating frame is left behind.
  int floatingFrames = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hwnd, LPARAM count) -> BOOL {
    if (dynamic_cast<CMiniDockFrameWnd*>(CWnd::FromHandlePermanent(hwnd))) ++*reinterpret_cast<int*>(count);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&floatingFrames));
  EXPECT_EQ(floatingFrames, 0);
  second->DestroyWindow();
}

TEST_F(DockingState, AFloatingFrameSavedOnALargerDesktopIsScaledIntoThisOne) {
  m_frame->FloatControlBar(&m_frame->m_editing, CPoint(600, 400));
  PumpWindows();
  m_frame->SaveBarState(u"Large");
  ::WritePrivateProfileStringW(u"Large-Summary", u"ScreenCX", u"2048", m_ini);
  ::WritePrivateProfileStringW(u"Large-Summary", u"ScreenCY", u"1536", m_ini);
  CDockFrame* second = Fresh();
  second->LoadBarState(u"Large");
  PumpWindows();
  ASSERT_TRUE(second->m_editing.IsFloating());
  EXPECT_EQ(Screen(*FloatingFrameOf(second->m_editing)).TopLeft(), CPoint(300, 200));
  second->DestroyWindow();
}

}  // namespace
