// Icons made from a colour bitmap and a mask: creating, describing, copying,
// destroying and drawing them (the mask ANDs, the colour XORs).
#include <map>
#include <mutex>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

struct Icon {
  bool isIcon = true;
  bool shared = false;  // loaded from resources: one handle for the process
  POINT hotspot{0, 0};
  HBITMAP mask = nullptr;   // black/white; twice the height when there is no colour bitmap
  HBITMAP color = nullptr;  // may be null for black-and-white cursors
  ~Icon() {
    if (mask) DeleteObject(mask);
    if (color) DeleteObject(color);
  }
};

std::mutex& IconMutex() {
  static auto* m = new std::mutex();
  return *m;
}

std::map<HICON, std::unique_ptr<Icon>>& Icons() {
  static auto* icons = new std::map<HICON, std::unique_ptr<Icon>>();
  return *icons;
}

Icon* FindIcon(HICON h) {
  std::lock_guard lock(IconMutex());
  auto it = Icons().find(h);
  return it == Icons().end() ? nullptr : it->second.get();
}

// A private copy of a bitmap's pixels, as the platform keeps for an icon.
HBITMAP CopyBitmap(HBITMAP source) {
  BitmapObj* src = GetBitmap(source);
  if (!src) return nullptr;
  HBITMAP copy = nullptr;
  BitmapObj* dst = NewBitmap(src->width, src->height, src->mono, &copy);
  PixelView v = src->View();
  for (int y = 0; y < src->height; ++y)
    std::copy(v.Row(y), v.Row(y) + src->width, &dst->store[static_cast<size_t>(y) * src->width]);
  return copy;
}

HICON Register(std::unique_ptr<Icon> icon) {
  auto h = reinterpret_cast<HICON>(icon.get());
  std::lock_guard lock(IconMutex());
  Icons()[h] = std::move(icon);
  return h;
}

SIZE IconSize(const Icon& icon) {
  BitmapObj* mask = GetBitmap(icon.mask);
  if (!mask) return SIZE{0, 0};
  return SIZE{mask->width, icon.color ? mask->height : mask->height / 2};
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

HICON CreateIconIndirect(PICONINFO info) {
  if (!info || !GetBitmap(info->hbmMask)) return nullptr;
  auto icon = std::make_unique<Icon>();
  icon->isIcon = info->fIcon != FALSE;
  icon->mask = CopyBitmap(info->hbmMask);
  icon->color = info->hbmColor ? CopyBitmap(info->hbmColor) : nullptr;
  if (info->hbmColor && !icon->color) return nullptr;
  // An icon's hot spot is its centre; a cursor's is the one given.
  SIZE size = IconSize(*icon);
  icon->hotspot = info->fIcon ? POINT{size.cx / 2, size.cy / 2}
                              : POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
  return Register(std::move(icon));
}

BOOL GetIconInfo(HICON h, PICONINFO info) {
  Icon* icon = FindIcon(h);
  if (!icon || !info) return FALSE;
  // The caller owns the bitmaps it receives.
  info->fIcon = icon->isIcon;
  info->xHotspot = static_cast<DWORD>(icon->hotspot.x);
  info->yHotspot = static_cast<DWORD>(icon->hotspot.y);
  info->hbmMask = CopyBitmap(icon->mask);
  info->hbmColor = icon->color ? CopyBitmap(icon->color) : nullptr;
  return TRUE;
}

BOOL DestroyIcon(HICON h) {
  if (!h) return FALSE;
  std::lock_guard lock(IconMutex());
  // Shared and stock handles are left alone.
  auto it = Icons().find(h);
  if (it != Icons().end() && !it->second->shared) Icons().erase(it);
  return TRUE;
}

BOOL DestroyCursor(HCURSOR h) { return DestroyIcon(h); }

HICON CopyIcon(HICON h) {
  ICONINFO info{};
  if (!GetIconInfo(h, &info)) return nullptr;
  HICON copy = CreateIconIndirect(&info);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return copy;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON h, int cx, int cy, UINT, HBRUSH background, UINT flags) {
  Icon* icon = FindIcon(h);
  if (!icon || !GetDc(hdc)) return FALSE;
  SIZE size = IconSize(*icon);
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? 32 : size.cx;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? 32 : size.cy;
  if (background) {
    RECT r{x, y, x + cx, y + cy};
    FillRect(hdc, &r, background);
  }
  if (!(flags & DI_NORMAL)) flags |= DI_NORMAL;
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, icon->mask);
  int stretchMode = SetStretchBltMode(hdc, COLORONCOLOR);
  COLORREF text = SetTextColor(hdc, RGB(0, 0, 0));
  COLORREF back = SetBkColor(hdc, RGB(255, 255, 255));
  bool imageOnly = (flags & DI_NORMAL) == DI_IMAGE;
  if (flags & DI_MASK) StretchBlt(hdc, x, y, cx, cy, mem, 0, 0, size.cx, size.cy, imageOnly ? SRCCOPY : SRCAND);
  if (flags & DI_IMAGE) {
    DWORD rop = (flags & DI_MASK) ? SRCINVERT : SRCCOPY;
    if (icon->color) {
      SelectObject(mem, icon->color);
      StretchBlt(hdc, x, y, cx, cy, mem, 0, 0, size.cx, size.cy, rop);
    } else {
      StretchBlt(hdc, x, y, cx, cy, mem, 0, size.cy, size.cx, size.cy, rop);
    }
  }
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  SetStretchBltMode(hdc, stretchMode);
  SelectObject(mem, old);
  DeleteDC(mem);
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON h) {
  Icon* icon = FindIcon(h);
  if (!icon) return FALSE;
  return DrawIconEx(hdc, x, y, h, 0, 0, 0, nullptr, DI_NORMAL);
}

namespace compat {

HICON CreateSharedIcon(PICONINFO info) {
  HICON h = CreateIconIndirect(info);
  if (Icon* icon = FindIcon(h)) icon->shared = true;
  return h;
}

bool IconPixels(HICON h, std::vector<uint32_t>* argb, SIZE* size, POINT* hotspot) {
  Icon* icon = FindIcon(h);
  if (!icon || !argb) return false;
  SIZE s = IconSize(*icon);
  BitmapObj* mask = GetBitmap(icon->mask);
  BitmapObj* color = GetBitmap(icon->color);
  PixelView mv = mask->View();
  argb->assign(static_cast<size_t>(s.cx) * s.cy, 0);
  for (int y = 0; y < s.cy; ++y)
    for (int x = 0; x < s.cx; ++x) {
      bool transparent = (mv.Row(y)[x] & 0xFFFFFF) != 0;
      uint32_t c = color ? color->View().Row(y)[x] : mv.Row(y + s.cy)[x];
      (*argb)[static_cast<size_t>(y) * s.cx + x] = transparent ? 0u : (0xFF000000u | (c & 0xFFFFFF));
    }
  if (size) *size = s;
  if (hotspot) *hotspot = icon->hotspot;
  return true;
}

}  // namespace compat
