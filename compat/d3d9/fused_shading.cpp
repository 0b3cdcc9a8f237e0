// The fused output: after the batch's texels are sampled (or found in place
// for one-to-one copies), each row run is multiplied by the stage's constant
// and blended into the target eight pixels at a time under a lane mask, so
// short runs take no scalar tails and no mispredicted branches, and no
// intermediate run is stored and reloaded.
// The arithmetic is that of the general path's stage and blend loops.
#include "compat/d3d9/fused_shading.h"

#include <algorithm>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/pixel_ops.h"
#include "compat/d3d9/sampling.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_FUSED 1
#endif

namespace compat::d3d9 {

namespace {

// Equal up to the argument a selection ignores: a picture drawn with its
// alpha and colour each selecting the texel, whatever else each names.
bool SameOperation(const ChannelOp& a, const ChannelOp& b) {
  if (a.op != b.op) return false;
  if (a.op == Op::Select1) return a.arg1 == b.arg1;
  if (a.op == Op::Select2) return a.arg2 == b.arg2;
  return a == b;
}

bool PassesOn(const ChannelOp& c) {
  return (c.op == Op::Select1 && c.arg1 == Arg::Current) || (c.op == Op::Select2 && c.arg2 == Arg::Current);
}

// Stage 0's operation as texture times a constant; false for other forms.
bool TextureTimesConstant(const ChannelOp& c, FusedConstant& constant) {
  if ((c.op == Op::Select1 && c.arg1 == Arg::Texture) || (c.op == Op::Select2 && c.arg2 == Arg::Texture)) {
    constant = FusedConstant::None;
    return true;
  }
  if (c.op != Op::Modulate || (c.arg1 == Arg::Texture) == (c.arg2 == Arg::Texture)) return false;
  Arg other = c.arg1 == Arg::Texture ? c.arg2 : c.arg1;
  constant = other == Arg::Factor ? FusedConstant::Factor : FusedConstant::Diffuse;  // stage 0's current is diffuse
  return true;
}

// Stage 1's channel group as a mix of the current colour and its texture.
bool MixOf(const ChannelOp& c, FusedMix& mix) {
  if (PassesOn(c)) {
    mix = FusedMix::Current;
    return true;
  }
  if ((c.op == Op::Select1 && c.arg1 == Arg::Texture) || (c.op == Op::Select2 && c.arg2 == Arg::Texture)) {
    mix = FusedMix::Texture;
    return true;
  }
  bool product = c.op == Op::Modulate && ((c.arg1 == Arg::Texture && c.arg2 == Arg::Current) ||
                                          (c.arg1 == Arg::Current && c.arg2 == Arg::Texture));
  mix = FusedMix::Product;
  return product;
}

FusedBlend BlendOf(const DrawState& state, FusedPlan& plan) {
  if (state.separateAlpha) {
    const DWORD colour[2] = {state.srcBlend, state.dstBlend}, alpha[2] = {state.srcBlendAlpha, state.dstBlendAlpha};
    for (int i = 0; i < 2; ++i) {
      uint16_t use = 0, flip = 0, alphaUse = 0, alphaFlip = 0;
      if (!LaneFactor(colour[i], use, flip) || !LaneFactor(alpha[i], alphaUse, alphaFlip)) return FusedBlend::Off;
      const auto lanes = [](uint64_t c, uint64_t a) { return c * 0x0000000100010001ull | a << 48; };
      plan.factorLanes[2 * i] = lanes(use, alphaUse);
      plan.factorLanes[2 * i + 1] = lanes(flip, alphaFlip);
    }
    return FusedBlend::Factors;
  }
  if (!state.blend || (state.srcBlend == D3DBLEND_ONE && state.dstBlend == D3DBLEND_ZERO)) return FusedBlend::Copy;
  if (state.srcBlend == D3DBLEND_ONE && state.dstBlend == D3DBLEND_ONE) return FusedBlend::Add;
  if (state.srcBlend == D3DBLEND_SRCALPHA && state.dstBlend == D3DBLEND_INVSRCALPHA) return FusedBlend::Over;
  if (state.srcBlend == D3DBLEND_ONE && state.dstBlend == D3DBLEND_INVSRCALPHA)
    return FusedBlend::OverPremultiplied;
  return FusedBlend::Off;
}

#ifdef CALVETTA_FUSED
#define CALVETTA_AVX2 __attribute__((target("avx2")))
#define CALVETTA_AVX512 __attribute__((target("avx2,avx512f,avx512vl,avx512bw")))

// round(a * b / 255) on 16-bit lanes holding 0..255: with t = a * b + 128
// (at most 65153), (t + (t >> 8)) >> 8 equals (t * 257) >> 16, the high half
// of one more multiply. For t = 256h + l both are h plus (h + l) / 256
// rounded down, the second with l / 65536 (under 1 / 256) added first,
// which never carries it to the next whole number.
CALVETTA_AVX2 inline __m256i Mul255(__m256i a, __m256i b) {
  __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
  return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

// The per-lane factor masks of a separate blend: factor = (alpha & use) ^ flip.
// opaqueSrc and opaqueDst: the factors of every texel whose alpha is 255;
// opaqueOneStep: the constant and opaqueSrc as one factor, where there is one.
struct LaneFactors {
  __m256i srcUse, srcFlip, dstUse, dstFlip;
  __m256i opaqueSrc, opaqueDst, opaqueOneStep;
};

CALVETTA_AVX2 inline LaneFactors FactorsOf(const DrawState& state) {
  const int64_t* lanes = reinterpret_cast<const int64_t*>(state.fused.factorLanes);  // found by PlanFused
  return LaneFactors{_mm256_set1_epi64x(lanes[0]), _mm256_set1_epi64x(lanes[1]), _mm256_set1_epi64x(lanes[2]),
                     _mm256_set1_epi64x(lanes[3]), {}, {}, {}};
}

// Eight texels under separate factors. Eight opaque ones (kOpaque) each have
// the alpha round(255 * constant alpha / 255) after the constant (255
// without one), the same for all, so their factors are the draw's opaqueSrc
// and opaqueDst; with kOneStep the constant and the source factor are one
// product as well (see OneStepFactor).
template <bool kModulate, bool kOpaque, bool kOneStep>
CALVETTA_AVX2 inline __m256i FactorGroup(__m256i s, __m256i d, __m256i constant16, const LaneFactors& f) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i halves[2];
  for (int h = 0; h < 2; ++h) {
    __m256i s16 = h ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
    __m256i d16 = h ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
    if constexpr (kOneStep) {
      halves[h] = _mm256_add_epi16(Mul255(s16, f.opaqueOneStep), Mul255(d16, f.opaqueDst));
      continue;
    }
    if constexpr (kModulate) s16 = Mul255(s16, constant16);
    __m256i fs = f.opaqueSrc, fd = f.opaqueDst;
    if constexpr (!kOpaque) {
      __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
      fs = _mm256_xor_si256(_mm256_and_si256(a, f.srcUse), f.srcFlip);
      fd = _mm256_xor_si256(_mm256_and_si256(a, f.dstUse), f.dstFlip);
    }
    halves[h] = _mm256_add_epi16(Mul255(s16, fs), Mul255(d16, fd));
  }
  return _mm256_packus_epi16(halves[0], halves[1]);
}

// `outside`: the alpha bits of the lanes past a short run (zero for a whole
// group), whose texels read as zero. The whole-group tests below look at the
// run's own lanes only; the lanes past it are never stored.
template <FusedBlend kBlend, bool kModulate, bool kOneStep>
CALVETTA_AVX2 inline __m256i Combine(__m256i s, __m256i d, __m256i constant16, const LaneFactors& f,
                                     __m256i outside) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  if constexpr (kBlend == FusedBlend::Factors) {
    // Every lane's value is that of its own inputs under either form: the
    // opaque form's factors are those the general one finds for alpha 255.
    if (_mm256_testc_si256(_mm256_or_si256(s, outside), alpha))
      return FactorGroup<kModulate, true, kOneStep>(s, d, constant16, f);
    return FactorGroup<kModulate, false, false>(s, d, constant16, f);
  }
  // An unscaled copy is the texels; an unscaled sum saturates per byte, as
  // the widened sum and its pack do.
  if constexpr (kBlend == FusedBlend::Copy && !kModulate) return s;
  if constexpr (kBlend == FusedBlend::Add && !kModulate) return _mm256_adds_epu8(s, d);
  if constexpr ((kBlend == FusedBlend::Over || kBlend == FusedBlend::OverPremultiplied) && !kModulate) {
    // Eight opaque texels (the common picture layer): round(x * 255 / 255) is
    // x and round(d * 0 / 255) is 0, so the blend gives the texels exactly.
    if (_mm256_testc_si256(_mm256_or_si256(s, outside), alpha)) return s;
    // Eight clear ones over straight alpha: round(s * 0 / 255) + d gives d.
    if (kBlend == FusedBlend::Over && _mm256_testz_si256(s, alpha)) return d;
  }
  __m256i halves[2];
  for (int h = 0; h < 2; ++h) {
    __m256i s16 = h ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
    if constexpr (kModulate) s16 = Mul255(s16, constant16);
    if constexpr (kBlend == FusedBlend::Copy) {
      halves[h] = s16;
    } else {
      __m256i d16 = h ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
      if constexpr (kBlend == FusedBlend::Add) {
        halves[h] = _mm256_add_epi16(s16, d16);  // the pack saturates
      } else {
        __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
        __m256i sPart = kBlend == FusedBlend::Over ? Mul255(s16, a) : s16;
        halves[h] = _mm256_add_epi16(sPart, Mul255(d16, _mm256_sub_epi16(_mm256_set1_epi16(255), a)));
      }
    }
  }
  return _mm256_packus_epi16(halves[0], halves[1]);
}

// What every group of a draw's output combines with.
struct OutputConstants {
  __m256i constant16;
  LaneFactors factors;
  bool oneStep = false;  // factors.opaqueOneStep holds
};

// An opaque texel's source part is round(round(x * k / 255) * f / 255) per
// channel, k the constant's channel and f the opaque source factor: one
// product round(x * g / 255) where k is 255 (g = f), f is 255 (g = k) or f is
// 0 (g = 0), since round(x * 255 / 255) is x. The texel's alpha is 255, so
// its lane is round(k * f / 255) whatever the form, and g is that value
// (round(255 * g / 255) is g). False where a colour channel has none.
bool OneStepFactor(uint32_t constant, const uint64_t* factorLanes, uint64_t& lanes) {
  const uint64_t alpha = constant >> 24;  // round(255 * k / 255) is k
  const uint64_t f = ((alpha * 0x0001000100010001ull) & factorLanes[0]) ^ factorLanes[1];  // b, g, r, a
  const uint64_t colour = f & 0xFFFF;  // the same in the three colour lanes
  const uint32_t kColour = constant & 0x00FFFFFF;
  if (colour == 0 || kColour == 0x00FFFFFF) {
    lanes = f & 0x0000FFFFFFFFFFFFull;
  } else if (colour == 255) {
    lanes = (kColour & 0xFF) | uint64_t{(kColour >> 8) & 0xFF} << 16 | uint64_t{kColour >> 16} << 32;
  } else {
    return false;
  }
  lanes |= uint64_t{d3d9::Mul255(static_cast<uint32_t>(alpha), static_cast<uint32_t>(f >> 48))} << 48;
  return true;
}

template <FusedBlend kBlend>
CALVETTA_AVX2 inline OutputConstants ConstantsOf(const DrawState& state, uint32_t constant) {
  OutputConstants c{_mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(constant)), _mm256_setzero_si256()), {}};
  if constexpr (kBlend == FusedBlend::Factors) {
    c.factors = FactorsOf(state);
    // An opaque texel's alpha after the constant (white without one), as
    // FactorGroup works it: round(255 * k / 255) is k.
    const __m256i alpha = _mm256_set1_epi16(static_cast<short>(constant >> 24));
    c.factors.opaqueSrc = _mm256_xor_si256(_mm256_and_si256(alpha, c.factors.srcUse), c.factors.srcFlip);
    c.factors.opaqueDst = _mm256_xor_si256(_mm256_and_si256(alpha, c.factors.dstUse), c.factors.dstFlip);
    uint64_t lanes = 0;
    c.oneStep = OneStepFactor(constant, state.fused.factorLanes, lanes);
    c.factors.opaqueOneStep = _mm256_set1_epi64x(static_cast<int64_t>(lanes));
  }
  return c;
}

