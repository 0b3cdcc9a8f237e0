// Texture filter loops over runs of texel coordinates (24.8 fixed point):
// POINT and bilinear, inside the texture or with wrap/clamp addressing.
#include "compat/d3d9/texture_filters.h"

#include <algorithm>

#include "compat/d3d9/bilinear_avx2.h"
#include "compat/d3d9/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_X86 1
#endif

namespace compat::d3d9 {

namespace {

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
// Lambdas do not take their function's target: the loops' own say it again.
#define CALVETTA_AVX2_LAMBDA __attribute__((target("avx2")))

// Pixels the filter loops take between making their texel offsets.
constexpr int kOffsetChunk = 256;

// Runs as groups of eight: `offsets(i, count)` makes the texel offsets of
// `count` pixels from i (at most kOffsetChunk, a multiple of eight) into the
// caller's arrays, then `group(i, k)` takes pixels i .. i + 7, whose offsets
// start at k in those arrays. The last one to seven pixels go as the group of
// eight ending the run (rewriting some with the same texels); runs shorter
// than eight go to `shortRun`.
template <class Offsets, class Group, class ShortRun>
__attribute__((target("avx2"))) inline void InGroupsOfEight(int n, Offsets offsets, Group group, ShortRun shortRun) {
  if (n < 8) return shortRun();
  int i = 0;
  while (i + 8 <= n) {
    const int count = std::min(kOffsetChunk, (n - i) & ~7);
    offsets(i, count);
    for (int k = 0; k < count; k += 8) group(i + k, k);
    i += count;
  }
  if (i < n) {
    offsets(n - 8, 8);
    group(n - 8, 0);
  }
}

// How far ahead (in pixels) a group asks for the texel rows of the group
// after next: a run's rows jump where it passes from one segment to the next,
// which the processor's own prefetching cannot foresee.
constexpr int kPrefetchAhead = 16;
// Offsets kept past a stretch's end for the last groups' look ahead.
constexpr int kOffsetSlack = kPrefetchAhead + 8;

// The last of `count` offsets repeated over the slack after them.
__attribute__((target("avx2"))) inline void PadOffsets(int32_t* at, int count) {
  static_assert(kOffsetSlack % 8 == 0);
  const __m256i last = _mm256_set1_epi32(at[count - 1]);
  for (int k = count; k < count + kOffsetSlack; k += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(at + k), last);
}

// The offsets of `count` pixels (a multiple of eight) of a run, and the slack.
__attribute__((target("avx2"))) inline void RunOffsets(int w, const int32_t* s, const int32_t* t, int count,
                                                      int32_t* at) {
  for (int k = 0; k < count; k += 8) TexelOffsets8Avx2(w, s + k, t + k, at + k);
  PadOffsets(at, count);
}

// Asks for the cache lines two and three texel rows below the footprint at
// the last pixel of the group after the one whose offsets start at `at`.
// The rows a run reads now were mostly brought in by the run of the pixel
// row above (a batch's runs follow each other down a triangle), while the
// next run reads about one texel row further down: those lines are the ones
// that miss, and asking a run ahead leaves time for a miss to the shared
// cache or memory. The processor's own prefetching cannot help there: a row
// of a texture 1024 texels wide fills a 4 KB page, and it stops at page
// ends. (Prefetches never fault: the lines may lie past the texture; the
// sums are made as integers for that reason.)
inline void PrefetchRows(TexelRows rows, const int32_t* at) {
  const uintptr_t row = reinterpret_cast<uintptr_t>(rows.below) - reinterpret_cast<uintptr_t>(rows.top);
  const uintptr_t ahead = reinterpret_cast<uintptr_t>(rows.below + at[kPrefetchAhead + 7]) + row;
  _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(ahead + row), _MM_HINT_T0);
}

// The first n (< 8) footprints of a run, the missing lanes repeating the
// last one (inside the texture), with their offsets.
struct ShortGroup {
  alignas(32) int32_t s[8], t[8], at[8];
};

__attribute__((target("avx2"))) inline void MakeShortGroup(int w, const int32_t* s, const int32_t* t, int n,
                                                          ShortGroup& g) {
  for (int k = 0; k < 8; ++k) {
    g.s[k] = s[std::min(k, n - 1)];
    g.t[k] = t[std::min(k, n - 1)];
  }
  TexelOffsets8Avx2(w, g.s, g.t, g.at);
}

// Stores the first n (< 8) texels of a group under a mask.
__attribute__((target("avx2"))) inline void StoreShort(__m256i texels, int n, uint32_t* out) {
  __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  _mm256_maskstore_epi32(reinterpret_cast<int*>(out), keep, texels);
}

__attribute__((target("avx2"))) inline __m256i Bilinear8Avx2(TexelRows rows, const int32_t* s, const int32_t* t,
                                                            const int32_t* at) {
  __m256i h01, h23;
  Bilinear8WordsAvx2(rows, s, t, at, h01, h23);
  return _mm256_packus_epi16(h01, h23);
}

__attribute__((target("avx2"))) void BilinearInteriorAvx2(const uint32_t* tex, int w, const int32_t* s,
                                                           const int32_t* t, int n, uint32_t* out) {
  if (n <= 0) return;
  const TexelRows rows = RowsOf(tex, w);
  alignas(32) int32_t at[kOffsetChunk + kOffsetSlack];
  InGroupsOfEight(
      n, [&](int i, int count) CALVETTA_AVX2_LAMBDA { RunOffsets(w, s + i, t + i, count, at); },
      [&](int i, int k) CALVETTA_AVX2_LAMBDA {
        PrefetchRows(rows, at + k);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Bilinear8Avx2(rows, s + i, t + i, at + k));
      },
      [&]() CALVETTA_AVX2_LAMBDA {
        ShortGroup g;
        MakeShortGroup(w, s, t, n, g);
        StoreShort(Bilinear8Avx2(rows, g.s, g.t, g.at), n, out);
      });
}

