// The "Marlett" symbol font, drawn as shapes: window buttons, arrows, check
// marks, radio bullets and size grips, scaled to the requested cell.
#include <cmath>
#include <initializer_list>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Cell {
  Painter& painter;
  int left, top, size;
  uint32_t color;

  double X(double u) const { return left + u * size; }
  double Y(double v) const { return top + v * size; }
  void Fill(std::vector<Contour> contours) const {
    FillContours(painter, contours, true, SolidPaint(color), R2_COPYPEN);
  }
  // A polygon in unit coordinates of the cell.
  void Poly(std::initializer_list<std::pair<double, double>> pts) const {
    Contour c;
    for (auto& p : pts) c.Add(X(p.first), Y(p.second));
    Fill({c});
  }
  // A box snapped to whole pixels, at least one pixel in each direction.
  void Box(double u0, double v0, double u1, double v1) const {
    int x0 = static_cast<int>(std::lround(X(u0))), y0 = static_cast<int>(std::lround(Y(v0)));
    int x1 = std::max(x0 + 1, static_cast<int>(std::lround(X(u1))));
    int y1 = std::max(y0 + 1, static_cast<int>(std::lround(Y(v1))));
    painter.FillRect(RECT{x0, y0, x1, y1}, SolidPaint(color), R2_COPYPEN);
  }
  // A disc or the part of a ring between angles a0 and a1 (degrees, counter-clockwise).
  void Ring(double cu, double cv, double outer, double inner, double a0, double a1) const {
    Contour c;
    int n = 48;
    for (int i = 0; i <= n; ++i) {
      double a = (a0 + (a1 - a0) * i / n) * kPi / 180;
      c.Add(X(cu + outer * std::cos(a)), Y(cv - outer * std::sin(a)));
    }
    for (int i = n; i >= 0 && inner > 0; --i) {
      double a = (a0 + (a1 - a0) * i / n) * kPi / 180;
      c.Add(X(cu + inner * std::cos(a)), Y(cv - inner * std::sin(a)));
    }
    Fill({c});
  }
  void Line(double u0, double v0, double u1, double v1, double thick) const {
    double dx = (u1 - u0) * size, dy = (v1 - v0) * size, len = std::hypot(dx, dy);
    if (len <= 0) return;
    double nx = -dy / len * thick / 2, ny = dx / len * thick / 2;
    Contour c;
    c.Add(X(u0) + nx, Y(v0) + ny);
    c.Add(X(u1) + nx, Y(v1) + ny);
    c.Add(X(u1) - nx, Y(v1) - ny);
    c.Add(X(u0) - nx, Y(v0) - ny);
    Fill({c});
  }
};

void Triangle(const Cell& c, int dir, double scale) {
  // dir: 0 up, 1 down, 2 left, 3 right; centred in the cell.
  double h = 0.25 * scale, w = 0.5 * scale;
  switch (dir) {
    case 0: c.Poly({{0.5 - w / 2 - 0.05, 0.5 + h / 2}, {0.5 + w / 2 + 0.05, 0.5 + h / 2}, {0.5, 0.5 - h / 2 - 0.05}}); break;
    case 1: c.Poly({{0.5 - w / 2 - 0.05, 0.5 - h / 2}, {0.5 + w / 2 + 0.05, 0.5 - h / 2}, {0.5, 0.5 + h / 2 + 0.05}}); break;
    case 2: c.Poly({{0.5 + h / 2, 0.5 - w / 2 - 0.05}, {0.5 + h / 2, 0.5 + w / 2 + 0.05}, {0.5 - h / 2 - 0.05, 0.5}}); break;
    default: c.Poly({{0.5 - h / 2, 0.5 - w / 2 - 0.05}, {0.5 - h / 2, 0.5 + w / 2 + 0.05}, {0.5 + h / 2 + 0.05, 0.5}}); break;
  }
}

void CheckMark(const Cell& c) {
  double t = std::max(1.5, c.size / 7.0);
  c.Line(0.22, 0.5, 0.42, 0.7, t);
  c.Line(0.40, 0.72, 0.80, 0.30, t);
}

void Grip(const Cell& c, double offset) {
  double t = std::max(1.0, c.size / 12.0);
  for (double k = 0.25; k < 1.0; k += 0.25) c.Line(k + offset, 1.0, 1.0, k + offset, t);
}

}  // namespace

bool IsMarlettFace(const WCHAR* face) {
  static const char16_t kName[] = u"marlett";
  for (int i = 0; i < 8; ++i) {
    WCHAR ch = face[i];
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<WCHAR>(ch - u'A' + u'a');
    if (ch != kName[i]) return false;
  }
  return true;
}

void DrawMarlettSymbol(Painter& painter, WCHAR ch, int left, int top, int size, uint32_t color) {
  if (size <= 0) return;
  Cell c{painter, left, top, size, color};
  double t = 1.0 / size;  // one pixel in cell units
  switch (ch) {
    case u'0': c.Box(0.25, 0.68, 0.65, 0.68 + 2 * t); break;
    case u'1':
      c.Box(0.2, 0.15, 0.8, 0.15 + 2 * t);
      c.Box(0.2, 0.15, 0.2 + t, 0.8);
      c.Box(0.8 - t, 0.15, 0.8, 0.8);
      c.Box(0.2, 0.8 - t, 0.8, 0.8);
      break;
    case u'2':
      c.Box(0.35, 0.15, 0.8, 0.15 + 2 * t);
      c.Box(0.8 - t, 0.15, 0.8, 0.6);
      c.Box(0.2, 0.38, 0.62, 0.38 + 2 * t);
      c.Box(0.2, 0.38, 0.2 + t, 0.8);
      c.Box(0.62 - t, 0.38, 0.62, 0.8);
      c.Box(0.2, 0.8 - t, 0.62, 0.8);
      break;
    case u'r': {
      double th = std::max(1.5, size / 7.0);
      c.Line(0.25, 0.25, 0.75, 0.75, th);
      c.Line(0.75, 0.25, 0.25, 0.75, th);
      break;
    }
    case u's':
      c.Ring(0.5, 0.35, 0.2, 0.2 - 2 * t, -60, 180);
      c.Box(0.47, 0.5, 0.47 + 2 * t, 0.65);
      c.Box(0.47, 0.72, 0.47 + 2 * t, 0.72 + 2 * t);
      break;
    case u'3': Triangle(c, 2, 1.0); break;
    case u'4': Triangle(c, 3, 1.0); break;
    case u'5': Triangle(c, 0, 1.0); break;
    case u'6': Triangle(c, 1, 1.0); break;
    case u'7': Triangle(c, 2, 0.8); break;
    case u'8': case u'w': Triangle(c, 3, 0.8); break;
    case u'a': case u'b': CheckMark(c); break;
    case u'h': c.Ring(0.5, 0.5, 0.15, 0, 0, 360); break;
    case u'i': c.Ring(0.5, 0.5, 0.2, 0, 0, 360); break;
    case u'n': c.Ring(0.5, 0.5, 0.5, 0, 0, 360); break;
    case u'l': c.Ring(0.5, 0.5, 0.5 - 2 * t, 0, 0, 360); break;
    case u'j': c.Ring(0.5, 0.5, 0.5, 0.5 - 2 * t, 45, 225); break;
    case u'k': c.Ring(0.5, 0.5, 0.5, 0.5 - 2 * t, 225, 405); break;
    case u'm': c.Ring(0.5, 0.5, 0.5 - t, 0.5 - 2 * t, 225, 405); break;
    case u'o': case u'x': Grip(c, 0.0); break;
    case u'p': case u'y': Grip(c, 1.0 / 12); break;
    default: break;
  }
}

}  // namespace compat::gdi
