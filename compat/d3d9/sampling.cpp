// Texture sampling: texel centres at (i + 0.5) / size, so a coordinate s in
// texels is u * size - 0.5; POINT takes floor(s + 0.5), LINEAR blends the
// 2 x 2 texels around s with 8-bit weights (an integral s copies exactly).
// Runs are split so that footprints wholly inside the texture take loops
// without addressing; only the few at the borders wrap or clamp.
#include "compat/d3d9/sampling.h"

#include <algorithm>
#include <cmath>

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

// Texel coordinates of a run in 24.8 fixed point.
// Room for one vector store past the last pixel.
struct Coords {
  int32_t s[kBatch + 8], t[kBatch + 8];
};

// Fixed point with `bits` fraction bits; NaN and huge values land on the limits.
int64_t ToFixed(double v, int bits, double limit) {
  double scale = static_cast<double>(int64_t{1} << bits);
  double f = v * scale;
  double l = limit * scale;
  if (!(f > -l)) f = -l;
  if (f > l) f = l;
  return static_cast<int64_t>(std::nearbyint(f));
}

int32_t ClampFixed8(int64_t v) {
  constexpr int64_t kLimit = static_cast<int64_t>(kCoordLimit) << 8;
  return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit));
}

bool HasAvx2() {
#ifdef CALVETTA_X86
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

// --- coordinates ---

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
    for (int i = 0; i < n; ++i) {
      cs[i] = (s16 + ds * i) >> 8;
      ct[i] = (t16 + dt * i) >> 8;
    }
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

// Perspective run: u = (u q) / q per pixel.
void PerspectiveCoords(const PrimitiveSetup& prim, int stage, bool wrapU, bool wrapV, double kx, double ky, int w,
                       int h, int x, int y, int n, int32_t* cs, int32_t* ct) {
  for (int i = 0; i < n; ++i) {
    double q = prim.q.At(x + i, y);
    double s = prim.s[stage].At(x + i, y) / q * kx - 0.5;
    double t = prim.t[stage].At(x + i, y) / q * ky - 0.5;
    if (wrapU && std::isfinite(s)) s -= std::floor(s / w) * w;
    if (wrapV && std::isfinite(t)) t -= std::floor(t / h) * h;
    cs[i] = static_cast<int32_t>(ToFixed(s, 8, kCoordLimit));
    ct[i] = static_cast<int32_t>(ToFixed(t, 8, kCoordLimit));
  }
}

// --- addressing ---

struct Clamp {
  static int At(int i, int size) { return std::clamp(i, 0, size - 1); }
};
struct WrapPow2 {
  static int At(int i, int size) { return i & (size - 1); }
};
struct WrapAny {
  // Runs start inside the first period, so one step back or forth is the common case.
  static int At(int i, int size) {
    if (i >= size) i -= size;
    else if (i < 0) i += size;
    if (static_cast<unsigned>(i) < static_cast<unsigned>(size)) return i;
    int r = i % size;
    return r < 0 ? r + size : r;
  }
};

// --- filters ---

using InteriorKernel_t = void (*)(const uint32_t*, int, const int32_t*, const int32_t*, int, uint32_t*);

#ifdef __SSE2__
// Two rows of two texels (64-bit pairs) blended with 8-bit weights as
// a * 256 + (b - a) * f in 16-bit lanes: exact modulo 2^16 since the result fits.
inline __m128i BilerpPairs(__m128i top, __m128i bottom, int fx, int fy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi16(128);
  __m128i t = _mm_unpacklo_epi8(top, zero);
  __m128i b = _mm_unpacklo_epi8(bottom, zero);
  __m128i v = _mm_add_epi16(_mm_slli_epi16(t, 8),
                            _mm_mullo_epi16(_mm_sub_epi16(b, t), _mm_set1_epi16(static_cast<short>(fy))));
  v = _mm_srli_epi16(_mm_add_epi16(v, half), 8);
  __m128i right = _mm_srli_si128(v, 8);
  __m128i h = _mm_add_epi16(_mm_slli_epi16(v, 8),
                            _mm_mullo_epi16(_mm_sub_epi16(right, v), _mm_set1_epi16(static_cast<short>(fx))));
  return _mm_srli_epi16(_mm_add_epi16(h, half), 8);  // the low four lanes hold the texel
}

inline __m128i Pair(uint32_t a, uint32_t b) {
  return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)));
}

