// Swatch files as byte images, read back by the program and dumped by an
// independent reader; damaged files read as an empty list; thumbnails.
#include "ui/swatch_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/raster/color_variation_fill.h"
#include "platform/replacing_file.h"
#include "support/small_disk.h"
#include "model/raster/gradient_desc.h"
#include "swatch_record_reader.h"
#include "ui/normal_render.h"
#include "ui/swatch_lists.h"
#include "ui_test_support.h"

namespace {

using uitest::Bytes;
using uitest::HostFolder;
using uitest::Str;

Bytes RecordBytes(CFillStyle fill) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    fill.Serialize(ar);
  }
  const UINT length = file.GetLength();
  BYTE* data = file.Detach();
  Bytes bytes(data, data + length);
  free(data);
  return bytes;
}

CFillStyle Colour(DWORD argb) {
  CFillStyle fill;
  fill.color = argb;
  return fill;
}
CFillStyle Picture(const char16_t* path) {
  CFillStyle fill;
  fill.type = 2;
  fill.SetPatternImage(path);
  return fill;
}
CFillStyle Variation(const CGradientDesc& desc) {
  CFillStyle fill;
  fill.type = kFillVaryColor;
  fill.SetGradient(desc);
  return fill;
}

void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

class SwatchFiles : public ::testing::Test {
 protected:
  CString File(const char16_t* name) const { return m_folder.Path(name); }
  Bytes BytesOf(const char16_t* name) const {
    return uitest::ReadHostFile(uitest::fs::path(m_folder.Host()) / compat::Utf16ToUtf8(name));
  }
  void Put(const char16_t* name, const Bytes& bytes) const {
    uitest::WriteHostFile(uitest::fs::path(m_folder.Host()) / compat::Utf16ToUtf8(name), bytes);
  }
  HostFolder m_folder;
};

TEST_F(SwatchFiles, WorkedExamplesHaveTheirExactSizesAndBytes) {
  EXPECT_EQ(RecordBytes(CFillStyle()), (Bytes{0, 0, 0, 0, 0x80, 0x80, 0x80, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  ASSERT_TRUE(WriteSwatchFile(File(u"Color.dat"), {Colour(0xFF112233), Colour(0x80FFFFFF)}));
  const Bytes colours = BytesOf(u"Color.dat");
  ASSERT_EQ(colours.size(), 44u);
  EXPECT_EQ(Bytes(colours.begin(), colours.begin() + 12), (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0x33, 0x22, 0x11, 0xFF}));

  ASSERT_TRUE(WriteSwatchFile(File(u"ImageTexture.dat"), {Picture(u"\\Image\\a.jpg")}));
  const Bytes pictures = BytesOf(u"ImageTexture.dat");
  ASSERT_EQ(pictures.size(), 60u);
  // The pattern flag, its kind, the path part's own kind, then the string's
  // UTF-16 mark and length.
  EXPECT_EQ(Bytes(pictures.begin() + 20, pictures.begin() + 36),
            (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 12}));

  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CGradientDesc().Serialize(ar);
  }
  EXPECT_EQ(memory.GetLength(), 110u);

  EXPECT_EQ(RecordBytes(Variation(CGradientDesc())).size(), 248u);

  CSwatchArray back;
  ASSERT_TRUE(ReadSwatchFile(File(u"ImageTexture.dat"), back));
  ASSERT_EQ(back.size(), 1u);
  CString path;
  ASSERT_TRUE(back[0].GetPatternImage(path));
  EXPECT_EQ(Str(path), u"\\Image\\a.jpg");
  ASSERT_TRUE(ReadSwatchFile(File(u"Color.dat"), back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].color, 0x80FFFFFFu);
}

