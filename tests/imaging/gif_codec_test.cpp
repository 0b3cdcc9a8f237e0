// The GIF codec: hand-made files for the decoder's rules, our files read by
// gifsicle and PIL, and their files read by us.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/gif_codec.h"
#include "imaging/gif_test_support.h"
#include "imaging/pic_file.h"
#include "support/tool_runner.h"

namespace {

using giftest::Bytes;
using testsupport::RunTool;

// Decodes `bytes` asking for frame `index`.
bool DecodeFrame(const std::vector<BYTE>& bytes, LONG index, CPicImage* out) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  out->SetFrameIndex(index);
  return out->Decode(&file, PIC_FORMAT_GIF);
}

// Top-down index of pixel (x, row) of a decoded frame.
int IndexAt(const CPicImage& image, int x, int row) {
  return image.GetPixelIndex(x, static_cast<LONG>(image.GetHeight()) - 1 - row);
}

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An 8-bit picture of a given size whose indices and palette follow a seed.
std::unique_ptr<CPicImage> RandomPicture(DWORD width, DWORD height, unsigned seed, int colors = 256) {
  auto image = std::make_unique<CPicImage>(width, height, 8, PIC_FORMAT_GIF);
  std::mt19937 rng(seed);
  for (int i = 0; i < 256; ++i)
    image->SetPaletteColor(static_cast<BYTE>(i), rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
  for (DWORD y = 0; y < height; ++y)
    for (DWORD x = 0; x < width; ++x) {
      // Runs of equal indices exercise the string table as well as literals.
      int v = static_cast<int>((x / 3 + y * 7 + (rng() % 4 == 0 ? rng() : 0)) % colors);
      image->SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>(v));
    }
  return image;
}

// --- decoding rules ---

TEST(GifDecoder, AFrameBeyondTheCountFailsAndReportsTheCount) {
  Bytes gif;
  gif.Header(2, 1, 0x80).Table(2);
  for (int i = 0; i < 3; ++i) gif.Descriptor(0, 0, 2, 1, 0).Literals(2, {1, 0});
  gif.Trailer();
  CPicImage image;
  EXPECT_TRUE(DecodeFrame(gif.data, 2, &image));
  EXPECT_EQ(image.GetFrameCount(), 3);
  CPicImage beyond;
  EXPECT_FALSE(DecodeFrame(gif.data, 3, &beyond));
  EXPECT_EQ(beyond.GetFrameCount(), 3);
  EXPECT_STREQ(beyond.GetLastError(), "");
}

TEST(GifDecoder, SmallLocalTableGivesFourBitPaletteFilledBlackOrWhite) {
  for (int trans : {-1, 2}) {
    Bytes gif;
    gif.Header(2, 2, 0x00);
    if (trans >= 0) gif.Control(0, trans, 0);
    gif.Descriptor(0, 0, 2, 2, 0x81).Table(4, 10).Literals(2, {0, 1, 2, 3}).Trailer();
    CPicImage image;
    ASSERT_TRUE(DecodeFrame(gif.data, 0, &image)) << trans;
    EXPECT_EQ(image.GetBpp(), 4);
    ASSERT_EQ(image.GetColorCount(), 16u);
    EXPECT_EQ(image.GetPaletteColor(3).rgbRed, 13);
    const BYTE fill = trans >= 0 ? 255 : 0;
    for (int i = 4; i < 16; ++i) EXPECT_EQ(image.GetPaletteColor(static_cast<BYTE>(i)).rgbGreen, fill);
    EXPECT_EQ(IndexAt(image, 1, 1), 3);
    EXPECT_EQ(image.GetTransIndex(), trans);
  }
}

TEST(GifDecoder, InterlacedRowsLandInPassOrder) {
  // Row k of the data carries the value k; it must land on row 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  std::vector<int> pixels;
  for (int k = 0; k < 10; ++k) pixels.push_back(k);
  Bytes gif;
  gif.Header(1, 10, 0x83).Table(16).Descriptor(0, 0, 1, 10, 0x40).Literals(4, pixels).Trailer();
  CPicImage image;
  ASSERT_TRUE(DecodeFrame(gif.data, 0, &image));
  const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(IndexAt(image, 0, order[k]), k) << "data row " << k;
}

