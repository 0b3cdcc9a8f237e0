// CLineSet: blending and transformed lines at given t, scaling, selection,
// deletion, assignment and the set record byte by byte.
#include <gtest/gtest.h>

#include <cmath>

#include "model/project/line_set.h"
#include "record_bytes.h"

namespace {

CFeatureLine* AddLine(CLineSet& set, std::initializer_list<CVector2> points, int closed = 0) {
  CFeatureLine* line = new CFeatureLine;
  for (const CVector2& p : points) line->AddPoint(p);
  line->closed = closed;
  set.GetLines().Add(line);
  return line;
}

struct SelectedSet {
  CSelectionList selection;
  CLineSet set;
  SelectedSet() { set.SetSelectionList(&selection); }
};

void DeleteAll(CFeatureLineArray& lines) {
  for (int i = 0; i < lines.GetSize(); ++i) delete lines[i];
  lines.RemoveAll();
}

}  // namespace

TEST(LineSet, InterpolateAtZeroHalfAndOne) {
  CLineSet a, b, out;
  a.SetScale(2.0f);
  AddLine(a, {{0, 0}, {10, 10}});
  AddLine(b, {{20, 40}, {30, 30}});
  for (float t : {0.0f, 0.5f, 1.0f}) {
    out.Interpolate(a, b, t);
    ASSERT_EQ(out.GetLineCount(), 1);
    EXPECT_FLOAT_EQ(out.LineAt(0)->PointAt(0)->x, 20 * t);
    EXPECT_FLOAT_EQ(out.LineAt(0)->PointAt(0)->y, 40 * t);
    EXPECT_FLOAT_EQ(out.LineAt(0)->PointAt(1)->x, 10 + 20 * t);
    EXPECT_FLOAT_EQ(out.GetScale(), 2.0f);
  }
}

TEST(LineSet, InterpolateWithFewerLinesOnOneSideReadsNoFurther) {
  CLineSet a, b, out;
  AddLine(a, {{0, 0}});
  AddLine(b, {{10, 10}});
  AddLine(b, {{20, 20}});
  out.Interpolate(a, b, 0.5f);
  ASSERT_EQ(out.GetLineCount(), 2);
  EXPECT_FLOAT_EQ(out.LineAt(1)->PointAt(0)->x, 10.0f);
}

TEST(LineSet, TransformedLinesUndoTheZoomAndAddTheOffset) {
  CLineSet set;
  set.SetScale(2.0f);
  AddLine(set, {{40, 60}}, 1);
  CFeatureLineArray out;
  AddLine(set, {{2, 4}});
  set.GetTransformedLines(out, 10, 20);
  ASSERT_EQ(out.GetSize(), 2);
  EXPECT_FLOAT_EQ(out[0]->PointAt(0)->x, 30.0f);
  EXPECT_FLOAT_EQ(out[0]->PointAt(0)->y, 50.0f);
  EXPECT_EQ(out[0]->closed, 1);
  // A second call replaces the lines it made before.
  set.GetTransformedLines(out, 0, 0);
  EXPECT_EQ(out.GetSize(), 2);
  DeleteAll(out);
}

TEST(LineSet, SetScaleMultipliesPointsAndBack) {
  CLineSet set;
  AddLine(set, {{3, 5}});
  set.SetScale(2.0f);
  EXPECT_FLOAT_EQ(set.LineAt(0)->PointAt(0)->x, 6.0f);
  set.SetScale(1.0f);
  EXPECT_FLOAT_EQ(set.LineAt(0)->PointAt(0)->y, 5.0f);
}

