// Lines: pixels, the current position, polylines, Bézier curves and arcs, with
// cosmetic (one-pixel, dashed) pens and wide pens stroked as filled outlines.
#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxPoints = 1 << 24;

// Dash patterns of cosmetic pens, in pixels: on, off, on, off...
std::vector<int> DashPattern(const PenObj& pen) {
  switch (pen.Dash()) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE: return {1, 1};
    case PS_USERSTYLE: {
      std::vector<int> p;
      for (DWORD v : pen.userStyle) p.push_back(static_cast<int>(std::max<DWORD>(1, std::min<DWORD>(v, 1 << 16))));
      if (p.size() % 2) p.insert(p.end(), p.begin(), p.end());
      return p;
    }
    default: return {};
  }
}

// Walks a dash pattern one pixel at a time, across the segments of one call.
class DashWalker {
 public:
  explicit DashWalker(std::vector<int> pattern) : pattern_(std::move(pattern)) {}
  // Moves past pixels that fall outside the clip, keeping the pattern's phase.
  void Skip(int64_t n) {
    if (pattern_.empty() || n <= 0) return;
    int64_t period = 0;
    for (int v : pattern_) period += v;
    n %= period;
    while (n-- > 0) Next();
  }
  // True when the next pixel is in a dash, false in a gap.
  bool Next() {
    if (pattern_.empty()) return true;
    bool on = index_ % 2 == 0;
    if (++count_ >= pattern_[index_]) {
      count_ = 0;
      index_ = (index_ + 1) % pattern_.size();
    }
    return on;
  }

 private:
  std::vector<int> pattern_;
  size_t index_ = 0;
  int count_ = 0;
};

// Steps i of [0, n) whose major coordinate start + step * i lies in [lo, hi).
void StepRange(int64_t start, int step, int64_t n, int64_t lo, int64_t hi, int64_t* first, int64_t* last) {
  int64_t a = step > 0 ? lo - start : start - (hi - 1);
  int64_t b = step > 0 ? hi - start : start - lo + 1;
  *first = std::clamp<int64_t>(a, 0, n);
  *last = std::clamp<int64_t>(b, *first, n);
}

// The pixels of a one-pixel line from a to b, end point excluded. Ties of the
// minor axis round towards the start. Only the steps inside `box` are walked,
// so a line with far-away ends costs what its visible part costs; `skip`
// learns how many steps were passed over before each run.
template <class Plot, class Skip>
void CosmeticLine(POINT a, POINT b, const RECT& box, Plot&& plot, Skip&& skip) {
  int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
  int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  bool xMajor = adx >= ady;
  int64_t n = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  int64_t first = 0, last = 0;
  if (xMajor)
    StepRange(a.x, sx, n, box.left, box.right, &first, &last);
  else
    StepRange(a.y, sy, n, box.top, box.bottom, &first, &last);
  skip(first);
  for (int64_t i = first; i < last; ++i) {
    int64_t off = (2 * i * minor + n - 1) / (2 * n);
    if (xMajor)
      plot(static_cast<int>(a.x + sx * i), static_cast<int>(a.y + sy * off));
    else
      plot(static_cast<int>(a.x + sx * off), static_cast<int>(a.y + sy * i));
  }
  skip(n - last);
}

double SignedArea(const Contour& c) {
  double a = 0;
  for (size_t i = 0, n = c.Size(); i < n; ++i) {
    size_t j = (i + 1) % n;
    a += c.xs[i] * c.ys[j] - c.xs[j] * c.ys[i];
  }
  return a / 2;
}

// All pieces of a wide stroke share one orientation so that a non-zero fill
// gives their union: overlaps are painted once, which matters for XOR pens.
void AddOriented(std::vector<Contour>& out, Contour c) {
  if (c.Size() < 3) return;
  if (SignedArea(c) > 0) {
    std::reverse(c.xs.begin(), c.xs.end());
    std::reverse(c.ys.begin(), c.ys.end());
  }
  out.push_back(std::move(c));
}

void AddDisc(std::vector<Contour>& out, double cx, double cy, double r, int most = 256) {
  int n = std::min(ClampToInt(2 * kPi * r, 32, 256), most);
  Contour c;
  for (int i = 0; i < n; ++i) {
    double t = 2 * kPi * (i + 0.5) / n;
    c.Add(cx + r * std::cos(t), cy + r * std::sin(t));
  }
  AddOriented(out, std::move(c));
}

struct StrokeStyle {
  double half;
  DWORD cap;
  DWORD join;
  double miterLimit;  // longest miter tip, in half widths
  int discPoints = 256;  // most points of one round join or cap
};

void AddSegment(std::vector<Contour>& out, double ax, double ay, double bx, double by,
                const StrokeStyle& st, bool capStart, bool capEnd) {
  double len = std::hypot(bx - ax, by - ay);
  if (len <= 0) return;
  double ux = (bx - ax) / len, uy = (by - ay) / len;
  double nx = -uy * st.half, ny = ux * st.half;
  if (st.cap == PS_ENDCAP_SQUARE) {
    if (capStart) { ax -= ux * st.half; ay -= uy * st.half; }
    if (capEnd) { bx += ux * st.half; by += uy * st.half; }
  }
  Contour c;
  c.Add(ax + nx, ay + ny);
  c.Add(bx + nx, by + ny);
  c.Add(bx - nx, by - ny);
  c.Add(ax - nx, ay - ny);
  AddOriented(out, std::move(c));
}

void AddJoin(std::vector<Contour>& out, double px, double py, double vx, double vy, double qx,
             double qy, const StrokeStyle& st) {
  if (st.join == PS_JOIN_ROUND) {
    AddDisc(out, vx, vy, st.half, st.discPoints);
    return;
  }
  double l1 = std::hypot(vx - px, vy - py), l2 = std::hypot(qx - vx, qy - vy);
  if (l1 <= 0 || l2 <= 0) return;
  double n1x = -(vy - py) / l1 * st.half, n1y = (vx - px) / l1 * st.half;
  double n2x = -(qy - vy) / l2 * st.half, n2y = (qx - vx) / l2 * st.half;
  for (int side = -1; side <= 1; side += 2) {
    Contour c;
    c.Add(vx, vy);
    c.Add(vx + side * n1x, vy + side * n1y);
    if (st.join == PS_JOIN_MITER) {
      // The miter tip where the two offset edges meet, within the DC's limit.
      double ax = vx + side * n1x, ay = vy + side * n1y;
      double bx = vx + side * n2x, by = vy + side * n2y;
      double d1x = (vx - px) / l1, d1y = (vy - py) / l1, d2x = (qx - vx) / l2, d2y = (qy - vy) / l2;
      double den = d1x * d2y - d1y * d2x;
      if (std::fabs(den) > 1e-9) {
        double t = ((bx - ax) * d2y - (by - ay) * d2x) / den;
        double mx = ax + d1x * t, my = ay + d1y * t;
        if (std::hypot(mx - vx, my - vy) <= st.miterLimit * st.half) c.Add(mx, my);
      }
    }
    c.Add(vx + side * n2x, vy + side * n2y);
    AddOriented(out, std::move(c));
  }
}

std::vector<Contour> WideStroke(const Contour& path, bool closed, const StrokeStyle& style) {
  std::vector<Contour> pieces;
  size_t n = path.Size();
  if (n == 0) return pieces;
  // Round joins of a path with thousands of points (a big arc) share one
  // budget of points: neighbouring discs overlap almost whole, and full
  // discs at every point made a single wide arc cost seconds to fill.
  constexpr size_t kDiscBudget = size_t{1} << 16;
  StrokeStyle st = style;
  st.discPoints = static_cast<int>(std::clamp<size_t>(kDiscBudget / n, 16, 256));
  bool round = st.cap == PS_ENDCAP_ROUND;
  if (n == 1 || (n == 2 && path.xs[0] == path.xs[1] && path.ys[0] == path.ys[1])) {
    if (round) AddDisc(pieces, path.xs[0], path.ys[0], st.half);
    return pieces;
  }
  size_t segments = closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    size_t j = (i + 1) % n;
    AddSegment(pieces, path.xs[i], path.ys[i], path.xs[j], path.ys[j], st, !closed && i == 0,
               !closed && i + 1 == segments);
  }
  for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
    size_t p = (i + n - 1) % n, q = (i + 1) % n;
    AddJoin(pieces, path.xs[p], path.ys[p], path.xs[i], path.ys[i], path.xs[q], path.ys[q], st);
  }
  if (!closed && round) {
    AddDisc(pieces, path.xs[0], path.ys[0], st.half);
    AddDisc(pieces, path.xs[n - 1], path.ys[n - 1], st.half);
  }
  return pieces;
}

// Dash lengths of a geometric pen follow its width; a user style is in
// logical units. Returns on, off, on, off... in device pixels.
std::vector<double> GeometricDashes(DcObj& dc, const PenObj& pen, double width) {
  switch (pen.Dash()) {
    case PS_DASH: return {3 * width, width};
    case PS_DOT: return {width, width};
    case PS_DASHDOT: return {3 * width, width, width, width};
    case PS_DASHDOTDOT: return {3 * width, width, width, width, width, width};
    default: break;
  }
  std::vector<double> p;
  for (DWORD v : pen.userStyle) p.push_back(std::clamp<double>(v * dc.ScaleX(), 0.0, 1e6));
  if (p.size() % 2) p.insert(p.end(), p.begin(), p.end());
  double period = 0;
  for (double v : p) period += v;
  // A pattern of nothing draws solid, and one below a pixel would cost without showing.
  if (period < 1) return {};
  return p;
}

// The part [t0, t1] of segment a-b inside `box`; false when none is.
bool ClipSegment(double ax, double ay, double bx, double by, const RECT& box, double* t0, double* t1) {
  *t0 = 0;
  *t1 = 1;
  const double d[4] = {-(bx - ax), bx - ax, -(by - ay), by - ay};
  const double q[4] = {ax - box.left, box.right - ax, ay - box.top, box.bottom - ay};
  for (int i = 0; i < 4; ++i) {
    if (d[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / d[i];
    if (d[i] < 0)
      *t0 = std::max(*t0, t);
    else
      *t1 = std::min(*t1, t);
  }
  return *t0 < *t1;
}

// Cuts a polyline into its dashes, each an open piece stroked with its caps.
// Only the parts of segments inside `box` are cut; elsewhere the pattern just
// moves on, so a long line mostly off the surface costs what its visible part costs.
class DashCutter {
 public:
  explicit DashCutter(const std::vector<double>& pattern) : pattern_(pattern), left_(pattern[0]) {
    for (double v : pattern) period_ += v;
  }
  std::vector<Contour> Cut(const Contour& path, bool closed, const RECT& box) {
    size_t n = path.Size();
    size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
      size_t j = (i + 1) % n;
      Segment(path.xs[i], path.ys[i], path.xs[j], path.ys[j], box);
    }
    EndDash();
    return std::move(dashes_);
  }

 private:
  void Segment(double ax, double ay, double bx, double by, const RECT& box) {
    double len = std::hypot(bx - ax, by - ay), t0 = 0, t1 = 0;
    if (len <= 0) return;
    if (!ClipSegment(ax, ay, bx, by, box, &t0, &t1)) {
      Skip(len, bx, by);
      return;
    }
    if (t0 > 0) Skip(t0 * len, ax + (bx - ax) * t0, ay + (by - ay) * t0);
    double ux = (bx - ax) / len, uy = (by - ay) / len;
    double sx = ax + (bx - ax) * t0, sy = ay + (by - ay) * t0;
    double visible = (t1 - t0) * len, pos = 0;
    if (on_ && current_.Size() == 0) current_.Add(sx, sy);
    while (visible - pos > left_) {
      pos += left_;
      double x = sx + ux * pos, y = sy + uy * pos;
      if (on_) {
        current_.Add(x, y);
        EndDash();
      } else {
        current_ = Contour{};
        current_.Add(x, y);
      }
      Next();
    }
    left_ -= visible - pos;
    if (on_) current_.Add(sx + ux * visible, sy + uy * visible);
    if (t1 < 1) Skip((1 - t1) * len, bx, by);
  }
  // Moves the pattern on by `distance` without drawing; (x, y) is where that ends.
  void Skip(double distance, double x, double y) {
    EndDash();
    if (distance >= left_) {
      distance -= left_;
      Next();
      distance = std::fmod(distance, period_);
      while (distance >= left_) {
        distance -= left_;
        Next();
      }
    }
    left_ -= distance;
    if (on_) current_.Add(x, y);
  }
  void Next() {
    on_ = !on_;
    index_ = (index_ + 1) % pattern_.size();
    left_ = pattern_[index_];
  }
  void EndDash() {
    if (current_.Size() > 1) dashes_.push_back(std::move(current_));
    current_ = Contour{};
  }

  const std::vector<double>& pattern_;
  double period_ = 0;
  size_t index_ = 0;
  double left_;  // of the current dash or gap
  bool on_ = true;
  Contour current_;
  std::vector<Contour> dashes_;
};

bool IsCosmetic(DcObj& dc, PenObj* pen) {
  if (pen->extended) return (pen->style & PS_TYPE_MASK) != PS_GEOMETRIC || DeviceWidth(dc, pen) <= 1;
  return DeviceWidth(dc, pen) <= 1;
}

void CosmeticPolyline(DcObj& dc, Painter& painter, PenObj* pen, const std::vector<POINT>& pts,
                      bool closed, bool includeLast) {
  uint32_t color = PenPixel(dc, pen);
  uint32_t gap = dc.DeviceColor(dc.state.bkColor);
  bool opaqueGaps = dc.state.bkMode == OPAQUE;
  int rop2 = dc.state.rop2;
  DashWalker dashes(DashPattern(*pen));
  auto plot = [&](int x, int y) {
    if (dashes.Next())
      painter.Pixel(x, y, color, rop2);
    else if (opaqueGaps)
      painter.Pixel(x, y, gap, rop2);
  };
  auto skip = [&](int64_t k) { dashes.Skip(k); };
  RECT box = painter.Clip().Box();
  size_t n = pts.size();
  for (size_t i = 0; i + 1 < n; ++i) CosmeticLine(pts[i], pts[i + 1], box, plot, skip);
  if (closed && n > 2) CosmeticLine(pts[n - 1], pts[0], box, plot, skip);
  if (includeLast && n > 0 && !closed) plot(pts[n - 1].x, pts[n - 1].y);
}

}  // namespace

int DeviceWidth(DcObj& dc, PenObj* pen) {
  if (pen->width <= 1) return 1;
  // Twice the widest surface covers everything a stroke can reach; wider
  // would only overflow the arithmetic of its outline.
  constexpr double kMaxDeviceWidth = 1 << 16;
  return std::max(1, RoundToInt(std::min(pen->width * dc.ScaleX(), kMaxDeviceWidth)));
}

void StrokePolyline(DcObj& dc, Painter& painter, const std::vector<POINT>& pts, bool closed,
                    bool includeLast) {
  if (RecordIntoPath(dc, pts, closed)) return;
  PenObj* pen = CurrentPen(dc);
  if (!pen || pen->Dash() == PS_NULL || pts.empty() || !painter.Ready()) return;
  if (IsCosmetic(dc, pen)) {
    CosmeticPolyline(dc, painter, pen, pts, closed, includeLast);
    return;
  }
  Contour path;
  for (const POINT& p : pts) path.Add(p.x, p.y);
  StrokeContour(dc, painter, path, closed);
}

void StrokeContour(DcObj& dc, Painter& painter, const Contour& path, bool closed) {
  if (RecordContourIntoPath(dc, path, closed)) return;
  PenObj* pen = CurrentPen(dc);
  if (!pen || pen->Dash() == PS_NULL || path.Size() == 0) return;
  if (IsCosmetic(dc, pen)) {
    std::vector<POINT> pts;
    for (size_t i = 0; i < path.Size(); ++i)
      pts.push_back(POINT{RoundToInt(path.xs[i]), RoundToInt(path.ys[i])});
    CosmeticPolyline(dc, painter, pen, pts, closed, !closed);
    return;
  }
  int width = DeviceWidth(dc, pen);
  StrokeStyle st{width / 2.0, pen->style & PS_ENDCAP_MASK, pen->style & PS_JOIN_MASK,
                 dc.state.miterLimit};
  std::vector<double> pattern = IsDashedGeometric(pen) ? GeometricDashes(dc, *pen, width)
                                                       : std::vector<double>{};
  std::vector<Contour> outline;
  if (pattern.empty() || path.Size() < 2) {
    outline = WideStroke(path, closed, st);
  } else {
    RECT clip = painter.Clip().Box();
    RECT box{clip.left - width, clip.top - width, clip.right + width, clip.bottom + width};
    for (const Contour& dash : DashCutter(pattern).Cut(path, closed, box)) {
      std::vector<Contour> pieces = WideStroke(dash, false, st);
      for (Contour& piece : pieces) outline.push_back(std::move(piece));
    }
  }
  FillContours(painter, outline, true, SolidPaint(PenPixel(dc, pen)), dc.state.rop2);
}

// Points on an elliptical arc in device coordinates, counter-clockwise on
// screen from the start radial to the end radial (clockwise when asked).
Contour ArcPoints(DcObj& dc, int left, int top, int right, int bottom, int xs, int ys, int xe,
                  int ye) {
  if (dc.WorldRotates()) return TurnedArcPoints(dc, left, top, right, bottom, xs, ys, xe, ye);
  POINT a = dc.ToDevice(left, top), b = dc.ToDevice(right, bottom);
  POINT s = dc.ToDevice(xs, ys), e = dc.ToDevice(xe, ye);
  double l = std::min(a.x, b.x), r = std::max(a.x, b.x), t = std::min(a.y, b.y), btm = std::max(a.y, b.y);
  double cx = (l + r - 1) / 2, cy = (t + btm - 1) / 2, rx = (r - l - 1) / 2, ry = (btm - t - 1) / 2;
  Contour out;
  if (rx < 0 || ry < 0) return out;
  double a0 = std::atan2(-(s.y - cy), s.x - cx), a1 = std::atan2(-(e.y - cy), e.x - cx);
  bool clockwise = dc.state.arcDirection == AD_CLOCKWISE;
  double sweep = clockwise ? a0 - a1 : a1 - a0;
  while (sweep <= 1e-12) sweep += 2 * kPi;
  int n = ClampToInt(sweep * std::max(rx, ry) / 2, 8, 2048);
  for (int i = 0; i <= n; ++i) {
    double ang = a0 + (clockwise ? -sweep : sweep) * i / n;
    out.Add(cx + rx * std::cos(ang), cy - ry * std::sin(ang));
  }
  return out;
}

}  // namespace compat::gdi

using namespace compat::gdi;

namespace {

std::vector<POINT> ToDevicePoints(DcObj& dc, const POINT* pts, size_t count) {
  std::vector<POINT> out(count);
  for (size_t i = 0; i < count; ++i) out[i] = dc.ToDevice(pts[i].x, pts[i].y);
  return out;
}

// Flattens cubic Bézier pieces (start + 3 points each) into a polyline.
std::vector<POINT> FlattenBeziers(const std::vector<POINT>& dev) {
  std::vector<POINT> out{dev[0]};
  // Many pieces share a budget of points, so that a long call cannot run away.
  constexpr size_t kPointBudget = size_t{1} << 22;
  size_t pieces = std::max<size_t>(1, (dev.size() - 1) / 3);
  int maxSteps = static_cast<int>(std::clamp<size_t>(kPointBudget / pieces, 2, 1024));
  for (size_t i = 0; i + 3 < dev.size(); i += 3) {
    double x0 = dev[i].x, y0 = dev[i].y, x1 = dev[i + 1].x, y1 = dev[i + 1].y;
    double x2 = dev[i + 2].x, y2 = dev[i + 2].y, x3 = dev[i + 3].x, y3 = dev[i + 3].y;
    double length = std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1) +
                    std::hypot(x3 - x2, y3 - y2);
    int steps = ClampToInt(length / 3, 2, maxSteps);
    for (int k = 1; k <= steps; ++k) {
      double t = static_cast<double>(k) / steps, u = 1 - t;
      double x = u * u * u * x0 + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * x3;
      double y = u * u * u * y0 + 3 * u * u * t * y1 + 3 * u * t * t * y2 + t * t * t * y3;
      POINT p{RoundToInt(x), RoundToInt(y)};
      if (p.x != out.back().x || p.y != out.back().y || k == steps) out.push_back(p);
    }
  }
  return out;
}

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  POINT p = dc->ToDevice(x, y);
  Painter painter(*dc);
  if (!painter.Ready() || !painter.Clip().Contains(p.x, p.y)) return CLR_INVALID;
  uint32_t pixel = dc->DeviceColor(color);
  painter.Pixel(p.x, p.y, pixel, R2_COPYPEN);
  return ColorFromPixel(pixel);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  return SetPixel(hdc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  POINT p = dc->ToDevice(x, y);
  PixelView v = dc->View();
  if (!v.Valid() || !dc->Clip().Contains(p.x, p.y)) return CLR_INVALID;
  return ColorFromPixel(v.Row(p.y)[p.x]);
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->state.position;
  dc->state.position = POINT{x, y};
  PathMoveTo(*dc);
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  POINT from = dc->state.position;
  std::vector<POINT> pts{dc->ToDevice(from.x, from.y), dc->ToDevice(x, y)};
  Painter painter(*dc);
  StrokePolyline(*dc, painter, pts, false, false);
  dc->state.position = POINT{x, y};
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || count < 2 || count > kMaxPoints) return FALSE;
  Painter painter(*dc);
  StrokePolyline(*dc, painter, ToDevicePoints(*dc, pts, static_cast<size_t>(count)), false, false);
  return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* pts, DWORD count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || count == 0 || count > kMaxPoints) return FALSE;
  std::vector<POINT> all{dc->state.position};
  all.insert(all.end(), pts, pts + count);
  Painter painter(*dc);
  StrokePolyline(*dc, painter, ToDevicePoints(*dc, all.data(), all.size()), false, false);
  dc->state.position = pts[count - 1];
  return TRUE;
}

BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, DWORD polys) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || !counts || polys == 0) return FALSE;
  uint64_t total = 0;
  for (DWORD i = 0; i < polys; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
  }
  if (total > kMaxPoints) return FALSE;
  Painter painter(*dc);
  for (DWORD i = 0; i < polys; ++i) {
    StrokePolyline(*dc, painter, ToDevicePoints(*dc, pts, counts[i]), false, false);
    pts += counts[i];
  }
  return TRUE;
}

BOOL PolyBezier(HDC hdc, const POINT* pts, DWORD count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || count < 4 || (count - 1) % 3 != 0 || count > kMaxPoints) return FALSE;
  Painter painter(*dc);
  StrokePolyline(*dc, painter, FlattenBeziers(ToDevicePoints(*dc, pts, count)), false, false);
  return TRUE;
}

BOOL PolyBezierTo(HDC hdc, const POINT* pts, DWORD count) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !pts || count < 3 || count % 3 != 0 || count > kMaxPoints) return FALSE;
  std::vector<POINT> all{dc->state.position};
  all.insert(all.end(), pts, pts + count);
  if (!PolyBezier(hdc, all.data(), static_cast<DWORD>(all.size()))) return FALSE;
  dc->state.position = pts[count - 1];
  return TRUE;
}

BOOL Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  Contour arc = ArcPoints(*dc, x1, y1, x2, y2, x3, y3, x4, y4);
  if (arc.Size() == 0) return TRUE;
  Painter painter(*dc);
  StrokeContour(*dc, painter, arc, false);
  return TRUE;
}
