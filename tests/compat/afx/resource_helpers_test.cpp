// The framework's resource helpers: the program's table before the framework's, texts
// with inserts, and toolbar bitmaps recoloured to the button colours in force.
#include <gtest/gtest.h>

#include <string>

#include "compat/afx.h"
#include "compat/afx/resource_ids.h"

namespace {

std::u16string Text(const CString& s) { return std::u16string(s.GetString()); }

TEST(AfxResources, ProgramTableFirstThenTheFrameworks) {
  HINSTANCE program = AfxGetResourceHandle();
  ASSERT_EQ(program, GetModuleHandleW(nullptr));
  // The program's bitmap is its own; the menu radio dot only the framework has.
  EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(901), RT_BITMAP), program);
  HINSTANCE framework = AfxFindResourceHandle(MAKEINTRESOURCEW(AFX_IDB_MENU_RADIO_DOT), RT_BITMAP);
  EXPECT_NE(framework, program);
  EXPECT_NE(FindResourceW(framework, MAKEINTRESOURCEW(AFX_IDB_MENU_RADIO_DOT), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(program, MAKEINTRESOURCEW(AFX_IDB_MENU_RADIO_DOT), RT_BITMAP), nullptr);
  EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(4242), RT_BITMAP), program);

  CString s;
  ASSERT_TRUE(s.LoadString(AFX_IDS_UNTITLED));
  EXPECT_EQ(Text(s), u"Nameless");  // the program's text wins
  // Same bundle number in the program's table, but only the framework holds this text.
  ASSERT_TRUE(s.LoadString(AFX_IDS_OPENFILE));
  EXPECT_EQ(Text(s), u"Open");
  EXPECT_FALSE(s.LoadString(4242));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(Text(CString(MAKEINTRESOURCEW(AFX_IDS_SAVEFILE))), u"Save As");
}

TEST(AfxResources, FormatStringsReplaceTheInserts) {
  CString s;
  AfxFormatString1(s, AFX_IDP_ASK_TO_SAVE, u"walk.mrp");
  EXPECT_EQ(Text(s), u"Save changes to walk.mrp?");
  AfxFormatString2(s, 900, u"one", u"two");
  EXPECT_EQ(Text(s), u"two before one (100%)");
  AfxFormatString1(s, 900, u"one");  // an insert not given stays as written
  EXPECT_EQ(Text(s), u"%2 before one (100%)");
  AfxFormatString1(s, 4242, u"x");
  EXPECT_TRUE(s.IsEmpty());
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

TEST(AfxResources, ToolbarBitmapTakesTheButtonColoursInForce) {
  const INT elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
  COLORREF saved[4];
  for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(elements[i]);
  const COLORREF scripted[] = {RGB(0xE0, 0xE0, 0xE0), RGB(0x10, 0x20, 0x30), RGB(0x40, 0x50, 0x60),
                               RGB(0xF0, 0xF8, 0xFF)};
  ASSERT_TRUE(SetSysColors(4, elements, scripted));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0xE0, 0xE0, 0xE0));

  HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(901), RT_BITMAP);
  HBITMAP bitmap = AfxLoadSysColorBitmap(module, FindResourceW(module, MAKEINTRESOURCEW(901), RT_BITMAP));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(PixelOf(bitmap, 1, 5), RGB(0xE0, 0xE0, 0xE0));   // light grey face
  EXPECT_EQ(PixelOf(bitmap, 5, 5), RGB(0x10, 0x20, 0x30));   // black glyph
  EXPECT_EQ(PixelOf(bitmap, 2, 15), RGB(0x40, 0x50, 0x60));  // dark grey shadow
  EXPECT_EQ(PixelOf(bitmap, 2, 0), RGB(0xF0, 0xF8, 0xFF));   // white highlight
  EXPECT_EQ(PixelOf(bitmap, 22, 5), RGB(0xFF, 0, 0));        // other colours stay
  DeleteObject(bitmap);
  EXPECT_EQ(AfxLoadSysColorBitmap(module, nullptr), nullptr);

  ASSERT_TRUE(SetSysColors(4, elements, saved));
  bitmap = AfxLoadSysColorBitmap(module, FindResourceW(module, MAKEINTRESOURCEW(901), RT_BITMAP));
  EXPECT_EQ(PixelOf(bitmap, 1, 5), saved[0]);
  DeleteObject(bitmap);
}

}  // namespace
