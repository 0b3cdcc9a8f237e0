// Coverage and geometry: the fill rule over meshes, 3-D quads through the
// camera matrices with perspective-correct texturing and clipping at w = 0,
// bad vertices and indices, lines, and worker-count independence.
#include <cmath>
#include <optional>
#include <random>

#include "device_fixture.h"
#include "plain_loops.h"

namespace {

class Geometry : public DeviceTest {
 protected:
  // A grid mesh over [left, right) x [top, bottom) with interior points jittered.
  void GridMesh(float left, float top, float right, float bottom, int cols, int rows, uint32_t seed,
                std::vector<QuadVertex>& v, std::vector<WORD>& idx) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
    float cw = (right - left) / cols, ch = (bottom - top) / rows;
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= cols; ++c) {
        float x = left + c * cw, y = top + r * ch;
        if (c > 0 && c < cols) x += jitter(rng) * cw;
        if (r > 0 && r < rows) y += jitter(rng) * ch;
        v.push_back({x, y, 0.9f, 1, 0x01010101, 0, 0, 0, 0});
      }
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        WORD a = static_cast<WORD>(r * (cols + 1) + c), b = static_cast<WORD>(a + 1);
        WORD d = static_cast<WORD>(a + cols + 1), e = static_cast<WORD>(d + 1);
        // Alternate the diagonal so edges run both ways.
        if ((r + c) % 2) idx.insert(idx.end(), {a, b, e, e, d, a});
        else idx.insert(idx.end(), {a, b, d, b, e, d});
      }
  }

  void Additive() {
    Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  }
};

TEST_F(Geometry, MeshCoveringARectangleTouchesEveryPixelExactlyOnce) {
  // Fractional borders: pixel centres x in [ceil(2.3), ceil(60.7)) and y in [ceil(1.6), ceil(45.2)).
  std::vector<QuadVertex> v;
  std::vector<WORD> idx;
  GridMesh(2.3f, 1.6f, 60.7f, 45.2f, 23, 17, 11, v, idx);
  Additive();
  DrawTriangles(v, idx);
  std::vector<uint32_t> px = ReadBackBuffer();
  for (UINT y = 0; y < kBackHeight; ++y)
    for (UINT x = 0; x < kBackWidth; ++x) {
      bool inside = x >= 3 && x < 61 && y >= 2 && y < 46;
      ASSERT_EQ(px[y * kBackWidth + x], inside ? 0x01010101u : 0u) << x << "," << y;
    }
}

TEST_F(Geometry, SharedEdgesThroughPixelCentresBelongToOneTriangle) {
  // Vertices on integer coordinates put edges exactly through pixel centres: the
  // top-left rule must hand each such pixel to one side only.
  std::vector<QuadVertex> v;
  std::vector<WORD> idx;
  GridMesh(4, 4, 36, 36, 8, 8, 0, v, idx);  // no jitter at these cell sizes? jitter moves interior points
  for (QuadVertex& q : v) {
    q.x = std::round(q.x);
    q.y = std::round(q.y);
  }
  Additive();
  DrawTriangles(v, idx);
  std::vector<uint32_t> px = ReadBackBuffer();
  for (UINT y = 0; y < kBackHeight; ++y)
    for (UINT x = 0; x < kBackWidth; ++x) {
      bool inside = x >= 4 && x < 36 && y >= 4 && y < 36;  // left/top edges in, right/bottom out
      ASSERT_EQ(px[y * kBackWidth + x], inside ? 0x01010101u : 0u) << x << "," << y;
    }
}

