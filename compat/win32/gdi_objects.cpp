// GDI objects: the handle table, stock objects, pens, brushes, palettes, and
// selecting, deleting and describing objects.
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

std::unordered_map<void*, std::unique_ptr<Object>>& Table() {
  static auto* table = new std::unordered_map<void*, std::unique_ptr<Object>>();
  return *table;
}

HPEN MakePen(DWORD style, int width, COLORREF color, bool stock) {
  auto pen = std::make_unique<PenObj>();
  pen->style = style;
  pen->width = width < 0 ? 0 : width;
  pen->color = color & 0xFFFFFFu;
  pen->stock = stock;
  return static_cast<HPEN>(Register(std::move(pen)));
}

HBRUSH MakeBrush(UINT style, COLORREF color, int hatch, bool stock) {
  auto brush = std::make_unique<BrushObj>();
  brush->style = style;
  brush->color = color & 0xFFFFFFu;
  brush->hatch = hatch;
  brush->stock = stock;
  return static_cast<HBRUSH>(Register(std::move(brush)));
}

HFONT MakeStockFont(LONG height, LONG weight, BYTE pitch, const char16_t* face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  HFONT h = CreateFontIndirectW(&lf);
  Lookup(h)->stock = true;
  return h;
}

struct StockObjects {
  HGDIOBJ objects[DC_PEN + 1]{};
  StockObjects() {
    objects[WHITE_BRUSH] = MakeBrush(BS_SOLID, 0xFFFFFF, 0, true);
    objects[LTGRAY_BRUSH] = MakeBrush(BS_SOLID, 0xC0C0C0, 0, true);
    objects[GRAY_BRUSH] = MakeBrush(BS_SOLID, 0x808080, 0, true);
    objects[DKGRAY_BRUSH] = MakeBrush(BS_SOLID, 0x404040, 0, true);
    objects[BLACK_BRUSH] = MakeBrush(BS_SOLID, 0x000000, 0, true);
    objects[NULL_BRUSH] = MakeBrush(BS_NULL, 0, 0, true);
    objects[WHITE_PEN] = MakePen(PS_SOLID, 0, 0xFFFFFF, true);
    objects[BLACK_PEN] = MakePen(PS_SOLID, 0, 0x000000, true);
    objects[NULL_PEN] = MakePen(PS_NULL, 0, 0, true);
    HFONT fixed = MakeStockFont(-13, FW_NORMAL, FIXED_PITCH | FF_MODERN, u"Courier New");
    objects[OEM_FIXED_FONT] = fixed;
    objects[ANSI_FIXED_FONT] = fixed;
    objects[SYSTEM_FIXED_FONT] = fixed;
    objects[ANSI_VAR_FONT] = MakeStockFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
    objects[SYSTEM_FONT] = MakeStockFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, u"System");
    objects[DEVICE_DEFAULT_FONT] = objects[SYSTEM_FONT];
    objects[DEFAULT_GUI_FONT] = MakeStockFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, u"MS Shell Dlg");
    auto palette = std::make_unique<PaletteObj>();
    palette->stock = true;
    palette->entries.assign(20, PALETTEENTRY{0, 0, 0, 0});
    objects[DEFAULT_PALETTE] = Register(std::move(palette));
    auto dcBrush = std::make_unique<BrushObj>();
    dcBrush->stock = true;
    dcBrush->dcBrush = true;
    objects[DC_BRUSH] = Register(std::move(dcBrush));
    auto dcPen = std::make_unique<PenObj>();
    dcPen->stock = true;
    dcPen->dcPen = true;
    dcPen->width = 0;
    objects[DC_PEN] = Register(std::move(dcPen));
  }
};

StockObjects& Stock() {
  static StockObjects* stock = new StockObjects();
  return *stock;
}

// The live DCs, so that deleting an object need not scan every object.
std::unordered_set<DcObj*>& Dcs() {
  static auto* dcs = new std::unordered_set<DcObj*>();
  return *dcs;
}

