// Texture sampling: texel centres at (i + 0.5) / size, so a coordinate s in
// texels is u * size - 0.5; POINT takes floor(s + 0.5), LINEAR blends the
// 2 x 2 texels around s with 8-bit weights (an integral s copies exactly).
// Runs are split so that footprints wholly inside the texture take loops
// without addressing; only the few at the borders wrap or clamp.
#include "compat/d3d9/sampling.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/texture_filters.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_X86 1
#endif

namespace compat::d3d9 {

namespace {

constexpr double kCoordLimit = 1 << 22;      // texels; keeps 24.8 values inside int32
constexpr double kGradientLimit = 1 << 22;   // texels per pixel
constexpr int kPlaneBits = 24;               // fraction bits of FixedPlane
constexpr int64_t kSmallRun = int64_t{1} << 37;  // 8192 texels in 40.24: 16.16 fits int32

// Texel coordinates of a run in 24.8 fixed point, with room for the
// sixteen-lane stores of a run starting at the last pixel.
struct Coords {
  int32_t s[kBatch + 16], t[kBatch + 16];
};

// v rounded to an integer in the current rounding mode, as nearbyint and
// lrint round, for |v| < 2^63: one instruction where the library's are calls.
inline int64_t RoundToInt(double v) {
#ifdef __x86_64__
  return _mm_cvtsd_si64(_mm_set_sd(v));
#else
  return std::llrint(v);
#endif
}

// Fixed point with `bits` fraction bits; NaN and huge values land on the limits.
int64_t ToFixed(double v, int bits, double limit) {
  double scale = static_cast<double>(int64_t{1} << bits);
  double f = v * scale;
  double l = limit * scale;
  if (!(f > -l)) f = -l;
  if (f > l) f = l;
  return RoundToInt(f);
}

int32_t ClampFixed8(int64_t v) {
  constexpr int64_t kLimit = static_cast<int64_t>(kCoordLimit) << 8;
  return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit));
}

// --- coordinates ---

// A 16.16 ramp start + step * i, shifted to 24.8.
inline void RampBody(int32_t start, int32_t step, int n, int32_t* __restrict out) {
  for (int i = 0; i < n; ++i) out[i] = (start + step * i) >> 8;
}

#ifdef CALVETTA_X86
__attribute__((target("avx2"))) void RampAvx2(int32_t start, int32_t step, int n, int32_t* out) {
  __m256i v = _mm256_add_epi32(_mm256_set1_epi32(start),
                               _mm256_mullo_epi32(_mm256_set1_epi32(step), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
  // Lanes past the run may wrap around; only lanes inside it are kept.
  const __m256i eight = _mm256_slli_epi32(_mm256_set1_epi32(step), 3);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_srai_epi32(v, 8));
    v = _mm256_add_epi32(v, eight);
  }
  RampBody(start + step * i, step, n - i, out + i);
}
#endif

void Ramp(int32_t start, int32_t step, int n, int32_t* out) {
#ifdef CALVETTA_X86
  if (HasAvx2()) return RampAvx2(start, step, n, out);
#endif
  RampBody(start, step, n, out);
}

// Affine run from exact 40.24 planes: each run starts exact and steps in 16.16.
void AffineCoords(const FixedPlane& ps, const FixedPlane& pt, bool wrapU, bool wrapV, int w, int h, int x, int y,
                  int n, int32_t* cs, int32_t* ct) {
  int64_t s = ps.c + ps.dx * x + ps.dy * y;
  int64_t t = pt.c + pt.dx * x + pt.dy * y;
  // Wrapping repeats every size texels: start inside the first period.
  int64_t periodU = int64_t{w} << kPlaneBits, periodV = int64_t{h} << kPlaneBits;
  if (wrapU && (s < 0 || s >= periodU)) s = (s % periodU + periodU) % periodU;
  if (wrapV && (t < 0 || t >= periodV)) t = (t % periodV + periodV) % periodV;
  int64_t sEnd = s + ps.dx * n, tEnd = t + pt.dx * n;
  bool small = std::max({std::llabs(s), std::llabs(t), std::llabs(sEnd), std::llabs(tEnd)}) < kSmallRun;
  if (small) {
    constexpr int kShift = kPlaneBits - 16;
    int32_t s16 = static_cast<int32_t>(s >> kShift) + 128, t16 = static_cast<int32_t>(t >> kShift) + 128;
    int32_t ds = static_cast<int32_t>(ps.dx >> kShift), dt = static_cast<int32_t>(pt.dx >> kShift);
    Ramp(s16, ds, n, cs);
    Ramp(t16, dt, n, ct);
    return;
  }
  constexpr int kShift = kPlaneBits - 8;
  for (int i = 0; i < n; ++i) {
    cs[i] = ClampFixed8((s + (int64_t{1} << (kShift - 1))) >> kShift);
    ct[i] = ClampFixed8((t + (int64_t{1} << (kShift - 1))) >> kShift);
    s += ps.dx;
    t += pt.dx;
  }
}

// Perspective run: u = (u q) / q per pixel. Left unwrapped so that the run
// stays monotone; the addressed filters wrap what lies outside.
void PerspectiveCoords(const PrimitiveSetup& prim, int stage, double kx, double ky, int x, int y, int n,
                       int32_t* cs, int32_t* ct) {
  for (int i = 0; i < n; ++i) {
    double q = prim.q.At(x + i, y);
    double s = prim.s[stage].At(x + i, y) / q * kx - 0.5;
    double t = prim.t[stage].At(x + i, y) / q * ky - 0.5;
    cs[i] = static_cast<int32_t>(ToFixed(s, 8, kCoordLimit));
    ct[i] = static_cast<int32_t>(ToFixed(t, 8, kCoordLimit));
  }
}

// Whether pixel i's footprint lies wholly inside the texture.
inline bool Inside(const int32_t* s, const int32_t* t, int i, int w, int h, bool linear) {
  int bias = linear ? 0 : 128, margin = linear ? 2 : 1;
  return s[i] >= -bias && t[i] >= -bias && ((s[i] + bias) >> 8) <= w - margin && ((t[i] + bias) >> 8) <= h - margin;
}


// Whether each of eight pixels' footprints lies wholly inside the texture,
// as Inside decides: bit k for pixel i + k. Per axis, v >= -bias and
// (v + bias) >> 8 <= size - margin is 0 <= v + bias < (size - margin + 1) << 8,
// one unsigned comparison (signed, with the top bits flipped): the limits
// hold those bounds less one, flipped, for s and t. `any`: false when the
// texture is too small for any footprint.
struct InsideLimits {
  int32_t bias, s, t;
  bool any;
};

inline InsideLimits MakeInsideLimits(int w, int h, bool linear) {
  const int bias = linear ? 0 : 128, margin = linear ? 2 : 1;
  auto bound = [&](int size) {
    return static_cast<int32_t>(((static_cast<uint32_t>(std::max(size - margin + 1, 0)) << 8) - 1) ^ 0x80000000u);
  };
  return InsideLimits{bias, bound(w), bound(h), w >= margin && h >= margin};
}

