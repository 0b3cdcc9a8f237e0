// The metafile player's drawing state over a device context (see the header).
#include "compat/win32/metafile_canvas.h"

#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"

namespace compat::metafile {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Saves beyond this depth are dropped: a file of nothing but SAVEDC records
// cannot make the DC's stack grow without bound.
constexpr size_t kMaxSaveDepth = 1024;
constexpr int kMaxDibSide = 1 << 15;
constexpr WORD kMaxStockObject = DC_PEN;

XFORM Combine(const XFORM& a, const XFORM& b) {
  XFORM out;
  CombineTransform(&out, &a, &b);
  return out;
}

bool Finite(const XFORM& x) {
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) &&
         std::isfinite(x.eM22) && std::isfinite(x.eDx) && std::isfinite(x.eDy);
}

int64_t DibStride(int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

}  // namespace

namespace {

// One pixel of a 4- or 8-bit row.
void PutIndex(uint8_t* row, int x, int bpp, uint8_t index) {
  if (bpp == 8) {
    row[x] = index;
  } else if (x % 2 == 0) {
    row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | (index << 4));
  } else {
    row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | (index & 0x0F));
  }
}

// Expands BI_RLE8 or BI_RLE4 data into bottom-up rows of the same depth.
// Pixels the runs skip (end of line, delta) keep index 0; pixels beyond the
// bitmap's edge are dropped and data past its last row is ignored.
void ExpandRle(const Bytes& data, int width, int height, int bpp, std::vector<uint8_t>* out) {
  int64_t stride = DibStride(width, bpp);
  out->assign(static_cast<size_t>(stride * height), 0);
  auto put = [&](int x, int y, uint8_t index) {
    if (x >= 0 && x < width && y < height) PutIndex(out->data() + y * stride, x, bpp, index);
  };
  auto nibble = [&](uint8_t byte, int i) { return bpp == 8 ? byte : uint8_t(i % 2 == 0 ? byte >> 4 : byte & 15); };
  int x = 0, y = 0;
  size_t pos = 0;
  uint8_t count = 0, value = 0;
  while (y < height && data.U8(pos, &count) && data.U8(pos + 1, &value)) {
    pos += 2;
    // x never runs far past the edge, however many runs and moves a file holds.
    if (count > 0) {  // a run of one value (two alternating nibbles in RLE4)
      for (int i = 0; i < count; ++i) put(x++, y, nibble(value, i));
      x = std::min(x, width);
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      uint8_t dx = 0, dy = 0;
      if (!data.U8(pos, &dx) || !data.U8(pos + 1, &dy)) break;
      pos += 2;
      x = std::min(x + dx, width);
      y += dy;
    } else {  // `value` pixels given one by one, padded to a word
      size_t bytes = bpp == 8 ? value : (value + 1u) / 2;
      if (!data.Has(pos, bytes)) break;
      for (int i = 0; i < value; ++i) {
        uint8_t b = 0;
        data.U8(pos + (bpp == 8 ? i : i / 2), &b);
        put(x++, y, nibble(b, i));
      }
      x = std::min(x, width);
      pos += (bytes + 1) & ~size_t{1};
    }
  }
}

}  // namespace

std::vector<uint32_t> DibCopy::Packed() const {
  const BITMAPINFOHEADER& h = Info()->bmiHeader;
  size_t colors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
  size_t head = h.biSize + colors * 4 + (h.biCompression == BI_BITFIELDS ? 12 : 0);
  std::vector<uint32_t> packed((head + 3) / 4 + bits.size(), 0);
  std::memcpy(packed.data(), info.data(), head);
  std::memcpy(reinterpret_cast<uint8_t*>(packed.data()) + head, bits.data(), bits.size() * 4);
  return packed;
}

