// CMatrix3, CMatrix4, the square-matrix determinant and inverse, and CRectF.
#include <gtest/gtest.h>

#include <cmath>

#include "model/geometry/matrix3.h"
#include "model/geometry/rect_f.h"

namespace {

CVector2 Apply(const CMatrix3& m, float x, float y) {
  CVector2 out;
  m.TransformPoint(CVector2(x, y), out);
  return out;
}

}  // namespace

TEST(Matrix3, RotationIsInDegreesAndClockwiseOnScreen) {
  CMatrix3 r;
  r.SetRotation(90.0f);
  CVector2 p = Apply(r, 1.0f, 0.0f);
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
  p = Apply(r, 0.0f, 1.0f);
  EXPECT_NEAR(p.x, -1.0f, 1e-6f);
  EXPECT_NEAR(p.y, 0.0f, 1e-6f);
  r.SetRotation(30.0f);
  EXPECT_NEAR(r.m[0], 0.8660254f, 1e-6f);
  EXPECT_NEAR(r.m[1], 0.5f, 1e-6f);
  EXPECT_EQ(r.m[3], -r.m[1]);
}

TEST(Matrix3, RotationUsesTheFloatDegreeFactor) {
  // The radians are the float product with 0.017453292, not a double pi.
  CMatrix3 r;
  r.SetRotation(180.0f);
  const float radians = 180.0f * 0.017453292f;
  EXPECT_EQ(r.m[1], static_cast<float>(std::sin(static_cast<double>(radians))));
  EXPECT_NE(r.m[1], 0.0f);
}

TEST(Matrix3, RotationAboutKeepsTheCentre) {
  CMatrix3 r;
  r.SetRotationAbout(CVector2(10.0f, 20.0f), 37.0f);
  const CVector2 c = Apply(r, 10.0f, 20.0f);
  EXPECT_NEAR(c.x, 10.0f, 1e-4f);
  EXPECT_NEAR(c.y, 20.0f, 1e-4f);
  const CVector2 p = Apply(r, 20.0f, 20.0f);  // 10 to the right turns 37 degrees down
  EXPECT_NEAR(p.x, 10.0f + 10.0f * std::cos(37.0 * M_PI / 180), 1e-4);
  EXPECT_NEAR(p.y, 20.0f + 10.0f * std::sin(37.0 * M_PI / 180), 1e-4);
  CMatrix3 atOrigin, plain;
  atOrigin.SetRotationAbout(CVector2(0.0f, 0.0f), 37.0f);
  plain.SetRotation(37.0f);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(atOrigin.m[i], plain.m[i]) << i;
}

TEST(Matrix3, ProductAppliesLeftThenRight) {
  CMatrix3 a, b;
  a.SetScale(CVector2(2.0f, 3.0f));
  b.SetTranslation(CVector2(5.0f, -1.0f));
  CMatrix3 ab = a;
  ab *= b;
  const CVector2 viaProduct = Apply(ab, 1.0f, 1.0f);
  const CVector2 step = Apply(a, 1.0f, 1.0f);
  const CVector2 viaSteps = Apply(b, step.x, step.y);
  EXPECT_EQ(viaProduct.x, viaSteps.x);
  EXPECT_EQ(viaProduct.y, viaSteps.y);
  EXPECT_EQ(viaProduct.x, 7.0f);
  EXPECT_EQ(viaProduct.y, 2.0f);
}