TEST_F(SwatchFiles, AnIndependentReaderDumpsWhatTheProgramWrites) {
  CGradientDesc desc;
  desc.stopCount = 3;
  desc.colors[0] = 0xFF000000;
  desc.colors[1] = 0x80FF0000;
  desc.colors[2] = 0xFFFFFFFF;
  desc.positions[1] = 0.25f;
  desc.positions[2] = 1.0f;
  desc.midpoints[0] = 0.75f;
  desc.repeatCount = 4;
  desc.angle = 90.0f;
  desc.style = 2;
  desc.controlPoints[3] = CVector2(0.5f, -1.0f);
  CFillStyle textured = Colour(0x01020304);
  textured.image = new CFillImagePart;
  textured.image->value = 0.5f;
  textured.texture = new CFillTexturePart;
  textured.texture->transform.n = 7;
  ASSERT_TRUE(WriteSwatchFile(File(u"mixed.dat"), {textured, Picture(u"C:\\p\\\u00e9.png"), Variation(desc)}));
  const std::string expected =
      "count 3\n"
      "fill type 0 colour 01020304\n"
      " image kind 0 value 0.5\n"
      " texture kind 3 value 1 p1 (0.5,0.5) p5 (0,0) p4 (0,0) p3 (1,1) n 7 p2 (0,0)\n"
      "fill type 2 colour FF808080\n"
      " path kind 1 \"C:\\p\\\\u233.png\"\n"
      "fill type 1 colour FF808080\n"
      " gradient kind 4\n"
      "  stops 3\n"
      "  stop FF000000 at 0 mid 0.75\n"
      "  stop 80FF0000 at 0.25 mid 0.5\n"
      "  stop FFFFFFFF at 1\n"
      "  repeat 4 angle 90 mode 0 style 2 (0,0) (0,0) (0,0) (0.5,-1) extra 00000000\n"
      "  stops 5\n"
      "  stop FF0000FF at 0 mid 0.5\n"
      "  stop FF00FF00 at 0.25 mid 0.5\n"
      "  stop FFFF0000 at 0.5 mid 0.5\n"
      "  stop FFFFFF00 at 0.75 mid 0.5\n"
      "  stop FF00FFFF at 1\n"
      "  repeat 1 angle 45 mode 0 style 0 (0,0) (0,0) (0,0) (0,0) extra 00000000\n";
  const Bytes written = BytesOf(u"mixed.dat");
  EXPECT_EQ(swatchdump::Reader(written).DumpList(), expected);

  // What the program reads it writes again byte for byte.
  CSwatchArray back;
  ASSERT_TRUE(ReadSwatchFile(File(u"mixed.dat"), back));
  ASSERT_TRUE(WriteSwatchFile(File(u"again.dat"), back));
  EXPECT_EQ(BytesOf(u"again.dat"), written);
}

TEST_F(SwatchFiles, DamagedFilesReadAsAnEmptyList) {
  ASSERT_TRUE(WriteSwatchFile(File(u"good.dat"),
                              {Colour(0xFF0000FF), Picture(u"\\Image\\a.jpg"), Variation(CGradientDesc())}));
  const Bytes good = BytesOf(u"good.dat");

  Bytes huge;
  PutU32(huge, 0xFFFFFFFF);
  huge.insert(huge.end(), good.begin() + 4, good.end());

  // The count, the colour (20 bytes), the picture (20, two kinds and a
  // 28-byte string), then the variation's fill words and two kinds.
  const size_t pictureAt = 4 + 20;
  const size_t variationAt = pictureAt + 20 + 8 + 28;
  // The variation's first gradient claims 300 stops.
  Bytes stops = good;
  const size_t gradientAt = variationAt + 20 + 8;
  ASSERT_EQ(stops[gradientAt], 5);
  stops[gradientAt] = 300 & 0xFF;
  stops[gradientAt + 1] = 300 >> 8;

  // The picture path says 0x7FFFFFFF characters.
  Bytes longText = good;
  const size_t lengthAt = pictureAt + 20 + 8 + 3;
  ASSERT_EQ(longText[lengthAt], 12);
  longText[lengthAt] = 0xFF;
  const Bytes wide = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  longText.insert(longText.begin() + static_cast<std::ptrdiff_t>(lengthAt) + 1, wide.begin(), wide.end());

  int cases = 0;
  auto expectEmpty = [&](const Bytes& bytes, const std::string& what) {
    Put(u"bad.dat", bytes);
    CSwatchArray swatches{Colour(1)};
    EXPECT_FALSE(ReadSwatchFile(File(u"bad.dat"), swatches)) << what;
    EXPECT_TRUE(swatches.empty()) << what;
    ++cases;
  };
  expectEmpty(huge, "count 0xFFFFFFFF");
  expectEmpty(stops, "300 stops");
  expectEmpty(longText, "a string longer than the file");
  for (size_t cut = 0; cut < good.size(); ++cut) expectEmpty(Bytes(good.begin(), good.begin() + cut), "cut at " + std::to_string(cut));
  EXPECT_EQ(cases, 3 + static_cast<int>(good.size()));

  CSwatchArray none{Colour(1)};
  EXPECT_FALSE(ReadSwatchFile(File(u"missing.dat"), none));
  EXPECT_TRUE(none.empty());
  Put(u"zero.dat", {0, 0, 0, 0});
  EXPECT_TRUE(ReadSwatchFile(File(u"zero.dat"), none));
  EXPECT_TRUE(none.empty());
}

