// CTransformTracker: handles, hit testing, cursors and drag-step transforms.
#include "model/outline/transform_tracker.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "model/geometry/geometry.h"

namespace {

// The rotation handle stands this far beyond the middle of the right edge.
constexpr float kRotationHandleReach = 15.0f;
// Half the side of the square around a handle that the mouse can hit.
constexpr LONG kHandleHitHalf = 4;
constexpr float kRadiansToDegrees = 57.29578f;

CVector2 Midpoint(const CVector2& a, const CVector2& b) {
  return CVector2(static_cast<float>((static_cast<double>(a.x) + b.x) * 0.5),
                  static_cast<float>((static_cast<double>(a.y) + b.y) * 0.5));
}

CVector2 FloatPoint(const POINT& p) { return CVector2(static_cast<float>(p.x), static_cast<float>(p.y)); }

// Appends the translation by t to m (row vectors: applied after m).
void ThenTranslate(CMatrix3& m, const CVector2& t) {
  CMatrix3 step;
  step.SetTranslation(t);
  m *= step;
}

void ThenRotate(CMatrix3& m, float degrees) {
  CMatrix3 step;
  step.SetRotation(degrees);
  m *= step;
}

// Edge moves of one sizing step: the dragged edge by the step, the opposite
// edge by minus the step, so the frame stays centred.
void MoveEdges(CRectF& r, int k, float dx, float dy) {
  const bool rightEdge = k == 1 || k == 2 || k == 6;
  const bool leftEdge = !rightEdge && k != 5 && k != 7;
  const bool bottomEdge = k == 2 || k == 3 || k == 7;
  const bool topEdge = !bottomEdge && k != 6 && k != 8;
  if (rightEdge) { r.right += dx; r.left -= dx; }
  if (leftEdge) { r.left += dx; r.right -= dx; }
  if (bottomEdge) { r.bottom += dy; r.top -= dy; }
  if (topEdge) { r.top += dy; r.bottom -= dy; }
}

float ScaleFactor(float oldSize, float newSize) {
  if (oldSize > 0.0f && newSize != oldSize) return newSize / oldSize;
  return 1.0f;
}

// Strictly inside the turned frame, with the tolerance of PointInTriangle.
// Testing the frame as one convex outline, not as two triangles each strictly,
// keeps the points of the diagonal between the triangles inside; only the
// outline itself is outside.
bool StrictlyInsideFrame(const CVector2 corners[4], double x, double y) {
  const double tolerance = static_cast<double>(1e-6f);
  int positive = 0, negative = 0;
  for (int i = 0; i < 4; ++i) {
    const CVector2& a = corners[i];
    const CVector2& b = corners[(i + 1) % 4];
    const double cross = (a.x - x) * (b.y - y) - (a.y - y) * (b.x - x);
    positive += cross > tolerance;
    negative += cross < -tolerance;
  }
  return positive == 4 || negative == 4;
}

}  // namespace

CTransformTracker::CTransformTracker() : m_angle(0.0f), m_rect(0.0f, 0.0f, 0.0f, 0.0f) {}

void CTransformTracker::SetRect(const CRectF& r) {
  m_rect = r;
  m_angle = 0.0f;
}

void CTransformTracker::Scale(float f) {
  m_rect.left *= f;
  m_rect.right *= f;
  m_rect.top *= f;
  m_rect.bottom *= f;
}

void CTransformTracker::Offset(POINT d) { m_rect.Offset(d); }

void CTransformTracker::GetPoints(CVector2 out[5]) const {
  CMatrix3 turn;
  turn.SetRotationAbout(m_rect.CenterPoint(), m_angle);
  const CVector2 corners[4] = {CVector2(m_rect.left, m_rect.top), CVector2(m_rect.right, m_rect.top),
                               CVector2(m_rect.right, m_rect.bottom), CVector2(m_rect.left, m_rect.bottom)};
  for (int i = 0; i < 4; ++i) turn.TransformPoint(corners[i], out[i]);
  CVector2 along = out[1] - out[0];
  along.Normalize();
  out[4] = Midpoint(out[1], out[2]);
  out[4] += along * kRotationHandleReach;
}

void CTransformTracker::GetHandlePoints(CVector2 out[kHandleCount]) const {
  GetPoints(out);
  for (int i = 0; i < 4; ++i) out[5 + i] = Midpoint(out[i], out[(i + 1) % 4]);
}

