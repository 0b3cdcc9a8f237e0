// CEditablePath: scripted presses and drags (drawing with Ctrl, node and
// handle drags, frame editing), cursors, deleting and the record byte by
// byte with hostile counts and drag state.
#include <gtest/gtest.h>

#include <cmath>

#include "compat/host.h"
#include "compat/win32.h"
#include "model/outline/editable_path.h"
#include "record_bytes.h"
#include "session_messages.h"
#include "ui/image_pane_link.h"

using namespace session;

namespace {

CEditablePath Finished(std::initializer_list<CVector2> points) {
  CEditablePath path;
  for (const CVector2& p : points) path.AppendPoint(p, nullptr);
  path.SetClosed(1);
  path.SetState(kPathFinished);
  return path;
}

}  // namespace

TEST(EditablePathDrawing, PressAndReleaseAddsOneSmoothNodeOnItsPoint) {
  CEditablePath path;
  path.SetState(kPathDrawing);
  const CPathPress press = path.TrackMouse(40, 50);
  EXPECT_EQ(press.result, 1);
  ASSERT_EQ(press.loop, kPathLoopDraw);
  Feed(path, {Msg(kLButtonUp, 40, 50)});
  ASSERT_EQ(path.GetPointCount(), 1);
  EXPECT_EQ(path.IsSmooth(0), 1);
  EXPECT_TRUE(path.HandlesCollapsed(0));
  EXPECT_EQ(path.GetSelected(), 0);
  EXPECT_EQ(path.GetDragNode(), -1);
  EXPECT_EQ(path.GetActiveLoop(), kPathLoopNone);
}

TEST(EditablePathDrawing, DraggingPullsMirroredHandlesAndCtrlMakesACorner) {
  CEditablePath path;
  path.SetState(kPathDrawing);
  path.TrackMouse(100, 100);
  int dispatched = 0;
  Feed(path, {Msg(kMouseMove, 120, 90, kLButton), Msg(kPaint, 0, 0), Msg(kMouseMove, 300, 300, 0), Msg(kLButtonUp, 120, 90)},
      &dispatched);
  EXPECT_EQ(dispatched, 1);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[1].x, 120.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[0].x, 80.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[0].y, 110.0f);

  path.TrackMouse(200, 100);
  Feed(path, {Msg(kMouseMove, 230, 100, kLButton | kControl), Msg(kLButtonUp, 230, 100)});
  ASSERT_EQ(path.GetPointCount(), 2);
  EXPECT_EQ(path.IsSmooth(1), 0);
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[0].x, 200.0f);  // stays on the point
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[1].x, 230.0f);
}

