// CRectF and the bounding box of points.
#include "model/geometry/rect_f.h"

CRectF::CRectF(const RECT& r)
    : left(static_cast<float>(r.left)),
      right(static_cast<float>(r.right)),
      top(static_cast<float>(r.top)),
      bottom(static_cast<float>(r.bottom)) {}

bool CRectF::PtInRect(float x, float y) const {
  return left <= x && x <= right && top <= y && y <= bottom;
}

CVector2 CRectF::CenterPoint() const {
  return CVector2(static_cast<float>((static_cast<double>(left) + right) * 0.5),
                  static_cast<float>((static_cast<double>(top) + bottom) * 0.5));
}

void CRectF::Offset(const POINT& d) {
  left += static_cast<float>(d.x);
  right += static_cast<float>(d.x);
  top += static_cast<float>(d.y);
  bottom += static_cast<float>(d.y);
}

void BoundsOfPoints(CRectF& out, const CVector2* points, int count) {
  if (count < 1 || points == nullptr) {
    out = CRectF(0.0f, 0.0f, 0.0f, 0.0f);
    return;
  }
  out = CRectF(points[0].x, points[0].y, points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) {
    if (points[i].x < out.left) out.left = points[i].x;
    if (points[i].y < out.top) out.top = points[i].y;
    if (points[i].x > out.right) out.right = points[i].x;
    if (points[i].y > out.bottom) out.bottom = points[i].y;
  }
}
