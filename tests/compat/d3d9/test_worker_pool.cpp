// The rasterising threads as the device and the frame grabs use them: every
// job of a run exactly once and finished when the run returns, whatever the
// thread count, across many short runs, runs from several threads at once,
// runs started from inside a job, and worker counts changed while idle.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "compat/d3d9_present.h"

namespace {

// Restores one worker per core whatever a test leaves behind.
class WorkerPoolTest : public ::testing::Test {
 protected:
  void TearDown() override { compat::SetD3DWorkerCount(0); }
};

// Each job writes its own slot with a plain store: the run's return must
// make every one of them visible to the caller.
struct Marks {
  std::vector<int> slot;
  std::atomic<int> calls{0};
  static void Job(void* self, int index) {
    auto* m = static_cast<Marks*>(self);
    m->slot[index] += 1;
    m->calls.fetch_add(1, std::memory_order_relaxed);
  }
  // Each of the first `jobs` slots written once, none beyond; clears them.
  bool EachOnce(int jobs) {
    bool ok = calls.exchange(0) == jobs;
    for (size_t i = 0; i < slot.size(); ++i) {
      ok = ok && slot[i] == (static_cast<int>(i) < jobs ? 1 : 0);
      slot[i] = 0;
    }
    return ok;
  }
};

TEST_F(WorkerPoolTest, EveryJobRunsOnceOverManyShortRunsAtAnyThreadCount) {
  for (int threads : {1, 2, 3, 8}) {
    compat::SetD3DWorkerCount(threads);
    EXPECT_EQ(compat::GetD3DWorkerCount(), threads);
    Marks marks;
    marks.slot.assign(64, 0);
    int bad = 0;
    for (int run = 0; run < 4000; ++run) {
      // Lengths from empty to far more jobs than threads; the empty run is a no-op.
      const int jobs = run % 41;
      compat::RunD3DJobs(jobs, &Marks::Job, &marks);
      if (!marks.EachOnce(jobs)) ++bad;
    }
    EXPECT_EQ(bad, 0) << threads << " threads";
  }
}

// Jobs that wait for each other finish only if they run at the same time on
// as many threads as the pool has: the workers really take part.
struct Rendezvous {
  int expected;
  std::atomic<int> arrived{0};
  std::atomic<int> met{0};
  static void Job(void* self, int) {
    auto* r = static_cast<Rendezvous*>(self);
    r->arrived.fetch_add(1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (r->arrived.load() < r->expected && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    if (r->arrived.load() >= r->expected) r->met.fetch_add(1);
  }
};

TEST_F(WorkerPoolTest, JobsOfOneRunRunAtOnceOnEveryThread) {
  for (int threads : {2, 4}) {
    compat::SetD3DWorkerCount(threads);
    for (int round = 0; round < 3; ++round) {
      Rendezvous r;
      r.expected = threads;
      compat::RunD3DJobs(threads, &Rendezvous::Job, &r);
      EXPECT_EQ(r.met.load(), threads) << threads << " threads, round " << round;
      // Long enough for the workers to stop watching and go to sleep: the
      // next run must wake them.
      std::this_thread::sleep_for(std::chrono::milliseconds(round * 10));
    }
  }
}

// A job that outlasts the caller's watch: the caller sleeps and the thread
// finishing the job must wake it; workers asleep between such runs must wake too.
struct SlowJobs {
  std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> done{0};
  static void Job(void* self, int) {
    auto* slow = static_cast<SlowJobs*>(self);
    if (std::this_thread::get_id() != slow->caller) std::this_thread::sleep_for(std::chrono::milliseconds(4));
    slow->done.fetch_add(1);
  }
};

TEST_F(WorkerPoolTest, CallerAndWorkersSleepThroughLongJobsAndWake) {
  for (int threads : {2, 5}) {
    compat::SetD3DWorkerCount(threads);
    for (int round = 0; round < 4; ++round) {
      SlowJobs slow;
      compat::RunD3DJobs(7, &SlowJobs::Job, &slow);
      EXPECT_EQ(slow.done.load(), 7) << threads << " threads, round " << round;
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  }
}

struct ThreadIds {
  std::vector<std::thread::id> ids;
  static void Job(void* self, int index) { static_cast<ThreadIds*>(self)->ids[index] = std::this_thread::get_id(); }
};

TEST_F(WorkerPoolTest, OneThreadRunsEveryJobOnTheCaller) {
  compat::SetD3DWorkerCount(4);
  compat::SetD3DWorkerCount(1);  // the workers are stopped while idle
  EXPECT_EQ(compat::GetD3DWorkerCount(), 1);
  ThreadIds t;
  t.ids.resize(50);
  compat::RunD3DJobs(50, &ThreadIds::Job, &t);
  for (const std::thread::id& id : t.ids) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(WorkerPoolTest, WorkerCountChangesBetweenRunsAndAfterSleeping) {
  Marks marks;
  marks.slot.assign(40, 0);
  for (int threads : {5, 2, 7, 1, 3}) {
    compat::SetD3DWorkerCount(threads);
    EXPECT_EQ(compat::GetD3DWorkerCount(), threads);
    compat::RunD3DJobs(40, &Marks::Job, &marks);
    EXPECT_TRUE(marks.EachOnce(40)) << threads << " threads";
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // idle, likely asleep, when stopped
  }
}

// A job that needs a run of its own (a copy inside a draw, say) must not wait
// for the pool it is itself holding up.
struct Nested {
  Marks inner;
  std::atomic<int> outer{0};
  static void Job(void* self, int) {
    auto* n = static_cast<Nested*>(self);
    Marks own;
    own.slot.assign(7, 0);
    compat::RunD3DJobs(7, &Marks::Job, &own);
    if (own.EachOnce(7)) n->outer.fetch_add(1);
  }
};

TEST_F(WorkerPoolTest, AJobStartingARunFinishesItInline) {
  for (int threads : {1, 4}) {
    compat::SetD3DWorkerCount(threads);
    Nested n;
    compat::RunD3DJobs(12, &Nested::Job, &n);
    EXPECT_EQ(n.outer.load(), 12) << threads << " threads";
  }
}

TEST_F(WorkerPoolTest, CallersOnSeveralThreadsTakeTurns) {
  compat::SetD3DWorkerCount(4);
  constexpr int kCallers = 4;
  std::atomic<int> bad{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < kCallers; ++c) {
    callers.emplace_back([c, &bad] {
      Marks marks;
      marks.slot.assign(33, 0);
      for (int run = 0; run < 1500; ++run) {
        const int jobs = 1 + (run * 7 + c) % 33;
        compat::RunD3DJobs(jobs, &Marks::Job, &marks);
        if (!marks.EachOnce(jobs)) bad.fetch_add(1);
      }
    });
  }
  // The count changes under their feet too; runs in progress keep theirs.
  for (int k = 0; k < 6; ++k) {
    compat::SetD3DWorkerCount(2 + k % 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace

#include <random>
#include <string>

#include "device_fixture.h"

namespace {

// Draws of overlapping, alpha-blended triangles: the result depends on their
// order, which the slices of the setup and the bands must keep whatever the
// number of threads, for meshes set up in one slice or many, covering little
// (rasterised in one band) or much (in bands across the threads).
class DrawRuns : public DeviceTest {
 protected:
  // The triangles blended over a cleared target, textured through `mipFilter`.
  std::vector<uint32_t> DrawBlended(IDirect3DSurface9* target, IDirect3DTexture9* picture, DWORD mipFilter,
                                    const std::vector<QuadVertex>& v, const std::vector<WORD>& idx) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x30507090, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Sampler(0, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, mipFilter);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, picture);
    DrawTriangles(v, idx);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device_->SetTexture(0, nullptr);
    return Read(target);
  }
  static int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int differ = 0;
    for (size_t i = 0; i < a.size(); ++i) differ += a[i] != b[i];
    return differ;
  }
};

TEST_F(DrawRuns, OverlappingTrianglesBlendInOrderAtAnyThreadCount) {
  IDirect3DTexture9* rt = MakeRenderTexture(256, 192);
  IDirect3DSurface9* s = Target(rt);
  IDirect3DTexture9* picture = MakeTexture(64, 64, NoisePicture(64, 64, 3), 1);
  std::mt19937 rng(12345);
  std::vector<QuadVertex> v;
  // Corners spread over the target and corners crowded into a small box.
  for (int i = 0; i < 1200; ++i) {
    const bool crowded = i >= 600;
    const float x = crowded ? 100 + (rng() % 4000) / 100.0f : (rng() % 27000) / 100.0f - 7;
    const float y = crowded ? 70 + (rng() % 3000) / 100.0f : (rng() % 20500) / 100.0f - 6;
    const DWORD diffuse = (rng() & 0xFF000000u) | (rng() & 0x00FFFFFFu);
    v.push_back({x, y, 0.5f, 1, diffuse, (rng() % 1000) / 500.0f, (rng() % 1000) / 500.0f, 0, 0});
  }
  struct Case {
    const char* name;
    int triangles;
    int firstVertex, vertexSpan;  // where its corners come from
    int reach;                    // corners of a triangle at most this many apart in the list
  };
  const Case cases[] = {
      {"few large", 12, 0, 600, 600},        // one slice, across bands
      {"many large", 1100, 0, 600, 600},     // many slices, across bands
      {"many small", 1000, 0, 600, 3},       // small neighbourly triangles over the target
      {"many crowded", 900, 600, 600, 600},  // many slices, a small box
      {"tiny", 70, 600, 600, 2},             // several slices, one band
  };
  for (const Case& c : cases) {
    std::vector<WORD> idx;
    for (int t = 0; t < c.triangles; ++t) {
      const int a = c.firstVertex + static_cast<int>(rng() % c.vertexSpan);
      for (int k = 0; k < 3; ++k) {
        const int spread = static_cast<int>(rng() % (2 * c.reach + 1)) - c.reach;
        const int at = std::clamp(a + (k ? spread : 0), c.firstVertex, c.firstVertex + c.vertexSpan - 1);
        idx.push_back(static_cast<WORD>(at));
      }
    }
    std::vector<uint32_t> first;
    for (int workers : {1, 2, 3, 8}) {
      compat::SetD3DWorkerCount(workers);
      std::vector<uint32_t> px = DrawBlended(s, picture, D3DTEXF_NONE, v, idx);
      if (first.empty()) {
        first = px;
        continue;
      }
      EXPECT_EQ(Differing(px, first), 0) << c.name << ", " << workers << " workers";
    }
  }
  device_->SetTexture(0, nullptr);
  picture->Release();
  s->Release();
  rt->Release();
}

// A band draws each slice as soon as it is set up, and decides whether the
// draw keeps its batch grid from the slices ready so far: draws whose
// covered pixels come only from their last slices, and draws around the
// size where the grid starts, must come out as with one thread, run after
// run, with their texels minified through mip levels in perspective.
TEST_F(DrawRuns, DrawsThatGrowLateOrSitAtTheBandSizeMatchOneThreadRunAfterRun) {
  IDirect3DTexture9* rt = MakeRenderTexture(320, 240);
  IDirect3DSurface9* s = Target(rt);
  IDirect3DTexture9* picture = MakeTexture(256, 256, NoisePicture(256, 256, 11), 0);
  D3DXFilterTexture(picture, nullptr, 0, D3DX_FILTER_LINEAR);
  std::mt19937 rng(777);
  auto corner = [&](float x, float y) {
    const float rhw = 0.25f + (rng() % 1000) / 250.0f;
    return QuadVertex{x, y, 0.5f, rhw, static_cast<DWORD>(0xC0000000u | (rng() & 0x00FFFFFFu)), x * 2.7f / 256, y * 2.3f / 256, 0, 0};
  };
  struct Draw {
    std::string name;
    std::vector<QuadVertex> v;
    std::vector<WORD> idx;
  };
  std::vector<Draw> draws;
  // A square of side `side` cut into small jittered triangles, behind
  // `hidden` triangles wholly off the target.
  auto grid = [&](const std::string& name, int side, int hidden) {
    Draw d{name, {}, {}};
    for (int k = 0; k < 12; ++k) d.v.push_back(corner(-90.0f + (rng() % 5000) / 100.0f, (rng() % 24000) / 100.0f));
    for (int t = 0; t < hidden * 3; ++t) d.idx.push_back(static_cast<WORD>(rng() % 12));
    const int cells = side / 8, first = static_cast<int>(d.v.size());
    for (int j = 0; j <= cells; ++j)
      for (int i = 0; i <= cells; ++i) {
        const bool edge = i == 0 || j == 0 || i == cells || j == cells;
        const float jx = edge ? 0 : (rng() % 300) / 100.0f - 1.5f, jy = edge ? 0 : (rng() % 300) / 100.0f - 1.5f;
        d.v.push_back(corner(20.3f + i * 8.0f + jx, 10.6f + j * 8.0f + jy));
      }
    for (int j = 0; j < cells; ++j)
      for (int i = 0; i < cells; ++i) {
        const int a = first + j * (cells + 1) + i, b = a + 1, c = a + cells + 1, e = c + 1;
        for (int k : {a, b, c, b, e, c}) d.idx.push_back(static_cast<WORD>(k));
      }
    draws.push_back(std::move(d));
  };
  for (int side : {96, 112, 120, 128, 136, 144, 160}) grid("square of " + std::to_string(side), side, 0);
  grid("covered late", 216, 600);
  grid("small and late", 128, 400);
  for (const Draw& d : draws) {
    std::vector<uint32_t> first;
    for (int workers : {1, 2, 3, 8}) {
      compat::SetD3DWorkerCount(workers);
      for (int run = 0; run < (workers == 1 ? 1 : 6); ++run) {
        std::vector<uint32_t> px = DrawBlended(s, picture, D3DTEXF_LINEAR, d.v, d.idx);
        if (first.empty()) {
          first = px;
          continue;
        }
        EXPECT_EQ(Differing(px, first), 0) << d.name << ", " << workers << " workers, run " << run;
      }
    }
  }
  compat::SetD3DWorkerCount(0);
  picture->Release();
  s->Release();
  rt->Release();
}

}  // namespace
