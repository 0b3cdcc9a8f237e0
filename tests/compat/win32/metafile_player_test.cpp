// The metafile player against pixels worked out by hand: metafiles come from
// the tests' own writer, never from the player's code.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "compat/host.h"
#include "compat/win32.h"
#include "compat/win32/gdi_advanced.h"
#include "compat/win32/gdi_canvas.h"
#include "compat/win32/gdi_internal.h"
#include "metafile_play.h"
#include "support/metafile_writer.h"

using testsupport::EmfWriter;
using testsupport::Pt;
using testsupport::WmfWriter;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A black brush and no pen, so that a shape shows exactly its filled pixels.
void BlackFillNoPen(EmfWriter& w) {
  w.SelectStock(BLACK_BRUSH);
  w.SelectStock(NULL_PEN);
}

}  // namespace

TEST(MetafilePlayer, RectangleWithOnePixelPenOutlinesItsBox) {
  EmfWriter w(12, 10);
  w.CreatePen(1, PS_SOLID, 1, kRed);
  w.SelectObject(1);
  w.SelectStock(NULL_BRUSH);
  w.Rectangle(2, 2, 10, 8);
  GdiCanvas canvas(12, 10);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.Art(), Rows({"............",
                                "............",
                                "..########..",
                                "..#......#..",
                                "..#......#..",
                                "..#......#..",
                                "..#......#..",
                                "..########..",
                                "............",
                                "............"}));
  EXPECT_EQ(canvas.At(2, 2), kRed);
}

TEST(MetafilePlayer, PolygonFillModesDecideTheOverlap) {
  // A square traced twice: even-odd leaves it empty, winding fills it.
  std::vector<Pt> twice{{2, 2}, {8, 2}, {8, 8}, {2, 8}, {2, 2}, {8, 2}, {8, 8}, {2, 8}};
  std::vector<Pt> frame{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {2, 2}, {2, 8}, {8, 8}, {8, 2}, {2, 2}};
  for (int mode : {ALTERNATE, WINDING}) {
    EmfWriter w(10, 10);
    BlackFillNoPen(w);
    w.SetPolyFillMode(mode);
    w.Poly(3, twice);
    GdiCanvas canvas(10, 10);
    ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
    EXPECT_EQ(canvas.At(5, 5), mode == WINDING ? kBlack : kWhite) << mode;
    EXPECT_EQ(canvas.At(0, 0), kWhite);
  }
  // The 16-bit form draws the same: a frame around a hole, in both modes.
  EmfWriter w(10, 10);
  BlackFillNoPen(w);
  w.Poly16(86, frame);
  GdiCanvas canvas(10, 10);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(1, 1), kBlack);
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 100 - 36);
}

TEST(MetafilePlayer, BezierLiesWithinAPixelOfTheCurve) {
  EmfWriter w(40, 30);
  std::vector<Pt> pts{{2, 25}, {2, 0}, {38, 0}, {38, 25}};
  w.Poly(2, pts);
  GdiCanvas canvas(40, 30);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  auto curve = [&](double t, double* x, double* y) {
    double u = 1 - t;
    *x = u * u * u * 2 + 3 * u * u * t * 2 + 3 * u * t * t * 38 + t * t * t * 38;
    *y = u * u * u * 25 + 3 * u * u * t * 0 + 3 * u * t * t * 0 + t * t * t * 25;
  };
  int drawn = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (canvas.At(x, y) != kBlack) continue;
      ++drawn;
      double best = 1e9;
      for (int i = 0; i <= 2000; ++i) {
        double cx, cy;
        curve(i / 2000.0, &cx, &cy);
        best = std::min(best, std::hypot(cx - x, cy - y));
      }
      EXPECT_LE(best, 1.0) << x << "," << y;
    }
  }
  // Every stretch of the curve has a pixel near it.
  for (int i = 0; i <= 50; ++i) {
    double cx, cy;
    curve(i / 50.0, &cx, &cy);
    bool near = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        int x = static_cast<int>(std::lround(cx)) + dx, y = static_cast<int>(std::lround(cy)) + dy;
        near = near || (x >= 0 && y >= 0 && x < 40 && y < 30 && canvas.At(x, y) == kBlack);
      }
    EXPECT_TRUE(near) << i;
  }
  EXPECT_GT(drawn, 40);
}

