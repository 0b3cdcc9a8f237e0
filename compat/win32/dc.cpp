// Device contexts: memory, window and display DCs, their state, saving and
// restoring it, mapping modes and device capabilities.
#include <algorithm>
#include <cmath>
#include <utility>

#include "compat/win32/gdi_internal.h"
#include "compat/win32/window_dc.h"

// Weak: GDI links and draws without the window manager (its own tests).
DWORD GetSysColor(int index) __attribute__((weak));

namespace compat::gdi {

namespace {

HBITMAP DefaultBitmap() {
  static HBITMAP stock = [] {
    HBITMAP h = nullptr;
    BitmapObj* bmp = NewBitmap(1, 1, true, &h);
    bmp->stock = true;
    bmp->store[0] = 0;
    return h;
  }();
  return stock;
}

void DefaultObjects(DcState& s) {
  s.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  s.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  s.palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

HDC NewDc(DcType type) {
  auto dc = std::make_unique<DcObj>();
  dc->type = type;
  DefaultObjects(dc->state);
  if (type == DcType::Memory) {
    dc->state.bitmap = DefaultBitmap();
  }
  return static_cast<HDC>(Register(std::move(dc)));
}

// Fixed mapping modes: logical units per inch, y axis up.
bool FixedModeUnits(int mode, double* perInch) {
  switch (mode) {
    case MM_LOMETRIC: *perInch = 254.0; return true;
    case MM_HIMETRIC: *perInch = 2540.0; return true;
    case MM_LOENGLISH: *perInch = 100.0; return true;
    case MM_HIENGLISH: *perInch = 1000.0; return true;
    case MM_TWIPS: *perInch = 1440.0; return true;
    default: return false;
  }
}

LONG MulDivRound(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  int64_t n = a * b;
  int64_t q = (n >= 0) == (c > 0) ? (std::llabs(n) + std::llabs(c) / 2) / std::llabs(c)
                                  : -((std::llabs(n) + std::llabs(c) / 2) / std::llabs(c));
  return static_cast<LONG>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

// The isotropic mode keeps units equal in both directions by shrinking one viewport extent.
void AdjustIsotropic(DcState& s) {
  if (s.mapMode != MM_ISOTROPIC || s.windowExt.cx == 0 || s.windowExt.cy == 0) return;
  double sx = std::fabs(static_cast<double>(s.viewportExt.cx) / s.windowExt.cx);
  double sy = std::fabs(static_cast<double>(s.viewportExt.cy) / s.windowExt.cy);
  if (sx > sy) {
    LONG v = static_cast<LONG>(std::lround(sy * std::abs(s.windowExt.cx)));
    s.viewportExt.cx = s.viewportExt.cx < 0 ? -v : v;
  } else if (sy > sx) {
    LONG v = static_cast<LONG>(std::lround(sx * std::abs(s.windowExt.cy)));
    s.viewportExt.cy = s.viewportExt.cy < 0 ? -v : v;
  }
}

}  // namespace

// The window manager's colours when it is linked in; the classic scheme otherwise.
DWORD SystemColor(int index) {
  if (&::GetSysColor) return ::GetSysColor(index);
  static const DWORD kClassic[31] = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
      0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
      0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4};
  return index >= 0 && index < 31 ? kClassic[index] : 0;
}

BitmapObj::~BitmapObj() {
  if (dibSection) delete[] dibBits;
}

PixelView BitmapObj::View() {
  PixelView v;
  v.width = width;
  v.height = height;
  if (dibSection) {
    bool bottomUp = dibHeader.biHeight > 0;
    v.base = bottomUp ? dibBits + static_cast<ptrdiff_t>(height - 1) * width : dibBits;
    v.stride = bottomUp ? -width : width;
  } else {
    v.base = store.data();
    v.stride = width;
  }
  return v;
}

BitmapObj* NewBitmap(int width, int height, bool mono, HBITMAP* handle) {
  auto bmp = std::make_unique<BitmapObj>();
  bmp->width = width;
  bmp->height = height;
  bmp->mono = mono;
  bmp->store.assign(static_cast<size_t>(width) * height, mono ? 0u : 0u);
  BitmapObj* raw = bmp.get();
  *handle = static_cast<HBITMAP>(Register(std::move(bmp)));
  return raw;
}

PixelView DcObj::View() {
  if (type == DcType::Memory) {
    BitmapObj* bmp = GetBitmap(state.bitmap);
    return bmp ? bmp->View() : PixelView{};
  }
  PixelView v;
  if (!surface || surface->pixels.empty()) return v;
  // Device (0,0) sits at the origin; the clip keeps drawing on the surface.
  v.base = surface->pixels.data() + static_cast<ptrdiff_t>(origin.y) * surface->width + origin.x;
  // Sizes count from the origin: a window reads and writes right and below it.
  v.width = surface->width - origin.x;
  v.height = surface->height - origin.y;
  v.stride = surface->width;
  return v;
}

bool DcObj::Mono() {
  if (type != DcType::Memory) return false;
  BitmapObj* bmp = GetBitmap(state.bitmap);
  return bmp && bmp->mono;
}

uint32_t DcObj::DeviceColor(COLORREF c) {
  uint32_t p = PixelFromColor(c & 0xFFFFFFu);
  return Mono() ? MonoPixel(p) : p;
}

namespace {

// Device coordinates stay far inside 32 bits, so that shape arithmetic cannot overflow.
constexpr int64_t kDeviceLimit = int64_t{1} << 27;
LONG ClampDevice(int64_t v) { return static_cast<LONG>(std::clamp(v, -kDeviceLimit, kDeviceLimit)); }

// The mapping mode alone, without the world transform.
POINT PageToDevice(const DcState& s, int x, int y) {
  if (s.mapMode == MM_TEXT)
    return POINT{ClampDevice(int64_t{x} - s.windowOrg.x + s.viewportOrg.x),
                 ClampDevice(int64_t{y} - s.windowOrg.y + s.viewportOrg.y)};
  return POINT{ClampDevice(int64_t{MulDivRound(int64_t{x} - s.windowOrg.x, s.viewportExt.cx, s.windowExt.cx)} +
                           s.viewportOrg.x),
               ClampDevice(int64_t{MulDivRound(int64_t{y} - s.windowOrg.y, s.viewportExt.cy, s.windowExt.cy)} +
                           s.viewportOrg.y)};
}

POINT PageToLogical(const DcState& s, int x, int y) {
  if (s.mapMode == MM_TEXT)
    return POINT{ClampDevice(int64_t{x} - s.viewportOrg.x + s.windowOrg.x),
                 ClampDevice(int64_t{y} - s.viewportOrg.y + s.windowOrg.y)};
  return POINT{ClampDevice(int64_t{MulDivRound(int64_t{x} - s.viewportOrg.x, s.windowExt.cx, s.viewportExt.cx)} +
                           s.windowOrg.x),
               ClampDevice(int64_t{MulDivRound(int64_t{y} - s.viewportOrg.y, s.windowExt.cy, s.viewportExt.cy)} +
                           s.windowOrg.y)};
}

double PageScale(const DcState& s, bool vertical) {
  LONG w = vertical ? s.windowExt.cy : s.windowExt.cx;
  LONG v = vertical ? s.viewportExt.cy : s.viewportExt.cx;
  if (s.mapMode == MM_TEXT || w == 0) return 1.0;
  return static_cast<double>(v) / w;
}

LONG RoundDevice(double v) {
  if (!(v == v)) return 0;
  return static_cast<LONG>(std::llround(std::clamp(v, -double(kDeviceLimit), double(kDeviceLimit))));
}

}  // namespace

bool HasWorldTransform(const DcState& s) {
  const XFORM& w = s.world;
  return s.graphicsMode == GM_ADVANCED &&
         (w.eM11 != 1 || w.eM12 != 0 || w.eM21 != 0 || w.eM22 != 1 || w.eDx != 0 || w.eDy != 0);
}

void DcObj::ToDeviceExact(double x, double y, double* dx, double* dy) const {
  const DcState& s = state;
  if (HasWorldTransform(s)) {
    const XFORM& w = s.world;
    double wx = x * w.eM11 + y * w.eM21 + w.eDx, wy = x * w.eM12 + y * w.eM22 + w.eDy;
    x = wx;
    y = wy;
  }
  double sx = PageScale(s, false), sy = PageScale(s, true);
  *dx = (x - s.windowOrg.x) * sx + s.viewportOrg.x;
  *dy = (y - s.windowOrg.y) * sy + s.viewportOrg.y;
}

bool DcObj::WorldRotates() const {
  return HasWorldTransform(state) && (state.world.eM12 != 0 || state.world.eM21 != 0);
}

POINT DcObj::ToDevice(int x, int y) const {
  if (!HasWorldTransform(state)) return PageToDevice(state, x, y);
  double dx = 0, dy = 0;
  ToDeviceExact(x, y, &dx, &dy);
  return POINT{RoundDevice(dx), RoundDevice(dy)};
}

POINT DcObj::ToLogical(int x, int y) const {
  if (!HasWorldTransform(state)) return PageToLogical(state, x, y);
  const DcState& s = state;
  double sx = PageScale(s, false), sy = PageScale(s, true);
  double px = sx != 0 ? (x - s.viewportOrg.x) / sx + s.windowOrg.x : 0;
  double py = sy != 0 ? (y - s.viewportOrg.y) / sy + s.windowOrg.y : 0;
  const XFORM& w = s.world;
  double det = double(w.eM11) * w.eM22 - double(w.eM12) * w.eM21;
  if (det == 0) return POINT{0, 0};
  px -= w.eDx;
  py -= w.eDy;
  return POINT{RoundDevice((px * w.eM22 - py * w.eM21) / det), RoundDevice((py * w.eM11 - px * w.eM12) / det)};
}

// How far a logical unit along x (or y) reaches on the device, the world
// transform's turn left out.
double DcObj::ScaleX() const {
  double world = HasWorldTransform(state) ? std::hypot(state.world.eM11, state.world.eM12) : 1.0;
  return std::fabs(PageScale(state, false)) * world;
}

double DcObj::ScaleY() const {
  double world = HasWorldTransform(state) ? std::hypot(state.world.eM21, state.world.eM22) : 1.0;
  return std::fabs(PageScale(state, true)) * world;
}

}  // namespace compat::gdi

using namespace compat::gdi;

// --- the window manager's side ---

namespace compat {

HDC CreateWindowDC(HWND hwnd, const DrawTarget& target) {
  HDC h = NewDc(hwnd ? DcType::Window : DcType::Display);
  DcObj* dc = GetDc(h);
  dc->hwnd = hwnd;
  dc->surface = target.surface;
  dc->origin = target.origin;
  dc->extent = target.extent;
  dc->visible = Region::FromRects(target.visible);
  dc->visible.Offset(-target.origin.x, -target.origin.y);
  return h;
}

void DestroyWindowDC(HDC hdc) {
  std::lock_guard lock(TableMutex());
  DcObj* dc = GetDc(hdc);
  if (!dc || dc->type == DcType::Memory) return;
  DeleteDC(hdc);
}

}  // namespace compat

// --- creating and deleting ---

HDC CreateCompatibleDC(HDC) { return NewDc(DcType::Memory); }

HDC CreateDCW(LPCWSTR driver, LPCWSTR, LPCWSTR, const void*) {
  static const char16_t kDisplay[] = u"DISPLAY";
  for (int i = 0; driver && i < 8; ++i)
    if (driver[i] != kDisplay[i]) return nullptr;
  if (!driver) return nullptr;
  auto desktop = compat::host::DesktopSurface();
  compat::DrawTarget target;
  target.surface = desktop;
  target.extent = SIZE{desktop->width, desktop->height};
  target.visible.push_back(RECT{0, 0, desktop->width, desktop->height});
  return compat::CreateWindowDC(nullptr, target);
}

BOOL DeleteDC(HDC hdc) {
  std::lock_guard lock(TableMutex());
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  auto release = [hdc](HBITMAP h) {
    BitmapObj* bmp = GetBitmap(h);
    if (bmp && bmp->selectedInto == hdc) bmp->selectedInto = nullptr;
  };
  release(dc->state.bitmap);
  for (DcState& saved : dc->saved) release(saved.bitmap);
  Unregister(hdc);
  return TRUE;
}

HWND WindowFromDC(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  return dc ? dc->hwnd : nullptr;
}

int SaveDC(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int which) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  int depth = static_cast<int>(dc->saved.size());
  int index = which < 0 ? depth + which : which - 1;  // -1 is the latest
  if (index < 0 || index >= depth) return FALSE;
  DcState restored = dc->saved[static_cast<size_t>(index)];
  dc->saved.resize(static_cast<size_t>(index));
  if (restored.bitmap != dc->state.bitmap) {
    BitmapObj* now = GetBitmap(dc->state.bitmap);
    BitmapObj* back = GetBitmap(restored.bitmap);
    if (now && !now->stock) now->selectedInto = nullptr;
    if (!back) restored.bitmap = DefaultBitmap();
    else if (!back->stock) back->selectedInto = hdc;
  }
  // Objects deleted while the state was saved fall back to the defaults.
  if (!GetPen(restored.pen)) restored.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  if (!GetBrush(restored.brush)) restored.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!GetFont(restored.font)) restored.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  dc->state = std::move(restored);
  dc->clipDirty = true;
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!GetDc(hdc)) return 0;
  auto desktop = compat::host::DesktopSurface();
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: case DESKTOPHORZRES: return desktop->width;
    case VERTRES: case DESKTOPVERTRES: return desktop->height;
    case HORZSIZE: return static_cast<int>(std::lround(desktop->width * 25.4 / 96.0));
    case VERTSIZE: return static_cast<int>(std::lround(desktop->height * 25.4 / 96.0));
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMBRUSHES: case NUMPENS: case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    case SIZEPALETTE: case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case VREFRESH: return 60;
    case SHADEBLENDCAPS: return 0;
    default: return 0;
  }
}