inline unsigned InsideMask8(const int32_t* s, const int32_t* t, int i, const InsideLimits& l) {
#ifdef __SSE2__
  const __m128i flip = _mm_set1_epi32(static_cast<int32_t>(0x80000000u + static_cast<uint32_t>(l.bias)));
  const __m128i ls = _mm_set1_epi32(l.s), lt = _mm_set1_epi32(l.t);
  unsigned mask = 0;
  for (int half = 0; half < 2; ++half) {
    const __m128i sv = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4 * half)), flip);
    const __m128i tv = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 4 * half)), flip);
    const __m128i out = _mm_or_si128(_mm_cmpgt_epi32(sv, ls), _mm_cmpgt_epi32(tv, lt));
    mask |= static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(out))) << (4 * half);
  }
  return ~mask & 0xFFu;
#else
  unsigned mask = 0;
  for (int k = 0; k < 8; ++k) {
    const uint32_t sv = static_cast<uint32_t>(s[i + k] + l.bias) ^ 0x80000000u;
    const uint32_t tv = static_cast<uint32_t>(t[i + k] + l.bias) ^ 0x80000000u;
    mask |= static_cast<unsigned>(static_cast<int32_t>(sv) <= l.s && static_cast<int32_t>(tv) <= l.t) << k;
  }
  return mask;
#endif
}

#ifdef CALVETTA_X86
__attribute__((target("avx2"))) inline unsigned InsideMask8Avx2(const int32_t* s, const int32_t* t, int i,
                                                                const InsideLimits& l) {
  const __m256i flip = _mm256_set1_epi32(static_cast<int32_t>(0x80000000u + static_cast<uint32_t>(l.bias)));
  const __m256i sv = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)), flip);
  const __m256i tv = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i)), flip);
  const __m256i out =
      _mm256_or_si256(_mm256_cmpgt_epi32(sv, _mm256_set1_epi32(l.s)), _mm256_cmpgt_epi32(tv, _mm256_set1_epi32(l.t)));
  return ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(out))) & 0xFFu;
}
#endif

// A batch's pixels whose footprints reach outside the texture, their
// coordinates gathered, and the first pixel inside (-1: none).
struct EdgePixels {
  int32_t s[kBatch], t[kBatch];
  uint16_t where[kBatch];
  int count = 0, inside = -1;
};

// Adds the pixels i + k of the bits k of `outside` to the gathered ones.
inline void Gather(unsigned outside, int i, const Coords& c, EdgePixels& e, int& count) {
  for (; outside != 0; outside &= outside - 1) {
    const int at = i + __builtin_ctz(outside);
    e.s[count] = c.s[at];
    e.t[count] = c.t[at];
    e.where[count++] = static_cast<uint16_t>(at);
  }
}

// The pixels of eight from i that a batch of `pixels` holds.
inline unsigned Valid8(int pixels, int i) { return pixels - i < 8 ? (1u << (pixels - i)) - 1 : 0xFFu; }

// The pixels outside and the first inside, eight at a time by `Mask`. Inlined
// into each caller, so that the AVX2 caller's mask is compiled for AVX2 too.
template <unsigned (*Mask)(const int32_t*, const int32_t*, int, const InsideLimits&)>
__attribute__((always_inline)) inline void SortPixelsBy(const Coords& c, int pixels, const InsideLimits& limits,
                                                        EdgePixels& e) {
  int count = 0, inside = -1;
  for (int i = 0; i < pixels; i += 8) {
    const unsigned valid = Valid8(pixels, i), in = limits.any ? Mask(c.s, c.t, i, limits) & valid : 0;
    if (inside < 0 && in != 0) inside = i + __builtin_ctz(in);
    Gather(~in & valid, i, c, e, count);
  }
  e.count = count;
  e.inside = inside;
}

void SortPixels(const Coords& c, int pixels, const InsideLimits& limits, EdgePixels& e) {
  SortPixelsBy<InsideMask8>(c, pixels, limits, e);
}

#ifdef CALVETTA_X86
__attribute__((target("avx2"))) void SortPixelsAvx2(const Coords& c, int pixels, const InsideLimits& limits,
                                                     EdgePixels& e) {
  SortPixelsBy<InsideMask8Avx2>(c, pixels, limits, e);
}
#endif

// A batch of runs not all inside, where each pixel's texel depends on its own
// coordinates alone: the pixels outside are gathered and filtered through
// addressing in one call, aside, then take the footprint of a pixel inside,
// so that the whole batch goes through one interior loop, and are put back.
// Runs at a texture's edge are often a few pixels long: this takes two loops
// a batch where each run would take up to three. Overwrites the outside
// pixels' coordinates (the stored ones past the batch are read, not used).
void FilterEdges(const SamplerSetup& sampler, int level, bool linear, int pixels, Coords& c, uint32_t* out) {
  const uint32_t* tex = sampler.pixels[level];
  const int w = sampler.width[level], h = sampler.height[level];
  const InsideLimits limits = MakeInsideLimits(w, h, linear);
  EdgePixels e;
#ifdef CALVETTA_X86
  if (HasAvx2())
    SortPixelsAvx2(c, pixels, limits, e);
  else
#endif
    SortPixels(c, pixels, limits, e);
  uint32_t aside[kBatch];
  PickAddressed(linear, sampler.wrapU, sampler.wrapV, w, h)(tex, w, h, e.s, e.t, e.count, aside);
  if (e.inside >= 0) {
    for (int k = 0; k < e.count; ++k) {
      c.s[e.where[k]] = c.s[e.inside];
      c.t[e.where[k]] = c.t[e.inside];
    }
    PickInterior(linear)(tex, w, c.s, c.t, pixels, out);
  }
  for (int k = 0; k < e.count; ++k) out[e.where[k]] = aside[k];
}

// A batch whose every segment lies inside (`allInside`) goes through one
// interior loop, or one per run when the runs follow texel rows (`rowRuns`:
// affine, t constant along x); otherwise its pixels are sorted one by one.
void Filter(const SamplerSetup& sampler, int level, bool linear, bool rowRuns, const BatchPixels& batch, Coords& c,
            bool allInside, uint32_t* out) {
  int w = sampler.width[level];
  if (allInside && rowRuns) {
    InteriorKernel row = PickRowInterior(linear);
    for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k)
      row(sampler.pixels[level], w, c.s + at, c.t + at, batch.segments[k].n, out + at);
    return;
  }
  if (allInside) {
    PickInterior(linear)(sampler.pixels[level], w, c.s, c.t, batch.pixels, out);
    return;
  }
  FilterEdges(sampler, level, linear, batch.pixels, c, out);
}