inline uint32_t Bilerp(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, int fx, int fy) {
  __m128i r = BilerpPairs(Pair(c00, c10), Pair(c01, c11), fx, fy);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(r, r)));
}

inline __m128i Load2(const uint32_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// Footprints wholly inside the texture: each row's two texels in one load.
void BilinearInterior(const uint32_t* tex, int w, const int32_t* s, const int32_t* t, int n, uint32_t* out) {
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    const uint32_t* a = tex + static_cast<size_t>(t[i] >> 8) * w + (s[i] >> 8);
    const uint32_t* b = tex + static_cast<size_t>(t[i + 1] >> 8) * w + (s[i + 1] >> 8);
    __m128i ra = BilerpPairs(Load2(a), Load2(a + w), s[i] & 255, t[i] & 255);
    __m128i rb = BilerpPairs(Load2(b), Load2(b + w), s[i + 1] & 255, t[i + 1] & 255);
    __m128i both = _mm_unpacklo_epi64(ra, rb);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(both, both));
  }
  for (; i < n; ++i) {
    const uint32_t* a = tex + static_cast<size_t>(t[i] >> 8) * w + (s[i] >> 8);
    out[i] = Bilerp(a[0], a[1], a[w], a[w + 1], s[i] & 255, t[i] & 255);
  }
}

#ifdef CALVETTA_X86
// Four footprints per step: the 64-bit texel pairs come by gather and the
// weights are spread over the 16-bit lanes by byte shuffles.
__attribute__((target("avx2"))) void BilinearInteriorAvx2(const uint32_t* tex, int w, const int32_t* s,
                                                           const int32_t* t, int n, uint32_t* out) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi16(128);
  const __m256i low8 = _mm256_set1_epi32(255);
  // Word k of each 128-bit lane takes byte 0 (or 8) of that lane: one pixel's weight.
  const __m256i spreadFirst = _mm256_setr_epi8(0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0,
                                               -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128,
                                               0, -128);
  const __m256i spreadSecond = _mm256_setr_epi8(8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8,
                                                -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8,
                                                -128, 8, -128);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const uint32_t* p[4];
    for (int k = 0; k < 4; ++k) p[k] = tex + static_cast<size_t>(t[i + k] >> 8) * w + (s[i + k] >> 8);
    // Scalar loads beat gathers on cores where gathers are microcoded.
    __m256i top = _mm256_set_m128i(_mm_unpacklo_epi64(Load2(p[2]), Load2(p[3])),
                                   _mm_unpacklo_epi64(Load2(p[0]), Load2(p[1])));
    __m256i bottom = _mm256_set_m128i(_mm_unpacklo_epi64(Load2(p[2] + w), Load2(p[3] + w)),
                                      _mm_unpacklo_epi64(Load2(p[0] + w), Load2(p[1] + w)));
    __m256i fx = _mm256_cvtepu32_epi64(_mm_and_si128(sv, _mm256_castsi256_si128(low8)));
    __m256i fy = _mm256_cvtepu32_epi64(_mm_and_si128(tv, _mm256_castsi256_si128(low8)));
    __m256i result[2];
    for (int k = 0; k < 2; ++k) {  // k = 0: pixels 0 and 2; k = 1: pixels 1 and 3
      const __m256i& spread = k ? spreadSecond : spreadFirst;
      __m256i tw = k ? _mm256_unpackhi_epi8(top, zero) : _mm256_unpacklo_epi8(top, zero);
      __m256i bw = k ? _mm256_unpackhi_epi8(bottom, zero) : _mm256_unpacklo_epi8(bottom, zero);
      __m256i v = _mm256_add_epi16(_mm256_slli_epi16(tw, 8),
                                   _mm256_mullo_epi16(_mm256_sub_epi16(bw, tw), _mm256_shuffle_epi8(fy, spread)));
      v = _mm256_srli_epi16(_mm256_add_epi16(v, half), 8);
      __m256i right = _mm256_srli_si256(v, 8);
      __m256i h = _mm256_add_epi16(_mm256_slli_epi16(v, 8),
                                   _mm256_mullo_epi16(_mm256_sub_epi16(right, v), _mm256_shuffle_epi8(fx, spread)));
      result[k] = _mm256_srli_epi16(_mm256_add_epi16(h, half), 8);
    }
    __m256i pairs = _mm256_unpacklo_epi64(result[0], result[1]);  // lane 0: p0 p1, lane 1: p2 p3
    __m256i packed = _mm256_packus_epi16(pairs, pairs);
    __m256i ordered = _mm256_permute4x64_epi64(packed, 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_castsi256_si128(ordered));
  }
  if (i < n) BilinearInterior(tex, w, s + i, t + i, n - i, out + i);
}

