// Stage operations and frame-buffer blending over runs of pixels. The factor
// pairs the renderer uses have their own SIMD loops; the rest go per channel.
#include "compat/d3d9/pixel_ops.h"

#include <algorithm>
#include <cstring>

#include "compat/d3d9/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_X86 1
#endif

namespace compat::d3d9 {

namespace {

#ifdef __SSE2__
// round(a * b / 255) on 16-bit lanes holding 0..255.
inline __m128i Mul255x8(__m128i a, __m128i b) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Each pixel's alpha repeated over its four 16-bit lanes.
inline __m128i AlphaLanes(__m128i px16) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(px16, 0xFF), 0xFF);
}

inline __m128i Load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
#endif

#ifdef CALVETTA_X86
// 256-bit forms of the hot loops, chosen at run time.
__attribute__((target("avx2"))) inline __m256i Mul255x16(__m256i a, __m256i b) {
  __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

template <bool scaleSource>
__attribute__((target("avx2"))) int BlendOverAvx2(const uint32_t* src, uint32_t* dst, int n) {
  const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(255);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    __m256i halves[2];
    for (int h = 0; h < 2; ++h) {
      __m256i s16 = h ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
      __m256i d16 = h ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
      __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
      __m256i sPart = scaleSource ? Mul255x16(s16, a) : s16;
      halves[h] = _mm256_add_epi16(sPart, Mul255x16(d16, _mm256_sub_epi16(full, a)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(halves[0], halves[1]));
  }
  return i;
}

__attribute__((target("avx2"))) int ModulateConstantAvx2(const uint32_t* a, uint32_t constant, uint32_t* out,
                                                         int n) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(constant)), zero);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
    __m256i lo = Mul255x16(_mm256_unpacklo_epi8(x, zero), c16);
    __m256i hi = Mul255x16(_mm256_unpackhi_epi8(x, zero), c16);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}

// Eight pixels a step: colour bytes from one run, alpha bytes from the other.
__attribute__((target("avx2"))) int MergeAlphaAvx2(const uint32_t* colour, const uint32_t* alpha, uint32_t* out,
                                                   int n) {
  const __m256i alphaBytes = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colour + i));
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(alpha + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_blendv_epi8(c, a, alphaBytes));
  }
  return i;
}

#endif

uint32_t ModulatePixel(uint32_t a, uint32_t b) {
  uint32_t r = 0;
  for (int shift = 0; shift < 32; shift += 8)
    r |= Mul255((a >> shift) & 255, (b >> shift) & 255) << shift;
  return r;
}

// --- generic blending, one channel at a time ---

uint32_t Factor(DWORD blend, uint32_t s, uint32_t sa, uint32_t d, uint32_t da) {
  switch (blend) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return s;
    case D3DBLEND_INVSRCCOLOR: return 255 - s;
    case D3DBLEND_SRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA: return 255 - sa;
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return 255 - da;
    case D3DBLEND_DESTCOLOR: return d;
    case D3DBLEND_INVDESTCOLOR: return 255 - d;
    case D3DBLEND_SRCALPHASAT: return std::min(sa, 255 - da);
    default: return 0;
  }
}

// The alpha channel takes its own pair; SRCALPHASAT is (f, f, f, 1), so
// its alpha factor is one.
void BlendGeneric(const BlendFactors& f, const uint32_t* src, uint32_t* dst, int n) {
  for (int i = 0; i < n; ++i) {
    uint32_t s = src[i], d = dst[i], sa = s >> 24, da = d >> 24, out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255;
      bool alpha = shift == 24;
      DWORD srcFactor = alpha ? f.srcAlpha : f.src, dstFactor = alpha ? f.dstAlpha : f.dst;
      uint32_t fs = alpha && srcFactor == D3DBLEND_SRCALPHASAT ? 255 : Factor(srcFactor, sc, sa, dc, da);
      uint32_t fd = alpha && dstFactor == D3DBLEND_SRCALPHASAT ? 255 : Factor(dstFactor, sc, sa, dc, da);
      out |= std::min(255u, Mul255(sc, fs) + Mul255(dc, fd)) << shift;
    }
    dst[i] = out;
  }
}