// A run's whole groups of eight, with plain moves (cheaper than masked ones
// on some cores); returns where the rest of the run begins.
template <FusedBlend kBlend, bool kModulate, bool kOneStep>
CALVETTA_AVX2 inline int WholeGroups(const uint32_t* src, uint32_t* dst, int n, const OutputConstants& c) {
  int i = 0;
  if constexpr ((kBlend == FusedBlend::Over || kBlend == FusedBlend::OverPremultiplied) && !kModulate) {
    // Pictures are mostly opaque: sixteen opaque texels at a time are copied
    // as they are, as Combine gives each opaque group.
    for (; i + 16 <= n; i += 16) {
      const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
      const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8));
      if (!_mm256_testc_si256(_mm256_and_si256(s0, s1), _mm256_set1_epi32(static_cast<int>(0xFF000000u)))) break;
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s0);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), s1);
    }
  }
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i d = kBlend == FusedBlend::Copy ? s : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                        Combine<kBlend, kModulate, kOneStep>(s, d, c.constant16, c.factors, _mm256_setzero_si256()));
  }
  return i;
}

// A run of fewer than eight under a lane mask: 512-bit masks
// where the core has them, AVX2 lane masks elsewhere; lanes outside the
// run are neither read nor written, except as below. `room` is how many
// pixels from dst lie inside the clip on the same row.
struct MaskTail512 {
  template <FusedBlend kBlend, bool kModulate, bool kOneStep>
  CALVETTA_AVX512 static void Run(const uint32_t* src, uint32_t* dst, int n, int /*room*/,
                                  const OutputConstants& c) {
    __mmask8 lanes = static_cast<__mmask8>(0xFFu >> (8 - n));
    __m256i s = _mm256_maskz_loadu_epi32(lanes, src);
    __m256i d = kBlend == FusedBlend::Copy ? s : _mm256_maskz_loadu_epi32(lanes, dst);
    const __m256i outside = _mm256_maskz_set1_epi32(static_cast<__mmask8>(~lanes), static_cast<int>(0xFF000000u));
    _mm256_mask_storeu_epi32(dst, lanes, Combine<kBlend, kModulate, kOneStep>(s, d, c.constant16, c.factors, outside));
  }
};

