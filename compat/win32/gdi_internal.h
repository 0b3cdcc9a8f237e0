// GDI's private model: the objects behind handles, regions as rectangle bands,
// device contexts with their state, and the span painter every primitive uses.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "compat/host.h"
#include "compat/win32/gdi.h"
#include "compat/win32/gdi_advanced.h"

namespace compat::gdi {

// --- numbers ---

// Coordinates and counts worked out in floating point come from whatever a
// caller or a metafile hands us: scales of 1e30, infinities and NaN included.
// A value is clamped before it becomes an integer (converting one out of range
// is undefined); NaN reads as 0. The bound leaves room to add two such values.
inline constexpr double kIntLimit = 1 << 30;
inline int ClampToInt(double v, double lo = -kIntLimit, double hi = kIntLimit) {
  if (!(v == v)) return static_cast<int>(std::clamp(0.0, lo, hi));
  return static_cast<int>(std::clamp(v, lo, hi));
}
// Halves away from zero, as lround does.
inline int RoundToInt(double v) { return ClampToInt(std::round(v)); }

// --- pixels ---

// A 32-bit view of a drawing surface. Row stride may be negative (bottom-up DIBs).
struct PixelView {
  uint32_t* base = nullptr;  // row 0, column 0
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;  // in pixels
  uint32_t* Row(int y) const { return base + static_cast<ptrdiff_t>(y) * stride; }
  bool Valid() const { return base != nullptr && width > 0 && height > 0; }
};

// COLORREF (0x00BBGGRR) to a surface pixel (0xAARRGGBB); GDI leaves alpha 0.
inline uint32_t PixelFromColor(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF ColorFromPixel(uint32_t p) {
  return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}
// A monochrome surface holds only black and white.
inline uint32_t MonoPixel(uint32_t pixel) {
  unsigned lum = ((pixel >> 16) & 0xFF) * 30 + ((pixel >> 8) & 0xFF) * 59 + (pixel & 0xFF) * 11;
  return lum >= 128u * 100u ? 0x00FFFFFFu : 0u;
}

// Applies a binary raster operation (R2_*) bit by bit on the 24 colour bits.
inline uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dst) {
  switch (rop2) {
    case R2_COPYPEN: return pen & 0xFFFFFFu;
    case R2_XORPEN: return (pen ^ dst) & 0xFFFFFFu;
    case R2_NOP: return dst;
    default: break;
  }
  unsigned table = static_cast<unsigned>(rop2 - 1) & 15u;
  uint32_t out = 0;
  if (table & 1u) out |= ~pen & ~dst;
  if (table & 2u) out |= ~pen & dst;
  if (table & 4u) out |= pen & ~dst;
  if (table & 8u) out |= pen & dst;
  return out & 0xFFFFFFu;
}

// --- regions ---

// Disjoint rectangles in y-x bands: sorted by top, then left; rectangles of one
// band share top and bottom; touching rectangles in a band are merged.
class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r);
  static Region FromRects(const std::vector<RECT>& rects);
  // From per-row pixel spans: spans[i] lists [x0, x1) pairs of row top + i.
  static Region FromRowSpans(int top, const std::vector<std::vector<int>>& spans);
  static Region Combine(const Region& a, const Region& b, int mode);

  const std::vector<RECT>& Rects() const { return rects_; }
  bool Empty() const { return rects_.empty(); }
  RECT Box() const;
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int dx, int dy);
  bool operator==(const Region& other) const;
  // Calls f(x0, x1) for each part of row y's span [x0, x1) inside the region.
  template <class F>
  void ClipSpan(int y, int x0, int x1, F&& f) const;

 private:
  size_t FirstBandAtOrBelow(int y) const;
  std::vector<RECT> rects_;
};

template <class F>
void Region::ClipSpan(int y, int x0, int x1, F&& f) const {
  for (size_t i = FirstBandAtOrBelow(y); i < rects_.size(); ++i) {
    const RECT& r = rects_[i];
    if (r.top > y) break;
    if (r.bottom <= y) continue;
    int a = x0 > r.left ? x0 : r.left;
    int b = x1 < r.right ? x1 : r.right;
    if (a < b) f(a, b);
  }
}

// --- objects ---

