// Pre-transformed triangles reach the rasteriser by a short path (corners
// worked out once each, no clipping inside the guard band) unless their
// vertex buffer is too large to keep its corners, when they take the general
// path. The same triangles drawn from a small and from a very large buffer
// must give the same pixels, for ordinary meshes and for corners that are
// not finite, lie far outside the target or beyond the guard band.
#include <cmath>
#include <limits>
#include <random>
#include <utility>

#include "device_fixture.h"

namespace {

constexpr UINT kLargeBuffer = 40000;  // vertices: beyond what the short path keeps

class VertexPaths : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device_->CreateVertexBuffer(kLargeBuffer * 36, 0, kFvf, D3DPOOL_DEFAULT, &large_, nullptr), D3D_OK);
  }
  void TearDown() override {
    device_->SetStreamSource(0, nullptr, 0, 0);
    if (large_) {
      EXPECT_EQ(large_->Release(), 0u);
    }
    compat::SetD3DWorkerCount(0);
    DeviceTest::TearDown();
  }

  // Draws the triangles from `buffer` (holding the vertices at its start) onto a cleared target.
  std::vector<uint32_t> Draw(IDirect3DVertexBuffer9* buffer, const std::vector<QuadVertex>& vertices,
                             const std::vector<WORD>& indices, IDirect3DSurface9* target) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x10203040, 1.0f, 0);
    std::swap(vb_, buffer);  // the fixture draws from vb_
    DrawTriangles(vertices, indices);
    std::swap(vb_, buffer);
    return Read(target);
  }

  IDirect3DVertexBuffer9* large_ = nullptr;
};

TEST_F(VertexPaths, TheShortPathGivesWhatTheGeneralPathGives) {
  IDirect3DTexture9* rt = MakeRenderTexture(200, 150);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* picture = MakeTexture(32, 32, NoisePicture(32, 32, 4), 1);
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  Sampler(0, D3DTEXF_LINEAR);
  Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device_->SetTexture(0, picture);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float odd[] = {nan, inf, -inf, 1e6f, -1e6f, 6e5f, 3e38f, -0.0f};
  std::mt19937 rng(99);
  int compared = 0;
  for (int round = 0; round < 24; ++round) {
    compat::SetD3DWorkerCount(1 + round % 3 * 3);
    // A jittered grid mesh (shared corners), a few corners made odd.
    std::vector<QuadVertex> vertices;
    const int columns = 12, rows = 9;
    for (int y = 0; y <= rows; ++y)
      for (int x = 0; x <= columns; ++x) {
        float px = -10 + x * 220.0f / columns + (rng() % 100) / 10.0f - 5;
        float py = -10 + y * 170.0f / rows + (rng() % 100) / 10.0f - 5;
        float u = (rng() % 1000) / 400.0f, v = (rng() % 1000) / 400.0f;
        if (round % 2 && rng() % 12 == 0) {
          const float value = odd[rng() % 8];
          switch (rng() % 3) {
            case 0: px = value; break;
            case 1: py = value; break;
            default: u = value; break;
          }
        }
        const DWORD diffuse = static_cast<DWORD>(rng() & 0xFFFFFFFFu);
        vertices.push_back({px, py, 0.5f, 1, diffuse, u, v, 0, 0});
      }
    std::vector<WORD> indices;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < columns; ++x) {
        const WORD a = static_cast<WORD>(y * (columns + 1) + x), b = static_cast<WORD>(a + 1);
        const WORD c = static_cast<WORD>(a + columns + 1), d = static_cast<WORD>(c + 1);
        for (WORD i : {a, b, c, b, d, c}) indices.push_back(i);
      }
    // Some triangles listed again, in another order and winding.
    for (int k = 0; k < 40; ++k) indices.push_back(static_cast<WORD>(rng() % vertices.size()));
    indices.resize(indices.size() / 3 * 3);
    const std::vector<uint32_t> shortPath = Draw(vb_, vertices, indices, target);
    const std::vector<uint32_t> generalPath = Draw(large_, vertices, indices, target);
    int differ = 0;
    for (size_t i = 0; i < shortPath.size(); ++i) differ += shortPath[i] != generalPath[i];
    EXPECT_EQ(differ, 0) << "round " << round;
    compared += shortPath != std::vector<uint32_t>(shortPath.size(), 0x10203040u);
  }
  EXPECT_GT(compared, 20);  // the draws drew something
  device_->SetTexture(0, nullptr);
  IDirect3DSurface9* back = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  device_->SetRenderTarget(0, back);
  back->Release();
  target->Release();
  EXPECT_EQ(rt->Release(), 0u);
  EXPECT_EQ(picture->Release(), 0u);
}

}  // namespace
