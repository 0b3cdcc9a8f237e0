// Load and save dispatch: format ids, auto-detection, stream positions and
// the texts a caller sees.
#include <gtest/gtest.h>

#include <cstring>

#include "compat/host_path.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

std::vector<unsigned char> Encoded(CPicImage& image, DWORD formatId) {
  CPicMemFile file;
  file.Open();
  EXPECT_TRUE(image.Encode(&file, formatId)) << image.GetLastError();
  BYTE* data = file.GetBuffer(false);
  return std::vector<unsigned char>(data, data + file.Size());
}

CPicImage SmallPicture(DWORD bpp) {
  CPicImage image(5, 3, bpp);
  for (DWORD i = 0; i < image.GetColorCount(); ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i * 2), BYTE(i * 3));
  for (DWORD y = 0; y < 3; ++y)
    for (DWORD x = 0; x < 5; ++x) {
      if (bpp == 24) image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 40), BYTE(y * 80), 7, 0});
      else image.SetPixelIndex(x, y, BYTE(x + y));
    }
  return image;
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image, DWORD formatId) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, formatId);
}

}  // namespace

TEST(PicImageIo, AutoDetectionFindsEveryBuiltInFormat) {
  const struct { DWORD formatId, bpp; } cases[] = {
      {PIC_FORMAT_BMP, 8}, {PIC_FORMAT_ICO, 4}, {PIC_FORMAT_TGA, 24}, {PIC_FORMAT_PCX, 8}, {PIC_FORMAT_WBMP, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formatId);
    CPicImage image = SmallPicture(c.bpp);
    std::vector<unsigned char> bytes = Encoded(image, c.formatId);
    CPicImage decoded;
    ASSERT_TRUE(DecodeBytes(bytes, &decoded, PIC_FORMAT_UNKNOWN));
    EXPECT_EQ(decoded.GetFormatId(), c.formatId);
    EXPECT_EQ(decoded.GetWidth(), 5u);
  }
}

// A PCX header with 1 dpi and a first map entry whose red is 8 also reads as
// a 1 x 1 colour-mapped TGA; the order of the tries decides.
TEST(PicImageIo, AutoDetectionTriesTgaBeforePcx) {
  CPicImage image = SmallPicture(4);
  image.SetPaletteColor(0, 8, 0, 0);
  image.SetXDPI(1);
  image.SetYDPI(1);
  std::vector<unsigned char> pcx = Encoded(image, PIC_FORMAT_PCX);
  CPicImage asPcx;
  ASSERT_TRUE(DecodeBytes(pcx, &asPcx, PIC_FORMAT_PCX));
  CPicImage detected;
  ASSERT_TRUE(DecodeBytes(pcx, &detected, PIC_FORMAT_UNKNOWN));
  EXPECT_EQ(detected.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_TGA));
  EXPECT_EQ(detected.GetWidth(), 1u);
}

TEST(PicImageIo, AutoDetectionRestartsAtTheEntryPosition) {
  CPicImage image = SmallPicture(24);
  std::vector<unsigned char> bytes = {'j', 'u', 'n', 'k'};
  std::vector<unsigned char> pcx = Encoded(image, PIC_FORMAT_PCX);
  bytes.insert(bytes.end(), pcx.begin(), pcx.end());
  CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
  file.Seek(4, SEEK_SET);
  CPicImage decoded;
  ASSERT_TRUE(decoded.Decode(&file, PIC_FORMAT_UNKNOWN));
  EXPECT_EQ(decoded.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_PCX));
}

TEST(PicImageIo, TextsOfFailedCalls) {
  std::vector<unsigned char> junk(200, 0xEE);
  CPicImage image = SmallPicture(8);
  EXPECT_FALSE(DecodeBytes(junk, &image, PIC_FORMAT_UNKNOWN));
  EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
  EXPECT_FALSE(DecodeBytes(junk, &image, 11));
  EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
  EXPECT_FALSE(DecodeBytes(junk, &image, PIC_FORMAT_PCX));
  EXPECT_STREQ(image.GetLastError(), "Error: Not a PCX file");
  // A failed decode leaves the picture as it was.
  EXPECT_EQ(image.GetWidth(), 5u);
  EXPECT_EQ(image.GetPixelIndex(2, 1), 3);

  // The metafile codec reads but never writes.
  EXPECT_FALSE(DecodeBytes(junk, &image, PIC_FORMAT_WMF));
  EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
  {
    CPicMemFile out;
    out.Open();
    EXPECT_FALSE(image.Encode(&out, PIC_FORMAT_WMF));
    EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");
  }
  CPicMemFile out;
  out.Open();
  EXPECT_FALSE(image.Encode(&out, PIC_FORMAT_UNKNOWN));
  EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
  EXPECT_FALSE(image.Encode(&out, 11));
  EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
  EXPECT_FALSE(image.Encode(&out, PIC_FORMAT_WBMP));
  EXPECT_STREQ(image.GetLastError(), "Can't save this image as WBMP");
}