// AVX2 masked stores are slow on some cores (several times a plain one):
// where the eight pixels lie inside the clip on the run's row, the tail
// stores all eight, the lanes past the run holding the pixels it loaded.
// That row belongs to this thread for the whole draw (bands split rows, not
// columns), so nothing can change those pixels in between.
struct MaskTail256 {
  template <FusedBlend kBlend, bool kModulate, bool kOneStep>
  CALVETTA_AVX2 static void Run(const uint32_t* src, uint32_t* dst, int n, int room, const OutputConstants& c) {
    const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src), lanes);
    const __m256i outside = _mm256_andnot_si256(lanes, _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
    if (room >= 8) {
      // Masked-off lanes read as zero, as in the masked form.
      const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
      __m256i out = Combine<kBlend, kModulate, kOneStep>(s, kBlend == FusedBlend::Copy ? s : d, c.constant16,
                                                         c.factors, outside);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_blendv_epi8(d, out, lanes));
      return;
    }
    __m256i d = kBlend == FusedBlend::Copy ? s : _mm256_maskload_epi32(reinterpret_cast<const int*>(dst), lanes);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(dst), lanes,
                           Combine<kBlend, kModulate, kOneStep>(s, d, c.constant16, c.factors, outside));
  }
};

// Each segment's texels are at sources[k], or with no sources one after
// another from packed.
template <class Tail, FusedBlend kBlend, bool kModulate, bool kOneStep>
CALVETTA_AVX2 void OutputRuns(const OutputConstants& c, const DrawState& state, const Segment* segments, int count,
                              const uint32_t* const* sources, const uint32_t* packed) {
  // Held here: the stores below could otherwise be taken to change them.
  uint32_t* const target = state.target;
  const size_t pitch = static_cast<size_t>(state.pitch);
  const int clipRight = state.clip.right;
  for (int k = 0; k < count; ++k) {
    const Segment g = segments[k];  // a copy: the stores below could otherwise be taken to change it
    const uint32_t* src = sources ? sources[k] : packed;
    packed += g.n;
    uint32_t* dst = target + static_cast<size_t>(g.y) * pitch + g.x;
    if (g.n < 8) {
      Tail::template Run<kBlend, kModulate, kOneStep>(src, dst, g.n, clipRight - g.x, c);
      continue;
    }
    // The run's last eight pixels as one group, worked from the pixels as
    // they were before the groups before it store theirs: Combine gives each
    // lane a value of that lane's inputs alone, so where the two overlap
    // both store the same values, and no tail is left.
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + g.n - 8));
    const __m256i d =
        kBlend == FusedBlend::Copy ? s : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + g.n - 8));
    const __m256i last = Combine<kBlend, kModulate, kOneStep>(s, d, c.constant16, c.factors, _mm256_setzero_si256());
    if (g.n <= 16) {
      // The first eight and the last eight cover the run: no loop, whose
      // exit would follow the run's length.
      const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
      const __m256i d0 = kBlend == FusedBlend::Copy ? s0 : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst),
                          Combine<kBlend, kModulate, kOneStep>(s0, d0, c.constant16, c.factors, _mm256_setzero_si256()));
    } else {
      WholeGroups<kBlend, kModulate, kOneStep>(src, dst, g.n - 1, c);  // the groups starting before the last eight
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + g.n - 8), last);
  }
}

