// Icons: a colour bitmap and a mask, copied at creation, drawn with the mask
// ANDed and the colour XORed, through image lists and DrawStateW.
#include <gtest/gtest.h>

#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 160, 0);

// A 4x4 red icon whose top-left 2x2 corner is transparent.
HICON MakeIcon(BOOL isIcon, DWORD hx = 0, DWORD hy = 0) {
  GdiCanvas color(4, 4, kRed);
  RECT corner{0, 0, 2, 2};
  FillRect(color.dc(), &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP colorBmp = CreateCompatibleBitmap(color.dc(), 4, 4);
  HGDIOBJ old = SelectObject(mem, colorBmp);
  BitBlt(mem, 0, 0, 4, 4, color.dc(), 0, 0, SRCCOPY);
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  SelectObject(mem, mask);
  PatBlt(mem, 0, 0, 2, 2, WHITENESS);
  SelectObject(mem, old);
  DeleteDC(mem);
  ICONINFO info{isIcon, hx, hy, mask, colorBmp};
  HICON icon = CreateIconIndirect(&info);
  // The icon keeps its own copies: the caller's bitmaps may go.
  DeleteObject(mask);
  DeleteObject(colorBmp);
  return icon;
}

TEST(GdiIcons, MaskKeepsTheBackgroundAndColourCoversTheRest) {
  HICON icon = MakeIcon(TRUE);
  ASSERT_NE(icon, nullptr);
  GdiCanvas c(6, 6, kGreen);
  ASSERT_TRUE(DrawIconEx(c.dc(), 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.At(1, 1), kGreen);
  EXPECT_EQ(c.At(2, 2), kGreen);
  EXPECT_EQ(c.At(3, 1), kRed);
  EXPECT_EQ(c.At(4, 4), kRed);
  EXPECT_EQ(c.At(5, 5), kGreen);
  std::vector<uint32_t> argb;
  SIZE size;
  POINT hot;
  ASSERT_TRUE(compat::IconPixels(icon, &argb, &size, &hot));
  EXPECT_EQ(size.cx, 4);
  EXPECT_EQ(hot.x, 2);  // an icon's hot spot is its centre
  EXPECT_EQ(argb[0], 0u);
  EXPECT_EQ(argb[15], 0xFFFF0000u);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DrawIconEx(c.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST(GdiIcons, InfoHandsOutCopiesAndCursorsKeepTheirHotSpot) {
  HICON cursor = MakeIcon(FALSE, 3, 1);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 1u);
  // Overwriting the colour bitmap of the record and making a new cursor from it.
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, info.hbmColor);
  PatBlt(mem, 0, 0, 4, 4, BLACKNESS);
  SelectObject(mem, old);
  DeleteDC(mem);
  HICON second = CreateIconIndirect(&info);
  GdiCanvas a(4, 4, kGreen), b(4, 4, kGreen);
  DrawIcon(a.dc(), 0, 0, cursor);
  DrawIcon(b.dc(), 0, 0, second);
  EXPECT_EQ(a.At(3, 3), kRed);
  EXPECT_EQ(b.At(3, 3), RGB(0, 0, 0));
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  EXPECT_TRUE(DeleteObject(info.hbmMask));
  DestroyIcon(cursor);
  DestroyIcon(second);
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
}

TEST(GdiIcons, ImageListIconsAndOneColourDrawState) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 2);
  HICON icon = MakeIcon(TRUE);
  EXPECT_EQ(ImageList_AddIcon(list, icon), 0);
  HICON back = ImageList_GetIcon(list, 0, ILD_NORMAL);
  ASSERT_NE(back, nullptr);
  GdiCanvas a(4, 4, kGreen), b(4, 4, kGreen);
  ImageList_Draw(list, 0, a.dc(), 0, 0, ILD_TRANSPARENT);
  DrawIconEx(b.dc(), 0, 0, back, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(std::vector<uint32_t>(a.bits(), a.bits() + 16), std::vector<uint32_t>(b.bits(), b.bits() + 16));
  GdiCanvas mono(4, 4);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  ASSERT_TRUE(DrawStateW(mono.dc(), blue, nullptr, reinterpret_cast<LPARAM>(icon), 0, 0, 0, 0, 0,
                         DST_ICON | DSS_MONO));
  EXPECT_EQ(mono.Art(), Rows({"..##", "..##", "####", "####"}));
  EXPECT_EQ(mono.At(3, 3), RGB(0, 0, 255));
  DeleteObject(blue);
  DestroyIcon(icon);
  DestroyIcon(back);
  ImageList_Destroy(list);
}

}  // namespace
