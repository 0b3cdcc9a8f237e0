// CShapeOutline: ownership of the contour buffers, bounds, moving,
// transforming, reversing and drawing contours.
#include "model/outline/shape_outline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/outline/outline_walk.h"

using namespace outline_walk;

namespace {

int SaturateToInt(double v) {
  if (!(v > -2e9)) return -2000000000;
  if (v > 2e9) return 2000000000;
  return static_cast<int>(v);
}

BYTE* CopyBuffer(const BYTE* src, uint32_t bytes) {
  BYTE* copy = new BYTE[bytes];
  std::memcpy(copy, src, bytes);
  return copy;
}

// True when the records fill the buffer exactly.
bool RecordsFill(const BYTE* buffer) {
  const uint32_t size = ReadU32(buffer);
  uint32_t used = kContourHeaderBytes;
  ForEachRecord(buffer, [&](WORD, int n, const BYTE*) { used += 4 + 8u * static_cast<uint32_t>(n); });
  return used == size;
}

template <class F>
void ForEachPoint(BYTE* buffer, F f) {
  f(buffer + 4);
  ForEachRecord(buffer, [&](WORD, int n, BYTE* points) {
    for (int k = 0; k < n; ++k) f(points + 8 * k);
  });
}

}  // namespace

int RoundOutline(float v) {
  return SaturateToInt(v > 0 ? static_cast<double>(v) + 0.5 : static_cast<double>(v) - 0.5);
}

CShapeOutline::CShapeOutline() = default;

CShapeOutline::~CShapeOutline() {
  FreeSegmentTable();
  FreeContours();
}

void CShapeOutline::FreeContours() {
  for (int i = 0; i < m_contours.GetSize(); ++i) delete[] m_contours[i].buffer;
  m_contours.RemoveAll();
}

CShapeOutline& CShapeOutline::operator=(const CShapeOutline& other) {
  if (this == &other) return *this;
  FreeContours();
  m_left = other.m_left;
  m_top = other.m_top;
  m_right = other.m_right;
  m_bottom = other.m_bottom;
  m_value = other.m_value;
  m_orientedCount = other.m_orientedCount;
  m_offsetInward = other.m_offsetInward;
  m_contours.SetSize(other.m_contours.GetSize());
  for (int i = 0; i < other.m_contours.GetSize(); ++i) {
    COutlineContour record = other.m_contours[i];
    record.buffer = CopyBuffer(record.buffer, ReadU32(record.buffer));
    m_contours[i] = record;
  }
  return *this;
}

CShapeOutline* CShapeOutline::Clone() const {
  CShapeOutline* copy = new CShapeOutline;
  *copy = *this;
  return copy;
}

RECT* CShapeOutline::GetBounds(RECT* out) const {
  if (m_left == kOutlineBoundsUnset || m_top == kOutlineBoundsUnset || m_right == -kOutlineBoundsUnset ||
      m_bottom == -kOutlineBoundsUnset) {
    *out = RECT{0, 0, 0, 0};
  } else {
    *out = RECT{m_left, m_top, m_right, m_bottom};
  }
  return out;
}

void CShapeOutline::SetBounds(int left, int top, int right, int bottom) {
  m_left = left;
  m_top = top;
  m_right = right;
  m_bottom = bottom;
}

const COutlineContour* CShapeOutline::GetContour(int index) const {
  if (index < 0 || index >= m_contours.GetSize()) return nullptr;
  return &m_contours.ElementAt(index);
}

void CShapeOutline::SetGrowBy(int growBy) { m_contours.SetSize(m_contours.GetSize(), growBy); }

void CShapeOutline::RemoveAllContours() {
  FreeSegmentTable();
  FreeContours();
}