#endif
#else
inline uint32_t Bilerp(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, int fx, int fy) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t a = (c00 >> shift) & 255, b = (c10 >> shift) & 255;
    uint32_t c = (c01 >> shift) & 255, d = (c11 >> shift) & 255;
    uint32_t left = (a * 256 + (c - a) * fy + 128) >> 8;
    uint32_t right = (b * 256 + (d - b) * fy + 128) >> 8;
    result |= (((left * 256 + (right - left) * fx + 128) >> 8) & 255) << shift;
  }
  return result;
}

void BilinearInterior(const uint32_t* tex, int w, const int32_t* s, const int32_t* t, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    const uint32_t* a = tex + static_cast<size_t>(t[i] >> 8) * w + (s[i] >> 8);
    out[i] = Bilerp(a[0], a[1], a[w], a[w + 1], s[i] & 255, t[i] & 255);
  }
}
#endif

void PointInterior(const uint32_t* __restrict tex, int w, const int32_t* __restrict s, const int32_t* __restrict t,
                   int n, uint32_t* __restrict out) {
  for (int i = 0; i < n; ++i) out[i] = tex[static_cast<size_t>((t[i] + 128) >> 8) * w + ((s[i] + 128) >> 8)];
}

InteriorKernel_t PickInterior(bool linear) {
  if (!linear) return &PointInterior;
#ifdef CALVETTA_X86
  return HasAvx2() ? &BilinearInteriorAvx2 : &BilinearInterior;
#else
  return &BilinearInterior;
#endif
}

template <class AU, class AV>
void PointAddressed(const uint32_t* tex, int w, int h, const int32_t* s, const int32_t* t, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i)
    out[i] = tex[static_cast<size_t>(AV::At((t[i] + 128) >> 8, h)) * w + AU::At((s[i] + 128) >> 8, w)];
}

template <class AU, class AV>
void BilinearAddressed(const uint32_t* tex, int w, int h, const int32_t* s, const int32_t* t, int n,
                       uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    int sx = s[i] >> 8, sy = t[i] >> 8;
    int x0 = AU::At(sx, w), x1 = AU::At(sx + 1, w);
    const uint32_t* row0 = tex + static_cast<size_t>(AV::At(sy, h)) * w;
    const uint32_t* row1 = tex + static_cast<size_t>(AV::At(sy + 1, h)) * w;
    out[i] = Bilerp(row0[x0], row0[x1], row1[x0], row1[x1], s[i] & 255, t[i] & 255);
  }
}

using AddressedKernel = void (*)(const uint32_t*, int, int, const int32_t*, const int32_t*, int, uint32_t*);

template <class AU, class AV>
AddressedKernel Addressed(bool linear) {
  return linear ? &BilinearAddressed<AU, AV> : &PointAddressed<AU, AV>;
}

template <class AU>
AddressedKernel AddressedV(bool linear, bool wrapV, bool pow2V) {
  if (!wrapV) return Addressed<AU, Clamp>(linear);
  return pow2V ? Addressed<AU, WrapPow2>(linear) : Addressed<AU, WrapAny>(linear);
}

