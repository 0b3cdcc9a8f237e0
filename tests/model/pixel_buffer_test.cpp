// Pixel and mask buffers: OVER compositing, alpha from masks, plane copies,
// the blurs (against sums worked out here) and rectangle copies.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "compat/afx/file.h"
#include "model/raster/gradient_desc.h"
#include "model/raster/pixel_buffer.h"

namespace {

CMaskBuffer Mask(int w, int h, std::initializer_list<int> values) {
  CMaskBuffer m(0, 0, w, h);
  int i = 0;
  for (int v : values) m.bits[i++] = static_cast<BYTE>(v);
  return m;
}

int64_t Sum(const std::vector<BYTE>& v) { return std::accumulate(v.begin(), v.end(), int64_t{0}); }

}  // namespace

TEST(MaskBuffer, SubtractKeepsSmallerBytesAndIntersectIsBitwise) {
  CMaskBuffer a = Mask(4, 1, {10, 20, 0xF0, 7});
  CMaskBuffer b = Mask(4, 1, {20, 10, 0x3C, 7});
  a.Subtract(b);
  EXPECT_EQ(a.bits[0], 10);
  EXPECT_EQ(a.bits[1], 10);
  EXPECT_EQ(a.bits[2], 0xF0 - 0x3C);
  EXPECT_EQ(a.bits[3], 0);
  CMaskBuffer c = Mask(4, 1, {0xF0, 0xFF, 0x0F, 0});
  b.Intersect(c);
  EXPECT_EQ(b.bits[0], 20 & 0xF0);
  EXPECT_EQ(b.bits[1], 10);
  EXPECT_EQ(b.bits[2], 0x3C & 0x0F);
  a.Free();
  b.Free();
  c.Free();
  EXPECT_EQ(a.bits, nullptr);
}

TEST(MaskBuffer, HostileSizesAreRefusedOrEmpty) {
  CMaskBuffer empty(5, 5, 2, 9);  // negative width
  EXPECT_EQ(empty.bits, nullptr);
  CMaskBuffer huge;
  bool thrown = false;
  try {
    huge.Create(1 << 20, 1 << 20, 0);
  } catch (CMemoryException* e) {
    thrown = true;
    delete e;
  }
  EXPECT_TRUE(thrown);
  CPixelBuffer none(RECT{3, 3, 3, 10});
  none.Fill(0xFFFFFFFF);
  none.CompositeOverColor(0xFF000000);
  EXPECT_EQ(none.bits, nullptr);
}

TEST(PixelBuffer, OverRuleMatchesHandValues) {
  // Half-transparent red over opaque blue.
  EXPECT_EQ(BlendPixelOver(0x80FF0000, 0xFF0000FF), 0xFF7F007Fu);
  EXPECT_EQ(BlendPixelOver(0x00123456, 0x80ABCDEF), 0x80ABCDEFu);
  EXPECT_EQ(BlendPixelOver(0x40123456, 0x00ABCDEF), 0x40123456u);
  // Both partly transparent: A = 255 - ((127 * 191) >> 8) = 161,
  // t = 64 * 256 / 161 = 101; red 0 + ((200 * 101) >> 8) = 78.
  EXPECT_EQ(BlendPixelOver(0x40C80000, 0x80000000), (161u << 24) | (78u << 16));
}

TEST(PixelBuffer, MultiplyAlphaAndBlendOverOnCommonRectangle) {
  CPixelBuffer p(RECT{0, 0, 4, 1});
  p.bits[0] = 0xFF112233;
  p.bits[1] = 0x64112233;
  p.bits[2] = 0x00112233;
  p.bits[3] = 0x64112233;
  CMaskBuffer m = Mask(4, 1, {128, 128, 128, 0});
  p.MultiplyAlpha(m);
  EXPECT_EQ(p.bits[0] >> 24, 128u);
  EXPECT_EQ(p.bits[1] >> 24, 50u);
  EXPECT_EQ(p.bits[2] >> 24, 0u);
  EXPECT_EQ(p.bits[3], 0x00112233u);

  CPixelBuffer below(RECT{10, 10, 13, 12});
  below.Fill(0xFF0000FF);
  CPixelBuffer above(RECT{12, 11, 20, 20});
  above.Fill(0x80FF0000);
  below.BlendOver(above);
  EXPECT_EQ(below.bits[0], 0xFF0000FFu);
  EXPECT_EQ(below.bits[3 + 2], 0xFF7F007Fu);  // (12, 11)
  EXPECT_EQ(below.bits[3 + 1], 0xFF0000FFu);
  CPixelBuffer far(RECT{50, 50, 51, 51});
  far.Fill(0xFFFFFFFF);
  below.BlendOver(far);
  EXPECT_EQ(below.bits[0], 0xFF0000FFu);
  p.Free();
  m.Free();
  below.Free();
  above.Free();
  far.Free();
}