// Bands cut a draw's triangles at different rows for each worker count; the
// pixels must not show it, whether magnified, minified across mip levels
// (trilinear and anisotropic) or copied one to one.
TEST_F(Geometry, OneWorkerAndEightWorkersGiveIdenticalPictures) {
  IDirect3DTexture9* rt = MakeRenderTexture(640, 480);
  IDirect3DSurface9* s = Target(rt);
  IDirect3DTexture9* picture = MakeTexture(256, 256, NoisePicture(256, 256, 5), 1);
  IDirect3DTexture9* large = MakeTexture(1024, 1024, NoisePicture(1024, 1024, 6), 0);
  D3DXFilterTexture(large, nullptr, 0, D3DX_FILTER_LINEAR);
  std::vector<QuadVertex> v, minified, copied;
  std::vector<WORD> idx;
  GridMesh(-0.5f, -0.5f, 639.5f, 479.5f, 30, 20, 9, v, idx);
  minified = copied = v;
  for (size_t i = 0; i < v.size(); ++i) {
    QuadVertex& q = v[i];
    q.u0 = (q.x + 13) / 600;
    q.v0 = (q.y + 7) / 450;
    q.diffuse = 0xC0FFFFFF;
    minified[i].u0 = (q.x * 2.6f + q.y * 0.3f) / 1024;  // between levels 1 and 2, a little sheared
    minified[i].v0 = q.y * 1.7f / 1024;
    minified[i].diffuse = 0x90FFFFFF;
    copied[i].x = std::round(q.x + 0.5f) - 0.5f;  // corners on pixel corners: texels one to one
    copied[i].y = std::round(q.y + 0.5f) - 0.5f;
    copied[i].u0 = (copied[i].x + 0.5f) / 1024;
    copied[i].v0 = (copied[i].y + 0.5f) / 1024;
    copied[i].diffuse = 0x60FFFFFF;
  }
  std::vector<uint32_t> results[2];
  int counts[2] = {1, 8};
  for (int run = 0; run < 2; ++run) {
    compat::SetD3DWorkerCount(counts[run]);
    EXPECT_EQ(compat::GetD3DWorkerCount(), counts[run]);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x20406080, 1.0f, 0);
    Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Sampler(0, D3DTEXF_LINEAR);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, picture);
    DrawTriangles(v, idx);
    DrawQuad(100, 50, 500, 400, 0x80FFFFFF, 0.5f, 0.5f);
    device_->SetTexture(0, large);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    DrawTriangles(minified, idx);
    Sampler(0, D3DTEXF_ANISOTROPIC);
    DrawTriangles(minified, idx);
    Sampler(0, D3DTEXF_LINEAR);
    DrawTriangles(copied, idx);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    results[run] = Read(s);
  }
  compat::SetD3DWorkerCount(0);
  EXPECT_TRUE(results[0] == results[1]);
  device_->SetTexture(0, nullptr);
  large->Release();
  picture->Release();
  s->Release();
  rt->Release();
}

