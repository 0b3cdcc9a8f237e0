// Triangle setup and scan conversion with the platform's rules: pixel centres
// at integer coordinates, top-left fill, so that triangles sharing an edge
// cover each pixel exactly once. Coverage uses exact integer edge tests on
// positions snapped to 2^-22 pixel (128-bit where a product needs it); each
// row's run is found by division.
// Attribute planes go through the unsnapped positions.
#include "compat/d3d9/rasterizer.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/fill.h"
#include "compat/d3d9/sampling.h"
#include "compat/d3d9/shading.h"
#include "compat/d3d9/worker_pool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_WALK_AVX2 1
#endif

namespace compat::d3d9 {

namespace {

// Large draws shade in batches that never straddle a multiple of this many
// rows where a batch's texels depend on where it starts (the per-batch mip
// choice of perspective runs, runs whose texel coordinates restart): batch
// boundaries are then the same whatever the number of workers.
constexpr int kBatchRows = 16;
// Each worker gets a few bands (multiples of kBatchRows) for balance; taller
// bands restart fewer triangles' edge walks.
constexpr int kBandsPerThread = 4;
// Triangles are set up in slices of at least this many, up to kSlicesPerThread
// a thread, and a whole number a thread where there are more slices than
// threads: a mesh of a few hundred triangles is set up on all the workers,
// none left with an extra slice while the others wait for it.
constexpr uint64_t kSliceTriangles = 16;
constexpr uint64_t kSlicesPerThread = 4;
// Below this many covered pixels a draw is not worth waking the workers.
constexpr int64_t kParallelArea = 16 * 1024;
constexpr int64_t kOne = 1 << kSubpixelBits;
// A triangle's row bounds are walked this many rows at a time.
constexpr int kBoundRows = 64;
// Positions beyond this many pixels from the origin are clipped before setup
// (vertex processing guarantees it). Snapped, a position then stays below
// 2^38 and an edge's step times kOne below 2^61: the row walks keep to 64
// bits, and only their starts and the areas take 128.
constexpr double kMaxCoordinate = 1 << 16;
static_assert(kSubpixelBits <= 22, "an edge's step times kOne must stay inside 64 bits");

using Wide = __int128;

// floor(a / b) for b > 0 where the quotient fits 64 bits: a 128-bit division
// is a slow library call, so the quotient is estimated in double precision
// (off by far less than one for the columns and rows a walk meets) and the
// remainder, worked out exactly, corrects it.
int64_t FloorDivWide(Wide a, int64_t b, int64_t* remainder) {
  const double estimate = std::floor(static_cast<double>(a) / static_cast<double>(b));
  if (!(std::fabs(estimate) < 0x1p61)) {  // beyond any walk: exact, and held inside 64 bits
    Wide q = a / b, r = a % b;
    if (r < 0) --q, r += b;
    *remainder = static_cast<int64_t>(r);
    return static_cast<int64_t>(std::clamp<Wide>(q, -(Wide{1} << 61), Wide{1} << 61));
  }
  int64_t q = static_cast<int64_t>(estimate);
  Wide r = a - Wide{q} * b;
  while (r < 0) --q, r += b;
  while (r >= b) ++q, r -= b;
  *remainder = static_cast<int64_t>(r);
  return q;
}

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The pixel at or before, and at or after, a snapped position: shifts, which
// round towards minus infinity on signed values, for divisions by kOne.
int64_t FloorPixel(int64_t a) { return a >> kSubpixelBits; }
int64_t CeilPixel(int64_t a) { return (a + kOne - 1) >> kSubpixelBits; }

// llrint inline: on x86-64 the library's own conversion is this one
// instruction (rounding as the current mode says, as llrint does), and
// positions are bounded by kMaxCoordinate, so nothing overflows.
int64_t Snap(double v) {
#if defined(__x86_64__)
  return _mm_cvtsd_si64(_mm_set_sd(v));
#else
  return std::llrint(v);
#endif
}

bool Finite(const ScreenVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.q) && std::fabs(v.x) <= kMaxCoordinate &&
         std::fabs(v.y) <= kMaxCoordinate;
}

Plane PlaneThrough(const double x[3], const double y[3], const double a[3]) {
  double det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  Plane p;
  p.dx = ((a[1] - a[0]) * (y[2] - y[0]) - (a[2] - a[0]) * (y[1] - y[0])) / det;
  p.dy = ((a[2] - a[0]) * (x[1] - x[0]) - (a[1] - a[0]) * (x[2] - x[0])) / det;
  p.c = a[0] - p.dx * x[0] - p.dy * y[0];
  return p;
}

// A line's attribute varies along its major axis only (x[1] != x[0] there).
Plane PlaneAlong(bool xMajor, const double x[3], const double y[3], const double a[3]) {
  Plane p;
  const double* axis = xMajor ? x : y;
  double slope = axis[1] != axis[0] ? (a[1] - a[0]) / (axis[1] - axis[0]) : 0.0;
  (xMajor ? p.dx : p.dy) = slope;
  p.c = a[0] - slope * axis[0];
  return p;
}

// One sloped edge walked down the rows: the first (left edge) or last + 1
// (right edge) covered column is ceil(N / d) with N growing by a constant per
// row, kept exact as that bound and its excess bound * d - N (0 .. d - 1),
// so that no row needs a division.
struct EdgeWalk {
  int64_t bound = 0, excess = 0, stepQ = 0, stepR = 0, d = 1;