TEST(LineSetSelection, WholeLineTwiceSelectsEachPointOnceAndFramesThem) {
  SelectedSet s;
  AddLine(s.set, {{10, 20}, {50, 5}, {30, 40}});
  s.set.SelectPoint(0, -1, 1);
  s.set.SelectPoint(0, -1, 1);
  ASSERT_EQ(s.selection.GetSize(), 3);
  const CRectF& box = s.set.GetTracker().GetRect();
  EXPECT_FLOAT_EQ(box.left, 10.0f);
  EXPECT_FLOAT_EQ(box.right, 50.0f);
  EXPECT_FLOAT_EQ(box.top, 5.0f);
  EXPECT_FLOAT_EQ(box.bottom, 40.0f);
}

TEST(LineSetSelection, PointsInRectUseRoundedPositionsHalfOpen) {
  SelectedSet s;
  AddLine(s.set, {{9.6f, 10}, {20, 10}, {19.4f, 10}});
  s.set.SelectPointsInRect(RECT{10, 0, 20, 20});
  ASSERT_EQ(s.selection.GetSize(), 2);
  EXPECT_EQ(s.set.IsSelected(0, 0), 1);
  EXPECT_EQ(s.set.IsSelected(0, 1), 0);
  EXPECT_EQ(s.set.IsSelected(0, 2), 1);
}

TEST(LineSetSelection, MoveAndSetSkipStaleEntries) {
  SelectedSet s;
  AddLine(s.set, {{1, 1}});
  s.selection.Add(CLinePoint{0, 0});
  s.selection.Add(CLinePoint{0, 5});
  s.selection.Add(CLinePoint{3, 0});
  s.set.MoveSelection(POINT{0, 0}, POINT{2, 3});
  EXPECT_FLOAT_EQ(s.set.LineAt(0)->PointAt(0)->x, 3.0f);
  s.set.SetSelectedPointsTo(POINT{-4, 9});
  EXPECT_FLOAT_EQ(s.set.LineAt(0)->PointAt(0)->y, 9.0f);
}

TEST(LineSetSelection, DeletingEveryPointRemovesTheLineButOnePointStays) {
  SelectedSet s;
  AddLine(s.set, {{0, 0}, {1, 1}});
  AddLine(s.set, {{5, 5}, {6, 6}, {7, 7}}, 1);
  s.set.SelectPoint(0, -1, 0);
  s.set.SelectPoint(1, 0, 0);
  s.set.SelectPoint(1, 2, 0);
  s.set.DeleteSelectedPoints();
  ASSERT_EQ(s.set.GetLineCount(), 1);
  ASSERT_EQ(s.set.LineAt(0)->GetPointCount(), 1);
  EXPECT_FLOAT_EQ(s.set.LineAt(0)->PointAt(0)->x, 6.0f);
  EXPECT_EQ(s.set.LineAt(0)->closed, 1);
}

TEST(LineSet, AssignmentCopiesLinesOriginAndScaleNotMasks) {
  CLineSet a, b;
  AddLine(a, {{1, 1}})->mask = 1;
  a.SetOrigin(5, 6);
  a.SetScale(3.0f);
  a.SetRect(RECT{1, 2, 3, 4});
  AddLine(b, {{9, 9}});
  AddLine(b, {{8, 8}});
  b = a;
  ASSERT_EQ(b.GetLineCount(), 1);
  EXPECT_EQ(b.LineAt(0)->mask, 0);
  EXPECT_FLOAT_EQ(b.LineAt(0)->PointAt(0)->x, 3.0f);
  EXPECT_EQ(b.GetOrigin().x, 5);
  EXPECT_FLOAT_EQ(b.GetScale(), 3.0f);
  EXPECT_EQ(b.GetRect().right, 0);
}

TEST(LineSetRecord, BytesAreScaleOriginRectCountAndLines) {
  CLineSet set;
  set.SetScale(1.5f);
  set.SetOrigin(-3, 7);
  set.SetRect(RECT{0, 0, 320, 240});
  AddLine(set, {{1, 2}}, 1);
  const std::vector<BYTE> expected = RecordBytes()
                                         .Float(1.5f).Int(-3).Int(7).Int(0).Int(0).Int(320).Int(240).Int(1)
                                         .Int(1).Int(0).Int(1).Point(1.0f, 2.0f)
                                         .bytes();
  EXPECT_EQ(StoreRecord(set), expected);
  CLineSet back;
  AddLine(back, {{0, 0}});
  ASSERT_EQ(LoadRecord(expected, back), -1);
  EXPECT_EQ(StoreRecord(back), expected);
}

