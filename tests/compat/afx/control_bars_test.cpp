// The framework's control bars in a frame, worked as a user works them on the
// headless desktop: the bars' layout along the frame's edges around the view,
// the toolbar's buttons, sizes, wrapping and idle updates, the status bar's
// panes, and the prompts and tips the frame gives for the bars' commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/afx/control_bars_test_ids.h"
#include "compat/afx/resource_ids.h"
#include "compat/afx/test_helpers.h"
#include "compat/resource_table.h"
#include "compat/win32/dialog_test_support.h"

namespace {

// Damaged toolbar resources: one names 50 buttons and holds one, one has an
// unknown version.
constexpr WORD kShortToolbar = 790;
constexpr WORD kFutureToolbar = 791;
alignas(4) const BYTE kShortToolbarData[] = {1, 0, 16, 0, 15, 0, 50, 0, 0x21, 0x80};
alignas(4) const BYTE kFutureToolbarData[] = {2, 0, 16, 0, 15, 0, 1, 0, 0x21, 0x80};
const compat::ResourceEntry kDamagedEntries[] = {{241, kShortToolbar, kShortToolbarData, sizeof(kShortToolbarData)},
                                                  {241, kFutureToolbar, kFutureToolbarData, sizeof(kFutureToolbarData)}};
compat::ResourceTable g_damagedTable{kDamagedEntries, 2, compat::ResourceModule::Program, "damaged toolbars", nullptr};
const bool g_damagedRegistered = compat::RegisterResourceTable(g_damagedTable);

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

// The test frame: handlers for the toolbar's commands (Help has none), and
// update handlers that grey Cut and check Grid while the grid shows.
class CBarsFrame : public CFrameWnd {
 public:
  std::vector<UINT> m_commands;
  BOOL m_grid = FALSE;
  std::vector<std::u16string> m_prompts;  // the message pane's text after each prompt

 protected:
  LRESULT OnPrompt(WPARAM wParam, LPARAM lParam) {
    const LRESULT before = CFrameWnd::OnSetMessageString(wParam, lParam);
    if (CWnd* bar = GetMessageBar()) {
      CString text;
      bar->GetWindowText(text);
      m_prompts.push_back(text.Native());
    }
    return before;
  }
  void OnBarCommand(UINT nID) { m_commands.push_back(nID); }
  void OnUpdateCut(CCmdUI* ui) { ui->Enable(FALSE); }
  void OnUpdateGrid(CCmdUI* ui) { ui->SetCheck(m_grid); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBarsFrame, CFrameWnd)
ON_COMMAND_RANGE(ID_BAR_CUT, ID_BAR_GRID, OnBarCommand)
ON_UPDATE_COMMAND_UI(ID_BAR_CUT, OnUpdateCut)
ON_UPDATE_COMMAND_UI(ID_BAR_GRID, OnUpdateGrid)
ON_MESSAGE(WM_SETMESSAGESTRING, OnPrompt)
END_MESSAGE_MAP()

class ControlBarsTest : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_frame = new CBarsFrame;
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

  static void Pump() { PumpWindows(); }

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

  // The toolkit's toolbar: flat, gripper, tips, fly-by prompts, sized to its length.
  static constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                                         CBRS_SIZE_DYNAMIC;
  static POINT At(const CWnd& wnd, int x, int y) { return ScreenAt(wnd, x, y); }
  static COLORREF PixelAt(POINT screen) { return DesktopPixel(screen); }
  static CRect ItemRect(const CToolBar& bar, int index) {
    CRect r;
    bar.GetItemRect(index, &r);
    return r;
  }
  // The indices of the buttons that end a row.
  static std::vector<int> Wraps(const CToolBar& bar) {
    std::vector<int> wraps;
    for (int i = 0; i < bar.GetToolBarCtrl().GetButtonCount(); ++i)
      if (bar.GetButtonStyle(i) & TBBS_WRAPPED) wraps.push_back(i);
    return wraps;
  }