  // Left edges (dy < 0) include X >= -k / -dy; right edges (dy > 0) keep X < k / dy.
  void Start(const PrimitiveSetup& p, int e, int row) {
    int64_t dx = p.dx[e], dy = p.dy[e];
    const Wide k = Wide{dx} * (Wide{row} * kOne - p.y0[e]) + Wide{dy} * p.x0[e];
    int64_t sign = dy < 0 ? -1 : 1;
    const Wide n = sign * k;
    const int64_t step = sign * dx * kOne;
    d = sign * dy * kOne;
    // The bound is a column within a few times kMaxCoordinate of the edge's
    // ends, far inside 64 bits; the remainder lies below d.
    int64_t r;
    const int64_t q = FloorDivWide(n, d, &r);
    bound = q + (r > 0);
    excess = r > 0 ? d - r : 0;
    stepQ = FloorDiv(step, d);
    stepR = step - stepQ * d;
  }
  // With N = bound * d - excess and the step sq * d + sr (0 <= sr < d), the
  // next N is (bound + sq) * d - (excess - sr): while excess - sr stays at
  // or above 0 it is the next excess, else the bound gains one more and the
  // excess is excess - sr + d (above 0, below d).
  void Next() {  // branch-free: the borrow is unpredictable
    excess -= stepR;
    const int64_t borrow = excess >> 63;  // -1 or 0
    bound += stepQ - borrow;
    excess += d & borrow;
  }
  // The bounds of the next n rows into out[0], out[2], ..., clamped to
  // lo .. hi (given kClamp), moving past them. Clamping both ways keeps
  // every row's left < right test as it was for the bound clamped on its own
  // side only, given lo < hi: with l = max(lo, L) and r = min(hi, R), l < r
  // puts both inside lo .. hi, and l >= r leaves min(l, hi) >= max(r, lo).
  template <bool kClamp>
  void Fill(int n, int lo, int hi, int* out) {
    EdgeWalk w = *this;  // a local copy lives in registers
    for (int i = 0; i < n; ++i) {
      out[2 * i] = static_cast<int>(kClamp ? std::min<int64_t>(std::max<int64_t>(w.bound, lo), hi) : w.bound);
      w.Next();
    }
    *this = w;
  }
};

#ifdef CALVETTA_WALK_AVX2
// Both sides' walks at once, one per 64-bit lane, for the next n rows as
// {left, right} pairs, unclamped (their bounds fit an int then): the same
// steps as Next, with the borrow as a compare against zero.
__attribute__((target("avx2"))) void FillPairsAvx2(EdgeWalk& left, EdgeWalk& right, int n, int* out) {
  __m128i bound = _mm_set_epi64x(right.bound, left.bound), excess = _mm_set_epi64x(right.excess, left.excess);
  const __m128i stepQ = _mm_set_epi64x(right.stepQ, left.stepQ), stepR = _mm_set_epi64x(right.stepR, left.stepR);
  const __m128i d = _mm_set_epi64x(right.d, left.d), zero = _mm_setzero_si128();
  for (int i = 0; i < n; ++i) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * i), _mm_shuffle_epi32(bound, _MM_SHUFFLE(3, 1, 2, 0)));
    excess = _mm_sub_epi64(excess, stepR);
    const __m128i borrow = _mm_cmpgt_epi64(zero, excess);  // -1 or 0
    bound = _mm_sub_epi64(_mm_add_epi64(bound, stepQ), borrow);
    excess = _mm_add_epi64(excess, _mm_and_si128(d, borrow));
  }
  left.bound = _mm_cvtsi128_si64(bound);
  right.bound = _mm_extract_epi64(bound, 1);
  left.excess = _mm_cvtsi128_si64(excess);
  right.excess = _mm_extract_epi64(excess, 1);
}

