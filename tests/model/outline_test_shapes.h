// Contour buffers for the outline tests, built byte by byte the way the
// producers lay them out, and an independent reference for filled areas.
#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include "model/raster/pixel_buffer.h"
#include "model/outline/shape_outline.h"

namespace test_shapes {

struct Record {
  WORD type;
  std::vector<CVector2> points;
};

inline std::vector<BYTE> ContourBytes(const CVector2& start, const std::vector<Record>& records) {
  std::vector<BYTE> b(12);
  auto put = [&b](const void* p, size_t n) {
    const BYTE* bytes = static_cast<const BYTE*>(p);
    b.insert(b.end(), bytes, bytes + n);
  };
  std::memcpy(b.data() + 4, &start.x, 4);
  std::memcpy(b.data() + 8, &start.y, 4);
  for (const Record& r : records) {
    const WORD count = static_cast<WORD>(r.points.size());
    put(&r.type, 2);
    put(&count, 2);
    for (const CVector2& p : r.points) {
      put(&p.x, 4);
      put(&p.y, 4);
    }
  }
  const uint32_t size = static_cast<uint32_t>(b.size());
  std::memcpy(b.data(), &size, 4);
  return b;
}

// Closed polygon, coordinates in pixels, stored at eight units a pixel.
inline std::vector<BYTE> Polygon(std::vector<CVector2> pts, float unit = 8.0f) {
  for (CVector2& p : pts) p = CVector2(p.x * unit, p.y * unit);
  std::vector<CVector2> rest(pts.begin() + 1, pts.end());
  rest.push_back(pts[0]);
  return ContourBytes(pts[0], {{kOutlinePolyline, rest}});
}

// Circle of quadratic pieces whose on-curve points lie on the circle; pixels.
inline std::vector<BYTE> Circle(float cx, float cy, float r, int pieces = 24, bool clockwise = true,
                                float unit = 8.0f) {
  const double step = 2 * M_PI / pieces * (clockwise ? 1 : -1);
  const double reach = r / std::cos(M_PI / pieces);
  std::vector<CVector2> pts;
  for (int k = 0; k < pieces; ++k) {
    const double a = (k + 0.5) * step;
    pts.emplace_back(static_cast<float>((cx + reach * std::cos(a)) * unit), static_cast<float>((cy + reach * std::sin(a)) * unit));
  }
  const CVector2 start((cx + r) * unit, cy * unit);
  pts.push_back(start);
  return ContourBytes(start, {{kOutlineQSpline, pts}});
}

inline void Add(CShapeOutline& o, const std::vector<BYTE>& b) {
  o.AddContour(b.data(), static_cast<uint32_t>(b.size()));
}

inline double MaskArea(const CMaskBuffer& m) {
  double sum = 0;
  for (int i = 0; i < m.width * m.height; ++i) sum += m.bits[i];
  return sum / 255.0;
}

// Area of the polygons' nonzero-winding region by point sampling.
inline double WindingArea(const std::vector<std::vector<CVector2>>& polys, double x0, double y0, double x1,
                          double y1, double step) {
  double area = 0;
  for (double y = y0 + step / 2; y < y1; y += step) {
    for (double x = x0 + step / 2; x < x1; x += step) {
      int winding = 0;
      for (const auto& poly : polys) {
        for (size_t i = 0; i < poly.size(); ++i) {
          const CVector2& a = poly[i];
          const CVector2& b = poly[(i + 1) % poly.size()];
          if ((a.y <= y) != (b.y <= y)) {
            const double xc = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (xc > x) winding += b.y > a.y ? 1 : -1;
          }
        }
      }
      if (winding != 0) area += step * step;
    }
  }
  return area;
}

}  // namespace test_shapes
