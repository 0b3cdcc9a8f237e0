// The cross-dissolve of a morph frame drawn in one pass must give image A
// exactly as the three-pass composition did: the pair warped twice (colour
// into B, coverage into C), then B's colour joined with C's alpha.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "compat/d3dx9.h"
#include "render/d3d_renderer.h"
#include "render/render_states.h"
#include "render/shape_base.h"

namespace {

constexpr int kWidth = 200, kHeight = 150;  // in 256 x 256 textures: room beyond the picture

class MorphPass : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(renderer_.Init(nullptr), 0);
    ASSERT_TRUE(renderer_.ResizeOutput(kWidth, kHeight));
    Picture(source_, 11);
    Picture(target_, 12);
    ASSERT_NE(mask_.Create(renderer_.m_device, 0, 0, kWidth, kHeight, TRUE), nullptr);
    ASSERT_EQ(D3DXCreateTexture(renderer_.m_device, 256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &maskTexture_),
              D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(maskTexture_->LockRect(0, &locked, nullptr, 0), D3D_OK);
    auto* texels = static_cast<DWORD*>(locked.pBits);
    for (int i = 0; i < 256 * 256; ++i) texels[i] = static_cast<DWORD>(rng_()) | (i % 7 == 0 ? 0xFF000000 : 0);
    maskTexture_->UnlockRect(0);
  }
  void TearDown() override {
    if (maskTexture_) maskTexture_->Release();
  }

  // Noise with every alpha, some pixels fully clear or opaque.
  void Picture(CTextureHolder& holder, uint32_t seed) {
    ASSERT_NE(holder.Create(renderer_.m_device, 0, 0, kWidth, kHeight, FALSE), nullptr);
    std::mt19937 rng(seed);
    std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight);
    for (DWORD& p : pixels) {
      p = static_cast<DWORD>(rng());
      if (p % 5 == 0) p |= 0xFF000000;
      if (p % 11 == 0) p &= 0x00FFFFFF;
    }
    holder.Upload(pixels.data());
  }

  // A jittered grid over the picture (texture coordinates jittered apart),
  // stretched by `reach` past the picture's right and bottom edges, and with
  // `fold` some of its points pulled over their neighbours.
  void Grid(CShapeBase& mesh, float reach, bool fold) {
    const int cols = 9, rows = 7;
    ASSERT_TRUE(mesh.Reserve((cols + 1) * (rows + 1), cols * rows * 2));
    std::uniform_real_distribution<float> jitter(-4.0f, 4.0f);
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= cols; ++c) {
        float x = (kWidth + reach) * c / cols, y = (kHeight + reach) * r / rows;
        const bool edge = c == 0 || r == 0 || c == cols || r == rows;
        float px = edge ? x : x + jitter(rng_), py = edge ? y : y + jitter(rng_);
        if (fold && !edge && (r * cols + c) % 4 == 0) px += 30.0f, py += 12.0f;
        const float u = (x + (edge ? 0.0f : jitter(rng_))) / 256.0f, v = (y + (edge ? 0.0f : jitter(rng_))) / 256.0f;
        mesh.m_vertices[r * (cols + 1) + c] = CRenderVertex{px, py, u, v, 0xFFFFFFFF};
      }
    WORD* out = mesh.m_indices;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const WORD a = WORD(r * (cols + 1) + c), b = WORD(a + 1), d = WORD(a + cols + 1), e = WORD(d + 1);
        *out++ = a, *out++ = b, *out++ = d, *out++ = b, *out++ = e, *out++ = d;
      }
  }

  // The whole of level 0, the texture beyond the picture included.
  std::vector<DWORD> Read(CTextureHolder& holder) {
    IDirect3DSurface9 *level = nullptr, *copy = nullptr;
    EXPECT_EQ(holder.m_texture->GetSurfaceLevel(0, &level), D3D_OK);
    D3DSURFACE_DESC desc;
    level->GetDesc(&desc);
    renderer_.m_device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                    &copy, nullptr);
    EXPECT_EQ(renderer_.m_device->GetRenderTargetData(level, copy), D3D_OK);
    D3DLOCKED_RECT locked;
    copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    std::vector<DWORD> out(static_cast<size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
      std::memcpy(out.data() + static_cast<size_t>(y) * desc.Width,
                  static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch, desc.Width * 4);
    copy->UnlockRect();
    copy->Release();
    level->Release();
    return out;
  }

  // The composition as it was: colour cross-dissolve into B, coverage into
  // C, then a quad of B's colour and C's alpha into image A.
  std::vector<DWORD> ThreePasses(const CShapeBase& from, const CShapeBase& to, bool masked, BYTE blend) {
    IDirect3DDevice9* device = renderer_.m_device;
    device->EndScene();
    CTextureHolder* mask = nullptr;
    if (masked) {
      renderer_.RenderTextureToTarget(maskTexture_, &mask_);
      mask = &mask_;
    }
    renderer_.DrawWarpedPair(&from, &to, &source_, &target_, mask, FALSE, blend);
    renderer_.DrawWarpedPair(&from, &to, &source_, &target_, mask, TRUE, blend);
    CRenderTargetScope scope(device, renderer_.m_imageA.m_texture, TRUE);
    EXPECT_TRUE(scope.IsReady());
    const CStageSetup alphaFromC = {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT,
                                    D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, 0};
    device->BeginScene();
    SetPassBasics(device);
    SetStage(device, 0, kStageTextureOnly);
    SetStage(device, 1, alphaFromC);
    SetPictureSampler(device, 0);
    SetPictureSampler(device, 1);
    SetBlend(device, D3DBLEND_ONE, D3DBLEND_ZERO);
    device->SetTexture(1, renderer_.m_imageC.m_texture);
    CTextureHolder& b = renderer_.m_imageB;
    renderer_.DrawTextureQuad(b.m_texture, b.m_picture, SIZE{b.m_textureWidth, b.m_textureHeight}, b.m_picture, 1.0f,
                              0xFFFFFFFF);
    device->EndScene();
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    return Read(renderer_.m_imageA);
  }

  CD3DMeshRenderer renderer_;
  CTextureHolder source_, target_, mask_;
  IDirect3DTexture9* maskTexture_ = nullptr;
  std::mt19937 rng_{5};
};