// Of four {first, last} row ranges, those that overlap rows top .. bottom - 1
// (first < bottom and last >= top): bit k for range k.
__attribute__((target("avx2"))) inline unsigned Overlaps4(const void* ranges, __m256i bottom, __m256i topLess1) {
  const __m256i r = _mm256_loadu_si256(static_cast<const __m256i*>(ranges));
  // first < bottom moved up beside its range's last >= top: the sign of
  // each 64-bit lane says both.
  const __m256i both =
      _mm256_and_si256(_mm256_slli_epi64(_mm256_cmpgt_epi32(bottom, r), 32), _mm256_cmpgt_epi32(r, topLess1));
  return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(both)));
}
#endif

}  // namespace

void Rasterizer::Begin(const DrawState* state) {
  state_ = state;
  rasterised_ = false;
  fill_ = false;
  for (int i = 0; i < sliceCount_; ++i) {
    slices_[i].prims.clear();
    slices_[i].rows.clear();
    slices_[i].area = 0;
    slices_[i].bounds = RECT{};
  }
  sliceCount_ = 0;
}

void Rasterizer::FillFirst(const RECT& r, uint32_t colour) {
  fill_ = true;
  fillRect_ = r;
  fillColour_ = colour;
}

void Rasterizer::FillBand(int top, int bottom) const {
  if (!fill_) return;
  const RECT rows{fillRect_.left, std::max<LONG>(top, fillRect_.top), fillRect_.right,
                  std::min<LONG>(bottom, fillRect_.bottom)};
  FillArea(state_->target, static_cast<size_t>(state_->pitch), rows, fillColour_);
}

void Rasterizer::FillWhole() {
  if (fill_) FillAreaAcrossWorkers(state_->target, static_cast<size_t>(state_->pitch), fillRect_, fillColour_);
  fill_ = false;
}

void Rasterizer::SliceJob(void* self, int slice) {
  auto* r = static_cast<Rasterizer*>(self);
  uint64_t first = r->setupCount_ * slice / r->sliceCount_;
  uint64_t last = r->setupCount_ * (slice + 1) / r->sliceCount_;
  r->emit_(r->emitContext_, first, last - first, slice);
  Slice& out = r->slices_[slice];
  if (out.prims.empty()) return;
  RECT b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const PrimitiveSetup& p : out.prims) {
    b.left = std::min(b.left, p.xFirst);
    b.top = std::min(b.top, p.yFirst);
    b.right = std::max(b.right, p.xLast + 1);
    b.bottom = std::max(b.bottom, p.yLast + 1);
  }
  out.bounds = b;
}

RECT Rasterizer::DrawnBounds() const {
  RECT b{};
  for (int i = 0; i < sliceCount_; ++i) {
    const RECT& s = slices_[i].bounds;
    if (s.left >= s.right || s.top >= s.bottom) continue;
    if (b.left >= b.right) {
      b = s;
      continue;
    }
    b = RECT{std::min(b.left, s.left), std::min(b.top, s.top), std::max(b.right, s.right),
             std::max(b.bottom, s.bottom)};
  }
  return b;
}

void Rasterizer::Setup(uint64_t count, Emitter emit, void* context) {
  const int threads = WorkerPool::Instance().ThreadCount();
  const uint64_t perThread = static_cast<uint64_t>(threads);
  uint64_t slices = std::min(std::max<uint64_t>(1, count / kSliceTriangles), perThread * kSlicesPerThread);
  if (slices > perThread) slices -= slices % perThread;
  sliceCount_ = static_cast<int>(slices);
  if (static_cast<int>(slices_.size()) < sliceCount_) slices_.resize(sliceCount_);
  setupCount_ = count;
  emit_ = emit;
  emitContext_ = context;
  if (sliceCount_ == 1) {
    SliceJob(this, 0);
    return;
  }
  // A mesh: one run sets it up and rasterises it, the bands' jobs queued
  // behind the slices' and waiting for the last of them, which saves the
  // workers a second start and the caller a second join.
  PlanBands(threads);
  // Bands may start drawing before the last slice is set up, on this
  // grid: once set, it only goes if the whole draw turns out small.
  batchRows_ = kBatchRows;
  for (int i = 0; i < sliceCount_; ++i) slices_[i].ready.set.store(false, std::memory_order_relaxed);
  slicesDone_.store(0, std::memory_order_relaxed);
  bandsFilled_.store(0, std::memory_order_relaxed);
  setUp_.store(false, std::memory_order_relaxed);
  rasterised_ = true;
  WorkerPool::Instance().Run(sliceCount_ + bandCount_, &Rasterizer::SetupAndBandJob, this);
}

