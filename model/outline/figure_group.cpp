// Figure groups: items of Bezier nodes, bounds, transforms, the flattening of
// cubics into straight and quadratic pieces and the coverage masks drawn
// through the shape outline.
#include "model/outline/figure_group.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/geometry/bezier_math.h"
#include "model/outline/bezier_path.h"
#include "model/geometry/geometry.h"
#include "model/outline/outline_walk.h"
#include "model/raster/pixel_buffer.h"

namespace {

// Hostile or degenerate cubics stop splitting here (2^16 pieces).
constexpr int kMaxCubicDepth = 16;
// Outline units per pixel.
constexpr float kUnitsPerPixel = 8.0f;

int RoundAway(float v) { return RoundOutline(v); }

// The platform's round-to-nearest (ties to even), saturated; NaN gives 0.
int NearestInt(float v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(std::nearbyint(static_cast<double>(v)), -2e9, 2e9));
}

float ToUnits(float v) {
  const double scaled = static_cast<double>(v) * kUnitsPerPixel;
  if (!(scaled > -1e9)) return -1e9f;
  if (scaled > 1e9) return 1e9f;
  return static_cast<float>(static_cast<int>(scaled));
}

CVector2 Midpoint3(const CVector2& a, const CVector2& q, const CVector2& c) {
  return CVector2((a.x + 2 * q.x + c.x) * 0.25f, (a.y + 2 * q.y + c.y) * 0.25f);
}

CVector2 CubicMid(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3) {
  return CVector2((p0.x + 3 * p1.x + 3 * p2.x + p3.x) * 0.125f, (p0.y + 3 * p1.y + 3 * p2.y + p3.y) * 0.125f);
}

int FlattenCubicAt(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3,
                   std::vector<CContourPoint>& out, int depth) {
  if (IsCubicFlat(p0, p1, p2, p3) || depth >= kMaxCubicDepth) {
    if (p3.x == p0.x && p3.y == p0.y) return 0;
    out.push_back({p3, 1});
    return 1;
  }
  CVector2 q;
  if (LineIntersection(p0, p1, p2, p3, q) && Distance(Midpoint3(p0, q, p3), CubicMid(p0, p1, p2, p3)) < 0.5f) {
    out.push_back({q, 2});
    out.push_back({p3, 2});
    return 1;
  }
  Bezier4 left, right;
  SplitCubic(Bezier4{{p0, p1, p2, p3}}, left, right, 0.5f);
  return FlattenCubicAt(left.p[0], left.p[1], left.p[2], left.p[3], out, depth + 1) +
         FlattenCubicAt(right.p[0], right.p[1], right.p[2], right.p[3], out, depth + 1);
}

// Contour buffer: runs of straight records as one polyline record, each
// quadratic as a B-spline record of its control and end; closed back to the
// start.
std::vector<BYTE> ContourFromRecords(const CVector2& start, const std::vector<CContourPoint>& records) {
  std::vector<BYTE> buffer(kContourHeaderBytes);
  auto put = [&buffer](const void* p, size_t n) {
    const BYTE* b = static_cast<const BYTE*>(p);
    buffer.insert(buffer.end(), b, b + n);
  };
  auto putPoint = [&](const CVector2& v) {
    const float xy[2] = {v.x, v.y};
    put(xy, 8);
  };
  std::memcpy(buffer.data() + 4, &start.x, 4);
  std::memcpy(buffer.data() + 8, &start.y, 4);
  CVector2 last = start;
  for (size_t i = 0; i < records.size();) {
    if (records[i].type == 2 && i + 1 < records.size()) {
      const WORD type = kOutlineQSpline, count = 2;
      put(&type, 2);
      put(&count, 2);
      putPoint(records[i].point);
      putPoint(records[i + 1].point);
      last = records[i + 1].point;
      i += 2;
      continue;
    }
    size_t end = i;
    while (end < records.size() && records[end].type != 2 && end - i < 0xFFFF) ++end;
    if (end == i) end = i + 1;  // a lone quadratic point: a straight piece
    const WORD type = kOutlinePolyline, count = static_cast<WORD>(end - i);
    put(&type, 2);
    put(&count, 2);
    for (size_t k = i; k < end; ++k) putPoint(records[k].point);
    last = records[end - 1].point;
    i = end;
  }
  if (last.x != start.x || last.y != start.y) {
    const WORD type = kOutlinePolyline, count = 1;
    put(&type, 2);
    put(&count, 2);
    putPoint(start);
  }
  const uint32_t size = static_cast<uint32_t>(buffer.size());
  std::memcpy(buffer.data(), &size, 4);
  return buffer;
}

