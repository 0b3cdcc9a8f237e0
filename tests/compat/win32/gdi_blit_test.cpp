// Block transfers: every raster operation the program uses, overlapping
// copies, stretching in each mode, colour conversion and clipping.
#include <gtest/gtest.h>

#include <vector>

#include "compat/host.h"
#include "compat/win32/gdi_canvas.h"
#include "compat/win32/window_dc.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

struct RopCase {
  DWORD rop;
  uint32_t (*expect)(uint32_t p, uint32_t s, uint32_t d);
};

TEST(GdiBlit, EachRasterOperationCombinesPatternSourceAndDestination) {
  const uint32_t P = 0xF0CC0F, S = 0xAA33C3, D = 0x5C96E1;
  const RopCase cases[] = {
      {SRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return s; }},
      {SRCPAINT, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
      {SRCAND, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
      {SRCINVERT, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
      {SRCERASE, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
      {NOTSRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
      {NOTSRCERASE, [](uint32_t, uint32_t s, uint32_t d) { return ~(s | d); }},
      {MERGECOPY, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
      {MERGEPAINT, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
      {PATCOPY, [](uint32_t p, uint32_t, uint32_t) { return p; }},
      {PATPAINT, [](uint32_t p, uint32_t s, uint32_t d) { return p | ~s | d; }},
      {PATINVERT, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
      {DSTINVERT, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
      {BLACKNESS, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
      {WHITENESS, [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; }},
      // The emboss operation of disabled images: the pattern where the source is black.
      {0x00B8074A, [](uint32_t p, uint32_t s, uint32_t d) { return (s & d) | (~s & p); }},
  };
  auto colorOf = [](uint32_t v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); };
  GdiCanvas src(1, 1, colorOf(S));
  GdiCanvas dst(1, 1);
  HBRUSH brush = CreateSolidBrush(colorOf(P));
  SelectObject(dst.dc(), brush);
  for (const RopCase& c : cases) {
    dst.Clear(colorOf(D));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, c.rop)) << std::hex << c.rop;
    EXPECT_EQ(dst.At(0, 0), colorOf(c.expect(P, S, D) & 0xFFFFFF)) << std::hex << c.rop;
  }
  SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(GdiBlit, OverlappingCopyWithinOneSurfaceDoesNotSmear) {
  GdiCanvas c(4, 6);
  for (int y = 0; y < 6; ++y) SetPixel(c.dc(), 1, y, RGB(y * 40, 0, 0));
  BitBlt(c.dc(), 1, 1, 1, 5, c.dc(), 1, 0, SRCCOPY);  // scroll down by one
  for (int y = 1; y < 6; ++y) EXPECT_EQ(c.At(1, y), RGB((y - 1) * 40, 0, 0)) << y;
  BitBlt(c.dc(), 0, 0, 3, 6, c.dc(), 1, 0, SRCCOPY);  // and left by one
  EXPECT_EQ(c.At(0, 3), RGB(80, 0, 0));
}

TEST(GdiBlit, StretchEnlargesAndMirrors) {
  GdiCanvas src(2, 1);
  SetPixel(src.dc(), 0, 0, kBlack);
  GdiCanvas dst(4, 2);
  StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Art(), Rows({"##..", "##.."}));
  dst.Clear(kWhite);
  StretchBlt(dst.dc(), 4, 0, -4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Art(), Rows({"..##", "..##"}));
}

TEST(GdiBlit, ShrinkingFollowsTheStretchMode) {
  GdiCanvas src(4, 1);
  SetPixel(src.dc(), 0, 0, kBlack);
  SetPixel(src.dc(), 2, 0, kBlack);  // black, white, black, white
  GdiCanvas dst(2, 1);
  struct { int mode; COLORREF expect; } modes[] = {
      {BLACKONWHITE, kBlack}, {WHITEONBLACK, kWhite}, {HALFTONE, RGB(128, 128, 128)}};
  for (auto m : modes) {
    dst.Clear(RGB(9, 9, 9));
    SetStretchBltMode(dst.dc(), m.mode);
    StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), m.expect) << m.mode;
    EXPECT_EQ(dst.At(1, 0), m.expect) << m.mode;
  }
  SetStretchBltMode(dst.dc(), COLORONCOLOR);
  StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
  EXPECT_TRUE(dst.At(0, 0) == kBlack || dst.At(0, 0) == kWhite);
}

TEST(GdiBlit, MonochromeBitmapsTakeTheDcColours) {
  const BYTE bits[] = {0xA0, 0x00};  // 1010 0000, rows padded to 16 bits
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, bits);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  GdiCanvas dst(4, 1);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 0, 255));
  BitBlt(dst.dc(), 0, 0, 4, 1, mdc, 0, 0, SRCCOPY);
  // Set bits (white) take the background colour, clear bits the text colour.
  EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(1, 0), RGB(255, 0, 0));
  // Colour to mono: the source's background colour becomes white, the rest black.
  GdiCanvas src(4, 1, RGB(10, 20, 30));
  SetPixel(src.dc(), 3, 0, RGB(200, 0, 0));
  SetBkColor(src.dc(), RGB(10, 20, 30));
  BitBlt(mdc, 0, 0, 4, 1, src.dc(), 0, 0, SRCCOPY);
  BYTE out[2] = {};
  GetBitmapBits(mono, 2, out);
  EXPECT_EQ(out[0], 0xE0);
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(GdiBlit, MaskTransparentAndAlphaBlits) {
  GdiCanvas src(2, 1, RGB(255, 0, 255));
  SetPixel(src.dc(), 1, 0, RGB(0, 255, 0));
  GdiCanvas dst(2, 1, RGB(50, 50, 50));
  TransparentBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, RGB(255, 0, 255));
  EXPECT_EQ(dst.At(0, 0), RGB(50, 50, 50));
  EXPECT_EQ(dst.At(1, 0), RGB(0, 255, 0));
  dst.Clear(RGB(0, 0, 0));
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, half);
  EXPECT_EQ(dst.At(1, 0), RGB(0, 128, 0));
  const BYTE maskBits[] = {0x40, 0x00};  // only pixel 1 set
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
  dst.Clear(RGB(50, 50, 50));
  MaskBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
  EXPECT_EQ(dst.At(0, 0), RGB(50, 50, 50));
  EXPECT_EQ(dst.At(1, 0), RGB(0, 255, 0));
  DeleteObject(mask);
}

