// CLineSet: lines, blending, the set record and the shared selection.
#include "model/project/line_set.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "compat/afx/archive.h"
#include "model/geometry/pixel_point.h"
#include "model/project/record_checks.h"

namespace {

bool InHalfOpenRect(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

void DeleteLines(CFeatureLineArray& lines) {
  for (int i = 0; i < lines.GetSize(); ++i) delete lines[i];
  lines.RemoveAll();
}

void RefillWithNewLines(CFeatureLineArray& lines, int count) {
  DeleteLines(lines);
  lines.SetSize(count);
  for (int i = 0; i < count; ++i) lines[i] = new CFeatureLine;
}

bool IsUsableScale(float s) { return std::isfinite(s) && s > 0.0f; }

}  // namespace

CLineSet::CLineSet() {
  for (CLinePoint& c : crossing) c = CLinePoint{-1, 0};
}

CLineSet::~CLineSet() { DeleteLines(m_lines); }

CFeatureLine* CLineSet::LineAt(int i) const {
  return i >= 0 && i < m_lines.GetSize() ? m_lines.ElementAt(i) : nullptr;
}

CVector2* CLineSet::PointAt(int line, int point) const {
  CFeatureLine* l = LineAt(line);
  if (l == nullptr || point < 0 || point >= l->GetPointCount()) return nullptr;
  return l->PointAt(point);
}

void CLineSet::DeleteAllLines() { DeleteLines(m_lines); }

void CLineSet::RemoveLines(int index, int count) { m_lines.RemoveAt(index, count); }

// --- geometry ---

float CLineSet::SetScale(float s) {
  // A zoom of zero would lose every point for good.
  if (!IsUsableScale(s)) return m_scale;
  const float f = s / m_scale;
  for (int i = 0; i < m_lines.GetSize(); ++i) {
    CFeaturePointArray& points = m_lines[i]->GetPoints();
    for (int k = 0; k < points.GetSize(); ++k) points[k] *= f;
  }
  m_tracker.Scale(f);
  m_scale = s;
  return s;
}

void CLineSet::ScaleXY(float sx, float sy) {
  for (int i = 0; i < m_lines.GetSize(); ++i) {
    CFeaturePointArray& points = m_lines[i]->GetPoints();
    for (int k = 0; k < points.GetSize(); ++k) {
      points[k].x *= sx;
      points[k].y *= sy;
    }
  }
}

void CLineSet::GetTransformedLines(CFeatureLineArray& out, int offsetX, int offsetY) const {
  DeleteLines(out);
  const float r = 1.0f / m_scale;
  const CVector2 offset(static_cast<float>(offsetX), static_cast<float>(offsetY));
  for (int i = 0; i < m_lines.GetSize(); ++i) {
    const CFeatureLine& from = *m_lines.ElementAt(i);
    CFeatureLine* to = new CFeatureLine;
    to->closed = from.closed;
    to->SetPointCount(from.GetPointCount());
    for (int k = 0; k < from.GetPointCount(); ++k) {
      CVector2 p = *from.PointAt(k) * r;
      p += offset;
      *to->PointAt(k) = p;
    }
    out.Add(to);
  }
}

void CLineSet::Interpolate(const CLineSet& a, const CLineSet& b, float t) {
  m_scale = a.m_scale;
  const int count = b.GetLineCount();
  if (count != GetLineCount()) RefillWithNewLines(m_lines, count);
  // The pair keeps both sides in step; a side with fewer lines blends from
  // empty lines rather than reading past its array.
  CFeatureLine empty;
  for (int i = 0; i < count; ++i) {
    const CFeatureLine* from = a.LineAt(i);
    m_lines[i]->Lerp(from != nullptr ? *from : empty, *b.m_lines.ElementAt(i), t);
  }
}

CLineSet& CLineSet::operator=(const CLineSet& other) {
  if (this == &other) return *this;
  if (other.GetLineCount() != GetLineCount()) RefillWithNewLines(m_lines, other.GetLineCount());
  for (int i = 0; i < GetLineCount(); ++i) *m_lines[i] = *other.m_lines.ElementAt(i);
  m_origin = other.m_origin;
  m_scale = other.m_scale;
  return *this;
}

void CLineSet::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_scale << m_origin.x << m_origin.y << m_rect << GetLineCount();
    for (int i = 0; i < GetLineCount(); ++i) m_lines[i]->Serialize(ar);
    return;
  }
  float scale = 0.0f;
  POINT origin;
  RECT rect;
  ar >> scale >> origin.x >> origin.y >> rect;
  // Points are divided by the zoom; a record without a usable one is refused.
  if (!IsUsableScale(scale)) AfxThrowArchiveException(CArchiveException::badIndex);
  m_scale = scale;
  m_origin = origin;
  m_rect = rect;
  DeleteLines(m_lines);
  // The crossing marks named the lines that were here.
  for (CLinePoint& c : crossing) c = CLinePoint{-1, 0};
  const int count = ReadRecordCount(ar, kMaxLines);
  // Lines join the set as they are read, so a short record leaves the lines
  // read so far owned by the set, never leaked.
  int points = 0;
  for (int i = 0; i < count; ++i) {
    CFeatureLine* line = new CFeatureLine;
    m_lines.Add(line);
    line->Serialize(ar);
    // The editor drops a line whose last point goes, so it never writes one
    // without points; tens of thousands of them would cost far more memory
    // than their bytes in the file.
    if (line->GetPointCount() == 0) AfxThrowArchiveException(CArchiveException::badIndex);
    points += line->GetPointCount();
    if (points > kMaxSetPoints) AfxThrowArchiveException(CArchiveException::badIndex);
  }
  // The shared selection may name points the record no longer has.
  PruneSelection();
}

