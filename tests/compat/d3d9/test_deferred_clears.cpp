// Clears the device puts off until the target is next used: a draw that
// follows clears each band just before drawing it; every other use (locks,
// copies, sampling, lines, another clear) sees the cleared pixels first. Each
// case runs twice, once with the clear forced through at once by a lock and
// once deferred, and the two must agree to the byte at any thread count.
// A clear also skips what the target is known to hold in its colour
// already: random sequences of clears, draws, copies and reads must leave
// the target as they leave a twin that forgets after every step.
#include <random>
#include <thread>

#include "compat/d3d9/cpu_features.h"
#include "device_fixture.h"

namespace {

constexpr UINT kSide = 256;  // large enough for draws and clears across the workers
constexpr uint32_t kClearColour = 0x5A3C1E0F;

class DeferredClears : public DeviceTest {
 protected:
  void TearDown() override {
    compat::SetD3DWorkerCount(0);
    compat::d3d9::AllowWideLoops(true);
    DeviceTest::TearDown();
  }

  // A mesh of `triangles` triangles whose corners lie in the box at (x, y)
  // of the given size; alpha and texture coordinates vary.
  void MakeMesh(int triangles, float x, float y, float size, uint32_t seed) {
    std::mt19937 rng(seed);
    vertices_.clear();
    indices_.clear();
    for (int i = 0; i < 3 * triangles && i < static_cast<int>(kVertices); ++i) {
      const float px = x + (rng() % 10000) * size / 10000.0f, py = y + (rng() % 10000) * size / 10000.0f;
      vertices_.push_back({px, py, 0.5f, 1, static_cast<DWORD>(rng() & 0xFF000000u) | 0x00FFFFFFu, (rng() % 1000) / 700.0f,
                           (rng() % 1000) / 700.0f, 0, 0});
    }
    for (int t = 0; t < triangles; ++t)
      for (int k = 0; k < 3; ++k) indices_.push_back(static_cast<WORD>((3 * t + k) % vertices_.size()));
  }

  void TexturedBlend() {
    Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Sampler(0, D3DTEXF_LINEAR);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  }

  // The target starts as noise, gets `clear`, then `use`; once with a lock
  // between them (the clear applied at once) and once without.
  template <class Clear, class Use>
  void ExpectSameEitherWay(const char* name, Clear clear, Use use) {
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &back), D3D_OK);
    IDirect3DTexture9* rt = MakeRenderTexture(kSide, kSide);
    IDirect3DSurface9* s = Target(rt);
    const std::vector<uint32_t> noise = NoisePicture(kSide, kSide, 77);
    std::vector<uint32_t> result[2];
    for (int workers : {1, 2, 3, 8}) {
      compat::SetD3DWorkerCount(workers);
      for (int deferred = 0; deferred < 2; ++deferred) {
        device_->SetRenderTarget(0, s);
        Upload(rt, noise);
        clear();
        if (!deferred) Read(s);  // a lock applies the clear here
        use(rt);
        result[deferred] = Read(s);
      }
      int differ = 0;
      for (size_t i = 0; i < result[0].size(); ++i) differ += result[0][i] != result[1][i];
      EXPECT_EQ(differ, 0) << name << ", " << workers << " workers";
      // The clear took effect at all: the eager result keeps no noise in it.
      EXPECT_NE(result[0], noise) << name;
    }
    device_->SetTexture(0, nullptr);
    device_->SetRenderTarget(0, back);
    back->Release();
    s->Release();
    EXPECT_EQ(rt->Release(), 0u);
  }

  std::vector<QuadVertex> vertices_;
  std::vector<WORD> indices_;
};