TEST(GdiBlit, PatternInvertTwiceRestores) {
  GdiCanvas c(16, 16);
  RECT r{0, 0, 8, 16};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
  std::vector<uint32_t> before(c.bits(), c.bits() + 256);
  HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(12, 200, 7));
  SelectObject(c.dc(), hatch);
  PatBlt(c.dc(), 2, 3, 11, 9, PATINVERT);
  EXPECT_NE(std::vector<uint32_t>(c.bits(), c.bits() + 256), before);
  PatBlt(c.dc(), 2, 3, 11, 9, PATINVERT);
  EXPECT_EQ(std::vector<uint32_t>(c.bits(), c.bits() + 256), before);
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(PatBlt(c.dc(), 0, 0, 16, 16, PATCOPY));
  EXPECT_EQ(std::vector<uint32_t>(c.bits(), c.bits() + 256), before);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(GdiBlit, ClipRegionsLimitDrawing) {
  GdiCanvas c(10, 10);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RECT all{0, 0, 10, 10};
  HRGN a = CreateRectRgn(0, 0, 3, 3);
  HRGN b = CreateRectRgn(6, 6, 10, 10);
  CombineRgn(a, a, b, RGN_OR);
  EXPECT_EQ(SelectClipRgn(c.dc(), a), COMPLEXREGION);
  FillRect(c.dc(), &all, black);
  EXPECT_EQ(c.CountNot(kWhite), 9 + 16);
  c.Clear(kWhite);
  ExcludeClipRect(c.dc(), 7, 7, 9, 9);
  FillRect(c.dc(), &all, black);
  EXPECT_EQ(c.CountNot(kWhite), 9 + 16 - 4);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.right, 10);
  SelectClipRgn(c.dc(), nullptr);
  IntersectClipRect(c.dc(), 2, 2, 4, 5);
  c.Clear(kWhite);
  FillRect(c.dc(), &all, black);
  EXPECT_EQ(c.Art(0, 1, 6, 6), Rows({"......", "..##..", "..##..", "..##..", "......"}));
  EXPECT_TRUE(PtVisible(c.dc(), 3, 4));
  EXPECT_FALSE(PtVisible(c.dc(), 4, 4));
  DeleteObject(a);
  DeleteObject(b);
}

TEST(GdiBlit, WindowDcDrawsOnlyWhereTheWindowIsVisible) {
  // A window at (10, 5) of 20x10 whose right part is covered by a child window.
  auto surface = std::make_shared<compat::host::Surface>();
  surface->width = 40;
  surface->height = 20;
  surface->pixels.assign(40 * 20, 0x00FFFFFF);
  compat::DrawTarget target;
  target.surface = surface;
  target.origin = POINT{10, 5};
  target.extent = SIZE{20, 10};
  target.visible = {RECT{10, 5, 22, 15}, RECT{22, 5, 30, 8}};
  HWND fake = reinterpret_cast<HWND>(0x1234);
  HDC dc = compat::CreateWindowDC(fake, target);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), fake);
  RECT whole{-5, -5, 40, 40};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  int black = 0;
  for (uint32_t p : surface->pixels) black += (p & 0xFFFFFF) == 0;
  EXPECT_EQ(black, 12 * 10 + 8 * 3);
  EXPECT_EQ(surface->pixels[5 * 40 + 10] & 0xFFFFFF, 0u);   // client (0,0)
  EXPECT_EQ(surface->pixels[9 * 40 + 25] & 0xFFFFFF, 0xFFFFFFu);  // under the child
  EXPECT_EQ(GetPixel(dc, 0, 0), kBlack);
  EXPECT_EQ(GetPixel(dc, 15, 5), CLR_INVALID);
  compat::DestroyWindowDC(dc);
  EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST(GdiBlit, HugeDestinationsCostOnlyTheirVisiblePart) {
  GdiCanvas src(2, 2, RGB(7, 8, 9));
  GdiCanvas dst(8, 8);
  ASSERT_TRUE(StretchBlt(dst.dc(), -(1 << 29), -(1 << 29), 1 << 30, 1 << 30, src.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.Count(RGB(7, 8, 9)), 64);
  EXPECT_TRUE(PatBlt(dst.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, BLACKNESS));
}

TEST(GdiBlit, DisplayDcDrawsOnTheDesktopSurface) {
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  auto desktop = compat::host::DesktopSurface();
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), desktop->width);
  RECT r{3, 4, 5, 6};
  FillRect(screen, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(desktop->Row(5)[4] & 0xFFFFFF, 0u);
  EXPECT_EQ(GetPixel(screen, 4, 5), RGB(0, 0, 0));
  HBITMAP b = CreateCompatibleBitmap(screen, 4, 4);
  BITMAP info;
  GetObjectW(b, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  DeleteObject(b);
  DeleteDC(screen);
}

}  // namespace
