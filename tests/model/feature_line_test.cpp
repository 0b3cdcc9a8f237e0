// CFeatureLine: copying without the mask flag, blending, rotation and the
// line record byte by byte, hostile counts included.
#include <gtest/gtest.h>

#include "model/project/feature_line.h"
#include "record_bytes.h"

namespace {

void Fill(CFeatureLine& line, std::initializer_list<CVector2> points) {
  for (const CVector2& p : points) line.AddPoint(p);
}

}  // namespace

TEST(FeatureLine, AssignmentCopiesClosedAndPointsButNotMask) {
  CFeatureLine masked;
  masked.mask = 1;
  masked.closed = 1;
  Fill(masked, {{1, 2}, {3, 4}});
  CFeatureLine copy;
  copy = masked;
  EXPECT_EQ(copy.mask, 0);
  EXPECT_EQ(copy.closed, 1);
  ASSERT_EQ(copy.GetPointCount(), 2);
  EXPECT_FLOAT_EQ(copy.PointAt(1)->y, 4.0f);
}

TEST(FeatureLine, LerpTakesTheSecondLinesCountAndBlends) {
  CFeatureLine a, b, out;
  Fill(a, {{0, 0}, {10, 20}});
  Fill(b, {{10, 10}, {30, 40}, {5, 5}});
  out.closed = 1;
  out.Lerp(a, b, 0.5f);
  ASSERT_EQ(out.GetPointCount(), 3);
  EXPECT_FLOAT_EQ(out.PointAt(0)->x, 5.0f);
  EXPECT_FLOAT_EQ(out.PointAt(1)->y, 30.0f);
  // Beyond a's end the blend starts from (0, 0), never from past the array.
  EXPECT_FLOAT_EQ(out.PointAt(2)->x, 2.5f);
  EXPECT_EQ(out.closed, 1);
}

TEST(FeatureLine, RotateToFirstMakesThePointTheStart) {
  CFeatureLine line;
  for (int i = 0; i < 6; ++i) line.AddPoint(CVector2(static_cast<float>(i), 0));
  line.RotateToFirst(3);
  const float expected[] = {3, 4, 5, 0, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(line.PointAt(i)->x, expected[i]);
}

TEST(FeatureLineRecord, BytesAreClosedMaskCountAndRawPoints) {
  CFeatureLine line;
  line.closed = 1;
  line.mask = 1;
  Fill(line, {{1.5f, -2.0f}, {100.25f, 3.0f}});
  const std::vector<BYTE> expected = RecordBytes().Int(1).Int(1).Int(2).Point(1.5f, -2.0f).Point(100.25f, 3.0f).bytes();
  EXPECT_EQ(StoreRecord(line), expected);
  CFeatureLine back;
  EXPECT_EQ(LoadRecord(expected, back), -1);
  EXPECT_EQ(back.closed, 1);
  EXPECT_EQ(back.mask, 1);
  ASSERT_EQ(back.GetPointCount(), 2);
  EXPECT_FLOAT_EQ(back.PointAt(1)->x, 100.25f);
}

TEST(FeatureLineRecord, HostileCountsAreRefusedAndLeaveTheLine) {
  for (int count : {-1, CFeatureLine::kMaxPoints + 1, 0x7FFFFFFF}) {
    CFeatureLine line;
    Fill(line, {{7, 7}});
    EXPECT_EQ(LoadRecord(RecordBytes().Int(0).Int(0).Int(count).bytes(), line), CArchiveException::badIndex) << count;
    EXPECT_EQ(line.GetPointCount(), 1);
  }
  // A count larger than the points that follow ends in end-of-file.
  CFeatureLine line;
  EXPECT_EQ(LoadRecord(RecordBytes().Int(0).Int(0).Int(3).Point(1, 1).bytes(), line), CArchiveException::endOfFile);
  EXPECT_EQ(line.GetPointCount(), 0);
}
