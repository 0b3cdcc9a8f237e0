// Records that common writers use for text, bitmaps, regions and blits: each
// picture is played and compared pixel by pixel with the same drawing made
// directly through the GDI. The metafiles come from the tests' own writer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "compat/win32.h"
#include "compat/win32/gdi_advanced.h"
#include "compat/win32/gdi_canvas.h"
#include "metafile_play.h"
#include "support/metafile_writer.h"

using testsupport::EmfWriter;
using testsupport::Pt;
using testsupport::WmfWriter;
using Dib = testsupport::EmfWriter::Dib;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

WmfWriter PixelWmf(int w, int h) {
  WmfWriter writer(0, 0, w, h, 96);
  writer.SetWindowOrg(0, 0);
  writer.SetWindowExt(w, h);
  return writer;
}

// How many pixels differ; the drawing must also have drawn something.
int Differences(const GdiCanvas& played, const GdiCanvas& direct) {
  int n = 0;
  for (int y = 0; y < played.height(); ++y)
    for (int x = 0; x < played.width(); ++x) n += played.At(x, y) != direct.At(x, y);
  return n;
}

#define EXPECT_SAME_PICTURE(played, direct)            \
  do {                                                 \
    EXPECT_GT((direct).CountNot(kWhite), 0);           \
    EXPECT_EQ(Differences((played), (direct)), 0);     \
  } while (0)

HFONT TestFont() {
  return CreateFontW(-16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, u"Arial");
}

std::vector<uint16_t> GlyphsOf(const std::u16string& text) {
  GdiCanvas scratch(1, 1);
  HFONT font = TestFont();
  HGDIOBJ old = SelectObject(scratch.dc(), font);
  std::vector<uint16_t> glyphs(text.size());
  GetGlyphIndicesW(scratch.dc(), text.data(), static_cast<int>(text.size()), glyphs.data(), 0);
  SelectObject(scratch.dc(), old);
  DeleteObject(font);
  return glyphs;
}

void DirectText(GdiCanvas& canvas, int x, int y, const std::u16string& text) {
  HFONT font = TestFont();
  HGDIOBJ old = SelectObject(canvas.dc(), font);
  SetBkMode(canvas.dc(), TRANSPARENT);
  TextOutW(canvas.dc(), x, y, text.data(), static_cast<int>(text.size()));
  SelectObject(canvas.dc(), old);
  DeleteObject(font);
}

// --- bitmaps as records carry them ---

std::vector<uint8_t> Header(int w, int h, int bpp, uint32_t compression, uint32_t colors, uint32_t imageBytes) {
  testsupport::ByteSink b;
  b.U32(40);
  b.I32(w);
  b.I32(h);
  b.U16(1);
  b.U16(uint32_t(bpp));
  b.U32(compression);
  b.U32(imageBytes);
  b.U32(0);
  b.U32(0);
  b.U32(colors);
  b.U32(0);
  return b.Bytes();
}

void AddColors(std::vector<uint8_t>* info, const std::vector<COLORREF>& colors) {
  for (COLORREF c : colors) {
    info->push_back(GetBValue(c));
    info->push_back(GetGValue(c));
    info->push_back(GetRValue(c));
    info->push_back(0);
  }
}

// A bottom-up 32-bit DIB of 0x00RRGGBB pixels given top row first.
Dib Rgb32(int w, int h, const std::vector<uint32_t>& topDown) {
  Dib d;
  d.info = Header(w, h, 32, BI_RGB, 0, 0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = topDown[static_cast<size_t>(y) * w + x];
      for (int i = 0; i < 4; ++i) d.bits.push_back(uint8_t(p >> (8 * i)));
    }
  return d;
}

// A bottom-up 1-bit DIB (black 0, white 1), rows given top first as '#' for white.
Dib Mono(int w, const std::vector<std::string>& rows) {
  Dib d;
  int h = static_cast<int>(rows.size());
  d.info = Header(w, h, 1, BI_RGB, 2, 0);
  AddColors(&d.info, {RGB(0, 0, 0), kWhite});
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(4, 0);
    for (int x = 0; x < w; ++x)
      if (rows[y][x] == '#') row[x / 8] |= uint8_t(0x80 >> (x % 8));
    d.bits.insert(d.bits.end(), row.begin(), row.end());
  }
  return d;
}

