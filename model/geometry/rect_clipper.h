// CRectClipper: clips a closed polygon to an axis-aligned rectangle, one
// stage per side (Sutherland-Hodgman, each point pushed through the stages).
// Points on the rectangle's border count as inside.
#pragma once

#include "model/geometry/rect_f.h"
#include "model/geometry/vector2.h"

class CRectClipper {
 public:
  // The clipped outline holds at most this many points; more are dropped.
  static const int kMaxOutputPoints = 256;

  // rect is read as xmin = left, xmax = right, ymin = top, ymax = bottom.
  explicit CRectClipper(const CRectF& rect);

  // Clips the closed polygon and returns the number of points in Output();
  // 0 when nothing of it lies in the rectangle.
  int Clip(const CVector2* points, int count);
  const CVector2* Output() const { return m_output; }

 private:
  static const int kStageCount = 4;

  void Reset();
  void Feed(int stage, const CVector2& p);
  void Emit(int stage, const CVector2& p);
  void Close(int stage);
  bool Inside(int stage, const CVector2& p) const;
  CVector2 Crossing(int stage, const CVector2& from, const CVector2& to) const;

  CRectF m_rect;
  bool m_hasFirst[kStageCount];
  CVector2 m_first[kStageCount];
  CVector2 m_last[kStageCount];
  CVector2 m_output[kMaxOutputPoints];
  int m_count;
};
