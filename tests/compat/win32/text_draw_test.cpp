// Text: face mapping, metrics, extents that match the drawn pixels, DrawTextW
// layout flags, escapement and the Marlett symbols.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "compat/win32/fonts.h"
#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

HFONT Font(int height, const char16_t* face, int weight = FW_NORMAL, int escapement = 0) {
  return CreateFontW(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                     DEFAULT_QUALITY, 0, face);
}

RECT InkBox(const GdiCanvas& c, COLORREF background) {
  RECT box{c.width(), c.height(), -1, -1};
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.At(x, y) != background) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

TEST(TextFonts, PlatformFaceNamesMapToMetricCompatibleFonts) {
  using compat::gdi::ResolveFamily;
  EXPECT_EQ(ResolveFamily(u"Arial", false, false, nullptr), "Liberation Sans");
  EXPECT_EQ(ResolveFamily(u"MS Sans Serif", false, false, nullptr), "Liberation Sans");
  EXPECT_EQ(ResolveFamily(u"Tahoma", true, false, nullptr), "Liberation Sans");
  EXPECT_EQ(ResolveFamily(u"Times New Roman", false, true, nullptr), "Liberation Serif");
  EXPECT_EQ(ResolveFamily(u"Courier New", false, false, nullptr), "Liberation Mono");
  std::string file;
  ResolveFamily(u"Arial", true, false, &file);
  EXPECT_NE(file.find("Bold"), std::string::npos) << file;
}

TEST(TextFonts, MetricsFollowTheRequestedHeight) {
  GdiCanvas c(4, 4);
  HFONT em = Font(-20, u"Arial"), cell = Font(20, u"Arial"), mono = Font(-13, u"Courier New");
  TEXTMETRICW tm;
  SelectObject(c.dc(), em);
  ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 20);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set for variable pitch
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(c.dc(), cell);
  GetTextMetricsW(c.dc(), &tm);
  EXPECT_NEAR(tm.tmHeight, 20, 1);
  SelectObject(c.dc(), mono);
  GetTextMetricsW(c.dc(), &tm);
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
  INT widths[3];
  GetCharWidth32W(c.dc(), u'i', u'k', widths);
  EXPECT_EQ(widths[0], widths[2]);
  EXPECT_EQ(widths[0], tm.tmAveCharWidth);
  WCHAR face[40];
  EXPECT_EQ(GetTextFaceW(c.dc(), 40, face), 12);
  EXPECT_EQ(std::u16string(face), u"Courier New");
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  for (HFONT f : {em, cell, mono}) DeleteObject(f);
}

