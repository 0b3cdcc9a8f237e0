// Texture sampling: texel centres at (i + 0.5) / size, so a coordinate s in
// texels is u * size - 0.5; POINT takes floor(s + 0.5), LINEAR blends the
// 2 x 2 texels around s with 8-bit weights (an integral s copies exactly).
#include "compat/d3d9/sampling.h"

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace compat::d3d9 {

namespace {

constexpr double kCoordLimit = 1 << 22;  // texels; keeps 24.8 values inside int32

struct Coords {
  int32_t s[kBatch], t[kBatch];
};

// 24.8 fixed point; NaN and huge values land on the limits.
inline int64_t ToFixed(double v, double scale) {
  double f = v * scale;
  double limit = kCoordLimit * scale;
  if (!(f > -limit)) f = -limit;
  if (f > limit) f = limit;
  return std::llrint(f);
}

inline int32_t ClampFixed8(int64_t v) {
  constexpr int64_t kLimit = static_cast<int64_t>(kCoordLimit) << 8;
  return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit));
}

// Coordinates of an affine run, stepped in 16.16 from the run's start so that
// a whole-texel step stays exact along the row.
void AffineCoords(double s0, double ds, double t0, double dt, int n, Coords& c) {
  int64_t s = ToFixed(s0, 65536.0), sStep = ToFixed(ds, 65536.0);
  int64_t t = ToFixed(t0, 65536.0), tStep = ToFixed(dt, 65536.0);
  for (int i = 0; i < n; ++i) {
    c.s[i] = ClampFixed8((s + 128) >> 8);
    c.t[i] = ClampFixed8((t + 128) >> 8);
    s += sStep;
    t += tStep;
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
  static int At(int i, int size) {
    int r = i % size;
    return r < 0 ? r + size : r;
  }
};

// --- filters ---

template <class AU, class AV>
void PointKernel(const uint32_t* tex, int w, int h, const Coords& c, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    int x = AU::At((c.s[i] + 128) >> 8, w);
    int y = AV::At((c.t[i] + 128) >> 8, h);
    out[i] = tex[static_cast<size_t>(y) * w + x];
  }
}

#ifdef __SSE2__
inline uint32_t Bilerp(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, int fx, int fy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi16(128);
  __m128i top = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(c00)), _mm_cvtsi32_si128(static_cast<int>(c10))),
      zero);
  __m128i bottom = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(c01)), _mm_cvtsi32_si128(static_cast<int>(c11))),
      zero);
  __m128i vertical = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(static_cast<short>(256 - fy))),
                                   _mm_mullo_epi16(bottom, _mm_set1_epi16(static_cast<short>(fy))));
  vertical = _mm_srli_epi16(_mm_add_epi16(vertical, half), 8);
  __m128i wx = _mm_set_epi16(static_cast<short>(fx), static_cast<short>(fx), static_cast<short>(fx),
                             static_cast<short>(fx), static_cast<short>(256 - fx),
                             static_cast<short>(256 - fx), static_cast<short>(256 - fx),
                             static_cast<short>(256 - fx));
  __m128i products = _mm_mullo_epi16(vertical, wx);
  __m128i sum = _mm_add_epi16(products, _mm_srli_si128(products, 8));
  sum = _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
}
#else
inline uint32_t Bilerp(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, int fx, int fy) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t a = (c00 >> shift) & 255, b = (c10 >> shift) & 255;
    uint32_t c = (c01 >> shift) & 255, d = (c11 >> shift) & 255;
    uint32_t left = (a * (256 - fy) + c * fy + 128) >> 8;
    uint32_t right = (b * (256 - fy) + d * fy + 128) >> 8;
    result |= ((left * (256 - fx) + right * fx + 128) >> 8) << shift;
  }
  return result;
}
#endif

template <class AU, class AV>
void BilinearKernel(const uint32_t* tex, int w, int h, const Coords& c, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    int sx = c.s[i] >> 8, sy = c.t[i] >> 8;
    int fx = c.s[i] & 255, fy = c.t[i] & 255;
    int x0 = AU::At(sx, w), x1 = AU::At(sx + 1, w);
    const uint32_t* row0 = tex + static_cast<size_t>(AV::At(sy, h)) * w;
    const uint32_t* row1 = tex + static_cast<size_t>(AV::At(sy + 1, h)) * w;
    out[i] = Bilerp(row0[x0], row0[x1], row1[x0], row1[x1], fx, fy);
  }
}

using Kernel = void (*)(const uint32_t*, int, int, const Coords&, int, uint32_t*);