  // The editor's status panes: message, zoom, triangles and the three lock keys.
  static constexpr UINT kIndicators[] = {ID_SEPARATOR,      ID_BAR_ZOOM,      ID_BAR_INTERSECT,
                                         ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
  static std::u16string Shown(const CStatusBar& bar, int pane) { return bar.GetStatusBarCtrl().GetText(pane).Native(); }
  static int TextWidth(const CString& text) {
    CClientDC dc(nullptr);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, ::GetStockObject(SYSTEM_FONT));
    const int width = dc.GetTextExtent(text).cx;
    ::SelectObject(dc.m_hDC, old);
    return width;
  }

  CBarsFrame* m_frame = nullptr;  // deletes itself with its window
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
  // Deleted by its owner while its window lives, an auto-deleting bar goes once.
  auto* deleted = new CTestBar(12);
  deleted->m_bAutoDelete = TRUE;
  ASSERT_TRUE(deleted->Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE822));
  HWND window = deleted->m_hWnd;
  delete deleted;
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(m_frame->m_listControlBars.GetCount(), 0);
}

// --- the toolbar ---

TEST_F(ControlBarsTest, AToolbarResourceGivesButtonsAtTheirPlacesWithImagesInTheButtonColours) {
  CToolBar bar;
  ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle));
  EXPECT_EQ(bar.GetDlgCtrlID(), AFX_IDW_TOOLBAR);
  EXPECT_EQ(bar.GetBarStyle(), static_cast<DWORD>(kToolbarStyle & CBRS_ALL));
  EXPECT_FALSE(bar.GetStyle() & CBRS_GRIPPER);  // a bar style, not the window's thick frame
  ASSERT_TRUE(bar.LoadToolBar(IDR_BAR_BUTTONS));
  EXPECT_FALSE(bar.LoadToolBar(31999));
  ASSERT_TRUE(g_damagedRegistered);
  EXPECT_FALSE(bar.LoadToolBar(kShortToolbar));
  EXPECT_FALSE(bar.LoadToolBar(kFutureToolbar));
  EXPECT_EQ(bar.GetToolBarCtrl().GetButtonCount(), 10);  // the buttons it had stay
  EXPECT_EQ(bar.m_sizeImage, CSize(16, 15));
  EXPECT_EQ(bar.m_sizeButton, CSize(23, 22));
  ASSERT_EQ(bar.GetCount(), 10);
  EXPECT_EQ(bar.GetItemID(3), static_cast<UINT>(ID_SEPARATOR));
  EXPECT_EQ(bar.CommandToIndex(ID_BAR_SQUARE), 4);
  EXPECT_EQ(bar.CommandToIndex(ID_BAR_ZOOM), -1);
  EXPECT_EQ(bar.GetButtonStyle(3), static_cast<UINT>(TBBS_SEPARATOR));
  m_frame->RecalcLayout();

  // Three buttons, a 6-pixel flat separator, three buttons, a separator, two buttons.
  EXPECT_EQ(ItemRect(bar, 0), CRect(0, 0, 23, 22));
  EXPECT_EQ(ItemRect(bar, 2), CRect(46, 0, 69, 22));
  EXPECT_EQ(ItemRect(bar, 3), CRect(69, 0, 75, 22));
  EXPECT_EQ(ItemRect(bar, 4), CRect(75, 0, 98, 22));
  EXPECT_EQ(ItemRect(bar, 8), CRect(150, 0, 173, 22));
  EXPECT_EQ(ItemRect(bar, 9), CRect(173, 0, 196, 22));
  // Docked at the top: the frame's width, 22 for the buttons and 2 for the
  // bottom border; the gripper takes 7 pixels before the first button.
  const CRect c = Client();
  EXPECT_EQ(Place(bar), CRect(0, 0, c.right, 24));
  EXPECT_EQ(Place(*View()), CRect(0, 24, c.right, c.bottom));
  CRect client;
  bar.GetClientRect(&client);
  EXPECT_EQ(client.Size(), CSize(c.right - 7, 22));
  EXPECT_EQ(At(bar, 0, 0).x, At(*m_frame, 7, 0).x);

  // The image sits in the middle of its button: (3, 3) in 23 x 22.
  const POINT redFace = At(bar, 3 + 8, 3 + 7);
  const POINT greyCorner = At(bar, 3 + 0, 3 + 0);
  const POINT whiteTop = At(bar, 3 + 8, 3 + 3);
  EXPECT_EQ(PixelAt(redFace), RGB(255, 0, 0));
  EXPECT_EQ(PixelAt(whiteTop), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelAt(greyCorner), ::GetSysColor(COLOR_BTNFACE));

  // A new face colour maps the bitmap's light grey again.
  const INT element = COLOR_BTNFACE;
  const COLORREF before = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF face = RGB(0xE0, 0xE0, 0xE0);
  HIMAGELIST oldList = bar.GetToolBarCtrl().GetImageList()->GetSafeHandle();
  ::SetSysColors(1, &element, &face);
  Pump();
  EXPECT_NE(bar.GetToolBarCtrl().GetImageList()->GetSafeHandle(), oldList);
  CDC mem;
  mem.CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(mem.m_hDC, bar.m_hbmImageWell);
  EXPECT_EQ(mem.GetPixel(0, 0), face);
  EXPECT_EQ(mem.GetPixel(8, 7), RGB(255, 0, 0));
  ::SelectObject(mem.m_hDC, old);
  bar.RedrawWindow();
  EXPECT_EQ(PixelAt(greyCorner), face);
  EXPECT_EQ(PixelAt(redFace), RGB(255, 0, 0));
  ::SetSysColors(1, &element, &before);
}

