// The framework's control bars in a frame, worked as a user works them on the
// headless desktop: the bars' layout along the frame's edges around the view,
// the toolbar's buttons, sizes, wrapping and idle updates, the status bar's
// panes, and the prompts and tips the frame gives for the bars' commands.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "compat/afx.h"
#include "compat/afx/control_bars_test_ids.h"
#include "compat/afx/resource_ids.h"
#include "compat/afx/test_helpers.h"
#include "compat/win32/dialog_test_support.h"

namespace {

// A bar of a fixed thickness along whatever edge its style names.
class CTestBar : public CControlBar {
 public:
  explicit CTestBar(int thickness) : m_thickness(thickness) {}
  BOOL Create(CWnd* parent, DWORD style, UINT id) { return CreateBar(nullptr, style, 0, id, parent); }
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override {
    if (bHorz) return CSize(bStretch ? 32767 : 50, m_thickness);
    return CSize(m_thickness, bStretch ? 32767 : 50);
  }
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override { ++m_updates; }
  int m_updates = 0;

 private:
  int m_thickness;
};

// Records what a command's update handlers say.
class CTestCmdUIProbe : public CCmdUI {
 public:
  int m_check = -1;
  BOOL m_enabled = TRUE;
  void Enable(BOOL bOn) override {
    m_enabled = bOn;
    m_bEnableChanged = TRUE;
  }
  void SetCheck(int nCheck) override { m_check = nCheck; }
  void SetRadio(BOOL bOn) override { m_check = bOn ? 1 : 0; }
  void SetText(LPCTSTR) override {}
};

class CPlainView : public CView {
  DECLARE_DYNCREATE(CPlainView)

 public:
  void OnDraw(CDC* pDC) override {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(255, 255, 255));
  }
};

IMPLEMENT_DYNCREATE(CPlainView, CView)

class ControlBarsTest : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_frame = new CFrameWnd;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CPlainView);
    ASSERT_TRUE(m_frame->Create(nullptr, u"Bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 520, 420), nullptr,
                                nullptr, 0, &context));
    Pump();
  }
  void TearDown() override {
    if (::IsWindow(m_hwndFrame())) m_frame->DestroyWindow();
    DialogTest::TearDown();
  }
  HWND m_hwndFrame() const { return m_frame ? m_frame->m_hWnd : nullptr; }

  static void Pump() {
    for (int i = 0; i < 3; ++i) compat::PumpMessages();
  }

  // What the application's idle time does for the frame and its bars.
  void Idle() {
    m_frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    m_frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    Pump();
  }

  // A child's rectangle in the frame's client coordinates.
  CRect Place(const CWnd& child) const {
    CRect r;
    child.GetWindowRect(&r);
    m_frame->ScreenToClient(&r);
    return r;
  }
  CRect Client() const {
    CRect r;
    m_frame->GetClientRect(&r);
    return r;
  }
  CWnd* View() const { return m_frame->GetDlgItem(AFX_IDW_PANE_FIRST); }

  CFrameWnd* m_frame = nullptr;  // deletes itself with its window
};

// --- layout ---

TEST_F(ControlBarsTest, BarsTakeTheEdgesInCreationOrderAndTheViewTakesWhatIsLeft) {
  CTestBar top(30), left(40), bottom(20), inner(10);
  ASSERT_TRUE(top.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE810));
  ASSERT_TRUE(left.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_LEFT, 0xE811));
  ASSERT_TRUE(bottom.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM, 0xE812));
  ASSERT_TRUE(inner.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE813));
  EXPECT_EQ(m_frame->m_listControlBars.GetCount(), 4);
  EXPECT_EQ(m_frame->GetControlBar(0xE812), &bottom);
  EXPECT_EQ(m_frame->GetControlBar(0xE899), nullptr);
  m_frame->RecalcLayout();

  const CRect c = Client();
  EXPECT_EQ(Place(top), CRect(0, 0, c.right, 30));
  EXPECT_EQ(Place(left), CRect(0, 30, 40, c.bottom));
  EXPECT_EQ(Place(bottom), CRect(40, c.bottom - 20, c.right, c.bottom));
  // Created later, it lies inside the bars made before it.
  EXPECT_EQ(Place(inner), CRect(40, 30, c.right, 40));
  EXPECT_EQ(Place(*View()), CRect(40, 40, c.right, c.bottom - 20));

  // Resizing the frame lays everything out again.
  m_frame->SetWindowPos(nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  const CRect bigger = Client();
  EXPECT_EQ(Place(top), CRect(0, 0, bigger.right, 30));
  EXPECT_EQ(Place(*View()), CRect(40, 40, bigger.right, bigger.bottom - 20));
}

