// The pair's mirrored line edits: the other side follows new lines,
// inserted points, opening and closing; indices the other side lacks are
// refused; swapping and copying across.
#include <gtest/gtest.h>

#include "model/project/morph_pair.h"

namespace {

CFeatureLine* AddLine(CLineSet& set, std::initializer_list<CVector2> points, int closed = 0) {
  CFeatureLine* line = new CFeatureLine;
  for (const CVector2& p : points) line->AddPoint(p);
  line->closed = closed;
  set.GetLines().Add(line);
  return line;
}

float X(CLineSet& set, int line, int point) { return set.PointAt(line, point)->x; }

}  // namespace

TEST(MirroredEditing, NewThirdTargetLineIsAppendedToTheSource) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  for (int i = 0; i < 2; ++i) {
    AddLine(s, {{0, 0}});
    AddLine(t, {{0, 0}});
  }
  AddLine(t, {{5, 6}, {7, 8}}, 1)->mask = 1;
  pair.SyncLineCount(&t);
  ASSERT_EQ(s.GetLineCount(), 3);
  EXPECT_EQ(s.LineAt(2)->GetPointCount(), 2);
  EXPECT_EQ(s.LineAt(2)->closed, 1);
  EXPECT_EQ(s.LineAt(2)->mask, 0);
  EXPECT_TRUE(pair.IsMeshDirty());
}

TEST(MirroredEditing, InsertAtTheCountAppendsAndNeverLeavesAGap) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  AddLine(s, {{0, 0}, {10, 0}});
  AddLine(t, {{0, 0}, {10, 0}});
  pair.InsertMirroredPoint(&s, CLinePoint{0, 2}, CVector2(20, 0));
  ASSERT_EQ(t.LineAt(0)->GetPointCount(), 3);
  EXPECT_FLOAT_EQ(X(t, 0, 2), 20.0f);
  pair.InsertMirroredPoint(&s, CLinePoint{0, 1}, CVector2(5, 0));
  EXPECT_FLOAT_EQ(X(t, 0, 1), 5.0f);
  EXPECT_FLOAT_EQ(X(t, 0, 2), 10.0f);
  // Far past the end: one point at the end, not a run of made-up points.
  pair.InsertMirroredPoint(&s, CLinePoint{0, 1000}, CVector2(30, 0));
  ASSERT_EQ(t.LineAt(0)->GetPointCount(), 5);
  EXPECT_FLOAT_EQ(X(t, 0, 4), 30.0f);
  // A line the other side lacks, or a negative point, changes nothing.
  pair.InsertMirroredPoint(&s, CLinePoint{3, 0}, CVector2(1, 1));
  pair.InsertMirroredPoint(&s, CLinePoint{-1, 0}, CVector2(1, 1));
  pair.InsertMirroredPoint(&s, CLinePoint{0, -2}, CVector2(1, 1));
  EXPECT_EQ(t.GetLineCount(), 1);
  EXPECT_EQ(t.LineAt(0)->GetPointCount(), 5);
}

TEST(MirroredEditing, OpeningAtPointTwoReordersTheOtherSide) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  AddLine(s, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 1);
  AddLine(t, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 1);
  pair.SetMeshDirty(FALSE);
  pair.MirrorLineEdit(&s, CLinePoint{0, 2}, FALSE);
  EXPECT_EQ(t.LineAt(0)->closed, 0);
  const float expected[] = {2, 3, 0, 1};
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(X(t, 0, i), expected[i]);
  pair.MirrorLineEdit(&s, CLinePoint{0, 0}, TRUE);
  EXPECT_EQ(t.LineAt(0)->closed, 1);
}

TEST(MirroredEditing, OutOfRangeIndicesOnTheOtherSideAreRefused) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  AddLine(s, {{0, 0}, {1, 0}, {2, 0}}, 1);
  AddLine(t, {{0, 0}, {1, 0}}, 1);
  pair.SetMeshDirty(FALSE);
  pair.MirrorLineEdit(&s, CLinePoint{0, 2}, FALSE);
  EXPECT_EQ(t.LineAt(0)->closed, 1);
  pair.MirrorLineEdit(&s, CLinePoint{5, 0}, TRUE);
  pair.MirrorLineEdit(&s, CLinePoint{-1, 0}, FALSE);
  EXPECT_FALSE(pair.IsMeshDirty());
  pair.RemoveMirroredLine(&s, 4);
  EXPECT_EQ(t.GetLineCount(), 1);
}