// Whether the first and last pixels of every segment lie inside: all of them
// do when each segment is monotone.
bool EndsInside(const SamplerSetup& sampler, int level, bool linear, const BatchPixels& batch, const Coords& c) {
  int w = sampler.width[level], h = sampler.height[level];
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k)
    if (!Inside(c.s, c.t, at, w, h, linear) || !Inside(c.s, c.t, at + batch.segments[k].n - 1, w, h, linear))
      return false;
  return true;
}

// Level choice of a perspective run, from the derivatives at its middle pixel.
LevelChoice PerspectiveLevels(const SamplerSetup& sampler, const PrimitiveSetup& prim, int stage, double x,
                              double y) {
  const Plane& ps = prim.s[stage];
  const Plane& pt = prim.t[stage];
  double q = prim.q.At(x, y);
  double u = ps.At(x, y) / q, v = pt.At(x, y) / q;
  double dsdx = (ps.dx - u * prim.q.dx) / q, dsdy = (ps.dy - u * prim.q.dy) / q;
  double dtdx = (pt.dx - v * prim.q.dx) / q, dtdy = (pt.dy - v * prim.q.dy) / q;
  return ChooseLevels(sampler, FootprintLod(dsdx, dtdx, dsdy, dtdy));
}

// Extremes of a batch's 24.8 coordinates, or bounds around them.
struct Range {
  int32_t low, high;
};

inline void Widen(Range& range, int32_t first, int32_t last) {
  range.low = std::min(range.low, std::min(first, last));
  range.high = std::max(range.high, std::max(first, last));
}

// The extremes of what a small primitive's 16.16 plane gives over its
// bounding box (a plane takes them at the corners): bounds for any batch.
inline Range SmallRange(const SmallPlane& p, const PrimitiveSetup& prim) {
  int64_t c = int64_t{p.c} + 128;
  int64_t ex = int64_t{p.dx} * (prim.xLast - prim.xFirst), ey = int64_t{p.dy} * (prim.yLast - prim.yFirst);
  int64_t low = c + std::min<int64_t>(ex, 0) + std::min<int64_t>(ey, 0);
  int64_t high = c + std::max<int64_t>(ex, 0) + std::max<int64_t>(ey, 0);
  return Range{static_cast<int32_t>(low >> 8), static_cast<int32_t>(high >> 8)};
}

// The extremes of a batch's stored coordinates, at its segments' ends (each
// segment is monotone), both coordinates in one pass.
void EndsRanges(const Coords& c, const BatchPixels& batch, Range& sRange, Range& tRange) {
  Range sr{INT32_MAX, INT32_MIN}, tr{INT32_MAX, INT32_MIN};
  for (int k = 0, at = 0; k < batch.count; ++k) {
    const int last = at + batch.segments[k].n - 1;
    Widen(sr, c.s[at], c.s[last]);
    Widen(tr, c.t[at], c.t[last]);
    at = last + 1;
  }
  sRange = sr;
  tRange = tr;
}

// 24.8 coordinates of a batch of a small primitive, segment by segment from
// its 16.16 plane relative to the primitive's top-left pixel.
inline void SmallCoordsBody(const SmallPlane& p, const PrimitiveSetup& prim, const Segment* segments, int count,
                            int32_t* __restrict out) {
  const int32_t c = p.c + 128, gx = p.dx, gy = p.dy;
  for (int k = 0, at = 0; k < count; at += segments[k].n, ++k) {
    const Segment& g = segments[k];
    int32_t base = c + gx * (g.x - prim.xFirst) + gy * (g.y - prim.yFirst);
    int32_t* o = out + at;
    for (int i = 0; i < g.n; ++i) o[i] = (base + gx * i) >> 8;
  }
}

#ifdef CALVETTA_X86
// A coordinate's steps for one pixel in each lane and for eight pixels.
struct RampLanes {
  __m256i step, eight;
};

__attribute__((target("avx2"))) inline RampLanes MakeRampLanes(int32_t step) {
  const __m256i index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  return RampLanes{_mm256_mullo_epi32(_mm256_set1_epi32(step), index), _mm256_slli_epi32(_mm256_set1_epi32(step), 3)};
}

// Several coordinates of one segment from their values at its start: each
// one's first sixteen pixels take two stores whatever the segment's length
// (the batch's room after it absorbs the excess), so the short runs of small
// primitives take no data-dependent branch; the rest eight at a time, all
// coordinates in one loop.
template <int kCount>
__attribute__((target("avx2"))) inline void StoreRamps(const int32_t* bases, const RampLanes* lanes, int n,
                                                      int32_t* const* out) {
  __m256i w[kCount];
#pragma GCC unroll 4
  for (int k = 0; k < kCount; ++k) {
    const __m256i v = _mm256_add_epi32(_mm256_set1_epi32(bases[k]), lanes[k].step);
    w[k] = _mm256_add_epi32(v, lanes[k].eight);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[k]), _mm256_srai_epi32(v, 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[k] + 8), _mm256_srai_epi32(w[k], 8));
  }
  for (int i = 16; i < n; i += 8) {
#pragma GCC unroll 4
    for (int k = 0; k < kCount; ++k) {
      w[k] = _mm256_add_epi32(w[k], lanes[k].eight);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[k] + i), _mm256_srai_epi32(w[k], 8));
    }
  }
}

// Running extremes of kCount coordinates at their segments' ends, from the
// lanes of their values at a segment's first and last pixels: one vector per
// two coordinates, lanes (first, last, first, last).
template <int kCount>
struct EndsLanes {
  __m128i low[kCount / 2], high[kCount / 2];
};

template <int kCount>
__attribute__((target("avx2"))) inline EndsLanes<kCount> StartEnds() {
  EndsLanes<kCount> e;
  for (int p = 0; p < kCount / 2; ++p) {
    e.low[p] = _mm_set1_epi32(INT32_MAX);
    e.high[p] = _mm_set1_epi32(INT32_MIN);
  }
  return e;
}

template <int kCount>
__attribute__((target("avx2"))) inline void WidenEnds(EndsLanes<kCount>& e, __m128i first, __m128i last) {
#pragma GCC unroll 2
  for (int p = 0; p < kCount / 2; ++p) {
    const __m128i v =
        _mm_srai_epi32(p == 0 ? _mm_unpacklo_epi32(first, last) : _mm_unpackhi_epi32(first, last), 8);
    e.low[p] = _mm_min_epi32(e.low[p], v);
    e.high[p] = _mm_max_epi32(e.high[p], v);
  }
}

template <int kCount>
__attribute__((target("avx2"))) inline void EndRanges(const EndsLanes<kCount>& e, Range* ends) {
  for (int p = 0; p < kCount / 2; ++p) {
    const __m128i low = _mm_min_epi32(e.low[p], _mm_shuffle_epi32(e.low[p], 0xB1));
    const __m128i high = _mm_max_epi32(e.high[p], _mm_shuffle_epi32(e.high[p], 0xB1));
    ends[2 * p] = Range{_mm_extract_epi32(low, 0), _mm_extract_epi32(high, 0)};
    ends[2 * p + 1] = Range{_mm_extract_epi32(low, 2), _mm_extract_epi32(high, 2)};
  }
}

