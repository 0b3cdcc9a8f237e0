// The framework's drawing classes: object lifetimes, selection, the members
// that combine several calls, and image lists drawn normal, masked and selected.
#include <gtest/gtest.h>

#include <vector>

#include "compat/afx.h"
#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kMagenta = RGB(255, 0, 255);

TEST(DcDraw, ObjectsDeleteTheirHandlesAndWrappersNeverDo) {
  HPEN handle = nullptr;
  {
    CPen pen(PS_SOLID, 2, RGB(1, 2, 3));
    handle = pen;
    LOGPEN lp;
    ASSERT_EQ(pen.GetLogPen(&lp), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  }
  EXPECT_EQ(GetObjectType(handle), 0u);
  HGDIOBJ stock = GetStockObject(BLACK_BRUSH);
  CBrush* a = CBrush::FromHandle(static_cast<HBRUSH>(stock));
  EXPECT_EQ(a, CBrush::FromHandle(static_cast<HBRUSH>(stock)));
  EXPECT_EQ(a->GetSafeHandle(), stock);
  CBrush owned;
  EXPECT_TRUE(owned.CreateSolidBrush(RGB(9, 9, 9)));
  EXPECT_FALSE(owned.CreateSolidBrush(RGB(9, 9, 9)));  // already holds one
  HGDIOBJ h = owned.Detach();
  EXPECT_TRUE(::DeleteObject(h));
}

TEST(DcDraw, SelectObjectHandsBackThePreviousObject) {
  GdiCanvas canvas(10, 10);
  CDC* dc = CDC::FromHandle(canvas.dc());
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  CPen* old = dc->SelectObject(&red);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->m_hObject, GetStockObject(BLACK_PEN));
  dc->MoveTo(0, 0);
  dc->LineTo(5, 0);
  EXPECT_EQ(canvas.At(4, 0), RGB(255, 0, 0));
  dc->SelectObject(old);
  EXPECT_EQ(dc->GetCurrentPen()->m_hObject, GetStockObject(BLACK_PEN));
}

TEST(DcDraw, FillSolidRectAndDraw3dRect) {
  GdiCanvas canvas(8, 8);
  CDC* dc = CDC::FromHandle(canvas.dc());
  dc->FillSolidRect(2, 2, 3, 2, RGB(0, 0, 200));
  EXPECT_EQ(canvas.Count(RGB(0, 0, 200)), 6);
  EXPECT_EQ(dc->GetBkColor(), RGB(0, 0, 200));  // left set, as callers find it
  canvas.Clear(kWhite);
  const COLORREF tl = RGB(10, 10, 10), br = RGB(90, 90, 90);
  dc->Draw3dRect(1, 1, 4, 4, tl, br);
  EXPECT_EQ(canvas.At(1, 1), tl);
  EXPECT_EQ(canvas.At(3, 1), tl);
  EXPECT_EQ(canvas.At(4, 1), br);
  EXPECT_EQ(canvas.At(1, 4), br);
  EXPECT_EQ(canvas.At(4, 4), br);
  EXPECT_EQ(canvas.At(2, 2), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 12);
}

TEST(DcDraw, PointFontsAndTextExtents) {
  GdiCanvas canvas(100, 30);
  CDC* dc = CDC::FromHandle(canvas.dc());
  CFont font;
  ASSERT_TRUE(font.CreatePointFont(80, _T("MS Sans Serif")));
  LOGFONT lf;
  font.GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -10);
  CFont* old = dc->SelectObject(&font);
  CString text = _T("Width");
  CSize size = dc->GetTextExtent(text);
  EXPECT_GT(size.cx, 10);
  CRect r(0, 0, 0, 0);
  dc->DrawText(text, &r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Width(), size.cx);
  CString face;
  dc->GetTextFace(face);
  EXPECT_TRUE(face == _T("MS Sans Serif"));
  dc->SelectObject(old);
}

TEST(DcDraw, RegionsThroughTheWrapper) {
  CRgn a, b, both;
  a.CreateRectRgn(0, 0, 4, 4);
  b.CreateEllipticRgn(2, 2, 10, 10);
  both.CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(both.PtInRegion(1, 1));
  EXPECT_TRUE(both.PtInRegion(6, 6));
  CRect box;
  both.GetRgnBox(&box);
  EXPECT_EQ(box, CRect(0, 0, 10, 10));
  GdiCanvas canvas(12, 12);
  CDC* dc = CDC::FromHandle(canvas.dc());
  dc->SelectClipRgn(&a);
  CBrush black(RGB(0, 0, 0));
  dc->FillRect(CRect(0, 0, 12, 12), &black);
  EXPECT_EQ(canvas.CountNot(kWhite), 16);
  dc->SelectClipRgn(nullptr);
}