AddressedKernel PickAddressed(bool linear, bool wrapU, bool wrapV, int w, int h) {
  bool pow2U = (w & (w - 1)) == 0, pow2V = (h & (h - 1)) == 0;
  if (!wrapU) return AddressedV<Clamp>(linear, wrapV, pow2V);
  return pow2U ? AddressedV<WrapPow2>(linear, wrapV, pow2V) : AddressedV<WrapAny>(linear, wrapV, pow2V);
}

// Whether pixel i's footprint lies wholly inside the texture.
inline bool Inside(const int32_t* s, const int32_t* t, int i, int w, int h, bool linear) {
  int bias = linear ? 0 : 128, margin = linear ? 2 : 1;
  return s[i] >= -bias && t[i] >= -bias && ((s[i] + bias) >> 8) <= w - margin && ((t[i] + bias) >> 8) <= h - margin;
}

InteriorKernel_t PickInterior(bool linear);

// Filters a run: coordinates along a row are monotone, so the inside pixels
// form one stretch found from both ends.
void FilterRun(const SamplerSetup& sampler, int level, bool linear, const int32_t* s, const int32_t* t, int n,
               uint32_t* out) {
  const uint32_t* tex = sampler.pixels[level];
  int w = sampler.width[level], h = sampler.height[level];
  int first = 0, last = n;
  while (first < n && !Inside(s, t, first, w, h, linear)) ++first;
  while (last > first && !Inside(s, t, last - 1, w, h, linear)) --last;
  AddressedKernel addressed = nullptr;
  if (first > 0 || last < n) addressed = PickAddressed(linear, sampler.wrapU, sampler.wrapV, w, h);
  if (first > 0) addressed(tex, w, h, s, t, first, out);
  if (last > first) PickInterior(linear)(tex, w, s + first, t + first, last - first, out + first);
  if (last < n) addressed(tex, w, h, s + last, t + last, n - last, out + last);
}

// A batch whose every segment lies inside goes through one interior loop.
void Filter(const SamplerSetup& sampler, int level, bool linear, const Segment* segments, int count,
            const Coords& c, int pixels, uint32_t* out) {
  int w = sampler.width[level], h = sampler.height[level];
  bool allInside = true;
  for (int k = 0, at = 0; k < count && allInside; at += segments[k].n, ++k)
    allInside = Inside(c.s, c.t, at, w, h, linear) && Inside(c.s, c.t, at + segments[k].n - 1, w, h, linear);
  if (allInside) {
    PickInterior(linear)(sampler.pixels[level], w, c.s, c.t, pixels, out);
    return;
  }
  for (int k = 0, at = 0; k < count; at += segments[k].n, ++k)
    FilterRun(sampler, level, linear, c.s + at, c.t + at, segments[k].n, out + at);
}

// Blends two runs of texels: out = a + (b - a) * weight / 256 per channel.
void LerpTexels(const uint32_t* b, int weight, int n, uint32_t* out) {
  int i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128), f = _mm_set1_epi16(static_cast<short>(weight));
  for (; i + 4 <= n; i += 4) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    __m128i lanes[2];
    for (int k = 0; k < 2; ++k) {
      __m128i x = k ? _mm_unpackhi_epi8(a, zero) : _mm_unpacklo_epi8(a, zero);
      __m128i y = k ? _mm_unpackhi_epi8(c, zero) : _mm_unpacklo_epi8(c, zero);
      __m128i v = _mm_add_epi16(_mm_slli_epi16(x, 8), _mm_mullo_epi16(_mm_sub_epi16(y, x), f));
      lanes[k] = _mm_srli_epi16(_mm_add_epi16(v, half), 8);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lanes[0], lanes[1]));
  }
#endif
  for (; i < n; ++i) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t a = (out[i] >> shift) & 255, c = (b[i] >> shift) & 255;
      r |= (((a * 256 + (c - a) * weight + 128) >> 8) & 255) << shift;
    }
    out[i] = r;
  }
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