enum class Kind : DWORD {
  Pen = OBJ_PEN, Brush = OBJ_BRUSH, Dc = OBJ_DC, Palette = OBJ_PAL, Font = OBJ_FONT,
  Bitmap = OBJ_BITMAP, Region = OBJ_REGION
};

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
};

struct PenObj : Object {
  PenObj() : Object(Kind::Pen) {}
  DWORD style = PS_SOLID;  // full style word: type, join, cap and dash bits
  int width = 1;           // logical units; 0 means one device pixel
  COLORREF color = 0;
  bool extended = false;   // made by ExtCreatePen
  bool dcPen = false;      // the stock DC_PEN: colour comes from the DC
  std::vector<DWORD> userStyle;
  int Dash() const { return static_cast<int>(style & PS_STYLE_MASK); }
};

struct BitmapObj;
struct BrushObj : Object {
  BrushObj() : Object(Kind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  bool dcBrush = false;  // the stock DC_BRUSH
  // Pattern brushes keep a copy of the pattern bitmap.
  int patternWidth = 0;
  int patternHeight = 0;
  bool patternMono = false;
  std::vector<uint32_t> pattern;
};

struct PaletteObj : Object {
  PaletteObj() : Object(Kind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

class FontFace;  // fonts.cpp
struct FontObj : Object {
  FontObj() : Object(Kind::Font) {}
  LOGFONTW lf{};
  std::shared_ptr<FontFace> face;  // resolved on first use
};

struct BitmapObj : Object {
  BitmapObj() : Object(Kind::Bitmap) {}
  int width = 0;
  int height = 0;
  bool mono = false;        // 1 bit per pixel as the program sees it; stored black/white
  bool dibSection = false;  // pixels live in `dibBits`, laid out as the program asked
  BITMAPINFOHEADER dibHeader{};
  std::vector<uint32_t> store;  // device bitmap pixels, top-down
  uint32_t* dibBits = nullptr;  // DIB section memory (32-bit)
  HDC selectedInto = nullptr;
  SIZE dimension{};             // SetBitmapDimensionEx value, kept for GetBitmapDimensionEx
  PixelView View();
  ~BitmapObj() override;
};

struct RegionObj : Object {
  RegionObj() : Object(Kind::Region) {}
  Region region;
};

enum class DcType { Memory, Window, Display };
struct GdiPath;  // gdi_paths.cpp

struct DcState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF dcBrushColor = 0xFFFFFF;
  COLORREF dcPenColor = 0x000000;
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int polyFillMode = ALTERNATE;
  int stretchMode = BLACKONWHITE;
  int mapMode = MM_TEXT;
  int arcDirection = AD_COUNTERCLOCKWISE;
  int graphicsMode = GM_COMPATIBLE;
  XFORM world{1, 0, 0, 1, 0, 0};  // applies under GM_ADVANCED
  double miterLimit = 10.0;
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  SIZE windowExt{1, 1};
  SIZE viewportExt{1, 1};
  POINT brushOrg{0, 0};
  POINT position{0, 0};  // current position, logical
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  int charExtra = 0;
  std::optional<Region> clip;  // user clip region, device coordinates
};

struct DcObj : Object {
  DcObj() : Object(Kind::Dc) {}
  DcType type = DcType::Memory;
  DcState state;
  std::vector<DcState> saved;
  HWND hwnd = nullptr;
  std::shared_ptr<host::Surface> surface;  // window and display DCs
  POINT origin{0, 0};                      // device (0,0) on the surface
  SIZE extent{0, 0};
  Region visible;  // window DCs: what may be drawn, device coordinates
  Region effectiveClip;  // visible/bitmap bounds ∩ user clip; device coordinates
  bool clipDirty = true;
  std::shared_ptr<GdiPath> path;  // BeginPath .. the next path operation