CContourPoint Scaled(const CContourPoint& r) { return {CVector2(ToUnits(r.point.x), ToUnits(r.point.y)), r.type}; }

}  // namespace

bool IsCubicFlat(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3) {
  const float ax = 3 * (p0.x - 2 * p1.x + p2.x), ay = 3 * (p0.y - 2 * p1.y + p2.y);
  const float bx = 3 * (p1.x - 2 * p2.x + p3.x), by = 3 * (p1.y - 2 * p2.y + p3.y);
  return std::fabs((ax + bx) / 8) < 0.1f && std::fabs((ay + by) / 8) < 0.1f;
}

int FlattenCubic(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3,
                 std::vector<CContourPoint>& out) {
  return FlattenCubicAt(p0, p1, p2, p3, out, 0);
}

// --- items ---

CFigureGroup::~CFigureGroup() {
  RemoveAllItems();
  delete m_outline;
}

void CFigureGroup::AddPath(const CBezierPath& path, int kind) {
  CFigureItem* item = new CFigureItem{kind, 1.0f, new CBezierNodeArray};
  path.CopyNodesTo(*item->nodes);
  m_items.Add(item);
}

void CFigureGroup::AddNodes(const CBezierNode* nodes, int count, int kind) {
  CFigureItem* item = new CFigureItem{kind, 1.0f, new CBezierNodeArray};
  for (int i = 0; nodes && i < count; ++i) item->nodes->Add(nodes[i]);
  m_items.Add(item);
}

void CFigureGroup::CopyItemsTo(CFigureItemArray& items) const {
  for (int i = 0; i < m_items.GetSize(); ++i) {
    const CFigureItem* src = m_items[i];
    CFigureItem* copy = new CFigureItem{src->kind, src->weight, new CBezierNodeArray};
    copy->nodes->Copy(*src->nodes);
    items.Add(copy);
  }
}

void CFigureGroup::RemoveAllItems() {
  for (int i = 0; i < m_items.GetSize(); ++i) {
    delete m_items[i]->nodes;
    delete m_items[i];
  }
  m_items.RemoveAll();
}

const CFigureItem* CFigureGroup::GetItem(int index) const {
  return index >= 0 && index < m_items.GetSize() ? m_items[index] : nullptr;
}

CFigureItem* CFigureGroup::GetItem(int index) {
  return index >= 0 && index < m_items.GetSize() ? m_items[index] : nullptr;
}

void CFigureGroup::ComputeBounds(RECT& out) {
  bool first = true;
  RECT b = {0, 0, 0, 0};
  auto widen = [&](int x, int y) {
    b.left = std::min<LONG>(b.left, x);
    b.top = std::min<LONG>(b.top, y);
    b.right = std::max<LONG>(b.right, x);
    b.bottom = std::max<LONG>(b.bottom, y);
  };
  for (int i = 0; i < m_items.GetSize(); ++i) {
    const CBezierNodeArray& nodes = *m_items[i]->nodes;
    for (int k = 0; k < nodes.GetSize(); ++k) {
      const CBezierNode& n = nodes.ElementAt(k);
      if (first) {
        // The very first anchor takes the platform's round-to-nearest.
        const int x = NearestInt(n.point.x);
        const int y = NearestInt(n.point.y);
        b = RECT{x, y, x, y};
        first = false;
      } else {
        widen(RoundAway(n.point.x), RoundAway(n.point.y));
      }
      widen(RoundAway(n.handle[0].x), RoundAway(n.handle[0].y));
      widen(RoundAway(n.handle[1].x), RoundAway(n.handle[1].y));
    }
  }
  m_bounds = RECT{b.left - 2, b.top - 2, b.right + 2, b.bottom + 2};
  out = m_bounds;
}

