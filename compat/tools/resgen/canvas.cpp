// Drawing primitives of the picture generator.
#include "compat/tools/resgen/canvas.h"

#include <cmath>
#include <cstdlib>

namespace resgen {

Canvas::Canvas(int width, int height, uint8_t fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Set(int x, int y, uint8_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = colour;
}

void Canvas::FillRect(int left, int top, int right, int bottom, uint8_t colour) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) Set(x, y, colour);
}

void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t colour) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  while (true) {
    Set(x0, y0, colour);
    if (x0 == x1 && y0 == y1) return;
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

void Canvas::FillPolygon(const std::vector<PointF>& points, uint8_t colour) {
  for (int y = 0; y < height_; ++y) {
    double py = y + 0.5;
    for (int x = 0; x < width_; ++x) {
      double px = x + 0.5;
      bool inside = false;
      for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const PointF& a = points[i];
        const PointF& b = points[j];
        if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) inside = !inside;
      }
      if (inside) Set(x, y, colour);
    }
  }
}

void Canvas::FillDisc(double cx, double cy, double radius, uint8_t colour) { Ring(cx, cy, -1, radius, colour); }

void Canvas::Ring(double cx, double cy, double inner, double outer, uint8_t colour) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d <= outer && d > inner) Set(x, y, colour);
    }
}

void Canvas::Outline(uint8_t colour, uint8_t outside, uint8_t edge) {
  std::vector<uint8_t> before = pixels_;
  auto was = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return outside;
    return before[static_cast<size_t>(y) * width_ + x];
  };
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (was(x, y) == colour &&
          (was(x - 1, y) == outside || was(x + 1, y) == outside || was(x, y - 1) == outside || was(x, y + 1) == outside))
        Set(x, y, edge);
}

std::vector<PointF> Placed(const std::vector<PointF>& shape, double cx, double cy, double degrees) {
  const double radians = degrees * 3.14159265358979323846 / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  std::vector<PointF> out;
  for (const PointF& p : shape) out.push_back({cx + p.x * c + p.y * s, cy - p.x * s + p.y * c});
  return out;
}

}  // namespace resgen