// round(a * b / 255) per channel of eight packed pixels.
CALVETTA_AVX512 inline __m256i Product8(__m256i a, __m256i b) {
  const __m256i zero = _mm256_setzero_si256();
  return _mm256_packus_epi16(Mul255(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero)),
                             Mul255(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero)));
}

template <FusedMix kMix>
CALVETTA_AVX512 inline __m256i Mix8(__m256i current, __m256i texture) {
  if constexpr (kMix == FusedMix::Current) return current;
  if constexpr (kMix == FusedMix::Texture) return texture;
  return Product8(current, texture);
}

// Copies of stage 0's texels (times the constant) mixed with stage 1's, as
// the general path's stage loops and MergeAlphaRun compute them.
template <bool kModulate, FusedMix kColour, FusedMix kAlpha>
CALVETTA_AVX512 void SecondTextureAvx512(const DrawState& state, const Segment* segments, int count,
                                         const uint32_t* const* first, const uint32_t* const* second,
                                         uint32_t constant) {
  const __m256i constantPixels = _mm256_set1_epi32(static_cast<int>(constant));
  const __m256i colourBits = _mm256_set1_epi32(0x00FFFFFF);
  for (int k = 0; k < count; ++k) {
    const Segment& g = segments[k];
    uint32_t* dst = state.target + static_cast<size_t>(g.y) * state.pitch + g.x;
    for (int i = 0; i < g.n; i += 8) {
      __mmask8 lanes = static_cast<__mmask8>(0xFFu >> (8 - std::min(8, g.n - i)));
      __m256i current = _mm256_maskz_loadu_epi32(lanes, first[k] + i);
      if constexpr (kModulate) current = Product8(current, constantPixels);
      __m256i texture = _mm256_maskz_loadu_epi32(lanes, second[k] + i);
      __m256i out = Mix8<kColour>(current, texture);
      if constexpr (kAlpha != kColour)
        out = _mm256_ternarylogic_epi32(colourBits, out, Mix8<kAlpha>(current, texture), 0xCA);  // bits ? out : alpha
      _mm256_mask_storeu_epi32(dst + i, lanes, out);
    }
  }
}

