// "Page Curl And Turn", "Tile" and "Scale and Rotate" drawn on the software
// device: the picture back at the end, the documented shapes on the way,
// the device left as found, a refused buffer, and the parameter blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "effects/curl_tile_support.h"
#include "effects/page_curl_effect.h"
#include "effects/scale_rotate_effect.h"
#include "effects/tile_effect.h"
#include "model/record_bytes.h"

using namespace curl_tile_test;

namespace {

constexpr int kFilterTolerance = 3;  // half a texel of blur on the gradient, plus rounding

}  // namespace

// --- Page Curl And Turn ---

class PageCurlEffectTest : public EffectPictureTest {};

TEST_F(PageCurlEffectTest, ProgressOneIsThePictureInEveryStyle) {
  MakePictures(100, 90);
  const std::vector<DWORD> source = Source();
  for (int curl = 0; curl < 2; ++curl) {
    for (int style = 0; style <= CPageCurlEffect::kMaxStyle; ++style) {
      CPageCurlEffect effect;
      effect.m_style = style;
      effect.m_curl = curl;
      effect.Render(&renderer_, Device(), &source_, &target_, 1.0f);
      EXPECT_LE(MaxDifference(Target(), source, width_, height_, 1), kFilterTolerance)
          << "style " << style << " curl " << curl;
    }
  }
}

TEST_F(PageCurlEffectTest, HalfwayTheFarHalfStandsCurledOverTheFlatNearHalf) {
  // Direction 0: the line runs across the middle at progress 0.5; above it
  // the page wraps a cylinder of 200 towards the camera, reaching up to
  // 1000 sin t / (4 + cos t) units above the middle, at most 258.2.
  // Direction 90 turns the same picture a quarter: the right half curls.
  MakePictures(100, 100);
  const std::vector<DWORD> source = Source();
  for (float direction : {0.0f, 90.0f}) {
    CPageCurlEffect effect;
    effect.m_direction = direction;
    effect.Render(&renderer_, Device(), &source_, &target_, 0.5f);
    const std::vector<DWORD> out = Target();
    // (across, along): `along` runs from the far edge towards the flat half.
    auto pixel = [&](const std::vector<DWORD>& picture, int across, int along) {
      return direction == 0.0f ? At(picture, across, along) : At(picture, width_ - 1 - along, across);
    };
    for (int along = 0; along <= 22; ++along)
      for (int across = 0; across < width_; ++across)
        ASSERT_EQ(Alpha(pixel(out, across, along)), 0) << direction << ": " << across << "," << along;
    for (int along = 27; along <= 47; ++along) EXPECT_EQ(Alpha(pixel(out, 50, along)), 255) << along;
    for (int along = 53; along < height_ - 1; ++along)
      for (int across = 1; across < width_ - 1; ++across)
        for (int shift = 0; shift < 32; shift += 8)
          ASSERT_LE(std::abs(Channel(pixel(out, across, along), shift) - Channel(pixel(source, across, along), shift)),
                    kFilterTolerance)
              << direction << ": " << across << "," << along;
  }
}

TEST_F(PageCurlEffectTest, ProgressZeroLeavesOnlyTheRollAtTheBottom) {
  // Wholly curled at direction 0: the line lies on the bottom edge, half a
  // turn of radius 200 takes 628 units of the page and the rest lies on the
  // back below the frame. The roll's top, at (-2.5 + sin t) / (4 + cos t)
  // x 1000 units, peaks at -359.4 (row 85.9 of 100).
  MakePictures(100, 100);
  CPageCurlEffect effect;
  effect.m_direction = 0.0f;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.0f);
  const std::vector<DWORD> out = Target();
  for (int y = 0; y <= 84; ++y)
    for (int x = 0; x < width_; ++x) ASSERT_EQ(Alpha(At(out, x, y)), 0) << x << "," << y;
  for (int y = 88; y < height_; ++y) EXPECT_EQ(Alpha(At(out, 50, y)), 255) << y;
}

TEST_F(PageCurlEffectTest, LeavesViewportAndFormatAsFoundDepthAndLightOff) {
  MakePictures(64, 48);
  D3DVIEWPORT9 before{0, 0, 1024, 768, 0.0f, 1.0f};
  Device()->SetViewport(&before);
  Device()->SetFVF(kRendererFvf);
  Device()->SetRenderState(D3DRS_ZENABLE, TRUE);
  CPageCurlEffect effect;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.3f);
  D3DVIEWPORT9 after{};
  Device()->GetViewport(&after);
  EXPECT_EQ(after.Width, 1024u);
  EXPECT_EQ(after.Height, 768u);
  DWORD fvf = 0, value = 1;
  Device()->GetFVF(&fvf);
  EXPECT_EQ(fvf, kRendererFvf);
  Device()->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, static_cast<DWORD>(FALSE));
  Device()->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, static_cast<DWORD>(FALSE));
}

