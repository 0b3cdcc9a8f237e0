// Inputs the fuzzers found that once crashed or ran for a long time; each
// must now decode or fail quickly and cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

std::string DataFile(const std::string& name) {
  const char* root = getenv("CALVETTA_TEST_DATA");
  for (std::string base : {std::string(root ? root : ""), std::string("tests/data"), std::string("../data")}) {
    if (base.empty()) continue;
    std::string path = base + "/imaging/" + name;
    if (!ReadBytes(path).empty()) return path;
  }
  return name;
}

// Decodes with the named format and with detection; returns the first result.
bool DecodeFile(const std::string& name, DWORD formatId, CPicImage* image) {
  std::vector<unsigned char> bytes = ReadBytes(DataFile(name));
  EXPECT_FALSE(bytes.empty()) << name << " is missing";
  auto start = std::chrono::steady_clock::now();
  CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
  bool decoded = image->Decode(&file, formatId);
  CPicMemFile again(bytes.data(), static_cast<DWORD>(bytes.size()));
  CPicImage detected;
  detected.Decode(&again, PIC_FORMAT_UNKNOWN);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << name;
  return decoded;
}

}  // namespace

TEST(FuzzRegression, PcxWithZeroBitsPerPixelIsRefused) {
  CPicImage image;
  EXPECT_FALSE(DecodeFile("pcx_zero_bits_per_pixel.pcx", PIC_FORMAT_PCX, &image));
  EXPECT_STREQ(image.GetLastError(), "Can't handle this PCX pixel depth");
}

// Small files whose headers declare pictures of a gigabyte or more: each is
// refused before the picture is allocated, by what the file can hold.
TEST(FuzzRegression, PicturesLargerThanTheirFilesCanHoldAreRefusedEarly) {
  struct Case {
    const char* name;
    DWORD formatId;
    const char* text;
  } cases[] = {
      {"jpeg_implausible_size.jpg", PIC_FORMAT_JPG, "JPEG image too large for its file"},
      {"gif_frames_beyond_file.gif", PIC_FORMAT_GIF, "GIF frames too large for the file"},
      {"tga_raw_huge_short.tga", PIC_FORMAT_TGA, "corrupted TGA"},
      {"tga_rle_huge_short.tga", PIC_FORMAT_TGA, "corrupted TGA"},
      {"pcx_huge_short.pcx", PIC_FORMAT_PCX, "corrupted PCX"},
      {"bmp_tall_top_down.bmp", PIC_FORMAT_BMP, "Error reading BMP info"},
  };
  for (const Case& c : cases) {
    CPicImage image;
    EXPECT_FALSE(DecodeFile(c.name, c.formatId, &image)) << c.name;
    EXPECT_STREQ(image.GetLastError(), c.text) << c.name;
  }
  // A WBMP cut short shows its missing rows black: 3 x 266370946 from 51
  // bytes decodes, within the picture bound and quickly.
  CPicImage wbmp;
  EXPECT_TRUE(DecodeFile("wbmp_huge_short.wbmp", PIC_FORMAT_WBMP, &wbmp));
  EXPECT_EQ(wbmp.GetHeight(), 266370946u);
}

// A text chunk after the pixels states a length of almost 2 GB in a 328-byte
// file: it is read past in small pieces, not allocated (the fuzzer's 2 GB
// limit stopped the allocation), and the file ends inside it.
TEST(FuzzRegression, PngChunkLongerThanItsFileIsNotAllocated) {
  CPicImage image;
  EXPECT_FALSE(DecodeFile("png_huge_text_chunk.png", PIC_FORMAT_PNG, &image));
  EXPECT_STREQ(image.GetLastError(), "Read Error");
}

// Small pictures whose re-encoding as a GIF mosaic writes a large output a
// byte at a time: slow only on a machine loaded many times over (the fuzzer's
// time-out is wall time), they must decode and encode again in bounded time.
TEST(FuzzRegression, PicturesEncodeAgainInBoundedTime) {
  for (const char* name : {"detect_a3ebfbf28a98", "gif_fc42309312f0", "gif_ee1a47c0c1e8"}) {
    CPicImage image;
    const auto start = std::chrono::steady_clock::now();
    if (DecodeFile(name, PIC_FORMAT_UNKNOWN, &image)) {
      CPicMemFile out;
      out.Open();
      image.Encode(&out, image.GetFormatId());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << name;
  }
}
