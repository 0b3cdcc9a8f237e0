// CRectF: an axis-aligned rectangle in floats, stored left, right, top,
// bottom (not a RECT's order), and the bounding box of a run of points.
#pragma once

#include "compat/win32/types.h"
#include "model/geometry/vector2.h"

struct CRectF {
  float left;
  float right;
  float top;
  float bottom;

  CRectF() = default;
  // Corners in the platform's order, stored in ours.
  CRectF(float leftValue, float topValue, float rightValue, float bottomValue)
      : left(leftValue), right(rightValue), top(topValue), bottom(bottomValue) {}
  explicit CRectF(const RECT& r);

  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
  // All four edges count as inside.
  bool PtInRect(float x, float y) const;
  CVector2 CenterPoint() const;
  void Offset(const POINT& d);
};

// The caller passes at least one point; fewer than one gives an empty
// rectangle at the origin rather than reading past the array.
void BoundsOfPoints(CRectF& out, const CVector2* points, int count);
