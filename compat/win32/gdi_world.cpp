// World transforms under GM_ADVANCED, the miter limit, and the shapes that a
// turning transform (or a dashed geometric pen) draws as outlines of points.
#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool Finite(const XFORM& x) {
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) &&
         std::isfinite(x.eM22) && std::isfinite(x.eDx) && std::isfinite(x.eDy);
}

// Logical points through the DC's whole transform, without rounding.
Contour ToDeviceContour(DcObj& dc, const std::vector<double>& xs, const std::vector<double>& ys) {
  Contour c;
  for (size_t i = 0; i < xs.size(); ++i) {
    double x = 0, y = 0;
    dc.ToDeviceExact(xs[i], ys[i], &x, &y);
    c.Add(x, y);
  }
  return c;
}

void FillAndOutline(DcObj& dc, const Contour& c) {
  if (RecordContourIntoPath(dc, c, true)) return;
  Painter painter(dc);
  FillContours(painter, {c}, false, BrushPaint(dc, dc.state.brush), dc.state.rop2);
  StrokeContour(dc, painter, c, true);
}

// Enough points that neighbouring ones lie about two device pixels apart.
int ArcSteps(DcObj& dc, double rx, double ry, double sweep) {
  double r = std::max(std::fabs(rx) * dc.ScaleX(), std::fabs(ry) * dc.ScaleY());
  return ClampToInt(sweep * r / 2, 8, 2048);
}

}  // namespace

bool IsDashedGeometric(const PenObj* pen) {
  if (!pen || !pen->extended || (pen->style & PS_TYPE_MASK) != PS_GEOMETRIC) return false;
  int d = pen->Dash();
  return d == PS_DASH || d == PS_DOT || d == PS_DASHDOT || d == PS_DASHDOTDOT || d == PS_USERSTYLE;
}

bool DrawTurnedRectangle(DcObj& dc, int left, int top, int right, int bottom) {
  std::vector<double> xs{double(left), double(right), double(right), double(left)};
  std::vector<double> ys{double(top), double(top), double(bottom), double(bottom)};
  FillAndOutline(dc, ToDeviceContour(dc, xs, ys));
  return true;
}

// A box with elliptical corners of radii rx, ry (an ellipse when they are
// half the box), walked clockwise on screen from the top edge.
bool DrawTurnedEllipse(DcObj& dc, int left, int top, int right, int bottom, double rx, double ry) {
  double l = std::min(left, right), r = std::max(left, right);
  double t = std::min(top, bottom), b = std::max(top, bottom);
  rx = std::clamp(rx, 0.0, (r - l) / 2);
  ry = std::clamp(ry, 0.0, (b - t) / 2);
  int steps = ArcSteps(dc, rx, ry, kPi / 2);
  std::vector<double> xs, ys;
  const double cx[4] = {r - rx, r - rx, l + rx, l + rx};
  const double cy[4] = {t + ry, b - ry, b - ry, t + ry};
  for (int corner = 0; corner < 4; ++corner) {
    for (int i = 0; i <= steps; ++i) {
      double a = -kPi / 2 + (corner + double(i) / steps) * kPi / 2;
      xs.push_back(cx[corner] + rx * std::cos(a));
      ys.push_back(cy[corner] + ry * std::sin(a));
    }
  }
  FillAndOutline(dc, ToDeviceContour(dc, xs, ys));
  return true;
}

// Arc points worked out in logical space, then carried through the turning
// transform point by point.
Contour TurnedArcPoints(DcObj& dc, int left, int top, int right, int bottom, int xs, int ys,
                        int xe, int ye) {
  // A metafile's box may span the whole int range: worked out in doubles.
  double cx = (double(left) + right) / 2.0, cy = (double(top) + bottom) / 2.0;
  double rx = std::fabs(double(right) - left) / 2.0, ry = std::fabs(double(bottom) - top) / 2.0;
  double a0 = std::atan2(-(ys - cy), xs - cx), a1 = std::atan2(-(ye - cy), xe - cx);
  bool clockwise = dc.state.arcDirection == AD_CLOCKWISE;
  double sweep = clockwise ? a0 - a1 : a1 - a0;
  while (sweep <= 1e-12) sweep += 2 * kPi;
  int n = ArcSteps(dc, rx, ry, sweep);
  std::vector<double> px, py;
  for (int i = 0; i <= n; ++i) {
    double ang = a0 + (clockwise ? -sweep : sweep) * i / n;
    px.push_back(cx + rx * std::cos(ang));
    py.push_back(cy - ry * std::sin(ang));
  }
  return ToDeviceContour(dc, px, py);
}

}  // namespace compat::gdi

using namespace compat::gdi;

BOOL CombineTransform(XFORM* out, const XFORM* a, const XFORM* b) {
  if (!out || !a || !b) return FALSE;
  XFORM c;
  c.eM11 = a->eM11 * b->eM11 + a->eM12 * b->eM21;
  c.eM12 = a->eM11 * b->eM12 + a->eM12 * b->eM22;
  c.eM21 = a->eM21 * b->eM11 + a->eM22 * b->eM21;
  c.eM22 = a->eM21 * b->eM12 + a->eM22 * b->eM22;
  c.eDx = a->eDx * b->eM11 + a->eDy * b->eM21 + b->eDx;
  c.eDy = a->eDx * b->eM12 + a->eDy * b->eM22 + b->eDy;
  *out = c;
  return TRUE;
}

BOOL SetWorldTransform(HDC hdc, const XFORM* xf) {
  DcObj* dc = GetDc(hdc);
  // A transform that folds the plane flat has no inverse and draws nothing sensible.
  if (!dc || !xf || dc->state.graphicsMode != GM_ADVANCED || !Finite(*xf) ||
      double(xf->eM11) * xf->eM22 - double(xf->eM12) * xf->eM21 == 0)
    return FALSE;
  dc->state.world = *xf;
  return TRUE;
}

BOOL GetWorldTransform(HDC hdc, XFORM* xf) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !xf) return FALSE;
  *xf = dc->state.world;
  return TRUE;
}

BOOL ModifyWorldTransform(HDC hdc, const XFORM* xf, DWORD mode) {
  DcObj* dc = GetDc(hdc);
  if (!dc || dc->state.graphicsMode != GM_ADVANCED) return FALSE;
  XFORM result{1, 0, 0, 1, 0, 0};
  switch (mode) {
    case MWT_IDENTITY: break;
    case MWT_LEFTMULTIPLY:
      if (!CombineTransform(&result, xf, &dc->state.world)) return FALSE;
      break;
    case MWT_RIGHTMULTIPLY:
      if (!CombineTransform(&result, &dc->state.world, xf)) return FALSE;
      break;
    default: return FALSE;
  }
  if (mode == MWT_IDENTITY) {
    dc->state.world = result;
    return TRUE;
  }
  return SetWorldTransform(hdc, &result);
}

BOOL SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !(limit >= 1.0f) || !std::isfinite(limit)) return FALSE;
  if (old) *old = static_cast<FLOAT>(dc->state.miterLimit);
  dc->state.miterLimit = limit;
  return TRUE;
}

BOOL GetMiterLimit(HDC hdc, FLOAT* limit) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !limit) return FALSE;
  *limit = static_cast<FLOAT>(dc->state.miterLimit);
  return TRUE;
}
