// Fill styles: the fill record against the reference reader and writer,
// deep copies of the parts, and hostile records.
#include "model/raster/fill_style.h"

#include <gtest/gtest.h>

#include "record_bytes.h"
#include "pvk_reference.h"

namespace {

std::vector<uint8_t> Bytes(const std::vector<BYTE>& b) { return std::vector<uint8_t>(b.begin(), b.end()); }

pvk::Fill ReadBack(CFillStyle& fill) {
  std::vector<uint8_t> bytes = Bytes(StoreRecord(fill));
  pvk::Fill f;
  size_t pos = 0;
  EXPECT_TRUE(pvk::ReadFill(bytes, pos, f));
  EXPECT_EQ(pos, bytes.size());
  return f;
}

CGradientDesc ThreeStops() {
  CGradientDesc g;
  g.stopCount = 3;
  g.colors[0] = 0xFF112233;
  g.colors[1] = 0x80445566;
  g.colors[2] = 0x00778899;
  g.positions[0] = 0.0f;
  g.positions[1] = 0.3f;
  g.positions[2] = 1.0f;
  g.midpoints[0] = 0.4f;
  g.midpoints[1] = 0.6f;
  g.repeatCount = 7;
  g.angle = 200.0f;
  g.repeatMode = 1;
  g.style = 2;
  g.extra = 9;
  g.controlPoints[2] = CVector2(3.0f, -4.0f);
  return g;
}

}  // namespace

