// Closed shapes: polygons, rectangles, rounded rectangles, ellipses, pies and
// chords, filled with the brush and outlined with the pen. Like the platform,
// a shape's box excludes its right and bottom edges.
#include <algorithm>
#include <cmath>
#include <limits>

#include "compat/win32/gdi_internal.h"

using namespace compat::gdi;

namespace {

constexpr int kMaxPoints = 1 << 24;

RECT DeviceBox(DcObj& dc, int left, int top, int right, int bottom) {
  POINT a = dc.ToDevice(left, top), b = dc.ToDevice(right, bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool PenIsNull(DcObj& dc) {
  PenObj* pen = CurrentPen(dc);
  return !pen || pen->Dash() == PS_NULL;
}

bool PenIsSolid(PenObj* pen) {
  int d = pen->Dash();
  return d == PS_SOLID || d == PS_INSIDEFRAME;
}

// A rounded box: an ellipse when the corner radii are half the box.
struct RoundShape {
  double left, top, right, bottom;  // continuous box, pixel edges
  double rx, ry;                    // corner radii
  // The pixels of row y whose centres lie inside the shape grown by -inset.
  bool Row(int y, double inset, int* x0, int* x1) const {
    double l = left + inset, r = right - inset, t = top + inset, b = bottom - inset;
    double crx = std::max(0.0, rx - inset), cry = std::max(0.0, ry - inset);
    double py = y + 0.5;
    if (py < t || py > b || l > r) return false;
    double dy = py < t + cry ? t + cry - py : (py > b - cry ? py - (b - cry) : 0.0);
    double shrink = 0.0;
    if (dy > 0.0) {
      if (cry <= 0.0) return false;
      double k = dy / cry;
      shrink = crx * (1.0 - std::sqrt(std::max(0.0, 1.0 - k * k)));
    }
    *x0 = ClampToInt(std::ceil(l + shrink - 0.5));
    *x1 = ClampToInt(std::floor(r - shrink - 0.5)) + 1;
    return *x0 < *x1;
  }
};

struct RowSpan {
  int x0 = std::numeric_limits<int>::max();
  int x1 = std::numeric_limits<int>::min();
  bool Empty() const { return x0 >= x1; }
};

void SpanMinus(Painter& painter, int y, RowSpan outer, RowSpan inner, const Paint& paint, int rop2) {
  if (outer.Empty()) return;
  if (inner.Empty()) {
    painter.Span(y, outer.x0, outer.x1, paint, rop2);
    return;
  }
  painter.Span(y, outer.x0, std::min(inner.x0, outer.x1), paint, rop2);
  painter.Span(y, std::max(inner.x1, outer.x0), outer.x1, paint, rop2);
}

// Paths, a turning world transform and dashed geometric pens need a shape's
// outline as points rather than its pixel rows.
bool DrawsAsOutline(DcObj& dc) {
  return PathIsOpen(dc) || dc.WorldRotates() || IsDashedGeometric(CurrentPen(dc));
}

// Fills and outlines a rounded shape. A one-pixel outline is the shape's
// boundary pixels; a wide one is the band between the shape grown and shrunk.
void DrawRoundShape(DcObj& dc, const RoundShape& shape) {
  Painter painter(dc);
  if (!painter.Ready()) return;
  PenObj* pen = CurrentPen(dc);
  bool nullPen = PenIsNull(dc);
  int width = nullPen ? 0 : DeviceWidth(dc, pen);
  bool insideFrame = !nullPen && pen->Dash() == PS_INSIDEFRAME;
  double grow = insideFrame ? 0.0 : (width - 1) / 2.0;
  Paint brush = BrushPaint(dc, dc.state.brush);
  Paint penPaint = nullPen ? Paint{} : SolidPaint(PenPixel(dc, pen));
  int rop2 = dc.state.rop2;
  int top = ClampToInt(std::floor(shape.top - grow)) - 1;
  int bottom = ClampToInt(std::ceil(shape.bottom + grow)) + 1;
  RECT box = painter.Clip().Box();
  top = std::max(top, static_cast<int>(box.top) - 1);
  bottom = std::min(bottom, static_cast<int>(box.bottom) + 1);
  auto rowOf = [&](int y, double inset) {
    RowSpan s;
    if (!shape.Row(y, inset, &s.x0, &s.x1)) s = RowSpan{};
    return s;
  };
  for (int y = top; y < bottom; ++y) {
    if (width == 0) {
      RowSpan s = rowOf(y, 0.0);
      if (!s.Empty()) painter.Span(y, s.x0, s.x1, brush, rop2);
      continue;
    }
    RowSpan outer = rowOf(y, -grow), inner;
    if (outer.Empty()) continue;
    if (width == 1 && !insideFrame) {
      RowSpan up = rowOf(y - 1, 0.0), down = rowOf(y + 1, 0.0);
      inner.x0 = std::max({outer.x0 + 1, up.x0, down.x0});
      inner.x1 = std::min({outer.x1 - 1, up.x1, down.x1});
      if (up.Empty() || down.Empty()) inner = RowSpan{};
    } else {
      inner = rowOf(y, insideFrame ? width : (width + 1) / 2.0);
    }
    if (!inner.Empty()) painter.Span(y, inner.x0, inner.x1, brush, rop2);
    SpanMinus(painter, y, outer, inner, penPaint, rop2);
  }
}

void FillAndStroke(DcObj& dc, const std::vector<Contour>& contours, bool winding) {
  bool recorded = false;
  for (const Contour& c : contours) recorded = RecordContourIntoPath(dc, c, true) || recorded;
  if (recorded) return;
  Painter painter(dc);
  FillContours(painter, contours, winding, BrushPaint(dc, dc.state.brush), dc.state.rop2);
  for (const Contour& c : contours) StrokeContour(dc, painter, c, true);
}

}  // namespace

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (DrawsAsOutline(*dc)) return DrawTurnedRectangle(*dc, left, top, right, bottom);
  RECT r = DeviceBox(*dc, left, top, right, bottom);
  Painter painter(*dc);
  int rop2 = dc->state.rop2;
  Paint brush = BrushPaint(*dc, dc->state.brush);
  PenObj* pen = CurrentPen(*dc);
  if (PenIsNull(*dc)) {
    // Without a pen the fill stops one pixel short on the right and bottom.
    painter.FillRect(RECT{r.left, r.top, r.right - 1, r.bottom - 1}, brush, rop2);
    return TRUE;
  }
  int w = DeviceWidth(*dc, pen);
  if (!PenIsSolid(pen) && w == 1) {
    painter.FillRect(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, brush, rop2);
    if (r.right - r.left >= 2 && r.bottom - r.top >= 2)
      StrokePolyline(*dc, painter, {POINT{r.left, r.top}, POINT{r.right - 1, r.top},
                                    POINT{r.right - 1, r.bottom - 1}, POINT{r.left, r.bottom - 1}},
                     true, false);
    return TRUE;
  }
  // The pen's band is centred on the box's edge pixels, or inside the box for
  // PS_INSIDEFRAME; the brush fills what the band leaves inside.
  RECT outer{r.left - w / 2, r.top - w / 2, r.right + (w - 1) / 2, r.bottom + (w - 1) / 2};
  if (pen->Dash() == PS_INSIDEFRAME) outer = r;
  RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
  Paint penPaint = SolidPaint(PenPixel(*dc, pen));
  if (inner.left >= inner.right || inner.top >= inner.bottom) {
    painter.FillRect(outer, penPaint, rop2);
    return TRUE;
  }
  painter.FillRect(inner, brush, rop2);
  painter.FillRect(RECT{outer.left, outer.top, outer.right, inner.top}, penPaint, rop2);
  painter.FillRect(RECT{outer.left, inner.bottom, outer.right, outer.bottom}, penPaint, rop2);
  painter.FillRect(RECT{outer.left, inner.top, inner.left, inner.bottom}, penPaint, rop2);
  painter.FillRect(RECT{inner.right, inner.top, outer.right, inner.bottom}, penPaint, rop2);
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (DrawsAsOutline(*dc))
    return DrawTurnedEllipse(*dc, left, top, right, bottom, std::fabs(double(right) - left) / 2.0,
                             std::fabs(double(bottom) - top) / 2.0);
  RECT r = DeviceBox(*dc, left, top, right, bottom);
  if (PenIsNull(*dc)) { --r.right; --r.bottom; }
  RoundShape shape{double(r.left), double(r.top), double(r.right), double(r.bottom),
                   (r.right - r.left) / 2.0, (r.bottom - r.top) / 2.0};
  DrawRoundShape(*dc, shape);
  return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (DrawsAsOutline(*dc))
    return DrawTurnedEllipse(*dc, left, top, right, bottom, std::fabs(width) / 2.0, std::fabs(height) / 2.0);
  RECT r = DeviceBox(*dc, left, top, right, bottom);
  if (PenIsNull(*dc)) { --r.right; --r.bottom; }
  double rx = std::min(std::fabs(width * dc->ScaleX()), double(r.right - r.left)) / 2.0;
  double ry = std::min(std::fabs(height * dc->ScaleY()), double(r.bottom - r.top)) / 2.0;
  RoundShape shape{double(r.left), double(r.top), double(r.right), double(r.bottom), rx, ry};
  DrawRoundShape(*dc, shape);
  return TRUE;
}

BOOL PolyPolygon(HDC hdc, const POINT* pts, const INT* counts, int polys) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || !counts || polys <= 0) return FALSE;
  std::vector<Contour> contours;
  int64_t total = 0;
  for (int i = 0; i < polys; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
    if (total > kMaxPoints) return FALSE;
    Contour c;
    for (int k = 0; k < counts[i]; ++k, ++pts) {
      POINT p = dc->ToDevice(pts->x, pts->y);
      c.Add(p.x, p.y);
    }
    contours.push_back(std::move(c));
  }
  FillAndStroke(*dc, contours, dc->state.polyFillMode == WINDING);
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  return PolyPolygon(hdc, pts, &count, 1);
}

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  Contour c = ArcPoints(*dc, left, top, right, bottom, xr1, yr1, xr2, yr2);
  if (c.Size() == 0) return TRUE;
  if (dc->WorldRotates()) {
    double cx = 0, cy = 0;
    dc->ToDeviceExact((double(left) + right) / 2.0, (double(top) + bottom) / 2.0, &cx, &cy);
    c.Add(cx, cy);
  } else {
    RECT r = DeviceBox(*dc, left, top, right, bottom);
    c.Add((r.left + r.right - 1) / 2.0, (r.top + r.bottom - 1) / 2.0);
  }
  FillAndStroke(*dc, {c}, false);
  return TRUE;
}

BOOL Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  Contour c = ArcPoints(*dc, x1, y1, x2, y2, x3, y3, x4, y4);
  if (c.Size() == 0) return TRUE;
  FillAndStroke(*dc, {c}, false);
  return TRUE;
}