// Random triangles (slivers, specks, flat tops and bottoms, corners on pixel
// centres, parts off the target, some taller than the target) counted into a
// target, whole and through a viewport, with the wide and the plain edge
// walks, against the edge test itself:
// corners snapped to 1/256 pixel, a pixel centre inside where every edge
// function is positive, or zero on a left or top edge.
TEST_F(Geometry, RandomTrianglesCoverWhatTheExactEdgeTestCovers) {
  constexpr int kW = 160, kH = 120;
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* s = Target(rt);
  std::mt19937 rng(31337);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto point = [&](float cx, float cy, float spread) {
    float x = cx + (unit(rng) - 0.5f) * spread, y = cy + (unit(rng) - 0.5f) * spread;
    switch (rng() % 4) {
      case 0: return std::pair<float, float>{std::round(x), std::round(y)};  // on a pixel centre
      case 1: return std::pair<float, float>{std::round(x) + 0.5f, std::round(y)};
      case 2:  // halfway between two 1/256 steps: snapping rounds such ties to even
        return std::pair<float, float>{(std::round(x * 256) + 0.5f) / 256, (std::round(y * 256) - 0.5f) / 256};
      default: return std::pair<float, float>{x, y};
    }
  };
  std::vector<QuadVertex> v;
  for (int t = 0; t < 420; ++t) {  // as many as the fixture's vertex buffer holds
    const float cx = unit(rng) * (kW + 40) - 20, cy = unit(rng) * (kH + 40) - 20;
    const float spread = t % 5 == 0 ? 3.0f : t % 5 == 1 ? 80.0f : t % 5 == 3 ? 400.0f : 25.0f;
    std::pair<float, float> c[3] = {point(cx, cy, spread), point(cx, cy, spread), point(cx, cy, spread)};
    switch (t % 4) {
      case 1: c[1].second = c[0].second; break;  // a horizontal edge
      case 2:  // a sliver: the third corner close to the line through the other two
        c[2] = {c[0].first + (c[1].first - c[0].first) * 0.4f + (unit(rng) - 0.5f) * 0.3f,
                c[0].second + (c[1].second - c[0].second) * 0.4f + (unit(rng) - 0.5f) * 0.3f};
        break;
      default: break;
    }
    for (const auto& [x, y] : c) v.push_back({x, y, 0.9f, 1, 0x00000001, 0, 0, 0, 0});
  }
  // The expected count of every pixel.
  // Positions on a 2^-22 pixel grid, which holds every float of magnitude 2
  // or more exactly: the test is exact on the corners as given.
  constexpr int64_t kGrid = int64_t{1} << 22;
  using Wide = __int128;
  std::vector<uint32_t> want(size_t{kW} * kH, 0);
  for (size_t t = 0; t < v.size(); t += 3) {
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
      X[i] = std::llrint(static_cast<double>(v[t + i].x) * kGrid);
      Y[i] = std::llrint(static_cast<double>(v[t + i].y) * kGrid);
    }
    const Wide area = Wide{X[1] - X[0]} * (Y[2] - Y[0]) - Wide{X[2] - X[0]} * (Y[1] - Y[0]);
    if (area == 0) continue;
    if (area < 0) std::swap(X[1], X[2]), std::swap(Y[1], Y[2]);
    for (int py = 0; py < kH; ++py)
      for (int px = 0; px < kW; ++px) {
        bool inside = true;
        for (int e = 0; e < 3 && inside; ++e) {
          const int n = (e + 1) % 3;
          const int64_t dx = X[n] - X[e], dy = Y[n] - Y[e];
          const Wide edge = Wide{dx} * (py * kGrid - Y[e]) - Wide{dy} * (px * kGrid - X[e]);
          inside = edge > 0 || (edge == 0 && (dy < 0 || (dy == 0 && dx > 0)));
        }
        want[static_cast<size_t>(py) * kW + px] += inside;
      }
  }
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const D3DVIEWPORT9 views[2] = {{0, 0, kW, kH, 0.0f, 1.0f}, {13, 9, 104, 86, 0.0f, 1.0f}};
  for (bool wide : {true, false})
    for (const D3DVIEWPORT9& view : views)
      for (int workers : {1, 8}) {
        std::optional<PlainLoops> plain;
        if (!wide) plain.emplace();
        compat::SetD3DWorkerCount(workers);
        // All at once (rows in bands across the workers), then in small draws
        // that one thread rasterises, then one triangle a draw.
        for (size_t perDraw : {v.size(), size_t{30}, size_t{3}}) {
          ASSERT_EQ(device_->SetViewport(&views[0]), D3D_OK);  // clears the whole target
          Additive();
          ASSERT_EQ(device_->SetViewport(&view), D3D_OK);
          for (size_t from = 0; from < v.size(); from += perDraw) {
            std::vector<QuadVertex> part(v.begin() + from, v.begin() + std::min(v.size(), from + perDraw));
            std::vector<WORD> idx(part.size());
            for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<WORD>(i);
            DrawTriangles(part, idx);
          }
          std::vector<uint32_t> px = Read(s);
          int wrong = 0;
          for (size_t i = 0; i < px.size(); ++i) {
            const DWORD x = static_cast<DWORD>(i % kW), y = static_cast<DWORD>(i / kW);
            const bool seen = x >= view.X && x < view.X + view.Width && y >= view.Y && y < view.Y + view.Height;
            wrong += px[i] != (seen ? want[i] : 0u);
          }
          EXPECT_EQ(wrong, 0) << workers << " workers, " << perDraw / 3 << " triangles a draw, viewport "
                              << view.X << "," << view.Y << (wide ? "" : ", plain walks");
        }
      }
  compat::SetD3DWorkerCount(0);
  s->Release();
  rt->Release();
}