TEST_F(ControlBarsTest, OnIdleTheButtonsFollowTheirUpdateHandlersAndACheckGroupKeepsOneChecked) {
  CToolBar bar;
  ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle));
  ASSERT_TRUE(bar.LoadToolBar(IDR_BAR_BUTTONS));
  m_frame->RecalcLayout();
  for (int i : {1, 2, 4, 5, 6}) bar.SetButtonStyle(i, TBBS_CHECKGROUP);
  bar.SetButtonStyle(1, TBBS_CHECKGROUP | TBBS_CHECKED);
  bar.SetButtonStyle(4, TBBS_CHECKGROUP | TBBS_CHECKED);
  bar.SetButtonStyle(6, TBBS_CHECKGROUP | TBBS_CHECKED);
  EXPECT_TRUE(bar.GetToolBarCtrl().IsButtonChecked(ID_BAR_LINE));

  Idle();
  EXPECT_TRUE(bar.GetButtonStyle(0) & TBBS_DISABLED);   // its handler greys Cut
  EXPECT_TRUE(bar.GetButtonStyle(9) & TBBS_DISABLED);   // nothing handles Help
  EXPECT_FALSE(bar.GetButtonStyle(8) & TBBS_CHECKED);
  EXPECT_FALSE(bar.GetButtonStyle(5) & TBBS_DISABLED);
  EXPECT_FALSE(bar.GetToolBarCtrl().IsButtonEnabled(ID_BAR_CUT));
  // Greyed, Cut's red face is drawn embossed.
  EXPECT_NE(PixelAt(At(bar, 3 + 8, 3 + 7)), RGB(255, 0, 0));
  m_frame->m_grid = TRUE;
  Idle();
  EXPECT_EQ(bar.GetButtonStyle(8) & (TBBS_CHECKED | TBBS_CHECKBOX), static_cast<UINT>(TBBS_CHECKED | TBBS_CHECKBOX));

  const CRect circle = ItemRect(bar, 5);
  const POINT p = At(bar, circle.CenterPoint().x, circle.CenterPoint().y);
  compat::host::InjectClick(0, p.x, p.y);
  Pump();
  Idle();
  EXPECT_EQ(m_frame->m_commands, std::vector<UINT>{ID_BAR_CIRCLE});
  std::vector<int> checked;
  for (int i = 0; i < 10; ++i)
    if (bar.GetButtonStyle(i) & TBBS_CHECKED) checked.push_back(i);
  EXPECT_EQ(checked, (std::vector<int>{1, 5, 8}));
  // A click on a greyed button does nothing.
  const POINT cut = At(bar, 11, 11);
  compat::host::InjectClick(0, cut.x, cut.y);
  Pump();
  EXPECT_EQ(m_frame->m_commands.size(), 1u);
}