// Several coordinates of a small primitive's batch (both of one level, or
// of two levels) in one pass over the segments. Each plane's value at a
// segment's start is taken in unsigned (modular) arithmetic from its value at
// column 0, row 0: the same bits as from the primitive's top-left pixel,
// since the result fits 32 bits. With kEnds, also the extremes of each
// coordinate at its segments' ends: pixels 0 and n - 1 of a ramp are
// base >> 8 and (base + dx (n - 1)) >> 8 in the same modular arithmetic as
// the stored lanes, so the bits EndsRanges would read back from the stores.
template <int kCount, bool kEnds>
__attribute__((target("avx2"))) void SmallRampsAvx2(const SmallPlane* const (&planes)[kCount],
                                                    const PrimitiveSetup& prim, const Segment* segments, int count,
                                                    int32_t* const (&outs)[kCount], Range* ends) {
  static_assert(kCount == 2 || kCount == 4);
  // The planes' constants as lanes, so that a segment's bases take one
  // vector step (32-bit lane products: the same modular arithmetic).
  alignas(16) uint32_t c[4] = {}, dx[4] = {}, dy[4] = {};
  RampLanes lanes[kCount];
  int32_t* out[kCount];
  const uint32_t x0 = static_cast<uint32_t>(prim.xFirst), y0 = static_cast<uint32_t>(prim.yFirst);
#pragma GCC unroll 4
  for (int k = 0; k < kCount; ++k) {
    const SmallPlane& p = *planes[k];
    dx[k] = static_cast<uint32_t>(p.dx);
    dy[k] = static_cast<uint32_t>(p.dy);
    c[k] = static_cast<uint32_t>(p.c) + 128 - dx[k] * x0 - dy[k] * y0;
    lanes[k] = MakeRampLanes(p.dx);
    out[k] = outs[k];
  }
  const __m128i cv = _mm_load_si128(reinterpret_cast<const __m128i*>(c));
  const __m128i dxv = _mm_load_si128(reinterpret_cast<const __m128i*>(dx));
  const __m128i dyv = _mm_load_si128(reinterpret_cast<const __m128i*>(dy));
  EndsLanes<kCount> e = StartEnds<kCount>();
  int offset = 0;
  for (const Segment *g = segments, *end = segments + count; g != end; ++g) {
    const int n = g->n;
    const __m128i base = _mm_add_epi32(_mm_add_epi32(cv, _mm_mullo_epi32(dxv, _mm_set1_epi32(g->x))),
                                       _mm_mullo_epi32(dyv, _mm_set1_epi32(g->y)));
    alignas(16) int32_t bases[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(bases), base);
    int32_t* at[kCount];
#pragma GCC unroll 4
    for (int k = 0; k < kCount; ++k) at[k] = out[k] + offset;
    StoreRamps<kCount>(bases, lanes, n, at);
    if constexpr (kEnds) WidenEnds(e, base, _mm_add_epi32(base, _mm_mullo_epi32(dxv, _mm_set1_epi32(n - 1))));
    offset += n;
  }
  if constexpr (kEnds) EndRanges(e, ends);
}
#endif

// Whether every run AffineCoords makes over the primitive's bounding box
// starts inside the first period (or does not wrap) and stays within 16.16
// bits, so that it is a plain 16.16 ramp from its exact start; if so, bounds
// around the 24.8 values of those ramps. Checked at the box's corners (and
// one column past it, where the runs' ends are checked), which hold a
// plane's extremes. A ramp's 16.16 value at pixel i is the exact value
// s / 2^8 + 128 less under 1 + i (the start and the step are rounded down),
// so for i < 256 its 24.8 value is floor of the exact one or one below it.
inline bool AffineBox(const FixedPlane& p, bool wrap, int size, const PrimitiveSetup& prim, Range& range) {
  int64_t c = p.c + p.dx * prim.xFirst + p.dy * prim.yFirst;
  int64_t ex = p.dx * (prim.xLast + 1 - prim.xFirst), ey = p.dy * (prim.yLast - prim.yFirst);
  int64_t low = c + std::min<int64_t>(ex, 0) + std::min<int64_t>(ey, 0);
  int64_t high = c + std::max<int64_t>(ex, 0) + std::max<int64_t>(ey, 0);
  if (!(low > -kSmallRun && high < kSmallRun)) return false;
  if (wrap && (low < 0 || high >= (int64_t{size} << kPlaneBits))) return false;
  constexpr int64_t kHalf = int64_t{1} << 15;
  range = Range{static_cast<int32_t>(((low + kHalf) >> 16) - 1), static_cast<int32_t>((high + kHalf) >> 16)};
  return true;
}

// Both coordinates of an affine batch, run by run as AffineCoords makes them,
// with their extremes (each run is monotone).
__attribute__((noinline)) void AffineCoordPairBody(const FixedPlane& ps, const FixedPlane& pt, bool wrapU,
                                                   bool wrapV, int w, int h,
                         const BatchPixels& batch, int32_t* cs, int32_t* ct, Range& sRange, Range& tRange) {
  Range sr{INT32_MAX, INT32_MIN}, tr{INT32_MAX, INT32_MIN};
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k) {
    const Segment& g = batch.segments[k];
    AffineCoords(ps, pt, wrapU, wrapV, w, h, g.x, g.y, g.n, cs + at, ct + at);
    Widen(sr, cs[at], cs[at + g.n - 1]);
    Widen(tr, ct[at], ct[at + g.n - 1]);
  }
  sRange = sr;
  tRange = tr;
}

#ifdef CALVETTA_X86
// One constant of up to four planes, its 64-bit values split into 32-bit
// lanes: bits 8 .. 39 (the low bits of a >> 8, whichever shift) and 0 .. 7.
template <int kCount>
__attribute__((target("avx2"))) inline void SplitTerms(const FixedPlane* const (&planes)[kCount],
                                                      int64_t FixedPlane::*term, __m128i& high, __m128i& low) {
  const __m256i v = kCount == 4 ? _mm256_setr_epi64x(planes[0]->*term, planes[1]->*term, planes[kCount / 2]->*term,
                                                     planes[kCount - 1]->*term)
                                : _mm256_setr_epi64x(planes[0]->*term, planes[1]->*term, 0, 0);
  const __m256i pick = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  high = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_srli_epi64(v, 8), pick));
  low = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_and_si256(v, _mm256_set1_epi64x(255)), pick));
}