TEST(GifDecoder, ExtensionsAreReadOrSkipped) {
  Bytes gif;
  gif.Header(2, 1, 0x80).Table(2);
  // XMP with odd sub-blocks, a comment and the loop block, before the frame.
  gif.Raw({0x21, 0xFF, 11}).Text("XMP DataXMP").Raw({3, 1, 2, 3, 5, 9, 9, 9, 9, 9, 0});
  gif.Raw({0x21, 0xFE, 5}).Text("hello").Raw({0});
  gif.Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({3, 1, 7, 0, 0});
  gif.Control(0, -1, 42).Descriptor(0, 0, 2, 1, 0).Literals(2, {1, 1}).Trailer();
  CPicImageGIF codec;
  CPicMemFile file(gif.data.data(), static_cast<DWORD>(gif.data.size()));
  ASSERT_TRUE(codec.Decode(&file));
  EXPECT_EQ(codec.GetFrameCount(), 1);
  EXPECT_EQ(codec.GetLoops(), 7);
  EXPECT_STREQ(codec.GetComment(), "hello");
  EXPECT_EQ(codec.GetFrameDelay(), 42u);
}

TEST(GifDecoder, AMalformedApplicationBlockEndsTheFramesThatFollow) {
  Bytes gif;
  gif.Header(2, 1, 0x80).Table(2).Descriptor(0, 0, 2, 1, 0).Literals(2, {1, 0});
  gif.Raw({0x21, 0xFF, 4}).Text("ABCD").Raw({0});
  gif.Descriptor(0, 0, 2, 1, 0).Literals(2, {0, 1}).Trailer();
  CPicImage first, second;
  EXPECT_TRUE(DecodeFrame(gif.data, 0, &first));
  EXPECT_EQ(first.GetFrameCount(), 1);
  EXPECT_FALSE(DecodeFrame(gif.data, 1, &second));
}

TEST(GifDecoder, FramesLeftInPlaceComposeOverTheFirst) {
  Bytes gif;
  gif.Header(3, 2, 0x81).Table(4);
  gif.Control(1, -1, 0).Descriptor(0, 0, 3, 2, 0).Literals(2, {1, 1, 1, 1, 1, 1});
  gif.Control(1, 0, 0).Descriptor(1, 0, 2, 1, 0).Literals(2, {2, 0});   // 0 is transparent
  gif.Control(1, -1, 0).Descriptor(0, 1, 1, 1, 0).Literals(2, {3});
  gif.Trailer();
  CPicImage image;
  ASSERT_TRUE(DecodeFrame(gif.data, 2, &image));
  ASSERT_EQ(image.GetWidth(), 3u);
  ASSERT_EQ(image.GetHeight(), 2u);
  const int expected[2][3] = {{1, 2, 1}, {3, 1, 1}};
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(IndexAt(image, x, row), expected[row][x]) << x << "," << row;
}

TEST(GifDecoder, AFrameWithItsOwnTableComposesByColour) {
  Bytes gif;
  gif.Header(3, 2, 0x81).Table(4, 50);
  gif.Control(1, -1, 0).Descriptor(0, 0, 3, 2, 0).Literals(2, {1, 1, 1, 1, 1, 1});
  gif.Control(1, -1, 0).Descriptor(1, 0, 1, 1, 0x80).Table(2, 200).Literals(2, {1});
  gif.Trailer();
  CPicImage image;
  ASSERT_TRUE(DecodeFrame(gif.data, 1, &image));
  ASSERT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, 201);
  EXPECT_EQ(image.GetPixelColor(0, 1).rgbRed, 51);
  EXPECT_EQ(image.GetPixelColor(2, 0).rgbRed, 51);
}

TEST(GifDecoder, ALocalTableServesOnlyItsOwnFrame) {
  Bytes gif;
  gif.Header(1, 1, 0x80).Table(2, 50);
  gif.Descriptor(0, 0, 1, 1, 0x80).Table(2, 200).Literals(2, {1});
  gif.Descriptor(0, 0, 1, 1, 0x00).Literals(2, {1});
  gif.Trailer();
  CPicImage first, second;
  ASSERT_TRUE(DecodeFrame(gif.data, 0, &first));
  ASSERT_TRUE(DecodeFrame(gif.data, 1, &second));
  EXPECT_EQ(first.GetPaletteColor(1).rgbRed, 201);
  EXPECT_EQ(second.GetPaletteColor(1).rgbRed, 51);
}

TEST(GifDecoder, ACodeBeyondTheNextSlotEndsTheDataButKeepsThePixels) {
  Bytes gif;
  gif.Header(4, 1, 0x81).Table(4).Descriptor(0, 0, 4, 1, 0).Codes(2, {4, 1, 7, 2, 2, 5}).Trailer();
  CPicImage image;
  ASSERT_TRUE(DecodeFrame(gif.data, 0, &image));
  EXPECT_EQ(IndexAt(image, 0, 0), 1);
}