TEST_F(SwatchFiles, AVariationWithoutStopsLoadsAndRenders) {
  CGradientDesc empty;
  empty.stopCount = 0;
  ASSERT_TRUE(WriteSwatchFile(File(u"VaryColor.dat"), {Variation(empty)}));
  CSwatchArray back;
  ASSERT_TRUE(ReadSwatchFile(File(u"VaryColor.dat"), back));
  ASSERT_EQ(back.size(), 1u);
  std::vector<DWORD> pixels(32 * 32);
  NormalRender(back[0], pixels.data(), 32, 32);
  for (DWORD p : pixels) EXPECT_EQ(p >> 24, 0xFFu);
}

TEST_F(SwatchFiles, MaterialFileKeepsTheFillWhenDamaged) {
  CFillStyle fill;
  EXPECT_FALSE(ReadFillFile(File(u"Material.dat"), fill));
  ASSERT_TRUE(WriteFillFile(File(u"Material.dat"), Picture(u"\\Image\\m.png")));
  ASSERT_TRUE(ReadFillFile(File(u"Material.dat"), fill));
  EXPECT_EQ(fill.type, 2);
  Bytes cut = BytesOf(u"Material.dat");
  cut.resize(cut.size() - 3);
  Put(u"Material.dat", cut);
  CFillStyle kept;
  EXPECT_FALSE(ReadFillFile(File(u"Material.dat"), kept));
  EXPECT_EQ(kept.type, 0);
  EXPECT_EQ(kept.color, 0xFF808080u);
  EXPECT_EQ(kept.pattern, nullptr);
}

// A disk that fills, then a full and a read-only one, and a file-size
// limit: "Color.dat" and "Material.dat" keep their earlier contents, no
// partial file is left beside them, and each file is told once.
TEST_F(SwatchFiles, FilesThatCannotBeWrittenKeepTheirEarlierContentsAndAreToldOnce) {
  if (!testsupport::InPrivateMounts()) return;
  testsupport::SmallDisk disk(64 * 1024);
  ASSERT_TRUE(disk.Mounted());
  const CString folder(compat::FromHostPath(disk.Path()).c_str());
  const CString colors = folder + u"\\Color.dat", material = folder + u"\\Material.dat";
  ASSERT_TRUE(WriteSwatchFile(colors, CSwatchArray{Colour(0xFF112233)}));
  ASSERT_TRUE(WriteFillFile(material, Colour(0xFF445566)));
  compat::ResetMessageBoxLog();
  ResetWriteFailureReports();
  disk.Fill(4 * 1024);
  const CSwatchArray many(2000, Picture(u"\\Image\\a rather long picture name.png"));
  EXPECT_FALSE(WriteSwatchFile(colors, many)) << "fills part-way";
  disk.Fill();
  EXPECT_FALSE(WriteSwatchFile(colors, CSwatchArray{Colour(1), Colour(2)})) << "full";
  EXPECT_FALSE(WriteFillFile(material, Colour(0xFF000000))) << "full";
  ASSERT_TRUE(disk.MakeReadOnly());
  EXPECT_FALSE(WriteFillFile(material, Colour(0xFF000000))) << "read-only";
  EXPECT_EQ(compat::MessageBoxCount(), 2) << "once for each file";
  CSwatchArray read;
  ASSERT_TRUE(ReadSwatchFile(colors, read));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].color, 0xFF112233u);
  CFillStyle fill;
  ASSERT_TRUE(ReadFillFile(material, fill));
  EXPECT_EQ(fill.color, 0xFF445566u);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(disk.Path())) files += entry.path().filename() != ".filler";
  EXPECT_EQ(files, 2u);
}