TEST(Matrix3, ProductWithItself) {
  CMatrix3 r;
  r.SetRotation(45.0f);
  r *= r;
  const CVector2 p = Apply(r, 1.0f, 0.0f);
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(Matrix3, TransformInPlaceKeepsY) {
  CMatrix3 r;
  r.SetRotation(90.0f);
  CVector2 p(1.0f, 0.0f);
  r.TransformPoint(p, p);
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(Matrix3, InvertScaleAndAffine) {
  CMatrix3 s;
  s.SetScale(CVector2(2.0f, 4.0f));
  s.Invert();
  EXPECT_EQ(s.m[0], 0.5f);
  EXPECT_EQ(s.m[4], 0.25f);
  EXPECT_EQ(s.m[8], 1.0f);
  CMatrix3 m;
  m.SetRotationAbout(CVector2(3.0f, 7.0f), 25.0f);
  CMatrix3 scale;
  scale.SetScale(CVector2(1.5f, 0.5f));
  m *= scale;
  CMatrix3 inverse = m;
  inverse.Invert();
  CVector2 there, back;
  m.TransformPoint(CVector2(11.0f, -4.0f), there);
  inverse.TransformPoint(there, back);
  EXPECT_NEAR(back.x, 11.0f, 1e-4f);
  EXPECT_NEAR(back.y, -4.0f, 1e-4f);
}

TEST(Matrix3, InvertOfNearlySingularGivesZeros) {
  CMatrix3 m;
  m.SetScale(CVector2(5e-7f, 1.0f));  // determinant 5e-7
  m.Invert();
  for (float v : m.m) EXPECT_EQ(v, 0.0f);
  CMatrix3 collapsed;
  collapsed.SetScale(CVector2(0.0f, 1.0f));
  collapsed.Invert();
  for (float v : collapsed.m) EXPECT_EQ(v, 0.0f);
}

TEST(SquareMatrix, DeterminantPivotSign) {
  const double pivotLast[9] = {0, 0, 2, 1, 0, 0, 0, 1, 0};   // row 0 picks column 2, sign +1
  EXPECT_DOUBLE_EQ(Determinant(pivotLast, 3), 2.0);
  const double pivotMiddle[9] = {0, 3, 0, 1, 0, 0, 0, 0, 1};  // column 1, sign -1
  EXPECT_DOUBLE_EQ(Determinant(pivotMiddle, 3), -3.0);
  const double zeroRow[9] = {0, 1e-7, 0, 1, 2, 3, 4, 5, 6};   // nothing above the tolerance
  EXPECT_DOUBLE_EQ(Determinant(zeroRow, 3), 0.0);
}

TEST(SquareMatrix, DeterminantMatchesCofactorExpansion) {
  const double a[16] = {2, -1, 0, 3, 1, 4, -2, 0, 0, 5, 1, -1, 3, 0, 2, 1};
  // Reference by direct 4 x 4 cofactor expansion of row 0.
  auto det3 = [](const double* m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
  };
  double expected = 0.0;
  for (int k = 0; k < 4; ++k) {
    double minor[9];
    int n = 0;
    for (int r = 1; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        if (c != k) minor[n++] = a[r * 4 + c];
    expected += ((k % 2) ? -1 : 1) * a[k] * det3(minor);
  }
  EXPECT_NEAR(Determinant(a, 4), expected, 1e-9);
  EXPECT_EQ(Determinant(a, 0), 0.0);
  EXPECT_EQ(Determinant(a, 1), 2.0);
  EXPECT_EQ(Determinant(a, 2), 3.0 * 2.0 - 0.0 * -1.0);
}

TEST(SquareMatrix, InverseReportsSingularAndSmallSizes) {
  const double singular[9] = {1, 2, 3, 2, 4, 6, 1, 0, 1};
  double inv[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  EXPECT_EQ(InvertMatrixN(singular, inv, 3), 0);
  for (double v : inv) EXPECT_EQ(v, 0.0);
  const double one[1] = {4.0};
  EXPECT_EQ(InvertMatrixN(one, inv, 1), 1);
  EXPECT_EQ(inv[0], 0.25);
  EXPECT_EQ(InvertMatrixN(one, inv, 0), 0);
  EXPECT_EQ(InvertMatrixN(one, inv, -2), 0);
  const double a[9] = {2, 0, 1, 1, 3, 0, 0, 1, 4};
  ASSERT_EQ(InvertMatrixN(a, inv, 3), 1);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += a[i * 3 + k] * inv[k * 3 + j];
      EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12);
    }
  }
}

TEST(Matrix4, RotationToDirectionTurnsOntoZ) {
  CMatrix4 m;
  m.SetRotationToDirection(0.0f, 3.0f, 4.0f);
  const float in[3] = {0.0f, 3.0f, 4.0f};
  float out[3];
  m.TransformPoint(in, out);
  EXPECT_NEAR(out[0], 0.0f, 1e-6f);
  EXPECT_NEAR(out[1], 0.0f, 1e-6f);
  EXPECT_NEAR(out[2], 5.0f, 1e-6f);
  CMatrix4 oblique;
  oblique.SetRotationToDirection(1.0f, -2.0f, 2.0f);
  const float dir[3] = {1.0f, -2.0f, 2.0f};
  oblique.TransformPoint(dir, out);
  EXPECT_NEAR(out[0], 0.0f, 1e-6f);
  EXPECT_NEAR(out[1], 0.0f, 1e-6f);
  EXPECT_NEAR(out[2], 3.0f, 1e-6f);
}

TEST(Matrix4, DirectionAlongZKeepsAProperTurn) {
  CMatrix4 up;
  up.SetRotationToDirection(0.0f, 0.0f, 2.0f);
  const float p[3] = {1.0f, 2.0f, 3.0f};
  float out[3];
  up.TransformPoint(p, out);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[1], 2.0f);
  EXPECT_EQ(out[2], 3.0f);
  CMatrix4 down;
  down.SetRotationToDirection(0.0f, 0.0f, -2.0f);
  const float d[3] = {0.0f, 0.0f, -2.0f};
  down.TransformPoint(d, out);
  EXPECT_EQ(out[2], 2.0f);
}