void Rasterizer::SetupAndBandJob(void* self, int job) {
  auto* r = static_cast<Rasterizer*>(self);
  if (job < r->sliceCount_) {
    SliceJob(self, job);
    r->slices_[job].ready.set.store(true, std::memory_order_release);
    // The last slice sees every other slice's triangles (the counter's
    // updates form one release sequence) and hands them on to the bands.
    if (r->slicesDone_.fetch_add(1, std::memory_order_acq_rel) + 1 == r->sliceCount_) {
      r->ChooseBatchRows();
      r->setUp_.store(true, std::memory_order_release);
    }
    return;
  }
  // A band clears its rows while the slices are still being set up.
  const RECT& clip = r->state_->clip;
  const int band = job - r->sliceCount_;
  const int top = clip.top + band * r->bandHeight_, bottom = std::min<int>(top + r->bandHeight_, clip.bottom);
  r->FillBand(top, bottom);
  if (r->fill_) r->bandsFilled_.fetch_add(1, std::memory_order_release);
  // A band draws the slices in order, each as soon as it is set up, rather
  // than wait for the slowest: the draw is large (and keeps the batch grid)
  // as soon as the slices ready in front cover enough pixels, since the
  // areas only add up.
  int64_t area = 0;
  for (int slice = 0; slice < r->sliceCount_ && area < kParallelArea; ++slice) {
    r->WaitForSlice(slice);
    area += r->slices_[slice].area;
  }
  if (area >= kParallelArea) {
    for (int slice = 0; slice < r->sliceCount_; ++slice) {
      r->WaitForSlice(slice);
      r->RasteriseBand(top, bottom, slice, slice + 1);
    }
    return;
  }
  // Every slice is set up and the draw is small; the last slice's totals
  // are read once it says so.
  for (int spin = 0; !r->setUp_.load(std::memory_order_acquire); ++spin) WaitBriefly(spin);
  // A small draw is rasterised in one piece: with no clear, by the first
  // band's job; with one, by the last band's once every band's rows are
  // cleared (the jobs before it have all started, so the wait ends).
  if (!r->fill_) {
    if (band == 0 && r->area_ > 0) r->RasteriseBand(clip.top, clip.bottom);
    return;
  }
  if (band + 1 < r->bandCount_) return;
  for (int spin = 0; r->bandsFilled_.load(std::memory_order_acquire) < r->bandCount_; ++spin) WaitBriefly(spin);
  if (r->area_ > 0) r->RasteriseBand(clip.top, clip.bottom);
}

// Jobs are handed out in order: every slice is taken, and runs, before any
// band waits for one, so the wait ends.
void Rasterizer::WaitForSlice(int slice) const {
  for (int spin = 0; !slices_[slice].ready.set.load(std::memory_order_acquire); ++spin) WaitBriefly(spin);
}

// Large draws restart batches on the row grid and go to the bands; small
// ones are rasterised at once, in one band.
void Rasterizer::ChooseBatchRows() {
  area_ = 0;
  for (int i = 0; i < sliceCount_; ++i) area_ += slices_[i].area;
  // Written only when it changes: the bands of a setup run may be drawing
  // on the grid already, which a large draw keeps, and a small one has no
  // band drawing before it is chosen.
  const int rows = area_ >= kParallelArea ? kBatchRows : 0;
  if (batchRows_ != rows) batchRows_ = rows;
}

void Rasterizer::PlanBands(int threads) {
  const RECT& clip = state_->clip;
  const int height = clip.bottom - clip.top;
  const int units = (height + kBatchRows - 1) / kBatchRows;
  int bands = std::min(units, threads <= 1 ? 1 : threads * kBandsPerThread);
  bandHeight_ = (units + bands - 1) / bands * kBatchRows;
  bandCount_ = std::max(1, (height + bandHeight_ - 1) / bandHeight_);
}

