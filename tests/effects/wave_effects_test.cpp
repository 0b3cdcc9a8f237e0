// The five grid effects drawn on the software device: unchanged pictures at
// the ends of the transition, the documented shapes in between, and their
// parameter blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effects/circle_wave_effect.h"
#include "effects/sphere_form_effect.h"
#include "effects/wave_effect.h"
#include "wave_test_pictures.h"

namespace {

using namespace wave_test;
using WaveEffectRender = EffectPictureTest;

constexpr double kPi = 3.14159265358979;

DWORD At(const std::vector<DWORD>& pixels, int x, int y) { return pixels[static_cast<size_t>(y) * kSide + x]; }

// Where a displaced grid vertex lands, the picture shows the texel the
// vertex carries: the texel centre at `rest` - 0.5 of the undisplaced
// vertex. The pixel nearest the landing point is checked, allowing for the
// displacement's change across that distance.
void ExpectVertexLandsAt(const std::vector<DWORD>& pixels, double restX, double restY, double dx, double dy,
                         double tolerance = 1.0) {
  const int px = static_cast<int>(std::lround(restX + dx - 0.5));
  const int py = static_cast<int>(std::lround(restY + dy - 0.5));
  ASSERT_TRUE(px >= 0 && px < kSide && py >= 0 && py < kSide);
  const DWORD pixel = At(pixels, px, py);
  EXPECT_NEAR(CodedX(pixel), px - dx, tolerance) << "pixel " << px << "," << py;
  EXPECT_NEAR(CodedY(pixel), py - dy, tolerance) << "pixel " << px << "," << py;
}

TEST_F(WaveEffectRender, RipplesShowThePictureUnchangedAtBothEnds) {
  CWaveEffect wave;
  CUnderWaterEffect underWater;
  CCircleWaveEffect circle;
  CSpecialWaveEffect special;
  for (CEffect* effect : std::initializer_list<CEffect*>{&wave, &underWater, &circle, &special}) {
    DirtyDeviceStates();
    EXPECT_EQ(CountChanged(RenderCoded(*effect, 1.0f), kSide, kSide), 0) << effect->GetID();
  }
  // The ripples fade in as well as out; "Special Wave" starts pinched.
  for (CEffect* effect : std::initializer_list<CEffect*>{&wave, &underWater, &circle})
    EXPECT_EQ(CountChanged(RenderCoded(*effect, 0.0f), kSide, kSide), 0) << effect->GetID();
  // An odd-sized picture in a larger texture still fills exactly its part.
  EXPECT_EQ(CountChanged(RenderCoded(circle, 1.0f, 93, 61), 93, 61), 0);
}

TEST_F(WaveEffectRender, UnderWarerPushesTheAntiDiagonalHalfWay) {
  // Half-way the amplitude is the whole Strength (6). On the anti-diagonal
  // a + b = 0, so y stays and x moves by 6 cos(15 x 50 / 1000 x 3 pi) =
  // 6 cos(2.25 pi) = 3 sqrt(2).
  CUnderWaterEffect effect;
  const std::vector<DWORD> got = RenderCoded(effect, 0.5f);
  for (int i : {10, 14, 20}) ExpectVertexLandsAt(got, 4 * i, 4 * (31 - i), 3 * std::sqrt(2.0), 0.0);
  EXPECT_GT(CountChanged(got, kSide, kSide), kSide * kSide / 4);
}

TEST_F(WaveEffectRender, CircleWavePeaksHalfWayAndNeedsStrength) {
  CCircleWaveEffect effect;
  const std::vector<DWORD> got = RenderCoded(effect, 0.5f);
  // d = (C - 1) sin((1.6181 r - V q) F 2 pi) / r x Strength x 0.002 along
  // the diagonal, with q = 0.5.
  for (int i : {6, 12, 24}) {
    const double a = i / 31.0 - 0.5, b = 20 / 31.0 - 0.5, r = std::hypot(a, b);
    const double d = 31 * std::sin((1.6181229773462784 * r - 5.0 * 0.5) * 3.0 * 2 * kPi) / r * 8.0 * 0.002;
    ExpectVertexLandsAt(got, 4 * i, 4 * 20, d, d);
  }
  effect.m_strength = 0.0f;
  for (float progress : {0.3f, 0.5f, 0.8f}) EXPECT_EQ(CountChanged(RenderCoded(effect, progress), kSide, kSide), 0);
}

TEST_F(WaveEffectRender, WaveMovesTheInsideAndIgnoresVelocity) {
  CWaveEffect effect;
  const std::vector<DWORD> first = RenderCoded(effect, 0.37f);
  EXPECT_GT(CountChanged(first, kSide, kSide), kSide * kSide / 4);
  effect.m_velocity = 17.0f;
  EXPECT_EQ(RenderCoded(effect, 0.37f), first);
  // The outline stays: the picture's corners are where they were.
  const int last = kSide - 1;
  for (auto [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}})
    EXPECT_LE(ChannelDistance(At(first, x, y), Coded(x, y)), 2) << x << "," << y;
}

