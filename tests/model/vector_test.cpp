// CVector2 arithmetic and its normalisation guard.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "compat/afx.h"
#include "model/geometry/vector2.h"

namespace {

DWORD Bits(float f) {
  DWORD b;
  std::memcpy(&b, &f, 4);
  return b;
}

float FromBits(DWORD b) {
  float f;
  std::memcpy(&f, &b, 4);
  return f;
}

std::vector<BYTE> Store(const std::vector<CVector2>& points) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    for (const CVector2& p : points) ar << p;
  }
  std::vector<BYTE> bytes(file.GetLength());
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

}  // namespace

TEST(Vector2, NormalizeScalesToUnitLength) {
  CVector2 v(3.0f, 4.0f);
  v.Normalize();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  EXPECT_NEAR(v.Length(), 1.0f, 1e-6f);
}

TEST(Vector2, NormalizeLeavesZeroAndTinyVectorsUnchanged) {
  CVector2 zero(0.0f, 0.0f);
  zero.Normalize();
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);
  CVector2 tiny(1e-9f, 0.0f);
  tiny.Normalize();
  EXPECT_EQ(tiny.x, 1e-9f);
  EXPECT_EQ(tiny.y, 0.0f);
}

TEST(Vector2, NormalizeGuardHoldsAtEquality) {
  // Find x whose float square is exactly the float nearest 1e-16.
  float x = 1e-8f;
  for (int i = 0; i < 1000 && x * x != 1e-16f; ++i) x = std::nextafter(x, (x * x < 1e-16f) ? 1.0f : 0.0f);
  ASSERT_EQ(x * x, 1e-16f);
  CVector2 atGuard(x, 0.0f);
  atGuard.Normalize();
  EXPECT_EQ(atGuard.x, x);
  float above = std::nextafter(x, 1.0f);
  while (above * above <= 1e-16f) above = std::nextafter(above, 1.0f);
  CVector2 beyond(above, 0.0f);
  beyond.Normalize();
  EXPECT_FLOAT_EQ(beyond.x, 1.0f);
}

TEST(Vector2, DivisionByZeroGivesInfinities) {
  CVector2 v(1.0f, -2.0f);
  v /= 0.0f;
  EXPECT_TRUE(std::isinf(v.x) && v.x > 0);
  EXPECT_TRUE(std::isinf(v.y) && v.y < 0);
  CVector2 z(0.0f, 1.0f);
  z /= 0.0f;
  EXPECT_TRUE(std::isnan(z.x));
}

TEST(Vector2, DivisionUsesOneReciprocal) {
  // 1/3 rounded once, then multiplied: differs from a true division for some values.
  CVector2 v(1.0f, 10.0f);
  v /= 3.0f;
  const float r = 1.0f / 3.0f;
  EXPECT_EQ(v.x, 1.0f * r);
  EXPECT_EQ(v.y, 10.0f * r);
}

TEST(Vector2, ArithmeticAndDot) {
  CVector2 a(1.0f, 2.0f);
  a += CVector2(3.0f, 4.0f);
  EXPECT_EQ(a.x, 4.0f);
  a -= CVector2(1.0f, 1.0f);
  EXPECT_EQ(a.y, 5.0f);
  const CVector2 scaled = a * 2.0f;
  EXPECT_EQ(scaled.x, 6.0f);
  EXPECT_EQ(a.x, 3.0f);  // unchanged
  const CVector2 d = CVector2(5.0f, 5.0f) - CVector2(2.0f, 1.0f);
  EXPECT_EQ(d.x, 3.0f);
  EXPECT_EQ(d.y, 4.0f);
  EXPECT_EQ(Dot(CVector2(1.0f, 2.0f), CVector2(3.0f, -4.0f)), -5.0f);
  EXPECT_EQ(d.Length(), 5.0f);
}

TEST(Vector2Archive, EightRawLittleEndianBytes) {
  const std::vector<BYTE> bytes = Store({CVector2(1.0f, -2.5f)});
  const std::vector<BYTE> expected = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0};
  EXPECT_EQ(bytes, expected);
}

TEST(Vector2Archive, EveryBitPatternComesBack) {
  const DWORD patterns[] = {0x7FC12345u, 0xFFA00001u, 0x80000000u, 0xFF800000u, 0x00000001u, 0x3F800000u};
  std::vector<CVector2> points;
  for (DWORD x : patterns) points.push_back(CVector2(FromBits(x), FromBits(x ^ 0x80000000u)));
  std::vector<BYTE> bytes = Store(points);
  ASSERT_EQ(bytes.size(), points.size() * 8);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  for (DWORD x : patterns) {
    CVector2 v;
    ar >> v;
    EXPECT_EQ(Bits(v.x), x);
    EXPECT_EQ(Bits(v.y), x ^ 0x80000000u);
  }
}

TEST(Vector2Archive, ShortRecordThrowsEndOfFile) {
  BYTE four[4] = {0, 0, 0x80, 0x3F};
  CMemFile file(four, 4);
  CArchive ar(&file, CArchive::load);
  CVector2 v(7.0f, 7.0f);
  int cause = -1;
  try {
    ar >> v;
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(cause, CArchiveException::endOfFile);
}
