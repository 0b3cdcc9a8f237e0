// Distance queries on a CShapeOutline: the segment table (every straight
// segment and quadratic piece) and the grid of segments near each pixel,
// found by scanning a capsule of the query width around every segment.
#include <algorithm>
#include <cfloat>

#include "model/geometry/geometry.h"
#include "model/outline/outline_scanner.h"
#include "model/outline/outline_walk.h"
#include "model/raster/pixel_buffer.h"

using namespace outline_walk;

bool CNearSegmentGrid::Create(const RECT& r) {
  heads.clear();
  items.clear();
  rect = RECT{0, 0, 0, 0};
  const int64_t w = int64_t{r.right} - r.left;
  const int64_t h = int64_t{r.bottom} - r.top;
  if (w <= 0 || h <= 0 || w * h > kMaxRasterPixels) return false;
  rect = r;
  heads.assign(static_cast<size_t>(w * h), -1);
  return true;
}

int CNearSegmentGrid::Head(int x, int y) const {
  const int64_t w = int64_t{rect.right} - rect.left;
  const int64_t col = int64_t{x} - rect.left;
  const int64_t row = int64_t{y} - rect.top;
  if (col < 0 || col >= w || row < 0 || row >= int64_t{rect.bottom} - rect.top) return -1;
  return heads[static_cast<size_t>(row * w + col)];
}

void CShapeOutline::FreeSegmentTable() {
  delete m_segments;
  m_segments = nullptr;
}

void CShapeOutline::BuildSegmentTable() {
  FreeSegmentTable();
  m_segments = new std::vector<std::vector<COutlineSegment>>(static_cast<size_t>(GetContourCount()));
  for (int c = 0; c < GetContourCount(); ++c) {
    std::vector<COutlineSegment>& list = (*m_segments)[static_cast<size_t>(c)];
    WalkContour(
        m_contours[c].buffer,
        [&](const CVector2& p, const CVector2& q) { list.push_back({kOutlinePolyline, {p, q, q}}); },
        [&](const CVector2& a, const CVector2& b, const CVector2& cc) {
          list.push_back({kOutlineQSpline, {a, b, cc}});
        });
  }
}

int CShapeOutline::GetSegmentCount(int contour) const {
  if (!m_segments || contour < 0 || contour >= static_cast<int>(m_segments->size())) return 0;
  return static_cast<int>((*m_segments)[static_cast<size_t>(contour)].size());
}

namespace {

// A contour that runs along the segment and back, relative to the grid.
std::vector<BYTE> PieceBuffer(const COutlineSegment& s, const CVector2& origin) {
  auto local = [&](const CVector2& p) { return CVector2(p.x - origin.x, p.y - origin.y); };
  const bool straight = s.type == kOutlinePolyline;
  std::vector<BYTE> buffer(straight ? 32 : 52);
  const uint32_t size = static_cast<uint32_t>(buffer.size());
  std::memcpy(buffer.data(), &size, 4);
  WritePoint(buffer.data() + 4, local(s.p[0]));
  auto record = [&](size_t at, WORD type, const CVector2& a, const CVector2& b) {
    const WORD count = 2;
    std::memcpy(buffer.data() + at, &type, 2);
    std::memcpy(buffer.data() + at + 2, &count, 2);
    WritePoint(buffer.data() + at + 4, local(a));
    WritePoint(buffer.data() + at + 12, local(b));
  };
  if (straight) {
    record(12, kOutlinePolyline, s.p[1], s.p[0]);
  } else {
    record(12, kOutlineQSpline, s.p[1], s.p[2]);
    record(32, kOutlineQSpline, s.p[1], s.p[0]);
  }
  return buffer;
}

}  // namespace

void CShapeOutline::CollectNearSegments(CNearSegmentGrid& grid, int w) {
  if (!m_segments) BuildSegmentTable();
  const int64_t gridW = int64_t{grid.rect.right} - grid.rect.left;
  const int64_t gridH = int64_t{grid.rect.bottom} - grid.rect.top;
  if (gridW <= 0 || gridH <= 0 || grid.heads.size() != static_cast<size_t>(gridW * gridH)) return;
  const CVector2 origin(static_cast<float>(grid.rect.left), static_cast<float>(grid.rect.top));
  // Item identifiers are 16-bit; contours and segments beyond are not listed.
  const int contours = std::min(GetContourCount(), 0x10000);
  for (int c = 0; c < contours; ++c) {
    const std::vector<COutlineSegment>& list = (*m_segments)[static_cast<size_t>(c)];
    const int segments = std::min(static_cast<int>(list.size()), 0x10000);
    for (int i = 0; i < segments; ++i) {
      const std::vector<BYTE> buffer = PieceBuffer(list[static_cast<size_t>(i)], origin);
      CShapeOutline piece;
      if (piece.AddContour(buffer.data(), static_cast<uint32_t>(buffer.size())) < 0) continue;
      COutlineScanner::Setup setup;
      setup.rows = static_cast<int>(std::min<int64_t>(gridH, kMaxOutlineRows));
      setup.width = std::max(w, 0);
      COutlineScanner scanner(piece, setup);
      scanner.Run(setup.rows - 1, false, [&](int s, const COutlineRun* runs, int count) {
        for (int k = 0; k < count; ++k) {
          const int64_t l = std::max<int64_t>(runs[k].left, 0);
          const int64_t r = std::min<int64_t>(runs[k].right, gridW - 1);
          for (int64_t x = l; x <= r; ++x) {
            int& head = grid.heads[static_cast<size_t>(s * gridW + x)];
            grid.items.push_back({static_cast<WORD>(c), static_cast<WORD>(i), head});
            head = static_cast<int>(grid.items.size() - 1);
          }
        }
      }, false);
    }
  }
}

float CShapeOutline::SegmentDistance(int contour, int segment, int x, int y, CVector2* nearest) const {
  if (!m_segments || contour < 0 || contour >= static_cast<int>(m_segments->size())) return FLT_MAX;
  const std::vector<COutlineSegment>& list = (*m_segments)[static_cast<size_t>(contour)];
  if (segment < 0 || segment >= static_cast<int>(list.size())) return FLT_MAX;
  const COutlineSegment& s = list[static_cast<size_t>(segment)];
  const CVector2 p(static_cast<float>(x), static_cast<float>(y));
  CVector2 out;
  const float d = s.type == kOutlinePolyline ? NearestOnSegment(p, s.p[0], s.p[1], out) : NearestOnQuadratic(p, s.p, out);
  if (d < 0) return FLT_MAX;
  if (nearest) *nearest = out;
  return d;
}