TEST_F(DeferredClears, DrawsAfterAClearMatchTheClearAppliedFirst) {
  IDirect3DTexture9* picture = MakeTexture(64, 64, NoisePicture(64, 64, 5), 1);
  const D3DRECT part{5, 7, 250, 231};
  auto clearAll = [&] { device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0); };
  auto clearPart = [&] { device_->Clear(1, &part, D3DCLEAR_TARGET, kClearColour, 1.0f, 0); };
  struct Case {
    const char* name;
    int triangles;
    float x, y, size;
  };
  // Set up in one slice or many, covering much (in bands) or little (in one
  // piece), or nothing on the target at all.
  const Case cases[] = {
      {"many large", 400, -20, -20, 300}, {"many small", 400, 100, 90, 30}, {"many off target", 60, 300, 300, 50},
      {"few large", 2, -10, -10, 280},    {"few small", 2, 40, 40, 10},     {"few off target", 2, -90, 10, 50},
  };
  for (const Case& c : cases) {
    MakeMesh(c.triangles, c.x, c.y, c.size, 11);
    auto draw = [&](IDirect3DTexture9*) {
      TexturedBlend();
      device_->SetTexture(0, picture);
      DrawTriangles(vertices_, indices_);
    };
    ExpectSameEitherWay(c.name, clearAll, draw);
    ExpectSameEitherWay(c.name, clearPart, draw);
  }
  // The same with the plain fill loops.
  compat::d3d9::AllowWideLoops(false);
  MakeMesh(400, -20, -20, 300, 12);
  ExpectSameEitherWay("plain loops", clearPart, [&](IDirect3DTexture9*) {
    TexturedBlend();
    device_->SetTexture(0, picture);
    DrawTriangles(vertices_, indices_);
  });
  EXPECT_EQ(picture->Release(), 0u);
}

TEST_F(DeferredClears, EveryOtherUseOfTheTargetSeesTheClear) {
  IDirect3DTexture9* picture = MakeTexture(64, 64, NoisePicture(64, 64, 6), 1);
  auto clearAll = [&] { device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0); };
  MakeMesh(400, -20, -20, 300, 13);
  // A viewport set after the clear leaves part of it outside the draw.
  ExpectSameEitherWay("smaller viewport", clearAll, [&](IDirect3DTexture9*) {
    D3DVIEWPORT9 vp{30, 40, 150, 120, 0.0f, 1.0f};
    device_->SetViewport(&vp);
    TexturedBlend();
    device_->SetTexture(0, picture);
    DrawTriangles(vertices_, indices_);
  });
  // A small quad (drawn on one thread) copying another part of its own target.
  ExpectSameEitherWay("sampling itself", clearAll, [&](IDirect3DTexture9* self) {
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Sampler(0, D3DTEXF_POINT);
    Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
    device_->SetTexture(0, self);
    DrawQuad(10, 10, 40, 40, 0xFFFFFFFF, 0.5f, 0.5f);
  });
  // Lines.
  ExpectSameEitherWay("lines", clearAll, [&](IDirect3DTexture9*) {
    Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetTexture(0, nullptr);
    void* p = nullptr;
    ASSERT_EQ(vb_->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, vertices_.data(), vertices_.size() * sizeof(QuadVertex));
    vb_->Unlock();
    ASSERT_EQ(ib_->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices_.data(), 200 * 2);
    ib_->Unlock();
    device_->SetIndices(ib_);
    device_->SetStreamSource(0, vb_, 0, 36);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, kVertices, 0, 100), D3D_OK);
  });
  // A second clear over part of the first, then one covering both.
  const D3DRECT inner{20, 30, 200, 100}, outer{0, 0, 230, 240};
  ExpectSameEitherWay("clear inside a clear", clearAll, [&](IDirect3DTexture9*) {
    device_->Clear(1, &inner, D3DCLEAR_TARGET, 0x01020304, 1.0f, 0);
  });
  ExpectSameEitherWay("clear over a clear", [&] { device_->Clear(1, &inner, D3DCLEAR_TARGET, kClearColour, 1.0f, 0); },
                      [&](IDirect3DTexture9*) {
                        device_->Clear(1, &outer, D3DCLEAR_TARGET, 0x01020304, 1.0f, 0);
                        TexturedBlend();
                        device_->SetTexture(0, picture);
                        DrawTriangles(vertices_, indices_);
                      });
  EXPECT_EQ(picture->Release(), 0u);
}