TEST(DcDraw, DragRectanglesMoveAndEraseWithoutTrace) {
  GdiCanvas canvas(40, 30);
  CDC* dc = CDC::FromHandle(canvas.dc());
  dc->FillSolidRect(0, 0, 20, 30, RGB(30, 60, 90));
  std::vector<uint32_t> before(canvas.bits(), canvas.bits() + 40 * 30);
  CRect first(2, 2, 20, 15), second(8, 6, 30, 25);
  CSize thick(3, 3), none(0, 0);
  dc->DrawDragRect(first, thick, nullptr, none);
  EXPECT_NE(canvas.At(2, 3), RGB(30, 60, 90));  // a light cell of the halftone pattern
  EXPECT_EQ(canvas.At(10, 8), RGB(30, 60, 90));  // inside the frame
  dc->DrawDragRect(second, thick, first, thick);
  EXPECT_EQ(canvas.At(2, 3), RGB(30, 60, 90));  // the first frame is gone
  dc->DrawDragRect(CRect(0, 0, 0, 0), none, second, thick);
  EXPECT_EQ(std::vector<uint32_t>(canvas.bits(), canvas.bits() + 40 * 30), before);
}

// A strip of two 4x4 images: a black square with a magenta corner, then all red.
CBitmap* MakeStrip(CDC* dc, CBitmap* bitmap) {
  bitmap->CreateCompatibleBitmap(dc, 8, 4);
  CDC mem;
  mem.CreateCompatibleDC(dc);
  CBitmap* old = mem.SelectObject(bitmap);
  mem.FillSolidRect(0, 0, 4, 4, RGB(0, 0, 0));
  mem.FillSolidRect(0, 0, 2, 2, kMagenta);
  mem.FillSolidRect(4, 0, 4, 4, RGB(255, 0, 0));
  mem.SelectObject(old);
  return bitmap;
}

TEST(DcImageList, MaskColourMakesPixelsTransparent) {
  GdiCanvas canvas(20, 10, RGB(0, 128, 0));
  CDC* dc = CDC::FromHandle(canvas.dc());
  CImageList list;
  ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 4));
  CBitmap strip;
  EXPECT_EQ(list.Add(MakeStrip(dc, &strip), kMagenta), 0);
  EXPECT_EQ(list.GetImageCount(), 2);
  list.Draw(dc, 0, CPoint(1, 1), ILD_TRANSPARENT);
  EXPECT_EQ(canvas.At(1, 1), RGB(0, 128, 0));  // masked corner shows the background
  EXPECT_EQ(canvas.At(4, 4), RGB(0, 0, 0));
  list.Draw(dc, 1, CPoint(10, 1), ILD_NORMAL);
  EXPECT_EQ(canvas.At(12, 2), RGB(255, 0, 0));
  // Selected images are blended half way towards the highlight colour.
  list.Draw(dc, 1, CPoint(10, 5), ILD_SELECTED);
  EXPECT_NE(canvas.At(12, 6), RGB(255, 0, 0));
  EXPECT_NE(canvas.At(12, 6), RGB(0, 128, 0));
  // The mask alone: black where the image is, white where it is transparent.
  list.Draw(dc, 0, CPoint(15, 1), ILD_MASK);
  EXPECT_EQ(canvas.At(15, 1), kWhite);
  EXPECT_EQ(canvas.At(18, 4), RGB(0, 0, 0));
  IMAGEINFO info;
  ASSERT_TRUE(list.GetImageInfo(1, &info));
  EXPECT_EQ(info.rcImage.left, 4);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.GetImageCount(), 1);
  EXPECT_FALSE(list.Remove(5));
}

TEST(DcImageList, DisabledImagesAreGreyAndBadIndexesFail) {
  GdiCanvas canvas(10, 10);
  CDC* dc = CDC::FromHandle(canvas.dc());
  CImageList list;
  list.Create(4, 4, ILC_COLOR32, 0, 1);
  CBitmap strip;
  list.Add(MakeStrip(dc, &strip), static_cast<CBitmap*>(nullptr));
  EXPECT_TRUE(list.DrawIndirect(dc, 1, CPoint(0, 0), CSize(4, 4), CPoint(0, 0), ILD_NORMAL, SRCCOPY,
                                CLR_DEFAULT, CLR_DEFAULT, ILS_SATURATE));
  COLORREF c = canvas.At(1, 1);
  EXPECT_EQ(GetRValue(c), GetGValue(c));
  EXPECT_EQ(GetGValue(c), GetBValue(c));
  EXPECT_FALSE(list.Draw(dc, 7, CPoint(0, 0), ILD_NORMAL));
  EXPECT_EQ(ImageList_Create(0, 4, ILC_COLOR32, 0, 1), nullptr);
}

}  // namespace