// 24.8 coordinates of a batch of a small primitive, segment by segment from
// its 16.16 plane relative to the primitive's top-left pixel; also the
// extremes, found at the segments' ends since each segment is monotone.
struct Range {
  int32_t low, high;
};

inline Range SmallCoordsBody(const SmallPlane& p, const PrimitiveSetup& prim, const Segment* segments, int count,
                             int32_t* __restrict out) {
  const int32_t c = p.c + 128, gx = p.dx, gy = p.dy;
  Range range{INT32_MAX, INT32_MIN};
  for (int k = 0, at = 0; k < count; at += segments[k].n, ++k) {
    const Segment& g = segments[k];
    int32_t base = c + gx * (g.x - prim.xFirst) + gy * (g.y - prim.yFirst);
    int32_t* o = out + at;
    for (int i = 0; i < g.n; ++i) o[i] = (base + gx * i) >> 8;
    int32_t a = o[0], b = o[g.n - 1];
    range.low = std::min(range.low, std::min(a, b));
    range.high = std::max(range.high, std::max(a, b));
  }
  return range;
}

#ifdef CALVETTA_X86
// Eight pixels per store; a segment's last store may spill into the next
// segment's place (rewritten next) or the padding after the batch.
__attribute__((target("avx2"))) Range SmallCoordsAvx2(const SmallPlane& p, const PrimitiveSetup& prim,
                                                      const Segment* segments, int count, int32_t* out) {
  const int32_t c = p.c + 128, gx = p.dx, gy = p.dy;
  const __m256i step = _mm256_mullo_epi32(_mm256_set1_epi32(gx), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i eight = _mm256_set1_epi32(gx * 8);
  Range range{INT32_MAX, INT32_MIN};
  for (int k = 0, at = 0; k < count; at += segments[k].n, ++k) {
    const Segment& g = segments[k];
    int32_t base = c + gx * (g.x - prim.xFirst) + gy * (g.y - prim.yFirst);
    __m256i v = _mm256_add_epi32(_mm256_set1_epi32(base), step);
    for (int i = 0; i < g.n; i += 8) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at + i), _mm256_srai_epi32(v, 8));
      v = _mm256_add_epi32(v, eight);
    }
    int32_t a = base >> 8, b = (base + gx * (g.n - 1)) >> 8;
    range.low = std::min(range.low, std::min(a, b));
    range.high = std::max(range.high, std::max(a, b));
  }
  return range;
}
#endif

Range SmallCoords(const SmallPlane& p, const PrimitiveSetup& prim, const Segment* segments, int count,
                  int32_t* out) {
#ifdef CALVETTA_X86
  if (HasAvx2()) return SmallCoordsAvx2(p, prim, segments, count, out);
#endif
  return SmallCoordsBody(p, prim, segments, count, out);
}

// Filters a batch of a small primitive: one interior loop when every footprint is inside.
void FilterBatch(const SamplerSetup& sampler, int level, bool linear, const BatchPixels& batch, const Coords& c,
                 Range sRange, Range tRange, uint32_t* out) {
  int w = sampler.width[level], h = sampler.height[level];
  int32_t extremes[2][2] = {{sRange.low, sRange.high}, {tRange.low, tRange.high}};
  if (Inside(extremes[0], extremes[1], 0, w, h, linear) && Inside(extremes[0], extremes[1], 1, w, h, linear)) {
    PickInterior(linear)(sampler.pixels[level], w, c.s, c.t, batch.pixels, out);
    return;
  }
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k)
    FilterRun(sampler, level, linear, c.s + at, c.t + at, batch.segments[k].n, out + at);
}