// A memory DC over a 32-bit section with the pixels of `d` (top row first).
struct SourceDc {
  SourceDc(int w, int h, const std::vector<uint32_t>& topDown) {
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, topDown.data(), topDown.size() * 4);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~SourceDc() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

HBITMAP MonoBitmap(int w, const std::vector<std::string>& rows) {
  int h = static_cast<int>(rows.size());
  std::vector<uint8_t> bits;
  for (const std::string& r : rows) {
    std::vector<uint8_t> row(2, 0);
    for (int x = 0; x < w; ++x)
      if (r[x] == '#') row[x / 8] |= uint8_t(0x80 >> (x % 8));
    bits.insert(bits.end(), row.begin(), row.end());
  }
  return CreateBitmap(w, h, 1, 1, bits.data());
}

// 4 x 3 pixels, top row first: red/blue/green/black, then white-ish and greys.
const std::vector<uint32_t> kPicture{0xFF0000, 0x0000FF, 0x00FF00, 0x000000, 0x808080, 0x00FFFF, 0xFF00FF,
                                     0x123456, 0xFFFF00, 0x400000, 0x004000, 0x000040};

}  // namespace

// --- text ---

TEST(MetafileRecords, GlyphIndexTextDrawsTheFontsGlyphs) {
  std::u16string text = u"Wavy";
  std::vector<uint16_t> glyphs = GlyphsOf(text);
  ASSERT_NE(glyphs[0], 0);
  GdiCanvas direct(90, 30);
  DirectText(direct, 5, 4, text);

  // The GDI itself: glyph indexes give the characters' pixels.
  GdiCanvas gdi(90, 30);
  HFONT font = TestFont();
  HGDIOBJ old = SelectObject(gdi.dc(), font);
  SetBkMode(gdi.dc(), TRANSPARENT);
  ExtTextOutW(gdi.dc(), 5, 4, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<const WCHAR*>(glyphs.data()),
              static_cast<UINT>(glyphs.size()), nullptr);
  SelectObject(gdi.dc(), old);
  DeleteObject(font);
  EXPECT_SAME_PICTURE(gdi, direct);

  EmfWriter emf(90, 30);
  emf.CreateFont(1, -16, u"Arial");
  emf.SelectObject(1);
  emf.SetBkMode(TRANSPARENT);
  emf.TextUnits(5, 4, glyphs, ETO_GLYPH_INDEX);
  GdiCanvas playedEmf(90, 30);
  ASSERT_TRUE(PlayEmf(emf.Finish(), playedEmf));
  EXPECT_SAME_PICTURE(playedEmf, direct);

  WmfWriter wmf = PixelWmf(90, 30);
  wmf.CreateFont(-16, "Arial");
  wmf.SelectObject(0);
  wmf.SetBkMode(TRANSPARENT);
  wmf.GlyphTextOut(5, 4, glyphs);
  GdiCanvas playedWmf(90, 30);
  ASSERT_TRUE(PlayWmf(wmf.Finish(), playedWmf));
  EXPECT_SAME_PICTURE(playedWmf, direct);
}

TEST(MetafileRecords, PolyTextDrawsEveryString) {
  EmfWriter emf(100, 50);
  emf.CreateFont(1, -16, u"Arial");
  emf.SelectObject(1);
  emf.SetBkMode(TRANSPARENT);
  emf.PolyTextOut({{4, 2, u"One"}, {40, 24, u"Three"}});
  GdiCanvas played(100, 50);
  ASSERT_TRUE(PlayEmf(emf.Finish(), played));
  GdiCanvas direct(100, 50);
  DirectText(direct, 4, 2, u"One");
  DirectText(direct, 40, 24, u"Three");
  EXPECT_SAME_PICTURE(played, direct);

  // A count larger than the record holds draws nothing and reads nothing beyond it.
  EmfWriter bad(20, 20);
  bad.Begin(97);
  for (int i = 0; i < 7; ++i) bad.Body().U32(0);
  bad.Body().U32(1000);
  bad.End();
  GdiCanvas empty(20, 20);
  ASSERT_TRUE(PlayEmf(bad.Finish(), empty));
  EXPECT_EQ(empty.CountNot(kWhite), 0);
}