template <template <class, class> class K>
Kernel PickKernel(bool wrapU, bool wrapV, int w, int h) {
  bool pow2U = (w & (w - 1)) == 0, pow2V = (h & (h - 1)) == 0;
  if (!wrapU && !wrapV) return [](const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
      K<Clamp, Clamp>::Run(t, w, h, c, n, o); };
  if (wrapU && wrapV && pow2U && pow2V)
    return [](const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
      K<WrapPow2, WrapPow2>::Run(t, w, h, c, n, o); };
  if (!wrapU) return [](const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
      K<Clamp, WrapAny>::Run(t, w, h, c, n, o); };
  if (!wrapV) return [](const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
      K<WrapAny, Clamp>::Run(t, w, h, c, n, o); };
  return [](const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
    K<WrapAny, WrapAny>::Run(t, w, h, c, n, o); };
}

template <class AU, class AV>
struct PointFilter {
  static void Run(const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
    PointKernel<AU, AV>(t, w, h, c, n, o);
  }
};
template <class AU, class AV>
struct LinearFilter {
  static void Run(const uint32_t* t, int w, int h, const Coords& c, int n, uint32_t* o) {
    BilinearKernel<AU, AV>(t, w, h, c, n, o);
  }
};

// Texels of one level for the run; the stage's planes are in level-0 texels.
void SampleLevel(const SamplerSetup& sampler, int level, bool linear, const PrimitiveSetup& prim, int stage,
                 bool perspective, int x, int y, int n, uint32_t* out) {
  int w = sampler.width[level], h = sampler.height[level];
  double kx = static_cast<double>(w) / sampler.width[0];
  double ky = static_cast<double>(h) / sampler.height[0];
  Coords c;
  if (!perspective) {
    const Plane& ps = prim.s[stage];
    const Plane& pt = prim.t[stage];
    double s0 = (ps.At(x, y) + 0.5) * kx - 0.5;
    double t0 = (pt.At(x, y) + 0.5) * ky - 0.5;
    // Wrapping repeats every `size` texels: start near the origin to keep precision.
    if (sampler.wrapU && std::isfinite(s0)) s0 -= std::floor(s0 / w) * w;
    if (sampler.wrapV && std::isfinite(t0)) t0 -= std::floor(t0 / h) * h;
    AffineCoords(s0, ps.dx * kx, t0, pt.dx * ky, n, c);
  } else {
    for (int i = 0; i < n; ++i) {
      double q = prim.q.At(x + i, y);
      double s = prim.s[stage].At(x + i, y) / q * kx - 0.5;
      double t = prim.t[stage].At(x + i, y) / q * ky - 0.5;
      if (sampler.wrapU && std::isfinite(s)) s -= std::floor(s / w) * w;
      if (sampler.wrapV && std::isfinite(t)) t -= std::floor(t / h) * h;
      c.s[i] = ClampFixed8(ToFixed(s, 256.0));
      c.t[i] = ClampFixed8(ToFixed(t, 256.0));
    }
  }
  Kernel kernel = linear ? PickKernel<LinearFilter>(sampler.wrapU, sampler.wrapV, w, h)
                         : PickKernel<PointFilter>(sampler.wrapU, sampler.wrapV, w, h);
  kernel(sampler.pixels[level], w, h, c, n, out);
}

// Blends two runs of texels: out = a + (b - a) * weight / 256 per channel.
void LerpTexels(const uint32_t* b, int weight, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t a = (out[i] >> shift) & 255, c = (b[i] >> shift) & 255;
      r |= ((a * (256 - weight) + c * weight + 128) >> 8) << shift;
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

void SampleSpan(const DrawState& state, const PrimitiveSetup& prim, int stage, int x, int y, int n,
                uint32_t* out) {
  const SamplerSetup& sampler = state.samplers[stage];
  LevelChoice choice = state.perspective ? PerspectiveLevels(sampler, prim, stage, x + 0.5 * (n - 1), y)
                                         : prim.lod[stage];
  SampleLevel(sampler, choice.level0, choice.linear, prim, stage, state.perspective, x, y, n, out);
  if (choice.blend > 0) {
    uint32_t upper[kBatch];
    SampleLevel(sampler, choice.level1, choice.linear, prim, stage, state.perspective, x, y, n, upper);
    LerpTexels(upper, choice.blend, n, out);
  }
  if (sampler.opaque)
    for (int i = 0; i < n; ++i) out[i] |= 0xFF000000u;
}

}  // namespace compat::d3d9
