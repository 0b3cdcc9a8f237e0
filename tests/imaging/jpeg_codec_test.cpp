// JPEG codec: ImageMagick's baseline, progressive, grey and CMYK files decode
// as PIL decodes them; ours pass jpeginfo and come back close to what was
// saved; density, refusals, broken and hostile streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"
#include "lib_codec_test_tools.h"

using namespace imaging_test;

namespace {

std::vector<unsigned char> EncodeToBytes(CPicImage& image) {
  CPicMemFile out;
  out.Open();
  EXPECT_TRUE(image.Encode(&out, PIC_FORMAT_JPG)) << image.GetLastError();
  BYTE* data = out.GetBuffer(false);
  return std::vector<unsigned char>(data, data + out.Size());
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_JPG);
}

// Gradients and a soft ripple: what JPEG is made for.
Rgba SmoothPicture(int width, int height) {
  Rgba picture = TestPicture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
      p[2] = static_cast<unsigned char>(128 + 100 * std::sin((x + y) / 7.0));
    }
  }
  return picture;
}

size_t FindMarker(const std::vector<unsigned char>& bytes, unsigned char marker) {
  for (size_t i = 2; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == marker) return i;
  return 0;
}

// A stream that takes nothing: every write fails.
class FullDisk : public CPicMemFile {
public:
  size_t Write(const void*, size_t, size_t) override { return 0; }
};

}  // namespace

TEST(JpegCodec, DecodesTheToolsFilesAsPilDoes) {
  REQUIRE_TOOL("convert");
  REQUIRE_PIL();
  struct Kind { const char* name; const char* options; WORD bpp; int tolerance; };
  const Kind kinds[] = {{"baseline", "-quality 90", 24, 0},
                        {"progressive", "-quality 80 -interlace JPEG", 24, 0},
                        {"grey", "-colorspace Gray", 8, 0},
                        {"cmyk", "-colorspace CMYK", 24, 2},
                        {"subsampled", "-sampling-factor 2x2 -quality 60", 24, 0}};
  TempFolder folder;
  std::string source = folder.Path("in.pam");
  ASSERT_TRUE(WritePam(source, TestPicture(45, 29)));
  std::vector<std::string> paths;
  std::string commands = "true";
  for (const Kind& kind : kinds) {
    paths.push_back(folder.Path(std::string(kind.name) + ".jpg"));
    commands += std::string(" && convert ") + Quote(source) + " " + kind.options + " " + Quote(paths.back());
  }
  ASSERT_TRUE(RunTool(commands));
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(kinds[i].name);
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(paths[i], PIC_FORMAT_JPG, &image)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), kinds[i].bpp);
    if (kinds[i].bpp == 8) {
      EXPECT_TRUE(image.IsGrayScale());
    }
    EXPECT_TRUE(SamePicture(references[i], ToRgba(image), false, kinds[i].tolerance));
  }
}

TEST(JpegCodec, WritesFilesJpeginfoAcceptsCloseToTheirPicture) {
  REQUIRE_TOOL("jpeginfo");
  REQUIRE_PIL();
  TempFolder folder;
  Rgba picture = SmoothPicture(64, 48);
  CPicImage image = FromRgba(picture);
  std::string path = folder.Path("ours.jpg");
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_JPG)) << image.GetLastError();
  std::string report = Capture("jpeginfo -c " + Quote(path));
  EXPECT_NE(report.find("64 x   48 24bit"), std::string::npos) << report;
  EXPECT_NE(report.find(" OK"), std::string::npos) << report;
  std::vector<unsigned char> bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 20u);
  // JFIF density: dots per inch, 72 by default.
  EXPECT_EQ(bytes[13], 1);
  EXPECT_EQ(bytes[14] << 8 | bytes[15], 72);
  EXPECT_EQ(bytes[16] << 8 | bytes[17], 72);
  Rgba theirs;
  ASSERT_TRUE(DecodeWithPil(path, &theirs));
  EXPECT_GT(Psnr(picture, theirs), 30.0);
  CPicImage back;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_JPG, &back));
  EXPECT_TRUE(SamePicture(theirs, ToRgba(back), false));
}