void CFigureGroup::Transform(const CMatrix3& m) {
  for (int i = 0; i < m_items.GetSize(); ++i) {
    CBezierNodeArray& nodes = *m_items[i]->nodes;
    for (int k = 0; k < nodes.GetSize(); ++k) {
      CBezierNode& n = nodes.ElementAt(k);
      const CBezierNode before = n;
      m.TransformPoint(before.point, n.point);
      m.TransformPoint(before.handle[0], n.handle[0]);
      m.TransformPoint(before.handle[1], n.handle[1]);
    }
  }
}

void CFigureGroup::Offset(float x, float y) {
  CMatrix3 m;
  m.SetTranslation(CVector2(x, y));
  Transform(m);
}

// --- outline ---

void CFigureGroup::BuildOutline() {
  delete m_outline;
  m_outline = new CShapeOutline;
  RECT b = {kOutlineBoundsUnset, kOutlineBoundsUnset, -kOutlineBoundsUnset, -kOutlineBoundsUnset};
  std::vector<CContourPoint> records;
  for (int i = 0; i < m_items.GetSize(); ++i) {
    const CFigureItem& item = *m_items[i];
    const CBezierNodeArray& nodes = *item.nodes;
    const int n = nodes.GetSize();
    if (n == 0) continue;
    records.clear();
    auto segment = [&](const CBezierNode& a, const CBezierNode& z) {
      FlattenCubic(a.point, a.handle[1], z.handle[0], z.point, records);
    };
    if (item.kind == kFigureStroked) {
      // A stroke runs along its line and back: no area of its own, all of
      // it from the widening.
      for (int k = 0; k + 1 < n; ++k) segment(nodes.ElementAt(k), nodes.ElementAt(k + 1));
      for (int k = n - 1; k > 0; --k) {
        const CBezierNode& a = nodes.ElementAt(k);
        const CBezierNode& z = nodes.ElementAt(k - 1);
        FlattenCubic(a.point, a.handle[0], z.handle[1], z.point, records);
      }
    } else {
      for (int k = 0; k < n; ++k) segment(nodes.ElementAt(k), nodes.ElementAt((k + 1) % n));
    }
    const CVector2 start(ToUnits(nodes.ElementAt(0).point.x), ToUnits(nodes.ElementAt(0).point.y));
    std::vector<CContourPoint> scaled;
    scaled.reserve(records.size());
    for (const CContourPoint& r : records) scaled.push_back(Scaled(r));
    auto widen = [&](const CVector2& v) {
      b.left = std::min<LONG>(b.left, static_cast<LONG>(v.x));
      b.top = std::min<LONG>(b.top, static_cast<LONG>(v.y));
      b.right = std::max<LONG>(b.right, static_cast<LONG>(v.x));
      b.bottom = std::max<LONG>(b.bottom, static_cast<LONG>(v.y));
    };
    widen(start);
    for (const CContourPoint& r : scaled) widen(r.point);
    const std::vector<BYTE> buffer = ContourFromRecords(start, scaled);
    m_outline->AddContour(buffer.data(), static_cast<uint32_t>(buffer.size()));
  }
  m_bounds = RECT{b.left - 24, b.top - 24, b.right + 24, b.bottom + 24};
}

