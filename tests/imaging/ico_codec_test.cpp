// ICO codec: icotool's multi-image icons decode image by image to what
// icotool extracts; our icons list and extract in icotool; masks and limits.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

// Alpha must match; colour only where the pixel shows.
::testing::AssertionResult SameVisiblePixels(const Rgba& expected, const Rgba& actual) {
  if (expected.width != actual.width || expected.height != actual.height)
    return ::testing::AssertionFailure() << "size differs";
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const unsigned char* e = expected.At(x, y);
      const unsigned char* a = actual.At(x, y);
      int channels = e[3] ? 4 : 0;
      if (e[3] != a[3]) return ::testing::AssertionFailure() << "alpha at " << x << "," << y;
      for (int c = 0; c < channels; ++c)
        if (e[c] != a[c]) return ::testing::AssertionFailure() << "colour at " << x << "," << y;
    }
  return ::testing::AssertionSuccess();
}

bool ExtractWithIcotool(const std::string& icon, int index, const std::string& folder, Rgba* picture) {
  std::string png = folder + "/extracted.png";
  if (!RunTool("icotool -x -i " + std::to_string(index) + " -o " + Quote(png) + " " + Quote(icon))) return false;
  return DecodeWithPil(png, picture);
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image, LONG frame = 0) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  image->SetFrameIndex(frame);
  return image->Decode(&file, PIC_FORMAT_ICO);
}

std::vector<unsigned char> Encoded(CPicImage& image) {
  CPicMemFile file;
  file.Open();
  EXPECT_TRUE(image.Encode(&file, PIC_FORMAT_ICO)) << image.GetLastError();
  return std::vector<unsigned char>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
}

}  // namespace

TEST(IcoCodec, ReadsEveryImageOfAnIcotoolIcon) {
  REQUIRE_TOOL("icotool");
  REQUIRE_TOOL("convert");
  REQUIRE_PIL();
  TempFolder folder;
  struct Part { int width, height, colors, depth; bool alpha; } parts[] = {
      {7, 5, 2, 1, true}, {9, 3, 16, 4, true}, {13, 6, 100, 8, false}, {3, 4, 0, 24, false}, {5, 5, 0, 32, true}};
  std::string command = "icotool -c -o " + Quote(folder.Path("many.ico"));
  for (int i = 0; i < 5; ++i) {
    Rgba picture = TestPicture(parts[i].width, parts[i].height, parts[i].colors, parts[i].alpha);
    // Below 32 bits an icon knows only opaque and transparent pixels; at 32
    // bits the mask still hides every pixel icotool finds at most half opaque.
    for (size_t p = 3; parts[i].alpha && p < picture.pixels.size(); p += 4) {
      unsigned char& alpha = picture.pixels[p];
      alpha = parts[i].depth < 32 ? (alpha ? 255 : 0) : (alpha ? std::max<unsigned char>(alpha, 128) : 0);
    }
    std::string png = folder.Path("part" + std::to_string(i) + ".png");
    ASSERT_TRUE(SaveWithPil(picture, png, "RGBA"));
    command += " -b " + std::to_string(parts[i].depth) + " " + Quote(png);
  }
  ASSERT_TRUE(RunTool(command));
  std::vector<unsigned char> icon = ReadBytes(folder.Path("many.ico"));
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    Rgba reference;
    ASSERT_TRUE(ExtractWithIcotool(folder.Path("many.ico"), i + 1, folder.Path(""), &reference));
    CPicImage image;
    ASSERT_TRUE(DecodeBytes(icon, &image, i));
    EXPECT_EQ(image.GetFrameCount(), 5);
    EXPECT_EQ(image.GetBpp(), parts[i].depth == 32 ? 24 : parts[i].depth);
    EXPECT_EQ(image.HasAlpha(), parts[i].alpha);
    EXPECT_TRUE(SameVisiblePixels(reference, ToRgba(image)));
  }
  CPicImage beyond;
  EXPECT_FALSE(DecodeBytes(icon, &beyond, 5));
  EXPECT_EQ(beyond.GetFrameCount(), 5);
}