// --- simple state ---

#define DC_STATE_ACCESSORS(Setter, Getter, Type, field, fail)        \
  Type Setter(HDC hdc, Type value) {                                 \
    DcObj* dc = GetDc(hdc);                                          \
    if (!dc) return fail;                                            \
    Type old = dc->state.field;                                      \
    dc->state.field = value;                                         \
    return old;                                                      \
  }                                                                  \
  Type Getter(HDC hdc) {                                             \
    DcObj* dc = GetDc(hdc);                                          \
    return dc ? dc->state.field : fail;                              \
  }

DC_STATE_ACCESSORS(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_STATE_ACCESSORS(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_STATE_ACCESSORS(SetTextAlign, GetTextAlign, UINT, textAlign, GDI_ERROR)
#undef DC_STATE_ACCESSORS

#define DC_MODE_ACCESSORS(Setter, Getter, field, lowest, highest)    \
  int Setter(HDC hdc, int value) {                                   \
    DcObj* dc = GetDc(hdc);                                          \
    if (!dc || value < (lowest) || value > (highest)) return 0;      \
    int old = dc->state.field;                                       \
    dc->state.field = value;                                         \
    return old;                                                      \
  }                                                                  \
  int Getter(HDC hdc) {                                              \
    DcObj* dc = GetDc(hdc);                                          \
    return dc ? dc->state.field : 0;                                 \
  }

DC_MODE_ACCESSORS(SetBkMode, GetBkMode, bkMode, TRANSPARENT, OPAQUE)
DC_MODE_ACCESSORS(SetROP2, GetROP2, rop2, R2_BLACK, R2_WHITE)
DC_MODE_ACCESSORS(SetPolyFillMode, GetPolyFillMode, polyFillMode, ALTERNATE, WINDING)
DC_MODE_ACCESSORS(SetStretchBltMode, GetStretchBltMode, stretchMode, BLACKONWHITE, HALFTONE)
#undef DC_MODE_ACCESSORS

COLORREF SetDCBrushColor(HDC hdc, COLORREF color) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.dcBrushColor, color);
}

