// Feature-line editing as the user works it: scripted clicks, drags and
// double clicks with Shift, Ctrl and Tab on a pair's source side, checked
// on both sides of the pair.
#include <gtest/gtest.h>

#include <cmath>

#include "compat/host.h"
#include "compat/win32.h"
#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "session_messages.h"
#include "ui/image_pane_link.h"

using namespace session;

namespace {

class LineEditing : public ::testing::Test {
 protected:
  void SetUp() override { SetLineTool(kLineToolEdit); }
  void TearDown() override { SetLineTool(kLineToolNewLine); }

  CLineSet& source() { return *pair.GetSourceLines(); }
  CLineSet& target() { return *pair.GetTargetLines(); }

  // The same line on both sides, as the pair keeps them.
  void AddBoth(std::initializer_list<CVector2> points, int closed = 0) {
    for (CLineSet* set : {pair.GetSourceLines(), pair.GetTargetLines()}) {
      CFeatureLine* line = new CFeatureLine;
      for (const CVector2& p : points) line->AddPoint(p);
      line->closed = closed;
      set->GetLines().Add(line);
    }
  }

  int Click(CLineSet& set, int x, int y, UINT flags = 0, BOOL tab = FALSE) {
    return set.OnLButtonDown(flags, tab, x, y, &record);
  }

  static void ExpectPoint(const CLineSet& set, int line, int point, float x, float y) {
    const CVector2* p = set.PointAt(line, point);
    ASSERT_NE(p, nullptr) << line << "," << point;
    EXPECT_FLOAT_EQ(p->x, x);
    EXPECT_FLOAT_EQ(p->y, y);
  }

  static void ExpectSameShape(CLineSet& a, CLineSet& b) {
    ASSERT_EQ(a.GetLineCount(), b.GetLineCount());
    for (int i = 0; i < a.GetLineCount(); ++i) {
      EXPECT_EQ(a.LineAt(i)->GetPointCount(), b.LineAt(i)->GetPointCount()) << i;
      EXPECT_EQ(a.LineAt(i)->closed, b.LineAt(i)->closed) << i;
    }
  }

  CMorphPair pair;
  CEditModeRecord record{};
};

}  // namespace

// --- drawing new lines ---

TEST_F(LineEditing, DrawALineWithClicksAndADoubleClick) {
  SetLineTool(kLineToolNewLine);
  source().SetOrigin(5, 5);
  ASSERT_EQ(Click(source(), 10, 10), kLineLoopNewLine);
  int dispatched = 0;
  Feed(source(),
       {Msg(kMouseMove, 30, 10), Msg(kMouseMove, 50, 10), Msg(kLButtonUp, 10, 10), Msg(kLButtonDown, 50, 10),
        Msg(kLButtonUp, 50, 10), Msg(kPaint, 0, 0), Msg(kMouseMove, 50, 60), Msg(kLButtonDown, 50, 60),
        Msg(kLButtonUp, 50, 60), Msg(kLButtonDblClk, 50, 60), Msg(kMouseMove, 90, 90)},
       &dispatched);
  EXPECT_EQ(dispatched, 1);
  ASSERT_EQ(source().GetLineCount(), 1);
  ASSERT_EQ(source().LineAt(0)->GetPointCount(), 3);  // the double click left no duplicate
  ExpectPoint(source(), 0, 0, 15, 15);
  ExpectPoint(source(), 0, 1, 55, 15);
  ExpectPoint(source(), 0, 2, 55, 65);
  EXPECT_EQ(source().LineAt(0)->closed, 0);
  ExpectSameShape(source(), target());
  ExpectPoint(target(), 0, 2, 55, 65);
  EXPECT_EQ(pair.GetSelection().GetSize(), 0);
  EXPECT_EQ(GetLineTool(), kLineToolEdit);
  EXPECT_EQ(pair.m_lastRefreshWParam, 1u);  // the last refresh came while drawing
  EXPECT_EQ(source().GetActiveLoop(), kLineLoopNone);
  EXPECT_TRUE(pair.IsMeshDirty());
}