int CTransformTracker::HitTest(const POINT& p, int& handle) const {
  CVector2 points[kHandleCount];
  GetHandlePoints(points);
  for (int i = 0; i < kHandleCount; ++i) {
    POINT h;
    PointFromVector(h, points[i]);
    const int64_t dx = static_cast<int64_t>(p.x) - h.x, dy = static_cast<int64_t>(p.y) - h.y;
    if (dx >= -kHandleHitHalf && dx < kHandleHitHalf && dy >= -kHandleHitHalf && dy < kHandleHitHalf) {
      handle = i;
      return 1;
    }
  }
  handle = kInside;
  return StrictlyInsideFrame(points, static_cast<double>(p.x), static_cast<double>(p.y)) ? 1 : 0;
}

int CTransformTracker::CursorIdAt(const POINT& p) const {
  int handle;
  if (!HitTest(p, handle)) return 0;
  const float a = -m_angle;
  switch (handle) {
    case 0: case 2: return CursorForAngle(a + 135.0f);
    case 1: case 3: return CursorForAngle(a + 45.0f);
    case 5: case 7: return CursorForAngle(a + 90.0f);
    case 6: case 8: return CursorForAngle(a);
    case kRotationHandle: return kCursorRotateResource;
    default: return kCursorSizeAll;
  }
}

CMatrix3& CTransformTracker::MoveHandle(int k, const POINT& from, const POINT& to) {
  CMatrix3 unturn;
  unturn.SetRotation(-m_angle);
  CVector2 step;
  unturn.TransformPoint(FloatPoint(to) - FloatPoint(from), step);
  CRectF moved = m_rect;
  MoveEdges(moved, k, step.x, step.y);
  if (moved.right < moved.left) std::swap(moved.left, moved.right);
  if (moved.bottom < moved.top) std::swap(moved.top, moved.bottom);
  CMatrix3 scale;
  scale.SetScale(CVector2(ScaleFactor(m_rect.Width(), moved.Width()), ScaleFactor(m_rect.Height(), moved.Height())));
  m_rect = moved;
  const CVector2 c = m_rect.CenterPoint();
  m_stepMatrix.SetTranslation(CVector2(-c.x, -c.y));
  ThenRotate(m_stepMatrix, -m_angle);
  m_stepMatrix *= scale;
  ThenRotate(m_stepMatrix, m_angle);
  ThenTranslate(m_stepMatrix, c);
  return m_stepMatrix;
}

// A mouse point on the centre has no direction: that step turns nothing
// (instead of a NaN angle that would lose the frame for good). The sine is
// clamped against rounding just past 1.
void CTransformTracker::Rotate(const POINT& from, const POINT& to, const POINT& offset) {
  const CVector2 c = m_rect.CenterPoint();
  const CVector2 shifted(c.x + static_cast<float>(offset.x), c.y + static_cast<float>(offset.y));
  const CVector2 u = FloatPoint(from) - shifted, v = FloatPoint(to) - shifted;
  const double lengths = static_cast<double>(u.Length()) * v.Length();
  float stepAngle = 0.0f;
  if (lengths > 0.0) {
    const double sine = (static_cast<double>(u.x) * v.y - static_cast<double>(u.y) * v.x) / lengths;
    stepAngle = static_cast<float>(std::asin(std::fmax(-1.0, std::fmin(1.0, sine))) * kRadiansToDegrees);
  }
  m_angle += stepAngle;
  m_stepMatrix.SetTranslation(CVector2(-c.x, -c.y));
  ThenRotate(m_stepMatrix, stepAngle);
  ThenTranslate(m_stepMatrix, c);
}

void CTransformTracker::TransformPoint(const CVector2& in, CVector2& out) const {
  m_stepMatrix.TransformPoint(in, out);
}

// Folds the angle into [0, 360) with fmod rather than repeated steps of 360,
// which never end for huge or infinite angles.
int CursorForAngle(float degrees) {
  double a = std::fmod(static_cast<double>(degrees), 360.0);
  if (a < 0.0) a += 360.0;
  a += 22.5;
  if (a > 360.0) a -= 360.0;
  const double sector = std::fmod(a, 180.0);
  if (a == 360.0 || (sector >= 135.0 && sector < 180.0)) return kCursorSizeNWSE;
  if (sector >= 90.0) return kCursorSizeNS;
  if (sector >= 45.0) return kCursorSizeNESW;
  return kCursorSizeWE;
}

void RectToEightPoints(const RECT& rect, POINT out[8]) {
  out[0] = POINT{rect.left, rect.top};
  out[1] = POINT{rect.right, rect.top};
  out[2] = POINT{rect.right, rect.bottom};
  out[3] = POINT{rect.left, rect.bottom};
  for (int i = 0; i < 4; ++i) {
    const POINT& a = out[i];
    const POINT& b = out[(i + 1) % 4];
    out[4 + i] = POINT{static_cast<LONG>((static_cast<int64_t>(a.x) + b.x) / 2),
                       static_cast<LONG>((static_cast<int64_t>(a.y) + b.y) / 2)};
  }
}