TEST(PixelBuffer, AlphaFromMaskPlacedAtItsOriginWithPitch) {
  std::vector<DWORD> memory(6 * 3, 0xFF102030);
  CPixelBuffer p;
  p.rect = RECT{0, 0, 4, 3};
  p.bits = memory.data();
  CMaskBuffer m(-1, 1, 3, 4);  // 4 x 3, one column left of the picture
  for (int i = 0; i < 12; ++i) m.bits[i] = static_cast<BYTE>(i + 1);
  p.SetAlphaFromMask(m, 6);
  EXPECT_EQ(memory[0], 0x00102030u);        // row 0 cleared, no mask row there
  EXPECT_EQ(memory[6 + 0] >> 24, 2u);       // mask (1, 0)
  EXPECT_EQ(memory[6 + 2] >> 24, 4u);       // mask (3, 0)
  EXPECT_EQ(memory[6 + 3] >> 24, 0u);       // beyond the mask
  EXPECT_EQ(memory[12 + 1] >> 24, 7u);      // mask (2, 1)
  EXPECT_EQ(memory[4], 0xFF102030u);        // outside width: pitch padding untouched
  p.bits = nullptr;
  m.Free();
}

TEST(MaskPlanes, ShiftedAndClippedCopies) {
  const SIZE size{3, 2};
  const BYTE src[6] = {1, 2, 3, 4, 5, 6};
  BYTE dst[6] = {9, 9, 9, 9, 9, 9};
  CopyMaskShifted(dst, src, size, POINT{4, 0});
  EXPECT_EQ(dst[0], 9);
  CopyMaskShifted(dst, src, size, POINT{1, -1});
  const BYTE shifted[6] = {9, 4, 5, 9, 9, 9};
  EXPECT_EQ(std::vector<BYTE>(dst, dst + 6), std::vector<BYTE>(shifted, shifted + 6));
  CopyMaskShifted(dst, src, size, POINT{0, 0});
  EXPECT_EQ(std::vector<BYTE>(dst, dst + 6), std::vector<BYTE>(src, src + 6));

  BYTE big[8];
  CopyMaskClipped(big, SIZE{4, 2}, src, size, POINT{-1, 1});
  const BYTE clipped[8] = {0, 0, 0, 0, 2, 3, 0, 0};
  EXPECT_EQ(std::vector<BYTE>(big, big + 8), std::vector<BYTE>(clipped, clipped + 8));
  CopyMaskClipped(big, SIZE{4, 2}, src, size, POINT{9, 0});
  EXPECT_EQ(Sum(std::vector<BYTE>(big, big + 8)), 0);
}

TEST(MaskBlur, BoxBlurFadesAtTheEndsAndStaysInside) {
  const BYTE row[4] = {0, 255, 0, 0};
  BYTE out[4];
  BoxBlurMask(row, SIZE{4, 1}, 1, 0, out);
  const BYTE expected[4] = {0, 127, 127, 0};
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), std::vector<BYTE>(expected, expected + 4));
  // Radii far beyond the plane in both directions: every output must be the
  // clipped window sum over 2r, computed here directly.
  std::mt19937 rng(5);
  for (int w = 1; w <= 9; w += 4) {
    for (int h = 1; h <= 7; h += 3) {
      for (int r : {1, 2, 5, 40}) {
        std::vector<BYTE> src(w * h), dst(w * h), ref(w * h);
        for (BYTE& b : src) b = static_cast<BYTE>(rng());
        BoxBlurMask(src.data(), SIZE{w, h}, r, 0, dst.data());
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            int s = 0;
            for (int c = std::max(0, x - r); c <= std::min(w - 1, x + r - 1); ++c) s += src[y * w + c];
            ref[y * w + x] = static_cast<BYTE>(s / (2 * r));
          }
        }
        EXPECT_EQ(dst, ref) << w << "x" << h << " r " << r;
        BoxBlurMask(src.data(), SIZE{w, h}, 0, r, dst.data());
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            int s = 0;
            for (int c = std::max(0, y - r); c <= std::min(h - 1, y + r - 1); ++c) s += src[c * w + x];
            ref[y * w + x] = static_cast<BYTE>(s / (2 * r));
          }
        }
        EXPECT_EQ(dst, ref) << w << "x" << h << " vertical r " << r;
        BoxBlurMask(src.data(), SIZE{w, h}, r, r + 1, dst.data());  // both passes, ASan watches
      }
    }
  }
}