TEST_F(LineEditing, CtrlOnTheFinishingClickClosesTheLine) {
  SetLineTool(kLineToolNewLine);
  Click(target(), 0, 0);
  Feed(target(), {Msg(kMouseMove, 40, 0), Msg(kLButtonDown, 40, 0), Msg(kMouseMove, 40, 40),
                  Msg(kRButtonDown, 40, 40, kControl)});
  ASSERT_EQ(target().GetLineCount(), 1);
  EXPECT_EQ(target().LineAt(0)->closed, 1);
  EXPECT_EQ(source().LineAt(0)->closed, 1);
  EXPECT_EQ(source().LineAt(0)->GetPointCount(), 3);
}

TEST_F(LineEditing, OneClickLineIsDiscardedOnBothSides) {
  AddBoth({{100, 100}, {200, 100}});
  SetLineTool(kLineToolNewLine);
  Click(target(), 10, 10);
  Feed(target(), {Msg(kLButtonUp, 10, 10), Msg(kLButtonDown, 10, 10), Msg(kLButtonUp, 10, 10), Msg(kLButtonDblClk, 10, 10)});
  ASSERT_EQ(target().GetLineCount(), 1);
  ASSERT_EQ(source().GetLineCount(), 1);
  ExpectPoint(source(), 0, 1, 200, 100);
  ExpectPoint(target(), 0, 1, 200, 100);
}

TEST_F(LineEditing, CaptureLossFinishesTheLineOpen) {
  SetLineTool(kLineToolNewLine);
  Click(source(), 0, 0);
  Feed(source(), {Msg(kMouseMove, 30, 30), Msg(kCaptureChanged, 0, 0)});
  ASSERT_EQ(source().GetLineCount(), 1);
  EXPECT_EQ(source().LineAt(0)->GetPointCount(), 2);
  ExpectSameShape(source(), target());
}

// --- moving, inserting and deleting points ---

TEST_F(LineEditing, ClickAndDragMovesThePointOnThisSideOnly) {
  AddBoth({{20, 20}, {80, 20}});
  source().SetOrigin(10, 0);
  ASSERT_EQ(Click(source(), 72, 22), kLineLoopDrag);  // (82, 22) in set space
  EXPECT_EQ(record.kind, kLineHitPoint);
  EXPECT_EQ(record.point, 1);
  Feed(source(), {Msg(kMouseMove, 75, 30), Msg(kMouseMove, 80, 40), Msg(kLButtonUp, 80, 40)});
  ExpectPoint(source(), 0, 1, 88, 38);
  ExpectPoint(target(), 0, 1, 80, 20);
  EXPECT_EQ(source().IsSelected(0, 1), 1);
}

TEST_F(LineEditing, ClickSixPixelsAwaySelectsAndOnTheSegmentInserts) {
  AddBoth({{0, 0}, {40, 0}});
  Click(source(), -6, -6);
  EXPECT_EQ(record.kind, kLineHitPoint);
  source().EndLoop();
  Click(source(), 7, 0);  // 7 from point 0: a segment hit
  EXPECT_EQ(record.kind, kLineHitSegment);
  ASSERT_EQ(source().LineAt(0)->GetPointCount(), 3);
  ExpectPoint(source(), 0, 1, 7, 0);
  ExpectPoint(target(), 0, 1, 7, 0);
  EXPECT_EQ(source().IsSelected(0, 1), 1);
  Feed(source(), {Msg(kMouseMove, 7, 10), Msg(kLButtonUp, 7, 10)});
  ExpectPoint(source(), 0, 1, 7, 10);
  ExpectPoint(target(), 0, 1, 7, 0);
}