TEST_F(WaveEffectRender, SphereFormStartsAsABallAndEndsFlatOutsideItsCentre) {
  CSphereFormEffect effect;
  // At the start the ball has radius 1/2 of the picture: vertex (24, 24) at
  // distance r shows the picture at arcsine(r) x 2 / pi of the way out.
  const std::vector<DWORD> start = RenderCoded(effect, 0.0f);
  const double a = 24 / 31.0 - 0.5, r = std::sqrt(2.0) * a;
  const double texel = (std::asin(r) * 2 / kPi / r * a + 0.5) * kSide - 0.5;
  EXPECT_NEAR(CodedX(At(start, 96, 96)), texel, 1.0);
  EXPECT_NEAR(CodedY(At(start, 96, 96)), texel, 1.0);
  // The corners, beyond the ball and its blend band, are untouched.
  EXPECT_LE(ChannelDistance(At(start, 3, 3), Coded(3, 3)), 2);

  // At the end only a band of a tenth of the picture round the centre is
  // still bent.
  const std::vector<DWORD> end = RenderCoded(effect, 1.0f);
  int changedOutside = 0, changedInside = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double dist = std::hypot((x + 0.5) / kSide - 0.5, (y + 0.5) / kSide - 0.5);
      const bool changed = ChannelDistance(At(end, x, y), Coded(x, y)) > 2;
      (dist < 0.1 + 2.0 / 31 ? changedInside : changedOutside) += changed;
    }
  }
  EXPECT_EQ(changedOutside, 0);
  EXPECT_GT(changedInside, 0);
}

TEST_F(WaveEffectRender, SpecialWaveStartsPinchedTowardTheCentre) {
  CSpecialWaveEffect effect;
  const std::vector<DWORD> got = RenderCoded(effect, 0.0f);
  // Vertex (24, 24) samples 0.35 of the picture nearer the centre along the
  // diagonal.
  const double texel = (24 / 31.0 - 0.35 / std::sqrt(2.0)) * kSide - 0.5;
  EXPECT_NEAR(CodedX(At(got, 96, 96)), texel, 1.0);
  EXPECT_NEAR(CodedY(At(got, 96, 96)), texel, 1.0);
  // Half-way it samples half as far in.
  const std::vector<DWORD> half = RenderCoded(effect, 0.5f);
  EXPECT_NEAR(CodedX(At(half, 96, 96)), (24 / 31.0 - 0.175 / std::sqrt(2.0)) * kSide - 0.5, 1.0);
}

TEST_F(WaveEffectRender, MissingHoldersDrawNothing) {
  CWaveEffect effect;
  CTextureHolder target;
  MakePicture(target, 32, 32, TRUE, Coded);
  effect.Render(&renderer_, Device(), nullptr, &target, 0.5f);
  effect.Render(&renderer_, Device(), &target, nullptr, 0.5f);
  effect.Render(nullptr, Device(), &target, &target, 0.5f);
  EXPECT_EQ(CountChanged(ReadPicture(target), 32, 32, 0), 0);
}

// --- parameter blocks ---

struct WaveDefaults {
  int id;
  const char16_t* name;
  float strength, frequency, velocity;
};

