// Throughput of the software Direct3D device: a full-screen textured,
// bilinear, alpha-blended quad, a picture copied through a mask texture, and a
// whole morph-like frame as the renderer draws it (two warped 2,000-triangle
// meshes, compose, three quads, readback).
// The argument of each benchmark is the number of rasterising threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "compat/d3d9.h"
#include "compat/d3d9_present.h"
#include "compat/d3dx9.h"

namespace {

struct Vertex {
  float x, y, z, rhw;
  DWORD diffuse;
  float u0, v0, u1, v1;
};

constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

std::vector<uint32_t> Noise(UINT w, UINT h, uint32_t seed) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  uint32_t x = seed * 2654435761u + 1;
  for (uint32_t& v : p) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = x | 0x80000000u;
  }
  return p;
}

// A device with the renderer's shared buffers and a few helpers.
class Scene {
 public:
  Scene() {
    d3d_ = Direct3DCreate9(31);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 1024;
    pp.BackBufferHeight = 768;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x56, &pp, &dev_);
    dev_->CreateVertexBuffer(4000 * 36, 0x208, kFvf, D3DPOOL_DEFAULT, &vb_, nullptr);
    dev_->CreateIndexBuffer(12000 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib_, nullptr);
    dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev_->SetRenderState(D3DRS_ZENABLE, FALSE);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  }
  ~Scene() {
    for (DWORD s = 0; s < 2; ++s) dev_->SetTexture(s, nullptr);
    dev_->SetStreamSource(0, nullptr, 0, 0);
    dev_->SetIndices(nullptr);
    vb_->Release();
    ib_->Release();
    dev_->Release();
    d3d_->Release();
  }

  IDirect3DDevice9* Device() { return dev_; }

  IDirect3DTexture9* Picture(UINT w, UINT h, uint32_t seed) {
    IDirect3DTexture9* t = nullptr;
    D3DXCreateTexture(dev_, w, h, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
    D3DLOCKED_RECT lr;
    t->LockRect(0, &lr, nullptr, 0);
    std::vector<uint32_t> p = Noise(w, h, seed);
    std::memcpy(lr.pBits, p.data(), p.size() * 4);
    t->UnlockRect(0);
    D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_LINEAR);
    return t;
  }

  IDirect3DTexture9* RenderTexture(UINT w, UINT h) {
    IDirect3DTexture9* t = nullptr;
    dev_->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr);
    return t;
  }

  void Draw(const Vertex* v, size_t count, const WORD* idx, size_t indices) {
    void* p;
    vb_->Lock(0, 0, &p, 0);
    std::memcpy(p, v, count * sizeof(Vertex));
    vb_->Unlock();
    ib_->Lock(0, 0, &p, 0);
    std::memcpy(p, idx, indices * 2);
    ib_->Unlock();
    dev_->SetIndices(ib_);
    dev_->SetFVF(kFvf);
    dev_->SetStreamSource(0, vb_, 0, 36);
    dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4000, 0, static_cast<UINT>(indices / 3));
  }

  void Quad(float w, float h, float umax, float vmax, DWORD diffuse) {
    Vertex v[4] = {{-0.5f, -0.5f, 0.9f, 1, diffuse, 0, 0, 0, 0},
                   {-0.5f, h - 0.5f, 0.9f, 1, diffuse, 0, vmax, 0, 1},
                   {w - 0.5f, h - 0.5f, 0.9f, 1, diffuse, umax, vmax, 1, 1},
                   {w - 0.5f, -0.5f, 0.9f, 1, diffuse, umax, 0, 1, 0}};
    WORD idx[6] = {0, 1, 2, 2, 3, 0};
    Draw(v, 4, idx, 6);
  }

  void Stage(DWORD stage, DWORD cop, DWORD c1, DWORD c2, DWORD aop, DWORD a1, DWORD a2) {
    dev_->SetTextureStageState(stage, D3DTSS_COLOROP, cop);
    dev_->SetTextureStageState(stage, D3DTSS_COLORARG1, c1);
    dev_->SetTextureStageState(stage, D3DTSS_COLORARG2, c2);
    dev_->SetTextureStageState(stage, D3DTSS_ALPHAOP, aop);
    dev_->SetTextureStageState(stage, D3DTSS_ALPHAARG1, a1);
    dev_->SetTextureStageState(stage, D3DTSS_ALPHAARG2, a2);
  }

  void Blend(DWORD src, DWORD dst) {
    dev_->SetRenderState(D3DRS_SRCBLEND, src);
    dev_->SetRenderState(D3DRS_DESTBLEND, dst);
  }

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
};

