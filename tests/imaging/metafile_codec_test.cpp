// The WMF and EMF codec: picture sizes, failures, the background, and the
// kept hand-made files, whole, cut short and with overstated counts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "imaging/metafile_codec.h"
#include "imaging/pic_file.h"
#include "support/metafile_writer.h"

using testsupport::EmfWriter;
using testsupport::Pt;
using testsupport::WmfWriter;

namespace {

bool DecodeBytes(const std::vector<uint8_t>& bytes, CPicImage* image, DWORD formatId = PIC_FORMAT_WMF) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, formatId);
}

// A kept file written as commented hexadecimal: '#' to the end of a line is a comment.
std::vector<uint8_t> HexFile(const std::string& name) {
  const char* root = getenv("CALVETTA_TEST_DATA");
  std::vector<uint8_t> out;
  for (std::string base : {std::string(root ? root : ""), std::string("../data"), std::string("tests/data")}) {
    if (base.empty()) continue;
    std::ifstream in(base + "/metafiles/" + name);
    if (!in) continue;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream words(line.substr(0, line.find('#')));
      std::string hex;
      while (words >> hex) out.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
    }
    return out;
  }
  ADD_FAILURE() << name << " is missing";
  return out;
}

RGBQUAD At(const CPicImage& image, int x, int y) { return image.GetPixelColor(x, y); }
bool IsColor(RGBQUAD q, int r, int g, int b) { return q.rgbRed == r && q.rgbGreen == g && q.rgbBlue == b; }

// Pixel rows from the top: '.' white, 'r' red, '#' anything else.
std::string Art(const CPicImage& image) {
  std::string s;
  for (LONG y = static_cast<LONG>(image.GetHeight()) - 1; y >= 0; --y) {
    for (LONG x = 0; x < static_cast<LONG>(image.GetWidth()); ++x) {
      RGBQUAD q = image.GetPixelColor(x, y);
      s += IsColor(q, 255, 255, 255) ? '.' : IsColor(q, 255, 0, 0) ? 'r' : '#';
    }
    s += '\n';
  }
  return s;
}

std::vector<uint8_t> EmptyEmf(int width, int height) { return EmfWriter(width, height).Finish(); }

}  // namespace

// Pixel rows are stored bottom-up: GetPixelColor's y counts from the bottom.
TEST(MetafileCodec, PlaceableBoxSetsThePictureSize) {
  WmfWriter w(0, 0, 1440, 720, 1440);
  w.SetWindowExt(1440, 720);
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(w.Finish(), &image)) << image.GetLastError();
  EXPECT_EQ(image.GetWidth(), 96u);
  EXPECT_EQ(image.GetHeight(), 48u);
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(image.GetFormatId(), PIC_FORMAT_WMF);
  EXPECT_TRUE(IsColor(At(image, 50, 20), 255, 255, 255));
}

TEST(MetafileCodec, LargeEnhancedMetafilesAreClampedTo4000) {
  CPicImage wide;
  ASSERT_TRUE(DecodeBytes(EmptyEmf(10000, 5000), &wide)) << wide.GetLastError();
  EXPECT_EQ(wide.GetWidth(), 4000u);
  EXPECT_EQ(wide.GetHeight(), 2000u);
  CPicImage tall;
  ASSERT_TRUE(DecodeBytes(EmptyEmf(3000, 9000), &tall)) << tall.GetLastError();
  EXPECT_EQ(tall.GetWidth(), 1333u);
  EXPECT_EQ(tall.GetHeight(), 4000u);
  // The background is the window colour, white, everywhere.
  for (auto [x, y] : {std::pair{0, 0}, {1332, 3999}, {700, 2000}})
    EXPECT_TRUE(IsColor(At(tall, x, y), 255, 255, 255)) << x << "," << y;
}