// Both levels' texels of eight pixels, blended, as bytes.
__attribute__((target("avx2"))) inline __m256i Trilinear8Avx2(TexelRows lower, const int32_t* s0, const int32_t* t0,
                                                             const int32_t* at0, TexelRows upper, const int32_t* s1,
                                                             const int32_t* t1, const int32_t* at1, __m256i weight7) {
  __m256i a01, a23, b01, b23;
  Bilinear8WordsAvx2(lower, s0, t0, at0, a01, a23);
  Bilinear8WordsAvx2(upper, s1, t1, at1, b01, b23);
  return _mm256_packus_epi16(Lerp8Avx2(a01, b01, weight7), Lerp8Avx2(a23, b23, weight7));
}

__attribute__((target("avx2"))) void TrilinearInteriorAvx2(const LevelRun& lower, const LevelRun& upper, int weight,
                                                            int n, uint32_t* __restrict out) {
  if (n <= 0) return;
  // Locals, which the stores to `out` cannot touch: the loop keeps them in
  // registers instead of reading them again for every group.
  const TexelRows rows0 = RowsOf(lower.texels, lower.width), rows1 = RowsOf(upper.texels, upper.width);
  const int w0 = lower.width, w1 = upper.width;
  const int32_t *s0 = lower.s, *t0 = lower.t, *s1 = upper.s, *t1 = upper.t;
  const __m256i weight7 = _mm256_set1_epi16(static_cast<short>(weight << 7));
  alignas(32) int32_t at0[kOffsetChunk + kOffsetSlack], at1[kOffsetChunk + kOffsetSlack];
  InGroupsOfEight(
      n,
      [&](int i, int count) CALVETTA_AVX2_LAMBDA {
        for (int k = 0; k < count; k += 8) {
          TexelOffsets8Avx2(w0, s0 + i + k, t0 + i + k, at0 + k);
          TexelOffsets8Avx2(w1, s1 + i + k, t1 + i + k, at1 + k);
        }
        PadOffsets(at0, count);
        PadOffsets(at1, count);
      },
      [&](int i, int k) CALVETTA_AVX2_LAMBDA {
        PrefetchRows(rows0, at0 + k);
        PrefetchRows(rows1, at1 + k);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Trilinear8Avx2(rows0, s0 + i, t0 + i, at0 + k, rows1,
                                                                                s1 + i, t1 + i, at1 + k, weight7));
      },
      [&]() CALVETTA_AVX2_LAMBDA {
        ShortGroup a, b;
        MakeShortGroup(w0, s0, t0, n, a);
        MakeShortGroup(w1, s1, t1, n, b);
        StoreShort(Trilinear8Avx2(rows0, a.s, a.t, a.at, rows1, b.s, b.t, b.at, weight7), n, out);
      });
}

// Most texel columns a row run blends up front; wider runs (strong
// minification) take the general loop.
constexpr int kRowColumns = 160;

// Vertical blends of texels c .. c + 3 of two rows, 16-bit words (fy7: the weight << 7).
__attribute__((target("avx2"))) inline __m256i Vertical4(const uint32_t* top, const uint32_t* bottom, __m256i fy7) {
  __m256i a = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top)));
  __m256i b = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom)));
  return Lerp8Avx2(a, b, fy7);
}