TEST(MetafilePlayer, TextLandsWhereTheGdiPutsTheSameText) {
  EmfWriter w(80, 30);
  w.CreateFont(1, -16, u"Arial");
  w.SelectObject(1);
  w.SetBkMode(TRANSPARENT);
  w.TextOut(6, 5, u"HH");
  GdiCanvas played(80, 30);
  ASSERT_TRUE(PlayEmf(w.Finish(), played));

  GdiCanvas direct(80, 30);
  HFONT font = CreateFontW(-16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, u"Arial");
  HGDIOBJ old = SelectObject(direct.dc(), font);
  SetBkMode(direct.dc(), TRANSPARENT);
  TextOutW(direct.dc(), 6, 5, u"HH", 2);
  SelectObject(direct.dc(), old);
  DeleteObject(font);

  auto box = [](const GdiCanvas& c) {
    RECT r{1000, 1000, -1, -1};
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x)
        if (c.At(x, y) != kWhite) r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                                           std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return r;
  };
  RECT a = box(played), b = box(direct);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.bottom, b.bottom);
  EXPECT_GE(a.left, 6);
  EXPECT_GE(a.top, 5);
  EXPECT_LE(a.bottom, 5 + 16);
  EXPECT_GT(a.right, a.left + 6);
}

TEST(MetafilePlayer, StretchedDibFillsItsDestination) {
  EmfWriter w(12, 12);
  w.StretchDib(1, 1, 10, 10, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
  GdiCanvas canvas(12, 12);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(6, 5), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(5, 6), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(10, 10), kBlack);
  EXPECT_EQ(canvas.At(11, 11), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 100);
}

TEST(MetafilePlayer, ClipRectanglesLimitDrawing) {
  EmfWriter w(20, 20);
  BlackFillNoPen(w);
  w.SaveDc();
  w.IntersectClipRect(5, 5, 15, 15);
  w.ExcludeClipRect(8, 8, 10, 10);
  w.Poly(3, {{0, 0}, {20, 0}, {20, 20}, {0, 20}});
  w.RestoreDc(-1);
  // After the restore the clip is gone again.
  w.Poly(3, {{0, 18}, {20, 18}, {20, 20}, {0, 20}});
  GdiCanvas canvas(20, 20);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(5, 5), kBlack);
  EXPECT_EQ(canvas.At(14, 14), kBlack);
  EXPECT_EQ(canvas.At(4, 5), kWhite);
  EXPECT_EQ(canvas.At(15, 14), kWhite);
  EXPECT_EQ(canvas.At(8, 8), kWhite);
  EXPECT_EQ(canvas.At(0, 19), kBlack);
  EXPECT_EQ(canvas.CountNot(kWhite), 100 - 4 + 40);
}

TEST(MetafilePlayer, PathsFillStrokeAndClip) {
  // A filled triangle path covers what the same polygon covers.
  EmfWriter fill(20, 20);
  BlackFillNoPen(fill);
  fill.BeginPath();
  fill.MoveTo(2, 2);
  fill.LineTo(18, 2);
  fill.LineTo(10, 16);
  fill.CloseFigure();
  fill.EndPath();
  fill.FillPath();
  GdiCanvas filled(20, 20);
  ASSERT_TRUE(PlayEmf(fill.Finish(), filled));
  GdiCanvas polygon(20, 20);
  SelectObject(polygon.dc(), GetStockObject(BLACK_BRUSH));
  SelectObject(polygon.dc(), GetStockObject(NULL_PEN));
  POINT tri[3] = {{2, 2}, {18, 2}, {10, 16}};
  Polygon(polygon.dc(), tri, 3);
  EXPECT_EQ(filled.Art(), polygon.Art());
  EXPECT_GT(filled.CountNot(kWhite), 80);

  // A stroked open path is the polyline, and the path is gone after use.
  EmfWriter stroke(20, 20);
  stroke.BeginPath();
  stroke.MoveTo(1, 1);
  stroke.LineTo(15, 1);
  stroke.LineTo(15, 12);
  stroke.EndPath();
  stroke.StrokePath();
  stroke.StrokePath();
  GdiCanvas stroked(20, 20);
  ASSERT_TRUE(PlayEmf(stroke.Finish(), stroked));
  EXPECT_EQ(stroked.At(1, 1), kBlack);
  EXPECT_EQ(stroked.At(15, 6), kBlack);
  EXPECT_EQ(stroked.At(8, 6), kWhite);
  // A stroked figure ends on its last point, unlike a polyline.
  EXPECT_EQ(stroked.At(15, 12), kBlack);
  EXPECT_EQ(stroked.CountNot(kWhite), 14 + 12);

  // An ellipse path as the clip: a fill of everything shows the ellipse only.
  EmfWriter clip(20, 20);
  BlackFillNoPen(clip);
  clip.BeginPath();
  clip.Ellipse(2, 2, 18, 18);
  clip.EndPath();
  clip.SelectClipPath(RGN_COPY);
  clip.Poly(3, {{0, 0}, {20, 0}, {20, 20}, {0, 20}});
  GdiCanvas clipped(20, 20);
  ASSERT_TRUE(PlayEmf(clip.Finish(), clipped));
  EXPECT_EQ(clipped.At(10, 10), kBlack);
  EXPECT_EQ(clipped.At(3, 10), kBlack);
  EXPECT_EQ(clipped.At(3, 3), kWhite);
  EXPECT_EQ(clipped.At(0, 0), kWhite);
  EXPECT_EQ(clipped.At(19, 19), kWhite);
  int inked = clipped.CountNot(kWhite);
  EXPECT_NEAR(inked, 3.14159 * 8 * 8, 20);
}