using SecondTextureOutput = void (*)(const DrawState&, const Segment*, int, const uint32_t* const*,
                                     const uint32_t* const*, uint32_t);

template <bool kModulate, FusedMix kColour>
SecondTextureOutput PickSecond(FusedMix alpha) {
  switch (alpha) {
    case FusedMix::Current: return &SecondTextureAvx512<kModulate, kColour, FusedMix::Current>;
    case FusedMix::Texture: return &SecondTextureAvx512<kModulate, kColour, FusedMix::Texture>;
    case FusedMix::Product: break;
  }
  return &SecondTextureAvx512<kModulate, kColour, FusedMix::Product>;
}

template <bool kModulate>
SecondTextureOutput PickSecond(FusedMix colour, FusedMix alpha) {
  switch (colour) {
    case FusedMix::Current: return PickSecond<kModulate, FusedMix::Current>(alpha);
    case FusedMix::Texture: return PickSecond<kModulate, FusedMix::Texture>(alpha);
    case FusedMix::Product: break;
  }
  return PickSecond<kModulate, FusedMix::Product>(alpha);
}

template <class Tail, FusedBlend kBlend>
CALVETTA_AVX2 void OutputWithTail(const DrawState& state, const Segment* segments, int count,
                                  const uint32_t* const* sources, const uint32_t* packed, uint32_t constant) {
  const OutputConstants c = ConstantsOf<kBlend>(state, constant);
  if (constant == 0xFFFFFFFFu) {
    OutputRuns<Tail, kBlend, false, false>(c, state, segments, count, sources, packed);
  } else if (kBlend == FusedBlend::Factors && c.oneStep) {
    OutputRuns<Tail, kBlend, true, kBlend == FusedBlend::Factors>(c, state, segments, count, sources, packed);
  } else {
    OutputRuns<Tail, kBlend, true, false>(c, state, segments, count, sources, packed);
  }
}

