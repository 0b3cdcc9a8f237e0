// Image lists: equally sized images with optional masks, drawn normal,
// blended for selection, saturated for disabled, and dragged on the desktop.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "compat/win32/gdi_internal.h"
#include "compat/win32/user.h"

namespace compat::gdi {

namespace {

constexpr int kMaxImageSide = 4096;
constexpr int kMaxImages = 1 << 16;

struct Image {
  std::vector<uint32_t> pixels;  // cx * cy, top-down
  std::vector<uint8_t> mask;     // 1 where transparent; empty without ILC_MASK
  bool alpha = false;            // 32-bit image with its own alpha channel
};

struct ImageList {
  int cx = 0, cy = 0;
  UINT flags = 0;
  int grow = 4;
  COLORREF background = CLR_NONE;
  std::vector<Image> images;
  HBITMAP strip = nullptr, stripMask = nullptr;  // made for GetImageInfo
  ~ImageList() {
    if (strip) DeleteObject(strip);
    if (stripMask) DeleteObject(stripMask);
  }
};

std::mutex& ListMutex() {
  static auto* m = new std::mutex();
  return *m;
}

std::map<HIMAGELIST, std::unique_ptr<ImageList>>& Lists() {
  static auto* lists = new std::map<HIMAGELIST, std::unique_ptr<ImageList>>();
  return *lists;
}

ImageList* Find(HIMAGELIST h) {
  std::lock_guard lock(ListMutex());
  auto it = Lists().find(h);
  return it == Lists().end() ? nullptr : it->second.get();
}

bool HasMask(const ImageList& il) { return (il.flags & ILC_MASK) != 0; }

void Invalidate(ImageList& il) {
  if (il.strip) DeleteObject(il.strip);
  if (il.stripMask) DeleteObject(il.stripMask);
  il.strip = il.stripMask = nullptr;
}

// Cuts a bitmap into images of the list's size, left to right.
std::vector<Image> Slice(const ImageList& il, BitmapObj* bmp, BitmapObj* mask, const COLORREF* key) {
  std::vector<Image> out;
  if (!bmp || il.cx <= 0) return out;
  int count = bmp->width / il.cx;
  PixelView v = bmp->View();
  PixelView mv = mask ? mask->View() : PixelView{};
  uint32_t keyPixel = key ? PixelFromColor(*key) : 0;
  for (int n = 0; n < count && n < kMaxImages; ++n) {
    Image img;
    img.pixels.assign(static_cast<size_t>(il.cx) * il.cy, 0);
    if (HasMask(il)) img.mask.assign(img.pixels.size(), 0);
    bool anyAlpha = false;
    for (int y = 0; y < il.cy && y < bmp->height; ++y)
      for (int x = 0; x < il.cx; ++x) {
        size_t i = static_cast<size_t>(y) * il.cx + x;
        uint32_t p = v.Row(y)[n * il.cx + x];
        img.pixels[i] = p;
        anyAlpha = anyAlpha || (p >> 24) != 0;
        if (!HasMask(il)) continue;
        if (key && (p & 0xFFFFFF) == keyPixel) {
          img.mask[i] = 1;
          img.pixels[i] = 0;  // masked pixels turn black, as the platform leaves them
        } else if (mask && y < mask->height && n * il.cx + x < mask->width) {
          img.mask[i] = (mv.Row(y)[n * il.cx + x] & 0xFFFFFF) ? 1 : 0;
        }
      }
    img.alpha = (il.flags & 0xFE) == ILC_COLOR32 && anyAlpha;
    out.push_back(std::move(img));
  }
  return out;
}

uint32_t BlendTowards(uint32_t p, uint32_t toward, int percent) {
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    int a = (p >> s) & 0xFF, b = (toward >> s) & 0xFF;
    out |= static_cast<uint32_t>(a + (b - a) * percent / 100) << s;
  }
  return out;
}

uint32_t Grey(uint32_t p) {
  uint32_t l = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
  return (l << 16) | (l << 8) | l;
}

uint32_t Over(uint32_t s, uint32_t d) {
  unsigned a = s >> 24;
  uint32_t out = 0;
  for (int sh = 0; sh < 24; sh += 8) {
    unsigned sv = (s >> sh) & 0xFF, dv = (d >> sh) & 0xFF;
    out |= ((sv * a + dv * (255 - a) + 127) / 255) << sh;
  }
  return out;
}

bool Draw(const IMAGELISTDRAWPARAMS& p) {
  ImageList* il = Find(p.himl);
  DcObj* dc = GetDc(p.hdcDst);
  if (!il || !dc || p.i < 0 || p.i >= static_cast<int>(il->images.size())) return false;
  const Image& img = il->images[static_cast<size_t>(p.i)];
  int w = p.cx > 0 ? std::min(p.cx, il->cx) : il->cx, h = p.cy > 0 ? std::min(p.cy, il->cy) : il->cy;
  POINT at = dc->ToDevice(p.x, p.y);
  PixelView v = dc->View();
  if (!v.Valid()) return true;
  COLORREF bk = p.rgbBk == CLR_DEFAULT ? il->background : p.rgbBk;
  bool transparent = (p.fStyle & ILD_TRANSPARENT) || bk == CLR_NONE;
  int blend = (p.fStyle & ILD_BLEND50) ? 50 : (p.fStyle & ILD_BLEND25) ? 25 : 0;
  uint32_t fg = dc->DeviceColor(p.rgbFg == CLR_DEFAULT || p.rgbFg == CLR_NONE ? SystemColor(13) : p.rgbFg);
  uint32_t bkPixel = dc->DeviceColor(bk);
  const Region& clip = dc->Clip();
  for (int y = 0; y < h; ++y) {
    int sy = y + p.yBitmap;
    if (sy < 0 || sy >= il->cy) continue;
    clip.ClipSpan(at.y + y, at.x, at.x + w, [&](int a, int b) {
      uint32_t* row = v.Row(at.y + y);
      for (int x = a; x < b; ++x) {
        int sx = x - at.x + p.xBitmap;
        if (sx < 0 || sx >= il->cx) continue;
        size_t i = static_cast<size_t>(sy) * il->cx + sx;
        bool hole = !img.mask.empty() && img.mask[i];
        if (p.fStyle & ILD_MASK) {
          row[x] = hole ? 0x00FFFFFFu : 0u;
          continue;
        }
        if (hole) {
          if (!transparent) row[x] = bkPixel;
          continue;
        }
        uint32_t s = img.pixels[i];
        if (img.alpha) s = (s & 0xFF000000u) | (Over(s, row[x]) & 0xFFFFFF);
        if (p.fState & ILS_SATURATE) s = Grey(s);
        if (blend) s = BlendTowards(s, fg, blend);
        row[x] = img.alpha ? (s & 0xFFFFFF) : s;
      }
    });
  }
  return true;
}

// --- dragging: the image drawn over the desktop, the pixels under it kept ---

struct DragState {
  HIMAGELIST list = nullptr;
  int index = 0;
  POINT hotspot{0, 0};
  POINT position{0, 0};  // on the desktop
  POINT origin{0, 0};    // the lock window's top left corner: drag points are relative to it
  bool shown = false;
  std::vector<uint32_t> saved;
  RECT savedRect{0, 0, 0, 0};
};

DragState& Drag() {
  static DragState state;
  return state;
}

void HideDrag() {
  DragState& d = Drag();
  if (!d.shown) return;
  auto surface = host::DesktopSurface();
  int w = d.savedRect.right - d.savedRect.left;
  for (int y = d.savedRect.top; y < d.savedRect.bottom; ++y)
    std::memcpy(surface->Row(y) + d.savedRect.left, &d.saved[static_cast<size_t>(y - d.savedRect.top) * w],
                static_cast<size_t>(w) * 4);
  host::PresentRect(d.savedRect);
  d.shown = false;
}

void ShowDrag() {
  DragState& d = Drag();
  ImageList* il = Find(d.list);
  if (d.shown || !il) return;
  auto surface = host::DesktopSurface();
  RECT r{d.position.x - d.hotspot.x, d.position.y - d.hotspot.y, 0, 0};
  r.right = std::min<LONG>(r.left + il->cx, surface->width);
  r.bottom = std::min<LONG>(r.top + il->cy, surface->height);
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  if (r.left >= r.right || r.top >= r.bottom) return;
  int w = r.right - r.left;
  d.saved.resize(static_cast<size_t>(w) * (r.bottom - r.top));
  for (int y = r.top; y < r.bottom; ++y)
    std::memcpy(&d.saved[static_cast<size_t>(y - r.top) * w], surface->Row(y) + r.left, static_cast<size_t>(w) * 4);
  d.savedRect = r;
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  IMAGELISTDRAWPARAMS p{};
  p.himl = d.list;
  p.i = d.index;
  p.hdcDst = screen;
  p.x = d.position.x - d.hotspot.x;
  p.y = d.position.y - d.hotspot.y;
  p.rgbBk = CLR_NONE;
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_TRANSPARENT | ILD_BLEND50;
  Draw(p);
  DeleteDC(screen);
  host::PresentRect(r);
  d.shown = true;
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (cx <= 0 || cy <= 0 || cx > kMaxImageSide || cy > kMaxImageSide || initial < 0) return nullptr;
  auto il = std::make_unique<ImageList>();
  il->cx = cx;
  il->cy = cy;
  il->flags = flags;
  il->grow = std::max(1, grow);
  auto h = reinterpret_cast<HIMAGELIST>(il.get());
  std::lock_guard lock(ListMutex());
  Lists()[h] = std::move(il);
  return h;
}

HIMAGELIST ImageList_LoadImageW(HINSTANCE instance, LPCWSTR name, int cx, int grow, COLORREF mask,
                                UINT type, UINT flags) {
  if (type != IMAGE_BITMAP) return nullptr;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, flags));
  BitmapObj* bmp = GetBitmap(bitmap);
  if (!bmp) return nullptr;
  // A width of 0 means square images as high as the bitmap.
  if (cx <= 0) cx = bmp->height;
  UINT listFlags = ILC_COLOR32 | (mask != CLR_NONE ? ILC_MASK : 0);
  HIMAGELIST list = ImageList_Create(cx, bmp->height, listFlags, std::max(1, bmp->width / std::max(1, cx)), grow);
  if (list) {
    int added = mask != CLR_NONE ? ImageList_AddMasked(list, bitmap, mask) : ImageList_Add(list, bitmap, nullptr);
    if (added < 0) {
      ImageList_Destroy(list);
      list = nullptr;
    }
  }
  DeleteObject(bitmap);
  return list;
}