TEST(MetafilePlayer, WorldTransformMovesScalesAndTurns) {
  EmfWriter w(40, 40);
  BlackFillNoPen(w);
  w.SetWorldTransform(2, 0, 0, 2, 10, 4);
  w.Poly(3, {{0, 0}, {5, 0}, {5, 3}, {0, 3}});
  // A quarter turn about the origin, then moved down: (x, y) -> (-y + 30, x + 20).
  w.ModifyWorldTransform(0, 0, 0, 0, 0, 0, MWT_IDENTITY);
  w.SetWorldTransform(0, 1, -1, 0, 30, 20);
  w.Poly(3, {{0, 0}, {10, 0}, {10, 4}, {0, 4}});
  GdiCanvas canvas(40, 40);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  // The first box: x 10..19, y 4..9.
  EXPECT_EQ(canvas.At(10, 4), kBlack);
  EXPECT_EQ(canvas.At(19, 9), kBlack);
  EXPECT_EQ(canvas.At(20, 9), kWhite);
  EXPECT_EQ(canvas.At(19, 10), kWhite);
  // The turned box: x 26..29, y 20..29.
  EXPECT_EQ(canvas.At(26, 20), kBlack);
  EXPECT_EQ(canvas.At(29, 29), kBlack);
  EXPECT_EQ(canvas.At(25, 25), kWhite);
  EXPECT_EQ(canvas.At(30, 25), kWhite);
  EXPECT_EQ(canvas.At(27, 30), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 60 + 40);
}

TEST(MetafilePlayer, DashedFivePixelPenLeavesGaps) {
  EmfWriter w(70, 20);
  w.ExtCreatePen(1, PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 5, kBlack);
  w.SelectObject(1);
  w.MoveTo(0, 10);
  w.LineTo(60, 10);
  GdiCanvas canvas(70, 20);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  // Dashes three widths long, gaps one width long, five pixels thick.
  EXPECT_EQ(canvas.Art(0, 8, 70, 13), Rows({
      "###############.....###############.....###############...............",
      "###############.....###############.....###############...............",
      "###############.....###############.....###############...............",
      "###############.....###############.....###############...............",
      "###############.....###############.....###############..............."}));
  EXPECT_EQ(canvas.CountNot(kWhite), 45 * 5);
}

TEST(MetafilePlayer, AnisotropicMapModeStretchesEachAxis) {
  EmfWriter w(30, 30);
  BlackFillNoPen(w);
  w.SetMapMode(MM_ANISOTROPIC);
  w.SetWindowOrg(100, 100);
  w.SetWindowExt(100, 100);
  w.SetViewportExt(20, 40);
  w.Poly(3, {{100, 100}, {150, 100}, {150, 150}, {100, 150}});
  GdiCanvas canvas(30, 30);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(0, 0), kBlack);
  EXPECT_EQ(canvas.At(9, 19), kBlack);
  EXPECT_EQ(canvas.At(10, 19), kWhite);
  EXPECT_EQ(canvas.At(9, 20), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 200);
}