TEST(IcoCodec, WritesIconsIcotoolReads) {
  REQUIRE_TOOL("icotool");
  REQUIRE_PIL();
  TempFolder folder;
  CPicImage keyed(9, 4, 4);
  for (int i = 0; i < 16; ++i) keyed.SetPaletteColor(BYTE(i), BYTE(i * 16), BYTE(200 - i * 10), BYTE(i * 5));
  for (DWORD y = 0; y < 4; ++y)
    for (DWORD x = 0; x < 9; ++x) keyed.SetPixelIndex(x, y, BYTE((x + 2 * y) % 16));
  keyed.SetTransIndex(2);
  CPicImage truecolor;
  Rgba picture = TestPicture(6, 5, 0, true);
  std::vector<BYTE> bgra(picture.pixels.size());
  for (size_t i = 0; i < bgra.size(); i += 4) {
    bgra[i] = picture.pixels[i + 2];
    bgra[i + 1] = picture.pixels[i + 1];
    bgra[i + 2] = picture.pixels[i];
    bgra[i + 3] = picture.pixels[i + 3];
  }
  ASSERT_TRUE(truecolor.CreateFromBGRA(6, 5, bgra.data()));
  CPicImage mono(17, 3, 1);
  mono.SetPaletteColor(1, 255, 255, 255);
  for (DWORD x = 0; x < 17; ++x) mono.SetPixelIndex(x, x % 3, 1);

  for (CPicImage* image : {&keyed, &truecolor, &mono}) {
    std::vector<unsigned char> bytes = Encoded(*image);
    std::string path = folder.Path("ours.ico");
    ASSERT_TRUE(WriteBytes(path, bytes));
    Rgba reference;
    ASSERT_TRUE(ExtractWithIcotool(path, 1, folder.Path(""), &reference));
    CPicImage copy(*image);
    Rgba ours = ToRgba(copy);
    if (image == &keyed) {
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) ours.pixels[(y * 9 + x) * 4 + 3] = (x + 2 * (3 - y)) % 16 == 2 ? 0 : 255;
    }
    EXPECT_TRUE(SameVisiblePixels(ours, reference));
  }
}

TEST(IcoCodec, SavedLayoutAndMaskBits) {
  CPicImage image(3, 2, 8);
  image.SetPaletteColor(2, 1, 2, 3);
  image.SetPixelIndex(1, 0, 2);
  image.SetTransIndex(2);
  std::vector<unsigned char> bytes = Encoded(image);
  EXPECT_EQ(bytes[2 + 2 + 2 + 2], 0);  // colour count of a 256-colour icon
  EXPECT_EQ(bytes[18], 22);            // image offset
  EXPECT_EQ(bytes[22 + 8], 4);         // information header height: twice 2
  size_t mask = 22 + 40 + 1024 + 8;
  EXPECT_EQ(bytes[mask], 0x40);        // only pixel (1, 0) is transparent
  EXPECT_EQ(bytes[mask + 4], 0x00);
  CPicImage back;
  ASSERT_TRUE(DecodeBytes(bytes, &back));
  EXPECT_EQ(back.AlphaGet(1, 0), 0);
  EXPECT_EQ(back.AlphaGet(0, 0), 255);

  CPicImage opaque(3, 2, 4);
  CPicImage opaqueBack;
  ASSERT_TRUE(DecodeBytes(Encoded(opaque), &opaqueBack));
  EXPECT_FALSE(opaqueBack.HasAlpha());
  EXPECT_EQ(opaqueBack.GetColorCount(), 16u);
}

TEST(IcoCodec, SizeLimitsAndBadDirectories) {
  CPicImage big(256, 256, 24), edge(255, 255, 24);
  CPicMemFile file;
  file.Open();
  EXPECT_FALSE(big.Encode(&file, PIC_FORMAT_ICO));
  EXPECT_STREQ(big.GetLastError(), "Can't save this image as icon");
  EXPECT_TRUE(edge.Encode(&file, PIC_FORMAT_ICO));
  CPicImage image;
  EXPECT_FALSE(DecodeBytes({0, 0, 2, 0, 1, 0}, &image));
  EXPECT_FALSE(DecodeBytes({0, 0, 1, 0, 0, 0}, &image));
  // An entry pointing past the end, and one holding no bitmap header.
  std::vector<unsigned char> dangling = {0, 0, 1, 0, 1, 0, 4, 4, 0, 0, 1, 0, 32, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0};
  EXPECT_FALSE(DecodeBytes(dangling, &image));
  std::vector<unsigned char> png = {0, 0, 1, 0, 1, 0, 4, 4, 0, 0, 1, 0, 32, 0, 0, 1, 0, 0, 22, 0, 0, 0};
  std::vector<unsigned char> signature = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  png.insert(png.end(), signature.begin(), signature.end());
  png.resize(png.size() + 60, 0);
  EXPECT_FALSE(DecodeBytes(png, &image));
  // An icon cut short before its directory entry or its bitmap header ends
  // fails with its text: nothing gives the picture's size.
  CPicImage small(5, 3, 4);
  std::vector<unsigned char> whole = Encoded(small);
  for (size_t cut : {size_t(10), size_t(30), size_t(22 + 39)}) {
    std::vector<unsigned char> part(whole.begin(), whole.begin() + cut);
    CPicImage truncated;
    EXPECT_FALSE(DecodeBytes(part, &truncated)) << cut;
    EXPECT_STREQ(truncated.GetLastError(), "Icon file is truncated") << cut;
    EXPECT_FALSE(truncated.IsValid());
  }
}