// Texels of one level (slot 0 or 1 of the primitive's choice) for the batch.
void SampleLevel(const DrawState& state, const PrimitiveSetup& prim, int stage, int level, int slot, bool linear,
                 const BatchPixels& batch, uint32_t* out) {
  const SamplerSetup& sampler = state.samplers[stage];
  int w = sampler.width[level], h = sampler.height[level];
  Coords c;
  if (!state.perspective && prim.small[stage][slot]) {
    Range sRange = SmallCoords(prim.smallS[stage][slot], prim, batch.segments, batch.count, c.s);
    Range tRange = SmallCoords(prim.smallT[stage][slot], prim, batch.segments, batch.count, c.t);
    FilterBatch(sampler, level, linear, batch, c, sRange, tRange, out);
    return;
  }
  double kx = static_cast<double>(w) / sampler.width[0], ky = static_cast<double>(h) / sampler.height[0];
  for (int k = 0, at = 0; k < batch.count; at += batch.segments[k].n, ++k) {
    const Segment& g = batch.segments[k];
    if (state.perspective) {
      PerspectiveCoords(prim, stage, sampler.wrapU, sampler.wrapV, kx, ky, w, h, g.x, g.y, g.n, c.s + at, c.t + at);
    } else {
      AffineCoords(prim.levelS[stage][slot], prim.levelT[stage][slot], sampler.wrapU, sampler.wrapV, w, h, g.x, g.y,
                   g.n, c.s + at, c.t + at);
    }
  }
  Filter(sampler, level, linear, batch.segments, batch.count, c, batch.pixels, out);
}

// A small primitive's plane, when its values over the bounding box need neither
// wrapping nor more than 16.16 bits.
bool ToSmallPlane(const Plane& p, double scale, bool wrap, int size, const PrimitiveSetup& prim, SmallPlane& out) {
  constexpr int kMaxSide = 256;
  constexpr double kMaxTexel = 8192;
  if (prim.xLast - prim.xFirst > kMaxSide || prim.yLast - prim.yFirst > kMaxSide) return false;
  double corners[4];
  int k = 0;
  for (int y : {prim.yFirst, prim.yLast})
    for (int x : {prim.xFirst, prim.xLast}) corners[k++] = (p.At(x, y) + 0.5) * scale - 0.5;
  for (double v : corners) {
    if (!std::isfinite(v)) return false;
    if (wrap ? (v < 0 || v >= size) : std::fabs(v) >= kMaxTexel) return false;
  }
  out.c = static_cast<int32_t>(std::lrint(corners[0] * 65536.0));
  out.dx = static_cast<int32_t>(std::lrint(p.dx * scale * 65536.0));
  out.dy = static_cast<int32_t>(std::lrint(p.dy * scale * 65536.0));
  return true;
}

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
  for (int slot = 0; slot < 2; ++slot) {
    int level = levels[slot];
    double kx = static_cast<double>(sampler.width[level]) / sampler.width[0];
    double ky = static_cast<double>(sampler.height[level]) / sampler.height[0];
    prim.levelS[stage][slot] = ToFixedPlane(prim.s[stage], kx);
    prim.levelT[stage][slot] = ToFixedPlane(prim.t[stage], ky);
    prim.small[stage][slot] =
        ToSmallPlane(prim.s[stage], kx, sampler.wrapU, sampler.width[level], prim, prim.smallS[stage][slot]) &&
        ToSmallPlane(prim.t[stage], ky, sampler.wrapV, sampler.height[level], prim, prim.smallT[stage][slot]);
  }
}

void SampleSegments(const DrawState& state, const PrimitiveSetup& prim, int stage, const BatchPixels& batch,
                    uint32_t* out) {
  const SamplerSetup& sampler = state.samplers[stage];
  const Segment& first = batch.segments[0];
  LevelChoice choice = state.perspective
                           ? PerspectiveLevels(sampler, prim, stage, first.x + 0.5 * (first.n - 1), first.y)
                           : prim.lod[stage];
  SampleLevel(state, prim, stage, choice.level0, 0, choice.linear, batch, out);
  if (choice.blend > 0) {
    uint32_t upper[kBatch];
    SampleLevel(state, prim, stage, choice.level1, 1, choice.linear, batch, upper);
    LerpTexels(upper, choice.blend, batch.pixels, out);
  }
  if (sampler.opaque)
    for (int i = 0; i < batch.pixels; ++i) out[i] |= 0xFF000000u;
}

}  // namespace compat::d3d9