int CShapeOutline::AddContour(const BYTE* buffer, uint32_t bytes) {
  if (!buffer || bytes < kContourHeaderBytes || bytes > kMaxContourBytes) return -1;
  const uint32_t size = ReadU32(buffer);
  if (size < kContourHeaderBytes || size > bytes || !RecordsFill(buffer)) return -1;
  COutlineContour record{-kOutlineBoundsUnset, 0, kOutlineBoundsUnset, 0, CopyBuffer(buffer, size)};
  ForEachPoint(record.buffer, [&](const BYTE* p) {
    const CVector2 v = ReadPoint(p);
    const int x = RoundOutline(v.x);
    const int y = RoundOutline(v.y);
    record.minRow = std::min(record.minRow, y);
    record.maxRow = std::max(record.maxRow, y);
    m_left = std::min(m_left, x);
    m_right = std::max(m_right, x);
    m_top = std::min(m_top, y);
    m_bottom = std::max(m_bottom, y);
  });
  record.midRow = static_cast<int>((int64_t{record.minRow} + record.maxRow) / 2);
  return m_contours.Add(record);
}

void CShapeOutline::RecomputeBounds() {
  m_left = m_top = kOutlineBoundsUnset;
  m_right = m_bottom = -kOutlineBoundsUnset;
  for (int i = 0; i < m_contours.GetSize(); ++i) {
    ForEachPoint(m_contours[i].buffer, [&](const BYTE* p) {
      const CVector2 v = ReadPoint(p);
      m_left = std::min(m_left, RoundOutline(v.x));
      m_right = std::max(m_right, RoundOutline(v.x));
      m_top = std::min(m_top, RoundOutline(v.y));
      m_bottom = std::max(m_bottom, RoundOutline(v.y));
    });
  }
}

void CShapeOutline::ReverseContour(int index) {
  if (index < 0 || index >= m_contours.GetSize()) return;
  BYTE* buffer = m_contours[index].buffer;
  if (!RecordsFill(buffer)) return;
  std::vector<CVector2> points;
  std::vector<std::pair<WORD, int>> records;
  ForEachRecord(static_cast<const BYTE*>(buffer), [&](WORD type, int n, const BYTE* p) {
    records.emplace_back(type, n);
    for (int k = 0; k < n; ++k) points.push_back(ReadPoint(p + 8 * k));
  });
  if (points.empty()) return;
  // Visit S, p[N-2], ..., p[0], S: the records in reverse order, each with its
  // own type and count.
  std::vector<CVector2> reversed(points.rbegin() + 1, points.rend());
  reversed.push_back(ReadPoint(buffer + 4));
  uint32_t at = kContourHeaderBytes;
  size_t next = 0;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    std::memcpy(buffer + at, &it->first, 2);
    const WORD count = static_cast<WORD>(it->second);
    std::memcpy(buffer + at + 2, &count, 2);
    for (int k = 0; k < it->second; ++k) WritePoint(buffer + at + 4 + 8 * k, reversed[next++]);
    at += 4 + 8u * count;
  }
}

void CShapeOutline::ReverseAll() {
  for (int i = 0; i < m_contours.GetSize(); ++i) ReverseContour(i);
}

void CShapeOutline::SetValueAll(int v) {
  m_value = v;
  for (int i = 0; i < m_contours.GetSize(); ++i) m_contours[i].orientClass = v;
}

void CShapeOutline::Offset(float dx, float dy) {
  if (dx == 0.0f && dy == 0.0f) return;
  const int t = SaturateToInt(dy);
  for (int i = 0; i < m_contours.GetSize(); ++i) {
    COutlineContour& c = m_contours[i];
    // The row range widens by one on each side at every offset.
    c.maxRow = SaturateToInt(static_cast<double>(c.maxRow) + t + 1);
    c.midRow = SaturateToInt(static_cast<double>(c.midRow) + t);
    c.minRow = SaturateToInt(static_cast<double>(c.minRow) + t - 1);
    ForEachPoint(c.buffer, [&](BYTE* p) {
      const CVector2 v = ReadPoint(p);
      WritePoint(p, CVector2(v.x + dx, v.y + dy));
    });
  }
  if (m_left == kOutlineBoundsUnset && m_right == -kOutlineBoundsUnset) return;  // nothing seen yet
  m_left = SaturateToInt(static_cast<double>(m_left) + SaturateToInt(dx));
  m_right = SaturateToInt(static_cast<double>(m_right) + SaturateToInt(dx));
  m_top = SaturateToInt(static_cast<double>(m_top) + t);
  m_bottom = SaturateToInt(static_cast<double>(m_bottom) + t);
}