TEST(TextDraw, OpaqueTextFillsExactlyItsExtent) {
  GdiCanvas c(160, 40);
  HFONT f = Font(-16, u"Arial");
  SelectObject(c.dc(), f);
  const char16_t* s = u"Hello, World";
  SIZE size;
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), s, 12, &size));
  SetBkColor(c.dc(), RGB(255, 0, 0));
  SetBkMode(c.dc(), OPAQUE);
  TextOutW(c.dc(), 3, 4, s, 12);
  RECT box = InkBox(c, kWhite);
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 3 + size.cx);
  EXPECT_EQ(box.bottom, 4 + size.cy);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, TransparentInkLiesWithinTheExtentAndIsAntiAliased) {
  GdiCanvas c(160, 40);
  HFONT f = Font(-16, u"Arial");
  SelectObject(c.dc(), f);
  SetBkMode(c.dc(), TRANSPARENT);
  SIZE size;
  GetTextExtentPoint32W(c.dc(), u"Hamburg", 7, &size);
  TextOutW(c.dc(), 10, 5, u"Hamburg", 7);
  RECT ink = InkBox(c, kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + size.cx + 1);
  EXPECT_GT(ink.right, 10 + size.cx - 4);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + size.cy);
  std::set<COLORREF> levels;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x) levels.insert(c.At(x, y));
  EXPECT_GT(levels.size(), 4u);  // grey levels between black and white
  // Right alignment ends the ink at the reference point.
  c.Clear(kWhite);
  SetTextAlign(c.dc(), TA_RIGHT | TA_BASELINE);
  TextOutW(c.dc(), 150, 30, u"Hamburg", 7);
  ink = InkBox(c, kWhite);
  EXPECT_LE(ink.right, 151);
  EXPECT_GT(ink.right, 146);
  EXPECT_LE(ink.bottom, 30 + 5);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, UpdateCurrentPositionAdvancesByTheExtent) {
  GdiCanvas c(100, 30);
  HFONT f = Font(-12, u"Tahoma");
  SelectObject(c.dc(), f);
  SetTextAlign(c.dc(), TA_UPDATECP);
  MoveToEx(c.dc(), 5, 5, nullptr);
  SIZE size;
  GetTextExtentPoint32W(c.dc(), u"abc", 3, &size);
  TextOutW(c.dc(), 0, 0, u"abc", 3);
  POINT p;
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 5 + size.cx);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, DrawTextMeasuresLinesAndWraps) {
  GdiCanvas c(200, 100);
  HFONT f = Font(-12, u"MS Sans Serif");
  SelectObject(c.dc(), f);
  TEXTMETRICW tm;
  GetTextMetricsW(c.dc(), &tm);
  SIZE size;
  GetTextExtentPoint32W(c.dc(), u"Open file", 9, &size);
  RECT r{10, 10, 10, 10};
  EXPECT_EQ(DrawTextW(c.dc(), u"Open file", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
  EXPECT_EQ(r.right, 10 + size.cx);
  EXPECT_EQ(r.bottom, 10 + tm.tmHeight);
  r = RECT{0, 0, 0, 0};
  EXPECT_EQ(DrawTextW(c.dc(), u"one\ntwo\r\nthree", -1, &r, DT_CALCRECT), 3 * tm.tmHeight);
  // Word breaking keeps each line inside the width when the words fit.
  r = RECT{0, 0, 60, 0};
  int h = DrawTextW(c.dc(), u"the quick brown fox jumps over", -1, &r, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GT(h, tm.tmHeight);
  EXPECT_EQ(h % tm.tmHeight, 0);
  EXPECT_LE(r.right, 60);
  EXPECT_EQ(DrawTextW(c.dc(), nullptr, 3, &r, 0), 0);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, PrefixesUnderlineAndDoubleAmpersandIsLiteral) {
  GdiCanvas c(100, 30);
  HFONT f = Font(-12, u"Tahoma");
  SelectObject(c.dc(), f);
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0};
  DrawTextW(c.dc(), u"&File", -1, &a, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(c.dc(), u"File", -1, &b, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(a.right, b.right);
  RECT amp{0, 0, 0, 0}, one{0, 0, 0, 0};
  DrawTextW(c.dc(), u"a&&b", -1, &amp, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(c.dc(), u"a&b", -1, &one, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(amp.right, one.right);
  RECT r{0, 0, 100, 30};
  SetBkMode(c.dc(), TRANSPARENT);
  DrawTextW(c.dc(), u"File", -1, &r, DT_SINGLELINE);
  int plain = c.CountNot(kWhite);
  c.Clear(kWhite);
  DrawTextW(c.dc(), u"&File", -1, &r, DT_SINGLELINE);
  EXPECT_GT(c.CountNot(kWhite), plain);
  c.Clear(kWhite);
  DrawTextW(c.dc(), u"&File", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(c.CountNot(kWhite), plain);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, EndEllipsisKeepsInkInsideTheRectangle) {
  GdiCanvas c(300, 30);
  HFONT f = Font(-12, u"Arial");
  SelectObject(c.dc(), f);
  SetBkMode(c.dc(), TRANSPARENT);
  const char16_t* text = u"A rather long caption that does not fit";
  RECT r{0, 0, 80, 20};
  DrawTextW(c.dc(), text, -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(InkBox(c, kWhite).right, 120);
  c.Clear(kWhite);
  DrawTextW(c.dc(), text, -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
  RECT ink = InkBox(c, kWhite);
  EXPECT_LE(ink.right, 80);
  EXPECT_GT(ink.right, 60);
  // Vertical centring of a single line.
  c.Clear(kWhite);
  RECT tall{0, 0, 300, 30};
  DrawTextW(c.dc(), u"Mid", -1, &tall, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  ink = InkBox(c, kWhite);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 15.0, 3.0);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 150.0, 3.0);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, EscapementTurnsTextUpwards) {
  GdiCanvas c(60, 160);
  HFONT f = Font(-16, u"Arial", FW_BOLD, 900);
  SelectObject(c.dc(), f);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 10, 150, u"Vertical", 8);
  RECT ink = InkBox(c, kWhite);
  EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
  EXPECT_LE(ink.bottom, 151);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, MarlettSymbolsAreDrawnShapesOfTheCellSize) {
  GdiCanvas c(40, 20);
  HFONT f = Font(14, u"Marlett");
  SelectObject(c.dc(), f);
  INT w = 0;
  GetCharWidthW(c.dc(), u'6', u'6', &w);
  EXPECT_EQ(w, 14);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 2, 3, u"6", 1);  // the drop-down arrow
  RECT ink = InkBox(c, kWhite);
  EXPECT_GE(ink.left, 2);
  EXPECT_LE(ink.right, 16);
  EXPECT_GE(ink.top, 3);
  EXPECT_LE(ink.bottom, 17);
  // A downward triangle: its top row is wider than its bottom row.
  int top = 0, bottom = 0;
  for (int x = 0; x < 40; ++x) {
    top += c.At(x, ink.top) != kWhite;
    bottom += c.At(x, ink.bottom - 1) != kWhite;
  }
  EXPECT_GT(top, bottom);
  c.Clear(kWhite);
  TextOutW(c.dc(), 2, 3, u"b", 1);  // the menu check mark
  EXPECT_GT(c.CountNot(kWhite), 10);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

int CALLBACK CollectFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM param) {
  auto* names = reinterpret_cast<std::set<std::u16string>*>(param);
  names->insert(lf->lfFaceName);
  EXPECT_EQ(type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
  return 1;
}

TEST(TextFonts, EnumerationListsPlatformAndInstalledFamilies) {
  GdiCanvas c(4, 4);
  std::set<std::u16string> names;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(c.dc(), &all, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
  EXPECT_TRUE(names.count(u"Arial"));
  EXPECT_TRUE(names.count(u"Liberation Sans"));
  names.clear();
  LOGFONTW one{};
  std::u16string times = u"times new roman";
  std::copy(times.begin(), times.end(), one.lfFaceName);
  EnumFontFamiliesExW(c.dc(), &one, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
  EXPECT_EQ(names.size(), 1u);
}

TEST(TextFonts, AbcWidthsAddUpToTheAdvance) {
  GdiCanvas c(4, 4);
  HFONT f = Font(-32, u"Times New Roman");
  SelectObject(c.dc(), f);
  ABCFLOAT abc[2];
  INT widths[2];
  ASSERT_TRUE(GetCharABCWidthsFloatW(c.dc(), u'W', u'X', abc));
  GetCharWidth32W(c.dc(), u'W', u'X', widths);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(abc[i].abcfA + abc[i].abcfB + abc[i].abcfC, widths[i], 0.01);
    EXPECT_GT(abc[i].abcfB, 10.0f);
  }
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(TextDraw, UnderlineRunsTheWholeExtentBelowTheBaseline) {
  GdiCanvas c(120, 30);
  HFONT f = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, TRUE, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
  SelectObject(c.dc(), f);
  SetBkMode(c.dc(), TRANSPARENT);
  TEXTMETRICW tm;
  GetTextMetricsW(c.dc(), &tm);
  EXPECT_EQ(tm.tmUnderlined, 255);
  SIZE size;
  GetTextExtentPoint32W(c.dc(), u"a b", 3, &size);
  TextOutW(c.dc(), 5, 2, u"a b", 3);
  // Somewhere between the baseline and the cell bottom a row is solid under the whole run.
  bool solidRow = false;
  for (int y = 2 + tm.tmAscent; y < 2 + tm.tmHeight && !solidRow; ++y) {
    int n = 0;
    for (int x = 5; x < 5 + size.cx; ++x) n += c.At(x, y) == RGB(0, 0, 0);
    solidRow = n == size.cx;
  }
  EXPECT_TRUE(solidRow);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

}  // namespace