TEST_F(PageCurlEffectTest, RefusedBuffersLeaveTheTargetUntouched) {
  MakePictures(40, 40);
  RefusingDevice refusing(Device());
  CPageCurlEffect effect;
  effect.Render(&renderer_, &refusing, &source_, &target_, 1.0f);
  for (DWORD pixel : Target()) ASSERT_EQ(pixel, 0xFF00FF00u);
  refusing.refuseBuffers = false;
  effect.Render(&renderer_, &refusing, &source_, &target_, 1.0f);
  EXPECT_LE(MaxDifference(Target(), Source(), width_, height_, 1), kFilterTolerance);
}

// --- Tile ---

class TileEffectTest : public EffectPictureTest {
 protected:
  // Along the screen row through page height 0 (the middle of the picture)
  // every tile of the middle row spans, in perspective, from its turned
  // left edge to its turned right edge; nothing is drawn between tiles.
  void ExpectMiddleRowSpans(const std::vector<DWORD>& out, int blocks, float t) {
    const float cell = 1000.0f / static_cast<float>(blocks);
    const float a = t * 1.5707964f, half = cell * 0.5f;
    const float unitsPerPixel = 1000.0f / static_cast<float>(width_);
    const int y = height_ / 2;
    for (int x = 0; x < width_; ++x) {
      const float pageX = static_cast<float>(x) * unitsPerPixel - 500.0f;
      bool inside = false, nearEdge = false;
      for (int i = 0; i < blocks; ++i) {
        const float cx = (static_cast<float>(i) + 0.5f) * cell - 500.0f;
        const float left = (cx - std::sin(a) * half) * 1000.0f / (1000.0f + std::cos(a) * half);
        const float right = (cx + std::sin(a) * half) * 1000.0f / (1000.0f - std::cos(a) * half);
        inside = inside || (pageX > left && pageX < right);
        nearEdge = nearEdge || std::fabs(pageX - left) < 1.5f * unitsPerPixel ||
                   std::fabs(pageX - right) < 1.5f * unitsPerPixel;
      }
      if (nearEdge) continue;
      EXPECT_EQ(Alpha(At(out, x, y)), inside ? 255 : 0) << "x " << x << " t " << t;
    }
  }
};

TEST_F(TileEffectTest, ProgressZeroIsEmptyAndOneIsThePictureForEveryType) {
  MakePictures(100, 90);
  const std::vector<DWORD> source = Source();
  for (int blocks : {1, 3, 10}) {
    for (int type = 0; type <= static_cast<int>(CTileEffect::kMaxType); ++type) {
      CTileEffect effect;
      effect.m_blockCount = blocks;
      effect.m_tileType = type;
      effect.Render(&renderer_, Device(), &source_, &target_, 0.0f);
      for (DWORD pixel : Target()) ASSERT_EQ(pixel, 0u) << "type " << type << " blocks " << blocks;
      effect.Render(&renderer_, Device(), &source_, &target_, 1.0f);
      EXPECT_LE(MaxDifference(Target(), source, width_, height_, 1), kFilterTolerance)
          << "type " << type << " blocks " << blocks;
    }
  }
}

TEST_F(TileEffectTest, HalfwayRowsTurnOneAfterTheOther) {
  // Type 0, 3 blocks, P = 0.5: t = 1.25 - 0.5 j, so the bottom row lies
  // flat, the middle row stands at t = 0.75 and the top row at 0.25.
  MakePictures(110, 110);
  const std::vector<DWORD> source = Source();
  CTileEffect effect;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.5f);
  const std::vector<DWORD> out = Target();
  // Below page height -185 nothing of the middle row reaches down.
  for (int y = 76; y < height_ - 1; ++y)
    for (int x = 1; x < width_ - 1; ++x)
      for (int shift = 0; shift < 32; shift += 8)
        ASSERT_LE(std::abs(Channel(At(out, x, y), shift) - Channel(At(source, x, y), shift)), kFilterTolerance)
            << x << "," << y;
  ExpectMiddleRowSpans(out, 3, 0.75f);

  // Type 2 turns rows about their horizontal centre line: the middle row's
  // tiles meet their neighbours in the row, so the middle line is whole.
  effect.m_tileType = 2;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.5f);
  const std::vector<DWORD> turned = Target();
  for (int x = 2; x < width_ - 2; ++x) EXPECT_EQ(Alpha(At(turned, x, height_ / 2)), 255) << x;
}