namespace {

// The footprint of a triangle thinner than a pixel, measured along its
// sides: its planes hold only along its length, for across it a texel
// coordinate rounded in one corner tilts them by as much as the triangle is
// thin, and the footprint they give would blur it with a smaller level.
double SideFootprintLod(const ScreenVertex* v[3], const double x[3], const double y[3], int set, double w, double h) {
  double rho = 0;
  for (int i = 0; i < 3; ++i) {
    const int j = i == 2 ? 0 : i + 1;
    const double screen = (x[j] - x[i]) * (x[j] - x[i]) + (y[j] - y[i]) * (y[j] - y[i]);
    if (!(screen > 0)) continue;
    const double ds = (static_cast<double>(v[j]->tex[set][0]) - v[i]->tex[set][0]) * w;
    const double dt = (static_cast<double>(v[j]->tex[set][1]) - v[i]->tex[set][1]) * h;
    rho = std::max(rho, (ds * ds + dt * dt) / screen);
  }
  if (!(rho > 0) || !std::isfinite(rho)) return 0.0;
  return 0.5 * std::log2(rho);
}

}  // namespace

void Rasterizer::SetupAttributes(const ScreenVertex* v[3], const double x[3], const double y[3], bool line,
                                 PrimitiveSetup& p) const {
  const DrawState& st = *state_;
  bool xMajor = std::fabs(x[1] - x[0]) >= std::fabs(y[1] - y[0]);
  auto plane = [&](double a0, double a1, double a2) {
    double a[3] = {a0, a1, a2};
    return line ? PlaneAlong(xMajor, x, y, a) : PlaneThrough(x, y, a);
  };
  if (st.perspective) p.q = plane(v[0]->q, v[1]->q, v[2]->q);
  // Thinner than a pixel: twice the area below the longest side.
  const double twiceArea = std::fabs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]));
  double longest = 0;
  for (int i = 0; i < 3; ++i) {
    const int j = i == 2 ? 0 : i + 1;
    longest = std::max(longest, (x[j] - x[i]) * (x[j] - x[i]) + (y[j] - y[i]) * (y[j] - y[i]));
  }
  const bool thin = twiceArea * twiceArea < longest;
  for (int s = 0; s < st.stageCount; ++s) {
    if (!st.stages[s].samples) continue;
    int set = st.stages[s].texCoordSet;
    double w = st.samplers[s].width[0], h = st.samplers[s].height[0];
    double bias = st.perspective ? 0.0 : 0.5;  // texel centres; perspective runs subtract it per pixel
    p.s[s] = plane(v[0]->tex[set][0] * w - bias, v[1]->tex[set][0] * w - bias, v[2]->tex[set][0] * w - bias);
    p.t[s] = plane(v[0]->tex[set][1] * h - bias, v[1]->tex[set][1] * h - bias, v[2]->tex[set][1] * h - bias);
    if (!st.perspective) {
      const double lod = !line && thin ? SideFootprintLod(v, x, y, set, w, h)
                                       : FootprintLod(p.s[s].dx, p.t[s].dx, p.s[s].dy, p.t[s].dy);
      p.lod[s] = ChooseLevels(st.samplers[s], lod);
      SetupAffineLevels(st.samplers[s], s, p);
    }
  }
  p.flatColour = v[0]->packedColour;
  p.gouraud = v[1]->packedColour != p.flatColour || v[2]->packedColour != p.flatColour;
  if (p.gouraud)
    for (int c = 0; c < 4; ++c) p.colour[c] = plane(v[0]->colour[c], v[1]->colour[c], v[2]->colour[c]);
}