// --- full-screen quad ---

void QuadBenchmark(benchmark::State& state, UINT texW, UINT texH) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  Scene scene;
  IDirect3DTexture9* t = scene.Picture(texW, texH, 1);
  IDirect3DDevice9* dev = scene.Device();
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204080, 1.0f, 0);
  scene.Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  scene.Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  dev->SetTexture(0, t);
  for (auto _ : state) scene.Quad(1024, 768, 1.0f, 1.0f, 0xC0FFFFFF);
  state.SetItemsProcessed(state.iterations() * 1024 * 768);
  state.counters["Mpixels/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1024 * 768 / 1e6, benchmark::Counter::kIsRate);
  dev->SetTexture(0, nullptr);
  t->Release();
  compat::SetD3DWorkerCount(0);
}

// A 700 x 500 picture magnified onto 1024 x 768: every pixel blends four texels.
void BM_QuadBilinearScaled(benchmark::State& state) { QuadBenchmark(state, 700, 500); }
// A 1024 x 768 picture drawn 1:1.
void BM_QuadBilinearOneToOne(benchmark::State& state) { QuadBenchmark(state, 1024, 768); }

// The compose and mask passes: a 640 x 480 picture copied one to one through
// a second texture that gives the alpha.
void BM_QuadThroughMask(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  Scene scene;
  IDirect3DDevice9* dev = scene.Device();
  IDirect3DTexture9* picture = scene.Picture(1024, 512, 10);
  IDirect3DTexture9* mask = scene.Picture(1024, 512, 11);
  IDirect3DTexture9* image = scene.RenderTexture(1024, 512);
  IDirect3DSurface9* surface = nullptr;
  image->GetSurfaceLevel(0, &surface);
  dev->SetRenderTarget(0, surface);
  scene.Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  scene.Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  dev->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  scene.Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  dev->SetTexture(0, picture);
  dev->SetTexture(1, mask);
  for (auto _ : state) scene.Quad(640, 480, 640.0f / 1024, 480.0f / 512, 0xFFFFFFFF);
  state.counters["Mpixels/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
  dev->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  for (DWORD s = 0; s < 2; ++s) dev->SetTexture(s, nullptr);
  IDirect3DSurface9* back = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  dev->SetRenderTarget(0, back);
  back->Release();
  surface->Release();
  for (IDirect3DTexture9* t : {picture, mask, image}) t->Release();
  compat::SetD3DWorkerCount(0);
}

// --- morph-like frame ---

struct Mesh {
  std::vector<Vertex> vertices;
  std::vector<WORD> indices;
};

// A 50 x 20 grid (2,000 triangles) over W x H; positions warped, uv from the straight grid.
Mesh WarpedGrid(float w, float h, float texW, float texH, uint32_t seed) {
  Mesh m;
  const int cols = 50, rows = 20;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> jitter(-0.35f, 0.35f);
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c <= cols; ++c) {
      float x = w * c / cols, y = h * r / rows;
      float wx = x + ((c > 0 && c < cols) ? jitter(rng) * w / cols : 0);
      float wy = y + ((r > 0 && r < rows) ? jitter(rng) * h / rows : 0);
      m.vertices.push_back({wx - 0.5f, wy - 0.5f, 0.9f, 1, 0xFFFFFFFF, x / texW, y / texH, 0, 0});
    }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      WORD a = static_cast<WORD>(r * (cols + 1) + c), b = static_cast<WORD>(a + 1);
      WORD d = static_cast<WORD>(a + cols + 1), e = static_cast<WORD>(d + 1);
      m.indices.insert(m.indices.end(), {a, b, d, b, e, d});
    }
  return m;
}

