// The transition panel ("Effect" bar) as a user works it: a pair's frame
// count typed into its field, a pair added with the list's insert button
// (it goes on from the target picture), the first pair chosen again by a
// click on its picture, and that pair deleted; the panel, the panes, the
// document's flag and the undo history follow each step.
#include <map>
#include <string>

#include "controls/edit_ctrl.h"
#include "app/dock_panel_bar.h"
#include "controls/dialog_color.h"
#include "controls/image_list_ctrl.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/undo_history.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class PanelWorkflow : public Workflow {
 protected:
  HWND Panel() { return m_app->m_transitionPanel.m_hWnd; }
  HWND PairList() { return ::GetDlgItem(Panel(), 1180); }
  int FieldValue(int id) {
    return static_cast<int>(controls::EditCtrlFromHandle(::GetDlgItem(Panel(), id))->GetValue());
  }
  void DrawLine() {
    SetLineTool(kLineToolNewLine);
    ClickIn(View()->SourcePane(), 10, 10);
    ClickIn(View()->SourcePane(), 40, 30);
    ClickIn(View()->SourcePane(), 40, 30);
    Idle();
  }
  // Clicks in the list's scroll bar just below its up arrow, a page up each.
  void ScrollPairListToTop() {
    auto* list = controls::ImageListCtrlFromHandle(PairList());
    CRect bar;
    list->m_scrollBar.GetWindowRect(&bar);
    list->ScreenToClient(&bar);
    for (int i = 0; i < 8 && list->m_scrollBar.GetScrollPos() > 0; ++i) {
      ClickIn(list, bar.left + 8, bar.top + 17);
      Idle();
    }
    ASSERT_EQ(list->m_scrollBar.GetScrollPos(), 0);
  }
  void ClickWindow(HWND window) {
    const POINT at = Center(window);
    compat::host::InjectMouseMove(at.x, at.y);
    compat::host::InjectClick(0, at.x, at.y);
    Idle();
  }
};

// With the keyboard in the panel, a click in a pane gives it back to the view.
TEST_F(PanelWorkflow, AClickInAPaneTakesTheKeyboardFromThePanel) {
  OpenPair();
  SetLineTool(kLineToolEdit);
  HWND field = ::GetDlgItem(::GetDlgItem(Panel(), 1014), 1);
  ::SetFocus(field);
  ASSERT_EQ(::GetFocus(), field);
  ClickIn(View()->TargetPane(), 60, 40);
  Idle();
  EXPECT_EQ(::GetFocus(), View()->m_hWnd);
}