TEST(MetafilePlayer, PlaybackFitsTheFrameIntoTheRectangle) {
  EmfWriter w(10, 10);
  BlackFillNoPen(w);
  w.Poly(3, {{0, 0}, {5, 0}, {5, 5}, {0, 5}});
  std::vector<uint8_t> bytes = w.Finish();
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(mf, nullptr);
  ENHMETAHEADER h{};
  EXPECT_EQ(GetEnhMetaFileHeader(mf, sizeof(h), &h), 108u);
  EXPECT_EQ(h.rclBounds.right, 10);
  EXPECT_EQ(GetEnhMetaFilePaletteEntries(mf, 0, nullptr), 0u);
  GdiCanvas canvas(40, 40);
  RECT r{10, 10, 30, 30};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), mf, &r));
  EXPECT_TRUE(DeleteEnhMetaFile(mf));
  EXPECT_FALSE(DeleteEnhMetaFile(mf));
  EXPECT_EQ(canvas.At(10, 10), kBlack);
  EXPECT_EQ(canvas.At(19, 19), kBlack);
  EXPECT_EQ(canvas.At(20, 20), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 100);
  // The DC comes back as it was: no transform, the caller's objects.
  XFORM x{};
  GetWorldTransform(canvas.dc(), &x);
  EXPECT_EQ(x.eM11, 1.0f);
  EXPECT_EQ(GetMapMode(canvas.dc()), MM_TEXT);
}

TEST(MetafilePlayer, WindowsMetafileMapsItsWindowOntoTheRectangle) {
  WmfWriter w(0, 0, 100, 50, 96);
  w.SetMapMode(MM_ANISOTROPIC);
  w.SetWindowOrg(0, 0);
  w.SetWindowExt(100, 50);
  w.CreateBrush(BS_SOLID, kRed);
  w.CreatePen(PS_NULL, 0, 0);
  w.SelectObject(0);
  w.SelectObject(1);
  w.Escape(15, "comment");
  w.Polygon({{0, 0}, {50, 0}, {50, 25}, {0, 25}});
  w.DeleteObject(0);
  w.CreateBrush(BS_SOLID, kBlack);  // takes the freed slot 0
  w.SelectObject(0);
  w.Polygon({{50, 25}, {100, 25}, {100, 50}, {50, 50}});
  std::vector<uint8_t> bytes = w.Finish();
  METAFILEPICT pict{MM_ANISOTROPIC, 2646, 1323, nullptr};
  HENHMETAFILE mf = SetWinMetaFileBits(static_cast<UINT>(bytes.size() - 22), bytes.data() + 22, nullptr, &pict);
  ASSERT_NE(mf, nullptr);
  GdiCanvas canvas(20, 10);
  RECT r{0, 0, 20, 10};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), mf, &r));
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(canvas.Count(kRed), 50);
  EXPECT_EQ(canvas.Count(kBlack), 50);
  EXPECT_EQ(canvas.At(9, 4), kRed);
  EXPECT_EQ(canvas.At(10, 5), kBlack);
}

TEST(MetafilePlayer, WindowsMetafileTextAndBitmapRecords) {
  WmfWriter w(0, 0, 40, 20, 96);
  w.SetWindowExt(40, 20);
  // DIBSTRETCHBLT: SRCCOPY, source 2 x 1 at (0, 0), onto (0, 0) 20 x 10, then a
  // 2 x 1 bottom-up 24-bit DIB: red, then blue.
  std::vector<int> blt{0x0020, 0x00CC, 1, 2, 0, 0, 10, 20, 0, 0};
  for (int v : {40, 0, 2, 0, 1, 0, 1, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
    blt.push_back(v);
  blt.push_back(0x0000);  // blue 0, green 0 of the first pixel
  blt.push_back(0xFFFF);  // its red 255; the second pixel's blue 255
  blt.push_back(0x0000);  // the second pixel's green and red
  blt.push_back(0x0000);  // row padding
  w.RecordWords(0x0B41, blt);
  w.SetBkMode(TRANSPARENT);
  w.TextOut(22, 2, "Hi");
  std::vector<uint8_t> bytes = w.Finish();
  METAFILEPICT pict{MM_ANISOTROPIC, 1000, 500, nullptr};
  HENHMETAFILE mf = SetWinMetaFileBits(static_cast<UINT>(bytes.size() - 22), bytes.data() + 22, nullptr, &pict);
  ASSERT_NE(mf, nullptr);
  GdiCanvas canvas(40, 20);
  RECT r{0, 0, 40, 20};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), mf, &r));
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(canvas.At(0, 0), kRed);
  EXPECT_EQ(canvas.At(9, 9), kRed);
  EXPECT_EQ(canvas.At(10, 0), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Count(kRed), 100);
  int text = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 21; x < 40; ++x) text += canvas.At(x, y) != kWhite;
  EXPECT_GT(text, 10);
}