TEST_F(LineEditing, ClosingSegmentIsHitOnlyOnAClosedLine) {
  AddBoth({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
  CLineHit hit;
  EXPECT_EQ(source().HitTestLines(POINT{0, 20}, hit), kLineHitNothing);
  source().LineAt(0)->closed = 1;
  EXPECT_EQ(source().HitTestLines(POINT{0, 20}, hit), kLineHitSegment);
  EXPECT_EQ(hit.point, 3);
}

TEST_F(LineEditing, PointDeleteToolRemovesOnBothSides) {
  AddBoth({{0, 0}, {40, 0}, {80, 0}});
  SetLineTool(kLineToolPointDelete);
  EXPECT_EQ(Click(source(), 300, 300), kLineLoopNone);  // nothing hit: nothing done
  EXPECT_EQ(source().LineAt(0)->GetPointCount(), 3);
  source().HoverDeletePoint(41, 1);
  EXPECT_EQ(source().IsSelected(0, 1), 1);
  EXPECT_EQ(Click(source(), 41, 1), kLineLoopNone);
  ExpectSameShape(source(), target());
  EXPECT_EQ(source().LineAt(0)->GetPointCount(), 2);
  ExpectPoint(target(), 0, 1, 80, 0);
  EXPECT_EQ(pair.GetSelection().GetSize(), 0);
}

// --- Tab, Shift and Ctrl ---

TEST_F(LineEditing, TabClickOpensAClosedLineAtThePointOnBothSides) {
  AddBoth({{0, 0}, {40, 0}, {80, 0}, {80, 40}, {40, 40}, {0, 40}}, 1);
  Click(source(), 80, 40, 0, TRUE);
  source().EndLoop();
  for (CLineSet* set : {&source(), &target()}) {
    EXPECT_EQ(set->LineAt(0)->closed, 0);
    ExpectPoint(*set, 0, 0, 80, 40);
    ExpectPoint(*set, 0, 5, 80, 0);
  }
  EXPECT_EQ(source().IsSelected(0, 0), 1);
  Click(source(), 0, 40, 0, TRUE);  // Tab again closes it
  source().EndLoop();
  EXPECT_EQ(target().LineAt(0)->closed, 1);
}

TEST_F(LineEditing, ShiftSelectsTheLineCtrlAddsAPoint) {
  AddBoth({{0, 0}, {40, 0}});
  AddBoth({{0, 100}, {40, 100}, {80, 100}});
  Click(source(), 40, 100, kShift);
  source().EndLoop();
  EXPECT_EQ(pair.GetSelection().GetSize(), 3);
  Click(source(), 0, 0, kControl);
  source().EndLoop();
  EXPECT_EQ(pair.GetSelection().GetSize(), 4);
  EXPECT_EQ(target().IsSelected(0, 0), 1);  // one selection for both sides
  const CRectF& box = source().GetTracker().GetRect();
  EXPECT_FLOAT_EQ(box.bottom, 100.0f);
  Click(source(), 40, 0);  // a plain click starts over
  source().EndLoop();
  EXPECT_EQ(pair.GetSelection().GetSize(), 1);
}

// --- rubber band and transform frame ---

TEST_F(LineEditing, RubberBandSelectsInsideAndFramesIt) {
  AddBoth({{20, 20}, {60, 20}, {200, 200}});
  ASSERT_EQ(Click(source(), 100, 100), kLineLoopRubberBand);
  Feed(source(), {Msg(kMouseMove, 50, 50), Msg(kMouseMove, 10, 10), Msg(kLButtonUp, 10, 10)});
  EXPECT_EQ(pair.GetSelection().GetSize(), 2);
  EXPECT_EQ(source().IsSelected(0, 2), 0);
  EXPECT_FLOAT_EQ(source().GetTracker().GetRect().left, 10.0f);
  EXPECT_FLOAT_EQ(source().GetTracker().GetRect().right, 100.0f);
}

TEST_F(LineEditing, DraggingInsideTheFrameMovesTheSelection) {
  AddBoth({{20, 20}, {60, 20}, {60, 60}});
  Click(source(), 100, 100);
  Feed(source(), {Msg(kMouseMove, 10, 10), Msg(kLButtonUp, 10, 10)});  // frame (10, 10)-(100, 100)
  ASSERT_EQ(Click(source(), 50, 70), kLineLoopTransform);
  EXPECT_EQ(record.kind, kLineHitTracker);
  Feed(source(), {Msg(kMouseMove, 55, 72), Msg(kMouseMove, 60, 80), Msg(kLButtonUp, 60, 80)});
  ExpectPoint(source(), 0, 0, 30, 30);
  ExpectPoint(source(), 0, 2, 70, 70);
  ExpectPoint(target(), 0, 0, 20, 20);
  EXPECT_FLOAT_EQ(source().GetTracker().GetRect().left, 20.0f);
}

TEST_F(LineEditing, SizingHandleScalesAboutTheFrameCentre) {
  AddBoth({{20, 50}, {80, 50}});
  Click(source(), 100, 100);
  Feed(source(), {Msg(kMouseMove, 0, 0), Msg(kLButtonUp, 0, 0)});  // frame 0..100, centre 50
  ASSERT_EQ(Click(source(), 100, 50), kLineLoopTransform);                     // right edge middle
  Feed(source(), {Msg(kMouseMove, 150, 50), Msg(kLButtonUp, 150, 50)});
  ExpectPoint(source(), 0, 0, -10, 50);
  ExpectPoint(source(), 0, 1, 110, 50);
}

// --- context commands and cursor ---

TEST_F(LineEditing, DeleteLineControlPointRemovesTheWholeLineOnBothSides) {
  AddBoth({{0, 0}, {40, 0}});
  AddBoth({{0, 100}, {40, 100}});
  EXPECT_EQ(source().HitControlPoint(20, 100), 1);
  EXPECT_EQ(source().HitControlPoint(20, 50), 0);
  source().DeleteControlPoint(20, 50);  // away from any line: nothing
  EXPECT_EQ(source().GetLineCount(), 2);
  source().DeleteControlPoint(20, 100);
  ASSERT_EQ(source().GetLineCount(), 1);
  ASSERT_EQ(target().GetLineCount(), 1);
  ExpectPoint(target(), 0, 1, 40, 0);
}

TEST_F(LineEditing, MaskFigureIsThisSides) {
  AddBoth({{0, 0}, {40, 0}});
  target().ToggleMaskFigure(40, 0);
  EXPECT_EQ(target().LineAt(0)->mask, 1);
  EXPECT_EQ(source().LineAt(0)->mask, 0);
}

TEST_F(LineEditing, ToggleAndSelectLineCommands) {
  AddBoth({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
  AddBoth({{100, 0}, {140, 0}});
  source().ToggleClosed(20, 0);
  EXPECT_EQ(target().LineAt(0)->closed, 1);
  source().ToggleClosed(40, 40);
  EXPECT_EQ(target().LineAt(0)->closed, 0);
  ExpectPoint(target(), 0, 0, 40, 40);
  source().SelectLine(120, 0);
  EXPECT_EQ(pair.GetSelection().GetSize(), 2);
  source().SelectLine(0, 40, TRUE);
  EXPECT_EQ(pair.GetSelection().GetSize(), 6);
  source().SelectLine(120, 0);
  EXPECT_EQ(pair.GetSelection().GetSize(), 2);
}

TEST_F(LineEditing, CursorByToolAndHit) {
  AddBoth({{0, 0}, {40, 0}});
  EXPECT_EQ(source().CursorForMode(POINT{20, 0}), 30989);
  EXPECT_EQ(source().CursorForMode(POINT{0, 0}), 0);
  SetLineTool(kLineToolPointDelete);
  EXPECT_EQ(source().CursorForMode(POINT{500, 500}), 108);
  SetLineTool(kLineToolNewLine);
  EXPECT_EQ(source().CursorForMode(POINT{20, 0}), 0);
}

TEST_F(LineEditing, StaleSelectionFromAnEarlierStateIsSkipped) {
  AddBoth({{0, 0}, {40, 0}});
  pair.GetSelection().Add(CLinePoint{0, 9});
  pair.GetSelection().Add(CLinePoint{4, 0});
  pair.GetSelection().Add(CLinePoint{0, 1});
  pair.CopyPointsAcross(TRUE);
  source().MoveSelection(POINT{0, 0}, POINT{1, 1});
  ExpectPoint(source(), 0, 1, 41, 1);
  pair.DeleteSelectedPoints();
  ExpectSameShape(source(), target());
  EXPECT_EQ(source().LineAt(0)->GetPointCount(), 1);
}

TEST_F(LineEditing, WildPointsFromAFileAreHitWithoutOverflow) {
  AddBoth({{3e38f, -3e38f}, {NAN, 1}, {-1e20f, 1e20f}, {5, 5}}, 1);
  for (int tool : {kLineToolEdit, kLineToolPointDelete}) {
    SetLineTool(tool);
    Click(source(), 2000000000, -2000000000);
    source().EndLoop();
    source().HoverDeletePoint(5, 5);
    EXPECT_GE(source().CursorForMode(POINT{5, 5}), 0);
  }
  ExpectSameShape(source(), target());
}

// Without the editor's panes nothing follows the mouse: a press still does
// its work, and a loop it starts is finished at once rather than left open.
TEST_F(LineEditing, WithoutAPaneLinkAPressLeavesNoLoopOpen) {
  SetPaneLink(nullptr);
  SetLineTool(kLineToolNewLine);
  source().OnLButtonDown(0, nullptr, 10, 10);
  EXPECT_EQ(source().GetActiveLoop(), kLineLoopNone);
  EXPECT_EQ(source().GetLineCount(), 0) << "a line of one position is discarded";
  ExpectSameShape(source(), target());
  EXPECT_EQ(GetLineTool(), kLineToolEdit);

  AddBoth({{20, 20}, {80, 20}});
  source().OnLButtonDown(0, nullptr, 80, 20);
  EXPECT_EQ(source().GetActiveLoop(), kLineLoopNone);
  EXPECT_EQ(source().IsSelected(0, 1), 1);
}

// --- in a real pane, with injected mouse input ---

namespace {

CMorphPair* g_panePair = nullptr;
int g_editModeMessages = 0;

LRESULT CALLBACK SourcePaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN && g_panePair != nullptr) {
    g_panePair->GetSourceLines()->OnLButtonDown(static_cast<UINT>(wParam), hwnd, GET_X_LPARAM(lParam),
                                                GET_Y_LPARAM(lParam));
    return 0;
  }
  if (message == WM_EDITMODECHANGED) {
    ++g_editModeMessages;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class LinePane : public LineEditing {
 protected:
  void SetUp() override {
    LineEditing::SetUp();
    compat::ResetDesktop(800, 600);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = SourcePaneProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"CalvettaLinePane";
    ASSERT_NE(RegisterClassW(&wc), 0);
    pane = CreateWindowExW(0, u"CalvettaLinePane", u"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 300, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(pane, nullptr);
    g_panePair = &pair;
    g_editModeMessages = 0;
    // The editor's panes run the loops and send the notices.
    SetPaneLink(&GetImagePaneLink());
    compat::PumpMessages();
  }
  void TearDown() override {
    SetPaneLink(nullptr);
    g_panePair = nullptr;
    compat::ResetDesktop(800, 600);
    LineEditing::TearDown();
  }
  // Client point of the pane to desktop point.
  static void ClickAt(int x, int y) { compat::host::InjectClick(0, 100 + x, 100 + y); }
  static void MoveTo(int x, int y) { compat::host::InjectMouseMove(100 + x, 100 + y); }

  HWND pane = nullptr;
};

}  // namespace

TEST_F(LinePane, DrawALineWithClicksAndADoubleClick) {
  SetLineTool(kLineToolNewLine);
  ClickAt(10, 10);
  MoveTo(30, 10);
  MoveTo(50, 10);
  ClickAt(50, 10);
  MoveTo(50, 60);
  ClickAt(50, 60);
  ClickAt(50, 60);
  compat::PumpMessages();
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(source().GetLineCount(), 1);
  ASSERT_EQ(source().LineAt(0)->GetPointCount(), 3);
  ExpectPoint(source(), 0, 0, 10, 10);
  ExpectPoint(source(), 0, 1, 50, 10);
  ExpectPoint(source(), 0, 2, 50, 60);
  ExpectSameShape(source(), target());
  EXPECT_EQ(GetLineTool(), kLineToolEdit);
}

TEST_F(LinePane, MoveAPointThenDeleteOne) {
  AddBoth({{20, 20}, {80, 20}, {80, 80}});
  compat::host::InjectMouseButton(0, true, 100 + 80, 100 + 20);
  MoveTo(90, 25);
  MoveTo(95, 30);
  compat::host::InjectMouseButton(0, false, 100 + 95, 100 + 30);
  compat::PumpMessages();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(g_editModeMessages, 1);
  ExpectPoint(source(), 0, 1, 95, 30);
  ExpectPoint(target(), 0, 1, 80, 20);
  SetLineTool(kLineToolPointDelete);
  ClickAt(20, 20);
  compat::PumpMessages();
  ASSERT_EQ(source().LineAt(0)->GetPointCount(), 2);
  ASSERT_EQ(target().LineAt(0)->GetPointCount(), 2);
  ExpectPoint(target(), 0, 0, 80, 20);
}

TEST_F(LinePane, DrawingPaintsLinesMarkersAndTheSelection) {
  AddBoth({{20, 20}, {80, 20}});
  source().SelectPoint(0, 1, 1);
  source().SelectPoint(0, 7, 1);  // not there: skipped
  HDC dc = GetDC(pane);
  RECT all{0, 0, 300, 300};
  HBRUSH black = CreateSolidBrush(0);
  FillRect(dc, &all, black);
  source().Draw(dc);
  EXPECT_EQ(GetPixel(dc, 50, 20) & 0xFFFFFF, 0x00FF00u);  // the line
  EXPECT_EQ(GetPixel(dc, 17, 17) & 0xFFFFFF, 0x00FF00u);  // point 0's frame
  EXPECT_EQ(GetPixel(dc, 80, 20) & 0xFFFFFF, 0x0000FFu);  // the selected point, filled red
  EXPECT_EQ(GetPixel(dc, 50, 40) & 0xFFFFFF, 0u);
  DeleteObject(black);
  ReleaseDC(pane, dc);
}

TEST_F(LinePane, TabClickOpensAClosedLineAndTheCursorFollowsTheTool) {
  AddBoth({{20, 20}, {80, 20}, {80, 80}, {20, 80}}, 1);
  compat::host::InjectKey(VK_TAB, true);
  ClickAt(80, 80);
  compat::host::InjectKey(VK_TAB, false);
  compat::PumpMessages();
  for (CLineSet* set : {&source(), &target()}) {
    EXPECT_EQ(set->LineAt(0)->closed, 0);
    ExpectPoint(*set, 0, 0, 80, 80);
    ExpectPoint(*set, 0, 3, 80, 20);
  }
  // Inside the frame of a selection the four-way move cursor is shown.
  source().SelectPoint(0, -1, 1);
  EXPECT_EQ(source().SetCursorForMode(pane, POINT{50, 50}), 1);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEALL));
  EXPECT_EQ(source().SetCursorForMode(pane, POINT{150, 150}), 0);
}
