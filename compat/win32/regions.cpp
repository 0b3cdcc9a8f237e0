// Regions as y-x banded rectangle lists, the region calls, and clipping of a DC.
#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"
#include "compat/win32/window_dc.h"

namespace compat::gdi {

namespace {

using Intervals = std::vector<int>;  // [x0, x1) pairs, sorted, disjoint

bool OpKeeps(int mode, bool inA, bool inB) {
  switch (mode) {
    case RGN_AND: return inA && inB;
    case RGN_OR: return inA || inB;
    case RGN_XOR: return inA != inB;
    case RGN_DIFF: return inA && !inB;
    default: return inA;
  }
}

// Boolean combination of two interval lists by sweeping their end points.
Intervals CombineIntervals(const Intervals& a, const Intervals& b, int mode) {
  std::vector<int> xs(a);
  xs.insert(xs.end(), b.begin(), b.end());
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  auto inside = [](const Intervals& iv, int x) {
    for (size_t i = 0; i + 1 < iv.size(); i += 2)
      if (x >= iv[i] && x < iv[i + 1]) return true;
    return false;
  };
  Intervals out;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    if (!OpKeeps(mode, inside(a, xs[i]), inside(b, xs[i]))) continue;
    if (!out.empty() && out.back() == xs[i])
      out.back() = xs[i + 1];
    else {
      out.push_back(xs[i]);
      out.push_back(xs[i + 1]);
    }
  }
  return out;
}

// The x intervals of a banded list on a band that lies within one band of it.
Intervals IntervalsAt(const std::vector<RECT>& rects, int y) {
  Intervals iv;
  for (const RECT& r : rects) {
    if (r.top > y) break;
    if (r.bottom <= y) continue;
    iv.push_back(r.left);
    iv.push_back(r.right);
  }
  return iv;
}

void AppendBand(std::vector<RECT>& out, int top, int bottom, const Intervals& iv) {
  if (iv.empty() || top >= bottom) return;
  // Merge with the band above when it has the same intervals and touches it.
  size_t n = iv.size() / 2;
  if (out.size() >= n) {
    size_t start = out.size() - n;
    bool same = out[start].bottom == top && (start == 0 || out[start - 1].top != out[start].top);
    for (size_t i = 0; same && i < n; ++i)
      same = out[start + i].top == out[start].top && out[start + i].bottom == top &&
             out[start + i].left == iv[2 * i] && out[start + i].right == iv[2 * i + 1];
    if (same) {
      for (size_t i = 0; i < n; ++i) out[start + i].bottom = bottom;
      return;
    }
  }
  for (size_t i = 0; i < n; ++i) out.push_back(RECT{iv[2 * i], top, iv[2 * i + 1], bottom});
}

std::vector<int> BandEdges(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<int> ys;
  for (const RECT& r : a) { ys.push_back(r.top); ys.push_back(r.bottom); }
  for (const RECT& r : b) { ys.push_back(r.top); ys.push_back(r.bottom); }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  return ys;
}

bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

Region::Region(const RECT& r) {
  if (!RectEmpty(r)) rects_.push_back(r);
}

Region Region::FromRects(const std::vector<RECT>& rects) {
  Region acc;
  for (const RECT& r : rects) acc = Combine(acc, Region(r), RGN_OR);
  return acc;
}

Region Region::FromRowSpans(int top, const std::vector<std::vector<int>>& spans) {
  Region out;
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < spans.size(); ++i) {
    // Sort the row's spans and merge those that overlap or touch.
    pairs.clear();
    for (size_t k = 0; k + 1 < spans[i].size(); k += 2)
      if (spans[i][k] < spans[i][k + 1]) pairs.emplace_back(spans[i][k], spans[i][k + 1]);
    std::sort(pairs.begin(), pairs.end());
    Intervals iv;
    for (const auto& p : pairs) {
      if (!iv.empty() && p.first <= iv.back())
        iv.back() = std::max(iv.back(), p.second);
      else {
        iv.push_back(p.first);
        iv.push_back(p.second);
      }
    }
    int y = top + static_cast<int>(i);
    AppendBand(out.rects_, y, y + 1, iv);
  }
  return out;
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  if (mode == RGN_COPY) return a;
  if (mode == RGN_AND && (a.Empty() || b.Empty())) return Region();
  if ((mode == RGN_OR || mode == RGN_XOR) && a.Empty()) return b;
  if ((mode == RGN_OR || mode == RGN_XOR || mode == RGN_DIFF) && b.Empty()) return a;
  if (mode == RGN_AND && a.rects_.size() == 1 && b.rects_.size() == 1) {
    const RECT& p = a.rects_[0];
    const RECT& q = b.rects_[0];
    return Region(RECT{std::max(p.left, q.left), std::max(p.top, q.top),
                       std::min(p.right, q.right), std::min(p.bottom, q.bottom)});
  }
  std::vector<int> ys = BandEdges(a.rects_, b.rects_);
  Region out;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    Intervals iv = CombineIntervals(IntervalsAt(a.rects_, ys[i]), IntervalsAt(b.rects_, ys[i]), mode);
    AppendBand(out.rects_, ys[i], ys[i + 1], iv);
  }
  return out;
}

RECT Region::Box() const {
  if (rects_.empty()) return RECT{0, 0, 0, 0};
  RECT box = rects_.front();
  for (const RECT& r : rects_) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  return box;
}

int Region::Complexity() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

size_t Region::FirstBandAtOrBelow(int y) const {
  // Bands are sorted by top; skip those that end at or above y.
  auto it = std::lower_bound(rects_.begin(), rects_.end(), y,
                             [](const RECT& r, int v) { return r.bottom <= v; });
  return static_cast<size_t>(it - rects_.begin());
}

bool Region::Contains(int x, int y) const {
  bool hit = false;
  ClipSpan(y, x, x + 1, [&](int, int) { hit = true; });
  return hit;
}

bool Region::Intersects(const RECT& r) const {
  for (const RECT& q : rects_)
    if (q.left < r.right && r.left < q.right && q.top < r.bottom && r.top < q.bottom) return true;
  return false;
}

void Region::Offset(int dx, int dy) {
  // Saturating, so that a far offset cannot overflow a coordinate.
  auto move = [](LONG& v, int d) {
    v = static_cast<LONG>(std::clamp<int64_t>(int64_t{v} + d, -(int64_t{1} << 30), int64_t{1} << 30));
  };
  for (RECT& r : rects_) {
    move(r.left, dx); move(r.right, dx); move(r.top, dy); move(r.bottom, dy);
  }
}

bool Region::operator==(const Region& other) const {
  if (rects_.size() != other.rects_.size()) return false;
  for (size_t i = 0; i < rects_.size(); ++i) {
    const RECT& p = rects_[i];
    const RECT& q = other.rects_[i];
    if (p.left != q.left || p.top != q.top || p.right != q.right || p.bottom != q.bottom)
      return false;
  }
  return true;
}

const Region& DcObj::Clip() {
  if (!clipDirty) return effectiveClip;
  Region base;
  if (type == DcType::Memory) {
    BitmapObj* bmp = GetBitmap(state.bitmap);
    if (bmp) base = Region(RECT{0, 0, bmp->width, bmp->height});
  } else if (surface) {
    RECT bounds{-origin.x, -origin.y, surface->width - origin.x, surface->height - origin.y};
    base = Region::Combine(visible, Region(bounds), RGN_AND);
  }
  effectiveClip = state.clip ? Region::Combine(base, *state.clip, RGN_AND) : base;
  clipDirty = false;
  return effectiveClip;
}

namespace {

HRGN NewRegion(Region r) {
  auto obj = std::make_unique<RegionObj>();
  obj->region = std::move(r);
  return static_cast<HRGN>(Register(std::move(obj)));
}

RECT DeviceRect(DcObj& dc, int left, int top, int right, int bottom) {
  POINT a = dc.ToDevice(left, top);
  POINT b = dc.ToDevice(right, bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

constexpr int kRegionRowLimit = 1 << 15;  // beyond the largest desktop

// Row spans of an ellipse or rounded rectangle for region construction.
Region RoundedRegion(int l, int t, int r, int b, double rx, double ry) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  std::vector<std::vector<int>> rows;
  double cxl = double(l) + rx, cxr = double(r) - rx, cyt = double(t) + ry, cyb = double(b) - ry;
  // Rows far outside any surface are left out, so absurd sizes cost nothing.
  int first = std::max(t, -kRegionRowLimit), last = std::min(b, kRegionRowLimit);
  for (int y = first; y < last; ++y) {
    double py = y + 0.5;
    double dy = py < cyt ? cyt - py : (py > cyb ? py - cyb : 0.0);
    double half = 0.0;
    if (dy > 0.0) {
      if (ry <= 0.0 || dy > ry) { rows.emplace_back(); continue; }
      half = rx * std::sqrt(std::max(0.0, 1.0 - (dy / ry) * (dy / ry)));
    } else {
      half = rx;
    }
    int x0 = ClampToInt(std::ceil(cxl - half - 0.5));
    int x1 = ClampToInt(std::floor(cxr + half - 0.5)) + 1;
    std::vector<int> row;
    if (x0 < x1) row = {std::max(x0, l), std::min(x1, r)};
    if (!row.empty() && row[0] >= row[1]) row.clear();
    rows.push_back(row);
  }
  return Region::FromRowSpans(first, rows);
}

int SetUserClip(DcObj& dc, std::optional<Region> clip) {
  dc.state.clip = std::move(clip);
  dc.clipDirty = true;
  return dc.Clip().Complexity();
}

Region CurrentClipOrAll(DcObj& dc) {
  if (dc.state.clip) return *dc.state.clip;
  return Region(RECT{-(1 << 27), -(1 << 27), 1 << 27, 1 << 27});
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

// --- region objects ---

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
  return NewRegion(Region(RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}));
}

HRGN CreateRectRgnIndirect(const RECT* r) {
  return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  return NewRegion(RoundedRegion(x1, y1, x2, y2, std::fabs(double(x2) - x1) / 2.0,
                                 std::fabs(double(y2) - y1) / 2.0));
}

HRGN CreateEllipticRgnIndirect(const RECT* r) {
  return r ? CreateEllipticRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  double rx = std::min(std::fabs(double(w)), std::fabs(double(x2) - x1)) / 2.0;
  double ry = std::min(std::fabs(double(h)), std::fabs(double(y2) - y1)) / 2.0;
  return NewRegion(RoundedRegion(x1, y1, x2, y2, rx, ry));
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polys, int mode) {
  if (!pts || !counts || polys <= 0) return nullptr;
  std::vector<Contour> contours;
  size_t k = 0;
  for (int i = 0; i < polys; ++i) {
    if (counts[i] < 0 || counts[i] > (1 << 24)) return nullptr;
    Contour c;
    for (int j = 0; j < counts[i]; ++j, ++k) c.Add(pts[k].x, pts[k].y);
    contours.push_back(std::move(c));
  }
  return NewRegion(ContoursToRegion(contours, mode == WINDING));
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int mode) {
  return CreatePolyPolygonRgn(pts, &count, 1, mode);
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  std::lock_guard lock(TableMutex());
  RegionObj* d = GetRegion(dst);
  RegionObj* a = GetRegion(src1);
  RegionObj* b = mode == RGN_COPY ? a : GetRegion(src2);
  if (!d || !a || !b || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  d->region = Region::Combine(a->region, b->region, mode);
  return d->region.Complexity();
}

BOOL SetRectRgn(HRGN h, int left, int top, int right, int bottom) {
  RegionObj* r = GetRegion(h);
  if (!r) return FALSE;
  r->region = Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                          std::max(top, bottom)});
  return TRUE;
}

int OffsetRgn(HRGN h, int x, int y) {
  RegionObj* r = GetRegion(h);
  if (!r) return ERROR;
  r->region.Offset(x, y);
  return r->region.Complexity();
}

int GetRgnBox(HRGN h, LPRECT out) {
  RegionObj* r = GetRegion(h);
  if (!r || !out) return ERROR;
  *out = r->region.Box();
  return r->region.Complexity();
}

BOOL PtInRegion(HRGN h, int x, int y) {
  RegionObj* r = GetRegion(h);
  return r && r->region.Contains(x, y);
}

BOOL RectInRegion(HRGN h, const RECT* rc) {
  RegionObj* r = GetRegion(h);
  return r && rc && r->region.Intersects(*rc);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObj* p = GetRegion(a);
  RegionObj* q = GetRegion(b);
  return p && q && p->region == q->region;
}

BOOL FillRgn(HDC hdc, HRGN h, HBRUSH hbr) {
  DcObj* dc = GetDc(hdc);
  RegionObj* r = GetRegion(h);
  if (!dc || !r) return FALSE;
  BrushObj scratch;
  BrushObj* brush = ResolveBrush(hbr, &scratch);
  if (!brush) return FALSE;
  Painter painter(*dc);
  Region rgn = r->region;
  // Region coordinates are logical; in MM_TEXT only the origins move them.
  POINT shift = dc->ToDevice(0, 0);
  rgn.Offset(shift.x, shift.y);
  painter.FillRegion(rgn, BrushPaint(*dc, brush), R2_COPYPEN);
  return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN h) {
  DcObj* dc = GetDc(hdc);
  return dc && FillRgn(hdc, h, dc->state.brush);
}

BOOL InvertRgn(HDC hdc, HRGN h) {
  DcObj* dc = GetDc(hdc);
  RegionObj* r = GetRegion(h);
  if (!dc || !r) return FALSE;
  Painter painter(*dc);
  Region rgn = r->region;
  POINT shift = dc->ToDevice(0, 0);
  rgn.Offset(shift.x, shift.y);
  painter.FillRegion(rgn, SolidPaint(0), R2_NOT);
  return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN h, HBRUSH hbr, int w, int hgt) {
  RegionObj* r = GetRegion(h);
  if (!GetDc(hdc) || !r || w < 0 || hgt < 0) return FALSE;
  // The frame is the region minus itself shrunk by w and h (eroded in each direction).
  Region inner = r->region;
  for (int dir = 0; dir < 4; ++dir) {
    Region moved = r->region;
    moved.Offset(dir == 0 ? w : (dir == 1 ? -w : 0), dir == 2 ? hgt : (dir == 3 ? -hgt : 0));
    inner = Region::Combine(inner, moved, RGN_AND);
  }
  HRGN frame = NewRegion(Region::Combine(r->region, inner, RGN_DIFF));
  BOOL ok = FillRgn(hdc, frame, hbr);
  DeleteObject(frame);
  return ok;
}

// --- clipping ---

int SelectClipRgn(HDC hdc, HRGN h) { return ExtSelectClipRgn(hdc, h, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN h, int mode) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return ERROR;
  RegionObj* r = GetRegion(h);
  if (!r) {
    if (mode != RGN_COPY) return ERROR;
    return SetUserClip(*dc, std::nullopt);
  }
  // Clip regions are in device coordinates.
  if (mode == RGN_COPY) return SetUserClip(*dc, r->region);
  if (mode < RGN_AND || mode > RGN_DIFF) return ERROR;
  return SetUserClip(*dc, Region::Combine(CurrentClipOrAll(*dc), r->region, mode));
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return ERROR;
  Region rect(DeviceRect(*dc, left, top, right, bottom));
  return SetUserClip(*dc, Region::Combine(CurrentClipOrAll(*dc), rect, RGN_AND));
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return ERROR;
  Region rect(DeviceRect(*dc, left, top, right, bottom));
  return SetUserClip(*dc, Region::Combine(CurrentClipOrAll(*dc), rect, RGN_DIFF));
}

int OffsetClipRgn(HDC hdc, int x, int y) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return ERROR;
  if (!dc->state.clip) return dc->Clip().Complexity();
  Region moved = *dc->state.clip;
  POINT a = dc->ToDevice(0, 0);
  POINT b = dc->ToDevice(x, y);
  moved.Offset(b.x - a.x, b.y - a.y);
  return SetUserClip(*dc, moved);
}

int GetClipBox(HDC hdc, LPRECT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out) return ERROR;
  const Region& clip = dc->Clip();
  RECT box = clip.Box();
  POINT a = dc->ToLogical(box.left, box.top);
  POINT b = dc->ToLogical(box.right, box.bottom);
  *out = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  return clip.Complexity();
}

int GetClipRgn(HDC hdc, HRGN h) {
  DcObj* dc = GetDc(hdc);
  RegionObj* r = GetRegion(h);
  if (!dc || !r) return -1;
  if (!dc->state.clip) return 0;
  r->region = *dc->state.clip;
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  POINT p = dc->ToDevice(x, y);
  return dc->Clip().Contains(p.x, p.y);
}

BOOL RectVisible(HDC hdc, const RECT* rc) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  return dc->Clip().Intersects(DeviceRect(*dc, rc->left, rc->top, rc->right, rc->bottom));
}

// --- the window manager's side ---

namespace compat {

bool GetRegionRects(HRGN rgn, std::vector<RECT>* out) {
  RegionObj* r = GetRegion(rgn);
  if (!r || !out) return false;
  *out = r->region.Rects();
  return true;
}

bool SetRegionRects(HRGN rgn, const std::vector<RECT>& rects) {
  RegionObj* r = GetRegion(rgn);
  if (!r) return false;
  r->region = Region::FromRects(rects);
  return true;
}

}  // namespace compat