void Rasterizer::AddTriangle(int slice, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                             DWORD cullMode) {
  Slice& out = slices_[slice];
  if (!Finite(a) || !Finite(b) || !Finite(c)) return;
  const ScreenVertex* v[3] = {&a, &b, &c};
  int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    X[i] = Snap(static_cast<double>(v[i]->x) * kOne);
    Y[i] = Snap(static_cast<double>(v[i]->y) * kOne);
  }
  const Wide area = Wide{X[1] - X[0]} * (Y[2] - Y[0]) - Wide{X[2] - X[0]} * (Y[1] - Y[0]);
  if (area == 0) return;
  // With y pointing down a positive area is clockwise on screen.
  if ((cullMode == D3DCULL_CW && area > 0) || (cullMode == D3DCULL_CCW && area < 0)) return;
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
  }
  const RECT& clip = state_->clip;
  int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
  int yFirst = static_cast<int>(std::max<int64_t>(CeilPixel(minY), clip.top));
  int yLast = static_cast<int>(std::min<int64_t>(FloorPixel(maxY), clip.bottom - 1));
  if (yFirst > yLast || CeilPixel(minX) >= clip.right || FloorPixel(maxX) < clip.left) return;

  PrimitiveSetup& p = out.prims.emplace_back();
  for (int e = 0; e < 3; ++e) {
    const int next = e == 2 ? 0 : e + 1;
    p.x0[e] = X[e];
    p.y0[e] = Y[e];
    p.dx[e] = X[next] - X[e];
    p.dy[e] = Y[next] - Y[e];
  }
  p.yFirst = yFirst;
  p.yLast = yLast;
  p.xFirst = static_cast<int>(std::max<int64_t>(CeilPixel(minX), clip.left));
  p.xLast = static_cast<int>(std::min<int64_t>(FloorPixel(maxX), clip.right - 1));
  // Attributes follow the vertices' own positions; snapped ones decide only
  // coverage. Snapping moves a thin triangle's corners across a good part of
  // its width, which would tilt its planes: its texels would be read off
  // the mark and its footprint (so its mip level) overstated. A triangle
  // that snapping turned over or out of a line keeps the snapped positions.
  double x[3], y[3];
  for (int i = 0; i < 3; ++i) {
    x[i] = v[i]->x;
    y[i] = v[i]->y;
  }
  if (!((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]) > 0.0)) {
    for (int i = 0; i < 3; ++i) {
      x[i] = static_cast<double>(X[i]) / kOne;
      y[i] = static_cast<double>(Y[i]) / kOne;
    }
  }
  SetupAttributes(v, x, y, false, p);
  // A horizontal top edge owns its row, a bottom edge does not: they only
  // trim the rows the bands are given.
  int first = yFirst, last = yLast;
  for (int e = 0; e < 3; ++e) {
    if (p.dy[e] != 0) continue;
    const int64_t edgeRow = CeilPixel(p.y0[e]);
    if (p.dx[e] > 0) first = static_cast<int>(std::max<int64_t>(first, edgeRow));
    else last = static_cast<int>(std::min<int64_t>(last, edgeRow - 1));
  }
  PlanWalk(p);
  out.rows.push_back({first, last});
  out.area += static_cast<int64_t>((area < 0 ? -area : area) >> (2 * kSubpixelBits + 1)) + (yLast - yFirst + 1);
}

void Rasterizer::PlanWalk(PrimitiveSetup& p) const {
  RowWalk& w = p.walk;
  // The side with two edges is bounded by the upper one down to their shared
  // corner and by the lower one below it: the triangle is convex, so the
  // other edge's line lies outside it there and its bound is never the
  // tighter one (at the corner's own height the two lines meet). Each row
  // then walks one edge a side.
  int leftEdges[2] = {}, rightEdges[2] = {}, leftCount = 0, rightCount = 0;
  for (int e = 0; e < 3; ++e) {
    if (p.dy[e] < 0) leftEdges[leftCount++] = e;
    if (p.dy[e] > 0) rightEdges[rightCount++] = e;
  }
  w.start[0] = static_cast<int8_t>(leftEdges[0]);
  w.start[1] = static_cast<int8_t>(rightEdges[0]);
  w.lower = -1;
  // Edge e runs from corner e to corner e + 1; on the left (dy < 0) it runs
  // upwards, so of two left edges the second ends where the first starts
  // unless they are listed the other way round (edges 2 and 0).
  if (leftCount == 2 || rightCount == 2) {
    const int* pair = leftCount == 2 ? leftEdges : rightEdges;
    const bool wrapped = pair[0] == 0 && pair[1] == 2;
    const int a = wrapped ? pair[1] : pair[0], b = wrapped ? pair[0] : pair[1];  // a ends where b starts
    const int side = leftCount == 2 ? 0 : 1;
    w.start[side] = static_cast<int8_t>(side == 0 ? b : a);  // a left edge climbs, a right edge descends
    w.lower = static_cast<int8_t>(side == 0 ? a : b);
    w.lowerSide = static_cast<int8_t>(side);
    w.corner = static_cast<int>(CeilPixel(p.y0[b]));  // first row at or below the shared corner
  }
  // An edge's bound on a row of its own lies between its ends' columns
  // rounded up, and every row walks an edge spanning it: a triangle whose
  // columns lie inside the clip needs no clamping.
  const RECT& clip = state_->clip;
  w.inside = CeilPixel(std::min({p.x0[0], p.x0[1], p.x0[2]})) >= clip.left &&
             FloorPixel(std::max({p.x0[0], p.x0[1], p.x0[2]})) < clip.right;
  w.limit = BatchLimit(*state_, p);
}