// Whether a DC has `h` selected, so that a selected object is not deleted under it.
bool SelectedSomewhere(HGDIOBJ h) {
  for (DcObj* dc : Dcs()) {
    const DcState& s = dc->state;
    if (s.pen == h || s.brush == h || s.font == h || s.bitmap == h || s.palette == h) return true;
    for (const DcState& saved : dc->saved)
      if (saved.pen == h || saved.brush == h || saved.font == h || saved.bitmap == h) return true;
  }
  return false;
}

// The 8x8 hatch pattern rows; bit 7 is the leftmost pixel.
void HatchRows(int hatch, uint8_t rows[8]) {
  for (int y = 0; y < 8; ++y) {
    uint8_t row = 0;
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      bool horizontal = y == 4, vertical = x == 4, forward = x == y, backward = x + y == 7;
      switch (hatch) {
        case HS_HORIZONTAL: on = horizontal; break;
        case HS_VERTICAL: on = vertical; break;
        case HS_FDIAGONAL: on = forward; break;
        case HS_BDIAGONAL: on = backward; break;
        case HS_CROSS: on = horizontal || vertical; break;
        case HS_DIAGCROSS: on = forward || backward; break;
        default: break;
      }
      if (on) row |= static_cast<uint8_t>(0x80 >> x);
    }
    rows[y] = row;
  }
}

int CopyOut(const void* src, int size, int room, void* dst) {
  if (!dst) return size;
  int n = std::min(size, room);
  if (n <= 0) return 0;
  std::memcpy(dst, src, static_cast<size_t>(n));
  return n;
}

HGDIOBJ SelectIntoDc(DcObj& dc, HDC hdc, Object* obj, HGDIOBJ h) {
  DcState& s = dc.state;
  HGDIOBJ old = nullptr;
  switch (obj->kind) {
    case Kind::Pen: old = s.pen; s.pen = static_cast<HPEN>(h); break;
    case Kind::Brush: old = s.brush; s.brush = static_cast<HBRUSH>(h); break;
    case Kind::Font: old = s.font; s.font = static_cast<HFONT>(h); break;
    case Kind::Palette: old = s.palette; s.palette = static_cast<HPALETTE>(h); break;
    case Kind::Bitmap: {
      auto* bmp = static_cast<BitmapObj*>(obj);
      if (dc.type != DcType::Memory) return nullptr;
      // A bitmap lives in one DC at a time; the stock 1x1 bitmap in all fresh ones.
      if (!bmp->stock && bmp->selectedInto && bmp->selectedInto != hdc) return nullptr;
      old = s.bitmap;
      BitmapObj* previous = GetBitmap(old);
      if (previous && !previous->stock) previous->selectedInto = nullptr;
      if (!bmp->stock) bmp->selectedInto = hdc;
      s.bitmap = static_cast<HBITMAP>(h);
      dc.clipDirty = true;
      break;
    }
    case Kind::Region:
      return reinterpret_cast<HGDIOBJ>(
          static_cast<intptr_t>(SelectClipRgn(hdc, static_cast<HRGN>(h))));
    default: return nullptr;
  }
  return old;
}

}  // namespace

std::recursive_mutex& TableMutex() {
  static auto* mutex = new std::recursive_mutex();
  return *mutex;
}

HGDIOBJ Register(std::unique_ptr<Object> obj) {
  std::lock_guard lock(TableMutex());
  void* key = obj.get();
  if (obj->kind == Kind::Dc) Dcs().insert(static_cast<DcObj*>(obj.get()));
  Table()[key] = std::move(obj);
  return key;
}

size_t ObjectCount() {
  std::lock_guard lock(TableMutex());
  return Table().size();
}

Object* Lookup(HGDIOBJ h) {
  if (!h) return nullptr;
  std::lock_guard lock(TableMutex());
  auto it = Table().find(h);
  return it == Table().end() ? nullptr : it->second.get();
}