void BlendGeneric(DWORD srcFactor, DWORD dstFactor, const uint32_t* src, uint32_t* dst, int n) {
  BlendGeneric(BlendFactors{srcFactor, dstFactor, srcFactor, dstFactor}, src, dst, n);
}

// ONE, ONE: saturating sum.
void BlendAdd(const uint32_t* src, uint32_t* dst, int n) {
  int i = 0;
#ifdef __SSE2__
  for (; i + 4 <= n; i += 4) Store4(dst + i, _mm_adds_epu8(Load4(src + i), Load4(dst + i)));
#endif
  BlendGeneric(D3DBLEND_ONE, D3DBLEND_ONE, src + i, dst + i, n - i);
}

// SRCALPHA, INVSRCALPHA when `scaleSource`; ONE, INVSRCALPHA otherwise.
template <bool scaleSource>
void BlendOver(const uint32_t* src, uint32_t* dst, int n) {
  int i = 0;
#ifdef CALVETTA_X86
  if (HasAvx2()) i = BlendOverAvx2<scaleSource>(src, dst, n);
#endif
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255);
  for (; i + 4 <= n; i += 4) {
    __m128i s = Load4(src + i), d = Load4(dst + i);
    __m128i halves[2];
    for (int h = 0; h < 2; ++h) {
      __m128i s16 = h ? _mm_unpackhi_epi8(s, zero) : _mm_unpacklo_epi8(s, zero);
      __m128i d16 = h ? _mm_unpackhi_epi8(d, zero) : _mm_unpacklo_epi8(d, zero);
      __m128i a = AlphaLanes(s16);
      __m128i sPart = scaleSource ? Mul255x8(s16, a) : s16;
      halves[h] = _mm_add_epi16(sPart, Mul255x8(d16, _mm_sub_epi16(full, a)));
    }
    Store4(dst + i, _mm_packus_epi16(halves[0], halves[1]));
  }
#endif
  BlendGeneric(scaleSource ? D3DBLEND_SRCALPHA : D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, src + i, dst + i, n - i);
}


#ifdef __SSE2__
// Two pixels in 16-bit lanes; each blend is a function of source and target lanes.
struct AddLanes {
  static __m128i Apply(__m128i s, __m128i d) { return _mm_add_epi16(s, d); }  // packus saturates
};
template <bool scaleSource>
struct OverLanes {
  static __m128i Apply(__m128i s, __m128i d) {
    __m128i a = AlphaLanes(s);
    __m128i sPart = scaleSource ? Mul255x8(s, a) : s;
    return _mm_add_epi16(sPart, Mul255x8(d, _mm_sub_epi16(_mm_set1_epi16(255), a)));
  }
};

// Four pixels at a time, then two, then one, loading exactly what each step needs.
template <class Lanes>
void BlendShort(const uint32_t* src, uint32_t* dst, int n) {
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i s = Load4(src + i), d = Load4(dst + i);
    __m128i lo = Lanes::Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    __m128i hi = Lanes::Apply(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    Store4(dst + i, _mm_packus_epi16(lo, hi));
  }
  if (i + 2 <= n) {
    __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i));
    __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst + i));
    __m128i r = Lanes::Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(r, r));
    i += 2;
  }
  if (i < n) {
    __m128i s = _mm_cvtsi32_si128(static_cast<int>(src[i]));
    __m128i d = _mm_cvtsi32_si128(static_cast<int>(dst[i]));
    __m128i r = Lanes::Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    dst[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(r, r)));
  }
}
#endif

#ifdef __SSE2__
// Per-lane factor masks of a separate blend, alpha lanes from the alpha pair.
struct LaneMasks {
  uint16_t srcUse[8], srcFlip[8], dstUse[8], dstFlip[8];
};