TEST(GifDecoder, TruncatedAndHostileInputNeverOverruns) {
  Bytes gif;
  gif.Header(4, 4, 0x81).Table(4).Control(0, -1, 1).Descriptor(0, 0, 4, 4, 0x40)
      .Literals(2, {0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3, 3, 2, 1, 0}).Trailer();
  for (size_t cut = 0; cut < gif.data.size(); ++cut) {
    std::vector<BYTE> part(gif.data.begin(), gif.data.begin() + static_cast<long>(cut));
    CPicImage image;
    DecodeFrame(part, 0, &image);  // any result, but no overrun under the sanitizers
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<BYTE> noisy = gif.data;
    for (int k = 0; k < 4; ++k) noisy[13 + rng() % (noisy.size() - 13)] = static_cast<BYTE>(rng());
    CPicImage image;
    DecodeFrame(noisy, 0, &image);
  }
}

// --- encoding rules ---

struct EncodedAnimation {
  std::vector<BYTE> bytes;
  bool ok = false;
};

EncodedAnimation EncodeFrames(std::vector<CPicImage*> frames, LONG loops, bool localTables) {
  CPicImageGIF codec;
  codec.SetLoops(loops);
  codec.SetDisposalMethod(1);
  CPicMemFile file;
  file.Open();
  EncodedAnimation result;
  result.ok = codec.EncodeMultiPage(&file, frames.data(), static_cast<int>(frames.size()), localTables);
  BYTE* data = file.GetBuffer(false);
  if (data) result.bytes.assign(data, data + file.Size());
  return result;
}

TEST(GifEncoder, HeaderFlagsFollowThePictureDepth) {
  auto eight = RandomPicture(4, 4, 1);
  CPicImage one(3, 3, 1, PIC_FORMAT_GIF);
  CPicImage few(3, 3, 8, PIC_FORMAT_GIF);
  few.Create(3, 3, 8, PIC_FORMAT_GIF, 100);  // a palette that is not a power of two
  EXPECT_EQ(EncodeFrames({eight.get()}, 1, false).bytes[10], 0xF7);
  std::vector<BYTE> oneBit = EncodeFrames({&one}, 1, false).bytes;
  EXPECT_EQ(oneBit[10], 0x80);
  // Image block: descriptor after the 2-entry table and the control block; root size 2.
  size_t block = 13 + 6 + 8;
  ASSERT_EQ(oneBit[block], 0x2C);
  EXPECT_EQ(oneBit[block + 10], 2);
  std::vector<BYTE> padded = EncodeFrames({&few}, 1, false).bytes;
  EXPECT_EQ(padded[10], 0xF7);
  EXPECT_EQ(padded[13 + 768], 0x21);  // the table holds all 256 entries the flags announce
}

TEST(GifEncoder, LoopBlockAndControlBlocksCarryTheFrameState) {
  auto a = RandomPicture(5, 5, 2), b = RandomPicture(5, 5, 3);
  a->SetFrameDelay(7);
  b->SetFrameDelay(9);
  b->SetTransIndex(17);
  std::vector<BYTE> once = EncodeFrames({a.get(), b.get()}, 1, true).bytes;
  std::vector<BYTE> endless = EncodeFrames({a.get(), b.get()}, 0, true).bytes;
  const std::string netscape = "NETSCAPE2.0";
  auto find = [](const std::vector<BYTE>& v, const std::string& s) {
    return std::search(v.begin(), v.end(), s.begin(), s.end()) != v.end();
  };
  EXPECT_FALSE(find(once, netscape));
  ASSERT_TRUE(find(endless, netscape));
  size_t loop = 13 + 768;
  EXPECT_EQ(endless[loop + 16], 0);  // repeat count 0: for ever
  EXPECT_EQ(endless[loop + 17], 0);
  // Each control block: disposal 1 of the encoder, the frame's delay and transparency.
  std::vector<size_t> controls;
  for (size_t i = 0; i + 1 < endless.size(); ++i)
    if (endless[i] == 0x21 && endless[i + 1] == 0xF9 && endless[i + 2] == 4) controls.push_back(i);
  ASSERT_GE(controls.size(), 2u);
  EXPECT_EQ(endless[controls[0] + 3], 1 << 2);
  EXPECT_EQ(endless[controls[0] + 4], 7);
  EXPECT_EQ(endless[controls[1] + 3], (1 << 2) | 1);
  EXPECT_EQ(endless[controls[1] + 4], 9);
  EXPECT_EQ(endless[controls[1] + 6], 17);
}