// The panel laid out as its template says: the pair list keeps its corner,
// no control lies over another, and the effect combos open with a click.
TEST_F(PanelWorkflow, EachControlHasItsOwnPlaceAndTheEffectCombosOpenWithTheMouse) {
  OpenPair();
  // Docked on the left and tall, the bar shows the panel down to the In effect.
  CDockPanelBar& bar = m_app->m_wndEffectBar;
  Frame()->DockControlBar(&bar, AFX_IDW_DOCKBAR_LEFT);
  bar.m_sizeVert = CSize(360, 700);
  Frame()->RecalcLayout();
  Idle();

  CRect list;
  ::GetWindowRect(PairList(), &list);
  EXPECT_LT(list.Height(), 160) << "the list keeps its template height";
  int checked = 0;
  for (HWND child = ::GetWindow(Panel(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (child == PairList() || !::IsWindowVisible(child)) continue;
    CRect rect, common;
    ::GetWindowRect(child, &rect);
    EXPECT_FALSE(common.IntersectRect(&list, &rect)) << "control " << ::GetDlgCtrlID(child) << " lies under the pair list";
    ++checked;
  }
  EXPECT_GE(checked, 16);

  for (int id : {1060, 1030}) {
    HWND combo = ::GetDlgItem(Panel(), id);
    ClickWindow(combo);
    EXPECT_TRUE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "a click opens combo " << id;
    compat::host::InjectKeyPress(VK_ESCAPE);
    Idle();
  }
  // A choice made with the keys in the open list reaches the pair.
  HWND in = ::GetDlgItem(Panel(), 1060);
  ClickWindow(in);
  compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_RETURN);
  Idle();
  EXPECT_FALSE(::SendMessageW(in, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_NE(Project()->CurrentPair()->m_inEffect, nullptr);
  Png("workflow_panel_combo");
}

TEST_F(PanelWorkflow, FramesFieldAndPairButtonsChangeTheProjectAndThePanesFollow) {
  OpenPair();
  CMorphPair* first = Project()->CurrentPair();
  ASSERT_NE(first->GetFrameCount(), 12);

  // Frames: the field typed over and left.
  HWND frames = ::GetDlgItem(::GetDlgItem(Panel(), 1014), 1);
  ASSERT_NE(frames, nullptr);
  ::SetFocus(frames);
  ::SendMessageW(frames, EM_SETSEL, 0, -1);
  compat::host::InjectKeyPress('1');
  compat::host::InjectKeyPress('2');
  compat::host::InjectKeyPress(VK_TAB);
  Idle();
  EXPECT_EQ(first->GetFrameCount(), 12);
  EXPECT_TRUE(GetMainDocument()->IsModified()) << "closing would ask to save the new count";

  // Insert: a second pair, current, going on from the first pair's target.
  ClickWindow(::GetDlgItem(PairList(), controls::kListInsertPairId));
  ASSERT_EQ(Project()->GetPairCount(), 2);
  EXPECT_EQ(Project()->GetCurrentIndex(), 1);
  EXPECT_NE(FieldValue(1014), 12) << "the panel shows the new pair";
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kBlue);
  EXPECT_EQ(ShownAt(View()->TargetPane(), 5, 5), kBlue);
  DrawLine();
  ASSERT_EQ(Project()->CurrentPair()->GetSourceLines()->GetLineCount(), 1);
  Png("workflow_panel_two_pairs");

  // A click on the first pair's picture makes it current again.
  ScrollPairListToTop();
  ClickIn(CWnd::FromHandle(PairList()), 12, 12);
  Idle();
  EXPECT_EQ(Project()->GetCurrentIndex(), 0);
  EXPECT_EQ(Project()->CurrentPair(), first);
  EXPECT_EQ(FieldValue(1014), 12);
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed) << "the panes show the first pair";

  // A line in the first pair, then Delete takes that pair away; the other
  // one is left, current, shown, and Ctrl+Z has nothing of the deleted pair
  // to write over its lines.
  DrawLine();
  ASSERT_EQ(first->GetSourceLines()->GetLineCount(), 1);
  ClickWindow(::GetDlgItem(PairList(), controls::kListDeletePairId));
  ASSERT_EQ(Project()->GetPairCount(), 1);
  CMorphPair* left = Project()->CurrentPair();
  EXPECT_NE(left->GetFrameCount(), 12);
  EXPECT_EQ(FieldValue(1014), left->GetFrameCount());
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kBlue) << "the panes show the pair that is left";
  View()->SetFocus();
  CtrlKey('Z');
  Idle();
  EXPECT_EQ(left->GetSourceLines()->GetLineCount(), 1) << "the deleted pair's history was undone into the other pair";
}

