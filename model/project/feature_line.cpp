// CFeatureLine: copying, blending, rotation and the line record.
#include "model/project/feature_line.h"

#include "compat/afx/archive.h"
#include "model/project/record_checks.h"

CFeatureLine& CFeatureLine::operator=(const CFeatureLine& other) {
  if (this == &other) return *this;
  closed = other.closed;
  m_points.Copy(other.m_points);
  return *this;
}

void CFeatureLine::Lerp(const CFeatureLine& a, const CFeatureLine& b, float t) {
  const int n = b.GetPointCount();
  // a may be this line; read its points before resizing.
  CFeaturePointArray from;
  from.Copy(a.m_points);
  m_points.SetSize(n);
  for (int k = 0; k < n; ++k) {
    const CVector2 pa = k < from.GetSize() ? from[k] : CVector2(0.0f, 0.0f);
    const CVector2& pb = b.m_points.ElementAt(k);
    m_points[k] = CVector2(pa.x + (pb.x - pa.x) * t, pa.y + (pb.y - pa.y) * t);
  }
}

void CFeatureLine::RotateToFirst(int i) {
  const int n = m_points.GetSize();
  if (n == 0 || i <= 0 || i >= n) return;
  CFeaturePointArray copy;
  copy.Copy(m_points);
  for (int k = 0; k < n; ++k) m_points[k] = copy[(i + k) % n];
}

void CFeatureLine::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << closed << mask << m_points.GetSize();
    for (int k = 0; k < m_points.GetSize(); ++k) ar << m_points[k];
    return;
  }
  int newClosed = 0, newMask = 0;
  ar >> newClosed >> newMask;
  const int n = ReadRecordCount(ar, kMaxPoints);
  CFeaturePointArray points;
  points.SetSize(n);
  for (int k = 0; k < n; ++k) {
    ar >> points[k];
    CheckFinite(points[k]);
  }
  // Only a whole record replaces the line: a short read leaves it as it was.
  closed = NormalFlag(newClosed);
  mask = NormalFlag(newMask);
  m_points.Copy(points);
}
