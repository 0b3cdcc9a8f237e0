// Polygon clipping against the four sides of a rectangle.
#include "model/geometry/rect_clipper.h"

CRectClipper::CRectClipper(const CRectF& rect) : m_rect(rect), m_count(0) { Reset(); }

void CRectClipper::Reset() {
  for (int stage = 0; stage < kStageCount; ++stage) m_hasFirst[stage] = false;
  m_count = 0;
}

int CRectClipper::Clip(const CVector2* points, int count) {
  Reset();
  if (points == nullptr) return 0;
  for (int i = 0; i < count; ++i) Feed(0, points[i]);
  for (int stage = 0; stage < kStageCount; ++stage) Close(stage);
  return m_count;
}

// Stages keep x >= xmin, x <= xmax, y >= ymin, y <= ymax in that order.
bool CRectClipper::Inside(int stage, const CVector2& p) const {
  switch (stage) {
    case 0: return p.x >= m_rect.left;
    case 1: return p.x <= m_rect.right;
    case 2: return p.y >= m_rect.top;
    default: return p.y <= m_rect.bottom;
  }
}

// The crossing of the segment with the stage's border line, the slope taken
// from the segment. Only segments whose ends lie on both sides get here, so
// a vertical border never meets a vertical segment.
CVector2 CRectClipper::Crossing(int stage, const CVector2& from, const CVector2& to) const {
  const double dx = static_cast<double>(to.x) - from.x, dy = static_cast<double>(to.y) - from.y;
  if (stage < 2) {
    const float k = stage == 0 ? m_rect.left : m_rect.right;
    return CVector2(k, static_cast<float>(from.y + (k - from.x) * dy / dx));
  }
  const float k = stage == 2 ? m_rect.top : m_rect.bottom;
  if (dx == 0.0) return CVector2(from.x, k);
  return CVector2(static_cast<float>(from.x + (k - from.y) / (dy / dx)), k);
}

void CRectClipper::Emit(int stage, const CVector2& p) {
  if (stage + 1 < kStageCount) {
    Feed(stage + 1, p);
  } else if (m_count < kMaxOutputPoints) {
    m_output[m_count++] = p;
  }
}

void CRectClipper::Feed(int stage, const CVector2& p) {
  if (!m_hasFirst[stage]) {
    m_hasFirst[stage] = true;
    m_first[stage] = p;
  } else if (Inside(stage, p) != Inside(stage, m_last[stage])) {
    Emit(stage, Crossing(stage, m_last[stage], p));
  }
  m_last[stage] = p;
  if (Inside(stage, p)) Emit(stage, p);
}

void CRectClipper::Close(int stage) {
  if (!m_hasFirst[stage]) return;
  if (Inside(stage, m_first[stage]) != Inside(stage, m_last[stage])) {
    Emit(stage, Crossing(stage, m_last[stage], m_first[stage]));
  }
}