TEST(Matrix4, TranslationKeepsTheRest) {
  CMatrix4 m;
  m.m[0] = 2.0f;
  m.SetTranslation(1.0f, 2.0f, 3.0f);
  const float p[3] = {1.0f, 1.0f, 1.0f};
  float out[3];
  m.TransformPoint(p, out);
  EXPECT_EQ(out[0], 3.0f);
  EXPECT_EQ(out[1], 3.0f);
  EXPECT_EQ(out[2], 4.0f);
}

TEST(RectF, ConstructorTakesPlatformOrder) {
  const CRectF r(1.0f, 2.0f, 3.0f, 4.0f);
  EXPECT_EQ(r.left, 1.0f);
  EXPECT_EQ(r.top, 2.0f);
  EXPECT_EQ(r.right, 3.0f);
  EXPECT_EQ(r.bottom, 4.0f);
  EXPECT_EQ(r.Width(), 2.0f);
  EXPECT_EQ(r.Height(), 2.0f);
  EXPECT_TRUE(r.PtInRect(3.0f, 4.0f));
  EXPECT_TRUE(r.PtInRect(1.0f, 2.0f));
  EXPECT_FALSE(r.PtInRect(3.01f, 3.0f));
  const CRectF fromRect(RECT{-5, 6, 7, 8});
  EXPECT_EQ(fromRect.left, -5.0f);
  EXPECT_EQ(fromRect.bottom, 8.0f);
  CRectF moved = r;
  moved.Offset(POINT{10, -2});
  EXPECT_EQ(moved.left, 11.0f);
  EXPECT_EQ(moved.top, 0.0f);
  EXPECT_EQ(moved.CenterPoint().x, 12.0f);
}

TEST(RectF, BoundsOfPoints) {
  const CVector2 one[1] = {CVector2(3.0f, -2.0f)};
  CRectF box;
  BoundsOfPoints(box, one, 1);
  EXPECT_EQ(box.left, 3.0f);
  EXPECT_EQ(box.Width(), 0.0f);
  EXPECT_EQ(box.Height(), 0.0f);
  const CVector2 many[4] = {CVector2(3, -2), CVector2(-1, 5), CVector2(7, 0), CVector2(2, -4)};
  BoundsOfPoints(box, many, 4);
  EXPECT_EQ(box.left, -1.0f);
  EXPECT_EQ(box.right, 7.0f);
  EXPECT_EQ(box.top, -4.0f);
  EXPECT_EQ(box.bottom, 5.0f);
  BoundsOfPoints(box, many, 0);  // no points: an empty box, no read
  EXPECT_EQ(box.Width(), 0.0f);
}