TEST(EditablePathEditing, ClickOnEmptySpaceClearsTheSelectionAndTellsTheParent) {
  CEditablePath path = Finished({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
  path.SetSelected(2);
  const CPathPress press = path.TrackMouse(50, 50);
  EXPECT_TRUE(press.notifyParent);
  EXPECT_EQ(press.result, 0);
  EXPECT_EQ(path.GetSelected(), -1);
  EXPECT_EQ(press.loop, kPathLoopNone);
}

TEST(EditablePathEditing, NodeOfAFinishedPathIsDragged) {
  CEditablePath path = Finished({{0, 0}, {100, 0}, {100, 100}});
  const CPathPress press = path.TrackMouse(101, 99);
  ASSERT_EQ(press.loop, kPathLoopDrag);
  EXPECT_EQ(path.GetSelected(), 2);
  Feed(path, {Msg(kMouseMove, 120, 130), Msg(kMouseMove, 140, 150), Msg(kLButtonUp, 140, 150)});
  EXPECT_FLOAT_EQ(path.NodeAt(2).point.x, 140.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(2).point.y, 150.0f);
  EXPECT_EQ(path.GetHitNode(), -1);
}

TEST(EditablePathEditing, ClickOnANodeOfAnEditablePathTogglesCornerAndSmooth) {
  CEditablePath path = Finished({{0, 0}, {100, 0}, {50, 80}});
  path.SetState(kPathEditable);
  EXPECT_EQ(path.TrackMouse(50, 80).loop, kPathLoopNone);
  EXPECT_FALSE(path.HandlesCollapsed(2));
  path.TrackMouse(50, 80);
  EXPECT_TRUE(path.HandlesCollapsed(2));
}

TEST(EditablePathEditing, HandlePressAlignsMovesThePointerAndDrags) {
  CEditablePath path = Finished({{0, 0}, {100, 0}, {50, 80}});
  path.SetState(kPathEditable);
  path.AutoHandles(1);
  path.MoveHandle(1, 1, 100, 30);  // bent corner
  path.SetSelected(1);
  const CPathPress press = path.TrackMouse(100, 30);
  ASSERT_EQ(press.loop, kPathLoopDrag);
  ASSERT_TRUE(press.moveCursor);
  EXPECT_EQ(press.cursorAt.x, 100);
  EXPECT_EQ(press.cursorAt.y, 30);
  const bool smooth = path.IsSmooth(1) != 0;
  if (smooth) {
    // Aligned: handle 0 points straight away from handle 1.
    EXPECT_NEAR(path.NodeAt(1).handle[0].x, 100.0f, 1e-3);
    EXPECT_LT(path.NodeAt(1).handle[0].y, 0.0f);
  }
  Feed(path, {Msg(kMouseMove, 130, 0), Msg(kLButtonUp, 130, 0)});
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[1].x, 130.0f);
  EXPECT_EQ(path.GetDragHandle(), -1);
  // The next handle press flips the node the other way.
  path.TrackMouse(130, 0);
  EXPECT_NE(path.IsSmooth(1) != 0, smooth);
  path.EndLoop();
}

TEST(EditablePathEditing, SegmentClickSplitsAndSelectsTheNewNode) {
  CEditablePath path = Finished({{0, 0}, {100, 0}, {100, 100}});
  path.SetState(kPathEditable);
  EXPECT_EQ(path.TrackMouse(50, 2).result, 0);
  ASSERT_EQ(path.GetPointCount(), 4);
  EXPECT_EQ(path.GetSelected(), 1);
  EXPECT_NEAR(path.NodeAt(1).point.x, 50.0f, 1.0f);
}

TEST(EditablePathFrame, InsideMovesTheWholePathAndHandleFiveScales) {
  CEditablePath path = Finished({{10, 10}, {50, 50}});
  path.SetEditMode(0);
  EXPECT_EQ(path.TrackMouse(30, 30).loop, kPathLoopDrag);
  EXPECT_EQ(path.GetMoveWhole(), 1);
  Feed(path, {Msg(kMouseMove, 35, 32), Msg(kMouseMove, 35, 32), Msg(kMouseMove, 40, 40), Msg(kLButtonUp, 40, 40)});
  EXPECT_FLOAT_EQ(path.NodeAt(0).point.x, 20.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(1).point.y, 60.0f);
  EXPECT_EQ(path.GetMoveWhole(), 0);

  const RECT b = path.GetBounds();  // 18..62
  path.TrackMouse(b.right, b.bottom);
  EXPECT_EQ(path.GetTransformHandle(), 5);
  Feed(path, {Msg(kMouseMove, b.right + 44, b.bottom + 44), Msg(kRButtonUp, 0, 0)});
  EXPECT_FLOAT_EQ(path.NodeAt(0).point.x, 22.0f);  // about the top-left corner
  EXPECT_FLOAT_EQ(path.NodeAt(1).point.x, 102.0f);
  EXPECT_EQ(path.GetTransformHandle(), -1);
}

TEST(EditablePath, CaptureLossOrStopEndsTheDrag) {
  CEditablePath path = Finished({{0, 0}, {100, 0}});
  path.TrackMouse(0, 0);
  Feed(path, {Msg(kCaptureChanged, 0, 0), Msg(kMouseMove, 50, 50)});
  EXPECT_FLOAT_EQ(path.NodeAt(0).point.x, 0.0f);
  path.TrackMouse(0, 0);
  path.Stop();
  EXPECT_EQ(path.LoopMessage(Msg(kMouseMove, 50, 50)), kLoopEnded);
  EXPECT_FLOAT_EQ(path.NodeAt(0).point.x, 0.0f);
}

TEST(EditablePath, CursorsByHit) {
  CEditablePath path = Finished({{0, 0}, {100, 0}});
  int cursor = -1;
  EXPECT_EQ(path.CursorForPoint(50, 2, cursor), 1);
  EXPECT_EQ(cursor, 0);  // a finished outline is not split: the cursor stays
  path.SetState(kPathEditable);
  EXPECT_EQ(path.CursorForPoint(50, 2, cursor), 1);
  EXPECT_EQ(cursor, CEditablePath::kSegmentCursor);
  EXPECT_EQ(path.CursorForPoint(500, 500, cursor), 1);
  EXPECT_EQ(cursor, CEditablePath::kArrowCursor);
  path.SetEditMode(0);
  EXPECT_EQ(path.CursorForPoint(-2, -2, cursor), 0);
}

TEST(EditablePath, DeleteSelectedPointOnlyWithASelection) {
  CEditablePath path = Finished({{0, 0}, {100, 0}});
  EXPECT_EQ(path.DeleteSelectedPoint(), 0);
  EXPECT_EQ(path.GetPointCount(), 2);
  path.SetSelected(1);
  EXPECT_EQ(path.DeleteSelectedPoint(), 1);
  EXPECT_EQ(path.GetPointCount(), 1);
  EXPECT_EQ(path.GetSelected(), 0);
}

TEST(EditablePathRecord, EmptyAndOneNodeBytes) {
  CEditablePath empty;
  EXPECT_EQ(StoreRecord(empty), RecordBytes().Int(3).Int(0).Int(0).Int(0).Int(0).Int(-1).Int(-1).Int(-1).Int(-1).bytes());
  CEditablePath path;
  const CVector2 handles[2] = {{1, 2}, {3, 4}};
  path.AppendPoint(CVector2(5, 6), handles);
  path.SetSmooth(0, 1);
  path.SetClosed(1);
  const std::vector<BYTE> expected = RecordBytes()
                                         .Int(3).Int(1)
                                         .Int(1).Point(5, 6).Point(1, 2).Point(3, 4)
                                         .Int(0).Int(0).Int(1).Int(-1).Int(-1).Int(-1).Int(-1)
                                         .bytes();
  EXPECT_EQ(StoreRecord(path), expected);
  EXPECT_EQ(expected.size(), 36u + 28);
  CEditablePath back;
  back.SetEditMode(0);
  ASSERT_EQ(LoadRecord(expected, back), -1);
  EXPECT_EQ(back.GetClosed(), 1);
  EXPECT_EQ(back.GetEditMode(), 0);  // kept from before loading
  EXPECT_EQ(back.IsSmooth(0), 1);
  EXPECT_EQ(StoreRecord(back), expected);
}

TEST(EditablePathRecord, DragStateAndSelectionAreHeldToTheNodes) {
  CEditablePath path;
  for (int i = 0; i < 5; ++i) path.AppendPoint(CVector2(static_cast<float>(i), 0), nullptr);
  path.SetSelected(4);
  RecordBytes bytes;
  bytes.Int(3).Int(2);
  for (int i = 0; i < 2; ++i) bytes.Int(0).Point(1, 1).Point(1, 1).Point(1, 1);
  bytes.Int(0).Int(0).Int(1).Int(7).Int(12).Int(5).Int(-9);
  ASSERT_EQ(LoadRecord(bytes.bytes(), path), -1);
  EXPECT_EQ(path.GetHitNode(), -1);
  EXPECT_EQ(path.GetTransformHandle(), -1);
  EXPECT_EQ(path.GetDragHandle(), -1);
  EXPECT_EQ(path.GetDragNode(), -1);
  EXPECT_EQ(path.GetSelected(), -1);
  // In-range drag words come back as stored.
  RecordBytes good;
  good.Int(3).Int(1).Int(0).Point(1, 1).Point(1, 1).Point(1, 1).Int(0).Int(0).Int(1).Int(0).Int(8).Int(1).Int(0);
  ASSERT_EQ(LoadRecord(good.bytes(), path), -1);
  EXPECT_EQ(path.GetHitNode(), 0);
  EXPECT_EQ(path.GetTransformHandle(), 8);
  EXPECT_EQ(path.GetDragHandle(), 1);
}

TEST(EditablePathRecord, HostileCountsAndShortRecordsLeaveThePath) {
  for (int count : {-1, CEditablePath::kMaxNodes + 1}) {
    CEditablePath path;
    path.AppendPoint(CVector2(1, 1), nullptr);
    EXPECT_EQ(LoadRecord(RecordBytes().Int(3).Int(count).bytes(), path), CArchiveException::badIndex);
    EXPECT_EQ(path.GetPointCount(), 1);
  }
  CEditablePath path;
  EXPECT_EQ(LoadRecord(RecordBytes().Int(1).Int(2).Int(0).Point(1, 1).bytes(), path), CArchiveException::endOfFile);
  EXPECT_EQ(path.GetPointCount(), 0);
  EXPECT_EQ(path.GetKind(), kPathKindBezier);
}

TEST(EditablePathRecord, NumbersThatAreNotFiniteRefuseTheRecord) {
  for (float wild : {NAN, INFINITY, -INFINITY}) {
    CEditablePath path;
    path.AppendPoint(CVector2(1, 1), nullptr);
    RecordBytes bytes;
    bytes.Int(3).Int(1).Int(1).Point(1, 1).Point(wild, 0).Point(1, 1);
    bytes.Int(0).Int(0).Int(1).Int(-1).Int(-1).Int(-1).Int(-1);
    EXPECT_EQ(LoadRecord(bytes.bytes(), path), CArchiveException::badIndex);
    EXPECT_EQ(path.GetPointCount(), 1);
  }
}

TEST(EditablePathRecord, WildCoordinatesAreHitAndFramedWithoutOverflow) {
  RecordBytes bytes;
  bytes.Int(3).Int(3);
  bytes.Int(1).Point(3e38f, -3e38f).Point(-3.4e38f, 0).Point(3.4e38f, -3.4e38f);
  bytes.Int(0).Point(-1e30f, 1e30f).Point(0, 0).Point(0, 0);
  bytes.Int(0).Point(5, 5).Point(5, 5).Point(5, 5);
  bytes.Int(0).Int(0).Int(1).Int(-1).Int(-1).Int(-1).Int(-1);
  CEditablePath path;
  ASSERT_EQ(LoadRecord(bytes.bytes(), path), -1);
  path.SetSelected(0);
  int out[3];
  for (int mode : {1, 0}) {
    path.SetEditMode(mode);
    path.HitTest(5, 5, out);
    path.HitTest(-2000000000, 2000000000, out);
  }
  for (int k = 1; k <= 8; ++k) {
    POINT p;
    path.GetTransformHandlePoint(p, k);
  }
  RECT dirty;
  path.GetNodeDirtyRect(dirty, 0);
  path.ResizeByHandle(5, 100, 100);
  path.SetState(kPathEditable);
  path.TrackMouse(5, 5);
  path.EndLoop();
}

// --- in a real pane, with injected mouse and keys ---

namespace {

CEditablePath* g_panePath = nullptr;
int g_clearedMessages = 0;

LRESULT CALLBACK PathPaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN && g_panePath != nullptr) {
    g_panePath->TrackMouse(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    return 0;
  }
  if (message == WM_PATHSELECTIONCLEARED && wParam == static_cast<WPARAM>(-1)) ++g_clearedMessages;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PathPane : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PathPaneProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"CalvettaPathPane";
    ASSERT_NE(RegisterClassW(&wc), 0);
    frame = CreateWindowExW(0, u"CalvettaPathPane", u"", WS_POPUP | WS_VISIBLE, 0, 0, 500, 500, nullptr, nullptr,
                            nullptr, nullptr);
    pane = CreateWindowExW(0, u"CalvettaPathPane", u"", WS_CHILD | WS_VISIBLE, 100, 100, 300, 300, frame, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(pane, nullptr);
    g_panePath = &path;
    g_clearedMessages = 0;
    // The editor's panes run the loops and send the notices.
    SetPaneLink(&GetImagePaneLink());
    compat::PumpMessages();
  }
  void TearDown() override {
    SetPaneLink(nullptr);
    g_panePath = nullptr;
    compat::ResetDesktop(800, 600);
  }
  static void Button(bool down, int x, int y) { compat::host::InjectMouseButton(0, down, 100 + x, 100 + y); }
  static void MoveTo(int x, int y) { compat::host::InjectMouseMove(100 + x, 100 + y); }

  CEditablePath path;
  HWND frame = nullptr;
  HWND pane = nullptr;
};

}  // namespace

