// The effect registry as the transition panel and the pair loader use it,
// and "No Effect" through the effect interface.
#include <gtest/gtest.h>

#include <algorithm>

#include "compat/afx.h"
#include "frame_fixture.h"
#include "model/project/effect.h"
#include "model/project/no_effect.h"
#include "render_fixture.h"

namespace {

class NamedEffect : public CEffect {
 public:
  int GetID() const override { return 3; }
  CString GetName() const override { return CString(u"Earlier"); }
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}
};

class LaterEffect : public NamedEffect {
 public:
  CString GetName() const override { return CString(u"Later"); }
};

TEST(EffectRegistry, ListsByIdAndMakesEffectsByStoredId) {
  const CEffectRegistry& registry = GetEffectRegistry();
  const std::vector<int> ids = registry.GetIds();
  ASSERT_FALSE(ids.empty());
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(ids.front(), 0);
  ASSERT_NE(registry.Lookup(0), nullptr);
  EXPECT_EQ(registry.Lookup(0)->name, CString(u"No Effect"));
  std::unique_ptr<CEffect> made(registry.Create(0));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetID(), 0);
  // No effect has id 6: a stored 6 yields none.
  EXPECT_EQ(registry.Create(6), nullptr);
}

TEST(EffectRegistry, LaterRegistrationOfAnIdWins) {
  CEffectRegistry registry;
  registry.Register(3, [] { return static_cast<CEffect*>(new NamedEffect); }, CString(u"Earlier"));
  registry.Register(3, [] { return static_cast<CEffect*>(new LaterEffect); }, CString(u"Later"));
  EXPECT_EQ(registry.GetIds(), std::vector<int>{3});
  std::unique_ptr<CEffect> made(registry.Create(3));
  EXPECT_EQ(made->GetName(), CString(u"Later"));
}

TEST(NoEffect, ItsParameterBlockIsEmpty) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    CNoEffect effect;
    effect.Serialize(ar);
    ar.Close();
  }
  EXPECT_EQ(file.GetLength(), 0u);
}

using NoEffectFrames = FrameTest;

TEST_F(NoEffectFrames, PassesThePictureThroughExactlyAtEveryProgress) {
  CD3DMeshRenderer* renderer = Renderer();
  CTextureHolder source, target;
  ASSERT_NE(source.Create(renderer->m_device, 0, 0, 130, 70, FALSE), nullptr);
  std::vector<DWORD> pixels(130 * 70);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<DWORD>(i * 2654435761u);
  source.Upload(pixels.data());
  ASSERT_NE(target.Create(renderer->m_device, 0, 0, 130, 70, TRUE), nullptr);
  std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(0));
  for (float progress : {0.0f, 0.5f, 1.0f}) {
    effect->Render(renderer, renderer->m_device, &source, &target, progress);
    IDirect3DSurface9 *level = nullptr, *copy = nullptr;
    target.m_texture->GetSurfaceLevel(0, &level);
    renderer->m_device->CreateOffscreenPlainSurface(target.m_textureWidth, target.m_textureHeight, D3DFMT_A8R8G8B8,
                                                    D3DPOOL_SYSTEMMEM, &copy, nullptr);
    ASSERT_EQ(renderer->m_device->GetRenderTargetData(level, copy), D3D_OK);
    D3DLOCKED_RECT locked;
    copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    int wrong = 0;
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 130; ++x)
        wrong += static_cast<const DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] != pixels[y * 130 + x];
    EXPECT_EQ(wrong, 0) << progress;
    copy->UnlockRect();
    copy->Release();
    level->Release();
  }
}

}  // namespace