void Unregister(HGDIOBJ h) {
  std::lock_guard lock(TableMutex());
  Dcs().erase(static_cast<DcObj*>(h));
  Table().erase(h);
}

BrushObj* ResolveBrush(HBRUSH hbr, BrushObj* scratch) {
  auto value = reinterpret_cast<uintptr_t>(hbr);
  if (value >= 1 && value <= 31) {
    scratch->style = BS_SOLID;
    scratch->color = SystemColor(static_cast<int>(value) - 1);
    return scratch;
  }
  return GetBrush(hbr);
}

PenObj* CurrentPen(DcObj& dc) { return GetPen(dc.state.pen); }

uint32_t PenPixel(DcObj& dc, PenObj* pen) {
  return dc.DeviceColor(pen->dcPen ? dc.state.dcPenColor : pen->color);
}

Paint SolidPaint(uint32_t pixel) {
  Paint p;
  p.type = Paint::Type::Solid;
  p.color = pixel;
  return p;
}

Paint BrushPaint(DcObj& dc, HBRUSH brush) { return BrushPaint(dc, GetBrush(brush)); }

Paint BrushPaint(DcObj& dc, BrushObj* brush) {
  Paint p;
  if (!brush) return p;
  p.originX = dc.state.brushOrg.x;
  p.originY = dc.state.brushOrg.y;
  switch (brush->style) {
    case BS_SOLID:
      return SolidPaint(dc.DeviceColor(brush->dcBrush ? dc.state.dcBrushColor : brush->color));
    case BS_HATCHED:
      p.type = Paint::Type::Hatch;
      p.color = dc.DeviceColor(brush->color);
      p.background = dc.DeviceColor(dc.state.bkColor);
      p.opaque = dc.state.bkMode == OPAQUE;
      HatchRows(brush->hatch, p.hatchRows);
      return p;
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
      if (brush->pattern.empty()) return p;
      if (brush->patternMono) {
        // A black-and-white pattern paints in the DC's text and background colours.
        p.type = Paint::Type::Hatch;
        p.color = dc.DeviceColor(dc.state.textColor);
        p.background = dc.DeviceColor(dc.state.bkColor);
        p.opaque = true;
        if (brush->patternWidth == 8 && brush->patternHeight == 8) {
          for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
              if (brush->pattern[static_cast<size_t>(y) * 8 + x] == 0)
                p.hatchRows[y] |= static_cast<uint8_t>(0x80 >> x);
          return p;
        }
      }
      p.type = Paint::Type::Pattern;
      p.pattern = brush->pattern.data();
      p.patternWidth = brush->patternWidth;
      p.patternHeight = brush->patternHeight;
      return p;
    default:
      return p;
  }
}

}  // namespace compat::gdi

using namespace compat::gdi;

HGDIOBJ GetStockObject(int i) {
  if (i < 0 || i > DC_PEN) return nullptr;
  return Stock().objects[i];
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if ((style & PS_STYLE_MASK) > PS_ALTERNATE) return nullptr;
  // Wide pens draw solid whatever dash style they ask for.
  DWORD s = static_cast<DWORD>(style) & PS_STYLE_MASK;
  if (width > 1 && s != PS_NULL && s != PS_INSIDEFRAME) s = PS_SOLID;
  if (width > 1) s |= PS_GEOMETRIC;
  return MakePen(s, width, color, false);
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD count, const DWORD* entries) {
  if (!lb || width > 1u << 20) return nullptr;
  bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  if (!geometric && width != 1) return nullptr;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE) {
    if (count == 0 || count > 16 || !entries) return nullptr;
  } else if (count != 0) {
    return nullptr;
  }
  auto pen = std::make_unique<PenObj>();
  pen->style = style;
  pen->width = geometric ? static_cast<int>(width) : 0;
  pen->color = lb->lbColor & 0xFFFFFFu;
  pen->extended = true;
  if (lb->lbStyle == BS_NULL) pen->style = (style & ~PS_STYLE_MASK) | PS_NULL;
  if (entries) pen->userStyle.assign(entries, entries + count);
  return static_cast<HPEN>(Register(std::move(pen)));
}

