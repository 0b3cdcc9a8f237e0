// The 256-bit bilinear step of the filter loops.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace compat::d3d9 {

// a + ((b - a) * f + 128) / 256 rounded down, for 16-bit lanes holding
// a, b in 0..255 and f7 = f << 7 with f in 0..255: the blend of the filter
// loops, a * 256 + (b - a) * f rounded to 8 bits. mulhrs gives
// floor(((b - a) * f7 + 2^14) / 2^15) = floor(((b - a) * f + 128) / 2^8), the
// product fitting 32 bits and f7 a signed 16-bit value, so the sum is the
// exact rounded blend (the multiple of 256 in a * 256 leaves the floor alone).
__attribute__((target("avx2"))) inline __m256i Lerp8Avx2(__m256i a, __m256i b, __m256i f7) {
  return _mm256_add_epi16(a, _mm256_mulhrs_epi16(_mm256_sub_epi16(b, a), f7));
}

// Two pixels' texel pairs (8 bytes each) of a footprint's upper row as
// 16-bit words: `first` in the low 128-bit lane, `second` in the high one.
// The second comes as the first half of a 16-byte load, which stays inside
// the texture: a footprint inside has its lower pair at least two texels
// after the upper one (the width is at least two).
__attribute__((target("avx2"))) inline __m256i UpperPairWordsAvx2(const uint32_t* first, const uint32_t* second) {
  const __m256i pairs = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(second)), 1);
  return _mm256_unpacklo_epi8(pairs, _mm256_setzero_si256());
}

// The same for the lower row: both pairs as the second halves of 16-byte
// loads ending at them, which stay inside for the same reason (the upper
// pair lies at least two texels before).
__attribute__((target("avx2"))) inline __m256i LowerPairWordsAvx2(const uint32_t* first, const uint32_t* second) {
  const __m256i pairs = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first - 2))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(second - 2)), 1);
  return _mm256_unpackhi_epi8(pairs, _mm256_setzero_si256());
}

// The top-left texels of eight footprints, (t >> 8) * w + (s >> 8) (a texture
// holds fewer than 2^31 texels). The filter loops make them for a whole
// stretch first and read them back as scalars: taking them out of a vector
// in the blending loop costs more.
__attribute__((target("avx2"))) inline void TexelOffsets8Avx2(int w, const int32_t* s, const int32_t* t,
                                                             int32_t* at) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i tv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(tv, 8),
                                                                                         _mm256_set1_epi32(w)),
                                                                      _mm256_srai_epi32(sv, 8)));
}

// A texture's texel rows for the filter loops: the rows below a footprint's
// top ones are read from their own base, so that each load is one address
// form. Made once a run, behind an empty asm that keeps the compiler from
// folding the width into every index instead.
struct TexelRows {
  const uint32_t* top;
  const uint32_t* below;
};

inline TexelRows RowsOf(const uint32_t* tex, int w) {
  const uint32_t* below = tex + w;
  asm("" : "+r"(below));
  return {tex, below};
}

// Eight footprints wholly inside the texture, from 24.8 coordinates s[0..7],
// t[0..7] and their top-left texels at[0..7]: two rows of two texels each,
// blended vertically, then horizontally, each step rounded to 8 bits. The
// texels come as 16-bit words: h01 holds pixels 0 and 1 in its low 128-bit
// lane, 4 and 5 in its high one; h23 pixels 2, 3 and 6, 7. Pixel k shares
// its vectors with pixel k + 4, so each weight is spread over its words by
// an in-lane byte shuffle and a pack of h01 and h23 leaves the pixels in
// order. The texel pairs come by scalar loads, which beat gathers here.
__attribute__((target("avx2"))) inline void Bilinear8WordsAvx2(TexelRows rows, const int32_t* s, const int32_t* t,
                                                              const int32_t* at, __m256i& h01, __m256i& h23) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i tv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t));
  const __m256i low8 = _mm256_set1_epi32(255);
  const __m256i fx = _mm256_slli_epi32(_mm256_and_si256(sv, low8), 7);
  const __m256i fy = _mm256_slli_epi32(_mm256_and_si256(tv, low8), 7);
  // Byte pairs 4k, 4k + 1 of each lane over all its words: pixel k's (and k + 4's) weight.
  const __m256i spread0 = _mm256_set1_epi16(0x0100);
  const __m256i spread1 = _mm256_set1_epi16(0x0504);
  const __m256i spread2 = _mm256_set1_epi16(0x0908);
  const __m256i spread3 = _mm256_set1_epi16(0x0D0C);
  const uint32_t *tex = rows.top, *below = rows.below;
  // Vertical blends: v_k holds pixel k's left and right texels, then pixel k + 4's.
  const __m256i v0 = Lerp8Avx2(UpperPairWordsAvx2(tex + at[0], tex + at[4]),
                               LowerPairWordsAvx2(below + at[0], below + at[4]),
                               _mm256_shuffle_epi8(fy, spread0));
  const __m256i v1 = Lerp8Avx2(UpperPairWordsAvx2(tex + at[1], tex + at[5]),
                               LowerPairWordsAvx2(below + at[1], below + at[5]),
                               _mm256_shuffle_epi8(fy, spread1));
  const __m256i v2 = Lerp8Avx2(UpperPairWordsAvx2(tex + at[2], tex + at[6]),
                               LowerPairWordsAvx2(below + at[2], below + at[6]),
                               _mm256_shuffle_epi8(fy, spread2));
  const __m256i v3 = Lerp8Avx2(UpperPairWordsAvx2(tex + at[3], tex + at[7]),
                               LowerPairWordsAvx2(below + at[3], below + at[7]),
                               _mm256_shuffle_epi8(fy, spread3));
  // Horizontal blends.
  const __m256i spread01 = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5, 0, 1, 0, 1, 0, 1, 0, 1, 4,
                                            5, 4, 5, 4, 5, 4, 5);
  const __m256i spread23 = _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13, 8, 9, 8, 9, 8, 9,
                                            8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
  h01 = Lerp8Avx2(_mm256_unpacklo_epi64(v0, v1), _mm256_unpackhi_epi64(v0, v1), _mm256_shuffle_epi8(fx, spread01));
  h23 = Lerp8Avx2(_mm256_unpacklo_epi64(v2, v3), _mm256_unpackhi_epi64(v2, v3), _mm256_shuffle_epi8(fx, spread23));
}

}  // namespace compat::d3d9
#endif