TEST_F(ControlBarsTest, DynamicLayoutsWrapIntoTheRowsTheLengthAllows) {
  CToolBar bar;
  ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle));
  ASSERT_TRUE(bar.LoadToolBar(IDR_BAR_BUTTONS));

  // The last floating width, 100: three rows, broken at the separators, each
  // as narrow as still gives three rows (69 wide); plus 7 for the gripper and 2 for the border.
  bar.m_nMRUWidth = 100;
  EXPECT_EQ(bar.CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH), CSize(69 + 7, 22 + 4 + 22 + 4 + 22 + 2));
  EXPECT_EQ(Wraps(bar), (std::vector<int>{3, 7}));
  EXPECT_EQ(ItemRect(bar, 4), CRect(0, 26, 23, 48));
  EXPECT_EQ(ItemRect(bar, 8), CRect(0, 52, 23, 74));

  // A length of 150 for the bar leaves 143 for the buttons: two rows, the
  // second (121) the wider.
  EXPECT_EQ(bar.CalcDynamicLayout(150, LM_HORZ), CSize(121 + 7, 22 + 4 + 22 + 2));
  EXPECT_EQ(Wraps(bar), std::vector<int>{3});
  // A height of 80 for the buttons: the search between one button a row
  // (184 high) and one row (22) settles on three rows, 74 high.
  EXPECT_EQ(bar.CalcDynamicLayout(80 + 2, LM_HORZ | LM_LENGTHY), CSize(69 + 7, 74 + 2));
  EXPECT_EQ(Wraps(bar), (std::vector<int>{3, 7}));
  // Committed while floating, the width becomes the bar's last floating width.
  bar.SetBarStyle(bar.GetBarStyle() | CBRS_FLOATING);
  bar.CalcDynamicLayout(150, LM_HORZ | LM_COMMIT);
  EXPECT_EQ(bar.m_nMRUWidth, 121u);
  bar.SetBarStyle(bar.GetBarStyle() & ~CBRS_FLOATING);

  // Docked on a side: one button a row, a separator stays at the end of its
  // row and leaves two thirds of its width before the next.
  const CSize vertical = bar.CalcDynamicLayout(-1, LM_VERTDOCK);
  EXPECT_EQ(Wraps(bar), (std::vector<int>{0, 1, 3, 4, 5, 7, 8}));
  EXPECT_EQ(vertical, CSize(23, 8 * 22 + 2 * 4 + 7 + 2));
  EXPECT_EQ(ItemRect(bar, 2), CRect(0, 44, 23, 66));
  EXPECT_EQ(ItemRect(bar, 4), CRect(0, 70, 23, 92));
  EXPECT_EQ(ItemRect(bar, 9), CRect(0, 162, 23, 184));

  // Docked along the top again: one row.
  EXPECT_EQ(bar.CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK), CSize(196 + 7, 24));
  EXPECT_TRUE(Wraps(bar).empty());
  // A wider separator moves the buttons after it; a set height shares out its margins.
  bar.SetButtonInfo(3, ID_SEPARATOR, TBBS_SEPARATOR, 20);
  UINT id = 1, style = 0;
  int image = 0;
  bar.GetButtonInfo(3, id, style, image);
  EXPECT_EQ(id, static_cast<UINT>(ID_SEPARATOR));
  EXPECT_EQ(image, 20);
  EXPECT_EQ(ItemRect(bar, 4), CRect(89, 0, 112, 22));
  bar.SetHeight(30);
  EXPECT_EQ(bar.CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK), CSize(210 + 7, 30));
  // Without buttons: the borders alone.
  CToolBar empty;
  ASSERT_TRUE(empty.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle, CRect(0, 0, 0, 0), 0xE830));
  EXPECT_EQ(empty.CalcFixedLayout(FALSE, TRUE), CSize(7, 2));
}

// --- the status bar and the frame's prompts ---