// The cleared target copied out, read back or drawn from onto another target.
TEST_F(DeferredClears, CopiesAndSamplingReadTheClearedPixels) {
  IDirect3DTexture9* rt = MakeRenderTexture(kSide, kSide);
  IDirect3DSurface9* s = Target(rt);
  IDirect3DSurface9* system = nullptr;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(kSide, kSide, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &system, nullptr),
            D3D_OK);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  const std::vector<uint32_t> cleared(size_t{kSide} * kSide, kClearColour);
  for (int workers : {1, 8}) {
    compat::SetD3DWorkerCount(workers);
    Upload(rt, NoisePicture(kSide, kSide, 1));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
    ASSERT_EQ(device_->GetRenderTargetData(s, system), D3D_OK);
    EXPECT_TRUE(Read(system) == cleared) << workers;

    Upload(rt, NoisePicture(kSide, kSide, 2));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
    ASSERT_EQ(device_->StretchRect(s, nullptr, system, nullptr, D3DTEXF_NONE), D3D_OK);
    EXPECT_TRUE(Read(system) == cleared) << workers;

    // Drawn 1:1 onto the back buffer, whose own clear waits too.
    Upload(rt, NoisePicture(kSide, kSide, 3));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
    device_->SetRenderTarget(0, back);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Sampler(0, D3DTEXF_POINT);
    Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
    device_->SetTexture(0, rt);
    DrawQuad(0, 0, kBackWidth / 2, kBackHeight, 0xFFFFFFFF, kBackWidth / 2.0f / kSide, float{kBackHeight} / kSide);
    device_->SetTexture(0, nullptr);
    std::vector<uint32_t> px = ReadBackBuffer();
    int wrong = 0;
    for (UINT y = 0; y < kBackHeight; ++y)
      for (UINT x = 0; x < kBackWidth; ++x)
        wrong += px[size_t{y} * kBackWidth + x] != (x < kBackWidth / 2 ? kClearColour : 0xFF000000u);
    EXPECT_EQ(wrong, 0) << workers;
    device_->SetRenderTarget(0, s);
  }
  // Several threads locking the target at once all read it cleared.
  Upload(rt, NoisePicture(kSide, kSide, 4));
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
  std::vector<std::thread> readers;
  std::atomic<int> bad{0};
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      D3DLOCKED_RECT lr;
      if (s->LockRect(&lr, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ++bad;
        return;
      }
      const auto* p = static_cast<const uint32_t*>(lr.pBits);
      for (size_t i = 0; i < cleared.size(); ++i) bad += p[i] != kClearColour;
      s->UnlockRect();
    });
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(bad.load(), 0);
  device_->SetRenderTarget(0, back);
  back->Release();
  system->Release();
  s->Release();
  EXPECT_EQ(rt->Release(), 0u);
}