COLORREF SetDCPenColor(HDC hdc, COLORREF color) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.dcPenColor, color);
}

int SetGraphicsMode(HDC hdc, int mode) {
  DcObj* dc = GetDc(hdc);
  if (!dc || (mode != GM_COMPATIBLE && mode != GM_ADVANCED)) return 0;
  return std::exchange(dc->state.graphicsMode, mode);
}

int SetArcDirection(HDC hdc, int dir) {
  DcObj* dc = GetDc(hdc);
  if (!dc || (dir != AD_COUNTERCLOCKWISE && dir != AD_CLOCKWISE)) return 0;
  return std::exchange(dc->state.arcDirection, dir);
}

int SetTextCharacterExtra(HDC hdc, int extra) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return static_cast<int>(0x80000000u);
  return std::exchange(dc->state.charExtra, extra);
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->state.brushOrg;
  dc->state.brushOrg = POINT{x, y};
  return TRUE;
}

BOOL GetBrushOrgEx(HDC hdc, LPPOINT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.brushOrg;
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.position;
  return TRUE;
}

BOOL GdiFlush() { return TRUE; }

// --- mapping modes ---

int SetMapMode(HDC hdc, int mode) {
  DcObj* dc = GetDc(hdc);
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  DcState& s = dc->state;
  int old = s.mapMode;
  s.mapMode = mode;
  double perInch = 0;
  if (mode == MM_TEXT) {
    s.windowExt = SIZE{1, 1};
    s.viewportExt = SIZE{1, 1};
  } else if (FixedModeUnits(mode, &perInch)) {
    // Device pixels are 96 per inch; fixed modes count y upwards.
    s.windowExt = SIZE{static_cast<LONG>(perInch), static_cast<LONG>(perInch)};
    s.viewportExt = SIZE{96, -96};
  } else if (old != MM_ISOTROPIC && old != MM_ANISOTROPIC && mode == MM_ISOTROPIC) {
    AdjustIsotropic(s);
  }
  return old;
}