// A run along one texel row: the vertical blend of every column it touches
// (the value the per-pixel loop computes for that column) is made once and
// kept as 16-byte pairs of neighbouring columns, so each pixel reads its two
// in one aligned load (loads straddling recent stores would stall), then
// blends them horizontally.
__attribute__((target("avx2"))) void BilinearRowAvx2(const uint32_t* tex, int w, const int32_t* s,
                                                      const int32_t* t, int n, uint32_t* out) {
  int first = std::min(s[0], s[n - 1]) >> 8, last = std::max(s[0], s[n - 1]) >> 8;
  // Columns first .. last + 1 are read; groups of four reach three past them.
  int count = last + 1 - first;
  if (n < 16 || count > kRowColumns || first + ((count + 3) & ~3) + 1 > w)
    return BilinearInteriorAvx2(tex, w, s, t, n, out);
  alignas(32) uint16_t pairs[(kRowColumns + 4) * 8];
  const uint32_t* top = tex + static_cast<size_t>(t[0] >> 8) * w + first;
  const uint32_t* bottom = top + w;
  const __m256i fy = _mm256_set1_epi16(static_cast<short>((t[0] & 255) << 7));
  for (int c = 0; c < count; c += 4) {
    __m256i left = Vertical4(top + c, bottom + c, fy);           // columns c .. c + 3
    __m256i right = Vertical4(top + c + 1, bottom + c + 1, fy);  // columns c + 1 .. c + 4
    __m256i even = _mm256_unpacklo_epi64(left, right);  // pairs c, c + 2
    __m256i odd = _mm256_unpackhi_epi64(left, right);   // pairs c + 1, c + 3
    _mm256_store_si256(reinterpret_cast<__m256i*>(pairs + c * 8), _mm256_permute2x128_si256(even, odd, 0x20));
    _mm256_store_si256(reinterpret_cast<__m256i*>(pairs + c * 8 + 16), _mm256_permute2x128_si256(even, odd, 0x31));
  }
  auto pair = [&](int i) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(pairs + ((s[i] >> 8) - first) * 8));
  };
  // Words 0-3 of each 128-bit lane take its bytes 0-1, words 4-7 its bytes 8-9.
  const __m256i spread = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9, 0, 1, 0, 1, 0, 1, 0, 1, 8, 9,
                                          8, 9, 8, 9, 8, 9);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m256i v01 = _mm256_set_m128i(pair(i + 1), pair(i));
    __m256i v23 = _mm256_set_m128i(pair(i + 3), pair(i + 2));
    // Low lane: pixels i, i + 2; high lane: i + 1, i + 3.
    __m256i left = _mm256_unpacklo_epi64(v01, v23), right = _mm256_unpackhi_epi64(v01, v23);
    __m128i f = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), _mm_set1_epi32(255));
    __m256i fx = _mm256_shuffle_epi8(_mm256_cvtepu32_epi64(_mm_shuffle_epi32(_mm_slli_epi32(f, 7), 0xD8)), spread);
    __m256i h = Lerp8Avx2(left, right, fx);
    __m256i packed = _mm256_packus_epi16(h, h);
    __m128i low = _mm256_castsi256_si128(packed), high = _mm256_extracti128_si256(packed, 1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(low, high));
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

template <class AU, class AV>
AddressedKernel Addressed(bool linear) {
  return linear ? &BilinearAddressed<AU, AV> : &PointAddressed<AU, AV>;
}

template <class AU>
AddressedKernel AddressedV(bool linear, bool wrapV, bool pow2V) {
  if (!wrapV) return Addressed<AU, Clamp>(linear);
  return pow2V ? Addressed<AU, WrapPow2>(linear) : Addressed<AU, WrapAny>(linear);
}

}  // namespace

InteriorKernel PickInterior(bool linear) {
  if (!linear) return &PointInterior;
#ifdef CALVETTA_X86
  return HasAvx2() ? &BilinearInteriorAvx2 : &BilinearInterior;
#else
  return &BilinearInterior;
#endif
}

InteriorKernel PickRowInterior(bool linear) {
#ifdef CALVETTA_X86
  if (linear && HasAvx2()) return &BilinearRowAvx2;
#endif
  return PickInterior(linear);
}

TrilinearKernel PickTrilinearInterior() {
#ifdef CALVETTA_X86
  if (HasAvx2()) return &TrilinearInteriorAvx2;
#endif
  return nullptr;
}

AddressedKernel PickAddressed(bool linear, bool wrapU, bool wrapV, int w, int h) {
  bool pow2U = (w & (w - 1)) == 0, pow2V = (h & (h - 1)) == 0;
  if (!wrapU) return AddressedV<Clamp>(linear, wrapV, pow2V);
  return pow2U ? AddressedV<WrapPow2>(linear, wrapV, pow2V) : AddressedV<WrapAny>(linear, wrapV, pow2V);
}


namespace {

#ifdef CALVETTA_X86
__attribute__((target("avx2"))) int LerpTexelsAvx2(const uint32_t* b, int weight, int n, uint32_t* out) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i f = _mm256_set1_epi16(static_cast<short>(weight << 7));  // weight < 256
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + i));
    __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
    __m256i low = Lerp8Avx2(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(c, zero), f);
    __m256i high = Lerp8Avx2(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(c, zero), f);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(low, high));
  }
  return i;
}
#endif

}  // namespace

// Blends two runs of texels: out = a + (b - a) * weight / 256 per channel.
void LerpTexels(const uint32_t* b, int weight, int n, uint32_t* out) {
  int i = 0;
#ifdef CALVETTA_X86
  if (HasAvx2()) i = LerpTexelsAvx2(b, weight, n, out);
#endif
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

}  // namespace compat::d3d9