TEST(GifEncoder, RoundTripsThroughOurDecoderWithPacketsOfAtMost254Bytes) {
  auto picture = RandomPicture(123, 77, 4);
  auto encoded = EncodeFrames({picture.get()}, 1, false);
  ASSERT_TRUE(encoded.ok);
  // Walk the data sub-blocks of the image.
  size_t at = 13 + 768 + 8 + 10 + 1;
  while (encoded.bytes[at] != 0) {
    EXPECT_LE(encoded.bytes[at], 254);
    at += encoded.bytes[at] + 1;
  }
  CPicImage decoded;
  ASSERT_TRUE(DecodeFrame(encoded.bytes, 0, &decoded));
  for (LONG y = 0; y < 77; ++y)
    for (LONG x = 0; x < 123; ++x) ASSERT_EQ(decoded.GetPixelIndex(x, y), picture->GetPixelIndex(x, y));
}

TEST(GifEncoder, RefusesMissingFilesImagesAndDeepPictures) {
  CPicImageGIF codec;
  CPicMemFile file;
  file.Open();
  EXPECT_FALSE(codec.EncodeMultiPage(static_cast<CPicFile*>(nullptr), nullptr, 0, false));
  EXPECT_STREQ(codec.GetLastError(), "invalid file pointer");
  EXPECT_FALSE(codec.EncodeMultiPage(&file, nullptr, 0, false));
  EXPECT_STREQ(codec.GetLastError(), "multipage GIF, no images!");
  auto a = RandomPicture(2, 2, 5);
  CPicImage* withHole[2] = {a.get(), nullptr};
  EXPECT_FALSE(codec.EncodeMultiPage(&file, withHole, 2, false));
  EXPECT_STREQ(codec.GetLastError(), "Bad image pointer");
  CPicImage deep(2, 2, 24);
  CPicImage* mixed[2] = {a.get(), &deep};
  CPicMemFile clean;
  clean.Open();
  EXPECT_FALSE(codec.EncodeMultiPage(&clean, mixed, 2, false));
  EXPECT_EQ(clean.Size(), 0);
}

TEST(GifEncoder, AWriteErrorIsAFailure) {
  FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  auto picture = RandomPicture(300, 300, 6);
  CPicImage* frames[1] = {picture.get()};
  CPicImageGIF codec;
  EXPECT_FALSE(codec.EncodeMultiPage(full, frames, 1, false));
  EXPECT_STREQ(codec.GetLastError(), "Write Error in GIF file");
  std::fclose(full);
}

TEST(GifEncoder, TrueColourPicturesBecomeAMosaicThatDecodesBack) {
  CPicImage picture(40, 20, 24);
  for (LONG y = 0; y < 20; ++y)
    for (LONG x = 0; x < 40; ++x)
      picture.SetPixelColor(x, y, RGBQUAD{static_cast<BYTE>(x * 6), static_cast<BYTE>(y * 12), static_cast<BYTE>(x ^ y), 0});
  CPicMemFile file;
  file.Open();
  ASSERT_TRUE(picture.Encode(&file, PIC_FORMAT_GIF));
  std::vector<BYTE> bytes(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
  EXPECT_EQ(bytes[10], 0x11);
  CPicImage decoded;
  ASSERT_TRUE(DecodeFrame(bytes, 0, &decoded));
  ASSERT_EQ(decoded.GetBpp(), 24);
  for (LONG y = 0; y < 20; ++y)
    for (LONG x = 0; x < 40; ++x) {
      RGBQUAD a = picture.GetPixelColor(x, y), b = decoded.GetPixelColor(x, y);
      ASSERT_EQ(a.rgbRed, b.rgbRed) << x << "," << y;
      ASSERT_EQ(a.rgbGreen, b.rgbGreen);
      ASSERT_EQ(a.rgbBlue, b.rgbBlue);
    }
}

// --- independent tools ---

class GifTools : public ::testing::Test {
 protected:
  void SetUp() override {
    CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("gifsicle") && testsupport::HaveTool("/usr/bin/python3"), "gifsicle or python3");
  }
  testsupport::TempDir dir_;
};

// Runs a Python script with PIL, written to a file beside the data.
std::string RunPython(const testsupport::TempDir& dir, const std::string& script, const std::string& args) {
  std::string file = dir.File("script.py");
  std::ofstream(file) << script;
  return RunTool("/usr/bin/python3 '" + file + "' " + args);
}