// --- regions ---

TEST(MetafileRecords, RegionsAreFilledFramedInvertedAndPainted) {
  // An L of two rectangles: filled red, framed blue 2 x 1, then a band inverted,
  // then the selected (black) brush paints a square.
  std::vector<std::vector<int>> ell{{2, 2, 12, 6}, {2, 6, 6, 14}};
  std::vector<std::vector<int>> band{{0, 10, 20, 12}};
  std::vector<std::vector<int>> square{{14, 14, 18, 18}};
  auto direct = [&](GdiCanvas& c) {
    HRGN a = CreateRectRgn(2, 2, 12, 6), b = CreateRectRgn(2, 6, 6, 14);
    CombineRgn(a, a, b, RGN_OR);
    HBRUSH red = CreateSolidBrush(kRed), blue = CreateSolidBrush(kBlue);
    FillRgn(c.dc(), a, red);
    FrameRgn(c.dc(), a, blue, 2, 1);
    HRGN inv = CreateRectRgn(0, 10, 20, 12), sq = CreateRectRgn(14, 14, 18, 18);
    InvertRgn(c.dc(), inv);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PaintRgn(c.dc(), sq);
    for (HGDIOBJ h : {HGDIOBJ(a), HGDIOBJ(b), HGDIOBJ(red), HGDIOBJ(blue), HGDIOBJ(inv), HGDIOBJ(sq)}) DeleteObject(h);
  };
  GdiCanvas expected(20, 20);
  direct(expected);
  EXPECT_EQ(expected.At(2, 2), kBlue);
  EXPECT_EQ(expected.At(4, 4), kRed);

  EmfWriter emf(20, 20);
  emf.CreateBrush(1, BS_SOLID, kRed);
  emf.CreateBrush(2, BS_SOLID, kBlue);
  emf.FillRgn(1, ell);
  emf.FrameRgn(2, 2, 1, ell);
  emf.RegionOnly(73, band);
  emf.SelectStock(BLACK_BRUSH);
  emf.RegionOnly(74, square);
  GdiCanvas playedEmf(20, 20);
  ASSERT_TRUE(PlayEmf(emf.Finish(), playedEmf));
  EXPECT_SAME_PICTURE(playedEmf, expected);

  WmfWriter wmf = PixelWmf(20, 20);
  wmf.CreateBrush(BS_SOLID, kRed);                      // 0
  wmf.CreateBrush(BS_SOLID, kBlue);                     // 1
  wmf.CreateRegion({{2, 6, 2, 12}, {6, 14, 2, 6}});     // 2
  wmf.CreateRegion({{10, 12, 0, 20}});                  // 3
  wmf.CreateRegion({{14, 18, 14, 18}});                 // 4
  wmf.CreateBrush(BS_SOLID, RGB(0, 0, 0));              // 5
  wmf.FillRegion(2, 0);
  wmf.FrameRegion(2, 1, 2, 1);
  wmf.InvertRegion(3);
  wmf.SelectObject(5);
  wmf.PaintRegion(4);
  GdiCanvas playedWmf(20, 20);
  ASSERT_TRUE(PlayWmf(wmf.Finish(), playedWmf));
  EXPECT_SAME_PICTURE(playedWmf, expected);
}

TEST(MetafileRecords, RegionsFollowThePageMapping) {
  // Logical units twice the pixel: the region grows with the page like a rectangle would.
  EmfWriter emf(20, 20);
  emf.SetMapMode(MM_ANISOTROPIC);
  emf.SetWindowExt(10, 10);
  emf.SetViewportExt(20, 20);
  emf.CreateBrush(1, BS_SOLID, kRed);
  emf.FillRgn(1, {{1, 1, 4, 3}});
  GdiCanvas played(20, 20);
  ASSERT_TRUE(PlayEmf(emf.Finish(), played));
  GdiCanvas direct(20, 20);
  RECT r{2, 2, 8, 6};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(direct.dc(), &r, red);
  DeleteObject(red);
  EXPECT_SAME_PICTURE(played, direct);
}