HBRUSH CreateSolidBrush(COLORREF color) { return MakeBrush(BS_SOLID, color, 0, false); }

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  return MakeBrush(BS_HATCHED, color, hatch, false);
}

HBRUSH CreatePatternBrush(HBITMAP hbm) {
  BitmapObj* bmp = GetBitmap(hbm);
  if (!bmp) return nullptr;
  auto brush = std::make_unique<BrushObj>();
  brush->style = BS_PATTERN;
  brush->patternWidth = bmp->width;
  brush->patternHeight = bmp->height;
  brush->patternMono = bmp->mono;
  PixelView v = bmp->View();
  brush->pattern.resize(static_cast<size_t>(bmp->width) * bmp->height);
  for (int y = 0; y < bmp->height; ++y)
    std::memcpy(&brush->pattern[static_cast<size_t>(y) * bmp->width], v.Row(y),
                static_cast<size_t>(bmp->width) * 4);
  return static_cast<HBRUSH>(Register(std::move(brush)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT:
      return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), 0);
    default: return nullptr;
  }
}

HBRUSH CreateDIBPatternBrushPt(const void* packed, UINT usage) {
  if (!packed || usage != DIB_RGB_COLORS) return nullptr;
  const auto* info = static_cast<const BITMAPINFO*>(packed);
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount > 32) return nullptr;
  DWORD colors = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0u);
  if (colors > 256) return nullptr;
  size_t offset = h.biSize + colors * 4 + (h.biCompression == BI_BITFIELDS ? 12 : 0);
  // The pattern keeps the DIB's colours: a bitmap compatible with a memory DC
  // would be black and white.
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return nullptr;
  UINT rows = static_cast<UINT>(std::abs(h.biHeight));
  HBITMAP bmp = CreateBitmap(h.biWidth, static_cast<int>(rows), 1, 32, nullptr);
  if (!bmp) return nullptr;
  HDC screen = CreateCompatibleDC(nullptr);
  int copied = SetDIBits(screen, bmp, 0, rows, static_cast<const BYTE*>(packed) + offset, info, DIB_RGB_COLORS);
  DeleteDC(screen);
  if (copied == 0) {
    DeleteObject(bmp);
    return nullptr;
  }
  HBRUSH brush = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  if (BrushObj* b = GetBrush(brush)) b->style = BS_DIBPATTERNPT;
  return brush;
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palNumEntries == 0) return nullptr;
  auto pal = std::make_unique<PaletteObj>();
  pal->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return static_cast<HPALETTE>(Register(std::move(pal)));
}

HPALETTE CreateHalftonePalette(HDC) {
  // A 6x6x6 colour cube: what the program may realize; 32-bit surfaces ignore it.
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 216 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 216;
  for (int i = 0; i < 216; ++i)
    lp->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>((i % 6) * 51),
                                      static_cast<BYTE>(((i / 6) % 6) * 51),
                                      static_cast<BYTE>((i / 36) * 51), 0};
  return CreatePalette(lp);
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !GetPalette(pal)) return nullptr;
  HPALETTE old = dc->state.palette;
  dc->state.palette = pal;
  return old ? old : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

UINT RealizePalette(HDC hdc) { return GetDc(hdc) ? 0 : GDI_ERROR; }

UINT GetPaletteEntries(HPALETTE h, UINT start, UINT count, LPPALETTEENTRY out) {
  PaletteObj* pal = GetPalette(h);
  if (!pal) return 0;
  if (!out) return static_cast<UINT>(pal->entries.size());
  UINT n = 0;
  for (UINT i = start; i < pal->entries.size() && n < count; ++i) out[n++] = pal->entries[i];
  return n;
}

UINT GetSystemPaletteEntries(HDC, UINT, UINT, LPPALETTEENTRY) { return 0; }