TEST(WaveEffectBlocks, RegisteredWithTheirNamesAndDefaults) {
  const WaveDefaults table[] = {
      {4, u"Wave", 8.0f, 20.0f, 5.0f}, {7, u"Under Warer", 6.0f, 3.0f, 15.0f}, {8, u"Circle Wave", 8.0f, 3.0f, 5.0f}};
  for (const WaveDefaults& row : table) {
    std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(row.id));
    ASSERT_NE(effect, nullptr) << row.id;
    EXPECT_EQ(effect->GetID(), row.id);
    EXPECT_TRUE(effect->GetName() == row.name);
    EXPECT_EQ(StoreBlock(*effect), FloatBlock({row.strength, row.frequency, row.velocity})) << row.id;
  }
  for (auto [id, name] : {std::pair{22, u"Special Wave"}, std::pair{23, u"Sphere Form"}}) {
    std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(id));
    ASSERT_NE(effect, nullptr) << id;
    EXPECT_TRUE(effect->GetName() == name);
    // Stored as the id alone: the block is empty both ways.
    EXPECT_TRUE(StoreBlock(*effect).empty());
    EXPECT_TRUE(LoadBlock(*effect, {}));
  }
  EXPECT_EQ(GetEffectRegistry().Create(6), nullptr);
}

TEST(WaveEffectBlocks, BlocksRoundTripByteForByte) {
  CWaveEffect wave;
  CUnderWaterEffect underWater;
  CCircleWaveEffect circle;
  for (CWaveParameterEffect* effect : std::initializer_list<CWaveParameterEffect*>{&wave, &underWater, &circle}) {
    for (const std::vector<BYTE>& block : {StoreBlock(*effect), FloatBlock({8.0f, 3.0f, 5.0f}),
                                           FloatBlock({19.75f, 4.5f, 1.0f}), FloatBlock({0.0f, 2.0f, 20.0f})}) {
      ASSERT_TRUE(LoadBlock(*effect, block)) << effect->GetID();
      EXPECT_EQ(StoreBlock(*effect), block) << effect->GetID();
    }
  }
  // The order is Strength, Frequency, Velocity.
  ASSERT_TRUE(LoadBlock(circle, FloatBlock({12.0f, 2.5f, 7.0f})));
  EXPECT_EQ(circle.m_strength, 12.0f);
  EXPECT_EQ(circle.m_frequency, 2.5f);
  EXPECT_EQ(circle.m_velocity, 7.0f);
}

TEST(WaveEffectBlocks, StoredValuesOutsideTheDialogRangesLoadClamped) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  CWaveEffect wave;
  ASSERT_TRUE(LoadBlock(wave, FloatBlock({-3.0f, 1000.0f, 0.5f})));
  EXPECT_EQ(StoreBlock(wave), FloatBlock({0.0f, 100.0f, 1.0f}));
  CUnderWaterEffect underWater;
  ASSERT_TRUE(LoadBlock(underWater, FloatBlock({inf, 7.0f, -inf})));
  EXPECT_EQ(StoreBlock(underWater), FloatBlock({20.0f, 6.0f, 1.0f}));
  CCircleWaveEffect circle;
  ASSERT_TRUE(LoadBlock(circle, FloatBlock({21.0f, 0.0f, 25.0f})));
  EXPECT_EQ(StoreBlock(circle), FloatBlock({20.0f, 1.0f, 20.0f}));
  // A value that is no number at all takes the effect's default.
  ASSERT_TRUE(LoadBlock(underWater, FloatBlock({nan, nan, nan})));
  EXPECT_EQ(StoreBlock(underWater), FloatBlock({6.0f, 3.0f, 15.0f}));
}

TEST(WaveEffectBlocks, ShortBlockFailsAndKeepsTheValues) {
  CCircleWaveEffect effect;
  effect.m_strength = 4.0f;
  std::vector<BYTE> bytes = FloatBlock({10.0f, 2.0f});
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  int cause = -1;
  try {
    effect.Serialize(ar);
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(cause, CArchiveException::endOfFile);
  EXPECT_EQ(effect.m_strength, 4.0f);
  EXPECT_EQ(effect.m_frequency, 3.0f);
}

}  // namespace