// The same for a primitive whose box AffineBox passed: every run a plain
// ramp stored by StoreRamps, the extremes known in advance; several
// coordinates in one pass (both of one level, or of two levels). With kEnds,
// also the extremes at the segments' ends, made as SmallRampsAvx2 makes them.
// A run starts at floor(p(x, y) / 2^8) + 128 in 16.16, of which only the low
// 32 bits are kept: with each 40.24 constant split as a = 2^8 a_h + a_l
// (0 <= a_l < 2^8), floor(p / 2^8) = c_h + dx_h x + dy_h y +
// floor((c_l + dx_l x + dy_l y) / 2^8), whose first terms may be taken in
// 32-bit modular arithmetic and whose last fits 32 bits (pixel columns and
// rows below 2^22): every coordinate's start in one vector step.
template <int kCount, bool kEnds>
__attribute__((target("avx2"))) void AffineRampsAvx2(const FixedPlane* const (&planes)[kCount],
                                                     const BatchPixels& batch, int32_t* const (&outs)[kCount],
                                                     Range* ends) {
  static_assert(kCount == 2 || kCount == 4);
  constexpr int kShift = kPlaneBits - 16;
  static_assert(kShift == 8);
  static_assert(kMaxSurfaceSide < (1 << 22), "pixel columns and rows must stay below 2^22");
  RampLanes lanes[kCount];
  int32_t* out[kCount];
#pragma GCC unroll 4
  for (int k = 0; k < kCount; ++k) {
    lanes[k] = MakeRampLanes(static_cast<int32_t>(planes[k]->dx >> kShift));
    out[k] = outs[k];
  }
  __m128i ch, cl, dxh, dxl, dyh, dyl;
  SplitTerms(planes, &FixedPlane::c, ch, cl);
  SplitTerms(planes, &FixedPlane::dx, dxh, dxl);
  SplitTerms(planes, &FixedPlane::dy, dyh, dyl);
  ch = _mm_add_epi32(ch, _mm_set1_epi32(128));
  const __m128i stepv = dxh;  // each coordinate's 16.16 step
  EndsLanes<kCount> e = StartEnds<kCount>();
  int offset = 0;
  for (const Segment *g = batch.segments, *end = g + batch.count; g != end; ++g) {
    const __m128i x = _mm_set1_epi32(g->x), y = _mm_set1_epi32(g->y);
    const __m128i whole = _mm_add_epi32(_mm_add_epi32(ch, _mm_mullo_epi32(dxh, x)), _mm_mullo_epi32(dyh, y));
    const __m128i part = _mm_add_epi32(_mm_add_epi32(cl, _mm_mullo_epi32(dxl, x)), _mm_mullo_epi32(dyl, y));
    const __m128i base = _mm_add_epi32(whole, _mm_srai_epi32(part, kShift));
    alignas(16) int32_t bases[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(bases), base);
    int32_t* at[kCount];
#pragma GCC unroll 4
    for (int k = 0; k < kCount; ++k) at[k] = out[k] + offset;
    StoreRamps<kCount>(bases, lanes, g->n, at);
    if constexpr (kEnds) WidenEnds(e, base, _mm_add_epi32(base, _mm_mullo_epi32(stepv, _mm_set1_epi32(g->n - 1))));
    offset += g->n;
  }
  if constexpr (kEnds) EndRanges(e, ends);
}
#endif

// Coordinates of an affine batch and bounds around them.
void AffineCoordPair(const SamplerSetup& sampler, int level, const FixedPlane& ps, const FixedPlane& pt,
                     const PrimitiveSetup& prim, const BatchPixels& batch, int32_t* cs, int32_t* ct, Range& sRange,
                     Range& tRange) {
  int w = sampler.width[level], h = sampler.height[level];
#ifdef CALVETTA_X86
  if (HasAvx2() && AffineBox(ps, sampler.wrapU, w, prim, sRange) && AffineBox(pt, sampler.wrapV, h, prim, tRange)) {
    const FixedPlane* const planes[2] = {&ps, &pt};
    int32_t* const outs[2] = {cs, ct};
    return AffineRampsAvx2<2, false>(planes, batch, outs, nullptr);
  }
#endif
  AffineCoordPairBody(ps, pt, sampler.wrapU, sampler.wrapV, w, h, batch, cs, ct, sRange, tRange);
}

// Whether every footprint lies inside, from the extremes of each coordinate
// (the conditions are per axis and monotone in each).
bool RangeInside(const SamplerSetup& sampler, int level, bool linear, Range sRange, Range tRange) {
  int w = sampler.width[level], h = sampler.height[level];
  int32_t extremes[2][2] = {{sRange.low, sRange.high}, {tRange.low, tRange.high}};
  return Inside(extremes[0], extremes[1], 0, w, h, linear) && Inside(extremes[0], extremes[1], 1, w, h, linear);
}

// The same from the extremes at the batch's segments' ends.
bool EndsInsideRange(const SamplerSetup& sampler, int level, bool linear, const BatchPixels& batch,
                     const Coords& c) {
  Range sRange, tRange;
  EndsRanges(c, batch, sRange, tRange);
  return RangeInside(sampler, level, linear, sRange, tRange);
}

// Both coordinates of a small primitive's batch; whether every footprint lies
// inside, from the primitive's box bounds or else the segments' ends.
bool SmallCoordPair(const SamplerSetup& sampler, int level, bool linear, const SmallPlane& ps, const SmallPlane& pt,
                    const PrimitiveSetup& prim, bool boxInside, const BatchPixels& batch, Coords& c) {
#ifdef CALVETTA_X86
  if (HasAvx2()) {
    const SmallPlane* const planes[2] = {&ps, &pt};
    int32_t* const outs[2] = {c.s, c.t};
    if (boxInside) {
      SmallRampsAvx2<2, false>(planes, prim, batch.segments, batch.count, outs, nullptr);
      return true;
    }
    Range ends[2];
    SmallRampsAvx2<2, true>(planes, prim, batch.segments, batch.count, outs, ends);
    return RangeInside(sampler, level, linear, ends[0], ends[1]);
  }
#endif
  SmallCoordsBody(ps, prim, batch.segments, batch.count, c.s);
  SmallCoordsBody(pt, prim, batch.segments, batch.count, c.t);
  return boxInside || EndsInsideRange(sampler, level, linear, batch, c);
}

// A level mapped one to one onto the pixels: texel centres fall on pixel
// centres, so every filter returns the texel itself and rows are copied.
// False when a segment reaches outside the texture (addressing decides there).
bool CopyTexels(const PrimitiveSetup& prim, int stage, int slot, const SamplerSetup& sampler, int level,
                const BatchPixels& batch, uint32_t* out) {
  const FixedPlane& ps = prim.levelS[stage][slot];
  const FixedPlane& pt = prim.levelT[stage][slot];
  int w = sampler.width[level], h = sampler.height[level];
  for (int k = 0; k < batch.count; ++k) {
    const Segment& g = batch.segments[k];
    int64_t sx = (ps.c >> kPlaneBits) + g.x, ty = (pt.c >> kPlaneBits) + g.y;
    if (sx < 0 || ty < 0 || sx + g.n > w || ty >= h) return false;
  }
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k) {
    const Segment& g = batch.segments[k];
    int64_t sx = (ps.c >> kPlaneBits) + g.x, ty = (pt.c >> kPlaneBits) + g.y;
    std::memcpy(out + at, sampler.pixels[level] + ty * w + sx, static_cast<size_t>(g.n) * 4);
  }
  return true;
}

}  // namespace