void Rasterizer::RasteriseBand(int top, int bottom, int first, int end) const {
  if (end < 0) end = sliceCount_;
#ifdef CALVETTA_WALK_AVX2
  if (HasAvx2()) return RasteriseBandAvx2(top, bottom, first, end);
#endif
  Segment segments[kBatch];
  for (int slice = first; slice < end; ++slice) {
    const Slice& queued = slices_[slice];
    for (size_t i = 0; i < queued.prims.size(); ++i) {
      const RowRange& rows = queued.rows[i];
      if (rows.last < top || rows.first >= bottom) continue;
      RasterisePrimitive(queued.prims[i], std::max(rows.first, top), std::min(rows.last, bottom - 1), segments);
    }
  }
}

#ifdef CALVETTA_WALK_AVX2
// The same, the triangles' rows tested four at a time: a band of many finds
// few of a mesh's triangles in it, and the tests' branches would follow them.
__attribute__((target("avx2"))) void Rasterizer::RasteriseBandAvx2(int top, int bottom, int first,
                                                                   int end) const {
  Segment segments[kBatch];
  const __m256i bottoms = _mm256_set1_epi32(bottom), topsLess1 = _mm256_set1_epi32(top - 1);
  for (int slice = first; slice < end; ++slice) {
    const Slice& queued = slices_[slice];
    const size_t count = queued.prims.size();
    for (size_t i = 0; i < count; i += 4) {
      unsigned bits = 0;
      if (i + 4 <= count) {
        bits = Overlaps4(&queued.rows[i], bottoms, topsLess1);
      } else {
        for (size_t k = i; k < count; ++k)
          bits |= static_cast<unsigned>(queued.rows[k].last >= top && queued.rows[k].first < bottom) << (k - i);
      }
      for (; bits != 0; bits &= bits - 1) {
        const size_t k = i + static_cast<size_t>(std::countr_zero(bits));
        const RowRange& rows = queued.rows[k];
        RasterisePrimitive(queued.prims[k], std::max(rows.first, top), std::min(rows.last, bottom - 1), segments);
      }
    }
  }
}
#endif

// Rows first .. last of one triangle; rows of small triangles are short, so
// several are shaded as one batch.
void Rasterizer::RasterisePrimitive(const PrimitiveSetup& p, int first, int last, Segment* segments) const {
  const RECT& clip = state_->clip;
  // An empty clip covers nothing; the bounds below clamp into it.
  if (clip.left >= clip.right || first > last) return;
  const RowWalk& w = p.walk;
  const int limit = w.limit;
  // walks[0] bounds the left side, walks[1] the right; the two-edge side
  // restarts on its lower edge at switchRow.
  EdgeWalk walks[2];
  int switchRow = INT_MAX;
  int edges[2] = {w.start[0], w.start[1]};
  const int two = w.lowerSide;
  if (w.lower >= 0) {
    if (first < w.corner) switchRow = w.corner;
    else edges[two] = w.lower;
  }
  walks[0].Start(p, edges[0], first);
  walks[1].Start(p, edges[1], first);
  const int clipLeft = clip.left, clipRight = clip.right;
  const bool inside = w.inside;
  // Each stretch of rows first has both sides' bounds walked into an array
  // (the walks stay in registers), then its runs cut into batches. Stretches
  // end where batches restart, so that test leaves the row loop.
#ifdef CALVETTA_WALK_AVX2
  const bool pairs = inside && HasAvx2();
#endif
  auto fill = [&](int rows, int* out) {  // out: {left, right} of each row
#ifdef CALVETTA_WALK_AVX2
    if (pairs) return FillPairsAvx2(walks[0], walks[1], rows, out);
#endif
    for (int side = 0; side < 2; ++side) {
      if (inside) walks[side].Fill<false>(rows, clipLeft, clipRight, out + side);
      else walks[side].Fill<true>(rows, clipLeft, clipRight, out + side);
    }
  };
  int bounds[kBoundRows][2];
  // The batch so far: segments up to `out`, room for `room` more pixels.
  Segment* out = segments;
  int room = limit;
  const auto shade = [&] {
    ShadeSegments(*state_, p, segments, static_cast<int>(out - segments), limit - room);
    out = segments;
    room = limit;
  };
  // Batches of a primitive whose texels are the same however its runs split
  // (BatchLimit gives those the whole batch) need not restart: their pixels
  // come out the same whatever the bands.
  const bool restarts = batchRows_ != 0 && limit != kBatch;
  int restart = restarts ? first + batchRows_ - (first - clip.top) % batchRows_ : INT_MAX;
  for (int from = first; from <= last;) {
    if (from == restart) {
      restart += batchRows_;
      if (room < limit) shade();
    }
    const int to = std::min({last + 1, from + kBoundRows, restart});  // rows from .. to - 1
    int row = from;
    if (switchRow < to) {
      fill(switchRow - row, bounds[0]);
      row = switchRow;
      walks[two].Start(p, w.lower, row);
      switchRow = INT_MAX;
    }
    fill(to - row, bounds[row - from]);
    for (int y = from; y < to; ++y) {
      int xl = bounds[y - from][0];
      int n = bounds[y - from][1] - xl;
      if (n <= 0) continue;
      if (n < room) {  // the whole run fits the batch with room to spare
        *out++ = Segment{y, xl, n};
        room -= n;
        continue;
      }
      // The run fills the batch (and maybe more): each full batch is shaded
      // as it fills, the rest starts the next.
      while (n >= room) {
        *out++ = Segment{y, xl, room};
        xl += room;
        n -= room;
        room = 0;
        shade();
      }
      if (n > 0) {
        *out++ = Segment{y, xl, n};
        room -= n;
      }
    }
    from = to;
  }
  if (room < limit) shade();
}

