// Plays an enhanced metafile's records through the GDI. Every record is read
// through a bounds-checked view of its own bytes; a record that does not fit
// the file ends the playback, one whose fields do not fit itself is skipped.
//
// Sections: record numbers · reading points · records by family · the loop
#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"
#include "compat/win32/metafile_canvas.h"

namespace compat::metafile {

namespace {

// --- record numbers ---
enum EmfRecord : uint32_t {
  kHeader = 1, kPolyBezier = 2, kPolygon = 3, kPolyline = 4, kPolyBezierTo = 5, kPolylineTo = 6,
  kPolyPolyline = 7, kPolyPolygon = 8, kSetWindowExtEx = 9, kSetWindowOrgEx = 10,
  kSetViewportExtEx = 11, kSetViewportOrgEx = 12, kSetBrushOrgEx = 13, kEof = 14, kSetPixelV = 15,
  kSetMapMode = 17, kSetBkMode = 18, kSetPolyFillMode = 19, kSetRop2 = 20, kSetStretchBltMode = 21,
  kSetTextAlign = 22, kSetTextColor = 24, kSetBkColor = 25, kMoveToEx = 27,
  kExcludeClipRect = 29, kIntersectClipRect = 30, kScaleViewportExtEx = 31,
  kScaleWindowExtEx = 32, kSaveDc = 33, kRestoreDc = 34, kSetWorldTransform = 35,
  kModifyWorldTransform = 36, kSelectObject = 37, kCreatePen = 38, kCreateBrushIndirect = 39,
  kDeleteObject = 40, kEllipse = 42, kRectangle = 43, kRoundRect = 44, kArc = 45, kChord = 46,
  kPie = 47, kSelectPalette = 48, kCreatePalette = 49, kRealizePalette = 52, kLineTo = 54,
  kArcTo = 55, kSetArcDirection = 57, kSetMiterLimit = 58, kBeginPath = 59, kEndPath = 60,
  kCloseFigure = 61, kFillPath = 62, kStrokeAndFillPath = 63, kStrokePath = 64,
  kSelectClipPath = 67, kAbortPath = 68, kFillRgn = 71, kFrameRgn = 72, kInvertRgn = 73,
  kPaintRgn = 74, kExtSelectClipRgn = 75, kBitBlt = 76, kStretchBlt = 77, kMaskBlt = 78,
  kPlgBlt = 79, kSetDiBitsToDevice = 80, kStretchDiBits = 81, kExtCreateFontIndirectW = 82, kExtTextOutA = 83,
  kExtTextOutW = 84, kPolyBezier16 = 85, kPolygon16 = 86, kPolyline16 = 87, kPolyBezierTo16 = 88,
  kPolylineTo16 = 89, kPolyPolyline16 = 90, kPolyPolygon16 = 91, kCreateDibPatternBrushPt = 94,
  kExtCreatePen = 95, kPolyTextOutA = 96, kPolyTextOutW = 97, kAlphaBlend = 114,
  kTransparentBlt = 116,
};

constexpr size_t kMaxTextChars = 1 << 16;
constexpr uint32_t kMaxObjects = 0xFFFF;

// --- reading points ---

// `count` points of 8 (or, short, 4) bytes at `offset`; false when they do not fit.
bool ReadPoints(const Bytes& rec, size_t offset, uint64_t count, bool shortPoints, std::vector<POINT>* out) {
  size_t each = shortPoints ? 4 : 8;
  if (count > rec.Size() / each || !rec.Has(offset, count * each)) return false;
  out->resize(count);
  for (size_t i = 0; i < count; ++i) {
    if (shortPoints) {
      int16_t x = 0, y = 0;
      rec.S16(offset + i * 4, &x);
      rec.S16(offset + i * 4 + 2, &y);
      (*out)[i] = POINT{x, y};
    } else {
      int32_t x = 0, y = 0;
      rec.S32(offset + i * 8, &x);
      rec.S32(offset + i * 8 + 4, &y);
      (*out)[i] = POINT{x, y};
    }
  }
  return true;
}

bool ReadRect(const Bytes& rec, size_t offset, RECT* r) {
  int32_t v[4];
  for (int i = 0; i < 4; ++i)
    if (!rec.S32(offset + 4 * i, &v[i])) return false;
  *r = RECT{v[0], v[1], v[2], v[3]};
  return true;
}

bool ReadXform(const Bytes& rec, size_t offset, XFORM* x) {
  float v[6];
  for (int i = 0; i < 6; ++i)
    if (!rec.F32(offset + 4 * i, &v[i])) return false;
  *x = XFORM{v[0], v[1], v[2], v[3], v[4], v[5]};
  return true;
}

// --- records by family ---

void PlayPoly(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  bool shortPoints = type >= kPolyBezier16;
  uint32_t count = 0;
  std::vector<POINT> pts;
  if (!rec.U32(24, &count) || !ReadPoints(rec, 28, count, shortPoints, &pts) || pts.empty()) return;
  HDC dc = c.Dc();
  int n = static_cast<int>(pts.size());
  switch (shortPoints ? type - kPolyBezier16 + kPolyBezier : type) {
    case kPolyBezier: PolyBezier(dc, pts.data(), static_cast<DWORD>(n)); break;
    case kPolygon: Polygon(dc, pts.data(), n); break;
    case kPolyline: Polyline(dc, pts.data(), n); break;
    case kPolyBezierTo: PolyBezierTo(dc, pts.data(), static_cast<DWORD>(n)); break;
    case kPolylineTo: PolylineTo(dc, pts.data(), static_cast<DWORD>(n)); break;
    default: break;
  }
}

void PlayPolyPoly(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  bool shortPoints = type >= kPolyPolyline16;
  uint32_t polys = 0, total = 0;
  if (!rec.U32(24, &polys) || !rec.U32(28, &total) || polys == 0 || polys > rec.Size() / 4) return;
  std::vector<DWORD> counts(polys);
  uint64_t sum = 0;
  for (uint32_t i = 0; i < polys; ++i) {
    if (!rec.U32(32 + size_t{i} * 4, &counts[i])) return;
    sum += counts[i];
  }
  if (sum != total) return;
  std::vector<POINT> pts;
  if (!ReadPoints(rec, 32 + size_t{polys} * 4, total, shortPoints, &pts)) return;
  bool polygon = (shortPoints ? type - kPolyPolyline16 + kPolyPolyline : type) == kPolyPolygon;
  if (polygon) {
    std::vector<INT> ints(counts.begin(), counts.end());
    for (INT v : ints)
      if (v < 0) return;
    PolyPolygon(c.Dc(), pts.data(), ints.data(), static_cast<int>(polys));
  } else {
    PolyPolyline(c.Dc(), pts.data(), counts.data(), polys);
  }
}

// Where the line from the box's centre through (x, y) meets the ellipse in the box.
POINT RadialPoint(const RECT& r, int x, int y) {
  double cx = (r.left + double(r.right)) / 2, cy = (r.top + double(r.bottom)) / 2;
  double rx = std::fabs(double(r.right) - r.left) / 2, ry = std::fabs(double(r.bottom) - r.top) / 2;
  double dx = x - cx, dy = y - cy;
  if (rx == 0 || ry == 0 || (dx == 0 && dy == 0)) return POINT{static_cast<LONG>(cx), static_cast<LONG>(cy)};
  double t = 1 / std::sqrt((dx / rx) * (dx / rx) + (dy / ry) * (dy / ry));
  return POINT{static_cast<LONG>(std::lround(cx + t * dx)), static_cast<LONG>(std::lround(cy + t * dy))};
}

void PlayShape(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  RECT r;
  if (!ReadRect(rec, 8, &r)) return;
  HDC dc = c.Dc();
  int32_t v[4] = {};
  if (type == kRectangle) {
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  } else if (type == kEllipse) {
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
  } else if (type == kRoundRect) {
    if (rec.S32(24, &v[0]) && rec.S32(28, &v[1])) RoundRect(dc, r.left, r.top, r.right, r.bottom, v[0], v[1]);
  } else {
    for (int i = 0; i < 4; ++i)
      if (!rec.S32(24 + 4 * i, &v[i])) return;
    switch (type) {
      case kArc: Arc(dc, r.left, r.top, r.right, r.bottom, v[0], v[1], v[2], v[3]); break;
      case kChord: Chord(dc, r.left, r.top, r.right, r.bottom, v[0], v[1], v[2], v[3]); break;
      case kPie: Pie(dc, r.left, r.top, r.right, r.bottom, v[0], v[1], v[2], v[3]); break;
      case kArcTo: {
        // A line from the current position to the arc's start, the arc, and
        // the current position at its end.
        POINT from = RadialPoint(r, v[0], v[1]), to = RadialPoint(r, v[2], v[3]);
        LineTo(dc, from.x, from.y);
        Arc(dc, r.left, r.top, r.right, r.bottom, v[0], v[1], v[2], v[3]);
        MoveToEx(dc, to.x, to.y, nullptr);
        break;
      }
      default: break;
    }
  }
}

void PlayCreatePen(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0, style = 0, color = 0;
  int32_t width = 0;
  if (!rec.U32(8, &slot) || !rec.U32(12, &style) || !rec.S32(16, &width) || !rec.U32(24, &color)) return;
  c.Store(slot, CreatePen(static_cast<int>(style & PS_STYLE_MASK), std::clamp(width, 0, 1 << 20), color));
}

void PlayExtCreatePen(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0, style = 0, width = 0, brushStyle = 0, color = 0, hatch = 0, entries = 0;
  if (!rec.U32(8, &slot) || !rec.U32(28, &style) || !rec.U32(32, &width) || !rec.U32(36, &brushStyle) ||
      !rec.U32(40, &color) || !rec.U32(44, &hatch) || !rec.U32(48, &entries))
    return;
  std::vector<DWORD> dashes;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE) {
    if (entries == 0 || entries > 16 || !rec.Has(52, size_t{entries} * 4)) return;
    dashes.resize(entries);
    for (uint32_t i = 0; i < entries; ++i) rec.U32(52 + size_t{i} * 4, &dashes[i]);
  }
  // Pattern-brush pens draw in their colour: the pattern is not kept.
  LOGBRUSH brush{static_cast<UINT>(brushStyle == BS_HATCHED ? BS_HATCHED : BS_SOLID), color, hatch};
  if (brushStyle == BS_NULL) brush.lbStyle = BS_NULL;
  HPEN pen = ExtCreatePen(style, std::min<uint32_t>(width, 1 << 20), &brush,
                          static_cast<DWORD>(dashes.size()), dashes.empty() ? nullptr : dashes.data());
  if (!pen) pen = CreatePen(PS_SOLID, static_cast<int>(std::min<uint32_t>(width, 1 << 20)), color);
  c.Store(slot, pen);
}

void PlayCreateBrush(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0, style = 0, color = 0, hatch = 0;
  if (!rec.U32(8, &slot) || !rec.U32(12, &style) || !rec.U32(16, &color) || !rec.U32(20, &hatch)) return;
  LOGBRUSH lb{style, color, hatch};
  if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) lb.lbStyle = BS_SOLID;
  if (lb.lbStyle == BS_HATCHED && hatch > HS_DIAGCROSS) lb.lbStyle = BS_SOLID;
  c.Store(slot, CreateBrushIndirect(&lb));
}