TEST_F(Geometry, TrianglesWithNonFiniteCoordinatesAreDropped) {
  Additive();
  float nan = std::nanf(""), inf = INFINITY;
  std::vector<QuadVertex> v = {
      {0, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},   {40, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
      {nan, 40, 0.9f, 1, 0x01010101, 0, 0, 0, 0}, {0, inf, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
      {0, 40, 0.9f, 1, 0x01010101, 0, 0, 0, 0},   {1e30f, 1e30f, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
  };
  DrawTriangles(v, {0, 1, 2, 0, 1, 3, 0, 1, 4});
  std::vector<uint32_t> px = ReadBackBuffer();
  EXPECT_EQ(px[1 * kBackWidth + 1], 0x01010101u);  // the finite triangle, once
  EXPECT_EQ(px[30 * kBackWidth + 30], 0u);
  // A huge but finite triangle is clipped, not wrapped around.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  DrawTriangles(v, {0, 1, 5});
  px = ReadBackBuffer();
  EXPECT_EQ(px[1 * kBackWidth + 10], 0x01010101u);
  EXPECT_EQ(px[20 * kBackWidth + 2], 0u);
}

TEST_F(Geometry, IndicesOutsideTheBuffersSkipTheirTriangle) {
  Additive();
  std::vector<QuadVertex> v = {{0, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
                               {40, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
                               {0, 40, 0.9f, 1, 0x01010101, 0, 0, 0, 0}};
  DrawTriangles(v, {0, 1, 2, 0, 1, 60000});
  EXPECT_EQ(ReadBackBuffer()[kBackWidth + 1], 0x01010101u);
  // A primitive count far beyond the index buffer stops at its end.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 0xFFFFFFF0u), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1000000, 0, 3, 0, 1), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x7FFFFFFF, 0, 3, 0, 1), D3D_OK);
  EXPECT_EQ(ReadBackBuffer()[kBackWidth + 1], 0x02020202u);  // only the first triangle drew again
  // A stride shorter than the vertex format is refused.
  device_->SetStreamSource(0, vb_, 0, 16);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
}

TEST_F(Geometry, CullModesFollowScreenWinding) {
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Blend(D3DBLEND_ONE, D3DBLEND_ONE);
  // (0,0) -> (40,0) -> (0,40) turns clockwise on screen.
  std::vector<QuadVertex> v = {{0, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
                               {40, 0, 0.9f, 1, 0x01010101, 0, 0, 0, 0},
                               {0, 40, 0.9f, 1, 0x01010101, 0, 0, 0, 0}};
  DWORD modes[] = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};
  uint32_t expected[] = {1, 0, 1};
  for (int i = 0; i < 3; ++i) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, modes[i]);
    DrawTriangles(v, {0, 1, 2});
    EXPECT_EQ(ReadBackBuffer()[kBackWidth + 1] & 0xFF, expected[i]) << modes[i];
  }
}

TEST_F(Geometry, LineListDrawsOnePixelWideLinesWithTheDiffuseColour) {
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  std::vector<QuadVertex> v = {{2, 3, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0},
                               {12, 3, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0},
                               {20, 5, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0},
                               {20, 15, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0}};
  void* p = nullptr;
  vb_->Lock(0, 0, &p, 0);
  std::memcpy(p, v.data(), v.size() * sizeof(QuadVertex));
  vb_->Unlock();
  WORD idx[] = {0, 1, 2, 3};
  ib_->Lock(0, 0, &p, 0);
  std::memcpy(p, idx, sizeof idx);
  ib_->Unlock();
  device_->SetIndices(ib_);
  device_->SetStreamSource(0, vb_, 0, 36);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, kVertices, 0, 2), D3D_OK);
  std::vector<uint32_t> px = ReadBackBuffer();
  int lit = 0;
  for (uint32_t c : px) lit += c == 0xFF0000FF;
  EXPECT_EQ(lit, 11 + 11);
  EXPECT_EQ(px[3 * kBackWidth + 2], 0xFF0000FFu);
  EXPECT_EQ(px[3 * kBackWidth + 12], 0xFF0000FFu);
  EXPECT_EQ(px[10 * kBackWidth + 20], 0xFF0000FFu);
}

// --- 3-D: FVF 0x112 through world, view and projection ---

struct MeshVertex {
  float x, y, z, nx, ny, nz, u, v;
};

class ThreeD : public DeviceTest {
 protected:
  static constexpr int kSize = 100;

  void SetUp() override {
    DeviceTest::SetUp();
    rt_ = MakeRenderTexture(kSize, kSize);
    surface_ = Target(rt_);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    // The effects' camera: at distance 1000 the view is 1000 units high.
    D3DXMATRIX world, view, projection;
    D3DXVECTOR3 eye(0, 0, -1000), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixTranslation(&world, 0, 0, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 2 * std::atan(0.5f), 1.0f, 0.0f, 1.0f);
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Stage(1, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
    Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  }

  void TearDown() override {
    device_->SetTexture(0, nullptr);
    surface_->Release();
    rt_->Release();
    DeviceTest::TearDown();
  }

  void Draw(const std::vector<MeshVertex>& v, const std::vector<WORD>& idx) {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(static_cast<UINT>(v.size() * 32), 0x208, 0x112, D3DPOOL_DEFAULT, &vb,
                                          nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(static_cast<UINT>(idx.size() * 2), 0x208, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &ib, nullptr), D3D_OK);
    void* p;
    vb->Lock(0, 0, &p, 0);
    std::memcpy(p, v.data(), v.size() * 32);
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, idx.data(), idx.size() * 2);
    ib->Unlock();
    DWORD saved;
    device_->GetFVF(&saved);
    device_->SetStreamSource(0, vb, 0, 32);
    device_->SetFVF(0x112);
    device_->SetIndices(ib);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(v.size()), 0,
                                            static_cast<UINT>(idx.size() / 3)), D3D_OK);
    device_->SetFVF(saved);
    vb->Release();  // still bound: the device keeps it alive
    ib->Release();
  }

  IDirect3DTexture9* rt_ = nullptr;
  IDirect3DSurface9* surface_ = nullptr;
};