// --- bitmaps ---

TEST(MetafileRecords, RunLengthBitmapsDrawLikeTheirRows) {
  // 6 x 3, bottom-up. RLE8: a run of 3 twos, three literal pixels, end of line;
  // a delta of (2, 0) then a run of 4 ones; end of line; a run of 6 zeros; end.
  std::vector<uint8_t> rle8{3, 2, 0, 3, 1, 0, 2, 0, 0, 0, 0, 2, 2, 0, 4, 1, 0, 0, 6, 0, 0, 1};
  std::vector<COLORREF> palette{RGB(0, 0, 0), kRed, kBlue};
  std::vector<uint8_t> plain8{2, 2, 2, 1, 0, 2, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  // RLE4: 6 alternating nibbles of 1 and 2, end of line; a literal of 3 (2, 1, 2);
  // end of line; end of bitmap (the top row stays index 0).
  std::vector<uint8_t> rle4{6, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 0, 0, 1};
  std::vector<uint8_t> plain4{0x12, 0x12, 0x12, 0, 0x21, 0x20, 0, 0, 0, 0, 0, 0};

  auto expected = [&](int bpp, const std::vector<uint8_t>& rows) {
    auto canvas = std::make_unique<GdiCanvas>(12, 6);
    std::vector<uint8_t> info = Header(6, 3, bpp, BI_RGB, 3, 0);
    AddColors(&info, palette);
    std::vector<uint32_t> aligned((info.size() + 3) / 4);
    std::memcpy(aligned.data(), info.data(), info.size());
    StretchDIBits(canvas->dc(), 0, 0, 12, 6, 0, 0, 6, 3, rows.data(), reinterpret_cast<BITMAPINFO*>(aligned.data()),
                  DIB_RGB_COLORS, SRCCOPY);
    return canvas;
  };
  for (int bpp : {8, 4}) {
    const std::vector<uint8_t>& data = bpp == 8 ? rle8 : rle4;
    auto want = expected(bpp, bpp == 8 ? plain8 : plain4);
    Dib dib;
    dib.info = Header(6, 3, bpp, bpp == 8 ? BI_RLE8 : BI_RLE4, 3, uint32_t(data.size()));
    AddColors(&dib.info, palette);
    dib.bits = data;
    EmfWriter emf(12, 6);
    emf.StretchDibBits(0, 0, 12, 6, 0, 0, 6, 3, dib);
    GdiCanvas playedEmf(12, 6);
    ASSERT_TRUE(PlayEmf(emf.Finish(), playedEmf));
    EXPECT_SAME_PICTURE(playedEmf, *want);

    std::vector<uint8_t> packed = dib.info;
    packed.insert(packed.end(), data.begin(), data.end());
    WmfWriter wmf = PixelWmf(12, 6);
    wmf.StretchDib(0, 0, 12, 6, 0, 0, 6, 3, DIB_RGB_COLORS, packed);
    GdiCanvas playedWmf(12, 6);
    ASSERT_TRUE(PlayWmf(wmf.Finish(), playedWmf));
    EXPECT_SAME_PICTURE(playedWmf, *want);
  }

  // Runs past the right edge, deltas past the top and data cut short in a
  // literal stay inside the bitmap.
  std::vector<uint8_t> wild{200, 1, 0, 2, 250, 250, 5, 2, 0, 40, 1, 2};
  Dib dib;
  dib.info = Header(6, 3, 8, BI_RLE8, 3, 0);
  AddColors(&dib.info, palette);
  dib.bits = wild;
  EmfWriter emf(12, 6);
  emf.StretchDibBits(0, 0, 12, 6, 0, 0, 6, 3, dib);
  GdiCanvas played(12, 6);
  ASSERT_TRUE(PlayEmf(emf.Finish(), played));
  EXPECT_EQ(played.At(0, 5), kRed);  // the first run, on the bottom row, clipped to 6
  EXPECT_EQ(played.At(11, 5), kRed);

  // Moves right without end, then a run: nothing lands beyond the row.
  std::vector<uint8_t> far;
  for (int i = 0; i < 20000; ++i) far.insert(far.end(), {0, 2, 255, 0});
  far.insert(far.end(), {255, 2, 0, 0, 2, 1, 0, 1});
  dib.bits = far;
  EmfWriter farWriter(12, 6);
  farWriter.StretchDibBits(0, 0, 12, 6, 0, 0, 6, 3, dib);
  GdiCanvas farPlayed(12, 6);
  ASSERT_TRUE(PlayEmf(farWriter.Finish(), farPlayed));
  EXPECT_EQ(farPlayed.At(0, 5), RGB(0, 0, 0)) << "skipped pixels take the first colour";
  EXPECT_EQ(farPlayed.At(0, 3), kRed) << "the next row's run";
}

TEST(MetafileRecords, PaletteIndexColoursComeFromTheSelectedPalette) {
  // A 2 x 2 8-bit bitmap whose table names palette entries 2, 0, 1.
  std::vector<uint32_t> entries{0x000000FF, 0x0000FF00, 0x00FF0000};  // red, green, blue (0x00BBGGRR)
  std::vector<uint8_t> info = Header(2, 2, 8, BI_RGB, 3, 0);
  for (uint16_t index : {2, 0, 1}) {
    info.push_back(uint8_t(index));
    info.push_back(0);
  }
  std::vector<uint8_t> rows{0, 1, 0, 0, 2, 0, 0, 0};  // bottom row: table 0, 1; top: table 2, 0
  GdiCanvas direct(8, 8);
  SourceDc picture(2, 2, {0x00FF00, 0x0000FF, 0x0000FF, 0xFF0000});
  StretchBlt(direct.dc(), 0, 0, 8, 8, picture.dc, 0, 0, 2, 2, SRCCOPY);

  EmfWriter emf(8, 8);
  emf.CreatePalette(1, entries);
  emf.SelectPalette(1);
  Dib dib{info, rows, DIB_PAL_COLORS};
  emf.StretchDibBits(0, 0, 8, 8, 0, 0, 2, 2, dib);
  GdiCanvas playedEmf(8, 8);
  ASSERT_TRUE(PlayEmf(emf.Finish(), playedEmf));
  EXPECT_SAME_PICTURE(playedEmf, direct);

  std::vector<uint8_t> packed = info;
  packed.insert(packed.end(), rows.begin(), rows.end());
  WmfWriter wmf = PixelWmf(8, 8);
  wmf.CreatePalette(entries);
  wmf.SelectPalette(0);
  wmf.StretchDib(0, 0, 8, 8, 0, 0, 2, 2, DIB_PAL_COLORS, packed);
  GdiCanvas playedWmf(8, 8);
  ASSERT_TRUE(PlayWmf(wmf.Finish(), playedWmf));
  EXPECT_SAME_PICTURE(playedWmf, direct);
}

// --- blits ---

TEST(MetafileRecords, MaskAlphaAndTransparentBlitsMatchTheGdi) {
  std::vector<std::string> maskRows{"#.#.", "##..", "...#"};
  Dib picture = Rgb32(4, 3, kPicture);
  SourceDc source(4, 3, kPicture);

  // MASKBLT: copy where the mask is white, keep the destination where black.
  GdiCanvas direct(16, 12, kBlue);
  HBITMAP mask = MonoBitmap(4, maskRows);
  MaskBlt(direct.dc(), 3, 2, 4, 3, source.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
  DeleteObject(mask);
  EmfWriter emf(16, 12);
  emf.MaskBlt(3, 2, 4, 3, MAKEROP4(SRCCOPY, 0x00AA0029), 0, 0, picture, 0, 0, Mono(4, maskRows));
  GdiCanvas played(16, 12, kBlue);
  ASSERT_TRUE(PlayEmf(emf.Finish(), played));
  EXPECT_EQ(Differences(played, direct), 0);
  EXPECT_EQ(played.At(3, 2), kRed);
  EXPECT_EQ(played.At(4, 2), kBlue);

  // TRANSPARENTBLT: the key colour (blue) leaves the destination, stretched x2.
  GdiCanvas directKey(16, 12);
  TransparentBlt(directKey.dc(), 0, 0, 8, 6, source.dc, 0, 0, 4, 3, kBlue);
  EmfWriter key(16, 12);
  key.KeyedBlt(116, 0, 0, 8, 6, kBlue, 0, 0, 4, 3, picture);
  GdiCanvas playedKey(16, 12);
  ASSERT_TRUE(PlayEmf(key.Finish(), playedKey));
  EXPECT_SAME_PICTURE(playedKey, directKey);
  EXPECT_EQ(playedKey.At(2, 0), kWhite);

  // ALPHABLEND with a constant alpha of 128 over white.
  GdiCanvas directBlend(16, 12);
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(directBlend.dc(), 2, 2, 4, 3, source.dc, 0, 0, 4, 3, half);
  EmfWriter blend(16, 12);
  blend.KeyedBlt(114, 2, 2, 4, 3, uint32_t(AC_SRC_OVER) | (128u << 16), 0, 0, 4, 3, picture);
  GdiCanvas playedBlend(16, 12);
  ASSERT_TRUE(PlayEmf(blend.Finish(), playedBlend));
  EXPECT_SAME_PICTURE(playedBlend, directBlend);
  EXPECT_NE(playedBlend.At(2, 2), kRed);
  EXPECT_NE(playedBlend.At(2, 2), kWhite);
}

TEST(MetafileRecords, ParallelogramBlitsMapTheSourceOntoThreeCorners) {
  SourceDc source(4, 3, kPicture);
  Dib picture = Rgb32(4, 3, kPicture);
  // Square corners: the same pixels as a stretch.
  GdiCanvas stretched(20, 20);
  StretchBlt(stretched.dc(), 2, 3, 8, 6, source.dc, 0, 0, 4, 3, SRCCOPY);
  GdiCanvas square(20, 20);
  POINT corners[3] = {{2, 3}, {10, 3}, {2, 9}};
  ASSERT_TRUE(PlgBlt(square.dc(), corners, source.dc, 0, 0, 4, 3, nullptr, 0, 0));
  EXPECT_SAME_PICTURE(square, stretched);

  // Sheared one column right per row, worked out by hand: row y of the
  // source lands at x + y.
  GdiCanvas sheared(12, 6);
  POINT shear[3] = {{0, 0}, {4, 0}, {3, 3}};
  ASSERT_TRUE(PlgBlt(sheared.dc(), shear, source.dc, 0, 0, 4, 3, nullptr, 0, 0));
  EXPECT_EQ(sheared.At(0, 0), kRed);
  EXPECT_EQ(sheared.At(3, 0), RGB(0, 0, 0));
  EXPECT_EQ(sheared.At(1, 1), RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(sheared.At(0, 1), kWhite);
  EXPECT_EQ(sheared.At(2, 2), RGB(0xFF, 0xFF, 0));
  EXPECT_EQ(sheared.CountNot(kWhite), 12);

  // Through the record, with a mask that keeps only the left half.
  std::vector<std::string> maskRows{"##..", "##..", "##.."};
  GdiCanvas direct(12, 6);
  HBITMAP mask = MonoBitmap(4, maskRows);
  PlgBlt(direct.dc(), shear, source.dc, 0, 0, 4, 3, mask, 0, 0);
  DeleteObject(mask);
  EmfWriter emf(12, 6);
  emf.PlgBlt({{0, 0}, {4, 0}, {3, 3}}, 0, 0, 4, 3, picture, 0, 0, Mono(4, maskRows));
  GdiCanvas played(12, 6);
  ASSERT_TRUE(PlayEmf(emf.Finish(), played));
  EXPECT_SAME_PICTURE(played, direct);
  EXPECT_EQ(played.CountNot(kWhite), 6);
}