TEST_F(TileEffectTest, FailedBuildSkipsDrawAndCopy) {
  MakePictures(40, 40);
  RefusingDevice refusing(Device());
  CTileEffect effect;
  effect.Render(&renderer_, &refusing, &source_, &target_, 1.0f);
  for (DWORD pixel : Target()) ASSERT_EQ(pixel, 0xFF00FF00u);
  refusing.refuseBuffers = false;
  effect.Render(&renderer_, &refusing, &source_, &target_, 1.0f);
  EXPECT_LE(MaxDifference(Target(), Source(), width_, height_, 1), kFilterTolerance);
}

// --- Scale and Rotate ---

class ScaleRotateEffectTest : public EffectPictureTest {
 protected:
  // The quad sends picture point p (from the centre) to M p; the target
  // pixel (x, y) thus shows the source where `inverse` sends it back.
  template <class Inverse>
  void ExpectMapped(const std::vector<DWORD>& out, Inverse inverse) {
    int checked = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        float px, py;
        inverse(static_cast<float>(x) + 0.5f - width_ * 0.5f, static_cast<float>(y) + 0.5f - height_ * 0.5f, &px,
                &py);
        const float tx = px + width_ * 0.5f - 0.5f, ty = py + height_ * 0.5f - 0.5f;
        const DWORD pixel = At(out, x, y);
        if (tx < -1.5f || tx > width_ + 0.5f || ty < -1.5f || ty > height_ + 0.5f) {
          ASSERT_EQ(Alpha(pixel), 0) << x << "," << y;
        } else if (tx > 0.5f && tx < width_ - 1.5f && ty > 0.5f && ty < height_ - 1.5f) {
          ASSERT_NEAR(Channel(pixel, 16), GradientRed(tx), 2.0f) << x << "," << y;
          ASSERT_NEAR(Channel(pixel, 8), GradientGreen(ty), 2.0f) << x << "," << y;
          ASSERT_EQ(Alpha(pixel), 255);
          ++checked;
        }
      }
    }
    EXPECT_GT(checked, 100);
  }
};

TEST_F(ScaleRotateEffectTest, ThePictureAtItsOwnSizeEndsAnEnlargementAndStartsAShrinking) {
  MakePictures(60, 50);
  const std::vector<DWORD> source = Source();
  // Scales above 1 come back to full size at progress 1; scales at or below
  // 1 start there at progress 0 (whole turns leave the picture upright).
  const struct {
    float scale;
    float progress;
  } cases[] = {{5.0f, 1.0f}, {10.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.0f}};
  for (const auto& c : cases) {
    CScaleRotateEffect effect;
    effect.m_scaleX = c.scale;
    effect.m_scaleY = c.scale;
    effect.m_rotate = 3;
    effect.Render(&renderer_, Device(), &source_, &target_, c.progress);
    EXPECT_LE(MaxDifference(Target(), source, width_, height_, 0), 1) << c.scale << " at " << c.progress;
  }
}

TEST_F(ScaleRotateEffectTest, ScalesFirstThenTurnsClockwise) {
  MakePictures(60, 50);
  // Scale X 3, Scale Y 1 at progress 0.75: x scaled by 1.5, a quarter turn
  // clockwise: picture point (px, py) lands at (-py, 1.5 px).
  CScaleRotateEffect effect;
  effect.m_scaleX = 3.0f;
  effect.m_scaleY = 1.0f;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.75f);
  ExpectMapped(Target(), [](float x, float y, float* px, float* py) {
    *px = y / 1.5f;
    *py = -x;
  });
}

TEST_F(ScaleRotateEffectTest, ScalesBelowOneShrinkFromFullSizeTowardsTheirOwn) {
  MakePictures(60, 50);
  // Scale 0.5 at progress 0.25: 0.5 x 0.75 + 0.5 = 0.875 of the size,
  // turned 2 x 0.75 = 1.5 turns (upside down); the frame around it is empty.
  CScaleRotateEffect effect;
  effect.m_scaleX = 0.5f;
  effect.m_scaleY = 0.5f;
  effect.m_rotate = 2;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.25f);
  ExpectMapped(Target(), [](float x, float y, float* px, float* py) {
    *px = -x / 0.875f;
    *py = -y / 0.875f;
  });
  // Scale X 0 narrows the picture towards a vertical line: a quarter of its
  // width at progress 0.75, its height kept, half a turn left of two.
  effect.m_scaleX = 0.0f;
  effect.m_scaleY = 1.0f;
  effect.Render(&renderer_, Device(), &source_, &target_, 0.75f);
  ExpectMapped(Target(), [](float x, float y, float* px, float* py) {
    *px = -x / 0.25f;
    *py = -y;
  });
}

// --- parameter blocks ---

namespace {

template <class T>
std::vector<BYTE> RoundTrip(const std::vector<BYTE>& bytes) {
  T loaded;
  EXPECT_EQ(LoadRecord(bytes, loaded), -1);
  return StoreRecord(loaded);
}

}  // namespace