void Rasterizer::BandJob(void* self, int band) {
  auto* r = static_cast<Rasterizer*>(self);
  const int top = r->state_->clip.top + band * r->bandHeight_;
  const int bottom = std::min<int>(top + r->bandHeight_, r->state_->clip.bottom);
  r->FillBand(top, bottom);
  r->RasteriseBand(top, bottom);
}

void Rasterizer::Flush() {
  if (rasterised_) {
    rasterised_ = false;
    return;
  }
  ChooseBatchRows();
  const RECT& clip = state_->clip;
  if (area_ == 0 || batchRows_ == 0) {
    FillWhole();
    if (area_ > 0) RasteriseBand(clip.top, clip.bottom);
    return;
  }
  PlanBands(WorkerPool::Instance().ThreadCount());
  WorkerPool::Instance().Run(bandCount_, &Rasterizer::BandJob, this);
}

void Rasterizer::DrawLine(const ScreenVertex& a, const ScreenVertex& b) {
  if (!Finite(a) || !Finite(b)) return;
  const ScreenVertex* v[3] = {&a, &b, &b};
  double x[3] = {a.x, b.x, b.x}, y[3] = {a.y, b.y, b.y};
  bool xMajor = std::fabs(x[1] - x[0]) >= std::fabs(y[1] - y[0]);
  const RECT& clip = state_->clip;
  // The line's pixels lie within a pixel of its rounded ends; the attribute
  // setup checks its fixed-point planes over that box.
  auto rounded = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
  PrimitiveSetup p;
  p.xFirst = std::max(rounded(std::min(x[0], x[1])) - 1, static_cast<int>(clip.left));
  p.xLast = std::min(rounded(std::max(x[0], x[1])) + 1, static_cast<int>(clip.right) - 1);
  p.yFirst = std::max(rounded(std::min(y[0], y[1])) - 1, static_cast<int>(clip.top));
  p.yLast = std::min(rounded(std::max(y[0], y[1])) + 1, static_cast<int>(clip.bottom) - 1);
  if (p.xFirst > p.xLast || p.yFirst > p.yLast) return;
  SetupAttributes(v, x, y, true, p);
  double major0 = xMajor ? x[0] : y[0], major1 = xMajor ? x[1] : y[1];
  double minor0 = xMajor ? y[0] : x[0], minor1 = xMajor ? y[1] : x[1];
  double slope = major1 != major0 ? (minor1 - minor0) / (major1 - major0) : 0.0;
  int from = static_cast<int>(std::floor(std::min(major0, major1) + 0.5));
  int to = static_cast<int>(std::floor(std::max(major0, major1) + 0.5));
  from = std::max(from, static_cast<int>(xMajor ? clip.left : clip.top));
  to = std::min(to, static_cast<int>(xMajor ? clip.right : clip.bottom) - 1);
  for (int m = from; m <= to; ++m) {
    int n = static_cast<int>(std::floor(minor0 + (m - major0) * slope + 0.5));
    int px = xMajor ? m : n, py = xMajor ? n : m;
    if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) continue;
    ShadeSpan(*state_, p, py, px, px + 1);
  }
}

}  // namespace compat::d3d9