  PixelView View();
  bool Mono();
  const Region& Clip();
  // Logical to device coordinates under the mapping mode.
  POINT ToDevice(int x, int y) const;
  POINT ToLogical(int x, int y) const;
  // The same without rounding, for curves and paths.
  void ToDeviceExact(double x, double y, double* dx, double* dy) const;
  // The world transform turns or shears: boxes no longer stay boxes.
  bool WorldRotates() const;
  // A logical length along x or y in device pixels (magnitude).
  double ScaleX() const;
  double ScaleY() const;
  uint32_t DeviceColor(COLORREF c);  // also maps to black/white on a mono bitmap
};

// --- handle table ---

std::recursive_mutex& TableMutex();
HGDIOBJ Register(std::unique_ptr<Object> obj);
Object* Lookup(HGDIOBJ h);
void Unregister(HGDIOBJ h);  // frees the object behind the handle
size_t ObjectCount();  // live objects, stock ones included: tests find leaks with it
template <class T>
T* Get(HGDIOBJ h, Kind kind) {
  Object* o = Lookup(h);
  return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline DcObj* GetDc(HDC h) { return Get<DcObj>(h, Kind::Dc); }
inline PenObj* GetPen(HGDIOBJ h) { return Get<PenObj>(h, Kind::Pen); }
inline BrushObj* GetBrush(HGDIOBJ h) { return Get<BrushObj>(h, Kind::Brush); }
inline FontObj* GetFont(HGDIOBJ h) { return Get<FontObj>(h, Kind::Font); }
inline BitmapObj* GetBitmap(HGDIOBJ h) { return Get<BitmapObj>(h, Kind::Bitmap); }
inline RegionObj* GetRegion(HGDIOBJ h) { return Get<RegionObj>(h, Kind::Region); }
inline PaletteObj* GetPalette(HGDIOBJ h) { return Get<PaletteObj>(h, Kind::Palette); }
// A brush handle or a system colour index plus one, as FillRect accepts.
BrushObj* ResolveBrush(HBRUSH hbr, BrushObj* scratch);
DWORD SystemColor(int index);
// The system colour indices GDI's own drawing uses.
constexpr int kColorWindow = 5;
constexpr int kColorWindowFrame = 6;
constexpr int kColorWindowText = 8;
constexpr int kColor3DFace = 15;
constexpr int kColor3DShadow = 16;
constexpr int kColorGrayText = 17;
constexpr int kColorBtnText = 18;
constexpr int kColor3DHighlight = 20;
constexpr int kColor3DDkShadow = 21;
constexpr int kColor3DLight = 22;
// A new device bitmap, 32-bit or black/white.
BitmapObj* NewBitmap(int width, int height, bool mono, HBITMAP* handle);
// Limits on what a caller may ask for.
constexpr int kMaxBitmapSide = 32768;
constexpr int64_t kMaxBitmapPixels = 1ll << 28;

// --- painting ---

// What fills a span: a solid colour, a hatch or a pattern anchored at the brush origin.
struct Paint {
  enum class Type { None, Solid, Hatch, Pattern } type = Type::None;
  uint32_t color = 0;       // solid, hatch lines
  uint32_t background = 0;  // hatch background when opaque
  bool opaque = false;
  uint8_t hatchRows[8]{};
  const uint32_t* pattern = nullptr;
  int patternWidth = 0;
  int patternHeight = 0;
  int originX = 0;
  int originY = 0;
};

// Paints spans and pixels of one DC with its clip and a binary raster operation.
class Painter {
 public:
  explicit Painter(DcObj& dc);
  Painter(DcObj& dc, const Region* clip);  // with a narrower clip, in device coordinates
  bool Ready() const { return view_.Valid() && !clip_->Empty(); }
  void Span(int y, int x0, int x1, const Paint& paint, int rop2);
  void Pixel(int x, int y, uint32_t color, int rop2);
  void FillRect(const RECT& r, const Paint& paint, int rop2);
  void FillRegion(const Region& rgn, const Paint& paint, int rop2);
  // Blends a run of coverage values (0-255) of a colour, for anti-aliased text.
  void BlendSpan(int y, int x0, const uint8_t* coverage, int count, uint32_t color);
  const PixelView& View() const { return view_; }
  const Region& Clip() const { return *clip_; }

 private:
  void RawSpan(int y, int x0, int x1, const Paint& paint, int rop2);
  PixelView view_;
  const Region* clip_;
  bool mono_;
};

Paint BrushPaint(DcObj& dc, HBRUSH brush);
Paint BrushPaint(DcObj& dc, BrushObj* brush);
Paint SolidPaint(uint32_t pixel);
PenObj* CurrentPen(DcObj& dc);
uint32_t PenPixel(DcObj& dc, PenObj* pen);

// Polygon scan conversion in device coordinates (doubles, pixel centres at
// integers, half-open on the right and bottom). Fills the resulting spans.
struct Contour {
  std::vector<double> xs, ys;
  void Add(double x, double y) { xs.push_back(x); ys.push_back(y); }
  size_t Size() const { return xs.size(); }
};
void FillContours(Painter& painter, const std::vector<Contour>& contours, bool winding,
                  const Paint& paint, int rop2);
// The spans the contours cover, per row, without painting (regions use it).
Region ContoursToRegion(const std::vector<Contour>& contours, bool winding);

// Strokes: a polyline in device coordinates with the DC's current pen.
void StrokePolyline(DcObj& dc, Painter& painter, const std::vector<POINT>& pts, bool closed,
                    bool includeLast);
void StrokeContour(DcObj& dc, Painter& painter, const Contour& path, bool closed);
int DeviceWidth(DcObj& dc, PenObj* pen);
// Points of an elliptical arc in device coordinates (Arc, Pie, Chord).
Contour ArcPoints(DcObj& dc, int left, int top, int right, int bottom, int xs, int ys, int xe,
                  int ye);

// --- blits ---

// Where a blit's source pixels come from.
struct BlitSource {
  PixelView view;
  bool mono = false;
  uint32_t background = 0x00FFFFFF;  // the source DC's background, for colour to mono
};
// Optional parts of a blit beyond the raster operation.
struct BlitExtras {
  const uint32_t* transparent = nullptr;    // TransparentBlt: source pixels to skip
  const BLENDFUNCTION* blend = nullptr;     // AlphaBlend
  const PixelView* mask = nullptr;          // MaskBlt: black/white mask, 1:1 with the source
  int maskX = 0, maskY = 0;
  DWORD backRop = 0;                        // MaskBlt: ROP where the mask is black
};
// Copies source rectangle (xs, ys, ws, hs) to the destination rectangle
// (xd, yd, wd, hd), both in device pixels; a negative size mirrors. With no
// source only the pattern and destination take part.
bool StretchToDc(DcObj& dst, int xd, int yd, int wd, int hd, const BlitSource* src, int xs,
                 int ys, int ws, int hs, DWORD rop, const BlitExtras& extras = BlitExtras{});
// Decodes a packed DIB's rows to top-down 32-bit pixels; false for a header
// the platform would reject. `bits` rows are the DIB's own, first scan first.
bool DecodeDib(const BITMAPINFO* info, UINT usage, const void* bits, UINT firstScan, UINT scans,
               std::vector<uint32_t>* out, int* width, int* height);

// Marlett symbols, drawn as shapes into a cell.
bool IsMarlettFace(const WCHAR* face);
// Draws symbol `ch` filling the cell (left, top, size x size) in `color`.
void DrawMarlettSymbol(Painter& painter, WCHAR ch, int left, int top, int size, uint32_t color);

// --- world transforms and paths ---

// Under GM_ADVANCED with a transform other than identity.
bool HasWorldTransform(const DcState& s);
// True when the DC has an open path; the outline (device coordinates) went
// into it and the caller draws nothing.
bool RecordIntoPath(DcObj& dc, const std::vector<POINT>& pts, bool closed);
bool RecordContourIntoPath(DcObj& dc, const Contour& c, bool closed);
bool PathIsOpen(const DcObj& dc);
// MoveToEx inside a path starts a new figure.
void PathMoveTo(DcObj& dc);
// Shapes drawn as polygons of logical points when the world transform turns
// them; also how a dashed geometric pen outlines a rounded shape.
bool DrawTurnedRectangle(DcObj& dc, int left, int top, int right, int bottom);
bool DrawTurnedEllipse(DcObj& dc, int left, int top, int right, int bottom, double rx, double ry);
bool IsDashedGeometric(const PenObj* pen);
Contour TurnedArcPoints(DcObj& dc, int left, int top, int right, int bottom, int xs, int ys,
                        int xe, int ye);

// Fonts: the font selected into a DC (the system font when none is valid).
FontObj* CurrentFont(DcObj& dc);

}  // namespace compat::gdi