TEST_F(PathPane, DrawNodesDraggingHandlesAndCtrlForACorner) {
  path.SetClosed(1);
  path.SetState(kPathDrawing);
  Button(true, 50, 50);
  MoveTo(60, 45);
  MoveTo(70, 40);
  Button(false, 70, 40);
  compat::host::InjectKey(VK_CONTROL, true);
  Button(true, 150, 50);
  MoveTo(180, 50);
  Button(false, 180, 50);
  compat::host::InjectKey(VK_CONTROL, false);
  compat::PumpMessages();
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(path.GetPointCount(), 2);
  EXPECT_EQ(path.IsSmooth(0), 1);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[1].x, 70.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[0].x, 30.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(0).handle[0].y, 60.0f);
  EXPECT_EQ(path.IsSmooth(1), 0);
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[0].x, 150.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[1].x, 180.0f);
  EXPECT_EQ(path.GetDragNode(), -1);
}

TEST_F(PathPane, DragANodeAndClickAwayTellsTheParent) {
  for (const CVector2& p : {CVector2(20, 20), CVector2(200, 20), CVector2(200, 200)}) path.AppendPoint(p, nullptr);
  path.SetClosed(1);
  path.SetState(kPathFinished);
  Button(true, 200, 200);
  MoveTo(210, 220);
  MoveTo(230, 240);
  Button(false, 230, 240);
  compat::PumpMessages();
  EXPECT_FLOAT_EQ(path.NodeAt(2).point.x, 230.0f);
  EXPECT_FLOAT_EQ(path.NodeAt(2).point.y, 240.0f);
  EXPECT_EQ(path.GetSelected(), 2);
  compat::host::InjectClick(0, 100 + 150, 100 + 60);  // inside, on nothing
  compat::PumpMessages();
  EXPECT_EQ(path.GetSelected(), -1);
  EXPECT_EQ(g_clearedMessages, 1);
}

