// The pair's thumbnail for the pair list: both display pictures side by side
// with the pair's number between them.
#include <cstring>

#include "compat/afx.h"
#include "compat/win32.h"
#include "model/project/morph_pair.h"

namespace {

constexpr int kMaxThumbnailSide = 4096;
constexpr COLORREF kNoPictureGrey = 0xC8C8C8;

// The slot's display picture stretched into the square at `left`, or grey.
void DrawSlotSquare(HDC dc, const CImageSlot& slot, int left, int side) {
  const DWORD* pixels = slot.GetDisplayPicture();
  const SIZE size = slot.GetDisplayPictureSize();
  if (!pixels || size.cx <= 0 || size.cy <= 0) {
    HBRUSH grey = CreateSolidBrush(kNoPictureGrey);
    RECT square = {left, 3, left + side, 3 + side};
    FillRect(dc, &square, grey);
    DeleteObject(grey);
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // the display picture runs top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, left, 3, side, side, 0, 0, size.cx, size.cy, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

void CMorphPair::DrawThumbnail(DWORD* out, int w, int h, int number) {
  if (!out || w <= 0 || h <= 6 || w > kMaxThumbnailSide || h > kMaxThumbnailSide) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  DWORD* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  if (!dc || !bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const int side = h - 6;
  DrawSlotSquare(dc, m_source, 3, side);
  CString text;
  text.Format(u"%d", number);
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
  TextOutW(dc, h + (w - 2 * h - extent.cx) / 2, h / 2 - extent.cy / 2, text, text.GetLength());
  DrawSlotSquare(dc, m_target, w - h + 3, side);
  GdiFlush();
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) out[i] = bits[i] | 0xFF000000u;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