bool DirectTexels(const DrawState& state, const PrimitiveSetup& prim, int stage, const BatchPixels& batch,
                  const uint32_t** rows) {
  const SamplerSetup& sampler = state.samplers[stage];
  const LevelChoice& choice = prim.lod[stage];
  if (state.perspective || sampler.opaque || choice.blend > 0 || !prim.unitStep[stage][0]) return false;
  const FixedPlane& ps = prim.levelS[stage][0];
  const FixedPlane& pt = prim.levelT[stage][0];
  int level = choice.level0, w = sampler.width[level], h = sampler.height[level];
  for (int k = 0; k < batch.count; ++k) {
    const Segment& g = batch.segments[k];
    int64_t sx = (ps.c >> kPlaneBits) + g.x, ty = (pt.c >> kPlaneBits) + g.y;
    if (sx < 0 || ty < 0 || sx + g.n > w || ty >= h) return false;
    rows[k] = sampler.pixels[level] + ty * w + sx;
  }
  return true;
}

namespace {

// Texels of one level (slot 0 or 1 of the primitive's choice) for the batch.
// Coordinates of one level (slot 0 or 1 of the primitive's choice) for a
// batch, and how the filter may take them.
struct LevelCoords {
  Coords c;
  bool inside;      // every footprint lies inside the texture
  bool rowRuns;     // runs follow texel rows
};

__attribute__((noinline)) void PerspectiveLevelCoords(const SamplerSetup& sampler, const PrimitiveSetup& prim,
                                                      int stage, int level, bool linear, const BatchPixels& batch,
                                                      LevelCoords& lc) {
  int w = sampler.width[level], h = sampler.height[level];
  double kx = static_cast<double>(w) / sampler.width[0], ky = static_cast<double>(h) / sampler.height[0];
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k) {
    const Segment& g = batch.segments[k];
    PerspectiveCoords(prim, stage, kx, ky, g.x, g.y, g.n, lc.c.s + at, lc.c.t + at);
  }
  lc.inside = EndsInside(sampler, level, linear, batch, lc.c);
}

void MakeLevelCoords(const DrawState& state, const PrimitiveSetup& prim, int stage, int level, int slot,
                     bool linear, const BatchPixels& batch, LevelCoords& lc) {
  const SamplerSetup& sampler = state.samplers[stage];
  Coords& c = lc.c;
  lc.rowRuns = false;
  if (state.perspective) return PerspectiveLevelCoords(sampler, prim, stage, level, linear, batch, lc);
  if (prim.small[stage][slot]) {
    // Bounds over the primitive's box settle most batches; near the
    // texture's edges the segments' own ends decide.
    lc.inside = SmallCoordPair(sampler, level, linear, prim.smallS[stage][slot], prim.smallT[stage][slot], prim,
                               prim.boxInside[stage][slot], batch, c);
    return;
  }
  const FixedPlane& ps = prim.levelS[stage][slot];
  const FixedPlane& pt = prim.levelT[stage][slot];
  lc.rowRuns = pt.dx == 0;
#ifdef CALVETTA_X86
  if (HasAvx2() && prim.rampBox[stage][slot]) {
    const FixedPlane* const planes[2] = {&ps, &pt};
    int32_t* const outs[2] = {c.s, c.t};
    if (prim.boxInside[stage][slot]) {
      AffineRampsAvx2<2, false>(planes, batch, outs, nullptr);
      lc.inside = true;
      return;
    }
    Range ends[2];
    AffineRampsAvx2<2, true>(planes, batch, outs, ends);
    lc.inside = RangeInside(sampler, level, linear, ends[0], ends[1]);
    return;
  }
#endif
  Range sRange, tRange;
  AffineCoordPair(sampler, level, ps, pt, prim, batch, c.s, c.t, sRange, tRange);
  lc.inside = RangeInside(sampler, level, linear, sRange, tRange) ||
              EndsInsideRange(sampler, level, linear, batch, c);
}

// Both levels' coordinates in one pass where both take the same wide loop
// (small planes, or plain ramps of the exact planes): what MakeLevelCoords
// makes for each, with fewer passes over the segments.
bool LevelPair(const DrawState& state, const PrimitiveSetup& prim, int stage, const LevelChoice& choice,
               const BatchPixels& batch, LevelCoords& lower, LevelCoords& upper) {
#ifdef CALVETTA_X86
  if (!HasAvx2() || state.perspective) return false;
  const bool inside0 = prim.boxInside[stage][0], inside1 = prim.boxInside[stage][1];
  const bool ends = !inside0 || !inside1;
  int32_t* const outs[4] = {lower.c.s, lower.c.t, upper.c.s, upper.c.t};
  Range range[4] = {};
  lower.rowRuns = upper.rowRuns = false;
  if (prim.small[stage][0] && prim.small[stage][1]) {
    const SmallPlane* const planes[4] = {&prim.smallS[stage][0], &prim.smallT[stage][0], &prim.smallS[stage][1],
                                         &prim.smallT[stage][1]};
    (ends ? SmallRampsAvx2<4, true> : SmallRampsAvx2<4, false>)(planes, prim, batch.segments, batch.count, outs,
                                                                 range);
  } else if (!prim.small[stage][0] && !prim.small[stage][1] && prim.rampBox[stage][0] && prim.rampBox[stage][1]) {
    const FixedPlane* const planes[4] = {&prim.levelS[stage][0], &prim.levelT[stage][0], &prim.levelS[stage][1],
                                         &prim.levelT[stage][1]};
    (ends ? AffineRampsAvx2<4, true> : AffineRampsAvx2<4, false>)(planes, batch, outs, range);
    lower.rowRuns = prim.levelT[stage][0].dx == 0;
    upper.rowRuns = prim.levelT[stage][1].dx == 0;
  } else {
    return false;
  }
  const SamplerSetup& sampler = state.samplers[stage];
  lower.inside = inside0 || RangeInside(sampler, choice.level0, true, range[0], range[1]);
  upper.inside = inside1 || RangeInside(sampler, choice.level1, true, range[2], range[3]);
  return true;
#else
  (void)state;
  (void)prim;
  (void)stage;
  (void)choice;
  (void)batch;
  (void)lower;
  (void)upper;
  return false;
#endif
}