TEST_F(ThreeD, FlatQuadAtDepthZeroLandsOnItsPixels) {
  // z = 0 maps +-500 to the full view: a quad of +-250 covers pixels 25..74.
  std::vector<uint32_t> white(4, 0xFFFFFFFF);
  IDirect3DTexture9* t = MakeTexture(2, 2, white);
  device_->SetTexture(0, t);
  Draw({{-250, 250, 0, 0, 0, -1, 0, 0}, {250, 250, 0, 0, 0, -1, 1, 0}, {250, -250, 0, 0, 0, -1, 1, 1},
        {-250, -250, 0, 0, 0, -1, 0, 1}},
       {0, 1, 2, 2, 3, 0});
  std::vector<uint32_t> px = Read(surface_);
  int covered = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      bool in = x >= 25 && x < 75 && y >= 25 && y < 75;
      covered += px[y * kSize + x] != 0;
      ASSERT_EQ(px[y * kSize + x] != 0, in) << x << "," << y;
    }
  EXPECT_EQ(covered, 2500);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(ThreeD, TextureCoordinatesArePerspectiveCorrect) {
  // A quad receding in depth: x from -250 (z 0) to +250 (z 1000). The red channel of
  // the 256-texel-wide texture holds its column, so each pixel tells which u it sampled.
  std::vector<uint32_t> ramp(256 * 2);
  for (int x = 0; x < 256; ++x) ramp[x] = ramp[256 + x] = 0xFF000000u | static_cast<uint32_t>(x) << 16;
  IDirect3DTexture9* t = MakeTexture(256, 2, ramp);
  device_->SetTexture(0, t);
  Draw({{-250, 250, 0, 0, 0, -1, 0, 0}, {250, 250, 1000, 0, 0, -1, 1, 0}, {250, -250, 1000, 0, 0, -1, 1, 1},
        {-250, -250, 0, 0, 0, -1, 0, 1}},
       {0, 1, 2, 2, 3, 0});
  std::vector<uint32_t> px = Read(surface_);
  int y = 50;  // the middle row: both edges cross it
  int checked = 0;
  for (int x = 0; x < kSize; ++x) {
    double ndc = x / 50.0 - 1.0;
    double s = (ndc + 0.5) / (1.0 - ndc);  // solves 2 (-250 + 500 s) / (1000 + 1000 s) = ndc
    uint32_t red = (px[y * kSize + x] >> 16) & 255;
    if (s < 0 || s > 1) {
      EXPECT_EQ(px[y * kSize + x], 0u) << x;
      continue;
    }
    double texel = s * 256.0;
    if (std::fabs(texel - std::round(texel)) < 0.05) continue;  // too close to a texel border to judge
    EXPECT_EQ(red, static_cast<uint32_t>(std::min(255.0, std::floor(texel)))) << "x " << x << " s " << s;
    ++checked;
  }
  EXPECT_GT(checked, 25);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(ThreeD, PartsBehindTheEyeAreClippedAtWZero) {
  // A floor triangle reaching behind the camera (z_view of the far vertex is -1000).
  std::vector<uint32_t> white(4, 0xFFFFFFFF);
  IDirect3DTexture9* t = MakeTexture(2, 2, white);
  device_->SetTexture(0, t);
  Draw({{-100, -100, 0, 0, 1, 0, 0, 0}, {100, -100, 0, 0, 1, 0, 1, 0}, {0, -100, -2000, 0, 1, 0, 0.5f, 1}},
       {0, 1, 2});
  std::vector<uint32_t> px = Read(surface_);
  // Nothing above the near edge's row (y = 60): an unclipped divide would draw above it.
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < kSize; ++x) ASSERT_EQ(px[y * kSize + x], 0u) << x << "," << y;
  // Row 80 (z_view 333.3): the edges project to x = 30 and x = 70.
  EXPECT_NE(px[80 * kSize + 50], 0u);
  EXPECT_NE(px[80 * kSize + 31], 0u);
  EXPECT_EQ(px[80 * kSize + 29], 0u);
  EXPECT_EQ(px[80 * kSize + 71], 0u);
  EXPECT_NE(px[99 * kSize + 50], 0u);
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace

namespace {

TEST_F(Geometry, FineMeshCopiesATextureAsExactlyAsOneQuad) {
  // Small triangles take the batched path with per-pixel planes; a 1:1 mapping
  // through them must still copy every texel unchanged, wrap or clamp.
  const UINT w = 60, h = 44;
  std::vector<uint32_t> picture = NoisePicture(w, h, 21);
  IDirect3DTexture9* t = MakeTexture(w, h, picture);
  IDirect3DTexture9* rt = MakeRenderTexture(w, h);
  IDirect3DSurface9* s = Target(rt);
  std::vector<QuadVertex> v;
  std::vector<WORD> idx;
  GridMesh(0, 0, w, h, 10, 11, 4, v, idx);
  for (QuadVertex& q : v) {
    q.x = std::round(q.x * 4) / 4;  // keep vertices on quarter pixels so uv stays exact in float
    q.y = std::round(q.y * 4) / 4;
    q.u0 = q.x / w;
    q.v0 = q.y / h;
    q.x -= 0.5f;
    q.y -= 0.5f;
    q.diffuse = 0xFFFFFFFF;
  }
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTexture(0, t);
  for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP}) {
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, address);
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
      SCOPED_TRACE(testing::Message() << "address " << address << " filter " << filter);
      device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
      Sampler(0, filter);
      DrawTriangles(v, idx);
      std::vector<uint32_t> px = Read(s);
      int wrong = 0;
      for (size_t i = 0; i < px.size(); ++i) wrong += px[i] != picture[i];
      EXPECT_EQ(wrong, 0);
    }
  }
  device_->SetTexture(0, nullptr);
  s->Release();
  rt->Release();
  t->Release();
}

}  // namespace