bool MasksOf(const BlendFactors& f, LaneMasks& m) {
  uint16_t su, sf, du, df, sua, sfa, dua, dfa;
  if (!LaneFactor(f.src, su, sf) || !LaneFactor(f.dst, du, df) || !LaneFactor(f.srcAlpha, sua, sfa) ||
      !LaneFactor(f.dstAlpha, dua, dfa))
    return false;
  for (int i = 0; i < 8; ++i) {
    bool alpha = i % 4 == 3;
    m.srcUse[i] = alpha ? sua : su;
    m.srcFlip[i] = alpha ? sfa : sf;
    m.dstUse[i] = alpha ? dua : du;
    m.dstFlip[i] = alpha ? dfa : df;
  }
  return true;
}

// src * ((a & srcUse) ^ srcFlip) + dst * ((a & dstUse) ^ dstFlip) on 16-bit lanes.
struct FactorLanes {
  __m128i srcUse, srcFlip, dstUse, dstFlip;
  explicit FactorLanes(const LaneMasks& m)
      : srcUse(Load8(m.srcUse)), srcFlip(Load8(m.srcFlip)), dstUse(Load8(m.dstUse)), dstFlip(Load8(m.dstFlip)) {}
  static __m128i Load8(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  __m128i Apply(__m128i s, __m128i d) const {
    __m128i a = AlphaLanes(s);
    __m128i fs = _mm_xor_si128(_mm_and_si128(a, srcUse), srcFlip);
    __m128i fd = _mm_xor_si128(_mm_and_si128(a, dstUse), dstFlip);
    return _mm_add_epi16(Mul255x8(s, fs), Mul255x8(d, fd));  // packus saturates
  }
};
#endif

#ifdef CALVETTA_X86
__attribute__((target("avx2"))) int BlendFactorsAvx2(const LaneMasks& m, const uint32_t* src, uint32_t* dst,
                                                     int n) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i masks[4];
  const uint16_t* from[4] = {m.srcUse, m.srcFlip, m.dstUse, m.dstFlip};
  for (int k = 0; k < 4; ++k)
    masks[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from[k])));
  const __m256i srcUse = masks[0], srcFlip = masks[1], dstUse = masks[2], dstFlip = masks[3];
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    __m256i halves[2];
    for (int h = 0; h < 2; ++h) {
      __m256i s16 = h ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
      __m256i d16 = h ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
      __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
      __m256i fs = _mm256_xor_si256(_mm256_and_si256(a, srcUse), srcFlip);
      __m256i fd = _mm256_xor_si256(_mm256_and_si256(a, dstUse), dstFlip);
      halves[h] = _mm256_add_epi16(Mul255x16(s16, fs), Mul255x16(d16, fd));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(halves[0], halves[1]));
  }
  return i;
}
#endif

}  // namespace

ShortBlend PickShortBlend(DWORD srcFactor, DWORD dstFactor) {
#ifdef __SSE2__
  if (srcFactor == D3DBLEND_ONE && dstFactor == D3DBLEND_ONE)
    return [](DWORD, DWORD, const uint32_t* s, uint32_t* d, int n) { BlendShort<AddLanes>(s, d, n); };
  if (srcFactor == D3DBLEND_SRCALPHA && dstFactor == D3DBLEND_INVSRCALPHA)
    return [](DWORD, DWORD, const uint32_t* s, uint32_t* d, int n) { BlendShort<OverLanes<true>>(s, d, n); };
  if (srcFactor == D3DBLEND_ONE && dstFactor == D3DBLEND_INVSRCALPHA)
    return [](DWORD, DWORD, const uint32_t* s, uint32_t* d, int n) { BlendShort<OverLanes<false>>(s, d, n); };
#endif
  (void)srcFactor;
  (void)dstFactor;
  return &BlendRun;
}

void ModulateRun(const uint32_t* a, const uint32_t* b, uint32_t* out, int n) {
  int i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= n; i += 4) {
    __m128i x = Load4(a + i), y = Load4(b + i);
    __m128i lo = Mul255x8(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero));
    __m128i hi = Mul255x8(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero));
    Store4(out + i, _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) out[i] = ModulatePixel(a[i], b[i]);
}