TEST_F(ControlBarsTest, StatusPanesAreAsWideAsTheirTextsAndTheLockKeysShowTheirIndicators) {
  CStatusBar status;
  ASSERT_TRUE(status.CreateEx(m_frame, 0x50008200, 0x50008200, AFX_IDW_STATUS_BAR));
  EXPECT_TRUE(status.GetStyle() & SBARS_SIZEGRIP);  // the frame can be sized
  ASSERT_TRUE(status.SetIndicators(kIndicators, 6));
  // Wide enough for the panes: the message pane keeps a quarter of the screen.
  m_frame->SetWindowPos(nullptr, 0, 0, 790, 400, SWP_NOMOVE | SWP_NOZORDER);
  m_frame->RecalcLayout();
  EXPECT_EQ(m_frame->GetMessageBar(), &status);
  EXPECT_EQ(status.GetPaneText(1).Native(), u"100 %");
  EXPECT_EQ(Shown(status, 2), u"Trangels have not intersects");
  EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_NUM), 4);
  for (int pane = 1; pane < 6; ++pane) {
    CRect r;
    status.GetItemRect(pane, &r);
    EXPECT_EQ(r.Width(), TextWidth(status.GetPaneText(pane)) + 8) << "pane " << pane;
  }
  // The message pane takes the rest, up to the grip.
  CRect message, zoom, client;
  status.GetItemRect(0, &message);
  status.GetItemRect(1, &zoom);
  status.GetClientRect(&client);
  EXPECT_EQ(message.left, 0);
  EXPECT_EQ(message.right + 2, zoom.left);
  CRect last;
  status.GetItemRect(5, &last);
  EXPECT_EQ(last.right, client.right - ::GetSystemMetrics(SM_CXVSCROLL) - 2 * ::GetSystemMetrics(SM_CXBORDER));
  EXPECT_EQ(Place(status).bottom, Client().bottom);
  EXPECT_EQ(Place(*View()).bottom, Place(status).top);

  // Maximised, the frame cannot be sized from the corner: no grip, the panes reach the edge.
  m_frame->ShowWindow(SW_MAXIMIZE);
  Pump();
  status.GetClientRect(&client);
  status.GetItemRect(5, &last);
  EXPECT_EQ(last.right, client.right);
  m_frame->ShowWindow(SW_RESTORE);
  Pump();

  EXPECT_TRUE(status.SetPaneText(1, u"50 %"));
  EXPECT_EQ(Shown(status, 1), u"50 %");
  EXPECT_FALSE(status.SetPaneText(6, u"no such pane"));

  // The lock keys: each indicator shows while its lock is on.
  Idle();
  EXPECT_EQ(Shown(status, 3), u"");
  EXPECT_EQ(status.GetPaneStyle(3) & SBPS_DISABLED, static_cast<UINT>(SBPS_DISABLED));
  EXPECT_EQ(Shown(status, 1), u"50 %");  // no handler: it keeps its text
  compat::host::InjectKeyPress(VK_CAPITAL);
  Pump();
  Idle();
  EXPECT_EQ(Shown(status, 3), u"CAP");
  EXPECT_EQ(Shown(status, 4), u"");
  compat::host::InjectKeyPress(VK_CAPITAL);
  Pump();
  Idle();
  EXPECT_EQ(Shown(status, 3), u"");

  // An indicator without a string: FALSE, and its pane stays empty.
  const UINT missing[] = {ID_SEPARATOR, 31999, ID_BAR_ZOOM};
  EXPECT_FALSE(status.SetIndicators(missing, 3));
  EXPECT_EQ(Shown(status, 1), u"");
  EXPECT_EQ(Shown(status, 2), u"100 %");
}

TEST_F(ControlBarsTest, AHighlightedMenuItemShowsItsPromptAndClosingTheMenuShowsReady) {
  CStatusBar status;
  ASSERT_TRUE(status.Create(m_frame));
  ASSERT_TRUE(status.SetIndicators(kIndicators, 6));
  HMENU popup = ::CreatePopupMenu();
  ::AppendMenuW(popup, MF_STRING, ID_BAR_COPY, u"&Copy");
  ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(popup, MF_STRING, ID_BAR_CUT, u"C&ut");
  HMENU menu = ::CreateMenu();
  ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"&Edit");
  ::SetMenu(m_frame->m_hWnd, menu);
  m_frame->RecalcLayout();
  m_frame->m_prompts.clear();

  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('E');
  compat::host::InjectKey(VK_MENU, false);
  compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_ESCAPE);
  compat::host::InjectKeyPress(VK_ESCAPE);
  Pump();
  const auto& prompts = m_frame->m_prompts;
  auto copy = std::find(prompts.begin(), prompts.end(), u"Copy the selection");
  ASSERT_NE(copy, prompts.end());
  EXPECT_NE(std::find(copy, prompts.end(), u"Cut the selection"), prompts.end());
  ASSERT_FALSE(prompts.empty());
  EXPECT_EQ(prompts.back(), u"Ready");
  EXPECT_EQ(Shown(status, 0), u"Ready");

  // A text of its own, and a command without a prompt.
  m_frame->SetMessageText(u"Rendering...");
  EXPECT_EQ(Shown(status, 0), u"Rendering...");
  m_frame->SetMessageText(ID_BAR_ZOOM + 1000);
  EXPECT_EQ(Shown(status, 0), u"");
  ::SetMenu(m_frame->m_hWnd, nullptr);
  ::DestroyMenu(menu);
}