BOOL ImageList_Destroy(HIMAGELIST h) {
  if (Drag().list == h) ImageList_EndDrag();
  std::lock_guard lock(ListMutex());
  return Lists().erase(h) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST h) {
  ImageList* il = Find(h);
  return il ? static_cast<int>(il->images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST h, UINT count) {
  ImageList* il = Find(h);
  if (!il || count > kMaxImages) return FALSE;
  Image blank;
  blank.pixels.assign(static_cast<size_t>(il->cx) * il->cy, 0);
  if (HasMask(*il)) blank.mask.assign(blank.pixels.size(), 0);
  il->images.resize(count, blank);
  Invalidate(*il);
  return TRUE;
}

int ImageList_Add(HIMAGELIST h, HBITMAP image, HBITMAP mask) {
  ImageList* il = Find(h);
  if (!il) return -1;
  std::vector<Image> added = Slice(*il, GetBitmap(image), GetBitmap(mask), nullptr);
  if (added.empty() || il->images.size() + added.size() > kMaxImages) return -1;
  int first = static_cast<int>(il->images.size());
  for (Image& img : added) il->images.push_back(std::move(img));
  Invalidate(*il);
  return first;
}

int ImageList_AddMasked(HIMAGELIST h, HBITMAP image, COLORREF maskColor) {
  ImageList* il = Find(h);
  if (!il) return -1;
  std::vector<Image> added = Slice(*il, GetBitmap(image), nullptr, HasMask(*il) ? &maskColor : nullptr);
  if (added.empty() || il->images.size() + added.size() > kMaxImages) return -1;
  int first = static_cast<int>(il->images.size());
  for (Image& img : added) il->images.push_back(std::move(img));
  Invalidate(*il);
  return first;
}

BOOL ImageList_Replace(HIMAGELIST h, int i, HBITMAP image, HBITMAP mask) {
  ImageList* il = Find(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  std::vector<Image> added = Slice(*il, GetBitmap(image), GetBitmap(mask), nullptr);
  if (added.empty()) return FALSE;
  il->images[static_cast<size_t>(i)] = std::move(added.front());
  Invalidate(*il);
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST h, int i) {
  ImageList* il = Find(h);
  if (!il) return FALSE;
  if (i == -1) {
    il->images.clear();
  } else {
    if (i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
    il->images.erase(il->images.begin() + i);
  }
  Invalidate(*il);
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST h, int i, HDC hdc, int x, int y, UINT style) {
  return ImageList_DrawEx(h, i, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST h, int i, HDC hdc, int x, int y, int dx, int dy, COLORREF bk,
                      COLORREF fg, UINT style) {
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = h;
  p.i = i;
  p.hdcDst = hdc;
  p.x = x;
  p.y = y;
  p.cx = dx;
  p.cy = dy;
  p.rgbBk = bk;
  p.rgbFg = fg;
  p.fStyle = style;
  return Draw(p) ? TRUE : FALSE;
}

BOOL ImageList_DrawIndirect(IMAGELISTDRAWPARAMS* p) { return p && Draw(*p) ? TRUE : FALSE; }

BOOL ImageList_GetIconSize(HIMAGELIST h, int* cx, int* cy) {
  ImageList* il = Find(h);
  if (!il || !cx || !cy) return FALSE;
  *cx = il->cx;
  *cy = il->cy;
  return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST h, int cx, int cy) {
  ImageList* il = Find(h);
  if (!il || cx <= 0 || cy <= 0 || cx > kMaxImageSide || cy > kMaxImageSide) return FALSE;
  // A new size empties the list, as the platform does.
  il->cx = cx;
  il->cy = cy;
  il->images.clear();
  Invalidate(*il);
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST h, COLORREF bk) {
  ImageList* il = Find(h);
  if (!il) return CLR_NONE;
  return std::exchange(il->background, bk);
}

COLORREF ImageList_GetBkColor(HIMAGELIST h) {
  ImageList* il = Find(h);
  return il ? il->background : CLR_NONE;
}

BOOL ImageList_GetImageInfo(HIMAGELIST h, int i, IMAGEINFO* info) {
  ImageList* il = Find(h);
  if (!il || !info || i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  if (!il->strip) {
    // The images side by side in one bitmap (and mask), as callers expect to find them.
    int n = static_cast<int>(il->images.size());
    BitmapObj* bmp = NewBitmap(il->cx * n, il->cy, false, &il->strip);
    BitmapObj* mask = HasMask(*il) ? NewBitmap(il->cx * n, il->cy, true, &il->stripMask) : nullptr;
    for (int k = 0; k < n; ++k)
      for (int y = 0; y < il->cy; ++y)
        for (int x = 0; x < il->cx; ++x) {
          size_t src = static_cast<size_t>(y) * il->cx + x, dst = static_cast<size_t>(y) * bmp->width + k * il->cx + x;
          bmp->store[dst] = il->images[k].pixels[src];
          if (mask) mask->store[dst] = il->images[k].mask[src] ? 0x00FFFFFFu : 0u;
        }
  }
  info->hbmImage = il->strip;
  info->hbmMask = il->stripMask;
  info->rcImage = RECT{i * il->cx, 0, (i + 1) * il->cx, il->cy};
  return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST h, int i, UINT) {
  ImageList* il = Find(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size())) return nullptr;
  const Image& img = il->images[static_cast<size_t>(i)];
  HBITMAP color = nullptr, mask = nullptr;
  BitmapObj* c = NewBitmap(il->cx, il->cy, false, &color);
  BitmapObj* m = NewBitmap(il->cx, il->cy, true, &mask);
  for (size_t k = 0; k < img.pixels.size(); ++k) {
    bool hole = !img.mask.empty() && img.mask[k];
    c->store[k] = hole ? 0u : img.pixels[k];
    m->store[k] = hole ? 0x00FFFFFFu : 0u;
  }
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

int ImageList_ReplaceIcon(HIMAGELIST h, int i, HICON icon) {
  ImageList* il = Find(h);
  ICONINFO info{};
  if (!il || !GetIconInfo(icon, &info)) return -1;
  // Draw the icon at the list's size, then take it as an image and mask.
  HBITMAP image = nullptr, mask = nullptr;
  NewBitmap(il->cx, il->cy, false, &image);
  NewBitmap(il->cx, il->cy, true, &mask);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, image);
  DrawIconEx(dc, 0, 0, icon, il->cx, il->cy, 0, nullptr, DI_IMAGE);
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, il->cx, il->cy, WHITENESS);
  DrawIconEx(dc, 0, 0, icon, il->cx, il->cy, 0, nullptr, DI_MASK);
  SelectObject(dc, old);
  DeleteDC(dc);
  int result = -1;
  if (i == -1) {
    result = ImageList_Add(h, image, mask);
  } else if (ImageList_Replace(h, i, image, mask)) {
    result = i;
  }
  DeleteObject(image);
  DeleteObject(mask);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return result;
}

BOOL ImageList_Copy(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT uFlags) {
  ImageList* d = Find(dst);
  ImageList* s = Find(src);
  if (!d || !s || d->cx != s->cx || d->cy != s->cy || iSrc < 0 ||
      iSrc >= static_cast<int>(s->images.size()) || iDst < 0 || iDst >= static_cast<int>(d->images.size()))
    return FALSE;
  if ((uFlags & ILCF_SWAP) && d == s) std::swap(d->images[static_cast<size_t>(iDst)], d->images[static_cast<size_t>(iSrc)]);
  else d->images[static_cast<size_t>(iDst)] = s->images[static_cast<size_t>(iSrc)];
  Invalidate(*d);
  return TRUE;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST h) {
  ImageList* il = Find(h);
  if (!il) return nullptr;
  HIMAGELIST copy = ImageList_Create(il->cx, il->cy, il->flags, 0, il->grow);
  ImageList* c = Find(copy);
  c->images = il->images;
  c->background = il->background;
  return copy;
}

BOOL ImageList_BeginDrag(HIMAGELIST h, int i, int dxHotspot, int dyHotspot) {
  ImageList* il = Find(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  ImageList_EndDrag();
  DragState& d = Drag();
  d.list = h;
  d.index = i;
  d.hotspot = POINT{dxHotspot, dyHotspot};
  return TRUE;
}

void ImageList_EndDrag() {
  HideDrag();
  Drag() = DragState{};
}

BOOL ImageList_DragEnter(HWND hwndLock, int x, int y) {
  if (!Drag().list) return FALSE;
  RECT window{0, 0, 0, 0};
  if (hwndLock) GetWindowRect(hwndLock, &window);
  Drag().origin = POINT{window.left, window.top};
  Drag().position = POINT{window.left + x, window.top + y};
  ShowDrag();
  return TRUE;
}

BOOL ImageList_DragLeave(HWND) {
  HideDrag();
  return TRUE;
}

BOOL ImageList_DragMove(int x, int y) {
  if (!Drag().list) return FALSE;
  bool wasShown = Drag().shown;
  HideDrag();
  Drag().position = POINT{Drag().origin.x + x, Drag().origin.y + y};
  if (wasShown) ShowDrag();
  return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL show) {
  if (!Drag().list) return FALSE;
  if (show) ShowDrag(); else HideDrag();
  return TRUE;
}