bool CopyDib(const Bytes& header, const Bytes& bits, UINT usage, UINT rows, HDC paletteDc,
             DibCopy* out) {
  uint32_t size = 0, compression = 0, used = 0, imageBytes = 0;
  int32_t width = 0, height = 0;
  uint16_t planes = 0, bpp = 0;
  if (!header.U32(0, &size) || size < sizeof(BITMAPINFOHEADER) || size > header.Size() ||
      !header.S32(4, &width) || !header.S32(8, &height) || !header.U16(12, &planes) ||
      !header.U16(14, &bpp) || !header.U32(16, &compression) || !header.U32(20, &imageBytes) ||
      !header.U32(32, &used))
    return false;
  if (width <= 0 || height == 0 || height == INT32_MIN || width > kMaxDibSide ||
      std::abs(height) > kMaxDibSide || planes != 1)
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  bool fields = compression == BI_BITFIELDS;
  // Run-length bitmaps are bottom-up only.
  bool rle = (compression == BI_RLE8 && bpp == 8) || (compression == BI_RLE4 && bpp == 4);
  if (rle && height < 0) return false;
  if (compression != BI_RGB && !rle && !(fields && (bpp == 16 || bpp == 32))) return false;
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return false;
  uint64_t colors = bpp <= 8 ? (used ? used : 1u << bpp) : 0;
  if (bpp <= 8 && colors > (1u << bpp)) return false;
  uint64_t entryBytes = usage == DIB_PAL_COLORS ? 2 : 4;
  uint64_t fieldBytes = fields ? 12 : 0;
  if (size + fieldBytes + colors * entryBytes > header.Size()) return false;
  uint64_t allBits = static_cast<uint64_t>(DibStride(width, bpp)) * std::abs(height);
  uint64_t needRows = rows ? std::min<uint64_t>(rows, static_cast<uint64_t>(std::abs(height)))
                           : static_cast<uint64_t>(std::abs(height));
  uint64_t needBits = static_cast<uint64_t>(DibStride(width, bpp)) * needRows;
  if (!rle && needBits > bits.Size()) return false;

  uint64_t infoBytes = size + fieldBytes + colors * 4;
  out->info.assign((infoBytes + 3) / 4 + 1, 0);
  auto* info = reinterpret_cast<uint8_t*>(out->info.data());
  std::memcpy(info, header.Data(), size + fieldBytes);
  // Deeper pictures may carry a table of colours the rows never index; the
  // copy drops it, so its header must not count it.
  if (bpp > 8) reinterpret_cast<BITMAPINFOHEADER*>(info)->biClrUsed = 0;
  auto* table = reinterpret_cast<RGBQUAD*>(info + size + fieldBytes);
  if (usage == DIB_PAL_COLORS && colors > 0) {
    PALETTEENTRY entries[256] = {};
    HPALETTE palette = static_cast<HPALETTE>(GetCurrentObject(paletteDc, OBJ_PAL));
    UINT known = palette ? GetPaletteEntries(palette, 0, 256, entries) : 0;
    for (uint64_t i = 0; i < colors; ++i) {
      uint16_t index = 0;
      header.U16(size + fieldBytes + i * 2, &index);
      PALETTEENTRY e = index < known ? entries[index] : PALETTEENTRY{};
      table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    }
  } else if (colors > 0) {
    std::memcpy(table, header.Data() + size + fieldBytes, colors * 4);
  }
  out->bits.assign((allBits + 3) / 4, 0);
  if (rle) {
    // The data's own size bounds it when the header gives one.
    size_t limit = imageBytes && imageBytes < bits.Size() ? imageBytes : bits.Size();
    std::vector<uint8_t> rowsOut;
    ExpandRle(bits.Sub(0, limit), width, height, bpp, &rowsOut);
    std::memcpy(out->bits.data(), rowsOut.data(), rowsOut.size());
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info);
    h->biCompression = BI_RGB;
    h->biSizeImage = 0;
  } else {
    // The full height's rows are read; those the record did not carry stay zero.
    std::memcpy(out->bits.data(), bits.Data(), needBits);
  }
  return true;
}