TEST_F(PathPane, DrawingShowsSegmentsNodesAndTheSelectedHandles) {
  const CVector2 handles[2] = {{100, 80}, {100, 120}};
  path.AppendPoint(CVector2(20, 100), nullptr);
  path.AppendPoint(CVector2(100, 100), handles);
  path.AppendPoint(CVector2(180, 100), nullptr);
  path.SetSelected(1);
  HDC dc = GetDC(pane);
  RECT all{0, 0, 300, 300};
  HBRUSH black = CreateSolidBrush(0);
  FillRect(dc, &all, black);
  path.Draw(dc, 0xFFFFFF);
  EXPECT_EQ(GetPixel(dc, 16, 96) & 0xFFFFFF, 0xFFFFFFu);   // node 0's square
  EXPECT_EQ(GetPixel(dc, 100, 100) & 0xFFFFFF, 0xFFFFFFu);  // the selected node, filled
  EXPECT_EQ(GetPixel(dc, 100, 90) & 0xFFFFFF, 0xFFFFFFu);   // the line to handle 0
  // The first segment passes x = 60 at y = 92.5 (its middle).
  int whiteInColumn = 0;
  for (int y = 88; y <= 97; ++y) whiteInColumn += (GetPixel(dc, 60, y) & 0xFFFFFF) == 0xFFFFFFu;
  EXPECT_GE(whiteInColumn, 1);
  EXPECT_EQ(GetPixel(dc, 60, 100) & 0xFFFFFF, 0u);
  EXPECT_EQ(GetPixel(dc, 100, 140) & 0xFFFFFF, 0u);
  DeleteObject(black);
  ReleaseDC(pane, dc);
}

