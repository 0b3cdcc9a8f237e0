// The 256-bit bilinear step shared by the filter loops and the fused shading
// loops, so that both give the same texels bit for bit.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace compat::d3d9 {

// Four footprints wholly inside the texture, from 24.8 coordinates s[0..3],
// t[0..3]: two rows of two texels each, blended as a * 256 + (b - a) * f in
// 16-bit lanes (exact modulo 2^16 since the result fits). The texel pairs come
// by scalar loads, which beat gathers on cores where gathers are microcoded;
// the weights are spread over the 16-bit lanes by byte shuffles.
__attribute__((target("avx2"))) inline __m128i Bilinear4Avx2(const uint32_t* tex, int w, const int32_t* s,
                                                            const int32_t* t) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi16(128);
  const __m128i low8 = _mm_set1_epi32(255);
  // Word k of each 128-bit lane takes byte 0 (or 8) of that lane: one pixel's weight.
  const __m256i spreadFirst = _mm256_setr_epi8(0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0,
                                               -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128, 0, -128,
                                               0, -128);
  const __m256i spreadSecond = _mm256_setr_epi8(8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8,
                                                -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8, -128, 8,
                                                -128, 8, -128);
  auto load2 = [](const uint32_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
  __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
  // The footprints' top-left texels, (t >> 8) * w + (s >> 8), in four lanes
  // at once (a texture holds fewer than 2^31 texels), taken out two by two.
  __m128i offsets = _mm_add_epi32(_mm_mullo_epi32(_mm_srai_epi32(tv, 8), _mm_set1_epi32(w)), _mm_srai_epi32(sv, 8));
  const int64_t low = _mm_cvtsi128_si64(offsets), high = _mm_extract_epi64(offsets, 1);
  const int64_t at[4] = {static_cast<int32_t>(low), low >> 32, static_cast<int32_t>(high), high >> 32};
  // Rows below from their own base, so each load is one address form.
  const uint32_t* below = tex + w;
  __m256i top = _mm256_set_m128i(_mm_unpacklo_epi64(load2(tex + at[2]), load2(tex + at[3])),
                                 _mm_unpacklo_epi64(load2(tex + at[0]), load2(tex + at[1])));
  __m256i bottom = _mm256_set_m128i(_mm_unpacklo_epi64(load2(below + at[2]), load2(below + at[3])),
                                    _mm_unpacklo_epi64(load2(below + at[0]), load2(below + at[1])));
  __m256i fx = _mm256_cvtepu32_epi64(_mm_and_si128(sv, low8));
  __m256i fy = _mm256_cvtepu32_epi64(_mm_and_si128(tv, low8));
  // Vertical blends, k = 0: pixels 0 and 2; k = 1: pixels 1 and 3 (left then right texel of each).
  __m256i vertical[2];
  for (int k = 0; k < 2; ++k) {
    const __m256i& spread = k ? spreadSecond : spreadFirst;
    __m256i tw = k ? _mm256_unpackhi_epi8(top, zero) : _mm256_unpacklo_epi8(top, zero);
    __m256i bw = k ? _mm256_unpackhi_epi8(bottom, zero) : _mm256_unpacklo_epi8(bottom, zero);
    __m256i v = _mm256_add_epi16(_mm256_slli_epi16(tw, 8),
                                 _mm256_mullo_epi16(_mm256_sub_epi16(bw, tw), _mm256_shuffle_epi8(fy, spread)));
    vertical[k] = _mm256_srli_epi16(_mm256_add_epi16(v, half), 8);
  }
  // The horizontal blend of all four at once: left texels (lane 0: p0 p1, lane 1: p2 p3) and right ones.
  const __m256i spreadPair = _mm256_setr_epi8(0, -128, 0, -128, 0, -128, 0, -128, 8, -128, 8, -128, 8, -128, 8,
                                              -128, 0, -128, 0, -128, 0, -128, 0, -128, 8, -128, 8, -128, 8, -128,
                                              8, -128);
  __m256i left = _mm256_unpacklo_epi64(vertical[0], vertical[1]);
  __m256i right = _mm256_unpackhi_epi64(vertical[0], vertical[1]);
  __m256i h = _mm256_add_epi16(_mm256_slli_epi16(left, 8),
                               _mm256_mullo_epi16(_mm256_sub_epi16(right, left), _mm256_shuffle_epi8(fx, spreadPair)));
  h = _mm256_srli_epi16(_mm256_add_epi16(h, half), 8);
  __m256i packed = _mm256_packus_epi16(h, h);
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
}

}  // namespace compat::d3d9
#endif