TEST_F(ControlBarsTest, HiddenBarsGiveUpTheirStripAndTheBarCommandsToggleThem) {
  CTestBar bar(30);
  ASSERT_TRUE(bar.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, ID_VIEW_TOOLBAR));
  m_frame->RecalcLayout();
  EXPECT_EQ(Place(*View()).top, 30);

  // Delayed: nothing moves until the next layout.
  m_frame->ShowControlBar(&bar, FALSE, TRUE);
  EXPECT_FALSE(bar.IsVisible());
  EXPECT_TRUE(bar.IsWindowVisible());
  m_frame->RecalcLayout();
  EXPECT_FALSE(bar.IsWindowVisible());
  EXPECT_EQ(Place(*View()).top, 0);

  // View > Toolbar shows it again and checks its menu item.
  m_frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
  EXPECT_TRUE(bar.IsWindowVisible());
  EXPECT_EQ(Place(*View()).top, 30);
  CTestCmdUIProbe probe;
  probe.m_nID = ID_VIEW_TOOLBAR;
  probe.DoUpdate(m_frame, TRUE);
  EXPECT_EQ(probe.m_check, 1);
}

TEST_F(ControlBarsTest, ADelayedLayoutRunsOnceAtIdleAndBarsAreUpdatedThen) {
  CTestBar bar(24);
  ASSERT_TRUE(bar.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM, 0xE810));
  m_frame->RecalcLayout();
  bar.DelayShow(FALSE);
  m_frame->DelayRecalcLayout();
  EXPECT_EQ(m_frame->m_nIdleFlags & (CFrameWnd::idleLayout | CFrameWnd::idleNotify),
            static_cast<UINT>(CFrameWnd::idleLayout | CFrameWnd::idleNotify));
  EXPECT_EQ(Place(*View()).bottom, Client().bottom - 24);
  Idle();
  EXPECT_EQ(m_frame->m_nIdleFlags, 0u);
  EXPECT_EQ(Place(*View()).bottom, Client().bottom);
  EXPECT_FALSE(bar.IsWindowVisible());
  EXPECT_EQ(bar.m_updates, 0);  // a hidden bar has nothing to update

  m_frame->ShowControlBar(&bar, TRUE, FALSE);
  Idle();
  EXPECT_EQ(bar.m_updates, 1);
}

TEST_F(ControlBarsTest, ABarLeavesTheFrameListWhenDestroyedAndAnAutoDeleteBarDeletesItself) {
  auto* owned = new CTestBar(12);
  owned->m_bAutoDelete = TRUE;
  ASSERT_TRUE(owned->Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE820));
  {
    CTestBar local(12);
    ASSERT_TRUE(local.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE821));
    EXPECT_EQ(m_frame->m_listControlBars.GetCount(), 2);
  }
  EXPECT_EQ(m_frame->m_listControlBars.GetCount(), 1);
  owned->DestroyWindow();  // the sanitizer reports a leak if it stays
  EXPECT_EQ(m_frame->m_listControlBars.GetCount(), 0);
  EXPECT_EQ(m_frame->GetControlBar(0xE820), nullptr);
}

}  // namespace