TEST(JpegCodec, GreyPictureRoundTripsAsOneComponent) {
  REQUIRE_TOOL("jpeginfo");
  TempFolder folder;
  CPicImage image(16, 8, 8);
  image.SetGrayPalette();
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 16; ++x) image.SetPixelIndex(x, y, static_cast<BYTE>(x * 16));
  std::string path = folder.Path("grey.jpg");
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_JPG)) << image.GetLastError();
  std::string report = Capture("jpeginfo -c " + Quote(path));
  EXPECT_NE(report.find(" 8bit"), std::string::npos) << report;
  EXPECT_NE(report.find(" OK"), std::string::npos) << report;
  CPicImage back;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_JPG, &back));
  EXPECT_EQ(back.GetBpp(), 8);
  EXPECT_TRUE(back.IsGrayScale());
  EXPECT_NEAR(back.GetPixelIndex(9, 3), 144, 6);
}

TEST(JpegCodec, PalettePicturesAreRefused) {
  const char* text = "JPEG can save only RGB or GreyScale images";
  for (DWORD bpp : {1u, 4u, 8u}) {
    SCOPED_TRACE(bpp);
    CPicImage image(4, 4, bpp);
    image.SetGrayPalette();
    if (bpp == 8) image.SetPaletteColor(7, 7, 8, 7);
    CPicMemFile out;
    out.Open();
    EXPECT_FALSE(image.Encode(&out, PIC_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), text);
    EXPECT_EQ(out.Size(), 0);
  }
  // Two entries that happen to start the identity ramp: rows of one bit a
  // pixel are not grey samples.
  CPicImage bits(9, 2, 1);
  bits.SetPaletteColor(0, 0, 0, 0);
  bits.SetPaletteColor(1, 1, 1, 1);
  CPicMemFile out;
  out.Open();
  EXPECT_FALSE(bits.Encode(&out, PIC_FORMAT_JPG));
  EXPECT_STREQ(bits.GetLastError(), text);
}

TEST(JpegCodec, DensityBecomesDotsPerInch) {
  CPicImage image = FromRgba(TestPicture(8, 8));
  std::vector<unsigned char> bytes = EncodeToBytes(image);
  ASSERT_GT(bytes.size(), 20u);
  bytes[13] = 2;  // dots per centimetre
  bytes[14] = 0, bytes[15] = 28, bytes[16] = 0, bytes[17] = 28;
  CPicImage cm;
  ASSERT_TRUE(DecodeBytes(bytes, &cm)) << cm.GetLastError();
  EXPECT_EQ(cm.GetXDPI(), 71);
  EXPECT_EQ(cm.GetYDPI(), 71);
  bytes[13] = 0, bytes[15] = 1, bytes[17] = 1;
  CPicImage none;
  ASSERT_TRUE(DecodeBytes(bytes, &none));
  EXPECT_EQ(none.GetXDPI(), 1);
  image.SetXDPI(300);
  image.SetYDPI(150);
  bytes = EncodeToBytes(image);
  EXPECT_EQ(bytes[14] << 8 | bytes[15], 300);
  EXPECT_EQ(bytes[16] << 8 | bytes[17], 150);
}

TEST(JpegCodec, OnePixelRoundTrips) {
  CPicImage image = FromRgba(TestPicture(1, 1));
  std::vector<unsigned char> bytes = EncodeToBytes(image);
  CPicImage back;
  ASSERT_TRUE(DecodeBytes(bytes, &back)) << back.GetLastError();
  EXPECT_EQ(back.GetWidth(), 1u);
  EXPECT_EQ(back.GetHeight(), 1u);
}