TEST(MirroredEditing, SwappingTakesEachPicturesSettingsAlongAndTwiceRestoresThePair) {
  CMorphPair pair;
  pair.m_sourcePath = u"\\a.png";
  pair.m_targetPath = u"\\b.png";
  CImageSlot& a = *pair.GetSourceSlot();
  CImageSlot& b = *pair.GetTargetSlot();
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  s.SetScale(1.0f);  // slots start at zoom 0.5
  AddLine(s, {{1, 1}})->mask = 1;
  AddLine(t, {{3, 3}});
  a.SetZoom(2.0f);  // the source points double
  a.m_clip = RECT{1, 2, 30, 40};
  a.m_adjust.brightness = 25.0f;
  b.m_clip = RECT{5, 5, 9, 9};
  pair.SwapImages();
  EXPECT_TRUE(pair.m_sourcePath == u"\\b.png");
  EXPECT_TRUE(a.m_path == u"\\b.png");
  EXPECT_FLOAT_EQ(X(s, 0, 0), 3.0f);
  EXPECT_FLOAT_EQ(b.GetZoom(), 2.0f);
  EXPECT_EQ(t.LineAt(0)->mask, 1);
  EXPECT_EQ(b.m_clip.right, 30);
  EXPECT_FLOAT_EQ(b.m_adjust.brightness, 25.0f);
  EXPECT_EQ(a.m_clip.right, 9);
  pair.SwapImages();
  EXPECT_TRUE(pair.m_sourcePath == u"\\a.png");
  EXPECT_FLOAT_EQ(X(s, 0, 0), 2.0f);
  EXPECT_EQ(s.LineAt(0)->mask, 1);
  EXPECT_FLOAT_EQ(a.GetZoom(), 2.0f);
  EXPECT_EQ(a.m_clip.right, 30);
  EXPECT_FLOAT_EQ(a.m_adjust.brightness, 25.0f);
  EXPECT_EQ(b.m_clip.right, 9);
}

TEST(MirroredEditing, CopyingAcrossFollowsTheDirectionAndAlwaysRefreshes) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  AddLine(s, {{1, 1}, {2, 2}});
  AddLine(t, {{8, 8}, {9, 9}});
  pair.CopyPointsAcross(TRUE);
  EXPECT_EQ(pair.m_viewRefreshes, 1);
  EXPECT_FLOAT_EQ(X(t, 0, 0), 8.0f);
  pair.GetSelection().Add(CLinePoint{0, 1});
  pair.CopyPointsAcross(TRUE);
  EXPECT_FLOAT_EQ(X(t, 0, 1), 2.0f);
  EXPECT_FLOAT_EQ(X(t, 0, 0), 8.0f);
  t.PointAt(0, 1)->x = 50;
  pair.CopyPointsAcross(FALSE);
  EXPECT_FLOAT_EQ(X(s, 0, 1), 50.0f);
}

TEST(MirroredEditing, DeletingTheSelectionOnBothSidesEmptiesIt) {
  CMorphPair pair;
  CLineSet& s = *pair.GetSourceLines();
  CLineSet& t = *pair.GetTargetLines();
  AddLine(s, {{1, 1}, {2, 2}, {3, 3}});
  AddLine(t, {{1, 1}, {2, 2}, {3, 3}});
  s.SelectPoint(0, 1, 1);
  pair.DeleteSelectedPoints();
  EXPECT_EQ(s.LineAt(0)->GetPointCount(), 2);
  EXPECT_EQ(t.LineAt(0)->GetPointCount(), 2);
  EXPECT_FLOAT_EQ(X(t, 0, 1), 3.0f);
  EXPECT_EQ(pair.GetSelection().GetSize(), 0);
}