COLORREF GetNearestColor(HDC hdc, COLORREF color) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  return ColorFromPixel(dc->DeviceColor(color));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  std::lock_guard lock(TableMutex());
  DcObj* dc = GetDc(hdc);
  Object* obj = Lookup(h);
  if (!dc || !obj) return nullptr;
  return SelectIntoDc(*dc, hdc, obj, h);
}

BOOL DeleteObject(HGDIOBJ h) {
  std::lock_guard lock(TableMutex());
  Object* obj = Lookup(h);
  if (!obj || obj->kind == Kind::Dc) return FALSE;
  if (obj->stock) return TRUE;
  if (SelectedSomewhere(h)) return FALSE;
  Table().erase(h);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ h) {
  Object* obj = Lookup(h);
  if (!obj) return 0;
  if (obj->kind == Kind::Dc) {
    auto* dc = static_cast<DcObj*>(obj);
    return dc->type == DcType::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  if (obj->kind == Kind::Pen && static_cast<PenObj*>(obj)->extended) return OBJ_EXTPEN;
  return static_cast<DWORD>(obj->kind);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: case OBJ_EXTPEN: return dc->state.pen;
    case OBJ_BRUSH: return dc->state.brush;
    case OBJ_FONT: return dc->state.font;
    case OBJ_BITMAP: return dc->state.bitmap;
    case OBJ_PAL: return dc->state.palette ? dc->state.palette : GetStockObject(DEFAULT_PALETTE);
    default: return nullptr;
  }
}

BOOL UnrealizeObject(HGDIOBJ h) { return Lookup(h) != nullptr; }

int GetObjectW(HANDLE h, int room, LPVOID out) {
  Object* obj = Lookup(h);
  if (!obj || room < 0) return 0;
  switch (obj->kind) {
    case Kind::Pen: {
      auto* pen = static_cast<PenObj*>(obj);
      if (pen->extended) {
        EXTLOGPEN ep{};
        ep.elpPenStyle = pen->style;
        ep.elpWidth = static_cast<DWORD>(pen->width);
        ep.elpBrushStyle = BS_SOLID;
        ep.elpColor = pen->color;
        ep.elpNumEntries = static_cast<DWORD>(pen->userStyle.size());
        return CopyOut(&ep, sizeof(ep), room, out);
      }
      LOGPEN lp{pen->style & PS_STYLE_MASK, POINT{pen->width, 0}, pen->color};
      return CopyOut(&lp, sizeof(lp), room, out);
    }
    case Kind::Brush: {
      auto* brush = static_cast<BrushObj*>(obj);
      LOGBRUSH lb{brush->style, brush->color, static_cast<ULONG_PTR>(brush->hatch)};
      return CopyOut(&lb, sizeof(lb), room, out);
    }
    case Kind::Font:
      return CopyOut(&static_cast<FontObj*>(obj)->lf, sizeof(LOGFONTW), room, out);
    case Kind::Palette: {
      WORD count = static_cast<WORD>(static_cast<PaletteObj*>(obj)->entries.size());
      return CopyOut(&count, sizeof(count), room, out);
    }
    case Kind::Bitmap: {
      auto* bmp = static_cast<BitmapObj*>(obj);
      DIBSECTION ds{};
      ds.dsBm.bmWidth = bmp->width;
      ds.dsBm.bmHeight = bmp->height;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = bmp->mono ? 1 : 32;
      ds.dsBm.bmWidthBytes = bmp->mono ? ((bmp->width + 15) / 16) * 2 : bmp->width * 4;
      if (bmp->dibSection) {
        ds.dsBm.bmBits = bmp->dibBits;
        ds.dsBmih = bmp->dibHeader;
        if (room >= static_cast<int>(sizeof(DIBSECTION))) return CopyOut(&ds, sizeof(ds), room, out);
      }
      return CopyOut(&ds.dsBm, sizeof(BITMAP), room, out);
    }
    default:
      return 0;
  }
}