// What MakeLevelCoords would find from the bounding box alone, for every
// batch of the primitive.
void SetupBoxBounds(const SamplerSetup& sampler, int stage, int slot, int level, bool linear,
                    PrimitiveSetup& prim) {
  if (prim.small[stage][slot]) {
    prim.rampBox[stage][slot] = false;
    prim.boxInside[stage][slot] = RangeInside(sampler, level, linear, SmallRange(prim.smallS[stage][slot], prim),
                                              SmallRange(prim.smallT[stage][slot], prim));
    return;
  }
  Range sRange, tRange;
  prim.rampBox[stage][slot] = AffineBox(prim.levelS[stage][slot], sampler.wrapU, sampler.width[level], prim, sRange) &&
                              AffineBox(prim.levelT[stage][slot], sampler.wrapV, sampler.height[level], prim, tRange);
  prim.boxInside[stage][slot] = prim.rampBox[stage][slot] && RangeInside(sampler, level, linear, sRange, tRange);
}

// Whether a level may be copied one to one (CopyTexels decides on the batch).
bool MayCopy(const DrawState& state, const PrimitiveSetup& prim, int stage, int slot) {
  return !state.perspective && prim.unitStep[stage][slot];
}

void FilterLevel(const DrawState& state, int stage, int level, bool linear, const BatchPixels& batch,
                 LevelCoords& lc, uint32_t* out) {
  Filter(state.samplers[stage], level, linear, lc.rowRuns, batch, lc.c, lc.inside, out);
}

// Texels of one level (slot 0 or 1 of the primitive's choice) for the batch.
void SampleLevel(const DrawState& state, const PrimitiveSetup& prim, int stage, int level, int slot, bool linear,
                 const BatchPixels& batch, uint32_t* out) {
  if (MayCopy(state, prim, stage, slot) && CopyTexels(prim, stage, slot, state.samplers[stage], level, batch, out))
    return;
  LevelCoords lc;
  MakeLevelCoords(state, prim, stage, level, slot, linear, batch, lc);
  FilterLevel(state, stage, level, linear, batch, lc, out);
}

// Two bilinear levels blended: in one loop when every footprint lies inside
// both, else level by level.
void SampleTwoLevels(const DrawState& state, const PrimitiveSetup& prim, int stage, const LevelChoice& choice,
                     TrilinearKernel blend, const BatchPixels& batch, uint32_t* out) {
  const SamplerSetup& sampler = state.samplers[stage];
  LevelCoords lower, upper;
  if (!LevelPair(state, prim, stage, choice, batch, lower, upper)) {
    MakeLevelCoords(state, prim, stage, choice.level0, 0, true, batch, lower);
    MakeLevelCoords(state, prim, stage, choice.level1, 1, true, batch, upper);
  }
  if (lower.inside && upper.inside) {
    blend(LevelRun{sampler.pixels[choice.level0], sampler.width[choice.level0], lower.c.s, lower.c.t},
          LevelRun{sampler.pixels[choice.level1], sampler.width[choice.level1], upper.c.s, upper.c.t}, choice.blend,
          batch.pixels, out);
    return;
  }
  uint32_t texels[kBatch];
  FilterLevel(state, stage, choice.level0, true, batch, lower, out);
  FilterLevel(state, stage, choice.level1, true, batch, upper, texels);
  LerpTexels(texels, choice.blend, batch.pixels, out);
}

// A small primitive's planes of both coordinates, when their values over the
// bounding box need neither wrapping nor more than 16.16 bits.
constexpr int kMaxSmallSide = 256;
constexpr double kMaxSmallTexel = 8192;

#ifdef __SSE2__
// Both planes at once, s in the low lane and t in the high one: each lane
// takes the same operations in the same order as one plane at a time would,
// so the same bits. Wrapped axes need 0 <= v < size at the box's corners, the
// others |v| < kMaxSmallTexel (NaN and infinities fail either).
bool ToSmallPlanes(const Plane& ps, const Plane& pt, double kx, double ky, const SamplerSetup& sampler, int level,
                   const PrimitiveSetup& prim, SmallPlane& outS, SmallPlane& outT) {
  if (prim.xLast - prim.xFirst > kMaxSmallSide || prim.yLast - prim.yFirst > kMaxSmallSide) return false;
  const __m128d c = _mm_set_pd(pt.c, ps.c), dx = _mm_set_pd(pt.dx, ps.dx), dy = _mm_set_pd(pt.dy, ps.dy);
  const __m128d scale = _mm_set_pd(ky, kx), half = _mm_set1_pd(0.5), zero = _mm_setzero_pd();
  const __m128d high = _mm_set_pd(sampler.wrapV ? sampler.height[level] : kMaxSmallTexel,
                                  sampler.wrapU ? sampler.width[level] : kMaxSmallTexel);
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX));
  const __m128d keep = _mm_castsi128_pd(_mm_set_epi64x(sampler.wrapV ? -1 : INT64_MAX, sampler.wrapU ? -1 : INT64_MAX));
  __m128d ok = _mm_cmpeq_pd(zero, zero), origin = zero;
  for (int y : {prim.yFirst, prim.yLast})
    for (int x : {prim.xFirst, prim.xLast}) {
      // (c + dx x + dy y + 0.5) scale - 0.5
      const __m128d at = _mm_add_pd(_mm_add_pd(c, _mm_mul_pd(dx, _mm_set1_pd(x))), _mm_mul_pd(dy, _mm_set1_pd(y)));
      const __m128d v = _mm_sub_pd(_mm_mul_pd(_mm_add_pd(at, half), scale), half);
      if (x == prim.xFirst && y == prim.yFirst) origin = v;
      const __m128d a = _mm_and_pd(v, keep);
      ok = _mm_and_pd(ok, _mm_and_pd(_mm_cmpge_pd(a, zero), _mm_cmplt_pd(a, high)));
    }
  const __m128d gx = _mm_mul_pd(dx, scale), gy = _mm_mul_pd(dy, scale), limit = _mm_set1_pd(kMaxSmallTexel);
  ok = _mm_and_pd(ok, _mm_and_pd(_mm_cmplt_pd(_mm_and_pd(gx, magnitude), limit),
                                 _mm_cmplt_pd(_mm_and_pd(gy, magnitude), limit)));
  if (_mm_movemask_pd(ok) != 3) return false;
  // The values lie within 2^29: 32-bit conversions round as lrint does.
  const __m128d unit = _mm_set1_pd(65536.0);
  alignas(16) int32_t c16[4], dx16[4], dy16[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(c16), _mm_cvtpd_epi32(_mm_mul_pd(origin, unit)));
  _mm_store_si128(reinterpret_cast<__m128i*>(dx16), _mm_cvtpd_epi32(_mm_mul_pd(gx, unit)));
  _mm_store_si128(reinterpret_cast<__m128i*>(dy16), _mm_cvtpd_epi32(_mm_mul_pd(gy, unit)));
  outS = SmallPlane{c16[0], dx16[0], dy16[0]};
  outT = SmallPlane{c16[1], dx16[1], dy16[1]};
  return true;
}
#else
bool ToSmallPlane(const Plane& p, double scale, bool wrap, int size, const PrimitiveSetup& prim, SmallPlane& out) {
  double corners[4];
  int k = 0;
  for (int y : {prim.yFirst, prim.yLast})
    for (int x : {prim.xFirst, prim.xLast}) corners[k++] = (p.At(x, y) + 0.5) * scale - 0.5;
  for (double v : corners) {
    if (!std::isfinite(v)) return false;
    if (wrap ? (v < 0 || v >= size) : std::fabs(v) >= kMaxSmallTexel) return false;
  }
  if (!(std::fabs(p.dx * scale) < kMaxSmallTexel) || !(std::fabs(p.dy * scale) < kMaxSmallTexel)) return false;
  out.c = static_cast<int32_t>(RoundToInt(corners[0] * 65536.0));
  out.dx = static_cast<int32_t>(RoundToInt(p.dx * scale * 65536.0));
  out.dy = static_cast<int32_t>(RoundToInt(p.dy * scale * 65536.0));
  return true;
}