TEST_F(PathPane, DeletingTheSelectedNodeRedrawsTheChangeInXor) {
  for (const CVector2& p : {CVector2(20, 20), CVector2(200, 20), CVector2(200, 200)}) path.AppendPoint(p, nullptr);
  path.SetClosed(1);
  path.SetState(kPathFinished);
  path.SetSelected(2);
  HDC dc = GetDC(pane);
  const RECT all{0, 0, 300, 300};
  HBRUSH black = CreateSolidBrush(0);
  FillRect(dc, &all, black);
  const RECT corner{0, 0, 0, 0};
  path.DrawOffset(dc, &corner);  // the outline as the pane shows it, in white
  ASSERT_EQ(GetPixel(dc, 200, 110) & 0xFFFFFF, 0xFFFFFFu);
  ASSERT_EQ(GetPixel(dc, 198, 198) & 0xFFFFFF, 0xFFFFFFu);
  path.DeleteSelectedPoint(pane);
  EXPECT_EQ(path.GetPointCount(), 2);
  EXPECT_EQ(GetPixel(dc, 200, 110) & 0xFFFFFF, 0u);         // the removed segment is gone
  EXPECT_EQ(GetPixel(dc, 198, 198) & 0xFFFFFF, 0u);         // and the removed node
  EXPECT_EQ(GetPixel(dc, 16, 16) & 0xFFFFFF, 0xFFFFFFu);    // node 0 stays
  EXPECT_EQ(GetPixel(dc, 110, 20) & 0xFFFFFF, 0xFFFFFFu);   // the kept segment stays
  // Nothing selected: nothing changes.
  path.SetSelected(-1);
  path.DeleteSelectedPoint(pane);
  EXPECT_EQ(path.GetPointCount(), 2);
  DeleteObject(black);
  ReleaseDC(pane, dc);
}
