// The pair's thumbnail: grey squares for missing pictures, the number between.
#include <gtest/gtest.h>

#include <vector>

#include "model/project/morph_pair.h"

namespace {

TEST(PairThumbnail, EmptySlotsGiveGreySquaresAndTheNumberSitsBetween) {
  CMorphPair pair;
  const int w = 80, h = 30;
  std::vector<DWORD> pixels(w * h, 0);
  pair.DrawThumbnail(pixels.data(), w, h, 7);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(h - 1 - y) * w + x]; };  // bottom row first
  EXPECT_EQ(at(10, 10), 0xFFC8C8C8u);           // source square
  EXPECT_EQ(at(w - h + 10, 10), 0xFFC8C8C8u);   // target square
  EXPECT_EQ(at(1, 1), 0xFFFFFFFFu);             // white border
  EXPECT_EQ(at(40, 1), 0xFFFFFFFFu);
  int dark = 0;
  for (int y = 0; y < h; ++y)
    for (int x = h; x < w - h; ++x) dark += (at(x, y) & 0xFF) < 128;
  EXPECT_GT(dark, 5);  // the digit is drawn between the squares
  for (DWORD p : pixels) ASSERT_EQ(p >> 24, 0xFFu);
  // Nonsense sizes leave the buffer alone.
  std::vector<DWORD> untouched(4, 0x12345678);
  pair.DrawThumbnail(untouched.data(), 2, 2, 1);
  EXPECT_EQ(untouched[0], 0x12345678u);
}

}  // namespace
