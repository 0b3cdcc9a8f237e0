// "Scale": the picture is squeezed, never cropped, about each type's fixed
// edge, corner or centre; the block reads back and stray types act as 8.
#include "effects/scale_effect.h"

#include <gtest/gtest.h>

#include "coded_picture_fixture.h"

namespace {

class ScaleFrames : public CodedPictureTest {
 protected:
  std::vector<DWORD> Frame(int type, float progress) {
    CScaleEffect effect;
    effect.m_scaleType = type;
    return RenderFrame(effect, progress);
  }
  // Source position shown at target pixel x when the picture is squeezed to
  // half its size starting at `from`.
  static double HalfSource(int x, int from) { return 2.0 * (x - from) + 0.5; }
};

TEST_F(ScaleFrames, EveryTypeShowsTheWholePictureAtTheEndAndNothingAtTheStart) {
  for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 40}) {
    SCOPED_TRACE(::testing::Message() << "type " << type);
    EXPECT_TRUE(ShowsWholeSource(Frame(type, 1.0f)));
    EXPECT_TRUE(AllClear(Frame(type, 0.0f)));
  }
}

TEST_F(ScaleFrames, HalfWayThePictureIsSqueezedAgainstItsFixedPoint) {
  // Left to right: the whole picture at half width against the left edge.
  std::vector<DWORD> frame = Frame(0, 0.5f);
  for (int y : {0, 23, 47}) {
    for (int x = 0; x < 32; x += 3) EXPECT_TRUE(ShowsNear(frame, x, y, HalfSource(x, 0), y));
    EXPECT_TRUE(Clear(frame, 33, y));
    EXPECT_TRUE(Clear(frame, 63, y));
  }
  // Bottom to top: half height against the bottom edge.
  frame = Frame(3, 0.5f);
  EXPECT_TRUE(Clear(frame, 10, 20));
  EXPECT_TRUE(ShowsNear(frame, 10, 24, 10, HalfSource(24, 24)));
  EXPECT_TRUE(ShowsNear(frame, 50, 47, 50, HalfSource(47, 24)));
  // Right bottom to left top: the bottom-right quarter of the frame.
  frame = Frame(5, 0.5f);
  EXPECT_TRUE(ShowsNear(frame, 32, 24, 0.5, 0.5));
  EXPECT_TRUE(ShowsNear(frame, 63, 47, 62.5, 46.5));
  EXPECT_TRUE(Clear(frame, 30, 40));
  EXPECT_TRUE(Clear(frame, 40, 22));
  // Centre to around, and a type past the list that acts as it.
  for (int type : {8, 11}) {
    frame = Frame(type, 0.5f);
    EXPECT_TRUE(ShowsNear(frame, 16, 12, 0.5, 0.5)) << type;
    EXPECT_TRUE(ShowsNear(frame, 47, 35, 62.5, 46.5)) << type;
    EXPECT_TRUE(Clear(frame, 10, 24)) << type;
    EXPECT_TRUE(Clear(frame, 32, 40)) << type;
  }
}

TEST(ScaleMesh, AtZeroEveryTypeCollapsesOntoItsFixedPointWithTheTextureKept) {
  CEffectExtent extent;
  extent.width = 80.0f;
  extent.height = 40.0f;
  extent.umax = 80.0f / 128.0f;
  extent.vmax = 40.0f / 64.0f;
  // Fixed x and y (NAN: that axis is not scaled).
  struct Case { int type; float x, y; } cases[] = {
      {0, -40, NAN}, {1, 40, NAN}, {2, NAN, -20}, {3, NAN, 20}, {4, -40, -20}, {5, 40, 20},
      {6, 40, -20},  {7, -40, 20}, {8, 0, 0},     {9, 0, NAN},  {10, NAN, 0},  {11, 0, 0}};
  const float cornersX[4] = {-40, -40, 40, 40}, cornersY[4] = {-20, 20, 20, -20};
  const float us[4] = {0, 0, extent.umax, extent.umax}, vs[4] = {0, extent.vmax, extent.vmax, 0};
  for (const Case& c : cases) {
    CScaleMesh mesh(extent);
    ASSERT_TRUE(mesh.Build(c.type, 0.0f));
    ASSERT_EQ(mesh.m_vertexCount, 4);
    for (int i = 0; i < 4; ++i) {
      const CRenderVertex& v = mesh.m_vertices[i];
      EXPECT_FLOAT_EQ(v.x, std::isnan(c.x) ? cornersX[i] : c.x) << "type " << c.type << " vertex " << i;
      EXPECT_FLOAT_EQ(v.y, std::isnan(c.y) ? cornersY[i] : c.y) << "type " << c.type << " vertex " << i;
      EXPECT_FLOAT_EQ(v.u, us[i]);
      EXPECT_FLOAT_EQ(v.v, vs[i]);
    }
  }
}

TEST(ScaleBlock, RoundTripsAndReadsStrayTypesAsCentre) {
  CScaleEffect effect;
  EXPECT_EQ(StoreBlock(effect), BlockBytes().Word(0).bytes());
  for (DWORD type : {0u, 7u, 10u}) {
    const std::vector<BYTE> stored = BlockBytes().Word(type).bytes();
    ASSERT_TRUE(LoadBlock(stored, effect));
    EXPECT_EQ(StoreBlock(effect), stored);
  }
  for (DWORD type : {11u, 12u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    ASSERT_TRUE(LoadBlock(BlockBytes().Word(type).bytes(), effect));
    EXPECT_EQ(effect.m_scaleType, CScaleEffect::kFallbackType) << type;
  }
  EXPECT_FALSE(LoadBlock({}, effect));
}

}  // namespace