void CShapeOutline::Transform(const CMatrix3& m) {
  m_left = m_top = kOutlineBoundsUnset;
  m_right = m_bottom = -kOutlineBoundsUnset;
  for (int i = 0; i < m_contours.GetSize(); ++i) {
    COutlineContour& c = m_contours[i];
    c.maxRow = -kOutlineBoundsUnset;
    c.minRow = kOutlineBoundsUnset;
    ForEachPoint(c.buffer, [&](BYTE* p) {
      CVector2 v;
      m.TransformPoint(ReadPoint(p), v);
      WritePoint(p, v);
      const int x = RoundOutline(v.x);
      const int y = RoundOutline(v.y);
      c.minRow = std::min(c.minRow, y);
      c.maxRow = std::max(c.maxRow, y);
      m_left = std::min(m_left, x);
      m_right = std::max(m_right, x);
      m_top = std::min(m_top, y);
      m_bottom = std::max(m_bottom, y);
    });
  }
}

// --- drawing ---

namespace {

struct LineSink {
  void (*moveTo)(void*, int, int);
  void (*lineTo)(void*, int, int);
  void* dc;
};

int RoundPen(float v) { return SaturateToInt(std::trunc(static_cast<double>(v) + 0.5)); }

// A quadratic by subdivision until d is within 0.2 in both directions; each
// flat piece is its own MoveTo/LineTo pair.
void DrawQuadratic(const LineSink& sink, const CVector2& a, const CVector2& b, const CVector2& c) {
  FlattenQuadratic(a, b, c, [&](const CVector2& p, const CVector2& q) {
    sink.moveTo(sink.dc, RoundPen(p.x), RoundPen(p.y));
    sink.lineTo(sink.dc, RoundPen(q.x), RoundPen(q.y));
  });
}

}  // namespace

void CShapeOutline::DrawLines(void (*moveTo)(void*, int, int), void (*lineTo)(void*, int, int), void* dc,
                              const POINT* origin, float scale) const {
  const LineSink sink{moveTo, lineTo, dc};
  const float s = scale * 0.125f;
  const float ox = static_cast<float>(origin->x);
  const float oy = static_cast<float>(origin->y);
  auto penX = [&](float v) { return SaturateToInt(static_cast<double>(v * s)) + origin->x; };
  auto penY = [&](float v) { return SaturateToInt(static_cast<double>(v * s)) + origin->y; };
  for (int i = 0; i < m_contours.GetSize(); ++i) {
    const BYTE* buffer = m_contours[i].buffer;
    const CVector2 start = ReadPoint(buffer + 4);
    int x = penX(start.x);
    int y = penY(start.y);
    moveTo(dc, x, y);
    ForEachRecord(buffer, [&](WORD type, int n, const BYTE* points) {
      if (type == kOutlinePolyline) {
        for (int k = 0; k < n; ++k) {
          const CVector2 p = ReadPoint(points + 8 * k);
          x = penX(p.x);
          y = penY(p.y);
          lineTo(dc, x, y);
        }
      } else if (type == kOutlineQSpline && n > 1) {
        CVector2 a(static_cast<float>(x), static_cast<float>(y));
        for (int k = 0; k + 1 < n; ++k) {
          const CVector2 b = ReadPoint(points + 8 * k);
          const CVector2 next = ReadPoint(points + 8 * (k + 1));
          const CVector2 c = (k + 2 == n) ? next : Mid(b, next);
          const CVector2 bs(b.x * s + ox, b.y * s + oy);
          const CVector2 cs(c.x * s + ox, c.y * s + oy);
          DrawQuadratic(sink, a, bs, cs);
          a = cs;
        }
        x = SaturateToInt(a.x);
        y = SaturateToInt(a.y);
      }
    });
  }
}