TEST_F(SwatchFiles, AFileSizeLimitKeepsTheEarlierSwatches) {
  ASSERT_TRUE(WriteSwatchFile(File(u"Color.dat"), CSwatchArray{Colour(0xFF010203)}));
  const Bytes earlier = BytesOf(u"Color.dat");
  ResetWriteFailureReports();
  compat::ResetMessageBoxLog();
  {
    testsupport::FileSizeLimit limit(1024);
    EXPECT_FALSE(WriteSwatchFile(File(u"Color.dat"), CSwatchArray(500, Colour(7))));
  }
  EXPECT_EQ(BytesOf(u"Color.dat"), earlier);
  EXPECT_EQ(compat::MessageBoxCount(), 1);
}

// --- thumbnails ---

TEST(NormalRender, ColoursLieOverTheCheckerboardByTheirAlpha) {
  constexpr int w = 16, h = 16;
  std::vector<DWORD> pixels(w * h);
  NormalRender(Colour(0x00FF0000), pixels.data(), w, h);
  EXPECT_EQ(pixels[0], 0xFF040404u) << "cell (0, 0) is dark";
  EXPECT_EQ(pixels[2], 0xFFFAFAFAu) << "cell (0, 1) is light";
  EXPECT_EQ(pixels[2 * w], 0xFFFAFAFAu);
  EXPECT_EQ(pixels[2 * w + 2], 0xFF040404u);
  NormalRender(Colour(0xFF00FF00), pixels.data(), w, h);
  for (DWORD p : pixels) ASSERT_EQ(p, 0xFF00FF00u);
  NormalRender(Colour(0x80FF0000), pixels.data(), w, h);
  // 4 + (255 - 4) x 128 / 256 = 129 for red; 4 - 4 x 128 / 256 = 2 for the others.
  EXPECT_EQ(pixels[0], 0xFF810202u);
  // Another type with no part of its own leaves the board bare.
  CFillStyle picture = Colour(0xFF00FF00);
  picture.type = 2;
  NormalRender(picture, pixels.data(), w, h);
  EXPECT_EQ(pixels[0], 0xFF040404u);
}

TEST(NormalRender, AVariationLandsWithItsFirstRowAtTheBottom) {
  CGradientDesc desc;
  desc.stopCount = 2;
  desc.colors[0] = 0xFFFF0000;
  desc.colors[1] = 0xFF0000FF;
  desc.positions[0] = 0.0f;
  desc.positions[1] = 1.0f;
  desc.angle = 90.0f;  // along the rows
  constexpr int w = 8, h = 8;
  std::unique_ptr<DWORD[]> plain(RenderVaryColorFill(SIZE{w, h}, desc));
  ASSERT_TRUE(plain);
  std::vector<DWORD> pixels(w * h);
  NormalRender(Variation(desc), pixels.data(), w, h);
  for (int x = 0; x < w; ++x) {
    EXPECT_EQ(pixels[(h - 1) * w + x], plain[x] | 0xFF000000u) << x;
    EXPECT_EQ(pixels[x], plain[(h - 1) * w + x] | 0xFF000000u) << x;
  }
}

// --- the shared lists ---

class SharedLists : public uitest::UiTest {};

TEST_F(SharedLists, OneListPerFileReadOnceAndWrittenOnRequest) {
  CSwatchList& colours = SharedSwatchList(u"Color.dat");
  EXPECT_TRUE(colours.fills.empty()) << "no file yet";
  EXPECT_EQ(&SharedSwatchList(u"Color.dat"), &colours);
  EXPECT_NE(&SharedSwatchList(u"VaryColor.dat"), &colours);
  colours.fills.push_back(Colour(0xFF123456));
  ASSERT_TRUE(SaveSharedSwatchList(u"Color.dat"));
  ForgetSharedSwatchLists();
  CSwatchList& again = SharedSwatchList(u"Color.dat");
  ASSERT_EQ(again.fills.size(), 1u);
  EXPECT_EQ(again.fills[0].color, 0xFF123456u);
}

}  // namespace