bool ToSmallPlanes(const Plane& ps, const Plane& pt, double kx, double ky, const SamplerSetup& sampler, int level,
                   const PrimitiveSetup& prim, SmallPlane& outS, SmallPlane& outT) {
  if (prim.xLast - prim.xFirst > kMaxSmallSide || prim.yLast - prim.yFirst > kMaxSmallSide) return false;
  return ToSmallPlane(ps, kx, sampler.wrapU, sampler.width[level], prim, outS) &&
         ToSmallPlane(pt, ky, sampler.wrapV, sampler.height[level], prim, outT);
}
#endif

FixedPlane ToFixedPlane(const Plane& p, double scale) {
  FixedPlane f;
  f.c = ToFixed((p.c + 0.5) * scale - 0.5, kPlaneBits, kCoordLimit);
  f.dx = ToFixed(p.dx * scale, kPlaneBits, kGradientLimit);
  f.dy = ToFixed(p.dy * scale, kPlaneBits, kGradientLimit);
  return f;
}

}  // namespace

double FootprintLod(double dsdx, double dtdx, double dsdy, double dtdy) {
  double rho = std::max(dsdx * dsdx + dtdx * dtdx, dsdy * dsdy + dtdy * dtdy);
  if (!(rho > 0) || !std::isfinite(rho)) return 0.0;
  return 0.5 * std::log2(rho);
}

LevelChoice ChooseLevels(const SamplerSetup& sampler, double lod) {
  LevelChoice choice;
  int base = sampler.baseLevel, last = sampler.levels - 1;
  choice.level0 = choice.level1 = base;
  if (lod <= 0.0 || sampler.mip == MipMode::None || base >= last) {
    choice.linear = lod <= 0.0 ? sampler.magLinear : sampler.minLinear;
    return choice;
  }
  choice.linear = sampler.minLinear;
  if (sampler.mip == MipMode::Point) {
    choice.level0 = choice.level1 = std::min(last, base + static_cast<int>(std::floor(lod + 0.5)));
    return choice;
  }
  int whole = static_cast<int>(std::floor(lod));
  choice.level0 = std::min(last, base + whole);
  choice.level1 = std::min(last, choice.level0 + 1);
  choice.blend = choice.level0 == choice.level1 ? 0 : static_cast<int>((lod - whole) * 256.0 + 0.5);
  if (choice.blend >= 256) {
    choice.level0 = choice.level1;
    choice.blend = 0;
  }
  return choice;
}

void SetupAffineLevels(const SamplerSetup& sampler, int stage, PrimitiveSetup& prim) {
  const LevelChoice& choice = prim.lod[stage];
  int levels[2] = {choice.level0, choice.level1};
  // Slot 1 is read only when two levels are blended.
  for (int slot = 0; slot < (choice.blend > 0 ? 2 : 1); ++slot) {
    int level = levels[slot];
    double kx = static_cast<double>(sampler.width[level]) / sampler.width[0];
    double ky = static_cast<double>(sampler.height[level]) / sampler.height[0];
    const SmallPlane &ss = prim.smallS[stage][slot], &st = prim.smallT[stage][slot];
    const bool small = prim.small[stage][slot] =
        ToSmallPlanes(prim.s[stage], prim.t[stage], kx, ky, sampler, level, prim, prim.smallS[stage][slot],
                      prim.smallT[stage][slot]);
    // A short-run plane reads only its own planes, unless the level may be
    // copied: a step the exact plane rounds to one texel (or to none) is
    // within 2^-25 of it, which the short-run plane rounds to one (or none)
    // too, as both round the same product. Other short-run levels skip the
    // exact planes, which nothing reads.
    if (small && !(ss.dx == 65536 && ss.dy == 0 && st.dx == 0 && st.dy == 65536)) {
      prim.unitStep[stage][slot] = false;
    } else {
      prim.levelS[stage][slot] = ToFixedPlane(prim.s[stage], kx);
      prim.levelT[stage][slot] = ToFixedPlane(prim.t[stage], ky);
      const FixedPlane& ps = prim.levelS[stage][slot];
      const FixedPlane& pt = prim.levelT[stage][slot];
      constexpr int64_t kUnit = int64_t{1} << kPlaneBits;
      prim.unitStep[stage][slot] = ps.dx == kUnit && ps.dy == 0 && pt.dx == 0 && pt.dy == kUnit &&
                                   (ps.c & (kUnit - 1)) == 0 && (pt.c & (kUnit - 1)) == 0;
    }
    SetupBoxBounds(sampler, stage, slot, level, choice.linear, prim);
  }
}

void SampleSegments(const DrawState& state, const PrimitiveSetup& prim, int stage, const BatchPixels& batch,
                    uint32_t* out) {
  const SamplerSetup& sampler = state.samplers[stage];
  const Segment& first = batch.segments[0];
  LevelChoice choice = state.perspective
                           ? PerspectiveLevels(sampler, prim, stage, first.x + 0.5 * (first.n - 1), first.y)
                           : prim.lod[stage];
  const bool blended = choice.blend > 0;
  TrilinearKernel together = blended && choice.linear && !MayCopy(state, prim, stage, 0) &&
                                     !MayCopy(state, prim, stage, 1)
                                 ? PickTrilinearInterior()
                                 : nullptr;
  if (together) {
    SampleTwoLevels(state, prim, stage, choice, together, batch, out);
  } else {
    SampleLevel(state, prim, stage, choice.level0, 0, choice.linear, batch, out);
    if (blended) {
      uint32_t upper[kBatch];
      SampleLevel(state, prim, stage, choice.level1, 1, choice.linear, batch, upper);
      LerpTexels(upper, choice.blend, batch.pixels, out);
    }
  }
  if (sampler.opaque)
    for (int i = 0; i < batch.pixels; ++i) out[i] |= 0xFF000000u;
}

}  // namespace compat::d3d9