// Steps on a target and a twin; the twin is locked after each, which applies
// its clears at once and makes it forget what it holds.
TEST_F(DeferredClears, ClearsSkippingWhatTheyHoldMatchPlainClears) {
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &back), D3D_OK);
  IDirect3DTexture9* picture = MakeTexture(64, 64, NoisePicture(64, 64, 8), 1);
  IDirect3DSurface9* noise = nullptr;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(kSide, kSide, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &noise, nullptr),
            D3D_OK);
  {
    D3DLOCKED_RECT lr;
    ASSERT_EQ(noise->LockRect(&lr, nullptr, 0), D3D_OK);
    const std::vector<uint32_t> pixels = NoisePicture(kSide, kSide, 9);
    std::memcpy(lr.pBits, pixels.data(), pixels.size() * 4);
    noise->UnlockRect();
  }
  IDirect3DTexture9* side = MakeRenderTexture(kSide, kSide);  // drawn from the target
  IDirect3DSurface9* sideSurface = nullptr;
  side->GetSurfaceLevel(0, &sideSurface);
  std::mt19937 rng(2024);
  const uint32_t colours[2] = {0, 0xFF336699};
  auto randomRect = [&](LONG limit) {
    LONG x0 = static_cast<LONG>(rng() % limit), x1 = static_cast<LONG>(rng() % limit);
    LONG y0 = static_cast<LONG>(rng() % limit), y1 = static_cast<LONG>(rng() % limit);
    return RECT{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  };
  int sequences = 0, wrong = 0;
  for (int sequence = 0; sequence < 60; ++sequence) {
    compat::SetD3DWorkerCount(1 + sequence % 4 * 2);
    IDirect3DTexture9* textures[2] = {MakeRenderTexture(kSide, kSide), MakeRenderTexture(kSide, kSide)};
    IDirect3DSurface9* targets[2];
    for (int k = 0; k < 2; ++k) textures[k]->GetSurfaceLevel(0, &targets[k]);
    for (int step = 0; step < 16; ++step) {
      const int op = static_cast<int>(rng() % 8);
      const uint32_t colour = colours[rng() % 2];
      const RECT r = randomRect(kSide + 40), r2 = randomRect(kSide);
      const uint32_t seed = rng();
      for (int k = 0; k < 2; ++k) {
        device_->SetRenderTarget(0, targets[k]);
        if (op == 6) {  // a smaller viewport for this step
          D3DVIEWPORT9 vp{static_cast<DWORD>(r2.left), static_cast<DWORD>(r2.top),
                          static_cast<DWORD>(r2.right - r2.left), static_cast<DWORD>(r2.bottom - r2.top), 0, 1};
          device_->SetViewport(&vp);
        }
        switch (op) {
          case 0:
          case 6:
            device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
            break;
          case 1: {
            const D3DRECT d{r.left, r.top, r.right, r.bottom};
            device_->Clear(1, &d, D3DCLEAR_TARGET, colour, 1.0f, 0);
            break;
          }
          case 2: {
            const D3DRECT d[2] = {{r.left, r.top, r.right, r.bottom}, {r2.left, r2.top, r2.right, r2.bottom}};
            device_->Clear(2, d, D3DCLEAR_TARGET, colour, 1.0f, 0);
            break;
          }
          case 3:
          case 7: {  // meshes adding onto what is there, large or small
            MakeMesh(op == 3 ? 300 : 40, static_cast<float>(r.left), static_cast<float>(r.top),
                     static_cast<float>(op == 3 ? 200 : 30), seed);
            Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
            Sampler(0, D3DTEXF_LINEAR);
            Blend(D3DBLEND_ONE, D3DBLEND_ONE);
            device_->SetTexture(0, picture);
            DrawTriangles(vertices_, indices_);
            device_->SetTexture(0, nullptr);
            break;
          }
          case 4: {  // a copy into the target
            const RECT to{r2.left, r2.top, std::min<LONG>(r2.left + 20, kSide), std::min<LONG>(r2.top + 30, kSide)};
            const RECT from{0, 0, to.right - to.left, to.bottom - to.top};
            device_->StretchRect(noise, &from, targets[k], &to, D3DTEXF_NONE);
            break;
          }
          case 5: {  // the target drawn onto another, which must not make it forget
            device_->SetRenderTarget(0, sideSurface);
            Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
                  D3DTA_DIFFUSE);
            Sampler(0, D3DTEXF_POINT);
            Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
            device_->SetTexture(0, textures[k]);
            DrawQuad(0, 0, 50, 50);
            device_->SetTexture(0, nullptr);
            break;
          }
        }
        if (k == 1) Read(targets[1]);
      }
    }
    const std::vector<uint32_t> lazy = Read(targets[0]), plain = Read(targets[1]);
    int differ = 0;
    for (size_t i = 0; i < lazy.size(); ++i) differ += lazy[i] != plain[i];
    wrong += differ > 0;
    ++sequences;
    for (int k = 0; k < 2; ++k) {
      targets[k]->Release();
      textures[k]->Release();
    }
  }
  EXPECT_EQ(wrong, 0) << "of " << sequences << " sequences";
  device_->SetRenderTarget(0, back);
  back->Release();
  sideSurface->Release();
  side->Release();
  noise->Release();
  EXPECT_EQ(picture->Release(), 0u);
}

}  // namespace