template <FusedBlend kBlend>
void OutputWith(const DrawState& state, const Segment* segments, int count, const uint32_t* const* sources,
                const uint32_t* packed, uint32_t constant) {
  if (HasAvx512()) {
    OutputWithTail<MaskTail512, kBlend>(state, segments, count, sources, packed, constant);
  } else {
    OutputWithTail<MaskTail256, kBlend>(state, segments, count, sources, packed, constant);
  }
}
#endif

}  // namespace

FusedPlan PlanFused(const DrawState& state) {
  FusedPlan plan;
#ifdef CALVETTA_FUSED
  if (!HasAvx2() || state.stageCount < 1) return plan;
  const StageProgram& first = state.stages[0];
  if (!first.samples || !SameOperation(first.colour, first.alpha)) return plan;
  FusedConstant constant;
  if (!TextureTimesConstant(first.colour, constant)) return plan;
  plan.constant = constant;
  plan.blend = BlendOf(state, plan);
  if (state.stageCount == 2 && state.stages[1].samples) {
    // A second texture: copies whose stage 1 mixes in its texels.
    const StageProgram& second = state.stages[1];
    plan.secondTexture = HasAvx512() && plan.blend == FusedBlend::Copy && MixOf(second.colour, plan.colour) &&
                         MixOf(second.alpha, plan.alpha);
    if (!plan.secondTexture) plan = FusedPlan{};
    return plan;
  }
  for (int s = 1; s < state.stageCount; ++s)
    if (!PassesOn(state.stages[s].colour) || !PassesOn(state.stages[s].alpha)) return FusedPlan{};
#else
  (void)state;
#endif
  return plan;
}

bool ShadeFused(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments, int count,
                int pixels) {
#ifdef CALVETTA_FUSED
  if (state.fused.constant == FusedConstant::Diffuse && prim.gouraud) return false;
  // A product with white is the texel itself, as in the general path.
  uint32_t constant = 0xFFFFFFFFu;
  if (state.fused.constant == FusedConstant::Diffuse) constant = prim.flatColour;
  if (state.fused.constant == FusedConstant::Factor) constant = state.factor;
  const uint32_t* sources[kBatch];
  BatchPixels batch{segments, count, pixels};
  if (state.fused.secondTexture) {
    // Both stages' texels read in place, or the general path.
    const uint32_t* seconds[kBatch];
    if (!DirectTexels(state, prim, 0, batch, sources) || !DirectTexels(state, prim, 1, batch, seconds))
      return false;
    bool modulate = constant != 0xFFFFFFFFu;
    (modulate ? PickSecond<true>(state.fused.colour, state.fused.alpha)
              : PickSecond<false>(state.fused.colour, state.fused.alpha))(state, segments, count, sources, seconds,
                                                                          constant);
    return true;
  }
  // Each segment's texels: straight from the texture when drawn one to one, else sampled into the batch.
  uint32_t texels[kBatch];
  const uint32_t* const* in = sources;
  if (!DirectTexels(state, prim, 0, batch, sources)) {
    SampleSegments(state, prim, 0, batch, texels);
    in = nullptr;  // the segments' texels lie one after another in texels
  }
  switch (state.fused.blend) {
    case FusedBlend::Off: return false;
    case FusedBlend::Copy: OutputWith<FusedBlend::Copy>(state, segments, count, in, texels, constant); break;
    case FusedBlend::Add: OutputWith<FusedBlend::Add>(state, segments, count, in, texels, constant); break;
    case FusedBlend::Over: OutputWith<FusedBlend::Over>(state, segments, count, in, texels, constant); break;
    case FusedBlend::OverPremultiplied:
      OutputWith<FusedBlend::OverPremultiplied>(state, segments, count, in, texels, constant);
      break;
    case FusedBlend::Factors: OutputWith<FusedBlend::Factors>(state, segments, count, in, texels, constant); break;
  }
  return true;
#else
  (void)state;
  (void)prim;
  (void)segments;
  (void)count;
  (void)pixels;
  return false;
#endif
}

}  // namespace compat::d3d9