TEST(JpegCodec, EmptyAndTruncatedStreams) {
  CPicImage empty;
  EXPECT_FALSE(DecodeBytes({}, &empty));
  EXPECT_STREQ(empty.GetLastError(), "Empty input file");

  CPicImage image = FromRgba(TestPicture(120, 90));
  std::vector<unsigned char> bytes = EncodeToBytes(image);
  bytes.resize(bytes.size() * 2 / 3);
  CPicImage cut;
  EXPECT_TRUE(DecodeBytes(bytes, &cut)) << cut.GetLastError();
  EXPECT_EQ(cut.GetHeight(), 90u);

  std::vector<unsigned char> junk(300, 0x5A);
  CPicImage bad;
  EXPECT_FALSE(DecodeBytes(junk, &bad));
  EXPECT_STREQ(bad.GetLastError(), "Not a JPEG file: starts with 0x5a 0x5a");
}

TEST(JpegCodec, WriteFailureIsReported) {
  CPicImage image = FromRgba(TestPicture(300, 200));
  FullDisk disk;
  disk.Open();
  EXPECT_FALSE(image.Encode(&disk, PIC_FORMAT_JPG));
  EXPECT_STREQ(image.GetLastError(), "Output file write error --- out of disk space?");
}

// A frame header claiming 65000 x 65000 pixels is refused before the library
// builds buffers for it.
TEST(JpegCodec, HugeFrameIsRefusedBeforeDecoding) {
  CPicImage image = FromRgba(TestPicture(8, 8));
  std::vector<unsigned char> bytes = EncodeToBytes(image);
  size_t sof = FindMarker(bytes, 0xC0);
  ASSERT_NE(sof, 0u);
  bytes[sof + 5] = 0xFD, bytes[sof + 6] = 0xE8;
  bytes[sof + 7] = 0xFD, bytes[sof + 8] = 0xE8;
  CPicImage huge;
  EXPECT_FALSE(DecodeBytes(bytes, &huge));
  EXPECT_STREQ(huge.GetLastError(), "JPEG image too large");
  EXPECT_FALSE(huge.IsValid());
}

// Every scan of a progressive file passes over the whole picture; a file of
// thousands of scans is refused instead of decoded for minutes.
TEST(JpegCodec, EndlessScansAreRefused) {
  REQUIRE_TOOL("convert");
  TempFolder folder;
  std::string path = folder.Path("p.jpg");
  ASSERT_TRUE(RunTool("convert -size 16x16 gradient:red-blue -interlace JPEG " + Quote(path)));
  std::vector<unsigned char> bytes = ReadBytes(path);
  size_t lastScan = 0;
  for (size_t i = 2; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) lastScan = i;
  ASSERT_GT(lastScan, 0u);
  ASSERT_EQ(bytes[bytes.size() - 1], 0xD9);
  std::vector<unsigned char> scan(bytes.begin() + lastScan, bytes.end() - 2);
  std::vector<unsigned char> many(bytes.begin(), bytes.end() - 2);
  for (int i = 0; i < 1100; ++i) many.insert(many.end(), scan.begin(), scan.end());
  many.insert(many.end(), {0xFF, 0xD9});
  CPicImage image;
  EXPECT_FALSE(DecodeBytes(many, &image));
  EXPECT_STREQ(image.GetLastError(), "JPEG file has too many scans");
  CPicImage few;
  std::vector<unsigned char> some(bytes.begin(), bytes.end() - 2);
  for (int i = 0; i < 20; ++i) some.insert(some.end(), scan.begin(), scan.end());
  some.insert(some.end(), {0xFF, 0xD9});
  EXPECT_TRUE(DecodeBytes(some, &few)) << few.GetLastError();
}

TEST(JpegCodec, SavingToAFullDiskFails) {
  FILE* probe = fopen("/dev/full", "wb");
  if (!probe) GTEST_SKIP() << "no /dev/full";
  fclose(probe);
  CPicImage image(40, 30, 24);
  image.Clear(77);
  EXPECT_FALSE(image.Save("/dev/full", PIC_FORMAT_JPG));
  EXPECT_STREQ(image.GetLastError(), "Output file write error --- out of disk space?");
}