TEST(CurlTileBlocks, PageCurlRoundTripsAndClamps) {
  CPageCurlEffect defaults;
  const std::vector<BYTE> expected = RecordBytes().Float(200.0f).Float(45.0f).Int(0).Int(0).Int(1).bytes();
  EXPECT_EQ(StoreRecord(defaults), expected);
  EXPECT_EQ(RoundTrip<CPageCurlEffect>(expected), expected);
  const std::vector<BYTE> edited = RecordBytes().Float(1234.5f).Float(270.25f).Int(1).Int(4).Int(0).bytes();
  EXPECT_EQ(RoundTrip<CPageCurlEffect>(edited), edited);

  CPageCurlEffect wild;
  ASSERT_EQ(LoadRecord(RecordBytes().Float(-5.0f).Float(720.0f).Int(7).Int(9).Int(-3).bytes(), wild), -1);
  EXPECT_EQ(StoreRecord(wild), RecordBytes().Float(0.0f).Float(360.0f).Int(1).Int(4).Int(1).bytes());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ASSERT_EQ(LoadRecord(RecordBytes().Float(nan).Float(nan).Int(0).Int(-1).Int(0).bytes(), wild), -1);
  EXPECT_EQ(StoreRecord(wild), RecordBytes().Float(200.0f).Float(45.0f).Int(0).Int(0).Int(0).bytes());
  ASSERT_EQ(LoadRecord(RecordBytes().Float(9e9f).Float(-1.0f).Int(0).Int(2).Int(1).bytes(), wild), -1);
  EXPECT_EQ(StoreRecord(wild), RecordBytes().Float(5000.0f).Float(0.0f).Int(0).Int(2).Int(1).bytes());
}

TEST(CurlTileBlocks, TileReadsTypeFirstAndClamps) {
  CTileEffect defaults;
  const std::vector<BYTE> expected = RecordBytes().Int(0).Int(3).bytes();
  EXPECT_EQ(StoreRecord(defaults), expected);
  EXPECT_EQ(RoundTrip<CTileEffect>(expected), expected);

  CTileEffect loaded;
  ASSERT_EQ(LoadRecord(RecordBytes().Int(2).Int(7).bytes(), loaded), -1);
  EXPECT_EQ(loaded.m_tileType, 2);
  EXPECT_EQ(loaded.m_blockCount, 7);
  EXPECT_EQ(RoundTrip<CTileEffect>(RecordBytes().Int(4).Int(100).bytes()), RecordBytes().Int(4).Int(100).bytes());
  EXPECT_EQ(RoundTrip<CTileEffect>(RecordBytes().Int(5).Int(0).bytes()), RecordBytes().Int(4).Int(1).bytes());
  EXPECT_EQ(RoundTrip<CTileEffect>(RecordBytes().Int(-1).Int(-1).bytes()), RecordBytes().Int(4).Int(100).bytes());
  EXPECT_EQ(RoundTrip<CTileEffect>(RecordBytes().Int(1).Int(101).bytes()), RecordBytes().Int(1).Int(100).bytes());
}

TEST(CurlTileBlocks, ScaleRotateRoundTripsAndClamps) {
  CScaleRotateEffect defaults;
  const std::vector<BYTE> expected = RecordBytes().Float(5.0f).Float(5.0f).Int(1).bytes();
  EXPECT_EQ(StoreRecord(defaults), expected);
  EXPECT_EQ(RoundTrip<CScaleRotateEffect>(expected), expected);
  const std::vector<BYTE> edited = RecordBytes().Float(0.25f).Float(10.0f).Int(2048).bytes();
  EXPECT_EQ(RoundTrip<CScaleRotateEffect>(edited), edited);

  EXPECT_EQ(RoundTrip<CScaleRotateEffect>(RecordBytes().Float(-1.0f).Float(11.0f).Int(0).bytes()),
            RecordBytes().Float(0.0f).Float(10.0f).Int(1).bytes());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(RoundTrip<CScaleRotateEffect>(RecordBytes().Float(nan).Float(inf).Int(5000).bytes()),
            RecordBytes().Float(5.0f).Float(10.0f).Int(2048).bytes());
}

TEST(CurlTileBlocks, RegistryMakesEachByItsId) {
  const struct {
    int id;
    const char16_t* name;
  } effects[] = {{3, u"Scale and Rotate"}, {10, u"Page Curl And Turn"}, {20, u"Tile"}};
  for (const auto& e : effects) {
    std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(e.id));
    ASSERT_NE(effect, nullptr) << e.id;
    EXPECT_EQ(effect->GetID(), e.id);
    EXPECT_TRUE(effect->GetName() == CString(e.name)) << e.id;
  }
}
