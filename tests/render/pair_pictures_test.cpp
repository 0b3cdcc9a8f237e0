// The pair's pictures: the threshold table of the transition mask, the
// mask's alpha at the ends of the morph, the light target and the total
// mask's alpha.
#include <gtest/gtest.h>

#include "frame_fixture.h"
#include "render/pair_pictures.h"

namespace {

TEST(ThresholdTable, EdgeZeroIsAHardThreshold) {
  int table[256];
  for (double level : {0.25, 0.6, 0.9}) {
    BuildThresholdTable(table, level, 0.0, 0);
    const int threshold = static_cast<int>(255 * level);
    for (int g = 0; g < 256; ++g)
      EXPECT_EQ(table[g], g < threshold ? kThresholdClear : kThresholdOpaque) << level << " " << g;
  }
}

TEST(ThresholdTable, ReverseOpensFromTheOtherEnd) {
  int forward[256], reversed[256];
  BuildThresholdTable(forward, 0.4, 0.2, 0);
  BuildThresholdTable(reversed, 0.4, 0.2, 1);
  for (int g = 0; g < 256; ++g) EXPECT_EQ(reversed[g], forward[255 - g]) << g;
  EXPECT_EQ(reversed[0], kThresholdOpaque);
  EXPECT_EQ(reversed[255], kThresholdClear);
}

TEST(ThresholdTable, EdgeMakesARampBelowTheThreshold) {
  int table[256];
  // Edge 0.2 is 51 grey levels; at level 0.5 the ramp runs 102..152.
  BuildThresholdTable(table, 0.5, 0.2, 0);
  EXPECT_EQ(table[101], kThresholdClear);
  EXPECT_EQ(table[102], 0);
  EXPECT_EQ(table[127], 125);
  EXPECT_EQ(table[152], 250);
  EXPECT_EQ(table[153], kThresholdOpaque);
  // Edges past the whole range and levels outside 0..1 stay in the table.
  BuildThresholdTable(table, 1.5, 7.0, 0);
  for (int g = 0; g < 256; ++g) EXPECT_TRUE(table[g] == kThresholdClear || table[g] == kThresholdOpaque || (table[g] >= 0 && table[g] <= 255));
}

using PairPictures = FrameTest;

// The alpha bytes of a picture-size texture, row by row at the lock's pitch.
std::vector<int> Alphas(IDirect3DTexture9* texture, int w, int h) {
  std::vector<int> out;
  D3DLOCKED_RECT locked;
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      out.push_back(static_cast<int>(static_cast<const DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] >> 24));
  texture->UnlockRect(0);
  return out;
}

TEST_F(PairPictures, TransitionMaskIsClosedAtTheStartAndOpenAtTheEnd) {
  // An odd width, so rows of the mask do not pack into whole texture rows.
  CPairTransitionPicture* picture = Pair()->GetTransitionPicture();
  picture->path = Picture("mask.bmp", 37, 11, [](int x, int y) { return 0x010101u * ((x * 7 + y * 20) % 256); });
  LoadTransitionPicture(Pair(), Renderer()->m_device);
  ASSERT_NE(picture->texture, nullptr);
  EXPECT_EQ(picture->width, 37);
  EXPECT_EQ(picture->grey[36 + 37], (36 * 7 + 20) % 256);
  for (float t : {0.0f, 1.0f}) {
    UpdateTransitionPicture(Pair(), t);
    const std::vector<int> alphas = Alphas(picture->texture->m_texture, 37, 11);
    ASSERT_EQ(alphas.size(), 37u * 11u);
    for (int a : alphas) ASSERT_EQ(a, t == 0.0f ? 0 : 255);
  }
  // In between, each pixel follows its own grey level.
  UpdateTransitionPicture(Pair(), 0.5f);
  const std::vector<int> alphas = Alphas(picture->texture->m_texture, 37, 11);
  int table[256];
  BuildThresholdTable(table, 0.5, picture->edge, 0);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 37; ++x) {
      const int v = table[(x * 7 + y * 20) % 256];
      const int expected = v == kThresholdClear ? 0 : v == kThresholdOpaque ? 255 : v * 255 >> 8;
      ASSERT_EQ(alphas[y * 37 + x], expected) << x << "," << y;
    }
}

TEST_F(PairPictures, LightTargetHoldsThePictureTimesTheStrength) {
  CPairLight* light = Pair()->GetLight();
  light->path = Picture("light.bmp", 20, 10, [](int x, int) { return x < 10 ? 0xC86432u : 0xFFFFFFu; });
  light->strength = 0.5f;
  LoadLightPicture(Pair(), Renderer()->m_device);
  RenderLightTarget(Pair(), Renderer()->m_device);
  ASSERT_NE(light->lightTexture, nullptr);
  IDirect3DSurface9 *level = nullptr, *copy = nullptr;
  ASSERT_EQ(light->lightTexture->m_texture->GetSurfaceLevel(0, &level), D3D_OK);
  Renderer()->m_device->CreateOffscreenPlainSurface(20, 10, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
  ASSERT_EQ(Renderer()->m_device->GetRenderTargetData(level, copy), D3D_OK);
  D3DLOCKED_RECT locked;
  copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  const DWORD* row = static_cast<const DWORD*>(locked.pBits) + 5 * locked.Pitch / 4;
  EXPECT_LE(ColourDistance(row[2], 0x643219), 1);
  EXPECT_LE(ColourDistance(row[15], 0x7F7F7F), 1);
  copy->UnlockRect();
  copy->Release();
  level->Release();
  // The texture factor is left at 0 for whoever draws next.
  DWORD factor = 1;
  Renderer()->m_device->GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
  EXPECT_EQ(factor, 0u);
}

TEST_F(PairPictures, TotalMaskAlphaIsTheRedOfThePicture) {
  Pair()->m_totalMaskPath = Picture("total.bmp", 5, 3, [](int x, int y) { return static_cast<DWORD>((x * 50 + y) << 16 | 0x00FF00); });
  LoadTotalMaskPicture(Pair(), Renderer()->m_device);
  ASSERT_NE(Pair()->m_totalMaskTexture, nullptr);
  const std::vector<int> alphas = Alphas(Pair()->m_totalMaskTexture->m_texture, 5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(alphas[y * 5 + x], x * 50 + y);
  // An emptied path drops the mask without a word.
  Pair()->m_totalMaskPath.Empty();
  LoadTotalMaskPicture(Pair(), Renderer()->m_device);
  EXPECT_EQ(Pair()->m_totalMaskTexture, nullptr);
  EXPECT_TRUE(editor_.messages.empty());
}

}  // namespace