TEST(MaskBlur, BoxBlurOfFullCoverageAtEveryRadius) {
  // Window sums at their largest, where a division by multiply would slip.
  const int w = 150;
  std::vector<BYTE> src(w, 255), dst(w);
  for (int r = 1; r <= 80; ++r) {
    BoxBlurMask(src.data(), SIZE{w, 1}, r, 0, dst.data());
    for (int x = 0; x < w; ++x) {
      const int count = std::min(w - 1, x + r - 1) - std::max(0, x - r) + 1;
      ASSERT_EQ(dst[x], 255 * count / (2 * r)) << "r " << r << " x " << x;
    }
  }
}

TEST(MaskBlur, GaussianKeepsCoverageAndWindowIsAsymmetric) {
  int taps[kGaussianTaps];
  const int n = MakeGaussianKernel(taps, 4);
  ASSERT_GT(n, 2);
  for (int i = 1; i < n; ++i) EXPECT_LE(taps[i], taps[i - 1]);
  // One bright sample: output o reads columns o - (m - 1) .. o + m, so the
  // sample reaches m columns back and m - 1 forward. The single row then
  // takes only the centre tap vertically: 255 * tap * 256 >> 16.
  std::vector<BYTE> line(80, 0);
  line[40] = 255;
  const int t3[3] = {256, 128, 64};
  ConvolveMaskSeparable(line.data(), SIZE{80, 1}, t3, 3);
  const std::vector<BYTE> around(line.begin() + 37, line.begin() + 43);
  EXPECT_EQ(around, (std::vector<BYTE>{0, 63, 127, 255, 127, 0}));
  std::vector<BYTE> narrow(3, 0);
  narrow[1] = 255;
  ConvolveMaskSeparable(narrow.data(), SIZE{3, 1}, t3, 7);  // 7 > 2 * 3: one tap, a copy
  EXPECT_EQ(narrow, (std::vector<BYTE>{0, 255, 0}));

  for (int radius : {-5, 0, 1 << 30}) {  // hostile radii stay defined
    std::vector<BYTE> plane(64, 0);
    plane[27] = 200;
    BlurMaskGaussian(plane.data(), SIZE{8, 8}, radius);
    EXPECT_LE(Sum(plane), 200 + 64) << radius;
  }
  std::vector<BYTE> zero(100, 0);
  BlurMaskGaussian(zero.data(), SIZE{10, 10}, 3);
  EXPECT_EQ(Sum(zero), 0);
  std::vector<BYTE> disk(64 * 64, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if ((x - 32) * (x - 32) + (y - 32) * (y - 32) < 200) disk[y * 64 + x] = 255;
  const int64_t before = Sum(disk);
  BlurMaskGaussian(disk.data(), SIZE{64, 64}, 3);
  EXPECT_NEAR(static_cast<double>(Sum(disk)), static_cast<double>(before), before * 0.02);
  EXPECT_LT(disk[32 * 64 + 32 - 14], 255);
}

TEST(PixelCopies, RectangleStraightFlippedAndRgb24) {
  std::vector<DWORD> src(4 * 3);
  for (int i = 0; i < 12; ++i) src[i] = 0xFF000000u | (i * 0x010203u);
  const RECT r{1, 0, 3, 3};
  DWORD out[6];
  CopyPixelRect(out, r, src.data(), SIZE{4, 3});
  EXPECT_EQ(out[0], src[1]);
  EXPECT_EQ(out[5], src[10]);
  CopyPixelRectFlipped(out, r, src.data(), SIZE{4, 3});
  EXPECT_EQ(out[0], src[9]);
  EXPECT_EQ(out[5], src[2]);
  BYTE rgb[18];
  CopyPixelRectToRgb24(rgb, r, src.data(), SIZE{4, 3});
  EXPECT_EQ(rgb[0], static_cast<BYTE>(src[9]));
  EXPECT_EQ(rgb[2], static_cast<BYTE>(src[9] >> 16));
  EXPECT_EQ(rgb[17], static_cast<BYTE>(src[2] >> 16));
  // A rectangle reaching outside the source copies only what exists.
  DWORD partial[4] = {7, 7, 7, 7};
  CopyPixelRect(partial, RECT{3, 2, 5, 4}, src.data(), SIZE{4, 3});
  EXPECT_EQ(partial[0], src[11]);
  EXPECT_EQ(partial[1], 7u);
  EXPECT_EQ(partial[2], 7u);
}

TEST(GradientColour, LerpArgbTruncatesAndIgnoresOutOfRange) {
  DWORD out = 0x12345678;
  LerpArgb(0xFF000000, 0xFFFFFFFF, out, 0.5f);
  EXPECT_EQ(out, 0xFF7F7F7Fu);
  LerpArgb(0xFF000000, 0xFFFFFFFF, out, 1.5f);
  EXPECT_EQ(out, 0xFF7F7F7Fu);
  LerpArgb(0x00FF0000, 0xFF000000, out, 0.25f);
  EXPECT_EQ(out, 0x3FC00000u);  // 255 - 63.75 -> 255 + trunc(-63.75) = 192
}