// RGB bytes of every frame of a GIF as PIL composes it, one hex line each.
std::vector<std::string> PilFrames(const testsupport::TempDir& dir, const std::string& path) {
  std::string out = RunPython(dir,
                              "import sys\nfrom PIL import Image, ImageSequence\n"
                              "for f in ImageSequence.Iterator(Image.open(sys.argv[1])):\n"
                              "    print(f.convert('RGB').tobytes().hex())\n",
                              "'" + path + "'");
  std::vector<std::string> frames;
  size_t start = 0;
  for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
    frames.push_back(out.substr(start, nl - start));
  return frames;
}

std::string Hex(const CPicImage& image) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (LONG row = 0; row < static_cast<LONG>(image.GetHeight()); ++row)
    for (LONG x = 0; x < static_cast<LONG>(image.GetWidth()); ++x) {
      RGBQUAD c = image.GetPixelColor(x, static_cast<LONG>(image.GetHeight()) - 1 - row);
      for (BYTE v : {c.rgbRed, c.rgbGreen, c.rgbBlue}) {
        hex.push_back(digits[v >> 4]);
        hex.push_back(digits[v & 15]);
      }
    }
  return hex;
}

TEST_F(GifTools, OurAnimationsAreReadByGifsicleAndPil) {
  std::vector<std::unique_ptr<CPicImage>> frames;
  std::vector<CPicImage*> list;
  for (unsigned i = 0; i < 4; ++i) {
    frames.push_back(RandomPicture(31, 17, 10 + i, i == 0 ? 256 : 40));
    frames.back()->SetFrameDelay(5 + i);
    list.push_back(frames.back().get());
  }
  auto encoded = EncodeFrames(list, 0, true);
  ASSERT_TRUE(encoded.ok);
  std::string path = dir_.File("ours.gif");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(encoded.bytes.data()),
                                              static_cast<std::streamsize>(encoded.bytes.size()));
  std::string info = RunTool("gifsicle --info '" + path + "'");
  EXPECT_NE(info.find("4 images"), std::string::npos) << info;
  EXPECT_NE(info.find("loop forever"), std::string::npos) << info;
  EXPECT_NE(info.find("delay 0.08s"), std::string::npos) << info;
  EXPECT_NE(info.find("local color table"), std::string::npos) << info;
  EXPECT_NE(info.find("disposal asis"), std::string::npos) << info;
  std::vector<std::string> pil = PilFrames(dir_, path);
  ASSERT_EQ(pil.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(pil[i], Hex(*frames[i])) << "frame " << i;
}

TEST_F(GifTools, WeReadGifsicleInterlacedFilesWithTablesAndExtensions) {
  // PIL writes a two-frame animation with its own palettes; gifsicle interlaces
  // it and adds a comment and an unknown application block.
  std::string plain = dir_.File("plain.gif"), path = dir_.File("theirs.gif");
  RunPython(dir_,
            "import sys, random\nfrom PIL import Image\nrandom.seed(3)\nframes = []\n"
            "for k in range(2):\n"
            "    im = Image.new('P', (29, 23))\n"
            "    im.putpalette([random.randrange(256) for _ in range(768)])\n"
            "    im.putdata([(x * x + y * 3 + k * 40) % 256 for y in range(23) for x in range(29)])\n"
            "    frames.append(im)\n"
            "frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], duration=60, loop=0, disposal=1)\n",
            "'" + plain + "'");
  int status = 0;
  RunTool("gifsicle --no-warnings -i --comment 'made by gifsicle' --app-extension 'XMP DataXMP' 'abcdef' '" + plain +
              "' -o '" + path + "'",
          &status);
  ASSERT_EQ(status, 0);
  std::string info = RunTool("gifsicle --info '" + path + "'");
  ASSERT_NE(info.find("interlaced"), std::string::npos) << info;
  std::vector<std::string> pil = PilFrames(dir_, path);
  ASSERT_EQ(pil.size(), 2u);
  std::vector<BYTE> bytes = ReadAll(path);
  for (LONG i = 0; i < 2; ++i) {
    CPicImage frame;
    ASSERT_TRUE(DecodeFrame(bytes, i, &frame)) << i;
    EXPECT_EQ(frame.GetFrameCount(), 2);
    EXPECT_EQ(Hex(frame), pil[static_cast<size_t>(i)]) << "frame " << i;
  }
}

}  // namespace
