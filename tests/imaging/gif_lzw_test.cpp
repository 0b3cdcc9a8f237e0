// The encoder's LZW data against a plain hashed encoder kept here as the
// reference: every frame must give the same packets, byte for byte. The
// reference's table has a quirk the files depend on: a probe that meets the
// entry for colour 0 after prefix 0 stops there as if at an empty slot, and
// the new string takes that slot. Pictures full of colour 0 meet it often.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/gif_codec.h"
#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

namespace {

constexpr int kHashSize = 5003, kMaxCodes = 4096;

// The LZW sub-blocks of a picture's data, made the slow, plain way.
std::vector<BYTE> ReferenceLzw(const CPicImage& image, int initBits) {
  std::vector<BYTE> out, packet;
  std::array<int32_t, kHashSize> hash;
  std::array<int, kHashSize> codes{};
  uint32_t accumulator = 0;
  int accumulated = 0, width = initBits, maxCode = (1 << width) - 1;
  const int clear = 1 << (initBits - 1), end = clear + 1;
  int freeCode = clear + 2;
  bool clearFlag = false;
  auto flushPacket = [&] {
    if (packet.empty()) return;
    out.push_back(static_cast<BYTE>(packet.size()));
    out.insert(out.end(), packet.begin(), packet.end());
    packet.clear();
  };
  auto putByte = [&](int b) {
    packet.push_back(static_cast<BYTE>(b));
    if (packet.size() >= 254) flushPacket();
  };
  auto output = [&](int code) {
    accumulator |= static_cast<uint32_t>(code) << accumulated;
    for (accumulated += width; accumulated >= 8; accumulated -= 8, accumulator >>= 8) putByte(accumulator & 0xFF);
    if (freeCode > maxCode || clearFlag) {
      if (clearFlag) {
        width = initBits, maxCode = (1 << width) - 1, clearFlag = false;
      } else {
        ++width;
        maxCode = width == 12 ? kMaxCodes : (1 << width) - 1;
      }
    }
    if (code == end) {
      for (; accumulated > 0; accumulated -= 8, accumulator >>= 8) putByte(accumulator & 0xFF);
      flushPacket();
    }
  };
  hash.fill(-1);
  output(clear);
  const WORD bpp = image.GetBpp();
  int prefix = -1;
  for (DWORD y = 0; y < image.GetHeight(); ++y) {
    const BYTE* row = image.GetBits() + static_cast<size_t>(image.GetHeight() - 1 - y) * image.GetRowBytes();
    for (DWORD x = 0; x < image.GetWidth(); ++x) {
      const int c = bpp == 8   ? row[x]
                    : bpp == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                               : (row[x >> 3] >> (7 - (x & 7))) & 1;
      if (prefix < 0) {
        prefix = c;
        continue;
      }
      const int32_t key = (c << 12) + prefix;
      int slot = (c << 4) ^ prefix;
      bool found = hash[slot] == key;
      if (!found && hash[slot] >= 0) {
        const int step = slot == 0 ? 1 : kHashSize - slot;
        for (;;) {
          slot -= step;
          if (slot < 0) slot += kHashSize;
          if (hash[slot] == key) {
            found = true;
            break;
          }
          if (hash[slot] <= 0) break;
        }
      }
      if (found) {
        prefix = codes[slot];
        continue;
      }
      output(prefix);
      prefix = c;
      if (freeCode < kMaxCodes) {
        codes[slot] = freeCode++;
        hash[slot] = key;
      } else {
        hash.fill(-1);
        freeCode = clear + 2;
        clearFlag = true;
        output(clear);
      }
    }
  }
  if (prefix >= 0) output(prefix);
  output(end);
  return out;
}

// The image's data as the encoder writes it: what follows the control
// block, the image descriptor and the root size, without the terminator.
std::vector<BYTE> EncodedLzw(CPicImage& image, CPicImageGIF& codec) {
  CPicMemFile file;
  file.Open();
  EXPECT_TRUE(codec.EncodePage(&file, &image, false));
  const BYTE* bytes = file.GetBuffer(false);
  const size_t size = static_cast<size_t>(file.Size());
  constexpr size_t kHead = 8 + 10 + 1;
  EXPECT_GT(size, kHead);
  if (size <= kHead) return {};
  EXPECT_EQ(bytes[size - 1], 0);
  return std::vector<BYTE>(bytes + kHead, bytes + size - 1);
}

std::vector<BYTE> EncodedLzw(CPicImage& image) {
  CPicImageGIF codec;
  return EncodedLzw(image, codec);
}

struct Pattern {
  const char* name;
  DWORD width, height;
  WORD bpp;
  // The colour of a pixel from its position and a running random number.
  int (*colour)(DWORD x, DWORD y, uint32_t random);
};

void ExpectSameAsReference(const Pattern& pattern) {
  CPicImage image;
  ASSERT_TRUE(image.Create(pattern.width, pattern.height, pattern.bpp, PIC_FORMAT_GIF));
  const int colours = 1 << pattern.bpp;
  uint32_t seed = 2024u;
  for (DWORD y = 0; y < pattern.height; ++y)
    for (DWORD x = 0; x < pattern.width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      image.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y),
                          static_cast<BYTE>(pattern.colour(x, y, seed >> 8) % colours));
    }
  const int root = pattern.bpp < 2 ? 2 : pattern.bpp;
  const std::vector<BYTE> expected = ReferenceLzw(image, root + 1);
  const std::vector<BYTE> actual = EncodedLzw(image);
  ASSERT_EQ(actual.size(), expected.size()) << pattern.name;
  EXPECT_TRUE(actual == expected) << pattern.name;
}