// Many kinds of record on one page, written to a PNG beside the test program
// for a look by eye.
TEST(MetafilePlayer, GalleryOfRecordsPlays) {
  EmfWriter w(320, 200);
  w.CreatePen(1, PS_SOLID, 3, RGB(0, 0, 128));
  w.CreateBrush(2, BS_HATCHED, RGB(200, 0, 0), HS_DIAGCROSS);
  w.SelectObject(1);
  w.SelectObject(2);
  w.Rectangle(10, 10, 90, 70);
  w.CreateBrush(3, BS_SOLID, RGB(0, 160, 0));
  w.SelectObject(3);
  w.Ellipse(100, 10, 180, 70);
  w.Record(44, {190, 10, 260, 70, 20, 20});                     // ROUNDRECT
  w.Record(47, {270, 10, 310, 50, 310, 30, 290, 10});           // PIE
  w.Record(46, {270, 40, 310, 80, 270, 60, 310, 60});           // CHORD
  w.Record(45, {10, 80, 70, 140, 70, 110, 10, 110});            // ARC
  for (int i = 0; i < 3; ++i) {
    w.ExtCreatePen(4 + i, PS_GEOMETRIC | (PS_DASH + i) | PS_ENDCAP_FLAT, 4, RGB(0, 0, 0));
    w.SelectObject(4 + i);
    w.MoveTo(80, 90 + 12 * i);
    w.LineTo(200, 90 + 12 * i);
  }
  w.SelectStock(BLACK_PEN);
  w.Poly(2, {{210, 140}, {230, 80}, {290, 160}, {310, 90}});
  std::vector<uint32_t> checks;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) checks.push_back((x + y) % 2 ? 0xFFCC00 : 0x3333AA);
  w.StretchDib(10, 150, 40, 40, 4, 4, checks);
  w.SelectStock(NULL_PEN);
  w.SelectStock(BLACK_BRUSH);
  w.SetPolyFillMode(WINDING);
  w.BeginPath();
  w.Poly(3, {{100, 190}, {115, 145}, {130, 190}, {92, 162}, {138, 162}});
  w.EndPath();
  w.FillPath();
  w.CreateFont(7, -18, u"Arial", 700);
  w.SelectObject(7);
  w.SetBkMode(TRANSPARENT);
  w.SetTextColor(RGB(128, 0, 128));
  w.TextOut(150, 130, u"Calvetta");
  w.SetWorldTransform(0.866f, -0.5f, 0.5f, 0.866f, 150, 190);
  w.TextOut(0, -20, u"turned");
  std::vector<uint8_t> bytes = w.Finish();
  GdiCanvas canvas(320, 200);
  ASSERT_TRUE(PlayEmf(bytes, canvas));
  EXPECT_EQ(canvas.At(140, 40), RGB(0, 160, 0));
  EXPECT_EQ(canvas.At(10, 150), RGB(0x33, 0x33, 0xAA));
  EXPECT_EQ(canvas.At(115, 165), kBlack);
  compat::host::Surface surface;
  surface.width = canvas.width();
  surface.height = canvas.height();
  surface.pixels.assign(canvas.bits(), canvas.bits() + canvas.width() * canvas.height());
  std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  EXPECT_TRUE(compat::host::WriteSurfacePng(surface, nullptr, folder / "metafile_gallery.png"));
  // The file itself too: a seed with many kinds of record for the fuzzer.
  std::FILE* out = std::fopen((folder / "metafile_gallery.emf").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

TEST(MetafilePlayer, RegionClipAndPatternBlits) {
  EmfWriter w(20, 20);
  w.SelectStock(BLACK_BRUSH);
  // EXTSELECTCLIPRGN, RGN_COPY: two rectangles, 0..5 x 0..5 and 10..20 x 10..12.
  w.Begin(75);
  w.Body().U32(32 + 32);
  w.Body().U32(RGN_COPY);
  for (uint32_t v : {32u, 1u, 2u, 32u, 0u, 0u, 20u, 12u}) w.Body().U32(v);
  for (uint32_t v : {0u, 0u, 5u, 5u, 10u, 10u, 20u, 12u}) w.Body().U32(v);
  w.End();
  // BITBLT without a bitmap: PATCOPY over everything.
  w.Begin(76);
  for (int i = 0; i < 4; ++i) w.Body().U32(0);
  for (uint32_t v : {0u, 0u, 20u, 20u, uint32_t(PATCOPY), 0u, 0u}) w.Body().U32(v);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) w.Body().F32(f);
  for (int i = 0; i < 6; ++i) w.Body().U32(0);
  w.End();
  // An empty region with RGN_COPY lifts the clip again.
  w.Record(75, {0, RGN_COPY});
  w.SelectStock(NULL_PEN);
  w.Poly(3, {{0, 18}, {20, 18}, {20, 20}, {0, 20}});
  GdiCanvas canvas(20, 20);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(4, 4), kBlack);
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  EXPECT_EQ(canvas.At(15, 11), kBlack);
  EXPECT_EQ(canvas.At(15, 12), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 25 + 20 + 40);
}

