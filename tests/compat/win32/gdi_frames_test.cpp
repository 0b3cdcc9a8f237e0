// Frames and edges: FrameRect, InvertRect, DrawFocusRect, DrawEdge's classic
// colours, frame controls, and opaque or clipped text output rectangles.
#include <gtest/gtest.h>

#include <vector>

#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

TEST(GdiFrames, FrameRectAndInvertRect) {
  GdiCanvas c(6, 5);
  RECT r{1, 1, 5, 4};
  FrameRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Art(), Rows({"......", ".####.", ".#..#.", ".####.", "......"}));
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.Art(), Rows({"......", "......", "..##..", "......", "......"}));
  EXPECT_EQ(c.At(2, 2), kBlack);
}

TEST(GdiFrames, FocusRectangleDotsAndRestores) {
  GdiCanvas c(8, 6);
  std::vector<uint32_t> before(c.bits(), c.bits() + 48);
  RECT r{1, 1, 7, 5};
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.Art(), Rows({"........", ".#.#.#..", "......#.", ".#......", "..#.#.#.", "........"}));
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(std::vector<uint32_t>(c.bits(), c.bits() + 48), before);
}

TEST(GdiFrames, SunkenEdgeUsesTheClassicColoursAndAdjusts) {
  GdiCanvas c(6, 6);
  RECT r{0, 0, 6, 6};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(c.At(5, 0), GetSysColor(COLOR_3DHILIGHT));  // the far corners belong to the bottom-right
  EXPECT_EQ(c.At(0, 5), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(4, 4), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(2, 2), kWhite);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.bottom, 4);
  RECT raised{0, 0, 6, 6};
  DrawEdge(c.dc(), &raised, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(5, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(3, 3), GetSysColor(COLOR_3DFACE));
}

TEST(GdiFrames, FrameControlsDrawTheirGlyphs) {
  GdiCanvas c(20, 20);
  RECT r{0, 0, 16, 14};
  ASSERT_TRUE(DrawFrameControl(c.dc(), &r, DFC_CAPTION, DFCS_CAPTIONCLOSE));
  EXPECT_EQ(c.At(8, 7), GetSysColor(COLOR_BTNTEXT));  // the middle of the cross
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  GdiCanvas box(13, 13);
  RECT b{0, 0, 13, 13};
  DrawFrameControl(box.dc(), &b, DFC_BUTTON, DFCS_BUTTONCHECK);
  int unchecked = box.Count(GetSysColor(COLOR_WINDOWTEXT));
  DrawFrameControl(box.dc(), &b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_GT(box.Count(GetSysColor(COLOR_WINDOWTEXT)), unchecked + 5);
  EXPECT_FALSE(DrawFrameControl(box.dc(), &b, 99, 0));
}

TEST(GdiFrames, ExtTextOutOpaqueAndClippedRectangles) {
  GdiCanvas c(60, 20);
  HFONT f = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
  SelectObject(c.dc(), f);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  RECT fill{5, 5, 15, 10};
  ExtTextOutW(c.dc(), 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr);
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 50);
  c.Clear(kWhite);
  SetBkMode(c.dc(), TRANSPARENT);
  RECT clip{0, 0, 12, 20};
  ExtTextOutW(c.dc(), 2, 2, ETO_CLIPPED, &clip, u"WWWW", 4, nullptr);
  for (int y = 0; y < 20; ++y)
    for (int x = 12; x < 60; ++x) ASSERT_EQ(c.At(x, y), kWhite) << x << "," << y;
  EXPECT_GT(c.CountNot(kWhite), 10);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

}  // namespace

namespace {

TEST(GdiDrawState, DisabledTextIsEmbossedAndMonoBitmapsTakeTheBrush) {
  GdiCanvas c(80, 20, GetSysColor(COLOR_3DFACE));
  HFONT f = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  SelectObject(c.dc(), f);
  ASSERT_TRUE(DrawStateW(c.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(u"&Open"), 0, 2, 2, 0, 0,
                         DST_PREFIXTEXT | DSS_DISABLED));
  EXPECT_GT(c.Count(GetSysColor(COLOR_3DHILIGHT)), 5);
  EXPECT_GT(c.Count(GetSysColor(COLOR_3DSHADOW)), 5);
  EXPECT_EQ(c.Count(RGB(0, 0, 0)), 0);
  SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(f);

  GdiCanvas picture(3, 3);
  SetPixel(picture.dc(), 1, 1, RGB(0, 0, 0));
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(picture.dc(), 3, 3);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, 3, 3, picture.dc(), 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  GdiCanvas out(5, 5);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ASSERT_TRUE(DrawStateW(out.dc(), red, nullptr, reinterpret_cast<LPARAM>(bmp), 0, 1, 1, 0, 0,
                         DST_BITMAP | DSS_MONO));
  EXPECT_EQ(out.Art(), Rows({".....", ".....", "..#..", ".....", "....."}));
  EXPECT_EQ(out.At(2, 2), RGB(255, 0, 0));
  EXPECT_FALSE(DrawStateW(out.dc(), red, nullptr, 0, 0, 0, 0, 0, 0, DST_ICON));
  DeleteObject(red);
  DeleteObject(bmp);
}

}  // namespace
