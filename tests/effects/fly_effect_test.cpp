// "Fly": every style ends on the whole picture and starts empty; pieces keep
// the picture's scale while they leave; the block reads back and is clamped.
#include "effects/fly_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "coded_picture_fixture.h"

namespace {

class FlyFrames : public CodedPictureTest {
 protected:
  std::vector<DWORD> Frame(int style, float progress, int strips = 120) {
    CFlyEffect effect;
    effect.m_style = style;
    effect.m_stripCount = strips;
    return RenderFrame(effect, progress);
  }
};

TEST_F(FlyFrames, EveryStyleShowsTheWholePictureAtTheEndAndNothingAtTheStart) {
  for (int style = 0; style < CFlyEffect::kStyleCount; ++style) {
    for (int strips : {2, 7}) {
      SCOPED_TRACE(::testing::Message() << "style " << style << ", strips " << strips);
      EXPECT_TRUE(ShowsWholeSource(Frame(style, 1.0f, strips)));
      EXPECT_TRUE(AllClear(Frame(style, 0.0f, strips)));
    }
  }
  // The most strips the settings allow: 8192 vertices, still one draw.
  EXPECT_TRUE(ShowsWholeSource(Frame(9, 1.0f, CFlyEffect::kMaxStrips)));
  EXPECT_TRUE(ShowsWholeSource(Frame(11, 1.0f, CFlyEffect::kMaxStrips)));
}

TEST_F(FlyFrames, LeftToRightShowsTheLeftPartOfThePictureAtTheRightEdge) {
  // A quarter of the way in: the picture's left quarter, unscaled, against
  // the right edge.
  const std::vector<DWORD> frame = Frame(0, 0.25f);
  for (int y : {0, 20, kH - 1}) {
    for (int x = 0; x < 48; x += 7) EXPECT_TRUE(Clear(frame, x, y));
    for (int x = 48; x < kW; ++x) EXPECT_TRUE(Shows(frame, x, y, x - 48, y));
  }
}

TEST_F(FlyFrames, DiagonalAndVerticalStylesMoveOnTheirOwnAxes) {
  // Top to bottom, half way: the picture's top half in the frame's bottom half.
  std::vector<DWORD> frame = Frame(2, 0.5f);
  for (int x : {0, 31, 63}) {
    EXPECT_TRUE(Clear(frame, x, 10));
    for (int y = 24; y < kH; y += 5) EXPECT_TRUE(Shows(frame, x, y, x, y - 24));
  }
  // Right top to left bottom, half way: the picture's top-right quarter at
  // the frame's bottom-left.
  frame = Frame(4, 0.5f);
  EXPECT_TRUE(Shows(frame, 5, 30, 37, 6));
  EXPECT_TRUE(Shows(frame, 31, 47, 63, 23));
  EXPECT_TRUE(Clear(frame, 40, 30));
  EXPECT_TRUE(Clear(frame, 5, 20));
}

TEST_F(FlyFrames, CurtainStripsLeaveToAlternateSides) {
  // Two horizontal bands, half way: the top band leaves to the right, the
  // bottom band to the left; rows keep their place.
  std::vector<DWORD> frame = Frame(9, 0.5f, 2);
  for (int y : {2, 20}) {
    EXPECT_TRUE(Clear(frame, 10, y));
    EXPECT_TRUE(Shows(frame, 40, y, 8, y));
  }
  for (int y : {26, 45}) {
    EXPECT_TRUE(Shows(frame, 10, y, 42, y));
    EXPECT_TRUE(Clear(frame, 40, y));
  }
  // Four vertical bands: even ones leave downwards, odd ones upwards.
  frame = Frame(11, 0.5f, 4);
  EXPECT_TRUE(Shows(frame, 5, 30, 5, 6));   // band 0, top half of its column
  EXPECT_TRUE(Clear(frame, 5, 10));
  EXPECT_TRUE(Shows(frame, 20, 10, 20, 34));  // band 1, bottom half at the top
  EXPECT_TRUE(Clear(frame, 20, 30));
}

TEST_F(FlyFrames, HalvesAndQuartersShowThePartsNextToTheCentre) {
  // Centre to left and right, half way: each half keeps the quarter of the
  // picture next to the centre line, at the outer edge.
  std::vector<DWORD> frame = Frame(8, 0.5f);
  EXPECT_TRUE(Shows(frame, 0, 5, 16, 5));
  EXPECT_TRUE(Shows(frame, 15, 5, 31, 5));
  EXPECT_TRUE(Clear(frame, 20, 5));
  EXPECT_TRUE(Clear(frame, 44, 5));
  EXPECT_TRUE(Shows(frame, 48, 40, 32, 40));
  EXPECT_TRUE(Shows(frame, 63, 40, 47, 40));
  // Centre to around: the four quarters next to the centre, in the corners.
  frame = Frame(12, 0.5f);
  EXPECT_TRUE(Shows(frame, 0, 0, 16, 12));
  EXPECT_TRUE(Shows(frame, 63, 0, 47, 12));
  EXPECT_TRUE(Shows(frame, 0, 47, 16, 35));
  EXPECT_TRUE(Shows(frame, 63, 47, 47, 35));
  EXPECT_TRUE(Clear(frame, 32, 24));
  EXPECT_TRUE(Clear(frame, 5, 24));
}

TEST(FlyMesh, CurtainBandsTileTheFrameAndTheTexture) {
  CEffectExtent extent;
  extent.width = 100.0f;
  extent.height = 60.0f;
  extent.umax = 100.0f / 128.0f;
  extent.vmax = 60.0f / 64.0f;
  CFlyMesh mesh(extent);
  mesh.SetParams(9, 0.0f, 3);
  ASSERT_TRUE(mesh.Create());
  ASSERT_EQ(mesh.m_vertexCount, 12);
  ASSERT_EQ(mesh.m_triangleCount, 6);
  for (int k = 0; k < 3; ++k) {
    const CRenderVertex* v = mesh.m_vertices + 4 * k;
    EXPECT_FLOAT_EQ(v[0].y, k * 20.0f - 30.0f);
    EXPECT_FLOAT_EQ(v[1].y, (k + 1) * 20.0f - 30.0f);
    // Band k shows rows k/3..(k+1)/3 of the picture, counted from the top.
    EXPECT_NEAR(v[0].v, extent.vmax * k / 3.0f, 1e-6f);
    EXPECT_NEAR(v[1].v, extent.vmax * (k + 1) / 3.0f, 1e-6f);
    EXPECT_EQ(mesh.m_indices[6 * k], 4 * k);
    EXPECT_EQ(mesh.m_indices[6 * k + 4], 4 * k + 3);
  }
  // A strip count nobody may store still splits the frame in two at least.
  mesh.SetParams(11, 0.5f, 0);
  ASSERT_TRUE(mesh.Create());
  EXPECT_EQ(mesh.m_vertexCount, 8);
  mesh.SetParams(11, 0.5f, 1 << 20);
  ASSERT_TRUE(mesh.Create());
  EXPECT_EQ(mesh.m_vertexCount, 4 * CFlyEffect::kMaxStrips);
}

TEST(FlyBlock, RoundTripsAndClampsWhatItReads) {
  CFlyEffect effect;
  EXPECT_EQ(StoreBlock(effect), BlockBytes().Word(1).Word(120).bytes());

  const std::vector<BYTE> stored = BlockBytes().Word(0).Word(2).bytes();
  ASSERT_TRUE(LoadBlock(stored, effect));
  EXPECT_EQ(effect.m_style, 0);
  EXPECT_EQ(effect.m_stripCount, 2);
  EXPECT_EQ(StoreBlock(effect), stored);

  struct Case { DWORD style, strips; int wantStyle, wantStrips; } cases[] = {
      {13, 1, 12, 2}, {0xFFFFFFFF, 5000, 0, 2048}, {12, 2048, 12, 2048}, {0x80000000, 0x7FFFFFFF, 0, 2048}};
  for (const Case& c : cases) {
    ASSERT_TRUE(LoadBlock(BlockBytes().Word(c.style).Word(c.strips).bytes(), effect));
    EXPECT_EQ(effect.m_style, c.wantStyle) << c.style;
    EXPECT_EQ(effect.m_stripCount, c.wantStrips) << c.strips;
  }
  EXPECT_FALSE(LoadBlock(BlockBytes().Word(3).bytes(), effect));
}

}  // namespace