// --- selection ---

void CLineSet::ClearSelection() {
  if (m_selection != nullptr) m_selection->RemoveAll();
}

int CLineSet::IsSelected(int line, int point) const {
  if (m_selection == nullptr) return 0;
  for (int i = 0; i < m_selection->GetSize(); ++i) {
    const CLinePoint& s = m_selection->ElementAt(i);
    if (s.line == line && s.point == point) return 1;
  }
  return 0;
}

void CLineSet::SelectPoint(int line, int point, int flag) {
  if (m_selection == nullptr) return;
  CFeatureLine* l = LineAt(line);
  if (l == nullptr) return;
  if (point == -1) {
    for (int k = 0; k < l->GetPointCount(); ++k) {
      if (!IsSelected(line, k)) m_selection->Add(CLinePoint{line, k});
    }
  } else if (point >= 0 && point < l->GetPointCount() && !IsSelected(line, point)) {
    m_selection->Add(CLinePoint{line, point});
  }
  if (!flag || m_selection->GetSize() <= 1) return;
  CRectF box(0.0f, 0.0f, 0.0f, 0.0f);
  bool first = true;
  for (int i = 0; i < m_selection->GetSize(); ++i) {
    const CVector2* p = PointAt(m_selection->ElementAt(i).line, m_selection->ElementAt(i).point);
    if (p == nullptr) continue;
    if (first) box = CRectF(p->x, p->y, p->x, p->y);
    first = false;
    box.left = std::fmin(box.left, p->x);
    box.right = std::fmax(box.right, p->x);
    box.top = std::fmin(box.top, p->y);
    box.bottom = std::fmax(box.bottom, p->y);
  }
  m_tracker.SetRect(box);
}

void CLineSet::SelectPointsInRect(const RECT& r) {
  for (int i = 0; i < GetLineCount(); ++i) {
    for (int k = 0; k < m_lines[i]->GetPointCount(); ++k) {
      if (InHalfOpenRect(r, RoundedPoint(*m_lines[i]->PointAt(k)))) SelectPoint(i, k, 0);
    }
  }
}

void CLineSet::MoveSelection(POINT from, POINT to) {
  if (m_selection == nullptr) return;
  const CVector2 d(static_cast<float>(to.x - from.x), static_cast<float>(to.y - from.y));
  for (int i = 0; i < m_selection->GetSize(); ++i) {
    CVector2* p = PointAt(m_selection->ElementAt(i).line, m_selection->ElementAt(i).point);
    if (p != nullptr) *p += d;
  }
}

void CLineSet::SetSelectedPointsTo(POINT to) {
  if (m_selection == nullptr) return;
  for (int i = 0; i < m_selection->GetSize(); ++i) {
    CVector2* p = PointAt(m_selection->ElementAt(i).line, m_selection->ElementAt(i).point);
    if (p != nullptr) *p = CVector2(static_cast<float>(to.x), static_cast<float>(to.y));
  }
}

void CLineSet::DeleteSelectedPoints() {
  if (m_selection == nullptr) return;
  for (int i = 0; i < GetLineCount(); ++i) {
    CFeatureLine& line = *m_lines[i];
    CFeaturePointArray kept;
    for (int k = 0; k < line.GetPointCount(); ++k) {
      if (!IsSelected(i, k)) kept.Add(*line.PointAt(k));
    }
    if (kept.GetSize() != line.GetPointCount()) line.GetPoints().Copy(kept);
  }
  for (int i = GetLineCount() - 1; i >= 0; --i) {
    if (m_lines[i]->GetPointCount() > 0) continue;
    delete m_lines[i];
    m_lines.RemoveAt(i);
  }
}

void CLineSet::SwapContents(CLineSet& other) {
  CFeatureLineArray lines;
  lines.Copy(m_lines);
  m_lines.Copy(other.m_lines);
  other.m_lines.Copy(lines);
  std::swap(m_origin, other.m_origin);
  std::swap(m_scale, other.m_scale);
  std::swap(m_rect, other.m_rect);
}

void CLineSet::PruneSelection() {
  if (m_selection == nullptr) return;
  // Kept entries move down in one pass: removing them one at a time would
  // be quadratic in a long list of stale entries.
  const int n = m_selection->GetSize();
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    const CLinePoint s = m_selection->ElementAt(i);
    if (PointAt(s.line, s.point) != nullptr) m_selection->ElementAt(kept++) = s;
  }
  if (kept < n) m_selection->SetSize(kept);
}
