// Glyph outlines from native outline buffers: closing records, the crossing
// repair, hostile buffers, metrics, and a real font's glyphs (read with
// FreeType into the native form) filled to FreeType's own coverage.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdlib>
#include <string>

#include "model/outline/glyph_outline.h"
#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

// Native outline writer: 16.16 fixed point, y up.
struct Native {
  std::vector<BYTE> bytes;
  size_t polygon = 0;
  void Put32(int32_t v) {
    const BYTE* b = reinterpret_cast<const BYTE*>(&v);
    bytes.insert(bytes.end(), b, b + 4);
  }
  void Put16(WORD v) {
    const BYTE* b = reinterpret_cast<const BYTE*>(&v);
    bytes.insert(bytes.end(), b, b + 2);
  }
  void Begin(double x, double y) {
    End();
    polygon = bytes.size();
    Put32(0);
    Put32(24);  // the platform's polygon type
    Put32(static_cast<int32_t>(x * 65536));
    Put32(static_cast<int32_t>(y * 65536));
  }
  void Curve(WORD type, const std::vector<std::pair<double, double>>& pts) {
    Put16(type);
    Put16(static_cast<WORD>(pts.size()));
    for (const auto& p : pts) {
      Put32(static_cast<int32_t>(p.first * 65536));
      Put32(static_cast<int32_t>(p.second * 65536));
    }
  }
  void End() {
    if (bytes.size() > polygon) {
      const uint32_t size = static_cast<uint32_t>(bytes.size() - polygon);
      std::memcpy(bytes.data() + polygon, &size, 4);
    }
  }
};

int Build(CShapeOutline& o, Native& n) {
  n.End();
  return BuildGlyphContours(o, n.bytes.data(), static_cast<DWORD>(n.bytes.size()));
}

std::vector<CVector2> Points(const CShapeOutline& o, int contour) {
  const BYTE* b = o.GetContour(contour)->buffer;
  uint32_t size;
  std::memcpy(&size, b, 4);
  std::vector<CVector2> out;
  for (uint32_t at = 12; at < size;) {
    WORD count;
    std::memcpy(&count, b + at + 2, 2);
    for (int k = 0; k < count; ++k) {
      float xy[2];
      std::memcpy(xy, b + at + 4 + 8 * k, 8);
      out.emplace_back(xy[0], xy[1]);
    }
    at += 4 + 8 * count;
  }
  return out;
}

// The native form of a FreeType outline: one polygon a contour starting on
// its first on-curve point, a record a segment.
std::vector<BYTE> NativeFromFreeType(const FT_Outline& outline) {
  Native n;
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    const int count = last - first + 1;
    auto on = [&](int i) { return (FT_CURVE_TAG(outline.tags[first + i]) == FT_CURVE_TAG_ON); };
    auto pt = [&](int i) { return std::make_pair(outline.points[first + i].x / 64.0, outline.points[first + i].y / 64.0); };
    int start = 0;
    while (start < count && !on(start)) ++start;
    if (start == count) {
      first = last + 1;
      continue;
    }
    n.Begin(pt(start).first, pt(start).second);
    std::vector<std::pair<double, double>> controls;
    for (int k = 1; k <= count; ++k) {
      const int i = (start + k) % count;
      if (!on(i)) {
        controls.push_back(pt(i));
        continue;
      }
      controls.push_back(pt(i));
      n.Curve(controls.size() == 1 ? kNativeLine : kNativeQSpline, controls);
      controls.clear();
    }
    if (!controls.empty()) {
      controls.push_back(pt(start));
      n.Curve(kNativeQSpline, controls);
    }
    first = last + 1;
  }
  n.End();
  return n.bytes;
}

}  // namespace

TEST(GlyphOutline, OpenPolygonsGetAClosingRecordAndYPointsDown) {
  Native n;
  n.Begin(0, 0);
  n.Curve(kNativeLine, {{10, 0}, {10, 10}});  // ends away from the start
  n.Begin(20, 0);
  n.Curve(kNativeQSpline, {{25, 5}, {30, 0}});
  n.Curve(kNativeLine, {{20, 0}});             // already closed
  CShapeOutline o;
  ASSERT_EQ(Build(o, n), 2);
  const std::vector<CVector2> first = Points(o, 0);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[1].y, -10.0f);
  EXPECT_EQ(first[2].x, 0.0f);  // the closing point
  EXPECT_EQ(Points(o, 1).size(), 3u);
  RECT r;
  o.GetBounds(&r);
  EXPECT_EQ(r.top, -10);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(r.right, 30);
  EXPECT_EQ(o.GetContour(0)->minRow, -10);
}