MetafileCanvas::MetafileCanvas(HDC dc, const XFORM& playback, double pixelsPerMmX,
                               double pixelsPerMmY, size_t objectSlots)
    : dc_(dc), playback_(playback), pixelsPerMmX_(pixelsPerMmX), pixelsPerMmY_(pixelsPerMmY),
      objects_(objectSlots) {
  baseLevel_ = SaveDC(dc_);
  if (baseLevel_ <= 0 || !Finite(playback_)) return;
  initialClip_ = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc_, initialClip_) != 1) {
    DeleteObject(initialClip_);
    initialClip_ = nullptr;
  }
  ::SetMapMode(dc_, MM_TEXT);
  SetWindowOrgEx(dc_, 0, 0, nullptr);
  SetViewportOrgEx(dc_, 0, 0, nullptr);
  SetGraphicsMode(dc_, GM_ADVANCED);
  // A destination of no width or height has nothing to draw into.
  ready_ = Apply();
}

MetafileCanvas::~MetafileCanvas() {
  if (baseLevel_ > 0) RestoreDC(dc_, baseLevel_);
  for (Slot& s : objects_)
    if (s.handle) DeleteObject(s.handle);
  for (HGDIOBJ h : retired_) DeleteObject(h);
  if (realized_) DeleteObject(realized_);
  if (initialClip_) DeleteObject(initialClip_);
}

// --- page and world ---

XFORM MetafileCanvas::PageTransform() const {
  const Page& p = page_;
  double sx = 1, sy = 1;
  double perMm = 0;
  switch (p.mapMode) {
    case MM_LOMETRIC: perMm = 10; break;
    case MM_HIMETRIC: perMm = 100; break;
    case MM_LOENGLISH: perMm = 100 / 25.4; break;
    case MM_HIENGLISH: perMm = 1000 / 25.4; break;
    case MM_TWIPS: perMm = 1440 / 25.4; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
      sx = static_cast<double>(p.viewportExt.cx) / p.windowExt.cx;
      sy = static_cast<double>(p.viewportExt.cy) / p.windowExt.cy;
      if (p.mapMode == MM_ISOTROPIC) {
        double m = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
      break;
    default: break;
  }
  if (perMm > 0) {
    // The fixed modes count y upwards.
    sx = pixelsPerMmX_ / perMm;
    sy = -pixelsPerMmY_ / perMm;
  }
  XFORM x{static_cast<FLOAT>(sx), 0, 0, static_cast<FLOAT>(sy),
          static_cast<FLOAT>(p.viewportOrg.x - p.windowOrg.x * sx),
          static_cast<FLOAT>(p.viewportOrg.y - p.windowOrg.y * sy)};
  return x;
}

bool MetafileCanvas::Apply() {
  XFORM m = Combine(Combine(page_.world, PageTransform()), playback_);
  if (!SetWorldTransform(dc_, &m)) return false;
  combined_ = m;
  return true;
}

void MetafileCanvas::SetMapMode(int mode) {
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
  page_.mapMode = mode;
  Apply();
}

void MetafileCanvas::SetWindowOrg(int x, int y) {
  page_.windowOrg = POINT{x, y};
  Apply();
}

void MetafileCanvas::SetViewportOrg(int x, int y) {
  page_.viewportOrg = POINT{x, y};
  Apply();
}

void MetafileCanvas::OffsetWindowOrg(int dx, int dy) {
  SetWindowOrg(static_cast<int>(std::clamp<int64_t>(int64_t{page_.windowOrg.x} + dx, INT32_MIN, INT32_MAX)),
               static_cast<int>(std::clamp<int64_t>(int64_t{page_.windowOrg.y} + dy, INT32_MIN, INT32_MAX)));
}

void MetafileCanvas::OffsetViewportOrg(int dx, int dy) {
  SetViewportOrg(static_cast<int>(std::clamp<int64_t>(int64_t{page_.viewportOrg.x} + dx, INT32_MIN, INT32_MAX)),
                 static_cast<int>(std::clamp<int64_t>(int64_t{page_.viewportOrg.y} + dy, INT32_MIN, INT32_MAX)));
}

// Extents only count in the scalable modes, and never as zero.
void MetafileCanvas::SetWindowExt(int x, int y) {
  if (x == 0 || y == 0 || (page_.mapMode != MM_ISOTROPIC && page_.mapMode != MM_ANISOTROPIC)) return;
  page_.windowExt = SIZE{x, y};
  Apply();
}

void MetafileCanvas::SetViewportExt(int x, int y) {
  if (x == 0 || y == 0 || (page_.mapMode != MM_ISOTROPIC && page_.mapMode != MM_ANISOTROPIC)) return;
  page_.viewportExt = SIZE{x, y};
  Apply();
}

namespace {
int ScaledExtent(LONG ext, int num, int den) {
  if (den == 0) return 0;
  int64_t v = int64_t{ext} * num / den;
  return v > INT32_MAX || v < INT32_MIN ? 0 : static_cast<int>(v);
}
}  // namespace

void MetafileCanvas::ScaleWindowExt(int xn, int xd, int yn, int yd) {
  SetWindowExt(ScaledExtent(page_.windowExt.cx, xn, xd), ScaledExtent(page_.windowExt.cy, yn, yd));
}

void MetafileCanvas::ScaleViewportExt(int xn, int xd, int yn, int yd) {
  SetViewportExt(ScaledExtent(page_.viewportExt.cx, xn, xd), ScaledExtent(page_.viewportExt.cy, yn, yd));
}

void MetafileCanvas::SetWorld(const XFORM& xf) {
  if (!Finite(xf) || double(xf.eM11) * xf.eM22 - double(xf.eM12) * xf.eM21 == 0) return;
  page_.world = xf;
  Apply();
}

void MetafileCanvas::ModifyWorld(const XFORM& xf, DWORD mode) {
  switch (mode) {
    case MWT_IDENTITY: SetWorld(XFORM{1, 0, 0, 1, 0, 0}); break;
    case MWT_LEFTMULTIPLY: SetWorld(Combine(xf, page_.world)); break;
    case MWT_RIGHTMULTIPLY: SetWorld(Combine(page_.world, xf)); break;
    default: break;
  }
}

void MetafileCanvas::Save() {
  if (saved_.size() >= kMaxSaveDepth) return;
  if (SaveDC(dc_) > 0) saved_.push_back(page_);
}

void MetafileCanvas::Restore(int relative) {
  if (relative >= 0 || static_cast<size_t>(-static_cast<int64_t>(relative)) > saved_.size()) return;
  size_t keep = saved_.size() - static_cast<size_t>(-static_cast<int64_t>(relative));
  if (!RestoreDC(dc_, baseLevel_ + static_cast<int>(keep) + 1)) return;
  page_ = saved_[keep];
  saved_.resize(keep);
  Apply();
}

// --- objects ---

int MetafileCanvas::FreeSlot() const {
  for (size_t i = 0; i < objects_.size(); ++i)
    if (!objects_[i].taken) return static_cast<int>(i);
  return -1;
}

void MetafileCanvas::Store(size_t slot, HGDIOBJ h) {
  if (slot >= objects_.size()) {
    if (h) DeleteObject(h);
    return;
  }
  Delete(static_cast<DWORD>(slot));
  objects_[slot].handle = h;
  objects_[slot].taken = true;
}

void MetafileCanvas::StoreFont(size_t slot, const LOGFONTW& lf) {
  Store(slot, nullptr);
  if (slot >= objects_.size()) return;
  objects_[slot].isFont = true;
  objects_[slot].font = lf;
  objects_[slot].font.lfFaceName[LF_FACESIZE - 1] = 0;
}

void MetafileCanvas::StoreRegion(size_t slot, std::vector<RECT> rects) {
  Store(slot, nullptr);
  if (slot >= objects_.size()) return;
  objects_[slot].isRegion = true;
  objects_[slot].rects = std::move(rects);
}

const std::vector<RECT>* MetafileCanvas::Region(DWORD index) const {
  return index < objects_.size() && objects_[index].isRegion ? &objects_[index].rects : nullptr;
}

HGDIOBJ MetafileCanvas::Object(DWORD index) const {
  return index < objects_.size() ? objects_[index].handle : nullptr;
}

void MetafileCanvas::Select(DWORD index) {
  if (index & 0x80000000u) {
    DWORD stock = index & 0x7FFFFFFFu;
    if (stock > kMaxStockObject) return;
    HGDIOBJ h = GetStockObject(static_cast<int>(stock));
    if (!h) return;
    if (GetObjectType(h) == OBJ_FONT) page_.hasFont = false;
    if (GetObjectType(h) == OBJ_PAL)
      SelectPalette(dc_, static_cast<HPALETTE>(h), FALSE);
    else
      SelectObject(dc_, h);
    return;
  }
  if (index >= objects_.size()) return;
  const Slot& s = objects_[index];
  if (s.isFont) {
    page_.font = s.font;
    page_.hasFont = true;
  } else if (s.handle && GetObjectType(s.handle) == OBJ_PAL) {
    SelectPalette(dc_, static_cast<HPALETTE>(s.handle), FALSE);
  } else if (s.handle) {
    SelectObject(dc_, s.handle);
  }
}

// A deleted object may still be selected, here or in a saved state: the
// handle lives on until the playback ends.
void MetafileCanvas::Delete(DWORD index) {
  if (index >= objects_.size()) return;
  Slot& s = objects_[index];
  if (s.handle) Retire(s.handle);
  s = Slot{};
}

// Freed at once when nothing can select it again; a file that keeps
// replacing one object then holds only the live ones.
void MetafileCanvas::Retire(HGDIOBJ h) {
  DWORD type = GetObjectType(h);
  bool selected = type != 0 && GetCurrentObject(dc_, type == OBJ_EXTPEN ? OBJ_PEN : type) == h;
  if (saved_.empty() && !selected)
    DeleteObject(h);
  else
    retired_.push_back(h);
}

// --- text ---

void MetafileCanvas::RealizeFont() {
  if (!page_.hasFont) return;
  LOGFONTW lf = page_.font;
  double sx = std::hypot(combined_.eM11, combined_.eM12);
  double sy = std::hypot(combined_.eM21, combined_.eM22);
  auto scale = [](LONG v, double s) {
    double d = std::clamp(v * s, -1e5, 1e5);
    LONG r = static_cast<LONG>(std::lround(d));
    return r == 0 && v != 0 ? (v < 0 ? -1 : 1) : r;
  };
  lf.lfHeight = scale(lf.lfHeight, sy);
  lf.lfWidth = scale(lf.lfWidth, sx);
  if (combined_.eM12 != 0) {
    // A turning transform turns the text's baseline with it.
    LONG turn = gdi::RoundToInt(std::atan2(-combined_.eM12, combined_.eM11) * 1800 / kPi);
    lf.lfEscapement = (lf.lfEscapement % 3600) + turn;
    lf.lfOrientation = (lf.lfOrientation % 3600) + turn;
  }
  if (!realized_ || std::memcmp(&lf, &realizedFrom_, sizeof(lf)) != 0) {
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return;
    if (realized_) Retire(realized_);
    realized_ = font;
    realizedFrom_ = lf;
  }
  SelectObject(dc_, realized_);
}

void MetafileCanvas::Text(int x, int y, UINT options, const RECT* rect, const WCHAR* s, UINT count,
                          const INT* dx) {
  RealizeFont();
  std::vector<INT> deviceDx;
  if (dx) {
    double sx = std::hypot(combined_.eM11, combined_.eM12);
    deviceDx.resize(count);
    double along = 0;
    LONG previous = 0;
    for (UINT i = 0; i < count; ++i) {
      along += dx[i];
      LONG at = static_cast<LONG>(std::lround(std::clamp(along * sx, -1e7, 1e7)));
      deviceDx[i] = at - previous;
      previous = at;
    }
  }
  ExtTextOutW(dc_, x, y, options & (ETO_OPAQUE | ETO_CLIPPED | ETO_GLYPH_INDEX), rect, s, count,
              dx ? deviceDx.data() : nullptr);
}

// --- clipping ---

void MetafileCanvas::SelectClip(const std::vector<RECT>& rects, bool none, int mode) {
  if (none) {
    if (mode == RGN_COPY) SelectClipRgn(dc_, initialClip_);
    return;
  }
  std::vector<RECT> device;
  device.reserve(rects.size());
  for (const RECT& r : rects) {
    double x0 = r.left * double(playback_.eM11) + playback_.eDx;
    double x1 = r.right * double(playback_.eM11) + playback_.eDx;
    double y0 = r.top * double(playback_.eM22) + playback_.eDy;
    double y1 = r.bottom * double(playback_.eM22) + playback_.eDy;
    auto clampRound = [](double v) { return static_cast<LONG>(std::lround(std::clamp(v, -1e8, 1e8))); };
    RECT d{clampRound(std::min(x0, x1)), clampRound(std::min(y0, y1)), clampRound(std::max(x0, x1)),
           clampRound(std::max(y0, y1))};
    if (d.left < d.right && d.top < d.bottom) device.push_back(d);
  }
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (gdi::RegionObj* obj = gdi::GetRegion(rgn)) obj->region = gdi::Region::FromRects(device);
  ExtSelectClipRgn(dc_, rgn, mode);
  if (initialClip_) ExtSelectClipRgn(dc_, initialClip_, RGN_AND);
  DeleteObject(rgn);
}

// --- regions ---

void MetafileCanvas::PaintRegion(const std::vector<RECT>& logical, RegionPaint how, HBRUSH brush,
                                 int w, int h) {
  // The rectangles' corners in device pixels; the GDI's region calls then
  // run in a plain device mapping, so that scaling and turning apply.
  std::vector<RECT> device;
  device.reserve(logical.size());
  for (const RECT& r : logical) {
    POINT p[2] = {{r.left, r.top}, {r.right, r.bottom}};
    LPtoDP(dc_, p, 2);
    RECT d{std::min(p[0].x, p[1].x), std::min(p[0].y, p[1].y), std::max(p[0].x, p[1].x),
           std::max(p[0].y, p[1].y)};
    if (d.left < d.right && d.top < d.bottom) device.push_back(d);
  }
  auto scaled = [](double v, double by) {
    return static_cast<int>(std::lround(std::clamp(v * by, 0.0, 1e6)));
  };
  int frameW = scaled(std::abs(w), std::hypot(combined_.eM11, combined_.eM12));
  int frameH = scaled(std::abs(h), std::hypot(combined_.eM21, combined_.eM22));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (gdi::RegionObj* obj = gdi::GetRegion(rgn)) obj->region = gdi::Region::FromRects(device);
  SaveDC(dc_);
  ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY);
  ::SetMapMode(dc_, MM_TEXT);
  SetWindowOrgEx(dc_, 0, 0, nullptr);
  SetViewportOrgEx(dc_, 0, 0, nullptr);
  switch (how) {
    case RegionPaint::kFill: if (brush) FillRgn(dc_, rgn, brush); break;
    case RegionPaint::kFrame: if (brush) FrameRgn(dc_, rgn, brush, frameW, frameH); break;
    case RegionPaint::kInvert: InvertRgn(dc_, rgn); break;
    case RegionPaint::kPaint: PaintRgn(dc_, rgn); break;
  }
  RestoreDC(dc_, -1);
  DeleteObject(rgn);
}

}  // namespace compat::metafile