namespace {

class RandomGeometry : public DeviceTest, public testing::WithParamInterface<uint32_t> {};

TEST_P(RandomGeometry, ExtremeValuesAndStatesNeverFault) {
  // Sanitizers watch this: any coordinate, texture coordinate or state the
  // caller sends must end in pixels or in nothing, never in a fault.
  std::mt19937 rng(GetParam());
  const float specials[] = {0.0f, -0.5f, 1e-30f, 1e30f, -1e30f, 3e38f, INFINITY, -INFINITY, std::nanf(""),
                            70000.0f, -70000.0f, 0.4999f};
  auto value = [&](float range) {
    if (rng() % 5 == 0) return specials[rng() % std::size(specials)];
    return std::uniform_real_distribution<float>(-range, range)(rng);
  };
  IDirect3DTexture9* t = MakeTexture(8, 4, NoisePicture(8, 4, 1), 0);
  D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_LINEAR);
  device_->SetTexture(0, t);
  device_->SetTexture(1, t);
  for (int round = 0; round < 150; ++round) {
    Stage(0, 2 + rng() % 3, rng() % 4, rng() % 4, 1 + rng() % 4, rng() % 4, rng() % 4);
    Stage(1, 1 + rng() % 4, rng() % 4, rng() % 4, 1 + rng() % 4, rng() % 4, rng() % 4);
    device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, rng() % 3);
    Blend(1 + rng() % 11, 1 + rng() % 11);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, rng() % 2 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, rng() % 4);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, rng() % 4);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, rng() % 3);
    device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, rng() % 5);
    std::vector<QuadVertex> v(24);
    for (QuadVertex& q : v) {
      q = {value(100), value(100), 0.9f, 1, static_cast<DWORD>(rng()), value(4), value(4), value(4), value(4)};
    }
    std::vector<WORD> idx(30);
    for (WORD& i : idx) i = static_cast<WORD>(rng() % 26);  // some past the vertices written
    DrawTriangles(v, idx);
    device_->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, kVertices, 0, 15);
  }
  // The same through the transforms, with random matrices.
  IDirect3DVertexBuffer9* vb = nullptr;
  device_->CreateVertexBuffer(32 * 24, 0x208, 0x112, D3DPOOL_DEFAULT, &vb, nullptr);
  for (int round = 0; round < 100; ++round) {
    D3DMATRIX m;
    for (auto& row : m.m)
      for (float& e : row) e = value(3);
    device_->SetTransform(D3DTS_WORLD, &m);
    float* p = nullptr;
    vb->Lock(0, 0, reinterpret_cast<void**>(&p), 0);
    for (int i = 0; i < 24 * 8; ++i) p[i] = value(1000);
    vb->Unlock();
    device_->SetFVF(0x112);
    device_->SetStreamSource(0, vb, 0, 32);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 24, 0, 10);
    device_->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, 24, 0, 10);
  }
  D3DMATRIX identity{};
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
  device_->SetTransform(D3DTS_WORLD, &identity);
  device_->SetStreamSource(0, nullptr, 0, 0);
  vb->Release();
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
  t->Release();
}