TEST(GifLzw, DataMatchesTheHashedReference) {
  const Pattern patterns[] = {
      // Noise fills the table again and again; the clears must fall alike.
      {"noise", 640, 480, 8, [](DWORD, DWORD, uint32_t r) { return static_cast<int>(r); }},
      // Mostly colour 0 with sparse others: the colour-0 entry is made, met
      // by probes and overwritten all the time.
      {"zeros", 500, 400, 8,
       [](DWORD, DWORD, uint32_t r) { return (r & 0xFF) < 200 ? 0 : static_cast<int>((r >> 8) & 0xFF); }},
      {"zeros with runs", 333, 257, 8,
       [](DWORD x, DWORD y, uint32_t r) { return (x * 7 + y) % 11 < 6 ? 0 : static_cast<int>(r % 40); }},
      // Rows far wider than the batches of packets the encoder writes.
      {"wide noise", 9000, 24, 8, [](DWORD, DWORD, uint32_t r) { return static_cast<int>(r >> 3); }},
      {"few colours", 640, 480, 8, [](DWORD, DWORD, uint32_t r) { return static_cast<int>(r % 3); }},
      {"gradient", 640, 480, 8,
       [](DWORD x, DWORD y, uint32_t r) { return static_cast<int>((x + y / 2 + (r & 3)) / 3); }},
      {"flat", 300, 200, 8, [](DWORD, DWORD, uint32_t) { return 0; }},
      {"flat colour", 300, 200, 8, [](DWORD, DWORD, uint32_t) { return 77; }},
      {"one pixel", 1, 1, 8, [](DWORD, DWORD, uint32_t) { return 5; }},
      {"one pixel of 0", 1, 1, 8, [](DWORD, DWORD, uint32_t) { return 0; }},
      {"one column", 1, 999, 8, [](DWORD, DWORD y, uint32_t) { return static_cast<int>(y % 5); }},
      {"sixteen colours", 401, 301, 4, [](DWORD, DWORD, uint32_t r) { return static_cast<int>(r); }},
      {"sixteen with zeros", 255, 255, 4,
       [](DWORD, DWORD, uint32_t r) { return (r & 7) ? 0 : static_cast<int>(r >> 4); }},
      {"two colours", 997, 203, 1, [](DWORD, DWORD, uint32_t r) { return static_cast<int>(r >> 3); }},
      {"two colours mostly 0", 640, 480, 1, [](DWORD, DWORD, uint32_t r) { return (r & 15) == 0 ? 1 : 0; }},
  };
  for (const Pattern& pattern : patterns) ExpectSameAsReference(pattern);
}

// Random pictures of every depth and of widths that end inside a byte,
// drawn so that colour 0 after colour 0 comes at every rate: the string of
// key 0 is made, lost to the reference table's quirk, made again and
// extended, and tables fill and clear, many times over. One encoder writes
// them all, as an animation's does, through well over 512 clears.
TEST(GifLzw, RandomPicturesMatchTheHashedReference) {
  CPicImageGIF codec;
  uint32_t seed = 77u;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int trial = 0; trial < 100; ++trial) {
    // The last ones are noise, which clears the table every few thousand pixels.
    const bool noise = trial >= 60;
    const WORD bpp = noise ? 8 : std::array<WORD, 3>{1, 4, 8}[trial % 3];
    const DWORD width = noise ? 256 : 1 + next() % 700, height = noise ? 200 : 1 + next() % 300;
    const unsigned zeroShare = noise ? 0 : next() % 256, runLength = noise ? 1 : 1 + next() % 9;
    const unsigned colours = 1 + (noise ? 255 : next() % (1u << bpp));
    CPicImage image;
    ASSERT_TRUE(image.Create(width, height, bpp, PIC_FORMAT_GIF));
    int colour = 0;
    for (DWORD y = 0; y < height; ++y)
      for (DWORD x = 0; x < width; ++x) {
        if (next() % runLength == 0) colour = (next() & 0xFF) < zeroShare ? 0 : static_cast<int>(next() % colours);
        image.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>(colour));
      }
    const int root = bpp < 2 ? 2 : bpp;
    const std::vector<BYTE> expected = ReferenceLzw(image, root + 1);
    const std::vector<BYTE> actual = EncodedLzw(image, codec);
    ASSERT_TRUE(actual == expected) << "trial " << trial << ", " << width << " x " << height << ", " << bpp << " bits";
  }
}

// Small pictures of every length up to a few tables' worth of codes, at
// every depth: the data ends at every bit of a byte, right after the codes
// widen and right after a clear, and one encoder carries its table's
// fillings from each to the next.
TEST(GifLzw, DataEndsAlikeAtEveryBitAndCodeWidth) {
  CPicImageGIF codec;
  uint32_t seed = 9u;
  for (WORD bpp : {1, 4, 8})
    for (DWORD length = 1; length <= 6000; length += length < 64 ? 1 : 97) {
      CPicImage image;
      ASSERT_TRUE(image.Create(length, 1, bpp, PIC_FORMAT_GIF));
      for (DWORD x = 0; x < length; ++x) {
        seed = seed * 1664525u + 1013904223u;
        image.SetPixelIndex(static_cast<LONG>(x), 0, static_cast<BYTE>((seed >> 12) % (1u << bpp)));
      }
      const int root = bpp < 2 ? 2 : bpp;
      ASSERT_TRUE(EncodedLzw(image, codec) == ReferenceLzw(image, root + 1)) << length << " pixels of " << bpp << " bits";
    }
}

}  // namespace