void BM_MorphFrame640x480(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  const UINT w = 640, h = 480, texW = 1024, texH = 512;
  Scene scene;
  IDirect3DDevice9* dev = scene.Device();
  IDirect3DTexture9* source = scene.Picture(texW, texH, 2);
  IDirect3DTexture9* target = scene.Picture(texW, texH, 3);
  IDirect3DTexture9* background = scene.Picture(texW, texH, 4);
  IDirect3DTexture9* foreground = scene.Picture(texW, texH, 5);
  IDirect3DTexture9 *imageA = scene.RenderTexture(texW, texH), *imageB = scene.RenderTexture(texW, texH),
                    *imageC = scene.RenderTexture(texW, texH);
  IDirect3DSurface9 *a = nullptr, *b = nullptr, *c = nullptr, *back = nullptr, *readback = nullptr, *sys = nullptr;
  imageA->GetSurfaceLevel(0, &a);
  imageB->GetSurfaceLevel(0, &b);
  imageC->GetSurfaceLevel(0, &c);
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  dev->CreateRenderTarget(w, h, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &readback, nullptr);
  dev->CreateOffscreenPlainSurface(w, h, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr);
  Mesh sourceMesh = WarpedGrid(w, h, texW, texH, 7), targetMesh = WarpedGrid(w, h, texW, texH, 8);
  for (Vertex& v : targetMesh.vertices) v.diffuse = 0x80FFFFFF;  // blend byte 128
  float umax = static_cast<float>(w) / texW, vmax = static_cast<float>(h) / texH;
  dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  dev->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  dev->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 10);

  auto warpedPair = [&](IDirect3DSurface9* into, DWORD targetSrcBlend) {
    dev->SetRenderTarget(0, into);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    scene.Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    scene.Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    dev->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    scene.Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    dev->SetTexture(0, source);
    dev->SetTexture(1, nullptr);
    scene.Draw(sourceMesh.vertices.data(), sourceMesh.vertices.size(), sourceMesh.indices.data(),
               sourceMesh.indices.size());
    scene.Blend(targetSrcBlend, D3DBLEND_INVSRCALPHA);
    dev->SetTexture(0, target);
    scene.Draw(targetMesh.vertices.data(), targetMesh.vertices.size(), targetMesh.indices.data(),
               targetMesh.indices.size());
  };

  for (auto _ : state) {
    warpedPair(b, D3DBLEND_SRCALPHA);
    warpedPair(c, D3DBLEND_ONE);
    // Compose: colour of B, alpha of C (point-sampled on stage 1).
    dev->SetRenderTarget(0, a);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    scene.Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
    dev->SetTexture(0, imageB);
    dev->SetTexture(1, imageC);
    dev->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    scene.Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
    scene.Quad(w, h, umax, vmax, 0xFFFFFFFF);
    // Final composition on the back buffer: background, picture with fade, foreground.
    dev->SetRenderTarget(0, back);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    scene.Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    dev->SetTexture(1, nullptr);
    scene.Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    dev->SetTexture(0, background);
    scene.Quad(w, h, umax, vmax, 0xFFFFFFFF);
    dev->SetTexture(0, imageA);
    scene.Quad(w, h, umax, vmax, 0xE0FFFFFF);
    dev->SetTexture(0, foreground);
    scene.Quad(w, h, umax, vmax, 0xFFFFFFFF);
    // Export grab.
    RECT r{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
    dev->StretchRect(back, &r, readback, &r, D3DTEXF_NONE);
    dev->GetRenderTargetData(readback, sys);
    D3DLOCKED_RECT lr;
    sys->LockRect(&lr, nullptr, 0);
    benchmark::DoNotOptimize(static_cast<uint32_t*>(lr.pBits)[w * h / 2]);
    sys->UnlockRect();
  }
  state.counters["ms/frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) / 1000.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  for (DWORD s = 0; s < 2; ++s) dev->SetTexture(s, nullptr);
  dev->SetRenderTarget(0, back);
  for (IDirect3DSurface9* s : {a, b, c, back, readback, sys}) s->Release();
  for (IDirect3DTexture9* t : {source, target, background, foreground, imageA, imageB, imageC}) t->Release();
  compat::SetD3DWorkerCount(0);
}

// One warped 2,000-triangle mesh into a 640 x 480 target, bilinear, blended
// over: the per-triangle and per-row costs that full-screen quads do not show.
void BM_WarpedMesh640x480(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  Scene scene;
  IDirect3DDevice9* dev = scene.Device();
  IDirect3DTexture9* picture = scene.Picture(1024, 512, 6);
  IDirect3DTexture9* image = scene.RenderTexture(1024, 512);
  IDirect3DSurface9* surface = nullptr;
  image->GetSurfaceLevel(0, &surface);
  dev->SetRenderTarget(0, surface);
  Mesh mesh = WarpedGrid(640, 480, 1024, 512, 9);
  for (Vertex& v : mesh.vertices) v.diffuse = 0x80FFFFFF;
  scene.Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  scene.Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  dev->SetTexture(0, picture);
  for (auto _ : state)
    scene.Draw(mesh.vertices.data(), mesh.vertices.size(), mesh.indices.data(), mesh.indices.size());
  state.counters["Mpixels/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
  dev->SetTexture(0, nullptr);
  IDirect3DSurface9* back = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  dev->SetRenderTarget(0, back);
  back->Release();
  surface->Release();
  image->Release();
  picture->Release();
  compat::SetD3DWorkerCount(0);
}

// Start and join cost of the worker pool: short runs of a few microseconds
// of work a job, two jobs a thread, back to back as a frame's draws come.
struct PoolWork {
  std::vector<double> sums;
  static void Job(void* self, int index) {
    double x = index;
    for (int i = 0; i < 2000; ++i) x = x * 0.999 + 1.0;
    static_cast<PoolWork*>(self)->sums[index] = x;
  }
};

void BM_PoolRuns(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  const int jobs = 2 * compat::GetD3DWorkerCount();
  PoolWork work;
  work.sums.resize(jobs);
  for (auto _ : state) {
    compat::RunD3DJobs(jobs, &PoolWork::Job, &work);
    benchmark::DoNotOptimize(work.sums.data());
  }
  compat::SetD3DWorkerCount(0);
}

// The same when the threads have gone to sleep between runs, as before a
// frame's first draw: only the run is timed.
void BM_PoolRunsAfterIdle(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  const int jobs = 2 * compat::GetD3DWorkerCount();
  PoolWork work;
  work.sums.resize(jobs);
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const auto start = std::chrono::steady_clock::now();
    compat::RunD3DJobs(jobs, &PoolWork::Job, &work);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    benchmark::DoNotOptimize(work.sums.data());
  }
  compat::SetD3DWorkerCount(0);
}

int AllCores() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// On a shared machine the fastest repetition is the one least disturbed.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Configure(benchmark::internal::Benchmark* b) {
  b->Arg(1)->Arg(AllCores())->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics(
      "min", Fastest);
}

}  // namespace

BENCHMARK(BM_QuadBilinearScaled)->Apply(Configure);
BENCHMARK(BM_QuadBilinearOneToOne)->Apply(Configure);
BENCHMARK(BM_QuadThroughMask)->Apply(Configure);
BENCHMARK(BM_WarpedMesh640x480)->Apply(Configure);
BENCHMARK(BM_MorphFrame640x480)->Apply(Configure);

BENCHMARK(BM_PoolRuns)->Arg(1)->Arg(AllCores())->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ComputeStatistics("min", Fastest);

BENCHMARK(BM_PoolRunsAfterIdle)->Arg(AllCores())->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(500)->Repetitions(5)->ComputeStatistics("min", Fastest);

BENCHMARK_MAIN();