TEST_F(MorphPass, OnePassGivesTheThreePassPictureBitForBit) {
  struct Shape {
    float reach;
    bool fold;
  };
  const Shape shapes[] = {{0.0f, false}, {36.0f, false}, {0.0f, true}};
  const BYTE blends[] = {0, 77, 128, 255};
  const int modes[] = {0, 3, 4};
  int run = 0, alphaApart = 0;
  for (const Shape& shape : shapes) {
    CShapeBase from, to;
    Grid(from, shape.reach, shape.fold);
    Grid(to, shape.reach, shape.fold);
    for (BYTE blend : blends)
      for (bool masked : {false, true}) {
        const int mode = modes[run++ % 3];
        const std::vector<DWORD> expected = ThreePasses(from, to, masked, blend);
        // Where the colour pass's alpha differs from the coverage, the single
        // pass must still take the coverage.
        const std::vector<DWORD> colourPass = Read(renderer_.m_imageB);
        for (size_t i = 0; i < expected.size(); ++i) alphaApart += (expected[i] ^ colourPass[i]) >> 24 != 0;

        renderer_.DrawMorph(&from, &to, &source_, &target_, &mask_, masked ? maskTexture_ : nullptr, blend, mode);
        const std::vector<DWORD> got = Read(renderer_.m_imageA);
        ASSERT_EQ(got.size(), expected.size());
        size_t wrong = 0, first = 0;
        for (size_t i = 0; i < got.size(); ++i)
          if (got[i] != expected[i] && wrong++ == 0) first = i;
        ASSERT_EQ(wrong, 0u) << "reach " << shape.reach << (shape.fold ? " folded" : "") << ", blend " << int{blend}
                             << (masked ? ", masked" : "") << ", mode " << mode << ": first at (" << first % 256
                             << ", " << first / 256 << ") " << std::hex << got[first] << " != " << expected[first];
      }
  }
  EXPECT_EQ(run, 24);
  EXPECT_GT(alphaApart, 10000);
}

// The meshes drawn past the picture leave nothing there: image A beyond its
// picture stays clear, as the composition (a quad of the picture) left it.
TEST_F(MorphPass, NothingIsLeftBeyondThePicture) {
  CShapeBase from, to;
  Grid(from, 36.0f, false);
  Grid(to, 36.0f, true);
  renderer_.DrawMorph(&from, &to, &source_, &target_, &mask_, nullptr, 128, 0);
  const std::vector<DWORD> got = Read(renderer_.m_imageA);
  int inside = 0, beyond = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const bool inPicture = x < kWidth && y < kHeight;
      (inPicture ? inside : beyond) += got[static_cast<size_t>(y) * 256 + x] != 0;
    }
  EXPECT_GT(inside, kWidth * kHeight / 2);
  EXPECT_EQ(beyond, 0);
}

}  // namespace