TEST(MetafileCodec, ClampKeepsTheAspect) {
  LONG w = 8000, h = 100;
  CPicImageWMF::ClampMetafileSize(w, h);
  EXPECT_EQ(w, 4000);
  EXPECT_EQ(h, 50);
  w = 5000, h = 9000;
  CPicImageWMF::ClampMetafileSize(w, h);
  EXPECT_EQ(w, 2222);
  EXPECT_EQ(h, 4000);
}

TEST(MetafileCodec, BadPlaceableHeadersAreCorrupted) {
  CPicImage image;
  WmfWriter badSum(0, 0, 100, 100, 96);
  EXPECT_FALSE(DecodeBytes(badSum.Finish(false), &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
  WmfWriter badUnits(0, 0, 100, 100, 2541);
  EXPECT_FALSE(DecodeBytes(badUnits.Finish(), &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
  CPicImageWMF::PlaceableHeader h{0x9AC6CDD7, 0, 0, 0, 10, 10, 2540, 0, 0};
  h.checksum = 0xCDD7 ^ 0x9AC6 ^ 10 ^ 10 ^ 2540;
  EXPECT_TRUE(CPicImageWMF::CheckPlaceableHeader(h));
  h.unitsPerInch = 0;
  h.checksum = 0xCDD7 ^ 0x9AC6 ^ 10 ^ 10;
  EXPECT_FALSE(CPicImageWMF::CheckPlaceableHeader(h));
  // A Windows metafile without the placeable header is not recognised.
  std::vector<uint8_t> bare = WmfWriter(0, 0, 10, 10, 96).Finish();
  bare.erase(bare.begin(), bare.begin() + 22);
  EXPECT_FALSE(DecodeBytes(bare, &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
}

// The extent loop once spun for ever on an empty box and overflowed on a
// turned one; both are refused as empty at once.
TEST(MetafileCodec, EmptyBoxesFailAtOnce) {
  auto start = std::chrono::steady_clock::now();
  CPicImage image;
  for (auto box : {std::array<int, 4>{0, 0, 0, 0}, {0, 0, 100, 0}, {100, 100, 0, 0}, {0, 0, -30000, 100}}) {
    WmfWriter w(box[0], box[1], box[2], box[3], 96);
    EXPECT_FALSE(DecodeBytes(w.Finish(), &image));
    EXPECT_STREQ(image.GetLastError(), "empty WMF");
  }
  EXPECT_FALSE(DecodeBytes(EmptyEmf(0, 0), &image));
  EXPECT_STREQ(image.GetLastError(), "empty WMF");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(MetafileCodec, SavingIsRefused) {
  CPicImage image(4, 4, 24);
  CPicMemFile out;
  out.Open();
  EXPECT_FALSE(image.Encode(&out, PIC_FORMAT_WMF));
  EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");
  CPicImageWMF codec;
  EXPECT_FALSE(codec.Encode(nullptr));
}

TEST(MetafileCodec, DetectionTriesMetafilesLast) {
  EmfWriter w(6, 4);
  w.SelectStock(BLACK_BRUSH);
  w.SelectStock(NULL_PEN);
  w.Poly(3, {{0, 0}, {3, 0}, {3, 4}, {0, 4}});
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(w.Finish(), &image, PIC_FORMAT_UNKNOWN)) << image.GetLastError();
  EXPECT_EQ(Art(image), "###...\n###...\n###...\n###...\n");
}

TEST(MetafileCodec, HandMadeFilesHoldTheirPictures) {
  CPicImage square;
  ASSERT_TRUE(DecodeBytes(HexFile("red_square.emf.hex"), &square)) << square.GetLastError();
  EXPECT_EQ(Art(square), "........\n"
                         "........\n"
                         "..rrrr..\n"
                         "..rrrr..\n"
                         "..rrrr..\n"
                         "..rrrr..\n"
                         "........\n"
                         "........\n");
  CPicImage line;
  ASSERT_TRUE(DecodeBytes(HexFile("black_line.wmf.hex"), &line)) << line.GetLastError();
  EXPECT_EQ(Art(line), "................\n"
                       "................\n"
                       "................\n"
                       "................\n"
                       "################\n"
                       "................\n"
                       "................\n"
                       "................\n");
}

// Cut at every record boundary (and between), and with each 32-bit field
// raised in turn: every variant decodes or fails cleanly, never reads past
// the data (the sanitizers watch) and never hangs.
TEST(MetafileCodec, DamagedFilesDecodeOrFailCleanly) {
  for (const char* name : {"red_square.emf.hex", "black_line.wmf.hex"}) {
    std::vector<uint8_t> whole = HexFile(name);
    auto start = std::chrono::steady_clock::now();
    for (size_t cut = 0; cut < whole.size(); cut += 2) {
      std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
      CPicImage image;
      if (!DecodeBytes(part, &image)) {
        EXPECT_STRNE(image.GetLastError(), "") << cut;
      }
    }
    for (size_t at = 0; at + 4 <= whole.size(); at += 2) {
      for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u, 0x8000u}) {
        std::vector<uint8_t> bent = whole;
        std::memcpy(bent.data() + at, &value, 4);
        CPicImage image;
        DecodeBytes(bent, &image);
      }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << name;
  }
}

TEST(MetafileCodec, WrittenMetafilesWithOverstatedCountsDrawWhatCameBefore) {
  EmfWriter w(10, 10);
  w.SelectStock(BLACK_BRUSH);
  w.SelectStock(NULL_PEN);
  w.Poly(3, {{0, 0}, {5, 0}, {5, 5}, {0, 5}});
  w.Begin(3);  // a polygon that claims a million points it does not carry
  for (int i = 0; i < 4; ++i) w.Body().U32(0);
  w.Body().U32(1000000);
  w.Body().I32(0);
  w.Body().I32(0);
  w.End();
  w.Record(37, {0x7FFFFFF0});  // an object index far beyond the table
  w.Record(40, {12345});
  w.Poly(3, {{5, 5}, {10, 5}, {10, 10}, {5, 10}});
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(w.Finish(), &image)) << image.GetLastError();
  EXPECT_TRUE(IsColor(At(image, 0, 9), 0, 0, 0));
  EXPECT_TRUE(IsColor(At(image, 9, 0), 0, 0, 0));
  EXPECT_TRUE(IsColor(At(image, 9, 9), 255, 255, 255));
}

TEST(MetafileCodec, PaletteCarryingMetafileDecodes) {
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(EmfWriter(5, 3).Finish({0x000000FF, 0x00FFFFFF}), &image)) << image.GetLastError();
  EXPECT_EQ(Art(image), ".....\n.....\n.....\n");
}

// Inputs the fuzzer found; each must now decode or fail cleanly. The first
// byte chose the fuzzer's drawing size.
TEST(MetafileCodec, FuzzFindingsStayFixed) {
  const char* root = getenv("CALVETTA_TEST_DATA");
  for (const char* name : {
           "fuzz_huge_pen_disc.emf",  // a pen wide enough to overflow its round caps
           "metafile_45be5fc495b6",   // a pie of thousands of arc points under a wide round-joined pen
           "metafile_019f252629b0",   // the same with other records around it
           "metafile_e81789e22c5f",
           "fuzz_ellipse_box_overflow.emf",  // an ellipse inside a path whose box spans the int range
           "metafile_15f80acf3a81",          // a DIB blit whose source rectangle spans the int range
           "metafile_268fa17c29d3",          // a 24-bit pattern brush whose header counts colours it has not
       }) {
    std::vector<uint8_t> bytes;
    for (std::string base : {std::string(root ? root : ""), std::string("../data")}) {
      std::ifstream in(base + "/metafiles/" + name, std::ios::binary);
      if (in) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        break;
      }
    }
    ASSERT_FALSE(bytes.empty()) << name;
    LONG side = 16 + bytes[0] % 240;
    CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    CPicImageWMF codec;
    codec.Decode(&file, side, side);
    CPicImage image;
    DecodeBytes(bytes, &image);
  }
}
