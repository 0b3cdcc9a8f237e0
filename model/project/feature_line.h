// CFeatureLine: one polyline drawn on an image to mark a feature; the same
// line on the source and the target says which part becomes which.
#pragma once

#include "compat/afx/coll.h"
#include "model/geometry/vector2.h"

class CArchive;

typedef CArray<CVector2, const CVector2&> CFeaturePointArray;

class CFeatureLine {
 public:
  // Most points a line record may hold; a larger count is refused.
  static constexpr int kMaxPoints = 1 << 20;

  CFeatureLine() = default;
  CFeatureLine(const CFeatureLine&) = delete;

  // No bounds check: callers keep i in range.
  CVector2* PointAt(int i) { return &m_points.ElementAt(i); }
  const CVector2* PointAt(int i) const { return &m_points.ElementAt(i); }
  int GetPointCount() const { return m_points.GetSize(); }
  // New points are (0, 0).
  void SetPointCount(int n) { m_points.SetSize(n); }
  void AddPoint(const CVector2& p) { m_points.Add(p); }
  void InsertPoint(int i, const CVector2& p) { m_points.InsertAt(i, p); }
  void RemovePoint(int i) { m_points.RemoveAt(i); }
  CFeaturePointArray& GetPoints() { return m_points; }
  const CFeaturePointArray& GetPoints() const { return m_points; }

  // Copies closed and the points; the mask flag stays this line's own.
  CFeatureLine& operator=(const CFeatureLine& other);
  // Point count of b; point k = a.k + (b.k - a.k) t. A shorter a is read as
  // (0, 0) beyond its end rather than past its array.
  void Lerp(const CFeatureLine& a, const CFeatureLine& b, float t);
  // Point i becomes point 0 (new k = old (i + k) mod n).
  void RotateToFirst(int i);
  void Serialize(CArchive& ar);

  int closed = 0;
  int mask = 0;

 private:
  CFeaturePointArray m_points;
};