TEST(MetafilePlayer, ScaledViewportAndSavedPages) {
  EmfWriter w(40, 40);
  w.SelectStock(BLACK_BRUSH);
  w.SelectStock(NULL_PEN);
  w.SetMapMode(MM_ANISOTROPIC);
  w.SetWindowExt(10, 10);
  w.SetViewportExt(10, 10);
  w.SaveDc();
  w.Record(31, {3, 1, 2, 1});  // SCALEVIEWPORTEXTEX: x3, y2
  w.Poly(3, {{0, 0}, {5, 0}, {5, 5}, {0, 5}});
  w.RestoreDc(-1);
  w.Poly(3, {{30, 30}, {35, 30}, {35, 35}, {30, 35}});
  GdiCanvas canvas(40, 40);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.At(14, 9), kBlack);
  EXPECT_EQ(canvas.At(15, 9), kWhite);
  EXPECT_EQ(canvas.At(14, 10), kWhite);
  EXPECT_EQ(canvas.At(30, 30), kBlack);
  EXPECT_EQ(canvas.CountNot(kWhite), 150 + 25);
}

TEST(MetafilePlayer, PaletteComesFromTheEndRecord) {
  std::vector<uint8_t> bytes = EmfWriter(4, 4).Finish({0x000000FF, 0x0000FF00, 0x00FF0000});
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(mf, nullptr);
  EXPECT_EQ(GetEnhMetaFilePaletteEntries(mf, 0, nullptr), 3u);
  PALETTEENTRY entries[3] = {};
  EXPECT_EQ(GetEnhMetaFilePaletteEntries(mf, 3, entries), 3u);
  EXPECT_EQ(entries[0].peRed, 255);
  EXPECT_EQ(entries[2].peBlue, 255);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(mf, sizeof(h), &h);
  EXPECT_EQ(h.nPalEntries, 3u);
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(GetEnhMetaFilePaletteEntries(mf, 0, nullptr), GDI_ERROR);
  // Not an enhanced metafile: no signature.
  bytes[40] = 'X';
  EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()), nullptr);
}

// Every object a playback makes (pens, brushes, fonts sized for the page,
// regions) is gone when it ends.
TEST(MetafilePlayer, PlaybackLeavesNoObjectsBehind) {
  EmfWriter w(60, 40);
  w.CreatePen(1, PS_SOLID, 2, kRed);
  w.CreateBrush(2, BS_HATCHED, kBlack, HS_CROSS);
  w.CreateFont(3, -12, u"Arial");
  w.SelectObject(1);
  w.SelectObject(2);
  w.SelectObject(3);
  w.SaveDc();
  w.CreatePen(1, PS_DOT, 1, kBlack);  // replaces the selected pen's slot
  w.SelectObject(1);
  w.Rectangle(2, 2, 30, 20);
  w.TextOut(2, 22, u"abc");
  w.SetWorldTransform(2, 0, 0, 2, 0, 0);
  w.TextOut(2, 2, u"abc");
  w.RestoreDc(-1);
  w.BeginPath();
  w.Ellipse(30, 2, 58, 38);
  w.EndPath();
  w.SelectClipPath(RGN_COPY);
  w.Rectangle(0, 0, 60, 40);
  std::vector<uint8_t> bytes = w.Finish();
  GdiCanvas canvas(60, 40);
  PlayEmf(bytes, canvas);
  size_t before = compat::gdi::ObjectCount();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PlayEmf(bytes, canvas));
  EXPECT_EQ(compat::gdi::ObjectCount(), before);
}