int GetMapMode(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  return dc ? dc->state.mapMode : 0;
}

namespace {

BOOL SetPoint(HDC hdc, POINT DcState::*field, int x, int y, LPPOINT old, bool offset) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  POINT& p = dc->state.*field;
  if (old) *old = p;
  p = offset ? POINT{p.x + x, p.y + y} : POINT{x, y};
  return TRUE;
}

BOOL GetPointField(HDC hdc, POINT DcState::*field, LPPOINT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.*field;
  return TRUE;
}

BOOL SetExtent(HDC hdc, SIZE DcState::*field, int x, int y, LPSIZE old) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  SIZE& s = dc->state.*field;
  if (old) *old = s;
  // Extents only mean something in the scalable modes.
  if (dc->state.mapMode != MM_ISOTROPIC && dc->state.mapMode != MM_ANISOTROPIC) return TRUE;
  if (x == 0 || y == 0) return FALSE;
  s = SIZE{x, y};
  AdjustIsotropic(dc->state);
  return TRUE;
}

BOOL GetExtent(HDC hdc, SIZE DcState::*field, LPSIZE out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.*field;
  return TRUE;
}

}  // namespace

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DcState::windowOrg, x, y, old, false);
}
BOOL GetWindowOrgEx(HDC hdc, LPPOINT out) { return GetPointField(hdc, &DcState::windowOrg, out); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DcState::viewportOrg, x, y, old, false);
}
BOOL GetViewportOrgEx(HDC hdc, LPPOINT out) {
  return GetPointField(hdc, &DcState::viewportOrg, out);
}
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DcState::viewportOrg, x, y, old, true);
}
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPoint(hdc, &DcState::windowOrg, x, y, old, true);
}
BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE old) {
  return SetExtent(hdc, &DcState::windowExt, x, y, old);
}
BOOL GetWindowExtEx(HDC hdc, LPSIZE out) { return GetExtent(hdc, &DcState::windowExt, out); }
BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE old) {
  return SetExtent(hdc, &DcState::viewportExt, x, y, old);
}
BOOL GetViewportExtEx(HDC hdc, LPSIZE out) { return GetExtent(hdc, &DcState::viewportExt, out); }

BOOL ScaleViewportExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE old) {
  DcObj* dc = GetDc(hdc);
  if (!dc || xd == 0 || yd == 0) return FALSE;
  SIZE s = dc->state.viewportExt;
  return SetViewportExtEx(hdc, MulDivRound(s.cx, xn, xd), MulDivRound(s.cy, yn, yd), old);
}

BOOL ScaleWindowExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE old) {
  DcObj* dc = GetDc(hdc);
  if (!dc || xd == 0 || yd == 0) return FALSE;
  SIZE s = dc->state.windowExt;
  return SetWindowExtEx(hdc, MulDivRound(s.cx, xn, xd), MulDivRound(s.cy, yn, yd), old);
}

BOOL LPtoDP(HDC hdc, LPPOINT pts, int count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || (!pts && count > 0) || count < 0) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = dc->ToDevice(pts[i].x, pts[i].y);
  return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT pts, int count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || (!pts && count > 0) || count < 0) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = dc->ToLogical(pts[i].x, pts[i].y);
  return TRUE;
}