// Past its header, an icon cut short decodes with what the file holds: the
// palette, pixels and mask past the cut are zero.
TEST(IcoCodec, ImageCutShortDecodesWithWhatTheFileHolds) {
  CPicImage small(5, 3, 4);
  for (LONG x = 0; x < 5; ++x) small.SetPixelIndex(x, 0, static_cast<BYTE>(x + 1));
  for (LONG x = 0; x < 5; ++x) small.SetPixelIndex(x, 2, 3);
  small.SetPaletteColor(3, 30, 40, 50);
  const std::vector<unsigned char> whole = Encoded(small);
  const size_t pixelsAt = 22 + 40 + 16 * 4;  // 4-bit rows of 4 bytes, bottom row first
  struct Case {
    size_t cut;
    BYTE bottomIndex, topIndex;  // pixel 2 of the bottom and the top row
    BYTE paletteRed3;
  } cases[] = {
      {22 + 40 + 2, 0, 0, 0},   // inside the palette
      {pixelsAt + 4, 3, 0, 30},  // after the bottom row
      {whole.size() - 1, 3, 3, 30},  // inside the mask
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cut);
    CPicImage image;
    ASSERT_TRUE(DecodeBytes(std::vector<unsigned char>(whole.begin(), whole.begin() + c.cut), &image))
        << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 5u);
    EXPECT_EQ(image.GetHeight(), 3u);
    EXPECT_EQ(image.GetPixelIndex(2, 0), c.bottomIndex);
    EXPECT_EQ(image.GetPixelIndex(2, 2), c.topIndex);
    EXPECT_EQ(image.GetPaletteColor(3).rgbRed, c.paletteRed3);
  }
}

// Current tools write 256-pixel entries with a size byte of 0, and large
// entries as whole PNG streams.
TEST(IcoCodec, TwoHundredFiftySixPixelAndPngEntriesDecode) {
  REQUIRE_TOOL("icotool");
  REQUIRE_PIL();
  TempFolder folder;
  Rgba picture = TestPicture(256, 256, 0, true);
  for (size_t p = 3; p < picture.pixels.size(); p += 4) picture.pixels[p] = static_cast<unsigned char>(p / 4 % 7 ? 255 : 0);
  ASSERT_TRUE(SaveWithPil(picture, folder.Path("big.png"), "RGBA"));
  Rgba translucent = TestPicture(40, 30, 0, true);
  ASSERT_TRUE(SaveWithPil(translucent, folder.Path("raw.png"), "RGBA"));
  ASSERT_TRUE(RunTool("icotool -c -o " + Quote(folder.Path("two.ico")) + " -b 32 " + Quote(folder.Path("big.png")) +
                      " --raw=" + Quote(folder.Path("raw.png"))));
  std::vector<unsigned char> icon = ReadBytes(folder.Path("two.ico"));
  ASSERT_EQ(icon[6], 0);  // the 256 is stored as 0

  CPicImage bitmap;
  ASSERT_TRUE(DecodeBytes(icon, &bitmap, 0)) << bitmap.GetLastError();
  EXPECT_EQ(bitmap.GetFrameCount(), 2);
  EXPECT_TRUE(SameVisiblePixels(picture, ToRgba(bitmap)));

  CPicImage png;
  ASSERT_TRUE(DecodeBytes(icon, &png, 1)) << png.GetLastError();
  EXPECT_EQ(png.GetFrameCount(), 2);
  EXPECT_EQ(png.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_ICO));
  ASSERT_TRUE(png.HasAlpha());
  EXPECT_TRUE(SamePicture(translucent, ToRgba(png)));

  // A size byte of 0 whose image says another width is refused.
  std::vector<unsigned char> lying = icon;
  const size_t header = lying[18] | (lying[19] << 8) | (lying[20] << 16);
  lying[header + 4] = 255, lying[header + 5] = 0;
  CPicImage refused;
  EXPECT_FALSE(DecodeBytes(lying, &refused, 0));
}