TEST_F(ControlBarsTest, RestingOnAButtonShowsItsPromptAndItsTipAndLeavingItShowsReady) {
  CToolBar bar;
  ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle));
  ASSERT_TRUE(bar.LoadToolBar(IDR_BAR_BUTTONS));
  CStatusBar status;
  ASSERT_TRUE(status.Create(m_frame));
  ASSERT_TRUE(status.SetIndicators(kIndicators, 6));
  m_frame->RecalcLayout();
  Pump();

  compat::StopClock();
  const CRect copy = ItemRect(bar, 1);
  const POINT over = At(bar, copy.CenterPoint().x, copy.CenterPoint().y);
  compat::host::InjectMouseMove(over.x, over.y);
  Pump();
  EXPECT_EQ(Shown(status, 0), u"Copy the selection");
  // Its tip comes after the tooltip's wait, from the part after the prompt.
  compat::AdvanceClock(::GetDoubleClickTime() + 10);
  Pump();
  HWND tip = bar.GetToolBarCtrl().GetToolTips()->m_hWnd;
  EXPECT_TRUE(::IsWindowVisible(tip));
  WCHAR text[80] = {};
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = bar.m_hWnd;
  ti.uId = ID_BAR_COPY;
  ti.lpszText = text;
  ::SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::u16string(text), u"Copy");

  // To the next button, then off the bar: the prompt goes at the next check.
  const CRect paste = ItemRect(bar, 2);
  const POINT next = At(bar, paste.CenterPoint().x, paste.CenterPoint().y);
  compat::host::InjectMouseMove(next.x, next.y);
  Pump();
  EXPECT_EQ(Shown(status, 0), u"Insert the clipboard");
  const POINT away = At(*View(), 100, 100);
  compat::host::InjectMouseMove(away.x, away.y);
  Pump();
  EXPECT_EQ(Shown(status, 0), u"Insert the clipboard");
  compat::AdvanceClock(250);
  Pump();
  EXPECT_EQ(Shown(status, 0), u"Ready");
  compat::RunClock();
}

TEST_F(ControlBarsTest, TheTestFrameWithAToolbarAStatusBarAndAViewForAPersonToLookAt) {
  CToolBar bar;
  ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolbarStyle));
  ASSERT_TRUE(bar.LoadToolBar(IDR_BAR_BUTTONS));
  CStatusBar status;
  ASSERT_TRUE(status.CreateEx(m_frame, 0x50008200, 0x50008200, AFX_IDW_STATUS_BAR));
  ASSERT_TRUE(status.SetIndicators(kIndicators, 6));
  m_frame->SetWindowPos(nullptr, 5, 5, 790, 400, SWP_NOZORDER);
  bar.SetButtonStyle(5, TBBS_CHECKGROUP | TBBS_CHECKED);
  m_frame->m_grid = TRUE;
  m_frame->RecalcLayout();
  Idle();
  m_frame->SetMessageText(ID_BAR_GRID);
  m_frame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  // Between the bars, the view.
  EXPECT_EQ(Place(*View()), CRect(0, Place(bar).bottom, Client().right, Place(status).top));
  ASSERT_TRUE(compat::WriteWindowPng(m_frame->m_hWnd, dlgtest::PngPath("control_bars_frame").c_str()));
}

}  // namespace