void ModulateConstantRun(const uint32_t* a, uint32_t constant, uint32_t* out, int n) {
  if (constant == 0xFFFFFFFFu) {
    if (out != a) std::memmove(out, a, static_cast<size_t>(n) * 4);
    return;
  }
  uint32_t repeated[4] = {constant, constant, constant, constant};
  int i = 0;
#ifdef CALVETTA_X86
  if (HasAvx2()) i = ModulateConstantAvx2(a, constant, out, n);
#endif
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  __m128i c = Load4(repeated);
  __m128i c16 = _mm_unpacklo_epi8(c, zero);
  for (; i + 4 <= n; i += 4) {
    __m128i x = Load4(a + i);
    __m128i lo = Mul255x8(_mm_unpacklo_epi8(x, zero), c16);
    __m128i hi = Mul255x8(_mm_unpackhi_epi8(x, zero), c16);
    Store4(out + i, _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) out[i] = ModulatePixel(a[i], repeated[0]);
}

void MergeAlphaRun(const uint32_t* colour, const uint32_t* alpha, uint32_t* out, int n) {
  int i = 0;
#ifdef CALVETTA_X86
  if (HasAvx2()) i = MergeAlphaAvx2(colour, alpha, out, n);
#endif
  for (; i < n; ++i) out[i] = (colour[i] & 0x00FFFFFFu) | (alpha[i] & 0xFF000000u);
}

bool LaneFactor(DWORD blend, uint16_t& use, uint16_t& flip) {
  switch (blend) {
    case D3DBLEND_ZERO: use = 0, flip = 0; return true;
    case D3DBLEND_ONE: use = 0, flip = 255; return true;
    case D3DBLEND_SRCALPHA: use = 0xFFFF, flip = 0; return true;
    case D3DBLEND_INVSRCALPHA: use = 0xFFFF, flip = 255; return true;
    default: return false;
  }
}

// Eight, four, two, then one pixel at a time, loading exactly what each step
// needs: long runs and a mesh's short ones alike.
void BlendRunSeparate(const BlendFactors& factors, const uint32_t* src, uint32_t* dst, int n) {
#ifdef __SSE2__
  LaneMasks m;
  if (!MasksOf(factors, m)) {
    BlendGeneric(factors, src, dst, n);
    return;
  }
  int i = 0;
#ifdef CALVETTA_X86
  if (HasAvx2()) i = BlendFactorsAvx2(m, src, dst, n);
#endif
  const FactorLanes lanes(m);
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= n; i += 4) {
    __m128i s = Load4(src + i), d = Load4(dst + i);
    __m128i lo = lanes.Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    __m128i hi = lanes.Apply(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    Store4(dst + i, _mm_packus_epi16(lo, hi));
  }
  if (i + 2 <= n) {
    __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i));
    __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst + i));
    __m128i r = lanes.Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(r, r));
    i += 2;
  }
  if (i < n) {
    __m128i s = _mm_cvtsi32_si128(static_cast<int>(src[i]));
    __m128i d = _mm_cvtsi32_si128(static_cast<int>(dst[i]));
    __m128i r = lanes.Apply(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    dst[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(r, r)));
  }
#else
  BlendGeneric(factors, src, dst, n);
#endif
}

void BlendRun(DWORD srcFactor, DWORD dstFactor, const uint32_t* src, uint32_t* dst, int n) {
  if (srcFactor == D3DBLEND_ONE && dstFactor == D3DBLEND_ZERO) {
    std::memcpy(dst, src, static_cast<size_t>(n) * 4);
  } else if (srcFactor == D3DBLEND_ONE && dstFactor == D3DBLEND_ONE) {
    BlendAdd(src, dst, n);
  } else if (srcFactor == D3DBLEND_SRCALPHA && dstFactor == D3DBLEND_INVSRCALPHA) {
    BlendOver<true>(src, dst, n);
  } else if (srcFactor == D3DBLEND_ONE && dstFactor == D3DBLEND_INVSRCALPHA) {
    BlendOver<false>(src, dst, n);
  } else {
    BlendGeneric(srcFactor, dstFactor, src, dst, n);
  }
}

}  // namespace compat::d3d9