TEST(FillRecord, DefaultFillIsTwentyBytes) {
  CFillStyle fill;
  std::vector<BYTE> expected = {0, 0, 0, 0, 0x80, 0x80, 0x80, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(StoreRecord(fill), expected);
}

TEST(FillRecord, PathPatternStoresItsKindTwiceBeforeThePath) {
  CFillStyle fill;
  fill.type = 2;
  fill.SetPatternImage(u"C:\\a.bmp");
  std::vector<BYTE> bytes = StoreRecord(fill);
  ASSERT_EQ(bytes.size(), 20u + 8u + 4u + 16u);
  EXPECT_EQ(bytes[16], 1);  // has pattern
  EXPECT_EQ(bytes[20], 1);  // pattern kind
  EXPECT_EQ(bytes[24], 1);  // the part's own kind
  EXPECT_EQ(ReadBack(fill).patternPath, u"C:\\a.bmp");
}

TEST(FillRecord, DefaultGradientStoresFiveStopsInBothDescriptors) {
  CFillStyle fill;
  fill.type = 1;
  fill.SetGradient(CGradientDesc());
  // Per descriptor: count, 14 stop words, repeat, angle, mode, style, 4 points, extra.
  const size_t descriptor = 2 + 14 * 4 + 4 * 4 + 4 * 8 + 4;
  EXPECT_EQ(StoreRecord(fill).size(), 20u + 8u + 2 * descriptor);
  pvk::Fill f = ReadBack(fill);
  ASSERT_EQ(f.first.colors.size(), 5u);
  EXPECT_EQ(f.first.midpoints.size(), 4u);
  EXPECT_EQ(f.first.colors[2], 0xFFFF0000u);
  EXPECT_EQ(f.first, f.second);
}

TEST(FillRecord, EveryPartMatchesTheReferenceReader) {
  CFillStyle fill;
  fill.type = 3;
  fill.color = 0x12345678;
  fill.image = new CFillImagePart;
  fill.image->value = 0.25f;
  fill.image->path = u"not stored";
  fill.texture = new CFillTexturePart;
  fill.texture->value = 2.5f;
  fill.texture->transform.p2 = CVector2(1, 2);
  fill.texture->transform.n = 5;
  fill.texture->transform.p4 = CVector2(7, 8);
  fill.texture->transform.p5 = CVector2(9, 10);
  fill.SetGradient(ThreeStops());

  pvk::Fill f = ReadBack(fill);
  EXPECT_EQ(f.type, 3u);
  EXPECT_EQ(f.color, 0x12345678u);
  EXPECT_FLOAT_EQ(f.imageValue, 0.25f);
  EXPECT_FLOAT_EQ(f.textureValue, 2.5f);
  EXPECT_EQ(f.p1, (pvk::Point{0.5f, 0.5f}));
  EXPECT_EQ(f.p2, (pvk::Point{1, 2}));
  EXPECT_EQ(f.p3, (pvk::Point{1, 1}));
  EXPECT_EQ(f.p4, (pvk::Point{7, 8}));
  EXPECT_EQ(f.p5, (pvk::Point{9, 10}));
  EXPECT_EQ(f.n, 5);
  EXPECT_EQ(f.first.colors, (std::vector<uint32_t>{0xFF112233, 0x80445566, 0x00778899}));
  EXPECT_EQ(f.first.midpoints, (std::vector<float>{0.4f, 0.6f}));
  EXPECT_EQ(f.first.repeat, 7);
  EXPECT_EQ(f.first.style, 2);
  EXPECT_EQ(f.first.extra, 9u);
  EXPECT_EQ(f.first.control[2], (pvk::Point{3, -4}));
  EXPECT_EQ(f.second.colors.size(), 5u);
}

TEST(FillRecord, ReferenceRecordLoadsIntoTheModel) {
  pvk::Fill f;
  f.type = 1;
  f.color = 0xFFABCDEF;
  f.hasTexture = true;
  f.textureValue = 3;
  f.p3 = {2, 2};
  f.n = 4;
  f.hasPattern = true;
  f.patternKind = 4;
  f.first.colors = {1, 2};
  f.first.positions = {0, 1};
  f.first.midpoints = {0.7f};
  f.first.repeat = 3;
  f.second = f.first;
  std::vector<uint8_t> bytes;
  pvk::WriteFill(bytes, f);

  CFillStyle fill;
  fill.SetPatternImage(u"old");
  ASSERT_EQ(LoadRecord(std::vector<BYTE>(bytes.begin(), bytes.end()), fill), -1);
  EXPECT_EQ(fill.image, nullptr);
  ASSERT_NE(fill.texture, nullptr);
  EXPECT_EQ(fill.texture->transform.n, 4);
  EXPECT_FLOAT_EQ(fill.texture->transform.p3.x, 2.0f);
  CGradientDesc g;
  ASSERT_TRUE(fill.GetGradient(g));
  EXPECT_EQ(g.stopCount, 2);
  EXPECT_FLOAT_EQ(g.midpoints[0], 0.7f);
  EXPECT_EQ(StoreRecord(fill), std::vector<BYTE>(bytes.begin(), bytes.end()));
}

TEST(FillRecord, RecordWithoutPartsLeavesNone) {
  CFillStyle fill;
  fill.SetGradient(CGradientDesc());
  fill.image = new CFillImagePart;
  CFillStyle plain;
  plain.color = 5;
  ASSERT_EQ(LoadRecord(StoreRecord(plain), fill), -1);
  EXPECT_EQ(fill.pattern, nullptr);
  EXPECT_EQ(fill.image, nullptr);
  EXPECT_EQ(fill.color, 5u);
}

TEST(FillRecord, UnknownPatternKindMakesNoPart) {
  RecordBytes r;
  r.Int(2).Int(0).Int(0).Int(0).Int(1).Int(9);
  CFillStyle fill;
  ASSERT_EQ(LoadRecord(r.bytes(), fill), -1);
  EXPECT_EQ(fill.pattern, nullptr);
}

TEST(FillRecord, HostileRecordsAreRefused) {
  CFillStyle source;
  source.texture = new CFillTexturePart;
  source.SetGradient(ThreeStops());
  const std::vector<BYTE> whole = StoreRecord(source);
  // Every cut short of the whole record fails with end of file.
  for (size_t n = 0; n < whole.size(); ++n) {
    CFillStyle fill;
    EXPECT_EQ(LoadRecord(std::vector<BYTE>(whole.begin(), whole.begin() + n), fill), CArchiveException::endOfFile)
        << n;
  }
  // A stop count past the tables is refused before anything is written.
  std::vector<BYTE> huge = whole;
  // type, colour, no image, texture flag and its 52-byte record, pattern flag, kind twice.
  const size_t countAt = 4 + 4 + 4 + 4 + 52 + 4 + 4 + 4;
  huge[countAt] = 0x01;
  huge[countAt + 1] = 0x01;  // 257 stops
  CFillStyle fill;
  EXPECT_EQ(LoadRecord(huge, fill), CArchiveException::badIndex);
}

TEST(FillStyle, CopiesOwnTheirParts) {
  CFillStyle copy;
  {
    CFillStyle fill;
    fill.image = new CFillImagePart;
    fill.image->path = u"i.bmp";
    fill.image->word = 3;
    fill.texture = new CFillTexturePart;
    fill.texture->transform.n = 2;
    fill.SetGradient(ThreeStops());
    copy = fill;
    const CFillStyle& same = copy;
    copy = same;  // self-assignment keeps the parts
  }
  ASSERT_NE(copy.image, nullptr);
  EXPECT_EQ(copy.image->path, u"i.bmp");
  EXPECT_EQ(copy.image->word, 3u);
  EXPECT_EQ(copy.texture->transform.n, 2);
  CGradientDesc g;
  ASSERT_TRUE(copy.GetGradient(g));
  EXPECT_EQ(g.repeatCount, 7);
  CString path;
  EXPECT_FALSE(copy.GetPatternImage(path));
}

TEST(FillStyle, GetGradientOfAPathPatternLeavesTheDescriptor) {
  CFillStyle fill;
  fill.SetPatternImage(u"p.bmp");
  CGradientDesc g = ThreeStops();
  EXPECT_FALSE(fill.GetGradient(g));
  EXPECT_EQ(g.stopCount, 3);
  // A new gradient keeps the defaults in its second descriptor.
  fill.SetGradient(ThreeStops());
  auto* part = static_cast<CFillGradientPart*>(fill.pattern);
  EXPECT_EQ(part->second.stopCount, 5);
  EXPECT_EQ(part->first.style, 2);
}