TEST(MetafilePlayer, DibPatternBrushTilesItsBitmap) {
  EmfWriter w(8, 8);
  // CREATEDIBPATTERNBRUSHPT, slot 1: a 2 x 2 top-down 32-bit checker of red and black.
  w.Begin(94);
  for (uint32_t v : {1u, 0u, 32u, 40u, 72u, 16u}) w.Body().U32(v);
  for (uint32_t v : {40u, 2u, uint32_t(-2), 0x00200001u, 0u, 0u, 0u, 0u, 0u, 0u}) w.Body().U32(v);
  for (uint32_t v : {0xFF0000u, 0u, 0u, 0xFF0000u}) w.Body().U32(v);
  w.End();
  w.UseSlot(1);
  w.SelectObject(1);
  w.SelectStock(NULL_PEN);
  w.Poly(3, {{0, 0}, {8, 0}, {8, 8}, {0, 8}});
  GdiCanvas canvas(8, 8);
  ASSERT_TRUE(PlayEmf(w.Finish(), canvas));
  EXPECT_EQ(canvas.Count(kRed), 32);
  EXPECT_EQ(canvas.Count(kBlack), 32);
  EXPECT_NE(canvas.At(0, 0), canvas.At(1, 0));
  EXPECT_EQ(canvas.At(0, 0), canvas.At(1, 1));
}

TEST(MetafilePlayer, WindowsMetafileClipsSavesAndPatternBlits) {
  WmfWriter w(0, 0, 20, 20, 96);
  w.SetWindowOrg(0, 0);
  w.SetWindowExt(20, 20);
  w.CreateBrush(BS_SOLID, kRed);
  w.SelectObject(0);
  w.Record(0x001E, {});                 // SAVEDC
  w.Record(0x0416, {10, 10, 0, 0});     // INTERSECTCLIPRECT 0,0,10,10
  w.Record(0x0940, {0x0021, 0x00F0, 0, 0, 0, 20, 20, 0, 0});  // DIBBITBLT, no bitmap: PATCOPY 20 x 20
  w.Record(0x0127, {-1});               // RESTOREDC
  w.Record(0x0415, {20, 20, 12, 12});   // EXCLUDECLIPRECT 12,12,20,20
  w.CreatePen(PS_SOLID, 1, kBlack);
  w.SelectObject(1);
  w.MoveTo(0, 15);
  w.LineTo(20, 15);
  // EXTTEXTOUT with ETO_OPAQUE and no characters paints its rectangle in the background colour.
  w.Record(0x0201, {0x0000, 0x0000});   // SETBKCOLOR black
  w.Record(0x0A32, {0, 0, 0, ETO_OPAQUE, 14, 0, 20, 4});
  std::vector<uint8_t> bytes = w.Finish();
  METAFILEPICT pict{MM_ANISOTROPIC, 529, 529, nullptr};
  HENHMETAFILE mf = SetWinMetaFileBits(static_cast<UINT>(bytes.size() - 22), bytes.data() + 22, nullptr, &pict);
  ASSERT_NE(mf, nullptr);
  GdiCanvas canvas(20, 20);
  RECT r{0, 0, 20, 20};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), mf, &r));
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(canvas.Count(kRed), 100);
  EXPECT_EQ(canvas.At(9, 9), kRed);
  EXPECT_EQ(canvas.At(10, 10), kWhite);
  // The line stops where the excluded corner begins.
  EXPECT_EQ(canvas.At(11, 15), kBlack);
  EXPECT_EQ(canvas.At(12, 15), kWhite);
  EXPECT_EQ(canvas.At(16, 2), kBlack);
  EXPECT_EQ(canvas.CountNot(kWhite), 100 + 12 + 6 * 4);
}
