// DrawStateW: an item (text, prefixed text, bitmap or the caller's drawing)
// drawn normal, as a one-colour silhouette, embossed as disabled, or dithered.
#include <algorithm>

#include "compat/win32/gdi_internal.h"

using namespace compat::gdi;

namespace {

constexpr int kMaxItemSide = 4096;

struct Offscreen {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  Offscreen(int w, int h) {
    HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    DeleteDC(screen);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~Offscreen() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

SIZE ItemSize(HDC hdc, UINT kind, LPARAM data, WPARAM length) {
  SIZE s{0, 0};
  if (kind == DST_TEXT || kind == DST_PREFIXTEXT) {
    auto text = reinterpret_cast<LPCWSTR>(data);
    RECT r{0, 0, 0, 0};
    if (text) DrawTextW(hdc, text, length ? static_cast<int>(length) : -1, &r,
                        DT_CALCRECT | DT_SINGLELINE | (kind == DST_TEXT ? DT_NOPREFIX : 0));
    s = SIZE{r.right, r.bottom};
  } else if (kind == DST_BITMAP) {
    BITMAP bm{};
    if (GetObjectW(reinterpret_cast<HBITMAP>(data), sizeof(bm), &bm)) s = SIZE{bm.bmWidth, bm.bmHeight};
  } else if (kind == DST_ICON) {
    std::vector<uint32_t> pixels;
    compat::IconPixels(reinterpret_cast<HICON>(data), &pixels, &s, nullptr);
  }
  return s;
}

// Draws the item at (0, 0) of `dc`: text in the DC's colours, bitmaps copied.
bool RenderItem(HDC source, HDC dc, DRAWSTATEPROC callback, UINT kind, UINT flags, LPARAM data,
                WPARAM length, int cx, int cy) {
  switch (kind) {
    case DST_TEXT:
    case DST_PREFIXTEXT: {
      auto text = reinterpret_cast<LPCWSTR>(data);
      if (!text) return false;
      SelectObject(dc, GetCurrentObject(source, OBJ_FONT));
      SetTextColor(dc, GetTextColor(source));
      SetBkMode(dc, TRANSPARENT);
      RECT r{0, 0, cx, cy};
      UINT format = DT_SINGLELINE | (kind == DST_TEXT ? DT_NOPREFIX : 0) |
                    ((flags & DSS_HIDEPREFIX) ? DT_HIDEPREFIX : 0) |
                    ((flags & DSS_PREFIXONLY) ? DT_PREFIXONLY : 0) | ((flags & DSS_RIGHT) ? DT_RIGHT : 0);
      DrawTextW(dc, text, length ? static_cast<int>(length) : -1, &r, format);
      SelectObject(dc, GetStockObject(SYSTEM_FONT));
      return true;
    }
    case DST_BITMAP: {
      HDC mem = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(mem, reinterpret_cast<HBITMAP>(data));
      BOOL ok = old && BitBlt(dc, 0, 0, cx, cy, mem, 0, 0, SRCCOPY);
      if (old) SelectObject(mem, old);
      DeleteDC(mem);
      return ok;
    }
    case DST_COMPLEX:
      return callback && callback(dc, data, length, cx, cy);
    case DST_ICON:
      // The icon's mask gives the shape of the one-colour and disabled forms.
      return DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(data), cx, cy, 0, nullptr,
                        (flags & (DSS_UNION | DSS_DISABLED | DSS_MONO)) ? DI_MASK : DI_NORMAL);
    default:
      return false;
  }
}

// Paints `color` where the rendered item is dark, through the DC's clip.
void PaintSilhouette(DcObj& dst, const PixelView& item, int x, int y, COLORREF color, bool dither) {
  Painter painter(dst);
  uint32_t pixel = dst.DeviceColor(color);
  for (int row = 0; row < item.height; ++row)
    for (int col = 0; col < item.width; ++col) {
      if (MonoPixel(item.Row(row)[col]) != 0) continue;
      if (dither && ((x + col + y + row) & 1)) continue;
      painter.Pixel(x + col, y + row, pixel, R2_COPYPEN);
    }
}

}  // namespace

BOOL DrawStateW(HDC hdc, HBRUSH fore, DRAWSTATEPROC callback, LPARAM data, WPARAM wData, int x,
                int y, int cx, int cy, UINT flags) {
  DcObj* dst = GetDc(hdc);
  if (!dst) return FALSE;
  UINT kind = flags & 0x000F;
  if (cx == 0 || cy == 0) {
    SIZE s = ItemSize(hdc, kind, data, wData);
    if (cx == 0) cx = s.cx;
    if (cy == 0) cy = s.cy;
  }
  if (cx <= 0 || cy <= 0 || cx > kMaxItemSide || cy > kMaxItemSide) return FALSE;
  UINT state = flags & (DSS_UNION | DSS_DISABLED | DSS_MONO);
  if (state == 0 && (kind == DST_TEXT || kind == DST_PREFIXTEXT)) {
    // Plain text goes straight to the DC, anti-aliased against what is there.
    auto text = reinterpret_cast<LPCWSTR>(data);
    if (!text) return FALSE;
    int mode = SetBkMode(hdc, TRANSPARENT);
    RECT r{x, y, x + cx, y + cy};
    DrawTextW(hdc, text, wData ? static_cast<int>(wData) : -1, &r,
              DT_SINGLELINE | (kind == DST_TEXT ? DT_NOPREFIX : 0) |
                  ((flags & DSS_HIDEPREFIX) ? DT_HIDEPREFIX : 0) | ((flags & DSS_RIGHT) ? DT_RIGHT : 0));
    SetBkMode(hdc, mode);
    return TRUE;
  }
  Offscreen item(cx, cy);
  if (state) SetTextColor(item.dc, 0);
  if (!RenderItem(hdc, item.dc, callback, kind, flags, data, wData, cx, cy)) return FALSE;
  POINT at = dst->ToDevice(x, y);
  if (state == 0 && kind == DST_ICON)
    return DrawIconEx(hdc, x, y, reinterpret_cast<HICON>(data), cx, cy, 0, nullptr, DI_NORMAL);
  if (state == 0) return BitBlt(hdc, x, y, cx, cy, item.dc, 0, 0, SRCCOPY);
  PixelView view = GetBitmap(item.bitmap)->View();
  if (state & DSS_DISABLED) {
    PaintSilhouette(*dst, view, at.x + 1, at.y + 1, SystemColor(kColor3DHighlight), false);
    PaintSilhouette(*dst, view, at.x, at.y, SystemColor(kColor3DShadow), false);
    return TRUE;
  }
  BrushObj scratch;
  BrushObj* brush = ResolveBrush(fore, &scratch);
  COLORREF color = brush && brush->style == BS_SOLID ? brush->color : GetTextColor(hdc);
  PaintSilhouette(*dst, view, at.x, at.y, color, (state & DSS_UNION) != 0);
  return TRUE;
}