void CFigureGroup::DrawMaskImpl(CMaskBuffer* mask, float grow, float dx, float dy, bool inward) {
  if (m_items.GetSize() == 0 || !mask || !mask->bits) return;
  const CFigureItem& first = *m_items[0];
  if (first.kind == kFigureStroked) {
    const float half = first.weight * 0.5f;
    grow = grow > 0 ? grow + half : half;
  }
  BuildOutline();
  m_outline->SetBounds(mask->x, mask->y, mask->x + mask->width, mask->y + mask->height);
  POINT origin{mask->x, mask->y};
  ScalePoint(origin, 8);
  const auto whole = [](float v) { return std::isfinite(v) ? std::clamp(std::trunc(v), -1e8f, 1e8f) : 0.0f; };
  m_outline->Offset(8 * whole(dx) - static_cast<float>(origin.x), 8 * whole(dy) - static_cast<float>(origin.y));
  m_outline->SetOffsetInward(inward);
  m_outline->RenderCoverage(mask, grow, 0, 0, 0);
}

void CFigureGroup::DrawMask(CMaskBuffer* mask, float grow, float dx, float dy) {
  DrawMaskImpl(mask, grow, dx, dy, false);
}

CFigureGroup* CFigureGroup::Clone() const {
  CFigureGroup* copy = new CFigureGroup;
  for (int i = 0; i < m_items.GetSize(); ++i) {
    const CFigureItem& src = *m_items[i];
    CFigureItem* item = new CFigureItem{src.kind, src.weight, new CBezierNodeArray};
    for (int k = src.nodes->GetSize() - 1; k >= 0; --k) {
      CBezierNode n = src.nodes->ElementAt(k);
      std::swap(n.handle[0], n.handle[1]);
      item->nodes->Add(n);
    }
    copy->m_items.Add(item);
  }
  return copy;
}

void CFigureGroup::DrawMaskCopy(CMaskBuffer* mask, float grow, float dx, float dy) {
  // The reversed copy runs the other way round; it is drawn shrunk, whatever
  // way its contours end up after the orientation pass.
  CFigureGroup* copy = Clone();
  copy->DrawMaskImpl(mask, grow, dx, dy, true);
  delete copy;
}

void CFigureGroup::RenderMask(CNearSegmentGrid& lists, int reach) {
  BuildOutline();
  CMatrix3 toPixels;
  toPixels.SetScale(CVector2(0.125f, 0.125f));
  m_outline->Transform(toPixels);
  RECT r;
  m_outline->GetBounds(&r);
  reach = std::clamp(reach, 0, 1 << 16);
  const RECT grid{r.left - reach - 1, r.top - reach - 1, r.right + reach + 2, r.bottom + reach + 2};
  if (!lists.Create(grid)) return;
  m_outline->BuildSegmentTable();
  m_outline->CollectNearSegments(lists, reach);
}

// --- glyph contours to nodes ---

void ContourToNodes(const BYTE* contour, CFigureItem& item) {
  if (!contour || !item.nodes) return;
  CBezierNodeArray& nodes = *item.nodes;
  const int firstIndex = nodes.GetSize();
  const CVector2 start = outline_walk::ReadPoint(contour + 4);
  nodes.Add(CBezierNode{start, {start, start}, FALSE});
  auto last = [&]() -> CBezierNode& { return nodes.ElementAt(nodes.GetSize() - 1); };
  outline_walk::WalkContour(
      contour,
      [&](const CVector2&, const CVector2& q) { nodes.Add(CBezierNode{q, {q, q}, FALSE}); },
      [&](const CVector2& a, const CVector2& b, const CVector2& c) {
        last().handle[1] = CVector2(a.x + 0.6666667f * (b.x - a.x), a.y + 0.6666667f * (b.y - a.y));
        const CVector2 in(c.x + 0.6666667f * (b.x - c.x), c.y + 0.6666667f * (b.y - c.y));
        nodes.Add(CBezierNode{c, {in, c}, FALSE});
      });
  // A closed contour ends on its start: the last node's in-handle moves to
  // the first node.
  if (nodes.GetSize() - firstIndex > 1) {
    const CBezierNode end = last();
    CBezierNode& first = nodes.ElementAt(firstIndex);
    if (end.point.x == first.point.x && end.point.y == first.point.y) {
      first.handle[0] = end.handle[0];
      nodes.RemoveAt(nodes.GetSize() - 1);
    }
  }
}
