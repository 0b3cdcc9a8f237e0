// Block transfers: PatBlt, BitBlt, StretchBlt, MaskBlt, TransparentBlt and
// AlphaBlend on one engine that evaluates ternary raster operations; PlgBlt
// maps its source onto a parallelogram pixel by pixel.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

int PositiveMod(int v, int m) {
  int r = v % m;
  return r < 0 ? r + m : r;
}

// Ternary raster operation: bit (P*4 + S*2 + D) of the code gives the result.
inline uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
  switch (code) {
    case 0xCC: return s;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x33: return ~s;
    case 0x44: return s & ~d;
    case 0x11: return ~(s | d);
    case 0xBB: return ~s | d;
    case 0xC0: return p & s;
    case 0xF0: return p;
    case 0x5A: return p ^ d;
    case 0x55: return ~d;
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFFu;
    default: break;
  }
  uint32_t out = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return out;
}

bool UsesSource(uint8_t code) { return ((code >> 2) & 0x33) != (code & 0x33); }
bool UsesPattern(uint8_t code) { return ((code >> 4) & 0x0F) != (code & 0x0F); }

uint32_t PaintAt(const Paint& paint, int x, int y) {
  switch (paint.type) {
    case Paint::Type::Solid: return paint.color;
    case Paint::Type::Hatch: {
      bool on = paint.hatchRows[PositiveMod(y - paint.originY, 8)] & (0x80 >> PositiveMod(x - paint.originX, 8));
      return on ? paint.color : paint.background;
    }
    case Paint::Type::Pattern:
      return paint.pattern[static_cast<size_t>(PositiveMod(y - paint.originY, paint.patternHeight)) *
                               paint.patternWidth +
                           PositiveMod(x - paint.originX, paint.patternWidth)];
    default: return 0;
  }
}

// Colour conversions between black/white and colour surfaces.
struct Converter {
  bool toColor = false;   // mono source onto colour: black is text colour, white background
  bool toMono = false;    // colour source onto mono: the source background becomes white
  uint32_t text = 0, back = 0, srcBack = 0;
  uint32_t operator()(uint32_t s) const {
    if (toColor) return (s & 0xFFFFFF) ? back : text;
    if (toMono) return (s & 0xFFFFFF) == (srcBack & 0xFFFFFF) ? 0x00FFFFFFu : 0u;
    return s;
  }
};

// Source pixel boxes for destination indices [from, to) of one axis: the
// source range each covers (at least one pixel), mirrored as asked.
struct AxisMap {
  int from = 0;
  std::vector<int> first, count;
};

AxisMap MapAxis(int wd, int ws, int srcStart, int from, int to) {
  AxisMap m;
  m.from = from;
  int64_t n = std::abs(int64_t{wd}), sn = std::abs(int64_t{ws});
  bool mirror = (wd < 0) != (ws < 0);
  int base = ws < 0 ? srcStart + ws : srcStart;  // leftmost source pixel
  for (int i = from; i < to; ++i) {
    int64_t k = mirror ? n - 1 - i : i;
    int64_t a = k * sn / n;
    int64_t b = (k + 1) * sn / n;
    if (b <= a) {
      // Enlarging: the source pixel under the destination pixel's centre.
      a = ((2 * k + 1) * sn) / (2 * n);
      b = a + 1;
    }
    m.first.push_back(static_cast<int>(std::clamp<int64_t>(base + a, INT32_MIN / 2, INT32_MAX / 2)));
    m.count.push_back(static_cast<int>(std::min<int64_t>(b - a, INT32_MAX / 2)));
  }
  return m;
}

uint32_t Average(const PixelView& v, int x0, int nx, int y0, int ny) {
  uint64_t sum[4] = {0, 0, 0, 0};
  for (int y = y0; y < y0 + ny; ++y)
    for (int x = x0; x < x0 + nx; ++x) {
      uint32_t p = v.Row(y)[x];
      for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
    }
  uint64_t n = static_cast<uint64_t>(nx) * ny;
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) out |= static_cast<uint32_t>((sum[c] + n / 2) / n) << (8 * c);
  return out;
}

uint32_t SampleSource(const PixelView& v, int x0, int nx, int y0, int ny, int mode) {
  if (nx == 1 && ny == 1) return v.Row(y0)[x0];
  if (mode == HALFTONE) return Average(v, x0, nx, y0, ny);
  if (mode == COLORONCOLOR) return v.Row(y0 + ny / 2)[x0 + nx / 2];
  // Shrinking in the black-on-white mode keeps black (AND), white-on-black keeps white (OR).
  uint32_t acc = mode == BLACKONWHITE ? 0xFFFFFFFFu : 0u;
  for (int y = y0; y < y0 + ny; ++y)
    for (int x = x0; x < x0 + nx; ++x)
      acc = mode == BLACKONWHITE ? (acc & v.Row(y)[x]) : (acc | v.Row(y)[x]);
  return acc;
}

uint32_t AlphaOver(uint32_t s, uint32_t d, const BLENDFUNCTION& bf) {
  unsigned ca = bf.SourceConstantAlpha;
  unsigned sa = (bf.AlphaFormat & AC_SRC_ALPHA) ? (s >> 24) * ca / 255 : ca;
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    unsigned sv = (s >> (8 * c)) & 0xFF, dv = (d >> (8 * c)) & 0xFF;
    if (c == 3 && !(bf.AlphaFormat & AC_SRC_ALPHA)) sv = ca;
    unsigned v = (bf.AlphaFormat & AC_SRC_ALPHA) ? sv * ca / 255 + dv * (255 - sa) / 255
                                                  : (sv * sa + dv * (255 - sa)) / 255;
    out |= std::min(v, 255u) << (8 * c);
  }
  return out;
}

// When source and destination share pixels, blit from a copy of the source rows.
PixelView SnapshotIfShared(const PixelView& src, const PixelView& dst, std::vector<uint32_t>& keep) {
  if (src.base != dst.base) return src;
  keep.resize(static_cast<size_t>(src.width) * src.height);
  for (int y = 0; y < src.height; ++y)
    std::memcpy(&keep[static_cast<size_t>(y) * src.width], src.Row(y), static_cast<size_t>(src.width) * 4);
  return PixelView{keep.data(), src.width, src.height, src.width};
}

bool PlainCopy(DcObj& dst, int xd, int yd, int wd, int hd, const BlitSource& src, int xs, int ys,
               const Converter& conv) {
  PixelView dv = dst.View();
  const Region& clip = dst.Clip();
  bool down = src.view.base == dv.base && yd > ys;  // overlapping scroll downwards
  for (int k = 0; k < hd; ++k) {
    int row = down ? hd - 1 - k : k;
    int sy = ys + row, y = yd + row;
    if (sy < 0 || sy >= src.view.height) continue;
    int lo = std::max(xd, xd - xs), hi = std::min(xd + wd, xd + (src.view.width - xs));
    if (lo >= hi) continue;
    const uint32_t* srow = src.view.Row(sy);
    clip.ClipSpan(y, lo, hi, [&](int a, int b) {
      uint32_t* drow = dv.Row(y);
      if (!conv.toColor && !conv.toMono)
        std::memmove(drow + a, srow + (a - xd + xs), static_cast<size_t>(b - a) * 4);
      else
        for (int x = a; x < b; ++x) drow[x] = conv(srow[x - xd + xs]);
    });
  }
  return true;
}

}  // namespace

bool StretchToDc(DcObj& dst, int xd, int yd, int wd, int hd, const BlitSource* src, int xs,
                 int ys, int ws, int hs, DWORD rop, const BlitExtras& extras) {
  PixelView dv = dst.View();
  if (!dv.Valid()) return false;
  uint8_t code = static_cast<uint8_t>(rop >> 16);
  bool needSource = UsesSource(code) || extras.blend || extras.transparent || extras.mask;
  if (extras.mask) needSource = needSource || UsesSource(static_cast<uint8_t>(extras.backRop >> 16));
  if (needSource && (!src || !src->view.Valid())) return false;
  if (wd == 0 || hd == 0 || (needSource && (ws == 0 || hs == 0))) return true;
  Converter conv;
  bool dstMono = dst.Mono();
  if (needSource) {
    conv.toColor = src->mono && !dstMono;
    conv.toMono = !src->mono && dstMono;
    conv.text = dst.DeviceColor(dst.state.textColor);
    conv.back = dst.DeviceColor(dst.state.bkColor);
    conv.srcBack = src->background;
  }
  // The common case: same size, no mirroring, plain copy.
  if (needSource && code == 0xCC && !extras.blend && !extras.transparent && !extras.mask &&
      wd == ws && hd == hs && wd > 0 && hd > 0)
    return PlainCopy(dst, xd, yd, wd, hd, *src, xs, ys, conv);

  std::vector<uint32_t> keep;
  BlitSource source;
  if (needSource) {
    source = *src;
    source.view = SnapshotIfShared(src->view, dv, keep);
  }
  Paint paint = BrushPaint(dst, dst.state.brush);
  bool needPattern = UsesPattern(code) || (extras.mask && UsesPattern(static_cast<uint8_t>(extras.backRop >> 16)));
  if (needPattern && paint.type == Paint::Type::None) return true;  // a hollow brush paints nothing
  // A negative extent runs back from the given corner: the rectangle is
  // normalised and, like every rectangle, excludes its right and bottom edge.
  int left = wd < 0 ? xd + wd : xd, top = hd < 0 ? yd + hd : yd;
  // Only the part of the destination inside the clip is mapped and walked.
  const Region& clip = dst.Clip();
  RECT box = clip.Box();
  int64_t width = std::abs(int64_t{wd}), height = std::abs(int64_t{hd});
  int i0 = static_cast<int>(std::clamp<int64_t>(int64_t{box.left} - left, 0, width));
  int i1 = static_cast<int>(std::clamp<int64_t>(int64_t{box.right} - left, i0, width));
  int j0 = static_cast<int>(std::clamp<int64_t>(int64_t{box.top} - top, 0, height));
  int j1 = static_cast<int>(std::clamp<int64_t>(int64_t{box.bottom} - top, j0, height));
  AxisMap mx, my;
  if (needSource) {
    mx = MapAxis(wd, ws, xs, i0, i1);
    my = MapAxis(hd, hs, ys, j0, j1);
  }
  int mode = dst.state.stretchMode;
  for (int jj = j0; jj < j1; ++jj) {
    int y = top + jj, j = jj - j0;
    if (needSource && (my.first[j] < 0 || int64_t{my.first[j]} + my.count[j] > source.view.height)) continue;
    clip.ClipSpan(y, left + i0, left + i1, [&](int a, int b) {
      uint32_t* drow = dv.Row(y);
      for (int x = a; x < b; ++x) {
        int i = x - left - i0;
        uint32_t s = 0;
        if (needSource) {
          if (mx.first[i] < 0 || int64_t{mx.first[i]} + mx.count[i] > source.view.width) continue;
          s = SampleSource(source.view, mx.first[i], mx.count[i], my.first[j], my.count[j], mode);
          if (extras.transparent && (s & 0xFFFFFF) == (*extras.transparent & 0xFFFFFF)) continue;
          s = conv(s);
        }
        if (extras.blend) {
          drow[x] = AlphaOver(s, drow[x], *extras.blend);
          continue;
        }
        uint32_t p = needPattern ? PaintAt(paint, x, y) : 0;
        uint8_t use = code;
        if (extras.mask) {
          int mxp = extras.maskX + (mx.first[i] - xs), myp = extras.maskY + (my.first[j] - ys);
          bool fore = mxp >= 0 && myp >= 0 && mxp < extras.mask->width &&
                      myp < extras.mask->height && (extras.mask->Row(myp)[mxp] & 0xFFFFFF);
          if (!fore) use = static_cast<uint8_t>(extras.backRop >> 16);
        }
        uint32_t out = Rop3(use, p, s, drow[x]);
        if (dstMono) out = MonoPixel(out);
        drow[x] = out;
      }
    });
  }
  return true;
}

}  // namespace compat::gdi

using namespace compat::gdi;

namespace {

struct DeviceRectangle {
  int x, y, w, h;
};

DeviceRectangle ToDeviceRect(DcObj& dc, int x, int y, int w, int h) {
  POINT a = dc.ToDevice(x, y), b = dc.ToDevice(x + w, y + h);
  return DeviceRectangle{a.x, a.y, b.x - a.x, b.y - a.y};
}

bool SourceOf(HDC hdc, BlitSource* out, DcObj** dcOut) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return false;
  out->view = dc->View();
  out->mono = dc->Mono();
  out->background = PixelFromColor(dc->state.bkColor);
  *dcOut = dc;
  return true;
}

bool DoBlit(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
            int ySrc, int wSrc, int hSrc, DWORD rop, const BlitExtras& extras) {
  DcObj* dst = GetDc(hdcDest);
  if (!dst) return false;
  DeviceRectangle d = ToDeviceRect(*dst, xDest, yDest, wDest, hDest);
  uint8_t code = static_cast<uint8_t>(rop >> 16);
  bool needSource = UsesSource(code) || extras.blend || extras.transparent || extras.mask;
  if (!needSource) return StretchToDc(*dst, d.x, d.y, d.w, d.h, nullptr, 0, 0, 0, 0, rop, extras);
  BlitSource src;
  DcObj* srcDc = nullptr;
  if (!SourceOf(hdcSrc, &src, &srcDc)) return false;
  DeviceRectangle s = ToDeviceRect(*srcDc, xSrc, ySrc, wSrc, hSrc);
  return StretchToDc(*dst, d.x, d.y, d.w, d.h, &src, s.x, s.y, s.w, s.h, rop, extras);
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (UsesSource(static_cast<uint8_t>(rop >> 16))) return FALSE;
  DeviceRectangle d = ToDeviceRect(*dc, x, y, w, h);
  return StretchToDc(*dc, d.x, d.y, d.w, d.h, nullptr, 0, 0, 0, 0, rop);
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  return DoBlit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop & 0x00FFFFFF, BlitExtras{});
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
  return DoBlit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc,
                rop & 0x00FFFFFF, BlitExtras{});
}

BOOL MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc,
             int ySrc, HBITMAP hbmMask, int xMask, int yMask, DWORD rop) {
  DWORD fore = rop & 0x00FFFFFF;
  if (!hbmMask) return BitBlt(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, fore);
  BitmapObj* mask = GetBitmap(hbmMask);
  if (!mask || !mask->mono) return FALSE;
  PixelView mv = mask->View();
  BlitExtras extras;
  extras.mask = &mv;
  extras.maskX = xMask;
  extras.maskY = yMask;
  extras.backRop = ((rop >> 8) & 0x00FF0000) | 0x00AA0029;
  return DoBlit(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width, height, fore,
                extras);
}

BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest,
                    HDC hdcSrc, int xoriginSrc, int yoriginSrc, int wSrc, int hSrc,
                    UINT crTransparent) {
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return FALSE;
  uint32_t key = PixelFromColor(crTransparent);
  BlitExtras extras;
  extras.transparent = &key;
  return DoBlit(hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc,
                wSrc, hSrc, SRCCOPY, extras);
}

BOOL AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn) {
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || ftn.BlendOp != AC_SRC_OVER) return FALSE;
  BlitExtras extras;
  extras.blend = &ftn;
  return DoBlit(hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc,
                wSrc, hSrc, SRCCOPY, extras);
}

// Each destination pixel whose centre lies in the parallelogram takes the
// source pixel its centre maps back to; a mask keeps the destination where
// its bit is 0.
BOOL PlgBlt(HDC hdcDest, const POINT* points, HDC hdcSrc, int xSrc, int ySrc, int width,
            int height, HBITMAP hbmMask, int xMask, int yMask) {
  DcObj* dst = GetDc(hdcDest);
  BlitSource src;
  DcObj* srcDc = nullptr;
  if (!dst || !points || width <= 0 || height <= 0 || !SourceOf(hdcSrc, &src, &srcDc)) return FALSE;
  PixelView maskView;
  if (hbmMask) {
    BitmapObj* mask = GetBitmap(hbmMask);
    if (!mask || !mask->mono) return FALSE;
    maskView = mask->View();
  }
  POINT p0 = dst->ToDevice(points[0].x, points[0].y), p1 = dst->ToDevice(points[1].x, points[1].y),
        p2 = dst->ToDevice(points[2].x, points[2].y);
  double ax = p1.x - p0.x, ay = p1.y - p0.y, bx = p2.x - p0.x, by = p2.y - p0.y;
  double det = ax * by - ay * bx;
  if (det == 0) return FALSE;
  Painter painter(*dst);
  if (!painter.Ready()) return TRUE;
  const PixelView& out = painter.View();
  double xs[4] = {double(p0.x), double(p1.x), double(p2.x), double(p1.x) + p2.x - p0.x};
  double ys[4] = {double(p0.y), double(p1.y), double(p2.y), double(p1.y) + p2.y - p0.y};
  // The far corner may lie beyond what an int holds: clamp before converting.
  auto edge = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
  int left = std::max(0, edge(std::floor(*std::min_element(xs, xs + 4))));
  int right = std::min(out.width, edge(std::ceil(*std::max_element(xs, xs + 4))));
  int top = std::max(0, edge(std::floor(*std::min_element(ys, ys + 4))));
  int bottom = std::min(out.height, edge(std::ceil(*std::max_element(ys, ys + 4))));
  DeviceRectangle s = ToDeviceRect(*srcDc, xSrc, ySrc, width, height);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      double dx = x + 0.5 - p0.x, dy = y + 0.5 - p0.y;
      double along = (dx * by - dy * bx) / det, down = (ax * dy - ay * dx) / det;
      if (along < 0 || along >= 1 || down < 0 || down >= 1) continue;
      int u = static_cast<int>(along * width), v = static_cast<int>(down * height);
      int sx = s.x + u, sy = s.y + v;
      if (sx < 0 || sy < 0 || sx >= src.view.width || sy >= src.view.height) continue;
      if (maskView.Valid()) {
        int mx = xMask + u, my = yMask + v;
        if (mx < 0 || my < 0 || mx >= maskView.width || my >= maskView.height) continue;
        if ((maskView.Row(my)[mx] & 0xFFFFFF) == 0) continue;
      }
      painter.Pixel(x, y, src.view.Row(sy)[sx], R2_COPYPEN);
    }
  }
  return TRUE;
}
