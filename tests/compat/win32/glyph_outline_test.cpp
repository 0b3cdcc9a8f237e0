// Glyph outlines: the native buffer's structure, its area against FreeType's
// own rendering of the glyph, metrics and transforms.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstring>
#include <vector>

#include "compat/win32/fonts.h"
#include "compat/win32/gdi_canvas.h"

namespace {

const MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

double Fx(const FIXED& f) { return f.value + f.fract / 65536.0; }

struct Walk {
  bool valid = true;
  int polygons = 0;
  std::vector<std::vector<std::pair<double, double>>> contours;  // flattened
};

// Reads a native buffer, checking that every size adds up, and flattens the
// quadratic B-splines (implied on-curve points between control points).
Walk ReadNative(const std::vector<BYTE>& buf) {
  Walk w;
  size_t at = 0;
  while (at < buf.size()) {
    TTPOLYGONHEADER h;
    if (at + sizeof(h) > buf.size()) return w.valid = false, w;
    std::memcpy(&h, &buf[at], sizeof(h));
    if (h.dwType != TT_POLYGON_TYPE || h.cb < sizeof(h) || at + h.cb > buf.size()) return w.valid = false, w;
    std::vector<std::pair<double, double>> pts{{Fx(h.pfxStart.x), Fx(h.pfxStart.y)}};
    size_t p = at + sizeof(h), end = at + h.cb;
    while (p < end) {
      WORD head[2];
      std::memcpy(head, &buf[p], 4);
      size_t size = 4 + 8 * size_t{head[1]};
      if (head[1] == 0 || p + size > end) return w.valid = false, w;
      if (head[0] != TT_PRIM_LINE && head[0] != TT_PRIM_QSPLINE) return w.valid = false, w;
      std::vector<POINTFX> fx(head[1]);
      std::memcpy(fx.data(), &buf[p + 4], 8 * fx.size());
      if (head[0] == TT_PRIM_LINE) {
        for (auto& q : fx) pts.emplace_back(Fx(q.x), Fx(q.y));
      } else {
        auto from = pts.back();
        for (size_t i = 0; i + 1 < fx.size(); ++i) {
          std::pair<double, double> ctrl{Fx(fx[i].x), Fx(fx[i].y)};
          std::pair<double, double> to = i + 2 < fx.size()
              ? std::make_pair((ctrl.first + Fx(fx[i + 1].x)) / 2, (ctrl.second + Fx(fx[i + 1].y)) / 2)
              : std::make_pair(Fx(fx[i + 1].x), Fx(fx[i + 1].y));
          for (int k = 1; k <= 16; ++k) {
            double t = k / 16.0, u = 1 - t;
            pts.emplace_back(u * u * from.first + 2 * u * t * ctrl.first + t * t * to.first,
                             u * u * from.second + 2 * u * t * ctrl.second + t * t * to.second);
          }
          from = to;
        }
      }
      p += size;
    }
    if (p != end) return w.valid = false, w;
    w.contours.push_back(pts);
    ++w.polygons;
    at = end;
  }
  return w;
}

double FilledArea(const Walk& w) {
  double area = 0;
  for (const auto& c : w.contours)
    for (size_t i = 0; i < c.size(); ++i) {
      const auto& a = c[i];
      const auto& b = c[(i + 1) % c.size()];
      area += a.first * b.second - b.first * a.second;
    }
  return std::fabs(area / 2);
}

double FreeTypeCoverage(const std::string& file, int em, char32_t ch) {
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face face;
  EXPECT_EQ(FT_New_Face(lib, file.c_str(), 0, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, em);
  FT_Load_Char(face, ch, FT_LOAD_NO_HINTING | FT_LOAD_RENDER);
  double sum = 0;
  const FT_Bitmap& bm = face->glyph->bitmap;
  for (unsigned y = 0; y < bm.rows; ++y)
    for (unsigned x = 0; x < bm.width; ++x) sum += bm.buffer[y * bm.pitch + x] / 255.0;
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return sum;
}

class GlyphOutline : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = CreateFontW(-64, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    SelectObject(canvas_.dc(), font_);
  }
  void TearDown() override {
    SelectObject(canvas_.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(font_);
  }
  std::vector<BYTE> Native(UINT ch, const MAT2& m, GLYPHMETRICS* gm) {
    DWORD size = GetGlyphOutlineW(canvas_.dc(), ch, GGO_NATIVE, gm, 0, nullptr, &m);
    EXPECT_NE(size, GDI_ERROR);
    std::vector<BYTE> buf(size);
    if (size) {
      EXPECT_EQ(GetGlyphOutlineW(canvas_.dc(), ch, GGO_NATIVE, gm, size, buf.data(), &m), size);
    }
    return buf;
  }
  GdiCanvas canvas_{4, 4};
  HFONT font_ = nullptr;
};

TEST_F(GlyphOutline, BuffersAreStructurallyValidAndMatchFreeTypeArea) {
  std::string file;
  compat::gdi::ResolveFamily(u"Arial", false, false, &file);
  for (char16_t ch : std::u16string(u"AgQ&8oW")) {
    GLYPHMETRICS gm;
    std::vector<BYTE> buf = Native(ch, kIdentity, &gm);
    Walk w = ReadNative(buf);
    ASSERT_TRUE(w.valid) << static_cast<char>(ch);
    EXPECT_GE(w.polygons, 1);
    double ours = FilledArea(w), theirs = FreeTypeCoverage(file, 64, ch);
    EXPECT_NEAR(ours / theirs, 1.0, 0.03) << static_cast<char>(ch) << " " << ours << " " << theirs;
  }
}

TEST_F(GlyphOutline, MetricsAndSpaces) {
  GLYPHMETRICS gm{};
  INT advance = 0;
  GetCharWidth32W(canvas_.dc(), u'H', u'H', &advance);
  EXPECT_NE(GetGlyphOutlineW(canvas_.dc(), u'H', GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(gm.gmCellIncX, advance);
  EXPECT_EQ(gm.gmCellIncY, 0);
  EXPECT_GT(gm.gmBlackBoxY, 40u);
  EXPECT_GT(gm.gmptGlyphOrigin.y, 40);
  EXPECT_EQ(GetGlyphOutlineW(canvas_.dc(), u' ', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), 0u);
  EXPECT_EQ(GetGlyphOutlineW(canvas_.dc(), u'H', GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
  BYTE small[8];
  EXPECT_EQ(GetGlyphOutlineW(canvas_.dc(), u'H', GGO_NATIVE, &gm, sizeof(small), small, &kIdentity), GDI_ERROR);
}

TEST_F(GlyphOutline, TheMatrixTurnsTheOutline) {
  // Quarter turn as vertical text asks for: x' = y, y' = -x.
  const MAT2 turn{{0, 0}, {0, -1}, {0, 1}, {0, 0}};
  GLYPHMETRICS flat, turned;
  std::vector<BYTE> a = Native(u'L', kIdentity, &flat);
  std::vector<BYTE> b = Native(u'L', turn, &turned);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(turned.gmCellIncX, 0);
  EXPECT_EQ(turned.gmCellIncY, -flat.gmCellIncX);
  EXPECT_EQ(turned.gmBlackBoxX, flat.gmBlackBoxY);
  TTPOLYGONHEADER ha, hb;
  std::memcpy(&ha, a.data(), sizeof(ha));
  std::memcpy(&hb, b.data(), sizeof(hb));
  EXPECT_NEAR(Fx(hb.pfxStart.x), Fx(ha.pfxStart.y), 1e-3);
  EXPECT_NEAR(Fx(hb.pfxStart.y), -Fx(ha.pfxStart.x), 1e-3);
}

}  // namespace
