// MakeFillDragCursor: the fill painted over the colour bitmap of the drag
// cursor's record, then a cursor made of the record.
#include "model/raster/fill_drag_cursor.h"

#include "model/raster/fill_render.h"
#include "model/raster/fill_style.h"
#include "model/raster/pixel_buffer.h"
#include "platform/bitmap_helpers.h"

ICONINFO& FillDragIconInfo() {
  static ICONINFO info{};
  return info;
}

HICON MakeFillDragCursor(const CFillStyle& fill) {
  ICONINFO& info = FillDragIconInfo();
  BITMAP colorBitmap{};
  if (!info.hbmColor || !::GetObjectW(info.hbmColor, sizeof colorBitmap, &colorBitmap)) return nullptr;
  const int width = colorBitmap.bmWidth;
  const int height = colorBitmap.bmHeight;
  CPixelBuffer pixels(RECT{0, 0, width, height});
  if (!pixels.bits) return nullptr;
  RenderFillStyle(fill, pixels);

  HDC screen = ::GetDC(nullptr);
  HDC target = ::CreateCompatibleDC(screen);
  HDC source = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ oldTarget = ::SelectObject(target, info.hbmColor);
  HBITMAP painted = CreateBitmapFromPixels(pixels, target, FALSE, FALSE);
  if (painted) {
    HGDIOBJ oldSource = ::SelectObject(source, painted);
    ::BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::SelectObject(source, oldSource);
    ::DeleteObject(painted);
  }
  ::SelectObject(target, oldTarget);
  ::DeleteDC(source);
  ::DeleteDC(target);
  pixels.Free();
  return ::CreateIconIndirect(&info);
}
