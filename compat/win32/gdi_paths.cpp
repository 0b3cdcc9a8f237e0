// Paths: figures recorded in device coordinates between BeginPath and
// EndPath, then filled, stroked or made the clip region.
#include <cmath>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

struct GdiPath {
  bool open = true;            // recording; false once ended and ready for use
  bool figureOpen = false;     // the last figure continues with the next line
  std::vector<Contour> figures;
  std::vector<bool> closed;
};

namespace {

// Figures beyond this many points are dropped: a path cannot grow without bound.
constexpr size_t kMaxPathPoints = size_t{1} << 24;

size_t PointCount(const GdiPath& path) {
  size_t n = 0;
  for (const Contour& c : path.figures) n += c.Size();
  return n;
}

void Append(GdiPath& path, const Contour& c, bool closed) {
  if (c.Size() == 0 || PointCount(path) + c.Size() > kMaxPathPoints) return;
  if (!closed && path.figureOpen && !path.figures.empty()) {
    Contour& last = path.figures.back();
    size_t n = last.Size();
    if (n > 0 && std::fabs(last.xs[n - 1] - c.xs[0]) < 1e-9 && std::fabs(last.ys[n - 1] - c.ys[0]) < 1e-9) {
      last.xs.insert(last.xs.end(), c.xs.begin() + 1, c.xs.end());
      last.ys.insert(last.ys.end(), c.ys.begin() + 1, c.ys.end());
      return;
    }
  }
  path.figures.push_back(c);
  path.closed.push_back(closed);
  path.figureOpen = !closed;
}

GdiPath* OpenPath(DcObj& dc) { return dc.path && dc.path->open ? dc.path.get() : nullptr; }

// The ended path, taken out of the DC: every use consumes it.
std::shared_ptr<GdiPath> TakeEndedPath(HDC hdc, DcObj** out) {
  DcObj* dc = GetDc(hdc);
  *out = dc;
  if (!dc || !dc->path || dc->path->open) return nullptr;
  return std::move(dc->path);
}

void Fill(DcObj& dc, const GdiPath& path) {
  Painter painter(dc);
  FillContours(painter, path.figures, dc.state.polyFillMode == WINDING,
               BrushPaint(dc, dc.state.brush), dc.state.rop2);
}

void Stroke(DcObj& dc, const GdiPath& path) {
  Painter painter(dc);
  for (size_t i = 0; i < path.figures.size(); ++i)
    StrokeContour(dc, painter, path.figures[i], path.closed[i]);
}

// Fills and/or strokes the ended path, which is used up by it.
BOOL UsePath(HDC hdc, bool fill, bool stroke) {
  DcObj* dc = nullptr;
  auto path = TakeEndedPath(hdc, &dc);
  if (!path) return FALSE;
  if (fill) Fill(*dc, *path);
  if (stroke) Stroke(*dc, *path);
  return TRUE;
}

}  // namespace

bool PathIsOpen(const DcObj& dc) { return dc.path && dc.path->open; }

bool RecordContourIntoPath(DcObj& dc, const Contour& c, bool closed) {
  GdiPath* path = OpenPath(dc);
  if (!path) return false;
  Append(*path, c, closed);
  return true;
}

bool RecordIntoPath(DcObj& dc, const std::vector<POINT>& pts, bool closed) {
  if (!OpenPath(dc)) return false;
  Contour c;
  for (const POINT& p : pts) c.Add(p.x, p.y);
  return RecordContourIntoPath(dc, c, closed);
}

void PathMoveTo(DcObj& dc) {
  if (GdiPath* path = OpenPath(dc)) path->figureOpen = false;
}

}  // namespace compat::gdi

using namespace compat::gdi;

BOOL BeginPath(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  dc->path = std::make_shared<GdiPath>();
  return TRUE;
}

BOOL EndPath(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !OpenPath(*dc)) return FALSE;
  dc->path->open = false;
  dc->path->figureOpen = false;
  return TRUE;
}

BOOL AbortPath(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return FALSE;
  dc->path.reset();
  return TRUE;
}

BOOL CloseFigure(HDC hdc) {
  DcObj* dc = GetDc(hdc);
  GdiPath* path = dc ? OpenPath(*dc) : nullptr;
  if (!path || path->figures.empty()) return FALSE;
  path->closed.back() = true;
  path->figureOpen = false;
  return TRUE;
}

BOOL FillPath(HDC hdc) { return UsePath(hdc, true, false); }
BOOL StrokePath(HDC hdc) { return UsePath(hdc, false, true); }
BOOL StrokeAndFillPath(HDC hdc) { return UsePath(hdc, true, true); }

BOOL SelectClipPath(HDC hdc, int mode) {
  DcObj* dc = nullptr;
  if (mode < RGN_AND || mode > RGN_COPY) return FALSE;
  auto path = TakeEndedPath(hdc, &dc);
  if (!path) return FALSE;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  RegionObj* obj = GetRegion(rgn);
  if (!obj) return FALSE;
  obj->region = ContoursToRegion(path->figures, dc->state.polyFillMode == WINDING);
  int result = ExtSelectClipRgn(hdc, rgn, mode);
  DeleteObject(rgn);
  return result != ERROR;
}