void PlayDibPatternBrush(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0, usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
  if (!rec.U32(8, &slot) || !rec.U32(12, &usage) || !rec.U32(16, &offBmi) || !rec.U32(20, &cbBmi) ||
      !rec.U32(24, &offBits) || !rec.U32(28, &cbBits))
    return;
  DibCopy dib;
  if (!c.Dib(rec.Sub(offBmi, cbBmi), rec.Sub(offBits, cbBits), usage, 0, &dib)) {
    c.Store(slot, nullptr);
    return;
  }
  std::vector<uint32_t> packed = dib.Packed();
  c.Store(slot, CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS));
}

void PlayCreateFont(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0;
  LOGFONTW lf{};
  if (!rec.U32(8, &slot) || !rec.Has(12, sizeof(LOGFONTW))) return;
  std::memcpy(&lf, rec.Data() + 12, sizeof(LOGFONTW));
  c.StoreFont(slot, lf);
}

void PlayCreatePalette(MetafileCanvas& c, const Bytes& rec) {
  uint32_t slot = 0;
  uint16_t version = 0, count = 0;
  if (!rec.U32(8, &slot) || !rec.U16(12, &version) || !rec.U16(14, &count) || count == 0 ||
      !rec.Has(16, size_t{count} * 4))
    return;
  std::vector<uint8_t> block(4 + size_t{count} * 4);
  std::memcpy(block.data(), rec.Data() + 12, block.size());
  uint16_t fixedVersion = 0x300;
  std::memcpy(block.data(), &fixedVersion, 2);
  std::vector<uint32_t> aligned((block.size() + 3) / 4);
  std::memcpy(aligned.data(), block.data(), block.size());
  c.Store(slot, CreatePalette(reinterpret_cast<const LOGPALETTE*>(aligned.data())));
}

// One EMRTEXT block at `at`: reference point, characters, options, rectangle
// and widths; its offsets count from the record's start.
void PlayTextBlock(MetafileCanvas& c, bool wide, const Bytes& rec, size_t at) {
  int32_t x = 0, y = 0;
  uint32_t chars = 0, offString = 0, options = 0, offDx = 0;
  RECT r{};
  if (!rec.S32(at, &x) || !rec.S32(at + 4, &y) || !rec.U32(at + 8, &chars) || !rec.U32(at + 12, &offString) ||
      !rec.U32(at + 16, &options) || !ReadRect(rec, at + 20, &r) || !rec.U32(at + 36, &offDx))
    return;
  if (chars == 0 && !(options & ETO_OPAQUE)) return;
  if (chars > kMaxTextChars) return;
  // Glyph indexes are 16-bit whatever the record's kind; small characters are
  // the low bytes of wide ones.
  bool glyphs = (options & ETO_GLYPH_INDEX) != 0;
  bool wideUnits = glyphs || (wide && !(options & ETO_SMALL_CHARS));
  if (!rec.Has(offString, size_t{chars} * (wideUnits ? 2 : 1))) return;
  std::vector<WCHAR> text(chars);
  for (uint32_t i = 0; i < chars; ++i) {
    if (wideUnits) {
      uint16_t u = 0;
      rec.U16(offString + size_t{i} * 2, &u);
      text[i] = static_cast<WCHAR>(u);
    } else {
      uint8_t b = 0;
      rec.U8(offString + i, &b);
      text[i] = static_cast<WCHAR>(b);
    }
  }
  std::vector<INT> dx;
  if (offDx != 0 && rec.Has(offDx, size_t{chars} * 4)) {
    dx.resize(chars);
    for (uint32_t i = 0; i < chars; ++i) {
      int32_t v = 0;
      rec.S32(offDx + size_t{i} * 4, &v);
      dx[i] = std::clamp(v, -(1 << 20), 1 << 20);
    }
  }
  bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  c.Text(x, y, options, hasRect ? &r : nullptr, text.data(), chars, dx.empty() ? nullptr : dx.data());
}

void PlayText(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  PlayTextBlock(c, type == kExtTextOutW, rec, 36);
}

// POLYTEXTOUT: a count of EMRTEXT blocks after the graphics mode and scales,
// each drawn as its own text output.
void PlayPolyText(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  constexpr size_t kFirstBlock = 40, kBlockBytes = 40;
  uint32_t count = 0;
  if (!rec.U32(36, &count) || count > rec.Size() / kBlockBytes || !rec.Has(kFirstBlock, size_t{count} * kBlockBytes))
    return;
  for (uint32_t i = 0; i < count; ++i) PlayTextBlock(c, type == kPolyTextOutW, rec, kFirstBlock + size_t{i} * kBlockBytes);
}

// A RGNDATA block of `size` bytes at `offset`: a 32-byte header whose third
// field counts the rectangles that follow it.
bool ReadRegionData(const Bytes& rec, size_t offset, uint32_t size, std::vector<RECT>* rects) {
  uint32_t count = 0;
  if (size < 32 || !rec.Has(offset, size) || !rec.U32(offset + 8, &count) || count > (size - 32) / 16) return false;
  rects->resize(count);
  for (uint32_t i = 0; i < count; ++i)
    if (!ReadRect(rec, offset + 32 + size_t{i} * 16, &(*rects)[i])) return false;
  return true;
}

// FILLRGN and FRAMERGN name a brush of the table; INVERTRGN and PAINTRGN none.
void PlayRegion(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  uint32_t size = 0, brush = 0;
  int32_t w = 0, h = 0;
  std::vector<RECT> rects;
  if (!rec.U32(24, &size)) return;
  switch (type) {
    case kFillRgn:
      if (rec.U32(28, &brush) && ReadRegionData(rec, 32, size, &rects))
        c.PaintRegion(rects, RegionPaint::kFill, static_cast<HBRUSH>(c.Object(brush)), 0, 0);
      break;
    case kFrameRgn:
      if (rec.U32(28, &brush) && rec.S32(32, &w) && rec.S32(36, &h) && ReadRegionData(rec, 40, size, &rects))
        c.PaintRegion(rects, RegionPaint::kFrame, static_cast<HBRUSH>(c.Object(brush)), w, h);
      break;
    default:
      if (ReadRegionData(rec, 28, size, &rects))
        c.PaintRegion(rects, type == kInvertRgn ? RegionPaint::kInvert : RegionPaint::kPaint, nullptr, 0, 0);
      break;
  }
}

void PlayClipRegion(MetafileCanvas& c, const Bytes& rec) {
  uint32_t size = 0, mode = 0, count = 0;
  if (!rec.U32(8, &size) || !rec.U32(12, &mode) || mode < RGN_AND || mode > RGN_COPY) return;
  if (size == 0) {
    c.SelectClip({}, true, static_cast<int>(mode));
    return;
  }
  // The region data: a 32-byte header whose third field counts the rectangles.
  if (size < 32 || !rec.Has(16, size) || !rec.U32(24, &count) || count > (size - 32) / 16) return;
  std::vector<RECT> rects(count);
  for (uint32_t i = 0; i < count; ++i)
    if (!ReadRect(rec, 48 + size_t{i} * 16, &rects[i])) return;
  c.SelectClip(rects, false, static_cast<int>(mode));
}

// BITBLT and STRETCHBLT: a source bitmap with its own rectangle, or only a
// pattern operation when the record carries no bitmap.
void PlayBlt(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  int32_t xd = 0, yd = 0, cxd = 0, cyd = 0, xs = 0, ys = 0, cxs = 0, cys = 0;
  uint32_t rop = 0, usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
  if (!rec.S32(24, &xd) || !rec.S32(28, &yd) || !rec.S32(32, &cxd) || !rec.S32(36, &cyd) ||
      !rec.U32(40, &rop) || !rec.S32(44, &xs) || !rec.S32(48, &ys) || !rec.U32(80, &usage) ||
      !rec.U32(84, &offBmi) || !rec.U32(88, &cbBmi) || !rec.U32(92, &offBits) || !rec.U32(96, &cbBits))
    return;
  cxs = cxd;
  cys = cyd;
  if (type == kStretchBlt && (!rec.S32(100, &cxs) || !rec.S32(104, &cys))) return;
  if (cbBmi == 0) {
    PatBlt(c.Dc(), xd, yd, cxd, cyd, rop);
    return;
  }
  DibCopy dib;
  if (!c.Dib(rec.Sub(offBmi, cbBmi), rec.Sub(offBits, cbBits), usage, 0, &dib)) return;
  // The record's source rectangle counts from the bitmap's top row; its
  // fields may lie anywhere in 32 bits, so the row is worked out in 64.
  const int64_t fromTop = int64_t{dib.Height()} - ys - cys;
  int ySource = dib.Info()->bmiHeader.biHeight > 0
                    ? static_cast<int>(std::clamp<int64_t>(fromTop, INT32_MIN, INT32_MAX))
                    : ys;
  StretchDIBits(c.Dc(), xd, yd, cxd, cyd, xs, ySource, cxs, cys, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                rop);
}

void PlayStretchDib(MetafileCanvas& c, const Bytes& rec) {
  int32_t xd = 0, yd = 0, xs = 0, ys = 0, cxs = 0, cys = 0, cxd = 0, cyd = 0;
  uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0, rop = 0;
  if (!rec.S32(24, &xd) || !rec.S32(28, &yd) || !rec.S32(32, &xs) || !rec.S32(36, &ys) ||
      !rec.S32(40, &cxs) || !rec.S32(44, &cys) || !rec.U32(48, &offBmi) || !rec.U32(52, &cbBmi) ||
      !rec.U32(56, &offBits) || !rec.U32(60, &cbBits) || !rec.U32(64, &usage) || !rec.U32(68, &rop) ||
      !rec.S32(72, &cxd) || !rec.S32(76, &cyd))
    return;
  DibCopy dib;
  if (!c.Dib(rec.Sub(offBmi, cbBmi), rec.Sub(offBits, cbBits), usage, 0, &dib)) return;
  StretchDIBits(c.Dc(), xd, yd, cxd, cyd, xs, ys, cxs, cys, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, rop);
}

// Played as a stretch of the same size, so that the playback's scale applies.
void PlaySetDibits(MetafileCanvas& c, const Bytes& rec) {
  int32_t xd = 0, yd = 0, xs = 0, ys = 0, cxs = 0, cys = 0;
  uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0, start = 0, scans = 0;
  if (!rec.S32(24, &xd) || !rec.S32(28, &yd) || !rec.S32(32, &xs) || !rec.S32(36, &ys) ||
      !rec.S32(40, &cxs) || !rec.S32(44, &cys) || !rec.U32(48, &offBmi) || !rec.U32(52, &cbBmi) ||
      !rec.U32(56, &offBits) || !rec.U32(60, &cbBits) || !rec.U32(64, &usage) || !rec.U32(68, &start) ||
      !rec.U32(72, &scans))
    return;
  DibCopy dib;
  if (!c.Dib(rec.Sub(offBmi, cbBmi), rec.Sub(offBits, cbBits), usage, scans, &dib)) return;
  StretchDIBits(c.Dc(), xd, yd, cxs, cys, xs, ys, cxs, cys, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
}

// A record's bitmap in a memory DC, as 32-bit pixels with their alpha bytes,
// for the blits that take a source DC; a monochrome copy serves as a mask.
class SourceBitmap {
 public:
  SourceBitmap(const DibCopy& dib, bool mono) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!gdi::DecodeDib(dib.Info(), DIB_RGB_COLORS, dib.bits.data(), 0, static_cast<UINT>(dib.Height()),
                        &pixels, &w, &h))
      return;
    if (mono) {
      bitmap_ = CreateBitmap(w, h, 1, 1, nullptr);
      if (bitmap_) SetDIBits(nullptr, bitmap_, 0, static_cast<UINT>(dib.Height()), dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
    } else {
      BITMAPINFO bi{};
      bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      void* bits = nullptr;
      bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (bitmap_ && bits) std::memcpy(bits, pixels.data(), pixels.size() * 4);
    }
    if (!bitmap_) return;
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_) old_ = SelectObject(dc_, bitmap_);
  }
  ~SourceBitmap() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  SourceBitmap(const SourceBitmap&) = delete;
  SourceBitmap& operator=(const SourceBitmap&) = delete;
  HDC Dc() const { return dc_; }
  HBITMAP Bitmap() const { return bitmap_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The bitmap whose header and rows sit at the four fields from `at` (offBmi,
// cbBmi, offBits, cbBits), with its usage at `usageAt`.
bool RecordDib(MetafileCanvas& c, const Bytes& rec, size_t usageAt, size_t at, DibCopy* dib) {
  uint32_t usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
  if (!rec.U32(usageAt, &usage) || !rec.U32(at, &offBmi) || !rec.U32(at + 4, &cbBmi) ||
      !rec.U32(at + 8, &offBits) || !rec.U32(at + 12, &cbBits) || cbBmi == 0)
    return false;
  return c.Dib(rec.Sub(offBmi, cbBmi), rec.Sub(offBits, cbBits), usage, 0, dib);
}

// MASKBLT: the foreground operation where the mask is white, the background
// one (the ROP4's high byte) where it is black; without a mask a plain blit.
void PlayMaskBlt(MetafileCanvas& c, const Bytes& rec) {
  int32_t xd = 0, yd = 0, cxd = 0, cyd = 0, xs = 0, ys = 0, xm = 0, ym = 0;
  uint32_t rop4 = 0, cbMask = 0;
  if (!rec.S32(24, &xd) || !rec.S32(28, &yd) || !rec.S32(32, &cxd) || !rec.S32(36, &cyd) ||
      !rec.U32(40, &rop4) || !rec.S32(44, &xs) || !rec.S32(48, &ys) || !rec.S32(100, &xm) ||
      !rec.S32(104, &ym) || !rec.U32(116, &cbMask))
    return;
  DibCopy source, mask;
  if (!RecordDib(c, rec, 80, 84, &source)) {
    PatBlt(c.Dc(), xd, yd, cxd, cyd, rop4 & 0x00FFFFFF);
    return;
  }
  SourceBitmap src(source, false);
  if (!src.Dc()) return;
  if (cbMask == 0 || !RecordDib(c, rec, 108, 112, &mask)) {
    BitBlt(c.Dc(), xd, yd, cxd, cyd, src.Dc(), xs, ys, rop4 & 0x00FFFFFF);
    return;
  }
  SourceBitmap maskBits(mask, true);
  if (maskBits.Bitmap()) MaskBlt(c.Dc(), xd, yd, cxd, cyd, src.Dc(), xs, ys, maskBits.Bitmap(), xm, ym, rop4);
}

// ALPHABLEND and TRANSPARENTBLT share STRETCHBLT's layout; the field after
// the destination is the blend function or the transparent colour.
void PlayKeyedBlt(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  int32_t xd = 0, yd = 0, cxd = 0, cyd = 0, xs = 0, ys = 0, cxs = 0, cys = 0;
  uint32_t how = 0;
  if (!rec.S32(24, &xd) || !rec.S32(28, &yd) || !rec.S32(32, &cxd) || !rec.S32(36, &cyd) ||
      !rec.U32(40, &how) || !rec.S32(44, &xs) || !rec.S32(48, &ys) || !rec.S32(100, &cxs) ||
      !rec.S32(104, &cys))
    return;
  DibCopy source;
  if (!RecordDib(c, rec, 80, 84, &source)) return;
  SourceBitmap src(source, false);
  if (!src.Dc()) return;
  if (type == kTransparentBlt) {
    TransparentBlt(c.Dc(), xd, yd, cxd, cyd, src.Dc(), xs, ys, cxs, cys, how & 0x00FFFFFF);
  } else {
    BLENDFUNCTION blend{static_cast<BYTE>(how), static_cast<BYTE>(how >> 8), static_cast<BYTE>(how >> 16),
                        static_cast<BYTE>(how >> 24)};
    AlphaBlend(c.Dc(), xd, yd, cxd, cyd, src.Dc(), xs, ys, cxs, cys, blend);
  }
}

// PLGBLT: the source rectangle onto the parallelogram of three points (upper
// left, upper right, lower left), through an optional mask.
void PlayPlgBlt(MetafileCanvas& c, const Bytes& rec) {
  std::vector<POINT> pts;
  int32_t xs = 0, ys = 0, cxs = 0, cys = 0, xm = 0, ym = 0;
  uint32_t cbMask = 0;
  if (!ReadPoints(rec, 24, 3, false, &pts) || !rec.S32(48, &xs) || !rec.S32(52, &ys) ||
      !rec.S32(56, &cxs) || !rec.S32(60, &cys) || !rec.S32(112, &xm) || !rec.S32(116, &ym) ||
      !rec.U32(128, &cbMask))
    return;
  DibCopy source, mask;
  if (!RecordDib(c, rec, 92, 96, &source)) return;
  SourceBitmap src(source, false);
  if (!src.Dc()) return;
  if (cbMask == 0 || !RecordDib(c, rec, 120, 124, &mask)) {
    PlgBlt(c.Dc(), pts.data(), src.Dc(), xs, ys, cxs, cys, nullptr, 0, 0);
    return;
  }
  SourceBitmap maskBits(mask, true);
  if (maskBits.Bitmap()) PlgBlt(c.Dc(), pts.data(), src.Dc(), xs, ys, cxs, cys, maskBits.Bitmap(), xm, ym);
}

void PlayPath(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  HDC dc = c.Dc();
  switch (type) {
    case kBeginPath: BeginPath(dc); break;
    case kEndPath: EndPath(dc); break;
    case kCloseFigure: CloseFigure(dc); break;
    case kFillPath: FillPath(dc); break;
    case kStrokeAndFillPath: StrokeAndFillPath(dc); break;
    case kStrokePath: StrokePath(dc); break;
    case kAbortPath: AbortPath(dc); break;
    case kSelectClipPath: {
      uint32_t mode = 0;
      if (rec.U32(8, &mode)) SelectClipPath(dc, static_cast<int>(mode));
      break;
    }
    default: break;
  }
}

void PlayMiterLimit(MetafileCanvas& c, const Bytes& rec) {
  // Written as a float by some writers and as a whole number by others.
  float f = 0;
  uint32_t u = 0;
  if (!rec.F32(8, &f) || !rec.U32(8, &u)) return;
  float limit = std::isfinite(f) && f >= 1 && f <= 1e6f ? f : static_cast<float>(u);
  SetMiterLimit(c.Dc(), limit, nullptr);
}

// State records: one 32-bit value, or a pair, at offset 8.
void PlayState(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  uint32_t u = 0;
  int32_t a = 0, b = 0, n[4] = {};
  if (!rec.U32(8, &u)) return;
  rec.S32(8, &a);
  bool pair = rec.S32(12, &b);
  HDC dc = c.Dc();
  switch (type) {
    case kSetMapMode: c.SetMapMode(a); break;
    case kSetBkMode: SetBkMode(dc, a); break;
    case kSetPolyFillMode: SetPolyFillMode(dc, a); break;
    case kSetRop2: SetROP2(dc, a); break;
    case kSetStretchBltMode: SetStretchBltMode(dc, a); break;
    case kSetTextAlign: SetTextAlign(dc, u); break;
    case kSetTextColor: SetTextColor(dc, u & 0x00FFFFFF); break;
    case kSetBkColor: SetBkColor(dc, u & 0x00FFFFFF); break;
    case kSetArcDirection: SetArcDirection(dc, a); break;
    case kSelectObject: c.Select(u); break;
    case kDeleteObject: c.Delete(u); break;
    case kSelectPalette: c.Select(u); break;
    case kRestoreDc: c.Restore(a); break;
    default: break;
  }
  if (!pair) return;
  switch (type) {
    case kSetWindowExtEx: c.SetWindowExt(a, b); break;
    case kSetWindowOrgEx: c.SetWindowOrg(a, b); break;
    case kSetViewportExtEx: c.SetViewportExt(a, b); break;
    case kSetViewportOrgEx: c.SetViewportOrg(a, b); break;
    case kSetBrushOrgEx: SetBrushOrgEx(dc, a, b, nullptr); break;
    case kMoveToEx: MoveToEx(dc, a, b, nullptr); break;
    case kLineTo: LineTo(dc, a, b); break;
    case kSetPixelV: {
      uint32_t color = 0;
      if (rec.U32(16, &color)) SetPixelV(dc, a, b, color & 0x00FFFFFF);
      break;
    }
    case kScaleViewportExtEx:
    case kScaleWindowExtEx:
      for (int i = 0; i < 4; ++i)
        if (!rec.S32(8 + 4 * i, &n[i])) return;
      if (type == kScaleViewportExtEx)
        c.ScaleViewportExt(n[0], n[1], n[2], n[3]);
      else
        c.ScaleWindowExt(n[0], n[1], n[2], n[3]);
      break;
    case kExcludeClipRect:
    case kIntersectClipRect: {
      RECT r;
      if (!ReadRect(rec, 8, &r)) return;
      if (type == kExcludeClipRect)
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
      else
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
      break;
    }
    case kSetWorldTransform:
    case kModifyWorldTransform: {
      XFORM x;
      if (!ReadXform(rec, 8, &x)) return;
      if (type == kSetWorldTransform) {
        c.SetWorld(x);
      } else {
        uint32_t mode = 0;
        if (rec.U32(32, &mode)) c.ModifyWorld(x, mode);
      }
      break;
    }
    default: break;
  }
}

void PlayRecord(MetafileCanvas& c, uint32_t type, const Bytes& rec) {
  switch (type) {
    case kPolyBezier: case kPolygon: case kPolyline: case kPolyBezierTo: case kPolylineTo:
    case kPolyBezier16: case kPolygon16: case kPolyline16: case kPolyBezierTo16: case kPolylineTo16:
      PlayPoly(c, type, rec);
      break;
    case kPolyPolyline: case kPolyPolygon: case kPolyPolyline16: case kPolyPolygon16:
      PlayPolyPoly(c, type, rec);
      break;
    case kEllipse: case kRectangle: case kRoundRect: case kArc: case kChord: case kPie: case kArcTo:
      PlayShape(c, type, rec);
      break;
    case kCreatePen: PlayCreatePen(c, rec); break;
    case kExtCreatePen: PlayExtCreatePen(c, rec); break;
    case kCreateBrushIndirect: PlayCreateBrush(c, rec); break;
    case kCreateDibPatternBrushPt: PlayDibPatternBrush(c, rec); break;
    case kExtCreateFontIndirectW: PlayCreateFont(c, rec); break;
    case kCreatePalette: PlayCreatePalette(c, rec); break;
    case kExtTextOutW: case kExtTextOutA: PlayText(c, type, rec); break;
    case kPolyTextOutW: case kPolyTextOutA: PlayPolyText(c, type, rec); break;
    case kFillRgn: case kFrameRgn: case kInvertRgn: case kPaintRgn: PlayRegion(c, type, rec); break;
    case kMaskBlt: PlayMaskBlt(c, rec); break;
    case kPlgBlt: PlayPlgBlt(c, rec); break;
    case kAlphaBlend: case kTransparentBlt: PlayKeyedBlt(c, type, rec); break;
    case kExtSelectClipRgn: PlayClipRegion(c, rec); break;
    case kBitBlt: case kStretchBlt: PlayBlt(c, type, rec); break;
    case kStretchDiBits: PlayStretchDib(c, rec); break;
    case kSetDiBitsToDevice: PlaySetDibits(c, rec); break;
    case kBeginPath: case kEndPath: case kCloseFigure: case kFillPath: case kStrokeAndFillPath:
    case kStrokePath: case kAbortPath: case kSelectClipPath:
      PlayPath(c, type, rec);
      break;
    case kSetMiterLimit: PlayMiterLimit(c, rec); break;
    case kSaveDc: c.Save(); break;
    case kRealizePalette: RealizePalette(c.Dc()); break;
    default: PlayState(c, type, rec); break;  // unknown records fall through it untouched
  }
}

// Reference-device units to the destination: the frame (hundredths of a
// millimetre) in device units, or the bounds when the frame is empty, onto `rect`.
XFORM PlaybackTransform(const ENHMETAHEADER& h, const RECT& rect, double* pxPerMmX, double* pxPerMmY) {
  *pxPerMmX = h.szlMillimeters.cx > 0 && h.szlDevice.cx > 0 ? double(h.szlDevice.cx) / h.szlMillimeters.cx : 96 / 25.4;
  *pxPerMmY = h.szlMillimeters.cy > 0 && h.szlDevice.cy > 0 ? double(h.szlDevice.cy) / h.szlMillimeters.cy : 96 / 25.4;
  double l = h.rclFrame.left * *pxPerMmX / 100, r = h.rclFrame.right * *pxPerMmX / 100;
  double t = h.rclFrame.top * *pxPerMmY / 100, b = h.rclFrame.bottom * *pxPerMmY / 100;
  if (!(r > l) || !(b > t)) {
    l = h.rclBounds.left;
    r = h.rclBounds.right;
    t = h.rclBounds.top;
    b = h.rclBounds.bottom;
  }
  double sx = r > l ? (rect.right - rect.left) / (r - l) : 1;
  double sy = b > t ? (rect.bottom - rect.top) / (b - t) : 1;
  return XFORM{static_cast<FLOAT>(sx), 0, 0, static_cast<FLOAT>(sy), static_cast<FLOAT>(rect.left - l * sx),
               static_cast<FLOAT>(rect.top - t * sy)};
}

}  // namespace

// --- the loop ---

bool PlayEnhanced(HDC dc, const Metafile& mf, const RECT& rect) {
  double pxPerMmX = 0, pxPerMmY = 0;
  XFORM playback = PlaybackTransform(mf.header, rect, &pxPerMmX, &pxPerMmY);
  size_t slots = std::clamp<uint32_t>(mf.header.nHandles, 1, kMaxObjects);
  MetafileCanvas canvas(dc, playback, pxPerMmX, pxPerMmY, slots);
  if (!canvas.Ready()) return false;
  Bytes all(mf.bytes.data(), mf.bytes.size());
  size_t pos = 0;
  while (all.Has(pos, 8)) {
    uint32_t type = 0, size = 0;
    all.U32(pos, &type);
    all.U32(pos + 4, &size);
    // A record that overstates its size or breaks the alignment ends the playback.
    if (size < 8 || size % 4 != 0 || !all.Has(pos, size)) return false;
    if (type == kEof) break;
    if (type != kHeader) PlayRecord(canvas, type, all.Sub(pos, size));
    pos += size;
  }
  return true;
}

}  // namespace compat::metafile