// Pairs added with the list's + button: each new pair is scrolled into
// sight, and the row of buttons under the thumbnails shows only buttons.
TEST_F(PanelWorkflow, InsertedPairsComeIntoSightAndTheButtonRowStaysClear) {
  OpenPair();
  auto* list = controls::ImageListCtrlFromHandle(PairList());
  CRect client;
  list->GetClientRect(&client);
  const int gridHeight = client.Height() - 16;
  ASSERT_GT(gridHeight, list->m_cellSize.cy) << "room for one thumbnail at least";
  for (int pairs = 2; pairs <= 4; ++pairs) {
    ClickWindow(::GetDlgItem(PairList(), controls::kListInsertPairId));
    ASSERT_EQ(Project()->GetPairCount(), pairs);
    const int top = list->GetSelection() * list->m_cellSize.cy - list->m_scrollBar.GetScrollPos();
    EXPECT_GE(top, 0) << pairs << " pairs: the new pair lies above the list";
    EXPECT_LE(top + list->m_cellSize.cy, gridHeight) << pairs << " pairs: the new pair lies below the list's foot";
  }
  // Back to the top with clicks in the scroll bar's track above its thumb:
  // a thumbnail cut by the grid's foot reaches the button row, which keeps
  // the panel's colour beside the buttons.
  ScrollPairListToTop();
  ASSERT_NE(gridHeight % list->m_cellSize.cy, 0);
  CRect insert;
  ::GetWindowRect(::GetDlgItem(PairList(), controls::kListInsertPairId), &insert);
  list->ScreenToClient(&insert);
  Png("workflow_panel_four_pairs");
  const COLORREF face = controls::GetDialogColor();
  const uint32_t shownFace = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  for (int x : {2, static_cast<int>(insert.left) - 2})
    EXPECT_EQ(ShownAt(list, x, gridHeight + 8), shownFace) << "beside the buttons at x " << x;
}

// The panel's windows, each counting the paints and erases it is given.
struct PaintCounter {
  static inline std::map<HWND, WNDPROC> procs;
  static inline std::map<HWND, int> paints;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT || message == WM_ERASEBKGND) ++paints[hwnd];
    return ::CallWindowProcW(procs[hwnd], hwnd, message, wParam, lParam);
  }
  static void Watch(HWND hwnd) {
    procs[hwnd] = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) Watch(child);
  }
  static void Unwatch() {
    for (auto& [hwnd, proc] : procs) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    procs.clear();
  }
  static std::string Painted() {
    std::string names;
    for (auto& [hwnd, count] : paints)
      if (count) names += std::to_string(::GetDlgCtrlID(hwnd)) + " ";
    return names;
  }
};

// Stepping through the frames and zooming the panes change nothing in the
// panel: none of its windows is painted again.
TEST_F(PanelWorkflow, FrameStepsAndZoomsLeaveThePanelUnpainted) {
  OpenPair();
  CDockPanelBar& bar = m_app->m_wndEffectBar;
  Frame()->DockControlBar(&bar, AFX_IDW_DOCKBAR_LEFT);
  bar.m_sizeVert = CSize(360, 700);
  Frame()->ShowWindow(SW_MAXIMIZE);
  Frame()->RecalcLayout();
  Idle();
  const HWND in = ::GetDlgItem(Panel(), 1060);
  ::SendMessageW(in, CB_SETCURSEL, ::SendMessageW(in, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(u"Wave")), 0);
  ::SendMessageW(Panel(), WM_COMMAND, MAKEWPARAM(1060, CBN_SELCHANGE), reinterpret_cast<LPARAM>(in));
  Idle();
  PaintCounter::Watch(Panel());
  PaintCounter::paints.clear();
  CToolBarCtrl& timeline = View()->PreviewWindow()->m_timeLineBar.m_toolBar;
  RECT next{};
  ASSERT_TRUE(timeline.SendMessage(TB_GETRECT, 923, reinterpret_cast<LPARAM>(&next)));
  const int frame = Project()->CurrentPair()->GetCurrentFrame();
  for (int step = 0; step < 2; ++step) {
    ClickIn(&timeline, (next.left + next.right) / 2, (next.top + next.bottom) / 2);
    Idle();
  }
  EXPECT_EQ(Project()->CurrentPair()->GetCurrentFrame(), frame + 2);
  EXPECT_EQ(PaintCounter::Painted(), "") << "after two frame steps";
  PaintCounter::paints.clear();
  ClickToolbarButton(ID_ZOOM_IN);
  ClickToolbarButton(ID_ZOOM_OUT);
  EXPECT_EQ(PaintCounter::Painted(), "") << "after zooming in and out";
  // The counting itself sees a repaint.
  ::InvalidateRect(Panel(), nullptr, TRUE);
  Idle();
  EXPECT_NE(PaintCounter::Painted(), "");
  PaintCounter::Unwatch();
}

}  // namespace
}  // namespace apptest