TEST(PicImageIo, LoadFallsBackToDetectionButKeepsTheAskedFormatsText) {
  TempFolder folder;
  CPicImage image = SmallPicture(24);
  std::string bmp = folder.Path("picture.pcx");
  ASSERT_TRUE(image.Save(bmp.c_str(), PIC_FORMAT_BMP));
  CPicImage loaded;
  ASSERT_TRUE(loaded.Load(bmp.c_str(), PIC_FORMAT_PCX));
  EXPECT_EQ(loaded.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_BMP));

  std::string junk = folder.Path("junk.tga");
  ASSERT_TRUE(WriteBytes(junk, std::vector<unsigned char>(10, 0x55)));
  CPicImage failed;
  EXPECT_FALSE(failed.Load(junk.c_str(), PIC_FORMAT_TGA));
  EXPECT_STREQ(failed.GetLastError(), "Not a TGA");
  EXPECT_FALSE(failed.Load(junk.c_str(), PIC_FORMAT_UNKNOWN));
  EXPECT_STREQ(failed.GetLastError(), "Decode: Unknown or wrong format");

  CPicImage missing;
  missing.SetLastError("before");
  EXPECT_FALSE(missing.Load(folder.Path("none.bmp").c_str(), PIC_FORMAT_BMP));
  EXPECT_STREQ(missing.GetLastError(), "before");
  CPicImage constructed(bmp.c_str(), PIC_FORMAT_BMP);
  EXPECT_TRUE(constructed.IsValid());
}

TEST(PicImageIo, IconFrameBeyondTheLastReportsTheFrameCount) {
  CPicImage image = SmallPicture(8);
  std::vector<unsigned char> icon = Encoded(image, PIC_FORMAT_ICO);
  CPicImage asked;
  asked.SetFrameIndex(5);
  EXPECT_FALSE(DecodeBytes(icon, &asked, PIC_FORMAT_ICO));
  EXPECT_EQ(asked.GetFrameCount(), 1);

  TempFolder folder;
  std::string path = folder.Path("one.ico");
  ASSERT_TRUE(WriteBytes(path, icon));
  CPicImage loaded(path.c_str(), PIC_FORMAT_ICO, 5);
  ASSERT_TRUE(loaded.IsValid());
  EXPECT_EQ(loaded.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_ICO));
  // Formats that detection only tried leave the count as it was.
  asked.SetFrameCount(3);
  EXPECT_FALSE(DecodeBytes(std::vector<unsigned char>(200, 0xEE), &asked, PIC_FORMAT_UNKNOWN));
  EXPECT_EQ(asked.GetFrameCount(), 3);
}

TEST(PicImageIo, EncodingThroughAGhostLeavesTheImageWhole) {
  CPicImage image = SmallPicture(24);
  image.AlphaCreate();
  image.AlphaSet(9);
  Encoded(image, PIC_FORMAT_TGA);
  Encoded(image, PIC_FORMAT_ICO);
  EXPECT_TRUE(image.HasAlpha());
  EXPECT_EQ(image.AlphaGet(4, 2), 9);
  EXPECT_FALSE(image.IsGhost());
}

// Names come as the program writes them: backslashes, wide or 8-bit text.
TEST(PicImageIo, OpensProgramPathsByName) {
  TempFolder folder;
  CPicImage image = SmallPicture(24);
  std::u16string wide = compat::FromHostPath(folder.Path("")) + u"\u00e9t\u00e9.tga";
  ASSERT_TRUE(image.Save(wide.c_str(), PIC_FORMAT_TGA)) << image.GetLastError();
  EXPECT_FALSE(ReadBytes(folder.Path("\xc3\xa9t\xc3\xa9.tga")).empty());
  std::string narrow = compat::Utf16ToUtf8(wide);
  CPicImage loaded;
  ASSERT_TRUE(loaded.Load(narrow.c_str(), PIC_FORMAT_TGA)) << loaded.GetLastError();
  EXPECT_EQ(loaded.GetWidth(), 5u);
  ASSERT_TRUE(image.Save(narrow.c_str(), PIC_FORMAT_BMP));
  ASSERT_TRUE(loaded.Load(narrow.c_str(), PIC_FORMAT_UNKNOWN));
  EXPECT_EQ(loaded.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_BMP));
  std::u16string missingFolder = compat::FromHostPath(folder.Path("")) + u"none\\x.bmp";
  EXPECT_FALSE(image.Save(missingFolder.c_str(), PIC_FORMAT_BMP));
}

TEST(PicImageIo, SavingToAFullDiskFails) {
  FILE* probe = fopen("/dev/full", "wb");
  if (!probe) GTEST_SKIP() << "no /dev/full";
  fclose(probe);
  CPicImage image = SmallPicture(8);
  for (DWORD formatId : {PIC_FORMAT_BMP, PIC_FORMAT_TGA, PIC_FORMAT_PCX, PIC_FORMAT_ICO}) {
    image.SetLastError("");
    EXPECT_FALSE(image.Save("/dev/full", formatId)) << formatId;
    EXPECT_STRNE(image.GetLastError(), "") << formatId;
  }
}

TEST(PicImageIo, EncodersRefuseWhatTheirFormatCannotHold) {
  CPicMemFile file;
  file.Open();
  CPicImage empty;
  for (DWORD formatId : {PIC_FORMAT_BMP, PIC_FORMAT_TGA, PIC_FORMAT_ICO, PIC_FORMAT_PCX, PIC_FORMAT_WBMP})
    EXPECT_FALSE(empty.Encode(&file, formatId)) << formatId;
  // Sizes are 16-bit fields in both headers.
  CPicImage wide(65536, 1, 24);
  EXPECT_FALSE(wide.Encode(&file, PIC_FORMAT_TGA));
  EXPECT_STREQ(wide.GetLastError(), "Can't save this image as TGA");
  EXPECT_FALSE(wide.Encode(&file, PIC_FORMAT_PCX));
  EXPECT_STREQ(wide.GetLastError(), "Can't save this image as PCX");
  EXPECT_EQ(file.Size(), 0);
}