TEST(GlyphOutline, CrossingNeighbourEdgesAreUntangled) {
  // Points after the start: (10,0) (0,10) (10,10) (0,0): the first and third
  // edges cross, so the second and third points change places.
  Native n;
  n.Begin(0, 0);
  n.Curve(kNativeLine, {{10, 0}, {0, -10}, {10, -10}, {0, 0}});
  CShapeOutline o;
  ASSERT_EQ(Build(o, n), 1);
  const std::vector<CVector2> p = Points(o, 0);
  EXPECT_EQ(p[1].x, 10.0f);
  EXPECT_EQ(p[1].y, 10.0f);
  EXPECT_EQ(p[2].x, 0.0f);
  EXPECT_EQ(p[2].y, 10.0f);
}

TEST(GlyphOutline, MalformedNativeBuffersAreRefused) {
  Native n;
  n.Begin(0, 0);
  n.Curve(kNativeLine, {{10, 0}, {10, 10}});
  n.End();
  const std::vector<BYTE> good = n.bytes;
  CShapeOutline o;
  std::vector<BYTE> bad = good;
  bad[0] = 200;  // polygon larger than the buffer
  EXPECT_EQ(BuildGlyphContours(o, bad.data(), static_cast<DWORD>(bad.size())), -1);
  EXPECT_EQ(o.GetContourCount(), 0);
  bad = good;
  bad[18] = 0xFF;  // point count beyond the polygon
  EXPECT_EQ(BuildGlyphContours(o, bad.data(), static_cast<DWORD>(bad.size())), -1);
  EXPECT_EQ(BuildGlyphContours(o, good.data(), 10), -1);
  bad = good;
  bad[16] = 0;
  bad[17] = 0;
  bad[18] = 0;  // zero points
  bad[19] = 0;
  EXPECT_EQ(BuildGlyphContours(o, bad.data(), static_cast<DWORD>(bad.size())), -1);
  EXPECT_EQ(BuildGlyphContours(o, good.data(), static_cast<DWORD>(good.size())), 1);
}

TEST(GlyphOutline, MetricsForOutlinesVerticalGlyphsAndSpaces) {
  int m[4] = {0, -30, 0, 7};
  GlyphOutlineMetrics(RECT{-3, -25, 20, 5}, 22, 0, m);
  EXPECT_EQ(m[0], 3);
  EXPECT_EQ(m[1], -30);
  EXPECT_EQ(m[2], 22);
  EXPECT_EQ(m[3], 7);
  int v[4] = {0, -30, 0, 7};
  GlyphOutlineMetrics(RECT{2, -12, 20, 5}, 0, 26, v);
  EXPECT_EQ(v[0], -7);
  EXPECT_EQ(v[2], 30);
  EXPECT_EQ(v[1], 12);
  EXPECT_EQ(v[3], 26);
  int s[4] = {};
  GlyphSpaceMetrics(1.0f, 3.4f, 1.2f, s);
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[2], 6);
  GlyphSpaceMetrics(-1.2f, 3.0f, 1.0f, s);
  EXPECT_EQ(s[0], 1);
  EXPECT_EQ(s[2], 4);
}

TEST(GlyphOutline, FontGlyphsFillAsFreeTypeRendersThem) {
  const char* path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face;
  if (FT_New_Face(library, path, 0, &face) != 0) {
    FT_Done_FreeType(library);
    GTEST_SKIP() << "no DejaVu Sans";
  }
  for (char ch : std::string("aBg&8O")) {
    // Outline at eight times the size: eight units a pixel.
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 8 * 40), 0);
    ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
    const std::vector<BYTE> native = NativeFromFreeType(face->glyph->outline);
    CShapeOutline o;
    ASSERT_GT(BuildGlyphContours(o, native.data(), static_cast<DWORD>(native.size())), 0);
    RECT r;
    o.GetBounds(&r);
    o.Offset(static_cast<float>(32 - r.left), static_cast<float>(32 - r.top));
    const int w = (r.right - r.left) / 8 + 10, h = (r.bottom - r.top) / 8 + 10;
    CMaskBuffer mask;
    mask.width = w;
    mask.height = h;
    mask.Create(w, h, 0);
    o.RenderCoverage(&mask, 0, 0, 0, 0);
    const double ours = MaskArea(mask);
    mask.Free();

    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 40), 0);
    ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_NO_HINTING | FT_LOAD_RENDER), 0);
    const FT_Bitmap& bm = face->glyph->bitmap;
    double theirs = 0;
    for (unsigned y = 0; y < bm.rows; ++y) {
      for (unsigned x = 0; x < bm.width; ++x) theirs += bm.buffer[y * bm.pitch + x];
    }
    theirs /= 255.0;
    EXPECT_NEAR(ours, theirs, theirs * 0.03) << "glyph " << ch;
    EXPECT_GT(theirs, 100.0) << "glyph " << ch;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
