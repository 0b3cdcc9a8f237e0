// GetGlyphOutlineW: glyph metrics and the native outline buffer (polygon
// headers with line and quadratic B-spline records in 16.16 fixed point),
// built from FreeType's TrueType outlines under the caller's MAT2.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "compat/win32/fonts.h"

namespace compat::gdi {

namespace {

constexpr size_t kMaxOutlineBytes = 1 << 24;

double FixedValue(const FIXED& f) { return f.value + f.fract / 65536.0; }

struct Matrix {
  double m11, m12, m21, m22;
  // The platform's row-vector convention: [x y] times the matrix.
  void Apply(double x, double y, double* ox, double* oy) const {
    *ox = x * m11 + y * m21;
    *oy = x * m12 + y * m22;
  }
};

POINTFX ToPointFx(double x26, double y26) {
  auto fixed = [](double v26) {
    double v = std::clamp(std::round(v26 * 1024.0), double(INT32_MIN), double(INT32_MAX));
    auto raw = static_cast<uint32_t>(static_cast<int32_t>(v));
    FIXED f;
    f.fract = static_cast<WORD>(raw & 0xFFFF);
    f.value = static_cast<short>(static_cast<int16_t>(raw >> 16));
    return f;
  };
  return POINTFX{fixed(x26), fixed(y26)};
}

struct Point {
  double x, y;  // 26.6 units, transformed
  bool on;
};

struct Record {
  WORD type;
  std::vector<POINTFX> points;
  bool closed = false;  // a spline that has reached its on-curve end point
};

// Walks one contour from its first on-curve point and groups the rest into
// line runs and spline runs; a spline run ends at an on-curve point.
void BuildContour(const std::vector<Point>& pts, std::vector<BYTE>* out) {
  size_t n = pts.size();
  if (n == 0) return;
  size_t first = n;
  for (size_t i = 0; i < n; ++i)
    if (pts[i].on) { first = i; break; }
  Point start;
  size_t begin;
  if (first == n) {
    // All control points: the contour starts at the implied point between the first two.
    start = Point{(pts[0].x + pts[1 % n].x) / 2, (pts[0].y + pts[1 % n].y) / 2, true};
    begin = 1;
  } else {
    start = pts[first];
    begin = first + 1;
  }
  std::vector<Record> records;
  size_t count = first == n ? n : n - 1;
  for (size_t k = 0; k < count; ++k) {
    const Point& p = pts[(begin + k) % n];
    POINTFX fx = ToPointFx(p.x, p.y);
    Record* cur = records.empty() ? nullptr : &records.back();
    if (!p.on) {
      if (!cur || cur->type != TT_PRIM_QSPLINE || cur->closed) records.push_back(Record{TT_PRIM_QSPLINE, {}});
      records.back().points.push_back(fx);
    } else if (cur && cur->type == TT_PRIM_QSPLINE && !cur->closed) {
      cur->points.push_back(fx);
      cur->closed = true;
    } else if (cur && cur->type == TT_PRIM_LINE) {
      cur->points.push_back(fx);
    } else {
      records.push_back(Record{TT_PRIM_LINE, {fx}});
    }
  }
  // A spline still open at the end closes on the start point.
  if (!records.empty() && records.back().type == TT_PRIM_QSPLINE && !records.back().closed)
    records.back().points.push_back(ToPointFx(start.x, start.y));
  size_t size = sizeof(TTPOLYGONHEADER);
  for (const Record& r : records) size += 4 + 8 * r.points.size();
  size_t at = out->size();
  out->resize(at + size);
  TTPOLYGONHEADER header{static_cast<DWORD>(size), TT_POLYGON_TYPE, ToPointFx(start.x, start.y)};
  std::memcpy(out->data() + at, &header, sizeof(header));
  at += sizeof(header);
  for (const Record& r : records) {
    WORD head[2] = {r.type, static_cast<WORD>(r.points.size())};
    std::memcpy(out->data() + at, head, 4);
    std::memcpy(out->data() + at + 4, r.points.data(), 8 * r.points.size());
    at += 4 + 8 * r.points.size();
  }
}

// Contours of an outline transformed by the matrix, in 26.6 units.
std::vector<std::vector<Point>> TransformedContours(const FT_Outline& o, const Matrix& m) {
  std::vector<std::vector<Point>> contours;
  int start = 0;
  for (int c = 0; c < o.n_contours; ++c) {
    int end = o.contours[c];
    if (end < start || end >= o.n_points) break;
    std::vector<Point> pts;
    for (int i = start; i <= end; ++i) {
      Point p;
      m.Apply(o.points[i].x, o.points[i].y, &p.x, &p.y);
      // Cubic control points do not occur in TrueType faces; they are kept as corners.
      p.on = FT_CURVE_TAG(o.tags[i]) != FT_CURVE_TAG_CONIC;
      pts.push_back(p);
    }
    contours.push_back(std::move(pts));
    start = end + 1;
  }
  return contours;
}

void FillMetrics(const std::vector<std::vector<Point>>& contours, double advance, const Matrix& m,
                 GLYPHMETRICS* gm) {
  double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
  for (const auto& c : contours)
    for (const Point& p : c) {
      minX = std::min(minX, p.x); maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y); maxY = std::max(maxY, p.y);
    }
  double incX = 0, incY = 0;
  m.Apply(advance, 0, &incX, &incY);
  gm->gmCellIncX = static_cast<short>(std::lround(incX));
  gm->gmCellIncY = static_cast<short>(std::lround(incY));
  if (minX > maxX) {
    gm->gmBlackBoxX = gm->gmBlackBoxY = 1;
    gm->gmptGlyphOrigin = POINT{0, 0};
    return;
  }
  int x0 = ClampToInt(std::floor(minX / 64)), x1 = ClampToInt(std::ceil(maxX / 64));
  int y0 = ClampToInt(std::floor(minY / 64)), y1 = ClampToInt(std::ceil(maxY / 64));
  gm->gmBlackBoxX = static_cast<UINT>(std::max(1, x1 - x0));
  gm->gmBlackBoxY = static_cast<UINT>(std::max(1, y1 - y0));
  gm->gmptGlyphOrigin = POINT{x0, y1};
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

DWORD GetGlyphOutlineW(HDC hdc, UINT ch, UINT format, LPGLYPHMETRICS gm, DWORD size, LPVOID buffer,
                       const MAT2* mat) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !gm || !mat) return GDI_ERROR;
  UINT kind = format & ~(GGO_GLYPH_INDEX | GGO_UNHINTED);
  if (kind != GGO_METRICS && kind != GGO_NATIVE) return GDI_ERROR;
  auto face = CurrentFace(*dc);
  if (!face) return GDI_ERROR;
  Matrix m{FixedValue(mat->eM11), FixedValue(mat->eM12), FixedValue(mat->eM21), FixedValue(mat->eM22)};
  std::lock_guard lock(FontMutex());
  FT_Vector advance{0, 0};
  FT_Outline* outline = face->LoadOutline(ch, &advance);
  std::vector<std::vector<Point>> contours;
  if (outline) contours = TransformedContours(*outline, m);
  if (!outline) advance.x = static_cast<FT_Pos>(face->Advance(ch)) * 64;
  FillMetrics(contours, advance.x / 64.0, m, gm);
  if (kind == GGO_METRICS) return 1;
  std::vector<BYTE> bytes;
  for (const auto& c : contours) {
    BuildContour(c, &bytes);
    if (bytes.size() > kMaxOutlineBytes) return GDI_ERROR;
  }
  // A glyph without contours (a space) has an empty outline.
  if (bytes.empty()) return 0;
  if (!buffer || size == 0) return static_cast<DWORD>(bytes.size());
  if (size < bytes.size()) return GDI_ERROR;
  std::memcpy(buffer, bytes.data(), bytes.size());
  return static_cast<DWORD>(bytes.size());
}