TEST(LineSetRecord, EmptySetKeepsScaleOriginAndRect) {
  const std::vector<BYTE> bytes = RecordBytes().Float(2.0f).Int(4).Int(5).Int(1).Int(2).Int(3).Int(4).Int(0).bytes();
  CLineSet set;
  AddLine(set, {{0, 0}});
  ASSERT_EQ(LoadRecord(bytes, set), -1);
  EXPECT_EQ(set.GetLineCount(), 0);
  EXPECT_FLOAT_EQ(set.GetScale(), 2.0f);
  EXPECT_EQ(set.GetOrigin().y, 5);
  EXPECT_EQ(set.GetRect().bottom, 4);
}

TEST(LineSetRecord, HostileLineCountsAreRefused) {
  for (int count : {-5, CLineSet::kMaxLines + 1}) {
    CLineSet set;
    EXPECT_EQ(LoadRecord(RecordBytes().Float(1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).Int(count).bytes(), set),
              CArchiveException::badIndex);
    EXPECT_EQ(set.GetLineCount(), 0);
  }
  // A truncated second line: the first stays, nothing leaks.
  CLineSet set;
  const RecordBytes head = RecordBytes().Float(1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).Int(2);
  const std::vector<BYTE> bytes = RecordBytes(head).Int(0).Int(0).Int(1).Float(3).Float(4).Int(0).bytes();
  EXPECT_EQ(LoadRecord(bytes, set), CArchiveException::endOfFile);
  EXPECT_EQ(set.GetLineCount(), 2);
  // A line without points, which the editor never keeps: thousands of
  // them would cost far more than their bytes.
  CLineSet empty;
  EXPECT_EQ(LoadRecord(RecordBytes(head).Int(0).Int(0).Int(0).bytes(), empty), CArchiveException::badIndex);
}

TEST(LineSetRecord, UnusableScaleIsRefusedAndZeroZoomIgnored) {
  const float nan = std::nanf("");
  for (float scale : {0.0f, -1.0f, nan, INFINITY}) {
    CLineSet set;
    AddLine(set, {{4, 4}});
    EXPECT_EQ(LoadRecord(RecordBytes().Float(scale).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).bytes(), set),
              CArchiveException::badIndex);
    EXPECT_EQ(set.GetLineCount(), 1);
    EXPECT_FLOAT_EQ(set.GetScale(), 1.0f);
  }
  CLineSet set;
  AddLine(set, {{4, 4}});
  EXPECT_FLOAT_EQ(set.SetScale(0.0f), 1.0f);
  set.SetScale(2.0f);
  EXPECT_FLOAT_EQ(set.LineAt(0)->PointAt(0)->x, 8.0f);
}

TEST(LineSetRecord, SelectionAndCrossingMarksAreHeldToTheLoadedLines) {
  SelectedSet s;
  AddLine(s.set, {{0, 0}, {1, 1}, {2, 2}});
  AddLine(s.set, {{5, 5}});
  s.set.SelectPoint(0, -1, 0);
  s.set.SelectPoint(1, 0, 0);
  s.set.crossing[0] = CLinePoint{1, 0};
  const std::vector<BYTE> oneLine =
      RecordBytes().Float(1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).Int(1).Int(0).Int(0).Int(2).Point(0, 0).Point(1, 1).bytes();
  ASSERT_EQ(LoadRecord(oneLine, s.set), -1);
  ASSERT_EQ(s.selection.GetSize(), 2);
  EXPECT_EQ(s.set.IsSelected(0, 1), 1);
  EXPECT_EQ(s.set.crossing[0].line, -1);
}
