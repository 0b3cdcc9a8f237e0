// The span painter behind every primitive, and polygon scan conversion with
// the platform's sampling: pixel centres at integer coordinates, edges
// inclusive on the left and top, exclusive on the right and bottom.
#include <algorithm>
#include <cmath>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

int PositiveMod(int v, int m) {
  int r = v % m;
  return r < 0 ? r + m : r;
}

struct Edge {
  double x0, y0, x1, y1;  // y0 < y1
  int dir;                // +1 downwards in the source order, -1 upwards
  double XAt(double y) const { return x0 + (x1 - x0) * (y - y0) / (y1 - y0); }
};

// The edges that can cross a row in [rowMin, rowMax) left of colMax: a wide
// pen's outline reaches far beyond the surface, and the rest never count.
std::vector<Edge> BuildEdges(const std::vector<Contour>& contours, double rowMin, double rowMax, double colMax) {
  std::vector<Edge> edges;
  for (const Contour& c : contours) {
    size_t n = c.Size();
    if (n < 2) continue;
    for (size_t i = 0; i < n; ++i) {
      size_t j = (i + 1) % n;
      double ax = c.xs[i], ay = c.ys[i], bx = c.xs[j], by = c.ys[j];
      if (ay == by || !std::isfinite(ax + ay + bx + by)) continue;
      if (std::max(ay, by) <= rowMin || std::min(ay, by) >= rowMax || std::min(ax, bx) >= colMax) continue;
      if (ay < by)
        edges.push_back(Edge{ax, ay, bx, by, 1});
      else
        edges.push_back(Edge{bx, by, ax, ay, -1});
    }
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  return edges;
}

constexpr double kCoordLimit = 1 << 24;

// Calls emit(y, x0, x1) for every covered run of pixels on rows [rowMin,
// rowMax) and columns [colMin, colMax). Crossings left of the columns only
// add to the winding and those right of them change nothing inside, so only
// the crossings between are sorted: a wide pen's outline far larger than the
// surface crosses each row thousands of times, almost all of them outside.
template <class Emit>
void ScanEdges(const std::vector<Edge>& edges, bool winding, int rowMin, int rowMax, int colMin, int colMax,
               Emit&& emit) {
  if (edges.empty() || colMin >= colMax) return;
  double top = edges.front().y0, bottom = top;
  for (const Edge& e : edges) bottom = std::max(bottom, e.y1);
  int first = std::max(rowMin, ClampToInt(std::ceil(top), -kCoordLimit, kCoordLimit));
  int last = std::min(rowMax, ClampToInt(std::ceil(bottom), -kCoordLimit, kCoordLimit));
  const auto inside = [winding](int wind) { return winding ? wind != 0 : (wind & 1) != 0; };
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> crossings;
  size_t next = 0;
  for (int y = first; y < last; ++y) {
    while (next < edges.size() && edges[next].y0 <= y) active.push_back(&edges[next++]);
    crossings.clear();
    int wind = 0;  // of the crossings left of colMin
    size_t keep = 0;
    for (const Edge* e : active) {
      if (e->y1 <= y) continue;
      active[keep++] = e;
      if (e->y0 > y) continue;
      const double x = e->XAt(y);
      if (x <= colMin) wind += winding ? e->dir : 1;
      else if (x < colMax) crossings.emplace_back(x, e->dir);
    }
    active.resize(keep);
    std::sort(crossings.begin(), crossings.end());
    int from = colMin;  // where the run after the last crossing seen starts
    for (const auto& [x, dir] : crossings) {
      const int at = ClampToInt(std::ceil(x), -kCoordLimit, kCoordLimit);
      if (inside(wind) && from < at) emit(y, from, at);
      wind += winding ? dir : 1;
      from = at;
    }
    if (inside(wind) && from < colMax) emit(y, from, colMax);
  }
}

}  // namespace

Painter::Painter(DcObj& dc) : view_(dc.View()), clip_(&dc.Clip()), mono_(dc.Mono()) {}

Painter::Painter(DcObj& dc, const Region* clip)
    : view_(dc.View()), clip_(clip ? clip : &dc.Clip()), mono_(dc.Mono()) {}

void Painter::Span(int y, int x0, int x1, const Paint& paint, int rop2) {
  if (paint.type == Paint::Type::None || x0 >= x1 || !view_.Valid()) return;
  clip_->ClipSpan(y, x0, x1, [&](int a, int b) { RawSpan(y, a, b, paint, rop2); });
}

void Painter::RawSpan(int y, int x0, int x1, const Paint& paint, int rop2) {
  uint32_t* row = view_.Row(y);
  switch (paint.type) {
    case Paint::Type::Solid:
      if (rop2 == R2_COPYPEN) {
        std::fill(row + x0, row + x1, paint.color);
      } else {
        for (int x = x0; x < x1; ++x) row[x] = ApplyRop2(rop2, paint.color, row[x]);
      }
      return;
    case Paint::Type::Hatch: {
      uint8_t bits = paint.hatchRows[PositiveMod(y - paint.originY, 8)];
      for (int x = x0; x < x1; ++x) {
        bool on = bits & (0x80 >> PositiveMod(x - paint.originX, 8));
        if (!on && !paint.opaque) continue;
        row[x] = ApplyRop2(rop2, on ? paint.color : paint.background, row[x]);
      }
      return;
    }
    case Paint::Type::Pattern: {
      const uint32_t* prow = paint.pattern + static_cast<size_t>(PositiveMod(y - paint.originY, paint.patternHeight)) *
                                                 paint.patternWidth;
      for (int x = x0; x < x1; ++x) {
        uint32_t p = prow[PositiveMod(x - paint.originX, paint.patternWidth)];
        if (mono_) p = MonoPixel(p);
        row[x] = ApplyRop2(rop2, p, row[x]);
      }
      return;
    }
    default:
      return;
  }
}

void Painter::Pixel(int x, int y, uint32_t color, int rop2) {
  if (!view_.Valid() || !clip_->Contains(x, y)) return;
  uint32_t& p = view_.Row(y)[x];
  p = ApplyRop2(rop2, color, p);
}

void Painter::FillRect(const RECT& r, const Paint& paint, int rop2) {
  if (paint.type == Paint::Type::None || !view_.Valid()) return;
  for (const RECT& c : clip_->Rects()) {
    int top = std::max(r.top, c.top), bottom = std::min(r.bottom, c.bottom);
    int left = std::max(r.left, c.left), right = std::min(r.right, c.right);
    for (int y = top; y < bottom && left < right; ++y) RawSpan(y, left, right, paint, rop2);
  }
}

void Painter::FillRegion(const Region& rgn, const Paint& paint, int rop2) {
  for (const RECT& r : rgn.Rects()) FillRect(r, paint, rop2);
}

void Painter::BlendSpan(int y, int x0, const uint8_t* coverage, int count, uint32_t color) {
  if (!view_.Valid() || count <= 0) return;
  clip_->ClipSpan(y, x0, x0 + count, [&](int a, int b) {
    uint32_t* row = view_.Row(y);
    for (int x = a; x < b; ++x) {
      unsigned c = coverage[x - x0];
      if (c == 0) continue;
      if (mono_) {
        if (c >= 128) row[x] = color;
        continue;
      }
      uint32_t d = row[x];
      if (c == 255) {
        row[x] = color;
        continue;
      }
      uint32_t out = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        int dv = static_cast<int>((d >> shift) & 0xFF);
        int sv = static_cast<int>((color >> shift) & 0xFF);
        int v = dv + ((sv - dv) * static_cast<int>(c) + (sv > dv ? 127 : -127)) / 255;
        out |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
      }
      row[x] = out;
    }
  });
}

void FillContours(Painter& painter, const std::vector<Contour>& contours, bool winding,
                  const Paint& paint, int rop2) {
  if (!painter.Ready() || paint.type == Paint::Type::None) return;
  RECT box = painter.Clip().Box();
  std::vector<Edge> edges = BuildEdges(contours, box.top, box.bottom, box.right);
  ScanEdges(edges, winding, box.top, box.bottom, box.left, box.right,
            [&](int y, int x0, int x1) { painter.Span(y, x0, x1, paint, rop2); });
}

Region ContoursToRegion(const std::vector<Contour>& contours, bool winding) {
  // Rows beyond the largest desktop are left out, so absurd polygons cost nothing.
  constexpr int kRowLimit = 1 << 15;
  std::vector<Edge> edges = BuildEdges(contours, -kRowLimit, kRowLimit, kCoordLimit);
  if (edges.empty()) return Region();
  int top = std::max(ClampToInt(std::ceil(edges.front().y0), -kCoordLimit, kCoordLimit), -kRowLimit);
  std::vector<std::vector<int>> rows;
  ScanEdges(edges, winding, -kRowLimit, kRowLimit, -kCoordLimit, kCoordLimit, [&](int y, int x0, int x1) {
    size_t index = static_cast<size_t>(y - top);
    if (rows.size() <= index) rows.resize(index + 1);
    rows[index].push_back(x0);
    rows[index].push_back(x1);
  });
  return Region::FromRowSpans(top, rows);
}

}  // namespace compat::gdi