// Seeds 2 and 8 once found a clamped perspective run read outside its texture.
INSTANTIATE_TEST_SUITE_P(Seeds, RandomGeometry, testing::Values(2u, 5u, 8u, 99u));

}  // namespace

namespace {

TEST_F(ThreeD, PerspectiveDrawsAreIdenticalWithOneOrEightWorkers) {
  // Perspective runs choose their mip level per batch: batches must not depend on the workers.
  IDirect3DTexture9* t = MakeTexture(64, 64, NoisePicture(64, 64, 3), 0);
  D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_LINEAR);
  device_->SetTexture(0, t);
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  std::vector<MeshVertex> v;
  std::vector<WORD> idx;
  for (int r = 0; r <= 12; ++r)
    for (int c = 0; c <= 12; ++c) {
      float x = -500 + 1000.0f * c / 12, y = -500 + 1000.0f * r / 12;
      v.push_back({x, y, 2000.0f * r / 12, 0, 0, -1, 3.0f * c / 12, 3.0f * r / 12});  // tiles the texture 3 x 3
    }
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) {
      WORD a = static_cast<WORD>(r * 13 + c);
      idx.insert(idx.end(), {a, static_cast<WORD>(a + 1), static_cast<WORD>(a + 13), static_cast<WORD>(a + 1),
                             static_cast<WORD>(a + 14), static_cast<WORD>(a + 13)});
    }
  // Large enough a target for the draw to be split into bands across the workers.
  IDirect3DTexture9* big = MakeRenderTexture(480, 480);
  IDirect3DSurface9* bigSurface = Target(big);
  std::vector<uint32_t> results[2];
  int counts[2] = {1, 8};
  for (int run = 0; run < 2; ++run) {
    compat::SetD3DWorkerCount(counts[run]);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    Draw(v, idx);
    results[run] = Read(bigSurface);
  }
  compat::SetD3DWorkerCount(0);
  int drawn = 0;
  for (uint32_t p : results[0]) drawn += p != 0;
  EXPECT_GT(drawn, 40000);
  EXPECT_TRUE(results[0] == results[1]);
  device_->SetRenderTarget(0, surface_);
  bigSurface->Release();
  big->Release();
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace
