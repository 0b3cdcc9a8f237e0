// Plays a Windows metafile's records through the same canvas as enhanced
// metafiles. The window the records set is mapped onto the destination
// rectangle; 16-bit parameters come in the record's reversed order.
#include <algorithm>

#include "compat/win32/metafile_canvas.h"

namespace compat::metafile {

namespace {

enum WmfRecord : uint16_t {
  kEof = 0x0000, kSaveDc = 0x001E, kRealizePalette = 0x0035, kSetBkMode = 0x0102,
  kSetMapMode = 0x0103, kSetRop2 = 0x0104, kSetPolyFillMode = 0x0106, kSetStretchBltMode = 0x0107,
  kSetTextCharExtra = 0x0108, kRestoreDc = 0x0127, kInvertRegion = 0x012A, kPaintRegion = 0x012B,
  kSelectClipRegion = 0x012C, kFillRegion = 0x0228, kFrameRegion = 0x0429,
  kSelectObject = 0x012D, kSetTextAlign = 0x012E, kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0, kCreatePatternBrush = 0x01F9, kSetBkColor = 0x0201,
  kSetTextColor = 0x0209, kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C,
  kSetViewportOrg = 0x020D, kSetViewportExt = 0x020E, kOffsetWindowOrg = 0x020F,
  kLineTo = 0x0213, kMoveTo = 0x0214, kSelectPalette = 0x0234, kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB, kCreateBrushIndirect = 0x02FC, kCreatePalette = 0x00F7,
  kPolygon = 0x0324, kPolyline = 0x0325, kScaleWindowExt = 0x0410, kExcludeClipRect = 0x0415,
  kIntersectClipRect = 0x0416, kEllipse = 0x0418, kRectangle = 0x041B, kSetPixel = 0x041F,
  kTextOut = 0x0521, kPolyPolygon = 0x0538, kRoundRect = 0x061C, kPatBlt = 0x061D,
  kEscape = 0x0626, kCreateRegion = 0x06FF, kArc = 0x0817, kPie = 0x081A, kChord = 0x0830,
  kDibBitBlt = 0x0940, kExtTextOut = 0x0A32, kDibStretchBlt = 0x0B41, kStretchDib = 0x0F43,
};

constexpr size_t kParams = 6;  // size (32 bits) and function (16 bits) come first
constexpr size_t kWindowsHeaderBytes = 18;

// The i-th 16-bit parameter.
bool Word(const Bytes& rec, size_t i, int16_t* v) { return rec.S16(kParams + 2 * i, v); }

bool Words(const Bytes& rec, size_t first, size_t count, int* out) {
  for (size_t i = 0; i < count; ++i) {
    int16_t v = 0;
    if (!Word(rec, first + i, &v)) return false;
    out[i] = v;
  }
  return true;
}

bool Color(const Bytes& rec, size_t wordIndex, COLORREF* c) {
  uint32_t v = 0;
  if (!rec.U32(kParams + 2 * wordIndex, &v)) return false;
  *c = v & 0x00FFFFFF;
  return true;
}

bool ReadPoints(const Bytes& rec, size_t byteOffset, size_t count, std::vector<POINT>* out) {
  if (count > rec.Size() / 4 || !rec.Has(byteOffset, count * 4)) return false;
  out->resize(count);
  for (size_t i = 0; i < count; ++i) {
    int16_t x = 0, y = 0;
    rec.S16(byteOffset + 4 * i, &x);
    rec.S16(byteOffset + 4 * i + 2, &y);
    (*out)[i] = POINT{x, y};
  }
  return true;
}

// A packed DIB (header, colours, rows) split into its two parts.
bool SplitDib(const Bytes& dib, UINT usage, Bytes* header, Bytes* bits) {
  uint32_t size = 0, compression = 0, used = 0;
  uint16_t bpp = 0;
  if (!dib.U32(0, &size) || !dib.U16(14, &bpp) || !dib.U32(16, &compression) || !dib.U32(32, &used))
    return false;
  uint64_t colors = bpp <= 8 ? (used ? used : 1u << std::min<uint16_t>(bpp, 8)) : 0;
  uint64_t head = uint64_t{size} + colors * (usage == DIB_PAL_COLORS ? 2 : 4) + (compression == BI_BITFIELDS ? 12 : 0);
  if (head > dib.Size()) return false;
  *header = dib.Sub(0, head);
  *bits = dib.Sub(head, dib.Size() - head);
  return true;
}

// --- objects ---

void CreatePenRecord(MetafileCanvas& c, const Bytes& rec) {
  int v[3];
  COLORREF color = 0;
  int slot = c.FreeSlot();
  if (slot < 0) return;
  if (!Words(rec, 0, 3, v) || !Color(rec, 3, &color)) {
    c.Store(slot, nullptr);
    return;
  }
  c.Store(slot, CreatePen(v[0] & PS_STYLE_MASK, std::max(0, v[1]), color));
}

void CreateBrushRecord(MetafileCanvas& c, const Bytes& rec) {
  int style[1], hatch[1];
  COLORREF color = 0;
  int slot = c.FreeSlot();
  if (slot < 0) return;
  if (!Words(rec, 0, 1, style) || !Color(rec, 1, &color) || !Words(rec, 3, 1, hatch)) {
    c.Store(slot, nullptr);
    return;
  }
  LOGBRUSH lb{static_cast<UINT>(style[0]), color, static_cast<ULONG_PTR>(hatch[0])};
  if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_NULL && lb.lbStyle != BS_HATCHED) lb.lbStyle = BS_SOLID;
  if (lb.lbStyle == BS_HATCHED && lb.lbHatch > HS_DIAGCROSS) lb.lbStyle = BS_SOLID;
  c.Store(slot, CreateBrushIndirect(&lb));
}

void CreateFontRecord(MetafileCanvas& c, const Bytes& rec) {
  int slot = c.FreeSlot();
  if (slot < 0) return;
  int v[5];
  LOGFONTW lf{};
  if (!Words(rec, 0, 5, v)) {
    c.Store(slot, nullptr);
    return;
  }
  lf.lfHeight = v[0];
  lf.lfWidth = v[1];
  lf.lfEscapement = v[2];
  lf.lfOrientation = v[3];
  lf.lfWeight = v[4];
  uint8_t b[8] = {};
  for (int i = 0; i < 8; ++i) rec.U8(kParams + 10 + i, &b[i]);
  lf.lfItalic = b[0];
  lf.lfUnderline = b[1];
  lf.lfStrikeOut = b[2];
  lf.lfCharSet = b[3];
  lf.lfOutPrecision = b[4];
  lf.lfClipPrecision = b[5];
  lf.lfQuality = b[6];
  lf.lfPitchAndFamily = b[7];
  for (int i = 0; i < LF_FACESIZE - 1; ++i) {
    uint8_t ch = 0;
    if (!rec.U8(kParams + 18 + i, &ch) || ch == 0) break;
    lf.lfFaceName[i] = ch;
  }
  c.StoreFont(slot, lf);
}

void CreatePaletteRecord(MetafileCanvas& c, const Bytes& rec) {
  int slot = c.FreeSlot();
  if (slot < 0) return;
  uint16_t count = 0;
  if (!rec.U16(kParams + 2, &count) || count == 0 || !rec.Has(kParams + 4, size_t{count} * 4)) {
    c.Store(slot, nullptr);
    return;
  }
  std::vector<uint32_t> block(1 + count);
  uint16_t head[2] = {0x300, count};
  std::memcpy(block.data(), head, 4);
  std::memcpy(block.data() + 1, rec.Data() + kParams + 4, size_t{count} * 4);
  c.Store(slot, CreatePalette(reinterpret_cast<const LOGPALETTE*>(block.data())));
}

void PatternBrushRecord(MetafileCanvas& c, const Bytes& rec) {
  int slot = c.FreeSlot();
  if (slot < 0) return;
  uint16_t usage = 0;
  Bytes header, bits;
  DibCopy dib;
  if (!rec.U16(kParams + 2, &usage) ||
      !SplitDib(rec.Sub(kParams + 4, rec.Size() - std::min(rec.Size(), kParams + 4)), usage, &header, &bits) ||
      !c.Dib(header, bits, usage, 0, &dib)) {
    c.Store(slot, nullptr);
    return;
  }
  std::vector<uint32_t> packed = dib.Packed();
  c.Store(slot, CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS));
}

// CREATEREGION: a region object, its header then scans; each scan is a band
// (top, bottom) with pairs of left and right edges, framed by its count.
void RegionRecord(MetafileCanvas& c, const Bytes& rec) {
  int slot = c.FreeSlot();
  if (slot < 0) return;
  constexpr size_t kScanCountAt = kParams + 10, kFirstScan = kParams + 22;
  uint16_t scans = 0;
  std::vector<RECT> rects;
  size_t at = kFirstScan;
  bool ok = rec.U16(kScanCountAt, &scans);
  for (uint16_t i = 0; ok && i < scans; ++i) {
    uint16_t count = 0;
    int16_t top = 0, bottom = 0;
    ok = rec.U16(at, &count) && count % 2 == 0 && rec.S16(at + 2, &top) && rec.S16(at + 4, &bottom) &&
         rec.Has(at + 6, size_t{count} * 2 + 2);
    for (size_t k = 0; ok && k < count; k += 2) {
      int16_t left = 0, right = 0;
      rec.S16(at + 6 + 2 * k, &left);
      rec.S16(at + 8 + 2 * k, &right);
      if (left < right && top < bottom) rects.push_back(RECT{left, top, right, bottom});
    }
    at += 8 + size_t{count} * 2;
  }
  if (ok)
    c.StoreRegion(slot, std::move(rects));
  else
    c.Store(slot, nullptr);
}

// FILLREGION (region, brush), FRAMEREGION (region, brush, height, width),
// INVERTREGION and PAINTREGION (region).
void PaintRegionRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec) {
  uint16_t region = 0, brush = 0;
  int v[2] = {};
  if (!rec.U16(kParams, &region)) return;
  const std::vector<RECT>* rects = c.Region(region);
  if (!rects) return;
  switch (fn) {
    case kFillRegion:
      if (rec.U16(kParams + 2, &brush))
        c.PaintRegion(*rects, RegionPaint::kFill, static_cast<HBRUSH>(c.Object(brush)), 0, 0);
      break;
    case kFrameRegion:
      if (rec.U16(kParams + 2, &brush) && Words(rec, 2, 2, v))
        c.PaintRegion(*rects, RegionPaint::kFrame, static_cast<HBRUSH>(c.Object(brush)), v[1], v[0]);
      break;
    case kInvertRegion: c.PaintRegion(*rects, RegionPaint::kInvert, nullptr, 0, 0); break;
    default: c.PaintRegion(*rects, RegionPaint::kPaint, nullptr, 0, 0); break;
  }
}

// --- drawing ---

void PolyRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec) {
  uint16_t count = 0;
  std::vector<POINT> pts;
  if (!rec.U16(kParams, &count) || !ReadPoints(rec, kParams + 2, count, &pts) || pts.empty()) return;
  if (fn == kPolygon)
    Polygon(c.Dc(), pts.data(), static_cast<int>(pts.size()));
  else
    Polyline(c.Dc(), pts.data(), static_cast<int>(pts.size()));
}

void PolyPolygonRecord(MetafileCanvas& c, const Bytes& rec) {
  uint16_t polys = 0;
  if (!rec.U16(kParams, &polys) || polys == 0) return;
  std::vector<INT> counts(polys);
  size_t total = 0;
  for (size_t i = 0; i < polys; ++i) {
    uint16_t n = 0;
    if (!rec.U16(kParams + 2 + 2 * i, &n)) return;
    counts[i] = n;
    total += n;
  }
  std::vector<POINT> pts;
  if (!ReadPoints(rec, kParams + 2 + 2 * size_t{polys}, total, &pts)) return;
  PolyPolygon(c.Dc(), pts.data(), counts.data(), polys);
}

// TEXTOUT: count, the bytes padded to a word, y, x.
void TextOutRecord(MetafileCanvas& c, const Bytes& rec) {
  uint16_t count = 0;
  if (!rec.U16(kParams, &count) || !rec.Has(kParams + 2, count)) return;
  size_t padded = (size_t{count} + 1) & ~size_t{1};
  int16_t y = 0, x = 0;
  if (!rec.S16(kParams + 2 + padded, &y) || !rec.S16(kParams + 4 + padded, &x)) return;
  std::vector<WCHAR> text(count);
  for (size_t i = 0; i < count; ++i) {
    uint8_t b = 0;
    rec.U8(kParams + 2 + i, &b);
    text[i] = b;
  }
  c.Text(x, y, 0, nullptr, text.data(), count, nullptr);
}

// EXTTEXTOUT: y, x, count, options, the rectangle when the options use it,
// the bytes padded to a word, then the widths when the record has room.
void ExtTextOutRecord(MetafileCanvas& c, const Bytes& rec) {
  int v[4];
  if (!Words(rec, 0, 4, v) || v[2] < 0) return;
  UINT options = static_cast<UINT>(v[3]) & 0xFFFF;
  size_t count = static_cast<uint16_t>(v[2]);
  size_t at = kParams + 8;
  RECT r{};
  bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  if (hasRect) {
    int q[4];
    if (!Words(rec, 4, 4, q)) return;
    r = RECT{q[0], q[1], q[2], q[3]};
    at += 8;
  }
  // Glyph indexes take 16 bits each; characters one byte.
  size_t unitBytes = (options & ETO_GLYPH_INDEX) ? 2 : 1;
  if (!rec.Has(at, count * unitBytes)) return;
  std::vector<WCHAR> text(count);
  for (size_t i = 0; i < count; ++i) {
    uint16_t u = 0;
    uint8_t b = 0;
    if (unitBytes == 2) {
      rec.U16(at + 2 * i, &u);
    } else {
      rec.U8(at + i, &b);
      u = b;
    }
    text[i] = u;
  }
  size_t dxAt = at + ((count * unitBytes + 1) & ~size_t{1});
  std::vector<INT> dx;
  if (count > 0 && rec.Has(dxAt, count * 2)) {
    dx.resize(count);
    for (size_t i = 0; i < count; ++i) {
      int16_t w = 0;
      rec.S16(dxAt + 2 * i, &w);
      dx[i] = w;
    }
  }
  c.Text(v[1], v[0], options, hasRect ? &r : nullptr, text.data(), static_cast<UINT>(count),
         dx.empty() ? nullptr : dx.data());
}

void ShapeRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec) {
  HDC dc = c.Dc();
  int v[8];
  switch (fn) {
    case kRectangle:
      if (Words(rec, 0, 4, v)) Rectangle(dc, v[3], v[2], v[1], v[0]);
      break;
    case kEllipse:
      if (Words(rec, 0, 4, v)) Ellipse(dc, v[3], v[2], v[1], v[0]);
      break;
    case kRoundRect:
      if (Words(rec, 0, 6, v)) RoundRect(dc, v[5], v[4], v[3], v[2], v[1], v[0]);
      break;
    case kArc:
    case kPie:
    case kChord:
      if (!Words(rec, 0, 8, v)) return;
      if (fn == kArc) Arc(dc, v[7], v[6], v[5], v[4], v[3], v[2], v[1], v[0]);
      if (fn == kPie) Pie(dc, v[7], v[6], v[5], v[4], v[3], v[2], v[1], v[0]);
      if (fn == kChord) Chord(dc, v[7], v[6], v[5], v[4], v[3], v[2], v[1], v[0]);
      break;
    default: break;
  }
}

// DIBBITBLT and DIBSTRETCHBLT: without a bitmap the record is one word
// longer than its parameters and only the pattern takes part.
void DibBltRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec, size_t recordWords) {
  bool stretch = fn == kDibStretchBlt;
  size_t paramWords = fn >> 8;
  uint32_t rop = 0;
  if (!rec.U32(kParams, &rop)) return;
  if (recordWords == paramWords + 3) {
    int v[5];
    if (Words(rec, stretch ? 7 : 5, 4, v)) PatBlt(c.Dc(), v[3], v[2], v[1], v[0], rop);
    return;
  }
  int v[8];
  size_t n = stretch ? 8 : 6;
  if (!Words(rec, 2, n, v)) return;
  int srcH, srcW, ys, xs, dstH, dstW, yd, xd;
  if (stretch) {
    srcH = v[0]; srcW = v[1]; ys = v[2]; xs = v[3]; dstH = v[4]; dstW = v[5]; yd = v[6]; xd = v[7];
  } else {
    ys = v[0]; xs = v[1]; srcH = dstH = v[2]; srcW = dstW = v[3]; yd = v[4]; xd = v[5];
  }
  size_t dibAt = kParams + 4 + 2 * n;
  Bytes header, bits;
  DibCopy dib;
  if (!SplitDib(rec.Sub(dibAt, rec.Size() - std::min(rec.Size(), dibAt)), DIB_RGB_COLORS, &header, &bits) ||
      !c.Dib(header, bits, DIB_RGB_COLORS, 0, &dib))
    return;
  int ySource = dib.Info()->bmiHeader.biHeight > 0 ? dib.Height() - ys - srcH : ys;
  StretchDIBits(c.Dc(), xd, yd, dstW, dstH, xs, ySource, srcW, srcH, dib.bits.data(), dib.Info(),
                DIB_RGB_COLORS, rop);
}

void StretchDibRecord(MetafileCanvas& c, const Bytes& rec) {
  uint32_t rop = 0;
  int v[9];
  if (!rec.U32(kParams, &rop) || !Words(rec, 2, 9, v)) return;
  UINT usage = static_cast<uint16_t>(v[0]);
  size_t dibAt = kParams + 22;
  Bytes header, bits;
  DibCopy dib;
  if (!SplitDib(rec.Sub(dibAt, rec.Size() - std::min(rec.Size(), dibAt)), usage, &header, &bits) ||
      !c.Dib(header, bits, usage, 0, &dib))
    return;
  StretchDIBits(c.Dc(), v[8], v[7], v[6], v[5], v[4], v[3], v[2], v[1], dib.bits.data(), dib.Info(),
                DIB_RGB_COLORS, rop);
}

// --- state ---

void StateRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec) {
  HDC dc = c.Dc();
  int v[4] = {};
  COLORREF color = 0;
  uint16_t u = 0;
  switch (fn) {
    case kSetBkColor: if (Color(rec, 0, &color)) SetBkColor(dc, color); break;
    case kSetTextColor: if (Color(rec, 0, &color)) SetTextColor(dc, color); break;
    case kSetBkMode: if (Words(rec, 0, 1, v)) SetBkMode(dc, v[0]); break;
    case kSetRop2: if (Words(rec, 0, 1, v)) SetROP2(dc, v[0]); break;
    case kSetPolyFillMode: if (Words(rec, 0, 1, v)) SetPolyFillMode(dc, v[0]); break;
    case kSetStretchBltMode: if (Words(rec, 0, 1, v)) SetStretchBltMode(dc, v[0]); break;
    case kSetTextAlign: if (rec.U16(kParams, &u)) SetTextAlign(dc, u); break;
    case kSetMapMode:
      // The window always lands on the destination: only the two scalable modes count.
      if (Words(rec, 0, 1, v) && (v[0] == MM_ISOTROPIC || v[0] == MM_ANISOTROPIC)) c.SetMapMode(v[0]);
      break;
    case kSetWindowOrg: if (Words(rec, 0, 2, v)) c.SetWindowOrg(v[1], v[0]); break;
    case kSetWindowExt: if (Words(rec, 0, 2, v)) c.SetWindowExt(v[1], v[0]); break;
    case kOffsetWindowOrg: if (Words(rec, 0, 2, v)) c.OffsetWindowOrg(v[1], v[0]); break;
    case kScaleWindowExt: if (Words(rec, 0, 4, v)) c.ScaleWindowExt(v[3], v[2], v[1], v[0]); break;
    case kLineTo: if (Words(rec, 0, 2, v)) LineTo(dc, v[1], v[0]); break;
    case kMoveTo: if (Words(rec, 0, 2, v)) MoveToEx(dc, v[1], v[0], nullptr); break;
    case kSetPixel:
      if (Color(rec, 0, &color) && Words(rec, 2, 2, v)) SetPixelV(dc, v[1], v[0], color);
      break;
    case kPatBlt: {
      uint32_t rop = 0;
      if (rec.U32(kParams, &rop) && Words(rec, 2, 4, v)) PatBlt(dc, v[3], v[2], v[1], v[0], rop);
      break;
    }
    case kIntersectClipRect: if (Words(rec, 0, 4, v)) IntersectClipRect(dc, v[3], v[2], v[1], v[0]); break;
    case kExcludeClipRect: if (Words(rec, 0, 4, v)) ExcludeClipRect(dc, v[3], v[2], v[1], v[0]); break;
    case kSaveDc: c.Save(); break;
    case kRestoreDc: if (Words(rec, 0, 1, v)) c.Restore(v[0]); break;
    case kSelectObject:
    case kSelectPalette:
      if (rec.U16(kParams, &u)) c.Select(u);
      break;
    case kRealizePalette: RealizePalette(dc); break;
    case kDeleteObject: if (rec.U16(kParams, &u)) c.Delete(u); break;
    default: break;  // escapes and records this player does not know
  }
}

void PlayRecord(MetafileCanvas& c, uint16_t fn, const Bytes& rec, size_t words) {
  switch (fn) {
    case kCreatePenIndirect: CreatePenRecord(c, rec); break;
    case kCreateBrushIndirect: CreateBrushRecord(c, rec); break;
    case kCreateFontIndirect: CreateFontRecord(c, rec); break;
    case kCreatePalette: CreatePaletteRecord(c, rec); break;
    case kDibCreatePatternBrush: PatternBrushRecord(c, rec); break;
    case kCreateRegion: RegionRecord(c, rec); break;
    case kFillRegion: case kFrameRegion: case kInvertRegion: case kPaintRegion:
      PaintRegionRecord(c, fn, rec);
      break;
    case kCreatePatternBrush: {
      // Objects this player does not draw still take their place in the table.
      int slot = c.FreeSlot();
      if (slot >= 0) c.Store(slot, nullptr);
      break;
    }
    case kPolygon: case kPolyline: PolyRecord(c, fn, rec); break;
    case kPolyPolygon: PolyPolygonRecord(c, rec); break;
    case kTextOut: TextOutRecord(c, rec); break;
    case kExtTextOut: ExtTextOutRecord(c, rec); break;
    case kRectangle: case kEllipse: case kRoundRect: case kArc: case kPie: case kChord:
      ShapeRecord(c, fn, rec);
      break;
    case kDibBitBlt: case kDibStretchBlt: DibBltRecord(c, fn, rec, words); break;
    case kStretchDib: StretchDibRecord(c, rec); break;
    default: StateRecord(c, fn, rec); break;
  }
}

}  // namespace

bool PlayWindows(HDC dc, const Metafile& mf, const RECT& rect) {
  Bytes all(mf.bytes.data(), mf.bytes.size());
  uint16_t objects = 0;
  if (!all.U16(10, &objects)) return false;
  MetafileCanvas canvas(dc, XFORM{1, 0, 0, 1, 0, 0}, 96 / 25.4, 96 / 25.4, std::max<size_t>(objects, 1));
  if (!canvas.Ready()) return false;
  // Until the records say otherwise, one logical unit is one pixel of the destination.
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  canvas.SetMapMode(MM_ANISOTROPIC);
  canvas.SetViewportOrg(rect.left, rect.top);
  canvas.SetViewportExt(width ? width : 1, height ? height : 1);
  canvas.SetWindowExt(width ? width : 1, height ? height : 1);
  size_t pos = kWindowsHeaderBytes;
  while (all.Has(pos, kParams)) {
    uint32_t words = 0;
    uint16_t fn = 0;
    all.U32(pos, &words);
    all.U16(pos + 4, &fn);
    if (words < 3 || words > all.Size() / 2 || !all.Has(pos, size_t{words} * 2)) return false;
    if (fn == kEof) break;
    PlayRecord(canvas, fn, all.Sub(pos, size_t{words} * 2), words);
    pos += size_t{words} * 2;
  }
  return true;
}

}  // namespace compat::metafile
